#include "server/local/loads/security_load.h"

#include <QFileInfo>
#include <QHash>

#include "server/local/app_schema.h"
#include "server/local/cluster_store.h"
#include "server/local/format/text_lines.h"
#include "server/local/security_store.h"
#include "server/local/store_names.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

using format::Role;
using format::SecurityContent;
using format::SecuritySection;
using format::SecuritySections;

namespace option {
constexpr int32_t kClear = 2;
constexpr int32_t kFirstLoadSection = 3;     // 3..6 in the order of SecuritySection
constexpr int32_t kFirstExtractSection = 2;  // 2..5
constexpr int32_t kBatchFlag = 7;
}  // namespace option

const QString kLoader = QStringLiteral("security loader");

bool Has(const SecuritySections& sections, SecuritySection section) {
    return sections[static_cast<size_t>(section)];
}

SecuritySections Sections(const OptionSet& options, int32_t first) {
    SecuritySections sections{};
    for (int i = 0; i < format::kSecuritySectionCount; ++i) {
        sections[static_cast<size_t>(i)] = options.Bool(first + i);
    }
    return sections;
}

// Spelling by key of a set of names.
using Names = QHash<QString, QString>;
void AddNames(Names& names, const QString& name) {
    names.insert(NameKey(name), name);
}

// Turns the file's chosen sections into what the store adds, every name spelled as
// stored: groups as the application or the file defines them, users as the cluster
// spells them, classes as the application spells them. Errors stop the load; names the
// cluster does not know are left out with a warning and make invalidUsers true.
class SecurityResolver {
  public:
    SecurityResolver(const QString& fileName, LoadLog& log, Names clusterUsers,
                     const SecurityContent& stored, const SecurityContent& file,
                     const SecuritySections& sections)
        : fileName_(fileName),
          log_(log),
          users_(std::move(clusterUsers)),
          file_(file),
          sections_(sections) {
        for (const auto& group : stored.groups) {
            AddNames(groups_, group.name);
        }
        for (const QString& name : stored.classes) {
            AddNames(classes_, name);
        }
        if (Has(sections, SecuritySection::UsersAndGroups)) {
            for (const auto& group : file.groups) {
                AddNames(groups_, group.name);
            }
        }
        if (Has(sections, SecuritySection::Classes)) {
            for (const QString& name : file.classes) {
                classes_.insert(NameKey(name), classes_.value(NameKey(name), name));
            }
        }
    }

    SecurityContent Resolve() {
        SecurityContent add;
        if (Has(sections_, SecuritySection::UsersAndGroups)) {
            for (const auto& group : file_.groups) {
                if (users_.contains(NameKey(group.name))) {
                    log_.Error(fileName_, group.line,
                               QStringLiteral("the group \"%1\" has the name of a user of the "
                                              "cluster")
                                   .arg(group.name));
                    continue;
                }
                auto& added = add.groups.emplace_back();
                added.name = groups_.value(NameKey(group.name));
                for (const QString& user : group.users) {
                    if (const auto name = User(user, group.line)) {
                        added.users << *name;
                    }
                }
            }
        }
        if (Has(sections_, SecuritySection::Classes)) {
            add.classes = file_.classes;
        }
        if (Has(sections_, SecuritySection::RoleAccess)) {
            for (const auto& grant : file_.roleAccess) {
                if (const auto principal = Principal(grant.principal, grant.line)) {
                    add.roleAccess.push_back({grant.role, *principal, grant.line});
                }
            }
        }
        if (Has(sections_, SecuritySection::ClassAccess)) {
            for (const auto& grant : file_.classAccess) {
                const QString securityClass = classes_.value(NameKey(grant.securityClass));
                if (securityClass.isEmpty()) {
                    log_.Error(
                        fileName_, grant.line,
                        QStringLiteral("unknown security class \"%1\"").arg(grant.securityClass));
                } else if (const auto principal = Principal(grant.principal, grant.line)) {
                    add.classAccess.push_back({securityClass, *principal, grant.level, grant.line});
                }
            }
        }
        return add;
    }

    bool invalidUsers() const { return invalidUsers_; }

  private:
    std::optional<QString> User(const QString& name, int line) {
        if (const auto user = users_.constFind(NameKey(name)); user != users_.constEnd()) {
            return *user;
        }
        Unknown(name, line, QStringLiteral("is not a user of the cluster"));
        return std::nullopt;
    }
    std::optional<QString> Principal(const QString& name, int line) {
        if (const auto group = groups_.constFind(NameKey(name)); group != groups_.constEnd()) {
            return *group;
        }
        if (const auto user = users_.constFind(NameKey(name)); user != users_.constEnd()) {
            return *user;
        }
        Unknown(name, line,
                QStringLiteral("is neither a group of the application nor a user of the cluster"));
        return std::nullopt;
    }
    void Unknown(const QString& name, int line, const QString& what) {
        invalidUsers_ = true;
        log_.Warning(fileName_, line, QStringLiteral("\"%1\" %2; left out").arg(name, what));
    }

