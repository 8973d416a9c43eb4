#include "server/local/loads/metadata_load.h"

#include <QHash>
#include <unordered_set>

#include "server/local/app_schema.h"
#include "server/local/data_store.h"
#include "server/local/dimension_index.h"
#include "server/local/format/app_text.h"
#include "server/local/format/app_xml.h"
#include "server/local/format/text_lines.h"
#include "server/local/loads/metadata_plan.h"
#include "server/local/model_check.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

namespace option {
constexpr int32_t kScan = 18, kFormat = 20, kReplace = 21, kCheckIntegrity = 29,
                  kExtractFormat = 14;
constexpr int32_t kClear[] = {9, 10, 11, 12, 13, 14, 15, 16, 23};
}  // namespace option

constexpr int32_t kAppFormat = 0;

const QString kLoader = QStringLiteral("metadata loader");

// Beyond this many, the integrity faults are counted rather than listed.
constexpr int kMostIntegrityFaults = 100;

bool HoldsNothing(const AppModel& model) {
    return model.languages.isEmpty() && model.securityClasses.isEmpty() && !model.memberListFile &&
           std::none_of(model.dimensions.begin(), model.dimensions.end(), NamesDimension);
}

// The members with cells that the planned change would take the data from: removed, or
// (CLEAR numbering afresh) whose id would name another member; and base members that
// would gain children, leaving their data under a parent. Reads the stored dimension
// only where a member with data needs it.
QStringList IntegrityFaults(sql::Database& db, const PlannedMetadata& planned,
                            const ResolvedModel& resolved, const std::vector<Dimension>& touched) {
    QStringList faults;
    for (const Dimension dimension : touched) {
        const std::vector<int32_t> withData = MembersWithCells(db, dimension);
        if (withData.empty()) {
            continue;
        }
        const auto d = static_cast<size_t>(dimension);
        const DimensionModel& dim = planned.model.dimensions[d];
        QHash<int32_t, size_t> placeOf;
        placeOf.reserve(static_cast<qsizetype>(planned.ids[d].size()));
        for (size_t i = 0; i < planned.ids[d].size(); ++i) {
            placeOf.insert(planned.ids[d][i], i);
        }
        const std::unordered_set<int32_t> parents(resolved.dimensions[d].relationParent.begin(),
                                                  resolved.dimensions[d].relationParent.end());
        std::shared_ptr<const DimensionIndex> stored;
        const auto storedIndex = [&]() -> const DimensionIndex& {
            if (!stored) {
                stored = DimensionIndex::Load(db, dimension);
            }
            return *stored;
        };
        const auto label = [&](int32_t id) {
            return storedIndex().IsMember(id) ? storedIndex().Label(id)
                                              : QStringLiteral("#%1").arg(id);
        };
        for (const int32_t id : withData) {
            const auto place = placeOf.constFind(id);
            const bool kept =
                place != placeOf.constEnd() &&
                dim.members[place.value()].label.compare(label(id), Qt::CaseInsensitive) == 0;
            if (!kept) {
                faults << QStringLiteral("the %1 member %2 has data and would be removed")
                              .arg(DimensionDisplayName(dimension), label(id));
            } else if (parents.count(id) > 0 && storedIndex().Children(id).empty()) {
                faults << QStringLiteral(
                              "the %1 member %2 has data and would stop being a base "
                              "member")
                              .arg(DimensionDisplayName(dimension), label(id));
            }
        }
    }
    return faults;
}

}  // namespace

LocalMetadataLoad::LocalMetadataLoad()
    : loadOptions_(std::make_shared<OptionSet>(
          std::initializer_list<DeclaredOption>{
              {9, false, {}},
              {10, false, {}},
              {11, false, {}},
              {12, false, {}},
              {13, false, {}},
              {14, false, {}},
              {15, false, {}},
              {16, false, {}},
              {23, false, {}},
              {option::kScan, false, {}},
              {option::kFormat, int32_t{0}, {0, 1}},
              {option::kReplace, false, {}},
              {option::kCheckIntegrity, false, {}},
          },
          kLoader)),
      extractOptions_(std::make_shared<OptionSet>(
          std::initializer_list<DeclaredOption>{{option::kExtractFormat, int32_t{0}, {0, 1}}},
          kLoader)) {}

