#include "tests/support/fault_injection.h"

namespace tarsel::test {

void FaultPlan::FailAt(const QString& operation, int call, Where where, const QString& description,
                       int32_t number) {
    rules_.push_back(Rule{operation, where, call, true, {}, description, number, {}, 0});
}

void FaultPlan::Before(const QString& operation, std::function<void(int call)> hook, Where where) {
    rules_.push_back(Rule{operation, where, 0, false, std::move(hook), QString(), 0, {}, 0});
}

int FaultPlan::Calls(const QString& operation, std::optional<Dimension> dimension) const {
    int total = 0;
    for (const auto& [name, count] : calls_) {
        if (name.first == operation &&
            (!dimension || name.second == static_cast<int>(*dimension))) {
            total += count;
        }
    }
    return total;
}

const std::any* FaultPlan::Apply(const QString& operation, std::optional<Dimension> dimension,
                                 std::optional<int64_t> key) {
    ++calls_[{operation, dimension ? static_cast<int>(*dimension) : -1}];
    const std::any* answer = nullptr;
    // By index: a hook may add rules while it runs.
    for (size_t i = 0; i < rules_.size(); ++i) {
        if (rules_[i].operation != operation ||
            (rules_[i].where.dimension && rules_[i].where.dimension != dimension) ||
            (rules_[i].where.key && rules_[i].where.key != key)) {
            continue;
        }
        const int seen = ++rules_[i].seen;
        if (rules_[i].hook) {
            const auto hook = rules_[i].hook;
            hook(seen);
        }
        if (rules_[i].fail && (rules_[i].call == 0 || rules_[i].call == seen)) {
            ThrowClientError(rules_[i].number, rules_[i].description);
        }
        if (rules_[i].value.has_value()) {
            answer = &rules_[i].value;
        }
    }
    return answer;
}

namespace {

using Plan = std::shared_ptr<FaultPlan>;
constexpr std::optional<Dimension> kNoDimension;

class FaultyAccountAttributes : public AccountAttributes {
  public:
    FaultyAccountAttributes(std::shared_ptr<AccountAttributes> real, Dimension dimension, Plan plan)
        : real_(std::move(real)), dimension_(dimension), plan_(std::move(plan)) {}
    int32_t GetAccountType(MemberId id) override {
        return plan_->Call<int32_t>("AccountAttributes::GetAccountType", dimension_, id,
                                    [&] { return real_->GetAccountType(id); });
    }
    bool GetIsCalculated(MemberId id) override {
        return plan_->Call<bool>("AccountAttributes::GetIsCalculated", dimension_, id,
                                 [&] { return real_->GetIsCalculated(id); });
    }
    bool GetUsesLineItems(MemberId id) override {
        return plan_->Call<bool>("AccountAttributes::GetUsesLineItems", dimension_, id,
                                 [&] { return real_->GetUsesLineItems(id); });
    }
    bool GetIsConsolidated(MemberId id) override {
        return plan_->Call<bool>("AccountAttributes::GetIsConsolidated", dimension_, id,
                                 [&] { return real_->GetIsConsolidated(id); });
    }
    MemberId GetTopCustomMemberID(int customNumber, MemberId id) override {
        return plan_->Call<MemberId>("AccountAttributes::GetTopCustomMemberID", dimension_, id,
                                     [&] { return real_->GetTopCustomMemberID(customNumber, id); });
    }
    int32_t GetDecimalPlaces(MemberId id) override {
        return plan_->Call<int32_t>("AccountAttributes::GetDecimalPlaces", dimension_, id,
                                    [&] { return real_->GetDecimalPlaces(id); });
    }
    bool GetCustomAggregationEnabled(int customNumber, MemberId id) override {
        return plan_->Call<bool>(
            "AccountAttributes::GetCustomAggregationEnabled", dimension_, id,
            [&] { return real_->GetCustomAggregationEnabled(customNumber, id); });
    }
    QString GetUserDefined(int number, MemberId id) override {
        return plan_->Call<QString>("AccountAttributes::GetUserDefined", dimension_, id,
                                    [&] { return real_->GetUserDefined(number, id); });
    }
    int32_t GetSecurityClassID(MemberId id) override {
        return plan_->Call<int32_t>("AccountAttributes::GetSecurityClassID", dimension_, id,
                                    [&] { return real_->GetSecurityClassID(id); });
    }
    int32_t GetICPType(MemberId id) override {
        return plan_->Call<int32_t>("AccountAttributes::GetICPType", dimension_, id,
                                    [&] { return real_->GetICPType(id); });
    }

