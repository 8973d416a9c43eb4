#pragma once
// The in-memory index of one dimension of an application: what every DimensionTree call
// answers from. Built in one read transaction, so it is one committed state of the file;
// immutable afterwards except for the derived tables it computes on first use.

#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "server/local/label_index.h"
#include "server/local/member_record.h"
#include "server/local/sqlite_db.h"
#include "server/tarsel.h"

namespace tarsel::local {

struct UserList {
    QString name;
    std::vector<int32_t> members;
    std::vector<int32_t> parents;  // -1: none
};

// Every occurrence of the hierarchy in depth-first pre-order.
struct Occurrences {
    std::vector<int32_t> parents;  // -1 at the top
    std::vector<int32_t> children;
};

class DimensionIndex {
  public:
    // Reads the dimension; the caller holds a read transaction on db.
    static std::shared_ptr<const DimensionIndex> Load(sql::Database& db, Dimension dimension);

    Dimension dimension() const { return dimension_; }
    // One past the highest member id; ids below it may still be unused.
    int32_t IdLimit() const { return static_cast<int32_t>(labels_.size()); }
    bool IsMember(int32_t id) const {
        return id >= 0 && id < IdLimit() && present_[static_cast<size_t>(id)];
    }
    // Every member id in id order.
    const std::vector<int32_t>& AllIds() const { return allIds_; }

    const QString& Label(int32_t id) const { return labels_[static_cast<size_t>(id)]; }
    QString Description(int32_t id, int languageIndex) const;
    const MemberAttributes& Attributes(int32_t id) const {
        return attributes_[static_cast<size_t>(id)];
    }
    QString UserDefined(int number, int32_t id) const;  // number 0..2

    // Children in stored order; -1 gives the top members.
    std::span<const int32_t> Children(int32_t parent) const;
    // The parent of every occurrence of the member, in stored order; -1 for the top.
    std::span<const int32_t> Parents(int32_t id) const;

    // -1 when no member has the label (compared without regard to case).
    int32_t FindLabel(const QString& label) const;

    const Occurrences& Walk() const;
    // Each member once, in the order of its first occurrence.
    const std::vector<int32_t>& DistinctOrder() const;
    // Parent of the first occurrence (-1 at the top or without occurrence).
    int32_t DefaultParent(int32_t id) const;
    // Generation of the first occurrence: 1 at the top; 0 without an occurrence.
    int32_t DefaultGeneration(int32_t id) const;
    int32_t LevelsBelow(int32_t id) const;

    // Every occurrence below top (top itself excluded), depth-first pre-order.
    std::vector<int32_t> SubtreeOccurrences(int32_t top) const;

    const std::vector<UserList>& UserLists() const { return userLists_; }
    bool AnyFlag(uint32_t flag) const;

  private:
    DimensionIndex() = default;
    void ComputeWalk() const;
    void ComputeLevels() const;

    Dimension dimension_ = Dimension::Scenario;
    std::vector<QString> labels_;
    std::vector<QString> descriptions_;  // raw, joined by U+001F
    std::vector<MemberAttributes> attributes_;
    std::vector<QString> userDefined_;  // 3 per id, empty when no member has any
    std::vector<uint8_t> present_;
    std::vector<int32_t> allIds_;
    // Children of id at childIds_[childOffsets_[id] .. childOffsets_[id + 1]); the top
    // members under the slot IdLimit().
    std::vector<int32_t> childOffsets_;
    std::vector<int32_t> childIds_;
    std::vector<int32_t> parentOffsets_;
    std::vector<int32_t> parentIds_;
    std::vector<UserList> userLists_;
    uint32_t anyFlags_ = 0;

    mutable std::once_flag walkOnce_, levelsOnce_, labelsOnce_;
    mutable Occurrences walk_;
    mutable std::vector<int32_t> distinct_;
    mutable std::vector<int32_t> defaultParent_;
    mutable std::vector<int32_t> defaultGeneration_;
    mutable std::vector<int32_t> levels_;
    mutable LabelIndex labelIds_;
};

}  // namespace tarsel::local
