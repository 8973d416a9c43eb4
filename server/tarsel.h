#pragma once
// The Tarsel client-library interface: the objects and operations both programs call.
// Results are return values; out-arguments that no caller reads are left out. Every
// failure is a TarselError with a negative number. Handles are shared pointers and an
// object lives as long as the last handle to it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
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

// Where members stand in the hierarchy, one entry per id asked for (GetHierarchyPlaces).
struct HierarchyPlaces {
    QStringList defaultParentLabels;          // GetDefaultParentLabel
    std::vector<int32_t> defaultGenerations;  // GetDefaultParentGeneration
    std::vector<int32_t> levelsBelow;         // GetLevelsBelow
};

// The attributes of members, one entry per id asked for, in that order (GetAttributes).
struct AccountAttributeValues {
    std::vector<int32_t> accountType, icpType, securityClass, decimalPlaces;
    std::array<IdArray, 4> topCustom;
    std::vector<uint8_t> isCalculated, usesLineItems, isConsolidated;
    std::array<std::vector<uint8_t>, 4> customAggregation;
    std::array<QStringList, 3> userDefined;
};
struct EntityAttributeValues {
    IdArray defaultCurrency;
    std::vector<int32_t> securityClass;
    std::vector<uint8_t> allowAdjs, isIcp, allowAdjsFromChildren;
    std::array<QStringList, 3> userDefined;
};
struct CustomAttributeValues {
    std::vector<int32_t> securityClass;
    std::array<QStringList, 3> userDefined;
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

    // Bulk reads for callers that show a whole dimension: one answer per id of ids, in
    // that order, each what the single read gives for it. They fail as the single read
    // does for the first id it fails on, answering nothing. The defaults ask member by
    // member; a server that can answer in one call overrides them.
    virtual QStringList GetMemberLabels(const IdArray& ids);
    virtual QStringList GetMemberDescriptions(const IdArray& ids, int languageIndex);
    virtual HierarchyPlaces GetHierarchyPlaces(const IdArray& ids);

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
    // Every getter above for each of ids, as DimensionTree's bulk reads answer.
    virtual AccountAttributeValues GetAttributes(const IdArray& ids);

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
    // Every getter above for each of ids, as DimensionTree's bulk reads answer.
    virtual EntityAttributeValues GetAttributes(const IdArray& ids);

    QString GetUserDefined1(MemberId id) { return GetUserDefined(1, id); }
    QString GetUserDefined2(MemberId id) { return GetUserDefined(2, id); }
    QString GetUserDefined3(MemberId id) { return GetUserDefined(3, id); }
};

class CustomAttributes {
  public:
    virtual ~CustomAttributes() = default;
    virtual QString GetUserDefined(int number, MemberId id) = 0;
    virtual int32_t GetSecurityClassID(MemberId id) = 0;  // -1: none
    // Every getter above for each of ids, as DimensionTree's bulk reads answer.
    virtual CustomAttributeValues GetAttributes(const IdArray& ids);

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
    // Deletes the cells and journal lines of the session's application that name a member
    // the application no longer has (as after a metadata REPLACE), and changes nothing
    // else. Writes logFile (replacing it): one line per removed group of cells, then the
    // total. zero and one are the values every caller passes (0 and 1); the local server
    // ignores them. Needs the role for it, as the loaders do.
    virtual void RemoveInvalidRecords(int32_t zero, int32_t one, const QString& logFile) = 0;
};

