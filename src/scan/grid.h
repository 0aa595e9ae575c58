// The rows of a result grid and their marks, without any widget.
//
// Rows are kept small because a walk can find millions of files: folder paths are stored
// once and shared, names live in one byte arena, sizes are 64-bit and times are packed local
// date-times (FAT layout, 0 = none). Cell texts are made only when asked for. The display
// order is a separate list of row ids, so sorting moves ids, never rows, and a row's mark
// and finder texts move with it.
//
// Positions are 0-based data rows in display order (the header is not a position).
#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/markedfile.h"
#include "scan/gridspec.h"

namespace roomvale {

// One found file (or folder) as a finder hands it to the grid.
struct GridFile {
  std::string_view folder;  // folder path as walked, native bytes
  std::string_view name;    // may be empty when the row stands for the folder itself
  std::uint64_t size = 0;
  std::uint32_t writeTime = 0;  // packed local date-times, 0 = not known
  std::uint32_t accessTime = 0;
  std::uint32_t creationTime = 0;
  std::uint32_t count1 = 0;
  std::uint32_t count2 = 0;
};

// The stored form of a row (40 bytes).
struct GridRow {
  std::uint64_t size = 0;
  std::uint32_t folder = 0;   // index into the folder table
  std::uint32_t nameOff = 0;  // offset into the name arena
  std::uint32_t writeTime = 0;
  std::uint32_t accessTime = 0;
  std::uint32_t creationTime = 0;
  std::uint32_t count1 = 0;
  std::uint32_t count2 = 0;
  std::uint16_t nameLen = 0;
  std::uint16_t flags = 0;
};

// Asks whether a path is protected (Safe Harbor). The Safe Harbor subsystem installs it;
// until then nothing is protected.
using ProtectionQuery = std::function<bool(const std::string& path, bool isFile)>;
void setProtectionQuery(ProtectionQuery query);
bool isProtectedPath(const std::string& path, bool isFile);

// Packed local date-time helpers (date in the high 16 bits).
std::optional<QDate> fatDate(std::uint32_t packed);  // nothing when the date part is invalid
QString fatDateText(std::uint32_t packed);           // "" for 0; 1 January 1980 when invalid
QString fatTimeText(std::uint32_t packed);           // "" for 0; "12:00:00" when invalid
// The locale's long time form without a time-zone part.
QString longTimeText(const QTime& time);
// The description of a name's extension (cached for the run).
QString typeTextOfName(std::string_view name);

class GridData {
 public:
  explicit GridData(GridSpec shape);
  GridData(const GridData&) = delete;
  GridData& operator=(const GridData&) = delete;

  const GridSpec& shape() const { return spec_; }
  int columnCount() const { return static_cast<int>(spec_.columns.size()); }
  QString headerText(int column) const;
  void setHeaderText(int column, const QString& text);

  // Clearing and filling. clear() leaves the header and one empty row, no marks.
  void clear();
  // Appends a row after the last filled one and returns its position; the row count grows
  // by 50 whenever the new row does not fit. Returns -1 when the row cannot be stored.
  int addRow(const GridFile& file);
  // After a walk: exactly the filled rows show, at least one (empty) row.
  void fixRowCount();
  int rowsUsed() const { return static_cast<int>(order_.size()); }
  // Rows of the grid including the header row.
  int rowCount() const { return rowCount_; }
  // Removes a data row (its mark first).
  void removeRow(int pos);
  // Removes every data row for which `drop` (position) holds, in one pass; returns how many.
  int removeRowsWhere(const std::function<bool(int pos)>& drop);

  // Cells. Positions at or beyond rowsUsed() are blank rows.
  QString cellText(int pos, int column) const;
  bool isRowUsed(int pos) const { return pos >= 0 && pos < rowsUsed(); }
  // The file a row stands for: folder joined with name (the folder alone when no name).
  std::string rowPath(int pos) const;
  // The path a path-like cell shows, as native bytes (Folder, Name, FullPath).
  std::string cellPath(int pos, int column) const;
  // A finder's own text for a cell; it replaces the field's text and moves with the row.
  void setCellText(int pos, int column, const QString& text);
  void clearCellText(int pos, int column);
  // Per-row shade flag (duplicates grouping).
  void setShade(int pos, bool shade);
  bool shade(int pos) const;
  // A path cell shown in lower case (the row keeps its real path for every action).
  void setLowerCaseShown(int pos, bool lower);

