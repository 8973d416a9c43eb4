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

// One decorated operation: counted under "Interface::Operation" with its key, passed by the
// plan, then asked of the real object.
#define TARSEL_FAULTY(Result, Interface, Operation, Key, Params, Args)          \
    Result Operation Params override {                                          \
        return plan_->Call<Result>(#Interface "::" #Operation, dimension_, Key, \
                                   [&] { return real_->Operation Args; });      \
    }

// An operation that hands out another object, decorated in turn.
#define TARSEL_FAULTY_OBJECT(Faulty, Result, Interface, Operation)                    \
    std::shared_ptr<Result> Operation() override {                                    \
        return Wrap<Faulty>(plan_->Call<std::shared_ptr<Result>>(                     \
                                #Interface "::" #Operation, dimension_, std::nullopt, \
                                [&] { return real_->Operation(); }),                  \
                            dimension_, plan_);                                       \
    }

// The members every decorator has: the real object, its dimension (none outside the
// dimension objects) and the plan.
#define TARSEL_FAULTY_MEMBERS(Interface)                                                   \
  public:                                                                                  \
    Faulty##Interface(std::shared_ptr<Interface> real, std::optional<Dimension> dimension, \
                      Plan plan)                                                           \
        : real_(std::move(real)), dimension_(dimension), plan_(std::move(plan)) {}         \
                                                                                           \
  private:                                                                                 \
    std::shared_ptr<Interface> real_;                                                      \
    std::optional<Dimension> dimension_;                                                   \
    Plan plan_;                                                                            \
                                                                                           \
  public:

// Decorates what a decorated object hands out, in the same dimension and plan.
template <typename Faulty, typename Real>
std::shared_ptr<Faulty> Wrap(std::shared_ptr<Real> real, std::optional<Dimension> dimension,
                             const Plan& plan) {
    return std::make_shared<Faulty>(std::move(real), dimension, plan);
}

class FaultyAccountAttributes : public AccountAttributes {
    TARSEL_FAULTY_MEMBERS(AccountAttributes)
    TARSEL_FAULTY(int32_t, AccountAttributes, GetAccountType, id, (MemberId id), (id))
    TARSEL_FAULTY(bool, AccountAttributes, GetIsCalculated, id, (MemberId id), (id))
    TARSEL_FAULTY(bool, AccountAttributes, GetUsesLineItems, id, (MemberId id), (id))
    TARSEL_FAULTY(bool, AccountAttributes, GetIsConsolidated, id, (MemberId id), (id))
    TARSEL_FAULTY(MemberId, AccountAttributes, GetTopCustomMemberID, id,
                  (int customNumber, MemberId id), (customNumber, id))
    TARSEL_FAULTY(int32_t, AccountAttributes, GetDecimalPlaces, id, (MemberId id), (id))
    TARSEL_FAULTY(bool, AccountAttributes, GetCustomAggregationEnabled, id,
                  (int customNumber, MemberId id), (customNumber, id))
    TARSEL_FAULTY(QString, AccountAttributes, GetUserDefined, id, (int number, MemberId id),
                  (number, id))
    TARSEL_FAULTY(int32_t, AccountAttributes, GetSecurityClassID, id, (MemberId id), (id))
    TARSEL_FAULTY(int32_t, AccountAttributes, GetICPType, id, (MemberId id), (id))
};

class FaultyEntityAttributes : public EntityAttributes {
    TARSEL_FAULTY_MEMBERS(EntityAttributes)
    TARSEL_FAULTY(MemberId, EntityAttributes, GetDefaultCurrencyID, id, (MemberId id), (id))
    TARSEL_FAULTY(int32_t, EntityAttributes, GetSecurityClassID, id, (MemberId id), (id))
    TARSEL_FAULTY(bool, EntityAttributes, GetAllowAdjs, id, (MemberId id), (id))
    TARSEL_FAULTY(bool, EntityAttributes, GetIsICP, id, (MemberId id), (id))
    TARSEL_FAULTY(bool, EntityAttributes, GetAllowAdjsFromChildren, id, (MemberId id), (id))
    TARSEL_FAULTY(QString, EntityAttributes, GetUserDefined, id, (int number, MemberId id),
                  (number, id))
};

class FaultyCustomAttributes : public CustomAttributes {
    TARSEL_FAULTY_MEMBERS(CustomAttributes)
    TARSEL_FAULTY(QString, CustomAttributes, GetUserDefined, id, (int number, MemberId id),
                  (number, id))
    TARSEL_FAULTY(int32_t, CustomAttributes, GetSecurityClassID, id, (MemberId id), (id))
};

