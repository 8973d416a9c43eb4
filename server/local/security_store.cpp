#include "server/local/security_store.h"

#include <QHash>
#include <algorithm>

#include "server/local/store_names.h"

namespace tarsel::local {

namespace {

using format::AccessLevel;

constexpr const char* kSecuritySchema = R"sql(
CREATE TABLE rules_file(id INTEGER PRIMARY KEY CHECK(id = 0), content BLOB NOT NULL);
CREATE TABLE security_groups(seq INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE,
  name TEXT NOT NULL);
CREATE TABLE security_group_users(group_seq INTEGER NOT NULL, seq INTEGER NOT NULL,
  key TEXT NOT NULL, name TEXT NOT NULL, PRIMARY KEY(group_seq, seq),
  UNIQUE(group_seq, key)) WITHOUT ROWID;
CREATE TABLE role_access(seq INTEGER PRIMARY KEY, role TEXT NOT NULL, key TEXT NOT NULL,
  principal TEXT NOT NULL, UNIQUE(role, key));
CREATE TABLE class_access(seq INTEGER PRIMARY KEY, class_key TEXT NOT NULL,
  class TEXT NOT NULL, key TEXT NOT NULL, principal TEXT NOT NULL, level INTEGER NOT NULL,
  UNIQUE(class_key, key));
)sql";

// A grant to the principals the user ?1 (a key) acts as: itself and its groups.
constexpr const char* kGrantedToUser =
    " WHERE (key = ?1 OR key IN (SELECT g.key FROM security_groups g JOIN "
    "security_group_users u ON u.group_seq = g.seq WHERE u.key = ?1))";

// key -> id of every security class.
QHash<QString, int32_t> ClassIds(sql::Database& db, QStringList* names = nullptr) {
    QHash<QString, int32_t> ids;
    sql::Statement q(db, "SELECT id, name FROM security_classes ORDER BY id");
    while (q.Step()) {
        const QString name = q.Text(1);
        ids.insert(NameKey(name), static_cast<int32_t>(q.Int(0)));
        if (names) {
            *names << name;
        }
    }
    return ids;
}

}  // namespace

void CreateSecurityTables(sql::Database& db) {
    db.Exec(kSecuritySchema);
}

std::optional<QByteArray> StoredRulesFile(sql::Database& db) {
    sql::Statement q(db, "SELECT content FROM rules_file WHERE id = 0");
    if (q.Step()) {
        return q.Blob(0);
    }
    return std::nullopt;
}

void StoreRulesFile(sql::Database& db, const QByteArray& bytes) {
    sql::Statement put(db, "INSERT OR REPLACE INTO rules_file(id, content) VALUES(0, ?1)");
    put.BindBlob(1, bytes).Run();
}

format::SecurityContent ReadSecurity(sql::Database& db) {
    format::SecurityContent content;
    {
        sql::Statement q(db,
                         "SELECT g.name, u.name FROM security_groups g LEFT JOIN "
                         "security_group_users u ON u.group_seq = g.seq ORDER BY g.seq, u.seq");
        while (q.Step()) {
            const QString group = q.Text(0);
            if (content.groups.empty() || content.groups.back().name != group) {
                content.groups.push_back({group, {}, 0});
            }
            if (!q.IsNull(1)) {
                content.groups.back().users << q.Text(1);
            }
        }
    }
    const QHash<QString, int32_t> classIds = ClassIds(db, &content.classes);
    content.classLines.assign(static_cast<size_t>(content.classes.size()), 0);
    {
        sql::Statement q(db, "SELECT role, principal FROM role_access ORDER BY seq");
        while (q.Step()) {
            if (const auto role = format::ParseRole(q.Text(0))) {
                content.roleAccess.push_back({*role, q.Text(1), 0});
            }
        }
    }
    {
        sql::Statement q(db,
                         "SELECT class_key, class, principal, level FROM class_access ORDER BY "
                         "seq");
        while (q.Step()) {
            const auto id = classIds.constFind(q.Text(0));
            content.classAccess.push_back(
                {id != classIds.constEnd() ? content.classes[*id] : q.Text(1), q.Text(2),
                 static_cast<AccessLevel>(std::clamp<int64_t>(q.Int(3), 0, 3)), 0});
        }
    }
    return content;
}

