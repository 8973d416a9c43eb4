#include "batch/commands.h"

namespace tarsel::batch {

bool DefaultCustom2(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"DEFAULT_CUSTOM2", "DefaultCustom2", "Error defaulting Custom2 value in data file", true});
}

bool CreateFolder(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(context, params, quitOnFailure,
                                 {"CREATE_FOLDER", "CreateFolder", "Error creating folder", true});
}

bool DeleteInvalidRecords(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"DELETE_INVALID_RECORDS", "DeleteInvalidRecords", "Error deleting invalid records", true});
}

}  // namespace tarsel::batch
