#include "server/local/sqlite_db.h"

#include <QFile>
#include <QtGlobal>
#include <cerrno>
#include <utility>

#include "server/tarsel_error.h"

namespace tarsel::local::sql {

namespace {
// A writer holding the lock (a load) may take long; readers in WAL mode are not blocked
// by it, and a second writer waits this long before it is refused as busy.
constexpr int kBusyTimeoutMs = 30000;

// TARSEL_BUSY_TIMEOUT_MS (milliseconds, 1 to 3600000) replaces the wait, for a site whose
// loads take longer and for tests that must see a refusal soon; anything else is ignored.
int BusyTimeoutMs() {
    static const int timeout = [] {
        bool ok = false;
        const int value = qEnvironmentVariableIntValue("TARSEL_BUSY_TIMEOUT_MS", &ok);
        return ok && value > 0 && value <= 3600000 ? value : kBusyTimeoutMs;
    }();
    return timeout;
}
}  // namespace

Database::Database(const QString& path, OpenMode mode) : path_(path) {
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
        case OpenMode::ReadOnly:
            flags |= SQLITE_OPEN_READONLY;
            break;
        case OpenMode::ReadWrite:
            flags |= SQLITE_OPEN_READWRITE;
            break;
        case OpenMode::Create:
            flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
            break;
    }
    const QByteArray name = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(name.constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason =
            db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
        Close();
        ThrowClientError(code::kStoreFailure,
                         QStringLiteral("The file \"%1\" cannot be opened: %2.").arg(path, reason));
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, BusyTimeoutMs());
}

Database::~Database() {
    Close();
}

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        Close();
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

void Database::Close() noexcept {
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void Database::Fail(int rc, const QString& doing) const {
    const int lastErrno = errno;
    const int primary = rc & 0xff;
    QString reason =
        db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
    // SQLite says only "disk I/O error"; the system's reason (a full disk, a file size
    // limit, a permission) is what the administrator can act on. SQLite keeps it for a
    // failed statement, not for a failed COMMIT, whose failing write set errno last.
    const int systemErrno = db_ ? sqlite3_system_errno(db_) : 0;
    if (const int os = systemErrno != 0 ? systemErrno : lastErrno;
        os != 0 &&
        (primary == SQLITE_IOERR || primary == SQLITE_FULL || primary == SQLITE_CANTOPEN)) {
        reason += QStringLiteral(" (%1)").arg(qt_error_string(os));
    }
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        ThrowClientError(code::kStoreBusy,
                         QStringLiteral("The file \"%1\" is busy (%2) while %3. Try again when "
                                        "the running load has ended.")
                             .arg(path_, reason, doing));
    }
    ThrowClientError(
        code::kStoreFailure,
        QStringLiteral("The file \"%1\" failed while %2: %3.").arg(path_, doing, reason));
}

void Database::Exec(std::string_view sql) {
    const std::string text(sql);
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        sqlite3_free(message);
        Fail(rc, QStringLiteral("running \"%1\"").arg(QString::fromUtf8(text.c_str()).left(60)));
    }
}

int64_t Database::QueryInt(std::string_view sql) {
    Statement statement(*this, sql);
    return statement.Step() ? statement.Int(0) : 0;
}

void Database::SetUserVersion(int version) {
    Exec("PRAGMA user_version = " + std::to_string(version));
}

Statement::Statement(Database& db, std::string_view sql) : db_(&db) {
    const int rc = sqlite3_prepare_v3(db.handle(), sql.data(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        db.Fail(
            rc,
            QStringLiteral("preparing \"%1\"")
                .arg(QString::fromUtf8(sql.data(), static_cast<qsizetype>(sql.size())).left(60)));
    }
}

Statement::~Statement() {
    if (stmt_) {
        sqlite3_finalize(stmt_);
    }
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::Bind(int index, int64_t value) {
    const int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK) {
        db_->Fail(rc, QStringLiteral("binding a value"));
    }
    return *this;
}

Statement& Statement::Bind(int index, const QString& value) {
    // A null QString would bind SQL NULL; the store keeps empty texts as ''.
    static const char16_t empty = 0;
    const void* data = value.isEmpty() ? static_cast<const void*>(&empty)
                                       : static_cast<const void*>(value.utf16());
    const int rc =
        sqlite3_bind_text16(stmt_, index, data, static_cast<int>(value.size() * 2), SQLITE_STATIC);
    if (rc != SQLITE_OK) {
        db_->Fail(rc, QStringLiteral("binding a text"));
    }
    return *this;
}

Statement& Statement::BindBlob(int index, const QByteArray& value) {
    static const char empty = 0;
    const void* data = value.isEmpty() ? static_cast<const void*>(&empty)
                                       : static_cast<const void*>(value.constData());
    const int rc =
        sqlite3_bind_blob(stmt_, index, data, static_cast<int>(value.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) {
        db_->Fail(rc, QStringLiteral("binding bytes"));
    }
    return *this;
}

Statement& Statement::BindBlob(int index, const void* data, int size) {
    const int rc = sqlite3_bind_blob(stmt_, index, data, size, SQLITE_STATIC);
    if (rc != SQLITE_OK) {
        db_->Fail(rc, QStringLiteral("binding bytes"));
    }
    return *this;
}

Statement& Statement::BindNull(int index) {
    const int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK) {
        db_->Fail(rc, QStringLiteral("binding a value"));
    }
    return *this;
}

Statement& Statement::BindReal(int index, double value) {
    const int rc = sqlite3_bind_double(stmt_, index, value);
    if (rc != SQLITE_OK) {
        db_->Fail(rc, QStringLiteral("binding a value"));
    }
    return *this;
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    sqlite3_reset(stmt_);
    db_->Fail(rc,
              QStringLiteral("running \"%1\"").arg(QString::fromUtf8(sqlite3_sql(stmt_)).left(60)));
}

void Statement::Run() {
    Step();
    Reset();
}

void Statement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

QString Statement::Text(int column) const {
    const void* data = sqlite3_column_text16(stmt_, column);
    const int bytes = sqlite3_column_bytes16(stmt_, column);
    if (!data || bytes == 0) {
        return QString();
    }
    return QString(static_cast<const QChar*>(data), bytes / 2);
}

QStringView Statement::TextView(int column) const {
    const void* data = sqlite3_column_text16(stmt_, column);
    const int bytes = sqlite3_column_bytes16(stmt_, column);
    if (!data) {
        return {};
    }
    return QStringView(static_cast<const char16_t*>(data), bytes / 2);
}

QByteArray Statement::Blob(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int bytes = sqlite3_column_bytes(stmt_, column);
    if (!data || bytes == 0) {
        return QByteArray("");
    }
    return QByteArray(static_cast<const char*>(data), bytes);
}

bool Statement::IsNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

Transaction::Transaction(Database& db, Kind kind) : db_(db) {
    db_.Exec(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction() {
    if (open_) {
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Transaction::Commit() {
    if (const int rc = sqlite3_exec(db_.handle(), "COMMIT", nullptr, nullptr, nullptr);
        rc != SQLITE_OK) {
        db_.Fail(rc, QStringLiteral("committing the changes"));
    }
    open_ = false;
}

}  // namespace tarsel::local::sql
