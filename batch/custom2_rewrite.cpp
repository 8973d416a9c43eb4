#include "batch/custom2_rewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <vector>

#include "batch/bsConstants.h"
#include "server/tarsel_error.h"

namespace tarsel::batch {

namespace {

constexpr size_t kChunk = 1 << 20;

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

// The temporary file beside the output; removed unless committed.
class TemporaryOutput {
  public:
    TemporaryOutput(const QByteArray& target, const QString& source, const QString& shown)
        : target_(target) {
        path_ = target + ".tmp-XXXXXX";
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) {
            const int error = errno;
            throw TarselError(error == ENOENT ? err::kPathNotFound : err::kFileAccess, source,
                              QStringLiteral("Cannot write %1: %2")
                                  .arg(shown, QString::fromLocal8Bit(std::strerror(error))));
        }
    }
    ~TemporaryOutput() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!committed_) {
            ::unlink(path_.constData());
        }
    }
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    int fd() const { return fd_; }
    // Closes the file and puts it in the output's place.
    bool Commit(mode_t mode) {
        ::fchmod(fd_, mode);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 || ::rename(path_.constData(), target_.constData()) != 0) {
            return false;
        }
        committed_ = true;
        return true;
    }

  private:
    QByteArray target_;
    QByteArray path_;
    int fd_ = -1;
    bool committed_ = false;
};

// Buffered output that can take back the line it is writing, also when part of the line
// has already reached the file (a long line that turns out to have too few semicolons).
class Writer {
  public:
    Writer(int fd, std::function<void(int)> fail)
        : fd_(fd), fail_(std::move(fail)), buffer_(kChunk) {}
    void Put(const char* data, size_t size) {
        if (size <= kChunk - used_) {
            std::memcpy(buffer_.data() + used_, data, size);
            used_ += size;
            return;
        }
        while (size > 0) {
            if (used_ == kChunk) {
                Flush();
            }
            const size_t room = std::min(size, kChunk - used_);
            std::memcpy(buffer_.data() + used_, data, room);
            used_ += room;
            data += room;
            size -= room;
        }
    }
    int64_t Position() const { return flushed_ + static_cast<int64_t>(used_); }
    void TruncateTo(int64_t position) {
        if (position >= flushed_) {
            used_ = static_cast<size_t>(position - flushed_);
            return;
        }
        used_ = 0;
        if (::ftruncate(fd_, position) != 0 || ::lseek(fd_, position, SEEK_SET) < 0) {
            fail_(errno);
        }
        flushed_ = position;
    }
    void Flush() {
        const char* data = buffer_.data();
        size_t left = used_;
        while (left > 0) {
            const ssize_t written = ::write(fd_, data, left);
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                fail_(errno);
            }
            data += written;
            left -= static_cast<size_t>(written);
        }
        flushed_ += static_cast<int64_t>(used_);
        used_ = 0;
    }

  private:
    int fd_;
    std::function<void(int)> fail_;
    std::vector<char> buffer_;
    size_t used_ = 0;
    int64_t flushed_ = 0;
};

// One line at a time, fed in pieces: fields one to nine and their semicolons are kept,
// the tenth field is replaced by the value, the rest is kept; a line that ends before its
// twelfth semicolon is taken back.
class LineRewriter {
  public:
    LineRewriter(Writer& writer, const QByteArray& value) : out_(writer), value_(value) {
        lineStart_ = out_.Position();
    }

    // Bytes of the current line, without line ends.
    void Feed(const char* p, const char* end) {
        while (p < end) {
            if (semicolons_ >= 12) {
                out_.Put(p, static_cast<size_t>(end - p));
                return;
            }
            const char* semi = static_cast<const char*>(std::memchr(p, ';', end - p));
            const char* stop = semi ? semi : end;
            if (semicolons_ != 9) {
                out_.Put(p, static_cast<size_t>(stop - p));
            }
            if (!semi) {
                return;
            }
            ++semicolons_;
            out_.Put(";", 1);
            if (semicolons_ == 9) {
                out_.Put(value_.constData(), static_cast<size_t>(value_.size()));
            }
            p = semi + 1;
        }
    }

