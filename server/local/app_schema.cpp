#include "server/local/app_schema.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <span>
#include <string>
#include <string_view>

#include "server/local/data_store.h"
#include "server/local/huge_pages.h"
#include "server/local/journal_store.h"
#include "server/local/member_record.h"
#include "server/local/security_store.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE application(key TEXT PRIMARY KEY, value) WITHOUT ROWID;
CREATE TABLE languages(idx INTEGER PRIMARY KEY, label TEXT NOT NULL);
CREATE TABLE security_classes(id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE members(key INTEGER PRIMARY KEY, label TEXT NOT NULL,
  descriptions TEXT NOT NULL, user_defined TEXT NOT NULL, attributes BLOB,
  dim INTEGER GENERATED ALWAYS AS (key >> 32) VIRTUAL,
  id INTEGER GENERATED ALWAYS AS (key & 4294967295) VIRTUAL);
CREATE TABLE relations(key INTEGER PRIMARY KEY, parent INTEGER NOT NULL,
  child INTEGER NOT NULL,
  dim INTEGER GENERATED ALWAYS AS (key >> 32) VIRTUAL,
  seq INTEGER GENERATED ALWAYS AS (key & 4294967295) VIRTUAL);
CREATE TABLE member_lists(dim INTEGER NOT NULL, id INTEGER NOT NULL, name TEXT NOT NULL,
  PRIMARY KEY(dim, id)) WITHOUT ROWID;
CREATE TABLE member_list_entries(dim INTEGER NOT NULL, list INTEGER NOT NULL,
  seq INTEGER NOT NULL, member INTEGER NOT NULL, parent INTEGER NOT NULL,
  PRIMARY KEY(dim, list, seq)) WITHOUT ROWID;
CREATE TABLE member_list_file(id INTEGER PRIMARY KEY CHECK(id = 0), content BLOB NOT NULL);
)sql";

// Rows per INSERT statement of the bulk tables. Each step of a statement has a fixed cost
// (starting and halting the program, resetting it) beside the cost of its rows; a million
// members inserted 64 to a step pay it some 16,000 times instead of a million.
constexpr int kRowsPerInsert = 64;

std::string MultiRowInsert(std::string_view head, int columns, size_t rows) {
    std::string sql(head);
    sql += " VALUES";
    for (size_t r = 0; r < rows; ++r) {
        sql += r == 0 ? "(" : ",(";
        for (int c = 0; c < columns; ++c) {
            sql += c == 0 ? "?" : ",?";
        }
        sql += ')';
    }
    return sql;
}

// Inserts count rows: bind(statement, row, slot, firstParameter) binds row's values,
// slot being its place (0..kRowsPerInsert-1) in the statement that carries it.
template <typename Bind>
void InsertRows(sql::Database& db, sql::Statement& full, std::string_view head, int columns,
                size_t count, const Bind& bind) {
    size_t done = 0;
    for (; count - done >= kRowsPerInsert; done += kRowsPerInsert) {
        for (int slot = 0; slot < kRowsPerInsert; ++slot) {
            bind(full, done + static_cast<size_t>(slot), slot, slot * columns + 1);
        }
        full.Run();
    }
    if (done < count) {
        sql::Statement tail(db, MultiRowInsert(head, columns, count - done));
        for (size_t row = done; row < count; ++row) {
            const auto slot = static_cast<int>(row - done);
            bind(tail, row, slot, slot * columns + 1);
        }
        tail.Run();
    }
}

constexpr const char* kListInsert = "INSERT INTO member_lists VALUES(?1, ?2, ?3)";
constexpr const char* kEntryInsert = "INSERT INTO member_list_entries VALUES(?1, ?2, ?3, ?4, ?5)";

void InsertList(sql::Statement& list, sql::Statement& entry, int64_t dim, int64_t id,
                const QString& name, const std::vector<int32_t>& members,
                const std::vector<int32_t>& parents) {
    list.Bind(1, dim).Bind(2, id).Bind(3, name).Run();
    for (size_t k = 0; k < members.size(); ++k) {
        entry.Bind(1, dim)
            .Bind(2, id)
            .Bind(3, static_cast<int64_t>(k))
            .Bind(4, members[k])
            .Bind(5, parents[k])
            .Run();
    }
}

