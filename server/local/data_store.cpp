#include "server/local/data_store.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tarsel::local {

namespace {

constexpr const char* kDataSchema = R"sql(
CREATE TABLE cells(scenario INTEGER NOT NULL, year INTEGER NOT NULL, entity INTEGER NOT NULL,
  band INTEGER NOT NULL, view INTEGER NOT NULL, value INTEGER NOT NULL,
  account INTEGER NOT NULL, icp INTEGER NOT NULL, c1 INTEGER NOT NULL, c2 INTEGER NOT NULL,
  c3 INTEGER NOT NULL, c4 INTEGER NOT NULL,
  p0 REAL, p1 REAL, p2 REAL, p3 REAL, p4 REAL, p5 REAL, p6 REAL, p7 REAL, p8 REAL, p9 REAL,
  p10 REAL, p11 REAL,
  PRIMARY KEY(scenario, year, entity, band, view, value, account, icp, c1, c2, c3, c4))
  WITHOUT ROWID;
CREATE TABLE consolidation_status(scenario INTEGER NOT NULL, year INTEGER NOT NULL,
  period INTEGER NOT NULL, entity INTEGER NOT NULL,
  PRIMARY KEY(scenario, year, period, entity)) WITHOUT ROWID;
)sql";

// The key columns in table order and the dimension each holds (band for Period).
constexpr Dimension kKeyDimensions[] = {
    Dimension::Scenario, Dimension::Year,    Dimension::Entity,  Dimension::Period,
    Dimension::View,     Dimension::Value,   Dimension::Account, Dimension::ICP,
    Dimension::Custom1,  Dimension::Custom2, Dimension::Custom3, Dimension::Custom4};
constexpr int kKeyColumns = 12;
constexpr const char* kKeyColumnNames[kKeyColumns] = {"scenario", "year",  "entity",  "band",
                                                      "view",     "value", "account", "icp",
                                                      "c1",       "c2",    "c3",      "c4"};
constexpr const char* kKeyList =
    "scenario, year, entity, band, view, value, account, icp, c1, c2, c3, c4";
constexpr const char* kSlotList = "p0, p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11";

std::string Slot(int k) {
    std::string column(1, 'p');
    column += std::to_string(k);
    return column;
}

std::string AllSlotsNull() {
    std::string sql;
    for (int k = 0; k < kPeriodSlots; ++k) {
        sql += (k ? " AND " : "") + Slot(k) + " IS NULL";
    }
    return sql;
}

// Inserts into table rows of the given source (a VALUES list or a SELECT); a row whose key
// is there already is updated slot by slot by how.
std::string UpsertSql(DataStore::Write how, const std::string& table = "cells",
                      std::string source = {}) {
    if (source.empty()) {
        source = "VALUES(";
        for (int i = 1; i <= kKeyColumns + kPeriodSlots; ++i) {
            source += (i > 1 ? ",?" : "?") + std::to_string(i);
        }
        source += ")";
    }
    std::string sql = "INSERT INTO " + table + "(" + kKeyList + ", " + kSlotList + ") " + source +
                      " ON CONFLICT DO UPDATE SET ";
    for (int k = 0; k < kPeriodSlots; ++k) {
        const std::string p = Slot(k);
        sql += (k ? ", " : "") + p + " = CASE WHEN excluded." + p + " IS NULL THEN " + p +
               (how == DataStore::Write::Add ? " ELSE ifnull(" + p + ", 0) + excluded." + p
                                             : " ELSE excluded." + p) +
               " END";
    }
    return sql;
}

int32_t KeyMember(const CellMembers& members, Dimension d) {
    const int32_t member = members[static_cast<size_t>(d)];
    return d == Dimension::Period ? BandOf(member) : member;
}