    void EndLine() {
        if (semicolons_ >= 12) {
            out_.Put("\r\n", 2);
            ++counts.records;
        } else {
            out_.TruncateTo(lineStart_);
            if (touched_) {
                ++counts.dropped;
            }
        }
        semicolons_ = 0;
        touched_ = false;
        lineStart_ = out_.Position();
    }
    void Touch() { touched_ = true; }
    bool Touched() const { return touched_ || semicolons_ > 0; }

    Custom2Counts counts;

  private:
    Writer& out_;
    QByteArray value_;
    int semicolons_ = 0;
    bool touched_ = false;
    int64_t lineStart_ = 0;
};

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

Custom2Counts RewriteCustom2(const QString& input, const QString& output, const QByteArray& value,
                             const QString& source, const std::function<bool()>& stop) {
    const QByteArray inputName = QFile::encodeName(input);
    const QByteArray outputName = QFile::encodeName(output);

    Fd in(::open(inputName.constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        const int error = errno;
        throw TarselError(error == ENOENT ? err::kFileNotFound : err::kFileAccess, source,
                          QStringLiteral("Cannot open %1: %2").arg(input, Reason(error)));
    }
    struct stat inStat {};
    if (::fstat(in.get(), &inStat) != 0 || S_ISDIR(inStat.st_mode)) {
        throw TarselError(err::kFileAccess, source,
                          QStringLiteral("Cannot read %1: it is a folder").arg(input));
    }
    struct stat outStat {};
    const bool outputExists = ::stat(outputName.constData(), &outStat) == 0;
    if (outputExists && outStat.st_dev == inStat.st_dev && outStat.st_ino == inStat.st_ino) {
        throw TarselError(err::kFileAccess, source,
                          QStringLiteral("The output file %1 is the input file; the input would "
                                         "be lost")
                              .arg(output));
    }
    if (outputExists && S_ISDIR(outStat.st_mode)) {
        throw TarselError(err::kFileAccess, source,
                          QStringLiteral("Cannot write %1: it is a folder").arg(output));
    }
    mode_t mode = 0;
    if (outputExists) {
        mode = outStat.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    TemporaryOutput temporary(outputName, source, output);
    const auto writeFailed = [&](int error) {
        throw TarselError(err::kFileAccess, source,
                          QStringLiteral("Cannot write %1: %2").arg(output, Reason(error)));
    };
    Writer writer(temporary.fd(), writeFailed);
    writer.Put("!DATA\r\n", 7);
    LineRewriter lines(writer, value);

    std::vector<char> chunk(kChunk);
    bool afterCr = false;  // the last byte read was a CR: a LF next belongs to it
    for (;;) {
        if (stop && stop()) {
            throw TarselError(err::kStopped, source,
                              QStringLiteral("Stopped before the end of %1").arg(input));
        }
        const ssize_t got = ::read(in.get(), chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw TarselError(err::kFileAccess, source,
                              QStringLiteral("Cannot read %1: %2").arg(input, Reason(errno)));
        }
        if (got == 0) {
            break;
        }
        const char* p = chunk.data();
        const char* const end = p + got;
        if (afterCr && *p == '\n') {
            ++p;
        }
        afterCr = false;
        // Where the next CR and LF are, found once per stretch so that a chunk without
        // one of them is not searched again for every line.
        const char* nextLf = nullptr;
        const char* nextCr = nullptr;
        while (p < end) {
            if (!nextLf || nextLf < p) {
                nextLf = static_cast<const char*>(std::memchr(p, '\n', end - p));
                if (!nextLf) {
                    nextLf = end;
                }
            }
            if (!nextCr || nextCr < p) {
                nextCr = static_cast<const char*>(std::memchr(p, '\r', end - p));
                if (!nextCr) {
                    nextCr = end;
                }
            }
            const char* lineEnd = std::min(nextLf, nextCr);
            if (lineEnd > p) {
                lines.Touch();
                lines.Feed(p, lineEnd);
            }
            if (lineEnd == end) {
                break;
            }
            lines.EndLine();
            p = lineEnd + 1;
            if (*lineEnd == '\r') {
                if (p < end && *p == '\n') {
                    ++p;
                } else if (p == end) {
                    afterCr = true;
                }
            }
        }
    }
    if (lines.Touched()) {
        lines.EndLine();
    }
    writer.Flush();
    if (!temporary.Commit(mode)) {
        writeFailed(errno);
    }
    return lines.counts;
}

}  // namespace tarsel::batch
