#pragma once
// The member list builder: pick members of the current dimension from its hierarchy or
// from the flat list of all members, generate the script text of a new static list, save
// it; see the dimension's existing lists and the stored list file. Loading the window
// (the constructor) reads the pickers, the lists and the file from the server.

#include <QString>
#include <QWidget>
#include <vector>

#include "utilities/shell/services.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class frmMemberListBuilder : public QWidget {
    Q_OBJECT
  public:
    explicit frmMemberListBuilder(QWidget* owner = nullptr);

    // Item data of the tree nodes: the node's key and tag.
    static constexpr int kKeyRole = Qt::UserRole;
    static constexpr int kTagRole = Qt::UserRole + 1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Form_Load();
    void LoadHierarchy();
    void ShowCurrentListFile();
    void LoadMemberListNames();
    void ShowListMembers();
    void SetTreeButtonsEnabled(bool flag);
    void SetListButtonsEnabled(bool flag);

    void cmdTreeViewCheckAll_Click(bool check);
    void cmdTreeViewChecked_Click();
    void trvMembers_DblClick();
    void cmdListSelected_Click();
    void lstMetadata_DblClick();
    void cmdMoveUpMemberInList_Click();
    void cmdMoveDownMemberInList_Click();
    void cmdDeleteMemberInList_Click();
    void cmdClearMemberList_Click();
    void cmdGenerateList_Click();
    void cmdSaveMemberListFile_Click();
    void cmdResetMemberList_Click();

    void AddToNewList(const QStringList& labels);
    // What the new list receiving the focus does: the enabling of "&Generate List".
    void lstMemberList_GotFocus();
    void FocusNewListThen(QWidget* picker);
    void SwapNewListItems(int from, int to);
    // The syntax as written to a file: every line ended by CR LF but the last.
    QString SyntaxText() const;
    void UpdateSyntaxButtons();

    QLabel* lblDimension_;
    QTreeWidget* trvMembers_;
    std::vector<QTreeWidgetItem*> nodes_;  // in order of addition
    QPushButton* cmdTreeViewCheckAll_;
    QPushButton* cmdTreeViewUncheckAll_;
    QPushButton* cmdTreeViewChecked_;
    QListWidget* lstMetadata_;
    std::vector<QString> flatLabels_;  // the exact label of each row of lstMetadata_
    QPushButton* cmdListSelectAll_;
    QPushButton* cmdListDeselectAll_;
    QPushButton* cmdListSelected_;
    QListWidget* lstMemberList_;
    QLineEdit* txtMemberListName_;
    QPushButton* cmdGenerateList_;
    QPlainTextEdit* txtMemberListSyntax_;
    QPushButton* cmdSaveMemberListFile_;
    QPushButton* cmdResetMemberList_;
    QComboBox* cboMemberLists_;
    QListWidget* lstMembersInList_;
    QLabel* lblMembersInList_;
    QLabel* lblDimensionLists_;
    QPlainTextEdit* txtCurrentMemberListFile_;
    QLabel* sbPanel1_;
    bool generated_ = false;
};

namespace listbuilder {
// A new member list builder window, a top-level window owned by owner.
QWidget* MakeMemberListBuilderWindow(QWidget* owner, const ui::ShellServices& services = {});
}  // namespace listbuilder
