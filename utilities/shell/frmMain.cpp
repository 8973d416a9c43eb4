#include "utilities/shell/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include "utilities/shell/frmAbout.h"
#include "utilities/shell/help_location.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/program_identity.h"
#include "utilities/shell/program_logo.h"
#include "utilities/shell/time_text.h"
#include "utilities/shell/tool_window.h"

using namespace modGlobal;

namespace {

const QString kErrorOpening = QStringLiteral("Error Opening Tarsel");
const QString kErrorSettingDimension = QStringLiteral("Error Setting Dimension");

using ui::MakeButton;

QString ErrorText(const std::exception& error) {
    if (const auto* tarselError = dynamic_cast<const tarsel::TarselError*>(&error)) {
        return tarselError->description();
    }
    return QString::fromLocal8Bit(error.what());
}

}  // namespace

frmMain::frmMain(ui::ShellServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ProgramTitle());
    setWindowIcon(QIcon(ui::ProgramLogo(64)));
    BuildControls();
    BuildMenus();
    UpdateClockPanels();
    clockTimer_.setInterval(1000);
    connect(&clockTimer_, &QTimer::timeout, this, &frmMain::UpdateClockPanels);
    clockTimer_.start();
    // As tall as the controls need: no empty band above the status bar.
    resize(qMax(640, sizeHint().width()), minimumSizeHint().height());
}

