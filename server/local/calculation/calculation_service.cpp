#include "server/local/calculation/calculation_service.h"

namespace tarsel::local {

LocalCalculationService::LocalCalculationService(std::shared_ptr<LocalApplicationSession> session)
    : session_(std::move(session)) {}

void LocalCalculationService::RunConsolidation(MemberId, MemberId, MemberId, MemberId, MemberId,
                                               MemberId, int16_t) {
    ThrowNotAvailable(QStringLiteral("Consolidation"));
}

void LocalCalculationService::RunForceCalculation(MemberId, MemberId, MemberId, MemberId, MemberId,
                                                  MemberId, MemberId, int32_t) {
    ThrowNotAvailable(QStringLiteral("Forced calculation"));
}

}  // namespace tarsel::local
