#pragma once
// Where the programs get their client-library objects from. Every "created new" object
// of the interface is created here, so no window or command knows which implementation
// it talks to. A program installs one library at start (the local Tarsel server unless
// configured otherwise); tests install their own.

#include <memory>

#include "server/tarsel.h"

namespace tarsel {

class ClientLibrary {
public:
    virtual ~ClientLibrary() = default;
    virtual std::shared_ptr<ErrorHandlerComponent> CreateErrorHandlerComponent() = 0;
    virtual std::shared_ptr<ClientConnection> CreateClientConnection() = 0;
    virtual std::shared_ptr<LogonPrompt> CreateLogonPrompt() = 0;
    virtual std::shared_ptr<MetadataLoad> CreateMetadataLoad() = 0;
    virtual std::shared_ptr<RulesLoad> CreateRulesLoad() = 0;
    virtual std::shared_ptr<DataLoad> CreateDataLoad() = 0;
    virtual std::shared_ptr<JournalLoad> CreateJournalLoad() = 0;
    virtual std::shared_ptr<SecurityLoad> CreateSecurityLoad() = 0;
};

// Replaces the installed library (nullptr uninstalls it).
void InstallClientLibrary(std::shared_ptr<ClientLibrary> library);

// The installed library. Fails with a client error (kNotImplemented) when none is
// installed, as a missing client library would.
ClientLibrary& ActiveClientLibrary();

}  // namespace tarsel
