// The .xml metadata reader on any bytes: it reads a model or lists faults that name the
// file; a model it reads is written back and read again to the same bytes.

#include <QBuffer>

#include "fuzz/fuzz_support.h"
#include "server/local/format/app_xml.h"
#include "server/local/format/text_lines.h"

using namespace tarsel;

namespace {

local::AppModel Read(const QByteArray& bytes, local::format::FileFaults& faults) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return local::format::ReadAppXml(buffer, faults);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString fileName = QStringLiteral("fuzz.xml");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    local::format::FileFaults faults(fileName);
    const local::AppModel model = Read(bytes, faults);
    if (!faults.empty()) {
        try {
            faults.ThrowFirst();
        } catch (const TarselError& error) {
            fuzz::ExpectRefusal(error, code::kMalformedFile, fileName);
            return 0;
        }
        fuzz::Finding("faults were listed but none is thrown");
    }
    QByteArray written;
    try {
        written = local::format::WriteAppXml(model);
    } catch (const TarselError& error) {
        // A character reference may bring in a control character the writer cannot carry.
        fuzz::ExpectRefusal(error, code::kMalformedFile, QString());
        return 0;
    }
    local::format::FileFaults again(fileName);
    const local::AppModel reread = Read(written, again);
    if (!again.empty()) {
        fuzz::Finding("the reader refuses what the writer wrote",
                      QString::fromUtf8(written.left(2000)));
    }
    if (local::format::WriteAppXml(reread) != written) {
        fuzz::Finding("written, read and written again gives other bytes",
                      QString::fromUtf8(written.left(2000)));
    }
    return 0;
}
