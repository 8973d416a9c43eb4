#include "server/local/calculation/application_admin.h"

#include <QStringList>
#include <set>

#include "server/local/app_schema.h"
#include "server/local/data_store.h"
#include "server/local/dimension_index.h"
#include "server/local/format/text_lines.h"
#include "server/local/journal_store.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

void WriteLog(const QString& path, const QStringList& lines) {
    format::WriteWholeFile(path,
                           (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

QString Naming(Dimension dimension, int32_t member) {
    return QStringLiteral("naming %1 member id %2, which the application no longer has")
        .arg(DimensionDisplayName(dimension))
        .arg(member);
}

}  // namespace

LocalApplicationAdmin::LocalApplicationAdmin(std::shared_ptr<LocalApplicationSession> session)
    : session_(std::move(session)) {}

void LocalApplicationAdmin::RemoveInvalidRecords(int32_t, int32_t, const QString& logFile) {
    session_->RequireRole(format::Role::InvalidRecords, QStringLiteral("removing invalid records"));
    ApplicationFile& file = *session_->file();
    sql::Database& db = file.db();
    sql::Transaction write(db, sql::Transaction::Kind::Write);
    std::array<std::shared_ptr<const DimensionIndex>, kDimensionCount> dims;
    for (int d = 0; d < kDimensionCount; ++d) {
        dims[static_cast<size_t>(d)] = DimensionIndex::Load(db, static_cast<Dimension>(d));
    }
    const auto isMember = [&dims](Dimension d, int32_t id) {
        return dims[static_cast<size_t>(d)]->IsMember(id);
    };

    // Every member the cells name that is gone, in dimension order and then id order.
    DataStore cells(db);
    std::set<std::pair<int, int32_t>> gone;
    // The points of entities that stay whose data changes, for the next consolidation.
    std::set<std::array<int32_t, 4>> changed;
    cells.ForEachRow([&](const CellRow& row) {
        bool invalid = false;
        for (int d = 0; d < kDimensionCount; ++d) {
            const auto dimension = static_cast<Dimension>(d);
            if (dimension == Dimension::Period) {
                for (int slot = 0; slot < kPeriodSlots; ++slot) {
                    const int32_t period = row.band() * kPeriodSlots + slot;
                    if ((row.present & (1u << slot)) && !isMember(dimension, period)) {
                        gone.insert({d, period});
                        invalid = true;
                    }
                }
            } else if (!isMember(dimension, row.members[static_cast<size_t>(d)])) {
                gone.insert({d, row.members[static_cast<size_t>(d)]});
                invalid = true;
            }
        }
        const auto member = [&row](Dimension d) { return row.members[static_cast<size_t>(d)]; };
        if (invalid && isMember(Dimension::Scenario, member(Dimension::Scenario)) &&
            isMember(Dimension::Year, member(Dimension::Year)) &&
            isMember(Dimension::Entity, member(Dimension::Entity))) {
            for (int slot = 0; slot < kPeriodSlots; ++slot) {
                const int32_t period = row.band() * kPeriodSlots + slot;
                if ((row.present & (1u << slot)) && isMember(Dimension::Period, period)) {
                    changed.insert({member(Dimension::Scenario), member(Dimension::Year), period,
                                    member(Dimension::Entity)});
                }
            }
        }
    });
    QStringList log;
    int64_t cellTotal = 0;
    for (const auto& [d, member] : gone) {
        // A cell naming two such members goes with the first of them.
        const int64_t removed = cells.DeleteCellsNaming(static_cast<Dimension>(d), member);
        if (removed > 0) {
            log << QStringLiteral("Removed %1 cell(s) %2.")
                       .arg(removed)
                       .arg(Naming(static_cast<Dimension>(d), member));
            cellTotal += removed;
        }
    }
    for (const auto& [scenario, year, period, entity] : changed) {
        cells.MarkImpactedWithAncestors(*dims[static_cast<size_t>(Dimension::Entity)], scenario,
                                        year, period, entity);
    }
    int64_t lineTotal = 0;
    for (const RemovedLines& group : RemoveJournalLinesNaming(db, isMember)) {
        log << QStringLiteral("Removed %1 journal line(s) %2.")
                   .arg(group.lines)
                   .arg(Naming(group.dimension, group.member));
        lineTotal += group.lines;
    }
    log << QStringLiteral("Removed %1 cell(s) and %2 journal line(s) of %3 in total.")
               .arg(cellTotal)
               .arg(lineTotal)
               .arg(file.name());
    if (cellTotal + lineTotal > 0) {
        CountChange(db);
    }
    WriteLog(logFile, log);
    write.Commit();
    file.NoteChanged();
}

}  // namespace tarsel::local
