#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <string>
#include <vector>

#include <cstdlib>

#include "common/testing.h"
#include "platform/direnum.h"
#include "platform/paths.h"

using namespace roomvale::platform;
using roomvale::testing::readFile;
using roomvale::testing::TempTree;

TEST(Paths, JoinSplitAndCanonical) {
  EXPECT_EQ(joinPath("/a", "b"), "/a/b");
  EXPECT_EQ(joinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(joinPath("/", "b"), "/b");
  EXPECT_EQ(folderOf("/a/b.txt"), "/a/");
  EXPECT_EQ(folderOf("/b.txt"), "/");
  EXPECT_EQ(folderOf("b.txt"), "");
  EXPECT_EQ(nameOf("/a/b.txt"), "b.txt");
  EXPECT_EQ(nameOf("/a/"), "");

  TempTree tree;
  tree.dir("real/inner");
  ::symlink("real", (tree / "link").c_str());
  const std::string real = canonicalPath(tree / "real/inner");
  EXPECT_EQ(canonicalPath(tree / "link/inner"), real);
  EXPECT_EQ(canonicalPath(tree / "real/../real/inner"), real);
  EXPECT_EQ(canonicalPath(tree / "missing/x"), tree / "missing/x");  // unchanged on failure
}

TEST(Paths, DisplayRoundTripKeepsBytes) {
  const std::string utf8 = "/tmp/caf\xC3\xA9";
  EXPECT_EQ(toDisplay(utf8), QString::fromUtf8(utf8.c_str()));
  EXPECT_EQ(fromDisplay(toDisplay(utf8)), utf8);
  const std::string emoji = "/x/\xF0\x9F\x98\x80 \xEF\xBF\xBD";  // astral plane, a real U+FFFD
  EXPECT_EQ(toDisplay(emoji), QString::fromUtf8(emoji.c_str()));
  EXPECT_EQ(fromDisplay(toDisplay(emoji)), emoji);
  // Bytes that are not UTF-8: truncated, overlong, encoded surrogate, stray continuation.
  for (const std::string bad :
       {"/tmp/caf\xE9", "/a/\xC0\xAF", "/a/\xED\xA0\x80", "/a/\x80x", "/a/\xF0\x9F\x98", "\xFF\xFE"}) {
    const QString shown = toDisplay(bad);
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_EQ(fromDisplay(shown), bad) << bad;
  }
  EXPECT_EQ(toDisplay("/tmp/caf\xE9").left(8), "/tmp/caf");
}

TEST(Paths, PerUserFoldersFollowXdg) {
  const std::string home = std::getenv("HOME");
  EXPECT_EQ(homeFolder(), home);
  EXPECT_EQ(configRoot(), std::string(std::getenv("XDG_CONFIG_HOME")));
  EXPECT_EQ(dataHome(), std::string(std::getenv("XDG_DATA_HOME")));
  EXPECT_EQ(userDataFolder(), dataHome() + "/Roomvale");
  const std::string folder = ensureUserDataFolder();
  struct stat st {};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));

  // Unset or relative XDG values fall back below HOME.
  const std::string saved = std::getenv("XDG_CONFIG_HOME");
  ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);
  EXPECT_EQ(configRoot(), home + "/.config");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(configRoot(), home + "/.config");
  ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);

  const std::string prog = programFolder();
  ASSERT_FALSE(prog.empty());
  EXPECT_EQ(prog.back(), '/');
  EXPECT_EQ(::access((prog + "roomvale_platform_tests").c_str(), X_OK), 0);
}

TEST(Paths, AtomicWriteReplacesAndKeepsMode) {
  TempTree tree;
  const std::string path = tree / "settings.ini";
  ASSERT_TRUE(writeFileAtomically(path, "first\n"));
  EXPECT_EQ(readFile(path), "first\n");
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(writeFileAtomically(path, std::string("second\0with nul", 15)));
  EXPECT_EQ(readFile(path), std::string("second\0with nul", 15));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // No temporary file left behind.
  DirReader r;
  ASSERT_TRUE(r.open(tree.path(), "*.*", 0x3F));
  DirEntry e;
  int count = 0;
  while (r.next(e)) ++count;
  EXPECT_EQ(count, 1);
}

TEST(Paths, AtomicWriteClearsTemporariesOfKilledWritersOnly) {
  TempTree tree;
  const std::string path = tree.file("settings.ini", "old");
  struct Case {
    std::string name;
    bool old;     // last written an hour ago
    bool locked;  // by a writer still running (another process)
    bool removed;
  };
  const std::vector<Case> cases = {
      {".settings.ini.tmp-111-0-1", true, false, true},    // its writer was killed
      {".settings.ini.tmp-222-0-2", true, true, false},    // a slow writer, still at work
      {".settings.ini.tmp-333-0-3", false, false, false},  // just created, lock not yet taken
      {".other.ini.tmp-444-0-4", true, false, false},      // another file's
      {"settings.ini.tmp-555", true, false, false},        // not our naming
  };
  for (const Case& c : cases) {
    tree.file(c.name, "partial");
    if (!c.old) continue;
    const struct timespec times[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (tree / c.name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
  }
  tree.dir(".settings.ini.tmp-folder");

  // The running writer: another process holding its temporary locked until told to stop.
  int toChild[2], fromChild[2];
  ASSERT_EQ(::pipe(toChild), 0);
  ASSERT_EQ(::pipe(fromChild), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = ::open((tree / cases[1].name).c_str(), O_RDWR);
    const char ready = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
    (void)!::write(fromChild[1], &ready, 1);
    char stop;
    (void)!::read(toChild[0], &stop, 1);
    ::_exit(0);
  }
  char ready = 0;
  ASSERT_EQ(::read(fromChild[0], &ready, 1), 1);
  ASSERT_EQ(ready, 'y');

  ASSERT_TRUE(writeFileAtomically(path, "new"));
  (void)!::write(toChild[1], "x", 1);
  ::waitpid(child, nullptr, 0);
  for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) ::close(fd);

  EXPECT_EQ(readFile(path), "new");
  for (const Case& c : cases) EXPECT_EQ(roomvale::testing::exists(tree / c.name), !c.removed) << c.name;
  EXPECT_TRUE(roomvale::testing::exists(tree / ".settings.ini.tmp-folder"));
}

TEST(Paths, AtomicWriteFailuresLeaveOldFile) {
  TempTree tree;
  EXPECT_FALSE(writeFileAtomically(tree / "no/such/folder/x.txt", "x"));
  tree.dir("afolder");
  EXPECT_FALSE(writeFileAtomically(tree / "afolder", "x"));  // never replaces a folder
  EXPECT_FALSE(writeFileAtomically("", "x"));
}

TEST(Paths, AtomicWriteThroughLinkKeepsLink) {
  TempTree tree;
  const std::string target = tree.file("dotfiles/app.ini", "old");
  const std::string link = tree / "app.ini";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  ASSERT_TRUE(writeFileAtomically(link, "new"));
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(readFile(target), "new");
}