  private:
    std::shared_ptr<AccountAttributes> real_;
    Dimension dimension_;
    Plan plan_;
};

class FaultyEntityAttributes : public EntityAttributes {
  public:
    FaultyEntityAttributes(std::shared_ptr<EntityAttributes> real, Dimension dimension, Plan plan)
        : real_(std::move(real)), dimension_(dimension), plan_(std::move(plan)) {}
    MemberId GetDefaultCurrencyID(MemberId id) override {
        return plan_->Call<MemberId>("EntityAttributes::GetDefaultCurrencyID", dimension_, id,
                                     [&] { return real_->GetDefaultCurrencyID(id); });
    }
    int32_t GetSecurityClassID(MemberId id) override {
        return plan_->Call<int32_t>("EntityAttributes::GetSecurityClassID", dimension_, id,
                                    [&] { return real_->GetSecurityClassID(id); });
    }
    bool GetAllowAdjs(MemberId id) override {
        return plan_->Call<bool>("EntityAttributes::GetAllowAdjs", dimension_, id,
                                 [&] { return real_->GetAllowAdjs(id); });
    }
    bool GetIsICP(MemberId id) override {
        return plan_->Call<bool>("EntityAttributes::GetIsICP", dimension_, id,
                                 [&] { return real_->GetIsICP(id); });
    }
    bool GetAllowAdjsFromChildren(MemberId id) override {
        return plan_->Call<bool>("EntityAttributes::GetAllowAdjsFromChildren", dimension_, id,
                                 [&] { return real_->GetAllowAdjsFromChildren(id); });
    }
    QString GetUserDefined(int number, MemberId id) override {
        return plan_->Call<QString>("EntityAttributes::GetUserDefined", dimension_, id,
                                    [&] { return real_->GetUserDefined(number, id); });
    }

  private:
    std::shared_ptr<EntityAttributes> real_;
    Dimension dimension_;
    Plan plan_;
};

class FaultyCustomAttributes : public CustomAttributes {
  public:
    FaultyCustomAttributes(std::shared_ptr<CustomAttributes> real, Dimension dimension, Plan plan)
        : real_(std::move(real)), dimension_(dimension), plan_(std::move(plan)) {}
    QString GetUserDefined(int number, MemberId id) override {
        return plan_->Call<QString>("CustomAttributes::GetUserDefined", dimension_, id,
                                    [&] { return real_->GetUserDefined(number, id); });
    }
    int32_t GetSecurityClassID(MemberId id) override {
        return plan_->Call<int32_t>("CustomAttributes::GetSecurityClassID", dimension_, id,
                                    [&] { return real_->GetSecurityClassID(id); });
    }

  private:
    std::shared_ptr<CustomAttributes> real_;
    Dimension dimension_;
    Plan plan_;
};

class FaultyDimensionTree : public DimensionTree {
  public:
    FaultyDimensionTree(std::shared_ptr<DimensionTree> real, Dimension dimension, Plan plan)
        : real_(std::move(real)), dimension_(dimension), plan_(std::move(plan)) {}

