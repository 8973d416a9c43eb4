#pragma once

#include <functional>
#include <memory>

#include "server/client_library.h"

namespace tarsel::local {

// Makes the LogonPrompt objects; the interactive program passes the one that shows the
// local library's Qt dialogs. Without it CreateLogonPrompt fails.
using LogonPromptFactory = std::function<std::shared_ptr<LogonPrompt>()>;

// The local Tarsel server as a client library; clusters live under home (default
// TarselHome()).
std::shared_ptr<ClientLibrary> CreateLocalClientLibrary(LogonPromptFactory promptFactory = {},
                                                        QString home = {});

}  // namespace tarsel::local
