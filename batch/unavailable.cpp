#include "batch/bsConstants.h"
#include "batch/commands.h"
#include "batch/dispatch.h"

namespace tarsel::batch {

bool RunUnavailableCommand(BatchContext& context, const QStringList& params, bool& quitOnFailure,
                           const UnavailableCommand& command) {
    const QString source = QString::fromLatin1(command.source);
    CommandEntry entry(context, source, QString::fromLatin1(command.failureText),
                       command.pathSubject);
    return entry.Run([&] {
        const DispatchEntry* known = FindCommand(QString::fromLatin1(command.keyword));
        const int required = known ? known->required : 0;
        if (params.size() < required) {
            RaiseTooFewParameters(required, known->tooFewNumber, source);
        }
        entry.SetSubject(ReplaceTimestampTokens(Param(params, 1), context.stamps));
        ReadQuitOnFailure(params, required, quitOnFailure);
        throw TarselError(err::kNotAvailable, source,
                          QString::fromLatin1(command.keyword) +
                              QStringLiteral(" is not available in this build"));
    });
}

}  // namespace tarsel::batch
