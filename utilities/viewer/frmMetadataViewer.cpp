#include "utilities/viewer/frmMetadataViewer.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <exception>

#include "server/spreadsheet.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/tool_window.h"
#include "utilities/viewer/tree_export.h"

namespace {

QTreeView* MakeTree(QWidget* parent, const char* name) {
    auto* tree = new QTreeView(parent);
    tree->setObjectName(QString::fromLatin1(name));
    tree->setModel(new viewer::ViewTreeModel(tree));
    tree->setHeaderHidden(true);
    tree->setSortingEnabled(false);
    tree->setUniformRowHeights(true);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree->header()->setStretchLastSection(false);
    return tree;
}

using ui::Named;

}  // namespace

class frmMetadataViewer::Busy {
  public:
    explicit Busy(frmMetadataViewer& window) : window_(window) {
        if (window_.busyDepth_++ == 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    ~Busy() {
        if (--window_.busyDepth_ != 0) {
            return;
        }
        QApplication::restoreOverrideCursor();
        window_.controls_->setEnabled(true);
        window_.trvMembers_->setEnabled(true);
        window_.trvTopMember_->setEnabled(true);
        window_.sbStatusBar_->clearMessage();
        if (window_.closePending_) {
            window_.closePending_ = false;
            QTimer::singleShot(0, &window_, &QWidget::close);
        }
    }

  private:
    frmMetadataViewer& window_;
};

frmMetadataViewer::frmMetadataViewer(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("frmMetadataViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Tarsel Utilities - Metadata Viewer"));
    resize(900, 640);

    auto* layout = new QVBoxLayout(this);
    auto* titles = new QHBoxLayout;
    lblDimension_ = Named(new QLabel(this), "lblDimension");
    lblTotalMembers_ = Named(new QLabel(this), "lblTotalMembers");
    titles->addWidget(lblDimension_);
    titles->addStretch();
    titles->addWidget(lblTotalMembers_);
    layout->addLayout(titles);

    auto* body = new QHBoxLayout;
    trvMembers_ = MakeTree(this, "trvMembers");
    trvTopMember_ = MakeTree(this, "trvTopMember");
    body->addWidget(trvMembers_, 1);
    body->addWidget(trvTopMember_, 1);

    controls_ = Named(new QWidget(this), "fraControls");
    auto* side = new QVBoxLayout(controls_);
    auto* attributeButtons = new QButtonGroup(controls_);
    optShowAttributes_[0] = Named(new QRadioButton(QStringLiteral("Show Attributes"), controls_),
                                  "optShowAttributes_0");
    optShowAttributes_[1] = Named(new QRadioButton(QStringLiteral("Hide Attributes"), controls_),
                                  "optShowAttributes_1");
    optShowAttributes_[0]->setChecked(true);
    chk_ExpAttribs_ = Named(new QCheckBox(QStringLiteral("Display Expanded Attributes"), controls_),
                            "chk_ExpAttribs");
    cmdExpandAll_ = Named(new QPushButton(QStringLiteral("Expand All"), controls_), "cmdExpandAll");
    cmdSendToExcel_ =
        Named(new QPushButton(QStringLiteral("Send to E&xcel -->"), controls_), "cmdSendToExcel");
    cmdRemoveTopMember_ = Named(new QPushButton(QStringLiteral("Remove Top Member"), controls_),
                                "cmdRemoveTopMember");
    txtSearch_ = Named(new QLineEdit(controls_), "txtSearch");
    cmdFind_ = Named(new QPushButton(QStringLiteral("&Find"), controls_), "cmdFind");
    for (int i = 0; i < 2; ++i) {
        attributeButtons->addButton(optShowAttributes_[i], i);
        side->addWidget(optShowAttributes_[i]);
    }
    for (QWidget* widget :
         std::initializer_list<QWidget*>{chk_ExpAttribs_, cmdExpandAll_, cmdSendToExcel_,
                                         cmdRemoveTopMember_, txtSearch_, cmdFind_}) {
        side->addWidget(widget);
    }

    fraEntityFilters_ =
        Named(new QGroupBox(QStringLiteral(" Entity Filters "), controls_), "fraEntityFilters");
    auto* filters = new QVBoxLayout(fraEntityFilters_);
    auto* switchButtons = new QButtonGroup(fraEntityFilters_);
    auto* switchRow = new QHBoxLayout;
    optEntityFilterSwitch_[0] =
        Named(new QRadioButton(QStringLiteral("On"), fraEntityFilters_), "optEntityFilterSwitch_0");
    optEntityFilterSwitch_[1] = Named(new QRadioButton(QStringLiteral("Off"), fraEntityFilters_),
                                      "optEntityFilterSwitch_1");
    optEntityFilterSwitch_[1]->setChecked(true);
    for (int i = 0; i < 2; ++i) {
        switchButtons->addButton(optEntityFilterSwitch_[i], i);
        switchRow->addWidget(optEntityFilterSwitch_[i]);
    }
    filters->addLayout(switchRow);
    filters->addWidget(Named(new QLabel(QStringLiteral("Security Class:"), fraEntityFilters_),
                             "lblSecurityClassFilter"));
    cboEntitySecurityClassFilter_ =
        Named(new QComboBox(fraEntityFilters_), "cboEntitySecurityClassFilter");
    filters->addWidget(cboEntitySecurityClassFilter_);
    filters->addWidget(
        Named(new QLabel(QStringLiteral("Currency:"), fraEntityFilters_), "lblCurrencyFilter"));
    cboEntityCurrencyFilter_ = Named(new QComboBox(fraEntityFilters_), "cboEntityCurrencyFilter");
    // Long class names stay readable: the lists widen with the entries they receive.
    for (QComboBox* box : {cboEntitySecurityClassFilter_, cboEntityCurrencyFilter_}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }
    filters->addWidget(cboEntityCurrencyFilter_);
    cmdRerunEntityFilters_ =
        Named(new QPushButton(QStringLiteral("Re-Run Filters"), fraEntityFilters_),
              "cmdRerunEntityFilters");
    filters->addWidget(cmdRerunEntityFilters_);
    cmdRerunEntityFilters_->hide();
    side->addWidget(fraEntityFilters_);
    side->addStretch();
    body->addWidget(controls_);
    layout->addLayout(body, 1);

    sbStatusBar_ = Named(new QStatusBar(this), "sbStatusBar");
    sbStatusBar_->setSizeGripEnabled(false);
    sbPanel1_ = Named(new QLabel(sbStatusBar_), "sbStatusBarPanel1");
    sbStatusBar_->addWidget(sbPanel1_, 1);
    layout->addWidget(sbStatusBar_);

    mnuRightClick_ = Named(new QMenu(QStringLiteral("RightClick"), this), "mnuRightClick");
    mnuTopMember_ =
        Named(mnuRightClick_->addAction(QStringLiteral("Set as Top Member")), "mnuTopMember");
    mnuNormalTreeView_ =
        Named(mnuRightClick_->addAction(QStringLiteral("Remove Top Member")), "mnuNormalTreeView");

    connect(optShowAttributes_[0], &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            optShowAttributes_Click(0);
        }
    });
    connect(optShowAttributes_[1], &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            optShowAttributes_Click(1);
        }
    });
    connect(chk_ExpAttribs_, &QCheckBox::clicked, this, [this] { chk_ExpAttribs_Click(); });
    connect(optEntityFilterSwitch_[0], &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            optEntityFilterSwitch_Click(0);
        }
    });
    connect(optEntityFilterSwitch_[1], &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            optEntityFilterSwitch_Click(1);
        }
    });
    connect(cmdRerunEntityFilters_, &QPushButton::clicked, this,
            [this] { cmdRerunEntityFilters_Click(); });
    connect(cmdExpandAll_, &QPushButton::clicked, this, [this] {
        if (busyDepth_ == 0) {
            Busy busy(*this);
            ExpandAll();
        }
    });
    connect(cmdSendToExcel_, &QPushButton::clicked, this, [this] {
        if (busyDepth_ == 0) {
            ExportTreeToSpreadsheet();
        }
    });
    auto normalView = [this] {
        if (busyDepth_ == 0) {
            ShowNormalView();
        }
    };
    connect(cmdRemoveTopMember_, &QPushButton::clicked, this, normalView);
    connect(mnuNormalTreeView_, &QAction::triggered, this, normalView);
    connect(mnuTopMember_, &QAction::triggered, this, [this] { mnuTopMember_Click(); });
    connect(cmdFind_, &QPushButton::clicked, this, [this] { FindMember(true); });
    connect(txtSearch_, &QLineEdit::returnPressed, this, [this] { FindMember(true); });
    auto* findNext = new QShortcut(QKeySequence(Qt::Key_F3), this);
    auto* findPrevious = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    for (QShortcut* shortcut : {findNext, findPrevious}) {
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    }
    connect(findNext, &QShortcut::activated, this, [this] { FindMember(true); });
    connect(findPrevious, &QShortcut::activated, this, [this] { FindMember(false); });
    for (QTreeView* tree : {trvMembers_, trvTopMember_}) {
        connect(tree, &QTreeView::customContextMenuRequested, this,
                [this, tree](const QPoint& position) { PopUpRightClick(tree, position); });
    }

    Form_Load();
}

