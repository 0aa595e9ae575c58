// The grid's exports: clipboard text in two forms and the web page (an HTML table).
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <functional>
#include <string>

#include "foundation/prompts.h"

namespace roomvale {

class GridData;

// Any grid of texts: row 0 is the header.
struct GridTexts {
  int rows = 0;
  int columns = 0;
  std::function<QString(int row, int column)> cell;
};

// The texts of a result grid: header, then every row of its row count.
GridTexts gridTexts(const GridData& grid);

enum class ClipboardForm { FileNames = 1, EntireGrid = 2 };

// "Filenames only": the full path of every filled row. "Entire grid separated by tabs":
// every row, header included, cells joined by tabs. Each line ends with CR LF.
QString clipboardText(const GridData& grid, ClipboardForm form);
QString entireGridText(const GridTexts& grid);
// Puts the text on the system clipboard.
void copyToClipboard(const QString& text);

// One cell as the page writes it: "&", "<" and ">" escaped so that a file name cannot
// inject markup, other non-ASCII characters as numeric references (the page then reads the
// same in any character set), line breaks as "<br>", an empty cell as "<br>".
QString htmlCellText(const QString& text);
// The whole page: the table, one item per line, lines ended by CR LF.
QByteArray webPageHtml(const GridTexts& grid, const QColor& headerColour);
// The header colour: the active window frame colour of the desktop palette.
QColor webPageHeaderColour();

// The shared save dialog of the web-page exports; it remembers the folder last saved to
// for the rest of the run.
FileDialogSpec webPageSaveSpec();
void rememberWebPageFolder(const std::string& savedFile);

// Asks for a file name and writes the page there (replacing the file). Returns true when a
// page was written; a failed write is reported to the user.
bool saveWebPage(const GridTexts& grid);

}  // namespace roomvale
