#include "deletion/treedelete.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "archive/zipnames.h"
#include "archive/zipwriter.h"
#include "deletion/reviewactions.h"
#include "foundation/helpers.h"
#include "foundation/pump.h"
#include "platform/direnum.h"
#include "platform/folderchain.h"
#include "platform/markedfile.h"
#include "platform/mountid.h"
#include "platform/paths.h"
#include "platform/trashbatch.h"

namespace roomvale {

namespace {

constexpr std::uint32_t kEveryEntry = 0x3F;

// What a file was when it was handed to the archive writer; it is deleted later only if it
// is still that file.
struct Identity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t mtimeSec = 0;
  std::int64_t mtimeNsec = 0;

  static Identity of(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
  }
  bool operator==(const Identity&) const = default;
};

struct Entry {
  std::string name;
  std::uint32_t attr = 0;
  std::uint64_t size = 0;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
};

struct Level {
  int fd = -1;  // -1 while closed to spare descriptors
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::string name;  // name in its parent ("" for the top folder)
  std::size_t parentPathLength = 0;
  std::vector<Entry> entries;
  std::size_t next = 0;
  bool lost = false;  // could not be reopened: nothing more is done in it
};

struct DevIno {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const DevIno&) const = default;
};
struct DevInoHash {
  std::size_t operator()(const DevIno& k) const { return std::hash<std::uint64_t>{}(k.inode * 1000003u ^ k.device); }
};

bool sameObject(int dirfd, const std::string& name, std::uint64_t device, std::uint64_t inode) {
  struct stat st {};
  return ::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == device && st.st_ino == inode;
}

}  // namespace

QString attributeQuestion(const std::string& path, std::uint32_t attr) {
  const char* what = (attr & platform::kAttrReadOnly) ? " is read-only, "
                     : (attr & platform::kAttrHidden) ? " is hidden, "
                                                      : " is a system file, ";
  return platform::toDisplay(path) + QLatin1String(what) +
         QStringLiteral("Delete this file and continue deleting the remaining files? ");
}

struct TreeDeleter::Impl {
  enum class Pass { Main, Prune };

  Impl(TreeDeleter& o, TreeAction a, bool& stop) : owner(o), action(a), abort(stop) {}

  TreeDeleter& owner;
  TreeAction action;
  bool& abort;
  std::string archivePath;
  QString comment;
  bool deleteAfterZip = true;
  std::function<std::uint64_t(std::uint64_t, std::uint64_t)> deviceMap;
  std::size_t budget = 32;
  std::size_t peak = 0;

  // State of one run.
  Pass pass = Pass::Main;
  std::vector<Level> levels;
  std::size_t openCount = 0;
  std::size_t lowestClosable = 1;
  std::string path;
  std::uint64_t rootDevice = 0;      // as compared (mapped in tests)
  std::uint64_t realRootDevice = 0;  // as the system reports it
  std::uint64_t rootMount = 0;       // mount id of the folder, 0 when unknown
  TreeRunResult result;
  std::unique_ptr<ZipWriter> zip;
  std::unordered_map<std::string, Identity> stored;  // stored, to be deleted
  std::unique_ptr<platform::TrashBatch> trash;
  std::vector<std::uint64_t> trashSizes;           // by tag, for the batch in hand
  std::string folderShown;                         // the folder as given
  std::string folderReal;                          // the same without links, for the trash's record
  std::unordered_set<DevIno, DevInoHash> entered;  // folders the zip pass walked
  int zipErrorsShown = 0;
  std::int64_t zipErrorsHidden = 0;
  int deleteErrorsShown = 0;
  std::int64_t deleteErrorsHidden = 0;