// Reads a row selected as key columns then slots.
CellRow ReadRow(const sql::Statement& q) {
    CellRow row;
    for (int c = 0; c < kKeyColumns; ++c) {
        const auto member = static_cast<int32_t>(q.Int(c));
        row.members[static_cast<size_t>(kKeyDimensions[c])] =
            kKeyDimensions[c] == Dimension::Period ? member * kPeriodSlots : member;
    }
    for (int k = 0; k < kPeriodSlots; ++k) {
        if (!q.IsNull(kKeyColumns + k)) {
            row.amounts[static_cast<size_t>(k)] = q.Real(kKeyColumns + k);
            row.present = static_cast<uint16_t>(row.present | (1u << k));
        }
    }
    return row;
}

void VisitCells(const CellRow& row, const std::function<void(const CellMembers&, double)>& visit) {
    CellMembers cell = row.members;
    for (int k = 0; k < kPeriodSlots; ++k) {
        if (row.present & (1u << k)) {
            cell[static_cast<size_t>(Dimension::Period)] = row.band() * kPeriodSlots + k;
            visit(cell, row.amounts[static_cast<size_t>(k)]);
        }
    }
}

const char* ColumnOf(Dimension d) {
    switch (d) {
        case Dimension::Scenario:
            return "scenario";
        case Dimension::Year:
            return "year";
        case Dimension::Period:
            return "band";
        case Dimension::View:
            return "view";
        case Dimension::Entity:
            return "entity";
        case Dimension::Value:
            return "value";
        case Dimension::Account:
            return "account";
        case Dimension::ICP:
            return "icp";
        case Dimension::Custom1:
            return "c1";
        case Dimension::Custom2:
            return "c2";
        case Dimension::Custom3:
            return "c3";
        case Dimension::Custom4:
            return "c4";
    }
    return "scenario";
}

void BindRow(sql::Statement& q, const CellRow& row) {
    for (int c = 0; c < kKeyColumns; ++c) {
        q.Bind(c + 1, KeyMember(row.members, kKeyDimensions[c]));
    }
    for (int k = 0; k < kPeriodSlots; ++k) {
        if (row.present & (1u << k)) {
            q.BindReal(kKeyColumns + k + 1, row.amounts[static_cast<size_t>(k)]);
        } else {
            q.BindNull(kKeyColumns + k + 1);
        }
    }
}

// Whether the bound query gives a row; the statement is reset for its next use.
bool HasRow(sql::Statement& q) {
    const bool found = q.Step();
    q.Reset();
    return found;
}

const std::string kSelectRow = std::string("SELECT ") + kKeyList + ", " + kSlotList + " FROM cells";

// A filter on a key column that does not continue the leading equalities of a query. Given
// as is, SQLite's planner stops trusting the key order past it and sorts the rows it finds
// in a temporary b-tree, whose memory grows with the rows selected; the unary plus keeps it
// a plain filter over rows that come in key order already.
std::string KeyFilter(const char* column, const char* parameter) {
    return std::string("+") + column + " = " + parameter;
}

}  // namespace

struct DataStore::Statements {
    std::optional<sql::Statement> set, add, stageSet, stageAdd, rowsOf, rowsOfValue, markImpacted,
        isImpacted, anyImpacted, clearImpacted;
    std::array<std::optional<sql::Statement>, kPeriodSlots> cellsOf;
    std::optional<sql::Statement> dropEmpty, clearRowSlots, clearSlots, deleteRange, rowsFirst,
        rowsAfter;
};

DimensionIndexes LoadIndexes(sql::Database& db) {
    DimensionIndexes indexes;
    for (int d = 0; d < kDimensionCount; ++d) {
        indexes[static_cast<size_t>(d)] = DimensionIndex::Load(db, static_cast<Dimension>(d));
    }
    return indexes;
}

void CreateDataTables(sql::Database& db) {
    db.Exec(kDataSchema);
}

