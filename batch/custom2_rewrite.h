#pragma once
// DEFAULT_CUSTOM2's rewrite with the batch's names and errors.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <functional>

#include "batch/custom2_bytes.h"

namespace tarsel::batch {

// RewriteCustom2Bytes on the files named input and output; a failure raises a
// TarselError (source given) naming the file and the reason.
Custom2Counts RewriteCustom2(const QString& input, const QString& output, const QByteArray& value,
                             const QString& source, const std::function<bool()>& stop = {},
                             size_t chunkBytes = size_t{1} << 19);

}  // namespace tarsel::batch
