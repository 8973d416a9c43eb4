#include "server/local/journal_store.h"

#include <QStringList>
#include <algorithm>
#include <initializer_list>
#include <map>

namespace tarsel::local {

namespace {

constexpr const char* kJournalSchema = R"sql(
CREATE TABLE journals(id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE,
  kind INTEGER NOT NULL, label TEXT NOT NULL, scenario INTEGER NOT NULL,
  year INTEGER NOT NULL, period INTEGER NOT NULL, status INTEGER NOT NULL,
  balance INTEGER NOT NULL, description TEXT NOT NULL);
CREATE TABLE journal_lines(journal INTEGER NOT NULL, seq INTEGER NOT NULL,
  entity INTEGER NOT NULL, account INTEGER NOT NULL, icp INTEGER NOT NULL,
  c1 INTEGER NOT NULL, c2 INTEGER NOT NULL, c3 INTEGER NOT NULL, c4 INTEGER NOT NULL,
  debit INTEGER NOT NULL, amount TEXT NOT NULL, description TEXT NOT NULL,
  PRIMARY KEY(journal, seq)) WITHOUT ROWID;
)sql";

QString Key(const StoredJournal& j) {
    QStringList parts{QString::number(static_cast<int>(j.kind))};
    if (j.kind == format::JournalKind::Regular) {
        parts << QString::number(j.scenario) << QString::number(j.year)
              << QString::number(j.period);
    }
    parts << j.label.toCaseFolded();
    return parts.join(QLatin1Char('|'));
}

constexpr const char* kHeaderColumns =
    "SELECT id, kind, label, scenario, year, period, status, balance, description FROM "
    "journals ";

StoredJournal HeaderAt(const sql::Statement& q) {
    StoredJournal j;
    j.kind = static_cast<format::JournalKind>(q.Int(1));
    j.label = q.Text(2);
    j.scenario = static_cast<int32_t>(q.Int(3));
    j.year = static_cast<int32_t>(q.Int(4));
    j.period = static_cast<int32_t>(q.Int(5));
    j.status = static_cast<format::JournalStatus>(q.Int(6));
    j.balance = static_cast<format::BalanceType>(q.Int(7));
    j.description = q.Text(8);
    return j;
}

void ReadLines(sql::Statement& lines, int64_t id, StoredJournal& j) {
    lines.Reset();
    lines.Bind(1, id);
    while (lines.Step()) {
        StoredJournalLine& l = j.lines.emplace_back();
        l.entity = static_cast<int32_t>(lines.Int(0));
        l.account = static_cast<int32_t>(lines.Int(1));
        l.icp = static_cast<int32_t>(lines.Int(2));
        for (int c = 0; c < 4; ++c) {
            l.customs[static_cast<size_t>(c)] = static_cast<int32_t>(lines.Int(3 + c));
        }
        l.debit = lines.Int(7) != 0;
        l.amount = format::ReadAmount(lines.Text(8)).value_or(0);
        l.description = lines.Text(9);
    }
}

constexpr const char* kLineColumns =
    "SELECT entity, account, icp, c1, c2, c3, c4, debit, amount, description FROM "
    "journal_lines WHERE journal = ?1 ORDER BY seq";

}  // namespace

void CreateJournalTables(sql::Database& db) {
    db.Exec(kJournalSchema);
}

std::optional<StoredJournal> TakeJournal(sql::Database& db, const StoredJournal& journal) {
    const QString key = Key(journal);
    sql::Statement q(db, std::string(kHeaderColumns) + "WHERE key = ?1");
    q.Bind(1, key);
    if (!q.Step()) {
        return std::nullopt;
    }
    const int64_t id = q.Int(0);
    StoredJournal stored = HeaderAt(q);
    sql::Statement lines(db, kLineColumns);
    ReadLines(lines, id, stored);
    sql::Statement(db, "DELETE FROM journal_lines WHERE journal = ?1").Bind(1, id).Run();
    sql::Statement(db, "DELETE FROM journals WHERE id = ?1").Bind(1, id).Run();
    return stored;
}

void PutJournal(sql::Database& db, const StoredJournal& journal) {
    const QString key = Key(journal);
    sql::Statement header(db,
                          "INSERT INTO journals(key, kind, label, scenario, year, period, "
                          "status, balance, description) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, "
                          "?8, ?9)");
    header.Bind(1, key)
        .Bind(2, static_cast<int>(journal.kind))
        .Bind(3, journal.label)
        .Bind(4, journal.scenario)
        .Bind(5, journal.year)
        .Bind(6, journal.period)
        .Bind(7, static_cast<int>(journal.status))
        .Bind(8, static_cast<int>(journal.balance))
        .Bind(9, journal.description)
        .Run();
    const int64_t id = sqlite3_last_insert_rowid(db.handle());
    sql::Statement line(db,
                        "INSERT INTO journal_lines VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, "
                        "?10, ?11, ?12)");
    for (size_t seq = 0; seq < journal.lines.size(); ++seq) {
        const StoredJournalLine& l = journal.lines[seq];
        const QString amount = format::FormatAmount(l.amount);
        line.Bind(1, id)
            .Bind(2, static_cast<int64_t>(seq))
            .Bind(3, l.entity)
            .Bind(4, l.account)
            .Bind(5, l.icp);
        for (int c = 0; c < 4; ++c) {
            line.Bind(6 + c, l.customs[static_cast<size_t>(c)]);
        }
        line.Bind(10, l.debit ? 1 : 0).Bind(11, amount).Bind(12, l.description).Run();
    }
}

