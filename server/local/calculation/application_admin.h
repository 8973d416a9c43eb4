#pragma once
// The local server's housekeeping of an application's data: removing the records whose
// members no longer exist.

#include <memory>

#include "server/local/local_session.h"
#include "server/tarsel.h"

namespace tarsel::local {

// Not built yet: every call fails with kNotImplemented.
class LocalApplicationAdmin final : public ApplicationAdmin {
  public:
    explicit LocalApplicationAdmin(std::shared_ptr<LocalApplicationSession> session);

    void RemoveInvalidRecords(int32_t zero, int32_t one, const QString& logFile) override;

  private:
    std::shared_ptr<LocalApplicationSession> session_;
};

}  // namespace tarsel::local