std::vector<int32_t> MembersWithCells(sql::Database& db, Dimension dimension) {
    std::vector<int32_t> members;
    if (dimension == Dimension::Period) {
        // A period has cells where its slot of some row of its band is set.
        std::string query = "SELECT band";
        for (int k = 0; k < kPeriodSlots; ++k) {
            query += ", max(p" + std::to_string(k) + " IS NOT NULL)";
        }
        sql::Statement q(db, query + " FROM cells GROUP BY band ORDER BY band");
        while (q.Step()) {
            for (int k = 0; k < kPeriodSlots; ++k) {
                if (q.Int(k + 1) != 0) {
                    members.push_back(static_cast<int32_t>(q.Int(0)) * kPeriodSlots + k);
                }
            }
        }
        return members;
    }
    const auto key = std::find(std::begin(kKeyDimensions), std::end(kKeyDimensions), dimension);
    const std::string column = kKeyColumnNames[key - std::begin(kKeyDimensions)];
    sql::Statement q(db, "SELECT DISTINCT " + column + " FROM cells ORDER BY " + column);
    while (q.Step()) {
        members.push_back(static_cast<int32_t>(q.Int(0)));
    }
    return members;
}

std::array<int32_t, kDimensionCount> IdsNamedByCells(sql::Database& db) {
    std::array<int32_t, kDimensionCount> above{};
    const auto name = [&above](Dimension dimension, const sql::Statement& q, int column) {
        if (!q.IsNull(column)) {
            auto& a = above[static_cast<size_t>(dimension)];
            a = std::max(a, static_cast<int32_t>(q.Int(column)) + 1);
        }
    };
    std::string query = "SELECT ";
    for (int c = 0; c < kKeyColumns; ++c) {
        query += std::string(c == 0 ? "" : ", ") + "max(" + kKeyColumnNames[c] + ")";
    }
    sql::Statement cells(db, query + " FROM cells");
    if (cells.Step()) {
        for (int c = 0; c < kKeyColumns; ++c) {
            name(kKeyDimensions[c], cells, c);
        }
        // A band names every period slot in it.
        if (!cells.IsNull(3)) {
            above[static_cast<size_t>(Dimension::Period)] =
                static_cast<int32_t>(cells.Int(3) + 1) * kPeriodSlots;
        }
    }
    sql::Statement status(db,
                          "SELECT max(scenario), max(year), max(period), max(entity) "
                          "FROM consolidation_status");
    if (status.Step()) {
        name(Dimension::Scenario, status, 0);
        name(Dimension::Year, status, 1);
        name(Dimension::Period, status, 2);
        name(Dimension::Entity, status, 3);
    }
    return above;
}

// Pages kept in memory while a store works: a consolidation rewrites each parent's
// rows next to the children's it reads.
constexpr int64_t kCacheKiB = 64 * 1024;

DataStore::DataStore(sql::Database& db) : db_(db), statements_(std::make_unique<Statements>()) {
    savedCacheSize_ = db_.QueryInt("PRAGMA cache_size");
    db_.Exec("PRAGMA cache_size = -" + std::to_string(kCacheKiB));
}

DataStore::~DataStore() {
    statements_.reset();
    try {
        db_.Exec("PRAGMA cache_size = " + std::to_string(savedCacheSize_));
    } catch (...) {
        // The cache only keeps its size; nothing of the data depends on it.
    }
}

void DataStore::WriteRow(const CellRow& row, Write how) {
    auto& slot = how == Write::Set ? statements_->set : statements_->add;
    if (!slot) {
        slot.emplace(db_, UpsertSql(how));
    }
    BindRow(*slot, row);
    slot->Run();
}

void DataStore::StageRow(const CellRow& row, Write how) {
    auto& slot = how == Write::Set ? statements_->stageSet : statements_->stageAdd;
    if (!statements_->stageSet && !statements_->stageAdd) {
        db_.Exec(std::string("CREATE TEMP TABLE IF NOT EXISTS load_cells AS SELECT * FROM cells "
                             "WHERE 0; CREATE UNIQUE INDEX IF NOT EXISTS temp.load_cells_key ON "
                             "load_cells(") +
                 kKeyList + "); DELETE FROM load_cells;");
    }
    if (!slot) {
        slot.emplace(db_, UpsertSql(how, "temp.load_cells"));
    }
    BindRow(*slot, row);
    slot->Run();
}

