#pragma once
// The journals and journal templates of an application file, by member id. Every SQL
// statement on them is here.
//
// Tables:
//   journals(id, key, kind, label, scenario, year, period, status, balance, description)
//           key: kind, point of view and case-folded label, unique, so that a journal
//           loaded again replaces the stored one; scenario, year and period are -1 on a
//           template that names none. kind, status and balance are the codes of
//           format/journal_file.h.
//   journal_lines(journal, seq, entity, account, icp, c1, c2, c3, c4, debit, amount,
//           description)  seq = the order of the lines; amount as the file writes it.

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "server/local/format/journal_file.h"
#include "server/local/sqlite_db.h"
#include "server/tarsel.h"

namespace tarsel::local {

struct StoredJournalLine {
    int32_t entity = -1, account = -1, icp = -1;
    std::array<int32_t, 4> customs{-1, -1, -1, -1};
    bool debit = true;
    double amount = 0;
    QString description;
};

struct StoredJournal {
    format::JournalKind kind = format::JournalKind::Regular;
    QString label;
    int32_t scenario = -1, year = -1, period = -1;
    format::JournalStatus status = format::JournalStatus::None;
    format::BalanceType balance = format::BalanceType::Balanced;
    QString description;
    std::vector<StoredJournalLine> lines;

    bool Posted() const {
        return kind == format::JournalKind::Regular && status == format::JournalStatus::Posted;
    }
};

// Creates the journal tables in an application file being written.
void CreateJournalTables(sql::Database& db);

// Removes the stored journal that has journal's kind, point of view and label (without
// regard to case) and gives it back; empty when there is none. In the caller's write
// transaction.
std::optional<StoredJournal> TakeJournal(sql::Database& db, const StoredJournal& journal);

// Stores a journal whose key is not stored, in the caller's write transaction.
void PutJournal(sql::Database& db, const StoredJournal& journal);

struct JournalSelection {
    bool regular = false, standard = false, recurring = false;
    // Of the regular journals only: templates are written whatever the point of view.
    int32_t scenario = -1, year = -1;
    std::vector<int32_t> periods;
};

// The selected journals: regular journals, then standard and recurring templates, each by
// scenario, year, period and case-folded label. In the caller's transaction.
std::vector<StoredJournal> ReadJournals(sql::Database& db, const JournalSelection& selection);

// For each dimension, one more than the highest member id the journals name (0 where they
// name none).
std::array<int32_t, kDimensionCount> IdsNamedByJournals(sql::Database& db);

// The journal lines removed for naming one member that the application no longer has.
struct RemovedLines {
    Dimension dimension;
    int32_t member;
    int64_t lines;
};

// Removes every journal line that names a member isMember refuses, and every journal whose
// scenario, year or period it refuses (with its lines); a journal left without lines goes
// too. A line is counted under the first such member in field order. In the caller's write
// transaction.
std::vector<RemovedLines> RemoveJournalLinesNaming(
    sql::Database& db, const std::function<bool(Dimension, int32_t)>& isMember);

}  // namespace tarsel::local
