#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <optional>

#include "server/tarsel.h"
#include "utilities/shell/services.h"
#include "utilities/shell/tool_windows.h"

class QComboBox;
class QLabel;
class QPushButton;

// The program's main window: logon and application open, language and dimension choice,
// and the four tool windows that work on the chosen dimension.
class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmMain(ui::ShellServices services = {}, QWidget* parent = nullptr);

    // The window's load: performs the logon.
    void Load();

    // The tool window of that kind while it is loaded; null otherwise.
    QWidget* LoadedToolWindow(ui::ToolWindowKind kind) const;

  protected:
    bool event(QEvent* event) override;

  private:
    void BuildControls();
    void BuildMenus();

    void cmdLogon_Click();
    void mnuLogon_Click();
    void cmdExit_Click();
    void mnuExit_Click();
    void cboSetDimension_Click();
    void cboLanguages_Click(int index);
    void mnuTarselHelp_Click();
    void mnuHelpAbout_Click();
    void Form_Activate();

    void Logon();
    // False when the user gave up after a refusal.
    bool RetryAfterRefusal();
    bool TryLogon();
    std::optional<tarsel::PromptedApplication> TryOpenApplication();
    // quietly: activation repeats the choice; a failure then is not shown again and again.
    void SelectDimension(bool quietly);
    void OpenToolWindow(ui::ToolWindowKind kind);
    void SetToolButtonsEnabled(bool flag);
    bool IsNotEntityDimension() const;
    void LoadLanguages(const tarsel::Languages& languages);
    void EnableSessionControls();
    void UpdateClockPanels();

    ui::ShellServices services_;
    QPushButton* cmdLogon_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    QPushButton* cmdApplicationInfo_ = nullptr;
    QComboBox* cboLanguages_ = nullptr;
    QComboBox* cboSetDimension_ = nullptr;
    QPushButton* cmdMetadataViewer_ = nullptr;
    QPushButton* cmdExtractMetadata_ = nullptr;
    QPushButton* cmdMemberListBuilder_ = nullptr;
    QLabel* pnlStatus_ = nullptr;
    QLabel* pnlDate_ = nullptr;
    QLabel* pnlTime_ = nullptr;
    QTimer clockTimer_;
    std::array<QPointer<QWidget>, 4> toolWindows_;
};
