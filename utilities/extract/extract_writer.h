#pragma once
// The metadata extract: the hierarchy of a dimension as delimited parent/child lines,
// one per member occurrence in depth-first pre-order, each field between double quotes
// and nothing escaped. The routines belong to the shared module and fill its
// extractText and extractTextWithHeader.

#include <QString>

#include "server/tarsel.h"
#include "utilities/shell/modGlobal.h"

namespace modGlobal {

struct ExtractFormat {
    QString delimiter = QStringLiteral(",");
    // The fifth field of a parent's line and of a base member's line; a blank indicator
    // leaves the field out.
    QString parentIndicator;
    QString baseIndicator;
    int languageIndex = 0;  // of the descriptions
};

// The header row for the two indicators (INDICATOR unless both are blank), no line end.
QString ExtractHeaderRow(const ExtractFormat& format);

// Rebuilds extractText (the lines) and extractTextWithHeader (header row, CR LF, lines)
// from the whole dimension. On a server failure both are left empty and the error goes
// to the caller.
void WriteExtract(tarsel::DimensionTree& dimension, const ExtractFormat& format);

// Appends to text the lines of the children of parentId and of their whole subtrees.
// Any number of children and any depth.
void WriteChildLines(tarsel::DimensionTree& dimension, const ExtractFormat& format,
                     tarsel::MemberId parentId, const QString& parentLabel,
                     const QString& parentDescription, QString& text);

}  // namespace modGlobal