  // Marks.
  bool isMarked(int pos) const;
  // Toggles the mark of a row; a position outside the filled rows does nothing. Returns
  // whether the row is marked afterwards.
  bool deleteOneFile(int pos);
  void clearAllMarks();
  // Clears every mark, then toggles every filled row in display order.
  void markAll();
  int markedCount() const { return markedCount_; }
  std::uint64_t markedBytes() const { return markedBytes_; }
  // The marked paths in the order they were marked (each path once).
  std::vector<std::string> lbDeleted() const;
  // The identity each of them had when it was marked (unknown for a file not found then),
  // in the same order: the review acts on a marked file only while it is still that file.
  std::vector<platform::FileIdentity> lbDeletedIdentities() const;
  // "%d files %s bytes" of the marked totals.
  QString markStatusText() const;

  // Read access for sorting, printing and exports.
  std::uint32_t rowIdAt(int pos) const { return order_[static_cast<std::size_t>(pos)]; }
  const GridRow& rowById(std::uint32_t id) const { return rows_[id]; }
  // Row ids run from 0 below this (removed rows keep theirs).
  std::uint32_t rowIdCount() const { return static_cast<std::uint32_t>(rows_.size()); }
  std::string_view nameOf(const GridRow& row) const { return {arena_.data() + row.nameOff, row.nameLen}; }
  const std::string& folderText(std::uint32_t folder) const { return folders_[folder]; }
  std::size_t folderCount() const { return folders_.size(); }
  const QString* cellOverride(std::uint32_t id, int column) const;
  // Puts the rows [first, first + ids.size()) into the given order of row ids, which must be
  // a permutation of the ids now there.
  void reorder(int first, const std::vector<std::uint32_t>& ids);

  // Looks a marked file up on disk, reached through its folders without following a link
  // (platform/markedfile.h): its size, or nothing when there is no such file (a folder
  // does not count).
  static std::optional<std::uint64_t> lookupOnDisk(const std::string& path);

 private:
  enum Flag : std::uint16_t { kMarked = 1, kHasText = 2, kShade = 4, kLowerCase = 8 };

  // One marked file: the row listed for it in lbDeleted, how many rows show it marked
  // (a file found twice by overlapping targets is one file), and what was added to the
  // totals when it was first marked (so that unmarking takes back exactly that, whatever
  // happened to the file in between).
  struct MarkEntry {
    std::uint32_t listedRow = 0;
    std::uint32_t rows = 0;
    bool counted = false;
    std::uint64_t bytes = 0;
    platform::FileIdentity identity;
  };
  static constexpr std::uint32_t kNoEntry = UINT32_MAX;

  // The marked files are kept in a flat open-addressing table keyed by path (folder id and
  // name bytes); a million marks cost neither a node nor a path string each.
  std::size_t pathHash(std::uint32_t rowId) const;
  bool samePath(std::uint32_t a, std::uint32_t b) const;
  std::size_t findSlot(std::uint32_t rowId) const;  // slot holding the row's path, or an empty one
  void growMarkTable();
  void eraseMarkSlot(std::size_t slot);

  std::uint32_t folderId(std::string_view folder);
  std::string pathOfRow(const GridRow& row) const;
  static std::uint64_t textKey(std::uint32_t id, int column) {
    return (static_cast<std::uint64_t>(id) << 8) | static_cast<std::uint64_t>(column);
  }

  GridSpec spec_;
  std::vector<GridRow> rows_;
  std::vector<std::uint32_t> order_;
  std::string arena_;
  std::vector<std::string> folders_;
  std::unordered_map<std::string, std::uint32_t> folderIndex_;
  std::uint32_t lastFolder_ = UINT32_MAX;
  std::unordered_map<std::uint64_t, QString> texts_;
  int rowCount_ = 2;

  std::vector<MarkEntry> markEntries_;
  std::vector<std::uint32_t> markSlots_;  // index into markEntries_, or kNoEntry
  std::vector<std::uint32_t> lbDeleted_;  // row ids, in marking order
  int markedCount_ = 0;
  std::uint64_t markedBytes_ = 0;
};

}  // namespace roomvale
