#include "utilities/listbuilder/frmMemberListBuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTime>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "utilities/listbuilder/list_builder_logic.h"
#include "utilities/shell/frmDrvDirFil.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/time_text.h"
#include "utilities/shell/tool_window.h"

namespace {

using ui::Named;

using ui::MakeButton;

QPushButton* PictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture,
                           const QString& toolTip) {
    auto* button = MakeButton(parent, name, {}, toolTip);
    button->setIcon(parent->style()->standardIcon(picture));
    return button;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, QWidget* buddy = nullptr) {
    auto* label = Named(new QLabel(text, parent), name);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

frmMemberListBuilder::frmMemberListBuilder(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("frmMemberListBuilder"));
    setWindowTitle(QStringLiteral("Tarsel Utilities - Member List Builder"));

    lblDimension_ = Named(new QLabel(QStringLiteral("Dimension"), this), "lblDimension");
    auto* tabs = Named(new QTabWidget(this), "ssTabMemberListBuilder");

    // "Static List Builder "
    auto* builder = new QWidget(tabs);
    trvMembers_ = Named(new QTreeWidget(builder), "trvMembers");
    trvMembers_->setHeaderHidden(true);
    trvMembers_->setUniformRowHeights(true);
    cmdTreeViewCheckAll_ = MakeButton(builder, "cmdTreeViewCheckAll", QStringLiteral("Check All"));
    cmdTreeViewUncheckAll_ =
        MakeButton(builder, "cmdTreeViewUncheckAll", QStringLiteral("Uncheck All"));
    cmdTreeViewChecked_ = MakeButton(builder, "cmdTreeViewChecked", QStringLiteral("Insert"));
    lstMetadata_ = Named(new QListWidget(builder), "lstMetadata");
    lstMetadata_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstMetadata_->setUniformItemSizes(true);
    cmdListSelectAll_ = MakeButton(builder, "cmdListSelectAll", QStringLiteral("Select All"));
    cmdListDeselectAll_ = MakeButton(builder, "cmdListDeselectAll", QStringLiteral("Deselect All"));
    cmdListSelected_ = MakeButton(builder, "cmdListSelected", QStringLiteral("Insert"));
    lstMemberList_ = Named(new QListWidget(builder), "lstMemberList");
    lstMemberList_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* cmdMoveUp = PictureButton(builder, "cmdMoveUpMemberInList", QStyle::SP_ArrowUp,
                                    QStringLiteral("Move Selected List Member UP"));
    auto* cmdMoveDown = PictureButton(builder, "cmdMoveDownMemberInList", QStyle::SP_ArrowDown,
                                      QStringLiteral("Move Selected List Member DOWN"));
    auto* cmdDelete = PictureButton(builder, "cmdDeleteMemberInList", QStyle::SP_TrashIcon,
                                    QStringLiteral("Delete Selected List Member"));
    auto* cmdClear = MakeButton(builder, "cmdClearMemberList", QStringLiteral("C&lear List Items"),
                                QStringLiteral("Clear All Members from New List"));
    txtMemberListName_ = Named(new QLineEdit(builder), "txtMemberListName");
    cmdGenerateList_ = MakeButton(builder, "cmdGenerateList", QStringLiteral("&Generate List"));
    txtMemberListSyntax_ = Named(new QPlainTextEdit(builder), "txtMemberListSyntax");
    txtMemberListSyntax_->setLineWrapMode(QPlainTextEdit::NoWrap);
    cmdSaveMemberListFile_ =
        MakeButton(builder, "cmdSaveMemberListFile", QStringLiteral("&Save List Syntax"),
                   QStringLiteral("Save Member List File"));
    cmdResetMemberList_ =
        MakeButton(builder, "cmdResetMemberList", QStringLiteral("&Reset List Syntax"),
                   QStringLiteral("Reset Member List to Application Stored File"));
    for (QPushButton* button : {cmdTreeViewCheckAll_, cmdTreeViewUncheckAll_, cmdTreeViewChecked_,
                                cmdListSelectAll_, cmdListDeselectAll_, cmdListSelected_,
                                cmdGenerateList_, cmdSaveMemberListFile_, cmdResetMemberList_}) {
        button->setEnabled(false);
    }

    auto* pickers = new QGridLayout;
    pickers->addWidget(
        Label(builder, "lblDimensionHierarchy", QStringLiteral("Dimension Hierarchy"), trvMembers_),
        0, 0);
    pickers->addWidget(trvMembers_, 1, 0);
    auto* treeButtons = new QHBoxLayout;
    for (QPushButton* b : {cmdTreeViewCheckAll_, cmdTreeViewUncheckAll_, cmdTreeViewChecked_}) {
        treeButtons->addWidget(b);
    }
    pickers->addLayout(treeButtons, 2, 0);
    pickers->addWidget(
        Label(builder, "lblMemberList", QStringLiteral("All Dimension Members"), lstMetadata_), 0,
        1);
    pickers->addWidget(lstMetadata_, 1, 1);
    auto* listButtons = new QHBoxLayout;
    for (QPushButton* b : {cmdListSelectAll_, cmdListDeselectAll_, cmdListSelected_}) {
        listButtons->addWidget(b);
    }
    pickers->addLayout(listButtons, 2, 1);
    pickers->addWidget(Label(builder, "lblMemberListItems",
                             QStringLiteral("Items for New Member List"), lstMemberList_),
                       0, 2);
    pickers->addWidget(lstMemberList_, 1, 2);
    auto* editButtons = new QHBoxLayout;
    for (QPushButton* b : {cmdMoveUp, cmdMoveDown, cmdDelete, cmdClear}) {
        editButtons->addWidget(b);
    }
    pickers->addLayout(editButtons, 2, 2);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(Label(builder, "LblMemberListName", QStringLiteral("New Member List Name:"),
                             txtMemberListName_));
    nameRow->addWidget(txtMemberListName_, 1);
    nameRow->addWidget(cmdGenerateList_);
    auto* syntaxButtons = new QHBoxLayout;
    syntaxButtons->addStretch();
    syntaxButtons->addWidget(cmdSaveMemberListFile_);
    syntaxButtons->addWidget(cmdResetMemberList_);
    auto* builderLayout = new QVBoxLayout(builder);
    builderLayout->addLayout(pickers, 2);
    builderLayout->addLayout(nameRow);
    builderLayout->addWidget(Label(builder, "lblMemberListSyntax",
                                   QStringLiteral("Member List Syntax"), txtMemberListSyntax_));
    builderLayout->addWidget(txtMemberListSyntax_, 1);
    builderLayout->addLayout(syntaxButtons);
    tabs->addTab(builder, QStringLiteral("Static List Builder "));

    // "List Viewer "
    auto* viewer = new QWidget(tabs);
    cboMemberLists_ = Named(new QComboBox(viewer), "cboMemberLists");
    lstMembersInList_ = Named(new QListWidget(viewer), "lstMembersInList");
    lblMembersInList_ = Named(new QLabel(viewer), "lblMembersInList");
    lblDimensionLists_ = Named(new QLabel(viewer), "lblDimensionLists");
    auto* viewerLayout = new QVBoxLayout(viewer);
    viewerLayout->addWidget(lblDimensionLists_);
    viewerLayout->addWidget(cboMemberLists_);
    viewerLayout->addWidget(lblMembersInList_);
    viewerLayout->addWidget(lstMembersInList_, 1);
    viewerLayout->addWidget(
        Named(new QLabel(QStringLiteral("** Denotes Parent Member"), viewer), "lblDenote"));
    tabs->addTab(viewer, QStringLiteral("List Viewer "));

    // "Current List File "
    auto* file = new QWidget(tabs);
    txtCurrentMemberListFile_ = Named(new QPlainTextEdit(file), "txtCurrentMemberListFile");
    txtCurrentMemberListFile_->setReadOnly(true);
    txtCurrentMemberListFile_->setLineWrapMode(QPlainTextEdit::NoWrap);
    (new QVBoxLayout(file))->addWidget(txtCurrentMemberListFile_);
    tabs->addTab(file, QStringLiteral("Current List File "));

    auto* sbStatusBar = Named(new QStatusBar(this), "sbStatusBar");
    sbStatusBar->setSizeGripEnabled(false);
    sbPanel1_ = Named(new QLabel(sbStatusBar), "sbStatusBar_Panel1");
    sbStatusBar->addWidget(sbPanel1_, 1);
    sbStatusBar->addPermanentWidget(
        Named(new QLabel(ui::DateText(QDate::currentDate()), sbStatusBar), "sbStatusBar_Panel2"));
    sbStatusBar->addPermanentWidget(Named(
        new QLabel(ui::TimeOfDayText(QTime::currentTime()), sbStatusBar), "sbStatusBar_Panel3"));

    auto* layout = new QVBoxLayout(this);
    ui::AddFileMenu(this, layout, QStringLiteral("&Close Member List Builder"),
                    QStringLiteral("E&xit Tarsel Utilities"));
    layout->addWidget(lblDimension_);
    layout->addWidget(tabs, 1);
    layout->addWidget(sbStatusBar);
    resize(980, 700);

    connect(cmdTreeViewCheckAll_, &QPushButton::clicked, this,
            [this] { cmdTreeViewCheckAll_Click(true); });
    connect(cmdTreeViewUncheckAll_, &QPushButton::clicked, this,
            [this] { cmdTreeViewCheckAll_Click(false); });
    connect(cmdTreeViewChecked_, &QPushButton::clicked, this,
            &frmMemberListBuilder::cmdTreeViewChecked_Click);
    connect(trvMembers_, &QTreeWidget::itemDoubleClicked, this,
            &frmMemberListBuilder::trvMembers_DblClick);
    connect(cmdListSelectAll_, &QPushButton::clicked, lstMetadata_, &QListWidget::selectAll);
    connect(cmdListDeselectAll_, &QPushButton::clicked, lstMetadata_, &QListWidget::clearSelection);
    connect(cmdListSelected_, &QPushButton::clicked, this,
            &frmMemberListBuilder::cmdListSelected_Click);
    connect(lstMetadata_, &QListWidget::itemDoubleClicked, this,
            &frmMemberListBuilder::lstMetadata_DblClick);
    connect(cmdMoveUp, &QPushButton::clicked, this,
            &frmMemberListBuilder::cmdMoveUpMemberInList_Click);
    connect(cmdMoveDown, &QPushButton::clicked, this,
            &frmMemberListBuilder::cmdMoveDownMemberInList_Click);
    connect(cmdDelete, &QPushButton::clicked, this,
            &frmMemberListBuilder::cmdDeleteMemberInList_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmMemberListBuilder::cmdClearMemberList_Click);
    // Every change of the name, typed or pasted, counts as a key released in it.
    connect(txtMemberListName_, &QLineEdit::textChanged, this,
            &frmMemberListBuilder::lstMemberList_GotFocus);
    connect(cmdGenerateList_, &QPushButton::clicked, this,
            &frmMemberListBuilder::cmdGenerateList_Click);
    connect(cmdSaveMemberListFile_, &QPushButton::clicked, this,
            &frmMemberListBuilder::cmdSaveMemberListFile_Click);
    connect(cmdResetMemberList_, &QPushButton::clicked, this,
            &frmMemberListBuilder::cmdResetMemberList_Click);
    connect(txtMemberListSyntax_, &QPlainTextEdit::textChanged, this,
            &frmMemberListBuilder::UpdateSyntaxButtons);
    connect(cboMemberLists_, &QComboBox::activated, this, &frmMemberListBuilder::ShowListMembers);
    lstMemberList_->installEventFilter(this);

    Form_Load();
}

