#include "batch/mail.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <QLocale>
#include <QUuid>
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <type_traits>

#include "server/tarsel_error.h"

namespace tarsel::batch {

namespace {

constexpr const char* kMailSource = "SendLogMail";
// A server that accepts the connection and then goes silent must not hold the run
// forever: give up when less than one byte a second arrives for this long.
constexpr long kStallSeconds = 60;
// SMTP's limit for a line without its CR LF.
constexpr qsizetype kMaxLineBytes = 998;

[[noreturn]] void Fail(int32_t number, const QString& description) {
    throw TarselError(number, QString::fromLatin1(kMailSource), description);
}

// Header values come from the command file; a line break in one would start a new header.
QString HeaderValue(const QString& value) {
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' '));
    clean.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return clean;
}

bool IsAscii(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QByteArray EncodedWord(const QString& text) {
    const QByteArray utf8 = HeaderValue(text).toUtf8();
    if (IsAscii(utf8)) {
        return utf8;
    }
    return "=?UTF-8?B?" + utf8.toBase64() + "?=";
}

QList<QByteArray> BodyLines(const QString& body) {
    QString normal = body;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return normal.toUtf8().split('\n');
}

// Quoted-printable (RFC 2045) for bodies that plain 7-bit lines cannot carry.
QByteArray QuotedPrintableLine(const QByteArray& line) {
    static const char* hex = "0123456789ABCDEF";
    QByteArray out;
    qsizetype column = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        const bool last = i + 1 == line.size();
        QByteArray piece;
        if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last)) {
            piece = QByteArray(1, static_cast<char>(c));
        } else {
            piece = QByteArray("=") + hex[c >> 4] + hex[c & 0x0F];
        }
        if (column + piece.size() > 75) {
            out += "=\r\n";
            column = 0;
        }
        out += piece;
        column += piece.size();
    }
    return out;
}

// RFC 5322 date with English names whatever the locale: "Tue, 08 Dec 2026 06:18:48 +0100".
QByteArray MailDate(const QDateTime& when) {
    const int offset = when.offsetFromUtc() / 60;
    const int magnitude = offset < 0 ? -offset : offset;
    return QLocale::c().toString(when, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")).toLatin1() +
           (offset < 0 ? '-' : '+') + QByteArray::number(magnitude / 60).rightJustified(2, '0') +
           QByteArray::number(magnitude % 60).rightJustified(2, '0');
}

// libcurl, loaded at the first mail rather than linked: its dependencies (TLS, LDAP, SSH
// and their initialisers) cost every run about 16 ms of start-up before the first
// command, a run that sends no mail included.
struct Curl {
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_strerror) easy_strerror = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
    QString failure;  // why it could not be loaded; empty when loaded

    Curl() {
        constexpr const char* kLibrary = "libcurl.so.4";
        void* library = ::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);  // kept for the run
        if (library == nullptr) {
            failure = QString::fromLocal8Bit(::dlerror());
            return;
        }
        const auto bind = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                ::dlsym(library, name));
            if (function == nullptr && failure.isEmpty()) {
                failure = QStringLiteral("%1 has no %2")
                              .arg(QLatin1String(kLibrary), QLatin1String(name));
            }
        };
        bind(global_init, "curl_global_init");
        bind(easy_init, "curl_easy_init");
        bind(easy_cleanup, "curl_easy_cleanup");
        bind(easy_setopt, "curl_easy_setopt");
        bind(easy_perform, "curl_easy_perform");
        bind(easy_strerror, "curl_easy_strerror");
        bind(slist_append, "curl_slist_append");
        bind(slist_free_all, "curl_slist_free_all");
        if (failure.isEmpty()) {
            global_init(CURL_GLOBAL_DEFAULT);
        }
    }
};

const Curl& LoadedCurl() {
    static const Curl curl;
    if (!curl.failure.isEmpty()) {
        Fail(CURLE_FAILED_INIT,
             QStringLiteral("Cannot load the mail library: %1").arg(curl.failure));
    }
    return curl;
}

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { LoadedCurl().easy_cleanup(handle); }
};
struct CurlListDeleter {
    void operator()(curl_slist* list) const { LoadedCurl().slist_free_all(list); }
};

struct UploadSource {
    QByteArray data;
    qsizetype offset = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* userData) {
    auto* source = static_cast<UploadSource*>(userData);
    const auto room = static_cast<qsizetype>(size * count);
    const qsizetype n = std::min(room, source->data.size() - source->offset);
    if (n <= 0) {
        return 0;
    }
    std::memcpy(buffer, source->data.constData() + source->offset, static_cast<size_t>(n));
    source->offset += n;
    return static_cast<size_t>(n);
}

}  // namespace

SmtpServer ParseMailServer(const QString& server) {
    SmtpServer result;
    const QString text = server.trimmed();
    result.host = text;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0 && text.indexOf(QLatin1Char(':')) == colon) {
        bool ok = false;
        const int port = text.mid(colon + 1).toInt(&ok);
        if (!ok || port < 1 || port > 65535) {
            Fail(CURLE_URL_MALFORMAT,
                 QStringLiteral("Invalid mail server \"%1\": the port must be 1 to 65535")
                     .arg(text));
        }
        result.host = text.left(colon);
        result.port = port;
    }
    if (result.host.isEmpty() || result.host.contains(QLatin1Char('/')) ||
        result.host.contains(QLatin1Char(' '))) {
        Fail(CURLE_URL_MALFORMAT, QStringLiteral("Invalid mail server \"%1\"").arg(text));
    }
    return result;
}