    const QString& fileName_;
    LoadLog& log_;
    Names users_, groups_, classes_;
    const SecurityContent& file_;
    const SecuritySections& sections_;
    bool invalidUsers_ = false;
};

Names ClusterUsers(const LocalApplicationSession& session) {
    const QFileInfo cluster(session.clusterPath());
    Names users;
    for (const UserInfo& user : ClusterStore::Open(cluster.path(), cluster.fileName()).Users()) {
        AddNames(users, user.name);
    }
    return users;
}

}  // namespace

LocalSecurityLoad::LocalSecurityLoad()
    : loadOptions_(std::make_shared<OptionSet>(
          std::initializer_list<DeclaredOption>{
              {option::kClear, false, {}},
              {3, false, {}},
              {4, false, {}},
              {5, false, {}},
              {6, false, {}},
              {option::kBatchFlag, false, {}},
          },
          kLoader)),
      extractOptions_(std::make_shared<OptionSet>(
          std::initializer_list<DeclaredOption>{
              {2, false, {}},
              {3, false, {}},
              {4, false, {}},
              {5, false, {}},
          },
          kLoader)) {}

void LocalSecurityLoad::SetSession(std::shared_ptr<ApplicationSession> session) {
    session_.Bind(session);
}

std::shared_ptr<LoadOptions> LocalSecurityLoad::GetLoadOptions() {
    session_.Require(Role::Security, QStringLiteral("security loads"));
    return loadOptions_;
}

std::shared_ptr<LoadOptions> LocalSecurityLoad::GetExtractOptions() {
    session_.Require(Role::Security, QStringLiteral("security extracts"));
    return extractOptions_;
}

bool LocalSecurityLoad::Load(const QString& securityFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(Role::Security, QStringLiteral("security loads"));
    const SecuritySections sections = Sections(*loadOptions_, option::kFirstLoadSection);
    const bool clear = loadOptions_->Bool(option::kClear);
    const QByteArray bytes = format::ReadWholeFile(securityFile);
    LoadLog log(logFile);
    std::vector<format::FileProblem> problems;
    SecurityContent content;
    QString stopped;
    try {
        content = format::ReadSecurityFile(bytes, securityFile, problems);
    } catch (const TarselError& error) {
        if (error.number() != code::kMalformedFile) {
            throw;
        }
        stopped = error.description();  // not text: nothing after it is read
    }
    log.Problems(securityFile, problems);
    if (!stopped.isEmpty()) {
        log.ErrorText(stopped);
    }
    Names users = ClusterUsers(session);
    ApplicationFile& file = *session.file();
    // The stored security is read in the transaction that writes, so that no other
    // writer's commit falls between them.
    sql::Transaction write(file.db(), sql::Transaction::Kind::Write);
    SecurityContent stored = ReadSecurity(file.db());
    if (clear) {
        stored = SecurityContent{{}, stored.classes, stored.classLines, {}, {}};
    }
    SecurityResolver resolver(securityFile, log, std::move(users), stored, content, sections);
    const SecurityContent add = resolver.Resolve();
    if (log.errors() > 0) {
        log.RefuseFile(QStringLiteral("security"), securityFile);
    }
    if (clear) {
        ClearSecurity(file.db());
    }
    AddSecurity(file.db(), add);
    CountChange(file.db());
    log.Note(QStringLiteral("Loaded %1%2 group(s), %3 security class(es), %4 role grant(s) and %5 "
                            "class grant(s) from %6.")
                 .arg(clear ? QStringLiteral("(after clearing the security) ") : QString())
                 .arg(add.groups.size())
                 .arg(add.classes.size())
                 .arg(add.roleAccess.size())
                 .arg(add.classAccess.size())
                 .arg(securityFile));
    log.Write();
    write.Commit();
    file.NoteChanged();
    return resolver.invalidUsers();
}

void LocalSecurityLoad::Extract(const QString& securityFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(Role::Security, QStringLiteral("security extracts"));
    sql::Database& db = session.file()->db();
    sql::Transaction read(db, sql::Transaction::Kind::Read);
    const QByteArray bytes = format::WriteSecurityFile(
        ReadSecurity(db), Sections(*extractOptions_, option::kFirstExtractSection));
    read.Commit();
    LoadLog log(logFile);
    log.Note(QStringLiteral("Extracted the security of %1 (%2 bytes) to %3.")
                 .arg(session.file()->name())
                 .arg(bytes.size())
                 .arg(securityFile));
    format::WriteWholeFile(securityFile, bytes);
    log.Write();
}

}  // namespace tarsel::local
