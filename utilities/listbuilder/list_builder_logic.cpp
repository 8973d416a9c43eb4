#include "utilities/listbuilder/list_builder_logic.h"

#include <QHash>

#include "server/local/format/member_list_writer.h"

namespace listbuilder {

namespace {

constexpr int kDescriptionLanguage = 0;
constexpr qsizetype kProgressInterval = 4096;

QString MemberText(const QString& label, const QString& description) {
    return label + QLatin1String(" - ") + description;
}

}  // namespace

Pickers LoadPickers(tarsel::DimensionTree& dimension, const LoadProgress& progress) {
    Pickers pickers;
    // A shared member is read from the server once, however often it occurs.
    QHash<tarsel::MemberId, FlatItem> members;
    const auto member = [&](tarsel::MemberId id) -> const FlatItem& {
        auto it = members.constFind(id);
        if (it == members.constEnd()) {
            const QString label = dimension.GetMemberLabel(id);
            it = members.insert(id, {label, MemberText(label, dimension.GetMemberDescription(
                                                                  id, kDescriptionLanguage))});
        }
        return it.value();
    };

    const tarsel::IdArray all = dimension.EnumAllMemberIDs();
    pickers.items.reserve(all.size());
    members.reserve(static_cast<qsizetype>(all.size()));
    for (const tarsel::MemberId id : all) {
        pickers.items.push_back(member(id));
    }

    const tarsel::ParentChildPairs pairs = dimension.EnumParentChildPairs();
    const qsizetype total = static_cast<qsizetype>(pairs.children.size());
    pickers.nodes.reserve(pairs.children.size());
    // The most recently added node of each member: the node its next child hangs below.
    QHash<tarsel::MemberId, int> lastNode;
    lastNode.reserve(static_cast<qsizetype>(all.size()));
    for (qsizetype k = 0; k < total; ++k) {
        const auto position = static_cast<size_t>(k);
        const tarsel::MemberId child = pairs.children[position];
        const tarsel::MemberId parent =
            position < pairs.parents.size() ? pairs.parents[position] : tarsel::kNoMember;
        const FlatItem& item = member(child);
        const int parentNode = parent == tarsel::kNoMember ? -1 : lastNode.value(parent, -1);
        pickers.nodes.push_back(
            {QLatin1String("INDX") + QString::number(k) + u'C' + QString::number(child), item.label,
             item.text, parentNode});
        lastNode.insert(child, static_cast<int>(pickers.nodes.size() - 1));
        if (progress && (k + 1) % kProgressInterval == 0) {
            progress(k + 1, total);
        }
    }
    return pickers;
}

QString GenerateListSyntax(const QString& dimensionName, const QString& listName,
                           const QStringList& members) {
    tarsel::local::MemberListModel list{listName, {}};
    list.entries.reserve(static_cast<size_t>(members.size()));
    for (const QString& label : members) {
        list.entries.push_back({label, {}});
    }
    return tarsel::local::format::WriteMemberListScript(dimensionName, list);
}

QString ListWrittenText(const QString& dimensionName, const QString& listName,
                        qsizetype memberCount) {
    return dimensionName + QLatin1String(" List '") + listName +
           QLatin1String("' successfully written.  The list contains ") +
           QString::number(memberCount) +
           QLatin1String(
               " members.\r\rThis syntax will need to be saved or copied directly "
               "from here to your existing list file, then uploaded to Tarsel to "
               "see any changes reflected in your application.");
}

ListMembers ReadListMembers(tarsel::DimensionTree& dimension, const QString& dimensionName,
                            const QString& listName) {
    ListMembers result;
    const tarsel::MemberId listId = dimension.GetMemberListID(listName);
    const tarsel::IdArray ids = dimension.EnumMembersInList(listId, listId);
    result.summary = dimensionName + QLatin1String(" list  ");
    if (ids.empty()) {
        return result;
    }
    for (const tarsel::MemberId id : ids) {
        QString text = dimension.GetMemberLabel(id);
        // A member whose kind cannot be told is shown without the mark, as a base member.
        bool parent = false;
        try {
            parent = dimension.IsParent(id);
        } catch (const tarsel::TarselError&) {
        }
        if (parent) {
            text += QLatin1String(" **");
        }
        result.items.append(text);
    }
    result.summary += listName.toUpper() + QLatin1String("  -  ") +
                      QString::number(result.items.size()) + QLatin1String(" members");
    return result;
}

QString CurrentListFileText(tarsel::SystemInfo& systemInfo) {
    const tarsel::MemberListFile file = systemInfo.GetMemberListFile();
    if (!file.present) {
        return QStringLiteral("No member list file is present in the system.");
    }
    // The local server keeps the file as UTF-8.
    return QString::fromUtf8(file.content);
}

}  // namespace listbuilder
