#include "server/local/cluster_store.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cerrno>

#include "server/local/app_schema.h"
#include "server/local/model_check.h"
#include "server/local/password_hash.h"
#include "server/local/sqlite_db.h"
#include "server/local/store_names.h"

namespace tarsel::local {

namespace {

constexpr int kClusterSchemaVersion = 1;
const QString kClusterFile = QStringLiteral("cluster.db");
const QString kApplicationSuffix = QStringLiteral(".tapp");

constexpr const char* kClusterSchema = R"sql(
CREATE TABLE users(key TEXT PRIMARY KEY, name TEXT NOT NULL, hash TEXT NOT NULL) WITHOUT ROWID;
CREATE TABLE provisioning(user_key TEXT NOT NULL, application_key TEXT NOT NULL,
  application TEXT NOT NULL, administrator INTEGER NOT NULL,
  PRIMARY KEY(user_key, application_key)) WITHOUT ROWID;
)sql";

sql::Database OpenClusterDb(const QString& clusterPath) {
    sql::Database db(QDir(clusterPath).filePath(kClusterFile), sql::OpenMode::ReadWrite);
    const int version = db.UserVersion();
    if (version != kClusterSchemaVersion) {
        ThrowClientError(code::kSchemaMismatch,
                         QStringLiteral("The cluster file \"%1\" has store version %2; this build "
                                        "of the local Tarsel server reads version %3.")
                             .arg(db.path())
                             .arg(version)
                             .arg(kClusterSchemaVersion));
    }
    return db;
}

// The entry of dir whose name equals name without regard to case; the exact spelling wins.
QString FindEntry(const QStringList& entries, const QString& name) {
    if (entries.contains(name)) {
        return name;
    }
    const QString key = NameKey(name);
    for (const QString& entry : entries) {
        if (NameKey(entry) == key) {
            return entry;
        }
    }
    return {};
}

[[noreturn]] void UnknownUser(const QString& user, const QString& cluster) {
    ThrowClientError(code::kUnknownUser,
                     QStringLiteral("The user \"%1\" is not known in the cluster \"%2\". Check the "
                                    "user name, or ask the cluster's administrator to add the "
                                    "user (tarsel-local).")
                         .arg(user, cluster));
}

[[noreturn]] void UserExists(const QString& user, const QString& cluster) {
    ThrowClientError(
        code::kAlreadyExists,
        QStringLiteral("The user \"%1\" already exists in the cluster \"%2\".").arg(user, cluster));
}

// The user's name as stored, or an empty text when the cluster has no such user.
QString StoredUserName(sql::Database& db, const QString& user) {
    sql::Statement find(db, "SELECT name FROM users WHERE key = ?1");
    const QString key = NameKey(user);
    return find.Bind(1, key).Step() ? find.Text(0) : QString();
}

// A cluster holds password hashes and every application's data: its folder and its files
// are its owner's only. SQLite gives a database's journals the mode of the database file,
// so creating that file 0600 before SQLite opens it covers -journal, -wal and -shm too.
void MakePrivateFolder(const QString& path) {
    const bool existed = QFileInfo::exists(path);
    if (!QDir().mkpath(path) ||
        (!existed && ::chmod(QFile::encodeName(path).constData(), 0700) != 0)) {
        ThrowClientError(code::kFileUnwritable,
                         QStringLiteral("The folder \"%1\" cannot be created: %2.")
                             .arg(path, QString::fromLocal8Bit(strerror(errno))));
    }
}

void CreatePrivateFile(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        ThrowClientError(code::kFileUnwritable,
                         QStringLiteral("The file \"%1\" cannot be created: %2.")
                             .arg(path, QString::fromLocal8Bit(strerror(errno))));
    }
    ::close(fd);
}

// Removes a half-built application file unless the build reached its end.
class TemporaryFileGuard {
  public:
    explicit TemporaryFileGuard(QString path) : path_(std::move(path)) {}
    ~TemporaryFileGuard() {
        if (!released_) {
            QFile::remove(path_);
            QFile::remove(path_ + QStringLiteral("-journal"));
            QFile::remove(path_ + QStringLiteral("-wal"));
            QFile::remove(path_ + QStringLiteral("-shm"));
        }
    }
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
    void Release() { released_ = true; }

