// The walk shared by every window that scans drives and folders.
//
// Targets are taken in list order; a target that is not ready is skipped silently, one that
// cannot be opened gives "Can't open drive " and its text. Each target is walked depth-first
// on the calling (user-interface) thread: every sub-folder with its whole sub-tree is
// finished before the files of its parent are listed. The walk works on directory
// descriptors and never changes the current directory, never follows a symbolic link and
// never enters a folder on another file system than its target's. Hidden and system folders
// are never entered. Deep trees cost neither stack nor one descriptor per level.
//
// Windows differ only in what a WalkVariant says (file pattern and attribute request, where
// pending events are let through, what the status line shows); the per-file work is a
// WalkVisitor.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/direnum.h"
#include "scan/targets.h"

namespace roomvale {

// Attribute requests of the file listings.
inline constexpr std::uint32_t kRequestFolders = 0x10;     // sub-folder listing
inline constexpr std::uint32_t kRequestQuickClean = 0x2B;  // hidden files too, no system files
inline constexpr std::uint32_t kRequestDuplicates = 0x29;  // neither hidden nor system files
inline constexpr std::uint32_t kRequestByDate = 0x28;      // neither hidden nor system files
inline constexpr std::uint32_t kRequestEverything = 0x3F;  // every entry, folders included
inline constexpr std::uint32_t kRequestAnyFile = 0x2F;     // every file, no folders

// How one window walks.
struct WalkVariant {
  // What the status line shows while walking.
  enum class Status {
    FolderPath,                // the folder being read
    FolderPathUntilFilesDone,  // the folder being read, cleared after its own file listing
    FolderPathClearedOnStop,   // the folder being read, cleared when the walk stops
    Untouched,                 // the walk leaves the status line to the window
  };

  std::string pattern = "*.*";                     // file pattern of the file listing
  std::uint32_t fileRequest = kRequestQuickClean;  // attribute request of the file listing
  bool pumpInFolderLoop = true;                    // let events through between sub-folders
  bool pumpAtFolderEntry = false;                  // let events through on entering each folder
  // A folder none of whose entries is an ordinary (neither hidden nor system) entry has its
  // files left unlisted (the all-folders walk of the folder hogs).
  bool filesNeedFolderEntries = false;
  Status status = Status::FolderPath;

  static WalkVariant quickClean();
  static WalkVariant duplicates(std::string pattern);
  static WalkVariant filesByDate(std::string pattern);
  // The all-folders walk leaves the files of a folder without ordinary entries unlisted; the
  // main-folders walk lists them.
  static WalkVariant folderHogs(bool allFolders = true);
  static WalkVariant statistics();
};

// The work a window plugs into the walk. Folder paths are native bytes without a trailing
// "/" (except "/" itself); a file's full path is joinPath(folder, entry.name). `depth` is 0
// for the target folder itself.
class WalkVisitor {
 public:
  virtual ~WalkVisitor() = default;

  // A target is about to be walked (it is ready and open); false skips it.
  virtual bool targetBegin(const ScanTarget& target, const std::string& folder) {
    (void)target, (void)folder;
    return true;
  }
  virtual void targetEnd(const ScanTarget& target) { (void)target; }

  // A folder was entered, before any of its sub-folders.
  virtual void folderEnter(const std::string& folder, int depth) { (void)folder, (void)depth; }
  // The folder's own file listing starts / has ended (after its whole sub-tree). Called only
  // for a listing that yields at least one entry; filesEnd also follows a listing cut short
  // by a stop.
  virtual void filesBegin(const std::string& folder, int depth) { (void)folder, (void)depth; }
  virtual void filesEnd(const std::string& folder, int depth) { (void)folder, (void)depth; }
  // One entry of the folder's file listing that passed the variant's pattern and request.
  // With the request 0x3F folders come too (entry.isDirectory()).
  virtual void entry(const std::string& folder, const platform::DirEntry& entry) = 0;
  // The folder is left: after its files, or while the walk unwinds after a stop.
  virtual void folderLeave(const std::string& folder, int depth) { (void)folder, (void)depth; }

  // The status line should read `text` (empty: cleared). Only called when the window is about
  // to repaint, so a fast walk does not spend its time on label texts.
  virtual void showStatus(const std::string& text) { (void)text; }
  // Pending events are about to be processed: the moment to refresh anything else on screen
  // (counters, a status text of the window's own).
  virtual void aboutToPump() {}
};

class Walker {
 public:
  // `scanAborted` is the window's stop flag: the walk stops at the next point where it looks
  // at it (between entries, around each pump of pending events). Setting it from inside a
  // visitor call stops the walk before the next entry.
  Walker(WalkVariant variant, WalkVisitor& visitor, bool& scanAborted);
  ~Walker();
  Walker(const Walker&) = delete;
  Walker& operator=(const Walker&) = delete;

