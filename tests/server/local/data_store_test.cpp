// The cell store of an application file: periods side by side, clearing a point of every
// view, removing the cells of a member, and the consolidation status.

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "server/local/app_schema.h"
#include "server/local/calculation/cell_totals.h"
#include "server/local/calculation/consolidation.h"
#include "server/local/data_store.h"
#include "tests/server/local/data_test_app.h"
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

// The application file of server opened for writing, with its dimension indexes.
struct OpenedApplication {
    explicit OpenedApplication(const test::LocalServer& server)
        : db(server.applicationPath(), local::sql::OpenMode::ReadWrite) {
        local::CheckApplicationSchema(db);
        write.emplace(db, local::sql::Transaction::Kind::Write);
        indexes = local::LoadIndexes(db);
    }
    int32_t Id(Dimension d, const QString& label) const {
        return indexes[static_cast<size_t>(d)]->FindLabel(label);
    }
    local::sql::Database db;
    std::optional<local::sql::Transaction> write;
    local::DimensionIndexes indexes;
};

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

// Each parent is its children's sum row by row, whichever children hold the row; a run
// over some periods rewrites those periods of the parents and keeps the others, and a
// "Consolidate" after one change visits only the changed entity and its ancestors.
// Sorts run so far by the statements the connection holds prepared. A read of rows in key
// order must come straight off the key: a sort holds every row it selects in memory.
int SortsOfLiveStatements(local::sql::Database& db) {
    int sorts = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db.handle(), nullptr); s;
         s = sqlite3_next_stmt(db.handle(), s)) {
        sorts += sqlite3_stmt_status(s, SQLITE_STMTSTATUS_SORT, 0);
    }
    return sorts;
}

TEST(LocalDataStore, ConsolidationSumsChildrenRowByRowAndRewritesOnlyItsPeriods) {
    test::LocalServer server(test::AppBuilder()
                                 .Children(Dimension::Entity, {}, {"World"})
                                 .Children(Dimension::Entity, "World", {"Europe", "US"})
                                 .Children(Dimension::Entity, "Europe", {"France", "Germany"})
                                 .Children(Dimension::Value, {}, {"<Entity Currency>"})
                                 .Children(Dimension::Account, {}, {"Sales", "Costs"})
                                 .Build());
    OpenedApplication app(server);
    local::sql::Database& db = app.db;
    const local::DimensionIndexes& indexes = app.indexes;
    auto id = [&](Dimension d, const QString& label) { return app.Id(d, label); };
    const int32_t world = id(Dimension::Entity, "World"), europe = id(Dimension::Entity, "Europe"),
                  us = id(Dimension::Entity, "US"), france = id(Dimension::Entity, "France"),
                  germany = id(Dimension::Entity, "Germany");
    const int32_t sales = id(Dimension::Account, "Sales"), costs = id(Dimension::Account, "Costs");
    auto cell = [&](int32_t period, int32_t entity, int32_t account) {
        CellMembers c = Cell(period, 0, entity, account);
        c[static_cast<size_t>(Dimension::Value)] = id(Dimension::Value, "<Entity Currency>");
        return c;
    };
    DataStore store(db);
    store.SetCell(cell(0, france, sales), 1);
    store.SetCell(cell(0, germany, sales), 2);
    store.SetCell(cell(0, germany, costs), 4);
    store.SetCell(cell(1, france, sales), 8);
    store.SetCell(cell(0, us, costs), 16);
    store.SetCell(cell(0, europe, costs), 100);  // stale sums of an earlier run
    store.SetCell(cell(1, europe, costs), 32);

    local::Consolidate(store, indexes, 0, 0, {0}, world, true);
    auto cells = AllCells(store);
    EXPECT_EQ(cells[cell(0, europe, sales)], 3);
    EXPECT_EQ(cells[cell(0, europe, costs)], 4);
    EXPECT_EQ(cells[cell(0, world, costs)], 20);
    EXPECT_EQ(cells[cell(1, europe, costs)], 32);  // period 1 was not in the run
    EXPECT_FALSE(cells.count(cell(1, europe, sales)));

    local::Consolidate(store, indexes, 0, 0, {0, 1}, world, true);
    cells = AllCells(store);
    EXPECT_EQ(cells[cell(1, world, sales)], 8);
    EXPECT_FALSE(cells.count(cell(1, europe, costs)));  // no child holds it any more
    EXPECT_EQ(cells.size(), 11u);

    store.SetCell(cell(0, us, costs), 17);
    store.MarkImpactedWithAncestors(*indexes[static_cast<size_t>(Dimension::Entity)], 0, 0, 0, us);
    const auto count = local::Consolidate(store, indexes, 0, 0, {0, 1}, world, false);
    EXPECT_EQ(count.calculated, 1);
    EXPECT_EQ(count.consolidated, 1);
    EXPECT_EQ(AllCells(store)[cell(0, world, costs)], 21);
    EXPECT_FALSE(store.AnyImpacted(0, 0, 0));

    // The merge's cursors, open side by side as a parent is summed, read without sorting.
    const int32_t input = id(Dimension::Value, "<Entity Currency>");
    DataStore::RowCursor french = store.OpenRows(0, 0, france, 0, input);
    DataStore::RowCursor german = store.OpenRows(0, 0, germany, 0, input);
    local::CellRow row;
    int rows = 0;
    while (french.Next(row)) {
        ++rows;
    }
    while (german.Next(row)) {
        ++rows;
    }
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(SortsOfLiveStatements(db), 0);
}