  private:
    QString path_;
    bool released_ = false;
};

// Temporary files of creations whose process is gone (killed half-way).
void RemoveAbandonedBuilds(const QString& clusterPath) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\..*\\.tapp\\.(\\d+)-[0-9a-f]{8}\\.tmp(-journal|-wal|-shm)?$"));
    const QDir dir(clusterPath);
    for (const QString& file : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = pattern.match(file);
        if (!match.hasMatch()) {
            continue;
        }
        const auto pid = static_cast<pid_t>(match.captured(1).toLongLong());
        if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) {
            QFile::remove(dir.filePath(file));
        }
    }
}

void SyncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

QString TarselHome() {
    const QString home = qEnvironmentVariable("TARSEL_HOME");
    if (!home.isEmpty()) {
        return home;
    }
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty()) {
        return QDir(xdg).filePath(QStringLiteral("tarsel"));
    }
    return QDir(QDir::homePath()).filePath(QStringLiteral(".local/share/tarsel"));
}

ClusterStore ClusterStore::Create(const QString& home, const QString& cluster) {
    CheckName(NameKind::Cluster, cluster);
    if (!FindEntry(List(home), cluster).isEmpty()) {
        ThrowClientError(
            code::kAlreadyExists,
            QStringLiteral("The cluster \"%1\" already exists under \"%2\".").arg(cluster, home));
    }
    MakePrivateFolder(home);
    const QString path = QDir(home).filePath(cluster);
    MakePrivateFolder(path);
    {
        CreatePrivateFile(QDir(path).filePath(kClusterFile));
        sql::Database db(QDir(path).filePath(kClusterFile), sql::OpenMode::Create);
        db.Exec("PRAGMA journal_mode = WAL");
        sql::Transaction create(db, sql::Transaction::Kind::Write);
        db.Exec(kClusterSchema);
        db.SetUserVersion(kClusterSchemaVersion);
        create.Commit();
    }
    return ClusterStore(cluster, path);
}

ClusterStore ClusterStore::Open(const QString& home, const QString& cluster) {
    const QString entry =
        NameProblem(cluster).isEmpty() ? FindEntry(List(home), cluster) : QString();
    if (entry.isEmpty()) {
        ThrowClientError(code::kUnknownCluster,
                         QStringLiteral("The cluster \"%1\" does not exist under \"%2\". Check the "
                                        "cluster name, or create the cluster with tarsel-local.")
                             .arg(cluster, home));
    }
    return ClusterStore(entry, QDir(home).filePath(entry));
}

QStringList ClusterStore::List(const QString& home) {
    QStringList clusters;
    const QDir dir(home);
    for (const QString& entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFileInfo::exists(dir.filePath(entry + QLatin1Char('/') + kClusterFile))) {
            clusters.append(entry);
        }
    }
    return clusters;
}

void ClusterStore::AddUser(const QString& user, const QString& password) {
    CheckName(NameKind::User, user);
    const QString hash = HashPassword(password);
    sql::Database db = OpenClusterDb(path_);
    sql::Transaction write(db, sql::Transaction::Kind::Write);
    if (const QString existing = StoredUserName(db, user); !existing.isEmpty()) {
        UserExists(existing, name_);
    }
    const QString key = NameKey(user);
    sql::Statement insert(db, "INSERT INTO users(key, name, hash) VALUES(?1, ?2, ?3)");
    insert.Bind(1, key).Bind(2, user).Bind(3, hash).Run();
    write.Commit();
}

void ClusterStore::CheckNewUser(const QString& user) const {
    CheckName(NameKind::User, user);
    sql::Database db = OpenClusterDb(path_);
    if (const QString existing = StoredUserName(db, user); !existing.isEmpty()) {
        UserExists(existing, name_);
    }
}

void ClusterStore::CheckUserExists(const QString& user) const {
    sql::Database db = OpenClusterDb(path_);
    if (StoredUserName(db, user).isEmpty()) {
        UnknownUser(user, name_);
    }
}

