#include "server/local/format/security_file.h"

#include <QSet>

#include "server/local/format/text_lines.h"

namespace tarsel::local::format {

namespace {

constexpr const char* kRoleNames[kRoleCount] = {
    "Administrator", "Metadata", "MemberLists",   "Rules",       "Security",
    "Data",          "Journals", "Consolidation", "Calculation", "InvalidRecords",
};
constexpr const char* kLevelNames[] = {"None", "Read", "Promote", "All"};
constexpr const char* kSectionNames[kSecuritySectionCount] = {
    "USERS_AND_GROUPS", "SECURITY_CLASSES", "ROLE_ACCESS", "SECURITY_CLASS_ACCESS"};

template <typename Enum, size_t N>
std::optional<Enum> ParseName(const char* const (&names)[N], const QString& name) {
    for (size_t i = 0; i < N; ++i) {
        if (name.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0) {
            return static_cast<Enum>(i);
        }
    }
    return std::nullopt;
}

template <size_t N>
QString Names(const char* const (&names)[N]) {
    QStringList all;
    for (const char* name : names) {
        all << QLatin1String(name);
    }
    return all.join(QStringLiteral(", "));
}

class SecurityReader {
  public:
    explicit SecurityReader(std::vector<FileProblem>& errors) : errors_(errors) {}

    void Line(int number, QByteArrayView raw) {
        line_ = number;
        const QString text = QString::fromUtf8(raw);
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'\'')) {
            return;
        }
        if (trimmed.startsWith(u'!')) {
            Section(trimmed.mid(1).trimmed());
            return;
        }
        QStringList fields;
        if (const QString why = SplitFields(raw, fields); !why.isEmpty()) {
            Error(why);
            return;
        }
        if (std::any_of(fields.begin(), fields.end(),
                        [](const QString& f) { return f.isEmpty(); })) {
            Error(QStringLiteral("an empty field"));
            return;
        }
        if (!section_) {
            Error(QStringLiteral("a record before the first section (such as !ROLE_ACCESS)"));
            return;
        }
        switch (*section_) {
            case SecuritySection::UsersAndGroups:
                Group(fields);
                break;
            case SecuritySection::Classes:
                Class(fields);
                break;
            case SecuritySection::RoleAccess:
                RoleAccess(fields);
                break;
            case SecuritySection::ClassAccess:
                ClassAccess(fields);
                break;
        }
    }

    SecurityContent Take() { return std::move(content_); }

  private:
    void Error(const QString& reason) { errors_.push_back({line_, true, reason}); }

    // False (and an error) when the record has not the fields the section wants.
    bool Fields(const QStringList& fields, qsizetype count, const char* shape) {
        if (fields.size() == count) {
            return true;
        }
        Error(QStringLiteral("%1 field(s) where the section wants %2 (%3)")
                  .arg(fields.size())
                  .arg(count)
                  .arg(QLatin1String(shape)));
        return false;
    }
    // False (and an error) when key was given before in this section.
    bool Once(QSet<QString>& seen, const QString& key, const QString& what) {
        if (seen.contains(key.toCaseFolded())) {
            Error(QStringLiteral("%1 is given twice").arg(what));
            return false;
        }
        seen.insert(key.toCaseFolded());
        return true;
    }

    void Section(const QString& name) {
        const auto section = ParseName<SecuritySection>(kSectionNames, name);
        if (!section) {
            Error(QStringLiteral("unknown section \"!%1\" (the sections are %2)")
                      .arg(name, Names(kSectionNames)));
            section_.reset();
            return;
        }
        const auto index = static_cast<size_t>(*section);
        if (sectionLines_[index] > 0) {
            Error(QStringLiteral("section !%1 is given twice (first on line %2)")
                      .arg(QLatin1String(kSectionNames[index]))
                      .arg(sectionLines_[index]));
        }
        sectionLines_[index] = line_;
        section_ = section;
    }

    void Group(const QStringList& fields) {
        if (!Once(groups_, fields[0], QStringLiteral("the group \"%1\"").arg(fields[0]))) {
            return;
        }
        SecurityGroup group{fields[0], {}, line_};
        QSet<QString> users;
        for (qsizetype i = 1; i < fields.size(); ++i) {
            if (Once(users, fields[i],
                     QStringLiteral("the user \"%1\" of group \"%2\"").arg(fields[i], fields[0]))) {
                group.users << fields[i];
            }
        }
        content_.groups.push_back(std::move(group));
    }