    QString GetDimensionName() override {
        return plan_->Call<QString>("DimensionTree::GetDimensionName", dimension_, {},
                                    [&] { return real_->GetDimensionName(); });
    }
    Dimension GetDimension() override {
        return plan_->Call<Dimension>("DimensionTree::GetDimension", dimension_, {},
                                      [&] { return real_->GetDimension(); });
    }
    MemberId GetMemberListID(const QString& listName) override {
        return plan_->Call<MemberId>("DimensionTree::GetMemberListID", dimension_, {},
                                     [&] { return real_->GetMemberListID(listName); });
    }
    QStringList EnumMemberListNames() override {
        return plan_->Call<QStringList>("DimensionTree::EnumMemberListNames", dimension_, {},
                                        [&] { return real_->EnumMemberListNames(); });
    }
    IdArray EnumMembersInList(MemberId listId, MemberId secondId) override {
        return plan_->Call<IdArray>("DimensionTree::EnumMembersInList", dimension_, listId,
                                    [&] { return real_->EnumMembersInList(listId, secondId); });
    }
    ListMembersForPOV EnumListMembersForPOV(MemberId listId, MemberId unused1, MemberId scenarioId,
                                            MemberId yearId, MemberId periodId,
                                            MemberId unused2) override {
        return plan_->Call<ListMembersForPOV>(
            "DimensionTree::EnumListMembersForPOV", dimension_, listId, [&] {
                return real_->EnumListMembersForPOV(listId, unused1, scenarioId, yearId, periodId,
                                                    unused2);
            });
    }
    IdArray EnumChildMemberIDs(MemberId unused, MemberId parentId) override {
        return plan_->Call<IdArray>("DimensionTree::EnumChildMemberIDs", dimension_, parentId,
                                    [&] { return real_->EnumChildMemberIDs(unused, parentId); });
    }
    QString GetMemberLabel(MemberId id) override {
        return plan_->Call<QString>("DimensionTree::GetMemberLabel", dimension_, id,
                                    [&] { return real_->GetMemberLabel(id); });
    }
    QString GetMemberDescription(MemberId id, int languageIndex) override {
        return plan_->Call<QString>("DimensionTree::GetMemberDescription", dimension_, id,
                                    [&] { return real_->GetMemberDescription(id, languageIndex); });
    }
    int32_t GetNumberOfChildren(MemberId id) override {
        return plan_->Call<int32_t>("DimensionTree::GetNumberOfChildren", dimension_, id,
                                    [&] { return real_->GetNumberOfChildren(id); });
    }
    bool IsParent(MemberId id) override {
        return plan_->Call<bool>("DimensionTree::IsParent", dimension_, id,
                                 [&] { return real_->IsParent(id); });
    }
    MemberId GetMemberID(const QString& label) override {
        return plan_->Call<MemberId>("DimensionTree::GetMemberID", dimension_, {},
                                     [&] { return real_->GetMemberID(label); });
    }
    IdArray EnumAllMemberIDs() override {
        return plan_->Call<IdArray>("DimensionTree::EnumAllMemberIDs", dimension_, {},
                                    [&] { return real_->EnumAllMemberIDs(); });
    }
    QStringList EnumAllMemberLabels() override {
        return plan_->Call<QStringList>("DimensionTree::EnumAllMemberLabels", dimension_, {},
                                        [&] { return real_->EnumAllMemberLabels(); });
    }
    ParentChildPairs EnumParentChildPairs() override {
        return plan_->Call<ParentChildPairs>("DimensionTree::EnumParentChildPairs", dimension_, {},
                                             [&] { return real_->EnumParentChildPairs(); });
    }
    IdArray EnumBaseMembers(MemberId topId, int distinctFlag) override {
        return plan_->Call<IdArray>("DimensionTree::EnumBaseMembers", dimension_, topId,
                                    [&] { return real_->EnumBaseMembers(topId, distinctFlag); });
    }
    IdArray EnumDescendants(MemberId topId, int distinctFlag) override {
        return plan_->Call<IdArray>("DimensionTree::EnumDescendants", dimension_, topId,
                                    [&] { return real_->EnumDescendants(topId, distinctFlag); });
    }
    QString GetDefaultParentLabel(MemberId id) override {
        return plan_->Call<QString>("DimensionTree::GetDefaultParentLabel", dimension_, id,
                                    [&] { return real_->GetDefaultParentLabel(id); });
    }
    int32_t GetDefaultParentGeneration(MemberId id) override {
        return plan_->Call<int32_t>("DimensionTree::GetDefaultParentGeneration", dimension_, id,
                                    [&] { return real_->GetDefaultParentGeneration(id); });
    }
    int32_t GetLevelsBelow(MemberId id) override {
        return plan_->Call<int32_t>("DimensionTree::GetLevelsBelow", dimension_, id,
                                    [&] { return real_->GetLevelsBelow(id); });
    }
    std::shared_ptr<AccountAttributes> QueryAccountAttributes() override {
        return std::make_shared<FaultyAccountAttributes>(
            plan_->Call<std::shared_ptr<AccountAttributes>>(
                "DimensionTree::QueryAccountAttributes", dimension_, {},
                [&] { return real_->QueryAccountAttributes(); }),
            dimension_, plan_);
    }
    std::shared_ptr<EntityAttributes> QueryEntityAttributes() override {
        return std::make_shared<FaultyEntityAttributes>(
            plan_->Call<std::shared_ptr<EntityAttributes>>(
                "DimensionTree::QueryEntityAttributes", dimension_, {},
                [&] { return real_->QueryEntityAttributes(); }),
            dimension_, plan_);
    }
    std::shared_ptr<CustomAttributes> QueryCustomAttributes() override {
        return std::make_shared<FaultyCustomAttributes>(
            plan_->Call<std::shared_ptr<CustomAttributes>>(
                "DimensionTree::QueryCustomAttributes", dimension_, {},
                [&] { return real_->QueryCustomAttributes(); }),
            dimension_, plan_);
    }

