#include "batch/custom2_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

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
    explicit TemporaryOutput(const char* target) : target_(target) {
        path_ = target_ + ".tmp-XXXXXX";
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) {
            throw Custom2Failure{Custom2Failure::kCreateOutput, errno};
        }
    }
    ~TemporaryOutput() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!committed_) {
            ::unlink(path_.c_str());
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
        if (::close(fd) != 0 || ::rename(path_.c_str(), target_.c_str()) != 0) {
            return false;
        }
        committed_ = true;
        return true;
    }

  private:
    std::string target_;
    std::string path_;
    int fd_ = -1;
    bool committed_ = false;
};

// Bytes that may be read past the end of a piece given to Writer::Put.
constexpr size_t kReadSlack = 32;
constexpr size_t kShortPiece = 256;

// A thread that runs one job at a time, in the order given, beside the caller's thread.
// Jobs report through state that the caller reads after Wait(); the destructor lets the
// running job end and joins the thread, on every path.
class JobThread {
  public:
    JobThread() : thread_([this] { Run(); }) {}
    ~JobThread() {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !job_; });
            quit_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    // Hands job over once the job before it has ended; returns without waiting for it.
    void Start(std::function<void()> job) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !job_; });
            job_ = std::move(job);
        }
        changed_.notify_all();
    }
    // Returns when the last job started has ended; what it did is then visible here.
    void Wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !job_; });
    }

  private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return job_ || quit_; });
            if (quit_) {
                return;
            }
            lock.unlock();
            job_();
            lock.lock();
            job_ = nullptr;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;  // the job running or about to run
    bool quit_ = false;
    std::thread thread_;  // last: it starts when everything above exists
};

// The file in chunks, the next one read on a thread of its own while the caller works
// on the one before, so that the copy out of the kernel overlaps the rewrite. A chunk is
// followed by kReadSlack readable bytes and stays valid until the next call of Next().
class Reader {
  public:
    Reader(int fd, size_t size, std::function<void(int)> fail)
        : fd_(fd),
          size_(size),
          fail_(std::move(fail)),
          buffers_{std::make_unique_for_overwrite<char[]>(size + kReadSlack),
                   std::make_unique_for_overwrite<char[]>(size + kReadSlack)} {
        ReadAhead(0);
    }

    // The next chunk; empty at the end of the file.
    std::span<const char> Next() {
        thread_.Wait();
        if (error_ != 0) {
            fail_(error_);
        }
        const int ready = reading_;
        if (got_ > 0) {
            const size_t got = got_;
            ReadAhead(ready ^ 1);
            return {buffers_[ready].get(), got};
        }
        return {};
    }

  private:
    void ReadAhead(int buffer) {
        reading_ = buffer;
        got_ = 0;
        thread_.Start([this, to = buffers_[buffer].get()] {
            while (got_ < size_) {
                const ssize_t n = ::read(fd_, to + got_, size_ - got_);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n <= 0) {
                    error_ = n < 0 ? errno : 0;
                    return;
                }
                got_ += static_cast<size_t>(n);
            }
        });
    }

    int fd_;
    size_t size_;  // of a chunk
    std::function<void(int)> fail_;
    std::unique_ptr<char[]> buffers_[2];
    int reading_ = 0;  // the buffer the thread fills
    size_t got_ = 0;   // bytes in it once the thread is done
    int error_ = 0;    // the failure of the read, if any
    JobThread thread_;
};

