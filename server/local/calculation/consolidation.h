#pragma once
// Calculation and consolidation of stored cells, as plain functions over the cell store
// in the caller's write transaction.

#include <vector>

#include "server/local/data_store.h"

namespace tarsel::local {

// Removes the totals of the account and custom hierarchies that an earlier build stored
// for one entity and Value member in the periods of periodSlots (bit k: period band * 12
// + k). They are computed when read (cell_totals.h); input cells are kept.
void DropStoredTotals(DataStore& store, const DimensionIndexes& indexes, int32_t scenario,
                      int32_t year, int32_t entity, int32_t value, int32_t band,
                      uint16_t periodSlots);

struct ConsolidationCount {
    int calculated = 0;    // base entities calculated
    int consolidated = 0;  // parents summed
};

// Consolidates entity and every entity below it for each period, children first: a
// parent's <Entity Currency> cells become the sum of its children's (a shared child adds
// to each of its parents), at base accounts and custom members; a base entity loses any
// stored totals. all false: only the entities
// whose data changed since their last consolidation (the status); true: every entity.
ConsolidationCount Consolidate(DataStore& store, const DimensionIndexes& indexes, int32_t scenario,
                               int32_t year, const std::vector<int32_t>& periods, int32_t entity,
                               bool all);

// The periods from start to end in calendar order: base periods in hierarchy order, then
// periods outside the hierarchy in id order. Empty when end comes before start.
std::vector<int32_t> PeriodRange(const DimensionIndex& periods, int32_t start, int32_t end);

}  // namespace tarsel::local
