#pragma once
// The shared session state of TarselUtilities: process-wide variables, each with one
// writer (gDimension has three: the main window's dimension selection, its activation,
// and the application information window).

#include <QString>
#include <cstdint>
#include <memory>

#include "server/tarsel.h"

namespace modGlobal {

inline std::shared_ptr<tarsel::ClientConnection> gClient;
inline std::shared_ptr<tarsel::LogonPrompt> gLogonPrompt;
inline std::shared_ptr<tarsel::ClientSession> gServerObject;
inline std::shared_ptr<tarsel::ApplicationSession> gSession;
inline std::shared_ptr<tarsel::SessionMetadata> gMetadata;
inline std::shared_ptr<tarsel::DimensionTree> gDimension;
inline QString gDimensionName;  // upper case, empty until a dimension is chosen
inline int16_t gLanguageIndex = 0;
inline QString gApplicationName;        // as returned by OpenApplication
inline QString gSystemApplicationName;  // as read from SystemInfo
inline QString gClusterName;
inline QString gUserName;
inline QString gLogonDetail;
inline std::shared_ptr<tarsel::SystemInfo> gSystemInfo;
inline std::shared_ptr<tarsel::Security> gSecurity;
inline QString gSaveText;
inline QString gSavePattern;
inline QString gSaveMode;  // "MEMBERLIST" or "METADATAEXTRACT"
inline QString extractText;
inline QString extractTextWithHeader;

// Clears every variable to its starting value (tests, and a fresh start).
void ResetSessionState();

// A path with exactly one trailing separator ("/" on this platform).
QString EnsureTrailingBackslash(const QString& path);

}  // namespace modGlobal
