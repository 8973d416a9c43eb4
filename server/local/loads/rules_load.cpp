#include "server/local/loads/rules_load.h"

#include <optional>

#include "server/local/app_schema.h"
#include "server/local/format/member_list_file.h"
#include "server/local/format/rules_text.h"
#include "server/local/format/text_lines.h"
#include "server/local/security_store.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

using format::Role;

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

// Writes the stored bytes of a file (what: "rules file") to path; kFileNotFound when the
// application has none, since an empty file would read back as something else.
void ExtractStoredFile(const std::optional<QByteArray>& stored, const QString& what,
                       const QString& application, const QString& path, const QString& logFile) {
    if (!stored) {
        ThrowClientError(code::kFileNotFound,
                         QStringLiteral("The application \"%1\" has no %2 to extract; load one "
                                        "first.")
                             .arg(application, what));
    }
    LoadLog log(logFile);
    log.Note(QStringLiteral("Extracted the %1 (%2 bytes) to %3.")
                 .arg(what)
                 .arg(stored->size())
                 .arg(path));
    format::WriteWholeFile(path, *stored);
    log.Write();
}

}  // namespace

void LocalRulesLoad::SetSession(std::shared_ptr<ApplicationSession> session, int32_t) {
    session_.Bind(session);
}

SyntaxCheck LocalRulesLoad::LoadRulesFile(const QString& rulesFile, const QString& logFile, int32_t,
                                          bool checkIcp) {
    LocalApplicationSession& session = session_.Require(Role::Rules, QStringLiteral("rules loads"));
    const QByteArray bytes = format::ReadWholeFile(rulesFile);
    LoadLog log(logFile);
    ApplicationFile& file = *session.file();
    // The members are looked up in the transaction that stores the file, as for lists.
    sql::Transaction write(file.db(), sql::Transaction::Kind::Write);
    std::array<std::shared_ptr<const DimensionIndex>, kDimensionCount> indexes;
    const auto isMember = [&](Dimension dimension, const QString& label) {
        auto& index = indexes[static_cast<size_t>(dimension)];
        if (!index) {
            index = DimensionIndex::Load(file.db(), dimension);
        }
        return index->FindLabel(label) >= 0;
    };
    try {
        log.Problems(rulesFile, format::CheckRulesText(bytes, rulesFile, isMember, checkIcp));
    } catch (const TarselError& error) {
        if (error.number() != code::kMalformedFile) {
            throw;
        }
        log.ErrorText(error.description());  // not text: nothing after it is read
    }
    if (log.errors() > 0) {
        log.Write();
        return {true, log.warnings() > 0};
    }
    StoreRulesFile(file.db(), bytes);
    CountChange(file.db());
    log.Write();
    write.Commit();
    file.NoteChanged();
    return {false, log.warnings() > 0};
}

SyntaxCheck LocalRulesLoad::LoadMemberListFile(const QString& memberListFile,
                                               const QString& logFile, int32_t) {
    LocalApplicationSession& session =
        session_.Require(Role::MemberLists, QStringLiteral("member list loads"));
    const QByteArray bytes = format::ReadWholeFile(memberListFile);
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

void LocalRulesLoad::ExtractRulesFile(const QString& rulesFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(Role::Rules, QStringLiteral("rules extracts"));
    ExtractStoredFile(StoredRulesFile(session.file()->db()), QStringLiteral("rules file"),
                      session.file()->name(), rulesFile, logFile);
}

void LocalRulesLoad::ExtractMemberListFile(const QString& memberListFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(Role::MemberLists, QStringLiteral("member list extracts"));
    ExtractStoredFile(session.file()->MemberListFile(), QStringLiteral("member list file"),
                      session.file()->name(), memberListFile, logFile);
}

}  // namespace tarsel::local
