#include "batch/command_file.h"

#include <QStringDecoder>

#include "batch/bsConstants.h"
#include "batch/error_text.h"

namespace tarsel::batch {

namespace {
constexpr qint64 kChunk = 64 * 1024;
const QString kSource = QStringLiteral("Main");
}  // namespace

CommandFileReader::CommandFileReader(const QString& path) : file_(path) {
    if (!file_.open(QIODevice::ReadOnly)) {
        throw TarselError(
            err::kFileAccess, kSource,
            QStringLiteral("Cannot open command file \"%1\": %2").arg(path, file_.errorString()));
    }
}

bool CommandFileReader::Fill() {
    if (eof_) {
        return false;
    }
    if (pos_ > 0) {
        buffer_.remove(0, pos_);
        pos_ = 0;
    }
    const QByteArray chunk = file_.read(kChunk);
    if (chunk.isEmpty()) {
        if (file_.error() != QFileDevice::NoError) {
            throw TarselError(err::kFileAccess, kSource,
                              QStringLiteral("Cannot read command file \"%1\" after line %2: %3")
                                  .arg(file_.fileName())
                                  .arg(lineNumber_)
                                  .arg(file_.errorString()));
        }
        eof_ = true;
        return false;
    }
    buffer_ += chunk;
    return true;
}

bool CommandFileReader::Next(CommandFileLine& line) {
    qsizetype scan = pos_;
    for (;;) {
        while (scan < buffer_.size() && buffer_[scan] != '\r' && buffer_[scan] != '\n') {
            ++scan;
        }
        const bool found = scan < buffer_.size();
        // A carriage return at the end of the buffer may be followed by a line feed.
        if (found && !(buffer_[scan] == '\r' && scan + 1 == buffer_.size() && !eof_)) {
            break;
        }
        const qsizetype offset = scan - pos_;  // Fill moves the unread part to the front
        const bool more = Fill();
        scan = pos_ + offset;
        if (!more && !found) {
            if (pos_ >= buffer_.size()) {
                return false;
            }
            break;
        }
    }
    const qsizetype end = scan;

    QByteArray bytes = buffer_.mid(pos_, end - pos_);
    qsizetype next = end;
    if (next < buffer_.size()) {
        next += (buffer_[next] == '\r' && next + 1 < buffer_.size() && buffer_[next + 1] == '\n')
                    ? 2
                    : 1;
    }
    pos_ = next;

    ++lineNumber_;
    if (lineNumber_ == 1 && bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    line = CommandFileLine{};
    line.number = lineNumber_;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    line.text = decoder.decode(bytes);
    if (decoder.hasError()) {
        line.problem = QStringLiteral("the line is not valid UTF-8");
    } else if (bytes.contains('\0')) {
        line.problem = QStringLiteral("the line contains a NUL character");
    }
    return true;
}

}  // namespace tarsel::batch