void frmMetadataViewer::closeEvent(QCloseEvent* event) {
    // A build lets paint events through; the window must outlive it.
    if (busyDepth_ > 0) {
        closePending_ = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmMetadataViewer::Form_Load() {
    Busy busy(*this);
    trvMembers_->show();
    trvTopMember_->hide();
    mnuNormalTreeView_->setVisible(false);
    mnuTopMember_->setVisible(true);
    sbPanel1_->setText(QStringLiteral("Application: ") + modGlobal::gApplicationName);

    const QString dimensionName = modGlobal::gDimensionName;
    const std::optional<tarsel::Dimension> dimension = modGlobal::ChosenDimension();
    try {
        const QString name =
            modGlobal::gDimension ? modGlobal::gDimension->GetDimensionName() : dimensionName;
        lblDimension_->setText(name.toUpper() + QStringLiteral(" Dimension"));
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("Form.Load"), error, {});
    }
    if (viewer::IsViewableDimension(dimension) && modGlobal::gDimension) {
        BuildMemberTree();
        ShowHideFilters(true);
    } else {
        ui::ShowMessage(this, viewer::UnsupportedDimensionText(dimensionName),
                        QStringLiteral("Unsupported Dimension"), ui::Buttons::OkCancel,
                        ui::Icon::Exclamation);
    }
    ShowNormalView();
    // The panel keeps the width of its widest control, the filter lists with their entries
    // included, so the tree beside it does not jump when options or filters are hidden.
    controls_->setMinimumWidth(controls_->sizeHint().width());
}

viewer::ViewerSource frmMetadataViewer::Source() {
    viewer::ViewerSource source;
    source.tree = modGlobal::gDimension;
    source.dimension = modGlobal::ChosenDimension();
    source.metadata = modGlobal::gMetadata;
    source.languageIndex = modGlobal::gLanguageIndex;
    if (modGlobal::gSession) {
        source.security = modGlobal::gSession->Security();
        if (source.dimension == tarsel::Dimension::Entity) {
            modGlobal::gSecurity = source.security;
        }
    }
    return source;
}

void frmMetadataViewer::SyncOptions() {
    logic_.options.showAttributes = optShowAttributes_[0]->isChecked();
    logic_.options.expanded = chk_ExpAttribs_->isChecked();
    logic_.filter.on = optEntityFilterSwitch_[0]->isChecked();
    logic_.filter.currency = cboEntityCurrencyFilter_->currentText();
    logic_.filter.securityClass = cboEntitySecurityClassFilter_->currentText();
}

viewer::BuildProgress frmMetadataViewer::Progress(const char* what) {
    return [this, what](int nodesSoFar) {
        if (!isVisible()) {
            show();
        }
        controls_->setEnabled(false);
        trvMembers_->setEnabled(false);
        trvTopMember_->setEnabled(false);
        sbStatusBar_->showMessage(QString::fromLatin1(what).arg(nodesSoFar));
        QCoreApplication::processEvents();
    };
}

void frmMetadataViewer::PlaceNodes(QTreeView* tree, const viewer::ViewTree* view) {
    search_.Forget();
    ModelOf(tree).SetTree(view);
}

viewer::ViewTreeModel& frmMetadataViewer::ModelOf(QTreeView* tree) {
    return *static_cast<viewer::ViewTreeModel*>(tree->model());
}

int frmMetadataViewer::CurrentNode(QTreeView* tree) {
    return viewer::ViewTreeModel::NodeOf(tree->currentIndex());
}

void frmMetadataViewer::FillMembers(
    const QString& routine,
    void (viewer::MetadataViewerLogic::*build)(const viewer::ViewerSource&,
                                               const viewer::BuildProgress&)) {
    // A dimension without member texts would give a tree of blank nodes; the attribute and
    // filter controls of such a window act on nothing.
    if (!modGlobal::gDimension || !viewer::IsViewableDimension(modGlobal::ChosenDimension())) {
        return;
    }
    Busy busy(*this);
    SyncOptions();
    // The view lets go of the nodes while they are rebuilt.
    PlaceNodes(trvMembers_, nullptr);
    std::exception_ptr failure;
    try {
        (logic_.*build)(Source(), Progress("Reading members: %1 read"));
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    // What was built before a failure is shown, then the failure is told.
    PlaceNodes(trvMembers_, &logic_.members());
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            ui::ReportFailure(this, routine, error, {});
        }
    }
}