QStringList SplitRecipients(const QString& recipients) {
    QStringList result;
    QString normal = recipients;
    normal.replace(QLatin1Char(';'), QLatin1Char(','));
    for (const QString& part : normal.split(QLatin1Char(','))) {
        const QString address = part.trimmed();
        if (!address.isEmpty()) {
            result << address;
        }
    }
    return result;
}

QString EnvelopeAddress(const QString& address) {
    const qsizetype open = address.lastIndexOf(QLatin1Char('<'));
    const qsizetype close = address.indexOf(QLatin1Char('>'), open + 1);
    if (open >= 0 && close > open) {
        return address.mid(open + 1, close - open - 1).trimmed();
    }
    return address.trimmed();
}

QString MakeMessageId(const QString& sender) {
    QString domain = EnvelopeAddress(sender).section(QLatin1Char('@'), 1);
    if (domain.isEmpty() || domain.contains(QLatin1Char(' '))) {
        domain = QStringLiteral("tarsel-batch.localdomain");
    }
    return QLatin1Char('<') + QUuid::createUuid().toString(QUuid::WithoutBraces) +
           QLatin1Char('@') + domain + QLatin1Char('>');
}

QByteArray ComposeMailText(const MailMessage& message, const QString& messageId) {
    const QList<QByteArray> lines = BodyLines(message.body);
    const bool plain = std::all_of(lines.begin(), lines.end(), [](const QByteArray& line) {
        return line.size() <= kMaxLineBytes && IsAscii(line);
    });

    QByteArray text;
    text += "Date: " + MailDate(message.date) + "\r\n";
    text += "From: " + HeaderValue(message.sender).toUtf8() + "\r\n";
    text += "To: " + HeaderValue(message.recipients).toUtf8() + "\r\n";
    text += "Subject: " + EncodedWord(message.subject) + "\r\n";
    text += "Message-ID: " + HeaderValue(messageId).toUtf8() + "\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain; charset=utf-8\r\n";
    text += plain ? "Content-Transfer-Encoding: 7bit\r\n"
                  : "Content-Transfer-Encoding: quoted-printable\r\n";
    text += "\r\n";
    for (qsizetype i = 0; i < lines.size(); ++i) {
        text += plain ? lines[i] : QuotedPrintableLine(lines[i]);
        text += "\r\n";
    }
    return text;
}

void CurlMailTransport::Send(const MailMessage& message) {
    const Curl& lib = LoadedCurl();
    const SmtpServer server = ParseMailServer(message.server);
    const QStringList addresses = SplitRecipients(message.recipients);
    if (addresses.isEmpty()) {
        Fail(CURLE_SEND_ERROR, QStringLiteral("No recipients in \"%1\"").arg(message.recipients));
    }

    std::unique_ptr<CURL, CurlEasyDeleter> curl(lib.easy_init());
    if (!curl) {
        Fail(CURLE_FAILED_INIT, QStringLiteral("Could not start the mail transfer"));
    }
    std::unique_ptr<curl_slist, CurlListDeleter> rcpt;
    for (const QString& address : addresses) {
        const QByteArray envelope = "<" + HeaderValue(EnvelopeAddress(address)).toUtf8() + ">";
        curl_slist* grown = lib.slist_append(rcpt.get(), envelope.constData());
        if (!grown) {
            Fail(CURLE_OUT_OF_MEMORY, QStringLiteral("Out of memory"));
        }
        (void)rcpt.release();
        rcpt.reset(grown);
    }

    UploadSource source{ComposeMailText(message, MakeMessageId(message.sender)), 0};
    const QByteArray url = "smtp://" + server.host.toUtf8() + ":" + QByteArray::number(server.port);
    const QByteArray from = "<" + HeaderValue(EnvelopeAddress(message.sender)).toUtf8() + ">";
    char errorBuffer[CURL_ERROR_SIZE] = {};

    CURL* h = curl.get();
    lib.easy_setopt(h, CURLOPT_URL, url.constData());
    lib.easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    lib.easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE));
    lib.easy_setopt(h, CURLOPT_CONNECTTIMEOUT, connectTimeoutSeconds_);
    lib.easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib.easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    lib.easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    lib.easy_setopt(h, CURLOPT_MAIL_FROM, from.constData());
    lib.easy_setopt(h, CURLOPT_MAIL_RCPT, rcpt.get());
    lib.easy_setopt(h, CURLOPT_READFUNCTION, &ReadUpload);
    lib.easy_setopt(h, CURLOPT_READDATA, &source);
    lib.easy_setopt(h, CURLOPT_UPLOAD, 1L);

    const CURLcode result = lib.easy_perform(h);
    if (result != CURLE_OK) {
        QString description = QString::fromUtf8(lib.easy_strerror(result));
        if (errorBuffer[0] != '\0') {
            description += QStringLiteral(": ") + QString::fromUtf8(errorBuffer).trimmed();
        }
        description += QStringLiteral(" (") + url + QLatin1Char(')');
        Fail(static_cast<int32_t>(result), description);
    }
}

}  // namespace tarsel::batch
