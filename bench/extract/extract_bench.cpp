// Times the metadata extract on a stored application: WriteExtract over the whole Entity
// dimension with its lines written to a file, the extract window opening on it, and the
// text view given a text of at least 100 MB. Prints one name=value line per figure.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <cstdio>

#include "bench/bench_logon.h"
#include "server/local/local_library.h"
#include "utilities/extract/extract_writer.h"
#include "utilities/extract/frmExtract.h"
#include "utilities/extract/text_view.h"
#include "utilities/shell/modGlobal.h"

namespace {

double Seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Shows the view and lets it paint; returns the longest single step, in seconds.
double ShowAndScroll(TextView& view, QString text) {
    QElapsedTimer timer;
    timer.start();
    view.setText(std::move(text));
    view.show();
    QCoreApplication::processEvents();
    double longest = Seconds(timer);
    timer.restart();
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    view.viewport()->repaint();
    QCoreApplication::processEvents();
    return std::max(longest, Seconds(timer));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: extract_bench HOME CLUSTER APPLICATION USER LINES.txt\n"
                     "The password is taken from TARSEL_PASSWORD.\n");
        return 2;
    }
    QApplication app(argc, argv);
    try {
        const auto library =
            tarsel::local::CreateLocalClientLibrary({}, QString::fromLocal8Bit(argv[1]));
        modGlobal::gSession =
            OpenForBench(*library, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         QString::fromLocal8Bit(argv[4]));
        modGlobal::gMetadata = modGlobal::gSession->Metadata();
        modGlobal::gDimension = modGlobal::gMetadata->Entity();
        modGlobal::gDimensionName = QStringLiteral("ENTITY");
        // The dimension's index is read on first use; that is the store's cost, not ours.
        modGlobal::gDimension->EnumChildMemberIDs(tarsel::kNoMember, tarsel::kNoMember);

        QElapsedTimer timer;
        timer.start();
        modGlobal::WriteExtract(*modGlobal::gDimension, {});
        QFile lines(QString::fromLocal8Bit(argv[5]));
        if (!lines.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            lines.write(modGlobal::extractText.toUtf8()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", argv[5]);
            return 1;
        }
        lines.close();
        const double extractSeconds = Seconds(timer);
        const QString text = modGlobal::extractText;
        std::printf("occurrences=%lld bytes=%lld\n",
                    static_cast<long long>(text.count(QLatin1String("\r\n"))),
                    static_cast<long long>(lines.size()));
        std::printf("extract_seconds=%.3f\n", extractSeconds);

        timer.restart();
        {
            frmExtract window;
            window.show();
            QCoreApplication::processEvents();
            std::printf("window_open_seconds=%.3f\n", Seconds(timer));
        }

        QString big = text;
        while (big.toUtf8().size() < 100'000'000 && !text.isEmpty()) {
            big += text;
        }
        TextView view;
        view.resize(900, 600);
        std::printf("view_bytes=%lld view_longest_step_seconds=%.3f\n",
                    static_cast<long long>(big.toUtf8().size()), ShowAndScroll(view, big));
        return 0;
    } catch (const tarsel::TarselError& e) {
        std::fprintf(stderr, "extract_bench: %s\n", e.description().toUtf8().constData());
        return 1;
    }
}
