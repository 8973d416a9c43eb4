#include "batch/commands.h"

namespace tarsel::batch {

bool DefaultCustom2(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"DEFAULT_CUSTOM2", "DefaultCustom2", "Error defaulting Custom2 value in data file", 1, 1});
}

bool CreateFolder(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(context, params, quitOnFailure,
                                 {"CREATE_FOLDER", "CreateFolder", "Error creating folder", 1, 1});
}

bool DeleteInvalidRecords(BatchContext& context, const QStringList& params, bool& quitOnFailure) {
    return RunUnavailableCommand(
        context, params, quitOnFailure,
        {"DELETE_INVALID_RECORDS", "DeleteInvalidRecords", "Error deleting invalid records", 1, 1});
}

}  // namespace tarsel::batch
