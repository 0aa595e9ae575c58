// Printing a grid as a plain text report: "Courier New" 8 pt, a title line, a "Printed : "
// line, two empty lines, then one line per grid row with every cell cut or padded to its
// column's width in pixels divided by 6.
#pragma once

#include <QString>
#include <functional>
#include <vector>

class QPrinter;

namespace roomvale {

// Any grid of texts: row 0 is the header.
struct PrintableGrid {
  int rows = 0;
  std::vector<int> columnWidths;  // pixels, one per column
  std::function<QString(int row, int column)> cell;
};

// The report line of one row.
QString printLine(const PrintableGrid& grid, int row);

// Prints the grid on `printer` (already set up by the print dialog). Any output failure
// shows "Error printing report ... quitting" and ends the job there; returns false then.
bool printGrid(const PrintableGrid& grid, const QString& title, QPrinter& printer);

// Shows the print dialog and prints when it is confirmed. Returns false when cancelled or
// failed.
bool printGridWithDialog(const PrintableGrid& grid, const QString& title);

}  // namespace roomvale
