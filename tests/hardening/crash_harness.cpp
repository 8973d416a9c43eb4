// Kills writing operations with SIGKILL at random moments and checks that what they write
// is exactly as before the operation or exactly as after it, and that every store file
// passes SQLite's integrity check.
//   crash_harness [--kills N] [--seed S] [--large] [ROW...]   (default 5 kills of every row)
// --large makes the metadata-replace row load 1,000,000 entities and the data-replace row
// 1,000,000 records (build the harness and the programs in a Release build for it).
// Each row runs the real program in a child process on a copy of one prepared Tarsel
// home; a new writing operation is one row of kRows.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace {

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const QString& what) {
    throw Failure(what.toStdString());
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        Fail(QStringLiteral("cannot write %1").arg(path));
    }
}

// A child process of the harness, run in the work folder with the home of the work copy.
struct Child {
    QString program;
    QStringList arguments;
    QByteArray input;     // its standard input
    QByteArray commands;  // when given, written to commands.txt in its folder first
};

// The prepared world and its working copy: pristine/ holds the Tarsel home (cluster C,
// user admin, application App from the demo without its lists) and the input files;
// work/ is pristine/ copied afresh before every run.
class Fixture {
  public:
    Fixture() {
        if (!dir_.isValid()) {
            Fail(QStringLiteral("no temporary folder"));
        }
        QDir(dir_.path()).mkpath(QStringLiteral("pristine/home"));
    }
    QString Pristine(const QString& name = {}) const {
        return dir_.filePath(QStringLiteral("pristine/") + name);
    }
    QString Work(const QString& name = {}) const {
        return dir_.filePath(QStringLiteral("work/") + name);
    }
    void Reset() const {
        QDir(Work()).removeRecursively();
        if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), Pristine(), Work()}) !=
            0) {
            Fail(QStringLiteral("cannot copy the prepared home"));
        }
    }
    // Runs child in pristine/ or work/ to its end and gives its exit status.
    int Run(const Child& child, bool pristine) const {
        WriteCommands(child, pristine ? Pristine() : Work());
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : Environment(pristine)) {
            env.insert(name, value);
        }
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(pristine ? Pristine() : Work());
        process.start(child.program, child.arguments);
        process.write(child.input);
        process.closeWriteChannel();
        if (!process.waitForFinished(600000)) {
            process.kill();
            process.waitForFinished();
            Fail(child.program + QStringLiteral(" did not finish: ") + process.errorString());
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    // Starts child in work/ without waiting; its output goes nowhere.
    pid_t Start(const Child& child) const {
        WriteCommands(child, Work());
        std::vector<QByteArray> strings{QFile::encodeName(child.program)};
        for (const QString& argument : child.arguments) {
            strings.push_back(argument.toLocal8Bit());
        }
        std::vector<char*> argv;
        for (QByteArray& s : strings) {
            argv.push_back(s.data());
        }
        argv.push_back(nullptr);
        std::vector<QByteArray> envStrings;
        for (char** e = environ; *e != nullptr; ++e) {
            envStrings.emplace_back(*e);
        }
        for (const auto& [name, value] : Environment(false)) {
            envStrings.push_back(name.toLocal8Bit() + '=' + value.toLocal8Bit());
        }
        std::vector<char*> envp;
        for (QByteArray& s : envStrings) {
            envp.push_back(s.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const QByteArray cwd = QFile::encodeName(Work());
        posix_spawn_file_actions_addchdir_np(&actions, cwd.constData());
        pid_t pid = -1;
        const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            Fail(QStringLiteral("cannot start %1").arg(child.program));
        }
        return pid;
    }

  private:
    static void WriteCommands(const Child& child, const QString& folder) {
        if (!child.commands.isEmpty()) {
            WriteAll(folder + QStringLiteral("commands.txt"), child.commands);
        }
    }
    std::map<QString, QString> Environment(bool pristine) const {
        return {{QStringLiteral("TARSEL_HOME"), (pristine ? Pristine() : Work()) + "home"},
                {QStringLiteral("TARSEL_USER"), QStringLiteral("admin")},
                {QStringLiteral("TARSEL_PASSWORD"), QStringLiteral("secret")},
                {QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")}};
    }
    QTemporaryDir dir_;
};

Child Batch(const QString& commands) {
    return {QStringLiteral(TARSEL_BATCH_BINARY),
            {QStringLiteral("commands.txt")},
            {},
            commands.toUtf8()};
}

// The application App as its extracts give it, or "<no application>".
QByteArray ApplicationState(const Fixture& fixture, const QString& application) {
    QFile::remove(fixture.Work("state.app"));
    QFile::remove(fixture.Work("state.lst"));
    fixture.Run(Batch(QStringLiteral("LOGON C, %1\r\nEXTRACT_METADATA state.app, state.log, APP\r\n"
                                     "EXTRACT_MEMBER_LISTS state.lst, state.log\r\n")
                          .arg(application)),
                false);
    if (!QFile::exists(fixture.Work("state.app"))) {
        return "<no application>";
    }
    return ReadAll(fixture.Work("state.app")) + "\n<lists>\n" + ReadAll(fixture.Work("state.lst"));
}

// Every SQLite file of the home opens (recovering its journal as the next user would) and
// passes the integrity check.
void CheckIntegrity(const Fixture& fixture) {
    QDirIterator files(fixture.Work("home"), {QStringLiteral("*.db"), QStringLiteral("*.tapp")},
                       QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        sqlite3* db = nullptr;
        QString result;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE,
                            nullptr) == SQLITE_OK) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_busy_timeout(db, 5000);
            if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) ==
                SQLITE_OK) {
                while (sqlite3_step(statement) == SQLITE_ROW) {
                    result += QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
                }
            }
            sqlite3_finalize(statement);
            if (result.isEmpty()) {
                result = QString::fromUtf8(sqlite3_errmsg(db));
            }
        }
        sqlite3_close(db);
        if (result != QLatin1String("ok")) {
            Fail(QStringLiteral("%1: integrity check: %2").arg(path, result));
        }
    }
}

