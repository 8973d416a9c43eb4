#include "batch/dispatch.h"

#include <array>

#include "batch/bsConstants.h"
#include "batch/commands.h"

namespace tarsel::batch {

namespace {

using K = CommandKind;
using P = ParamKind;

#define TRUE_FALSE(what) "Invalid entry for " what ". Expected 'True' or 'False'"

constexpr ParamRule kLoadMetadata[] = {
    {1, P::InputFile, ".XML|.APP", 40005,
     "Unrecognized metadata file type. Expected '.xml' or '.app'"},
    {2, P::LogFile, nullptr, 0, nullptr},
    {3, P::Word, "REPLACE|MERGE|CLEAR", 40006,
     "Invalid entry for Load Type option. Expected 'Merge', 'Replace' or 'Clear'"},
    {4, P::Word, "TRUE|FALSE", 40007, TRUE_FALSE("Check Integrity option")},
};
constexpr ParamRule kScanMetadata[] = {
    {1, P::InputFile, ".XML|.APP", 40026,
     "Unrecognized metadata file type. Expected '.xml' or '.app'"},
    {2, P::LogFile, nullptr, 0, nullptr},
    {3, P::Word, "REPLACE|MERGE|CLEAR", 40027,
     "Invalid entry for Load Type option. Expected 'Merge', 'Replace' or 'Clear'"},
    {4, P::Word, "TRUE|FALSE", 40028, TRUE_FALSE("Check Integrity option")},
};
constexpr ParamRule kLoadRules[] = {
    {1, P::InputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
    {3, P::Word, "TRUE|FALSE", 40010, TRUE_FALSE("Check ICP")},
};
constexpr ParamRule kLoadFile[] = {
    {1, P::InputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
};
#define DUPLICATES                                                                            \
    "Invalid entry for Duplicates. Expected 'Merge', 'Replace', 'Accumulate' or 'Replace By " \
    "Security'"
constexpr ParamRule kLoadData[] = {
    {1, P::InputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
    {3, P::Word, "MERGE|REPLACE|ACCUMULATE|REPLACE WITH SECURITY", 40015, DUPLICATES},
    {4, P::Word, "TRUE|FALSE", 40016, TRUE_FALSE("Accumulate Within File")},
};
constexpr ParamRule kScanData[] = {
    {1, P::InputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
    {3, P::Word, "MERGE|REPLACE|ACCUMULATE|REPLACE WITH SECURITY", 40030, DUPLICATES},
    {4, P::Word, "TRUE|FALSE", 40031, TRUE_FALSE("Accumulate Within File")},
};
constexpr ParamRule kLoadSecurity[] = {
    {1, P::InputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
    {3, P::Word, "TRUE|FALSE", 40052, TRUE_FALSE("Clear All Security")},
    {4, P::Word, "TRUE|FALSE", 40053, TRUE_FALSE("Load Users and Groups")},
    {5, P::Word, "TRUE|FALSE", 40054, TRUE_FALSE("Load Security Classes")},
    {6, P::Word, "TRUE|FALSE", 40055, TRUE_FALSE("Load Role Access")},
    {7, P::Word, "TRUE|FALSE", 40056, TRUE_FALSE("Load Security Class Access")},
};
constexpr ParamRule kExtractFile[] = {
    {1, P::OutputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
};
constexpr ParamRule kExtractMetadata[] = {
    {1, P::OutputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
    {3, P::Word, "XML|APP", 40068, "Unrecognized metadata file type. Expected 'XML' or 'App'"},
};
#define INVALID_PERIODS "Invalid start or end period specified."
constexpr ParamRule kExtractBaseData[] = {
    {1, P::OutputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
    {5, P::PeriodFrom, nullptr, 40036, INVALID_PERIODS},
    {6, P::PeriodTo, nullptr, 40036, INVALID_PERIODS},
    {7, P::Word, "TRUE|FALSE", 40037, TRUE_FALSE("Extract Calculated")},
};
constexpr ParamRule kExtractByLists[] = {
    {1, P::OutputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
    {5, P::PeriodFrom, nullptr, 40036, INVALID_PERIODS},
    {6, P::PeriodTo, nullptr, 40036, INVALID_PERIODS},
    {9, P::Word, "TRUE|FALSE", 40045, TRUE_FALSE("Extract Calculated")},
};
constexpr ParamRule kExtractJournals[] = {
    {1, P::OutputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
    {5, P::PeriodFrom, nullptr, 40036, INVALID_PERIODS},
    {6, P::PeriodTo, nullptr, 40036, INVALID_PERIODS},
    {7, P::Word, "TRUE|FALSE", 40039, TRUE_FALSE("Extract Regular Journals")},
    {8, P::Word, "TRUE|FALSE", 40040, TRUE_FALSE("Extract Standard Templates")},
    {9, P::Word, "TRUE|FALSE", 40041, TRUE_FALSE("Extract Recurring Templates")},
};
constexpr ParamRule kExtractSecurity[] = {
    {1, P::OutputFile, nullptr, 0, nullptr},
    {2, P::LogFile, nullptr, 0, nullptr},
    {3, P::Word, "TRUE|FALSE", 40058, TRUE_FALSE("Extract Users and Groups")},
    {4, P::Word, "TRUE|FALSE", 40059, TRUE_FALSE("Extract Security Classes")},
    {5, P::Word, "TRUE|FALSE", 40060, TRUE_FALSE("Extract Role Access")},
    {6, P::Word, "TRUE|FALSE", 40061, TRUE_FALSE("Extract Security Class Access")},
};
constexpr ParamRule kConsolidate[] = {
    {7, P::Word, "CONSOLIDATE|CONSOLIDATE ALL WITH DATA", 40024,
     "Invalid consolidation type. Expected 'Consolidate' or 'Consolidate All With Data'."},
};
constexpr ParamRule kCreateFolder[] = {
    {1, P::NewFolder, nullptr, 0, nullptr},
};
constexpr ParamRule kDefaultCustom2[] = {
    {1, P::InputFile, nullptr, 0, nullptr},
    {2, P::OutputFile, nullptr, 0, nullptr},
};
constexpr ParamRule kDeleteInvalidRecords[] = {
    {1, P::LogFile, nullptr, 0, nullptr},
};
constexpr ParamRule kKarstExport[] = {
    {1, P::Program, nullptr, 0, nullptr},
    {5, P::LogFile, nullptr, 0, nullptr},
    {6, P::OutputFile, nullptr, 0, nullptr},
    {7, P::Word, "BOOK|REPORT", 40064,
     "Invalid entry for Extract Book or Report. Expected 'Book' or 'Report'"},
};

constexpr std::span<const ParamRule> kNoRules;

#undef TRUE_FALSE
#undef DUPLICATES
#undef INVALID_PERIODS

const std::array<DispatchEntry, 23> kTable = {{
    {"CONSOLIDATE", K::Server, 7, 40023, "Consolidate", "Error consolidating data", 1, 6, false,
     &Consolidate, kConsolidate},
    {"CREATE_FOLDER", K::Server, 1, 40050, "CreateFolder", "Error creating folder", 1, 1, false,
     &CreateFolder, kCreateFolder},
    {"EXTRACT_BASE_DATA", K::Server, 7, 40035, "ExtractBaseData", "Error extracting base data", 3,
     6, false, &ExtractBaseData, kExtractBaseData},
    {"EXTRACT_DATA_USING_MBR_LISTS", K::Server, 9, 40044, "ExtractDataUsingMbrLists",
     "Error extracting data using member lists", 3, 6, false, &ExtractDataUsingMbrLists,
     kExtractByLists},
    {"EXTRACT_JOURNALS", K::Server, 9, 40038, "ExtractJournals", "Error extracting Journals", 3, 6,
     false, &ExtractJournals, kExtractJournals},
    {"EXTRACT_METADATA", K::Server, 3, 3, "ExtractMetadata", "Error extracting metadata", 1, 1,
     false, &ExtractMetadata, kExtractMetadata},
    {"EXTRACT_MEMBER_LISTS", K::Server, 2, 2, "ExtractMemberLists",
     "Error extracting member lists file", 1, 1, false, &ExtractMemberLists, kExtractFile},
    {"EXTRACT_RULES", K::Server, 2, 2, "ExtractRules", "Error extracting rules file", 1, 1, false,
     &ExtractRules, kExtractFile},
    // The failure text as it stands before the option words are read.
    {"EXTRACT_SECURITY", K::Server, 6, 40063, "ExtractSecurity",
     "Error extracting security. Extract Users and Groups = , Extract Security Classes = , "
     "Extract Role Access = , Extract Security Class Access = ",
     1, 1, false, &ExtractSecurity, kExtractSecurity},
    {"FORCE_CALCULATE", K::Server, 7, 40065, "ForceCalculate", "Error force calculating data", 1, 7,
     false, &ForceCalculate, kNoRules},
    {"LOAD_DATA", K::Server, 4, 40014, "LoadData", "Error loading data file", 1, 1, false,
     &LoadData, kLoadData},
    {"LOAD_JOURNALS", K::Server, 2, 40033, "LoadJournals", "Error loading journal file", 1, 1,
     false, &LoadJournals, kLoadFile},
    {"LOAD_MEMBER_LISTS", K::Server, 2, 2, "LoadMemberLists", "Error loading member lists file", 1,
     1, false, &LoadMemberLists, kLoadFile},
    {"LOAD_METADATA", K::Server, 4, 4, "LoadMetadata", "Error loading metadata file", 1, 1, false,
     &LoadMetadata, kLoadMetadata},
    {"LOAD_RULES", K::Server, 3, 3, "LoadRules", "Error loading rules file", 1, 1, false,
     &LoadRules, kLoadRules},
    // The failure text as it stands before the option words are read.
    {"LOAD_SECURITY", K::Server, 7, 40048, "LoadSecurity",
     "Error loading security. Clear All Security = , Load Users and Groups = , \r\n"
     "                  Load Security Classes = , Load Role Access = , Load Security Class "
     "Access = ",
     1, 1, false, &LoadSecurity, kLoadSecurity},
    {"LOGON", K::Logon, 2, 40003, "Connect", "Could not connect", 0, 0, false, &Connect, kNoRules},
    {"KARST_EXPORT", K::SessionFree, 10, 40019, "KarstExport",
     "Error exporting book/report from Karst. Name = ", 6, 6, true, &KarstExport, kKarstExport},
    {"DEFAULT_CUSTOM2", K::Server, 3, 40049, "DefaultCustom2",
     "Error defaulting Custom2 value in data file. Default Value = ", 1, 1, false, &DefaultCustom2,
     kDefaultCustom2},
    {"SCAN_METADATA", K::Server, 4, 4, "ScanMetadata",
     "Metadata scan has identified errors in the metadata file.", 1, 1, false, &ScanMetadata,
     kScanMetadata},
    {"SCAN_DATA", K::Server, 4, 40029, "ScanData",
     "Data scan has identified errors in the data file.", 1, 1, false, &ScanData, kScanData},
    {"DELETE_INVALID_RECORDS", K::Server, 1, 40066, "DeleteInvalidRecords",
     "Error deleting invalid records", 1, 1, false, &DeleteInvalidRecords, kDeleteInvalidRecords},
    {"SEND_MAIL", K::SendMail, 5, 40018, "SendMail", "Could not send e-mail", 0, 0, false,
     &SendMail, kNoRules},
}};

const char* const kPeriodTable[] = {"01", "02", "03", "04", "05", "06",
                                    "07", "08", "09", "10", "11", "12"};

// Parameters not given count as empty, so an error before they are read shows an empty
// path, or a point of view of empty labels.
QString Subject(const QStringList& params, const DispatchEntry& command,
                const RunTimestamps& stamps) {
    if (command.subjectFrom == command.subjectTo) {
        return ReplaceTimestampTokens(Param(params, command.subjectFrom), stamps);
    }
    QStringList labels;
    for (int position = command.subjectFrom; position <= command.subjectTo; ++position) {
        labels << Param(params, position);
    }
    return QStringLiteral("POV: ") + labels.join(QStringLiteral(", "));
}

bool HasQuitField(const DispatchEntry& command) {
    return command.kind == K::Server || command.kind == K::SessionFree;
}

}  // namespace

const DispatchEntry* FindCommand(const QString& keyword) {
    for (const DispatchEntry& known : kTable) {
        if (keyword == QLatin1String(known.keyword)) {
            return &known;
        }
    }
    return nullptr;
}

QStringList CommandKeywords() {
    QStringList keywords;
    for (const DispatchEntry& known : kTable) {
        keywords << QString::fromLatin1(known.keyword);
    }
    return keywords;
}

const ParamRule* RuleAt(const DispatchEntry& command, int position) {
    for (const ParamRule& rule : command.rules) {
        if (rule.position == position) {
            return &rule;
        }
    }
    return nullptr;
}

bool WordAllowed(const ParamRule& rule, const QString& value) {
    if (!rule.words) {
        return true;
    }
    const QString upper = value.trimmed().toUpper();
    const QStringList words = QString::fromLatin1(rule.words).split(QLatin1Char('|'));
    for (const QString& word : words) {
        if (rule.kind == ParamKind::InputFile ? upper.endsWith(word) : upper == word) {
            return true;
        }
    }
    return false;
}

QString ReadWord(const CommandCall& call, int position) {
    const QString word = Param(call.params, position).toUpper();
    const ParamRule* rule = RuleAt(call.command, position);
    if (rule && !WordAllowed(*rule, word)) {
        throw TarselError(rule->number, QString::fromLatin1(call.command.source),
                          QString::fromLatin1(rule->message));
    }
    return word;
}

QStringList ExtractPeriodLabels(const QString& start, const QString& end) {
    const QString from = start.toUpper();
    const QString to = end.toUpper();
    if (from == to) {
        return {from};
    }
    QStringList labels;
    bool startFound = false;
    bool endFound = false;
    for (const char* entry : kPeriodTable) {
        const QLatin1String label(entry);
        if (label == to && startFound) {
            labels << label;
            endFound = true;
        } else if (startFound && !endFound) {
            labels << label;
        } else if (label == from && !endFound) {
            labels << label;
            startFound = true;
        }
    }
    return startFound && endFound ? labels : QStringList();
}

bool RunCommand(BatchContext& context, const DispatchEntry& command, const QStringList& params,
                bool& quitOnFailure) {
    const QString source = QString::fromLatin1(command.source);
    CommandEntry entry(context, source, QString::fromLatin1(command.failureText),
                       command.subjectFrom > 0);
    if (command.failureTrailer) {
        entry.SetFailureTrailer(QString());
    }
    return entry.Run([&] {
        if (params.size() < command.required) {
            entry.SetSubject(Subject({}, command, context.stamps));
            RaiseTooFewParameters(command.required, command.tooFewNumber, source);
        }
        entry.SetSubject(Subject(params, command, context.stamps));
        if (HasQuitField(command)) {
            ReadQuitOnFailure(params, command.required, quitOnFailure);
        }
        if (!command.body) {
            throw TarselError(err::kNotAvailable, source,
                              QString::fromLatin1(command.keyword) +
                                  QStringLiteral(" is not available in this build"));
        }
        CommandCall call{command, context, params, entry};
        command.body(call);
    });
}

}  // namespace tarsel::batch
