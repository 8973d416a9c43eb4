#pragma once
// Error numbers and fixed texts of the batch program. Numbers of 40000 and up are the
// program's own validation errors; the log classifies everything below as a run-time
// error.

#include <cstdint>

namespace tarsel::batch {

namespace err {
inline constexpr int32_t kCommandFileNotFound = 40000;
inline constexpr int32_t kNoCommandsFound = 40002;
inline constexpr int32_t kNoUserId = 40069;
inline constexpr int32_t kNoPassword = 40070;
inline constexpr int32_t kFolderExists = 40051;
inline constexpr int32_t kKarstNotStarted = 40020;
inline constexpr int32_t kKarstNoLog = 40021;
inline constexpr int32_t kKarstNoOutput = 40022;
// The batch was asked to stop (SIGTERM, SIGINT) while a command ran.
inline constexpr int32_t kStopped = 40071;
// A command whose routine this build does not contain.
inline constexpr int32_t kNotAvailable = 40099;

// Run-time errors, numbered as the platform's classic run-time errors.
inline constexpr int32_t kInvalidArgument = 5;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kFileAccess = 75;
inline constexpr int32_t kPathNotFound = 76;
}  // namespace err

// Line types of cLog::WriteLog, compared exactly.
namespace line {
inline constexpr const char* kHeader = "Header";
inline constexpr const char* kFooter = "Footer";
inline constexpr const char* kSuccess = "Success";
inline constexpr const char* kError = "Error";
inline constexpr const char* kComment = "Comment";
inline constexpr const char* kSpacer = "Spacer";
}  // namespace line

// Process exit status.
namespace exit_status {
inline constexpr int kAllSucceeded = 0;
inline constexpr int kSomethingFailed = 1;
inline constexpr int kCouldNotRun = 2;
}  // namespace exit_status

}  // namespace tarsel::batch
