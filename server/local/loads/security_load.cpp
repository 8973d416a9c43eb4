#include "server/local/loads/security_load.h"

namespace tarsel::local {

LocalSecurityLoad::LocalSecurityLoad() : NotBuiltLoad(QStringLiteral("Security loads")) {}

}  // namespace tarsel::local
