#include "server/local/dimension_index.h"

#include <algorithm>

#include "server/local/app_schema.h"
#include "server/local/model_check.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {
// A hierarchy whose shared subtrees multiply beyond this many occurrences cannot be
// walked occurrence by occurrence; it is refused instead of exhausting memory.
constexpr size_t kMaxOccurrences = 50'000'000;

// Builds offsets/ids of a grouping of (key, value) pairs that keeps the pairs' order.
void BuildGroups(size_t groupCount, const std::vector<int32_t>& keys,
                 const std::vector<int32_t>& values, std::vector<int32_t>& offsets,
                 std::vector<int32_t>& ids) {
    offsets.assign(groupCount + 1, 0);
    for (const int32_t key : keys) {
        ++offsets[static_cast<size_t>(key) + 1];
    }
    for (size_t i = 0; i < groupCount; ++i) {
        offsets[i + 1] += offsets[i];
    }
    ids.resize(values.size());
    std::vector<int32_t> fill(offsets.begin(), offsets.end() - 1);
    for (size_t k = 0; k < keys.size(); ++k) {
        ids[static_cast<size_t>(fill[static_cast<size_t>(keys[k])]++)] = values[k];
    }
}
}  // namespace

std::shared_ptr<const DimensionIndex> DimensionIndex::Load(sql::Database& db, Dimension dimension) {
    std::shared_ptr<DimensionIndex> index(new DimensionIndex());
    index->dimension_ = dimension;
    const int dim = static_cast<int>(dimension);
    const int64_t first = MemberKey(dim, 0);
    const int64_t last = MemberKey(dim + 1, 0) - 1;
    size_t limit = 0;
    {
        sql::Statement q(db,
                         "SELECT COALESCE(MAX(key) - ?1 + 1, 0) FROM members WHERE key BETWEEN "
                         "?1 AND ?2");
        q.Bind(1, first).Bind(2, last);
        if (q.Step()) {
            limit = static_cast<size_t>(q.Int(0));
        }
    }
    index->labels_.resize(limit);
    index->descriptions_.resize(limit);
    index->attributes_.resize(limit);
    index->present_.assign(limit, 0);
    index->allIds_.reserve(limit);
    {
        sql::Statement q(db,
                         "SELECT id, label, descriptions, user_defined, attributes FROM members "
                         "WHERE key BETWEEN ?1 AND ?2 ORDER BY key");
        q.Bind(1, first).Bind(2, last);
        while (q.Step()) {
            const auto id = static_cast<int32_t>(q.Int(0));
            const auto slot = static_cast<size_t>(id);
            index->present_[slot] = 1;
            index->allIds_.push_back(id);
            index->labels_[slot] = q.Text(1);
            index->descriptions_[slot] = q.Text(2);
            const QString userDefined = q.Text(3);
            if (!userDefined.isEmpty()) {
                if (index->userDefined_.empty()) {
                    index->userDefined_.resize(limit * 3);
                }
                const auto texts = SplitUserDefined(userDefined);
                for (size_t u = 0; u < 3; ++u) {
                    index->userDefined_[slot * 3 + u] = texts[u];
                }
            }
            MemberAttributes& a = index->attributes_[slot];
            const void* bytes = q.BlobData(4);
            a = UnpackAttributes(bytes, q.Bytes(4));
            index->anyFlags_ |= a.flags;
        }
    }
    {
        std::vector<int32_t> parents, children;
        sql::Statement q(db,
                         "SELECT parent, child FROM relations WHERE key BETWEEN ?1 AND ?2 "
                         "ORDER BY key");
        q.Bind(1, first).Bind(2, last);
        while (q.Step()) {
            const auto parent = static_cast<int32_t>(q.Int(0));
            const auto child = static_cast<int32_t>(q.Int(1));
            // A relation to a member that is gone is not part of the hierarchy.
            if (!index->IsMember(child) || (parent != -1 && !index->IsMember(parent))) {
                continue;
            }
            parents.push_back(parent);
            children.push_back(child);
        }
        std::vector<int32_t> keys(parents.size());
        std::transform(parents.begin(), parents.end(), keys.begin(),
                       [limit](int32_t p) { return p < 0 ? static_cast<int32_t>(limit) : p; });
        BuildGroups(limit + 1, keys, children, index->childOffsets_, index->childIds_);
        BuildGroups(limit, children, parents, index->parentOffsets_, index->parentIds_);
    }
    // A list entry naming a member that is gone is dropped; a parent that is gone is none.
    for (UserList& stored : ReadUserLists(db, dimension)) {
        UserList& list = index->userLists_.emplace_back();
        list.name = std::move(stored.name);
        for (size_t k = 0; k < stored.members.size(); ++k) {
            if (index->IsMember(stored.members[k])) {
                list.members.push_back(stored.members[k]);
                list.parents.push_back(index->IsMember(stored.parents[k]) ? stored.parents[k] : -1);
            }
        }
    }
    return index;
}