void ClusterStore::SetPassword(const QString& user, const QString& password) {
    const QString hash = HashPassword(password);
    sql::Database db = OpenClusterDb(path_);
    sql::Statement update(db, "UPDATE users SET hash = ?2 WHERE key = ?1");
    const QString key = NameKey(user);
    update.Bind(1, key).Bind(2, hash).Run();
    if (sqlite3_changes(db.handle()) == 0) {
        UnknownUser(user, name_);
    }
}

void ClusterStore::CheckPassword(const QString& user, const QString& password) const {
    QString hash;
    {
        sql::Database db = OpenClusterDb(path_);
        sql::Statement find(db, "SELECT hash FROM users WHERE key = ?1");
        const QString key = NameKey(user);
        if (!find.Bind(1, key).Step()) {
            UnknownUser(user, name_);
        }
        hash = find.Text(0);
    }
    if (!VerifyPassword(hash, password)) {
        ThrowClientError(code::kWrongPassword,
                         QStringLiteral("The password of the user \"%1\" is wrong. Check the "
                                        "password (letters are case-sensitive) and log on again.")
                             .arg(user));
    }
}

std::vector<UserInfo> ClusterStore::Users() const {
    sql::Database db = OpenClusterDb(path_);
    sql::Transaction read(db, sql::Transaction::Kind::Read);
    std::vector<UserInfo> users;
    sql::Statement all(db, "SELECT key, name FROM users ORDER BY key");
    sql::Statement apps(db,
                        "SELECT application, administrator FROM provisioning WHERE user_key = ?1 "
                        "ORDER BY application_key");
    while (all.Step()) {
        UserInfo info;
        const QString key = all.Text(0);
        info.name = all.Text(1);
        apps.Bind(1, key);
        while (apps.Step()) {
            info.applications.append(apps.Text(0));
            if (apps.Int(1) != 0) {
                info.adminOf.append(apps.Text(0));
            }
        }
        apps.Reset();
        users.push_back(std::move(info));
    }
    read.Commit();
    return users;
}

void ClusterStore::Provision(const QString& user, const QString& application, bool administrator) {
    const QString app = QFileInfo(ApplicationPath(application)).completeBaseName();
    sql::Database db = OpenClusterDb(path_);
    sql::Transaction write(db, sql::Transaction::Kind::Write);
    sql::Statement find(db, "SELECT 1 FROM users WHERE key = ?1");
    const QString key = NameKey(user);
    if (!find.Bind(1, key).Step()) {
        UnknownUser(user, name_);
    }
    sql::Statement upsert(db,
                          "INSERT OR REPLACE INTO provisioning(user_key, application_key, "
                          "application, administrator) VALUES(?1, ?2, ?3, ?4)");
    const QString appKey = NameKey(app);
    upsert.Bind(1, key).Bind(2, appKey).Bind(3, app).Bind(4, administrator ? 1 : 0).Run();
    write.Commit();
}

bool ClusterStore::IsProvisioned(const QString& user, const QString& application) const {
    sql::Database db = OpenClusterDb(path_);
    sql::Statement find(db,
                        "SELECT 1 FROM provisioning WHERE user_key = ?1 AND application_key = ?2");
    const QString key = NameKey(user), appKey = NameKey(application);
    return find.Bind(1, key).Bind(2, appKey).Step();
}

bool ClusterStore::IsAdministrator(const QString& user, const QString& application) const {
    sql::Database db = OpenClusterDb(path_);
    sql::Statement find(db,
                        "SELECT administrator FROM provisioning WHERE user_key = ?1 AND "
                        "application_key = ?2");
    const QString key = NameKey(user), appKey = NameKey(application);
    return find.Bind(1, key).Bind(2, appKey).Step() && find.Int(0) != 0;
}

QStringList ClusterStore::Applications() const {
    QStringList applications;
    const QDir dir(path_);
    for (const QString& file :
         dir.entryList({QLatin1Char('*') + kApplicationSuffix}, QDir::Files, QDir::Name)) {
        if (!file.startsWith(QLatin1Char('.'))) {
            applications.append(file.chopped(kApplicationSuffix.size()));
        }
    }
    return applications;
}

