#include "server/local/local_library.h"

#include "server/local/cluster_store.h"
#include "server/local/loads/data_load.h"
#include "server/local/loads/journal_load.h"
#include "server/local/loads/metadata_load.h"
#include "server/local/loads/rules_load.h"
#include "server/local/loads/security_load.h"
#include "server/local/local_objects.h"
#include "server/local/local_session.h"

namespace tarsel::local {

namespace {

class LocalClientLibrary : public ClientLibrary {
  public:
    LocalClientLibrary(LogonPromptFactory promptFactory, QString home)
        : promptFactory_(std::move(promptFactory)), home_(std::move(home)) {}

    std::shared_ptr<ErrorHandlerComponent> CreateErrorHandlerComponent() override {
        return CreateLocalErrorHandler();
    }
    std::shared_ptr<ClientConnection> CreateClientConnection() override {
        return CreateLocalClientConnection(home_.isEmpty() ? TarselHome() : home_);
    }
    std::shared_ptr<LogonPrompt> CreateLogonPrompt() override {
        if (!promptFactory_) {
            ThrowNotAvailable(QStringLiteral("The logon dialog"));
        }
        return promptFactory_();
    }
    std::shared_ptr<MetadataLoad> CreateMetadataLoad() override {
        return std::make_shared<LocalMetadataLoad>();
    }
    std::shared_ptr<RulesLoad> CreateRulesLoad() override {
        return std::make_shared<LocalRulesLoad>();
    }
    std::shared_ptr<DataLoad> CreateDataLoad() override {
        return std::make_shared<LocalDataLoad>();
    }
    std::shared_ptr<JournalLoad> CreateJournalLoad() override {
        return std::make_shared<LocalJournalLoad>();
    }
    std::shared_ptr<SecurityLoad> CreateSecurityLoad() override {
        return std::make_shared<LocalSecurityLoad>();
    }

  private:
    LogonPromptFactory promptFactory_;
    QString home_;
};

}  // namespace

std::shared_ptr<ClientLibrary> CreateLocalClientLibrary(LogonPromptFactory promptFactory,
                                                        QString home) {
    return std::make_shared<LocalClientLibrary>(std::move(promptFactory), std::move(home));
}

}  // namespace tarsel::local