void frmMetadataViewer::BuildMemberTree() {
    FillMembers(QStringLiteral("BuildMemberTree"), &viewer::MetadataViewerLogic::BuildMemberTree);
    FillEntityFilters();
    SetTitles();
}

void frmMetadataViewer::BuildFilteredList() {
    FillMembers(QStringLiteral("BuildFilteredList"),
                &viewer::MetadataViewerLogic::BuildFilteredList);
    SetTitles();
}

void frmMetadataViewer::FillEntityFilters() {
    // The lists are filled by the first build that reads them (each holds at least its
    // "ALL ..." entry) and then keep their entries and picks while the window is open.
    if (modGlobal::ChosenDimension() != tarsel::Dimension::Entity ||
        cboEntitySecurityClassFilter_->count() > 0) {
        return;
    }
    try {
        const viewer::FilterChoices choices = viewer::ReadFilterChoices(Source());
        // Adding to an empty list picks its first entry; the lists start unpicked.
        for (const auto& [box, entries] :
             {std::pair{cboEntitySecurityClassFilter_, choices.securityClasses},
              std::pair{cboEntityCurrencyFilter_, choices.currencies}}) {
            box->addItems(entries);
            box->setCurrentIndex(-1);
        }
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("FillEntityFilters"), error, {});
    }
}

