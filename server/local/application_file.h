#pragma once
// An open application file of the local server, shared by every object of one opened
// application. It keeps one SQLite connection and the dimension indexes built from it.
//
// Freshness: calls that follow each other within kFreshnessCheckMs are one operation of
// the caller and see one state of the file. The first call after a longer pause reads the
// file's PRAGMA data_version; when another connection has committed since, every index
// (and the languages and security classes) is dropped and rebuilt. A writer on this same
// connection, or a caller that must see another's commit at once, calls NoteChanged().

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <mutex>
#include <optional>

#include "server/local/dimension_index.h"
#include "server/local/sqlite_db.h"

namespace tarsel::local {

inline constexpr int kFreshnessCheckMs = 100;

struct ApplicationInfo {
    QStringList languages;
    QStringList securityClasses;
};

class ApplicationFile {
  public:
    // Opens the file and checks its store version (kSchemaMismatch).
    ApplicationFile(QString cluster, QString name, QString path);

    const QString& cluster() const { return cluster_; }
    const QString& name() const { return name_; }
    const QString& path() const { return path_; }

    std::shared_ptr<const DimensionIndex> Index(Dimension dimension);
    std::shared_ptr<const ApplicationInfo> Info();
    std::optional<QByteArray> MemberListFile();

    // The connection, for operations that read or write the file directly.
    sql::Database& db() { return db_; }
    // Makes the next call rebuild from the file (after a write on this connection).
    void NoteChanged();

  private:
    void RefreshIfChanged();  // with mutex_ held

    QString cluster_, name_, path_;
    sql::Database db_;
    std::mutex mutex_;
    int64_t dataVersion_ = 0;
    int64_t lastCallMs_ = 0;
    std::array<std::shared_ptr<const DimensionIndex>, kDimensionCount> indexes_;
    std::shared_ptr<const ApplicationInfo> info_;
};

}  // namespace tarsel::local