bool frmMemberListBuilder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstMemberList_) {
        if (event->type() == QEvent::FocusIn) {
            lstMemberList_GotFocus();
        } else if (event->type() == QEvent::KeyRelease &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            cmdDeleteMemberInList_Click();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMemberListBuilder::Form_Load() {
    const QString application = QStringLiteral("Application: ") + modGlobal::gApplicationName;
    sbPanel1_->setText(application);
    QString upperName;
    try {
        upperName = modGlobal::gDimension->GetDimensionName().toUpper();
        lblDimension_->setText(upperName + QStringLiteral(" Dimension"));
        if (modGlobal::gDimension->GetDimension() != tarsel::Dimension::Entity) {
            LoadHierarchy();
            SetTreeButtonsEnabled(true);
            SetListButtonsEnabled(true);
        }
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("LoadHierarchy"), error, ui::CaptionWording(*this));
    }
    ShowCurrentListFile();
    lblDimensionLists_->setText(upperName + QStringLiteral(" Lists:"));
    LoadMemberListNames();
    sbPanel1_->setText(application);
}

void frmMemberListBuilder::LoadHierarchy() {
    trvMembers_->clear();
    nodes_.clear();
    lstMetadata_->clear();
    flatLabels_.clear();

    // Shown only when the load outlasts half a second: reading the pairs is the first half
    // of its bar, placing the nodes the second.
    QProgressDialog progress(QStringLiteral("Reading the members of the dimension..."), QString(),
                             0, 0, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    const listbuilder::Pickers pickers =
        listbuilder::LoadPickers(*modGlobal::gDimension, [&](qsizetype done, qsizetype total) {
            progress.setMaximum(static_cast<int>(2 * total));
            progress.setValue(static_cast<int>(done));
        });
    const qsizetype total = static_cast<qsizetype>(pickers.nodes.size());

    QStringList texts;
    texts.reserve(static_cast<qsizetype>(pickers.items.size()));
    flatLabels_.reserve(pickers.items.size());
    for (const listbuilder::FlatItem& flat : pickers.items) {
        texts.append(flat.text);
        flatLabels_.push_back(flat.label);
    }
    // One insertion for all: the list's rows are then never reordered, so row i's exact
    // label is flatLabels_[i].
    lstMetadata_->addItems(texts);

    trvMembers_->setUpdatesEnabled(false);
    nodes_.reserve(pickers.nodes.size());
    std::vector<QList<QTreeWidgetItem*>> children(pickers.nodes.size());
    QList<QTreeWidgetItem*> top;
    for (const listbuilder::HierarchyNode& node : pickers.nodes) {
        auto* item = new QTreeWidgetItem(QStringList(node.text));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, kKeyRole, node.key);
        item->setData(0, kTagRole, node.tag);
        (node.parent < 0 ? top : children[static_cast<size_t>(node.parent)]).append(item);
        nodes_.push_back(item);
        if (progress.maximum() > 0 && nodes_.size() % 4096 == 0) {
            progress.setValue(static_cast<int>(total + static_cast<qsizetype>(nodes_.size())));
        }
    }
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (!children[i].isEmpty()) {
            nodes_[i]->addChildren(children[i]);
        }
    }
    trvMembers_->addTopLevelItems(top);
    trvMembers_->setUpdatesEnabled(true);
}

