// The shared walk on real trees in temporary folders.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "common/testing.h"
#include "platform/mountid.h"
#include "platform/volumes.h"
#include "scan/walk.h"

namespace roomvale {
namespace {

using testing::ScriptedPrompts;
using testing::TempTree;

// Records what the walk hands over, as "folder/name" paths (native bytes).
struct Recorder : WalkVisitor {
  std::vector<std::string> files;  // full paths, in the order handed over
  std::vector<std::uint32_t> attrs;
  std::vector<std::string> events;
  std::vector<std::string> statuses;
  std::function<void(const std::string&)> onEntry;
  bool* flag = nullptr;
  bool entryAfterStop = false;

  void folderEnter(const std::string& folder, int depth) override {
    events.push_back("enter " + folder + " " + std::to_string(depth));
  }
  void filesBegin(const std::string& folder, int) override { events.push_back("files " + folder); }
  void filesEnd(const std::string& folder, int) override { events.push_back("filesEnd " + folder); }
  void folderLeave(const std::string& folder, int depth) override {
    events.push_back("leave " + folder + " " + std::to_string(depth));
  }
  void entry(const std::string& folder, const platform::DirEntry& e) override {
    if (flag && *flag) entryAfterStop = true;
    const std::string full = folder == "/" ? "/" + e.name : folder + "/" + e.name;
    files.push_back(full);
    attrs.push_back(e.attr);
    if (onEntry) onEntry(full);
  }
  void showStatus(const std::string& text) override { statuses.push_back(text); }
  void aboutToPump() override { ++pumps; }
  int pumps = 0;

