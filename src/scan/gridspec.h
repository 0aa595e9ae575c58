// How a finder lays out its result grid: the columns (what each shows, how it is aligned and
// sorted), which column carries the marks and which one is checked against Safe Harbor, and
// the sort items of its "Sort" menu with their first direction.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace roomvale {

// What a column shows of a row. Texts are made when a cell is drawn, never stored.
enum class CellField : std::uint8_t {
  Size,          // the size, with thousands separators
  WriteDate,     // date of the last write (packed time, empty when 0)
  WriteTime,     // time of the last write
  AccessDate,    // date of the last access
  CreationDate,  // date of creation
  FullPath,      // folder joined with name
  Name,          // name only
  Folder,        // folder only
  Type,          // file-type description of the name's extension
  Count1,        // finder counters (e.g. number of files)
  Count2,        //                  (e.g. number of sub-folders)
  Text,          // only what the finder sets with setCellText (e.g. a percentage)
};

enum class SortKind : std::uint8_t { Text, Number, Date };

struct GridColumn {
  QString header;
  CellField field = CellField::Text;
  bool rightAligned = false;
};

struct GridSortItem {
  QString caption;  // menu text, e.g. "&Size"
  int column = 0;
  SortKind kind = SortKind::Text;
  bool firstDescending = false;  // direction of the first sort by this item in a run
};

struct GridSpec {
  // Names the kind of window; the sort directions are kept per kind for the whole run.
  QString kind;
  std::vector<GridColumn> columns;
  int markColumn = -1;       // -1: the grid has no marking
  int highlightColumn = -1;  // -1: no Safe Harbor highlighting
  bool highlightIsFile = true;
  std::vector<GridSortItem> sortItems;
  int defaultSortItem = 0;  // checked after ClearGrid

  // The sort item belonging to a column, -1 when the column has none.
  int sortItemOfColumn(int column) const {
    for (std::size_t i = 0; i < sortItems.size(); ++i)
      if (sortItems[i].column == column) return static_cast<int>(i);
    return -1;
  }
};

}  // namespace roomvale