class FaultyDimensionTree : public DimensionTree {
    TARSEL_FAULTY_MEMBERS(DimensionTree)
    TARSEL_FAULTY(QString, DimensionTree, GetDimensionName, std::nullopt, (), ())
    TARSEL_FAULTY(Dimension, DimensionTree, GetDimension, std::nullopt, (), ())
    TARSEL_FAULTY(MemberId, DimensionTree, GetMemberListID, std::nullopt, (const QString& listName),
                  (listName))
    TARSEL_FAULTY(QStringList, DimensionTree, EnumMemberListNames, std::nullopt, (), ())
    TARSEL_FAULTY(IdArray, DimensionTree, EnumMembersInList, listId,
                  (MemberId listId, MemberId secondId), (listId, secondId))
    TARSEL_FAULTY(ListMembersForPOV, DimensionTree, EnumListMembersForPOV, listId,
                  (MemberId listId, MemberId unused1, MemberId scenarioId, MemberId yearId,
                   MemberId periodId, MemberId unused2),
                  (listId, unused1, scenarioId, yearId, periodId, unused2))
    TARSEL_FAULTY(IdArray, DimensionTree, EnumChildMemberIDs, parentId,
                  (MemberId unused, MemberId parentId), (unused, parentId))
    TARSEL_FAULTY(QString, DimensionTree, GetMemberLabel, id, (MemberId id), (id))
    TARSEL_FAULTY(QString, DimensionTree, GetMemberDescription, id,
                  (MemberId id, int languageIndex), (id, languageIndex))
    TARSEL_FAULTY(int32_t, DimensionTree, GetNumberOfChildren, id, (MemberId id), (id))
    TARSEL_FAULTY(bool, DimensionTree, IsParent, id, (MemberId id), (id))
    TARSEL_FAULTY(MemberId, DimensionTree, GetMemberID, std::nullopt, (const QString& label),
                  (label))
    TARSEL_FAULTY(IdArray, DimensionTree, EnumAllMemberIDs, std::nullopt, (), ())
    TARSEL_FAULTY(QStringList, DimensionTree, EnumAllMemberLabels, std::nullopt, (), ())
    TARSEL_FAULTY(ParentChildPairs, DimensionTree, EnumParentChildPairs, std::nullopt, (), ())
    TARSEL_FAULTY(IdArray, DimensionTree, EnumBaseMembers, topId, (MemberId topId, int flag),
                  (topId, flag))
    TARSEL_FAULTY(IdArray, DimensionTree, EnumDescendants, topId, (MemberId topId, int flag),
                  (topId, flag))
    TARSEL_FAULTY(QString, DimensionTree, GetDefaultParentLabel, id, (MemberId id), (id))
    TARSEL_FAULTY(int32_t, DimensionTree, GetDefaultParentGeneration, id, (MemberId id), (id))
    TARSEL_FAULTY(int32_t, DimensionTree, GetLevelsBelow, id, (MemberId id), (id))

    TARSEL_FAULTY_OBJECT(FaultyAccountAttributes, AccountAttributes, DimensionTree,
                         QueryAccountAttributes)
    TARSEL_FAULTY_OBJECT(FaultyEntityAttributes, EntityAttributes, DimensionTree,
                         QueryEntityAttributes)
    TARSEL_FAULTY_OBJECT(FaultyCustomAttributes, CustomAttributes, DimensionTree,
                         QueryCustomAttributes)
};

class FaultySessionMetadata : public SessionMetadata {
    TARSEL_FAULTY_MEMBERS(SessionMetadata)
    std::shared_ptr<DimensionTree> GetDimensionByIndex(int dimensionNumber) override {
        return Wrap<FaultyDimensionTree>(
            plan_->Call<std::shared_ptr<DimensionTree>>(
                "SessionMetadata::GetDimensionByIndex", std::nullopt, dimensionNumber,
                [&] { return real_->GetDimensionByIndex(dimensionNumber); }),
            static_cast<Dimension>(dimensionNumber), plan_);
    }
    TARSEL_FAULTY(Languages, SessionMetadata, GetLanguages, std::nullopt, (), ())
};

class FaultySystemInfo : public SystemInfo {
    TARSEL_FAULTY_MEMBERS(SystemInfo)
    TARSEL_FAULTY(QString, SystemInfo, GetClusterName, std::nullopt, (), ())
    TARSEL_FAULTY(QString, SystemInfo, GetApplicationName, std::nullopt, (), ())
    TARSEL_FAULTY(MemberListFile, SystemInfo, GetMemberListFile, std::nullopt, (), ())
};

class FaultySecurity : public Security {
    TARSEL_FAULTY_MEMBERS(Security)
    TARSEL_FAULTY(SecurityClasses, Security, EnumSecurityClasses, std::nullopt, (), ())
    TARSEL_FAULTY(QString, Security, GetSecurityClassName, id, (int32_t id), (id))
};

