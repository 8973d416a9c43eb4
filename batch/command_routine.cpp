#include "batch/command_routine.h"

#include "batch/bsConstants.h"

namespace tarsel::batch {

void BatchContext::ReleaseSession() {
    administration.reset();
    metadata.reset();
    session.reset();
    clientSession.reset();
    connection.reset();
}

QString Param(const QStringList& params, int position) {
    if (position < 1 || position > params.size()) {
        return {};
    }
    return params[position - 1].trimmed();
}

void ReadQuitOnFailure(const QStringList& params, int required, bool& quitOnFailure) {
    if (params.size() == required + 1) {
        quitOnFailure = QuitOnFailureValue(params[required]);
    } else {
        quitOnFailure = false;
    }
}

CommandEntry::CommandEntry(BatchContext& context, QString source, QString failureText,
                           bool hasSubject)
    : context_(context),
      source_(std::move(source)),
      failureText_(std::move(failureText)),
      hasSubject_(hasSubject) {}

void CommandEntry::Succeed(const QString& successText) {
    context_.log.WriteLog(successText, QString::fromLatin1(line::kSuccess));
    if (hasSubject_) {
        context_.log.WriteLog(subject_, QString::fromLatin1(line::kComment));
    }
}

void CommandEntry::WriteFailure(const TarselError& error) {
    const ErrorText text = GetErrorText(error, context_.library);
    cLog& log = context_.log;
    log.WriteLog(failureText_, QString::fromLatin1(line::kError));
    if (hasSubject_ && !trailer_) {
        log.WriteLog(subject_, QString::fromLatin1(line::kComment));
    }
    log.WriteLog(text.header, QString::fromLatin1(line::kComment));
    log.WriteLog(text.detail, QString::fromLatin1(line::kComment));
    if (trailer_) {
        log.WriteLog(*trailer_, QString::fromLatin1(line::kComment));
    }
}

TarselError CommandEntry::RuntimeError(const QString& description) const {
    return TarselError(err::kInvalidArgument, source_, description);
}

}  // namespace tarsel::batch
