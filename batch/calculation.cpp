#include "batch/commands.h"

namespace tarsel::batch {

bool Consolidate(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(context, params, quitOnFailure,
                                 {"CONSOLIDATE", "Consolidate", "Error consolidating data", false});
}

bool ForceCalculate(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"FORCE_CALCULATE", "ForceCalculate", "Error force calculating data", false});
}

}  // namespace tarsel::batch
