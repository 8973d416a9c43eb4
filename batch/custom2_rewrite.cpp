#include "batch/custom2_rewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <QFile>
#include <cerrno>
#include <cstring>
#include <vector>

#include "batch/bsConstants.h"
#include "server/tarsel_error.h"

namespace tarsel::batch {

namespace {

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
    Writer(int fd, std::function<void(int)> fail, size_t size)
        : fd_(fd), fail_(std::move(fail)), buffer_(size) {}
    void Put(const char* data, size_t size) {
        if (size <= buffer_.size() - used_) {
            std::memcpy(buffer_.data() + used_, data, size);
            used_ += size;
            return;
        }
        while (size > 0) {
            if (used_ == buffer_.size()) {
                Flush();
            }
            const size_t room = std::min(size, buffer_.size() - used_);
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

// Every CR and LF ends a line; an empty line (as between the CR and LF of a CR LF pair)
// is never written, so the two need not be told apart. Within a line the bytes up to and
// including the ninth semicolon are written, then the value, then everything from the
// tenth semicolon on; a line that ends before its twelfth semicolon is taken back.
// Bytes are written in as few pieces as possible: a record that lies within one chunk
// costs four copies.
class LineRewriter {
  public:
    LineRewriter(Writer& writer, const QByteArray& value) : out_(writer), value_(value) {
        lineOut_ = out_.Position();
    }

    // One chunk of the input.
    void Feed(const char* begin, const char* end) {
        pending_ = begin;
        lineStart_ = begin;
        const char* block = begin;
#ifdef __SSE2__
        const __m128i semicolon = _mm_set1_epi8(';');
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        for (; end - block >= 16; block += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
            unsigned semicolons =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, semicolon)));
            unsigned ends = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))));
            for (;;) {
                // The semicolons before the block's next line end (all, when it has none).
                const unsigned before =
                    ends != 0 ? semicolons & ((ends & (0u - ends)) - 1) : semicolons;
                Semicolons(block, before);
                semicolons &= ~before;
                if (ends == 0) {
                    break;
                }
                LineEnd(block + __builtin_ctz(ends));
                ends &= ends - 1;
            }
        }
#endif
        for (; block < end; ++block) {
            if (*block == ';') {
                Semicolon(block);
            } else if (*block == '\r' || *block == '\n') {
                LineEnd(block);
            }
        }
        // The line goes on in the next chunk: write what it holds so far, unless that is
        // the tenth field.
        if (semicolons_ != 9 && end > pending_) {
            out_.Put(pending_, static_cast<size_t>(end - pending_));
        }
        if (end > lineStart_) {
            hasBytes_ = true;
        }
    }

    // At the end of the input: a last line without a line end.
    void Finish() {
        if (hasBytes_ || semicolons_ > 0) {
            EndLine();
        }
    }

    Custom2Counts counts;

  private:
    // The semicolons of a block of sixteen bytes at block, one bit each in mask: only the
    // ninth to twelfth of a line need their places.
    void Semicolons(const char* block, unsigned mask) {
        if (semicolons_ >= 12 || mask == 0) {
            return;
        }
        // Up to the eighth only the count matters.
        while (mask != 0 && semicolons_ < 8) {
            mask &= mask - 1;
            ++semicolons_;
        }
        while (mask != 0 && semicolons_ < 12) {
            Semicolon(block + __builtin_ctz(mask));
            mask &= mask - 1;
        }
    }

    void Semicolon(const char* at) {
        if (semicolons_ >= 12) {
            return;
        }
        ++semicolons_;
        if (semicolons_ == 9) {
            out_.Put(pending_, static_cast<size_t>(at + 1 - pending_));
            out_.Put(value_.constData(), static_cast<size_t>(value_.size()));
            pending_ = at + 1;
        } else if (semicolons_ == 10) {
            pending_ = at;  // the tenth field is left out
        }
    }

    void LineEnd(const char* at) {
        if (at > lineStart_) {
            hasBytes_ = true;
        }
        if (semicolons_ >= 12) {
            out_.Put(pending_, static_cast<size_t>(at - pending_));
        }
        EndLine();
        pending_ = at + 1;
        lineStart_ = at + 1;
    }

    void EndLine() {
        if (semicolons_ >= 12) {
            out_.Put("\r\n", 2);
            ++counts.records;
        } else {
            if (out_.Position() > lineOut_) {
                out_.TruncateTo(lineOut_);
            }
            if (hasBytes_) {
                ++counts.dropped;
            }
        }
        semicolons_ = 0;
        hasBytes_ = false;
        lineOut_ = out_.Position();
    }

    Writer& out_;
    QByteArray value_;
    int semicolons_ = 0;
    bool hasBytes_ = false;          // the line holds anything (then a short one counts as dropped)
    const char* pending_ = nullptr;  // first byte of the chunk not yet written or left out
    const char* lineStart_ = nullptr;  // where the line's bytes in this chunk begin
    int64_t lineOut_ = 0;              // where the line starts in the output
};

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

Custom2Counts RewriteCustom2(const QString& input, const QString& output, const QByteArray& value,
                             const QString& source, const std::function<bool()>& stop,
                             size_t chunkBytes) {
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
    Writer writer(temporary.fd(), writeFailed, std::max<size_t>(chunkBytes, 64));
    writer.Put("!DATA\r\n", 7);
    LineRewriter lines(writer, value);

    std::vector<char> chunk(std::max<size_t>(chunkBytes, 1));
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
        lines.Feed(chunk.data(), chunk.data() + got);
    }
    lines.Finish();
    writer.Flush();
    if (!temporary.Commit(mode)) {
        writeFailed(errno);
    }
    return lines.counts;
}

}  // namespace tarsel::batch