  private:
    std::shared_ptr<DimensionTree> real_;
    Dimension dimension_;
    Plan plan_;
};

class FaultyMetadata : public SessionMetadata {
  public:
    FaultyMetadata(std::shared_ptr<SessionMetadata> real, Plan plan)
        : real_(std::move(real)), plan_(std::move(plan)) {}
    std::shared_ptr<DimensionTree> GetDimensionByIndex(int dimensionNumber) override {
        auto tree = plan_->Call<std::shared_ptr<DimensionTree>>(
            "SessionMetadata::GetDimensionByIndex", kNoDimension, dimensionNumber,
            [&] { return real_->GetDimensionByIndex(dimensionNumber); });
        return std::make_shared<FaultyDimensionTree>(
            std::move(tree), static_cast<Dimension>(dimensionNumber), plan_);
    }
    Languages GetLanguages() override {
        return plan_->Call<Languages>("SessionMetadata::GetLanguages", kNoDimension, {},
                                      [&] { return real_->GetLanguages(); });
    }

  private:
    std::shared_ptr<SessionMetadata> real_;
    Plan plan_;
};

class FaultySystemInfo : public SystemInfo {
  public:
    FaultySystemInfo(std::shared_ptr<SystemInfo> real, Plan plan)
        : real_(std::move(real)), plan_(std::move(plan)) {}
    QString GetClusterName() override {
        return plan_->Call<QString>("SystemInfo::GetClusterName", kNoDimension, {},
                                    [&] { return real_->GetClusterName(); });
    }
    QString GetApplicationName() override {
        return plan_->Call<QString>("SystemInfo::GetApplicationName", kNoDimension, {},
                                    [&] { return real_->GetApplicationName(); });
    }
    MemberListFile GetMemberListFile() override {
        return plan_->Call<MemberListFile>("SystemInfo::GetMemberListFile", kNoDimension, {},
                                           [&] { return real_->GetMemberListFile(); });
    }

  private:
    std::shared_ptr<SystemInfo> real_;
    Plan plan_;
};

class FaultySecurity : public Security {
  public:
    FaultySecurity(std::shared_ptr<Security> real, Plan plan)
        : real_(std::move(real)), plan_(std::move(plan)) {}
    SecurityClasses EnumSecurityClasses() override {
        return plan_->Call<SecurityClasses>("Security::EnumSecurityClasses", kNoDimension, {},
                                            [&] { return real_->EnumSecurityClasses(); });
    }
    QString GetSecurityClassName(int32_t id) override {
        return plan_->Call<QString>("Security::GetSecurityClassName", kNoDimension, id,
                                    [&] { return real_->GetSecurityClassName(id); });
    }

