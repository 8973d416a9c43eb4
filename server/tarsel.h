#pragma once
// The Tarsel client-library interface: the objects and operations both programs call.
// Results are return values; out-arguments that no caller reads are left out. Every
// failure is a TarselError with a negative number. Handles are shared pointers and an
// object lives as long as the last handle to it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "server/tarsel_error.h"

namespace tarsel {

using MemberId = int32_t;
using IdArray = std::vector<MemberId>;

inline constexpr MemberId kNoMember = -1;
// Distinct flags of EnumBaseMembers / EnumDescendants.
inline constexpr int kEveryOccurrence = 0;
inline constexpr int kEachOnce = -1;

// The twelve dimensions in the numbering of GetDimensionByIndex.
enum class Dimension : int {
    Scenario = 0,
    Year = 1,
    Period = 2,
    View = 3,
    Entity = 4,
    Value = 5,
    Account = 6,
    ICP = 7,
    Custom1 = 8,
    Custom2 = 9,
    Custom3 = 10,
    Custom4 = 11,
};
inline constexpr int kDimensionCount = 12;

// The fixed words of the interface live here and nowhere else: dimension names, account
// types and intercompany codes, each with its parse.

// "Scenario", "Year", ... "Custom4" for a dimension number 0..11; empty otherwise.
QString DimensionDisplayName(int dimensionNumber);
QString DimensionDisplayName(Dimension dimension);
// "SCENARIO", "YEAR", ... "CUSTOM4": the form in which the programs compare and keep names.
QString DimensionUpperName(Dimension dimension);
// The dimension a name stands for, compared without regard to case; empty for other text.
std::optional<Dimension> ParseDimensionName(QStringView name);

class AccountAttributes;
class EntityAttributes;
class CustomAttributes;
class ApplicationSession;

// Account type codes of AccountAttributes::GetAccountType.
namespace account_type {
inline constexpr int Income = 0, Expense = 1, Asset = 2, Liability = 3, Balance = 4, Flow = 5,
                     NonFinancial = 6, CurrencyRate = 7, System = 8, Text = 9, GroupLabel = 10,
                     BalanceRecurring = 11, Dynamic = 12;
}
// Intercompany codes of AccountAttributes::GetICPType.
namespace icp_type {
inline constexpr int Yes = -1, No = 0, Restricted = 1;
}

// "Income" ... "Dynamic" for the codes 0..12; empty for any other code.
QString AccountTypeName(int32_t code);
// The code of an account type word, compared without regard to case; empty otherwise.
std::optional<int32_t> ParseAccountTypeName(QStringView word);
// "Yes", "No", "Restricted" for the three intercompany codes; empty for any other code.
QString IcpTypeName(int32_t code);
std::optional<int32_t> ParseIcpTypeName(QStringView word);

struct ListMembersForPOV {
    IdArray members;
    IdArray parents;  // for entity lists: the parent of each member (-1 at the top)
};

struct ParentChildPairs {
    IdArray parents;   // -1 for a member at the top of the hierarchy
    IdArray children;  // parallel to parents; one entry per occurrence
};

// One dimension of the open application.
class DimensionTree {
  public:
    virtual ~DimensionTree() = default;

    virtual QString GetDimensionName() = 0;
    virtual Dimension GetDimension() = 0;

    // -1 when the dimension has no list of that name (compared without regard to case).
    virtual MemberId GetMemberListID(const QString& listName) = 0;
    // System lists come first, in square brackets ("[Hierarchy]"), then the user lists.
    virtual QStringList EnumMemberListNames() = 0;
    virtual IdArray EnumMembersInList(MemberId listId, MemberId secondId) = 0;
    virtual ListMembersForPOV EnumListMembersForPOV(MemberId listId, MemberId unused1,
                                                    MemberId scenarioId, MemberId yearId,
                                                    MemberId periodId, MemberId unused2) = 0;