void DataStore::ApplyStaged(Write how) {
    if (!statements_->stageSet && !statements_->stageAdd) {
        return;
    }
    db_.Exec(UpsertSql(how, "cells",
                       std::string("SELECT ") + kKeyList + ", " + kSlotList +
                           " FROM temp.load_cells WHERE true ORDER BY " + kKeyList));
    statements_->stageSet.reset();
    statements_->stageAdd.reset();
    db_.Exec("DROP TABLE temp.load_cells");
}

void DataStore::WriteCell(const CellMembers& cell, double amount, Write how) {
    CellRow row;
    row.members = cell;
    const int32_t period = cell[static_cast<size_t>(Dimension::Period)];
    row.amounts[static_cast<size_t>(SlotOf(period))] = amount;
    row.present = static_cast<uint16_t>(1u << SlotOf(period));
    WriteRow(row, how);
}

void DataStore::ClearSlots(int32_t scenario, int32_t year, int32_t entity, int32_t band,
                           int32_t value, uint16_t cleared) {
    cleared = static_cast<uint16_t>(cleared & kAllSlots);
    if (cleared == kAllSlots) {
        if (!statements_->deleteRange) {
            statements_->deleteRange.emplace(
                db_,
                "DELETE FROM cells WHERE scenario = ?1 AND year = ?2 AND entity = ?3 AND "
                "band = ?4 AND value = ?5");
        }
        statements_->deleteRange->Bind(1, scenario)
            .Bind(2, year)
            .Bind(3, entity)
            .Bind(4, band)
            .Bind(5, value)
            .Run();
        return;
    }
    if (cleared == 0) {
        return;
    }
    if (!statements_->clearSlots) {
        std::string sql = "UPDATE cells SET ";
        for (int k = 0; k < kPeriodSlots; ++k) {
            sql += (k ? ", " : "") + Slot(k) + " = CASE WHEN ?6 & " + std::to_string(1 << k) +
                   " THEN NULL ELSE " + Slot(k) + " END";
        }
        statements_->clearSlots.emplace(
            db_, sql +
                     " WHERE scenario = ?1 AND year = ?2 AND entity = ?3 AND band = ?4 AND "
                     "value = ?5");
    }
    statements_->clearSlots->Bind(1, scenario)
        .Bind(2, year)
        .Bind(3, entity)
        .Bind(4, band)
        .Bind(5, value)
        .Bind(6, static_cast<int64_t>(cleared))
        .Run();
    DropEmptyRows(scenario, year, entity, band);
}

void DataStore::DropEmptyRows(int32_t scenario, int32_t year, int32_t entity, int32_t band) {
    if (!statements_->dropEmpty) {
        statements_->dropEmpty.emplace(
            db_,
            "DELETE FROM cells WHERE scenario = ?1 AND year = ?2 AND entity = ?3 AND band = ?4 "
            "AND " +
                AllSlotsNull());
    }
    statements_->dropEmpty->Bind(1, scenario).Bind(2, year).Bind(3, entity).Bind(4, band);
    statements_->dropEmpty->Run();
}

void DataStore::ClearRowSlots(const CellMembers& row, uint16_t cleared) {
    if (!statements_->clearRowSlots) {
        std::string sql = "UPDATE cells SET ";
        for (int k = 0; k < kPeriodSlots; ++k) {
            sql += (k ? ", " : "") + Slot(k) + " = CASE WHEN ?13 & " + std::to_string(1 << k) +
                   " THEN NULL ELSE " + Slot(k) + " END";
        }
        sql += " WHERE ";
        for (int c = 0; c < kKeyColumns; ++c) {
            sql += std::string(c ? " AND " : "") + ColumnOf(kKeyDimensions[c]) + " = ?" +
                   std::to_string(c + 1);
        }
        statements_->clearRowSlots.emplace(db_, sql);
    }
    sql::Statement& q = *statements_->clearRowSlots;
    for (int c = 0; c < kKeyColumns; ++c) {
        q.Bind(c + 1, KeyMember(row, kKeyDimensions[c]));
    }
    q.Bind(kKeyColumns + 1, static_cast<int64_t>(cleared));
    q.Run();
}