// Buffered output whose write() calls run on a thread of their own, so that writing one
// buffer overlaps filling the other: the time approaches the larger of reading and
// writing instead of their sum. It can take back the line being written, also when part
// of it has already reached the file (a long line that turns out to have too few
// semicolons). Failures of the thread are raised through fail on the caller's thread.
class Writer {
  public:
    Writer(int fd, std::function<void(int)> fail, size_t size)
        : fd_(fd),
          fail_(std::move(fail)),
          size_(size),
          buffers_{std::make_unique_for_overwrite<char[]>(size),
                   std::make_unique_for_overwrite<char[]>(size)} {}
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // data must be followed by kReadSlack readable bytes: short pieces (the bulk of a
    // rewrite) are copied in whole blocks, without a call.
    void Put(const char* data, size_t size) {
        if (size <= kShortPiece && used_ + size + kReadSlack <= size_) {
            char* to = buffers_[filling_].get() + used_;
            for (size_t done = 0; done < size; done += kReadSlack) {
                std::memcpy(to + done, data + done, kReadSlack);
            }
            used_ += size;
            return;
        }
        while (size > 0) {
            if (used_ == size_) {
                HandOver();
            }
            const size_t room = std::min(size, size_ - used_);
            std::memcpy(buffers_[filling_].get() + used_, data, room);
            used_ += room;
            data += room;
            size -= room;
        }
    }
    int64_t Position() const { return handed_ + static_cast<int64_t>(used_); }
    void TruncateTo(int64_t position) {
        if (position >= handed_) {
            used_ = static_cast<size_t>(position - handed_);
            return;
        }
        // Rare: a line longer than a buffer is dropped. The file's end must be still.
        WaitIdle();
        used_ = 0;
        if (::ftruncate(fd_, position) != 0 || ::lseek(fd_, position, SEEK_SET) < 0) {
            fail_(errno);
        }
        handed_ = position;
    }
    // Everything put so far is in the file when this returns.
    void Flush() {
        HandOver();
        WaitIdle();
    }

  private:
    // Gives the filled buffer to the thread and goes on with the other one, once the
    // thread has finished writing it.
    void HandOver() {
        if (used_ == 0) {
            return;
        }
        WaitIdle();
        thread_.Start([this, data = buffers_[filling_].get(), left = used_]() mutable {
            while (left > 0) {
                const ssize_t written = ::write(fd_, data, left);
                if (written < 0) {
                    if (errno == EINTR) {
                        continue;
                    }
                    error_ = errno;
                    return;
                }
                data += written;
                left -= static_cast<size_t>(written);
            }
        });
        handed_ += static_cast<int64_t>(used_);
        filling_ ^= 1;
        used_ = 0;
    }
    void WaitIdle() {
        thread_.Wait();
        if (error_ != 0) {
            fail_(error_);
        }
    }

    int fd_;
    std::function<void(int)> fail_;
    size_t size_;  // of each buffer; their bytes are not zeroed, every page is touched once
    std::unique_ptr<char[]> buffers_[2];
    int filling_ = 0;     // the buffer being filled; the other may be with the thread
    size_t used_ = 0;     // bytes in the buffer being filled
    int64_t handed_ = 0;  // bytes given to the thread, all told
    int error_ = 0;       // the first failure of the thread; nothing is written after it
    JobThread thread_;    // last: joined before the buffers go
};

// The semicolons, CRs and LFs of 64 bytes, one bit each, lowest bit first.
struct ByteClasses {
    uint64_t semicolons;
    uint64_t crs;
    uint64_t lfs;
};

ByteClasses Classify(const char* at) {
    ByteClasses classes{0, 0, 0};
#ifdef __SSE2__
    const __m128i semicolon = _mm_set1_epi8(';');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * part));
        const auto bits = [&](__m128i of) {
            return uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, of)))}
                   << (16 * part);
        };
        classes.semicolons |= bits(semicolon);
        classes.crs |= bits(cr);
        classes.lfs |= bits(lf);
    }
#else
    for (int i = 0; i < 64; ++i) {
        classes.semicolons |= uint64_t{at[i] == ';'} << i;
        classes.crs |= uint64_t{at[i] == '\r'} << i;
        classes.lfs |= uint64_t{at[i] == '\n'} << i;
    }
#endif
    return classes;
}

