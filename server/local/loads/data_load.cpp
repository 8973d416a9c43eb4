#include "server/local/loads/data_load.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "server/local/app_schema.h"
#include "server/local/calculation/account_signs.h"
#include "server/local/calculation/cell_totals.h"
#include "server/local/data_store.h"
#include "server/local/format/data_file.h"
#include "server/local/model_check.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

namespace option {
constexpr int32_t kDuplicates = 4, kAccumulateWithinFile = 5, kScan = 7;
constexpr int32_t kExtractCalculated = 6, kScenario = 7, kYear = 8, kPeriods = 9, kEntities = 10,
                  kEntityParents = 11, kAccounts = 12;
}  // namespace option

enum Duplicates : int32_t { kReplace = 0, kMerge = 1, kAccumulate = 2, kReplaceWithSecurity = 3 };

const QString kLoader = QStringLiteral("data loader");
const QString kInputValue = QStringLiteral("<Entity Currency>");
// A file with more bad lines than this lists this many and counts the rest, so that the
// log of a wrong multi-gigabyte file stays readable and memory stays flat.
constexpr int kListedProblems = 10000;
// Records sorted and written at a time; memory holds no more of the file than this.
constexpr size_t kChunkRecords = size_t{1} << 18;

// The security classes a user may write cells of. The administrator writes everything;
// a REPLACE WITH SECURITY clears only the writable cells of each point it loads.
struct WriteAccess {
    bool everything = true;
    std::vector<bool> classes;  // by security class id

    bool Writes(const DimensionIndexes& indexes, const CellMembers& cell) const {
        if (everything) {
            return true;
        }
        for (const Dimension d :
             {Dimension::Scenario, Dimension::Entity, Dimension::Account, Dimension::ICP,
              Dimension::Custom1, Dimension::Custom2, Dimension::Custom3, Dimension::Custom4}) {
            const int32_t id = cell[static_cast<size_t>(d)];
            const int32_t c = indexes[static_cast<size_t>(d)]->Attributes(id).securityClass;
            if (c >= 0 &&
                (static_cast<size_t>(c) >= classes.size() || !classes[static_cast<size_t>(c)])) {
                return false;
            }
        }
        return true;
    }
};

WriteAccess AccessOf(const LocalApplicationSession& session) {
    const WritableClasses writable = session.WritableSecurityClasses();
    WriteAccess access{writable.every, {}};
    for (const int32_t id : writable.classIds) {
        if (id >= 0) {
            if (static_cast<size_t>(id) >= access.classes.size()) {
                access.classes.resize(static_cast<size_t>(id) + 1, false);
            }
            access.classes[static_cast<size_t>(id)] = true;
        }
    }
    return access;
}

// Labels to the member ids a record may name, each label looked up once.
class CellResolver {
  public:
    explicit CellResolver(const DimensionIndexes& indexes) : indexes_(indexes) {}

    // The cell of the record's labels; empty reason when every label may take input.
    QString Resolve(const format::DataRecord& record, CellMembers& cell, int& field) {
        for (int d = 0; d < kDimensionCount; ++d) {
            auto& cache = cache_[static_cast<size_t>(d)];
            const std::string_view label = record.labels[static_cast<size_t>(d)];
            auto it = cache.find(label);
            if (it == cache.end()) {
                if (cache.size() > kCacheLimit) {
                    cache.clear();
                }
                it = cache.emplace(std::string(label), Lookup(static_cast<Dimension>(d), label))
                         .first;
            }
            if (!it->second.reason.isEmpty()) {
                field = d + 1;
                return QStringLiteral("field %1 (%2): ").arg(d + 1).arg(DimensionDisplayName(d)) +
                       it->second.reason;
            }
            cell[static_cast<size_t>(d)] = it->second.id;
        }
        return {};
    }