  std::uint64_t mapped(std::uint64_t device, std::uint64_t inode) const {
    return deviceMap ? deviceMap(device, inode) : device;
  }
  bool stopped() const { return pass == Pass::Main && abort; }
  bool removesFolders() const { return pass == Pass::Prune || action != TreeAction::Zip; }
  std::string childPath(const std::string& name) const { return path == "/" ? "/" + name : path + "/" + name; }
  // Where an entry of the folder in hand really is (links above the tree resolved).
  std::string originalPath(const std::string& name) const {
    return folderReal + path.substr(std::min(folderShown.size(), path.size())) + "/" + name;
  }

  void report(const QString& text) {
    if (owner.error)
      owner.error(text);
    else
      showError(text);
  }
  void fileError(int& shown, std::int64_t& hidden, const QString& text) {
    if (shown < kShownFileErrors) {
      ++shown;
      report(text);
    } else {
      ++hidden;
    }
  }

  void noteUnreadable(const std::string& folder) {
    ++result.unreadableFolders;
    if (result.unreadable.size() < kListedUnreadable) result.unreadable.push_back(folder);
  }

  void readLevel(Level& level) {
    platform::DirReader reader;
    if (level.fd < 0) return;
    if (!reader.open(level.fd, ".", "*.*", kEveryEntry, realRootDevice)) {
      // Its files can be neither counted nor removed; the summary names the folder.
      if (pass == Pass::Main) noteUnreadable(path);
      return;
    }
    platform::DirEntry e;
    while (reader.next(e)) {
      Entry entry;
      entry.name = std::move(e.name);
      entry.attr = e.attr;
      entry.size = e.size;
      entry.device = e.device;
      entry.inode = e.inode;
      if (e.isDirectory() && deviceMap && mapped(e.device, e.inode) != rootDevice) entry.attr |= platform::kAttrSystem;
      level.entries.push_back(std::move(entry));
      e = platform::DirEntry();
    }
  }

  void noteOpen() {
    ++openCount;
    peak = std::max(peak, openCount);
  }

  void enforceBudget() {
    // The top folder and a run of the deepest levels stay open; the shallowest of that run is
    // closed first and reopened through ".." on the way back up.
    const std::size_t top = levels.size() - 1;
    while (openCount > budget && lowestClosable < top) {
      Level& level = levels[lowestClosable++];
      if (level.fd >= 0) {
        ::close(level.fd);
        level.fd = -1;
        --openCount;
      }
    }
  }

  bool reopenParent(std::size_t childIndex) {
    const int fd = platform::reopenWalkedParent(levels, childIndex);
    if (fd < 0) return false;
    levels[childIndex - 1].fd = fd;
    noteOpen();
    return true;
  }

  void descend(const Entry& e) {
    if (pass == Pass::Prune && !entered.count({e.device, e.inode})) return;
    if (owner.beforeEnter) owner.beforeEnter(path, e.name);
    Level& parent = levels.back();
    // O_NOFOLLOW relative to the parent: a folder replaced by a link since it was listed is
    // refused, so the walk never leaves the tree.
    const int fd = ::openat(parent.fd, e.name.c_str(), platform::kWalkOpenFlags);
    if (fd < 0) {
      // Vanished or no longer a folder: skipped. A folder that may not be read keeps files
      // that can be neither counted nor removed: the summary names it.
      if (errno == EACCES && pass == Pass::Main) noteUnreadable(childPath(e.name));
      return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || mapped(st.st_dev, st.st_ino) != rootDevice ||
        st.st_dev != e.device || st.st_ino != e.inode || (rootMount != 0 && platform::mountIdOf(fd) != rootMount)) {
      // Something else stands there now, or something was mounted on it (a bind mount of
      // this file system too).
      ::close(fd);
      return;
    }
    if (pass == Pass::Main && action == TreeAction::Zip && deleteAfterZip) entered.insert({e.device, e.inode});
    Level child;
    child.fd = fd;
    child.device = st.st_dev;
    child.inode = st.st_ino;
    child.name = e.name;
    child.parentPathLength = path.size();
    path = childPath(e.name);
    levels.push_back(std::move(child));
    noteOpen();
    enforceBudget();
    readLevel(levels.back());
  }