    // Children of parentId in stored order; parentId -1 gives the top members in order.
    // The first argument is always -1 in every caller.
    virtual IdArray EnumChildMemberIDs(MemberId unused, MemberId parentId) = 0;
    // An empty label for -1.
    virtual QString GetMemberLabel(MemberId id) = 0;
    // The description in the application language at languageIndex (0-based); empty when
    // the member has none in that language.
    virtual QString GetMemberDescription(MemberId id, int languageIndex) = 0;
    virtual int32_t GetNumberOfChildren(MemberId id) = 0;
    virtual bool IsParent(MemberId id) = 0;
    // Fails with a client error naming the label and the dimension when unknown.
    virtual MemberId GetMemberID(const QString& label) = 0;
    virtual IdArray EnumAllMemberIDs() = 0;
    virtual QStringList EnumAllMemberLabels() = 0;
    // Every occurrence, depth-first pre-order: a parent's own entry before its children's.
    virtual ParentChildPairs EnumParentChildPairs() = 0;
    // topId -1: the whole dimension. distinctFlag kEveryOccurrence or kEachOnce.
    virtual IdArray EnumBaseMembers(MemberId topId, int distinctFlag) = 0;
    virtual IdArray EnumDescendants(MemberId topId, int distinctFlag) = 0;
    virtual QString GetDefaultParentLabel(MemberId id) = 0;
    virtual int32_t GetDefaultParentGeneration(MemberId id) = 0;
    // Generations below the member along its deepest branch; 0 for a base member.
    virtual int32_t GetLevelsBelow(MemberId id) = 0;

    // The attribute interface of this dimension; fails with a client error when the
    // dimension has no such kind of attributes (Account / Entity / Custom1..Custom4).
    virtual std::shared_ptr<AccountAttributes> QueryAccountAttributes() = 0;
    virtual std::shared_ptr<EntityAttributes> QueryEntityAttributes() = 0;
    virtual std::shared_ptr<CustomAttributes> QueryCustomAttributes() = 0;
};

class AccountAttributes {
  public:
    virtual ~AccountAttributes() = default;
    virtual int32_t GetAccountType(MemberId id) = 0;
    virtual bool GetIsCalculated(MemberId id) = 0;
    virtual bool GetUsesLineItems(MemberId id) = 0;
    virtual bool GetIsConsolidated(MemberId id) = 0;
    // customNumber 1..4; -1 when no top member is set.
    virtual MemberId GetTopCustomMemberID(int customNumber, MemberId id) = 0;
    virtual int32_t GetDecimalPlaces(MemberId id) = 0;
    virtual bool GetCustomAggregationEnabled(int customNumber, MemberId id) = 0;
    // number 1..3
    virtual QString GetUserDefined(int number, MemberId id) = 0;
    virtual int32_t GetSecurityClassID(MemberId id) = 0;  // -1: none
    virtual int32_t GetICPType(MemberId id) = 0;

    MemberId GetTopCustomMemberID1(MemberId id) { return GetTopCustomMemberID(1, id); }
    MemberId GetTopCustomMemberID2(MemberId id) { return GetTopCustomMemberID(2, id); }
    MemberId GetTopCustomMemberID3(MemberId id) { return GetTopCustomMemberID(3, id); }
    MemberId GetTopCustomMemberID4(MemberId id) { return GetTopCustomMemberID(4, id); }
    bool GetCustomAggregationEnabled1(MemberId id) { return GetCustomAggregationEnabled(1, id); }
    bool GetCustomAggregationEnabled2(MemberId id) { return GetCustomAggregationEnabled(2, id); }
    bool GetCustomAggregationEnabled3(MemberId id) { return GetCustomAggregationEnabled(3, id); }
    bool GetCustomAggregationEnabled4(MemberId id) { return GetCustomAggregationEnabled(4, id); }
    QString GetUserDefined1(MemberId id) { return GetUserDefined(1, id); }
    QString GetUserDefined2(MemberId id) { return GetUserDefined(2, id); }
    QString GetUserDefined3(MemberId id) { return GetUserDefined(3, id); }
};

class EntityAttributes {
  public:
    virtual ~EntityAttributes() = default;
    virtual MemberId GetDefaultCurrencyID(MemberId id) = 0;  // a Value member; -1: none
    virtual int32_t GetSecurityClassID(MemberId id) = 0;     // -1: none
    virtual bool GetAllowAdjs(MemberId id) = 0;
    virtual bool GetIsICP(MemberId id) = 0;
    virtual bool GetAllowAdjsFromChildren(MemberId id) = 0;
    virtual QString GetUserDefined(int number, MemberId id) = 0;

    QString GetUserDefined1(MemberId id) { return GetUserDefined(1, id); }
    QString GetUserDefined2(MemberId id) { return GetUserDefined(2, id); }
    QString GetUserDefined3(MemberId id) { return GetUserDefined(3, id); }
};

class CustomAttributes {
  public:
    virtual ~CustomAttributes() = default;
    virtual QString GetUserDefined(int number, MemberId id) = 0;
    virtual int32_t GetSecurityClassID(MemberId id) = 0;  // -1: none