void frmMain::BuildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);

    auto* lblLanguages = new QLabel(QStringLiteral("Language:"), central);
    lblLanguages->setObjectName(QStringLiteral("lblLanguages"));
    cboLanguages_ = new QComboBox(central);
    cboLanguages_->setObjectName(QStringLiteral("cboLanguages"));
    cboLanguages_->setEnabled(false);
    cboLanguages_->setMinimumContentsLength(16);
    lblLanguages->setBuddy(cboLanguages_);

    auto* frame = new QGroupBox(QStringLiteral(" Dimensional Modules "), central);
    frame->setObjectName(QStringLiteral("frmDimensionActionItems"));
    auto* lblSetDimension = new QLabel(QStringLiteral("Set Dimension:"), frame);
    lblSetDimension->setObjectName(QStringLiteral("lblSetDimension"));
    cboSetDimension_ = new QComboBox(frame);
    cboSetDimension_->setObjectName(QStringLiteral("cboSetDimension"));
    for (const char* name : {"Account", "Entity", "Scenario", "Year", "Period", "Custom1",
                             "Custom2", "Custom3", "Custom4", "View", "Value", "ICP"}) {
        cboSetDimension_->addItem(QString::fromLatin1(name));
    }
    cboSetDimension_->setCurrentIndex(-1);
    // Shown while nothing is chosen; the list's text stays empty until a choice.
    cboSetDimension_->setPlaceholderText(QStringLiteral("(choose a dimension)"));
    lblSetDimension->setBuddy(cboSetDimension_);
    cmdMetadataViewer_ =
        MakeButton(frame, "cmdMetadataViewer", QStringLiteral("Metadata &Viewer"),
                   QStringLiteral("Hierarchical member list viewer with Export to Excel"));
    cmdExtractMetadata_ =
        MakeButton(frame, "cmdExtractMetadata", QStringLiteral("&Extract Metadata"),
                   QStringLiteral("Flat File Metadata extract functionality"));
    cmdMemberListBuilder_ =
        MakeButton(frame, "cmdMemberListBuilder", QStringLiteral("&Member List Builder"),
                   QStringLiteral("Utilitiy module that allows you to create static member lists"));
    for (QPushButton* button : {cmdMetadataViewer_, cmdExtractMetadata_, cmdMemberListBuilder_}) {
        button->setEnabled(false);
    }
    // Made after the dimension column, so the focus starts there, where the work is, and
    // Tab reaches these buttons on the right last.
    cmdLogon_ = MakeButton(central, "cmdLogon", QStringLiteral("(Re) &Logon"),
                           QStringLiteral("Logon and Connect to Tarsel"));
    cmdApplicationInfo_ = MakeButton(
        central, "cmdApplicationInfo", QStringLiteral("A&pplication Info"),
        QStringLiteral("Module that provides general or dimension specific information"));
    cmdApplicationInfo_->setEnabled(false);
    cmdExit_ = MakeButton(central, "cmdExit", QStringLiteral("E&xit"),
                          QStringLiteral("Exit the Application"));
    cmdExit_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    auto* dimensionRow = new QHBoxLayout;
    dimensionRow->addWidget(lblSetDimension);
    dimensionRow->addWidget(cboSetDimension_, 1);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addLayout(dimensionRow);
    frameLayout->addWidget(cmdMetadataViewer_);
    frameLayout->addWidget(cmdExtractMetadata_);
    frameLayout->addWidget(cmdMemberListBuilder_);

    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(lblLanguages);
    languageRow->addWidget(cboLanguages_, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdLogon_);
    buttons->addWidget(cmdApplicationInfo_);
    buttons->addStretch();
    buttons->addWidget(cmdExit_);

    auto* left = new QVBoxLayout;
    left->addLayout(languageRow);
    left->addWidget(frame, 1);
    auto* layout = new QHBoxLayout(central);
    layout->addLayout(left, 1);
    layout->addSpacing(12);
    layout->addLayout(buttons);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(false);
    pnlStatus_ = new QLabel(QStringLiteral("Status"), bar);
    pnlStatus_->setObjectName(QStringLiteral("sbStatusBar_Panel1"));
    pnlDate_ = new QLabel(bar);
    pnlDate_->setObjectName(QStringLiteral("sbStatusBar_Panel2"));
    pnlTime_ = new QLabel(bar);
    pnlTime_->setObjectName(QStringLiteral("sbStatusBar_Panel3"));
    // Sunken panels with room around their text, the clock panels wide enough for any
    // date and time so the text panel does not jump while they tick.
    const QFontMetrics metrics(bar->font());
    for (QLabel* panel : {pnlStatus_, pnlDate_, pnlTime_}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setContentsMargins(4, 1, 4, 1);
    }
    pnlDate_->setAlignment(Qt::AlignCenter);
    pnlDate_->setMinimumWidth(metrics.horizontalAdvance(ui::DateText(QDate(2000, 12, 28))) + 16);
    pnlTime_->setAlignment(Qt::AlignCenter);
    pnlTime_->setMinimumWidth(metrics.horizontalAdvance(ui::TimeOfDayText(QTime(23, 58, 58))) + 16);
    bar->addWidget(pnlStatus_, 1);
    bar->addPermanentWidget(pnlDate_);
    bar->addPermanentWidget(pnlTime_);
    bar->setContentsMargins(2, 0, 2, 2);
    setStatusBar(bar);

    // Enter presses the button that has the focus, as Space does.
    for (QPushButton* button : {cmdMetadataViewer_, cmdExtractMetadata_, cmdMemberListBuilder_,
                                cmdLogon_, cmdApplicationInfo_, cmdExit_}) {
        button->setAutoDefault(true);
    }

    connect(cmdLogon_, &QPushButton::clicked, this, &frmMain::cmdLogon_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(cboSetDimension_, &QComboBox::activated, this, &frmMain::cboSetDimension_Click);
    connect(cboLanguages_, &QComboBox::currentIndexChanged, this, &frmMain::cboLanguages_Click);
    connect(cmdMetadataViewer_, &QPushButton::clicked, this,
            [this] { OpenToolWindow(ui::ToolWindowKind::MetadataViewer); });
    connect(cmdApplicationInfo_, &QPushButton::clicked, this,
            [this] { OpenToolWindow(ui::ToolWindowKind::ApplicationInfo); });
    connect(cmdExtractMetadata_, &QPushButton::clicked, this,
            [this] { OpenToolWindow(ui::ToolWindowKind::ExtractMetadata); });
    connect(cmdMemberListBuilder_, &QPushButton::clicked, this, [this] {
        if (IsNotEntityDimension()) {
            OpenToolWindow(ui::ToolWindowKind::MemberListBuilder);
        }
    });
}

