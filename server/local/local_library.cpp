#include "server/local/local_library.h"

#include <mutex>

#include "server/local/cluster_store.h"
#include "server/local/local_loaders.h"
#include "server/local/local_objects.h"
#include "server/local/local_session.h"

namespace tarsel::local {

namespace {

class NotAvailableMetadataLoad : public MetadataLoad {
  public:
    void SetSession(std::shared_ptr<ApplicationSession>) override { Fail(); }
    std::shared_ptr<LoadOptions> GetLoadOptions() override { Fail(); }
    std::shared_ptr<LoadOptions> GetExtractOptions() override { Fail(); }
    void Load(const QString&, const QString&) override { Fail(); }
    void Extract(const QString&, const QString&) override { Fail(); }

  private:
    [[noreturn]] static void Fail() { ThrowNotAvailable(QStringLiteral("Metadata loads")); }
};

class NotAvailableRulesLoad : public RulesLoad {
  public:
    void SetSession(std::shared_ptr<ApplicationSession>, int32_t) override { Fail(); }
    SyntaxCheck LoadRulesFile(const QString&, const QString&, int32_t, bool) override { Fail(); }
    SyntaxCheck LoadMemberListFile(const QString&, const QString&, int32_t) override { Fail(); }
    void ExtractRulesFile(const QString&, const QString&) override { Fail(); }
    void ExtractMemberListFile(const QString&, const QString&) override { Fail(); }

  private:
    [[noreturn]] static void Fail() {
        ThrowNotAvailable(QStringLiteral("Rules and member list loads"));
    }
};

template <typename Interface>
class NotAvailableLoad : public Interface {
  public:
    explicit NotAvailableLoad(QString what) : what_(std::move(what)) {}
    void SetSession(std::shared_ptr<ApplicationSession>) override { ThrowNotAvailable(what_); }
    std::shared_ptr<LoadOptions> GetLoadOptions() override { ThrowNotAvailable(what_); }
    std::shared_ptr<LoadOptions> GetExtractOptions() override { ThrowNotAvailable(what_); }
    void Extract(const QString&, const QString&) override { ThrowNotAvailable(what_); }

  protected:
    QString what_;
};

class NotAvailableDataLoad : public NotAvailableLoad<DataLoad> {
  public:
    NotAvailableDataLoad() : NotAvailableLoad(QStringLiteral("Data loads")) {}
    void Load(const QString&, const QString&) override { ThrowNotAvailable(what_); }
};

class NotAvailableJournalLoad : public NotAvailableLoad<JournalLoad> {
  public:
    NotAvailableJournalLoad() : NotAvailableLoad(QStringLiteral("Journal loads")) {}
    void Load(const QString&, const QString&) override { ThrowNotAvailable(what_); }
};

class NotAvailableSecurityLoad : public NotAvailableLoad<SecurityLoad> {
  public:
    NotAvailableSecurityLoad() : NotAvailableLoad(QStringLiteral("Security loads")) {}
    bool Load(const QString&, const QString&) override { ThrowNotAvailable(what_); }
};

std::mutex gLoadersMutex;
LocalLoaderFactories& Loaders() {
    static LocalLoaderFactories factories;
    return factories;
}

template <typename Result, typename Fallback>
std::shared_ptr<Result> Make(const std::function<std::shared_ptr<Result>()>& factory) {
    if (factory) {
        return factory();
    }
    return std::make_shared<Fallback>();
}

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
        return Make<MetadataLoad, NotAvailableMetadataLoad>(Factories().metadata);
    }
    std::shared_ptr<RulesLoad> CreateRulesLoad() override {
        return Make<RulesLoad, NotAvailableRulesLoad>(Factories().rules);
    }
    std::shared_ptr<DataLoad> CreateDataLoad() override {
        return Make<DataLoad, NotAvailableDataLoad>(Factories().data);
    }
    std::shared_ptr<JournalLoad> CreateJournalLoad() override {
        return Make<JournalLoad, NotAvailableJournalLoad>(Factories().journal);
    }
    std::shared_ptr<SecurityLoad> CreateSecurityLoad() override {
        return Make<SecurityLoad, NotAvailableSecurityLoad>(Factories().security);
    }

  private:
    static LocalLoaderFactories Factories() {
        std::lock_guard lock(gLoadersMutex);
        return Loaders();
    }
    LogonPromptFactory promptFactory_;
    QString home_;
};

}  // namespace

void RegisterLocalLoaders(LocalLoaderFactories factories) {
    std::lock_guard lock(gLoadersMutex);
    Loaders() = std::move(factories);
}

std::shared_ptr<ClientLibrary> CreateLocalClientLibrary(LogonPromptFactory promptFactory,
                                                        QString home) {
    return std::make_shared<LocalClientLibrary>(std::move(promptFactory), std::move(home));
}

}  // namespace tarsel::local