// Every CR and LF ends a line, a CR LF pair once; an empty line is never written. Within
// a line the bytes up to and including the ninth semicolon are written, then the value,
// then everything from the tenth semicolon on; a line that ends before its twelfth
// semicolon is taken back. Input is copied in runs as long as possible: from a record's
// tenth semicolon through its CR LF to the next record's ninth semicolon is one copy, so
// a record costs two. A chunk must be followed by kReadSlack readable bytes.
class LineRewriter {
  public:
    LineRewriter(Writer& writer, std::string_view value) : out_(writer) {
        value_.assign(value.begin(), value.end());
        valueSize_ = value_.size();
        value_.resize(valueSize_ + kReadSlack);
        lineOut_ = out_.Position();
    }

    // One chunk of the input.
    void Feed(const char* begin, const char* end) {
        pending_ = begin;
        lineStart_ = begin;
        end_ = end;
        uint64_t crBefore = 0;  // the last byte of the block before was a CR
        const char* block = begin;
        for (; end - block >= 64; block += 64) {
            const ByteClasses classes = Classify(block);
            Block(block, classes, crBefore);
            crBefore = classes.crs >> 63;
        }
        if (block < end) {
            // The last bytes through a copy padded with bytes that are none of the three.
            char last[64] = {};
            std::memcpy(last, block, static_cast<size_t>(end - block));
            Block(block, Classify(last), crBefore);
        }
        // The line goes on in the next chunk: write what it holds so far, unless that is
        // the tenth field.
        if (semicolons_ != 9 && end > pending_) {
            out_.Put(pending_, static_cast<size_t>(end - pending_));
        }
        if (end > lineStart_) {
            lineHasBytes_ = true;
        }
    }

    // At the end of the input: a last line without a line end.
    void Finish() {
        if (lineHasBytes_) {
            EndLine(nullptr);
        }
    }

    Custom2Counts counts;

  private:
    // An LF right after a CR ends no line of its own.
    void Block(const char* block, const ByteClasses& classes, uint64_t crBefore) {
        uint64_t semicolons = classes.semicolons;
        uint64_t ends = classes.crs | (classes.lfs & ~((classes.crs << 1) | crBefore));
        while (ends != 0) {
            const int at = __builtin_ctzll(ends);
            const uint64_t before = (uint64_t{1} << at) - 1;
            Semicolons(block, semicolons & before);
            semicolons &= ~before;
            const char* const end = block + at;
            if (end > lineStart_) {
                lineHasBytes_ = true;
            }
            EndLine(end);
            ends &= ends - 1;
        }
        Semicolons(block, semicolons);
    }

    // The semicolons of a block at block, one bit each in mask: only the ninth and tenth
    // of a line need their places, and only up to the twelfth are counted.
    void Semicolons(const char* block, uint64_t mask) {
        while (mask != 0 && semicolons_ < 8) {
            mask &= mask - 1;
            ++semicolons_;
        }
        if (mask == 0 || semicolons_ >= 12) {
            return;
        }
        if (semicolons_ == 8) {
            const char* at = block + __builtin_ctzll(mask);
            out_.Put(pending_, static_cast<size_t>(at + 1 - pending_));
            out_.Put(value_.data(), valueSize_);
            semicolons_ = 9;
            mask &= mask - 1;
            if (mask == 0) {
                return;
            }
        }
        if (semicolons_ == 9) {
            pending_ = block + __builtin_ctzll(mask);  // the tenth field is left out
            semicolons_ = 10;
            mask &= mask - 1;
        }
        while (mask != 0 && semicolons_ < 12) {
            mask &= mask - 1;
            ++semicolons_;
        }
    }

