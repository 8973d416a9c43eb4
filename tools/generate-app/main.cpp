// generate-app: writes a large synthetic application in the .app text.

#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <stdexcept>

#include "tools/generate-app/synthetic_app.h"

namespace {

const char* kUsage =
    "Usage: generate-app [OPTIONS] [-o FILE.app]\n"
    "Writes a synthetic application in the .app text to FILE.app or standard output.\n"
    "  --entities N     Entity members (default 1000)\n"
    "  --accounts N     Account members (default 100)\n"
    "  --customs N      members of each of Custom1 to Custom4, from 2 (default 4)\n"
    "  --depth D        generations of the Entity hierarchy, top included (default 5)\n"
    "  --shared P       percent of base entities also placed under a second parent (default 1)\n"
    "  --seed S         the same seed and options give the same file (default 1)\n"
    "  --languages N    1 or 2 description languages (default 2)\n"
    "  --csv PREFIX     also write PREFIX.members.csv and PREFIX.relations.csv: the Entity\n"
    "                   rows for a plain SQL import\n";

// Writes to a file, failing loudly on any short write.
class Output {
  public:
    explicit Output(const QString& path) : file_(path) {
        const bool ok = path.isEmpty() ? file_.open(stdout, QIODevice::WriteOnly)
                                       : file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
        if (!ok) {
            throw std::runtime_error(QStringLiteral("%1: cannot be written (%2)")
                                         .arg(path, file_.errorString())
                                         .toStdString());
        }
    }
    void operator()(const QByteArray& bytes) {
        if (file_.write(bytes) != bytes.size()) {
            throw std::runtime_error(QStringLiteral("%1: write failed (%2)")
                                         .arg(file_.fileName(), file_.errorString())
                                         .toStdString());
        }
    }

  private:
    QFile file_;
};

int64_t Number(const QString& option, const QString& text, int64_t least, int64_t most) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < least || value > most) {
        throw std::invalid_argument(
            QStringLiteral("%1 takes a whole number from %2 to %3, not \"%4\"")
                .arg(option)
                .arg(least)
                .arg(most)
                .arg(text)
                .toStdString());
    }
    return value;
}

int Run(const QStringList& args) {
    tarsel::tools::SyntheticOptions options;
    QString output, csv;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (i + 1 >= args.size()) {
            throw std::invalid_argument(
                QStringLiteral("unknown option or missing value: %1").arg(arg).toStdString());
        }
        const QString value = args[++i];
        if (arg == u"--entities") {
            options.entities = Number(arg, value, 1, 100'000'000);
        } else if (arg == u"--accounts") {
            options.accounts = Number(arg, value, 1, 10'000'000);
        } else if (arg == u"--customs") {
            options.customs = Number(arg, value, 2, 10'000'000);
        } else if (arg == u"--depth") {
            options.depth = static_cast<int>(Number(arg, value, 1, 64));
        } else if (arg == u"--shared") {
            bool ok = false;
            options.sharedPercent = value.toDouble(&ok);
            if (!ok || options.sharedPercent < 0 || options.sharedPercent > 100) {
                throw std::invalid_argument("--shared takes a percentage from 0 to 100");
            }
        } else if (arg == u"--seed") {
            bool ok = false;
            options.seed = value.toULongLong(&ok);
            if (!ok) {
                throw std::invalid_argument("--seed takes a whole number");
            }
        } else if (arg == u"--languages") {
            options.languages = static_cast<int>(Number(arg, value, 1, 2));
        } else if (arg == u"--csv") {
            csv = value;
        } else if (arg == u"-o" || arg == u"--output") {
            output = value;
        } else {
            throw std::invalid_argument(QStringLiteral("unknown option %1").arg(arg).toStdString());
        }
    }
    {
        Output app(output);
        tarsel::tools::WriteSyntheticApp(options, [&](const QByteArray& b) { app(b); });
    }
    if (!csv.isEmpty()) {
        Output members(csv + QStringLiteral(".members.csv"));
        Output relations(csv + QStringLiteral(".relations.csv"));
        tarsel::tools::WriteSyntheticEntityCsv(
            options, [&](const QByteArray& b) { members(b); },
            [&](const QByteArray& b) { relations(b); });
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    try {
        return Run(args);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "generate-app: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generate-app: %s\n", e.what());
        return 1;
    }
}
