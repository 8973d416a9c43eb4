// Times the metadata viewer on a generated Entity dimension: the load, the rebuild with
// expanded attributes, a bare QTreeWidget given the same texts, Expand All, a search and
// its next step, and the export to .xlsx.
// Prints one line per figure: name, seconds, and ratios.

#include <sys/resource.h>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <ctime>

#include "server/xlsx/xlsx_spreadsheet.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"
#include "utilities/viewer/frmMetadataViewer.h"

namespace {

using tarsel::Dimension;

class KeepOpener : public tarsel::xlsx::FileOpener {
  public:
    bool Open(const QString& path) override {
        opened = path;
        return true;
    }
    QString opened;
};

// A ten-way tree of members E0 ... E<n-1> below E0, with currencies, classes and texts.
tarsel::local::AppModel GenerateEntities(int count) {
    tarsel::test::AppBuilder app;
    app.SecurityClass("Finance").SecurityClass("HR");
    const QStringList currencies = {"EUR", "USD", "GBP", "CHF"};
    for (const QString& currency : currencies) {
        app.Relate(Dimension::Value, QString(), currency);
    }
    tarsel::local::AppModel model = app.Build();
    auto& entity = model.dim(Dimension::Entity);
    entity.members.reserve(static_cast<size_t>(count));
    entity.hierarchy.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        tarsel::local::MemberModel member;
        member.label = QStringLiteral("E%1").arg(i);
        member.descriptions = {QStringLiteral("Entity number %1").arg(i)};
        member.defaultCurrency = currencies[i % currencies.size()];
        member.securityClass = i % 3 == 0 ? QString() : (i % 3 == 1 ? "Finance" : "HR");
        member.userDefined = {QStringLiteral("Region %1").arg(i % 7), QString(), QString()};
        member.allowAdjs = i % 2 == 0;
        entity.members.push_back(member);
        entity.hierarchy.push_back(
            {i == 0 ? QString() : QStringLiteral("E%1").arg((i - 1) / 10), member.label});
    }
    return model;
}

double CpuNow() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Wall-clock and process CPU seconds since the last restart: the machine is shared, so the
// CPU figure shows the work when other processes stretch the wall clock.
class Stopwatch {
  public:
    Stopwatch() { restart(); }
    void restart() {
        wall_.start();
        cpu_ = CpuNow();
    }
    double wall() const { return static_cast<double>(wall_.nsecsElapsed()) / 1e9; }
    double cpu() const { return CpuNow() - cpu_; }
    struct Lap {
        double wall;
        double cpu;
    };
    // The figures now, kept while the watch runs on.
    Lap lap() const { return {wall(), cpu()}; }

  private:
    QElapsedTimer wall_;
    double cpu_ = 0;
};

double PeakResidentGb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / (1024.0 * 1024.0);
}