void frmMain::BuildMenus() {
    auto* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    auto* mnuLogon = mnuFile->addAction(QStringLiteral("(Re) &Logon"));
    mnuLogon->setObjectName(QStringLiteral("mnuLogon"));
    auto* mnuExit = mnuFile->addAction(QStringLiteral("E&xit Tarsel Utilities"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    auto* mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    auto* mnuTarselHelp = mnuHelp->addAction(QStringLiteral("T&arsel Utilities Help"));
    mnuTarselHelp->setObjectName(QStringLiteral("mnuTarselHelp"));
    auto* mnuHelpAbout = mnuHelp->addAction(QStringLiteral("&About Tarsel Utilities..."));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));

    connect(mnuLogon, &QAction::triggered, this, &frmMain::mnuLogon_Click);
    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
    connect(mnuTarselHelp, &QAction::triggered, this, &frmMain::mnuTarselHelp_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

void frmMain::Load() {
    mnuLogon_Click();
}

QWidget* frmMain::LoadedToolWindow(ui::ToolWindowKind kind) const {
    return toolWindows_[static_cast<size_t>(kind)].data();
}

bool frmMain::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate) {
        Form_Activate();
    }
    return handled;
}

void frmMain::Form_Activate() {
    SelectDimension(true);
}

void frmMain::cmdLogon_Click() {
    Logon();
}
void frmMain::mnuLogon_Click() {
    Logon();
}

void frmMain::cmdExit_Click() {
    close();
}

