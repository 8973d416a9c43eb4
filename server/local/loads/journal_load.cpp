#include "server/local/loads/journal_load.h"

namespace tarsel::local {

LocalJournalLoad::LocalJournalLoad() : NotBuiltLoad(QStringLiteral("Journal loads")) {}

}  // namespace tarsel::local
