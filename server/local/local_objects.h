#pragma once
// The "created new" objects of the local server that are not loaders. The sessions a
// connection opens carry the application's own administration and calculation.

#include <QString>
#include <memory>

#include "server/tarsel.h"

namespace tarsel::local {

// A connection to the clusters under home.
std::shared_ptr<ClientConnection> CreateLocalClientConnection(QString home);

// GetVersion gives "11.1.2.0", or the value of TARSEL_CLIENT_VERSION when it is set.
std::shared_ptr<ErrorHandlerComponent> CreateLocalErrorHandler();

// The readable text of a failure code of tarsel_error.h; empty for any other number.
QString ClientErrorText(int32_t number);

}  // namespace tarsel::local
