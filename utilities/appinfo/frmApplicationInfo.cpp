#include "utilities/appinfo/frmApplicationInfo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStringListModel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "server/spreadsheet.h"
#include "utilities/appinfo/member_list_export.h"
#include "utilities/appinfo/report_view.h"
#include "utilities/shell/clock.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/shell/program_identity.h"
#include "utilities/shell/time_text.h"
#include "utilities/shell/tool_window.h"

using tarsel::Dimension;

namespace appinfo {

QWidget* MakeApplicationInfoWindow(QWidget* owner, const ui::ShellServices& services) {
    return new frmApplicationInfo(owner, services.clock);
}

}  // namespace appinfo

namespace {

// The dimensions of the option groups, in the order of their buttons.
constexpr std::array<Dimension, 6> kOptionDimensions = {Dimension::Account, Dimension::Entity,
                                                        Dimension::Custom1, Dimension::Custom2,
                                                        Dimension::Custom3, Dimension::Custom4};
const std::array<const char*, 6> kOptionCaptions = {"Accounts", "Entities", "Custom1",
                                                    "Custom2",  "Custom3",  "Custom4"};
// optDimensionCompare: 0 to 5 on the duplicates tab, 6 to 11 on the compare tab, where
// button i stands for the same dimension as button 11 - i.
constexpr int kCompareButtons = 12;
Dimension CompareDimension(int index) {
    return kOptionDimensions[static_cast<size_t>(index < 6 ? index : 11 - index)];
}
constexpr int kFirstStatsButton = 12;

using ui::Named;

appinfo::ReportView* ReportBox(QWidget* parent, const char* name) {
    return Named(new appinfo::ReportView(parent), name);
}

// A drop-down list that may hold a whole dimension: its width does not depend on its
// entries, which would be measured one by one.
QComboBox* LongList(QWidget* parent, const QString& name) {
    auto* box = Named(new QComboBox(parent), name);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(24);
    return box;
}

}  // namespace

frmApplicationInfo::frmApplicationInfo(QWidget* owner, std::shared_ptr<ui::Clock> clock)
    : QWidget(owner, Qt::Window), clock_(std::move(clock)) {
    setObjectName(QStringLiteral("frmApplicationInfo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Tarsel Utilities - Application Information"));
    QFont verdana = font();
    verdana.setFamilies({QStringLiteral("Verdana")});
    setFont(verdana);
    resize(860, 620);

    auto* layout = new QVBoxLayout(this);
    sstabApplicationInfo_ = Named(new QTabWidget(this), "sstabApplicationInfo");
    sstabApplicationInfo_->addTab(BuildSharedMembersTab(), QStringLiteral("Shared &Members"));
    sstabApplicationInfo_->addTab(BuildMemberListsTab(), QStringLiteral("Member &Lists "));
    sstabApplicationInfo_->addTab(BuildCompareTab(), QStringLiteral("Base Member &Compare "));
    sstabApplicationInfo_->addTab(BuildDuplicatesTab(), QStringLiteral("&Duplicates Below Parent"));
    sstabApplicationInfo_->addTab(BuildStatisticsTab(), QStringLiteral("S&tatistics"));
    layout->addWidget(sstabApplicationInfo_, 1);

    sbStatusBar_ = Named(new QStatusBar(this), "sbStatusBar");
    sbStatusBar_->setSizeGripEnabled(false);
    sbPanel1_ = Named(new QLabel(sbStatusBar_), "sbStatusBarPanel1");
    sbDate_ = Named(new QLabel(sbStatusBar_), "sbStatusBarDate");
    sbTime_ = Named(new QLabel(sbStatusBar_), "sbStatusBarTime");
    sbStatusBar_->addWidget(sbPanel1_, 1);
    sbStatusBar_->addPermanentWidget(sbDate_);
    sbStatusBar_->addPermanentWidget(sbTime_);
    layout->addWidget(sbStatusBar_);
    UpdateClockPanels();
    clockTimer_.setInterval(1000);
    connect(&clockTimer_, &QTimer::timeout, this, &frmApplicationInfo::UpdateClockPanels);
    clockTimer_.start();

    Form_Load();
}

