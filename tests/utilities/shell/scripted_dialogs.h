#pragma once
// The local server's logon and application dialogs answered from queues: no answer left
// is a cancelled dialog. Every question is recorded.

#include <deque>
#include <optional>
#include <vector>

#include "server/local/prompt/logon_prompt.h"

namespace shelltest {

class ScriptedDialogs : public tarsel::local::LogonDialogs {
  public:
    struct LogonCall {
        tarsel::local::LogonEntry entry;
        QStringList clusters;
        QString refusal;
    };
    struct ApplicationCall {
        QStringList applications;
        QString preselected;
        QString refusal;
    };
    std::optional<tarsel::local::LogonEntry> AskLogon(const tarsel::local::LogonEntry& entry,
                                                      const QStringList& clusters,
                                                      const QString& refusal) override {
        logonCalls.push_back({entry, clusters, refusal});
        return Next(logonAnswers);
    }
    std::optional<QString> AskApplication(const QString&, const QString&,
                                          const QStringList& applications,
                                          const QString& preselected,
                                          const QString& refusal) override {
        applicationCalls.push_back({applications, preselected, refusal});
        return Next(applicationAnswers);
    }

    std::deque<std::optional<tarsel::local::LogonEntry>> logonAnswers;
    std::deque<std::optional<QString>> applicationAnswers;
    std::vector<LogonCall> logonCalls;
    std::vector<ApplicationCall> applicationCalls;

  private:
    template <typename T>
    static std::optional<T> Next(std::deque<std::optional<T>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace shelltest
