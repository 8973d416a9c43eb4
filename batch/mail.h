#pragma once
// Mail of the batch log: the message, its wire form, and the SMTP transport.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tarsel::batch {

struct MailMessage {
    QString server;      // "host" or "host:port"; port 25 when none is given
    QString sender;      // envelope sender and From header
    QString recipients;  // the list as given; split for the envelope, unchanged in To
    QString subject;
    QString body;  // plain text; any line end is sent as CR LF
    QDateTime date;
};

struct SmtpServer {
    QString host;
    int port = 25;
};

// Fails with a TarselError naming the text when there is no host or the port is not
// 1..65535.
SmtpServer ParseMailServer(const QString& server);

// The addresses of a recipient list: split at "," and ";", trimmed, empties skipped.
QStringList SplitRecipients(const QString& recipients);

// The bare address of "Name <address>" for the envelope; any other text trimmed.
QString EnvelopeAddress(const QString& address);

// Headers and body as sent after DATA (before dot-stuffing), CR LF throughout.
QByteArray ComposeMailText(const MailMessage& message, const QString& messageId);

// "<unique@domain>" with the sender's domain, or a local one when the sender has none.
QString MakeMessageId(const QString& sender);

class MailTransport {
  public:
    virtual ~MailTransport() = default;
    // Fails with a TarselError carrying the transport's error number, source and
    // description; never a password.
    virtual void Send(const MailMessage& message) = 0;
};

// Plain SMTP through libcurl: no TLS, no authentication, 60-second connection time-out.
class CurlMailTransport : public MailTransport {
  public:
    // The time-out covers the whole connection phase, the server's greeting included, so a
    // server that accepts and stays silent fails after it as well.
    explicit CurlMailTransport(long connectTimeoutSeconds = 60)
        : connectTimeoutSeconds_(connectTimeoutSeconds) {}
    void Send(const MailMessage& message) override;

  private:
    long connectTimeoutSeconds_;
};

}  // namespace tarsel::batch
