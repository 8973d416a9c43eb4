#pragma once
// The batch log: one text file appended line by line, the run's header and footer, and
// the lines of this run mailed at its end.

#include <QLocale>
#include <QString>

#include "batch/mail.h"
#include "batch/timestamps.h"
#include "server/tarsel_error.h"

namespace tarsel::batch {

class cLog {
  public:
    // Day and month names come from locale; a locale that has none gives the English
    // names of the C locale.
    cLog(Clock& clock, MailTransport& transport, QLocale locale = QLocale::system());
    // Releases the log when Release was not called; errors are swallowed here.
    ~cLog();
    cLog(const cLog&) = delete;
    cLog& operator=(const cLog&) = delete;

    // Stores the trimmed path; the first assignment writes the run header.
    // Throws LogWriteFailure when the header cannot be written.
    void SetFile(const QString& sFile);
    const QString& File() const { return file_; }

    // Appends one line (open, append, close) and adds it to the mail body. Nothing happens
    // while the file is empty. Throws LogWriteFailure when the file cannot be written; the
    // line is then not part of the mail either.
    void WriteLog(const QString& sTextToWrite, const QString& sLineType);

    void SetMailServer(const QString& sMailServer) { mailServer_ = sMailServer; }
    void SetMailSender(const QString& sMailSender) { mailSender_ = sMailSender; }
    void SetMailPassword(const QString& sMailPassword) { mailPassword_ = sMailPassword; }
    void SetMailRecipients(const QString& sMailRecipients) { mailRecipients_ = sMailRecipients; }
    void SetMailSubject(const QString& sMailSubject) { mailSubject_ = sMailSubject; }
    void SetMailDebugLog(const QString& sMailDebugLog) { mailDebugLog_ = sMailDebugLog; }

    // The end of the run: writes the footer, then mails this run's lines when a mail
    // server is set. Runs once. The mail goes out even when the footer cannot be written;
    // the footer's LogWriteFailure is thrown afterwards.
    void Release();

    // "ddd, dd mmm yyyy" with this log's day and month names.
    QString FormatDate(const QDateTime& when) const;
    const QString& MailBody() const { return mailBody_; }

  private:
    void AppendToMailBody(const QString& line);
    void SendLogMail();
    void WriteDebugFile(const TarselError& error);

    Clock& clock_;
    MailTransport& transport_;
    QLocale names_;
    QString file_;
    bool headerPending_ = true;
    bool released_ = false;
    QString mailBody_;
    QString mailServer_;
    QString mailSender_;
    // Kept for the mail settings' sake; the server is used without authentication, so it
    // is never sent and never written anywhere.
    QString mailPassword_;
    QString mailRecipients_;
    QString mailSubject_;
    QString mailDebugLog_;
};

}  // namespace tarsel::batch
