#include "server/local/calculation/application_admin.h"

namespace tarsel::local {

LocalApplicationAdmin::LocalApplicationAdmin(std::shared_ptr<LocalApplicationSession> session)
    : session_(std::move(session)) {}

void LocalApplicationAdmin::RemoveInvalidRecords(int32_t, int32_t, const QString&) {
    ThrowNotAvailable(QStringLiteral("Removing invalid records"));
}

}  // namespace tarsel::local