  void leave() {
    const std::size_t index = levels.size() - 1;
    bool parentUsable = index > 0;
    if (index > 0 && levels[index - 1].fd < 0) {
      if (reopenParent(index)) {
        lowestClosable = index - 1;
      } else {
        levels[index - 1].lost = true;
        parentUsable = false;
      }
    }
    Level& level = levels[index];
    if (level.fd >= 0) {
      ::close(level.fd);
      level.fd = -1;
      --openCount;
    }
    if (parentUsable && removesFolders()) {
      const Level& parent = levels[index - 1];
      // Removed only when empty, and only if the name still stands for the folder walked; a
      // trash run removes it once the files queued before it have gone.
      if (!parent.lost && trash) {
        struct stat st {};
        st.st_dev = static_cast<dev_t>(level.device);
        st.st_ino = static_cast<ino_t>(level.inode);
        trash->removeFolderAfter(parent.fd, level.name, st);
      } else if (!parent.lost && sameObject(parent.fd, level.name, level.device, level.inode)) {
        ::unlinkat(parent.fd, level.name.c_str(), AT_REMOVEDIR);
      }
    }
    path.resize(level.parentPathLength);
    levels.pop_back();
    if (lowestClosable > levels.size()) lowestClosable = levels.size();
    if (lowestClosable < 1) lowestClosable = 1;
  }

  void clearReadOnly(int dirfd, const Entry& e) {
    // Through a descriptor of the very object listed: chmod by name would follow a link put
    // in its place.
    const int fd = ::openat(dirfd, e.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_dev == e.device && st.st_ino == e.inode && !S_ISLNK(st.st_mode))
      ::chmod(("/proc/self/fd/" + std::to_string(fd)).c_str(), (st.st_mode & 07777) | S_IWUSR);
    ::close(fd);
  }

  void settle() {
    if (!zip) return;
    for (ZipResult& r : zip->takeSettled()) {
      if (r.stored) {
        ++result.files;
        result.bytes += static_cast<std::int64_t>(r.size);
        // Deleted later only while it is still the very file that was read, unchanged.
        if (deleteAfterZip)
          stored.insert_or_assign(r.path, Identity{r.identity.device, r.identity.inode,
                                                   static_cast<std::int64_t>(r.size), r.mtimeSec, r.mtimeNsec});
      } else {
        ++result.notZipped;
        fileError(zipErrorsShown, zipErrorsHidden, couldNotZipBecause(r.path, r.reason));
      }
    }
  }

  void settleTrash() {
    if (!trash) return;
    for (const platform::TrashBatch::Outcome& o : trash->flush()) {
      if (o.error == 0) {
        ++result.files;
        result.bytes += static_cast<std::int64_t>(trashSizes[o.tag]);
      } else {
        ++result.notRemoved;
      }
    }
    trashSizes.clear();
  }