constexpr const char* kLanguagesQuery = "SELECT label FROM languages ORDER BY idx";
constexpr const char* kClassesQuery = "SELECT name FROM security_classes ORDER BY id";

QStringList SplitDescriptions(const QString& column) {
    return column.isEmpty() ? QStringList() : column.split(kFieldSeparator);
}

// The places of ids in ascending order of id; empty when they ascend already. Rows
// appended in key order fill each page of the table once; rows in another order split
// pages all over it.
std::vector<uint32_t> KeyOrder(const std::vector<int32_t>& ids) {
    if (std::is_sorted(ids.begin(), ids.end())) {
        return {};
    }
    std::vector<uint32_t> order(ids.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<uint32_t>(i);
    }
    std::sort(order.begin(), order.end(),
              [&ids](uint32_t a, uint32_t b) { return ids[a] < ids[b]; });
    return order;
}

// Writes every metadata table from the model; ids, when given, are the stored id of
// each member (else its place in the model), and resolved already names those ids.
void InsertMetadata(sql::Database& db, const AppModel& model, const ResolvedModel& resolved,
                    const MemberIds* ids) {
    {
        sql::Statement put(db, "INSERT INTO languages(idx, label) VALUES(?1, ?2)");
        for (qsizetype i = 0; i < model.languages.size(); ++i) {
            put.Bind(1, static_cast<int64_t>(i)).Bind(2, model.languages[i]).Run();
        }
    }
    {
        sql::Statement put(db, "INSERT INTO security_classes(id, name) VALUES(?1, ?2)");
        for (qsizetype i = 0; i < model.securityClasses.size(); ++i) {
            put.Bind(1, static_cast<int64_t>(i)).Bind(2, model.securityClasses[i]).Run();
        }
    }
    // OR FAIL: a statement that fails keeps the rows it inserted before the fault instead
    // of undoing them itself. The caller's transaction is rolled back whole on any failure,
    // so nothing of it is ever stored, and SQLite keeps no undo journal per statement: with
    // a REPLACE, whose rows go into pages the old rows freed, that journal wrote each page
    // again, some ten times the application's size, into a temporary file.
    constexpr std::string_view kMemberInsert =
        "INSERT OR FAIL INTO members(key, label, descriptions, user_defined, attributes)";
    constexpr std::string_view kRelationInsert =
        "INSERT OR FAIL INTO relations(key, parent, child)";
    sql::Statement member(db, MultiRowInsert(kMemberInsert, 5, kRowsPerInsert));
    sql::Statement relation(db, MultiRowInsert(kRelationInsert, 3, kRowsPerInsert));
    sql::Statement list(db, kListInsert);
    sql::Statement entry(db, kEntryInsert);
    // Texts and bytes are bound without a copy, so each slot keeps its own until the step.
    std::array<QString, kRowsPerInsert> descriptions, userDefined;
    std::array<AttributeBytes, kRowsPerInsert> packed;
    for (size_t d = 0; d < kDimensionCount; ++d) {
        const DimensionModel& dim = model.dimensions[d];
        const ResolvedDimension& r = resolved.dimensions[d];
        const auto dimNumber = static_cast<int64_t>(d);
        const std::vector<uint32_t> order = ids ? KeyOrder((*ids)[d]) : std::vector<uint32_t>();
        InsertRows(db, member, kMemberInsert, 5, dim.members.size(),
                   [&](sql::Statement& insert, size_t row, int slot, int p) {
                       const size_t i = order.empty() ? row : order[row];
                       const MemberModel& m = dim.members[i];
                       const auto s = static_cast<size_t>(slot);
                       descriptions[s] = m.descriptions.Joined(kFieldSeparator);
                       userDefined[s] = JoinUserDefined(m.userDefined);
                       MemberAttributes attributes;
                       attributes.securityClass = r.securityClass[i];
                       attributes.flags = MemberFlags(m);
                       attributes.accountType = m.accountType;
                       attributes.icpType = m.icpType;
                       attributes.decimalPlaces = m.decimalPlaces;
                       attributes.topCustom = r.TopCustom(i);
                       attributes.defaultCurrency = r.defaultCurrency[i];
                       const int64_t id = ids ? (*ids)[d][i] : static_cast<int64_t>(i);
                       insert.Bind(p, MemberKey(dimNumber, id))
                           .Bind(p + 1, m.label)
                           .Bind(p + 2, descriptions[s])
                           .Bind(p + 3, userDefined[s]);
                       if (const auto bytes = PackAttributes(attributes)) {
                           packed[s] = *bytes;
                           insert.BindBlob(p + 4, packed[s].data(), kAttributeBytes);
                       } else {
                           insert.BindNull(p + 4);
                       }
                   });
        InsertRows(db, relation, kRelationInsert, 3, r.relationChild.size(),
                   [&](sql::Statement& insert, size_t k, int, int p) {
                       insert.Bind(p, MemberKey(dimNumber, static_cast<int64_t>(k)))
                           .Bind(p + 1, r.relationParent[k])
                           .Bind(p + 2, r.relationChild[k]);
                   });
        for (size_t l = 0; l < dim.memberLists.size(); ++l) {
            InsertList(list, entry, dimNumber, static_cast<int64_t>(l), dim.memberLists[l].name,
                       r.lists[l].members, r.lists[l].parents);
        }
    }
    if (model.memberListFile) {
        sql::Statement put(db, "INSERT INTO member_list_file(id, content) VALUES(0, ?1)");
        put.BindBlob(1, *model.memberListFile).Run();
    }
}

