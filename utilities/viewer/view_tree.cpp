#include "utilities/viewer/view_tree.h"

#include <algorithm>
#include <unordered_map>

namespace viewer {

using tarsel::IdArray;
using tarsel::MemberId;

namespace {
const QString kRootPart = QStringLiteral("-1_ROOT");
}  // namespace

int MemberTable::Add(MemberId id, const MemberText& text) {
    ids_.push_back(id);
    labels_.push_back(text.label);
    descriptions_.push_back(text.description);
    for (const AttributeItem& item : text.attributes) {
        // The items of every member of a build have the same few names, mostly in the
        // same order: the name at the same position in the list is checked first.
        const auto position = static_cast<qsizetype>(itemNames_.size() - itemStart_.back());
        qsizetype name = position < names_.size() && names_[position] == item.name
                             ? position
                             : names_.indexOf(item.name);
        if (name < 0) {
            name = names_.size();
            names_.push_back(item.name);
        }
        itemNames_.push_back(static_cast<uint16_t>(name));
        itemValues_.push_back(Intern(item.value));
    }
    itemStart_.push_back(static_cast<uint32_t>(itemNames_.size()));
    return size() - 1;
}

uint32_t MemberTable::Intern(const QString& value) {
    auto it = valueIndex_.constFind(value);
    if (it != valueIndex_.constEnd()) {
        return *it;
    }
    const auto index = static_cast<uint32_t>(values_.size());
    values_.push_back(value);
    valueIndex_.insert(value, index);
    return index;
}

const QString& MemberTable::itemName(int slot, int k) const {
    return names_[itemNames_[static_cast<size_t>(ItemBegin(slot) + k)]];
}

const QString& MemberTable::itemValue(int slot, int k) const {
    return values_[itemValues_[static_cast<size_t>(ItemBegin(slot) + k)]];
}

QStringList MemberTable::items(int slot) const {
    QStringList result;
    const int count = itemCount(slot);
    result.reserve(count);
    for (int k = 0; k < count; ++k) {
        result.push_back(itemName(slot, k) + QLatin1Char('=') + itemValue(slot, k));
    }
    return result;
}

QString MemberTable::text(int slot) const {
    MemberText text{label(slot), description(slot), {}};
    const int count = ItemEnd(slot) - ItemBegin(slot);
    text.attributes.reserve(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        text.attributes.push_back({itemName(slot, k), itemValue(slot, k)});
    }
    return ComposeMemberText(text, show_);
}

QString MemberTable::part(int slot) const {
    return QString::number(id(slot)) + QLatin1Char('_') + label(slot);
}

void ViewTree::Reset(bool showAttributes) {
    table_ = std::make_shared<MemberTable>(showAttributes);
    parent_.clear();
    level_.clear();
    slot_.clear();
    parentSlot_.clear();
    keyNumber_.clear();
    memberCount = 0;
    maxLevel = 1;
}

int ViewTree::AddNode(int parent, int slot, int parentSlot, int keyNumber) {
    const int level = parent < 0 ? 1 : this->level(parent) + 1;
    parent_.push_back(parent);
    level_.push_back(level);
    slot_.push_back(slot);
    parentSlot_.push_back(parentSlot);
    keyNumber_.push_back(keyNumber);
    if (level > maxLevel) {
        maxLevel = level;
    }
    return size() - 1;
}

int ViewTree::Add(int parent, MemberId id, const MemberText& text) {
    const int slot = table_->Add(id, text);
    ++memberCount;
    return AddNode(parent, slot, parent < 0 ? -1 : this->slot(parent), size());
}

QString ViewTree::key(int node) const {
    const int number = keyNumber_[static_cast<size_t>(node)];
    return number < 0 ? QString() : QString::number(number) + QStringLiteral("KEY");
}

QString ViewTree::tag(int node) const {
    if (keyNumber_[static_cast<size_t>(node)] < 0) {
        return {};
    }
    const int parentSlot = parentSlot_[static_cast<size_t>(node)];
    return (parentSlot < 0 ? kRootPart : table_->part(parentSlot)) + QLatin1Char('#') +
           table_->part(slot(node));
}

ViewTree ViewTree::CopySubtree(int index) const {
    ViewTree copy(table_->showAttributes());
    copy.table_ = table_;
    if (index < 0 || index >= size()) {
        return copy;
    }
    const int topLevel = level(index);
    const int offset = index;
    // Pre-order: the subtree is the run of nodes after index that are deeper than it.
    for (int i = index; i < size(); ++i) {
        if (i != index && level(i) <= topLevel) {
            break;
        }
        const size_t n = static_cast<size_t>(i);
        copy.parent_.push_back(i == index ? -1 : parent_[n] - offset);
        const int32_t copiedLevel = level_[n] - topLevel + 1;
        copy.level_.push_back(copiedLevel);
        copy.slot_.push_back(slot_[n]);
        copy.parentSlot_.push_back(parentSlot_[n]);
        copy.keyNumber_.push_back(keyNumber_[n]);
        if (copiedLevel > copy.maxLevel) {
            copy.maxLevel = copiedLevel;
        }
    }
    copy.memberCount = copy.size();
    return copy;
}

namespace {

// Slots of member ids: a flat array over the ids a server hands out densely, a hash
// otherwise.
class SlotMap {
  public:
    explicit SlotMap(const IdArray& ids) {
        int64_t highest = -1;
        bool dense = true;
        for (const MemberId id : ids) {
            if (id < 0) {
                dense = false;
                break;
            }
            highest = std::max<int64_t>(highest, id);
        }
        flat_ = dense && highest < 4 * static_cast<int64_t>(ids.size()) + 1024;
        if (flat_) {
            slots_.assign(static_cast<size_t>(highest + 1), -1);
        } else {
            hashed_.reserve(ids.size());
        }
    }
    // The slot of id; a new id is given slot assign and answers -1.
    int Find(MemberId id, int assign) {
        if (flat_) {
            int& slot = slots_[static_cast<size_t>(id)];
            if (slot < 0) {
                slot = assign;
                return -1;
            }
            return slot;
        }
        auto [it, added] = hashed_.try_emplace(id, assign);
        return added ? -1 : it->second;
    }

