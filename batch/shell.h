#pragma once
// File-system test and program start of the batch program.

#include <QString>
#include <memory>

#include "batch/timestamps.h"

namespace tarsel::batch {

// True when path names an existing directory; false for anything else, errors included.
bool FolderExists(const QString& path);

class StartedProcess {
  public:
    virtual ~StartedProcess() = default;
    virtual bool Running() = 0;
    // Lets pending work run and waits a moment before the next poll.
    virtual void Pause() = 0;
};

class ProcessStarter {
  public:
    virtual ~ProcessStarter() = default;
    // Starts a command line (program and arguments, double quotes group a field).
    // Throws a TarselError when the program cannot be started.
    virtual std::unique_ptr<StartedProcess> Start(const QString& commandLine) = 0;
};

// posix_spawn with standard input from /dev/null. A program still running when the
// waiting ends keeps running on its own.
class SpawnProcessStarter : public ProcessStarter {
  public:
    std::unique_ptr<StartedProcess> Start(const QString& commandLine) override;
};

// Starts the command line and polls until it ends or, for a time-out above 0, until the
// seconds since local midnight pass the deadline (a wait crossing midnight ends only
// after midnight). False only when the program could not be started; the exit code is
// not looked at.
bool ShellAndWait(const QString& commandLine, int timeoutSeconds, ProcessStarter& starter,
                  Clock& clock);

}  // namespace tarsel::batch
