#include "utilities/shell/version_check.h"

#include <QStringList>
#include <limits>

#include "server/tarsel_error.h"
#include "utilities/shell/program_identity.h"

namespace modGlobal {

namespace {

const QString kRuntimeSource = QStringLiteral("TarselUtilities");

[[noreturn]] void Raise(int32_t number, const QString& description) {
    throw tarsel::TarselError(number, kRuntimeSource, description);
}

int16_t Checked16(int64_t value) {
    if (value < std::numeric_limits<int16_t>::min() ||
        value > std::numeric_limits<int16_t>::max()) {
        Raise(kErrOverflow, QStringLiteral("Overflow"));
    }
    return static_cast<int16_t>(value);
}

// A whole number with an optional sign, blanks around it allowed ("05" is 5).
int16_t ToInteger16(const QString& part) {
    const QString text = part.trimmed();
    qsizetype digitsFrom = 0;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) {
        digitsFrom = 1;
    }
    if (text.size() == digitsFrom) {
        Raise(kErrTypeMismatch, QStringLiteral("Type mismatch"));
    }
    int64_t value = 0;
    for (qsizetype i = digitsFrom; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            Raise(kErrTypeMismatch, QStringLiteral("Type mismatch"));
        }
        value = value * 10 + (c.unicode() - '0');
        if (value > 100000) {
            Raise(kErrOverflow, QStringLiteral("Overflow"));
        }
    }
    return Checked16(text.startsWith(QLatin1Char('-')) ? -value : value);
}

}  // namespace

ClientVersion ParseClientVersion(const QString& version) {
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() < 3) {
        Raise(kErrSubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    }
    ClientVersion v;
    v.major = ToInteger16(parts[0]);
    v.minor = ToInteger16(parts[1]);
    v.revision = ToInteger16(parts[2]);
    // Every intermediate result stays within 16 bits, as the original arithmetic demands.
    v.release = Checked16(Checked16(int64_t{v.major} * 10) + v.minor);
    v.build = Checked16(Checked16(Checked16(int64_t{v.major} * 100) + Checked16(v.minor * 10)) +
                        v.revision);
    return v;
}

bool IsSupportedClientVersion(const ClientVersion& version) {
    if (version.release == 0) {
        throw tarsel::TarselError(kErrInvalidVersion, QStringLiteral("TarselUtilities (Main)"),
                                  QStringLiteral("Invalid Version Returned from GetVersion()"));
    }
    return version.release >= 41 || version.build == 405;
}

QString IncompatibleVersionMessage(const QString& versionText) {
    return QStringLiteral("This version of TarselUtilities (v%1.%2.%3)")
               .arg(kProgramMajor)
               .arg(kProgramMinor)
               .arg(kProgramRevision) +
           QStringLiteral(
               " only supports Orvane 9 Tarsel release 4.1 and above and Tarsel release 4.0.5 "
               "and above") +
           QStringLiteral("\r\n\r\nTarselUtilities detected your Tarsel client version as: ") +
           versionText +
           QStringLiteral("\r\n\r\nPlease download and install the appropriate version from: ") +
           QString::fromLatin1(kDownloadAddress);
}

}  // namespace modGlobal
