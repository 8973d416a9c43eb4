#pragma once
// The local server's housekeeping of an application's data: removing the records whose
// members no longer exist.

#include <memory>

#include "server/local/local_session.h"
#include "server/tarsel.h"

namespace tarsel::local {

class LocalApplicationAdmin final : public ApplicationAdmin {
  public:
    explicit LocalApplicationAdmin(std::shared_ptr<LocalApplicationSession> session);

    // In one write transaction; the log is written before the commit, so a log that cannot
    // be written removes nothing.
    void RemoveInvalidRecords(int32_t zero, int32_t one, const QString& logFile) override;

  private:
    std::shared_ptr<LocalApplicationSession> session_;
};

}  // namespace tarsel::local