QString DimensionIndex::Description(int32_t id, int languageIndex) const {
    const QString& raw = descriptions_[static_cast<size_t>(id)];
    if (languageIndex < 0) {
        return {};
    }
    if (!raw.contains(kFieldSeparator)) {
        return languageIndex == 0 ? raw : QString();
    }
    return raw.section(kFieldSeparator, languageIndex, languageIndex);
}

QString DimensionIndex::UserDefined(int number, int32_t id) const {
    if (userDefined_.empty()) {
        return {};
    }
    return userDefined_[static_cast<size_t>(id) * 3 + static_cast<size_t>(number)];
}

std::span<const int32_t> DimensionIndex::Children(int32_t parent) const {
    const size_t slot = parent < 0 ? labels_.size() : static_cast<size_t>(parent);
    const auto begin = static_cast<size_t>(childOffsets_[slot]);
    const auto end = static_cast<size_t>(childOffsets_[slot + 1]);
    return {childIds_.data() + begin, end - begin};
}

std::span<const int32_t> DimensionIndex::Parents(int32_t id) const {
    const auto slot = static_cast<size_t>(id);
    const auto begin = static_cast<size_t>(parentOffsets_[slot]);
    const auto end = static_cast<size_t>(parentOffsets_[slot + 1]);
    return {parentIds_.data() + begin, end - begin};
}

int32_t DimensionIndex::FindLabel(const QString& label) const {
    std::call_once(labelsOnce_, [this] {
        LabelIndex labels(allIds_.size());
        for (const int32_t id : allIds_) {
            labels.Insert(labels_[static_cast<size_t>(id)], id);
        }
        labelIds_ = std::move(labels);
    });
    return labelIds_.Find(label);
}

void DimensionIndex::ComputeWalk() const {
    const size_t limit = labels_.size();
    defaultParent_.assign(limit, -1);
    defaultGeneration_.assign(limit, 0);
    std::vector<uint8_t> seen(limit, 0);
    struct Frame {
        int32_t member;
        int32_t next;  // position in childIds_
        int32_t end;
    };
    std::vector<Frame> stack;
    auto visit = [&](int32_t parent, int32_t child) {
        if (walk_.children.size() >= kMaxOccurrences) {
            ThrowClientError(code::kInternal,
                             QStringLiteral("The %1 hierarchy has more than %2 member occurrences "
                                            "and cannot be enumerated.")
                                 .arg(DimensionDisplayName(dimension_))
                                 .arg(kMaxOccurrences));
        }
        walk_.parents.push_back(parent);
        walk_.children.push_back(child);
        const auto c = static_cast<size_t>(child);
        if (!seen[c]) {
            seen[c] = 1;
            distinct_.push_back(child);
            defaultParent_[c] = parent;
            defaultGeneration_[c] = static_cast<int32_t>(stack.size()) + 1;
        }
        stack.push_back({child, childOffsets_[c], childOffsets_[c + 1]});
    };
    walk_.parents.reserve(childIds_.size());
    walk_.children.reserve(childIds_.size());
    for (const int32_t top : Children(-1)) {
        visit(-1, top);
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.end) {
                stack.pop_back();
                continue;
            }
            const int32_t child = childIds_[static_cast<size_t>(frame.next++)];
            visit(frame.member, child);
        }
    }
}

