#pragma once
// The cells of an application file and every SQL statement on them.
//
// Tables (added in store version 2):
//   cells(scenario, year, entity, band, view, value, account, icp, c1, c2, c3, c4,
//         p0 .. p11)
//       One row per subcube row: the eleven members other than the period, and twelve
//       periods side by side. A period id p lies in band p / 12 at slot p % 12, so the
//       twelve base periods of a year (ids 0..11 when defined first) share one row; a
//       slot that is NULL holds no cell, and a row whose slots are all NULL is removed.
//       The key starts with scenario, year, entity and band, so that the cells of one
//       entity for a year are one range: a REPLACE clears it, a consolidation sums it,
//       and an extract walks it view by view in member order.
//   consolidation_status(scenario, year, period, entity)
//       A row for each point whose data changed since its last consolidation ("impacted"):
//       a load marks the entity and every ancestor of it, a consolidation removes the
//       rows of the entities it computed. No row: consolidated, or no data.
// Every function works in the caller's transaction.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "server/local/dimension_index.h"
#include "server/local/sqlite_db.h"

namespace tarsel::local {

inline constexpr int kPeriodSlots = 12;
inline constexpr uint16_t kAllSlots = (1u << kPeriodSlots) - 1;

// The twelve members of a cell, indexed by Dimension.
using CellMembers = std::array<int32_t, kDimensionCount>;

constexpr int32_t BandOf(int32_t period) {
    return period / kPeriodSlots;
}
constexpr int SlotOf(int32_t period) {
    return period % kPeriodSlots;
}

// One row of the cell table: members[Period] is the first period of the row's band; slot
// k holds the amount of period band * 12 + k when bit k of present is set.
struct CellRow {
    CellMembers members{};
    std::array<double, kPeriodSlots> amounts{};
    uint16_t present = 0;

    int32_t band() const { return BandOf(members[static_cast<size_t>(Dimension::Period)]); }
};

// The index of every dimension, read in the caller's transaction.
using DimensionIndexes = std::array<std::shared_ptr<const DimensionIndex>, kDimensionCount>;
DimensionIndexes LoadIndexes(sql::Database& db);

// Creates the cell tables in a new application file (WriteApplication calls it).
void CreateDataTables(sql::Database& db);

// The members of dimension that some cell names, in id order: one pass over the cells.
std::vector<int32_t> MembersWithCells(sql::Database& db, Dimension dimension);

// For each dimension, one more than the highest member id that the cells or the
// consolidation status name (0 where they name none): one pass over the cells.
std::array<int32_t, kDimensionCount> IdsNamedByCells(sql::Database& db);

class DataStore {
  public:
    // Gives the connection a page cache large enough for a load or a consolidation to
    // work in memory while the store lives (bounded, so memory stays flat in the data).
    explicit DataStore(sql::Database& db);
    ~DataStore();
    DataStore(const DataStore&) = delete;
    DataStore& operator=(const DataStore&) = delete;

    enum class Write { Set, Add };
    // Writes the present slots of row into the stored row of its key: Set replaces the
    // stored amount, Add adds to it (a missing cell counting 0). Other slots are kept.
    void WriteRow(const CellRow& row, Write how);
    void WriteCell(const CellMembers& cell, double amount, Write how);
    void AddToCell(const CellMembers& cell, double amount) { WriteCell(cell, amount, Write::Add); }
    void SetCell(const CellMembers& cell, double amount) { WriteCell(cell, amount, Write::Set); }

    // A load that cannot hold its file in memory writes it to a staging table first, with
    // the file's own rule for repeated cells (how), then applies it to the cells at once.
    void StageRow(const CellRow& row, Write how);
    void ApplyStaged(Write how);

