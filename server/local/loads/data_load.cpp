#include "server/local/loads/data_load.h"

namespace tarsel::local {

LocalDataLoad::LocalDataLoad() : NotBuiltLoad(QStringLiteral("Data loads")) {}

}  // namespace tarsel::local
