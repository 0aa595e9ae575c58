#include "scan/walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <system_error>

#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/pump.h"
#include "platform/folderchain.h"
#include "platform/mountid.h"

namespace roomvale {

namespace {

std::int64_t monotonicNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Folder path of a target: native bytes without the trailing "/" (except "/" itself).
std::string folderPathOf(const std::string& target) {
  std::string p = target;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  if (p.empty()) p = "/";
  return p;
}

}  // namespace

WalkVariant WalkVariant::quickClean() {
  WalkVariant v;
  v.pattern = "*.*";
  v.fileRequest = kRequestQuickClean;
  return v;
}

WalkVariant WalkVariant::duplicates(std::string pattern) {
  WalkVariant v;
  v.pattern = pattern.empty() ? std::string("*.*") : std::move(pattern);
  v.fileRequest = kRequestDuplicates;
  return v;
}

WalkVariant WalkVariant::filesByDate(std::string pattern) {
  WalkVariant v;
  v.pattern = pattern.empty() ? std::string("*.*") : std::move(pattern);
  v.fileRequest = kRequestByDate;
  v.pumpInFolderLoop = false;
  v.pumpAtFolderEntry = true;
  v.status = Status::FolderPathUntilFilesDone;
  return v;
}

WalkVariant WalkVariant::folderHogs(bool allFolders) {
  WalkVariant v;
  v.pattern = "*.*";
  v.fileRequest = kRequestEverything;
  v.pumpInFolderLoop = false;
  v.filesNeedFolderEntries = allFolders;
  v.status = Status::FolderPathClearedOnStop;
  return v;
}

WalkVariant WalkVariant::statistics() {
  WalkVariant v;
  v.pattern = "*.*";
  v.fileRequest = kRequestEverything;
  v.pumpInFolderLoop = false;
  v.status = Status::Untouched;
  return v;
}

// One folder on the way down from the target.
struct Walker::Level {
  int fd = -1;  // -1 while closed to spare descriptors
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::string name;                  // name in its parent ("" for the target)
  std::size_t parentPathLength = 0;  // length of the folder path above this level
  std::vector<std::string> subfolders;
  std::size_t nextSubfolder = 0;
  std::vector<platform::DirEntry> files;
  bool filesOverflow = false;     // too many files to hold: listed by a second read
  bool anyOrdinaryEntry = false;  // some entry is neither hidden nor system
  bool lost = false;              // could not be reopened: no more sub-folders, no second read
};

Walker::Walker(WalkVariant variant, WalkVisitor& visitor, bool& scanAborted)
    : variant_(std::move(variant)), visitor_(visitor), scanAborted_(scanAborted) {}

Walker::~Walker() {
  for (Level& level : levels_)
    if (level.fd >= 0) ::close(level.fd);
}

std::uint64_t Walker::mappedDevice(std::uint64_t device, std::uint64_t inode) const {
  return deviceHook_ ? deviceHook_(device, inode) : device;
}

bool Walker::stopped() {
  if (!scanAborted_) return false;
  if (variant_.status == WalkVariant::Status::FolderPathClearedOnStop) statusCleared_ = true;
  return true;
}

void Walker::flushStatus() {
  if (!pumping_ || variant_.status == WalkVariant::Status::Untouched) return;
  static const std::string kEmpty;
  const std::string& text = statusCleared_ ? kEmpty : path_;
  if (statusShownOnce_ && text == shownStatus_) return;
  shownStatus_ = text;
  statusShownOnce_ = true;
  visitor_.showStatus(shownStatus_);
}

void Walker::pumpPoint() {
  if (!pumping_) return;
  const std::int64_t now = monotonicNs();
  if (now - lastPumpNs_ < std::int64_t(pumpIntervalMs_) * 1000000) return;
  flushStatus();
  visitor_.aboutToPump();
  pumpEventsNow();
  lastPumpNs_ = monotonicNs();
}

void Walker::scanAllDrives(const std::vector<ScanTarget>& targets) {
  for (const ScanTarget& target : targets) {
    if (stopped()) break;
    scanTarget(target);
  }
  flushStatus();
}

bool Walker::scanTarget(const ScanTarget& target) {
  if (stopped()) return false;
  if (!isPathDriveReady(target.path)) return false;
  const std::string folder = folderPathOf(target.path);
  int fd = -1;
  try {
    changeToFolder(target.path);
    fd = ::open(folder.c_str(), platform::kWalkOpenFlags);
  } catch (const std::system_error&) {
    fd = -1;
  }
  if (fd < 0) {
    prompts().message(MessageKind::Error, QStringLiteral("Can't open drive ") + target.text, QStringLiteral("Error"),
                      Sound::None);
    return false;
  }
  if (!visitor_.targetBegin(target, folder)) {
    ::close(fd);
    return false;
  }
  path_ = folder;
  walkOpenFolder(fd, target);
  visitor_.targetEnd(target);
  flushStatus();
  return true;
}

bool Walker::walkOpenFolder(int rootFd, const ScanTarget&) {
  struct stat st {};
  if (::fstat(rootFd, &st) != 0) {
    ::close(rootFd);
    return false;
  }
  realRootDevice_ = st.st_dev;
  rootDevice_ = mappedDevice(st.st_dev, st.st_ino);
  rootMount_ = platform::mountIdOf(rootFd);
  levels_.clear();
  levels_.reserve(64);
  Level root;
  root.fd = rootFd;
  root.device = st.st_dev;
  root.inode = st.st_ino;
  root.parentPathLength = path_.size();
  levels_.push_back(std::move(root));
  openDescriptors_ = 1;
  lowestClosable_ = 1;

  ++foldersEntered_;
  statusCleared_ = false;
  visitor_.folderEnter(path_, 0);
  if (variant_.pumpAtFolderEntry) pumpPoint();
  if (!stopped()) readFolder(levels_.back());

  while (!levels_.empty()) {
    if (stopped()) {
      while (!levels_.empty()) leave(true);
      break;
    }
    Level& top = levels_.back();
    if (!top.lost && top.nextSubfolder < top.subfolders.size()) {
      if (top.nextSubfolder > 0 && variant_.pumpInFolderLoop) {
        pumpPoint();
        if (stopped()) continue;
      }
      const std::string name = std::move(levels_.back().subfolders[levels_.back().nextSubfolder++]);
      descend(name);
      continue;
    }
    listFiles(top);
    leave(false);
  }
  return true;
}

bool Walker::readFolder(Level& level) {
  platform::DirReader reader;
  // One read serves both listings: the sub-folders (request 0x10) and the variant's files.
  if (!reader.open(level.fd, ".", "*.*", kRequestFolders | variant_.fileRequest, realRootDevice_)) return false;
  platform::DirEntry e;
  bool first = true;
  while (reader.next(e)) {
    ++entriesRead_;
    if (!first) {
      pumpPoint();
      if (stopped()) return false;
    }
    first = false;
    if (e.isDirectory() && deviceHook_ && mappedDevice(e.device, e.inode) != rootDevice_)
      e.attr |= platform::kAttrSystem;
    if (platform::passesRequest(e.attr, kRequestFolders)) {
      level.anyOrdinaryEntry = true;
      if (e.isDirectory()) level.subfolders.push_back(e.name);
    }
    if (level.filesOverflow) continue;
    if (!platform::passesRequest(e.attr, variant_.fileRequest) || !platform::matchesPattern(e.name, variant_.pattern))
      continue;
    if (level.files.size() >= heldFilesLimit_) {
      level.filesOverflow = true;
      std::vector<platform::DirEntry>().swap(level.files);
      continue;
    }
    level.files.push_back(std::move(e));
    e = platform::DirEntry();
  }
  return true;
}

bool Walker::descend(const std::string& name) {
  Level& parent = levels_.back();
  const int fd = ::openat(parent.fd, name.c_str(), platform::kWalkOpenFlags);
  if (fd < 0) return false;  // vanished, access denied, or no longer a folder: skipped
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || mappedDevice(st.st_dev, st.st_ino) != rootDevice_ ||
      (rootMount_ != 0 && platform::mountIdOf(fd) != rootMount_)) {
    // Something was mounted there since the folder was read (a bind mount of this file system
    // too): never leave the target's mount.
    ::close(fd);
    return false;
  }
  Level child;
  child.fd = fd;
  child.device = st.st_dev;
  child.inode = st.st_ino;
  child.name = name;
  child.parentPathLength = path_.size();
  if (path_.size() != 1 || path_[0] != '/') path_ += '/';
  path_ += name;
  levels_.push_back(std::move(child));
  ++openDescriptors_;
  enforceDescriptorBudget();