const Occurrences& DimensionIndex::Walk() const {
    std::call_once(walkOnce_, [this] { ComputeWalk(); });
    return walk_;
}

const std::vector<int32_t>& DimensionIndex::DistinctOrder() const {
    Walk();
    return distinct_;
}

int32_t DimensionIndex::DefaultParent(int32_t id) const {
    Walk();
    return defaultParent_[static_cast<size_t>(id)];
}

int32_t DimensionIndex::DefaultGeneration(int32_t id) const {
    Walk();
    return defaultGeneration_[static_cast<size_t>(id)];
}

void DimensionIndex::ComputeLevels() const {
    const size_t limit = labels_.size();
    levels_.assign(limit, 0);
    enum : uint8_t { White, Grey, Black };
    std::vector<uint8_t> colour(limit, White);
    std::vector<std::pair<int32_t, int32_t>> stack;  // member, next position in childIds_
    for (const int32_t start : allIds_) {
        if (colour[static_cast<size_t>(start)] != White) {
            continue;
        }
        colour[static_cast<size_t>(start)] = Grey;
        stack.emplace_back(start, childOffsets_[static_cast<size_t>(start)]);
        while (!stack.empty()) {
            auto& [member, next] = stack.back();
            const auto m = static_cast<size_t>(member);
            if (next == childOffsets_[m + 1]) {
                colour[m] = Black;
                const int32_t levels = levels_[m];
                stack.pop_back();
                if (!stack.empty()) {
                    auto& parentLevels = levels_[static_cast<size_t>(stack.back().first)];
                    parentLevels = std::max(parentLevels, levels + 1);
                }
                continue;
            }
            const int32_t child = childIds_[static_cast<size_t>(next++)];
            const auto c = static_cast<size_t>(child);
            if (colour[c] == White) {
                colour[c] = Grey;
                stack.emplace_back(child, childOffsets_[c]);
            } else {
                // Finished already (Black): its levels are known. A Grey child would be a
                // cycle, which the store refuses; it adds nothing here.
                levels_[m] = std::max(levels_[m], colour[c] == Black ? levels_[c] + 1 : 1);
            }
        }
    }
}

int32_t DimensionIndex::LevelsBelow(int32_t id) const {
    std::call_once(levelsOnce_, [this] { ComputeLevels(); });
    return levels_[static_cast<size_t>(id)];
}

std::vector<int32_t> DimensionIndex::SubtreeOccurrences(int32_t top) const {
    std::vector<int32_t> result;
    std::vector<std::pair<int32_t, int32_t>> stack;  // next, end positions in childIds_
    const auto t = static_cast<size_t>(top);
    stack.emplace_back(childOffsets_[t], childOffsets_[t + 1]);
    while (!stack.empty()) {
        auto& [next, end] = stack.back();
        if (next == end) {
            stack.pop_back();
            continue;
        }
        const int32_t child = childIds_[static_cast<size_t>(next++)];
        if (result.size() >= kMaxOccurrences) {
            ThrowClientError(code::kInternal,
                             QStringLiteral("The %1 hierarchy below \"%2\" has more than %3 "
                                            "member occurrences and cannot be enumerated.")
                                 .arg(DimensionDisplayName(dimension_), Label(top))
                                 .arg(kMaxOccurrences));
        }
        result.push_back(child);
        const auto c = static_cast<size_t>(child);
        stack.emplace_back(childOffsets_[c], childOffsets_[c + 1]);
    }
    return result;
}

bool DimensionIndex::AnyFlag(uint32_t flag) const {
    return (anyFlags_ & flag) != 0;
}

}  // namespace tarsel::local