void frmMemberListBuilder::ShowCurrentListFile() {
    try {
        modGlobal::gSystemInfo = modGlobal::gSession->SystemInfo();
        txtCurrentMemberListFile_->setPlainText(
            listbuilder::CurrentListFileText(*modGlobal::gSystemInfo));
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("ShowCurrentListFile"), error,
                          ui::CaptionWording(*this));
    }
}

void frmMemberListBuilder::LoadMemberListNames() {
    try {
        cboMemberLists_->addItems(modGlobal::gDimension->EnumMemberListNames());
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("LoadMemberListNames"), error,
                          ui::CaptionWording(*this));
    }
}

void frmMemberListBuilder::ShowListMembers() {
    lstMembersInList_->clear();
    try {
        const listbuilder::ListMembers list = listbuilder::ReadListMembers(
            *modGlobal::gDimension, modGlobal::gDimensionName, cboMemberLists_->currentText());
        lstMembersInList_->addItems(list.items);
        lblMembersInList_->setText(list.summary);
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("ShowListMembers"), error,
                          ui::CaptionWording(*this));
    }
}

void frmMemberListBuilder::SetTreeButtonsEnabled(bool flag) {
    cmdTreeViewCheckAll_->setEnabled(flag);
    cmdTreeViewUncheckAll_->setEnabled(flag);
    cmdTreeViewChecked_->setEnabled(flag);
}

