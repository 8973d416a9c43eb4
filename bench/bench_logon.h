#pragma once
// How every benchmark opens its application: through the local server's client library,
// the cluster, application and user from the command line and the password from
// TARSEL_PASSWORD, so that it stays out of the process list.

#include <QString>
#include <memory>

#include "server/client_library.h"

inline std::shared_ptr<tarsel::ApplicationSession> OpenForBench(tarsel::ClientLibrary& library,
                                                                const QString& cluster,
                                                                const QString& application,
                                                                const QString& user) {
    auto connection = library.CreateClientConnection();
    connection->SetLogonInfo({}, user, {}, qEnvironmentVariable("TARSEL_PASSWORD"));
    return connection->OpenApplication(cluster, QStringLiteral("Tarsel"), application).session;
}