void Print(const char* name, const Stopwatch::Lap& lap, const QString& note = {}) {
    std::printf("%-36s wall %6.3f s  cpu %6.3f s  %s\n", name, lap.wall, lap.cpu,
                note.toUtf8().constData());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;

    Stopwatch watch;
    tarsel::test::LocalServerOptions options;
    tarsel::test::LocalServer server(GenerateEntities(count), options);
    Print("generate_and_store", watch.lap(), QStringLiteral("%1 Entity members").arg(count));

    auto boxes = std::make_shared<ui::ScriptedMessageBoxes>();
    ui::InstallMessageBoxes(boxes);
    QTemporaryDir folder;
    auto opener = std::make_shared<KeepOpener>();
    tarsel::InstallSpreadsheetProgram(
        tarsel::xlsx::CreateXlsxSpreadsheetProgram({folder.path(), opener}));
    modGlobal::gSession = server.Session();
    modGlobal::gMetadata = modGlobal::gSession->Metadata();
    modGlobal::gDimension = server.Tree(Dimension::Entity);
    modGlobal::gDimensionName = QStringLiteral("ENTITY");
    modGlobal::gApplicationName = QStringLiteral("Bench");

    watch.restart();
    auto window = std::make_unique<frmMetadataViewer>();
    const Stopwatch::Lap load = watch.lap();
    auto* totals = window->findChild<QLabel*>(QStringLiteral("lblTotalMembers"));
    Print("viewer_load_attributes_shown", load, totals->text());

    watch.restart();
    window->findChild<QCheckBox*>(QStringLiteral("chk_ExpAttribs"))->click();
    const Stopwatch::Lap expanded = watch.lap();
    Print("viewer_rebuild_shown_and_expanded", expanded, totals->text());

    const viewer::ViewTree& nodes = window->logic().members();
    watch.restart();
    window->findChild<QPushButton*>(QStringLiteral("cmdExpandAll"))->click();
    Print("expand_all", watch.lap(), QStringLiteral("%1 nodes").arg(nodes.size()));

    // A text in one member of ten: the first step finds them all, the next ones step.
    window->findChild<QLineEdit*>(QStringLiteral("txtSearch"))->setText(QStringLiteral("number 7"));
    auto* find = window->findChild<QPushButton*>(QStringLiteral("cmdFind"));
    auto* bar = window->findChild<QStatusBar*>(QStringLiteral("sbStatusBar"));
    watch.restart();
    find->click();
    Print("find_first_step", watch.lap(), bar->currentMessage());
    watch.restart();
    find->click();
    Print("find_next_step", watch.lap(), bar->currentMessage());

    boxes->setNextAnswer(ui::Answer::Yes);
    watch.restart();
    window->findChild<QPushButton*>(QStringLiteral("cmdSendToExcel"))->click();
    const Stopwatch::Lap exported = watch.lap();
    Print("export_to_xlsx_with_attributes", exported,
          QStringLiteral("%1 bytes").arg(QFileInfo(opener->opened).size()));

    const double viewerPeak = PeakResidentGb();

    // The same texts into a bare tree one by one, parents known in advance. Measured last,
    // so its own memory does not count in the viewer's peak.
    std::vector<QString> texts(static_cast<size_t>(nodes.size()));
    for (int i = 0; i < nodes.size(); ++i) {
        texts[static_cast<size_t>(i)] = nodes.text(i);
    }
    auto bare = std::make_unique<QTreeWidget>();
    watch.restart();
    {
        std::vector<QTreeWidgetItem*> items(texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            const int parent = nodes.parent(static_cast<int>(i));
            items[i] = parent < 0 ? new QTreeWidgetItem(bare.get(), QStringList{texts[i]})
                                  : new QTreeWidgetItem(items[static_cast<size_t>(parent)],
                                                        QStringList{texts[i]});
        }
    }
    const Stopwatch::Lap bareInsert = watch.lap();
    Print("bare_qtreewidget_insert", bareInsert, QStringLiteral("%1 texts").arg(texts.size()));

    std::printf("ratio_load_to_bare                   wall %6.1f    cpu %6.1f\n",
                load.wall / bareInsert.wall, load.cpu / bareInsert.cpu);
    std::printf("ratio_expanded_rebuild_to_bare       wall %6.1f    cpu %6.1f\n",
                expanded.wall / bareInsert.wall, expanded.cpu / bareInsert.cpu);
    std::printf("peak_resident_viewer                 %.2f GB\n", viewerPeak);
    // With the bare tree and its texts as well.
    std::printf("peak_resident_with_bare_tree         %.2f GB\n", PeakResidentGb());
    std::printf("target_load_2s                       %s\n",
                std::max(load.wall, expanded.wall) <= 2.0 ? "met" : "MISSED");
    std::printf("target_peak_1gb                      %s\n", viewerPeak <= 1.0 ? "met" : "MISSED");
    std::printf("target_export_8s                     %s\n",
                exported.wall <= 8.0 ? "met" : "MISSED");

    bare.reset();
    window.reset();
    ui::InstallMessageBoxes(nullptr);
    tarsel::InstallSpreadsheetProgram(nullptr);
    modGlobal::ResetSessionState();
    return 0;
}
