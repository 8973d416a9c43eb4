// The .app metadata reader on any bytes: it reads a model or refuses the file with its own
// error naming the file; a model it reads is written back and read again to the same bytes.

#include "fuzz/fuzz_support.h"
#include "server/local/format/app_text.h"

using namespace tarsel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString fileName = QStringLiteral("fuzz.app");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    local::AppModel model;
    try {
        model = local::format::ParseAppText(bytes, fileName);
    } catch (const TarselError& error) {
        fuzz::ExpectRefusal(error, code::kMalformedFile, fileName);
        return 0;
    }
    QByteArray written;
    try {
        written = local::format::WriteAppText(model);
    } catch (const TarselError& error) {
        fuzz::Finding("a model the reader accepted cannot be written", error.description());
    }
    try {
        const local::AppModel again = local::format::ParseAppText(written, fileName);
        if (local::format::WriteAppText(again) != written) {
            fuzz::Finding("written, read and written again gives other bytes",
                          QString::fromUtf8(written.left(2000)));
        }
    } catch (const TarselError& error) {
        fuzz::Finding("the reader refuses what the writer wrote", error.description());
    }
    return 0;
}