  bool has(const std::string& path) const { return std::find(files.begin(), files.end(), path) != files.end(); }
  std::size_t index(const std::string& path) const {
    return std::size_t(std::find(files.begin(), files.end(), path) - files.begin());
  }
  std::size_t count(const std::string& event) const { return std::count(events.begin(), events.end(), event); }
};

ScanTarget targetOf(const std::string& path) { return {path + "/", QString::fromStdString(path + "/"), true}; }

std::vector<std::string> walk(const std::string& root, WalkVariant variant, Recorder& rec) {
  bool aborted = false;
  rec.flag = &aborted;
  Walker walker(std::move(variant), rec, aborted);
  walker.setPumping(false);
  walker.scanAllDrives({targetOf(root)});
  return rec.files;
}

TEST(Walk, SubFolderFilesComeBeforeTheFolderOwnFilesDepthFirst) {
  TempTree t;
  t.file("top.tmp");
  t.file("a/mid.tmp");
  t.file("a/b/deep.tmp");
  t.file("c/other.tmp");
  Recorder rec;
  walk(t.path(), WalkVariant::quickClean(), rec);
  ASSERT_EQ(rec.files.size(), 4u);
  EXPECT_LT(rec.index(t / "a/b/deep.tmp"), rec.index(t / "a/mid.tmp"));
  EXPECT_EQ(rec.files.back(), t / "top.tmp");
  // A folder's events come in order: entered, sub-folders, its own files, left.
  const auto pos = [&](const std::string& e) { return std::find(rec.events.begin(), rec.events.end(), e); };
  EXPECT_LT(pos("enter " + t / "a 1"), pos("enter " + t / "a/b 2"));
  EXPECT_LT(pos("leave " + t / "a/b 2"), pos("files " + t / "a"));
  EXPECT_LT(pos("filesEnd " + t / "a"), pos("leave " + t / "a 1"));
  EXPECT_EQ(rec.events.back(), "leave " + t.path() + " 0");
}

TEST(Walk, EachVariantListsHiddenAndSystemEntriesAsItsRequestSays) {
  TempTree t;
  t.file("plain.txt", "abc");
  t.file(".hidden.txt");
  t.file(".hiddendir/inside.txt");
  t.file("sub/file.txt");
  ASSERT_EQ(::mkfifo((t / "pipe").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("plain.txt", (t / "link.txt").c_str()), 0);

  Recorder quick;
  walk(t.path(), WalkVariant::quickClean(), quick);
  EXPECT_TRUE(quick.has(t / ".hidden.txt"));
  EXPECT_TRUE(quick.has(t / "plain.txt"));
  EXPECT_FALSE(quick.has(t / "pipe"));
  EXPECT_FALSE(quick.has(t / "link.txt"));
  EXPECT_FALSE(quick.has(t / "sub"));
  EXPECT_EQ(quick.files.size(), 3u);

  for (WalkVariant v : {WalkVariant::duplicates("*.*"), WalkVariant::filesByDate("*.*")}) {
    Recorder rec;
    walk(t.path(), v, rec);
    EXPECT_EQ(rec.files, (std::vector<std::string>{t / "sub/file.txt", t / "plain.txt"}));
  }

  for (WalkVariant v : {WalkVariant::folderHogs(), WalkVariant::statistics()}) {
    Recorder rec;
    walk(t.path(), v, rec);
    EXPECT_TRUE(rec.has(t / ".hidden.txt"));
    EXPECT_TRUE(rec.has(t / "pipe"));
    EXPECT_TRUE(rec.has(t / "link.txt"));
    // Folders come in the file listing too, hidden ones included; none is entered.
    EXPECT_TRUE(rec.has(t / "sub"));
    EXPECT_TRUE(rec.has(t / ".hiddendir"));
    const auto link = rec.index(t / "link.txt");
    EXPECT_TRUE(rec.attrs[link] & platform::kAttrSystem);
    EXPECT_FALSE(rec.has(t / ".hiddendir/inside.txt"));
  }
}

TEST(Walk, PatternChoosesTheFilesButNeverTheFolders) {
  TempTree t;
  t.file("a.log");
  t.file("b.txt");
  t.file("x.log.d/c.log");  // a folder whose name matches is still entered
  t.file("y/d.txt");
  Recorder rec;
  walk(t.path(), WalkVariant::duplicates("*.log"), rec);
  EXPECT_EQ(rec.files, (std::vector<std::string>{t / "x.log.d/c.log", t / "a.log"}));
}

TEST(Walk, SymbolicLinksAreNeverFollowed) {
  TempTree outside;
  outside.file("secret.tmp");
  TempTree t;
  t.file("real/own.tmp");
  ASSERT_EQ(::symlink(outside.path().c_str(), (t / "toOutside").c_str()), 0);
  ASSERT_EQ(::symlink("..", (t / "real/loop").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", (t / "dangling.tmp").c_str()), 0);
  ASSERT_EQ(::symlink((outside / "secret.tmp").c_str(), (t / "tofile.tmp").c_str()), 0);

  Recorder quick;
  walk(t.path(), WalkVariant::quickClean(), quick);
  EXPECT_EQ(quick.files, std::vector<std::string>{t / "real/own.tmp"});

  Recorder stats;
  walk(t.path(), WalkVariant::statistics(), stats);
  for (const auto& f : stats.files) EXPECT_EQ(f.find(outside.path()), std::string::npos) << f;
  EXPECT_TRUE(stats.has(t / "real/loop"));
  EXPECT_TRUE(stats.has(t / "dangling.tmp"));
  EXPECT_TRUE(stats.has(t / "toOutside"));
  EXPECT_EQ(stats.count("enter " + t / "toOutside 1"), 0u);
  EXPECT_EQ(stats.count("enter " + t / "real/loop 2"), 0u);
  // own.tmp and the five entries of the two folders: real, loop, dangling, toOutside, tofile.
  EXPECT_EQ(stats.files.size(), 6u);
}

TEST(Walk, AFolderOnAnotherFileSystemIsNotEntered) {
  TempTree t;
  t.file("stays/a.tmp");
  t.file("mounted/b.tmp");
  struct stat mounted {};
  ASSERT_EQ(::stat((t / "mounted").c_str(), &mounted), 0);
  Recorder rec;
  bool aborted = false;
  Walker walker(WalkVariant::statistics(), rec, aborted);
  walker.setPumping(false);
  walker.setDeviceHook([&](std::uint64_t dev, std::uint64_t ino) { return ino == mounted.st_ino ? dev + 1 : dev; });
  walker.scanAllDrives({targetOf(t.path())});
  EXPECT_TRUE(rec.has(t / "stays/a.tmp"));
  EXPECT_FALSE(rec.has(t / "mounted/b.tmp"));
  ASSERT_TRUE(rec.has(t / "mounted"));
  EXPECT_TRUE(rec.attrs[rec.index(t / "mounted")] & platform::kAttrSystem);
}

TEST(Walk, ARealMountPointInsideTheTargetIsNotEntered) {
  // /dev/shm is usually its own tmpfs inside /dev.
  struct stat dev {
  }, shm{};
  if (::stat("/dev", &dev) != 0 || ::stat("/dev/shm", &shm) != 0 || dev.st_dev == shm.st_dev ||
      ::access("/dev/shm", W_OK) != 0)
    GTEST_SKIP() << "/dev/shm is not a separate writable file system here";
  const std::string marker = "/dev/shm/roomvale-walk-" + std::to_string(::getpid());
  ASSERT_EQ(::mkdir(marker.c_str(), 0700), 0);
  const int fd = ::open((marker + "/x.tmp").c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ::close(fd);
  Recorder rec;
  walk("/dev", WalkVariant::statistics(), rec);
  ::unlink((marker + "/x.tmp").c_str());
  ::rmdir(marker.c_str());
  EXPECT_TRUE(rec.has("/dev/shm"));
  EXPECT_TRUE(rec.attrs[rec.index("/dev/shm")] & platform::kAttrSystem);
  for (const auto& f : rec.files) EXPECT_NE(f.rfind("/dev/shm/", 0), 0u) << f;
}

// Two sub-folders "p" and "q" of one file each; when the first file is handed over (its folder
// is done, the other one listed but not yet opened), `change` gets the other folder's path.
std::vector<std::string> walkChangingTheSecondFolder(const TempTree& t,
                                                     const std::function<void(const std::string&)>& change) {
  t.file("p/p.tmp");
  t.file("q/q.tmp");
  Recorder rec;
  bool changed = false;
  rec.onEntry = [&](const std::string& path) {
    if (changed) return;
    changed = true;
    change(path.rfind(t / "p/", 0) == 0 ? t / "q" : t / "p");
  };
  walk(t.path(), WalkVariant::statistics(), rec);
  EXPECT_TRUE(changed);
  return rec.files;
}

TEST(Walk, AListedFolderSwappedForALinkBeforeItIsOpenedLeadsNowhere) {
  TempTree outside;
  outside.file("secret.tmp");
  TempTree t;
  const auto files = walkChangingTheSecondFolder(t, [&](const std::string& folder) {
    ASSERT_EQ(::rename(folder.c_str(), (folder + ".moved").c_str()), 0);
    ASSERT_EQ(::symlink(outside.path().c_str(), folder.c_str()), 0);
  });
  for (const auto& f : files) EXPECT_EQ(f.find("secret"), std::string::npos) << f;
  EXPECT_EQ(files.size(), 3u);  // the first folder's file, then p and q of the target
}

// Bind mounts of the same file system have its device number: only the mount tells them
// apart. Both ways of knowing the mount are tried: statx's mount id and the mount table.
TEST(Walk, NoFileOfAMountInsideTheTargetIsListedNotEvenOfABindMount) {
  ROOMVALE_IN_PRIVATE_MOUNT_NAMESPACE();
  for (const bool statx : {true, false}) {
    SCOPED_TRACE(statx ? "statx" : "mount table");
    platform::setStatxMountIdsForTesting(statx);
    TempTree outside;
    outside.file("secret.tmp");
    TempTree t;
    t.file("own/own.tmp");
    t.dir("mnt");
    testing::BindMount mounted(outside.path(), t / "mnt");
    ASSERT_TRUE(mounted.ok());
    Recorder rec;
    walk(t.path(), WalkVariant::statistics(), rec);
    EXPECT_TRUE(rec.has(t / "own/own.tmp"));
    EXPECT_FALSE(rec.has(t / "mnt/secret.tmp"));
    EXPECT_EQ(rec.count("enter " + t / "mnt 1"), 0u);
    if (statx) {
      ASSERT_TRUE(rec.has(t / "mnt"));
      EXPECT_TRUE(rec.attrs[rec.index(t / "mnt")] & platform::kAttrSystem);
    }

    // Mounted after the folder was listed, before it is opened.
    std::vector<std::unique_ptr<testing::BindMount>> late;
    TempTree raced;
    const auto files = walkChangingTheSecondFolder(raced, [&](const std::string& folder) {
      late.push_back(std::make_unique<testing::BindMount>(outside.path(), folder));
      ASSERT_TRUE(late.back()->ok());
    });
    for (const auto& f : files) EXPECT_EQ(f.find("secret"), std::string::npos) << f;
    late.clear();
  }
  platform::setStatxMountIdsForTesting(true);
}

TEST(Walk, NamesThatAreNotUtf8KeepTheirBytes) {
  TempTree t;
  const std::string badDir = std::string("d\xff\xfe");
  const std::string badFile = std::string("f\xe9.tmp");
  t.file(badDir + "/" + badFile);
  t.file(badFile);
  Recorder rec;
  walk(t.path(), WalkVariant::quickClean(), rec);
  EXPECT_EQ(rec.files, (std::vector<std::string>{t / (badDir + "/" + badFile), t / badFile}));
}

void removeChain(const std::string& root, int depth);

// A fresh folder on a RAM file system when there is one (ten thousand folders are made and
// removed far faster there than on a disk that discards every freed block), else in TMPDIR.
struct FastTempFolder {
  std::string path;
  FastTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp && *tmp ? tmp : "/tmp");
    std::string templ = base + "/roomvale-deep-XXXXXX";
    if (::mkdtemp(templ.data())) path = templ;
  }
  ~FastTempFolder() {
    if (path.empty()) return;
    if (chainDepth > 0) removeChain(path, chainDepth);
    ::rmdir(path.c_str());
  }
  int chainDepth = 0;
  std::string operator/(const std::string& rel) const { return path + "/" + rel; }
};

// Builds a chain of `depth` nested folders below `root` without ever naming a long path.
void makeChain(const std::string& root, int depth) {
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int i = 0; i < depth; ++i) {
    ASSERT_EQ(::mkdirat(fd, "d", 0755), 0);
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    ASSERT_GE(next, 0);
    fd = next;
  }
  const int f = ::openat(fd, "bottom.tmp", O_CREAT | O_WRONLY, 0600);
  ::close(f);
  ::close(fd);
}

// Removes the chain again from the bottom up (TempTree's own removal works on path names,
// which this depth is far too long for).
void removeChain(const std::string& root, int depth) {
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  int levels = 0;
  for (; levels < depth && fd >= 0; ++levels) {
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    if (next < 0) break;
    ::close(fd);
    fd = next;
  }
  if (fd < 0) return;
  ::unlinkat(fd, "bottom.tmp", 0);
  for (int i = 0; i < levels; ++i) {
    const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = parent;
    if (fd < 0) return;
    ::unlinkat(fd, "d", AT_REMOVEDIR);
  }
  ::close(fd);
}

TEST(Walk, AVeryDeepTreeNeedsNeitherStackNorManyDescriptors) {
  constexpr int kDepth = 10000;
  FastTempFolder t;
  ASSERT_FALSE(t.path.empty());
  t.chainDepth = kDepth;
  makeChain(t.path, kDepth);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
  rlimit low = old;
  low.rlim_cur = std::min<rlim_t>(old.rlim_cur, 128);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);

  struct Counter : WalkVisitor {
    std::size_t files = 0, maxDepth = 0;
    std::string bottom;
    void folderEnter(const std::string&, int depth) override { maxDepth = std::max<std::size_t>(maxDepth, depth); }
    void entry(const std::string& folder, const platform::DirEntry& e) override {
      ++files;
      bottom = folder + "/" + e.name;
    }
  } counter;
  bool aborted = false;
  Walker walker(WalkVariant::quickClean(), counter, aborted);
  walker.setPumping(false);
  walker.scanAllDrives({targetOf(t.path)});
  ::setrlimit(RLIMIT_NOFILE, &old);

  EXPECT_EQ(counter.maxDepth, std::size_t(kDepth));
  EXPECT_EQ(walker.foldersEntered(), std::uint64_t(kDepth + 1));
  EXPECT_EQ(counter.files, 1u);
  EXPECT_EQ(counter.bottom.size(), t.path.size() + 2 * kDepth + std::string("/bottom.tmp").size());
  EXPECT_EQ(walker.branchesLost(), 0u);
}

TEST(Walk, ClimbsBackThroughReopenedFoldersWithATinyDescriptorBudget) {
  TempTree t;
  for (const char* f : {"a/b/c/d/1.tmp", "a/b/c/2.tmp", "a/b/e/3.tmp", "a/f/4.tmp", "a/5.tmp", "g/6.tmp"}) t.file(f);
  Recorder rec;
  bool aborted = false;
  Walker walker(WalkVariant::quickClean(), rec, aborted);
  walker.setPumping(false);
  walker.setDescriptorBudget(2);
  walker.scanAllDrives({targetOf(t.path())});
  EXPECT_EQ(rec.files.size(), 6u);
  EXPECT_EQ(walker.branchesLost(), 0u);
}

TEST(Walk, AFolderMovedAwayDuringTheWalkDoesNotLoseItsFormerParent) {
  TempTree t;
  t.file("a/b/moved/x.tmp");
  t.file("a/b/later/y.tmp");
  t.dir("elsewhere");
  Recorder rec;
  bool aborted = false;
  Walker walker(WalkVariant::quickClean(), rec, aborted);
  walker.setPumping(false);
  walker.setDescriptorBudget(2);
  // Both sub-folders of b exist when b is read; the first one moves away while it is walked.
  std::string first;
  rec.onEntry = [&](const std::string& path) {
    if (!first.empty()) return;
    first = path;
    const std::string folder = path.substr(0, path.rfind('/'));
    ASSERT_EQ(::rename(folder.c_str(), (t / "elsewhere/gone").c_str()), 0);
  };
  walker.scanAllDrives({targetOf(t.path())});
  EXPECT_EQ(rec.files.size(), 2u);
  EXPECT_EQ(walker.branchesLost(), 0u);
}

TEST(Walk, AFolderReplacedDuringTheWalkStopsThatBranchSafely) {
  TempTree t;
  t.file("a/b/c/x.tmp");
  t.dir("a/b/later");
  t.file("a/z.tmp");
  Recorder rec;
  bool aborted = false;
  Walker walker(WalkVariant::quickClean(), rec, aborted);
  walker.setPumping(false);
  walker.setDescriptorBudget(2);
  rec.onEntry = [&](const std::string& path) {
    if (path != t / "a/b/c/x.tmp") return;
    // b moves away, c leaves it, and a new b takes its place: neither way back up reaches
    // the folder that was read.
    ASSERT_EQ(::rename((t / "a/b").c_str(), (t / "oldb").c_str()), 0);
    ASSERT_EQ(::rename((t / "oldb/c").c_str(), (t / "movedc").c_str()), 0);
    t.file("a/b/later/planted.tmp");
    t.file("a/b/c/planted.tmp");
    t.file("a/b/planted.tmp");
  };
  walker.scanAllDrives({targetOf(t.path())});
  EXPECT_EQ(walker.branchesLost(), 1u);
  EXPECT_EQ(rec.files, (std::vector<std::string>{t / "a/b/c/x.tmp", t / "a/z.tmp"}));
}

TEST(Walk, ManyFilesInOneFolderAreListedAfterItsSubFoldersByASecondRead) {
  TempTree t;
  for (int i = 0; i < 50; ++i) t.file("f" + std::to_string(i) + ".tmp");
  t.file("sub/inner.tmp");
  Recorder rec;
  bool aborted = false;
  Walker walker(WalkVariant::quickClean(), rec, aborted);
  walker.setPumping(false);
  walker.setHeldFilesLimit(10);
  walker.scanAllDrives({targetOf(t.path())});
  ASSERT_EQ(rec.files.size(), 51u);
  EXPECT_EQ(rec.files.front(), t / "sub/inner.tmp");
  std::set<std::string> unique(rec.files.begin(), rec.files.end());
  EXPECT_EQ(unique.size(), 51u);
}

TEST(Walk, StopFromTheFinderEndsTheWalkBeforeTheNextEntryAndUnwinds) {
  TempTree t;
  for (int i = 0; i < 10; ++i) t.file("a/f" + std::to_string(i) + ".tmp");
  for (int i = 0; i < 10; ++i) t.file("b/g" + std::to_string(i) + ".tmp");
  Recorder rec;
  bool aborted = false;
  rec.flag = &aborted;
  rec.onEntry = [&](const std::string&) {
    if (rec.files.size() == 3) aborted = true;
  };
  Walker walker(WalkVariant::quickClean(), rec, aborted);
  walker.setPumping(false);
  walker.scanAllDrives({targetOf(t.path()), targetOf(t / "a")});
  EXPECT_EQ(rec.files.size(), 3u);
  EXPECT_FALSE(rec.entryAfterStop);
  // Every folder entered is left and the interrupted listing is closed.
  EXPECT_EQ(std::count_if(rec.events.begin(), rec.events.end(), [](auto& e) { return e.rfind("enter", 0) == 0; }),
            std::count_if(rec.events.begin(), rec.events.end(), [](auto& e) { return e.rfind("leave", 0) == 0; }));
  EXPECT_EQ(std::count_if(rec.events.begin(), rec.events.end(), [](auto& e) { return e.rfind("files ", 0) == 0; }),
            std::count_if(rec.events.begin(), rec.events.end(), [](auto& e) { return e.rfind("filesEnd", 0) == 0; }));
}

TEST(Walk, AbortPressedWhileEventsArePumpedStopsAtThatPumpPoint) {
  TempTree t;
  for (int i = 0; i < 30; ++i) t.file("f" + std::to_string(i) + ".tmp");
  t.file("sub/s.tmp");
  Recorder rec;
  bool aborted = false;
  rec.flag = &aborted;
  // The "Abort button" is pressed by an event that only a pump can deliver.
  rec.onEntry = [&](const std::string&) {
    if (rec.files.size() == 5) QTimer::singleShot(0, [&] { aborted = true; });
  };
  Walker walker(WalkVariant::quickClean(), rec, aborted);
  walker.setPumpInterval(0);
  walker.scanAllDrives({targetOf(t.path())});
  EXPECT_TRUE(aborted);
  EXPECT_FALSE(rec.entryAfterStop);
  EXPECT_EQ(rec.files.size(), 5u);  // the entry handed before the pump stays; nothing after it
}

TEST(Walk, TargetsAreWalkedInOrderAndIndependently) {
  TempTree t;
  t.file("x.tmp");
  t.file("inner/y.tmp");
  Recorder rec;
  bool aborted = false;
  Walker walker(WalkVariant::quickClean(), rec, aborted);
  walker.setPumping(false);
  walker.scanAllDrives({targetOf(t.path()), targetOf(t / "inner")});
  EXPECT_EQ(rec.files, (std::vector<std::string>{t / "inner/y.tmp", t / "x.tmp", t / "inner/y.tmp"}));
}

TEST(Walk, ATargetThatCannotBeOpenedIsReportedOnceAndTheNextOneWalked) {
  TempTree t;
  t.file("ok/a.tmp");
  ScriptedPrompts prompts;
  Recorder rec;
  bool aborted = false;
  Walker walker(WalkVariant::quickClean(), rec, aborted);
  walker.setPumping(false);
  const ScanTarget removed{t / "removed/", QString::fromStdString(t / "removed/"), true};
  walker.scanAllDrives({removed, targetOf(t / "ok")});
  ASSERT_EQ(prompts.records.size(), 1u);
  EXPECT_EQ(prompts.records[0].kind, MessageKind::Error);
  EXPECT_EQ(prompts.records[0].text, "Can't open drive " + QString::fromStdString(t / "removed/"));
  EXPECT_EQ(rec.files, std::vector<std::string>{t / "ok/a.tmp"});
}

TEST(Walk, ATargetThatIsNotReadyIsSkippedSilently) {
  TempTree t;
  t.file("a.tmp");
  ScriptedPrompts prompts;
  platform::setSpaceProbeForTesting([](const std::string&) { return std::optional<platform::DiskSpace>(); });
  Recorder rec;
  bool aborted = false;
  Walker walker(WalkVariant::quickClean(), rec, aborted);
  walker.setPumping(false);
  walker.scanAllDrives({targetOf(t.path())});
  platform::setSpaceProbeForTesting({});
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_TRUE(rec.files.empty());
}

TEST(Walk, FolderHogFilesNeedAnOrdinaryEntryInTheFolder) {
  TempTree t;
  t.file("onlyhidden/.a");
  t.file("mixed/.b");
  t.file("mixed/c");
  Recorder rec;
  walk(t.path(), WalkVariant::folderHogs(), rec);
  EXPECT_FALSE(rec.has(t / "onlyhidden/.a"));
  EXPECT_EQ(rec.count("files " + t / "onlyhidden"), 0u);
  EXPECT_TRUE(rec.has(t / "mixed/.b"));
  EXPECT_TRUE(rec.has(t / "mixed/c"));

  // The main-folders walk and the statistics list them.
  for (WalkVariant v : {WalkVariant::folderHogs(false), WalkVariant::statistics()}) {
    Recorder rec2;
    walk(t.path(), v, rec2);
    EXPECT_TRUE(rec2.has(t / "onlyhidden/.a"));
  }
}

TEST(Walk, StatusLineFollowsTheVariant) {
  TempTree t;
  t.file("a/x.tmp");
  t.file("a/y.tmp");
  auto statusesOf = [&](WalkVariant v, bool pumping) {
    Recorder rec;
    bool aborted = false;
    Walker walker(std::move(v), rec, aborted);
    walker.setPumpInterval(0);
    walker.setPumping(pumping);
    walker.scanAllDrives({targetOf(t.path())});
    return rec.statuses;
  };
  const auto quick = statusesOf(WalkVariant::quickClean(), true);
  ASSERT_FALSE(quick.empty());
  EXPECT_NE(std::find(quick.begin(), quick.end(), t / "a"), quick.end());
  for (const auto& s : quick) EXPECT_FALSE(s.empty());

  const auto byDate = statusesOf(WalkVariant::filesByDate("*.*"), true);
  ASSERT_FALSE(byDate.empty());
  EXPECT_NE(std::find(byDate.begin(), byDate.end(), t / "a"), byDate.end());
  EXPECT_EQ(byDate.back(), "");  // cleared after the last listing

  EXPECT_TRUE(statusesOf(WalkVariant::statistics(), true).empty());
  EXPECT_TRUE(statusesOf(WalkVariant::quickClean(), false).empty());
}

TEST(Walk, WithoutPumpingNoEventIsProcessed) {
  TempTree t;
  for (int i = 0; i < 5; ++i) t.file("a/f" + std::to_string(i));
  bool timerFired = false;
  QTimer::singleShot(0, [&] { timerFired = true; });
  Recorder quiet;
  bool aborted = false;
  {
    Walker walker(WalkVariant::statistics(), quiet, aborted);
    walker.setPumping(false);
    walker.scanAllDrives({targetOf(t.path())});
  }
  EXPECT_EQ(quiet.pumps, 0);
  EXPECT_FALSE(timerFired);
  Recorder live;
  Walker walker(WalkVariant::statistics(), live, aborted);
  walker.setPumpInterval(0);
  walker.scanAllDrives({targetOf(t.path())});
  EXPECT_GT(live.pumps, 0);
  EXPECT_TRUE(timerFired);
}

TEST(Walk, FolderHogStatusIsClearedWhenTheWalkStops) {
  TempTree t;
  for (int i = 0; i < 5; ++i) t.file("a/f" + std::to_string(i));
  Recorder rec;
  bool aborted = false;
  rec.onEntry = [&](const std::string&) { aborted = true; };
  Walker walker(WalkVariant::folderHogs(), rec, aborted);
  walker.setPumpInterval(0);
  walker.scanAllDrives({targetOf(t.path())});
  ASSERT_FALSE(rec.statuses.empty());
  EXPECT_EQ(rec.statuses.back(), "");
}

TEST(WorkingList, AFullListStopsTheWalkOnceWithTheLinesSoFarKept) {
  TempTree t;
  for (int i = 0; i < 10; ++i) t.file("f" + std::to_string(i));
  WorkingList list(3);
  int messages = 0;
  struct Collector : WalkVisitor {
    WorkingList* list;
    bool* aborted;
    int* messages;
    int seen = 0;
    void entry(const std::string&, const platform::DirEntry& e) override {
      ++seen;
      list->addOrStop(QString::fromStdString(e.name), *aborted, [this] { ++*messages; });
    }
  } collector;
  bool aborted = false;
  collector.list = &list;
  collector.aborted = &aborted;
  collector.messages = &messages;
  Walker walker(WalkVariant::duplicates("*.*"), collector, aborted);
  walker.setPumping(false);
  walker.scanAllDrives({targetOf(t.path())});
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(messages, 1);
  EXPECT_EQ(collector.seen, 4);  // the refused line ends the walk
  EXPECT_TRUE(aborted);
  EXPECT_TRUE(list.limitReached());
  list.clear();
  EXPECT_FALSE(list.limitReached());
  EXPECT_TRUE(list.add("x"));
}

}  // namespace
}  // namespace roomvale