void frmMetadataViewer::Rebuild() {
    if (optEntityFilterSwitch_[0]->isChecked()) {
        BuildFilteredList();
    } else {
        BuildMemberTree();
    }
}

void frmMetadataViewer::optShowAttributes_Click(int index) {
    if (busyDepth_ > 0) {
        return;
    }
    Busy busy(*this);
    if (index == 0) {
        chk_ExpAttribs_->show();
    } else {
        chk_ExpAttribs_->setChecked(false);
        chk_ExpAttribs_->hide();
    }
    Rebuild();
}

void frmMetadataViewer::chk_ExpAttribs_Click() {
    if (busyDepth_ > 0) {
        return;
    }
    Busy busy(*this);
    Rebuild();
}

void frmMetadataViewer::optEntityFilterSwitch_Click(int index) {
    if (busyDepth_ > 0) {
        return;
    }
    Busy busy(*this);
    if (index == 0) {
        BuildFilteredList();
        cmdRerunEntityFilters_->show();
    } else {
        BuildMemberTree();
        cmdRerunEntityFilters_->hide();
    }
}

void frmMetadataViewer::cmdRerunEntityFilters_Click() {
    if (busyDepth_ > 0) {
        return;
    }
    Busy busy(*this);
    BuildFilteredList();
}

void frmMetadataViewer::PopUpRightClick(QTreeView* tree, const QPoint& position) {
    if (busyDepth_ > 0) {
        return;
    }
    const QModelIndexList selected = tree->selectionModel()->selectedIndexes();
    if (selected.isEmpty() || selected.front().data().toString().isEmpty()) {
        return;
    }
    mnuRightClick_->popup(tree->viewport()->mapToGlobal(position));
}