std::vector<StoredJournal> ReadJournals(sql::Database& db, const JournalSelection& selection) {
    std::vector<StoredJournal> journals;
    sql::Statement q(db, std::string(kHeaderColumns) +
                             "WHERE (kind = 0 AND ?1 AND scenario = ?4 AND year = ?5) OR "
                             "(kind = 1 AND ?2) OR (kind = 2 AND ?3) "
                             "ORDER BY kind, scenario, year, period, key");
    q.Bind(1, selection.regular ? 1 : 0)
        .Bind(2, selection.standard ? 1 : 0)
        .Bind(3, selection.recurring ? 1 : 0)
        .Bind(4, selection.scenario)
        .Bind(5, selection.year);
    sql::Statement lines(db, kLineColumns);
    while (q.Step()) {
        StoredJournal j = HeaderAt(q);
        if (j.kind == format::JournalKind::Regular &&
            std::find(selection.periods.begin(), selection.periods.end(), j.period) ==
                selection.periods.end()) {
            continue;
        }
        ReadLines(lines, q.Int(0), j);
        journals.push_back(std::move(j));
    }
    return journals;
}

std::array<int32_t, kDimensionCount> IdsNamedByJournals(sql::Database& db) {
    std::array<int32_t, kDimensionCount> above{};
    const auto name = [&above](const char* sql, std::initializer_list<Dimension> dimensions,
                               sql::Database& db) {
        sql::Statement q(db, sql);
        if (!q.Step()) {
            return;
        }
        int column = 0;
        for (const Dimension dimension : dimensions) {
            if (!q.IsNull(column)) {
                auto& a = above[static_cast<size_t>(dimension)];
                a = std::max(a, static_cast<int32_t>(q.Int(column)) + 1);
            }
            ++column;
        }
    };
    name("SELECT max(scenario), max(year), max(period) FROM journals",
         {Dimension::Scenario, Dimension::Year, Dimension::Period}, db);
    name(
        "SELECT max(entity), max(account), max(icp), max(c1), max(c2), max(c3), max(c4) "
        "FROM journal_lines",
        {Dimension::Entity, Dimension::Account, Dimension::ICP, Dimension::Custom1,
         Dimension::Custom2, Dimension::Custom3, Dimension::Custom4},
        db);
    return above;
}

std::vector<RemovedLines> RemoveJournalLinesNaming(
    sql::Database& db, const std::function<bool(Dimension, int32_t)>& isMember) {
    std::map<std::pair<int, int32_t>, int64_t> removed;
    {
        sql::Statement headers(db, "SELECT id, scenario, year, period FROM journals");
        sql::Statement count(db, "SELECT count(*) FROM journal_lines WHERE journal = ?1");
        sql::Statement dropLines(db, "DELETE FROM journal_lines WHERE journal = ?1");
        sql::Statement dropJournal(db, "DELETE FROM journals WHERE id = ?1");
        std::vector<std::pair<int64_t, std::pair<int, int32_t>>> gone;
        while (headers.Step()) {
            const Dimension dims[] = {Dimension::Scenario, Dimension::Year, Dimension::Period};
            for (int k = 0; k < 3; ++k) {
                const auto member = static_cast<int32_t>(headers.Int(1 + k));
                // Templates may name no point of view.
                if (member >= 0 && !isMember(dims[k], member)) {
                    gone.push_back({headers.Int(0), {static_cast<int>(dims[k]), member}});
                    break;
                }
            }
        }
        for (const auto& [id, group] : gone) {
            count.Reset();
            count.Bind(1, id);
            removed[group] += count.Step() ? count.Int(0) : 0;
            dropLines.Bind(1, id).Run();
            dropJournal.Bind(1, id).Run();
        }
    }
    const Dimension fields[] = {Dimension::Entity,  Dimension::Account, Dimension::ICP,
                                Dimension::Custom1, Dimension::Custom2, Dimension::Custom3,
                                Dimension::Custom4};
    std::vector<std::pair<int64_t, int64_t>> invalid;  // journal, seq
    {
        sql::Statement lines(db,
                             "SELECT journal, seq, entity, account, icp, c1, c2, c3, c4 FROM "
                             "journal_lines");
        while (lines.Step()) {
            for (int k = 0; k < 7; ++k) {
                const auto member = static_cast<int32_t>(lines.Int(2 + k));
                if (!isMember(fields[k], member)) {
                    ++removed[{static_cast<int>(fields[k]), member}];
                    invalid.push_back({lines.Int(0), lines.Int(1)});
                    break;
                }
            }
        }
    }
    sql::Statement drop(db, "DELETE FROM journal_lines WHERE journal = ?1 AND seq = ?2");
    for (const auto& [journal, seq] : invalid) {
        drop.Bind(1, journal).Bind(2, seq).Run();
    }
    // A journal without lines could not be loaded again.
    db.Exec("DELETE FROM journals WHERE id NOT IN (SELECT DISTINCT journal FROM journal_lines)");
    std::vector<RemovedLines> result;
    for (const auto& [group, lines] : removed) {
        result.push_back({static_cast<Dimension>(group.first), group.second, lines});
    }
    return result;
}

}  // namespace tarsel::local