void frmMemberListBuilder::SetListButtonsEnabled(bool flag) {
    cmdListSelectAll_->setEnabled(flag);
    cmdListDeselectAll_->setEnabled(flag);
    cmdListSelected_->setEnabled(true);
}

void frmMemberListBuilder::cmdTreeViewCheckAll_Click(bool check) {
    for (QTreeWidgetItem* node : nodes_) {
        node->setCheckState(0, check ? Qt::Checked : Qt::Unchecked);
    }
}

void frmMemberListBuilder::cmdTreeViewChecked_Click() {
    QStringList labels;
    for (QTreeWidgetItem* node : nodes_) {
        if (node->checkState(0) == Qt::Checked) {
            labels.append(node->data(0, kTagRole).toString());
        }
    }
    AddToNewList(labels);
    FocusNewListThen(trvMembers_);
}

void frmMemberListBuilder::trvMembers_DblClick() {
    if (QTreeWidgetItem* node = trvMembers_->currentItem()) {
        AddToNewList({node->data(0, kTagRole).toString()});
    }
    FocusNewListThen(trvMembers_);
}

void frmMemberListBuilder::cmdListSelected_Click() {
    QStringList labels;
    for (int i = 0; i < lstMetadata_->count(); ++i) {
        if (lstMetadata_->item(i)->isSelected()) {
            labels.append(flatLabels_[static_cast<size_t>(i)]);
        }
    }
    AddToNewList(labels);
    FocusNewListThen(lstMetadata_);
}

void frmMemberListBuilder::lstMetadata_DblClick() {
    if (const int row = lstMetadata_->currentRow(); row >= 0) {
        AddToNewList({flatLabels_[static_cast<size_t>(row)]});
    }
    FocusNewListThen(lstMetadata_);
}

