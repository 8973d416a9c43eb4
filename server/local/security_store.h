#pragma once
// The rules file and the security of an application file, and every SQL statement about
// them. Tables (created with the application, store version 2):
//   rules_file(id = 0, content)              absent row: no rules file loaded
//   security_groups(seq, key, name)          seq = the order defined; key = NameKey(name)
//   security_group_users(group_seq, seq, key, name)   the users of each group, in order
//   role_access(seq, role, key, principal)   role by name; principal a user or a group
//   class_access(seq, class_key, class, key, principal, level)   level 0 None .. 3 All
// Security classes themselves are the metadata's (security_classes of app_schema.h):
// members refer to them by id. Class access names a class by its name, so that a
// metadata load that numbers the classes afresh leaves the access where it was.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "server/local/format/security_file.h"
#include "server/local/sqlite_db.h"

namespace tarsel::local {

// Creates the tables in the caller's transaction (with the other tables of a new file).
void CreateSecurityTables(sql::Database& db);

std::optional<QByteArray> StoredRulesFile(sql::Database& db);
// In the caller's write transaction; does not count the change.
void StoreRulesFile(sql::Database& db, const QByteArray& bytes);

// The stored security: groups in the order defined, every security class of the
// application in id order, grants in the order given; names as stored (a class as the
// application now spells it).
format::SecurityContent ReadSecurity(sql::Database& db);

// Removes every group and every grant, in the caller's write transaction. The security
// classes stay: members refer to them, and only a metadata load changes them.
void ClearSecurity(sql::Database& db);

// Adds, in the caller's write transaction, what content has and the store has not:
// groups, users of groups, security classes (after the stored ones) and role grants; a
// class grant replaces the level stored for that class and principal. Every name must
// already be checked and spelled as stored (users as the cluster spells them).
void AddSecurity(sql::Database& db, const format::SecurityContent& content);

struct UserRoles {
    bool anyRoleGranted = false;      // false: the application has no role access loaded
    std::vector<format::Role> roles;  // the user's own and its groups'
};
UserRoles RolesOf(sql::Database& db, const QString& user);

// The security classes whose cells user may write (level All, through its own grants or
// its groups'). every is true when the application has no class access loaded.
struct WritableClasses {
    bool every = true;
    std::vector<int32_t> classIds;  // ids of security_classes, ascending
};
WritableClasses WritableSecurityClasses(sql::Database& db, const QString& user);

}  // namespace tarsel::local
