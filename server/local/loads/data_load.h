#pragma once
// The local server's DataLoad: loads, scans and extracts of an application's data.

#include <memory>

#include "server/local/loads/loader_support.h"

namespace tarsel::local {

class LocalDataLoad final : public DataLoad {
  public:
    LocalDataLoad();

    void SetSession(std::shared_ptr<ApplicationSession> session) override;
    std::shared_ptr<LoadOptions> GetLoadOptions() override;
    std::shared_ptr<LoadOptions> GetExtractOptions() override;
    void Load(const QString& dataFile, const QString& logFile) override;
    void Extract(const QString& dataFile, const QString& logFile) override;

  private:
    BoundSession session_;
    std::shared_ptr<OptionSet> loadOptions_;
    std::shared_ptr<OptionSet> extractOptions_;
};

}  // namespace tarsel::local
