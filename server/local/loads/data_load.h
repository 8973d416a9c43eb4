#pragma once
// The local server's DataLoad: loads, scans and extracts of an application's data.

#include "server/local/loads/not_built_load.h"

namespace tarsel::local {

class LocalDataLoad final : public NotBuiltLoad<DataLoad> {
  public:
    LocalDataLoad();
};

}  // namespace tarsel::local
