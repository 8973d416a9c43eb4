#pragma once
// The local server's SecurityLoad: loads and extracts of an application's groups of users,
// security classes, role access and security class access.

#include <memory>

#include "server/local/loads/loader_support.h"

namespace tarsel::local {

class LocalSecurityLoad final : public SecurityLoad {
  public:
    LocalSecurityLoad();

    void SetSession(std::shared_ptr<ApplicationSession> session) override;
    std::shared_ptr<LoadOptions> GetLoadOptions() override;
    std::shared_ptr<LoadOptions> GetExtractOptions() override;
    bool Load(const QString& securityFile, const QString& logFile) override;
    void Extract(const QString& securityFile, const QString& logFile) override;

  private:
    BoundSession session_;
    std::shared_ptr<OptionSet> loadOptions_;
    std::shared_ptr<OptionSet> extractOptions_;
};

}  // namespace tarsel::local