QStringList ClusterStore::ApplicationsOf(const QString& user) const {
    const QString key = NameKey(user);
    for (const UserInfo& info : Users()) {
        if (NameKey(info.name) == key) {
            return info.applications;
        }
    }
    UnknownUser(user, name_);
}

QString ClusterStore::ApplicationPath(const QString& name) const {
    const QString entry = NameProblem(name).isEmpty() ? FindEntry(Applications(), name) : QString();
    if (entry.isEmpty()) {
        ThrowClientError(code::kUnknownApplication,
                         QStringLiteral("The application \"%1\" does not exist in the cluster "
                                        "\"%2\". Check the application name, or create the "
                                        "application with tarsel-local.")
                             .arg(name, name_));
    }
    return QDir(path_).filePath(entry + kApplicationSuffix);
}

void ClusterStore::CheckNewApplication(const QString& name) const {
    CheckName(NameKind::Application, name);
    const QString existing = FindEntry(Applications(), name);
    if (!existing.isEmpty()) {
        ThrowClientError(code::kAlreadyExists,
                         QStringLiteral("The application \"%1\" already exists in the cluster "
                                        "\"%2\".")
                             .arg(existing, name_));
    }
}

void ClusterStore::CreateApplication(const QString& name, const AppModel& model) {
    CheckNewApplication(name);
    const ResolvedModel resolved = CheckModel(model);
    RemoveAbandonedBuilds(path_);

    const QString finalPath = QDir(path_).filePath(name + kApplicationSuffix);
    // A leading full stop keeps the file out of Applications() until it is complete.
    const QString tempPath = QDir(path_).filePath(
        QStringLiteral(".%1%2.%3-%4.tmp")
            .arg(name, kApplicationSuffix)
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    CreatePrivateFile(tempPath);
    TemporaryFileGuard guard(tempPath);
    {
        sql::Database db(tempPath, sql::OpenMode::Create);
        // Nobody else sees the file while it is built, and a failure discards it whole, so
        // the build needs neither a journal nor syncing. Larger pages make the b-trees of a
        // million members shallower, for the inserts here and the walks later. The rows go
        // in key order, touching only the last pages of each table, so a small cache does.
        db.Exec(
            "PRAGMA encoding = 'UTF-16le'; PRAGMA page_size = 16384; PRAGMA journal_mode = OFF; "
            "PRAGMA synchronous = OFF; "
            "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -8192; "
            "PRAGMA temp_store = MEMORY;");
        sql::Transaction write(db, sql::Transaction::Kind::Write);
        WriteApplication(db, name, model, resolved);
        write.Commit();
        db.Exec("PRAGMA locking_mode = NORMAL; PRAGMA synchronous = FULL;");
        db.QueryInt("PRAGMA journal_mode = WAL");
    }
    SyncFile(tempPath);
    if (::renameat2(AT_FDCWD, QFile::encodeName(tempPath).constData(), AT_FDCWD,
                    QFile::encodeName(finalPath).constData(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        if (error == EEXIST) {
            ThrowClientError(code::kAlreadyExists,
                             QStringLiteral("The application \"%1\" already exists in the cluster "
                                            "\"%2\".")
                                 .arg(name, name_));
        }
        ThrowClientError(code::kFileUnwritable,
                         QStringLiteral("The application file \"%1\" cannot be put in place: %2.")
                             .arg(finalPath, QString::fromLocal8Bit(strerror(error))));
    }
    guard.Release();
}

AppModel ReadApplicationModel(const QString& applicationPath) {
    if (!QFileInfo::exists(applicationPath)) {
        ThrowClientError(
            code::kFileNotFound,
            QStringLiteral("The application file \"%1\" does not exist.").arg(applicationPath));
    }
    sql::Database db(applicationPath, sql::OpenMode::ReadWrite);
    return ReadApplication(db);
}

}  // namespace tarsel::local
