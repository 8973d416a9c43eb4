#pragma once
// Who the program is: the texts the splash, About and the version refusal show.

#include <QString>
#include <cstdint>

#include "packaging/package_info.h"

namespace modGlobal {

inline constexpr int16_t kProgramMajor = TARSEL_VERSION_MAJOR;
inline constexpr int16_t kProgramMinor = TARSEL_VERSION_MINOR;
inline constexpr int16_t kProgramRevision = TARSEL_VERSION_REVISION;
inline constexpr const char* kProgramFileVersion = TARSEL_FILE_VERSION;

// The title of the program's windows and of every message box without a title.
inline constexpr const char* kProgramTitle = "Tarsel Utilities";

// The one place the download page is named; the version refusal points users here.
inline constexpr const char* kDownloadAddress = "https://tarsel-utilities.example.org/download";

inline constexpr const char* kFeedbackAddress = "https://tarsel-utilities.example.org";
inline constexpr const char* kFeedbackMail = "tarsel-utilities@example.org";

QString ProgramTitle();
// "Version 11.1.2"
QString ProgramVersionText();
QString ProgramDescription();
// The notice that the splash and About windows show under the program's identity.
QString ProgramNotice();

// Names the running application and its version. The display name stays unset: Qt would
// append it to the title bar of every window whose caption differs from it.
void SetProgramIdentity();

}  // namespace modGlobal
