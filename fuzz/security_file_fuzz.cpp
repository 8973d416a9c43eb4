// The security file reader on any bytes: it reads the sections or refuses the file with
// its own error naming the file; a file read without problems is written and read back to
// the same bytes.

#include "fuzz/fuzz_support.h"
#include "server/local/format/security_file.h"

using namespace tarsel;
namespace format = local::format;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString fileName = QStringLiteral("fuzz.sec");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<format::FileProblem> errors;
    format::SecurityContent content;
    try {
        content = format::ReadSecurityFile(bytes, fileName, errors);
    } catch (const TarselError& error) {
        fuzz::ExpectRefusal(error, code::kMalformedFile, fileName);
        return 0;
    }
    for (const auto& problem : errors) {
        if (problem.line < 0 || problem.reason.isEmpty()) {
            fuzz::Finding("a problem without its line or reason", problem.reason);
        }
    }
    if (!errors.empty()) {
        return 0;
    }
    const format::SecuritySections all{true, true, true, true};
    const QByteArray written = format::WriteSecurityFile(content, all);
    std::vector<format::FileProblem> again;
    try {
        const format::SecurityContent reread = format::ReadSecurityFile(written, fileName, again);
        if (!again.empty()) {
            fuzz::Finding("the reader refuses what the writer wrote", again.front().reason);
        }
        if (format::WriteSecurityFile(reread, all) != written) {
            fuzz::Finding("written, read and written again gives other bytes",
                          QString::fromUtf8(written.left(2000)));
        }
    } catch (const TarselError& error) {
        fuzz::Finding("the reader refuses what the writer wrote", error.description());
    }
    return 0;
}