QWidget* frmApplicationInfo::BuildSharedMembersTab() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* options = new QHBoxLayout;
    for (size_t i = 0; i < optDimension_.size(); ++i) {
        optDimension_[i] = Named(new QRadioButton(QString::fromLatin1(kOptionCaptions[i]), page),
                                 QStringLiteral("optDimension_%1").arg(i));
        options->addWidget(optDimension_[i]);
        connect(optDimension_[i], &QRadioButton::clicked, this,
                [this, i] { optDimension_Click(static_cast<int>(i)); });
    }
    options->addStretch();
    layout->addLayout(options);
    auto* frame = Named(new QGroupBox(QStringLiteral(" Shared Member Information "), page),
                        "frmSharedMembers");
    auto* inFrame = new QVBoxLayout(frame);
    txtSharedMembers_ = ReportBox(frame, "txtSharedMembers");
    inFrame->addWidget(txtSharedMembers_);
    layout->addWidget(frame, 1);
    layout->addWidget(
        Named(new QLabel(QStringLiteral("Member (Parent)  -  ** Denotes Parent Member"), page),
              "lblDenoteParentSharedMembers"));
    return page;
}

QWidget* frmApplicationInfo::BuildMemberListsTab() {
    auto* page = new QWidget(this);
    auto* layout = new QHBoxLayout(page);
    auto* boxes = new QGridLayout;
    // The order in which the boxes are filled, and which of them refill the top member box.
    const std::array<std::pair<Dimension, bool>, tarsel::kDimensionCount> order = {{
        {Dimension::Account, true},
        {Dimension::Entity, true},
        {Dimension::Custom1, true},
        {Dimension::Custom2, true},
        {Dimension::Custom3, true},
        {Dimension::Custom4, true},
        {Dimension::Scenario, false},
        {Dimension::Year, false},
        {Dimension::Period, true},
        {Dimension::Value, false},
        {Dimension::ICP, true},
        {Dimension::View, false},
    }};
    for (size_t i = 0; i < order.size(); ++i) {
        ListBox& list = lists_[i];
        list.dimension = order[i].first;
        list.refillsTopMember = order[i].second;
        const QString name = tarsel::DimensionDisplayName(list.dimension);
        auto* label = Named(new QLabel(name + QStringLiteral(" Lists:"), page),
                            QStringLiteral("lbl%1Lists").arg(name));
        list.box = Named(new QComboBox(page), QStringLiteral("cbo%1Lists").arg(name));
        list.box->setMinimumContentsLength(16);
        label->setBuddy(list.box);
        boxes->addWidget(label, static_cast<int>(i), 0);
        boxes->addWidget(list.box, static_cast<int>(i), 1);
        connect(list.box, &QComboBox::activated, this, [this, i] { cboLists_Click(lists_[i]); });
    }
    auto* lblTopMember = Named(new QLabel(QStringLiteral("Top Member:"), page), "lblTopMember");
    cboParentMembers_ = LongList(page, QStringLiteral("cboParentMembers"));
    parentMembersModel_ = new QStringListModel(this);
    cboParentMembers_->setModel(parentMembersModel_);
    lblTopMember->setBuddy(cboParentMembers_);
    connect(cboParentMembers_, &QComboBox::activated, this, [this] { cboParentMembers_Click(); });
    const int next = static_cast<int>(order.size());
    boxes->addWidget(lblTopMember, next, 0);
    boxes->addWidget(cboParentMembers_, next, 1);
    boxes->setRowStretch(next + 1, 1);
    layout->addLayout(boxes);

    auto* shown = new QVBoxLayout;
    lblMembersInList_ = Named(new QLabel(page), "lblMembersInList");
    shown->addWidget(lblMembersInList_);
    lstMembersInList_ = Named(new appinfo::LinesView(page), "lstMembersInList");
    shown->addWidget(lstMembersInList_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(
        Named(new QLabel(QStringLiteral("** Denotes Parent Member"), page), "lblDenote"));
    bottom->addStretch();
    cmdSendListToExcel_ =
        Named(new QPushButton(QStringLiteral("Send to E&xcel -->"), page), "cmdSendListToExcel");
    connect(cmdSendListToExcel_, &QPushButton::clicked, this, [this] {
        Run(QStringLiteral("SendMemberListToSpreadsheet"),
            [this] { SendMemberListToSpreadsheet(); });
    });
    bottom->addWidget(cmdSendListToExcel_);
    shown->addLayout(bottom);
    layout->addLayout(shown, 1);
    return page;
}

QWidget* frmApplicationInfo::BuildCompareTab() {
    compareParentsModel_ = new QStringListModel(this);
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* options = new QHBoxLayout;
    for (int i = 6; i < kCompareButtons; ++i) {
        optDimensionCompare_[static_cast<size_t>(i)] =
            Named(new QRadioButton(
                      QString::fromLatin1(kOptionCaptions[static_cast<size_t>(11 - i)]), page),
                  QStringLiteral("optDimensionCompare_%1").arg(i));
    }
    // Shown Accounts first, as on the other tabs.
    for (int i = kCompareButtons - 1; i >= 6; --i) {
        options->addWidget(optDimensionCompare_[static_cast<size_t>(i)]);
    }
    options->addStretch();
    layout->addLayout(options);
    auto* choose = new QGridLayout;
    auto* lblTopMember1 =
        Named(new QLabel(QStringLiteral("Base Members FROM Parent:"), page), "lblTopMember1");
    auto* lblTopMember2 =
        Named(new QLabel(QStringLiteral("Base Members TO Parent:"), page), "lblTopMember2");
    cboTopMember1_ = LongList(page, QStringLiteral("cboTopMember1"));
    cboTopMember2_ = LongList(page, QStringLiteral("cboTopMember2"));
    cmdCompare_ =
        Named(new QPushButton(QStringLiteral("  <-----  Compare  ----->   "), page), "cmdCompare");
    for (QComboBox* box : {cboTopMember1_, cboTopMember2_}) {
        box->setModel(compareParentsModel_);
    }
    lblTopMember1->setBuddy(cboTopMember1_);
    lblTopMember2->setBuddy(cboTopMember2_);
    choose->addWidget(lblTopMember1, 0, 0);
    choose->addWidget(lblTopMember2, 0, 2);
    choose->addWidget(cboTopMember1_, 1, 0);
    choose->addWidget(cmdCompare_, 1, 1);
    choose->addWidget(cboTopMember2_, 1, 2);
    layout->addLayout(choose);
    txtMissingBaseMembers_ = ReportBox(page, "txtMissingBaseMembers");
    layout->addWidget(txtMissingBaseMembers_, 1);
    connect(cmdCompare_, &QPushButton::clicked, this, [this] { cmdCompare_Click(); });
    return page;
}

QWidget* frmApplicationInfo::BuildDuplicatesTab() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* options = new QHBoxLayout;
    for (int i = 0; i < 6; ++i) {
        optDimensionCompare_[static_cast<size_t>(i)] = Named(
            new QRadioButton(QString::fromLatin1(kOptionCaptions[static_cast<size_t>(i)]), page),
            QStringLiteral("optDimensionCompare_%1").arg(i));
        options->addWidget(optDimensionCompare_[static_cast<size_t>(i)]);
    }
    options->addStretch();
    layout->addLayout(options);
    for (int i = 0; i < kCompareButtons; ++i) {
        // Both tabs show the one dimension they share, so each button is checked by hand.
        optDimensionCompare_[static_cast<size_t>(i)]->setAutoExclusive(false);
        connect(optDimensionCompare_[static_cast<size_t>(i)], &QRadioButton::clicked, this,
                [this, i] { optDimensionCompare_Click(i); });
    }
    auto* label =
        Named(new QLabel(QStringLiteral("Choose a parent member for a list of duplicate children:"),
                         page),
              "lblDuplicatesBelowParent");
    cboParents_ = LongList(page, QStringLiteral("cboParents"));
    cboParents_->setModel(compareParentsModel_);
    label->setBuddy(cboParents_);
    connect(cboParents_, &QComboBox::activated, this, [this] { cboParents_Click(); });
    layout->addWidget(label);
    layout->addWidget(cboParents_);
    txtDuplicatesUnderSameParent_ = ReportBox(page, "txtDuplicatesUnderSameParent");
    layout->addWidget(txtDuplicatesUnderSameParent_, 1);
    return page;
}

