#include "server/local/calculation/cell_totals.h"

#include <algorithm>
#include <map>

#include "server/local/calculation/account_signs.h"
#include "server/local/model_check.h"

namespace tarsel::local {

namespace {

constexpr auto kAccount = static_cast<size_t>(Dimension::Account);
constexpr auto kValue = static_cast<size_t>(Dimension::Value);
constexpr auto kICP = static_cast<size_t>(Dimension::ICP);
constexpr auto kCustom1 = static_cast<size_t>(Dimension::Custom1);

bool HasChildren(const DimensionIndex& index, int32_t id) {
    return index.IsMember(id) && !index.Children(id).empty();
}

// ICP and Custom1..4: the part of a cell's key after the account.
using TailKey = std::array<int32_t, 5>;

struct TailKeyHash {
    size_t operator()(const TailKey& key) const {
        uint64_t h = 0;
        for (const int32_t id : key) {
            h = (h ^ static_cast<uint32_t>(id)) * 0x100000001b3ull;
        }
        return static_cast<size_t>(h ^ (h >> 29));
    }
};

}  // namespace

bool IsTotalCell(const DimensionIndexes& indexes, const CellMembers& cell) {
    for (const Dimension d : {Dimension::Account, Dimension::Custom1, Dimension::Custom2,
                              Dimension::Custom3, Dimension::Custom4}) {
        const auto i = static_cast<size_t>(d);
        if (HasChildren(*indexes[i], cell[i])) {
            return true;
        }
    }
    return false;
}

CellTotals::CellTotals(const DimensionIndexes& indexes) : indexes_(indexes) {}

const std::vector<CellTotals::Ancestor>& CellTotals::AncestorsOf(Dimension dimension, int32_t id) {
    auto& cache = ancestors_[static_cast<size_t>(dimension)];
    if (const auto it = cache.find(id); it != cache.end()) {
        return it->second;
    }
    const DimensionIndex& index = *indexes_[static_cast<size_t>(dimension)];
    const bool accounts = dimension == Dimension::Account;
    std::vector<Ancestor> found{{id, 1}};
    for (size_t i = 0; i < found.size(); ++i) {
        const Ancestor child = found[i];
        if (!index.IsMember(child.id)) {
            continue;
        }
        for (const int32_t parent : index.Parents(child.id)) {
            if (parent < 0 || std::any_of(found.begin(), found.end(),
                                          [parent](const Ancestor& a) { return a.id == parent; })) {
                continue;
            }
            const int sign = accounts ? AccountSign(index.Attributes(child.id).accountType,
                                                    index.Attributes(parent).accountType)
                                      : 1;
            found.push_back({parent, child.sign * sign});
        }
    }
    return cache.emplace(id, std::move(found)).first->second;
}

void CellTotals::ForEach(std::span<const StoredCell> cells,
                         const std::function<void(const CellMembers&, double)>& visit) {
    std::vector<StoredCell> base;
    for (size_t from = 0; from < cells.size();) {
        const int32_t value = cells[from].members[kValue];
        size_t to = from;
        base.clear();
        for (; to < cells.size() && cells[to].members[kValue] == value; ++to) {
            if (!IsTotalCell(indexes_, cells[to].members)) {
                base.push_back(cells[to]);
            }
        }
        from = to;
        // The runs of one base account each, and for every account they add into (their
        // own included) the runs with their signs, in account order.
        std::vector<std::pair<size_t, size_t>> runs;
        std::map<int32_t, std::vector<std::pair<size_t, int>>> targets;
        for (size_t i = 0; i < base.size();) {
            const int32_t account = base[i].members[kAccount];
            size_t j = i;
            while (j < base.size() && base[j].members[kAccount] == account) {
                ++j;
            }
            for (const Ancestor& a : AncestorsOf(Dimension::Account, account)) {
                targets[a.id].emplace_back(runs.size(), a.sign);
            }
            runs.emplace_back(i, j);
            i = j;
        }
        for (const auto& [account, sources] : targets) {
            std::vector<std::pair<size_t, int>> cellsOf;
            for (const auto& [run, sign] : sources) {
                for (size_t k = runs[run].first; k < runs[run].second; ++k) {
                    cellsOf.emplace_back(k, sign);
                }
            }
            TotalsOfAccount(account, base, cellsOf, visit);
        }
    }
}

void CellTotals::TotalsOfAccount(int32_t account, std::span<const StoredCell> cells,
                                 const std::vector<std::pair<size_t, int>>& sources,
                                 const std::function<void(const CellMembers&, double)>& visit) {
    const DimensionIndex& accounts = *indexes_[kAccount];
    const uint32_t flags = accounts.IsMember(account) ? accounts.Attributes(account).flags : 0;
    // Every (ICP, customs) the cells add into, with its total so far: as many entries as
    // the account has cells, whatever the depth of the custom hierarchies.
    std::unordered_map<TailKey, double, TailKeyHash> totals;
    std::array<std::vector<int32_t>, 4> customs;
    for (const auto& [at, sign] : sources) {
        const StoredCell& cell = cells[at];
        for (size_t c = 0; c < 4; ++c) {
            const int32_t own = cell.members[kCustom1 + c];
            customs[c].clear();
            if (flags & (member_flag::CustomAggregation1 << c)) {
                for (const Ancestor& a : AncestorsOf(static_cast<Dimension>(kCustom1 + c), own)) {
                    customs[c].push_back(a.id);
                }
            } else {
                customs[c].push_back(own);
            }
        }
        const double share = sign * cell.amount;
        TailKey key{cell.members[kICP], 0, 0, 0, 0};
        for (const int32_t c1 : customs[0]) {
            key[1] = c1;
            for (const int32_t c2 : customs[1]) {
                key[2] = c2;
                for (const int32_t c3 : customs[2]) {
                    key[3] = c3;
                    for (const int32_t c4 : customs[3]) {
                        key[4] = c4;
                        // The first share is taken as it stands, so that a cell that is its
                        // own only source keeps its exact amount.
                        if (const auto [it, added] = totals.try_emplace(key, share); !added) {
                            it->second += share;
                        }
                    }
                }
            }
        }
    }
    std::vector<std::pair<TailKey, double>> ordered(totals.begin(), totals.end());
    totals = {};
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    CellMembers members = cells[sources.front().first].members;
    members[kAccount] = account;
    for (const auto& [key, total] : ordered) {
        members[kICP] = key[0];
        for (size_t c = 0; c < 4; ++c) {
            members[kCustom1 + c] = key[c + 1];
        }
        visit(members, total);
    }
}

}  // namespace tarsel::local
