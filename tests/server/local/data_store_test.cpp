// The cell store of an application file: periods side by side, clearing a point of every
// view, removing the cells of a member, and the consolidation status.

#include <gtest/gtest.h>

#include <map>

#include "server/local/app_schema.h"
#include "server/local/data_store.h"
#include "tests/support/app_builder.h"
#include "tests/support/local_server.h"

namespace tarsel {
namespace {

using local::CellMembers;
using local::DataStore;

CellMembers Cell(int32_t period, int32_t view, int32_t entity, int32_t account, int32_t c2 = 0) {
    CellMembers cell{};
    cell[static_cast<size_t>(Dimension::Period)] = period;
    cell[static_cast<size_t>(Dimension::View)] = view;
    cell[static_cast<size_t>(Dimension::Entity)] = entity;
    cell[static_cast<size_t>(Dimension::Account)] = account;
    cell[static_cast<size_t>(Dimension::Custom2)] = c2;
    return cell;
}

std::map<CellMembers, double> AllCells(DataStore& store) {
    std::map<CellMembers, double> cells;
    store.ForEachRow([&](const local::CellRow& row) {
        for (int k = 0; k < local::kPeriodSlots; ++k) {
            if (row.present & (1u << k)) {
                CellMembers cell = row.members;
                cell[static_cast<size_t>(Dimension::Period)] += k;
                cells[cell] = row.amounts[static_cast<size_t>(k)];
            }
        }
    });
    return cells;
}

TEST(LocalDataStore, CellsKeepTheirPeriodsApartAndClearOnePointOfEveryView) {
    test::LocalServer server(test::AppBuilder()
                                 .Children(Dimension::Entity, {}, {"World"})
                                 .Children(Dimension::Entity, "World", {"Europe", "US"})
                                 .Children(Dimension::Entity, "Europe", {"France"})
                                 .Relate(Dimension::Entity, "World", "France")
                                 .Build());
    local::sql::Database db(server.applicationPath(), local::sql::OpenMode::ReadWrite);
    local::CheckApplicationSchema(db);
    local::sql::Transaction write(db, local::sql::Transaction::Kind::Write);
    DataStore store(db);

    // Period 13 lies in the second band; two views of one entity; Add on a missing cell.
    store.SetCell(Cell(0, 0, 1, 5), 10.5);
    store.SetCell(Cell(3, 0, 1, 5), 7);
    store.AddToCell(Cell(3, 0, 1, 5), 0.25);
    store.AddToCell(Cell(13, 0, 1, 5), -2);
    store.SetCell(Cell(0, 1, 1, 5), 1);
    store.SetCell(Cell(0, 0, 2, 5, 4), 3);
    EXPECT_EQ(AllCells(store), (std::map<CellMembers, double>{{Cell(0, 0, 1, 5), 10.5},
                                                              {Cell(0, 0, 2, 5, 4), 3},
                                                              {Cell(0, 1, 1, 5), 1},
                                                              {Cell(3, 0, 1, 5), 7.25},
                                                              {Cell(13, 0, 1, 5), -2}}));

    // A point is cleared in both views and only in its period; its row stays for period 3.
    store.ClearCells(0, 0, 0, 1, 0);
    EXPECT_EQ(AllCells(store),
              (std::map<CellMembers, double>{
                  {Cell(0, 0, 2, 5, 4), 3}, {Cell(3, 0, 1, 5), 7.25}, {Cell(13, 0, 1, 5), -2}}));
    std::vector<double> period3;
    store.ForEachCellNaming(Dimension::Period, 3,
                            [&](const CellMembers&, double amount) { period3.push_back(amount); });
    EXPECT_EQ(period3, std::vector<double>{7.25});
    EXPECT_EQ(store.DeleteCellsNaming(Dimension::Custom2, 4), 1);
    EXPECT_EQ(store.DeleteCellsNaming(Dimension::Period, 13), 1);
    EXPECT_EQ(AllCells(store), (std::map<CellMembers, double>{{Cell(3, 0, 1, 5), 7.25}}));

    // France (3) is shared under Europe (1) and World (0): marking it marks all three.
    auto index = local::DimensionIndex::Load(db, Dimension::Entity);
    store.MarkImpactedWithAncestors(*index, 0, 0, 2, index->FindLabel("France"));
    for (const char* label : {"World", "Europe", "France"}) {
        EXPECT_TRUE(store.IsImpacted(0, 0, 2, index->FindLabel(label))) << label;
    }
    EXPECT_FALSE(store.IsImpacted(0, 0, 2, index->FindLabel("US")));
    EXPECT_FALSE(store.AnyImpacted(0, 0, 3));
    for (const char* label : {"World", "Europe", "France"}) {
        store.ClearImpacted(0, 0, 2, index->FindLabel(label));
    }
    EXPECT_FALSE(store.AnyImpacted(0, 0, 2));
}

}  // namespace
}  // namespace tarsel