QWidget* frmApplicationInfo::BuildStatisticsTab() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* options = new QHBoxLayout;
    for (size_t i = 0; i < optDimensionStats_.size(); ++i) {
        const int index = kFirstStatsButton + static_cast<int>(i);
        optDimensionStats_[i] =
            Named(new QRadioButton(QString::fromLatin1(kOptionCaptions[i]), page),
                  QStringLiteral("optDimensionStats_%1").arg(index));
        options->addWidget(optDimensionStats_[i]);
        connect(optDimensionStats_[i], &QRadioButton::clicked, this,
                [this, index] { optDimensionStats_Click(index); });
    }
    options->addStretch();
    layout->addLayout(options);
    auto* frame = Named(new QGroupBox(QStringLiteral(" Statistics "), page), "frmStatistics");
    auto* inFrame = new QVBoxLayout(frame);
    txtStatistics_ = ReportBox(frame, "txtStatistics");
    inFrame->addWidget(txtStatistics_);
    layout->addWidget(frame, 1);
    auto* threshold = new QHBoxLayout;
    auto* label = Named(
        new QLabel(QStringLiteral("Number of Children to Check for per Parent Entity:"), page),
        "lblParentChildrenCheck");
    txtParentChildrenCheck_ =
        Named(new QLineEdit(QStringLiteral("200"), page), "txtParentChildrenCheck");
    label->setBuddy(txtParentChildrenCheck_);
    threshold->addWidget(label);
    threshold->addWidget(txtParentChildrenCheck_);
    threshold->addStretch();
    layout->addLayout(threshold);
    auto* note = Named(new QLabel(QStringLiteral("** Reminder:  Counts include system members like "
                                                 "currencies in Custom1 and Custom2 and "
                                                 "ownership/system members in Accounts"),
                                  page),
                       "lblNote");
    note->setWordWrap(true);
    layout->addWidget(note);
    return page;
}

