#pragma once
// The local server's JournalLoad: loads and extracts of journals and journal templates.

#include "server/local/loads/not_built_load.h"

namespace tarsel::local {

class LocalJournalLoad final : public NotBuiltLoad<JournalLoad> {
  public:
    LocalJournalLoad();
};

}  // namespace tarsel::local
