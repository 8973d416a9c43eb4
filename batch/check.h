#pragma once
// Checking a command file before the night: what a run would refuse, found without
// logging on, loading or writing anything.

#include <QString>
#include <QTextStream>

#include "batch/timestamps.h"

namespace tarsel::batch {

// Reads the command file as a run would and writes one line per finding to out,
// "file:line: message": unreadable lines, unknown keywords (with the nearest known one),
// too few parameters, option words and quit-on-failure fields the command would refuse,
// period ranges outside the period table, input files that do not exist or cannot be
// read, output and log folders that do not exist, folders that already exist, programs
// that cannot be started, server commands before the first LOGON, and a LOGON whose
// password comes from the file. Files and folders that earlier lines make count as
// there. Paths have their timestamp tokens replaced with stamps. Gives the number of
// findings.
int CheckCommandFile(const QString& path, const RunTimestamps& stamps, QTextStream& out);

// The known keyword nearest to word by edit distance (the first of equals).
QString NearestKeyword(const QString& word);

}  // namespace tarsel::batch
