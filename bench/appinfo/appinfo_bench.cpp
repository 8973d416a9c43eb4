// Times the application information reports on a generated Entity dimension: each report
// as a plain function, then the window doing the same through its controls, with the
// longest time the window went without handling events. Beside them, the plain method of
// one server call per occurrence and a search of every later entry, on a small dimension,
// checked line for line against the fast reports. Prints one line per figure.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <functional>

#include "bench/bench_logon.h"
#include "server/client_library.h"
#include "server/local/local_library.h"
#include "tests/utilities/appinfo/literal_reports.h"
#include "utilities/appinfo/appinfo_reports.h"
#include "utilities/appinfo/frmApplicationInfo.h"
#include "utilities/appinfo/report_view.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"

namespace {

using tarsel::DimensionTree;

double CpuNow() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The machine is shared: the process CPU time of the last timing shows the work when other
// processes stretch the wall clock.
double lastCpuSeconds = 0;

double Seconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    const double cpu = CpuNow();
    timer.start();
    work();
    lastCpuSeconds = CpuNow() - cpu;
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

qsizetype Lines(const QString& text) {
    return text.count(QStringLiteral("\r\n"));
}

struct Labels {
    QString top;    // the first top member
    QString child;  // its first child
};

Labels TopAndChild(DimensionTree& tree) {
    const auto top = tree.EnumChildMemberIDs(-1, -1).at(0);
    return {tree.GetMemberLabel(top), tree.GetMemberLabel(tree.EnumChildMemberIDs(-1, top).at(0))};
}

void Figure(const char* name, double seconds, const QString& detail = {}) {
    std::printf("%-40s %7.3f s (cpu %6.3f s)  %s\n", name, seconds, lastCpuSeconds,
                qPrintable(detail));
    std::fflush(stdout);
}

// Runs work, then prints its time and the detail, which may read what work made.
void Timed(const QString& name, const std::function<void()>& work,
           const std::function<QString()>& detail) {
    const double seconds = Seconds(work);
    Figure(qPrintable(name), seconds, detail());
}

// The fast reports on the big dimension.
void TimeReports(DimensionTree& tree) {
    const Labels at = TopAndChild(tree);
    QString text;
    Timed(
        "shared members", [&] { text = appinfo::SharedMembersReport(tree); },
        [&] { return QStringLiteral("%1 lines").arg(Lines(text)); });
    Timed(
        "duplicates below the top member",
        [&] { text = appinfo::DuplicatesBelowParentReport(tree, at.top); },
        [&] { return QStringLiteral("%1 lines below %2").arg(Lines(text) - 2).arg(at.top); });
    Timed(
        "base member compare",
        [&] { text = appinfo::BaseMemberCompareReport(tree, at.top, at.child); },
        [&] {
            return QStringLiteral("%1 lines, %2 against %3")
                .arg(Lines(text) - 2)
                .arg(at.top, at.child);
        });
    appinfo::ReportView view(nullptr);
    Timed(
        "  the compare shown in a report view", [&] { view.ShowReport(text); },
        [&] { return QStringLiteral("%1 rows").arg(view.lines().size()); });
    Timed(
        "statistics (Entity, 200)",
        [&] { text = appinfo::DimensionStatistics(tree, QStringLiteral("200")).text; },
        [&] { return text.section(QStringLiteral("\r\n"), 0, 0); });
    QStringList parents;
    Timed(
        "parent members (for the boxes)", [&] { parents = appinfo::ParentMemberLabels(tree); },
        [&] { return QStringLiteral("%1 parents").arg(parents.size()); });
    appinfo::MemberListDisplay list;
    Timed(
        "member list [Base] (display rows)",
        [&] {
            list = appinfo::ShowMemberList(tree, QStringLiteral("Entity"), QStringLiteral("[Base]"),
                                           QString());
        },
        [&] { return QStringLiteral("%1 rows").arg(list.rows.size()); });
}

// The window through its controls; the stall is the longest time between two passes of
// the event loop while the action ran.
class StallWatch {
  public:
    StallWatch() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, sinceLast_.elapsed());
            sinceLast_.restart();
        });
    }
    double Run(const std::function<void()>& action, qint64& longestMs) {
        longest_ = 0;
        timer_.start();
        sinceLast_.start();
        const double seconds = Seconds(action);
        longest_ = std::max(longest_, sinceLast_.elapsed());
        timer_.stop();
        longestMs = longest_;
        return seconds;
    }

  private:
    QTimer timer_;
    QElapsedTimer sinceLast_;
    qint64 longest_ = 0;
};

template <typename Widget>
Widget* Find(QWidget& window, const char* name) {
    return window.findChild<Widget*>(QString::fromLatin1(name));
}