// Children of many rows each, interleaved in key order, merged while the parent's rows are
// written between reads: every key of either child is summed once, in every period.
TEST(LocalDataStore, ConsolidationMergesChildrenOfManyRowsWhileWritingTheParent) {
    QStringList customs;
    for (int i = 0; i < 700; ++i) {
        customs << QStringLiteral("C%1").arg(i);
    }
    test::LocalServer server(test::AppBuilder()
                                 .Children(Dimension::Entity, {}, {"Europe"})
                                 .Children(Dimension::Entity, "Europe", {"France", "Germany"})
                                 .Children(Dimension::Value, {}, {"<Entity Currency>"})
                                 .Children(Dimension::Account, {}, {"Sales"})
                                 .Children(Dimension::Custom2, {}, customs)
                                 .Build());
    OpenedApplication app(server);
    local::sql::Database& db = app.db;
    const local::DimensionIndexes& indexes = app.indexes;
    auto id = [&](Dimension d, const QString& label) { return app.Id(d, label); };
    const int32_t europe = id(Dimension::Entity, "Europe"),
                  france = id(Dimension::Entity, "France"),
                  germany = id(Dimension::Entity, "Germany");
    const int32_t sales = id(Dimension::Account, "Sales");
    const int32_t input = id(Dimension::Value, "<Entity Currency>");
    auto cell = [&](int32_t period, int32_t entity, int i) {
        CellMembers c = Cell(period, 0, entity, sales, id(Dimension::Custom2, customs[i]));
        c[static_cast<size_t>(Dimension::Value)] = input;
        return c;
    };
    DataStore store(db);
    std::map<CellMembers, double> expected;
    for (int i = 0; i < 700; ++i) {
        for (int32_t period : {0, 5}) {
            if (i % 2 == 0) {
                store.SetCell(cell(period, france, i), i);
                expected[cell(period, europe, i)] += i;
            }
            if (i % 3 == 0) {
                store.SetCell(cell(period, germany, i), 1000 + period);
                expected[cell(period, europe, i)] += 1000 + period;
            }
        }
    }
    store.SetCell(cell(0, europe, 1), 7);  // a stale sum no child holds

    local::Consolidate(store, indexes, 0, 0, {0, 5}, europe, true);
    std::map<CellMembers, double> sums;
    for (const auto& [c, amount] : AllCells(store)) {
        if (c[static_cast<size_t>(Dimension::Entity)] == europe) {
            sums[c] = amount;
        }
    }
    EXPECT_EQ(sums.size(), 2u * (350 + 234 - 117));
    EXPECT_EQ(sums, expected);
}

