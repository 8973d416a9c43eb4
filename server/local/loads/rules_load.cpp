#include "server/local/loads/rules_load.h"

#include <optional>

#include "server/local/app_schema.h"
#include "server/local/format/member_list_file.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

[[noreturn]] void RulesNotBuilt() {
    ThrowNotAvailable(QStringLiteral("Rules loads and extracts"));
}

using AllLists = std::array<std::vector<UserList>, kDimensionCount>;

// The file's lists with their labels turned into ids of the application; every label it
// does not have is an error of the log, every list without a member a warning.
// Reads the dimensions in the caller's transaction.
AllLists ResolveLists(const format::MemberListFileContent& content, sql::Database& db,
                      const QString& fileName, LoadLog& log) {
    AllLists lists;
    for (size_t d = 0; d < kDimensionCount; ++d) {
        if (content.lists[d].empty()) {
            continue;
        }
        const auto index = DimensionIndex::Load(db, static_cast<Dimension>(d));
        const QString dimName = DimensionDisplayName(static_cast<int>(d));
        for (size_t l = 0; l < content.lists[d].size(); ++l) {
            const MemberListModel& list = content.lists[d][l];
            UserList& resolved = lists[d].emplace_back();
            resolved.name = list.name;
            if (list.entries.empty()) {
                log.Warning(
                    fileName, 0,
                    QStringLiteral("list \"%1\" of %2 names no member").arg(list.name, dimName));
            }
            for (size_t e = 0; e < list.entries.size(); ++e) {
                const MemberListEntry& entry = list.entries[e];
                const int line = content.entryLines[d][l][e];
                const auto idOf = [&](const QString& label) {
                    if (label.isEmpty()) {
                        return -1;
                    }
                    const int32_t id = index->FindLabel(label);
                    if (id < 0) {
                        log.Error(fileName, line,
                                  QStringLiteral("list \"%1\": \"%2\" is not a member of %3")
                                      .arg(list.name, label, dimName));
                    }
                    return id;
                };
                resolved.members.push_back(idOf(entry.member));
                resolved.parents.push_back(idOf(entry.parent));
            }
        }
    }
    return lists;
}

}  // namespace

void LocalRulesLoad::SetSession(std::shared_ptr<ApplicationSession> session, int32_t) {
    session_.Bind(session);
}

SyntaxCheck LocalRulesLoad::LoadRulesFile(const QString&, const QString&, int32_t, bool) {
    session_.Require(QStringLiteral("rules loads"));
    RulesNotBuilt();
}

SyntaxCheck LocalRulesLoad::LoadMemberListFile(const QString& memberListFile,
                                               const QString& logFile, int32_t) {
    LocalApplicationSession& session = session_.Require(QStringLiteral("member list loads"));
    const QByteArray bytes = ReadInputFile(memberListFile);
    LoadLog log(logFile);
    std::optional<format::MemberListFileContent> content;
    try {
        content = format::ParseMemberListFile(bytes, memberListFile);
    } catch (const TarselError& error) {
        if (error.number() != code::kMalformedFile) {
            throw;
        }
        // The reader stops at the first statement it cannot follow; the members are
        // checked only in a file it could read to the end.
        log.ErrorText(error.description());
    }
    ApplicationFile& file = *session.file();
    // The labels are looked up in the transaction that stores the lists, so that no
    // metadata load falls between them and leaves the lists naming removed members.
    sql::Transaction write(file.db(), sql::Transaction::Kind::Write);
    AllLists lists;
    if (content) {
        lists = ResolveLists(*content, file.db(), memberListFile, log);
    }
    if (log.errors() > 0) {
        log.Write();
        return {true, log.warnings() > 0};
    }
    StoreMemberLists(file.db(), lists, bytes);
    // A log that cannot be written fails the load before anything is committed.
    log.Write();
    write.Commit();
    file.NoteChanged();
    return {false, log.warnings() > 0};
}

void LocalRulesLoad::ExtractRulesFile(const QString&, const QString&) {
    session_.Require(QStringLiteral("rules extracts"));
    RulesNotBuilt();
}

void LocalRulesLoad::ExtractMemberListFile(const QString& memberListFile, const QString& logFile) {
    LocalApplicationSession& session = session_.Require(QStringLiteral("member list extracts"));
    const std::optional<QByteArray> stored = session.file()->MemberListFile();
    if (!stored) {
        ThrowClientError(code::kFileNotFound,
                         QStringLiteral("The application \"%1\" has no member list file to "
                                        "extract; load one first.")
                             .arg(session.file()->name()));
    }
    LoadLog log(logFile);
    log.Note(QStringLiteral("Extracted the member list file (%1 bytes) to %2.")
                 .arg(stored->size())
                 .arg(memberListFile));
    WriteOutputFile(memberListFile, *stored);
    log.Write();
}

}  // namespace tarsel::local
