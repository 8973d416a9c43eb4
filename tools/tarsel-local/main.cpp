// tarsel-local: administers the local Tarsel server's clusters, applications and users.

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>

#include "packaging/install_layout.h"
#include "packaging/package_info.h"
#include "server/client_library.h"
#include "server/local/cluster_store.h"
#include "server/local/format/app_text.h"
#include "server/local/format/member_list_file.h"
#include "server/local/format/text_lines.h"
#include "server/local/local_library.h"
#include "server/tarsel_error.h"
#include "tools/tarsel-local/app_summary.h"
#include "tools/tarsel-local/password_input.h"

namespace tarsel::tools {
namespace {

using local::ClusterStore;

// A refusal of the command line itself (exit status 2).
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Print(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

// True while a progress line on standard error waits for its line end.
bool gProgressLineOpen = false;

void Progress(const QString& text) {
    std::fputs(text.toUtf8().constData(), stderr);
    std::fflush(stderr);
    gProgressLineOpen = !text.endsWith(u'\n');
}

struct Arguments {
    QString home;
    QStringList positional;
    std::map<QString, QString> values;  // options that take a value
    std::map<QString, bool> flags;
    bool help = false;

    bool Flag(const char* name) const { return flags.count(QLatin1String(name)) > 0; }
    std::optional<QString> Value(const char* name) const {
        const auto it = values.find(QLatin1String(name));
        return it == values.end() ? std::nullopt : std::optional<QString>(it->second);
    }
};

struct Command {
    const char* name;
    const char* usage;
    const char* brief;    // one line: the command list of --help, the start of its own --help
    const char* details;  // what its own --help adds below the brief; may be empty
    int positionals;
    QStringList valueOptions;
    QStringList flagOptions;
    std::function<void(const Arguments&)> run;
};

ClusterStore OpenCluster(const Arguments& a) {
    return ClusterStore::Open(a.home, a.positional[0]);
}

void CreateCluster(const Arguments& a) {
    ClusterStore::Create(a.home, a.positional[0]);
    Print(QStringLiteral("Created cluster %1 in %2").arg(a.positional[0], a.home));
}

local::AppModel ReadModel(const QString& appFile, const std::optional<QString>& listFile,
                          bool progress) {
    int lastPercent = -1;
    const auto report = [&](qsizetype done, qsizetype total) {
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        if (percent != lastPercent) {
            lastPercent = percent;
            Progress(QStringLiteral("\rReading %1: %2%").arg(appFile).arg(percent));
        }
    };
    local::AppModel model = local::format::ParseAppFile(
        appFile, progress ? local::format::ProgressFn(report) : local::format::ProgressFn());
    if (progress) {
        Progress(QStringLiteral("\n"));
    }
    if (listFile) {
        local::format::ApplyMemberListFile(model, local::format::ReadWholeFile(*listFile),
                                           *listFile);
    }
    return model;
}

qsizetype MemberCount(const local::AppModel& model) {
    qsizetype count = 0;
    for (const auto& dim : model.dimensions) {
        count += static_cast<qsizetype>(dim.members.size());
    }
    return count;
}

void CreateApp(const Arguments& a) {
    const bool progress = a.Flag("progress") || isatty(STDERR_FILENO);
    QElapsedTimer timer;
    timer.start();
    ClusterStore cluster = OpenCluster(a);
    cluster.CheckNewApplication(a.positional[1]);
    const local::AppModel model = ReadModel(a.positional[2], a.Value("lists"), progress);
    const qint64 readMs = timer.elapsed();
    if (progress) {
        Progress(QStringLiteral("Read %1 members in %2 s; checking and storing them...\n")
                     .arg(MemberCount(model))
                     .arg(static_cast<double>(readMs) / 1000.0, 0, 'f', 1));
    }
    cluster.CreateApplication(a.positional[1], model);
    if (progress) {
        Progress(QStringLiteral("Stored in %1 s\n")
                     .arg(static_cast<double>(timer.elapsed() - readMs) / 1000.0, 0, 'f', 1));
    }
    Print(QStringLiteral("Created application %1 in cluster %2 (%3 members, %4 s)")
              .arg(a.positional[1], cluster.name())
              .arg(MemberCount(model))
              .arg(static_cast<double>(timer.elapsed()) / 1000.0, 0, 'f', 1));
}

void AddUser(const Arguments& a) {
    ClusterStore cluster = OpenCluster(a);
    cluster.CheckNewUser(a.positional[1]);
    cluster.AddUser(a.positional[1], ReadNewPassword(a.positional[1]));
    Print(QStringLiteral("Added user %1 to cluster %2").arg(a.positional[1], cluster.name()));
}

void SetPassword(const Arguments& a) {
    ClusterStore cluster = OpenCluster(a);
    cluster.CheckUserExists(a.positional[1]);
    cluster.SetPassword(a.positional[1], ReadNewPassword(a.positional[1]));
    Print(QStringLiteral("Changed the password of %1").arg(a.positional[1]));
}

void Provision(const Arguments& a) {
    ClusterStore cluster = OpenCluster(a);
    const bool admin = a.Flag("admin");
    cluster.Provision(a.positional[1], a.positional[2], admin);
    Print(QStringLiteral("Provisioned %1 to %2%3")
              .arg(a.positional[1], a.positional[2],
                   admin ? QStringLiteral(" as administrator") : QString()));
}

void ListClusters(const Arguments& a) {
    for (const QString& name : ClusterStore::List(a.home)) {
        Print(name);
    }
}

void ListApps(const Arguments& a) {
    for (const QString& name : OpenCluster(a).Applications()) {
        Print(name);
    }
}

void ListUsers(const Arguments& a) {
    for (const local::UserInfo& user : OpenCluster(a).Users()) {
        QStringList apps;
        for (const QString& app : user.applications) {
            apps << (user.adminOf.contains(app) ? app + QStringLiteral(" (administrator)") : app);
        }
        Print(apps.isEmpty() ? user.name : user.name + QStringLiteral(": ") + apps.join(u", "));
    }
}

void PrintSummary(const ClusterStore& cluster, const QString& app) {
    const local::AppModel model = local::ReadApplicationModel(cluster.ApplicationPath(app));
    for (const QString& line : ApplicationSummary(cluster.name(), app, model)) {
        Print(line);
    }
}

void Summary(const Arguments& a) {
    PrintSummary(OpenCluster(a), a.positional[1]);
}

// Logs on as the programs do and shows every dimension's lists, system lists included:
// proof that the user can open the application.
void PrintListsAsLoggedOn(const QString& home, const QString& cluster, const QString& app,
                          const QString& user, const QString& password) {
    const auto library = local::CreateLocalClientLibrary({}, home);
    const auto connection = library->CreateClientConnection();
    connection->SetLogonInfo({}, user, {}, password);
    const auto metadata =
        connection->OpenApplication(cluster, QStringLiteral("Tarsel"), app).session->Metadata();
    Print(QStringLiteral("Member lists as %1 sees them:").arg(user));
    for (int d = 0; d < kDimensionCount; ++d) {
        Print(QStringLiteral("  %1: %2")
                  .arg(DimensionDisplayName(d),
                       metadata->GetDimensionByIndex(d)->EnumMemberListNames().join(u", ")));
    }
}

// The demo files: --from, else the examples shipped with the program.
QString DemoFolder(const Arguments& a) {
    if (const auto from = a.Value("from")) {
        return *from;
    }
    using install::DataFolder;
    const QString program = install::RunningProgramFolder();
    const QString examples = install::FindDataFolder(DataFolder::Examples, program);
    if (examples.isEmpty()) {
        throw UsageError(QStringLiteral("the demo files were not found in %1; name their "
                                        "folder with --from")
                             .arg(install::DataFolderCandidates(DataFolder::Examples, program)
                                      .join(QStringLiteral(" or ")))
                             .toStdString());
    }
    return examples + QStringLiteral("/demo");
}

void Demo(const Arguments& a) {
    const QString folder = DemoFolder(a);
    const QString cluster = QStringLiteral("Demo"), app = QStringLiteral("Demo"),
                  user = QStringLiteral("demo");
    if (!ClusterStore::List(a.home).contains(cluster, Qt::CaseInsensitive)) {
        ClusterStore::Create(a.home, cluster);
        Print(QStringLiteral("Created cluster %1 in %2").arg(cluster, a.home));
    }
    ClusterStore store = ClusterStore::Open(a.home, cluster);
    if (!store.Applications().contains(app, Qt::CaseInsensitive)) {
        store.CreateApplication(app, ReadModel(folder + QStringLiteral("/Demo.app"),
                                               folder + QStringLiteral("/Demo.lst"), false));
        Print(QStringLiteral("Created application %1 from %2/Demo.app and Demo.lst")
                  .arg(app, folder));
    }
    bool known = false;
    for (const local::UserInfo& info : store.Users()) {
        known = known || info.name.compare(user, Qt::CaseInsensitive) == 0;
    }
    if (!known) {
        // The demo's password is published with the demo; it guards nothing real.
        store.AddUser(user, QStringLiteral("demo"));
        Print(QStringLiteral("Added user %1 (password \"demo\")").arg(user));
    }
    if (!store.IsAdministrator(user, app)) {
        store.Provision(user, app, true);
        Print(QStringLiteral("Provisioned %1 to %2 as administrator").arg(user, app));
    }
    PrintSummary(store, app);
    PrintListsAsLoggedOn(a.home, cluster, app, user, QStringLiteral("demo"));
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"create-cluster",
         "create-cluster CLUSTER",
         "Creates an empty cluster.",
         "",
         1,
         {},
         {},
         CreateCluster},
        {"create-app",
         "create-app CLUSTER APPLICATION FILE.app [--lists FILE.lst] [--progress]",
         "Creates an application from an .app file.",
         "--lists names a member list file whose lists become the application's user lists.\n"
         "--progress reports progress on standard error (on by default when it is a\n"
         "terminal).",
         3,
         {"lists"},
         {"progress"},
         CreateApp},
        {"add-user",
         "add-user CLUSTER USER",
         "Adds a user.",
         "The password is asked at the terminal without echo, or read as the first line of\n"
         "standard input when that is not a terminal.",
         2,
         {},
         {},
         AddUser},
        {"set-password",
         "set-password CLUSTER USER",
         "Sets a user's password.",
         "The password is read as for add-user.",
         2,
         {},
         {},
         SetPassword},
        {"provision",
         "provision CLUSTER USER APPLICATION [--admin]",
         "Lets a user open an application.",
         "--admin gives the administrator role.",
         3,
         {},
         {"admin"},
         Provision},
        {"list-clusters", "list-clusters", "Lists the clusters.", "", 0, {}, {}, ListClusters},
        {"list-apps",
         "list-apps CLUSTER",
         "Lists the applications of a cluster.",
         "",
         1,
         {},
         {},
         ListApps},
        {"list-users",
         "list-users CLUSTER",
         "Lists the users and their applications.",
         "",
         1,
         {},
         {},
         ListUsers},
        {"summary",
         "summary CLUSTER APPLICATION",
         "Shows what an application holds.",
         "Languages, security classes, dimensions with member counts and top members, user\n"
         "member lists and whether a member list file is stored.",
         2,
         {},
         {},
         Summary},
        {"demo",
         "demo [--from FOLDER]",
         "Creates the demo application and its user.",
         "Creates what is missing of the demo: cluster Demo, application Demo (from\n"
         "FOLDER/Demo.app and Demo.lst; default the examples/demo shipped with the\n"
         "program) and user demo with the password \"demo\", administrator of Demo. Then\n"
         "shows the application's summary.",
         0,
         {"from"},
         {},
         Demo},
    };
    return commands;
}

void PrintUsage() {
    Print(QStringLiteral(
        "Usage: tarsel-local [--home DIR] COMMAND [ARGUMENTS]\n"
        "Administers the clusters, applications and users of the local Tarsel server.\n"
        "--home DIR overrides TARSEL_HOME (default $XDG_DATA_HOME/tarsel or\n"
        "~/.local/share/tarsel). 'tarsel-local COMMAND --help' describes a command;\n"
        "--version shows the program's version.\n\n"
        "Commands:"));
    // GNU style: the brief in a column, on a line of its own after a long usage.
    constexpr int kBriefColumn = 32;
    for (const Command& c : Commands()) {
        const QString usage = QStringLiteral("  ") + QLatin1String(c.usage);
        Print((usage.size() < kBriefColumn - 1 ? usage.leftJustified(kBriefColumn)
                                               : usage + u'\n' + QString(kBriefColumn, u' ')) +
              QLatin1String(c.brief));
    }
}

void PrintCommandHelp(const Command& c) {
    Print(QStringLiteral("Usage: tarsel-local [--home DIR] ") + QLatin1String(c.usage));
    Print(QLatin1String(c.brief));
    if (*c.details != '\0') {
        Print(QLatin1String(c.details));
    }
}

int Run(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    Arguments parsed;
    parsed.home = local::TarselHome();
    const Command* command = nullptr;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            parsed.help = true;
        } else if (arg == u"--version" && !command) {
            Print(QStringLiteral("tarsel-local " TARSEL_VERSION));
            return 0;
        } else if (arg == u"--home" || arg.startsWith(u"--home=")) {
            if (arg == u"--home" && i + 1 == args.size()) {
                throw UsageError("--home needs a folder");
            }
            parsed.home = arg == u"--home" ? args[++i] : arg.mid(7);
        } else if (arg.startsWith(u"--")) {
            if (!command) {
                throw UsageError(QStringLiteral("unknown option %1").arg(arg).toStdString());
            }
            const QString name = arg.mid(2).section(u'=', 0, 0);
            if (command->valueOptions.contains(name)) {
                if (arg.contains(u'=')) {
                    parsed.values[name] = arg.section(u'=', 1);
                } else if (i + 1 < args.size()) {
                    parsed.values[name] = args[++i];
                } else {
                    throw UsageError(QStringLiteral("%1 needs a value").arg(arg).toStdString());
                }
            } else if (command->flagOptions.contains(name) && !arg.contains(u'=')) {
                parsed.flags[name] = true;
            } else {
                throw UsageError(QStringLiteral("%1 does not take the option %2")
                                     .arg(QLatin1String(command->name), arg)
                                     .toStdString());
            }
        } else if (!command) {
            for (const Command& c : Commands()) {
                if (arg == QLatin1String(c.name)) {
                    command = &c;
                }
            }
            if (!command) {
                throw UsageError(QStringLiteral("unknown command \"%1\" (see tarsel-local --help)")
                                     .arg(arg)
                                     .toStdString());
            }
        } else {
            parsed.positional << arg;
        }
    }
    if (!command) {
        PrintUsage();
        if (parsed.help) {
            return 0;
        }
        throw UsageError("no command given (see tarsel-local --help)");
    }
    if (parsed.help) {
        PrintCommandHelp(*command);
        return 0;
    }
    if (parsed.positional.size() != command->positionals) {
        throw UsageError(QStringLiteral("usage: tarsel-local %1")
                             .arg(QLatin1String(command->usage))
                             .toStdString());
    }
    if (parsed.home.isEmpty()) {
        throw UsageError("the Tarsel home folder is empty");
    }
    command->run(parsed);
    return 0;
}

}  // namespace
}  // namespace tarsel::tools

namespace {
// Every failure is one line on standard error, whatever the reason's text holds (a name
// given on the command line may carry a line break), and never the tail of a progress line.
int Fail(const QString& reason, int status) {
    QString text = reason;
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    if (tarsel::tools::gProgressLineOpen) {
        std::fputc('\n', stderr);
    }
    std::fprintf(stderr, "tarsel-local: %s\n", text.toUtf8().constData());
    return status;
}
}  // namespace

int main(int argc, char** argv) {
    try {
        return tarsel::tools::Run(argc, argv);
    } catch (const tarsel::tools::UsageError& e) {
        return Fail(QString::fromUtf8(e.what()), 2);
    } catch (const tarsel::TarselError& e) {
        return Fail(e.description(), 1);
    } catch (const std::exception& e) {
        return Fail(QString::fromUtf8(e.what()), 1);
    }
}
