#include "tools/tarsel-local/password_input.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace tarsel::tools {

namespace {

// Turns terminal echo off for its lifetime.
class EchoOff {
  public:
    EchoOff() {
        if (tcgetattr(STDIN_FILENO, &saved_) == 0) {
            termios quiet = saved_;
            quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
            active_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
        }
    }
    ~EchoOff() {
        if (active_) {
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    termios saved_{};
    bool active_ = false;
};

std::string ReadLine() {
    std::string line;
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
        line.push_back(static_cast<char>(c));
    }
    if (c == EOF && line.empty()) {
        throw std::runtime_error("no password given on standard input");
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

QString Ask(const QString& prompt) {
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    std::string line;
    try {
        EchoOff quiet;
        line = ReadLine();
    } catch (...) {
        // The typed line end is not echoed: end the prompt's line before the reason.
        std::fputs("\n", stderr);
        throw;
    }
    std::fputs("\n", stderr);
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

}  // namespace

QString ReadNewPassword(const QString& user) {
    QString password;
    if (isatty(STDIN_FILENO)) {
        password = Ask(QStringLiteral("Password for %1: ").arg(user));
        if (Ask(QStringLiteral("Repeat the password: ")) != password) {
            throw std::runtime_error("the two passwords differ; nothing was changed");
        }
    } else {
        const std::string line = ReadLine();
        password = QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    if (password.isEmpty()) {
        throw std::runtime_error("an empty password is refused");
    }
    return password;
}

}  // namespace tarsel::tools
