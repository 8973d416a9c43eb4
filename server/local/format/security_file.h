#pragma once
// The security file of an application (docs/formats.md, "Security files"): the groups of
// the cluster's users, security classes, role access and security class access, each in a
// section of its own; and the roles and access levels the local server knows.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "server/local/format/file_problem.h"

namespace tarsel::local::format {

// The roles of an application. Administrator allows everything; each other role allows
// the loads, scans and extracts of its kind, or its calculation.
enum class Role {
    Administrator,
    Metadata,
    MemberLists,
    Rules,
    Security,
    Data,
    Journals,
    Consolidation,
    Calculation,
    InvalidRecords,
};
inline constexpr int kRoleCount = 10;
QString RoleName(Role role);
// Compared without regard to case.
std::optional<Role> ParseRole(const QString& name);

// What a user may do with the cells of a security class, each level including the ones
// before it: Read them, Promote (process) them, All (also write them).
enum class AccessLevel { None, Read, Promote, All };
QString AccessLevelName(AccessLevel level);
std::optional<AccessLevel> ParseAccessLevel(const QString& name);

enum class SecuritySection { UsersAndGroups, Classes, RoleAccess, ClassAccess };
inline constexpr int kSecuritySectionCount = 4;
// Which sections a load applies or an extract writes, indexed by SecuritySection.
using SecuritySections = std::array<bool, kSecuritySectionCount>;

struct SecurityGroup {
    QString name;
    QStringList users;
    int line = 0;  // where the file names it (0 when read from the store)
};
struct RoleGrant {
    Role role;
    QString principal;  // a user or a group
    int line = 0;
};
struct ClassGrant {
    QString securityClass;
    QString principal;
    AccessLevel level;
    int line = 0;
};

struct SecurityContent {
    std::vector<SecurityGroup> groups;
    QStringList classes;
    std::vector<int> classLines;  // parallel to classes
    std::vector<RoleGrant> roleAccess;
    std::vector<ClassGrant> classAccess;
};

// Reads every record, putting each problem into errors (an unknown section, a section
// given twice, a wrong number of fields, an unknown role or level, a name given twice)
// and going on with the next line. A file that is not text (invalid UTF-8, a NUL byte)
// fails with kMalformedFile naming the line.
SecurityContent ReadSecurityFile(const QByteArray& bytes, const QString& fileName,
                                 std::vector<FileProblem>& errors);

// The sections chosen, in the canonical form the reader reads back to the same content.
QByteArray WriteSecurityFile(const SecurityContent& content, const SecuritySections& sections);

}  // namespace tarsel::local::format