  private:
    std::shared_ptr<Security> real_;
    Plan plan_;
};

class FaultySession : public ApplicationSession {
  public:
    FaultySession(std::shared_ptr<ApplicationSession> real, Plan plan)
        : real_(std::move(real)), plan_(std::move(plan)) {}
    std::shared_ptr<tarsel::SystemInfo> SystemInfo() override {
        return std::make_shared<FaultySystemInfo>(
            plan_->Call<std::shared_ptr<tarsel::SystemInfo>>("ApplicationSession::SystemInfo",
                                                             kNoDimension, {},
                                                             [&] { return real_->SystemInfo(); }),
            plan_);
    }
    std::shared_ptr<SessionMetadata> Metadata() override {
        return std::make_shared<FaultyMetadata>(plan_->Call<std::shared_ptr<SessionMetadata>>(
                                                    "ApplicationSession::Metadata", kNoDimension,
                                                    {}, [&] { return real_->Metadata(); }),
                                                plan_);
    }
    std::shared_ptr<tarsel::Security> Security() override {
        return std::make_shared<FaultySecurity>(plan_->Call<std::shared_ptr<tarsel::Security>>(
                                                    "ApplicationSession::Security", kNoDimension,
                                                    {}, [&] { return real_->Security(); }),
                                                plan_);
    }
    std::shared_ptr<ApplicationAdmin> GetAdministration() override {
        return real_->GetAdministration();
    }
    std::shared_ptr<CalculationService> GetCalculation() override {
        return real_->GetCalculation();
    }

  private:
    std::shared_ptr<ApplicationSession> real_;
    Plan plan_;
};

class FaultyConnection : public ClientConnection {
  public:
    FaultyConnection(std::shared_ptr<ClientConnection> real, Plan plan)
        : real_(std::move(real)), plan_(std::move(plan)) {}
    void SetLogonInfo(const QString& domain, const QString& userId, const QString& unused,
                      const QString& password) override {
        plan_->Call<void>("ClientConnection::SetLogonInfo", kNoDimension, {},
                          [&] { real_->SetLogonInfo(domain, userId, unused, password); });
    }
    OpenedApplication OpenApplication(const QString& cluster, const QString& product,
                                      const QString& application) override {
        OpenedApplication opened = plan_->Call<OpenedApplication>(
            "ClientConnection::OpenApplication", kNoDimension, {},
            [&] { return real_->OpenApplication(cluster, product, application); });
        opened.session = WithFaults(opened.session, plan_);
        return opened;
    }
    LogonInfo GetLogonInfo() override {
        return plan_->Call<LogonInfo>("ClientConnection::GetLogonInfo", kNoDimension, {},
                                      [&] { return real_->GetLogonInfo(); });
    }

  private:
    std::shared_ptr<ClientConnection> real_;
    Plan plan_;
};

class FaultyPrompt : public LogonPrompt {
  public:
    FaultyPrompt(std::shared_ptr<LogonPrompt> real, Plan plan)
        : real_(std::move(real)), plan_(std::move(plan)) {}
    // The sessions the prompt opens come through the connection it is given, which is
    // decorated when it came from a decorated library.
    void Initialize(std::shared_ptr<ClientConnection> connection) override {
        plan_->Call<void>("LogonPrompt::Initialize", kNoDimension, {},
                          [&] { real_->Initialize(connection); });
    }
    bool Logon(bool flag) override {
        return plan_->Call<bool>("LogonPrompt::Logon", kNoDimension, {},
                                 [&] { return real_->Logon(flag); });
    }
    std::optional<PromptedApplication> OpenApplication() override {
        return plan_->Call<std::optional<PromptedApplication>>(
            "LogonPrompt::OpenApplication", kNoDimension, {},
            [&] { return real_->OpenApplication(); });
    }

