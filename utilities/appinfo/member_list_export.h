#pragma once
// The member list on show, sent to a spreadsheet: column 1 of one new worksheet, every
// value written as text.

#include <QString>
#include <QStringList>
#include <functional>

#include "server/spreadsheet.h"

namespace appinfo {

// Row 1 the summary with its note, then "Top Member Set To:  <TOP>" when a top member is
// chosen, then an empty row, then one row per member row as shown.
void WriteMemberListExport(const QString& summary, const QString& topMember,
                           const QStringList& rows, tarsel::SpreadsheetWorksheet& sheet);

// The whole export: application, workbook, worksheet, the cells, then the completion
// message (through show) and the spreadsheet made visible.
void ExportMemberList(tarsel::SpreadsheetProgram& program, const QString& summary,
                      const QString& topMember, const QStringList& rows,
                      const std::function<void(const tarsel::SpreadsheetMessage&)>& show);

}  // namespace appinfo