// Consolidation and calculation of the session's application for one point of view: a
// scenario, a year, the periods from startPeriod to endPeriod (ids of the Period
// dimension, in calendar order, both included) and an entity named with its parent.
// parentEntity is a parent of entity in the Entity hierarchy, -1 when entity is a top
// member, or entity itself (any occurrence); it says which occurrence of a shared entity
// is meant (a command line names the
// parent first and the entity second, and passes them the other way round). Any other
// parentEntity fails with a client error; since the local server translates no
// currencies, it computes the same numbers under every parent. Both need the role for
// calculation, as the loaders need theirs.
class CalculationService {
  public:
    virtual ~CalculationService() = default;
    // Calculates each child of entity and consolidates entity and every parent below it
    // (children's <Entity Currency> cells summed into their parents'; a shared child adds
    // to each of its parents). type 0: only the entities whose data changed since the last
    // consolidation of that point of view; 1: every entity with data. Both give the same
    // numbers.
    virtual void RunConsolidation(MemberId scenario, MemberId year, MemberId startPeriod,
                                  MemberId endPeriod, MemberId entity, MemberId parentEntity,
                                  int16_t type) = 0;
    // Recomputes the calculated cells (parent accounts, custom totals) of entity for the
    // point of view and the Value member valueMember, whether or not data changed.
    // minusOne is -1 in every caller; the local server ignores it.
    virtual void RunForceCalculation(MemberId scenario, MemberId year, MemberId startPeriod,
                                     MemberId endPeriod, MemberId entity, MemberId parentEntity,
                                     MemberId valueMember, int32_t minusOne) = 0;
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
//
// A loader object serves one command: the caller creates it, binds it to an open
// session with SetSession, sets numbered options in the collection GetLoadOptions or
// GetExtractOptions gives, and calls Load or Extract with a file and a log file path.
// What every loader of the local server does:
//
// - Every call before SetSession fails with kNoSession; so does SetSession with a
//   session that is not the local server's. A user without the role a load or extract
//   needs (the administrator role allows everything) is refused with kAccessDenied
//   naming the role.
// - The option collections live as long as the loader; an option keeps the value last
//   set until the loader goes. Item fails with kUnknownOption for an index not listed
//   at the loader below; SetCurrentValue fails with kWrongOptionValue for a value of
//   another kind than the one listed, or outside the values listed.
// - Load and Extract write the load log at logFile (replacing it): a line per problem
//   naming file, line and reason, with the word "error" (in any case) on the lines of
//   errors and nowhere else, since the batch program searches the log for it; a clean
//   run ends with a line such as "0 problems". A file that cannot be read fails with
//   kFileNotFound or kFileUnreadable; a log or output file that cannot be written with
//   kFileUnwritable.
// - A load is one transaction: it stores all of the file or nothing, and readers of the
//   application see the state before or after it, never half of it.

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

// Metadata: the .app text and .xml files of docs/formats.md.
//
// Load options (kind, default):
//   9..16, 23 (bool, false)  clear: when any of them is true, the load first empties the
//                            application's metadata (members, hierarchies, descriptions
//                            and user member lists of every dimension, languages,
//                            security classes), then loads the file into the empty
//                            application. The nine are not told apart; the batch's
//                            CLEAR sets them all and leaves 21 alone.
//   18 (bool, false)         scan: read and check the file exactly as a load would and
//                            write the same load log, but store nothing.
//   20 (int, 0)              file format: 0 the .app text, 1 .xml.
//   21 (bool, false)         true REPLACE: every dimension the file holds becomes exactly
//                            what the file says; false MERGE: new members, relations,
//                            descriptions, lists and classes are added and the attributes
//                            of existing members updated, and what the file does not name
//                            is kept.
//   29 (bool, false)         check integrity: refuse the load when it would remove a
//                            member that has data or leave data on a member that stops
//                            being a base member, naming those members in the log.
// Members that stay keep their ids, so stored data and open sessions keep pointing at
// the same members. A file with errors (or a refused integrity check) stores nothing and
// makes Load (and a scan) fail with a client error saying how many errors the load log
// lists.
//
// Extract options: 14 (int, 0): file format, 0 the .app text, 1 .xml. Extract writes the
// whole metadata of the application to metadataFile in the canonical form of that format:
// an .app extract of an application created from a canonical .app file is that file.
class MetadataLoad {
  public:
    virtual ~MetadataLoad() = default;
    virtual void SetSession(std::shared_ptr<ApplicationSession> session) = 0;
    virtual std::shared_ptr<LoadOptions> GetLoadOptions() = 0;
    virtual std::shared_ptr<LoadOptions> GetExtractOptions() = 0;
    virtual void Load(const QString& metadataFile, const QString& logFile) = 0;
    virtual void Extract(const QString& metadataFile, const QString& logFile) = 0;
};

struct SyntaxCheck {
    bool errors = false;
    bool warnings = false;
};

// The rules file and the member list file (the script dialect of docs/formats.md) of an
// application, each checked when loaded and stored byte for byte. No options.
class RulesLoad {
  public:
    virtual ~RulesLoad() = default;
    // mode is -2 in every caller, the rules of the whole application; the local server
    // accepts any value and ignores it.
    virtual void SetSession(std::shared_ptr<ApplicationSession> session, int32_t mode) = 0;
    // Runs the syntax checker over rulesFile and writes what it finds to logFile: errors
    // (unbalanced routines, unknown statements, members the application does not have;
    // intercompany references only when checkIcp is true) and warnings (legal but
    // suspicious: an empty routine, a routine the server never calls). Stores the file
    // only when there are no errors. zero is 0 in every caller and ignored. A file that
    // cannot be read fails instead of giving flags.
    virtual SyntaxCheck LoadRulesFile(const QString& rulesFile, const QString& logFile,
                                      int32_t zero, bool checkIcp) = 0;
    // Reads the member list file and writes each problem to logFile; errors for what the
    // application cannot take (an unknown member, a placeholder left in), warnings for
    // what it keeps but a user should see (a list that names no member). Only without
    // errors do the file's lists replace the application's user lists and its bytes the
    // stored member list file. zero as for LoadRulesFile.
    virtual SyntaxCheck LoadMemberListFile(const QString& memberListFile, const QString& logFile,
                                           int32_t zero) = 0;
    // Write the stored bytes back unchanged.
    virtual void ExtractRulesFile(const QString& rulesFile, const QString& logFile) = 0;
    virtual void ExtractMemberListFile(const QString& memberListFile, const QString& logFile) = 0;
};

// Data: the !DATA files of docs/formats.md, one record per cell.
//
// Load options (kind, default):
//   4 (int, 1)      duplicates, what happens to cells already stored: 0 REPLACE clears,
//                   before loading, every cell of each Scenario/Year/Period/Entity/Value
//                   combination the file holds; 1 MERGE overwrites the cells the file holds
//                   and keeps the others; 2 ACCUMULATE adds to what is stored; 3 REPLACE
//                   WITH SECURITY is REPLACE limited to the cells of the security classes
//                   the user may write.
//   5 (bool, false) accumulate within file: true adds the records of the file that name
//                   the same cell; false keeps the last of them.
//   7 (int, 0)      0 load; 1 scan: read and check as a load would and write the same
//                   load log, but store nothing.
// A file with any invalid record stores nothing, and Load still returns normally: the
// load log names every bad line, and the caller learns of them from the log.
//
// Extract options (kind, default):
//   6 (bool, false) extract calculated: true writes the calculated cells too (parent
//                   accounts and custom totals, consolidated parents, accounts flagged
//                   IsCalculated); false leaves them out.
//   7 (int, -1)     the Scenario member.
//   8 (int, -1)     the Year member.
//   9 (ids, none)   the Period members.
//   10 (ids, none)  the Entity members.
//   11 (ids, none)  the parents the entities of 10 were listed under, or the entities
//                   themselves; the local server ignores it, as it stores cells per entity
//                   and not per parent.
//   12 (ids, none)  the Account members.
// Extract writes every stored cell of that scenario, year, those periods, entities and
// accounts (all Value, ICP and custom members), sorted by the dimensions in field order;
// an id that is not a member of its dimension fails with kUnknownMemberId naming the
// option, and an empty array extracts nothing.
class DataLoad {
  public:
    virtual ~DataLoad() = default;
    virtual void SetSession(std::shared_ptr<ApplicationSession> session) = 0;
    virtual std::shared_ptr<LoadOptions> GetLoadOptions() = 0;
    virtual std::shared_ptr<LoadOptions> GetExtractOptions() = 0;
    virtual void Load(const QString& dataFile, const QString& logFile) = 0;
    virtual void Extract(const QString& dataFile, const QString& logFile) = 0;
};

// Journals and journal templates: the !JOURNAL, !STANDARD and !RECURRING sections of
// docs/formats.md.
//
// Load options: none (the collection exists, and Item fails for every index). A file with
// an invalid journal stores nothing and Load returns normally, as for data.
//
// Extract options (kind, default):
//   2 (int, -1)     the Scenario member.
//   3 (int, -1)     the Year member.
//   4 (ids, none)   the Period members.
//   8 (bool, false) write the regular journals of that point of view.
//   9 (bool, false) write the standard templates.
//   10 (bool, false) write the recurring templates.
// Extract writes what the three flags select in the load format; with nothing to write
// the file holds no section.
class JournalLoad {
  public:
    virtual ~JournalLoad() = default;
    virtual void SetSession(std::shared_ptr<ApplicationSession> session) = 0;
    virtual std::shared_ptr<LoadOptions> GetLoadOptions() = 0;
    virtual std::shared_ptr<LoadOptions> GetExtractOptions() = 0;
    virtual void Load(const QString& journalFile, const QString& logFile) = 0;
    virtual void Extract(const QString& journalFile, const QString& logFile) = 0;
};

// Security: the security file of docs/formats.md, with sections for users and groups,
// security classes, role access and security class access.
//
// Load options (all bool, default false):
//   2  clear all security: remove the application's groups, role access and class access
//      before loading (its security classes stay: members refer to them).
//   3  load the users and groups section.
//   4  load the security classes section.
//   5  load the role access section.
//   6  load the security class access section.
//   7  set true by the batch before every security load; the local server ignores it.
// Users belong to the cluster: a user the cluster does not know is not stored, the rest of
// the file loads, and Load gives back true. Any other problem of the file stores nothing
// and fails with kMalformedFile saying how many errors the load log lists.
//
// Extract options (all bool, default false): 2 users and groups, 3 security classes,
// 4 role access, 5 security class access: the sections written.
class SecurityLoad {
  public:
    virtual ~SecurityLoad() = default;
    virtual void SetSession(std::shared_ptr<ApplicationSession> session) = 0;
    virtual std::shared_ptr<LoadOptions> GetLoadOptions() = 0;
    virtual std::shared_ptr<LoadOptions> GetExtractOptions() = 0;
    // True when the file names users the cluster does not know.
    virtual bool Load(const QString& securityFile, const QString& logFile) = 0;
    virtual void Extract(const QString& securityFile, const QString& logFile) = 0;
};

}  // namespace tarsel
