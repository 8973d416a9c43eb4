#include "server/local/calculation/consolidation.h"

#include <map>
#include <set>

#include "server/local/calculation/cell_totals.h"

namespace tarsel::local {

namespace {

constexpr auto kEntity = static_cast<size_t>(Dimension::Entity);

const DimensionIndex& Index(const DimensionIndexes& indexes, Dimension d) {
    return *indexes[static_cast<size_t>(d)];
}

// Orders rows of one entity, band and Value member as the store keeps them.
bool RowKeyLess(const CellMembers& a, const CellMembers& b) {
    constexpr Dimension kOrder[] = {Dimension::View,    Dimension::Value,   Dimension::Account,
                                    Dimension::ICP,     Dimension::Custom1, Dimension::Custom2,
                                    Dimension::Custom3, Dimension::Custom4};
    for (const Dimension d : kOrder) {
        const auto i = static_cast<size_t>(d);
        if (a[i] != b[i]) {
            return a[i] < b[i];
        }
    }
    return false;
}

// Writes the parent's rows of the band as the sums of its children's, in the periods of
// periodSlots. Each child's rows come in key order, so the children are merged row by row
// and memory does not grow with the data; each sum adds the children in hierarchy order.
void SumChildren(DataStore& store, const DimensionIndexes& indexes, int32_t scenario, int32_t year,
                 int32_t parent, std::span<const int32_t> children, int32_t band, int32_t value,
                 uint16_t periodSlots) {
    struct Source {
        DataStore::RowCursor cursor;
        CellRow row;
        bool live;
    };
    // Totals an earlier build stored are no part of a sum: they are computed when read.
    const auto next = [&indexes](Source& source) {
        while ((source.live = source.cursor.Next(source.row)) &&
               IsTotalCell(indexes, source.row.members)) {
        }
    };
    std::vector<Source> sources;
    sources.reserve(children.size());
    for (const int32_t child : children) {
        sources.push_back({store.OpenRows(scenario, year, child, band, value), {}, false});
        next(sources.back());
    }
    store.ClearSlots(scenario, year, parent, band, value, periodSlots);
    while (true) {
        const Source* least = nullptr;
        for (const Source& source : sources) {
            if (source.live && (!least || RowKeyLess(source.row.members, least->row.members))) {
                least = &source;
            }
        }
        if (!least) {
            break;
        }
        CellRow sum;
        sum.members = least->row.members;
        sum.members[kEntity] = parent;
        const CellMembers key = least->row.members;
        for (Source& source : sources) {
            if (!source.live || RowKeyLess(key, source.row.members)) {
                continue;
            }
            const auto present = static_cast<uint16_t>(source.row.present & periodSlots);
            for (int k = 0; k < kPeriodSlots; ++k) {
                if (present & (1u << k)) {
                    sum.amounts[static_cast<size_t>(k)] +=
                        source.row.amounts[static_cast<size_t>(k)];
                }
            }
            sum.present = static_cast<uint16_t>(sum.present | present);
            next(source);
        }
        if (sum.present != 0) {
            store.WriteRow(sum, DataStore::Write::Set);
        }
    }
}

}  // namespace

void DropStoredTotals(DataStore& store, const DimensionIndexes& indexes, int32_t scenario,
                      int32_t year, int32_t entity, int32_t value, int32_t band,
                      uint16_t periodSlots) {
    std::vector<CellRow> totals;
    store.ForEachRowOf(scenario, year, entity, band, value, [&](const CellRow& row) {
        if ((row.present & periodSlots) != 0 && IsTotalCell(indexes, row.members)) {
            totals.push_back(row);
        }
    });
    for (const CellRow& row : totals) {
        store.ClearRowSlots(row.members, static_cast<uint16_t>(row.present & periodSlots));
    }
    if (!totals.empty()) {
        store.DropEmptyRows(scenario, year, entity, band);
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
    std::map<int32_t, std::vector<int32_t>> bands;
    for (const int32_t period : periods) {
        // A period with nothing changed is skipped: a second run after no change costs one
        // lookup per period.
        if (all || store.AnyImpacted(scenario, year, period)) {
            bands[BandOf(period)].push_back(period);
        }
    }
    for (const auto& [band, inBand] : bands) {
        std::set<int32_t> withData;
        if (all) {
            const auto ids = store.EntitiesWithData(scenario, year, band);
            withData.insert(ids.begin(), ids.end());
        }
        for (const int32_t id : order) {
            uint16_t periodSlots = 0;
            for (const int32_t period : inBand) {
                if (all || store.IsImpacted(scenario, year, period, id)) {
                    periodSlots = static_cast<uint16_t>(periodSlots | (1u << SlotOf(period)));
                }
            }
            if (periodSlots == 0) {
                continue;
            }
            const auto children = entities.Children(id);
            if (children.empty()) {
                if (!all || withData.count(id)) {
                    DropStoredTotals(store, indexes, scenario, year, id, input, band, periodSlots);
                    ++count.calculated;
                }
            } else {
                SumChildren(store, indexes, scenario, year, id, children, band, input, periodSlots);
                ++count.consolidated;
            }
            for (const int32_t period : inBand) {
                if (periodSlots & (1u << SlotOf(period))) {
                    store.ClearImpacted(scenario, year, period, id);
                }
            }
        }
    }
    return count;
}

}  // namespace tarsel::local