  // Walks the targets in order, until the stop flag is set.
  void scanAllDrives(const std::vector<ScanTarget>& targets);
  // One target: skipped silently when not ready; "Can't open drive " + its text when it
  // cannot be opened. False when it was not walked.
  bool scanTarget(const ScanTarget& target);

  // Pending events are let through at the variant's points, at most every `intervalMs`
  // (default 15). Off: no pumping and no status line at all.
  void setPumping(bool on) { pumping_ = on; }
  void setPumpInterval(int intervalMs) { pumpIntervalMs_ = intervalMs; }
  // Most folder descriptors kept open at once while descending (default 32, at least 2);
  // folders above are reopened through ".." when the walk climbs back.
  void setDescriptorBudget(int n) { descriptorBudget_ = n < 2 ? 2 : n; }
  // Tests: maps (device, inode) of a folder to the device the walk believes it is on, to
  // stand for a mount point without mounting anything.
  // Most matching files of one folder held in memory until its sub-folders are done; a
  // folder with more has its files listed by a second read (default 20,000).
  void setHeldFilesLimit(std::size_t n) { heldFilesLimit_ = n; }
  using DeviceHook = std::function<std::uint64_t(std::uint64_t device, std::uint64_t inode)>;
  void setDeviceHook(DeviceHook hook) { deviceHook_ = std::move(hook); }

  // Folder being read now (native bytes).
  const std::string& currentFolder() const { return path_; }
  // Counters of the last walk.
  std::uint64_t foldersEntered() const { return foldersEntered_; }
  std::uint64_t entriesRead() const { return entriesRead_; }
  // Folders whose descent stopped because the tree changed under the walk.
  std::uint64_t branchesLost() const { return branchesLost_; }

 private:
  struct Level;
  bool walkOpenFolder(int rootFd, const ScanTarget& target);
  bool readFolder(Level& level);
  bool descend(const std::string& name);
  bool reopenParent(std::size_t childIndex);
  void listFiles(Level& level);
  void leave(bool unwinding);
  void enforceDescriptorBudget();
  void pumpPoint();
  void flushStatus();
  bool stopped();
  std::uint64_t mappedDevice(std::uint64_t device, std::uint64_t inode) const;

  WalkVariant variant_;
  WalkVisitor& visitor_;
  bool& scanAborted_;
  bool pumping_ = true;
  int pumpIntervalMs_ = 15;
  int descriptorBudget_ = 32;
  DeviceHook deviceHook_;
  std::size_t heldFilesLimit_ = 20000;

  std::vector<Level> levels_;
  std::string path_;
  std::uint64_t rootDevice_ = 0;      // as the device hook sees it
  std::uint64_t realRootDevice_ = 0;  // as the file system reports it
  std::uint64_t rootMount_ = 0;       // mount id of the target, 0 when unknown
  std::size_t lowestClosable_ = 1;    // shallowest level whose descriptor may still be open
  bool statusCleared_ = false;
  std::string shownStatus_;
  bool statusShownOnce_ = false;
  std::int64_t lastPumpNs_ = 0;
  int openDescriptors_ = 0;
  std::uint64_t foldersEntered_ = 0;
  std::uint64_t entriesRead_ = 0;
  std::uint64_t branchesLost_ = 0;
};

// The hidden working list in which the folder-hog and duplicate windows collect result lines
// before they reach the grid. It stands for a list control's limit: far above what a grid
// can usefully show, low enough that a runaway result cannot exhaust memory.
inline constexpr std::size_t kWorkingListCapacity = 5'000'000;

class WorkingList {
 public:
  explicit WorkingList(std::size_t capacity = kWorkingListCapacity) : capacity_(capacity) {}

  // Adds a line; false, with nothing added, when the list is full.
  bool add(QString line);
  // Adds a line; when the list is full, calls `onFull` (the window's limit message) the
  // first time and sets `scanAborted`, so that the walk unwinds as after an abort while the
  // lines collected so far stay.
  bool addOrStop(QString line, bool& scanAborted, const std::function<void()>& onFull);

  const std::vector<QString>& lines() const { return lines_; }
  std::vector<QString>& lines() { return lines_; }
  std::size_t size() const { return lines_.size(); }
  std::size_t capacity() const { return capacity_; }
  bool full() const { return lines_.size() >= capacity_; }
  bool limitReached() const { return limitReached_; }
  void clear();

 private:
  std::size_t capacity_;
  std::vector<QString> lines_;
  bool limitReached_ = false;
};

}  // namespace roomvale