// The highest id or seq of a dimension's rows in table, plus one: its row count, or a
// little more where removed members left their ids unused. One seek, where a count
// would read every row.
size_t RowsBelow(sql::Database& db, const char* table, Dimension dimension) {
    const auto d = static_cast<int64_t>(dimension);
    sql::Statement q(
        db, std::string("SELECT max(key) FROM ") + table + " WHERE key >= ?1 AND key < ?2");
    q.Bind(1, MemberKey(d, 0)).Bind(2, MemberKey(d + 1, 0));
    return q.Step() && !q.IsNull(0) ? static_cast<size_t>(q.Int(0) - MemberKey(d, 0) + 1) : 0;
}

// The member columns user_defined and attributes, from column first on, into m (label and
// descriptions untouched); gives the attributes, whose member references (top custom
// members, default currency) the caller turns into labels.
MemberAttributes ReadAttributeColumns(const sql::Statement& q, int first,
                                      std::span<const SharedText> classes, MemberModel& m) {
    if (q.TextView(first).isEmpty()) {  // as most members are
        m.userDefined = SparseTexts<3>();
    } else {
        m.userDefined = SplitUserDefined(q.Text(first));
    }
    const MemberAttributes a = UnpackAttributes(q.BlobData(first + 1), q.Bytes(first + 1));
    static const SharedText none;
    const SharedText& securityClass =
        a.securityClass >= 0 && static_cast<size_t>(a.securityClass) < classes.size()
            ? classes[static_cast<size_t>(a.securityClass)]
            : none;
    if (!m.securityClass.Shares(securityClass)) {
        m.securityClass = securityClass;
    }
    ApplyMemberFlags(a.flags, m);
    m.accountType = a.accountType;
    m.icpType = a.icpType;
    m.decimalPlaces = a.decimalPlaces;
    return a;
}

// As ReadAttributeColumns, the label at column first.
MemberAttributes ReadMemberColumns(const sql::Statement& q, int first,
                                   std::span<const SharedText> classes, MemberModel& m) {
    m.label = q.Text(first);
    return ReadAttributeColumns(q, first + 1, classes, m);
}

// The id or seq of a member or relation key.
int64_t IdOf(int64_t key) {
    return key & 0xFFFFFFFF;
}

sql::Statement RowsOf(sql::Database& db, const char* sql, Dimension dimension) {
    const auto d = static_cast<int64_t>(dimension);
    sql::Statement q(db, sql);
    q.Bind(1, MemberKey(d, 0)).Bind(2, MemberKey(d + 1, 0));
    return q;
}

