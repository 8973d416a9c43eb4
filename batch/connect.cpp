#include "batch/bsConstants.h"
#include "batch/commands.h"

namespace tarsel::batch {

void Connect(CommandCall& call) {
    BatchContext& context = call.context;
    const QString source = QStringLiteral("Connect");
    const QString cluster = Param(call.params, 1);
    const QString application = Param(call.params, 2);
    // The command line wins, then the LOGON line, then the environment, so a job file can
    // be shared without its password and the password need not show in the process list.
    const auto first = [](const QString& a, const QString& b, const QString& c) {
        return !a.isEmpty() ? a : !b.isEmpty() ? b : c;
    };
    const QString user =
        first(context.commandLineUser, Param(call.params, 3), context.environmentUser);
    const QString password =
        first(context.commandLinePassword, Param(call.params, 4), context.environmentPassword);
    if (user.isEmpty()) {
        throw TarselError(err::kNoUserId, source, QStringLiteral("No user ID found"));
    }
    if (password.isEmpty()) {
        throw TarselError(err::kNoPassword, source, QStringLiteral("No password found"));
    }

    // From here on a failure leaves the run without a session.
    context.ReleaseSession();
    if (!context.library) {
        ThrowClientError(code::kNotImplemented,
                         QStringLiteral("The Tarsel client library is not installed."));
    }
    auto connection = context.library->CreateClientConnection();
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
    call.entry.Succeed(QStringLiteral("Connected as ") + user + QStringLiteral(" to ") +
                       application + QStringLiteral(" on ") + cluster);
}

}  // namespace tarsel::batch
