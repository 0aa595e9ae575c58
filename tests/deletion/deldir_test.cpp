// The folder tree walk on real trees: deleting, trashing and zipping, what it must never
// touch, questions, stopping, failures and very deep trees.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "common/testing.h"
#include "deletion/treedelete.h"
#include "platform/direnum.h"
#include "platform/mountid.h"
#include "platform/paths.h"

namespace roomvale::testing {
namespace {

const std::string kKilo(1000, 'k');

struct Walk {
  explicit Walk(TreeAction action) : deleter(action, abort) {
    deleter.ask = [this](const QString& q) {
      questions << q;
      if (answers.empty()) return Answer::Yes;
      const Answer a = answers.front();
      answers.pop_front();
      return a;
    };
    deleter.error = [this](const QString& text) { errors << text; };
  }
  bool abort = false;
  TreeDeleter deleter;
  QStringList questions;
  std::deque<Answer> answers;
  QStringList errors;
};

// Three files of 1,000 bytes in two sub-folders.
std::string threeFileTree(const TempTree& t, const std::string& name = "victim") {
  t.file(name + "/one/a.txt", kKilo);
  t.file(name + "/one/b.txt", kKilo);
  t.file(name + "/two/c.txt", kKilo);
  return t / name;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

bool unzipTestPasses(const std::string& archive) {
  QProcess unzip;
  unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), QString::fromStdString(archive)});
  return unzip.waitForFinished(30000) && unzip.exitStatus() == QProcess::NormalExit && unzip.exitCode() == 0;
}

QStringList archiveEntries(const std::string& archive) {
  QProcess unzip;
  unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), QString::fromStdString(archive)});
  unzip.waitForFinished(30000);
  QStringList names = QString::fromUtf8(unzip.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  names.sort();
  return names;
}

TEST(TreeDelete, DeletesEveryFileAndFolderAndCountsWhatWent) {
  TempTree t;
  const std::string folder = threeFileTree(t);
  t.file("victim/caf\xe9.txt", "");  // a name that is not UTF-8
  t.dir("victim/two/empty");
  Walk w(TreeAction::Delete);
  std::vector<std::pair<std::int64_t, std::string>> handed;
  w.deleter.fileHandled = [&](std::int64_t n, const std::string& p) { handed.emplace_back(n, p); };
  const TreeRunResult r = w.deleter.run(folder + "/");
  EXPECT_TRUE(r.opened);
  EXPECT_FALSE(r.removedAtOnce);
  EXPECT_FALSE(r.aborted);
  EXPECT_EQ(r.files, 4);
  EXPECT_EQ(r.bytes, 3000);
  EXPECT_EQ(r.notRemoved, 0);
  EXPECT_TRUE(r.folderRemoved);
  EXPECT_FALSE(exists(folder));
  EXPECT_TRUE(exists(t.path()));
  EXPECT_TRUE(w.questions.isEmpty());
  ASSERT_EQ(handed.size(), 4u);
  EXPECT_EQ(handed.back().first, 4);
  std::vector<std::string> paths;
  for (const auto& h : handed) paths.push_back(h.second);
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths[0], folder + "/caf\xe9.txt");
  EXPECT_EQ(paths[1], folder + "/one/a.txt");
}

TEST(TreeDelete, EmptyFolderGoesAtOnceWithoutAWalk) {
  TempTree t;
  const std::string folder = t.dir("empty");
  for (TreeAction action : {TreeAction::Delete, TreeAction::Recycle}) {
    if (!exists(folder)) t.dir("empty");
    Walk w(action);
    w.deleter.beforeEnter = [](const std::string&, const std::string&) { ADD_FAILURE() << "walked"; };
    const TreeRunResult r = w.deleter.run(folder);
    EXPECT_TRUE(r.opened);
    EXPECT_TRUE(r.removedAtOnce);
    EXPECT_TRUE(r.folderRemoved);
    EXPECT_EQ(r.files, 0);
    EXPECT_FALSE(exists(folder));
  }
}