std::vector<SharedText> SharedTexts(const QStringList& texts) {
    return {texts.begin(), texts.end()};
}

QStringList Names(sql::Database& db, const char* sql) {
    QStringList names;
    sql::Statement q(db, sql);
    while (q.Step()) {
        names.append(q.Text(0));
    }
    return names;
}

}  // namespace

namespace {
// Version 2 only added tables (rules and security, cells, journals): a version 1 file gets
// them, empty, the first time this build opens it, so applications made before keep working.
void UpgradeFromVersion1(sql::Database& db) {
    sql::Transaction write(db, sql::Transaction::Kind::Write);
    if (db.UserVersion() != 1) {
        return;  // another process upgraded it while this one waited
    }
    CreateSecurityTables(db);
    CreateDataTables(db);
    CreateJournalTables(db);
    db.SetUserVersion(kApplicationSchemaVersion);
    write.Commit();
}
}  // namespace

void CheckApplicationSchema(sql::Database& db) {
    if (db.UserVersion() == 1) {
        UpgradeFromVersion1(db);
    }
    const int version = db.UserVersion();
    if (version != kApplicationSchemaVersion) {
        ThrowClientError(
            code::kSchemaMismatch,
            version > kApplicationSchemaVersion
                ? QStringLiteral("The application file \"%1\" has store version %2, newer than "
                                 "this build of the local Tarsel server reads (%3). Use the "
                                 "newer build that wrote it.")
                      .arg(db.path())
                      .arg(version)
                      .arg(kApplicationSchemaVersion)
                : QStringLiteral("The file \"%1\" is not an application file of the local "
                                 "Tarsel server (store version %2, expected %3).")
                      .arg(db.path())
                      .arg(version)
                      .arg(kApplicationSchemaVersion));
    }
}

void WriteApplication(sql::Database& db, const QString& name, const AppModel& model,
                      const ResolvedModel& resolved) {
    db.Exec(kSchema);
    CreateSecurityTables(db);
    {
        sql::Statement put(db, "INSERT INTO application(key, value) VALUES(?1, ?2)");
        const QString nameKey = QStringLiteral("name");
        put.Bind(1, nameKey).Bind(2, name).Run();
        const QString counterKey = QStringLiteral("change_counter");
        put.Bind(1, counterKey).Bind(2, 0).Run();
    }
    InsertMetadata(db, model, resolved, nullptr);
    CreateDataTables(db);
    CreateJournalTables(db);
    db.SetUserVersion(kApplicationSchemaVersion);
}

void ReplaceMetadata(sql::Database& db, const AppModel& model, const ResolvedModel& resolved,
                     const MemberIds& ids) {
    db.Exec(
        "DELETE FROM members; DELETE FROM relations; DELETE FROM member_lists;"
        "DELETE FROM member_list_entries; DELETE FROM languages; DELETE FROM security_classes;"
        "DELETE FROM member_list_file;");
    InsertMetadata(db, model, resolved, &ids);
    CountChange(db);
}

std::array<int32_t, kDimensionCount> IdsNamedByData(sql::Database& db) {
    std::array<int32_t, kDimensionCount> above = IdsNamedByCells(db);
    const std::array<int32_t, kDimensionCount> journals = IdsNamedByJournals(db);
    for (size_t d = 0; d < kDimensionCount; ++d) {
        above[d] = std::max(above[d], journals[d]);
    }
    return above;
}

std::array<int32_t, kDimensionCount> FirstFreeMemberIds(sql::Database& db) {
    std::array<int32_t, kDimensionCount> first{};
    {
        sql::Statement q(db, "SELECT value FROM application WHERE key = 'first_free_member_ids'");
        if (q.Step()) {
            const QStringList fields = q.Text(0).split(u' ');
            bool ok = fields.size() == kDimensionCount;
            // Beyond any real dimension; a larger value would let new ids overflow.
            constexpr int32_t kFarthest = int32_t{1} << 30;
            for (size_t d = 0; d < kDimensionCount && ok; ++d) {
                first[d] = fields[static_cast<qsizetype>(d)].toInt(&ok);
                ok = ok && first[d] >= 0 && first[d] < kFarthest;
            }
            if (ok) {
                return first;
            }
        }
    }
    first = IdsNamedByData(db);
    for (size_t d = 0; d < kDimensionCount; ++d) {
        sql::Statement q = RowsOf(db, "SELECT max(key) FROM members WHERE key >= ?1 AND key < ?2",
                                  static_cast<Dimension>(d));
        if (q.Step() && !q.IsNull(0)) {
            first[d] = std::max(first[d], static_cast<int32_t>(IdOf(q.Int(0))) + 1);
        }
    }
    return first;
}

