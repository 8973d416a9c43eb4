#pragma once
// The rules text of an application (docs/formats.md, "Rules files"): routines
// `Sub Name()` ... `End Sub` holding assignments between member references such as
// `A#Margin.C1#[None] = A#Sales - A#Costs`. The checker reads it; the local server does
// not run rules.

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

#include "server/local/format/file_problem.h"
#include "server/tarsel.h"

namespace tarsel::local::format {

// Whether label names a member of the dimension.
using MemberLookup = std::function<bool(Dimension, const QString&)>;

// Every problem of the file, in line order: errors for unbalanced routines, statements
// the checker does not know and members isMember does not know (intercompany references
// only when checkIcp); warnings for an empty routine and a routine the server never
// calls. A file that is not text (invalid UTF-8, a NUL byte) fails with kMalformedFile
// naming the line instead.
std::vector<FileProblem> CheckRulesText(const QByteArray& bytes, const QString& fileName,
                                        const MemberLookup& isMember, bool checkIcp);

}  // namespace tarsel::local::format
