// Duplicate files and file hogs without widgets: the size bounds, the hidden working list
// the walk fills, its order, the grouping of duplicates into runs of equal keys, the row
// shading and the file-hog listing.
//
// The working list keeps the found files as rows (not as text lines), but orders them
// exactly as the sorted list of their tab-separated working lines would be ordered, without
// regard to letter case (a-z raised): field texts are made only when two rows must be told
// apart, and cached per distinct date, time and extension.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/direnum.h"
#include "scan/grid.h"
#include "scan/gridspec.h"
#include "scan/walk.h"

namespace roomvale {

// Match modes of the duplicates finder, in the order of its list.
enum class MatchMode : int {
  FilenameOnly = 0,
  FilenameAndSize = 1,
  FilenameSizeAndDate = 2,
  SizeOnly = 3,
  SizeAndDate = 4,
  SizeAndType = 5,
  TypeAndDate = 6,
};
inline constexpr int kMatchModeCount = 7;
QStringList matchModeTexts();
// Modes 1 to 4 offer the content checksum.
bool matchModeOffersChecksum(int mode);

enum class SizeCompare { LargerOrEqual = 0, SmallerOrEqual = 1, InBetween = 2 };

struct SizeBounds {
  SizeCompare compare = SizeCompare::LargerOrEqual;
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  bool passes(std::uint64_t size) const;
};
// Bounds from the window's two numbers; with `kilobytes` each is multiplied by 1024.
SizeBounds sizeBounds(SizeCompare compare, int first, int second, bool kilobytes);

// Grid layouts. Duplicates: Filename, Size, Modified, Time, Access, Folder, Type (the last
// one becomes "CRC Values" in the checksum phase). File hogs: Size, Modified, Time, Access,
// FileName, Type.
GridSpec duplicatesGridSpec();
GridSpec fileHogsGridSpec();
inline constexpr int kDupNameColumn = 0;
inline constexpr int kDupSizeColumn = 1;
inline constexpr int kDupLastColumn = 6;

// The hidden list the walk fills: one row per found file.
class DupWorkingList {
 public:
  explicit DupWorkingList(std::size_t capacity = kWorkingListCapacity);

  // Adds a found file; false (nothing added) when the list is full.
  bool add(const std::string& folder, const platform::DirEntry& entry);
  bool add(const GridFile& file);
  std::size_t size() const { return static_cast<std::size_t>(rows_.rowsUsed()); }
  bool full() const { return size() >= capacity_; }
  void clear() { rows_.clear(); }
  void reset(std::size_t capacity) {
    rows_.clear();
    capacity_ = capacity;
  }
  const GridData& rows() const { return rows_; }

  // Row ids in the order of the sorted working lines: duplicates of `mode`, or file hogs.
  std::vector<std::uint32_t> duplicatesOrder(MatchMode mode) const;
  std::vector<std::uint32_t> fileHogsOrder() const;

 private:
  std::size_t capacity_;
  GridData rows_;
};

// Grouping: walks the list in its sorted order and adds every run of at least two rows with
// equal keys (the mode's fields, a-z raised) to `grid`, in list order; a row without a
// matching neighbour is left out. Then shades the rows. Returns the number of rows added.
int addDups(const DupWorkingList& list, MatchMode mode, GridData& grid);

// Shading of the duplicates rows: the first row gets shade A (the flag set); every further
// row takes the shade of the row above when it equals that row in the mode's compared
// fields, and otherwise the other one.
void shadeDuplicates(GridData& grid, MatchMode mode);
// The same by the text of one column (after the checksum phase).
void shadeByColumn(GridData& grid, int column);

// File hogs: every row of the list, from the last line to the first. The path of the first
// file listed from each folder is shown as found on disk, the paths of the further files of
// that folder are shown in lower case (the rows keep the real path for every action).
// Returns the number of rows added.
int addFileHogs(const DupWorkingList& list, GridData& grid);

// Print title: "Duplicates " or "File Hogs ", the size phrase, " matching " + pattern +
// " on drive(s) " + the first character of every target, each followed by a space.
QString dupPrintTitle(bool duplicates, SizeCompare compare, int first, int second, const QString& unit,
                      const QString& pattern, const QStringList& targetTexts);

}  // namespace roomvale

namespace roomvale {

// The groups of a duplicates grid: runs of rows of equal shade (first and last position).
struct RowRange {
  int first = 0;
  int last = 0;
};
std::vector<RowRange> shadeGroups(const GridData& grid);

// "Mark all but the first / newest / oldest of each group": the rows to mark, every row of
// each group but the one kept (the first of equally new or old rows is kept).
enum class KeepCopy { First, Newest, Oldest };
std::vector<int> rowsToMarkKeeping(const GridData& grid, KeepCopy keep);

// "Mark every copy in a folder...": the unmarked rows whose file lies below `folder` (or in
// it), as long as each group keeps at least one unmarked row.
std::vector<int> rowsToMarkBelow(const GridData& grid, const std::string& folder);

// How many groups have every row marked.
int groupsFullyMarked(const GridData& grid);

}  // namespace roomvale
