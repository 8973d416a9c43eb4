#include <QFile>

#include "batch/commands.h"
#include "batch/dispatch.h"

namespace tarsel::batch {

namespace {

constexpr int32_t kJournalLoadFailed = 40034;

// The first eight characters, upper-cased, of the line that starts a journal section.
bool StartsJournalSection(const QByteArray& line) {
    const QByteArray head = line.left(8).toUpper();
    return head == "!JOURNAL" || head == "!STANDAR" || head == "!RECURRI";
}

}  // namespace

void LoadJournals(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    const auto loader = call.context.library->CreateJournalLoad();
    loader->SetSession(call.context.session);
    loader->GetLoadOptions();
    loader->Load(paths.file, paths.log);
    CheckLoadLog(paths.log, kJournalLoadFailed, call,
                 QStringLiteral("Error loading journals. See Tarsel load log for details."));
    call.entry.Succeed(QStringLiteral("Loaded journal file"));
}

void ExtractJournals(CommandCall& call) {
    const FilePaths paths = ReadFilePaths(call);
    const QString flags = QStringLiteral(
                              ". Regular Journals = %1, Standard Templates = %2, "
                              "Recurring Templates = %3")
                              .arg(Param(call.params, 7).toUpper(), Param(call.params, 8).toUpper(),
                                   Param(call.params, 9).toUpper());
    call.entry.AppendToFailureText(flags);
    // The three words are checked before the server is asked for anything.
    const bool regular = ReadWord(call, 7) == QLatin1String("TRUE");
    const bool standard = ReadWord(call, 8) == QLatin1String("TRUE");
    const bool recurring = ReadWord(call, 9) == QLatin1String("TRUE");
    const auto loader = call.context.library->CreateJournalLoad();
    loader->SetSession(call.context.session);
    const auto options = loader->GetExtractOptions();
    options->Item(8)->SetCurrentValue(regular);
    options->Item(9)->SetCurrentValue(standard);
    options->Item(10)->SetCurrentValue(recurring);
    options->Item(2)->SetCurrentValue(GetMemberIDByDimension(call, 0, Param(call.params, 3)));
    options->Item(3)->SetCurrentValue(GetMemberIDByDimension(call, 1, Param(call.params, 4)));
    options->Item(4)->SetCurrentValue(
        GetExtractPeriod(call, Param(call.params, 5), Param(call.params, 6)));
    loader->Extract(paths.file, paths.log);

    bool anySection = false;
    QFile written(paths.file);
    if (written.open(QIODevice::ReadOnly)) {
        while (!anySection && !written.atEnd()) {
            anySection = StartsJournalSection(written.readLine());
        }
        written.close();
    }
    if (!anySection) {
        QFile::remove(paths.file);
    }
    call.entry.Succeed(QStringLiteral("Extracted journals") + flags);
}

void DeleteInvalidRecords(CommandCall& call) {
    QString logPath = ReplaceTimestampTokens(Param(call.params, 1), call.context.stamps);
    if (logPath.isEmpty()) {
        const QString& batchLog = call.context.log.File();
        logPath = batchLog.left(std::max<qsizetype>(batchLog.size() - 4, 0)) +
                  QStringLiteral("_DELETE_INVALID_RECORDS.log");
    }
    call.entry.SetSubject(logPath);
    call.context.administration->RemoveInvalidRecords(0, 1, logPath);
    call.entry.Succeed(QStringLiteral("Deleted invalid records"));
}

}  // namespace tarsel::batch
