#include "utilities/appinfo/appinfo_reports.h"

#include <QSet>

#include "utilities/appinfo/id_table.h"

namespace appinfo {

namespace {

using tarsel::DimensionTree;
using tarsel::IdArray;
using tarsel::MemberId;

const QString kCrLf = QStringLiteral("\r\n");

// Reports progress every few thousand items, so the callback costs nothing measurable.
class Ticker {
  public:
    Ticker(const Progress& progress, qsizetype total) : progress_(progress), total_(total) {}
    void operator()(qsizetype done) const {
        if (progress_ && (done & 0xFFF) == 0) {
            progress_(done, total_);
        }
    }

  private:
    const Progress& progress_;
    qsizetype total_;
};

// Labels asked of the server once per member, however often the report names it.
class LabelCache {
  public:
    LabelCache(DimensionTree& tree, std::span<const MemberId> ids)
        : tree_(tree), labels_(ids, {}) {}
    const QString& operator()(MemberId id) {
        QString& label = labels_[id];
        if (label.isNull()) {
            label = tree_.GetMemberLabel(id);
        }
        return label;
    }

  private:
    DimensionTree& tree_;
    IdTable<QString> labels_;
};

// The labels of the members in keep, in the order in which EnumAllMemberLabels gives them.
QStringList InLabelOrder(DimensionTree& tree, const IdArray& keep) {
    if (keep.empty()) {
        return {};
    }
    QSet<QString> wanted;
    wanted.reserve(static_cast<qsizetype>(keep.size()));
    for (const MemberId id : keep) {
        wanted.insert(tree.GetMemberLabel(id));
    }
    QStringList ordered;
    ordered.reserve(wanted.size());
    for (const QString& label : tree.EnumAllMemberLabels()) {
        if (wanted.contains(label)) {
            ordered.append(label);
        }
    }
    return ordered;
}

qsizetype ListCount(DimensionTree& tree, const QString& listName) {
    const MemberId list = tree.GetMemberListID(listName);
    return list == tarsel::kNoMember
               ? 0
               : static_cast<qsizetype>(tree.EnumMembersInList(list, -1).size());
}

QString Count(qsizetype n) {
    return QString::number(n);
}

int32_t MaxGenerationDepth(DimensionTree& tree) {
    int32_t depth = 0;
    for (const MemberId top : tree.EnumChildMemberIDs(-1, -1)) {
        depth = std::max(depth, tree.GetLevelsBelow(top) + 1);
    }
    return depth;
}

QString ParentsAboveThreshold(DimensionTree& tree, qint64 threshold, const QString& typed) {
    IdArray above;
    for (const MemberId id : tree.EnumAllMemberIDs()) {
        if (tree.IsParent(id) && tree.GetNumberOfChildren(id) > threshold) {
            above.push_back(id);
        }
    }
    QString text =
        QStringLiteral("Parents with more than ") + typed + QStringLiteral(" Children: ");
    for (const QString& label : InLabelOrder(tree, above)) {
        text += kCrLf + QLatin1Char('\t') + label;
    }
    return text;
}

}  // namespace

QString SharedMembersReport(DimensionTree& tree, const Progress& progress) {
    const tarsel::ParentChildPairs walk = tree.EnumParentChildPairs();
    const IdArray& members = walk.children;
    const auto n = static_cast<qsizetype>(members.size());
    // An occurrence is reported when its member occurs again later: every occurrence but
    // the member's last one.
    IdTable<qsizetype> last(members, -1);
    IdTable<uint8_t> isParent(members, 0);
    for (qsizetype i = 0; i < n; ++i) {
        last[members[static_cast<size_t>(i)]] = i;
        const MemberId parent = walk.parents[static_cast<size_t>(i)];
        if (parent != tarsel::kNoMember) {
            isParent[parent] = 1;
        }
    }
    LabelCache label(tree, members);
    const Ticker tick(progress, n);
    QString result;
    for (qsizetype i = 0; i < n; ++i) {
        tick(i);
        const MemberId member = members[static_cast<size_t>(i)];
        if (last[member] == i) {
            continue;
        }
        const MemberId parent = walk.parents[static_cast<size_t>(i)];
        QString parentLabel = parent == tarsel::kNoMember ? QString() : label(parent);
        if (parentLabel.trimmed().isEmpty()) {
            parentLabel = QStringLiteral("<DimRoot>");
        }
        result += label(member) + QStringLiteral(" (") + parentLabel + QLatin1Char(')');
        if (isParent[member]) {
            result += QStringLiteral(" **");
        }
        result += kCrLf;
    }
    return result.isEmpty() ? QStringLiteral("No Shared Members Detected") : result;
}

std::optional<qint64> ParseThreshold(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

StatisticsReport DimensionStatistics(DimensionTree& tree, const QString& thresholdText) {
    const auto m =
        static_cast<qsizetype>(tree.EnumDescendants(-1, tarsel::kEveryOccurrence).size());
    const auto dm = static_cast<qsizetype>(tree.EnumDescendants(-1, tarsel::kEachOnce).size());
    const auto b =
        static_cast<qsizetype>(tree.EnumBaseMembers(-1, tarsel::kEveryOccurrence).size());
    const auto db = static_cast<qsizetype>(tree.EnumBaseMembers(-1, tarsel::kEachOnce).size());
    const int32_t depth = MaxGenerationDepth(tree);

    const QString gap = kCrLf + kCrLf;
    StatisticsReport report;
    QString& text = report.text;
    text = QStringLiteral("Total Members:  ") + Count(m) + gap +
           QStringLiteral("Total Distinct Members:  ") + Count(dm) + gap +
           QStringLiteral("Total Base Members:  ") + Count(b) + gap +
           QStringLiteral("Total Distinct Base Members:  ") + Count(db) + gap +
           QStringLiteral("Total Parent Members:  ") + Count(m - b) + gap +
           QStringLiteral("Total Distinct Parent Members:  ") + Count(dm - db) + gap +
           QStringLiteral("Duplicate Base Members:  ") + Count(b - db) + gap +
           QStringLiteral("Duplicate Parent Members:  ") + Count((m - b) - (dm - db)) + gap +
           QStringLiteral("Maximum Hierarchy Generation Depth:  ") + QString::number(depth);

    switch (tree.GetDimension()) {
        case tarsel::Dimension::Account:
            text += gap + QStringLiteral("System Account Members: ") +
                    Count(ListCount(tree, QStringLiteral("[System]")));
            break;
        case tarsel::Dimension::Entity:
            if (const auto threshold = ParseThreshold(thresholdText)) {
                text += gap + ParentsAboveThreshold(tree, *threshold, thresholdText);
            } else {
                report.thresholdProblem = QStringLiteral("\"") + thresholdText +
                                          QStringLiteral(
                                              "\" in \"Number of Children to Check for per Parent "
                                              "Entity:\" is not a whole number, so no parents were "
                                              "checked for it. Type a whole number such as 200.");
            }
            break;
        case tarsel::Dimension::Custom1:
            text += gap + QStringLiteral("Currency Members: ") +
                    Count(ListCount(tree, QStringLiteral("[Currencies]"))) + gap +
                    QStringLiteral("ConsolMethod Members: ") +
                    Count(ListCount(tree, QStringLiteral("[ConsolMethods]")));
            break;
        case tarsel::Dimension::Custom2:
            text += gap + QStringLiteral("Currency Members: ") +
                    Count(ListCount(tree, QStringLiteral("[Currencies]")));
            break;
        default:
            break;
    }
    return report;
}

QString BaseMemberCompareReport(DimensionTree& tree, const QString& fromParent,
                                const QString& toParent, const Progress& progress) {
    QString report = QStringLiteral("Base members under top member ") + fromParent.toUpper() +
                     QStringLiteral(" and NOT under ") + toParent.toUpper() + QStringLiteral(": ") +
                     kCrLf + kCrLf;
    const IdArray from =
        tree.EnumBaseMembers(tree.GetMemberID(fromParent), tarsel::kEveryOccurrence);
    const IdArray to = tree.EnumBaseMembers(tree.GetMemberID(toParent), tarsel::kEveryOccurrence);
    IdTable<uint8_t> under(to, 0);
    for (const MemberId id : to) {
        under[id] = 1;
    }
    LabelCache label(tree, from);
    const Ticker tick(progress, static_cast<qsizetype>(from.size()));
    for (size_t i = 0; i < from.size(); ++i) {
        tick(static_cast<qsizetype>(i));
        if (!under.Find(from[i])) {
            report += label(from[i]) + kCrLf;
        }
    }
    return report;
}

QString DuplicatesBelowParentReport(DimensionTree& tree, const QString& parent,
                                    const Progress& progress) {
    QString report = QStringLiteral("Duplicate members under parent member ") + parent.toUpper() +
                     QStringLiteral(": ") + kCrLf + kCrLf;
    const IdArray ids = tree.EnumDescendants(tree.GetMemberID(parent), tarsel::kEveryOccurrence);
    IdTable<int32_t> count(ids, 0);
    for (const MemberId id : ids) {
        ++count[id];
    }
    LabelCache label(tree, ids);
    const Ticker tick(progress, static_cast<qsizetype>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i) {
        tick(static_cast<qsizetype>(i));
        if (count[ids[i]] > 1) {
            report += label(ids[i]) + kCrLf;
        }
    }
    return report;
}

QStringList ParentMemberLabels(DimensionTree& tree, const Progress& progress) {
    const IdArray all = tree.EnumAllMemberIDs();
    const Ticker tick(progress, static_cast<qsizetype>(all.size()));
    IdArray parents;
    for (size_t i = 0; i < all.size(); ++i) {
        tick(static_cast<qsizetype>(i));
        if (tree.IsParent(all[i])) {
            parents.push_back(all[i]);
        }
    }
    return InLabelOrder(tree, parents);
}

QStringList OfferedMemberListNames(DimensionTree& tree) {
    QStringList names = tree.EnumMemberListNames();
    names.removeIf([](const QString& name) {
        return name == QLatin1String("[Hierarchy]") || name == QLatin1String("[System]");
    });
    return names;
}

MemberListDisplay ShowMemberList(DimensionTree& tree, const QString& dimensionName,
                                 const QString& listName, const QString& topMember,
                                 const Progress& progress) {
    IdArray ids;
    if (listName.startsWith(QLatin1Char('['))) {
        const MemberId top = topMember.isEmpty() ? tarsel::kNoMember : tree.GetMemberID(topMember);
        ids = tree.EnumBaseMembers(top, tarsel::kEachOnce);
    } else {
        const MemberId list = tree.GetMemberListID(listName);
        ids = tree.EnumMembersInList(list, list);
    }
    MemberListDisplay display;
    display.summary = dimensionName + QStringLiteral(" list  ");
    if (ids.empty()) {
        return display;
    }
    display.rows.reserve(static_cast<qsizetype>(ids.size()));
    const Ticker tick(progress, static_cast<qsizetype>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i) {
        tick(static_cast<qsizetype>(i));
        QString row = tree.GetMemberLabel(ids[i]);
        bool parent = false;
        try {
            parent = tree.IsParent(ids[i]);
        } catch (const std::exception&) {
            // A member whose parent test fails is shown without the marker.
        }
        if (parent) {
            row += QStringLiteral(" **");
        }
        display.rows.append(std::move(row));
    }
    display.summary += listName.toUpper() + QStringLiteral("  -  ") +
                       QString::number(display.rows.size()) + QStringLiteral(" members");
    return display;
}

}  // namespace appinfo