void SetFirstFreeMemberIds(sql::Database& db, const std::array<int32_t, kDimensionCount>& ids) {
    QStringList fields;
    for (const int32_t id : ids) {
        fields << QString::number(id);
    }
    const QString value = fields.join(u' ');
    sql::Statement put(db,
                       "INSERT OR REPLACE INTO application(key, value) "
                       "VALUES('first_free_member_ids', ?1)");
    put.Bind(1, value).Run();
}

void CountChange(sql::Database& db) {
    db.Exec("UPDATE application SET value = value + 1 WHERE key = 'change_counter'");
}

void StoreMemberLists(sql::Database& db,
                      const std::array<std::vector<UserList>, kDimensionCount>& lists,
                      const QByteArray& file) {
    db.Exec("DELETE FROM member_list_entries; DELETE FROM member_lists;");
    sql::Statement list(db, kListInsert);
    sql::Statement entry(db, kEntryInsert);
    for (size_t d = 0; d < kDimensionCount; ++d) {
        for (size_t l = 0; l < lists[d].size(); ++l) {
            const UserList& u = lists[d][l];
            InsertList(list, entry, static_cast<int64_t>(d), static_cast<int64_t>(l), u.name,
                       u.members, u.parents);
        }
    }
    sql::Statement put(db, "INSERT OR REPLACE INTO member_list_file(id, content) VALUES(0, ?1)");
    put.BindBlob(1, file).Run();
    CountChange(db);
}

AppModel ReadApplication(sql::Database& db, MemberIds* ids) {
    CheckApplicationSchema(db);
    sql::Transaction read(db, sql::Transaction::Kind::Read);
    AppModel model = ReadMetadata(db, ids);
    read.Commit();
    return model;
}

void ForEachMemberLabel(sql::Database& db, Dimension dimension, const LabelFn& each) {
    sql::Statement q = RowsOf(
        db, "SELECT label, id FROM members WHERE key >= ?1 AND key < ?2 ORDER BY key", dimension);
    while (q.Step()) {
        const auto id = static_cast<int32_t>(q.Int(1));
        each(q.TextView(0), id);
    }
}