void DataStore::ClearCellsExcept(int32_t scenario, int32_t year, int32_t period, int32_t entity,
                                 int32_t value,
                                 const std::function<bool(const CellMembers&)>& keep) {
    std::vector<CellRow> kept;
    ForEachRowOf(scenario, year, entity, BandOf(period), value, [&](const CellRow& row) {
        CellMembers cell = row.members;
        cell[static_cast<size_t>(Dimension::Period)] = period;
        const auto bit = static_cast<uint16_t>(1u << SlotOf(period));
        if ((row.present & bit) && keep(cell)) {
            CellRow one;
            one.members = cell;
            one.amounts[static_cast<size_t>(SlotOf(period))] =
                row.amounts[static_cast<size_t>(SlotOf(period))];
            one.present = bit;
            kept.push_back(one);
        }
    });
    ClearCells(scenario, year, period, entity, value);
    for (const CellRow& row : kept) {
        WriteRow(row, Write::Set);
    }
}

void DataStore::ForEachRowOf(int32_t scenario, int32_t year, int32_t entity, int32_t band,
                             int32_t value, const std::function<void(const CellRow&)>& visit) {
    auto& slot = value < 0 ? statements_->rowsOf : statements_->rowsOfValue;
    if (!slot) {
        slot.emplace(db_, kSelectRow +
                              " WHERE scenario = ?1 AND year = ?2 AND entity = ?3 AND band = ?4" +
                              (value < 0 ? "" : " AND " + KeyFilter("value", "?5")) + " ORDER BY " +
                              kKeyList);
    }
    sql::Statement& q = *slot;
    q.Bind(1, scenario).Bind(2, year).Bind(3, entity).Bind(4, band);
    if (value >= 0) {
        q.Bind(5, value);
    }
    while (q.Step()) {
        visit(ReadRow(q));
    }
    q.Reset();
}

DataStore::RowCursor DataStore::OpenRows(int32_t scenario, int32_t year, int32_t entity,
                                         int32_t band, int32_t value) {
    CellMembers key{};
    key[static_cast<size_t>(Dimension::Scenario)] = scenario;
    key[static_cast<size_t>(Dimension::Year)] = year;
    key[static_cast<size_t>(Dimension::Entity)] = entity;
    key[static_cast<size_t>(Dimension::Period)] = band * kPeriodSlots;
    key[static_cast<size_t>(Dimension::Value)] = value;
    return RowCursor(*this, key);
}

// Rows a cursor holds at once: enough that fetching a batch costs little next to reading
// it, few enough that a parent of many children merges in little memory.
constexpr int kCursorBatch = 256;

bool DataStore::FetchRows(RowCursor& cursor) {
    const bool first = !cursor.started_;
    auto& slot = first ? statements_->rowsFirst : statements_->rowsAfter;
    if (!slot) {
        // The key columns after band, compared as one value, continue the range in key order.
        slot.emplace(db_, kSelectRow +
                              " WHERE scenario = ?1 AND year = ?2 AND entity = ?3 AND band = ?4 "
                              "AND " +
                              KeyFilter("value", "?5") +
                              (first ? std::string()
                                     : " AND (view, value, account, icp, c1, c2, c3, c4) > "
                                       "(?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)") +
                              " ORDER BY " + kKeyList + " LIMIT " + std::to_string(kCursorBatch));
    }
    sql::Statement& q = *slot;
    const CellMembers& key = cursor.key_;
    for (int c = 0; c < 4; ++c) {
        q.Bind(c + 1, KeyMember(key, kKeyDimensions[c]));
    }
    q.Bind(5, key[static_cast<size_t>(Dimension::Value)]);
    if (!first) {
        for (int c = 4; c < kKeyColumns; ++c) {
            q.Bind(c + 2, KeyMember(key, kKeyDimensions[c]));
        }
    }
    cursor.batch_.clear();
    cursor.next_ = 0;
    cursor.started_ = true;
    while (q.Step()) {
        cursor.batch_.push_back(ReadRow(q));
    }
    q.Reset();
    if (cursor.batch_.size() < static_cast<size_t>(kCursorBatch)) {
        cursor.exhausted_ = true;
    }
    if (cursor.batch_.empty()) {
        return false;
    }
    cursor.key_ = cursor.batch_.back().members;
    return true;
}

