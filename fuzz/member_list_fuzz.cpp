// The member list file reader on any bytes: it reads the lists or refuses the file with
// its own error naming the file.

#include "fuzz/fuzz_support.h"
#include "server/local/format/member_list_file.h"

using namespace tarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString fileName = QStringLiteral("fuzz.lst");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const local::format::MemberListFileContent content =
            local::format::ParseMemberListFile(bytes, fileName);
        for (size_t d = 0; d < content.lists.size(); ++d) {
            const auto& lists = content.lists[d];
            const auto& lines = content.entryLines[d];
            for (size_t i = 0; i < lists.size(); ++i) {
                if (i >= lines.size() || lines[i].size() != lists[i].entries.size()) {
                    fuzz::Finding("a list entry without its line");
                }
            }
        }
    } catch (const TarselError& error) {
        fuzz::ExpectRefusal(error, code::kMalformedFile, fileName);
    }
    return 0;
}
