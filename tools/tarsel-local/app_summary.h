#pragma once
// What an application holds, as the lines tarsel-local prints.

#include <QStringList>

#include "server/local/app_model.h"

namespace tarsel::tools {

// Dimensions with member counts and top members, user lists, languages, security classes
// and whether a member list file is stored. Top members beyond maxTop are counted, not named.
QStringList ApplicationSummary(const QString& cluster, const QString& application,
                               const local::AppModel& model, int maxTop = 8);

}  // namespace tarsel::tools
