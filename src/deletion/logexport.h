// Exports of the deletion log: comma-delimited text, an HTML table, and the printout.
#pragma once

#include "foundation/product.h"

#include <QColor>
#include <QString>
#include <string>

#include "foundation/prompts.h"

class QPrinter;

namespace roomvale {

class DeletionLog;

// One line per row, title row included, ended by CR LF; cells separated by ",". An empty
// cell is written as two quotation marks; a cell holding a comma, a quotation mark or a line
// break is quoted with its quotation marks doubled.
std::string deletionLogCsv(const DeletionLog& log);

// The result grids' HTML table form (cells written as htmlCellText of scan/exports.h: "&",
// "<" and ">" escaped, line breaks and empty cells as "<br>"), with columns 1 to 6
// right-aligned. The header colour is normally webPageHeaderColour().
std::string deletionLogHtml(const DeletionLog& log, const QColor& headerColour);

// Title at the top of the printed log.
QString deletionLogPrintTitle();

// Save dialogs of the two exports.
FileDialogSpec csvSaveDialogSpec();
FileDialogSpec htmlSaveDialogSpec();

// Ask for a file name, write the export (replacing the file) and confirm with its path; an
// error box, and no confirmation, when the file cannot be written. False when cancelled or
// failed.
bool saveDeletionLogAsCsv(const DeletionLog& log);
bool saveDeletionLogAsHtml(const DeletionLog& log);

// Prints the whole log on `printer`: the title at the top centre, then the grid centred on
// the page, the title row bold, no borders. False when the printer could not be used.
bool printDeletionLog(QPrinter& printer, const DeletionLog& log);
// The print dialog, then the printout; an error box when printing fails.
void printDeletionLogWithDialog(const DeletionLog& log);

}  // namespace roomvale