  void handleFile(Level& level, const Entry& e) {
    const bool removing = action != TreeAction::Zip || deleteAfterZip;
    const std::string full = childPath(e.name);
    if (removing) {
      for (std::uint32_t bit : {platform::kAttrReadOnly, platform::kAttrHidden, platform::kAttrSystem}) {
        if (!(e.attr & bit)) continue;
        const QString question = attributeQuestion(full, bit);
        const Answer answer = owner.ask ? owner.ask(question) : confirm(question, Buttons::YesNoCancel, Answer::Yes);
        if (answer != Answer::Yes) {
          abort = true;  // the file stays and the run ends
          return;
        }
        if (bit == platform::kAttrReadOnly) clearReadOnly(level.fd, e);
      }
    }
    if (owner.beforeFile) owner.beforeFile(full);
    ++result.handled;
    switch (action) {
      case TreeAction::Delete:
        if (::unlinkat(level.fd, e.name.c_str(), 0) == 0) {
          ++result.files;
          result.bytes += static_cast<std::int64_t>(e.size);
        } else {
          ++result.notRemoved;
        }
        break;
      case TreeAction::Recycle: {
        struct stat st {};
        if (::fstatat(level.fd, e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            static_cast<std::uint64_t>(st.st_dev) != e.device || static_cast<std::uint64_t>(st.st_ino) != e.inode ||
            !trash->add(level.fd, e.name, originalPath(e.name), st, trashSizes.size()).isEmpty()) {
          ++result.notRemoved;
          break;
        }
        trashSizes.push_back(e.size);
        if (trash->full()) settleTrash();
        break;
      }
      case TreeAction::Zip:
        // Read through the folder that listed it, and only if it is the file listed.
        zip->addFromFolder(archivePath, full, level.fd, e.name, {e.device, e.inode});
        settle();
        break;
    }
    if (owner.fileHandled) owner.fileHandled(result.handled, full);
    pumpEvents();
  }

  void pruneFile(Level& level, const Entry& e) {
    const std::string full = childPath(e.name);
    auto it = stored.find(full);
    if (it == stored.end()) return;  // not stored: it stays
    const Identity want = it->second;
    stored.erase(it);
    struct stat st {};
    const bool removed = ::fstatat(level.fd, e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
                         Identity::of(st) == want && ::unlinkat(level.fd, e.name.c_str(), 0) == 0;
    if (!removed) {
      ++result.zippedNotDeleted;
      fileError(deleteErrorsShown, deleteErrorsHidden,
                QStringLiteral("Couldn't delete file - ") + platform::toDisplay(full));
    }
    pumpEvents();
  }

  // Walks the tree below the folder open as `rootFd` (taken over) in one pass.
  void walk(Pass which, int rootFd, const std::string& folder, const struct stat& rootStat) {
    pass = which;
    levels.clear();
    Level root;
    root.fd = rootFd;
    root.device = rootStat.st_dev;
    root.inode = rootStat.st_ino;
    levels.push_back(std::move(root));
    openCount = 0;
    noteOpen();
    lowestClosable = 1;
    path = folder;
    readLevel(levels.back());

    while (!levels.empty()) {
      Level& top = levels.back();
      if (stopped() || top.lost || top.next >= top.entries.size()) {
        if (stopped()) result.aborted = true;
        leave();
        continue;
      }
      const Entry e = std::move(top.entries[top.next++]);
      if (pass == Pass::Main) {
        pumpEvents();
        if (stopped()) continue;
      }
      if (e.attr & platform::kAttrDirectory) {
        // A folder on another file system is neither entered nor removed.
        if (!(e.attr & platform::kAttrSystem)) descend(e);
        continue;
      }
      if (pass == Pass::Main)
        handleFile(top, e);
      else
        pruneFile(top, e);
      if (levels.back().next >= levels.back().entries.size()) std::vector<Entry>().swap(levels.back().entries);
    }
  }

  TreeRunResult run(const std::string& folderIn) {
    result = {};
    stored.clear();
    entered.clear();
    zipErrorsShown = deleteErrorsShown = 0;
    zipErrorsHidden = deleteErrorsHidden = 0;
    peak = 0;

    std::string folder = folderIn;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty() || folder == "/") return result;
    const int rootFd = ::open(folder.c_str(), platform::kWalkOpenFlags);
    if (rootFd < 0) return result;
    struct stat rootStat {};
    if (::fstat(rootFd, &rootStat) != 0) {
      ::close(rootFd);
      return result;
    }
    realRootDevice = rootStat.st_dev;
    folderShown = folder;
    folderReal = folder;
    if (action == TreeAction::Recycle) {
      // The trash records where each file was, without the links above the tree.
      char* real = ::realpath(("/proc/self/fd/" + std::to_string(rootFd)).c_str(), nullptr);
      if (real) {
        folderReal = real;
        std::free(real);
      }
    }
    rootDevice = mapped(rootStat.st_dev, rootStat.st_ino);
    rootMount = platform::mountIdOf(rootFd);

    // The parent, to remove the folder itself by name once it is empty.
    const std::string name = platform::nameOf(folder);
    int parentFd = -1;
    if (name != "." && name != "..") {
      const std::string parentPath = platform::folderOf(folder);
      parentFd = ::open(parentPath.empty() ? "." : parentPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (parentFd >= 0 && !sameObject(parentFd, name, rootStat.st_dev, rootStat.st_ino)) {
        ::close(parentFd);
        parentFd = -1;
      }
    }
    auto removeFolder = [&] {
      if (parentFd >= 0 && sameObject(parentFd, name, rootStat.st_dev, rootStat.st_ino) &&
          ::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0)
        result.folderRemoved = true;
    };

    result.opened = true;
    abort = false;
    if (action != TreeAction::Zip) {
      removeFolder();  // an empty folder goes at once, nothing counted
      if (result.folderRemoved) {
        result.removedAtOnce = true;
        ::close(rootFd);
        if (parentFd >= 0) ::close(parentFd);
        return result;
      }
    }

    if (action == TreeAction::Zip) {
      zip = std::make_unique<ZipWriter>(comment);
      zip->progress = [this](int percent) {
        if (owner.zipProgress) owner.zipProgress(percent);
        pumpEvents();
        return abort;
      };
    }

    if (action == TreeAction::Recycle) trash = std::make_unique<platform::TrashBatch>(1024, 256);
    const int walkFd = ::fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
    if (walkFd >= 0) walk(Pass::Main, walkFd, folder, rootStat);
    settleTrash();
    trash.reset();

    if (zip) {
      zip->flush();
      settle();
      zip.reset();
      if (deleteAfterZip) {
        const int pruneFd = ::fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
        if (pruneFd >= 0) walk(Pass::Prune, pruneFd, folder, rootStat);
        // Stored files the second pass did not meet (their folder moved away meanwhile).
        std::vector<std::string> missed;
        for (const auto& [p, id] : stored) missed.push_back(p);
        std::sort(missed.begin(), missed.end());
        for (const std::string& p : missed) {
          ++result.zippedNotDeleted;
          fileError(deleteErrorsShown, deleteErrorsHidden,
                    QStringLiteral("Couldn't delete file - ") + platform::toDisplay(p));
        }
        stored.clear();
      }
    }
    pass = Pass::Main;

    if (action != TreeAction::Zip || deleteAfterZip) removeFolder();
    ::close(rootFd);
    if (parentFd >= 0) ::close(parentFd);

    if (zipErrorsHidden > 0)
      report(QStringLiteral("Couldn't zip up %1 more files").arg(formatThousands(zipErrorsHidden)));
    if (deleteErrorsHidden > 0)
      report(QStringLiteral("Couldn't delete %1 more files").arg(formatThousands(deleteErrorsHidden)));
    return result;
  }
};

TreeDeleter::TreeDeleter(TreeAction action, bool& abortRequested)
    : d_(std::make_unique<Impl>(*this, action, abortRequested)) {}

TreeDeleter::~TreeDeleter() = default;

void TreeDeleter::setArchive(std::string archivePath, QString comment, bool deleteAfterZip) {
  d_->archivePath = std::move(archivePath);
  d_->comment = std::move(comment);
  d_->deleteAfterZip = deleteAfterZip;
}

void TreeDeleter::setDeviceMapForTesting(std::function<std::uint64_t(std::uint64_t, std::uint64_t)> map) {
  d_->deviceMap = std::move(map);
}

void TreeDeleter::setDescriptorBudget(std::size_t budget) { d_->budget = std::max<std::size_t>(budget, 2); }

std::size_t TreeDeleter::peakDescriptors() const { return d_->peak; }

TreeRunResult TreeDeleter::run(const std::string& folder) { return d_->run(folder); }

}  // namespace roomvale
