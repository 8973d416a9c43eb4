#pragma once
// A value per member id for the reports' one-pass searches. Ids of one dimension are
// usually dense, so a flat array indexed from the smallest id serves them; ids spread too
// thinly for that fall back to a hash table.

#include <algorithm>
#include <span>
#include <unordered_map>
#include <vector>

#include "server/tarsel.h"

namespace appinfo {

template <typename T>
class IdTable {
  public:
    // Room for the ids given; others may be looked up with Find but not stored.
    IdTable(std::span<const tarsel::MemberId> ids, T initial) : initial_(initial) {
        if (ids.empty()) {
            return;
        }
        const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
        const auto range = static_cast<int64_t>(*high) - *low + 1;
        dense_ = range <= 4 * static_cast<int64_t>(ids.size()) + 4096;
        if (dense_) {
            low_ = *low;
            values_.assign(static_cast<size_t>(range), initial);
        } else {
            sparse_.reserve(ids.size());
        }
    }

    T& operator[](tarsel::MemberId id) {
        if (dense_) {
            return values_[static_cast<size_t>(static_cast<int64_t>(id) - low_)];
        }
        return sparse_.try_emplace(id, initial_).first->second;
    }

    // The stored value, or the initial one for an id never stored.
    T Find(tarsel::MemberId id) const {
        if (dense_) {
            const int64_t at = static_cast<int64_t>(id) - low_;
            return at >= 0 && at < static_cast<int64_t>(values_.size())
                       ? values_[static_cast<size_t>(at)]
                       : initial_;
        }
        const auto it = sparse_.find(id);
        return it == sparse_.end() ? initial_ : it->second;
    }

  private:
    T initial_;
    bool dense_ = true;
    int64_t low_ = 0;
    std::vector<T> values_;
    std::unordered_map<tarsel::MemberId, T> sparse_;
};

}  // namespace appinfo
