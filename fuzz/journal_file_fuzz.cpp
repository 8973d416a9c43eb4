// The journal file reader on any bytes: it never throws, every problem names a line of the
// file, problems come in line order, and a file read without problems is written and read
// back to the same bytes.

#include "fuzz/fuzz_support.h"
#include "server/local/format/journal_file.h"

using namespace tarsel;
using local::format::JournalFile;

namespace {

JournalFile Read(const QByteArray& bytes, const QString& fileName) {
    try {
        return local::format::ReadJournalFile(bytes, fileName);
    } catch (const TarselError& error) {
        fuzz::Finding("the journal reader throws", error.description());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString fileName = QStringLiteral("fuzz.jlf");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const JournalFile file = Read(bytes, fileName);
    const auto lines = static_cast<int>(bytes.count('\n')) + 1;
    int previous = 0;
    for (const auto& problem : file.problems) {
        if (problem.line < 0 || problem.line > lines || problem.reason.isEmpty()) {
            fuzz::Finding("a problem without its line or reason", problem.reason);
        }
        if (problem.line < previous) {
            fuzz::Finding("problems out of line order", problem.reason);
        }
        previous = problem.line;
    }
    if (!file.problems.empty() || file.journals.empty()) {
        return 0;
    }
    const QByteArray written = local::format::WriteJournalFile(file.journals);
    const JournalFile again = Read(written, fileName);
    if (!again.problems.empty()) {
        fuzz::Finding("the reader refuses what the writer wrote", again.problems.front().reason);
    }
    if (local::format::WriteJournalFile(again.journals) != written) {
        fuzz::Finding("written, read and written again gives other bytes",
                      QString::fromUtf8(written.left(2000)));
    }
    return 0;
}