    QString GetUserDefined1(MemberId id) { return GetUserDefined(1, id); }
    QString GetUserDefined2(MemberId id) { return GetUserDefined(2, id); }
    QString GetUserDefined3(MemberId id) { return GetUserDefined(3, id); }
};

struct Languages {
    IdArray ids;         // 0..n-1
    QStringList labels;  // in the application's order; index = language index
};

class SessionMetadata {
  public:
    virtual ~SessionMetadata() = default;
    // Fails with a client error for a number outside 0..11.
    virtual std::shared_ptr<DimensionTree> GetDimensionByIndex(int dimensionNumber) = 0;
    virtual Languages GetLanguages() = 0;

    std::shared_ptr<DimensionTree> Scenario() { return GetDimensionByIndex(0); }
    std::shared_ptr<DimensionTree> Year() { return GetDimensionByIndex(1); }
    std::shared_ptr<DimensionTree> Period() { return GetDimensionByIndex(2); }
    std::shared_ptr<DimensionTree> View() { return GetDimensionByIndex(3); }
    std::shared_ptr<DimensionTree> Entity() { return GetDimensionByIndex(4); }
    std::shared_ptr<DimensionTree> Value() { return GetDimensionByIndex(5); }
    std::shared_ptr<DimensionTree> Account() { return GetDimensionByIndex(6); }
    std::shared_ptr<DimensionTree> ICP() { return GetDimensionByIndex(7); }
    std::shared_ptr<DimensionTree> Custom1() { return GetDimensionByIndex(8); }
    std::shared_ptr<DimensionTree> Custom2() { return GetDimensionByIndex(9); }
    std::shared_ptr<DimensionTree> Custom3() { return GetDimensionByIndex(10); }
    std::shared_ptr<DimensionTree> Custom4() { return GetDimensionByIndex(11); }
};

struct MemberListFile {
    QByteArray content;  // the bytes as loaded
    bool present = false;
};

class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual QString GetClusterName() = 0;
    virtual QString GetApplicationName() = 0;
    virtual MemberListFile GetMemberListFile() = 0;
};

struct SecurityClasses {
    IdArray ids;
    QStringList names;  // parallel to ids
};

class Security {
  public:
    virtual ~Security() = default;
    virtual SecurityClasses EnumSecurityClasses() = 0;
    // Fails with a client error for an unknown id.
    virtual QString GetSecurityClassName(int32_t id) = 0;
};

// Removes data whose members no longer exist.
class ApplicationAdmin {
  public:
    virtual ~ApplicationAdmin() = default;
    virtual void RemoveInvalidRecords(int32_t first, int32_t second, const QString& logFile) = 0;
};

class CalculationService {
  public:
    virtual ~CalculationService() = default;
    // type 0: only where data changed since the last run; 1: everywhere with data.
    virtual void RunConsolidation(MemberId scenario, MemberId year, MemberId startPeriod,
                                  MemberId endPeriod, MemberId entity1, MemberId entity2,
                                  int16_t type) = 0;
    virtual void RunForceCalculation(MemberId scenario, MemberId year, MemberId startPeriod,
                                     MemberId endPeriod, MemberId entity1, MemberId entity2,
                                     MemberId valueMember, int32_t last) = 0;
};

class ApplicationSession {
  public:
    virtual ~ApplicationSession() = default;
    // Properties
    virtual std::shared_ptr<tarsel::SystemInfo> SystemInfo() = 0;
    virtual std::shared_ptr<SessionMetadata> Metadata() = 0;
    virtual std::shared_ptr<tarsel::Security> Security() = 0;
    // Operations
    std::shared_ptr<SessionMetadata> GetMetadata() { return Metadata(); }
    virtual std::shared_ptr<ApplicationAdmin> GetAdministration() = 0;
    virtual std::shared_ptr<CalculationService> GetCalculation() = 0;
};

// The client-side session of an open application; kept alive, never called.
class ClientSession {
  public:
    virtual ~ClientSession() = default;
};

struct OpenedApplication {
    std::shared_ptr<tarsel::ClientSession> clientSession;
    std::shared_ptr<ApplicationSession> session;
};

struct LogonInfo {
    bool loggedOn = false;
    QString detail;  // the domain / cluster detail; kept by callers, not used
    QString userName;
};

class ClientConnection {
  public:
    virtual ~ClientConnection() = default;
    virtual void SetLogonInfo(const QString& domain, const QString& userId, const QString& unused,
                              const QString& password) = 0;
    // Checks the logon info given before; fails with a distinct client error for an
    // unknown cluster, unknown application, unknown user, wrong password, or a user not
    // provisioned in the application.
    virtual OpenedApplication OpenApplication(const QString& cluster, const QString& product,
                                              const QString& application) = 0;
    virtual LogonInfo GetLogonInfo() = 0;
};

