#pragma once
// The reports computed the plain way, one server call per occurrence and a search of
// every later entry: the yardstick the fast reports are checked and timed against.
// Quadratic, so only for dimensions of some thousands of occurrences.

#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "server/tarsel.h"

namespace appinfo_literal {

using tarsel::DimensionTree;
using tarsel::IdArray;
using tarsel::MemberId;

inline void WalkChildren(DimensionTree& tree, MemberId parent,
                         std::vector<std::pair<MemberId, MemberId>>& table) {
    for (const MemberId child : tree.EnumChildMemberIDs(-1, parent)) {
        table.emplace_back(child, parent);
        WalkChildren(tree, child, table);
    }
}

inline QString SharedMembers(DimensionTree& tree) {
    std::vector<std::pair<MemberId, MemberId>> table;  // (member, parent)
    for (const MemberId top : tree.EnumChildMemberIDs(-1, -1)) {
        table.emplace_back(top, -1);
        WalkChildren(tree, top, table);
    }
    QString result;
    for (size_t i = 0; i < table.size(); ++i) {
        for (size_t j = i + 1; j < table.size(); ++j) {
            if (table[j].first != table[i].first) {
                continue;
            }
            QString parentLabel = tree.GetMemberLabel(table[i].second);
            if (parentLabel.trimmed().isEmpty()) {
                parentLabel = QStringLiteral("<DimRoot>");
            }
            QString line =
                tree.GetMemberLabel(table[i].first) + QStringLiteral(" (") + parentLabel + ")";
            if (tree.IsParent(table[i].first)) {
                line += QStringLiteral(" **");
            }
            result += line + QStringLiteral("\r\n");
            break;
        }
    }
    return result.isEmpty() ? QStringLiteral("No Shared Members Detected") : result;
}

inline QStringList ParentLabels(DimensionTree& tree) {
    QStringList parents;
    for (const QString& label : tree.EnumAllMemberLabels()) {
        if (tree.IsParent(tree.GetMemberID(label))) {
            parents.append(label);
        }
    }
    return parents;
}

inline QString Compare(DimensionTree& tree, const QString& from, const QString& to) {
    QString report = QStringLiteral("Base members under top member ") + from.toUpper() +
                     QStringLiteral(" and NOT under ") + to.toUpper() +
                     QStringLiteral(": \r\n\r\n");
    const IdArray a = tree.EnumBaseMembers(tree.GetMemberID(from), tarsel::kEveryOccurrence);
    const IdArray b = tree.EnumBaseMembers(tree.GetMemberID(to), tarsel::kEveryOccurrence);
    for (const MemberId id : a) {
        bool found = false;
        for (const MemberId other : b) {
            if (other == id) {
                found = true;
            }
        }
        if (!found) {
            report += tree.GetMemberLabel(id) + QStringLiteral("\r\n");
        }
    }
    return report;
}

inline QString Duplicates(DimensionTree& tree, const QString& parent) {
    QString report = QStringLiteral("Duplicate members under parent member ") + parent.toUpper() +
                     QStringLiteral(": \r\n\r\n");
    const IdArray ids = tree.EnumDescendants(tree.GetMemberID(parent), tarsel::kEveryOccurrence);
    for (const MemberId id : ids) {
        int count = 0;
        for (const MemberId other : ids) {
            count += other == id ? 1 : 0;
        }
        if (count > 1) {
            report += tree.GetMemberLabel(id) + QStringLiteral("\r\n");
        }
    }
    return report;
}

// The parents-above-threshold block of the Entity statistics.
inline QString ParentsAbove(DimensionTree& tree, int threshold, const QString& typed) {
    QString list;
    for (const QString& label : tree.EnumAllMemberLabels()) {
        const MemberId id = tree.GetMemberID(label);
        if (tree.IsParent(id) && tree.GetNumberOfChildren(id) > threshold) {
            list += QStringLiteral("\r\n\t") + tree.GetMemberLabel(id);
        }
    }
    return QStringLiteral("Parents with more than ") + typed + QStringLiteral(" Children: ") + list;
}

}  // namespace appinfo_literal
