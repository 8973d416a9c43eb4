#include "batch/bsConstants.h"
#include "batch/commands.h"
#include "server/client_library.h"

namespace tarsel::batch {

bool Connect(BatchContext& context, const QStringList& params, bool& /*quitOnFailure*/) {
    const QString source = QStringLiteral("Connect");
    CommandEntry entry(context, source, QStringLiteral("Could not connect"), false);
    return entry.Run([&] {
        if (params.size() < 2) {
            RaiseTooFewParameters(2, err::kLogonTooFew, source);
        }
        const QString cluster = Param(params, 1);
        const QString application = Param(params, 2);
        // The command line wins, so a job file can be shared without its password.
        const QString user =
            !context.commandLineUser.isEmpty() ? context.commandLineUser : Param(params, 3);
        const QString password =
            !context.commandLinePassword.isEmpty() ? context.commandLinePassword : Param(params, 4);
        if (user.isEmpty()) {
            throw TarselError(err::kNoUserId, source, QStringLiteral("No user ID found"));
        }
        if (password.isEmpty()) {
            throw TarselError(err::kNoPassword, source, QStringLiteral("No password found"));
        }

        // From here on a failure leaves the run without a session.
        context.ReleaseSession();
        auto connection = ActiveClientLibrary().CreateClientConnection();
        connection->SetLogonInfo(QString(), user, QString(), password);
        OpenedApplication opened =
            connection->OpenApplication(cluster, QStringLiteral("Tarsel"), application);
        if (!opened.session || !opened.clientSession) {
            ThrowClientError(code::kInternal,
                             QStringLiteral("The application was opened without a session"));
        }
        auto metadata = opened.session->GetMetadata();
        auto administration = opened.session->GetAdministration();

        context.connection = std::move(connection);
        context.clientSession = std::move(opened.clientSession);
        context.session = std::move(opened.session);
        context.metadata = std::move(metadata);
        context.administration = std::move(administration);
        context.log.WriteLog(QStringLiteral("Connected as ") + user + QStringLiteral(" to ") +
                                 application + QStringLiteral(" on ") + cluster,
                             QString::fromLatin1(line::kSuccess));
    });
}

}  // namespace tarsel::batch
