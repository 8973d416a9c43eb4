#include "batch/commands.h"

namespace tarsel::batch {

bool KarstExport(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"KARST_EXPORT", "KarstExport", "Error exporting book/report from Karst", 6, 6});
}

}  // namespace tarsel::batch
