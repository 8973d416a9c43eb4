#include "batch/commands.h"

namespace tarsel::batch {

bool Consolidate(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(context, params, quitOnFailure,
                                 {"CONSOLIDATE", "Consolidate", "Error consolidating data", 1, 6});
}

bool ForceCalculate(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"FORCE_CALCULATE", "ForceCalculate", "Error force calculating data", 1, 7});
}

}  // namespace tarsel::batch
