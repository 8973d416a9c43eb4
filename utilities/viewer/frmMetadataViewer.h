#pragma once
// The metadata viewer: the current dimension's hierarchy as a tree with member texts and
// attributes, a top-member view, entity filters, and the export of the shown tree to a
// spreadsheet. Loading the window (the constructor) does its first reading from the server.

#include <QString>
#include <QWidget>

#include "utilities/viewer/tree_search.h"
#include "utilities/viewer/view_tree_model.h"
#include "utilities/viewer/viewer_logic.h"

namespace ui {
struct ShellServices;
}

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTreeView;

class frmMetadataViewer : public QWidget {
    Q_OBJECT

  public:
    explicit frmMetadataViewer(QWidget* owner = nullptr);

    // Item data of the tree nodes: the node's Key and Tag.
    static constexpr int kKeyRole = viewer::ViewTreeModel::kKeyRole;
    static constexpr int kTagRole = viewer::ViewTreeModel::kTagRole;
    static constexpr int kNodeRole = viewer::ViewTreeModel::kNodeRole;  // into the view's nodes

    const viewer::MetadataViewerLogic& logic() const { return logic_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Form_Load();
    void BuildMemberTree();
    void BuildFilteredList();
    void FillEntityFilters();
    void Rebuild();
    void ShowNormalView();
    void SetTitles();
    void ShowHideFilters(bool show);
    void ExportTreeToSpreadsheet();
    void ExpandAll();
    // Selects the next (or previous) node of the visible tree whose label or description
    // holds txtSearch's text, and says in the status bar which match it is.
    void FindMember(bool forward);

    void optShowAttributes_Click(int index);
    void chk_ExpAttribs_Click();
    void optEntityFilterSwitch_Click(int index);
    void cmdRerunEntityFilters_Click();
    void mnuTopMember_Click();
    void PopUpRightClick(QTreeView* tree, const QPoint& position);

    viewer::ViewerSource Source();
    void SyncOptions();
    void PlaceNodes(QTreeView* tree, const viewer::ViewTree* view);
    // Runs one build of trvMembers; a failure is reported after the nodes built before it
    // are placed.
    void FillMembers(const QString& routine,
                     void (viewer::MetadataViewerLogic::*build)(const viewer::ViewerSource&,
                                                                const viewer::BuildProgress&));
    // Shows what (a text with %1 for the count) in the status bar and lets paint events
    // through, the controls locked.
    viewer::BuildProgress Progress(const char* what);
    QTreeView* VisibleTree() const;
    static viewer::ViewTreeModel& ModelOf(QTreeView* tree);
    // The node number of the tree's current node; -1 when there is none.
    static int CurrentNode(QTreeView* tree);

    // Marks the window busy for the length of one action: the busy pointer, and the
    // controls locked against clicks that arrive while a long build lets events through.
    class Busy;
    int busyDepth_ = 0;
    bool closePending_ = false;

    viewer::MetadataViewerLogic logic_;
    viewer::TreeSearch search_;
    QTreeView* trvMembers_;
    QTreeView* trvTopMember_;
    QLabel* lblDimension_;
    QLabel* lblTotalMembers_;
    QRadioButton* optShowAttributes_[2];
    QCheckBox* chk_ExpAttribs_;
    QPushButton* cmdExpandAll_;
    QPushButton* cmdSendToExcel_;
    QPushButton* cmdRemoveTopMember_;
    QLineEdit* txtSearch_;
    QPushButton* cmdFind_;
    QGroupBox* fraEntityFilters_;
    QRadioButton* optEntityFilterSwitch_[2];
    QComboBox* cboEntitySecurityClassFilter_;
    QComboBox* cboEntityCurrencyFilter_;
    QPushButton* cmdRerunEntityFilters_;
    QStatusBar* sbStatusBar_;
    QLabel* sbPanel1_;
    QMenu* mnuRightClick_;
    QAction* mnuTopMember_;
    QAction* mnuNormalTreeView_;
    QWidget* controls_;
};

namespace viewer {
// The main window's factory of this tool window.
QWidget* MakeWindow(QWidget* owner, const ui::ShellServices& services);
}  // namespace viewer