void Choose(QWidget& window, const char* box, const QString& text) {
    auto* combo = Find<QComboBox>(window, box);
    const int index = combo->findText(text, Qt::MatchExactly);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void TimeWindow(const QString& what, std::shared_ptr<tarsel::ApplicationSession> session) {
    modGlobal::gSession = session;
    modGlobal::gMetadata = session->Metadata();
    modGlobal::gApplicationName = what;
    const Labels at = TopAndChild(*modGlobal::gMetadata->Entity());
    StallWatch watch;
    std::unique_ptr<QWidget> window;
    auto step = [&](const QString& name, const std::function<void()>& action) {
        qint64 stall = 0;
        const double seconds = watch.Run(action, stall);
        Figure(qPrintable(what + QStringLiteral(": ") + name), seconds,
               QStringLiteral("longest stall %1 ms").arg(stall));
    };
    step(QStringLiteral("load (12 list boxes)"),
         [&] { window.reset(appinfo::MakeApplicationInfoWindow(nullptr)); });
    window->show();
    QWidget& w = *window;
    step(QStringLiteral("Entities (3 parent boxes)"),
         [&] { Find<QAbstractButton>(w, "optDimensionCompare_10")->click(); });
    step(QStringLiteral("[Base] list + top box"),
         [&] { Choose(w, "cboEntityLists", QStringLiteral("[Base]")); });
    step(QStringLiteral("[Base] below the top's child"),
         [&] { Choose(w, "cboParentMembers", at.child); });
    step(QStringLiteral("shared members"),
         [&] { Find<QAbstractButton>(w, "optDimension_1")->click(); });
    step(QStringLiteral("statistics"),
         [&] { Find<QAbstractButton>(w, "optDimensionStats_13")->click(); });
    Choose(w, "cboTopMember1", at.top);
    Choose(w, "cboTopMember2", at.child);
    step(QStringLiteral("compare"), [&] { Find<QAbstractButton>(w, "cmdCompare")->click(); });
    step(QStringLiteral("duplicates"), [&] { Choose(w, "cboParents", at.top); });
}

// The plain method against the fast one on a small dimension: both timed, lines compared.
bool CompareWithPlainMethod(DimensionTree& tree) {
    const Labels at = TopAndChild(tree);
    bool same = true;
    auto pair = [&same](const char* name, const std::function<QString()>& fast,
                        const std::function<QString()>& plain) {
        QString a, b;
        const double fastSeconds = Seconds([&] { a = fast(); });
        const double plainSeconds = Seconds([&] { b = plain(); });
        same = same && a == b;
        std::printf("%-40s %7.3f s  plain method %8.3f s, ratio %.0f, %s\n", name, fastSeconds,
                    plainSeconds, plainSeconds / std::max(fastSeconds, 1e-6),
                    a == b ? "same lines" : "LINES DIFFER");
        std::fflush(stdout);
    };
    pair(
        "small: shared members", [&] { return appinfo::SharedMembersReport(tree); },
        [&] { return appinfo_literal::SharedMembers(tree); });
    pair(
        "small: duplicates", [&] { return appinfo::DuplicatesBelowParentReport(tree, at.top); },
        [&] { return appinfo_literal::Duplicates(tree, at.top); });
    pair(
        "small: compare", [&] { return appinfo::BaseMemberCompareReport(tree, at.top, at.child); },
        [&] { return appinfo_literal::Compare(tree, at.top, at.child); });
    pair(
        "small: parent members",
        [&] { return appinfo::ParentMemberLabels(tree).join(QLatin1Char('\n')); },
        [&] { return appinfo_literal::ParentLabels(tree).join(QLatin1Char('\n')); });
    pair(
        "small: parents above 2",
        [&] {
            return appinfo::DimensionStatistics(tree, QStringLiteral("2"))
                .text.section(QStringLiteral("\r\n\r\n"), -1);
        },
        [&] { return appinfo_literal::ParentsAbove(tree, 2, QStringLiteral("2")); });
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: appinfo_bench HOME CLUSTER BIG_APP SMALL_APP USER [LIST_APP]\n"
                     "The password is taken from TARSEL_PASSWORD.\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ui::InstallMessageBoxes(std::make_shared<ui::ScriptedMessageBoxes>());
    try {
        const auto library =
            tarsel::local::CreateLocalClientLibrary({}, QString::fromLocal8Bit(argv[1]));
        const QString cluster = QString::fromLocal8Bit(argv[2]);
        const QString user = QString::fromLocal8Bit(argv[5]);
        auto big = OpenForBench(*library, cluster, QString::fromLocal8Bit(argv[3]), user);
        auto entity = big->Metadata()->Entity();
        std::printf("occurrences: %zu\n", entity->EnumParentChildPairs().children.size());
        TimeReports(*entity);
        TimeWindow(QStringLiteral("window"), big);
        if (argc > 6) {
            TimeWindow(QString::fromLocal8Bit(argv[6]),
                       OpenForBench(*library, cluster, QString::fromLocal8Bit(argv[6]), user));
        }
        auto small = OpenForBench(*library, cluster, QString::fromLocal8Bit(argv[4]), user)
                         ->Metadata()
                         ->Entity();
        std::printf("small occurrences: %zu\n", small->EnumParentChildPairs().children.size());
        return CompareWithPlainMethod(*small) ? 0 : 1;
    } catch (const tarsel::TarselError& error) {
        std::fprintf(stderr, "appinfo_bench: %s\n", qPrintable(error.description()));
        return 1;
    }
}