void frmMemberListBuilder::AddToNewList(const QStringList& labels) {
    lstMemberList_->addItems(labels);
}

void frmMemberListBuilder::FocusNewListThen(QWidget* picker) {
    lstMemberList_->setFocus();
    lstMemberList_GotFocus();
    picker->setFocus();
}

void frmMemberListBuilder::lstMemberList_GotFocus() {
    cmdGenerateList_->setEnabled(lstMemberList_->count() > 0 &&
                                 !txtMemberListName_->text().isEmpty());
}

void frmMemberListBuilder::SwapNewListItems(int from, int to) {
    QListWidgetItem* a = lstMemberList_->item(from);
    QListWidgetItem* b = lstMemberList_->item(to);
    const QString text = a->text();
    a->setText(b->text());
    b->setText(text);
    lstMemberList_->setCurrentRow(to);
}

void frmMemberListBuilder::cmdMoveUpMemberInList_Click() {
    const int i = lstMemberList_->currentRow();
    if (i > 0 && i < lstMemberList_->count()) {
        SwapNewListItems(i, i - 1);
    }
    lstMemberList_->setFocus();
    lstMemberList_GotFocus();
}

void frmMemberListBuilder::cmdMoveDownMemberInList_Click() {
    const int i = lstMemberList_->currentRow();
    if (i >= 0 && i < lstMemberList_->count() - 1) {
        SwapNewListItems(i, i + 1);
    }
    lstMemberList_->setFocus();
    lstMemberList_GotFocus();
}

void frmMemberListBuilder::cmdDeleteMemberInList_Click() {
    const QList<QListWidgetItem*> selected = lstMemberList_->selectedItems();
    if (!selected.isEmpty()) {
        delete lstMemberList_->takeItem(lstMemberList_->row(selected.first()));
    }
    lstMemberList_->setFocus();
    lstMemberList_GotFocus();
}

void frmMemberListBuilder::cmdClearMemberList_Click() {
    lstMemberList_->clear();
    lstMemberList_->setFocus();
    lstMemberList_GotFocus();
}

void frmMemberListBuilder::cmdGenerateList_Click() {
    QStringList members;
    members.reserve(lstMemberList_->count());
    for (int i = 0; i < lstMemberList_->count(); ++i) {
        members.append(lstMemberList_->item(i)->text());
    }
    const QString listName = txtMemberListName_->text();
    QString dimensionName;
    try {
        dimensionName = modGlobal::gDimension->GetDimensionName();
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("GenerateListSyntax"), error,
                          ui::CaptionWording(*this));
        return;
    }
    txtMemberListSyntax_->clear();
    generated_ = true;
    txtMemberListSyntax_->setPlainText(
        listbuilder::GenerateListSyntax(dimensionName, listName, members));
    ui::ShowMessage(this, listbuilder::ListWrittenText(dimensionName, listName, members.size()),
                    QStringLiteral("Member List Syntax Written Successfully"), ui::Buttons::Ok,
                    ui::Icon::Information);
}

QString frmMemberListBuilder::SyntaxText() const {
    QString text = txtMemberListSyntax_->toPlainText();
    text.replace(u'\n', QLatin1String("\r\n"));
    return text;
}

void frmMemberListBuilder::UpdateSyntaxButtons() {
    const bool on = generated_ && !txtMemberListSyntax_->document()->isEmpty();
    cmdSaveMemberListFile_->setEnabled(on);
    cmdResetMemberList_->setEnabled(on);
}

void frmMemberListBuilder::cmdSaveMemberListFile_Click() {
    modGlobal::gSaveText = SyntaxText();
    modGlobal::gSavePattern = QStringLiteral("*.lst");
    modGlobal::gSaveMode = QStringLiteral("MEMBERLIST");
    frmDrvDirFil save(this);
    save.exec();
}

void frmMemberListBuilder::cmdResetMemberList_Click() {
    if (txtMemberListSyntax_->document()->isEmpty()) {
        return;
    }
    if (ui::ShowMessage(this,
                        QStringLiteral("WARNING:  This will reset the Member List Syntax!\r\r"
                                       "The current member list syntax will be lost "),
                        QStringLiteral("Reset Member List Syntax?"), ui::Buttons::OkCancel,
                        ui::Icon::Exclamation) == ui::Answer::Ok) {
        txtMemberListSyntax_->clear();
    }
}

namespace listbuilder {
QWidget* MakeMemberListBuilderWindow(QWidget* owner, const ui::ShellServices& /*services*/) {
    return new frmMemberListBuilder(owner);
}
}  // namespace listbuilder