  private:
    std::shared_ptr<LogonPrompt> real_;
    Plan plan_;
};

class FaultyErrorHandler : public ErrorHandlerComponent {
  public:
    FaultyErrorHandler(std::shared_ptr<ErrorHandlerComponent> real, Plan plan)
        : real_(std::move(real)), plan_(std::move(plan)) {}
    void SetOption(int16_t option) override {
        plan_->Call<void>("ErrorHandlerComponent::SetOption", kNoDimension, option,
                          [&] { real_->SetOption(option); });
    }
    QString GetVersion() override {
        return plan_->Call<QString>("ErrorHandlerComponent::GetVersion", kNoDimension, {},
                                    [&] { return real_->GetVersion(); });
    }
    Message GetErrorMessage(int32_t zero, int32_t number, const QString& description,
                            const QString& fallback) override {
        return plan_->Call<Message>(
            "ErrorHandlerComponent::GetErrorMessage", kNoDimension, number,
            [&] { return real_->GetErrorMessage(zero, number, description, fallback); });
    }

  private:
    std::shared_ptr<ErrorHandlerComponent> real_;
    Plan plan_;
};

class FaultyLibrary : public ClientLibrary {
  public:
    FaultyLibrary(std::shared_ptr<ClientLibrary> real, Plan plan)
        : real_(std::move(real)), plan_(std::move(plan)) {}
    std::shared_ptr<ErrorHandlerComponent> CreateErrorHandlerComponent() override {
        return std::make_shared<FaultyErrorHandler>(
            plan_->Call<std::shared_ptr<ErrorHandlerComponent>>(
                "ClientLibrary::CreateErrorHandlerComponent", kNoDimension, {},
                [&] { return real_->CreateErrorHandlerComponent(); }),
            plan_);
    }
    std::shared_ptr<ClientConnection> CreateClientConnection() override {
        return WithFaults(plan_->Call<std::shared_ptr<ClientConnection>>(
                              "ClientLibrary::CreateClientConnection", kNoDimension, {},
                              [&] { return real_->CreateClientConnection(); }),
                          plan_);
    }
    std::shared_ptr<LogonPrompt> CreateLogonPrompt() override {
        return std::make_shared<FaultyPrompt>(plan_->Call<std::shared_ptr<LogonPrompt>>(
                                                  "ClientLibrary::CreateLogonPrompt", kNoDimension,
                                                  {}, [&] { return real_->CreateLogonPrompt(); }),
                                              plan_);
    }
    std::shared_ptr<MetadataLoad> CreateMetadataLoad() override {
        return real_->CreateMetadataLoad();
    }
    std::shared_ptr<RulesLoad> CreateRulesLoad() override { return real_->CreateRulesLoad(); }
    std::shared_ptr<DataLoad> CreateDataLoad() override { return real_->CreateDataLoad(); }
    std::shared_ptr<JournalLoad> CreateJournalLoad() override { return real_->CreateJournalLoad(); }
    std::shared_ptr<SecurityLoad> CreateSecurityLoad() override {
        return real_->CreateSecurityLoad();
    }

  private:
    std::shared_ptr<ClientLibrary> real_;
    Plan plan_;
};

}  // namespace

std::shared_ptr<ClientLibrary> WithFaults(std::shared_ptr<ClientLibrary> real,
                                          std::shared_ptr<FaultPlan> plan) {
    return std::make_shared<FaultyLibrary>(std::move(real), std::move(plan));
}

std::shared_ptr<ApplicationSession> WithFaults(std::shared_ptr<ApplicationSession> real,
                                               std::shared_ptr<FaultPlan> plan) {
    if (!real) {
        return real;
    }
    return std::make_shared<FaultySession>(std::move(real), std::move(plan));
}

std::shared_ptr<ClientConnection> WithFaults(std::shared_ptr<ClientConnection> real,
                                             std::shared_ptr<FaultPlan> plan) {
    return std::make_shared<FaultyConnection>(std::move(real), std::move(plan));
}

}  // namespace tarsel::test
