#include "server/local/calculation/consolidation.h"

#include <map>
#include <set>
#include <unordered_map>

#include "server/local/calculation/account_signs.h"
#include "server/local/model_check.h"

namespace tarsel::local {

namespace {

constexpr auto kPeriod = static_cast<size_t>(Dimension::Period);
constexpr auto kAccount = static_cast<size_t>(Dimension::Account);
constexpr auto kEntity = static_cast<size_t>(Dimension::Entity);
constexpr auto kValue = static_cast<size_t>(Dimension::Value);

const DimensionIndex& Index(const DimensionIndexes& indexes, Dimension d) {
    return *indexes[static_cast<size_t>(d)];
}

bool HasChildren(const DimensionIndex& index, int32_t id) {
    return index.IsMember(id) && !index.Children(id).empty();
}

struct Ancestor {
    int32_t id;
    int sign;
};

// The member itself (+1) and each ancestor once, with the sign of the first path found.
std::vector<Ancestor> AncestorsOf(const DimensionIndex& index, int32_t id, bool accounts) {
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
    return found;
}

class Ancestry {
  public:
    Ancestry(const DimensionIndex& index, bool accounts) : index_(index), accounts_(accounts) {}
    const std::vector<Ancestor>& Of(int32_t id) {
        auto it = cache_.find(id);
        if (it == cache_.end()) {
            it = cache_.emplace(id, AncestorsOf(index_, id, accounts_)).first;
        }
        return it->second;
    }

