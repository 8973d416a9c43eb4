#include "utilities/shell/modGlobal.h"

#include <QCoreApplication>
#include <cerrno>

#include "utilities/shell/error_log.h"
#include "utilities/shell/frmMain.h"
#include "utilities/shell/frmSplash.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/program_identity.h"
#include "utilities/shell/version_check.h"

namespace ui {

QString ShellServices::ProgramFolder() const {
    return programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
}

tarsel::ClientLibrary& ShellServices::Library() const {
    if (!library) {
        tarsel::ThrowClientError(tarsel::code::kNotImplemented,
                                 QStringLiteral("The Tarsel client library is not installed."));
    }
    return *library;
}

}  // namespace ui

namespace modGlobal {

namespace {
// Errors that carry no number of their own (a failure outside the client library).
constexpr int32_t kErrInternal = 51;
const QString kInternalSource = QStringLiteral("TarselUtilities");
}  // namespace

void ResetSessionState() {
    gClient.reset();
    gLogonPrompt.reset();
    gServerObject.reset();
    gSession.reset();
    gMetadata.reset();
    gDimension.reset();
    gDimensionName.clear();
    gLanguageIndex = 0;
    gApplicationName.clear();
    gSystemApplicationName.clear();
    gClusterName.clear();
    gUserName.clear();
    gLogonDetail.clear();
    gSystemInfo.reset();
    gSecurity.reset();
    gSaveText.clear();
    gSavePattern.clear();
    gSaveMode.clear();
    extractText.clear();
    extractTextWithHeader.clear();
}

std::optional<tarsel::Dimension> ChosenDimension() {
    const auto dimension = tarsel::ParseDimensionName(gDimensionName);
    if (dimension && tarsel::DimensionUpperName(*dimension) == gDimensionName) {
        return dimension;
    }
    return std::nullopt;
}

QString EnsureTrailingBackslash(const QString& path) {
    // Only blanks are looked past: a tab or line break ends a name, so the separator is
    // still missing after it.
    qsizetype last = path.size() - 1;
    while (last >= 0 && path.at(last) == QLatin1Char(' ')) {
        --last;
    }
    if (last >= 0 && path.at(last) == QLatin1Char('/')) {
        return path;
    }
    return path + QLatin1Char('/');
}

QString ErrorReportText(const QString& routine, int32_t number, const QString& source,
                        int lastDllError, const QString& description) {
    return QStringLiteral(
               "Tarsel Utilities Error(%1): %2; Source: %3; LastDLLError: %4; "
               "Description: %5")
        .arg(routine)
        .arg(number)
        .arg(source)
        .arg(lastDllError)
        .arg(description);
}

void ReportError(const QString& routine, int32_t number, const QString& source,
                 const QString& description) {
    const int lastDllError = errno;
    const QString text = ErrorReportText(routine, number, source, lastDllError, description);
    TheErrorLog().Write(text);
    ui::ShowMessage(nullptr, text, ProgramTitle(), ui::Buttons::Ok, ui::Icon::None);
}

QString GetTarselVersion(const ui::ShellServices& services, int16_t selector) {
    const QString routine = QStringLiteral("GetTarselVersion");
    try {
        const auto handler = services.Library().CreateErrorHandlerComponent();
        handler->SetOption(selector);
        return handler->GetVersion();
    } catch (const tarsel::TarselError& e) {
        ReportError(routine, e.number(), e.source(), e.description());
    } catch (const std::exception& e) {
        ReportError(routine, kErrInternal, kInternalSource, QString::fromLocal8Bit(e.what()));
    }
    return QStringLiteral("00.00.00");
}

std::unique_ptr<frmMain> Main(const ui::ShellServices& services) {
    const QString routine = QStringLiteral("Main");
    std::unique_ptr<frmMain> window;
    try {
        TheErrorLog().Start(services.ProgramFolder());
        const QString version = GetTarselVersion(services, 0);
        if (!IsSupportedClientVersion(ParseClientVersion(version))) {
            ui::ShowMessage(nullptr, IncompatibleVersionMessage(version),
                            QStringLiteral("Incompatible Tarsel Version Error"), ui::Buttons::Ok,
                            ui::Icon::Critical);
            return nullptr;
        }
        {
            frmSplash splash(services.clock);
            splash.exec();
        }
        window = std::make_unique<frmMain>(services);
        window->Load();
        window->show();
        return window;
    } catch (const tarsel::TarselError& e) {
        ReportError(routine, e.number(), e.source(), e.description());
    } catch (const std::exception& e) {
        ReportError(routine, kErrInternal, kInternalSource, QString::fromLocal8Bit(e.what()));
    }
    // A main window already on screen stays; the program goes on with it.
    if (window && window->isVisible()) {
        return window;
    }
    return nullptr;
}

}  // namespace modGlobal