void ClearSecurity(sql::Database& db) {
    db.Exec(
        "DELETE FROM security_group_users; DELETE FROM security_groups;"
        "DELETE FROM role_access; DELETE FROM class_access;");
}

void AddSecurity(sql::Database& db, const format::SecurityContent& content) {
    {
        sql::Statement group(db, "INSERT OR IGNORE INTO security_groups(key, name) VALUES(?1, ?2)");
        sql::Statement user(db,
                            "INSERT OR IGNORE INTO security_group_users(group_seq, seq, key, name) "
                            "SELECT g.seq, (SELECT COALESCE(MAX(seq) + 1, 0) FROM "
                            "security_group_users WHERE group_seq = g.seq), ?2, ?3 "
                            "FROM security_groups g WHERE g.key = ?1");
        for (const format::SecurityGroup& g : content.groups) {
            const QString key = NameKey(g.name);
            group.Bind(1, key).Bind(2, g.name).Run();
            for (const QString& name : g.users) {
                const QString userKey = NameKey(name);
                user.Bind(1, key).Bind(2, userKey).Bind(3, name).Run();
            }
        }
    }
    {
        const QHash<QString, int32_t> stored = ClassIds(db);
        sql::Statement put(db,
                           "INSERT INTO security_classes(id, name) VALUES((SELECT "
                           "COALESCE(MAX(id) + 1, 0) FROM security_classes), ?1)");
        for (const QString& name : content.classes) {
            if (!stored.contains(NameKey(name))) {
                put.Bind(1, name).Run();
            }
        }
    }
    {
        sql::Statement put(db,
                           "INSERT OR IGNORE INTO role_access(role, key, principal) "
                           "VALUES(?1, ?2, ?3)");
        for (const format::RoleGrant& grant : content.roleAccess) {
            const QString role = format::RoleName(grant.role);
            const QString key = NameKey(grant.principal);
            put.Bind(1, role).Bind(2, key).Bind(3, grant.principal).Run();
        }
    }
    {
        sql::Statement put(db,
                           "INSERT INTO class_access(class_key, class, key, principal, level) "
                           "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(class_key, key) DO UPDATE "
                           "SET level = excluded.level");
        for (const format::ClassGrant& grant : content.classAccess) {
            const QString classKey = NameKey(grant.securityClass);
            const QString key = NameKey(grant.principal);
            put.Bind(1, classKey)
                .Bind(2, grant.securityClass)
                .Bind(3, key)
                .Bind(4, grant.principal)
                .Bind(5, static_cast<int>(grant.level))
                .Run();
        }
    }
}

UserRoles RolesOf(sql::Database& db, const QString& user) {
    UserRoles roles;
    roles.anyRoleGranted = db.QueryInt("SELECT EXISTS(SELECT 1 FROM role_access)") != 0;
    if (!roles.anyRoleGranted) {
        return roles;
    }
    sql::Statement q(db, std::string("SELECT role FROM role_access") + kGrantedToUser);
    const QString key = NameKey(user);
    q.Bind(1, key);
    while (q.Step()) {
        if (const auto role = format::ParseRole(q.Text(0))) {
            roles.roles.push_back(*role);
        }
    }
    return roles;
}

WritableClasses WritableSecurityClasses(sql::Database& db, const QString& user) {
    WritableClasses writable;
    writable.every = db.QueryInt("SELECT EXISTS(SELECT 1 FROM class_access)") == 0;
    if (writable.every) {
        return writable;
    }
    const QHash<QString, int32_t> classIds = ClassIds(db);
    sql::Statement q(db, std::string("SELECT class_key, MAX(level) FROM class_access") +
                             kGrantedToUser + " GROUP BY class_key");
    const QString key = NameKey(user);
    q.Bind(1, key);
    while (q.Step()) {
        const auto id = classIds.constFind(q.Text(0));
        if (id != classIds.constEnd() && q.Int(1) == static_cast<int>(AccessLevel::All)) {
            writable.classIds.push_back(*id);
        }
    }
    std::sort(writable.classIds.begin(), writable.classIds.end());
    return writable;
}

}  // namespace tarsel::local