  private:
    struct Resolved {
        int32_t id = -1;
        QString reason;
    };
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };
    static constexpr size_t kCacheLimit = 1 << 20;

    Resolved Lookup(Dimension d, std::string_view bytes) const {
        const QString label = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
        const DimensionIndex& index = *indexes_[static_cast<size_t>(d)];
        const int32_t id = index.FindLabel(label);
        if (id < 0) {
            return {
                -1,
                QStringLiteral("\"%1\" is not a member of %2").arg(label, DimensionDisplayName(d))};
        }
        const bool baseOnly = d == Dimension::Entity || d == Dimension::Account ||
                              d == Dimension::ICP || d >= Dimension::Custom1;
        if (baseOnly && !index.Children(id).empty()) {
            return {-1, QStringLiteral("\"%1\" is a parent member of %2 and takes no input")
                            .arg(index.Label(id), DimensionDisplayName(d))};
        }
        if (d == Dimension::Value && index.Label(id).compare(kInputValue, Qt::CaseInsensitive)) {
            return {-1, QStringLiteral("the Value member \"%1\" takes no input; data is loaded to "
                                       "%2")
                            .arg(index.Label(id), kInputValue)};
        }
        if (d == Dimension::Account && (index.Attributes(id).flags & member_flag::Calculated)) {
            return {-1, QStringLiteral("the account \"%1\" is calculated and takes no input")
                            .arg(index.Label(id))};
        }
        return {id, {}};
    }

    const DimensionIndexes& indexes_;
    std::array<std::unordered_map<std::string, Resolved, Hash, std::equal_to<>>, kDimensionCount>
        cache_;
};

struct Pending {
    CellMembers cell;
    double amount;
    uint32_t seq;
};

// Orders by the row a cell lies in, then the file's order.
bool RowOrder(const Pending& a, const Pending& b) {
    CellMembers ka = a.cell, kb = b.cell;
    constexpr auto p = static_cast<size_t>(Dimension::Period);
    ka[p] = BandOf(ka[p]);
    kb[p] = BandOf(kb[p]);
    return ka != kb ? ka < kb : a.seq < b.seq;
}

bool SameRow(const CellMembers& a, const CellMembers& b) {
    constexpr auto p = static_cast<size_t>(Dimension::Period);
    for (size_t d = 0; d < a.size(); ++d) {
        if (d == p ? BandOf(a[d]) != BandOf(b[d]) : a[d] != b[d]) {
            return false;
        }
    }
    return true;
}

using Point = std::array<int32_t, 5>;  // scenario, year, period, entity, value

Point PointOf(const CellMembers& cell) {
    return {
        cell[static_cast<size_t>(Dimension::Scenario)], cell[static_cast<size_t>(Dimension::Year)],
        cell[static_cast<size_t>(Dimension::Period)], cell[static_cast<size_t>(Dimension::Entity)],
        cell[static_cast<size_t>(Dimension::Value)]};
}

// Writes the records of a file in chunks: each chunk sorted by row, repeated cells of the
// file combined (added or the last kept), then written by the load's mode.
class ChunkWriter {
  public:
    ChunkWriter(DataStore& store, const DimensionIndexes& indexes, int32_t duplicates,
                bool accumulateWithinFile, WriteAccess access)
        : store_(store),
          indexes_(indexes),
          duplicates_(duplicates),
          accumulate_(accumulateWithinFile),
          access_(std::move(access)) {
        pending_.reserve(kChunkRecords);
    }

    void Add(const CellMembers& cell, double amount) {
        pending_.push_back({cell, amount, seq_++});
        if (pending_.size() == kChunkRecords) {
            // A mode that must tell this file's earlier records from stored cells cannot
            // write straight to the cells once the file spans several chunks.
            staged_ = staged_ || (duplicates_ == kMerge && accumulate_) ||
                      (duplicates_ == kAccumulate && !accumulate_);
            Flush();
        }
    }

    // Writes what is left; gives the number of cells written.
    int64_t Finish() {
        Flush();
        if (staged_) {
            store_.ApplyStaged(duplicates_ == kAccumulate ? DataStore::Write::Add
                                                          : DataStore::Write::Set);
        }
        for (const auto& point : impacted_) {
            store_.MarkImpactedWithAncestors(*indexes_[static_cast<size_t>(Dimension::Entity)],
                                             point[0], point[1], point[2], point[3]);
        }
        return cells_;
    }