// Totals of the account and custom hierarchies are computed when read. Totals an earlier
// build stored are no part of a consolidation's sums, give way to fresh ones when read, and
// are dropped by the next consolidation; a parent entity stores base cells only.
TEST(LocalDataStore, TotalsAreComputedWhenReadAndStoredTotalsGiveWay) {
    test::LocalServer server(test::DataTestApp());
    OpenedApplication app(server);
    local::sql::Database& db = app.db;
    const local::DimensionIndexes& indexes = app.indexes;
    auto id = [&](Dimension d, const QString& label) { return app.Id(d, label); };
    const int32_t input = id(Dimension::Value, "<Entity Currency>");
    auto cell = [&](const char* entity, const char* account, const char* c1 = "[None]") {
        CellMembers c = Cell(0, id(Dimension::View, "YTD"), id(Dimension::Entity, entity),
                             id(Dimension::Account, account));
        c[static_cast<size_t>(Dimension::Value)] = input;
        c[static_cast<size_t>(Dimension::Custom1)] = id(Dimension::Custom1, c1);
        for (const Dimension d : {Dimension::Scenario, Dimension::Year, Dimension::ICP,
                                  Dimension::Custom2, Dimension::Custom3, Dimension::Custom4}) {
            c[static_cast<size_t>(d)] = indexes[static_cast<size_t>(d)]->AllIds().front();
        }
        return c;
    };
    DataStore store(db);
    store.SetCell(cell("France", "Sales", "P1"), 100);
    store.SetCell(cell("France", "Costs"), 30);
    store.SetCell(cell("Germany", "Sales", "P2"), 5);
    store.SetCell(cell("Germany", "Payables"), 20);
    store.SetCell(cell("France", "NetIncome"), 999);           // stored by an earlier build
    store.SetCell(cell("Germany", "Sales", "Products"), 999);  // likewise

    const auto totalsOf = [&](const char* entity) {
        std::vector<local::StoredCell> stored;
        const auto s = static_cast<size_t>(Dimension::Scenario);
        const auto y = static_cast<size_t>(Dimension::Year);
        const CellMembers any = cell(entity, "Sales");
        store.ForEachCellOf(any[s], any[y], 0, id(Dimension::Entity, entity),
                            id(Dimension::View, "YTD"), [&](const CellMembers& c, double amount) {
                                stored.push_back({c, amount});
                            });
        std::vector<std::pair<CellMembers, double>> read;
        local::CellTotals(indexes).ForEach(
            stored, [&](const CellMembers& c, double amount) { read.emplace_back(c, amount); });
        return read;
    };
    // Before any consolidation a base entity reads with its totals, and in key order.
    const std::vector<std::pair<CellMembers, double>> expectedFrance{
        {cell("France", "NetIncome"), -30},       {cell("France", "NetIncome", "Products"), 100},
        {cell("France", "NetIncome", "P1"), 100}, {cell("France", "Sales", "Products"), 100},
        {cell("France", "Sales", "P1"), 100},     {cell("France", "Costs"), 30}};
    auto inKeyOrder = [](std::vector<std::pair<CellMembers, double>> cells) {
        std::sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
            constexpr Dimension kOrder[] = {Dimension::Value, Dimension::Account, Dimension::ICP,
                                            Dimension::Custom1};
            for (const Dimension d : kOrder) {
                const auto i = static_cast<size_t>(d);
                if (a.first[i] != b.first[i]) {
                    return a.first[i] < b.first[i];
                }
            }
            return false;
        });
        return cells;
    };
    EXPECT_EQ(totalsOf("France"), inKeyOrder(expectedFrance));
    const auto german = totalsOf("Germany");
    EXPECT_NE(std::find(german.begin(), german.end(),
                        std::make_pair(cell("Germany", "Assets"), -20.0)),  // a Liability
              german.end());
    EXPECT_EQ(std::count_if(
                  german.begin(), german.end(),
                  [&](const auto& c) { return c.first == cell("Germany", "Sales", "Products"); }),
              1);
    EXPECT_NE(std::find(german.begin(), german.end(),
                        std::make_pair(cell("Germany", "Sales", "Products"), 5.0)),
              german.end());  // computed afresh, not the 999 stored

    const CellMembers any = cell("France", "Sales");
    local::Consolidate(store, indexes, any[static_cast<size_t>(Dimension::Scenario)],
                       any[static_cast<size_t>(Dimension::Year)], {0},
                       id(Dimension::Entity, "World"), true);
    const auto stored = AllCells(store);
    for (const auto& [c, amount] : stored) {
        EXPECT_FALSE(local::IsTotalCell(indexes, c)) << amount;
    }
    EXPECT_EQ(stored.at(cell("Europe", "Sales", "P1")), 100);
    EXPECT_EQ(stored.at(cell("Europe", "Sales", "P2")), 5);
    EXPECT_EQ(stored.size(), 2u + 2u + 4u + 4u);  // France, Germany, Europe, World
    const auto europe = totalsOf("Europe");
    EXPECT_NE(std::find(europe.begin(), europe.end(),
                        std::make_pair(cell("Europe", "NetIncome", "Products"), 105.0)),
              europe.end());
}

}  // namespace
}  // namespace tarsel