void frmMain::mnuExit_Click() {
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

void frmMain::cboSetDimension_Click() {
    SelectDimension(false);
}

void frmMain::cboLanguages_Click(int index) {
    // Emptying the list before a new logon selects nothing; that is no language choice.
    if (index >= 0) {
        gLanguageIndex = static_cast<int16_t>(index);
    }
}

bool frmMain::RetryAfterRefusal() {
    return ui::ShowMessage(
               this, QStringLiteral("Error Opening Tarsel.  Would you like to try again?"),
               kErrorOpening, ui::Buttons::YesNo, ui::Icon::Critical) == ui::Answer::Yes;
}

bool frmMain::TryLogon() {
    try {
        return gLogonPrompt->Logon(false);
    } catch (const std::exception&) {
        // A prompt that fails instead of answering false is a refusal all the same.
        return false;
    }
}

std::optional<tarsel::PromptedApplication> frmMain::TryOpenApplication() {
    try {
        auto opened = gLogonPrompt->OpenApplication();
        if (opened && opened->session) {
            return opened;
        }
    } catch (const std::exception&) {
        // As for the logon: a failure is a refusal.
    }
    return std::nullopt;
}

void frmMain::Logon() {
    try {
        gClient = services_.Library().CreateClientConnection();
        gLogonPrompt = services_.Library().CreateLogonPrompt();
        gLogonPrompt->Initialize(gClient);
    } catch (const std::exception& error) {
        ui::ShowMessage(this, ErrorText(error), kErrorOpening, ui::Buttons::Ok, ui::Icon::Critical);
        return;
    }
    while (!TryLogon()) {
        if (!RetryAfterRefusal()) {
            return;
        }
    }
    std::optional<tarsel::PromptedApplication> opened;
    while (!(opened = TryOpenApplication())) {
        if (!RetryAfterRefusal()) {
            return;
        }
    }
    // Everything is read before anything is kept, so a failing server leaves the earlier
    // session as it was.
    try {
        const tarsel::LogonInfo info = gClient->GetLogonInfo();
        const auto systemInfo = opened->session->SystemInfo();
        const QString clusterName = systemInfo->GetClusterName();
        const QString systemApplicationName = systemInfo->GetApplicationName();
        const auto metadata = opened->session->Metadata();
        const tarsel::Languages languages = metadata->GetLanguages();

        gServerObject = opened->serverObject;
        gSession = opened->session;
        gApplicationName = opened->applicationName;
        gLogonDetail = info.detail;
        gUserName = info.userName;
        gClusterName = clusterName;
        gSystemApplicationName = systemApplicationName;
        gMetadata = metadata;
        pnlStatus_->setText(
            QStringLiteral("Cluster: ") + gClusterName + QStringLiteral(" * Application: ") +
            gSystemApplicationName + QStringLiteral(" * User: ") + gUserName +
            QStringLiteral(" * Logged On: ") + ui::TimeOfDayText(services_.clock->Now().time()));
        EnableSessionControls();
        LoadLanguages(languages);
    } catch (const std::exception& error) {
        ui::ShowMessage(this, ErrorText(error), kErrorOpening, ui::Buttons::Ok, ui::Icon::Critical);
    }
}

void frmMain::LoadLanguages(const tarsel::Languages& languages) {
    // A repeated logon starts from an empty list, so positions are the new application's
    // language indexes.
    cboLanguages_->clear();
    // An application without languages must not keep the position of the previous one.
    gLanguageIndex = 0;
    cboLanguages_->addItems(languages.labels);
    if (cboLanguages_->count() > 0) {
        cboLanguages_->setCurrentIndex(0);
    }
}

void frmMain::EnableSessionControls() {
    cboLanguages_->setEnabled(true);
    cmdApplicationInfo_->setEnabled(true);
}

void frmMain::SelectDimension(bool quietly) {
    const QString shown = cboSetDimension_->currentText();
    if (shown.isEmpty()) {
        return;
    }
    const std::optional<tarsel::Dimension> match = tarsel::ParseDimensionName(shown);
    const QString unable =
        QStringLiteral("Unable to set dimension to '") + shown + QStringLiteral("'.");
    if (!match) {
        if (!quietly) {
            ui::ShowMessage(this, unable, kErrorSettingDimension, ui::Buttons::Ok,
                            ui::Icon::Critical);
        }
        return;
    }
    if (!gMetadata) {
        if (!quietly) {
            ui::ShowMessage(this,
                            unable + QStringLiteral("\r\n\r\nNo application is open. Log on and "
                                                    "open an application first."),
                            kErrorSettingDimension, ui::Buttons::Ok, ui::Icon::Critical);
        }
        return;
    }
    try {
        auto tree = gMetadata->GetDimensionByIndex(static_cast<int>(*match));
        gDimension = std::move(tree);
        gDimensionName = tarsel::DimensionUpperName(*match);
    } catch (const std::exception& error) {
        if (!quietly) {
            ui::ShowMessage(this, unable + QStringLiteral("\r\n\r\n") + ErrorText(error),
                            kErrorSettingDimension, ui::Buttons::Ok, ui::Icon::Critical);
        }
        return;
    }
    SetToolButtonsEnabled(true);
}

void frmMain::SetToolButtonsEnabled(bool flag) {
    cmdExtractMetadata_->setEnabled(flag);
    cmdMetadataViewer_->setEnabled(flag);
    cmdMemberListBuilder_->setEnabled(flag && IsNotEntityDimension());
}

bool frmMain::IsNotEntityDimension() const {
    return ChosenDimension() != tarsel::Dimension::Entity;
}

void frmMain::OpenToolWindow(ui::ToolWindowKind kind) {
    setCursor(Qt::WaitCursor);
    QPointer<QWidget>& slot = toolWindows_[static_cast<size_t>(kind)];
    try {
        if (!slot) {
            QWidget* window =
                ui::ToolWindowFactoryFor(services_.toolWindows, kind)(this, services_);
            if (window != nullptr) {
                window->setWindowFlag(Qt::Window, true);
                window->setAttribute(Qt::WA_DeleteOnClose, true);
                slot = window;
            }
        }
        if (slot) {
            slot->show();
            slot->raise();
            slot->activateWindow();
        }
    } catch (const std::exception& error) {
        unsetCursor();
        ui::ShowMessage(this, ErrorText(error), ui::ToolWindowCaption(kind), ui::Buttons::Ok,
                        ui::Icon::Critical);
        return;
    }
    unsetCursor();
}

void frmMain::mnuTarselHelp_Click() {
    const QString index = ui::FindHelpIndex(services_.ProgramFolder());
    if (index.isEmpty()) {
        ui::ShowMessage(
            this,
            QStringLiteral("The help of Tarsel Utilities was not found. Looked for:\r\n") +
                ui::HelpIndexCandidates(services_.ProgramFolder()).join(QStringLiteral("\r\n")),
            QString(), ui::Buttons::Ok, ui::Icon::Exclamation);
        return;
    }
    if (!services_.desktop->OpenUrl(QUrl::fromLocalFile(index))) {
        ui::ShowMessage(this,
                        QStringLiteral("No viewer could be started for the help file '") + index +
                            QStringLiteral("'. Open it in a web browser."),
                        QString(), ui::Buttons::Ok, ui::Icon::Exclamation);
    }
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout about(this);
    about.exec();
}

void frmMain::UpdateClockPanels() {
    const QDateTime now = services_.clock->Now();
    pnlDate_->setText(ui::DateText(now.date()));
    pnlTime_->setText(ui::TimeOfDayText(now.time()));
}
