#include "batch/bsConstants.h"
#include "batch/commands.h"
#include "batch/dispatch.h"

namespace tarsel::batch {

namespace {

// Parameters not given count as empty, so an error before they are read shows an empty
// path, or a point of view of empty labels.
QString Subject(const QStringList& params, const UnavailableCommand& command,
                const RunTimestamps& stamps) {
    if (command.subjectFrom == command.subjectTo) {
        return ReplaceTimestampTokens(Param(params, command.subjectFrom), stamps);
    }
    QStringList labels;
    for (int position = command.subjectFrom; position <= command.subjectTo; ++position) {
        labels << Param(params, position);
    }
    return QStringLiteral("POV: ") + labels.join(QStringLiteral(", "));
}

}  // namespace

bool RunUnavailableCommand(BatchContext& context, const QStringList& params, bool& quitOnFailure,
                           const UnavailableCommand& command) {
    const QString source = QString::fromLatin1(command.source);
    CommandEntry entry(context, source, QString::fromLatin1(command.failureText), true);
    return entry.Run([&] {
        const DispatchEntry* known = FindCommand(QString::fromLatin1(command.keyword));
        const int required = known ? known->required : 0;
        if (params.size() < required) {
            entry.SetSubject(Subject({}, command, context.stamps));
            RaiseTooFewParameters(required, known->tooFewNumber, source);
        }
        entry.SetSubject(Subject(params, command, context.stamps));
        ReadQuitOnFailure(params, required, quitOnFailure);
        throw TarselError(err::kNotAvailable, source,
                          QString::fromLatin1(command.keyword) +
                              QStringLiteral(" is not available in this build"));
    });
}

}  // namespace tarsel::batch
