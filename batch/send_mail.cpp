#include "batch/commands.h"

namespace tarsel::batch {

void SendMail(CommandCall& call) {
    const QStringList& params = call.params;
    cLog& log = call.context.log;
    log.SetMailServer(Param(params, 1));
    log.SetMailSender(Param(params, 2));
    log.SetMailPassword(Param(params, 3));
    log.SetMailRecipients(Param(params, 4));
    log.SetMailSubject(Param(params, 5));
    if (params.size() == 6) {
        log.SetMailDebugLog(Param(params, 6));
    }
}

}  // namespace tarsel::batch
