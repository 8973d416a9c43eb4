#pragma once
// How the batch program turns caught errors into the two comment lines of a failure
// entry, and the conversions whose failures are run-time errors.

#include <QString>
#include <stdexcept>

#include "server/tarsel_error.h"

namespace tarsel {
class ClientLibrary;
}

namespace tarsel::batch {

// Source of the run-time errors the program raises itself.
inline constexpr const char* kRuntimeSource = "Tarsel_Batch";

struct ErrorText {
    QString header;  // "Tarsel Error #n", "Batch Error #n" or "Runtime Error #n"
    QString detail;
};

// Server errors (the client library's source or a negative number) take their detail from
// the error handler of library (null: an empty detail); everything else shows its
// description.
ErrorText GetErrorText(int32_t number, const QString& description, const QString& source,
                       ClientLibrary* library);
ErrorText GetErrorText(const TarselError& error, ClientLibrary* library);

// The readable text of a server error code from library's error handler; empty when the
// library is null or cannot give one.
QString GetServerErrorText(const QString& numberText, const QString& description,
                           ClientLibrary* library);

// "True"/"False" in any letter case, or a number (zero is false). Anything else raises a
// run-time error (type mismatch) naming the value.
bool TextToBoolean(const QString& text);

// A command's trailing quit-on-failure field: an empty or all-blank field is false (so
// "DELETE_INVALID_RECORDS ," runs with its default log), anything else as TextToBoolean.
bool QuitOnFailureValue(const QString& field);

// Raises "Too few parameters. Expected n" with the given number.
[[noreturn]] void RaiseTooFewParameters(int required, int32_t number, const QString& source);

// The batch log could not be written. Command routines do not turn this into a log entry
// (there is nowhere to write it); it ends the run.
class LogWriteFailure : public std::runtime_error {
  public:
    explicit LogWriteFailure(const QString& reason)
        : std::runtime_error(reason.toStdString()), reason_(reason) {}
    const QString& reason() const noexcept { return reason_; }

  private:
    QString reason_;
};

}  // namespace tarsel::batch
