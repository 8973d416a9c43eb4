#pragma once
// The local server's SecurityLoad: loads and extracts of users, groups, security classes and
// access.

#include "server/local/loads/not_built_load.h"

namespace tarsel::local {

class LocalSecurityLoad final : public NotBuiltLoad<SecurityLoad> {
  public:
    LocalSecurityLoad();
};

}  // namespace tarsel::local