    void Class(const QStringList& fields) {
        if (Fields(fields, 1, "class") &&
            Once(classes_, fields[0], QStringLiteral("the security class \"%1\"").arg(fields[0]))) {
            content_.classes << fields[0];
            content_.classLines.push_back(line_);
        }
    }

    void RoleAccess(const QStringList& fields) {
        if (!Fields(fields, 2, "role;user or group")) {
            return;
        }
        const auto role = ParseName<Role>(kRoleNames, fields[0]);
        if (!role) {
            Error(QStringLiteral("unknown role \"%1\" (the roles are %2)")
                      .arg(fields[0], Names(kRoleNames)));
            return;
        }
        if (Once(roleGrants_, RoleName(*role) + u'\x1f' + fields[1],
                 QStringLiteral("the role %1 of \"%2\"").arg(RoleName(*role), fields[1]))) {
            content_.roleAccess.push_back({*role, fields[1], line_});
        }
    }

    void ClassAccess(const QStringList& fields) {
        if (!Fields(fields, 3, "security class;user or group;level")) {
            return;
        }
        const auto level = ParseName<AccessLevel>(kLevelNames, fields[2]);
        if (!level) {
            Error(QStringLiteral("unknown access level \"%1\" (the levels are %2)")
                      .arg(fields[2], Names(kLevelNames)));
            return;
        }
        if (Once(classGrants_, fields[0] + u'\x1f' + fields[1],
                 QStringLiteral("the access of \"%1\" to the class \"%2\"")
                     .arg(fields[1], fields[0]))) {
            content_.classAccess.push_back({fields[0], fields[1], *level, line_});
        }
    }

    std::vector<FileProblem>& errors_;
    int line_ = 0;
    std::optional<SecuritySection> section_;
    std::array<int, kSecuritySectionCount> sectionLines_{};
    QSet<QString> groups_, classes_, roleGrants_, classGrants_;
    SecurityContent content_;
};

}  // namespace

QString RoleName(Role role) {
    return QLatin1String(kRoleNames[static_cast<size_t>(role)]);
}

std::optional<Role> ParseRole(const QString& name) {
    return ParseName<Role>(kRoleNames, name);
}

QString AccessLevelName(AccessLevel level) {
    return QLatin1String(kLevelNames[static_cast<size_t>(level)]);
}

std::optional<AccessLevel> ParseAccessLevel(const QString& name) {
    return ParseName<AccessLevel>(kLevelNames, name);
}

SecurityContent ReadSecurityFile(const QByteArray& bytes, const QString& fileName,
                                 std::vector<FileProblem>& errors) {
    LineReader lines(bytes, fileName);
    SecurityReader reader(errors);
    while (lines.Next()) {
        reader.Line(lines.LineNumber(), lines.Line());
    }
    return reader.Take();
}

QByteArray WriteSecurityFile(const SecurityContent& content, const SecuritySections& sections) {
    QStringList lines;
    auto section = [&](SecuritySection s) {
        const bool chosen = sections[static_cast<size_t>(s)];
        if (chosen) {
            lines << QStringLiteral("!") + QLatin1String(kSectionNames[static_cast<size_t>(s)]);
        }
        return chosen;
    };
    if (section(SecuritySection::UsersAndGroups)) {
        for (const SecurityGroup& group : content.groups) {
            lines << JoinFields(QStringList{group.name} + group.users);
        }
    }
    if (section(SecuritySection::Classes)) {
        for (const QString& name : content.classes) {
            lines << JoinFields({name});
        }
    }
    if (section(SecuritySection::RoleAccess)) {
        for (const RoleGrant& grant : content.roleAccess) {
            lines << JoinFields({RoleName(grant.role), grant.principal});
        }
    }
    if (section(SecuritySection::ClassAccess)) {
        for (const ClassGrant& grant : content.classAccess) {
            lines << JoinFields(
                {grant.securityClass, grant.principal, AccessLevelName(grant.level)});
        }
    }
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8() + "\r\n";
    }
    return bytes;
}

}  // namespace tarsel::local::format
