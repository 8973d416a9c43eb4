#include "batch/shell.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "batch/bsConstants.h"
#include "batch/error_text.h"

extern char** environ;

namespace tarsel::batch {

namespace {

constexpr int kSecondsPerDay = 86400;

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) {
    stopRequested = 1;
}

class SpawnedProcess : public StartedProcess {
  public:
    explicit SpawnedProcess(pid_t pid) : pid_(pid) {}
    bool Running() override {
        if (finished_) {
            return false;
        }
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_ || (r < 0 && errno != EINTR)) {
            finished_ = true;
        }
        return !finished_;
    }
    void Pause() override {
        if (QCoreApplication::instance()) {
            QCoreApplication::processEvents();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    void Stop() override {
        if (finished_) {
            return;
        }
        ::kill(pid_, SIGTERM);
        for (int wait = 0; wait < 40 && Running(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!finished_) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
            finished_ = true;
        }
    }

  private:
    pid_t pid_;
    bool finished_ = false;
};

struct FileActions {
    posix_spawn_file_actions_t actions;
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
};

}  // namespace

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = &OnStopSignal;
    // Calls in progress go on; the flag is looked at between steps.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool StopRequested() {
    return stopRequested != 0;
}

bool FolderExists(const QString& path) {
    try {
        return !path.isEmpty() && QFileInfo(path).isDir();
    } catch (...) {
        return false;
    }
}

std::unique_ptr<StartedProcess> SpawnProcessStarter::Start(const QStringList& fields) {
    const QString source = QStringLiteral("ShellAndWait");
    if (fields.isEmpty() || fields.first().isEmpty()) {
        throw TarselError(err::kInvalidArgument, source, QStringLiteral("Empty command line"));
    }
    std::vector<QByteArray> encoded;
    for (const QString& field : fields) {
        encoded.push_back(field.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& field : encoded) {
        argv.push_back(field.data());
    }
    argv.push_back(nullptr);

    FileActions files;
    posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &files.actions, nullptr, argv.data(), environ);
    if (rc != 0) {
        throw TarselError(err::kFileAccess, source,
                          QStringLiteral("Cannot start \"%1\": %2")
                              .arg(fields.first(), QString::fromLocal8Bit(std::strerror(rc))));
    }
    return std::make_unique<SpawnedProcess>(pid);
}

bool ShellAndWait(const QStringList& command, int timeoutSeconds, ProcessStarter& starter,
                  Clock& clock) {
    const int start = SecondsSinceMidnight(clock.Now());
    long long deadline = 0;
    bool crossesMidnight = false;
    if (timeoutSeconds > 0) {
        deadline = static_cast<long long>(start) + timeoutSeconds;
        if (deadline >= kSecondsPerDay) {
            deadline = static_cast<long long>(start) - kSecondsPerDay + timeoutSeconds;
            crossesMidnight = true;
        }
    }

    std::unique_ptr<StartedProcess> process;
    try {
        process = starter.Start(command);
    } catch (...) {
        return false;
    }
    while (process->Running()) {
        if (StopRequested()) {
            process->Stop();
            break;
        }
        process->Pause();
        if (timeoutSeconds != 0) {
            const int now = SecondsSinceMidnight(clock.Now());
            if (now > deadline && (!crossesMidnight || now < start)) {
                break;
            }
        }
    }
    return true;
}

}  // namespace tarsel::batch
