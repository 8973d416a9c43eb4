#include "server/local/format/text_lines.h"

#include <fcntl.h>

#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "server/tarsel_error.h"

namespace tarsel::local::format {

std::unique_ptr<QFile> OpenInputFile(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->exists()) {
        ThrowClientError(code::kFileNotFound, QStringLiteral("%1: no such file").arg(path));
    }
    if (QFileInfo(path).isDir()) {
        ThrowClientError(code::kFileUnreadable,
                         QStringLiteral("%1: is a folder, not a file").arg(path));
    }
    if (!file->open(QIODevice::ReadOnly)) {
        ThrowClientError(code::kFileUnreadable,
                         QStringLiteral("%1: cannot be read (%2)").arg(path, file->errorString()));
    }
    return file;
}

QByteArray ReadWholeFile(const QString& path) {
    return OpenInputFile(path)->readAll();
}

OutputFile::OutputFile(const QString& path) : file_(path) {
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Fail();
    }
}

void OutputFile::Write(QByteArrayView bytes) {
    errno = 0;
    if (file_.write(bytes.data(), bytes.size()) != bytes.size()) {
        Fail(errno);
    }
    written_ += bytes.size();
#ifdef __linux__
    constexpr qint64 kSendEvery = qint64{8} << 20;
    if (written_ - sent_ >= kSendEvery) {
        // Only starts the writing; a failure shows in the sync at Commit.
        ::sync_file_range(file_.handle(), sent_, written_ - sent_, SYNC_FILE_RANGE_WRITE);
        sent_ = written_;
    }
#endif
}

void OutputFile::Commit() {
    if (!file_.commit()) {
        Fail();
    }
}

void OutputFile::Fail(int error) {
    const QString reason =
        error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : file_.errorString();
    file_.cancelWriting();
    ThrowClientError(code::kFileUnwritable,
                     QStringLiteral("%1: cannot be written (%2)").arg(file_.fileName(), reason));
}

void WriteWholeFile(const QString& path, QByteArrayView bytes) {
    OutputFile file(path);
    file.Write(bytes);
    file.Commit();
}

namespace {
QString Where(const QString& fileName, int line) {
    return line > 0 ? QStringLiteral("%1, line %2: ").arg(fileName).arg(line)
                    : QStringLiteral("%1: ").arg(fileName);
}
}  // namespace

LineFault::LineFault(const QString& fileName, int line, const QString& reason)
    : TarselError(code::kMalformedFile, QString::fromLatin1(kClientLibrarySource),
                  Where(fileName, line) + reason),
      line_(line),
      reason_(reason) {}

void ThrowMalformed(const QString& fileName, int line, const QString& reason) {
    throw LineFault(fileName, line, reason);
}

bool FileFaults::Add(int line, const QString& reason) {
    if (count() < kMostListed) {
        faults_.emplace_back(fileName_, line, reason);
    }
    return count() < kMostListed;
}

std::vector<LineFault> FileFaults::Sorted() const {
    std::vector<LineFault> sorted = faults_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const LineFault& a, const LineFault& b) { return a.line() < b.line(); });
    return sorted;
}

void FileFaults::ThrowFirst() const {
    if (!faults_.empty()) {
        throw Sorted().front();
    }
}

bool IsValidUtf8(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Most text is ASCII: eight bytes at a time while none has its high bit set.
        uint64_t word = 0;
        while (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080ull) == 0)) {
            p += 8;
        }
        if (p == end) {
            break;
        }
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

namespace {
constexpr qsizetype kChunk = 1 << 20;
const char kByteOrderMark[] = "\xEF\xBB\xBF";
}  // namespace

LineReader::LineReader(const QByteArray& bytes, QString fileName)
    : buffer_(bytes), fileName_(std::move(fileName)), total_(bytes.size()), atEnd_(true) {
    if (buffer_.startsWith(kByteOrderMark)) {
        position_ = 3;
    }
}

LineReader::LineReader(QIODevice& device, QString fileName)
    : device_(&device), fileName_(std::move(fileName)), total_(device.size() - device.pos()) {
    while (buffer_.size() < 3 && Fill()) {
    }
    if (buffer_.startsWith(kByteOrderMark)) {
        position_ = 3;
    }
}

bool LineReader::Fill() {
    if (!device_ || atEnd_) {
        return false;
    }
    if (position_ > 0) {
        buffer_.remove(0, position_);
        consumed_ += position_;
        position_ = 0;
    }
    const qsizetype kept = buffer_.size();
    buffer_.resize(kept + kChunk);
    const qint64 got = device_->read(buffer_.data() + kept, kChunk);
    if (got < 0) {
        ThrowClientError(
            code::kFileUnreadable,
            QStringLiteral("%1: cannot be read (%2)").arg(fileName_, device_->errorString()));
    }
    buffer_.resize(kept + got);
    atEnd_ = got == 0;
    return !atEnd_;
}

bool LineReader::Next() {
    qsizetype end = buffer_.indexOf('\n', position_);
    while (end < 0) {
        const qsizetype pending = buffer_.size() - position_;
        if (pending > kLongestLine) {
            ++lineNumber_;
            Fail(QStringLiteral("the line is longer than %1 bytes").arg(kLongestLine));
        }
        if (!Fill()) {
            break;
        }
        end = buffer_.indexOf('\n', pending);
    }
    if (position_ >= buffer_.size()) {
        return false;
    }
    ++lineNumber_;
    const char* data = buffer_.constData();
    const qsizetype start = position_;
    if (end < 0) {
        end = buffer_.size();
        position_ = end;
    } else {
        position_ = end + 1;
    }
    qsizetype lineEnd = end;
    if (lineEnd > start && data[lineEnd - 1] == '\r') {
        --lineEnd;
    }
    if (lineEnd - start > kLongestLine) {
        Fail(QStringLiteral("the line is longer than %1 bytes").arg(kLongestLine));
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
    bool lineStart = true;
    // True at the first line that begins with '!'.
    const auto scan = [&](const char* p, qsizetype n) {
        qsizetype i = 0;
        while (i < n) {
            if (lineStart) {
                if (p[i] == '!') {
                    return true;
                }
                ++lines;
                lineStart = false;
            }
            const void* lf = std::memchr(p + i, '\n', static_cast<size_t>(n - i));
            if (!lf) {
                return false;
            }
            i = static_cast<const char*>(lf) - p + 1;
            lineStart = true;
        }
        return false;
    };
    if (scan(buffer_.constData() + position_, buffer_.size() - position_) || atEnd_ || !device_) {
        return lines;
    }
    // Ahead of the buffer: read on, then put the device back where it was. The count
    // only sizes a reservation, so a section too long to look through gets what was seen.
    constexpr qint64 kFarthest = qint64{256} << 20;
    const qint64 resume = device_->pos();
    QByteArray chunk(kChunk, Qt::Uninitialized);
    qint64 got = 0;
    while (device_->pos() - resume < kFarthest && (got = device_->read(chunk.data(), kChunk)) > 0 &&
           !scan(chunk.constData(), got)) {
    }
    device_->seek(resume);
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
    const bool needsQuotes = field.contains(u';') || field.contains(u'"') ||
                             QuotedWhenFirst(field.front()) || QuotedWhenLast(field.back());
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
