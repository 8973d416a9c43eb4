#pragma once
// The one test double of the client-library interface: a decorator over a real library
// (normally the local server of LocalServer) that passes every call through, except where
// the test's FaultPlan makes a call fail or answer with a value the real server cannot
// hold (an old client version, account type 13, a blank security class name). Everything
// else a test needs comes from a small application on the local server.
//
//   LocalServer server(app.Build());
//   auto plan = std::make_shared<FaultPlan>();
//   auto session = WithFaults(server.Session(), plan);  // or WithFaults(server.library(), plan)
//   plan->FailAt("DimensionTree::GetMemberLabel", 5, In(Dimension::Entity));
//   plan->Return("AccountAttributes::GetAccountType", int32_t{13}, OnKey(cashId));
//   plan->Before("DimensionTree::GetMemberLabel", [&](int call) { /* click, close... */ });
//   ... run the code under test on session ...
//   EXPECT_EQ(plan->Calls("SessionMetadata::GetDimensionByIndex"), 3);
//
// Operations are named "Interface::Operation" as in server/tarsel.h (ClientLibrary,
// ErrorHandlerComponent, ClientConnection, LogonPrompt, ApplicationSession, SystemInfo,
// SessionMetadata, Security, DimensionTree and its three attribute interfaces). The key of
// a call is its member id, security class id or dimension number. Loaders, administration
// and calculation objects pass through undecorated.

#include <QString>
#include <any>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "server/client_library.h"

namespace tarsel::test {

class FaultPlan {
  public:
    // Which calls of an operation a rule applies to; unset fields match every call.
    struct Where {
        std::optional<Dimension> dimension;
        std::optional<int64_t> key;
    };

    // The call-th matching call (counted from 1; 0: every matching call) fails with a
    // client error.
    void FailAt(const QString& operation, int call, Where where = {},
                const QString& description = QStringLiteral("The store went away."),
                int32_t number = code::kStoreFailure);
    // Matching calls answer value instead of asking the server. T must be the operation's
    // result type exactly (int32_t, bool, QString, tarsel::Languages ...).
    template <typename T>
    void Return(const QString& operation, T value, Where where = {}) {
        rules_.push_back(
            Rule{operation, where, 0, false, {}, QString(), 0, std::any(std::move(value)), {}});
    }
    // Runs before every matching call with its number (from 1); it may act on the program
    // while the call is under way, or throw to fail it.
    void Before(const QString& operation, std::function<void(int call)> hook, Where where = {});

    // Calls made so far of the operation, in one dimension or in all.
    int Calls(const QString& operation, std::optional<Dimension> dimension = {}) const;

    // Used by the decorators: counts the call, applies the rules, then asks the server.
    template <typename R, typename Real>
    R Call(const char* operation, std::optional<Dimension> dimension, std::optional<int64_t> key,
           Real&& real) {
        const std::any* answer = Apply(QString::fromLatin1(operation), dimension, key);
        if constexpr (!std::is_void_v<R>) {
            if (answer != nullptr) {
                if (const R* value = std::any_cast<R>(answer)) {
                    return *value;
                }
            }
        }
        return real();
    }

  private:
    struct Rule {
        QString operation;
        Where where;
        int call = 0;
        bool fail = false;
        std::function<void(int)> hook;
        QString description;
        int32_t number = 0;
        std::any value;
        int seen = 0;
    };
    const std::any* Apply(const QString& operation, std::optional<Dimension> dimension,
                          std::optional<int64_t> key);

    std::vector<Rule> rules_;
    std::map<std::pair<QString, int>, int> calls_;  // (operation, dimension or -1) -> count
};

// Where a rule applies: to one key, or in one dimension (to one key there).
inline FaultPlan::Where OnKey(int64_t key) {
    return {std::nullopt, key};
}
inline FaultPlan::Where In(Dimension dimension) {
    return {dimension, std::nullopt};
}
inline FaultPlan::Where In(Dimension dimension, int64_t key) {
    return {dimension, key};
}

std::shared_ptr<ClientLibrary> WithFaults(std::shared_ptr<ClientLibrary> real,
                                          std::shared_ptr<FaultPlan> plan);
std::shared_ptr<ApplicationSession> WithFaults(std::shared_ptr<ApplicationSession> real,
                                               std::shared_ptr<FaultPlan> plan);
std::shared_ptr<ClientConnection> WithFaults(std::shared_ptr<ClientConnection> real,
                                             std::shared_ptr<FaultPlan> plan);

}  // namespace tarsel::test
