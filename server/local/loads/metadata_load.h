#pragma once
// The local server's MetadataLoad: loads, scans and extracts of an application's metadata.

#include "server/local/loads/not_built_load.h"

namespace tarsel::local {

class LocalMetadataLoad final : public NotBuiltLoad<MetadataLoad> {
  public:
    LocalMetadataLoad();
};

}  // namespace tarsel::local