void frmApplicationInfo::closeEvent(QCloseEvent* event) {
    // A long report lets events through; the window must outlive it.
    if (busy_) {
        closePending_ = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmApplicationInfo::UpdateClockPanels() {
    const QDateTime now = clock_->Now();
    sbDate_->setText(ui::DateText(now.date()));
    sbTime_->setText(ui::TimeOfDayText(now.time()));
}

void frmApplicationInfo::Form_Load() {
    try {
        currentRoutine_ = QStringLiteral("Form.Load");
        sstabApplicationInfo_->setCurrentIndex(0);
        PopulateMemberListNames();
        currentRoutine_ = QStringLiteral("Form.Load");
        sbPanel1_->setText(QStringLiteral("Application: ") + modGlobal::gApplicationName);
    } catch (const std::exception& error) {
        ReportError(currentRoutine_, error);
    }
}

std::shared_ptr<tarsel::DimensionTree> frmApplicationInfo::UseDimension(Dimension dimension) {
    if (!modGlobal::gMetadata) {
        tarsel::ThrowClientError(tarsel::code::kNoSession,
                                 QStringLiteral("No application is open."));
    }
    auto tree = modGlobal::gMetadata->GetDimensionByIndex(static_cast<int>(dimension));
    modGlobal::gDimension = tree;
    return tree;
}

void frmApplicationInfo::PopulateMemberListNames() {
    currentRoutine_ = QStringLiteral("PopulateMemberListNames");
    for (ListBox& list : lists_) {
        list.box->clear();
    }
    for (ListBox& list : lists_) {
        auto tree = UseDimension(list.dimension);
        list.box->addItems(appinfo::OfferedMemberListNames(*tree));
        list.box->setCurrentIndex(-1);
    }
}

void frmApplicationInfo::Run(const QString& routine, const std::function<void()>& work) {
    if (busy_) {
        return;
    }
    busy_ = true;
    busyClock_.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::exception_ptr failure;
    try {
        work();
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    QApplication::restoreOverrideCursor();
    sstabApplicationInfo_->setEnabled(true);
    sbStatusBar_->clearMessage();
    busy_ = false;
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            ReportError(routine, error);
        }
    }
    if (closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void frmApplicationInfo::Breathe(const QString& status) {
    // Quick work runs through without repainting; longer work shows how far it is and
    // keeps the window painted, its tabs locked until the work ends.
    if (busyClock_.elapsed() < 500) {
        return;
    }
    sstabApplicationInfo_->setEnabled(false);
    sbStatusBar_->showMessage(status);
    QCoreApplication::processEvents();
}

appinfo::Progress frmApplicationInfo::ShowProgress(const QString& what) {
    return [this, what](qsizetype done, qsizetype total) {
        Breathe(total > 0 ? QStringLiteral("%1: %2 of %3").arg(what).arg(done).arg(total)
                          : QStringLiteral("%1: %2").arg(what).arg(done));
    };
}

void frmApplicationInfo::Show(appinfo::ReportView* view, const QString& report) {
    Breathe(QStringLiteral("Showing the report"));
    view->ShowReport(report);
}

void frmApplicationInfo::ReportError(const QString& routine, const std::exception& error) {
    ui::ReportFailure(
        this, routine, error,
        {modGlobal::ProgramTitle(), QStringLiteral("Please stop and restart Tarsel Utilities")});
}

// ---- Shared members ----------------------------------------------------------------

void frmApplicationInfo::optDimension_Click(int index) {
    Run(QStringLiteral("optDimension_Click"), [this, index] {
        auto tree = UseDimension(kOptionDimensions[static_cast<size_t>(index)]);
        Show(txtSharedMembers_,
             appinfo::SharedMembersReport(*tree, ShowProgress(QStringLiteral("Shared members"))));
    });
}

// ---- Member lists ------------------------------------------------------------------

void frmApplicationInfo::cboLists_Click(const ListBox& list) {
    const QString name = tarsel::DimensionDisplayName(list.dimension);
    Run(QStringLiteral("cbo%1Lists_Click").arg(name), [this, &list] { ShowMemberList(list); });
    currentListDimension_ = list.dimension;
}

void frmApplicationInfo::cboParentMembers_Click() {
    if (!currentListDimension_) {
        return;
    }
    for (const ListBox& list : lists_) {
        if (list.dimension == *currentListDimension_) {
            ListBox once = list;
            once.refillsTopMember = false;
            Run(QStringLiteral("cboParentMembers_Click"), [this, &once] { ShowMemberList(once); });
        }
    }
}

void frmApplicationInfo::ShowMemberList(const ListBox& list) {
    // Held for this run, whatever another tab does to gDimension meanwhile.
    const auto tree = UseDimension(list.dimension);
    const QString dimensionName = tarsel::DimensionDisplayName(list.dimension);
    const QString listName = list.box->currentText();
    const bool systemList = listName.startsWith(QLatin1Char('['));
    if (!systemList && parentMembersModel_->rowCount() > 0) {
        cboParentMembers_->setCurrentIndex(0);
    }
    const QString top = cboParentMembers_->currentText();
    if (systemList && !top.isEmpty() && topMemberDimension_ != list.dimension) {
        // The top member box still holds the parents of the list shown before.
        QString text = QStringLiteral(
                           "The top member \"%1\" is a member of the %2 dimension, "
                           "not of %3, so the %3 list \"%4\" was not shown.\r\n")
                           .arg(top, tarsel::DimensionDisplayName(*topMemberDimension_),
                                dimensionName, listName);
        text += list.refillsTopMember
                    ? QStringLiteral(
                          "Choose one of the %1 top members now offered, or the empty "
                          "entry for the whole dimension.")
                          .arg(dimensionName)
                    : QStringLiteral("Choose the empty top member to show the whole list.");
        if (list.refillsTopMember) {
            FillTopMemberBox(list.dimension, *tree, QString());
        }
        ui::ShowMessage(this, text, QStringLiteral("Member Lists"), ui::Buttons::Ok,
                        ui::Icon::Exclamation);
        return;
    }
    const appinfo::MemberListDisplay display = appinfo::ShowMemberList(
        *tree, dimensionName, listName, top, ShowProgress(QStringLiteral("Reading the list")));
    Breathe(QStringLiteral("Showing the list"));
    lstMembersInList_->SetLines(display.rows);
    lblMembersInList_->setText(display.summary);
    if (list.refillsTopMember) {
        FillTopMemberBox(list.dimension, *tree, top);
    }
}

void frmApplicationInfo::FillTopMemberBox(Dimension dimension, tarsel::DimensionTree& tree,
                                          const QString& keep) {
    QStringList entries =
        appinfo::ParentMemberLabels(tree, ShowProgress(QStringLiteral("Reading parents")));
    entries.prepend(QString());
    parentMembersModel_->setStringList(entries);
    // A top member that restricted the list just shown stays chosen, so the box and a
    // later export name the members the list holds.
    const qsizetype kept =
        dimension == topMemberDimension_ && !keep.isEmpty() ? entries.indexOf(keep) : -1;
    cboParentMembers_->setCurrentIndex(kept > 0 ? static_cast<int>(kept) : -1);
    topMemberDimension_ = dimension;
}

void frmApplicationInfo::SendMemberListToSpreadsheet() {
    appinfo::ExportMemberList(tarsel::ActiveSpreadsheetProgram(), lblMembersInList_->text(),
                              cboParentMembers_->currentText(), lstMembersInList_->lines(),
                              [this](const tarsel::SpreadsheetMessage& message) {
                                  ui::ShowMessage(
                                      this, message.text, message.title, ui::Buttons::Ok,
                                      message.kind == tarsel::SpreadsheetMessage::Kind::Information
                                          ? ui::Icon::Information
                                          : ui::Icon::Exclamation);
                              });
}

// ---- Base member compare and duplicates below parent ---------------------------------

void frmApplicationInfo::optDimensionCompare_Click(int index) {
    for (int i = 0; i < kCompareButtons; ++i) {
        optDimensionCompare_[static_cast<size_t>(i)]->setChecked(i == index || i == 11 - index);
    }
    Run(QStringLiteral("optDimensionCompare_Click"), [this, index] {
        compareParentsModel_->setStringList({});
        compareTree_ = UseDimension(CompareDimension(index));
        compareParentsModel_->setStringList(appinfo::ParentMemberLabels(
            *compareTree_, ShowProgress(QStringLiteral("Reading parents"))));
        for (QComboBox* box : {cboTopMember1_, cboTopMember2_, cboParents_}) {
            box->setCurrentIndex(-1);
        }
    });
}

void frmApplicationInfo::cmdCompare_Click() {
    const QString from = cboTopMember1_->currentText();
    const QString to = cboTopMember2_->currentText();
    if (from.isEmpty() || to.isEmpty() || !compareTree_) {
        ui::ShowMessage(
            this,
            QStringLiteral("You must choose a top member from BOTH drop-down boxes to compare."),
            QStringLiteral("Compare Error"), ui::Buttons::Ok, ui::Icon::Exclamation);
        return;
    }
    Run(QStringLiteral("cmdCompare_Click"), [this, from, to] {
        modGlobal::gDimension = compareTree_;
        Show(txtMissingBaseMembers_,
             appinfo::BaseMemberCompareReport(*compareTree_, from, to,
                                              ShowProgress(QStringLiteral("Comparing"))));
    });
}

void frmApplicationInfo::cboParents_Click() {
    const QString parent = cboParents_->currentText();
    if (parent.isEmpty() || !compareTree_) {
        return;
    }
    Run(QStringLiteral("cboParents_Click"), [this, parent] {
        modGlobal::gDimension = compareTree_;
        Show(txtDuplicatesUnderSameParent_,
             appinfo::DuplicatesBelowParentReport(
                 *compareTree_, parent, ShowProgress(QStringLiteral("Looking for duplicates"))));
    });
}

// ---- Statistics --------------------------------------------------------------------

void frmApplicationInfo::optDimensionStats_Click(int index) {
    Run(QStringLiteral("optDimensionStats_Click"), [this, index] {
        auto tree = UseDimension(kOptionDimensions[static_cast<size_t>(index - kFirstStatsButton)]);
        const appinfo::StatisticsReport report =
            appinfo::DimensionStatistics(*tree, txtParentChildrenCheck_->text());
        Show(txtStatistics_, report.text);
        if (!report.thresholdProblem.isEmpty()) {
            ui::ShowMessage(this, report.thresholdProblem, QStringLiteral("Statistics"),
                            ui::Buttons::Ok, ui::Icon::Exclamation);
        }
    });
}
