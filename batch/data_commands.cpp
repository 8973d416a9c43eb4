#include <QFile>
#include <stdexcept>

#include "batch/commands.h"
#include "batch/dispatch.h"

namespace tarsel::batch {

namespace {

constexpr int32_t kInvalidPeriods = 40036;
constexpr int32_t kInvalidAccountList = 40046, kInvalidEntityList = 40047;
constexpr int32_t kDataLoadFailed = 40017, kDataScanFailed = 40032;

const QString kAccounts = QStringLiteral("Accounts");
const QString kEntities = QStringLiteral("Entities");

void SetOption(LoadOptions& options, int32_t index, const OptionValue& value) {
    options.Item(index)->SetCurrentValue(value);
}

std::shared_ptr<DimensionTree> ListDimension(const CommandCall& call, const QString& kind) {
    return call.context.metadata->GetDimensionByIndex(
        static_cast<int>(kind == kAccounts ? Dimension::Account : Dimension::Entity));
}

void LoadOrScanData(CommandCall& call, bool scan) {
    const FilePaths paths = ReadFilePaths(call);
    const auto loader = call.context.library->CreateDataLoad();
    loader->SetSession(call.context.session);
    const auto options = loader->GetLoadOptions();
    SetOption(*options, 7, int32_t{scan ? 1 : 0});
    const QString duplicates = ReadWord(call, 3);
    const int32_t mode = duplicates == QLatin1String("REPLACE")      ? 0
                         : duplicates == QLatin1String("MERGE")      ? 1
                         : duplicates == QLatin1String("ACCUMULATE") ? 2
                                                                     : 3;
    SetOption(*options, 4, mode);
    SetOption(*options, 5, ReadWord(call, 4) == QLatin1String("TRUE"));
    loader->Load(paths.file, paths.log);
    if (scan) {
        CheckLoadLog(paths.log, kDataScanFailed, call,
                     QStringLiteral("Error scanning data. See Tarsel load log for details."));
        call.entry.Succeed(QStringLiteral("Scanned data file"));
    } else {
        CheckLoadLog(paths.log, kDataLoadFailed, call,
                     QStringLiteral("Error loading data. See Tarsel load log for details."));
        call.entry.Succeed(QStringLiteral("Loaded data file"));
    }
}

// The point of view of an extract: parameters 3 to 6 as scenario, year and period ids.
struct ExtractPov {
    MemberId scenario;
    MemberId year;
    IdArray periods;
};

ExtractPov ReadExtractPov(const CommandCall& call) {
    ExtractPov pov;
    pov.scenario = GetMemberIDByDimension(call, 0, Param(call.params, 3));
    pov.year = GetMemberIDByDimension(call, 1, Param(call.params, 4));
    pov.periods = GetExtractPeriod(call, Param(call.params, 5), Param(call.params, 6));
    return pov;
}

void SetPovOptions(LoadOptions& options, const ExtractPov& pov) {
    SetOption(options, 7, pov.scenario);
    SetOption(options, 8, pov.year);
    SetOption(options, 9, pov.periods);
}

}  // namespace

MemberId GetMemberIDByDimension(const CommandCall& call, int dimension, const QString& label) {
    return call.context.metadata->GetDimensionByIndex(dimension)->GetMemberID(label);
}

IdArray GetExtractPeriod(const CommandCall& call, const QString& start, const QString& end) {
    const QStringList labels = ExtractPeriodLabels(start, end);
    if (labels.isEmpty()) {
        throw TarselError(kInvalidPeriods, QStringLiteral("GetExtractPeriod"),
                          QStringLiteral("Invalid start or end period specified."));
    }
    IdArray ids;
    for (const QString& label : labels) {
        ids.push_back(GetMemberIDByDimension(call, 2, label));
    }
    return ids;
}

ListMembersForPOV GetListMembers(const CommandCall& call, const QString& kind, const QString& name,
                                 MemberId scenario, MemberId year, MemberId period) {
    const auto tree = ListDimension(call, kind);
    const MemberId list = tree->GetMemberListID(name);
    if (list == -1) {
        throw TarselError(kind == kAccounts ? kInvalidAccountList : kInvalidEntityList,
                          QStringLiteral("GetListMembers"),
                          kind == kAccounts ? QStringLiteral("Invalid account member list")
                                            : QStringLiteral("Invalid entity member list"));
    }
    return tree->EnumListMembersForPOV(list, -1, scenario, year, period, -1);
}

IdArray GetAllBaseMembers(const CommandCall& call, const QString& kind) {
    return ListDimension(call, kind)->EnumBaseMembers(-1, kEachOnce);
}

void CheckLoadLog(const QString& logPath, int32_t number, const CommandCall& call,
                  const QString& message) {
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(
            QStringLiteral("The load log %1 cannot be opened").arg(logPath).toStdString());
    }
    while (!log.atEnd()) {
        if (QString::fromUtf8(log.readLine())
                .contains(QLatin1String("error"), Qt::CaseInsensitive)) {
            throw TarselError(number, QString::fromLatin1(call.command.source), message);
        }
    }
}