struct PromptedApplication {
    std::shared_ptr<tarsel::ClientSession> serverObject;
    std::shared_ptr<ApplicationSession> session;
    QString clusterName;
    QString detail;
    QString applicationName;
};

// Shows the client library's own logon and application dialogs.
class LogonPrompt {
  public:
    virtual ~LogonPrompt() = default;
    virtual void Initialize(std::shared_ptr<ClientConnection> connection) = 0;
    // True when the user logged on; a refusal or a cancelled dialog gives false.
    virtual bool Logon(bool flag) = 0;
    // Empty when no application was opened.
    virtual std::optional<PromptedApplication> OpenApplication() = 0;
};

class ErrorHandlerComponent {
  public:
    virtual ~ErrorHandlerComponent() = default;
    virtual void SetOption(int16_t option) = 0;
    // For example "11.1.2.0".
    virtual QString GetVersion() = 0;
    struct Message {
        QString text;
        QString second;
    };
    // The readable text of a failure code; fallback when the code is not the library's
    // and no description is given.
    virtual Message GetErrorMessage(int32_t zero, int32_t number, const QString& description,
                                    const QString& fallback) = 0;
};

// ---- Loaders -----------------------------------------------------------------------

// What an option holds: a truth value, a 32-bit integer, a text, or an array of ids.
using OptionValue = std::variant<bool, int32_t, QString, IdArray>;

class LoadOption {
  public:
    virtual ~LoadOption() = default;
    // Fails with a client error when the value is of a kind the option does not take.
    virtual void SetCurrentValue(const OptionValue& value) = 0;
    virtual OptionValue CurrentValue() = 0;
};

class LoadOptions {
  public:
    virtual ~LoadOptions() = default;
    // Fails with a client error for an index the loader does not know.
    virtual std::shared_ptr<LoadOption> Item(int32_t index) = 0;
};

class MetadataLoad {
  public:
    virtual ~MetadataLoad() = default;
    virtual void SetSession(std::shared_ptr<ApplicationSession> session) = 0;
    virtual std::shared_ptr<LoadOptions> GetLoadOptions() = 0;
    virtual std::shared_ptr<LoadOptions> GetExtractOptions() = 0;
    virtual void Load(const QString& file, const QString& logFile) = 0;
    virtual void Extract(const QString& file, const QString& logFile) = 0;
};

struct SyntaxCheck {
    bool errors = false;
    bool warnings = false;
};

class RulesLoad {
  public:
    virtual ~RulesLoad() = default;
    virtual void SetSession(std::shared_ptr<ApplicationSession> session, int32_t mode) = 0;
    virtual SyntaxCheck LoadRulesFile(const QString& file, const QString& logFile, int32_t zero,
                                      bool checkIcp) = 0;
    virtual SyntaxCheck LoadMemberListFile(const QString& file, const QString& logFile,
                                           int32_t zero) = 0;
    virtual void ExtractRulesFile(const QString& file, const QString& logFile) = 0;
    virtual void ExtractMemberListFile(const QString& file, const QString& logFile) = 0;
};

class DataLoad {
  public:
    virtual ~DataLoad() = default;
    virtual void SetSession(std::shared_ptr<ApplicationSession> session) = 0;
    virtual std::shared_ptr<LoadOptions> GetLoadOptions() = 0;
    virtual std::shared_ptr<LoadOptions> GetExtractOptions() = 0;
    virtual void Load(const QString& file, const QString& logFile) = 0;
    virtual void Extract(const QString& file, const QString& logFile) = 0;
};

class JournalLoad {
  public:
    virtual ~JournalLoad() = default;
    virtual void SetSession(std::shared_ptr<ApplicationSession> session) = 0;
    virtual std::shared_ptr<LoadOptions> GetLoadOptions() = 0;
    virtual std::shared_ptr<LoadOptions> GetExtractOptions() = 0;
    virtual void Load(const QString& file, const QString& logFile) = 0;
    virtual void Extract(const QString& file, const QString& logFile) = 0;
};

class SecurityLoad {
  public:
    virtual ~SecurityLoad() = default;
    virtual void SetSession(std::shared_ptr<ApplicationSession> session) = 0;
    virtual std::shared_ptr<LoadOptions> GetLoadOptions() = 0;
    virtual std::shared_ptr<LoadOptions> GetExtractOptions() = 0;
    // True when the file names users the cluster does not know.
    virtual bool Load(const QString& file, const QString& logFile) = 0;
    virtual void Extract(const QString& file, const QString& logFile) = 0;
};

}  // namespace tarsel
