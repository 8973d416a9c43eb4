#include "server/local/loads/journal_load.h"

#include <QFileInfo>

#include "server/local/app_schema.h"
#include "server/local/data_store.h"
#include "server/local/dimension_index.h"
#include "server/local/format/journal_file.h"
#include "server/local/format/text_lines.h"
#include "server/local/journal_store.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

namespace option {
constexpr int32_t kScenario = 2, kYear = 3, kPeriods = 4, kRegular = 8, kStandard = 9,
                  kRecurring = 10;
}  // namespace option

const QString kLoader = QStringLiteral("journal loader");

constexpr Dimension kLineDimensions[] = {Dimension::Entity,  Dimension::Account, Dimension::ICP,
                                         Dimension::Custom1, Dimension::Custom2, Dimension::Custom3,
                                         Dimension::Custom4};

// The dimensions a journal names, read in the transaction of the load or extract.
class Dimensions {
  public:
    explicit Dimensions(sql::Database& db) {
        for (int d = 0; d < kDimensionCount; ++d) {
            indexes_[static_cast<size_t>(d)] = DimensionIndex::Load(db, static_cast<Dimension>(d));
        }
    }
    const DimensionIndex& operator[](Dimension d) const {
        return *indexes_[static_cast<size_t>(d)];
    }
    QString Label(Dimension d, int32_t id) const {
        const DimensionIndex& index = (*this)[d];
        return index.IsMember(id) ? index.Label(id) : QString();
    }

  private:
    std::array<std::shared_ptr<const DimensionIndex>, kDimensionCount> indexes_;
};

// Turns the labels of the journals read into member ids, logging every label the
// application refuses.
class Resolver {
  public:
    Resolver(const Dimensions& dims, LoadLog& log, QString file)
        : dims_(dims), log_(log), file_(std::move(file)) {}

    // -1 (and an error line) for a label that is no member, or a parent where a base
    // member is needed; empty labels are allowed where optional.
    int32_t Member(Dimension d, const QString& label, int line, bool base, bool optional = false) {
        if (label.isEmpty() && optional) {
            return -1;
        }
        const DimensionIndex& index = dims_[d];
        const int32_t id = index.FindLabel(label);
        if (id < 0) {
            log_.Error(
                file_, line,
                QStringLiteral("\"%1\" is not a member of %2").arg(label, DimensionDisplayName(d)));
        } else if (base && !index.Children(id).empty()) {
            log_.Error(file_, line,
                       QStringLiteral("\"%1\" is a parent member of %2; journals take base "
                                      "members only")
                           .arg(label, DimensionDisplayName(d)));
            return -1;
        }
        return id;
    }

    StoredJournal Journal(const format::Journal& j) {
        StoredJournal stored;
        stored.kind = j.kind;
        stored.label = j.label;
        const bool optional = j.kind != format::JournalKind::Regular;
        stored.scenario = Member(Dimension::Scenario, j.scenario, j.lineNumber, false, optional);
        stored.year = Member(Dimension::Year, j.year, j.lineNumber, false, optional);
        stored.period = Member(Dimension::Period, j.period, j.lineNumber, true, optional);
        stored.status = j.status;
        stored.balance = j.balance;
        stored.description = j.description;
        for (const format::JournalLine& l : j.lines) {
            StoredJournalLine& s = stored.lines.emplace_back();
            s.entity = Member(Dimension::Entity, l.entity, l.lineNumber, true);
            s.account = Member(Dimension::Account, l.account, l.lineNumber, true);
            s.icp = Member(Dimension::ICP, l.icp, l.lineNumber, true);
            for (size_t c = 0; c < 4; ++c) {
                s.customs[c] = Member(kLineDimensions[3 + c], l.customs[c], l.lineNumber, true);
            }
            s.debit = l.debit;
            s.amount = l.amount;
            s.description = l.description;
        }
        return stored;
    }

  private:
    const Dimensions& dims_;
    LoadLog& log_;
    QString file_;
};