class FaultyApplicationSession : public ApplicationSession {
    TARSEL_FAULTY_MEMBERS(ApplicationSession)
    TARSEL_FAULTY_OBJECT(FaultySystemInfo, tarsel::SystemInfo, ApplicationSession, SystemInfo)
    TARSEL_FAULTY_OBJECT(FaultySessionMetadata, SessionMetadata, ApplicationSession, Metadata)
    TARSEL_FAULTY_OBJECT(FaultySecurity, tarsel::Security, ApplicationSession, Security)
    std::shared_ptr<ApplicationAdmin> GetAdministration() override {
        return real_->GetAdministration();
    }
    std::shared_ptr<CalculationService> GetCalculation() override {
        return real_->GetCalculation();
    }
};

class FaultyClientConnection : public ClientConnection {
    TARSEL_FAULTY_MEMBERS(ClientConnection)
    TARSEL_FAULTY(void, ClientConnection, SetLogonInfo, std::nullopt,
                  (const QString& domain, const QString& userId, const QString& unused,
                   const QString& password),
                  (domain, userId, unused, password))
    OpenedApplication OpenApplication(const QString& cluster, const QString& product,
                                      const QString& application) override {
        OpenedApplication opened = plan_->Call<OpenedApplication>(
            "ClientConnection::OpenApplication", std::nullopt, std::nullopt,
            [&] { return real_->OpenApplication(cluster, product, application); });
        opened.session = WithFaults(opened.session, plan_);
        return opened;
    }
    TARSEL_FAULTY(LogonInfo, ClientConnection, GetLogonInfo, std::nullopt, (), ())
};

// The sessions the prompt opens come through the connection it is given, which is
// decorated when it came from a decorated library.
class FaultyLogonPrompt : public LogonPrompt {
    TARSEL_FAULTY_MEMBERS(LogonPrompt)
    TARSEL_FAULTY(void, LogonPrompt, Initialize, std::nullopt,
                  (std::shared_ptr<ClientConnection> connection), (connection))
    TARSEL_FAULTY(bool, LogonPrompt, Logon, std::nullopt, (bool flag), (flag))
    TARSEL_FAULTY(std::optional<PromptedApplication>, LogonPrompt, OpenApplication, std::nullopt,
                  (), ())
};

class FaultyErrorHandlerComponent : public ErrorHandlerComponent {
    TARSEL_FAULTY_MEMBERS(ErrorHandlerComponent)
    TARSEL_FAULTY(void, ErrorHandlerComponent, SetOption, option, (int16_t option), (option))
    TARSEL_FAULTY(QString, ErrorHandlerComponent, GetVersion, std::nullopt, (), ())
    TARSEL_FAULTY(Message, ErrorHandlerComponent, GetErrorMessage, number,
                  (int32_t zero, int32_t number, const QString& description,
                   const QString& fallback),
                  (zero, number, description, fallback))
};

class FaultyClientLibrary : public ClientLibrary {
    TARSEL_FAULTY_MEMBERS(ClientLibrary)
    TARSEL_FAULTY_OBJECT(FaultyErrorHandlerComponent, ErrorHandlerComponent, ClientLibrary,
                         CreateErrorHandlerComponent)
    TARSEL_FAULTY_OBJECT(FaultyClientConnection, ClientConnection, ClientLibrary,
                         CreateClientConnection)
    TARSEL_FAULTY_OBJECT(FaultyLogonPrompt, LogonPrompt, ClientLibrary, CreateLogonPrompt)
    std::shared_ptr<MetadataLoad> CreateMetadataLoad() override {
        return real_->CreateMetadataLoad();
    }
    std::shared_ptr<RulesLoad> CreateRulesLoad() override { return real_->CreateRulesLoad(); }
    std::shared_ptr<DataLoad> CreateDataLoad() override { return real_->CreateDataLoad(); }
    std::shared_ptr<JournalLoad> CreateJournalLoad() override { return real_->CreateJournalLoad(); }
    std::shared_ptr<SecurityLoad> CreateSecurityLoad() override {
        return real_->CreateSecurityLoad();
    }
};

#undef TARSEL_FAULTY_MEMBERS
#undef TARSEL_FAULTY_OBJECT
#undef TARSEL_FAULTY

}  // namespace

std::shared_ptr<ClientLibrary> WithFaults(std::shared_ptr<ClientLibrary> real,
                                          std::shared_ptr<FaultPlan> plan) {
    return std::make_shared<FaultyClientLibrary>(std::move(real), std::nullopt, std::move(plan));
}

std::shared_ptr<ApplicationSession> WithFaults(std::shared_ptr<ApplicationSession> real,
                                               std::shared_ptr<FaultPlan> plan) {
    if (!real) {
        return real;
    }
    return std::make_shared<FaultyApplicationSession>(std::move(real), std::nullopt,
                                                      std::move(plan));
}

std::shared_ptr<ClientConnection> WithFaults(std::shared_ptr<ClientConnection> real,
                                             std::shared_ptr<FaultPlan> plan) {
    return std::make_shared<FaultyClientConnection>(std::move(real), std::nullopt, std::move(plan));
}

}  // namespace tarsel::test
