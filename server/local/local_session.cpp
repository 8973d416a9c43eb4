#include "server/local/local_session.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "server/local/local_dimension_tree.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

void ThrowNotAvailable(const QString& what) {
    ThrowClientError(code::kNotImplemented,
                     QStringLiteral("%1 is not available in this build of the local Tarsel "
                                    "server.")
                         .arg(what));
}

namespace {

// Languages and security classes have the ids 0..count-1 in the application's order.
IdArray Numbered(qsizetype count) {
    IdArray ids(static_cast<size_t>(count));
    std::iota(ids.begin(), ids.end(), 0);
    return ids;
}

class LocalSystemInfo : public SystemInfo {
  public:
    explicit LocalSystemInfo(std::shared_ptr<ApplicationFile> file) : file_(std::move(file)) {}
    QString GetClusterName() override { return file_->cluster(); }
    QString GetApplicationName() override { return file_->name(); }
    MemberListFile GetMemberListFile() override {
        const auto content = file_->MemberListFile();
        return content ? MemberListFile{*content, true} : MemberListFile{};
    }

  private:
    std::shared_ptr<ApplicationFile> file_;
};

class LocalSessionMetadata : public SessionMetadata {
  public:
    explicit LocalSessionMetadata(std::shared_ptr<ApplicationFile> file) : file_(std::move(file)) {}
    std::shared_ptr<DimensionTree> GetDimensionByIndex(int dimensionNumber) override {
        if (dimensionNumber < 0 || dimensionNumber >= kDimensionCount) {
            ThrowClientError(
                code::kUnknownDimension,
                QStringLiteral("There is no dimension number %1 (0 to 11).").arg(dimensionNumber));
        }
        auto& tree = trees_[static_cast<size_t>(dimensionNumber)];
        if (!tree) {
            tree = CreateLocalDimensionTree(file_, static_cast<Dimension>(dimensionNumber));
        }
        return tree;
    }
    Languages GetLanguages() override {
        const auto info = file_->Info();
        return {Numbered(info->languages.size()), info->languages};
    }

  private:
    std::shared_ptr<ApplicationFile> file_;
    std::array<std::shared_ptr<DimensionTree>, kDimensionCount> trees_;
};

class LocalSecurity : public Security {
  public:
    explicit LocalSecurity(std::shared_ptr<ApplicationFile> file) : file_(std::move(file)) {}
    SecurityClasses EnumSecurityClasses() override {
        const auto info = file_->Info();
        return {Numbered(info->securityClasses.size()), info->securityClasses};
    }
    QString GetSecurityClassName(int32_t id) override {
        const auto info = file_->Info();
        if (id < 0 || id >= info->securityClasses.size()) {
            ThrowClientError(code::kUnknownSecurityClass,
                             QStringLiteral("The security class id %1 is not a security class of "
                                            "the application \"%2\".")
                                 .arg(id)
                                 .arg(file_->name()));
        }
        return info->securityClasses[id];
    }

  private:
    std::shared_ptr<ApplicationFile> file_;
};

}  // namespace

LocalApplicationSession::LocalApplicationSession(std::shared_ptr<ApplicationFile> file,
                                                 QString clusterPath, QString userName,
                                                 bool administrator)
    : file_(std::move(file)),
      clusterPath_(std::move(clusterPath)),
      userName_(std::move(userName)),
      administrator_(administrator) {}

std::shared_ptr<tarsel::SystemInfo> LocalApplicationSession::SystemInfo() {
    if (!systemInfo_) {
        systemInfo_ = std::make_shared<LocalSystemInfo>(file_);
    }
    return systemInfo_;
}

std::shared_ptr<SessionMetadata> LocalApplicationSession::Metadata() {
    if (!metadata_) {
        metadata_ = std::make_shared<LocalSessionMetadata>(file_);
    }
    return metadata_;
}

std::shared_ptr<tarsel::Security> LocalApplicationSession::Security() {
    if (!security_) {
        security_ = std::make_shared<LocalSecurity>(file_);
    }
    return security_;
}

void LocalApplicationSession::RequireAdministrator(const QString& operation) const {
    if (!administrator_) {
        ThrowClientError(code::kAccessDenied,
                         QStringLiteral("The user \"%1\" is not an administrator of the "
                                        "application \"%2\" and may not run %3. Ask the "
                                        "cluster's administrator for the administrator role.")
                             .arg(userName_, file_->name(), operation));
    }
}

void LocalApplicationSession::RequireRole(format::Role role, const QString& operation) const {
    if (administrator_) {
        return;
    }
    const UserRoles roles = RolesOf(file_->db(), userName_);
    if (!roles.anyRoleGranted) {
        RequireAdministrator(operation);
        return;
    }
    if (std::any_of(roles.roles.begin(), roles.roles.end(), [role](format::Role granted) {
            return granted == role || granted == format::Role::Administrator;
        })) {
        return;
    }
    ThrowClientError(code::kAccessDenied,
                     QStringLiteral("The user \"%1\" does not have the role %2 of the application "
                                    "\"%3\" and may not run %4. Ask the application's "
                                    "administrator to grant the role (LOAD_SECURITY).")
                         .arg(userName_, format::RoleName(role), file_->name(), operation));
}

WritableClasses LocalApplicationSession::WritableSecurityClasses() const {
    if (administrator_ || std::ranges::count(RolesOf(file_->db(), userName_).roles,
                                             format::Role::Administrator) > 0) {
        return {};
    }
    return local::WritableSecurityClasses(file_->db(), userName_);
}

std::shared_ptr<LocalApplicationSession> AsLocalSession(
    const std::shared_ptr<ApplicationSession>& session) {
    return std::dynamic_pointer_cast<LocalApplicationSession>(session);
}

}  // namespace tarsel::local