    // The line ends at at, a CR or LF (nullptr: at the end of the input, all of it
    // written).
    void EndLine(const char* at) {
        const char* next = nullptr;  // where the next line begins
        if (at != nullptr) {
            next = at + 1;
            if (*at == '\r' && next < end_ && *next == '\n') {
                ++next;
            }
        }
        if (semicolons_ >= 12) {
            ++counts.records;
            if (at == nullptr) {
                out_.Put(kCrLf, 2);
            } else if (next != at + 2) {
                out_.Put(pending_, static_cast<size_t>(at - pending_));
                out_.Put(kCrLf, 2);
                pending_ = next;
            }  // else the CR LF stays in the run being copied
        } else {
            // The run before the line belongs to earlier records.
            if (at != nullptr && semicolons_ < 9 && lineStart_ > pending_) {
                out_.Put(pending_, static_cast<size_t>(lineStart_ - pending_));
            }
            if (out_.Position() > lineOut_) {
                out_.TruncateTo(lineOut_);
            }
            if (lineHasBytes_) {
                ++counts.dropped;
            }
            if (at != nullptr) {
                pending_ = next;
            }
        }
        semicolons_ = 0;
        lineHasBytes_ = false;
        lineStart_ = next;
        lineOut_ = out_.Position() + (next != nullptr ? next - pending_ : 0);
    }

    static constexpr char kCrLf[kReadSlack] = "\r\n";

    Writer& out_;
    std::vector<char> value_;  // followed by kReadSlack bytes
    size_t valueSize_ = 0;
    int semicolons_ = 0;               // of the line so far, counted up to twelve
    bool lineHasBytes_ = false;        // then a short line counts as dropped
    const char* pending_ = nullptr;    // first byte of the chunk not yet written or left out
    const char* lineStart_ = nullptr;  // where the line's bytes in this chunk begin
    const char* end_ = nullptr;        // of the chunk
    int64_t lineOut_ = 0;              // where the line starts in the output
};

}  // namespace

Custom2Counts RewriteCustom2Bytes(const char* input, const char* output, std::string_view value,
                                  const std::function<bool()>& stop, size_t chunkBytes) {
    Fd in(::open(input, O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) {
        throw Custom2Failure{Custom2Failure::kOpenInput, errno};
    }
    struct stat inStat {};
    if (::fstat(in.get(), &inStat) != 0 || S_ISDIR(inStat.st_mode)) {
        throw Custom2Failure{Custom2Failure::kInputIsFolder, 0};
    }
    struct stat outStat {};
    const bool outputExists = ::stat(output, &outStat) == 0;
    if (outputExists && outStat.st_dev == inStat.st_dev && outStat.st_ino == inStat.st_ino) {
        throw Custom2Failure{Custom2Failure::kOutputIsInput, 0};
    }
    if (outputExists && S_ISDIR(outStat.st_mode)) {
        throw Custom2Failure{Custom2Failure::kOutputIsFolder, 0};
    }
    mode_t mode = 0;
    if (outputExists) {
        mode = outStat.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    TemporaryOutput temporary(output);
    const auto writeFailed = [](int error) {
        throw Custom2Failure{Custom2Failure::kWriteOutput, error};
    };
    Writer writer(temporary.fd(), writeFailed, std::max<size_t>(chunkBytes, 4096));
    static constexpr char kHeader[kReadSlack] = "!DATA\r\n";
    writer.Put(kHeader, 7);
    LineRewriter lines(writer, value);

    Reader reader(in.get(), std::max<size_t>(chunkBytes, 1), [](int error) {
        throw Custom2Failure{Custom2Failure::kReadInput, error};
    });
    for (;;) {
        if (stop && stop()) {
            throw Custom2Failure{Custom2Failure::kStopped, 0};
        }
        const std::span<const char> chunk = reader.Next();
        if (chunk.empty()) {
            break;
        }
        lines.Feed(chunk.data(), chunk.data() + chunk.size());
    }
    lines.Finish();
    writer.Flush();
    if (!temporary.Commit(mode)) {
        writeFailed(errno);
    }
    return lines.counts;
}

}  // namespace tarsel::batch