    // Removes every cell of the point, in every view and of every account, ICP and custom.
    void ClearCells(int32_t scenario, int32_t year, int32_t period, int32_t entity, int32_t value) {
        ClearSlots(scenario, year, entity, BandOf(period), value,
                   static_cast<uint16_t>(1u << SlotOf(period)));
    }
    // As ClearCells for every period of the band whose bit is set in cleared, in one pass.
    void ClearSlots(int32_t scenario, int32_t year, int32_t entity, int32_t band, int32_t value,
                    uint16_t cleared);
    // Removes the cells of the cleared slots of row's key (members[Period] any period of its band).
    void ClearRowSlots(const CellMembers& row, uint16_t cleared);
    // Removes the rows of the entity's band that hold no cell any more.
    void DropEmptyRows(int32_t scenario, int32_t year, int32_t entity, int32_t band);
    // As ClearCells, keeping the cells for which keep (given a cell's members) is true.
    void ClearCellsExcept(int32_t scenario, int32_t year, int32_t period, int32_t entity,
                          int32_t value, const std::function<bool(const CellMembers&)>& keep);

    // The rows of one entity in one band of a year, in key order (view, value, account,
    // ICP, Custom1..4); value -1 gives every Value member.
    void ForEachRowOf(int32_t scenario, int32_t year, int32_t entity, int32_t band, int32_t value,
                      const std::function<void(const CellRow&)>& visit);
    // The rows of one entity, band and Value member in key order, read one at a time.
    // Several may be open at once, and the rows of other entities may be written between
    // reads: the cursor holds a bounded batch of rows and fetches the next after the last
    // key it gave, so neither a sort nor a repositioning after each write costs memory or
    // time in the size of the data. It must not outlive its store.
    class RowCursor {
      public:
        bool Next(CellRow& row);

      private:
        friend class DataStore;
        RowCursor(DataStore& store, const CellMembers& first) : store_(&store), key_(first) {}
        DataStore* store_;
        CellMembers key_;  // the entity, band and Value member; after a batch, its last row
        std::vector<CellRow> batch_;
        size_t next_ = 0;
        bool started_ = false;
        bool exhausted_ = false;
    };
    RowCursor OpenRows(int32_t scenario, int32_t year, int32_t entity, int32_t band, int32_t value);

    // The cells of one period of an entity in one view, in key order (value, account,
    // ICP, Custom1..4).
    void ForEachCellOf(int32_t scenario, int32_t year, int32_t period, int32_t entity, int32_t view,
                       const std::function<void(const CellMembers&, double)>& visit);
    // Every cell of the application whose member in dimension is member.
    void ForEachCellNaming(Dimension dimension, int32_t member,
                           const std::function<void(const CellMembers&, double)>& visit);
    // Every row of the application, in key order.
    void ForEachRow(const std::function<void(const CellRow&)>& visit);
    // Removes the cells whose member in dimension is member; gives how many there were.
    int64_t DeleteCellsNaming(Dimension dimension, int32_t member);
    // The entities that have cells for the scenario and year in the band.
    std::vector<int32_t> EntitiesWithData(int32_t scenario, int32_t year, int32_t band);

    // The consolidation status: see the table above.
    void MarkImpacted(int32_t scenario, int32_t year, int32_t period, int32_t entity);
    // Marks entity and every ancestor of it (all occurrences) in entities.
    void MarkImpactedWithAncestors(const DimensionIndex& entities, int32_t scenario, int32_t year,
                                   int32_t period, int32_t entity);
    bool IsImpacted(int32_t scenario, int32_t year, int32_t period, int32_t entity);
    // Whether any point of the scenario, year and period is impacted.
    bool AnyImpacted(int32_t scenario, int32_t year, int32_t period);
    void ClearImpacted(int32_t scenario, int32_t year, int32_t period, int32_t entity);

  private:
    // Replaces the cursor's batch with the rows after its key; false when there are none.
    bool FetchRows(RowCursor& cursor);

    struct Statements;
    sql::Database& db_;
    std::unique_ptr<Statements> statements_;
    int64_t savedCacheSize_ = 0;
};

}  // namespace tarsel::local
