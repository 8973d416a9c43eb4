#pragma once
// The program's error log: "tarselutilitieserror.log", truncated at every start, one
// framed entry per error report of the start-up routines.
//
// Frame of an entry (CR LF line ends):
//   <local time stamp yyyy-MM-dd HH:mm:ss.zzz> Error
//   <the entry text>
//   <blank line>

#include <QString>

namespace modGlobal {

inline constexpr const char* kErrorLogFileName = "tarselutilitieserror.log";

class ErrorLog {
  public:
    // Starts a new log: in programFolder when a file can be made there and the program is
    // not an installed one (/usr/bin is no place for it), else in $XDG_STATE_HOME/tarsel
    // (default ~/.local/state/tarsel). Empties an earlier run's
    // file. False when no place could take the file; later entries are then dropped.
    bool Start(const QString& programFolder);
    // Appends one entry; false when it could not be written.
    bool Write(const QString& entryText) const;
    // Empty before Start, or when no place could take the file.
    const QString& path() const { return path_; }

  private:
    QString path_;
};

// The folder used when the program's folder is not writable.
QString ErrorLogStateFolder();

// The one log of the running program.
ErrorLog& TheErrorLog();

}  // namespace modGlobal
