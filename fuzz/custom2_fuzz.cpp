// The Custom2 rewrite on any bytes, compared with PCRE2 (through QRegularExpression) on
// the same lines. The first byte chooses the read size, so chunk ends fall anywhere in a
// line; the bytes are compared one to one (Latin-1), so invalid UTF-8 and NUL count too.

#include <QFile>
#include <QRegularExpression>

#include "batch/custom2_rewrite.h"
#include "fuzz/fuzz_support.h"

using namespace tarsel;

namespace {

QByteArray ByRegularExpression(const QByteArray& bytes, const QByteArray& value) {
    static const QRegularExpression record(
        QStringLiteral("(.*?;.*?;.*?;.*?;.*?;.*?;.*?;.*?;.*?;).*?(;.*?;.*?;.*)"),
        QRegularExpression::CaseInsensitiveOption);
    QByteArray text = bytes;
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    QByteArray out = "!DATA\r\n";
    for (const QByteArray& line : text.split('\n')) {
        const QRegularExpressionMatch match = record.match(QString::fromLatin1(line));
        if (match.hasMatch()) {
            out += match.captured(1).toLatin1() + value + match.captured(2).toLatin1() + "\r\n";
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static const fuzz::ScratchFile input(".in");
    static const fuzz::ScratchFile output(".out");
    const size_t chunk = 1 + data[0] % 97;
    input.Write(data + 1, size - 1);
    const QByteArray value = "[None]";
    try {
        batch::RewriteCustom2(input.path(), output.path(), value, QStringLiteral("DefaultCustom2"),
                              {}, chunk);
    } catch (const TarselError& error) {
        fuzz::Finding("the rewrite failed", error.description());
    }
    QFile written(output.path());
    if (!written.open(QIODevice::ReadOnly)) {
        fuzz::Finding("no output file");
    }
    const QByteArray actual = written.readAll();
    const QByteArray expected = ByRegularExpression(
        QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1)),
        value);
    if (actual != expected) {
        fuzz::Finding(
            "the rewrite differs from the regular expression",
            QStringLiteral("chunk %1\nexpected %2\nactual   %3")
                .arg(chunk)
                .arg(QString::fromLatin1(expected.toHex()), QString::fromLatin1(actual.toHex())));
    }
    return 0;
}