    void Discard() { pending_.clear(); }

  private:
    void Flush() {
        std::sort(pending_.begin(), pending_.end(), RowOrder);
        if (duplicates_ == kReplace || duplicates_ == kReplaceWithSecurity) {
            for (const Pending& p : pending_) {
                const Point point = PointOf(p.cell);
                if (cleared_.insert(point).second) {
                    Clear(point);
                }
            }
        }
        const DataStore::Write within = accumulate_ ? DataStore::Write::Add : DataStore::Write::Set;
        // Straight to the cells, the file's repeated records combined already: MERGE
        // sets, ACCUMULATE adds, and a cleared point starts empty, so that a REPLACE
        // adds up across chunks when the file accumulates and keeps the last otherwise.
        const DataStore::Write direct = duplicates_ == kMerge        ? DataStore::Write::Set
                                        : duplicates_ == kAccumulate ? DataStore::Write::Add
                                                                     : within;
        for (size_t i = 0; i < pending_.size();) {
            CellRow row;
            row.members = pending_[i].cell;
            constexpr auto p = static_cast<size_t>(Dimension::Period);
            row.members[p] = BandOf(row.members[p]) * kPeriodSlots;
            size_t j = i;
            for (; j < pending_.size() && SameRow(pending_[j].cell, pending_[i].cell); ++j) {
                const auto slot = static_cast<size_t>(SlotOf(pending_[j].cell[p]));
                const auto bit = static_cast<uint16_t>(1u << slot);
                if ((row.present & bit) && accumulate_) {
                    row.amounts[slot] += pending_[j].amount;
                } else {
                    cells_ += (row.present & bit) ? 0 : 1;
                    row.amounts[slot] = pending_[j].amount;
                }
                row.present = static_cast<uint16_t>(row.present | bit);
                impacted_.insert({row.members[static_cast<size_t>(Dimension::Scenario)],
                                  row.members[static_cast<size_t>(Dimension::Year)],
                                  pending_[j].cell[p],
                                  row.members[static_cast<size_t>(Dimension::Entity)]});
            }
            if (staged_) {
                store_.StageRow(row, within);
            } else {
                store_.WriteRow(row, direct);
            }
            i = j;
        }
        pending_.clear();
    }

    void Clear(const Point& point) {
        if (duplicates_ == kReplaceWithSecurity && !access_.everything) {
            store_.ClearCellsExcept(
                point[0], point[1], point[2], point[3], point[4],
                [this](const CellMembers& cell) { return !access_.Writes(indexes_, cell); });
        } else {
            store_.ClearCells(point[0], point[1], point[2], point[3], point[4]);
        }
    }

    DataStore& store_;
    const DimensionIndexes& indexes_;
    int32_t duplicates_;
    bool accumulate_;
    WriteAccess access_;
    std::vector<Pending> pending_;
    uint32_t seq_ = 0;
    bool staged_ = false;
    int64_t cells_ = 0;
    // Both bounded by the application's points, not by the file.
    std::set<Point> cleared_;
    std::set<std::array<int32_t, 4>> impacted_;
};

const char* DuplicatesWord(int32_t duplicates) {
    switch (duplicates) {
        case kReplace:
            return "REPLACE";
        case kAccumulate:
            return "ACCUMULATE";
        case kReplaceWithSecurity:
            return "REPLACE WITH SECURITY";
        default:
            return "MERGE";
    }
}

// The member ids of an extract option, checked against their dimension and sorted.
std::vector<int32_t> CheckedIds(const DimensionIndex& index, const IdArray& ids, int32_t option) {
    std::vector<int32_t> sorted(ids.begin(), ids.end());
    for (const int32_t id : sorted) {
        if (!index.IsMember(id)) {
            ThrowClientError(code::kUnknownMemberId,
                             QStringLiteral("Option %1 of the data extract names %2, which is not "
                                            "a member id of %3.")
                                 .arg(option)
                                 .arg(id)
                                 .arg(DimensionDisplayName(index.dimension())));
        }
    }
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    return sorted;
}

}  // namespace

