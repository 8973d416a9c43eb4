// The rules checker on any bytes: it lists problems in line order, each with its reason,
// or refuses a file that is not text with its own error naming the file.

#include "fuzz/fuzz_support.h"
#include "server/local/format/rules_text.h"

using namespace tarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString fileName = QStringLiteral("fuzz.rle");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Any member whose label does not begin with X exists, so both answers are walked.
    const local::format::MemberLookup isMember = [](Dimension, const QString& label) {
        return !label.startsWith(QLatin1Char('X'), Qt::CaseInsensitive);
    };
    try {
        const auto problems =
            local::format::CheckRulesText(bytes, fileName, isMember, (size & 1) != 0);
        int lastLine = 0;
        for (const auto& problem : problems) {
            if (problem.line < lastLine || problem.reason.isEmpty()) {
                fuzz::Finding("a problem out of line order or without a reason", problem.reason);
            }
            lastLine = problem.line;
        }
    } catch (const TarselError& error) {
        fuzz::ExpectRefusal(error, code::kMalformedFile, fileName);
    }
    return 0;
}
