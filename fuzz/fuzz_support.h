#pragma once
// What every fuzz target shares: a verdict that stops the run with a finding, the check
// that a refusal is the reader's own clear error, and a scratch file for readers of paths.

#include <unistd.h>
#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "server/tarsel_error.h"

namespace tarsel::fuzz {

// A broken promise of the code under test: libFuzzer keeps the input as a crash.
[[noreturn]] inline void Finding(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "FINDING: %s\n%s\n", what, detail.toLocal8Bit().constData());
    std::abort();
}

// A reader refuses bad input with the number it promises and a message that names the file.
inline void ExpectRefusal(const TarselError& error, int32_t number, const QString& fileName) {
    if (error.number() != number) {
        Finding("refused with an unexpected error number", error.description());
    }
    if (!error.description().contains(fileName)) {
        Finding("the refusal does not name the file", error.description());
    }
}

// A file of the process's own under the temporary folder, rewritten for every input.
class ScratchFile {
  public:
    explicit ScratchFile(const char* suffix) {
        const char* tmp = std::getenv("TMPDIR");
        path_ = QString::fromLocal8Bit(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                QStringLiteral("/tarsel-fuzz-%1%2").arg(::getpid()).arg(QLatin1String(suffix));
    }
    ~ScratchFile() { std::remove(path_.toLocal8Bit().constData()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const QString& path() const { return path_; }
    void Write(const uint8_t* data, size_t size) const {
        FILE* file = std::fopen(path_.toLocal8Bit().constData(), "wb");
        if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
            std::fprintf(stderr, "cannot write %s\n", path_.toLocal8Bit().constData());
            std::exit(2);
        }
    }

  private:
    QString path_;
};

}  // namespace tarsel::fuzz
