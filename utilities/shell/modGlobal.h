#pragma once
// The shared session state of TarselUtilities: process-wide variables, each with one
// writer (gDimension has three: the main window's dimension selection, its activation,
// and the application information window).

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "server/tarsel.h"
#include "utilities/shell/services.h"

class frmMain;

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

// A path with exactly one trailing separator ("/" on this platform): unchanged when its
// last character, blanks around it aside, is "/"; otherwise the path followed by "/".
QString EnsureTrailingBackslash(const QString& path);

// The dimension gDimensionName names (its upper-case form exactly); empty while none is
// chosen.
std::optional<tarsel::Dimension> ChosenDimension();

// The client library's version ("11.1.2.0"); "00.00.00" after reporting any failure to
// create or ask its ErrorHandlerComponent.
QString GetTarselVersion(const ui::ShellServices& services, int16_t selector);

// "Tarsel Utilities Error(<routine>): <number>; Source: ...; LastDLLError: ...;
// Description: ..."
QString ErrorReportText(const QString& routine, int32_t number, const QString& source,
                        int lastDllError, const QString& description);
// Writes the report to the error log, then shows it in a plain box. LastDLLError is the
// system error code (errno) when the report is made.
void ReportError(const QString& routine, int32_t number, const QString& source,
                 const QString& description);

// The program's start: error log, client version check, splash, then the main window,
// which logs on while it loads. Returns the shown main window, or nothing when the
// program is to end (a refused or unreadable client version, or an error reported).
std::unique_ptr<frmMain> Main(const ui::ShellServices& services = {});

}  // namespace modGlobal