bool DataStore::RowCursor::Next(CellRow& row) {
    if (next_ == batch_.size() && (exhausted_ || !store_->FetchRows(*this))) {
        return false;
    }
    row = batch_[next_++];
    return true;
}

void DataStore::ForEachCellOf(int32_t scenario, int32_t year, int32_t period, int32_t entity,
                              int32_t view,
                              const std::function<void(const CellMembers&, double)>& visit) {
    const int k = SlotOf(period);
    auto& slot = statements_->cellsOf[static_cast<size_t>(k)];
    if (!slot) {
        slot.emplace(db_, "SELECT value, account, icp, c1, c2, c3, c4, " + Slot(k) +
                              " FROM cells WHERE scenario = ?1 AND year = ?2 AND entity = ?3 AND "
                              "band = ?4 AND view = ?5 AND " +
                              Slot(k) + " IS NOT NULL ORDER BY " + kKeyList);
    }
    sql::Statement& q = *slot;
    q.Bind(1, scenario).Bind(2, year).Bind(3, entity).Bind(4, BandOf(period)).Bind(5, view);
    CellMembers cell{};
    cell[static_cast<size_t>(Dimension::Scenario)] = scenario;
    cell[static_cast<size_t>(Dimension::Year)] = year;
    cell[static_cast<size_t>(Dimension::Period)] = period;
    cell[static_cast<size_t>(Dimension::Entity)] = entity;
    cell[static_cast<size_t>(Dimension::View)] = view;
    constexpr Dimension kRest[] = {Dimension::Value,   Dimension::Account, Dimension::ICP,
                                   Dimension::Custom1, Dimension::Custom2, Dimension::Custom3,
                                   Dimension::Custom4};
    while (q.Step()) {
        for (int c = 0; c < 7; ++c) {
            cell[static_cast<size_t>(kRest[c])] = static_cast<int32_t>(q.Int(c));
        }
        visit(cell, q.Real(7));
    }
    q.Reset();
}

void DataStore::ForEachCellNaming(Dimension dimension, int32_t member,
                                  const std::function<void(const CellMembers&, double)>& visit) {
    if (dimension == Dimension::Period) {
        sql::Statement q(db_, kSelectRow + " WHERE " + KeyFilter("band", "?1") + " AND " +
                                  Slot(SlotOf(member)) + " IS NOT NULL ORDER BY " + kKeyList);
        q.Bind(1, BandOf(member));
        while (q.Step()) {
            CellRow row = ReadRow(q);
            row.present = static_cast<uint16_t>(row.present & (1u << SlotOf(member)));
            VisitCells(row, visit);
        }
        return;
    }
    const std::string filter = dimension == Dimension::Scenario
                                   ? std::string("scenario = ?1")
                                   : KeyFilter(ColumnOf(dimension), "?1");
    sql::Statement q(db_, kSelectRow + " WHERE " + filter + " ORDER BY " + kKeyList);
    q.Bind(1, member);
    while (q.Step()) {
        VisitCells(ReadRow(q), visit);
    }
}

void DataStore::ForEachRow(const std::function<void(const CellRow&)>& visit) {
    sql::Statement q(db_, kSelectRow + " ORDER BY " + kKeyList);
    while (q.Step()) {
        visit(ReadRow(q));
    }
}

