#pragma once
// The contents of the viewer's trees as plain values: the hierarchy in depth-first
// pre-order (one node per occurrence of a member under a parent), the flat list of
// filtered entities, and the copy below a top member.
//
// A million-node tree is held in flat arrays: each member's label, description and
// attribute items once, in a MemberTable, and each node as a few integers (its parent
// node, its member, the member of the parent it was read under, its key number). A node's
// key, tag and text are composed when asked for, so no node costs a string of its own
// until it is shown or exported.

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "server/tarsel.h"
#include "utilities/viewer/member_text.h"

namespace viewer {

// The members of one build, each once, in the order they were added (their slots).
class MemberTable {
  public:
    explicit MemberTable(bool showAttributes = true) : show_(showAttributes) {}

    // Adds the member with its texts; returns its slot.
    int Add(tarsel::MemberId id, const MemberText& text);

    int size() const { return static_cast<int>(ids_.size()); }
    bool showAttributes() const { return show_; }
    tarsel::MemberId id(int slot) const { return ids_[static_cast<size_t>(slot)]; }
    const QString& label(int slot) const { return labels_[static_cast<size_t>(slot)]; }
    const QString& description(int slot) const { return descriptions_[static_cast<size_t>(slot)]; }
    // A member without attribute items has no text at all.
    bool hasText(int slot) const { return ItemEnd(slot) > ItemBegin(slot); }
    int itemCount(int slot) const { return show_ ? ItemEnd(slot) - ItemBegin(slot) : 0; }
    const QString& itemName(int slot, int k) const;
    const QString& itemValue(int slot, int k) const;
    // The attribute items as the text shows them, name "=" value; none while hidden.
    QStringList items(int slot) const;
    // The member text; empty for a member without attribute items.
    QString text(int slot) const;
    // "id_label", the part of a node key that names the member.
    QString part(int slot) const;

  private:
    int ItemBegin(int slot) const {
        return static_cast<int>(itemStart_[static_cast<size_t>(slot)]);
    }
    int ItemEnd(int slot) const {
        return static_cast<int>(itemStart_[static_cast<size_t>(slot) + 1]);
    }
    uint32_t Intern(const QString& value);

    bool show_;
    std::vector<tarsel::MemberId> ids_;
    std::vector<QString> labels_;
    std::vector<QString> descriptions_;
    // The items of slot s are entries itemStart_[s] up to itemStart_[s + 1] of the two
    // arrays below, which index names_ and values_: a build has a handful of item names
    // and far fewer distinct values than items.
    std::vector<uint32_t> itemStart_{0};
    std::vector<uint16_t> itemNames_;
    std::vector<uint32_t> itemValues_;
    QStringList names_;
    std::vector<QString> values_;
    QHash<QString, uint32_t> valueIndex_;
};

// Node i's parent always comes before it; children follow their parent in order.
class ViewTree {
  public:
    explicit ViewTree(bool showAttributes = true) { Reset(showAttributes); }

    int memberCount = 0;  // the nodes counted for the totals line
    int maxLevel = 1;

    // Empties the tree, with a new member table.
    void Reset(bool showAttributes);
    MemberTable& table() { return *table_; }
    const MemberTable& table() const { return *table_; }

    // Adds a node for the member in slot below node parent (-1: the top). parentSlot is
    // the member its tag names as parent (-1: the top); keyNumber -1 gives a node without
    // key and tag (the filtered list). Returns the node's number.
    int AddNode(int parent, int slot, int parentSlot, int keyNumber);
    // Adds a member and a node for it, keyed by its position: the way a build makes one.
    int Add(int parent, tarsel::MemberId id, const MemberText& text);

    int size() const { return static_cast<int>(slot_.size()); }
    bool empty() const { return slot_.empty(); }
    int parent(int node) const { return parent_[static_cast<size_t>(node)]; }
    int level(int node) const { return level_[static_cast<size_t>(node)]; }
    int slot(int node) const { return slot_[static_cast<size_t>(node)]; }
    tarsel::MemberId id(int node) const { return table_->id(slot(node)); }

    // Position in the build + "KEY"; empty in the filtered list.
    QString key(int node) const;
    // Parent id "_" parent label "#" id "_" label ("-1_ROOT" for the top); empty in the
    // filtered list.
    QString tag(int node) const;
    QString text(int node) const { return table_->text(slot(node)); }
    bool hasText(int node) const { return table_->hasText(slot(node)); }
    const QString& label(int node) const { return table_->label(slot(node)); }
    const QString& description(int node) const { return table_->description(slot(node)); }
    QStringList items(int node) const { return table_->items(slot(node)); }

    // The node at index and everything below it, sharing this tree's members, with the
    // same keys, tags and texts: memberCount counts the copied nodes and maxLevel is the
    // depth with the top as 1.
    ViewTree CopySubtree(int index) const;

  private:
    std::shared_ptr<MemberTable> table_;
    std::vector<int32_t> parent_;
    std::vector<int32_t> level_;
    std::vector<int32_t> slot_;
    std::vector<int32_t> parentSlot_;
    std::vector<int32_t> keyNumber_;
};

// Called every few thousand nodes with the number of nodes made so far.
using BuildProgress = std::function<void(int nodesSoFar)>;
inline constexpr int kProgressInterval = 2000;

// Reads the whole hierarchy of the dimension: its parent/child pairs in one call, then
// each member's label, description and attributes once however many parents it has, a
// few thousand members per call. The tree is filled as the reads go: when a server call
// fails, the exception leaves it holding every node whose member was read before, with
// its counts. A pair whose parent is not on the path of the walk stands at the top.
void BuildHierarchy(tarsel::DimensionTree& dimension, MemberTextSource& texts, ViewTree& tree,
                    const BuildProgress& progress = {});

// The entities of EnumAllMemberIDs that have a text, one top-level node each, in that
// order. Filled as it goes, like BuildHierarchy.
void BuildFilteredList(tarsel::DimensionTree& dimension, MemberTextSource& texts, ViewTree& tree,
                       const BuildProgress& progress = {});

inline ViewTree CopySubtree(const ViewTree& tree, int index) {
    return tree.CopySubtree(index);
}

// "42 Total Members - 4 levels"
QString TotalsLine(int memberCount, int levels);
// "12 Total Members from Top Member of Revenue - 3 levels"
QString TopMemberTotalsLine(int memberCount, const QString& topLabel, int levels);

// The entries of the two filter lists, each starting with its "ALL ..." entry, each
// entry once.
QStringList SecurityClassChoices(const QStringList& classNames);
QStringList CurrencyChoices(const QStringList& valueLabels);
bool IsCurrencyChoice(const QString& valueLabel);

}  // namespace viewer
