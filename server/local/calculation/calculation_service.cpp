#include "server/local/calculation/calculation_service.h"

#include <algorithm>
#include <map>

#include "server/local/app_schema.h"
#include "server/local/calculation/consolidation.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

// The point of view of a run, checked against the application.
struct RunPov {
    std::vector<int32_t> periods;
};

void RequireMember(const DimensionIndexes& indexes, Dimension d, int32_t id, const char* role) {
    if (!indexes[static_cast<size_t>(d)]->IsMember(id)) {
        ThrowClientError(code::kUnknownMemberId,
                         QStringLiteral("The %1 %2 is not a member id of %3.")
                             .arg(QLatin1String(role))
                             .arg(id)
                             .arg(DimensionDisplayName(d)));
    }
}

RunPov CheckPov(const DimensionIndexes& indexes, int32_t scenario, int32_t year, int32_t start,
                int32_t end, int32_t entity, int32_t parent) {
    RequireMember(indexes, Dimension::Scenario, scenario, "scenario");
    RequireMember(indexes, Dimension::Year, year, "year");
    RequireMember(indexes, Dimension::Period, start, "start period");
    RequireMember(indexes, Dimension::Period, end, "end period");
    RequireMember(indexes, Dimension::Entity, entity, "entity");
    const DimensionIndex& entities = *indexes[static_cast<size_t>(Dimension::Entity)];
    const auto parents = entities.Parents(entity);
    // The entity named as its own parent is taken as the entity wherever it stands.
    if (parent != entity && std::find(parents.begin(), parents.end(), parent) == parents.end()) {
        ThrowClientError(code::kUnknownMemberId,
                         QStringLiteral("The entity %1 is not a parent of the entity \"%2\" "
                                        "(-1 names a top member).")
                             .arg(parent)
                             .arg(entities.Label(entity)));
    }
    RunPov pov;
    pov.periods = PeriodRange(*indexes[static_cast<size_t>(Dimension::Period)], start, end);
    if (pov.periods.empty()) {
        const DimensionIndex& periods = *indexes[static_cast<size_t>(Dimension::Period)];
        ThrowClientError(code::kUnknownMemberId,
                         QStringLiteral("The periods \"%1\" to \"%2\" are no range of base "
                                        "periods in calendar order.")
                             .arg(periods.Label(start), periods.Label(end)));
    }
    return pov;
}

}  // namespace

LocalCalculationService::LocalCalculationService(std::shared_ptr<LocalApplicationSession> session)
    : session_(std::move(session)) {}

void LocalCalculationService::RunConsolidation(MemberId scenario, MemberId year,
                                               MemberId startPeriod, MemberId endPeriod,
                                               MemberId entity, MemberId parentEntity,
                                               int16_t type) {
    session_->RequireRole(format::Role::Consolidation, QStringLiteral("consolidations"));
    if (type != 0 && type != 1) {
        ThrowClientError(code::kWrongOptionValue,
                         QStringLiteral("The consolidation type %1 is neither 0 (Consolidate) nor "
                                        "1 (Consolidate All With Data).")
                             .arg(type));
    }
    ApplicationFile& file = *session_->file();
    sql::Transaction write(file.db(), sql::Transaction::Kind::Write);
    const DimensionIndexes indexes = LoadIndexes(file.db());
    const RunPov pov =
        CheckPov(indexes, scenario, year, startPeriod, endPeriod, entity, parentEntity);
    DataStore store(file.db());
    const ConsolidationCount count =
        Consolidate(store, indexes, scenario, year, pov.periods, entity, type == 1);
    if (count.calculated + count.consolidated > 0) {
        CountChange(file.db());
        write.Commit();
        file.NoteChanged();
    }
}

void LocalCalculationService::RunForceCalculation(MemberId scenario, MemberId year,
                                                  MemberId startPeriod, MemberId endPeriod,
                                                  MemberId entity, MemberId parentEntity,
                                                  MemberId valueMember, int32_t) {
    session_->RequireRole(format::Role::Calculation, QStringLiteral("calculations"));
    ApplicationFile& file = *session_->file();
    sql::Transaction write(file.db(), sql::Transaction::Kind::Write);
    const DimensionIndexes indexes = LoadIndexes(file.db());
    const RunPov pov =
        CheckPov(indexes, scenario, year, startPeriod, endPeriod, entity, parentEntity);
    RequireMember(indexes, Dimension::Value, valueMember, "Value member");
    DataStore store(file.db());
    std::map<int32_t, uint16_t> periodSlots;  // by band
    for (const int32_t period : pov.periods) {
        periodSlots[BandOf(period)] =
            static_cast<uint16_t>(periodSlots[BandOf(period)] | (1u << SlotOf(period)));
    }
    for (const auto& [band, inBand] : periodSlots) {
        DropStoredTotals(store, indexes, scenario, year, entity, valueMember, band, inBand);
    }
    CountChange(file.db());
    write.Commit();
    file.NoteChanged();
}

}  // namespace tarsel::local