// How many cells each application file holds: invalid records appear in no extract.
QByteArray StoredCells(const Fixture& fixture) {
    QByteArray counts;
    QDirIterator files(fixture.Work("home"), {QStringLiteral("*.tapp")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        sqlite3* db = nullptr;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY,
                            nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(db, "SELECT count(*) FROM cells", -1, &statement, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            counts += QFileInfo(path).fileName().toUtf8() + ": " +
                      QByteArray::number(sqlite3_column_int64(statement, 0)) + '\n';
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    return counts;
}

struct Row {
    const char* name;
    Child (*operation)(const Fixture&);
    // What the operation writes, read from work/.
    QByteArray (*state)(const Fixture&);
};

QByteArray AppState(const Fixture& fixture) {
    return ApplicationState(fixture, QStringLiteral("App"));
}

// What the commands extract into file, or "<no extract>".
QByteArray Extract(const Fixture& fixture, const QString& commands, const QString& file) {
    QFile::remove(fixture.Work(file));
    fixture.Run(Batch(commands), false);
    const QString path = fixture.Work(file);
    return QFile::exists(path) ? ReadAll(path) : QByteArray("<no extract>");
}

// The application's base data of every scenario and year of the demo.
QByteArray DataState(const Fixture& fixture, const QString& application) {
    QByteArray state;
    for (const char* scenario : {"Actual", "Budget", "Forecast"}) {
        for (int year = 2024; year <= 2026; ++year) {
            state += Extract(fixture,
                             QStringLiteral("LOGON C, %1\r\nEXTRACT_BASE_DATA state.dat, , %2, "
                                            "%3, 01, 12, FALSE\r\n")
                                 .arg(application, QLatin1String(scenario))
                                 .arg(year),
                             QStringLiteral("state.dat"));
        }
    }
    return state;
}
QByteArray DataState(const Fixture& fixture) {
    return DataState(fixture, QStringLiteral("App"));
}

// Every cell of the first quarter of 2026 down the entity hierarchy, parents' totals included.
QByteArray TotalsState(const Fixture& fixture) {
    return Extract(fixture,
                   QStringLiteral("LOGON C, App\r\nEXTRACT_DATA_USING_MBR_LISTS state.dat, , "
                                  "Actual, 2026, 01, 03, [Hierarchy], [Hierarchy], TRUE\r\n"),
                   QStringLiteral("state.dat"));
}

const Row kRows[] = {
    {"create-app",
     [](const Fixture&) {
         return Child{QStringLiteral(TARSEL_LOCAL_BINARY),
                      {QStringLiteral("create-app"), QStringLiteral("C"), QStringLiteral("New"),
                       QStringLiteral("large.app")},
                      {},
                      {}};
     },
     [](const Fixture& fixture) {
         // A new application opens to its creator once provisioned; when it is not there,
         // provisioning fails and so does the extract.
         fixture.Run({QStringLiteral(TARSEL_LOCAL_BINARY),
                      {QStringLiteral("provision"), QStringLiteral("C"), QStringLiteral("admin"),
                       QStringLiteral("New"), QStringLiteral("--admin")},
                      {},
                      {}},
                     false);
         return ApplicationState(fixture, QStringLiteral("New"));
     }},
    {"metadata-replace",
     [](const Fixture&) {
         return Batch(
             QStringLiteral("LOGON C, App\r\nLOAD_METADATA large.app, , REPLACE, FALSE\r\n"));
     },
     AppState},
    {"member-lists",
     [](const Fixture&) {
         return Batch(QStringLiteral("LOGON C, App\r\nLOAD_MEMBER_LISTS demo.lst, \r\n"));
     },
     AppState},
    {"default-custom2",
     [](const Fixture&) {
         return Batch(
             QStringLiteral("LOGON C, App\r\nDEFAULT_CUSTOM2 records.dat, out.dat, [None]\r\n"));
     },
     [](const Fixture& fixture) { return ReadAll(fixture.Work("out.dat")); }},
    {"data-replace",
     [](const Fixture&) {
         return Batch(QStringLiteral("LOGON C, App\r\nLOAD_DATA large.dat, , REPLACE, FALSE\r\n"));
     },
     DataState},
    {"journals",
     [](const Fixture&) {
         return Batch(QStringLiteral("LOGON C, App\r\nLOAD_JOURNALS journals.jlf, \r\n"));
     },
     [](const Fixture& fixture) {
         return Extract(fixture,
                        QStringLiteral("LOGON C, App\r\nEXTRACT_JOURNALS state.jlf, , "
                                       "Actual, 2026, 01, 12, TRUE, TRUE, TRUE\r\n"),
                        QStringLiteral("state.jlf")) +
                DataState(fixture);
     }},
    {"security",
     [](const Fixture&) {
         return Batch(QStringLiteral(
             "LOGON C, App\r\nLOAD_SECURITY demo.sec, , TRUE, TRUE, TRUE, TRUE, TRUE\r\n"));
     },
     [](const Fixture& fixture) {
         return Extract(fixture,
                        QStringLiteral("LOGON C, App\r\nEXTRACT_SECURITY state.sec, , TRUE, TRUE, "
                                       "TRUE, TRUE\r\n"),
                        QStringLiteral("state.sec"));
     }},
    {"rules",
     [](const Fixture&) {
         return Batch(QStringLiteral("LOGON C, App\r\nLOAD_RULES demo.rls, , TRUE\r\n"));
     },
     [](const Fixture& fixture) {
         return Extract(fixture, QStringLiteral("LOGON C, App\r\nEXTRACT_RULES state.rls, \r\n"),
                        QStringLiteral("state.rls"));
     }},
    {"consolidate-all-with-data",
     [](const Fixture&) {
         return Batch(
             QStringLiteral("LOGON C, App\r\nCONSOLIDATE Actual, 2026, 01, 03, Group, "
                            "Group, Consolidate All With Data\r\n"));
     },
     TotalsState},
    {"force-calculate",
     [](const Fixture&) {
         return Batch(
             QStringLiteral("LOGON C, App\r\nFORCE_CALCULATE Actual, 2026, 01, 12, "
                            "France, FR01, <Entity Currency>\r\n"));
     },
     StoredCells},
    {"delete-invalid-records",
     [](const Fixture&) {
         return Batch(QStringLiteral("LOGON C, Inv\r\nDELETE_INVALID_RECORDS removed.log\r\n"));
     },
     StoredCells},
};

// How much the large rows load.
struct Sizes {
    int entities = 30000;  // of the metadata-replace row's application
    int records = 100000;  // of the data-replace row's file
};

// count records of the demo application: the ledger's entities, each with every account
// and custom combination the ledger uses, for each period, of Actual 2026 first, then of
// the other scenarios and years.
QByteArray LargeLedger(const QByteArray& ledger, int count) {
    QList<QByteArray> entities;
    QList<QByteArray> tails;  // Account;ICP;Custom1;Custom2;Custom3;Custom4
    for (const QByteArray& line : ledger.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(';');
        if (fields.size() != 13) {
            continue;
        }
        if (!entities.contains(fields[4])) {
            entities << fields[4];
        }
        const QByteArray tail = fields.mid(6, 6).join(';');
        if (!tails.contains(tail)) {
            tails << tail;
        }
    }
    QByteArray records = "!DATA\r\n";
    int written = 0;
    for (const char* scenario : {"Actual", "Budget", "Forecast"}) {
        for (int year = 2026; year >= 2024 && written < count; --year) {
            const QByteArray head = QByteArray(scenario) + ';' + QByteArray::number(year) + ';';
            for (int period = 1; period <= 12 && written < count; ++period) {
                for (qsizetype e = 0; e < entities.size() && written < count; ++e) {
                    for (qsizetype t = 0; t < tails.size() && written < count; ++t, ++written) {
                        records += head + QByteArray::number(period).rightJustified(2, '0') +
                                   ";YTD;" + entities[e] + ";<Entity Currency>;" + tails[t] + ';' +
                                   QByteArray::number(written % 9973) + ".5\r\n";
                    }
                }
            }
        }
    }
    if (written < count) {
        Fail(QStringLiteral("the demo ledger makes only %1 records").arg(written));
    }
    return records;
}

// Runs sql on the application file at path, failing the harness on any error.
void ExecuteSql(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    char* message = nullptr;
    const bool done = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                      SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                      sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK &&
                      sqlite3_changes(db) > 0;
    const QString reason = message ? QString::fromUtf8(message) : QStringLiteral("no row written");
    sqlite3_free(message);
    sqlite3_close(db);
    if (!done) {
        Fail(QStringLiteral("preparing %1 failed: %2").arg(path, reason));
    }
}

// App holds the demo ledger; Inv holds it too, after a metadata REPLACE that took away the
// entity FR01, so its records of FR01 are invalid.
template <typename Local>
void PrepareDataWorld(const Fixture& fixture, const Local& local, const Sizes& sizes) {
    const QByteArray demoApp = ReadAll(fixture.Pristine("demo.app"));
    const QByteArray ledger = ReadAll(QStringLiteral(TARSEL_DEMO_DIR "/Demo_ledger_2026.dat"));
    WriteAll(fixture.Pristine("ledger.dat"), ledger);
    WriteAll(fixture.Pristine("large.dat"), LargeLedger(ledger, sizes.records));
    QFile::copy(QStringLiteral(TARSEL_DEMO_DIR "/journals.jlf"), fixture.Pristine("journals.jlf"));
    QFile::copy(QStringLiteral(TARSEL_DEMO_DIR "/Demo.rls"), fixture.Pristine("demo.rls"));
    WriteAll(fixture.Pristine("demo.sec"), ReadAll(QStringLiteral(TARSEL_DEMO_DIR "/Demo.sec"))
                                               .replace("Controllers;demo", "Controllers;admin"));
    QByteArray reduced;
    for (const QByteArray& line : demoApp.split('\n')) {
        if (!line.trimmed().split(';').contains("FR01")) {
            reduced += line + '\n';
        }
    }
    WriteAll(fixture.Pristine("reduced.app"), reduced);
    local({QStringLiteral("create-app"), QStringLiteral("C"), QStringLiteral("Inv"),
           QStringLiteral("demo.app")});
    local({QStringLiteral("provision"), QStringLiteral("C"), QStringLiteral("admin"),
           QStringLiteral("Inv"), QStringLiteral("--admin")});
    const auto batch = [&](const QString& commands) {
        if (fixture.Run(Batch(commands), true) != 0) {
            Fail(QStringLiteral("preparing failed: ") + commands);
        }
    };
    batch(QStringLiteral("LOGON C, App\r\nLOAD_DATA ledger.dat, , REPLACE, FALSE\r\n"));
    // Parent-account totals of FR01 as an earlier build stored them: forced calculation
    // removes them.
    ExecuteSql(fixture.Pristine("home/C/App.tapp"), R"sql(
        INSERT OR IGNORE INTO cells (scenario, year, entity, band, view, value, account, icp,
                                     c1, c2, c3, c4, p0, p1, p2, p3, p4, p5, p6, p7, p8, p9,
                                     p10, p11)
        SELECT c.scenario, c.year, c.entity, c.band, c.view, c.value, r.parent, c.icp, c.c1,
               c.c2, c.c3, c.c4, c.p0, c.p1, c.p2, c.p3, c.p4, c.p5, c.p6, c.p7, c.p8, c.p9,
               c.p10, c.p11
        FROM cells c JOIN relations r ON r.dim = 6 AND r.child = c.account AND r.parent >= 0
        WHERE c.entity = (SELECT id FROM members WHERE dim = 4 AND label = 'FR01'))sql");
    batch(
        QStringLiteral("LOGON C, Inv\r\nLOAD_DATA ledger.dat, , REPLACE, FALSE\r\n"
                       "LOAD_METADATA reduced.app, , REPLACE, FALSE\r\n"));
}

void Prepare(const Fixture& fixture, const Sizes& sizes) {
    const QString home = fixture.Pristine("home");
    const auto local = [&](const QStringList& arguments, const QByteArray& input = {}) {
        if (fixture.Run({QStringLiteral(TARSEL_LOCAL_BINARY), arguments, input, {}}, true) != 0) {
            Fail(QStringLiteral("tarsel-local %1 failed").arg(arguments.join(' ')));
        }
    };
    QFile::copy(QStringLiteral(TARSEL_DEMO_DIR "/Demo.app"), fixture.Pristine("demo.app"));
    QFile::copy(QStringLiteral(TARSEL_DEMO_DIR "/Demo.lst"), fixture.Pristine("demo.lst"));
    local({QStringLiteral("create-cluster"), QStringLiteral("C")});
    local({QStringLiteral("add-user"), QStringLiteral("C"), QStringLiteral("admin")}, "secret\n");
    local({QStringLiteral("create-app"), QStringLiteral("C"), QStringLiteral("App"),
           QStringLiteral("demo.app")});
    local({QStringLiteral("provision"), QStringLiteral("C"), QStringLiteral("admin"),
           QStringLiteral("App"), QStringLiteral("--admin")});
    if (fixture.Run({QStringLiteral(GENERATE_APP_BINARY),
                     {QStringLiteral("--entities"), QString::number(sizes.entities),
                      QStringLiteral("-o"), QStringLiteral("large.app")},
                     {},
                     {}},
                    true) != 0) {
        Fail(QStringLiteral("generate-app failed"));
    }
    QByteArray records = "!DATA\r\n";
    for (int i = 0; i < 200000; ++i) {
        records += QStringLiteral(
                       "Actual;2026;%1;YTD;E%2;EUR;A%3;[ICP None];P%4;C2_%5;[None];"
                       "[None];%6.25\r\n")
                       .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                       .arg(i % 997)
                       .arg(i % 113)
                       .arg(i % 40)
                       .arg(i % 3000)
                       .arg(i)
                       .toLatin1();
    }
    WriteAll(fixture.Pristine("records.dat"), records);
    WriteAll(fixture.Pristine("out.dat"), "an earlier output\r\n");
    PrepareDataWorld(fixture, local, sizes);
}

struct Tally {
    int before = 0;
    int after = 0;
};

// Runs the row once to its end for the states and its duration, then kills it kills times.
Tally Survive(const Fixture& fixture, const Row& row, int kills, QRandomGenerator& random) {
    fixture.Reset();
    const QByteArray before = row.state(fixture);
    fixture.Reset();
    const Child child = row.operation(fixture);
    QElapsedTimer timer;
    timer.start();
    if (fixture.Run(child, false) != 0) {
        Fail(QStringLiteral("the operation fails when not killed"));
    }
    const qint64 duration = timer.elapsed();
    const QByteArray after = row.state(fixture);
    if (before == after) {
        Fail(QStringLiteral("the operation changes nothing: the row proves nothing"));
    }
    std::printf("%s: runs %lld ms\n", row.name, static_cast<long long>(duration));
    Tally tally;
    for (int kill = 0; kill < kills; ++kill) {
        fixture.Reset();
        // Every other kill falls near the end, where the results are written and put in
        // place; the end moves with the machine's load, so the window reaches past it.
        const qint64 from = kill % 2 == 0 ? 0 : duration * 7 / 10;
        const qint64 to = kill % 2 == 0 ? duration : duration * 13 / 10;
        const qint64 moment =
            from + static_cast<qint64>(random.bounded(static_cast<quint32>(to - from + 1)));
        const pid_t pid = fixture.Start(child);
        QThread::usleep(static_cast<unsigned long>(moment * 1000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        CheckIntegrity(fixture);
        const QByteArray state = row.state(fixture);
        if (state == before) {
            ++tally.before;
        } else if (state == after) {
            ++tally.after;
        } else {
            const QString kept =
                QDir::tempPath() + QStringLiteral("/crash-harness-%1.state").arg(row.name);
            WriteAll(kept, state);
            Fail(QStringLiteral("killed after %1 ms: neither as before nor as after (kept in %2)")
                     .arg(moment)
                     .arg(kept));
        }
    }
    return tally;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int kills = 5;
    quint32 seed = QRandomGenerator::system()->generate();
    QStringList only;
    Sizes sizes;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--kills") && i + 1 < arguments.size()) {
            kills = arguments[++i].toInt();
        } else if (arguments[i] == QLatin1String("--large")) {
            sizes = {1000000, 1000000};
        } else if (arguments[i] == QLatin1String("--seed") && i + 1 < arguments.size()) {
            seed = arguments[++i].toUInt();
        } else {
            only << arguments[i];
        }
    }
    std::printf("crash_harness: %d kills per row, --seed %u, %d entities, %d records\n", kills,
                seed, sizes.entities, sizes.records);
    QRandomGenerator random(seed);
    int failures = 0;
    try {
        Fixture fixture;
        Prepare(fixture, sizes);
        for (const Row& row : kRows) {
            if (!only.isEmpty() && !only.contains(QLatin1String(row.name))) {
                continue;
            }
            try {
                const Tally tally = Survive(fixture, row, kills, random);
                std::printf("%s: %d kills survived: %d as before, %d as after\n", row.name, kills,
                            tally.before, tally.after);
            } catch (const Failure& failure) {
                std::printf("%s: FAILED: %s\n", row.name, failure.what());
                ++failures;
            }
            std::fflush(stdout);
        }
    } catch (const Failure& failure) {
        std::printf("crash_harness: cannot prepare: %s\n", failure.what());
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
