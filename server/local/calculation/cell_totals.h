#pragma once
// The totals of the account and custom hierarchies, computed when cells are read.
//
// The store keeps input cells and the consolidated cells of parent entities, all at base
// accounts and base custom members. Every parent account is the signed sum of the base
// accounts below it (AccountSign along the first path found; a member reached along two
// paths counts once), and for each custom dimension n that the target account aggregates
// (CnAggEnabled), every parent custom member is the sum of the base members below it.
// Since these sums follow from the base cells alone they are never stored: a load is
// seen in them at once, and a consolidation writes only what the entity hierarchy adds.

#include <functional>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "server/local/data_store.h"

namespace tarsel::local {

// A stored cell of one entity, period and view.
struct StoredCell {
    CellMembers members{};
    double amount = 0;
};

// Whether the cell is one of those totals: its account or a custom member is a parent.
// Such cells are never input; an earlier build of the server stored them.
bool IsTotalCell(const DimensionIndexes& indexes, const CellMembers& cell);

class CellTotals {
  public:
    // indexes must outlive the object.
    explicit CellTotals(const DimensionIndexes& indexes);

    // Visits every cell of one entity, period and view in key order (value, account, ICP,
    // Custom1..4): each stored cell, and each total of the account and custom hierarchies
    // over them. cells are the stored cells in that key order; stored totals among them
    // are left out and computed afresh. Each total adds its cells in key order, so a run
    // gives the same bits every time.
    void ForEach(std::span<const StoredCell> cells,
                 const std::function<void(const CellMembers&, double)>& visit);

  private:
    struct Ancestor {
        int32_t id;
        int sign;
    };
    // The member itself (+1) and each ancestor once, with the sign of the first path found;
    // computed once per member.
    const std::vector<Ancestor>& AncestorsOf(Dimension dimension, int32_t id);
    void TotalsOfAccount(int32_t account, std::span<const StoredCell> cells,
                         const std::vector<std::pair<size_t, int>>& sources,
                         const std::function<void(const CellMembers&, double)>& visit);

    const DimensionIndexes& indexes_;
    std::array<std::unordered_map<int32_t, std::vector<Ancestor>>, kDimensionCount> ancestors_;
};

}  // namespace tarsel::local
