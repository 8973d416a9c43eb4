#include "utilities/viewer/view_tree.h"

#include <QSet>
#include <unordered_map>
#include <unordered_set>

namespace viewer {

using tarsel::IdArray;
using tarsel::MemberId;

QStringList ViewNode::items() const {
    QStringList result;
    result.reserve(static_cast<qsizetype>(itemLengths.size()));
    qsizetype offset = labelLength + 3 + descriptionLength + 2;
    for (int length : itemLengths) {
        result.push_back(text.mid(offset, length));
        offset += length + 2;
    }
    return result;
}

ViewNode MakeNode(const MemberText& text, bool showAttributes) {
    ViewNode node;
    node.text = ComposeMemberText(text, showAttributes);
    if (node.text.isEmpty()) {
        return node;
    }
    node.labelLength = static_cast<int>(text.label.size());
    node.descriptionLength = static_cast<int>(text.description.size());
    if (showAttributes) {
        node.itemLengths.reserve(text.attributes.size());
        for (const auto& item : text.attributes) {
            node.itemLengths.push_back(static_cast<int>(item.name.size() + 1 + item.value.size()));
        }
    }
    return node;
}

namespace {

const QString kRootPart = QStringLiteral("-1_ROOT");

QString KeyPart(MemberId id, const QString& label) {
    return QString::number(id) + QLatin1Char('_') + label;
}

void ReportProgress(const BuildProgress& progress, const ViewTree& tree) {
    if (progress && tree.nodes.size() % kProgressInterval == 0) {
        progress(static_cast<int>(tree.nodes.size()));
    }
}

}  // namespace

void BuildHierarchy(tarsel::DimensionTree& dimension, MemberTextSource& texts, ViewTree& tree,
                    const BuildProgress& progress) {
    tree.clear();
    const bool show = texts.options().showAttributes;

    // An explicit stack, so a very deep hierarchy cannot exhaust the call stack.
    struct Frame {
        int parentNode;  // -1 for the top level
        IdArray children;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    std::vector<QString> partOfNode;  // "id_label" of each node, the parent part of its children
    std::unordered_set<MemberId> ancestors;
    // A shared member's label and text are read at its first occurrence; the later ones
    // share them.
    struct Read {
        QString label;
        ViewNode node;
    };
    std::unordered_map<MemberId, Read> read;

    stack.push_back({-1, dimension.EnumChildMemberIDs(-1, -1)});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next >= frame.children.size()) {
            if (frame.parentNode >= 0) {
                ancestors.erase(tree.nodes[static_cast<size_t>(frame.parentNode)].id);
            }
            stack.pop_back();
            continue;
        }
        const MemberId id = frame.children[frame.next++];
        const int parentNode = frame.parentNode;
        auto known = read.find(id);
        if (known == read.end()) {
            const QString label = dimension.GetMemberLabel(id);
            known = read.emplace(id, Read{label, MakeNode(texts.Read(id, label), show)}).first;
        }
        const QString& label = known->second.label;
        ViewNode node = known->second.node;
        node.id = id;
        node.parent = parentNode;
        node.level = parentNode < 0 ? 1 : tree.nodes[static_cast<size_t>(parentNode)].level + 1;
        const QString part = KeyPart(id, label);
        const QString& parentPart =
            parentNode < 0 ? kRootPart : partOfNode[static_cast<size_t>(parentNode)];
        node.tag.reserve(parentPart.size() + 1 + part.size());
        node.tag += parentPart;
        node.tag += QLatin1Char('#');
        node.tag += part;
        const bool cycle = ancestors.count(id) != 0;
        // Children are asked for before the node is counted, so a failure leaves only
        // nodes whose place in the tree is complete.
        IdArray children = cycle ? IdArray{} : dimension.EnumChildMemberIDs(-1, id);

        const int index = static_cast<int>(tree.nodes.size());
        node.key = QString::number(index) + QStringLiteral("KEY");
        if (node.level > tree.maxLevel) {
            tree.maxLevel = node.level;
        }
        tree.nodes.push_back(std::move(node));
        partOfNode.push_back(part);
        ++tree.memberCount;
        ReportProgress(progress, tree);
        if (!children.empty()) {
            ancestors.insert(id);
            stack.push_back({index, std::move(children)});
        }
    }
}

void BuildFilteredList(tarsel::DimensionTree& dimension, MemberTextSource& texts, ViewTree& tree,
                       const BuildProgress& progress) {
    tree.clear();
    const bool show = texts.options().showAttributes;
    int examined = 0;
    for (MemberId id : dimension.EnumAllMemberIDs()) {
        ViewNode node = MakeNode(texts.Read(id), show);
        if (progress && ++examined % kProgressInterval == 0) {
            progress(examined);
        }
        if (node.text.isEmpty()) {
            continue;
        }
        node.id = id;
        tree.nodes.push_back(std::move(node));
        ++tree.memberCount;
    }
}

ViewTree CopySubtree(const ViewTree& tree, int index) {
    ViewTree copy;
    if (index < 0 || index >= static_cast<int>(tree.nodes.size())) {
        return copy;
    }
    const ViewNode& top = tree.nodes[static_cast<size_t>(index)];
    // Pre-order: the subtree is the run of nodes after index that are deeper than it.
    std::vector<int> newIndex(tree.nodes.size(), -1);
    for (size_t i = static_cast<size_t>(index); i < tree.nodes.size(); ++i) {
        const ViewNode& node = tree.nodes[i];
        if (i != static_cast<size_t>(index) && node.level <= top.level) {
            break;
        }
        ViewNode copied = node;
        copied.parent =
            i == static_cast<size_t>(index) ? -1 : newIndex[static_cast<size_t>(node.parent)];
        copied.level = node.level - top.level + 1;
        newIndex[i] = static_cast<int>(copy.nodes.size());
        if (copied.level > copy.maxLevel) {
            copy.maxLevel = copied.level;
        }
        copy.nodes.push_back(std::move(copied));
    }
    copy.memberCount = static_cast<int>(copy.nodes.size());
    return copy;
}

QString TotalsLine(int memberCount, int levels) {
    return QStringLiteral("%1 Total Members - %2 levels").arg(memberCount).arg(levels);
}

QString TopMemberTotalsLine(int memberCount, const QString& topLabel, int levels) {
    return QStringLiteral("%1 Total Members from Top Member of %2 - %3 levels")
        .arg(memberCount)
        .arg(topLabel)
        .arg(levels);
}

QStringList SecurityClassChoices(const QStringList& classNames) {
    QStringList choices{kAllSecurityClasses};
    choices += classNames;
    choices.removeDuplicates();
    return choices;
}

bool IsCurrencyChoice(const QString& valueLabel) {
    if (valueLabel.startsWith(QLatin1Char('<')) || valueLabel.startsWith(QLatin1Char('['))) {
        return false;
    }
    const QString upper = valueLabel.toUpper();
    return !upper.endsWith(QLatin1String("ADJS")) && !upper.endsWith(QLatin1String("TOTAL"));
}

QStringList CurrencyChoices(const QStringList& valueLabels) {
    QStringList choices{kAllCurrencies};
    for (const QString& label : valueLabels) {
        if (IsCurrencyChoice(label)) {
            choices.push_back(label);
        }
    }
    choices.removeDuplicates();
    return choices;
}

}  // namespace viewer