TEST(TreeDelete, AFolderThatCannotBeEnteredIsLeftAlone) {
  TempTree t;
  const std::string outside = threeFileTree(t, "outside");
  ASSERT_EQ(::symlink(outside.c_str(), (t / "link").c_str()), 0);
  const std::string file = t.file("plain.txt", "x");
  for (const std::string& folder : {t / "missing", t / "link", file, std::string("/")}) {
    Walk w(TreeAction::Delete);
    const TreeRunResult r = w.deleter.run(folder);
    EXPECT_FALSE(r.opened) << folder;
    EXPECT_EQ(r.files, 0);
  }
  EXPECT_TRUE(exists(t / "link"));
  EXPECT_EQ(filesIn(outside), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(readFile(file), "x");
}

TEST(TreeDelete, LinksAreRemovedAsLinksAndNeverFollowed) {
  TempTree t;
  const std::string outside = threeFileTree(t, "outside");
  const std::string folder = t.dir("victim/sub");
  t.file("victim/own.txt", kKilo);
  ASSERT_EQ(::symlink((outside + "/one").c_str(), (folder + "/to-folder").c_str()), 0);
  ASSERT_EQ(::symlink((outside + "/two/c.txt").c_str(), (folder + "/to-file").c_str()), 0);
  ASSERT_EQ(::symlink("../../outside", (t / "victim/relative").c_str()), 0);
  Walk w(TreeAction::Delete);
  const TreeRunResult r = w.deleter.run(t / "victim");
  EXPECT_EQ(r.files, 4);
  EXPECT_TRUE(r.folderRemoved);
  EXPECT_FALSE(exists(t / "victim"));
  // Links are system files: each one was asked about.
  EXPECT_EQ(w.questions.size(), 3);
  for (const QString& q : w.questions) EXPECT_TRUE(q.contains(" is a system file, ")) << q.toStdString();
  EXPECT_EQ(readFile(outside + "/one/a.txt"), kKilo);
  EXPECT_EQ(readFile(outside + "/one/b.txt"), kKilo);
  EXPECT_EQ(readFile(outside + "/two/c.txt"), kKilo);
}

TEST(TreeDelete, AFolderSwappedForALinkMidRunDoesNotLeadOutside) {
  TempTree t;
  const std::string outside = threeFileTree(t, "outside");
  t.file("victim/sub/inner.txt", kKilo);
  t.file("victim/top.txt", kKilo);
  Walk w(TreeAction::Delete);
  bool swapped = false;
  w.deleter.beforeEnter = [&](const std::string& folder, const std::string& name) {
    if (name != "sub") return;
    // Between listing and entering, the sub-folder becomes a link to a folder outside.
    std::filesystem::rename(folder + "/sub", t / "moved-away");
    ASSERT_EQ(::symlink((outside + "/one").c_str(), (folder + "/sub").c_str()), 0);
    swapped = true;
  };
  const TreeRunResult r = w.deleter.run(t / "victim");
  EXPECT_TRUE(swapped);
  EXPECT_EQ(r.files, 1);  // top.txt only
  EXPECT_FALSE(r.folderRemoved);
  EXPECT_EQ(filesIn(outside + "/one"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(readFile(t / "moved-away/inner.txt"), kKilo);
  struct stat st {};
  EXPECT_EQ(::lstat((t / "victim/sub").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(TreeDelete, AFolderOnAnotherFileSystemIsNeitherEnteredNorRemoved) {
  TempTree t;
  t.file("victim/mnt/data.txt", kKilo);
  t.file("victim/own.txt", kKilo);
  struct stat mnt {};
  ASSERT_EQ(::stat((t / "victim/mnt").c_str(), &mnt), 0);
  Walk w(TreeAction::Delete);
  w.deleter.setDeviceMapForTesting(
      [&](std::uint64_t dev, std::uint64_t ino) { return ino == mnt.st_ino && dev == mnt.st_dev ? dev + 1 : dev; });
  const TreeRunResult r = w.deleter.run(t / "victim");
  EXPECT_EQ(r.files, 1);
  EXPECT_FALSE(r.folderRemoved);
  EXPECT_EQ(readFile(t / "victim/mnt/data.txt"), kKilo);
  EXPECT_FALSE(exists(t / "victim/own.txt"));
}

// A folder bind-mounted inside the tree (same file system, same device number), and one
// mounted between listing and entering: neither is entered, whatever the action and however
// the mount is known (statx's mount id or the mount table).
TEST(TreeDelete, BindMountsInsideTheTreeAreNeverEntered) {
  ROOMVALE_IN_PRIVATE_MOUNT_NAMESPACE();
  for (const bool statx : {true, false}) {
    for (const TreeAction action : {TreeAction::Delete, TreeAction::Zip}) {
      SCOPED_TRACE(std::string(statx ? "statx " : "mount table ") + (action == TreeAction::Zip ? "zip" : "delete"));
      platform::setStatxMountIdsForTesting(statx);
      TempTree t, out;
      const std::string outside = threeFileTree(t, "outside");
      t.file("victim/own.txt", kKilo);
      t.dir("victim/mnt");
      t.dir("victim/late");
      BindMount mounted(outside, t / "victim/mnt");
      ASSERT_TRUE(mounted.ok());
      std::unique_ptr<BindMount> late;
      Walk w(action);
      if (action == TreeAction::Zip) w.deleter.setArchive(out / "tree.zip", QString(), true);
      w.deleter.beforeEnter = [&](const std::string& folder, const std::string& name) {
        if (name == "late" && !late) late = std::make_unique<BindMount>(outside, folder + "/late");
      };
      const TreeRunResult r = w.deleter.run(t / "victim");
      ASSERT_TRUE(late && late->ok());
      EXPECT_EQ(r.files, 1);  // own.txt
      EXPECT_FALSE(r.folderRemoved);
      late.reset();
      mounted.unmount();
      EXPECT_EQ(filesIn(outside + "/one"), (std::vector<std::string>{"a.txt", "b.txt"}));
      EXPECT_EQ(readFile(outside + "/two/c.txt"), kKilo);
      if (action == TreeAction::Zip) EXPECT_EQ(archiveEntries(out / "tree.zip").size(), 1);
    }
  }
  platform::setStatxMountIdsForTesting(true);
}

TEST(TreeDelete, ReadOnlyHiddenFileAsksTwiceAndYesDeletesIt) {
  TempTree t;
  const std::string file = t.file("victim/.locked", kKilo);
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  Walk w(TreeAction::Delete);
  const TreeRunResult r = w.deleter.run(t / "victim");
  ASSERT_EQ(w.questions.size(), 2);
  EXPECT_EQ(w.questions[0], QString::fromStdString(file) +
                                " is read-only, Delete this file and continue deleting the remaining files? ");
  EXPECT_EQ(w.questions[1],
            QString::fromStdString(file) + " is hidden, Delete this file and continue deleting the remaining files? ");
  EXPECT_EQ(r.files, 1);
  EXPECT_TRUE(r.folderRemoved);
}

TEST(TreeDelete, AnyAnswerButYesKeepsTheFileAndEndsTheRun) {
  for (Answer answer : {Answer::No, Answer::Cancel}) {
    TempTree t;
    const std::string file = t.file("victim/.locked", kKilo);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    Walk w(TreeAction::Delete);
    w.answers = {answer};
    const TreeRunResult r = w.deleter.run(t / "victim");
    EXPECT_EQ(w.questions.size(), 1);
    EXPECT_TRUE(r.aborted);
    EXPECT_TRUE(w.abort);
    EXPECT_EQ(r.files, 0);
    EXPECT_EQ(r.handled, 0);
    EXPECT_EQ(readFile(file), kKilo);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u) << "read-only bit cleared although the answer was not Yes";
  }
}

TEST(TreeDelete, StopFlagEndsTheWalkAfterTheCurrentFile) {
  TempTree t;
  for (int i = 0; i < 20; ++i) t.file("victim/sub/f" + std::to_string(i), kKilo);
  Walk w(TreeAction::Delete);
  w.abort = true;  // cleared when the walk starts
  int seen = 0;
  w.deleter.beforeFile = [&](const std::string&) {
    if (++seen == 3) w.abort = true;
  };
  const TreeRunResult r = w.deleter.run(t / "victim");
  EXPECT_TRUE(r.aborted);
  EXPECT_EQ(r.files, 3);
  EXPECT_EQ(r.bytes, 3000);
  EXPECT_EQ(filesIn(t / "victim/sub").size(), 17u);
  EXPECT_FALSE(r.folderRemoved);
}

TEST(TreeDelete, FilesThatStayAreNeitherCountedNorCredited) {
  TempTree t;
  const std::string folder = threeFileTree(t);
  Walk w(TreeAction::Delete);
  w.deleter.beforeFile = [&](const std::string& path) {
    if (path != folder + "/one/b.txt") return;
    // It became a folder with contents: the unlink must fail.
    std::filesystem::remove(path);
    t.file("victim/one/b.txt/inside", "x");
  };
  const TreeRunResult r = w.deleter.run(folder);
  EXPECT_EQ(r.handled, 3);
  EXPECT_EQ(r.files, 2);
  EXPECT_EQ(r.bytes, 2000);
  EXPECT_EQ(r.notRemoved, 1);
  EXPECT_FALSE(r.folderRemoved);
  EXPECT_TRUE(exists(folder + "/one/b.txt/inside"));
  EXPECT_FALSE(exists(folder + "/two"));
}

TEST(TreeDelete, TenThousandLevelsWithinAThousandDescriptors) {
  TempTree t;
  constexpr int kDepth = 10000;
  int fd = ::open(t.dir("deep").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int i = 0; i < kDepth; ++i) {
    ASSERT_EQ(::mkdirat(fd, "d", 0755), 0);
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    ASSERT_GE(next, 0);
    fd = next;
  }
  const int f = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::write(f, kKilo.data(), kKilo.size()), 1000);
  ::close(f);
  ::close(fd);

  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
  struct rlimit tight = old;
  tight.rlim_cur = std::min<rlim_t>(old.rlim_cur, 1024);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
  Walk w(TreeAction::Delete);
  const TreeRunResult r = w.deleter.run(t / "deep");
  ::setrlimit(RLIMIT_NOFILE, &old);
  EXPECT_EQ(r.files, 1);
  EXPECT_EQ(r.bytes, 1000);
  EXPECT_TRUE(r.folderRemoved);
  EXPECT_FALSE(exists(t / "deep"));
  EXPECT_LE(w.deleter.peakDescriptors(), 33u);
}

TEST(TreeDelete, TrashKeepsEveryFileRestorable) {
  TempTree t;
  const std::string folder = t.dir("victim");
  t.file("victim/sub/trash-me-1.txt", kKilo);
  t.file("victim/trash-me-2.txt", kKilo);
  ASSERT_EQ(::symlink("/etc/passwd", (folder + "/trash-me-link").c_str()), 0);
  Walk w(TreeAction::Recycle);
  const TreeRunResult r = w.deleter.run(folder);
  EXPECT_EQ(r.files, 3);
  EXPECT_TRUE(r.folderRemoved);
  const std::string trash = platform::dataHome() + "/Trash";
  EXPECT_EQ(readFile(trash + "/files/trash-me-1.txt"), kKilo);
  struct stat st {};
  ASSERT_EQ(::lstat((trash + "/files/trash-me-link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  const std::string real = platform::canonicalPath(t.path());
  const std::string info = readFile(trash + "/info/trash-me-1.txt.trashinfo");
  EXPECT_NE(info.find("Path=" + real + "/victim/sub/trash-me-1.txt\n"), std::string::npos) << info;
  EXPECT_NE(readFile(trash + "/info/trash-me-link.trashinfo").find("Path=" + real + "/victim/trash-me-link\n"),
            std::string::npos);
  EXPECT_TRUE(exists("/etc/passwd"));
}

TEST(TreeDelete, TrashBeyondThePathLimitRecordsEveryRealPath) {
  TempTree t;
  constexpr int kDepth = 2100;  // "/d" per level: beyond the path limit
  const std::string top = t.dir("deep");
  int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  std::string rel;
  std::vector<std::string> expected;
  const std::string real = platform::canonicalPath(top);
  for (int i = 0; i <= kDepth; ++i) {
    if (i % 1000 == 0 || i == kDepth) {
      const std::string name = "level" + std::to_string(i) + ".txt";
      const int f = ::openat(fd, name.c_str(), O_WRONLY | O_CREAT, 0644);
      ASSERT_EQ(::write(f, "x", 1), 1);
      ::close(f);
      expected.push_back("Path=" + real + rel + "/" + name + "\n");
    }
    if (i == kDepth) break;
    ASSERT_EQ(::mkdirat(fd, "d", 0755), 0);
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    ASSERT_GE(next, 0);
    fd = next;
    rel += "/d";
  }
  ::close(fd);

  Walk w(TreeAction::Recycle);
  const TreeRunResult r = w.deleter.run(top);
  EXPECT_EQ(r.files, static_cast<std::int64_t>(expected.size()));
  EXPECT_EQ(r.notRemoved, 0);
  EXPECT_TRUE(r.folderRemoved);
  const std::string trash = platform::dataHome() + "/Trash";
  for (int i = 0; i <= kDepth; i += 1000) {
    const std::string info = readFile(trash + "/info/level" + std::to_string(i) + ".txt.trashinfo");
    EXPECT_NE(info.find(expected[static_cast<std::size_t>(i / 1000)]), std::string::npos) << i;
  }
  EXPECT_NE(readFile(trash + "/info/level" + std::to_string(kDepth) + ".txt.trashinfo").find(expected.back()),
            std::string::npos);
}

namespace {

// Takes away the power to read any folder whatever its permissions (as root has) from this
// thread while it lives.
class WithoutReadOverride {
 public:
  WithoutReadOverride() {
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    ok_ = ::syscall(SYS_capget, &header_, saved_) == 0;
    if (!ok_) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    ok_ = ::syscall(SYS_capset, &header_, lowered) == 0;
  }
  ~WithoutReadOverride() {
    if (ok_) ::syscall(SYS_capset, &header_, saved_);
  }
  bool ok() const { return ok_; }

 private:
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool ok_ = false;
};

}  // namespace

TEST(TreeDelete, FoldersThatCannotBeReadAreNamedInTheResult) {
  TempTree t;
  const std::string folder = threeFileTree(t);
  const std::string locked = folder + "/two";
  ASSERT_EQ(::chmod(locked.c_str(), 0311), 0);  // can be passed through, not listed
  Walk w(TreeAction::Delete);
  TreeRunResult r;
  {
    WithoutReadOverride guard;
    ASSERT_TRUE(guard.ok());
    r = w.deleter.run(folder);
  }
  ::chmod(locked.c_str(), 0755);
  EXPECT_EQ(r.files, 2);
  EXPECT_EQ(r.unreadableFolders, 1);
  EXPECT_EQ(r.unreadable, std::vector<std::string>{locked});
  EXPECT_EQ(readFile(locked + "/c.txt"), kKilo);
  EXPECT_FALSE(r.folderRemoved);
}

TEST(TreeDelete, ATrashThatCannotTakeFilesCreditsNothing) {
  TempTree t;
  const std::string folder = threeFileTree(t);
  const std::string blocker = t.file("not-a-folder", "x");
  const std::string saved = platform::dataHome();
  ::setenv("XDG_DATA_HOME", (blocker + "/data").c_str(), 1);
  Walk w(TreeAction::Recycle);
  const TreeRunResult r = w.deleter.run(folder);
  ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
  EXPECT_EQ(r.handled, 3);
  EXPECT_EQ(r.files, 0);
  EXPECT_EQ(r.bytes, 0);
  EXPECT_EQ(r.notRemoved, 3);
  EXPECT_FALSE(r.folderRemoved);
  EXPECT_EQ(readFile(folder + "/two/c.txt"), kKilo);
}

class TreeZip : public ::testing::Test {
 protected:
  std::string archive() const { return out / "Drive-root-FolderClean01Mar991407.zip"; }
  TempTree out;
};

TEST_F(TreeZip, WithoutDeletionNothingIsAskedOrRemoved) {
  TempTree t;
  const std::string folder = threeFileTree(t);
  ASSERT_EQ(::chmod((folder + "/one/a.txt").c_str(), 0444), 0);
  std::filesystem::rename(folder + "/one/b.txt", folder + "/one/.b.txt");
  Walk w(TreeAction::Zip);
  w.deleter.setArchive(archive(), QStringLiteral("tree"), false);
  const TreeRunResult r = w.deleter.run(folder);
  EXPECT_TRUE(w.questions.isEmpty());
  EXPECT_TRUE(w.errors.isEmpty()) << w.errors.join(u'\n').toStdString();
  EXPECT_EQ(r.files, 3);
  EXPECT_EQ(r.bytes, 3000);
  EXPECT_FALSE(r.folderRemoved);
  EXPECT_EQ(readFile(folder + "/one/a.txt"), kKilo);
  EXPECT_EQ(readFile(folder + "/one/.b.txt"), kKilo);
  EXPECT_EQ(readFile(folder + "/two/c.txt"), kKilo);
  EXPECT_TRUE(unzipTestPasses(archive()));
  const QStringList entries = archiveEntries(archive());
  ASSERT_EQ(entries.size(), 3);
  for (const QString& e : entries) EXPECT_FALSE(e.startsWith(u'/')) << e.toStdString();
  EXPECT_TRUE(entries.filter(QRegularExpression("victim/two/c\\.txt$")).size() == 1)
      << entries.join(u' ').toStdString();
}

TEST_F(TreeZip, StoredFilesAreDeletedAndEmptyFoldersRemoved) {
  TempTree t;
  const std::string folder = threeFileTree(t);
  t.dir("victim/two/empty");
  ASSERT_EQ(::chmod((folder + "/one/a.txt").c_str(), 0444), 0);
  Walk w(TreeAction::Zip);
  w.deleter.setArchive(archive(), QString(), true);
  int progressCalls = 0;
  w.deleter.zipProgress = [&](int) { ++progressCalls; };
  const TreeRunResult r = w.deleter.run(folder);
  EXPECT_EQ(w.questions.size(), 1);
  EXPECT_TRUE(w.errors.isEmpty()) << w.errors.join(u'\n').toStdString();
  EXPECT_EQ(r.files, 3);
  EXPECT_EQ(r.zippedNotDeleted, 0);
  EXPECT_TRUE(r.folderRemoved);
  EXPECT_FALSE(exists(folder));
  EXPECT_GT(progressCalls, 0);
  EXPECT_TRUE(unzipTestPasses(archive()));
  EXPECT_EQ(archiveEntries(archive()).size(), 3);
}

TEST_F(TreeZip, AFileChangedBeforeItsCommitIsKept) {
  TempTree t;
  const std::string folder = threeFileTree(t);
  Walk w(TreeAction::Zip);
  w.deleter.setArchive(archive(), QString(), true);
  std::string first;
  bool changed = false;
  w.deleter.beforeFile = [&](const std::string& path) {
    if (first.empty()) {
      first = path;
      return;
    }
    // Queued for the archive but not committed yet: changing it now must keep it on disk.
    if (!changed) {
      changed = true;
      std::FILE* f = std::fopen(first.c_str(), "a");
      std::fputs("more", f);
      std::fclose(f);
    }
  };
  const TreeRunResult r = w.deleter.run(folder);
  EXPECT_EQ(r.files, 2);
  EXPECT_EQ(r.notZipped, 1);
  ASSERT_EQ(w.errors.size(), 1);
  EXPECT_EQ(w.errors[0], "Couldn't zip up file - " + QString::fromStdString(first) +
                             ": The file changed while it was being archived");
  EXPECT_EQ(readFile(first), kKilo + "more");
  EXPECT_FALSE(r.folderRemoved);
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
    if (e.is_regular_file()) left.push_back(e.path().string());
  EXPECT_EQ(left, std::vector<std::string>{first});
  EXPECT_TRUE(unzipTestPasses(archive()));
}

TEST_F(TreeZip, ManyFailuresShowTenBoxesAndACount) {
  TempTree t;
  const std::string folder = t.dir("victim");
  for (int i = 0; i < 13; ++i) ASSERT_EQ(::mkfifo((folder + "/pipe" + std::to_string(i)).c_str(), 0644), 0);
  Walk w(TreeAction::Zip);
  w.deleter.setArchive(archive(), QString(), false);
  const TreeRunResult r = w.deleter.run(folder);
  EXPECT_EQ(r.notZipped, 13);
  EXPECT_EQ(r.files, 0);
  ASSERT_EQ(w.errors.size(), 11);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(w.errors[i].startsWith("Couldn't zip up file - "));
  EXPECT_EQ(w.errors[10], "Couldn't zip up 3 more files");
  EXPECT_FALSE(exists(archive()));
}

}  // namespace
}  // namespace roomvale::testing