void frmMetadataViewer::mnuTopMember_Click() {
    if (busyDepth_ > 0) {
        return;
    }
    const QModelIndexList selected = trvMembers_->selectionModel()->selectedIndexes();
    if (selected.isEmpty() || logic_.inTopMemberView()) {
        return;
    }
    Busy busy(*this);
    PlaceNodes(trvTopMember_, nullptr);
    if (!logic_.SetTopMember(viewer::ViewTreeModel::NodeOf(selected.front()))) {
        return;
    }
    optShowAttributes_[0]->hide();
    optShowAttributes_[1]->hide();
    PlaceNodes(trvTopMember_, &logic_.topMembers());
    trvTopMember_->show();
    trvMembers_->hide();
    mnuNormalTreeView_->setVisible(true);
    mnuTopMember_->setVisible(false);
    cmdRemoveTopMember_->show();
    ShowHideFilters(false);
    SetTitles();
}

void frmMetadataViewer::ShowNormalView() {
    logic_.ShowNormalView();
    trvMembers_->show();
    trvTopMember_->hide();
    mnuTopMember_->setVisible(true);
    mnuNormalTreeView_->setVisible(false);
    cmdRemoveTopMember_->hide();
    optShowAttributes_[0]->show();
    optShowAttributes_[1]->show();
    ShowHideFilters(true);
    SetTitles();
}

void frmMetadataViewer::SetTitles() {
    lblTotalMembers_->setText(logic_.totalsLine());
}

void frmMetadataViewer::ShowHideFilters(bool show) {
    fraEntityFilters_->setVisible(show &&
                                  modGlobal::ChosenDimension() == tarsel::Dimension::Entity);
}

QTreeView* frmMetadataViewer::VisibleTree() const {
    return logic_.inTopMemberView() ? trvTopMember_ : trvMembers_;
}

void frmMetadataViewer::ExpandAll() {
    VisibleTree()->expandAll();
}

void frmMetadataViewer::FindMember(bool forward) {
    if (busyDepth_ > 0) {
        return;
    }
    const QString text = txtSearch_->text();
    if (text.isEmpty()) {
        return;
    }
    QTreeView* tree = VisibleTree();
    const viewer::TreeSearch::Step step =
        search_.Next(logic_.visibleTree(), text, CurrentNode(tree), forward);
    sbStatusBar_->showMessage(viewer::TreeSearch::StatusText(step, text));
    const QModelIndex found = ModelOf(tree).IndexOf(step.node);
    if (!found.isValid()) {
        return;
    }
    for (QModelIndex above = found.parent(); above.isValid(); above = above.parent()) {
        tree->expand(above);
    }
    tree->setCurrentIndex(found);
    tree->scrollTo(found);
}

void frmMetadataViewer::ExportTreeToSpreadsheet() {
    Busy busy(*this);
    bool printAttributes = false;
    if (optShowAttributes_[0]->isChecked()) {
        printAttributes = ui::ShowMessage(this, QStringLiteral("Print metadata attributes?"),
                                          QStringLiteral("Print Attributes"), ui::Buttons::YesNo,
                                          ui::Icon::Question) == ui::Answer::Yes;
    }
    try {
        viewer::ExportTree(
            tarsel::ActiveSpreadsheetProgram(), logic_.visibleTree(), logic_.visibleLevels(),
            printAttributes,
            [this](const tarsel::SpreadsheetMessage& message) {
                ui::ShowMessage(this, message.text, message.title, ui::Buttons::Ok,
                                message.kind == tarsel::SpreadsheetMessage::Kind::Information
                                    ? ui::Icon::Information
                                    : ui::Icon::Exclamation);
            },
            [this] { ExpandAll(); }, Progress("Writing rows: %1 written"));
    } catch (const std::exception& error) {
        ui::ReportFailure(this, QStringLiteral("ExportTreeToSpreadsheet"), error, {});
    }
}

namespace viewer {
QWidget* MakeWindow(QWidget* owner, const ui::ShellServices& /*services*/) {
    return new frmMetadataViewer(owner);
}
}  // namespace viewer
