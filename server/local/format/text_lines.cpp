#include "server/local/format/text_lines.h"

#include <QFile>
#include <cstring>

#include "server/tarsel_error.h"

namespace tarsel::local::format {

QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        ThrowClientError(code::kFileNotFound, QStringLiteral("%1: no such file").arg(path));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        ThrowClientError(code::kFileUnreadable,
                         QStringLiteral("%1: cannot be read (%2)").arg(path, file.errorString()));
    }
    return file.readAll();
}

void ThrowMalformed(const QString& fileName, int line, const QString& reason) {
    const QString where = line > 0 ? QStringLiteral("%1, line %2: ").arg(fileName).arg(line)
                                   : QStringLiteral("%1: ").arg(fileName);
    ThrowClientError(code::kMalformedFile, where + reason);
}

bool IsValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra = 0;
        char32_t code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra) {
            return false;
        }
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (p[i] & 0x3F);
        }
        const bool overlong = (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        p += extra + 1;
    }
    return true;
}

LineReader::LineReader(const QByteArray& bytes, QString fileName)
    : bytes_(bytes), fileName_(std::move(fileName)) {
    if (bytes_.startsWith("\xEF\xBB\xBF")) {
        position_ = 3;
    }
}

bool LineReader::Next() {
    if (position_ >= bytes_.size()) {
        return false;
    }
    ++lineNumber_;
    const char* data = bytes_.constData();
    const qsizetype start = position_;
    qsizetype end = bytes_.indexOf('\n', start);
    if (end < 0) {
        end = bytes_.size();
        position_ = end;
    } else {
        position_ = end + 1;
    }
    qsizetype lineEnd = end;
    if (lineEnd > start && data[lineEnd - 1] == '\r') {
        --lineEnd;
    }
    line_ = QByteArrayView(data + start, lineEnd - start);
    // memchr scans far faster than a byte loop; the first offender is the one reported.
    const auto size = static_cast<size_t>(line_.size());
    const void* nul = std::memchr(line_.data(), '\0', size);
    const void* cr = std::memchr(line_.data(), '\r', size);
    if (nul && (!cr || nul < cr)) {
        Fail(QStringLiteral("the line holds a NUL byte"));
    }
    if (cr) {
        Fail(QStringLiteral("a carriage return that does not end the line"));
    }
    if (!IsValidUtf8(line_)) {
        Fail(QStringLiteral("the line is not valid UTF-8"));
    }
    return true;
}

qsizetype LineReader::LinesBeforeNextSection() const {
    qsizetype lines = 0;
    qsizetype at = position_;
    while (at < bytes_.size() && bytes_[at] != '!') {
        ++lines;
        const qsizetype end = bytes_.indexOf('\n', at);
        if (end < 0) {
            break;
        }
        at = end + 1;
    }
    return lines;
}

void LineReader::Fail(const QString& reason) const {
    ThrowMalformed(fileName_, lineNumber_, reason);
}

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Most fields are ASCII, which Latin-1 decoding takes at its exact size.
QString Decode(const char* text, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            return QString::fromUtf8(text, size);
        }
    }
    return QString::fromLatin1(text, size);
}
}  // namespace

QString SplitFields(QByteArrayView line, QStringList& fields) {
    fields.clear();
    const char* p = line.data();
    const char* end = p + line.size();
    while (true) {
        const char* q = p;
        while (q < end && IsBlank(*q)) {
            ++q;
        }
        if (q < end && *q == '"') {
            QByteArray text;
            ++q;
            bool closed = false;
            while (q < end) {
                if (*q == '"') {
                    if (q + 1 < end && q[1] == '"') {
                        text.append('"');
                        q += 2;
                        continue;
                    }
                    closed = true;
                    ++q;
                    break;
                }
                text.append(*q++);
            }
            if (!closed) {
                return QStringLiteral("a quoted field is not closed (unterminated quote)");
            }
            while (q < end && IsBlank(*q)) {
                ++q;
            }
            if (q < end && *q != ';') {
                return QStringLiteral("text after the closing quote of field %1")
                    .arg(fields.size() + 1);
            }
            fields.append(QString::fromUtf8(text));
            if (q == end) {
                return {};
            }
            p = q + 1;
            continue;
        }
        const char* fieldEnd = q;
        while (fieldEnd < end && *fieldEnd != ';') {
            if (*fieldEnd == '"') {
                return QStringLiteral("a quote inside unquoted field %1 (quote the whole field)")
                    .arg(fields.size() + 1);
            }
            ++fieldEnd;
        }
        const char* trimmed = fieldEnd;
        while (trimmed > q && IsBlank(trimmed[-1])) {
            --trimmed;
        }
        fields.append(Decode(q, trimmed - q));
        if (fieldEnd == end) {
            return {};
        }
        p = fieldEnd + 1;
    }
}

QString QuoteField(const QString& field) {
    if (field.isEmpty()) {
        return field;
    }
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    const bool needsQuotes = field.contains(u';') || field.contains(u'"') || blank(field.front()) ||
                             blank(field.back()) || field.front() == u'!' || field.front() == u'\'';
    if (!needsQuotes) {
        return field;
    }
    QString quoted = field;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString JoinFields(const QStringList& fields) {
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += u';';
        }
        line += QuoteField(fields[i]);
    }
    return line;
}

bool HasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

}  // namespace tarsel::local::format