int64_t DataStore::DeleteCellsNaming(Dimension dimension, int32_t member) {
    int64_t count = 0;
    ForEachCellNaming(dimension, member, [&count](const CellMembers&, double) { ++count; });
    if (dimension == Dimension::Period) {
        sql::Statement clear(
            db_, "UPDATE cells SET " + Slot(SlotOf(member)) + " = NULL WHERE band = ?1");
        clear.Bind(1, BandOf(member)).Run();
        sql::Statement drop(db_, "DELETE FROM cells WHERE band = ?1 AND " + AllSlotsNull());
        drop.Bind(1, BandOf(member)).Run();
    } else {
        sql::Statement drop(
            db_, std::string("DELETE FROM cells WHERE ") + ColumnOf(dimension) + " = ?1");
        drop.Bind(1, member).Run();
    }
    return count;
}

std::vector<int32_t> DataStore::EntitiesWithData(int32_t scenario, int32_t year, int32_t band) {
    sql::Statement q(db_,
                     "SELECT DISTINCT entity FROM cells WHERE scenario = ?1 AND year = ?2 AND "
                     "band = ?3 ORDER BY entity");
    q.Bind(1, scenario).Bind(2, year).Bind(3, band);
    std::vector<int32_t> entities;
    while (q.Step()) {
        entities.push_back(static_cast<int32_t>(q.Int(0)));
    }
    return entities;
}

void DataStore::MarkImpacted(int32_t scenario, int32_t year, int32_t period, int32_t entity) {
    if (!statements_->markImpacted) {
        statements_->markImpacted.emplace(
            db_, "INSERT OR IGNORE INTO consolidation_status VALUES(?1, ?2, ?3, ?4)");
    }
    statements_->markImpacted->Bind(1, scenario).Bind(2, year).Bind(3, period).Bind(4, entity);
    statements_->markImpacted->Run();
}

void DataStore::MarkImpactedWithAncestors(const DimensionIndex& entities, int32_t scenario,
                                          int32_t year, int32_t period, int32_t entity) {
    std::vector<int32_t> pending{entity};
    std::vector<uint8_t> seen(static_cast<size_t>(std::max(entities.IdLimit(), entity + 1)), 0);
    while (!pending.empty()) {
        const int32_t id = pending.back();
        pending.pop_back();
        if (id < 0 || seen[static_cast<size_t>(id)]) {
            continue;
        }
        seen[static_cast<size_t>(id)] = 1;
        MarkImpacted(scenario, year, period, id);
        if (entities.IsMember(id)) {
            for (const int32_t parent : entities.Parents(id)) {
                pending.push_back(parent);
            }
        }
    }
}

bool DataStore::IsImpacted(int32_t scenario, int32_t year, int32_t period, int32_t entity) {
    if (!statements_->isImpacted) {
        statements_->isImpacted.emplace(
            db_,
            "SELECT 1 FROM consolidation_status WHERE scenario = ?1 AND year = ?2 AND period = ?3 "
            "AND entity = ?4");
    }
    return HasRow(
        statements_->isImpacted->Bind(1, scenario).Bind(2, year).Bind(3, period).Bind(4, entity));
}

bool DataStore::AnyImpacted(int32_t scenario, int32_t year, int32_t period) {
    if (!statements_->anyImpacted) {
        statements_->anyImpacted.emplace(
            db_,
            "SELECT 1 FROM consolidation_status WHERE scenario = ?1 AND year = ?2 AND period = ?3 "
            "LIMIT 1");
    }
    return HasRow(statements_->anyImpacted->Bind(1, scenario).Bind(2, year).Bind(3, period));
}

void DataStore::ClearImpacted(int32_t scenario, int32_t year, int32_t period, int32_t entity) {
    if (!statements_->clearImpacted) {
        statements_->clearImpacted.emplace(
            db_,
            "DELETE FROM consolidation_status WHERE scenario = ?1 AND year = ?2 AND period = ?3 "
            "AND entity = ?4");
    }
    statements_->clearImpacted->Bind(1, scenario).Bind(2, year).Bind(3, period).Bind(4, entity);
    statements_->clearImpacted->Run();
}

}  // namespace tarsel::local
