// The deletion log: one row per clean-up (date, and the counts and bytes deleted, recycled
// and zipped), kept in "grdelete.txt" in the per-user data folder. DeletionLog is the grid
// and its file format; the free functions below manage the one log of the running program.
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace roomvale {

// Column count of the log and its titles and starting widths in pixels.
inline constexpr int kLogColumns = 7;
extern const std::array<const char*, kLogColumns> kLogTitles;
extern const std::array<int, kLogColumns> kLogWidths;

// Amounts of one entry, in column order 1 to 6: deleted files and bytes, recycled files
// and bytes, zipped files and bytes.
using LogAmounts = std::array<std::int64_t, 6>;

class DeletionLog {
 public:
  // The fresh log: the title row and two empty rows.
  DeletionLog();

  int columnCount() const { return static_cast<int>(widths_.size()); }
  int rowCount() const { return static_cast<int>(cells_.size()); }
  // Empty outside the grid.
  QString cell(int col, int row) const;
  // Ignored outside the grid.
  void setCell(int col, int row, const QString& text);
  int columnWidth(int col) const;
  void setColumnWidth(int col, int width);

  // Back to the fresh log.
  void makeFresh();
  // Records one clean-up stamped `when`: the first row below the titles whose date cell is
  // empty, else a new row inserted under the titles. Returns the row used.
  int addEntry(const QDateTime& when, const LogAmounts& amounts);
  // Empties every row below the titles and keeps one empty row.
  void clearEntries();

  // The file form: "7,<rows>", a "cw <col>,<width>" line per column, then "<col>,<row>,<text>"
  // for every non-empty cell, lines ended by CR LF, text in UTF-8 with CR written as TAB and
  // LF as backspace.
  std::string toFileText() const;
  // Replaces the grid with the one in `text`. False (grid unchanged) when the first line
  // gives no column or row count, a count of 0, or a grid too large to be a log.
  bool fromFileText(const std::string& text);

  // Stamp written into the "Date/Time" column.
  static QString stampText(const QDateTime& when);

 private:
  void resize(int cols, int rows);

  std::vector<std::vector<QString>> cells_;  // [row][col]
  std::vector<int> widths_;
};

// ---- The log of the running program ----

// "grdelete.txt" in the per-user data folder.
std::string deletionLogPath();

enum class LogLoad { Missing, Loaded, Damaged };

// Reads the log file into the program's log (done when the statistics window is created).
// Without a file the fresh log stands. A damaged file gives "File contains no data or corrupt
// file " + path, the fresh log, and is renamed aside (see damagedLogName) so that the next
// entry does not overwrite it.
LogLoad loadDeletionLog();
// The program's log, read from the file on first use.
DeletionLog& deletionLog();
// Writes the program's log to its file, replacing it atomically; an error box on failure.
bool saveDeletionLog();

// Adds one entry stamped with the current time and saves the log.
void addToDeleteGrid(std::int64_t filesDeleted, std::int64_t bytesDeleted, std::int64_t filesRecycled,
                     std::int64_t bytesRecycled, std::int64_t filesZipped, std::int64_t bytesZipped);
// Empties the log below the titles and saves it.
void clearDeletionLog();

// Name a damaged log is kept under: "<path>.damaged-<yyyyMMdd-hhmmss>", with "-2", "-3"... when
// that name is taken.
std::string damagedLogName(const std::string& path, const QDateTime& when);

// Calls `fn` after every change of the program's log (load, entry, clear). Returns an id for
// removeLogListener.
int addLogListener(std::function<void()> fn);
void removeLogListener(int id);

}  // namespace roomvale