  ++foldersEntered_;
  statusCleared_ = false;
  const int depth = int(levels_.size()) - 1;
  visitor_.folderEnter(path_, depth);
  if (variant_.pumpAtFolderEntry) pumpPoint();
  if (!stopped()) readFolder(levels_.back());
  return true;
}

void Walker::enforceDescriptorBudget() {
  // Open folders are the target and a run of the deepest levels; the shallowest of that run
  // is closed first and reopened through ".." on the way back up.
  const std::size_t top = levels_.size() - 1;
  while (openDescriptors_ > descriptorBudget_ && lowestClosable_ < top) {
    Level& level = levels_[lowestClosable_++];
    if (level.fd >= 0) {
      ::close(level.fd);
      level.fd = -1;
      --openDescriptors_;
    }
  }
}

bool Walker::reopenParent(std::size_t childIndex) {
  const int fd = platform::reopenWalkedParent(levels_, childIndex);
  if (fd < 0) return false;
  levels_[childIndex - 1].fd = fd;
  ++openDescriptors_;
  return true;
}

void Walker::listFiles(Level& level) {
  if (variant_.filesNeedFolderEntries && !level.anyOrdinaryEntry) return;
  if (stopped()) return;
  const int depth = int(levels_.size()) - 1;
  statusCleared_ = false;
  bool begun = false;
  std::size_t handed = 0;
  auto hand = [&](const platform::DirEntry& e) -> bool {
    if (handed > 0 && stopped()) return false;
    if (!begun) {
      visitor_.filesBegin(path_, depth);
      begun = true;
    }
    visitor_.entry(path_, e);
    if (handed++ > 0) pumpPoint();
    return true;
  };

  if (!level.filesOverflow) {
    for (const platform::DirEntry& e : level.files)
      if (!hand(e)) break;
    std::vector<platform::DirEntry>().swap(level.files);
  } else if (!level.lost && level.fd >= 0) {
    platform::DirReader reader;
    if (reader.open(level.fd, ".", variant_.pattern, variant_.fileRequest, realRootDevice_)) {
      platform::DirEntry e;
      while (reader.next(e)) {
        ++entriesRead_;
        if (e.isDirectory() && deviceHook_ && mappedDevice(e.device, e.inode) != rootDevice_) {
          e.attr |= platform::kAttrSystem;
          if (!platform::passesRequest(e.attr, variant_.fileRequest)) continue;
        }
        if (!hand(e)) break;
      }
    }
  }
  if (begun) visitor_.filesEnd(path_, depth);
  if (variant_.status == WalkVariant::Status::FolderPathUntilFilesDone) statusCleared_ = true;
}