  private:
    const DimensionIndex& index_;
    bool accounts_;
    std::unordered_map<int32_t, std::vector<Ancestor>> cache_;
};

// A cell computed by the account and custom hierarchies rather than input or rules.
bool IsAggregate(const DimensionIndexes& indexes, const CellMembers& cell) {
    if (HasChildren(Index(indexes, Dimension::Account), cell[kAccount])) {
        return true;
    }
    for (int c = 0; c < 4; ++c) {
        const auto d = static_cast<size_t>(Dimension::Custom1) + static_cast<size_t>(c);
        if (HasChildren(*indexes[d], cell[d])) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CalculateEntity(DataStore& store, const DimensionIndexes& indexes, int32_t scenario,
                     int32_t year, int32_t period, int32_t entity, int32_t value) {
    const DimensionIndex& accounts = Index(indexes, Dimension::Account);
    Ancestry accountAncestry(accounts, true);
    std::array<std::optional<Ancestry>, 4> customAncestry;
    for (size_t c = 0; c < 4; ++c) {
        customAncestry[c].emplace(*indexes[static_cast<size_t>(Dimension::Custom1) + c], false);
    }
    const auto slot = static_cast<size_t>(SlotOf(period));
    std::map<CellMembers, double> totals;
    store.ForEachRowOf(scenario, year, entity, BandOf(period), value, [&](const CellRow& row) {
        if (!(row.present & (1u << slot))) {
            return;
        }
        CellMembers cell = row.members;
        cell[kPeriod] = period;
        if (IsAggregate(indexes, cell)) {
            return;
        }
        const double amount = row.amounts[slot];
        for (const Ancestor& account : accountAncestry.Of(cell[kAccount])) {
            const MemberAttributes& attributes = accounts.Attributes(account.id);
            // The custom members each target takes: the cell's own, and its ancestors
            // where the target account aggregates that custom dimension.
            std::array<std::vector<int32_t>, 4> customs;
            for (size_t c = 0; c < 4; ++c) {
                const int32_t own = cell[static_cast<size_t>(Dimension::Custom1) + c];
                if (attributes.flags & (member_flag::CustomAggregation1 << c)) {
                    for (const Ancestor& a : customAncestry[c]->Of(own)) {
                        customs[c].push_back(a.id);
                    }
                } else {
                    customs[c].push_back(own);
                }
            }
            CellMembers target = cell;
            target[kAccount] = account.id;
            for (const int32_t c1 : customs[0]) {
                for (const int32_t c2 : customs[1]) {
                    for (const int32_t c3 : customs[2]) {
                        for (const int32_t c4 : customs[3]) {
                            target[static_cast<size_t>(Dimension::Custom1)] = c1;
                            target[static_cast<size_t>(Dimension::Custom2)] = c2;
                            target[static_cast<size_t>(Dimension::Custom3)] = c3;
                            target[static_cast<size_t>(Dimension::Custom4)] = c4;
                            if (target != cell) {
                                totals[target] += account.sign * amount;
                            }
                        }
                    }
                }
            }
        }
    });
    store.ClearCellsExcept(scenario, year, period, entity, value,
                           [&](const CellMembers& cell) { return !IsAggregate(indexes, cell); });
    for (const auto& [cell, amount] : totals) {
        store.SetCell(cell, amount);
    }
}

std::vector<int32_t> PeriodRange(const DimensionIndex& periods, int32_t start, int32_t end) {
    std::vector<int32_t> order;
    std::vector<bool> placed(static_cast<size_t>(periods.IdLimit()), false);
    for (const int32_t id : periods.DistinctOrder()) {
        placed[static_cast<size_t>(id)] = true;
        if (periods.Children(id).empty()) {
            order.push_back(id);
        }
    }
    for (const int32_t id : periods.AllIds()) {
        if (!placed[static_cast<size_t>(id)]) {
            order.push_back(id);
        }
    }
    const auto from = std::find(order.begin(), order.end(), start);
    const auto to = std::find(order.begin(), order.end(), end);
    if (from == order.end() || to == order.end() || to < from) {
        return {};
    }
    return std::vector<int32_t>(from, to + 1);
}

ConsolidationCount Consolidate(DataStore& store, const DimensionIndexes& indexes, int32_t scenario,
                               int32_t year, const std::vector<int32_t>& periods, int32_t entity,
                               bool all) {
    ConsolidationCount count;
    const DimensionIndex& entities = Index(indexes, Dimension::Entity);
    const int32_t input =
        Index(indexes, Dimension::Value).FindLabel(QStringLiteral("<Entity Currency>"));
    if (input < 0) {
        return count;  // no cell can hold input, so there is nothing to add up
    }
    // Children before parents, each entity once however often it is shared below.
    std::vector<int32_t> order;
    std::set<int32_t> seen;
    std::function<void(int32_t)> visit = [&](int32_t id) {
        for (const int32_t child : entities.Children(id)) {
            visit(child);
        }
        if (seen.insert(id).second) {
            order.push_back(id);
        }
    };
    visit(entity);
    for (const int32_t period : periods) {
        if (!all && !store.AnyImpacted(scenario, year, period)) {
            continue;  // nothing changed: the second run of a night costs one lookup
        }
        std::set<int32_t> withData;
        if (all) {
            const auto ids = store.EntitiesWithData(scenario, year, BandOf(period));
            withData.insert(ids.begin(), ids.end());
        }
        const auto slot = static_cast<size_t>(SlotOf(period));
        for (const int32_t id : order) {
            if (!all && !store.IsImpacted(scenario, year, period, id)) {
                continue;
            }
            const auto children = entities.Children(id);
            if (children.empty()) {
                if (!all || withData.count(id)) {
                    CalculateEntity(store, indexes, scenario, year, period, id, input);
                    ++count.calculated;
                }
            } else {
                std::map<CellMembers, double> sums;
                for (const int32_t child : children) {
                    store.ForEachRowOf(scenario, year, child, BandOf(period), input,
                                       [&](const CellRow& row) {
                                           if (row.present & (1u << slot)) {
                                               CellMembers cell = row.members;
                                               cell[kPeriod] = period;
                                               cell[kEntity] = id;
                                               cell[kValue] = input;
                                               sums[cell] += row.amounts[slot];
                                           }
                                       });
                }
                store.ClearCells(scenario, year, period, id, input);
                for (const auto& [cell, amount] : sums) {
                    store.SetCell(cell, amount);
                }
                ++count.consolidated;
            }
            store.ClearImpacted(scenario, year, period, id);
        }
    }
    return count;
}

}  // namespace tarsel::local
