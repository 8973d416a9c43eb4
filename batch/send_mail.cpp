#include "batch/bsConstants.h"
#include "batch/commands.h"

namespace tarsel::batch {

void SendMail(BatchContext& context, const QStringList& params) {
    const QString source = QStringLiteral("SendMail");
    CommandEntry entry(context, source, QStringLiteral("Could not send e-mail"), false);
    const bool stored = entry.Run([&] {
        if (params.size() < 5) {
            RaiseTooFewParameters(5, err::kSendMailTooFew, source);
        }
        cLog& log = context.log;
        log.SetMailServer(Param(params, 1));
        log.SetMailSender(Param(params, 2));
        log.SetMailPassword(Param(params, 3));
        log.SetMailRecipients(Param(params, 4));
        log.SetMailSubject(Param(params, 5));
        if (params.size() == 6) {
            log.SetMailDebugLog(Param(params, 6));
        }
    });
    if (!stored) {
        context.anyFailure = true;
    }
}

}  // namespace tarsel::batch