void Walker::leave(bool unwinding) {
  const std::size_t index = levels_.size() - 1;
  visitor_.folderLeave(path_, int(index));
  if (!unwinding && index > 0 && levels_[index - 1].fd < 0) {
    if (reopenParent(index)) {
      lowestClosable_ = index - 1;
    } else {
      levels_[index - 1].lost = true;
      ++branchesLost_;
    }
  }
  Level& level = levels_[index];
  if (level.fd >= 0) {
    ::close(level.fd);
    --openDescriptors_;
  }
  path_.resize(level.parentPathLength);
  levels_.pop_back();
  if (lowestClosable_ > levels_.size()) lowestClosable_ = levels_.size();
  if (lowestClosable_ < 1) lowestClosable_ = 1;
}

bool WorkingList::add(QString line) {
  if (lines_.size() >= capacity_) return false;
  lines_.push_back(std::move(line));
  return true;
}

bool WorkingList::addOrStop(QString line, bool& scanAborted, const std::function<void()>& onFull) {
  if (add(std::move(line))) return true;
  if (!limitReached_) {
    limitReached_ = true;
    if (onFull) onFull();
  }
  scanAborted = true;
  return false;
}

void WorkingList::clear() {
  lines_.clear();
  limitReached_ = false;
}

}  // namespace roomvale