AppModel ReadMetadata(sql::Database& db, MemberIds* ids,
                      const std::array<bool, kDimensionCount>& skip) {
    AppModel model;
    // Ids may have gaps (members a load removed): the place in the model of each id.
    std::array<std::vector<int32_t>, kDimensionCount> placeOf;
    MemberIds memberIds;
    auto label = [&model, &placeOf](size_t d, int64_t id) {
        const auto& places = placeOf[d];
        const int32_t place = id >= 0 && static_cast<size_t>(id) < places.size()
                                  ? places[static_cast<size_t>(id)]
                                  : -1;
        return place >= 0 ? model.dimensions[d].members[static_cast<size_t>(place)].label
                          : QString();
    };
    {
        sql::Statement q(db, "SELECT value FROM application WHERE key = 'name'");
        if (q.Step()) {
            model.name = q.Text(0);
        }
    }
    model.languages = Names(db, kLanguagesQuery);
    model.securityClasses = Names(db, kClassesQuery);
    // Room for each dimension's rows up front: growing a vector of a million members
    // copies them again and again and, while it grows, holds them twice.
    for (size_t d = 0; d < kDimensionCount; ++d) {
        if (!skip[d]) {
            const auto dimension = static_cast<Dimension>(d);
            const size_t members = RowsBelow(db, "members", dimension);
            model.dimensions[d].members.reserve(members);
            memberIds[d].reserve(members);
            model.dimensions[d].hierarchy.reserve(RowsBelow(db, "relations", dimension));
        }
    }
    {
        sql::Statement q(db,
                         "SELECT dim, id, descriptions, label, user_defined, attributes FROM "
                         "members ORDER BY key");
        // Labels of the dimensions referred to across (Custom1..4, Value) are known only
        // once every dimension is read, so the ids are kept and turned into labels after.
        struct Reference {
            size_t dim, member;
            std::array<int64_t, 5> ids;
        };
        std::vector<Reference> references;
        const std::vector<SharedText> classes = SharedTexts(model.securityClasses);
        while (q.Step()) {
            const auto d = static_cast<size_t>(q.Int(0));
            if (d >= kDimensionCount || skip[d]) {
                continue;
            }
            DimensionModel& dim = model.dimensions[d];
            const auto id = static_cast<int32_t>(q.Int(1));
            placeOf[d].resize(std::max(placeOf[d].size(), static_cast<size_t>(id) + 1), -1);
            placeOf[d][static_cast<size_t>(id)] = static_cast<int32_t>(dim.members.size());
            memberIds[d].push_back(id);
            MemberModel& m = dim.members.emplace_back();
            m.descriptions = SplitDescriptions(q.Text(2));
            const MemberAttributes a = ReadMemberColumns(q, 3, classes, m);
            Reference ref{d,
                          dim.members.size() - 1,
                          {a.topCustom[0], a.topCustom[1], a.topCustom[2], a.topCustom[3],
                           a.defaultCurrency}};
            if (std::any_of(ref.ids.begin(), ref.ids.end(), [](int64_t id) { return id >= 0; })) {
                references.push_back(ref);
            }
        }
        auto labelOf = [&label](Dimension d, int64_t id) {
            return label(static_cast<size_t>(d), id);
        };
        for (const Reference& ref : references) {
            MemberModel& m = model.dimensions[ref.dim].members[ref.member];
            for (int c = 0; c < 4; ++c) {
                m.topCustom[static_cast<size_t>(c)] =
                    labelOf(static_cast<Dimension>(static_cast<int>(Dimension::Custom1) + c),
                            ref.ids[static_cast<size_t>(c)]);
            }
            m.defaultCurrency = SharedText::Recent(labelOf(Dimension::Value, ref.ids[4]));
        }
    }
    {
        sql::Statement q(db, "SELECT dim, parent, child FROM relations ORDER BY key");
        while (q.Step()) {
            const auto d = static_cast<size_t>(q.Int(0));
            if (d < kDimensionCount && !skip[d]) {
                model.dimensions[d].hierarchy.push_back({label(d, q.Int(1)), label(d, q.Int(2))});
            }
        }
    }
    {
        sql::Statement q(db, "SELECT dim, name FROM member_lists ORDER BY dim, id");
        while (q.Step()) {
            const auto d = static_cast<size_t>(q.Int(0));
            if (d < kDimensionCount && !skip[d]) {
                model.dimensions[d].memberLists.push_back({q.Text(1), {}});
            }
        }
        sql::Statement e(db,
                         "SELECT dim, list, member, parent FROM member_list_entries "
                         "ORDER BY dim, list, seq");
        while (e.Step()) {
            const auto d = static_cast<size_t>(e.Int(0));
            const auto l = static_cast<size_t>(e.Int(1));
            if (d < kDimensionCount && l < model.dimensions[d].memberLists.size()) {
                model.dimensions[d].memberLists[l].entries.push_back(
                    {label(d, e.Int(2)), label(d, e.Int(3))});
            }
        }
    }
    {
        sql::Statement q(db, "SELECT content FROM member_list_file WHERE id = 0");
        if (q.Step()) {
            model.memberListFile = q.Blob(0);
        }
    }
    if (ids) {
        *ids = std::move(memberIds);
    }
    return model;
}

