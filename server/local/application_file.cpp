#include "server/local/application_file.h"

#include "server/local/app_schema.h"

#include <time.h>

namespace tarsel::local {

namespace {
// Milliseconds of a clock that is cheap to read on every interface call: the coarse
// monotonic clock has a few milliseconds' resolution, plenty for the freshness window,
// at a fraction of the precise clock's cost on a walk of a million members.
int64_t CoarseMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
}  // namespace

ApplicationFile::ApplicationFile(QString cluster, QString name, QString path)
    : cluster_(std::move(cluster)),
      name_(std::move(name)),
      path_(std::move(path)),
      db_(path_, sql::OpenMode::ReadWrite) {
    CheckApplicationSchema(db_);
    dataVersion_ = db_.DataVersion();
    lastCallMs_ = CoarseMilliseconds();
}

void ApplicationFile::RefreshIfChanged() {
    // Calls that follow each other closely belong to one operation of the caller (a walk
    // of the tree) and must all see the same state; a call after a pause starts a new one.
    const int64_t now = CoarseMilliseconds();
    const bool paused = now - lastCallMs_ >= kFreshnessCheckMs;
    lastCallMs_ = now;
    if (!paused) {
        return;
    }
    const int64_t version = db_.DataVersion();
    if (version != dataVersion_) {
        dataVersion_ = version;
        indexes_ = {};
        info_.reset();
    }
}

void ApplicationFile::NoteChanged() {
    std::lock_guard lock(mutex_);
    indexes_ = {};
    info_.reset();
    dataVersion_ = db_.DataVersion();
}

std::shared_ptr<const DimensionIndex> ApplicationFile::Index(Dimension dimension) {
    std::lock_guard lock(mutex_);
    RefreshIfChanged();
    auto& index = indexes_[static_cast<size_t>(dimension)];
    if (!index) {
        sql::Transaction read(db_, sql::Transaction::Kind::Read);
        index = DimensionIndex::Load(db_, dimension);
        read.Commit();
    }
    return index;
}

std::shared_ptr<const ApplicationInfo> ApplicationFile::Info() {
    std::lock_guard lock(mutex_);
    RefreshIfChanged();
    if (!info_) {
        auto info = std::make_shared<ApplicationInfo>();
        sql::Transaction read(db_, sql::Transaction::Kind::Read);
        sql::Statement languages(db_, "SELECT label FROM languages ORDER BY idx");
        while (languages.Step()) {
            info->languages.append(languages.Text(0));
        }
        sql::Statement classes(db_, "SELECT name FROM security_classes ORDER BY id");
        while (classes.Step()) {
            info->securityClasses.append(classes.Text(0));
        }
        read.Commit();
        info_ = std::move(info);
    }
    return info_;
}

std::optional<QByteArray> ApplicationFile::MemberListFile() {
    std::lock_guard lock(mutex_);
    sql::Statement q(db_, "SELECT content FROM member_list_file WHERE id = 0");
    if (q.Step()) {
        return q.Blob(0);
    }
    return std::nullopt;
}

}  // namespace tarsel::local
