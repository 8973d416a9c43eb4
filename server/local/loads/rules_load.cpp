#include "server/local/loads/rules_load.h"

namespace tarsel::local {

namespace {
[[noreturn]] void Fail() {
    ThrowNotAvailable(QStringLiteral("Rules and member list loads"));
}
}  // namespace

void LocalRulesLoad::SetSession(std::shared_ptr<ApplicationSession>, int32_t) {
    Fail();
}

SyntaxCheck LocalRulesLoad::LoadRulesFile(const QString&, const QString&, int32_t, bool) {
    Fail();
}

SyntaxCheck LocalRulesLoad::LoadMemberListFile(const QString&, const QString&, int32_t) {
    Fail();
}

void LocalRulesLoad::ExtractRulesFile(const QString&, const QString&) {
    Fail();
}

void LocalRulesLoad::ExtractMemberListFile(const QString&, const QString&) {
    Fail();
}

}  // namespace tarsel::local