  private:
    bool flat_ = false;
    std::vector<int> slots_;
    std::unordered_map<MemberId, int> hashed_;
};

void ReadChunk(MemberTextSource& texts, const IdArray& ids, size_t first, size_t end,
               MemberTable& table) {
    const IdArray chunk(ids.begin() + static_cast<std::ptrdiff_t>(first),
                        ids.begin() + static_cast<std::ptrdiff_t>(end));
    const std::vector<MemberText> read = texts.ReadMany(chunk);
    for (size_t i = 0; i < chunk.size(); ++i) {
        table.Add(chunk[i], read[i]);
    }
}

}  // namespace

void BuildHierarchy(tarsel::DimensionTree& dimension, MemberTextSource& texts, ViewTree& tree,
                    const BuildProgress& progress) {
    tree.Reset(texts.options().showAttributes);
    const tarsel::ParentChildPairs pairs = dimension.EnumParentChildPairs();
    const size_t count = std::min(pairs.parents.size(), pairs.children.size());

    // Each occurrence's parent occurrence: the nearest on the path from the top to the
    // previous occurrence whose member is the pair's parent.
    std::vector<int32_t> parentOf(count);
    std::vector<int32_t> slotOf(count);
    IdArray distinct;  // each member once, in the order of its first occurrence
    std::vector<size_t> firstOccurrence;
    SlotMap slotOfMember(pairs.children);
    std::vector<int32_t> path;
    for (size_t j = 0; j < count; ++j) {
        const MemberId parentId = pairs.parents[j];
        while (!path.empty() && pairs.children[static_cast<size_t>(path.back())] != parentId) {
            path.pop_back();
        }
        parentOf[j] = parentId == -1 || path.empty() ? -1 : path.back();
        path.push_back(static_cast<int32_t>(j));
        const MemberId id = pairs.children[j];
        int slot = slotOfMember.Find(id, static_cast<int>(distinct.size()));
        if (slot < 0) {
            slot = static_cast<int>(distinct.size());
            distinct.push_back(id);
            firstOccurrence.push_back(j);
        }
        slotOf[j] = slot;
    }

    // The members are read a chunk at a time; after each chunk the nodes up to the first
    // occurrence of the next unread member are complete.
    size_t placed = 0;
    for (size_t first = 0; first < distinct.size(); first += kProgressInterval) {
        const size_t end = std::min(distinct.size(), first + kProgressInterval);
        ReadChunk(texts, distinct, first, end, tree.table());
        const size_t complete = end < distinct.size() ? firstOccurrence[end] : count;
        for (; placed < complete; ++placed) {
            const int32_t parent = parentOf[placed];
            tree.AddNode(parent, slotOf[placed],
                         parent < 0 ? -1 : slotOf[static_cast<size_t>(parent)],
                         static_cast<int>(placed));
            ++tree.memberCount;
        }
        if (progress && end - first == kProgressInterval) {
            progress(tree.size());
        }
    }
}

void BuildFilteredList(tarsel::DimensionTree& dimension, MemberTextSource& texts, ViewTree& tree,
                       const BuildProgress& progress) {
    tree.Reset(texts.options().showAttributes);
    const IdArray ids = dimension.EnumAllMemberIDs();
    MemberTable& table = tree.table();
    for (size_t first = 0; first < ids.size(); first += kProgressInterval) {
        const size_t end = std::min(ids.size(), first + kProgressInterval);
        const int before = table.size();
        ReadChunk(texts, ids, first, end, table);
        for (int slot = before; slot < table.size(); ++slot) {
            if (table.hasText(slot)) {
                tree.AddNode(-1, slot, -1, -1);
                ++tree.memberCount;
            }
        }
        if (progress && end - first == kProgressInterval) {
            progress(static_cast<int>(end));
        }
    }
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