LocalDataLoad::LocalDataLoad()
    : loadOptions_(std::make_shared<OptionSet>(
          std::initializer_list<DeclaredOption>{
              {option::kDuplicates, int32_t{kMerge}, {0, 1, 2, 3}},
              {option::kAccumulateWithinFile, false, {}},
              {option::kScan, int32_t{0}, {0, 1}},
          },
          kLoader)),
      extractOptions_(std::make_shared<OptionSet>(
          std::initializer_list<DeclaredOption>{
              {option::kExtractCalculated, false, {}},
              {option::kScenario, int32_t{-1}, {}},
              {option::kYear, int32_t{-1}, {}},
              {option::kPeriods, IdArray{}, {}},
              {option::kEntities, IdArray{}, {}},
              {option::kEntityParents, IdArray{}, {}},
              {option::kAccounts, IdArray{}, {}},
          },
          kLoader)) {}

void LocalDataLoad::SetSession(std::shared_ptr<ApplicationSession> session) {
    session_.Bind(session);
}

std::shared_ptr<LoadOptions> LocalDataLoad::GetLoadOptions() {
    session_.Require(format::Role::Data, QStringLiteral("data loads"));
    return loadOptions_;
}

std::shared_ptr<LoadOptions> LocalDataLoad::GetExtractOptions() {
    session_.Require(format::Role::Data, QStringLiteral("data extracts"));
    return extractOptions_;
}

void LocalDataLoad::Load(const QString& dataFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(format::Role::Data, QStringLiteral("data loads"));
    const bool scan = loadOptions_->Int(option::kScan) == 1;
    const int32_t duplicates = loadOptions_->Int(option::kDuplicates);
    const bool accumulate = loadOptions_->Bool(option::kAccumulateWithinFile);
    format::DataFileReader reader(dataFile);
    ApplicationFile& file = *session.file();
    LoadLog log(logFile);
    // Labels are resolved in the transaction that writes, so that no metadata load falls
    // between the check of a record and its cell.
    sql::Transaction transaction(
        file.db(), scan ? sql::Transaction::Kind::Read : sql::Transaction::Kind::Write);
    const DimensionIndexes indexes = LoadIndexes(file.db());
    CellResolver resolver(indexes);
    DataStore store(file.db());
    ChunkWriter writer(store, indexes, duplicates, accumulate, AccessOf(session));
    format::DataRecord record;
    CellMembers cell{};
    int64_t records = 0;
    int problems = 0;
    auto problem = [&](int line, const QString& reason) {
        if (++problems <= kListedProblems) {
            log.Error(dataFile, line, reason);
        }
        writer.Discard();
    };
    while (reader.Next(record, [&](const format::DataProblem& p) { problem(p.line, p.reason); })) {
        int field = 0;
        const QString reason = resolver.Resolve(record, cell, field);
        if (!reason.isEmpty()) {
            problem(record.line, reason);
            continue;
        }
        ++records;
        if (problems == 0 && !scan) {
            writer.Add(cell, record.amount);
        }
    }
    if (problems > kListedProblems) {
        log.ErrorText(QStringLiteral("%1: %2 further bad lines are not listed.")
                          .arg(dataFile)
                          .arg(problems - kListedProblems));
    }
    if (problems > 0 || scan) {
        if (problems == 0) {
            log.Note(QStringLiteral("Scanned %1 records (%2): nothing was stored.")
                         .arg(records)
                         .arg(QLatin1String(DuplicatesWord(duplicates))));
        }
        log.Write();
        return;
    }
    const int64_t cells = writer.Finish();
    CountChange(file.db());
    log.Note(QStringLiteral("Loaded %1 records into %2 cells (%3, accumulate within file %4).")
                 .arg(records)
                 .arg(cells)
                 .arg(QLatin1String(DuplicatesWord(duplicates)),
                      accumulate ? QStringLiteral("on") : QStringLiteral("off")));
    log.Write();
    transaction.Commit();
    file.NoteChanged();
}