format::Journal AsText(const StoredJournal& s, const Dimensions& dims) {
    format::Journal j;
    j.kind = s.kind;
    j.label = s.label;
    j.scenario = dims.Label(Dimension::Scenario, s.scenario);
    j.year = dims.Label(Dimension::Year, s.year);
    j.period = dims.Label(Dimension::Period, s.period);
    j.status = s.status;
    j.balance = s.balance;
    j.description = s.description;
    for (const StoredJournalLine& l : s.lines) {
        format::JournalLine& t = j.lines.emplace_back();
        t.entity = dims.Label(Dimension::Entity, l.entity);
        t.account = dims.Label(Dimension::Account, l.account);
        t.icp = dims.Label(Dimension::ICP, l.icp);
        for (size_t c = 0; c < 4; ++c) {
            t.customs[c] = dims.Label(kLineDimensions[3 + c], l.customs[c]);
        }
        t.debit = l.debit;
        t.amount = l.amount;
        t.description = l.description;
    }
    return j;
}

// Where posted journals go: the <Entity Curr Adjs> cells of the first View member.
struct PostingTarget {
    int32_t view = -1, value = -1;
};

PostingTarget FindPostingTarget(const Dimensions& dims) {
    PostingTarget target;
    const auto& views = dims[Dimension::View].AllIds();
    target.view = views.empty() ? -1 : views.front();
    target.value = dims[Dimension::Value].FindLabel(QStringLiteral("<Entity Curr Adjs>"));
    return target;
}

// A debit raises an account of any type but Income and Liability, whose balances are
// credits; a credit lowers it.
double SignedAmount(const StoredJournalLine& line, const DimensionIndex& accounts) {
    const int type = accounts.IsMember(line.account) ? accounts.Attributes(line.account).accountType
                                                     : account_type::Balance;
    const bool creditNatured = type == account_type::Income || type == account_type::Liability;
    return line.debit != creditNatured ? line.amount : -line.amount;
}

// Adds a posted journal's lines to their cells (direction 1) or takes them back (-1), and
// marks the entities for consolidation.
void Post(DataStore& cells, const Dimensions& dims, const PostingTarget& target,
          const StoredJournal& journal, double direction) {
    for (const StoredJournalLine& line : journal.lines) {
        CellMembers cell{};
        cell[static_cast<size_t>(Dimension::Scenario)] = journal.scenario;
        cell[static_cast<size_t>(Dimension::Year)] = journal.year;
        cell[static_cast<size_t>(Dimension::Period)] = journal.period;
        cell[static_cast<size_t>(Dimension::View)] = target.view;
        cell[static_cast<size_t>(Dimension::Entity)] = line.entity;
        cell[static_cast<size_t>(Dimension::Value)] = target.value;
        cell[static_cast<size_t>(Dimension::Account)] = line.account;
        cell[static_cast<size_t>(Dimension::ICP)] = line.icp;
        for (size_t c = 0; c < 4; ++c) {
            cell[static_cast<size_t>(Dimension::Custom1) + c] = line.customs[c];
        }
        cells.AddToCell(cell, direction * SignedAmount(line, dims[Dimension::Account]));
        if (dims[Dimension::Entity].IsMember(line.entity)) {
            cells.MarkImpactedWithAncestors(dims[Dimension::Entity], journal.scenario, journal.year,
                                            journal.period, line.entity);
        }
    }
}

void RequireMember(const DimensionIndex& index, int32_t id, int32_t optionIndex) {
    if (!index.IsMember(id)) {
        ThrowClientError(code::kUnknownMemberId,
                         QStringLiteral("Option %1 of the journal extract: %2 is not a member "
                                        "id of %3.")
                             .arg(optionIndex)
                             .arg(id)
                             .arg(DimensionDisplayName(index.dimension())));
    }
}

}  // namespace

LocalJournalLoad::LocalJournalLoad()
    : loadOptions_(std::make_shared<OptionSet>(std::initializer_list<DeclaredOption>{}, kLoader)),
      extractOptions_(std::make_shared<OptionSet>(
          std::initializer_list<DeclaredOption>{
              {option::kScenario, int32_t{-1}, {}},
              {option::kYear, int32_t{-1}, {}},
              {option::kPeriods, IdArray{}, {}},
              {option::kRegular, false, {}},
              {option::kStandard, false, {}},
              {option::kRecurring, false, {}},
          },
          kLoader)) {}

void LocalJournalLoad::SetSession(std::shared_ptr<ApplicationSession> session) {
    session_.Bind(session);
}

std::shared_ptr<LoadOptions> LocalJournalLoad::GetLoadOptions() {
    session_.Require(format::Role::Journals, QStringLiteral("journal loads"));
    return loadOptions_;
}

