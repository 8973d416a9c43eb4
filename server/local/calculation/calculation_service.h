#pragma once
// The local server's consolidation and forced calculation of an application's data.

#include <memory>

#include "server/local/local_session.h"
#include "server/tarsel.h"

namespace tarsel::local {

// Each run is one write transaction; see consolidation.h for what it computes.
class LocalCalculationService final : public CalculationService {
  public:
    explicit LocalCalculationService(std::shared_ptr<LocalApplicationSession> session);

    void RunConsolidation(MemberId scenario, MemberId year, MemberId startPeriod,
                          MemberId endPeriod, MemberId entity, MemberId parentEntity,
                          int16_t type) override;
    void RunForceCalculation(MemberId scenario, MemberId year, MemberId startPeriod,
                             MemberId endPeriod, MemberId entity, MemberId parentEntity,
                             MemberId valueMember, int32_t minusOne) override;

  private:
    std::shared_ptr<LocalApplicationSession> session_;
};

}  // namespace tarsel::local
