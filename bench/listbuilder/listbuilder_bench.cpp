// Times the member list builder on a generated Account dimension of a given number of
// hierarchy occurrences (a ten-way tree with some base members also shared under
// a second parent): the pickers read through the interface, the whole window load, and a
// bare QTreeWidget and QListWidget given the same texts. Prints name=value lines.

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTreeWidget>
#include <cstdio>
#include <ctime>

#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"
#include "utilities/listbuilder/frmMemberListBuilder.h"
#include "utilities/listbuilder/list_builder_logic.h"
#include "utilities/shell/message_box.h"
#include "utilities/shell/modGlobal.h"

namespace {

using tarsel::Dimension;

double Seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// The processor time of this process: what a machine shared with other work still shows.
double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

tarsel::local::AppModel GenerateAccounts(int occurrences) {
    tarsel::local::AppModel model = tarsel::test::AppBuilder().Build();
    auto& account = model.dim(Dimension::Account);
    const int members = occurrences * 20 / 21;
    const auto label = [](int i) { return QStringLiteral("A%1").arg(i, 7, 10, QLatin1Char('0')); };
    for (int i = 0; i < members; ++i) {
        tarsel::local::MemberModel member;
        member.label = label(i);
        member.descriptions = {QStringLiteral("Account - number %1").arg(i)};
        account.members.push_back(member);
        account.hierarchy.push_back({i == 0 ? QString() : label((i - 1) / 10), member.label});
    }
    // Every tenth base member, from the last, also below the first member of the level above.
    for (int i = members - 1;
         i > members / 10 && static_cast<int>(account.hierarchy.size()) < occurrences; i -= 10) {
        account.hierarchy.push_back({label(1), label(i)});
    }
    return model;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int occurrences = argc > 1 ? std::atoi(argv[1]) : 100000;
    auto boxes = std::make_shared<ui::ScriptedMessageBoxes>();
    ui::InstallMessageBoxes(boxes);
    tarsel::test::LocalServer server(GenerateAccounts(occurrences));
    modGlobal::gSession = server.Session();
    modGlobal::gMetadata = modGlobal::gSession->Metadata();
    modGlobal::gDimension = server.Tree(Dimension::Account);
    modGlobal::gDimensionName = QStringLiteral("ACCOUNT");
    modGlobal::gDimension->EnumAllMemberIDs();  // the store's first read is not ours

    QElapsedTimer timer;
    double cpu = CpuSeconds();
    timer.start();
    const listbuilder::Pickers pickers = listbuilder::LoadPickers(*modGlobal::gDimension);
    const double logicSeconds = Seconds(timer);
    const double logicCpu = CpuSeconds() - cpu;

    cpu = CpuSeconds();
    timer.restart();
    double windowSeconds = 0;
    {
        frmMemberListBuilder window;
        window.show();
        QCoreApplication::processEvents();
        windowSeconds = Seconds(timer);
    }
    const double windowCpu = CpuSeconds() - cpu;

    // The same texts in bare widgets, all at the top: what Qt alone costs.
    cpu = CpuSeconds();
    timer.restart();
    {
        QTreeWidget tree;
        QList<QTreeWidgetItem*> items;
        for (const auto& node : pickers.nodes) {
            auto* item = new QTreeWidgetItem(QStringList(node.text));
            item->setCheckState(0, Qt::Unchecked);
            items.append(item);
        }
        tree.addTopLevelItems(items);
        QListWidget list;
        for (const auto& flat : pickers.items) {
            list.addItem(flat.text);
        }
        tree.show();
        list.show();
        QCoreApplication::processEvents();
    }
    const double bareSeconds = Seconds(timer);
    const double bareCpu = CpuSeconds() - cpu;

    std::printf("occurrences=%zu members=%zu\n", pickers.nodes.size(), pickers.items.size());
    std::printf("pickers_read_seconds=%.3f cpu=%.3f\n", logicSeconds, logicCpu);
    std::printf("window_load_seconds=%.3f cpu=%.3f (target <= 2)\n", windowSeconds, windowCpu);
    std::printf("bare_widgets_seconds=%.3f cpu=%.3f ratio_window_to_bare=%.2f\n", bareSeconds,
                bareCpu, windowSeconds / bareSeconds);
    std::printf("messages=%zu\n", boxes->shown().size());
    ui::InstallMessageBoxes(nullptr);
    return boxes->shown().empty() ? 0 : 1;
}
