#pragma once
// A thin RAII layer over the SQLite C API. Every failure becomes a client-library error
// (kStoreFailure, kStoreBusy, ...) whose description names the file and SQLite's reason.

#include <sqlite3.h>

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <string_view>

namespace tarsel::local::sql {

enum class OpenMode { ReadOnly, ReadWrite, Create };

class Database {
  public:
    // Opens (or creates) the file; sets the busy timeout so that a reader waits for a
    // writer's lock instead of being refused.
    Database(const QString& path, OpenMode mode);
    ~Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs one or more statements without results (schema, pragmas).
    void Exec(std::string_view sql);
    // The first column of the first row as an integer (pragmas, counts); 0 without a row.
    int64_t QueryInt(std::string_view sql);

    int UserVersion() { return static_cast<int>(QueryInt("PRAGMA user_version")); }
    void SetUserVersion(int version);
    // Changes whenever another connection commits to the file.
    int64_t DataVersion() { return QueryInt("PRAGMA data_version"); }

    const QString& path() const { return path_; }
    sqlite3* handle() const { return db_; }

    // Throws the client error for an SQLite result code, naming the file and what was done.
    [[noreturn]] void Fail(int rc, const QString& doing) const;

  private:
    void Close() noexcept;
    sqlite3* db_ = nullptr;
    QString path_;
};

class Statement {
  public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    // Parameters are numbered from 1, as in SQLite.
    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, int value) { return Bind(index, static_cast<int64_t>(value)); }
    // Text is bound as UTF-16 without a copy; the string must outlive the next Step().
    Statement& Bind(int index, const QString& value);
    Statement& BindBlob(int index, const QByteArray& value);
    // Bytes bound without a copy; they must outlive the next Step().
    Statement& BindBlob(int index, const void* data, int size);
    Statement& BindNull(int index);
    Statement& BindReal(int index, double value);

    // True while a row is available; false when done.
    bool Step();
    // Steps a statement that returns no rows, then resets it for the next use.
    void Run();
    void Reset();

    int64_t Int(int column) const;
    QString Text(int column) const;
    // The column's text as stored (the application files are UTF-16) without a copy, valid
    // until the next Step(); empty for NULL.
    QStringView TextView(int column) const;
    QByteArray Blob(int column) const;
    // The column's bytes without a copy, valid until the next Step(); nullptr for NULL.
    const void* BlobData(int column) const { return sqlite3_column_blob(stmt_, column); }
    int Bytes(int column) const { return sqlite3_column_bytes(stmt_, column); }
    bool IsNull(int column) const;
    double Real(int column) const { return sqlite3_column_double(stmt_, column); }

  private:
    Database* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// Rolls back unless Commit() was called; BEGIN IMMEDIATE for writers so that a writer
// waits for the lock up front instead of failing half-way.
class Transaction {
  public:
    enum class Kind { Read, Write };
    Transaction(Database& db, Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

  private:
    Database& db_;
    bool open_ = true;
};

}  // namespace tarsel::local::sql
