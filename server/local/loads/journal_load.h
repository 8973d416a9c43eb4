#pragma once
// The local server's JournalLoad: loads and extracts of journals and journal templates.

#include <memory>

#include "server/local/loads/loader_support.h"

namespace tarsel::local {

class LocalJournalLoad final : public JournalLoad {
  public:
    LocalJournalLoad();

    void SetSession(std::shared_ptr<ApplicationSession> session) override;
    std::shared_ptr<LoadOptions> GetLoadOptions() override;
    std::shared_ptr<LoadOptions> GetExtractOptions() override;
    // Every problem of the file is an error line of the load log; a file with any stores
    // nothing and still returns normally. A journal whose kind, point of view and label
    // are stored already replaces the stored one.
    void Load(const QString& journalFile, const QString& logFile) override;
    void Extract(const QString& journalFile, const QString& logFile) override;

  private:
    BoundSession session_;
    std::shared_ptr<OptionSet> loadOptions_;
    std::shared_ptr<OptionSet> extractOptions_;
};

}  // namespace tarsel::local
