#include "server/local/loads/metadata_load.h"

namespace tarsel::local {

LocalMetadataLoad::LocalMetadataLoad() : NotBuiltLoad(QStringLiteral("Metadata loads")) {}

}  // namespace tarsel::local
