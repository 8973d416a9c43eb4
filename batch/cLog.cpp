#include "batch/cLog.h"

#include <QFile>
#include <optional>

#include "batch/bsConstants.h"
#include "batch/error_text.h"

namespace tarsel::batch {

namespace {

const QString kSuccessMarker = QStringLiteral("     ");
const QString kErrorMarker = QStringLiteral("  *  ");
const QString kCommentMarker = QStringLiteral("               -> ");
const QString kAfterTime = QStringLiteral("  ");

QString Time(const QDateTime& when) {
    return when.time().toString(QStringLiteral("HH:mm:ss"));
}

void WriteCrLfFile(const QString& path, const QString& text, QIODevice::OpenMode mode) {
    QFile file(path);
    if (!file.open(mode)) {
        throw LogWriteFailure(
            QStringLiteral("cannot open \"%1\" for writing: %2").arg(path, file.errorString()));
    }
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        throw LogWriteFailure(
            QStringLiteral("cannot write to \"%1\": %2").arg(path, file.errorString()));
    }
}

}  // namespace

cLog::cLog(Clock& clock, MailTransport& transport, QLocale locale)
    : clock_(clock), transport_(transport), names_(std::move(locale)) {
    // Some locales give no abbreviated names; the C locale's English ones stand in.
    if (names_.dayName(1, QLocale::ShortFormat).isEmpty() ||
        names_.monthName(1, QLocale::ShortFormat).isEmpty()) {
        names_ = QLocale::c();
    }
}

cLog::~cLog() {
    try {
        Release();
    } catch (...) {
        // A destructor cannot report; Main calls Release itself to see the failure.
    }
}

QString cLog::FormatDate(const QDateTime& when) const {
    const QDate date = when.date();
    return names_.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QStringLiteral(", ") +
           date.toString(QStringLiteral("dd")) + QLatin1Char(' ') +
           names_.monthName(date.month(), QLocale::ShortFormat) + QLatin1Char(' ') +
           date.toString(QStringLiteral("yyyy"));
}

void cLog::SetFile(const QString& sFile) {
    file_ = sFile.trimmed();
    if (headerPending_) {
        headerPending_ = false;
        for (int i = 0; i < 3; ++i) {
            WriteLog(QString(), QString::fromLatin1(line::kSpacer));
        }
        const QDateTime now = clock_.Now();
        WriteLog(QStringLiteral("Start Tarsel Batch Process on ") + FormatDate(now) +
                     QStringLiteral(" At ") + Time(now),
                 QString::fromLatin1(line::kHeader));
    }
}

void cLog::WriteLog(const QString& sTextToWrite, const QString& sLineType) {
    if (file_.isEmpty()) {
        return;
    }
    QString line;
    if (sLineType == QLatin1String(line::kSuccess)) {
        line = kSuccessMarker + Time(clock_.Now()) + kAfterTime + sTextToWrite;
    } else if (sLineType == QLatin1String(line::kError)) {
        line = kErrorMarker + Time(clock_.Now()) + kAfterTime + sTextToWrite;
    } else if (sLineType == QLatin1String(line::kComment)) {
        line = kCommentMarker + sTextToWrite;
    } else {
        line = sTextToWrite;
    }
    WriteCrLfFile(file_, line + QStringLiteral("\r\n"), QIODevice::WriteOnly | QIODevice::Append);
    AppendToMailBody(line);
}

void cLog::AppendToMailBody(const QString& line) {
    mailBody_ += QStringLiteral("\r\n") + line;
}

void cLog::Release() {
    if (released_) {
        return;
    }
    released_ = true;
    std::optional<LogWriteFailure> footerFailure;
    try {
        WriteLog(QString(), QString::fromLatin1(line::kSpacer));
        const QDateTime now = clock_.Now();
        WriteLog(QStringLiteral("End Tarsel Batch Process on ") + FormatDate(now) +
                     QStringLiteral(" At ") + Time(now),
                 QString::fromLatin1(line::kFooter));
    } catch (const LogWriteFailure& failure) {
        footerFailure = failure;
    }
    if (!mailServer_.isEmpty()) {
        SendLogMail();
    }
    if (footerFailure) {
        throw *footerFailure;
    }
}

void cLog::SendLogMail() {
    try {
        MailMessage message;
        message.server = mailServer_;
        message.sender = mailSender_;
        message.recipients = mailRecipients_;
        message.date = clock_.Now();
        message.subject =
            mailSubject_ + QLatin1Char(' ') + message.date.toString(QStringLiteral("MM/dd/yy"));
        message.body = mailBody_;
        mailBody_.clear();
        transport_.Send(message);
    } catch (const TarselError& error) {
        WriteDebugFile(error);
    } catch (const std::exception& error) {
        WriteDebugFile(TarselError(err::kInvalidArgument, QString::fromLatin1(kRuntimeSource),
                                   QString::fromUtf8(error.what())));
    }
}

void cLog::WriteDebugFile(const TarselError& error) {
    if (mailDebugLog_.isEmpty()) {
        return;
    }
    const QDateTime now = clock_.Now();
    const QString text = QStringLiteral("Time: ") + FormatDate(now) + QLatin1Char(' ') + Time(now) +
                         QStringLiteral("\r\n") + QStringLiteral("Error # ") +
                         QString::number(error.number()) + QStringLiteral("\r\n") +
                         QStringLiteral("Source: ") + error.source() + QStringLiteral("\r\n") +
                         QStringLiteral("Description: ") + error.description() +
                         QStringLiteral("\r\n") + QStringLiteral("\r\n");
    try {
        WriteCrLfFile(mailDebugLog_, text, QIODevice::WriteOnly | QIODevice::Truncate);
    } catch (const LogWriteFailure&) {
        // The debug file is the last resort; there is nowhere left to report to.
    }
}

}  // namespace tarsel::batch