void LocalMetadataLoad::SetSession(std::shared_ptr<ApplicationSession> session) {
    session_.Bind(session);
}

std::shared_ptr<LoadOptions> LocalMetadataLoad::GetLoadOptions() {
    session_.Require(format::Role::Metadata, QStringLiteral("metadata loads"));
    return loadOptions_;
}

std::shared_ptr<LoadOptions> LocalMetadataLoad::GetExtractOptions() {
    session_.Require(format::Role::Metadata, QStringLiteral("metadata extracts"));
    return extractOptions_;
}

void LocalMetadataLoad::Load(const QString& metadataFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(format::Role::Metadata, QStringLiteral("metadata loads"));
    const bool scan = loadOptions_->Bool(option::kScan);
    const MetadataMode mode = std::any_of(std::begin(option::kClear), std::end(option::kClear),
                                          [&](int32_t i) { return loadOptions_->Bool(i); })
                                  ? MetadataMode::Clear
                              : loadOptions_->Bool(option::kReplace) ? MetadataMode::Replace
                                                                     : MetadataMode::Merge;
    const std::unique_ptr<QFile> input = format::OpenInputFile(metadataFile);
    ApplicationFile& file = *session.file();
    LoadLog log(logFile);
    // The file is read and checked before the write transaction opens, so that a long
    // read holds no lock; the stored state is read in the transaction that writes, so
    // that no other writer's commit falls between them and is lost.
    format::FileFaults faults(metadataFile);
    ModelProof proof;  // what the reader proved, which the model check need not prove again
    AppModel read = loadOptions_->Int(option::kFormat) == kAppFormat
                        ? format::ReadAppText(*input, faults, {}, &proof)
                        : format::ReadAppXml(*input, faults, &proof);
    for (const format::LineFault& fault : faults.Sorted()) {
        log.Error(metadataFile, fault.line(), fault.reason());
    }
    if (faults.count() >= format::FileFaults::kMostListed) {
        log.Note(QStringLiteral("Reading stopped at fault %1; the rest of the file was not "
                                "checked.")
                     .arg(faults.count()));
    }
    // An empty file is most likely one a failed job left half written.
    if (faults.empty() && HoldsNothing(read)) {
        log.Error(metadataFile, 0,
                  QStringLiteral("the file holds no metadata (no language, security class, "
                                 "member, relation or member list)"));
    }
    std::array<bool, kDimensionCount> named{};
    for (size_t d = 0; d < kDimensionCount; ++d) {
        named[d] = NamesDimension(read.dimensions[d]);
    }
    sql::Transaction write(file.db(), sql::Transaction::Kind::Write);
    PlannedMetadata planned;
    ResolvedModel resolved;
    const FirstFreeIds firstFree = FirstFreeMemberIds(file.db());
    ReplacedLabels replaced;
    if (log.errors() == 0) {
        try {
            planned = [&] {
                const auto storedLabels = [&db = file.db()](Dimension dimension) {
                    return [&db, dimension](const LabelFn& each) {
                        ForEachMemberLabel(db, dimension, each);
                    };
                };
                std::array<bool, kDimensionCount> skip{};
                if (mode == MetadataMode::Clear) {
                    // Numbering afresh would hand the records of one member to another:
                    // where data names members, they keep their ids by label.
                    const std::array<int32_t, kDimensionCount> named = IdsNamedByData(file.db());
                    for (size_t d = 0; d < kDimensionCount; ++d) {
                        skip[d] = true;
                        if (named[d] > 0) {
                            replaced[d] = storedLabels(static_cast<Dimension>(d));
                        }
                    }
                }
                // A dimension REPLACE takes over is read as labels and ids only, unless
                // another dimension's attributes name its members (Value, Custom1..4).
                for (size_t d = 0; d < kDimensionCount && mode == MetadataMode::Replace; ++d) {
                    const auto dimension = static_cast<Dimension>(d);
                    const bool referred =
                        dimension == Dimension::Value ||
                        (dimension >= Dimension::Custom1 && dimension <= Dimension::Custom4);
                    if (!referred && NamesDimension(read.dimensions[d])) {
                        skip[d] = true;
                        replaced[d] = storedLabels(dimension);
                    }
                }
                MemberIds currentIds;
                AppModel current = ReadMetadata(file.db(), &currentIds, skip);
                return PlanMetadata(std::move(current), std::move(currentIds), std::move(read),
                                    mode, replaced, std::move(proof), firstFree);
            }();
            resolved = CheckModel(planned.model, planned.proof);
            ResolveToIds(resolved, planned.ids);
        } catch (const TarselError& error) {
            if (error.number() != code::kMalformedFile) {
                throw;
            }
            log.ErrorText(error.description());
        }
    }
    if (loadOptions_->Bool(option::kCheckIntegrity) && log.errors() == 0) {
        // Checked on the stored cells in this transaction, so that no load of data
        // between the check and the commit escapes it. A MERGE or REPLACE changes only
        // the dimensions the file names; a CLEAR renumbers them all.
        std::vector<Dimension> touched;
        for (size_t d = 0; d < kDimensionCount; ++d) {
            if (mode == MetadataMode::Clear || named[d]) {
                touched.push_back(static_cast<Dimension>(d));
            }
        }
        const QStringList found = IntegrityFaults(file.db(), planned, resolved, touched);
        for (qsizetype i = 0; i < found.size() && i < kMostIntegrityFaults; ++i) {
            log.Error(metadataFile, 0, found[i]);
        }
        if (found.size() > kMostIntegrityFaults) {
            log.Note(QStringLiteral("%1 more members with data are not listed.")
                         .arg(found.size() - kMostIntegrityFaults));
        }
    }
    if (log.errors() > 0) {
        log.Write();
        ThrowClientError(code::kMalformedFile,
                         QStringLiteral("The metadata file %1 has %2 error(s), listed in the "
                                        "load log %3; nothing was stored.")
                             .arg(metadataFile)
                             .arg(log.errors())
                             .arg(logFile));
    }
    if (scan) {
        log.Note(QStringLiteral("Scanned %1: nothing was stored.").arg(metadataFile));
        log.Write();
        return;
    }
    ReplaceMetadata(file.db(), planned.model, resolved, planned.ids);
    SetFirstFreeMemberIds(file.db(), FirstFreeAfter(planned, mode, replaced, firstFree));
    log.Note(QStringLiteral("Loaded %1.").arg(metadataFile));
    log.Write();
    write.Commit();
    file.NoteChanged();
}

void LocalMetadataLoad::Extract(const QString& metadataFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(format::Role::Metadata, QStringLiteral("metadata extracts"));
    const bool app = extractOptions_->Int(option::kExtractFormat) == kAppFormat;
    sql::Database& db = session.file()->db();
    qsizetype size = 0;
    {
        // Straight from the stored rows into the file: a large application is never held
        // whole, neither as a model nor as text. A failure leaves no file behind.
        format::OutputFile out(metadataFile);
        CheckApplicationSchema(db);
        sql::Transaction read(db, sql::Transaction::Kind::Read);
        StoredMetadata source(db);
        const format::TextSink sink = [&out](QByteArrayView bytes) { out.Write(bytes); };
        size = app ? format::WriteAppText(source, sink) : format::WriteAppXml(source, sink);
        read.Commit();
        out.Commit();
    }
    LoadLog log(logFile);
    log.Note(QStringLiteral("Extracted the metadata of %1 (%2 bytes, %3) to %4.")
                 .arg(session.file()->name())
                 .arg(size)
                 .arg(app ? QStringLiteral(".app") : QStringLiteral(".xml"))
                 .arg(metadataFile));
    log.Write();
}

}  // namespace tarsel::local
