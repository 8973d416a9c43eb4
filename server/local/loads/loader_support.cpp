#include "server/local/loads/loader_support.h"

#include "server/local/format/text_lines.h"
#include "server/tarsel_error.h"

namespace tarsel::local {

namespace {

const char* KindName(const OptionValue& value) {
    switch (value.index()) {
        case 0:
            return "a truth value";
        case 1:
            return "a whole number";
        case 2:
            return "a text";
        default:
            return "an array of ids";
    }
}

class Option final : public LoadOption {
  public:
    Option(DeclaredOption option, QString loader)
        : declared_(std::move(option)), value_(declared_.initial), loader_(std::move(loader)) {}

    void SetCurrentValue(const OptionValue& value) override {
        if (value.index() != declared_.initial.index()) {
            ThrowClientError(code::kWrongOptionValue,
                             QStringLiteral("Option %1 of the %2 takes %3, not %4.")
                                 .arg(declared_.index)
                                 .arg(loader_, QLatin1String(KindName(declared_.initial)),
                                      QLatin1String(KindName(value))));
        }
        if (const auto* number = std::get_if<int32_t>(&value);
            number && !declared_.allowed.empty() &&
            std::find(declared_.allowed.begin(), declared_.allowed.end(), *number) ==
                declared_.allowed.end()) {
            QStringList allowed;
            for (const int32_t a : declared_.allowed) {
                allowed << QString::number(a);
            }
            ThrowClientError(code::kWrongOptionValue,
                             QStringLiteral("Option %1 of the %2 takes %3, not %4.")
                                 .arg(declared_.index)
                                 .arg(loader_, allowed.join(QStringLiteral(" or ")))
                                 .arg(*number));
        }
        value_ = value;
    }
    OptionValue CurrentValue() override { return value_; }

  private:
    DeclaredOption declared_;
    OptionValue value_;
    QString loader_;
};

}  // namespace

void BoundSession::Bind(const std::shared_ptr<ApplicationSession>& session) {
    auto local = AsLocalSession(session);
    if (!local) {
        ThrowClientError(code::kNoSession,
                         QStringLiteral("The loader was given no session of the local Tarsel "
                                        "server."));
    }
    session_ = std::move(local);
}

LocalApplicationSession& BoundSession::Bound() const {
    if (!session_) {
        ThrowClientError(code::kNoSession,
                         QStringLiteral("The loader has no session: call SetSession first."));
    }
    return *session_;
}

LocalApplicationSession& BoundSession::Require(format::Role role, const QString& operation) const {
    Bound().RequireRole(role, operation);
    return *session_;
}

OptionSet::OptionSet(std::initializer_list<DeclaredOption> declared, QString loader)
    : loader_(std::move(loader)) {
    for (const DeclaredOption& option : declared) {
        options_.emplace(option.index, std::make_shared<Option>(option, loader_));
    }
}

std::shared_ptr<LoadOption> OptionSet::Item(int32_t index) {
    const auto it = options_.find(index);
    if (it == options_.end()) {
        ThrowClientError(code::kUnknownOption,
                         QStringLiteral("The %1 has no option %2.").arg(loader_).arg(index));
    }
    return it->second;
}

bool OptionSet::Bool(int32_t index) const {
    return std::get<bool>(options_.at(index)->CurrentValue());
}

int32_t OptionSet::Int(int32_t index) const {
    return std::get<int32_t>(options_.at(index)->CurrentValue());
}

IdArray OptionSet::Ids(int32_t index) const {
    return std::get<IdArray>(options_.at(index)->CurrentValue());
}

void LoadLog::Error(const QString& file, int line, const QString& reason) {
    ErrorText(line > 0 ? QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(reason)
                       : QStringLiteral("%1: %2").arg(file, reason));
}

void LoadLog::Warning(const QString& file, int line, const QString& reason) {
    ++warnings_;
    lines_ << (line > 0 ? QStringLiteral("Warning: %1, line %2: %3").arg(file).arg(line).arg(reason)
                        : QStringLiteral("Warning: %1: %2").arg(file, reason));
}

void LoadLog::ErrorText(const QString& text) {
    ++errors_;
    lines_ << QStringLiteral("Error: ") + text;
}

void LoadLog::Problems(const QString& file, const std::vector<format::FileProblem>& problems) {
    for (const format::FileProblem& problem : problems) {
        if (problem.error) {
            Error(file, problem.line, problem.reason);
        } else {
            Warning(file, problem.line, problem.reason);
        }
    }
}

void LoadLog::Note(const QString& text) {
    lines_ << text;
}

void LoadLog::Write() {
    QStringList lines = lines_;
    if (errors_ > 0) {
        lines << QStringLiteral("%1 error(s), %2 warning(s): nothing was stored.")
                     .arg(errors_)
                     .arg(warnings_);
    } else {
        lines << (warnings_ == 0
                      ? QStringLiteral("0 problems.")
                      : QStringLiteral("%1 warning(s), no other problems.").arg(warnings_));
    }
    format::WriteWholeFile(path_,
                           (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}

void LoadLog::RefuseFile(const QString& kind, const QString& file) {
    Write();
    ThrowClientError(code::kMalformedFile,
                     QStringLiteral("The %1 file %2 has %3 error(s), listed in the load log %4; "
                                    "nothing was stored.")
                         .arg(kind, file)
                         .arg(errors_)
                         .arg(path_));
}

}  // namespace tarsel::local
