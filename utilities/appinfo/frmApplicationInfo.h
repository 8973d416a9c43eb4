#pragma once
// The application information window: shared members, member lists, base member compare,
// duplicates below a parent and dimension statistics of the open application, one tab
// each. Loading the window (the constructor) fills the member list boxes. Every tab
// points gDimension at the dimension it works on.

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "server/tarsel.h"
#include "utilities/appinfo/appinfo_reports.h"
#include "utilities/shell/services.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QStringListModel;

namespace appinfo {
class LinesView;
class ReportView;
}  // namespace appinfo
class QTabWidget;

namespace appinfo {

// A new window, top-level and owned by owner; its load has run.
QWidget* MakeApplicationInfoWindow(QWidget* owner, const ui::ShellServices& services = {});

}  // namespace appinfo

class frmApplicationInfo : public QWidget {
    Q_OBJECT

  public:
    // The clock shows in the status bar's date and time panels.
    explicit frmApplicationInfo(QWidget* owner = nullptr,
                                std::shared_ptr<ui::Clock> clock = ui::SystemClock());

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct ListBox {
        tarsel::Dimension dimension;
        bool refillsTopMember;
        QComboBox* box = nullptr;
    };

    QWidget* BuildSharedMembersTab();
    QWidget* BuildMemberListsTab();
    QWidget* BuildCompareTab();
    QWidget* BuildDuplicatesTab();
    QWidget* BuildStatisticsTab();

    void Form_Load();
    void PopulateMemberListNames();
    void ShowMemberList(const ListBox& list);
    void FillTopMemberBox(tarsel::Dimension dimension, tarsel::DimensionTree& tree,
                          const QString& keep);
    void SendMemberListToSpreadsheet();

    void optDimension_Click(int index);
    void cboLists_Click(const ListBox& list);
    void cboParentMembers_Click();
    void optDimensionCompare_Click(int index);
    void cmdCompare_Click();
    void cboParents_Click();
    void optDimensionStats_Click(int index);

    // The tree of a dimension of the open application, made the current one (gDimension).
    std::shared_ptr<tarsel::DimensionTree> UseDimension(tarsel::Dimension dimension);
    // Runs one handler: the busy pointer, no second handler while it runs, and any failure
    // reported under the handler's name with the window left usable.
    void Run(const QString& routine, const std::function<void()>& work);
    // Lets events through, with status shown, once an action has run half a second.
    void Breathe(const QString& status);
    appinfo::Progress ShowProgress(const QString& what);
    void Show(appinfo::ReportView* view, const QString& report);
    void ReportError(const QString& routine, const std::exception& error);
    void UpdateClockPanels();

    QString currentRoutine_;
    std::optional<tarsel::Dimension> currentListDimension_;
    // The dimension whose parents cboParentMembers holds.
    std::optional<tarsel::Dimension> topMemberDimension_;
    std::shared_ptr<tarsel::DimensionTree> compareTree_;
    bool busy_ = false;
    bool closePending_ = false;
    QElapsedTimer busyClock_;
    std::shared_ptr<ui::Clock> clock_;
    QTimer clockTimer_;

    QTabWidget* sstabApplicationInfo_;
    QStatusBar* sbStatusBar_;
    QLabel* sbPanel1_;
    QLabel* sbDate_;
    QLabel* sbTime_;

    std::array<QRadioButton*, 6> optDimension_{};
    appinfo::ReportView* txtSharedMembers_;

    std::array<ListBox, tarsel::kDimensionCount> lists_;
    QComboBox* cboParentMembers_;
    QStringListModel* parentMembersModel_;
    appinfo::LinesView* lstMembersInList_;
    QLabel* lblMembersInList_;
    QPushButton* cmdSendListToExcel_;

    std::array<QRadioButton*, 12> optDimensionCompare_{};
    // One model holds the parents for cboTopMember1, cboTopMember2 and cboParents.
    QStringListModel* compareParentsModel_;
    QComboBox* cboTopMember1_;
    QComboBox* cboTopMember2_;
    QPushButton* cmdCompare_;
    appinfo::ReportView* txtMissingBaseMembers_;
    QComboBox* cboParents_;
    appinfo::ReportView* txtDuplicatesUnderSameParent_;

    std::array<QRadioButton*, 6> optDimensionStats_{};
    appinfo::ReportView* txtStatistics_;
    QLineEdit* txtParentChildrenCheck_;
};
