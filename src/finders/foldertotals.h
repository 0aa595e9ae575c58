// The folder hogs without widgets: the folder totals of both walks, the folder lines of the
// hidden working list and their way back into the grid, the percentage against the volume,
// and the folders Clean? refuses.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "deletion/treerefusal.h"
#include "scan/grid.h"
#include "scan/walk.h"

namespace roomvale {

enum class FolderWalk {
  MainFolders,  // one row per folder directly under a target, with its whole sub-tree
  AllFolders,   // one row per folder of the tree, with the files directly in it
};

struct FolderTotals {
  std::uint64_t size = 0;
  std::uint64_t files = 0;
  std::uint64_t subfolders = 0;
  std::uint32_t latestAccess = 0;  // packed local date-time, 0 = no file gave one

  void addFile(const platform::DirEntry& e);
};

// "% Used": the size as a percentage of the volume total, two decimals, or "???" when the
// size is not below the total (also when the total is unknown, 0).
QString percentUsedText(std::uint64_t size, double driveTotal);

// A folder line: size, percentage, file count, sub-folder count, latest access date (empty
// when none) and the folder path, separated by tabs.
QString folderLineText(const FolderTotals& totals, double driveTotal, const std::string& path);

struct FolderLine {
  std::uint64_t size = 0;
  QString percent;
  std::uint64_t files = 0;
  std::uint64_t subfolders = 0;
  std::uint32_t latestAccess = 0;  // the date only, packed; 0 = none
  std::string path;                // native bytes
};
// Reads a line back; nothing when it is not a folder line. The path is the rest of the line
// after the fifth tab, so a folder name holding a tab survives.
std::optional<FolderLine> parseFolderLine(const QString& line);

// The grid row of a folder line: the folder as the row's path, its counters and latest
// access; the percentage is the finder's own cell text.
GridFile folderGridRow(const FolderLine& line);

// The total bytes of the volume holding `folder`, 0 when it cannot be asked.
double driveTotalOf(const std::string& folder);

// Collects the folder lines of one walk into the working list. A full list shows the
// window's limit message once and stops the walk like Abort. Both walks run on the walk's
// main-folders variant (every folder's files listed): the all-folders rules (empty folders
// listed, a volume root without ordinary entries not) are applied here.
class FolderHogCollector : public WalkVisitor {
 public:
  FolderHogCollector(FolderWalk walk, WorkingList& lines, bool& scanAborted, std::function<void()> onFull);

  // The status line; empty: none.
  std::function<void(const std::string& text)> status;
  // The volume total of a target (the tests give their own); default driveTotalOf.
  std::function<double(const std::string& folder)> driveTotal = driveTotalOf;

  bool targetBegin(const ScanTarget& target, const std::string& folder) override;
  void folderEnter(const std::string& folder, int depth) override;
  void filesBegin(const std::string& folder, int depth) override;
  void entry(const std::string& folder, const platform::DirEntry& entry) override;
  void filesEnd(const std::string& folder, int depth) override;
  void folderLeave(const std::string& folder, int depth) override;
  void showStatus(const std::string& text) override;

 private:
  void addLine(const std::string& path);

  FolderWalk walk_;
  WorkingList& lines_;
  bool& scanAborted_;
  std::function<void()> onFull_;
  double driveTotal_ = 0;
  FolderTotals totals_;
  int filesDepth_ = 0;
  int listedDepth_ = -1;  // depth of the folder whose files were listed last
  bool inMainFolder_ = false;
  bool ordinarySeen_ = false;  // an entry neither hidden nor system in the listed folder
  bool volumeRoot_ = false;    // the target is a volume, not an added folder
};

}  // namespace roomvale