void LoadData(CommandCall& call) {
    LoadOrScanData(call, false);
}

void ScanData(CommandCall& call) {
    LoadOrScanData(call, true);
}

void ExtractBaseData(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    call.entry.AppendToFailureText(QStringLiteral(". Extract Calculated = ") +
                                   Param(call.params, 7).toUpper());
    const QString calculated = ReadWord(call, 7);
    const auto loader = call.context.library->CreateDataLoad();
    loader->SetSession(call.context.session);
    const auto options = loader->GetExtractOptions();
    SetOption(*options, 6, calculated == QLatin1String("TRUE"));
    SetPovOptions(*options, ReadExtractPov(call));
    SetOption(*options, 12, GetAllBaseMembers(call, kAccounts));
    const IdArray entities = GetAllBaseMembers(call, kEntities);
    SetOption(*options, 11, entities);
    SetOption(*options, 10, entities);
    loader->Extract(paths.file, paths.log);
    call.entry.Succeed(QStringLiteral("Extracted base data. Extract Calculated = ") + calculated);
}

void ExtractDataUsingMbrLists(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    const QString entityList = Param(call.params, 7).toUpper();
    const QString accountList = Param(call.params, 8).toUpper();
    const QString parts = entityList + QStringLiteral(", Acct Mbr List = ") + accountList +
                          QStringLiteral(", Extract Calculated = ") +
                          Param(call.params, 9).toUpper();
    call.entry.AppendToFailureText(QStringLiteral(". Entity Mbr List = ") + parts);
    const QString calculated = ReadWord(call, 9);
    const auto loader = call.context.library->CreateDataLoad();
    loader->SetSession(call.context.session);
    const auto options = loader->GetExtractOptions();
    SetOption(*options, 6, calculated == QLatin1String("TRUE"));
    const ExtractPov pov = ReadExtractPov(call);
    SetPovOptions(*options, pov);
    const MemberId first = pov.periods.front();
    SetOption(*options, 12,
              GetListMembers(call, kAccounts, accountList, pov.scenario, pov.year, first).members);
    ListMembersForPOV entities =
        GetListMembers(call, kEntities, entityList, pov.scenario, pov.year, first);
    SetOption(*options, 10, std::move(entities.members));
    SetOption(*options, 11, std::move(entities.parents));
    loader->Extract(paths.file, paths.log);
    call.entry.Succeed(QStringLiteral("Extracted data using member lists. Entity Mbr List = ") +
                       parts);
}

void Consolidate(CommandCall& call) {
    const QString type = ReadWord(call, 7);
    QList<MemberId> ids;
    for (const auto& [position, dimension] :
         {std::pair{1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 4}, {6, 4}}) {
        ids << GetMemberIDByDimension(call, dimension, Param(call.params, position));
    }
    const auto calculation = call.context.session->GetCalculation();
    calculation->RunConsolidation(
        ids[0], ids[1], ids[2], ids[3], ids[5], ids[4],
        static_cast<int16_t>(type == QLatin1String("CONSOLIDATE") ? 0 : 1));
    call.entry.Succeed(QStringLiteral("Consolidated data. Type = ") + type);
}

void ForceCalculate(CommandCall& call) {
    QList<MemberId> ids;
    for (const auto& [position, dimension] :
         {std::pair{1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 4}, {6, 4}, {7, 5}}) {
        ids << GetMemberIDByDimension(call, dimension, Param(call.params, position));
    }
    const auto calculation = call.context.session->GetCalculation();
    calculation->RunForceCalculation(ids[0], ids[1], ids[2], ids[3], ids[5], ids[4], ids[6], -1);
    call.entry.Succeed(QStringLiteral("Force calculated data"));
}

}  // namespace tarsel::batch