std::vector<UserList> ReadUserLists(sql::Database& db, Dimension dimension) {
    const auto dim = static_cast<int64_t>(dimension);
    std::vector<UserList> lists;
    std::vector<int64_t> ids;
    sql::Statement q(db, "SELECT id, name FROM member_lists WHERE dim = ?1 ORDER BY id");
    q.Bind(1, dim);
    while (q.Step()) {
        ids.push_back(q.Int(0));
        lists.push_back({q.Text(1), {}, {}});
    }
    sql::Statement e(db,
                     "SELECT member, parent FROM member_list_entries WHERE dim = ?1 AND "
                     "list = ?2 ORDER BY seq");
    for (size_t l = 0; l < ids.size(); ++l) {
        e.Bind(1, dim).Bind(2, ids[l]);
        while (e.Step()) {
            lists[l].members.push_back(static_cast<int32_t>(e.Int(0)));
            lists[l].parents.push_back(static_cast<int32_t>(e.Int(1)));
        }
        e.Reset();
    }
    return lists;
}

StoredMetadata::StoredMetadata(sql::Database& db, size_t mostDescriptionBytesKept)
    : db_(db),
      classes_(Names(db, kClassesQuery)),
      sharedClasses_(SharedTexts(classes_)),
      mostDescriptionBytesKept_(mostDescriptionBytesKept) {}

QStringList StoredMetadata::Languages() {
    return Names(db_, kLanguagesQuery);
}

StoredMetadata::TextTable::TextTable(size_t rows) {
    ReserveLarge(ends_, rows);
}

void StoredMetadata::TextTable::Add(int64_t id, QStringView text) {
    if (id < static_cast<int64_t>(ends_.size())) {
        return;  // ids come in ascending order; a repeat cannot be stored
    }
    const auto n = static_cast<size_t>(text.size());
    if ((used_ + n) * sizeof(char16_t) > text_.capacity()) {
        if (used_ + n > std::numeric_limits<uint32_t>::max()) {
            throw std::bad_alloc();
        }
        text_.Reserve((used_ + n) * sizeof(char16_t));
    }
    ends_.resize(static_cast<size_t>(id), static_cast<uint32_t>(used_));
    std::copy_n(text.utf16(), n, Text() + used_);
    used_ += n;
    ends_.push_back(static_cast<uint32_t>(used_));
}

const StoredMetadata::TextTable& StoredMetadata::Labels(Dimension dimension) {
    auto& labels = labels_[static_cast<size_t>(dimension)];
    if (!labels) {
        labels.emplace(RowsBelow(db_, "members", dimension));
        sql::Statement q =
            RowsOf(db_, "SELECT id, label FROM members WHERE key >= ?1 AND key < ?2 ORDER BY key",
                   dimension);
        while (q.Step()) {
            labels->Add(q.Int(0), q.TextView(1));
        }
    }
    return *labels;
}

const SharedText& StoredMetadata::Referenced(Dimension dimension, int64_t id) {
    static const SharedText none;
    const TextTable& labels = Labels(dimension);
    if (id < 0 || static_cast<size_t>(id) >= labels.size()) {
        return none;
    }
    // A few currencies and top members are named by many members: one copy each.
    std::vector<SharedText>& texts = referenced_[static_cast<size_t>(dimension)];
    texts.resize(labels.size());
    SharedText& text = texts[static_cast<size_t>(id)];
    if (text.isEmpty()) {
        text = labels.Of(id).toString();
    }
    return text;
}

