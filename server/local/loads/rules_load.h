#pragma once
// The local server's RulesLoad: the rules file and the member list file of an application,
// each checked, stored and extracted.

#include <memory>

#include "server/local/loads/loader_support.h"

namespace tarsel::local {

class LocalRulesLoad final : public RulesLoad {
  public:
    void SetSession(std::shared_ptr<ApplicationSession> session, int32_t mode) override;
    SyntaxCheck LoadRulesFile(const QString& rulesFile, const QString& logFile, int32_t zero,
                              bool checkIcp) override;
    SyntaxCheck LoadMemberListFile(const QString& memberListFile, const QString& logFile,
                                   int32_t zero) override;
    void ExtractRulesFile(const QString& rulesFile, const QString& logFile) override;
    void ExtractMemberListFile(const QString& memberListFile, const QString& logFile) override;

  private:
    BoundSession session_;
};

}  // namespace tarsel::local
