#pragma once
// The local server's MetadataLoad: loads, scans and extracts of an application's metadata.

#include <memory>

#include "server/local/loads/loader_support.h"

namespace tarsel::local {

class LocalMetadataLoad final : public MetadataLoad {
  public:
    LocalMetadataLoad();

    void SetSession(std::shared_ptr<ApplicationSession> session) override;
    std::shared_ptr<LoadOptions> GetLoadOptions() override;
    std::shared_ptr<LoadOptions> GetExtractOptions() override;
    void Load(const QString& metadataFile, const QString& logFile) override;
    void Extract(const QString& metadataFile, const QString& logFile) override;

  private:
    BoundSession session_;
    std::shared_ptr<OptionSet> loadOptions_;
    std::shared_ptr<OptionSet> extractOptions_;
};

}  // namespace tarsel::local
