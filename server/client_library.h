#pragma once
// Where the programs get their client-library objects from. Every "created new" object
// of the interface is created here, so no window or command knows which implementation
// it talks to. A program makes one library in its main (the local Tarsel server) and
// hands it to the code that creates objects; tests hand in their own.

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

}  // namespace tarsel
