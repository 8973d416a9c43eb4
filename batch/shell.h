#pragma once
// File-system test and program start of the batch program.

#include <QString>
#include <QStringList>
#include <memory>

#include "batch/timestamps.h"

namespace tarsel::batch {

// Once InstallStopHandlers ran, SIGTERM and SIGINT no longer end the program at once: they
// ask it to stop. A program being waited for is stopped, the command in progress fails,
// and the batch writes its footer and ends.
void InstallStopHandlers();
bool StopRequested();

// True when path names an existing directory; false for anything else, errors included.
bool FolderExists(const QString& path);

class StartedProcess {
  public:
    virtual ~StartedProcess() = default;
    virtual bool Running() = 0;
    // Lets pending work run and waits a moment before the next poll.
    virtual void Pause() = 0;
    // Asks the program to end, and ends it when it does not within a moment.
    virtual void Stop() = 0;
};

class ProcessStarter {
  public:
    virtual ~ProcessStarter() = default;
    // Starts the program command[0] with the arguments after it, without a shell. Throws a
    // TarselError when the program cannot be started.
    virtual std::unique_ptr<StartedProcess> Start(const QStringList& command) = 0;
};

// posix_spawn with standard input, output and error on /dev/null, so that nothing the
// program says mixes with the batch's own output. A program still running when the
// waiting ends keeps running on its own.
class SpawnProcessStarter : public ProcessStarter {
  public:
    std::unique_ptr<StartedProcess> Start(const QStringList& command) override;
};

// Starts the command and polls until it ends or, for a time-out above 0, until the
// seconds since local midnight pass the deadline (a wait crossing midnight ends only
// after midnight), or until the batch is asked to stop, which stops the program. False
// only when the program could not be started; the exit code is not looked at.
bool ShellAndWait(const QStringList& command, int timeoutSeconds, ProcessStarter& starter,
                  Clock& clock);

}  // namespace tarsel::batch
