#include "server/local/format/app_text.h"

#include <algorithm>

#include "server/local/format/app_attributes.h"
#include "server/local/format/text_lines.h"
#include "server/tarsel_error.h"

namespace tarsel::local::format {

namespace {

constexpr qsizetype kBase64LineLength = 76;

void RequireWritable(const QString& text, const QString& what) {
    if (HasLineBreak(text)) {
        ThrowClientError(
            code::kMalformedFile,
            QStringLiteral("%1 holds a line break, which an .app file cannot carry").arg(what));
    }
}

void AppendLine(QByteArray& out, const QString& line) {
    out.append(line.toUtf8());
    out.append("\r\n");
}

}  // namespace

QString SectionHeader(const char* section, Dimension dimension) {
    return u'!' + QLatin1String(section) + u'=' + DimensionDisplayName(dimension);
}

QString MemberLine(Dimension dimension, const MemberModel& member) {
    QString line = QuoteField(member.label);
    for (const AppAttribute& attribute : AppAttributes()) {
        if (!attribute.AppliesTo(dimension)) {
            continue;
        }
        const QString value = attribute.write(member);
        if (!value.isEmpty()) {
            line += u';';
            line += QuoteField(attribute.Name() + u'=' + value);
        }
    }
    return line;
}

QString DescriptionLine(const QString& label, const QString& language, const QString& text) {
    return JoinFields({label, language, text});
}

QString RelationLine(const QString& parent, const QString& child) {
    return JoinFields({parent, child});
}

QByteArray WriteAppText(const AppModel& model) {
    QByteArray out;
    AppendLine(out, QStringLiteral("!FILE_FORMAT=%1").arg(kAppFormatVersion));
    const auto writeNames = [&](const char* header, const QStringList& names) {
        if (names.isEmpty()) {
            return;
        }
        AppendLine(out, QLatin1String(header));
        for (const QString& name : names) {
            RequireWritable(name, QStringLiteral("The name \"%1\"").arg(name));
            AppendLine(out, QuoteField(name));
        }
    };
    writeNames("!LANGUAGES", model.languages);
    writeNames("!SECURITY_CLASSES", model.securityClasses);

    for (int d = 0; d < kDimensionCount; ++d) {
        const auto dimension = static_cast<Dimension>(d);
        const DimensionModel& dim = model.dim(dimension);
        if (!dim.members.empty()) {
            AppendLine(out, SectionHeader("MEMBERS", dimension));
            for (const MemberModel& m : dim.members) {
                const QString line = MemberLine(dimension, m);
                RequireWritable(line, QStringLiteral("Member \"%1\"").arg(m.label));
                AppendLine(out, line);
            }
            bool anyDescription = false;
            for (const MemberModel& m : dim.members) {
                const qsizetype n = std::min(m.descriptions.size(), model.languages.size());
                for (qsizetype l = 0; l < n; ++l) {
                    if (m.descriptions[l].isEmpty()) {
                        continue;
                    }
                    if (!anyDescription) {
                        AppendLine(out, SectionHeader("DESCRIPTIONS", dimension));
                        anyDescription = true;
                    }
                    const QString line =
                        DescriptionLine(m.label, model.languages[l], m.descriptions[l]);
                    RequireWritable(line, QStringLiteral("The description of \"%1\"").arg(m.label));
                    AppendLine(out, line);
                }
            }
        }
        if (!dim.hierarchy.empty()) {
            AppendLine(out, SectionHeader("HIERARCHIES", dimension));
            for (const RelationModel& r : dim.hierarchy) {
                AppendLine(out, RelationLine(r.parent, r.child));
            }
        }
        if (!dim.memberLists.empty()) {
            AppendLine(out, SectionHeader("MEMBER_LISTS", dimension));
            for (const MemberListModel& list : dim.memberLists) {
                RequireWritable(list.name, QStringLiteral("The list name \"%1\"").arg(list.name));
                if (list.entries.empty()) {
                    AppendLine(out, QuoteField(list.name));
                }
                for (const MemberListEntry& e : list.entries) {
                    AppendLine(out, e.parent.isEmpty()
                                        ? JoinFields({list.name, e.member})
                                        : JoinFields({list.name, e.member, e.parent}));
                }
            }
        }
    }

    if (model.memberListFile) {
        AppendLine(out, QStringLiteral("!MEMBER_LIST_FILE"));
        const QByteArray encoded = model.memberListFile->toBase64();
        for (qsizetype i = 0; i < encoded.size(); i += kBase64LineLength) {
            out.append(encoded.mid(i, kBase64LineLength));
            out.append("\r\n");
        }
    }
    return out;
}

}  // namespace tarsel::local::format