void StoredMetadata::Members(Dimension dimension, const MemberFn& each) {
    // The labels are kept by id as they pass, for the descriptions and relations after.
    auto& labels = labels_[static_cast<size_t>(dimension)];
    const bool keep = !labels.has_value();
    const size_t rows = RowsBelow(db_, "members", dimension);
    if (keep) {
        labels.emplace(rows);
    }
    auto& descriptions = descriptions_[static_cast<size_t>(dimension)];
    if (!descriptionsAsked_[static_cast<size_t>(dimension)]) {
        descriptions.emplace(rows);
    }
    sql::Statement q = RowsOf(db_,
                              "SELECT key, label, user_defined, attributes, descriptions "
                              "FROM members WHERE key >= ?1 AND key < ?2 ORDER BY key",
                              dimension);
    MemberModel m;  // one for every row, so that each row costs no allocation of its own
    while (q.Step()) {
        const int64_t id = IdOf(q.Int(0));
        const QStringView label = q.TextView(1);
        const MemberAttributes a = ReadAttributeColumns(q, 2, sharedClasses_, m);
        if (std::any_of(a.topCustom.begin(), a.topCustom.end(),
                        [](int32_t top) { return top >= 0; })) {
            std::array<QString, 4> tops;
            for (size_t c = 0; c < 4; ++c) {
                tops[c] = Referenced(static_cast<Dimension>(static_cast<int>(Dimension::Custom1) +
                                                            static_cast<int>(c)),
                                     a.topCustom[c])
                              .Text();
            }
            m.topCustom = tops;
        } else {
            m.topCustom = std::array<QString, 4>{};
        }
        if (const SharedText& currency = Referenced(Dimension::Value, a.defaultCurrency);
            !m.defaultCurrency.Shares(currency)) {
            m.defaultCurrency = currency;
        }
        each(label, m);
        if (keep) {
            labels->Add(id, label);
        }
        if (descriptions) {
            descriptions->Add(id, q.TextView(4));
            if (descriptions->TextBytes() > mostDescriptionBytesKept_) {
                descriptions.reset();
            }
        }
    }
}

namespace {

// Calls each for every description of a descriptions column, in language order.
void EachDescription(QStringView label, QStringView column,
                     const MetadataSource::DescriptionFn& each) {
    const char16_t* at = column.utf16();
    const char16_t* const end = at + column.size();
    for (qsizetype language = 0;; ++language) {
        const char16_t* next = std::find(at, end, kFieldSeparator.unicode());
        each(label, language, QStringView(at, next));
        if (next == end) {
            return;
        }
        at = next + 1;
    }
}

}  // namespace

void StoredMetadata::Descriptions(Dimension dimension, const DescriptionFn& each) {
    descriptionsAsked_[static_cast<size_t>(dimension)] = true;
    const TextTable& labels = Labels(dimension);
    if (auto& kept = descriptions_[static_cast<size_t>(dimension)]) {
        for (size_t id = 0; id < kept->size(); ++id) {
            if (const QStringView column = kept->Of(static_cast<int64_t>(id)); !column.isEmpty()) {
                EachDescription(labels.Of(static_cast<int64_t>(id)), column, each);
            }
        }
        kept.reset();  // asked for once; the memory goes back
        return;
    }
    sql::Statement q = RowsOf(db_,
                              "SELECT key, descriptions FROM members WHERE key >= ?1 AND "
                              "key < ?2 ORDER BY key",
                              dimension);
    while (q.Step()) {
        // Members without descriptions are passed over here rather than by a comparison
        // in the query, which costs more per row.
        if (const QStringView column = q.TextView(1); !column.isEmpty()) {
            EachDescription(labels.Of(IdOf(q.Int(0))), column, each);
        }
    }
}

void StoredMetadata::Relations(Dimension dimension, const RelationFn& each) {
    const TextTable& labels = Labels(dimension);
    sql::Statement q =
        RowsOf(db_, "SELECT parent, child FROM relations WHERE key >= ?1 AND key < ?2 ORDER BY key",
               dimension);
    while (q.Step()) {
        each(labels.Of(q.Int(0)), labels.Of(q.Int(1)));
    }
}

void StoredMetadata::MemberLists(Dimension dimension, const ListFn& each) {
    for (const UserList& stored : ReadUserLists(db_, dimension)) {
        MemberListModel list{stored.name, {}};
        for (size_t k = 0; k < stored.members.size(); ++k) {
            list.entries.push_back({Labels(dimension).Of(stored.members[k]).toString(),
                                    Labels(dimension).Of(stored.parents[k]).toString()});
        }
        each(list);
    }
}

std::optional<QByteArray> StoredMetadata::MemberListFile() {
    sql::Statement q(db_, "SELECT content FROM member_list_file WHERE id = 0");
    if (q.Step()) {
        return q.Blob(0);
    }
    return std::nullopt;
}

}  // namespace tarsel::local