void LocalDataLoad::Extract(const QString& dataFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(format::Role::Data, QStringLiteral("data extracts"));
    ApplicationFile& file = *session.file();
    sql::Transaction read(file.db(), sql::Transaction::Kind::Read);
    const DimensionIndexes indexes = LoadIndexes(file.db());
    auto index = [&](Dimension d) -> const DimensionIndex& {
        return *indexes[static_cast<size_t>(d)];
    };
    const int32_t scenario = extractOptions_->Int(option::kScenario);
    const int32_t year = extractOptions_->Int(option::kYear);
    CheckedIds(index(Dimension::Scenario), {scenario}, option::kScenario);
    CheckedIds(index(Dimension::Year), {year}, option::kYear);
    const auto periods = CheckedIds(index(Dimension::Period),
                                    extractOptions_->Ids(option::kPeriods), option::kPeriods);
    const auto entities = CheckedIds(index(Dimension::Entity),
                                     extractOptions_->Ids(option::kEntities), option::kEntities);
    const auto accountIds = CheckedIds(index(Dimension::Account),
                                       extractOptions_->Ids(option::kAccounts), option::kAccounts);
    const bool calculated = extractOptions_->Bool(option::kExtractCalculated);
    std::vector<bool> accounts(static_cast<size_t>(index(Dimension::Account).IdLimit()), false);
    for (const int32_t id : accountIds) {
        accounts[static_cast<size_t>(id)] = true;
    }
    // Each label's UTF-8 made once.
    std::array<std::vector<std::string>, kDimensionCount> labels;
    for (int d = 0; d < kDimensionCount; ++d) {
        const DimensionIndex& dim = *indexes[static_cast<size_t>(d)];
        auto& texts = labels[static_cast<size_t>(d)];
        texts.resize(static_cast<size_t>(dim.IdLimit()));
        for (const int32_t id : dim.AllIds()) {
            texts[static_cast<size_t>(id)] = dim.Label(id).toStdString();
        }
    }
    format::DataFileWriter writer(dataFile);
    DataStore store(file.db());
    int64_t cells = 0;
    std::array<const std::string*, kDimensionCount> row{};
    const auto write = [&](const CellMembers& cell, double amount) {
        const int32_t account = cell[static_cast<size_t>(Dimension::Account)];
        if (account < 0 || static_cast<size_t>(account) >= accounts.size() ||
            !accounts[static_cast<size_t>(account)]) {
            return;
        }
        for (size_t d = 0; d < row.size(); ++d) {
            // A cell of a member removed since is left out: it is no longer the
            // application's.
            if (!indexes[d]->IsMember(cell[d])) {
                return;
            }
            row[d] = &labels[d][static_cast<size_t>(cell[d])];
        }
        writer.Write(row, amount);
        ++cells;
    };
    // With calculated cells, the totals of the account and custom hierarchies join the
    // stored cells of each entity, period and view.
    std::optional<CellTotals> totals;
    std::vector<StoredCell> stored;
    if (calculated) {
        totals.emplace(indexes);
    }
    for (const int32_t period : periods) {
        for (const int32_t view : index(Dimension::View).AllIds()) {
            for (const int32_t entity : entities) {
                stored.clear();
                store.ForEachCellOf(scenario, year, period, entity, view,
                                    [&](const CellMembers& cell, double amount) {
                                        if (totals) {
                                            stored.push_back({cell, amount});
                                        } else if (!IsCalculatedCell(indexes, cell)) {
                                            write(cell, amount);
                                        }
                                    });
                if (totals) {
                    totals->ForEach(stored, write);
                }
            }
        }
    }
    read.Commit();
    LoadLog log(logFile);
    log.Note(QStringLiteral("Extracted %1 cells of %2 periods and %3 entities.")
                 .arg(cells)
                 .arg(periods.size())
                 .arg(entities.size()));
    writer.Commit();
    log.Write();
}

}  // namespace tarsel::local