std::shared_ptr<LoadOptions> LocalJournalLoad::GetExtractOptions() {
    session_.Require(format::Role::Journals, QStringLiteral("journal extracts"));
    return extractOptions_;
}

void LocalJournalLoad::Load(const QString& journalFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(format::Role::Journals, QStringLiteral("journal loads"));
    const QByteArray bytes = format::ReadWholeFile(journalFile);
    const QString fileName = QFileInfo(journalFile).fileName();
    const format::JournalFile read = format::ReadJournalFile(bytes, fileName);
    LoadLog log(logFile);
    for (const format::JournalProblem& problem : read.problems) {
        log.Error(fileName, problem.line, problem.reason);
    }
    ApplicationFile& file = *session.file();
    // Labels are looked up in the transaction that stores, so that no metadata load falls
    // between the check and the store.
    sql::Transaction write(file.db(), sql::Transaction::Kind::Write);
    const Dimensions dims(file.db());
    Resolver resolver(dims, log, fileName);
    std::vector<StoredJournal> journals;
    for (const format::Journal& j : read.journals) {
        journals.push_back(resolver.Journal(j));
    }
    const PostingTarget target = FindPostingTarget(dims);
    for (size_t k = 0; k < journals.size(); ++k) {
        if (journals[k].Posted() && (target.view < 0 || target.value < 0)) {
            log.Error(
                fileName, read.journals[k].lineNumber,
                QStringLiteral("journal \"%1\" is Posted, but the application has no %2 "
                               "to post to")
                    .arg(journals[k].label,
                         target.view < 0 ? QStringLiteral("View member")
                                         : QStringLiteral("Value member <Entity Curr Adjs>")));
        }
    }
    if (log.errors() > 0) {
        log.Write();
        return;
    }
    DataStore cells(file.db());
    int regular = 0, templates = 0;
    for (const StoredJournal& j : journals) {
        // A posted journal loaded again replaces its amounts instead of adding them twice.
        if (const auto stored = TakeJournal(file.db(), j); stored && stored->Posted()) {
            Post(cells, dims, target, *stored, -1);
        }
        PutJournal(file.db(), j);
        if (j.Posted()) {
            Post(cells, dims, target, j, 1);
        }
        (j.kind == format::JournalKind::Regular ? regular : templates) += 1;
    }
    CountChange(file.db());
    log.Note(QStringLiteral("Loaded %1 journal(s) and %2 template(s) from %3.")
                 .arg(regular)
                 .arg(templates)
                 .arg(fileName));
    log.Write();
    write.Commit();
    file.NoteChanged();
}

void LocalJournalLoad::Extract(const QString& journalFile, const QString& logFile) {
    LocalApplicationSession& session =
        session_.Require(format::Role::Journals, QStringLiteral("journal extracts"));
    ApplicationFile& file = *session.file();
    JournalSelection selection;
    selection.regular = extractOptions_->Bool(option::kRegular);
    selection.standard = extractOptions_->Bool(option::kStandard);
    selection.recurring = extractOptions_->Bool(option::kRecurring);
    selection.scenario = extractOptions_->Int(option::kScenario);
    selection.year = extractOptions_->Int(option::kYear);
    selection.periods = std::get<IdArray>(extractOptions_->Item(option::kPeriods)->CurrentValue());
    std::vector<format::Journal> journals;
    {
        sql::Transaction read(file.db(), sql::Transaction::Kind::Read);
        const Dimensions dims(file.db());
        if (selection.regular) {
            RequireMember(dims[Dimension::Scenario], selection.scenario, option::kScenario);
            RequireMember(dims[Dimension::Year], selection.year, option::kYear);
            for (const int32_t period : selection.periods) {
                RequireMember(dims[Dimension::Period], period, option::kPeriods);
            }
        }
        for (const StoredJournal& stored : ReadJournals(file.db(), selection)) {
            journals.push_back(AsText(stored, dims));
        }
        read.Commit();
    }
    LoadLog log(logFile);
    log.Note(QStringLiteral("Extracted %1 journal(s) and template(s) of %2 to %3.")
                 .arg(journals.size())
                 .arg(file.name(), journalFile));
    format::WriteWholeFile(journalFile, format::WriteJournalFile(journals));
    log.Write();
}

}  // namespace tarsel::local
