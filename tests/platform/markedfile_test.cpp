#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/testing.h"
#include "platform/markedfile.h"

using namespace roomvale::platform;
using roomvale::testing::exists;
using roomvale::testing::TempTree;

TEST(ReachMarkedFile, FindsOnlyTheMarkedFileThroughRealFolders) {
  TempTree t;
  const std::string file = t.file("real/sub/a.tmp", "a");
  t.file("other/sub/a.tmp", "other");
  ASSERT_EQ(::symlink((t / "real").c_str(), (t / "link").c_str()), 0);
  ASSERT_EQ(::symlink(file.c_str(), (t / "real/sub/l.tmp").c_str()), 0);
  const FileIdentity id = lookUpMarkedFile(file)->identity;
  const FileIdentity otherId = lookUpMarkedFile(t / "other/sub/a.tmp")->identity;

  struct Case {
    std::string path;
    FileIdentity expected;
    int error;
  } cases[] = {
      {file, id, 0},
      {t / "real//./sub/a.tmp", id, 0},
      {file, {}, 0},                        // identity not known: only the links are refused
      {t / "link/sub/a.tmp", id, ENOTDIR},  // a folder of the path is a link
      {t / "real/sub/a.tmp/x", {}, ENOTDIR},
      {t / "real/sub/../sub/a.tmp", id, EINVAL},
      {t / "real/sub/", {}, EINVAL},
      {t / "real/sub/gone.tmp", {}, ENOENT},
      {file, otherId, ESTALE},        // another file stands there
      {t / "real/sub/l.tmp", {}, 0},  // the link itself, not followed
  };
  FolderReach folders;
  for (const Case& c : cases) {
    ReachedFile found;
    EXPECT_EQ(reachMarkedFile(folders, c.path, c.expected, found), c.error) << c.path;
  }

  // Acting through the reached folder removes the entry reached, and nothing once it changed.
  ReachedFile link;
  ASSERT_EQ(reachMarkedFile(folders, t / "real/sub/l.tmp", {}, link), 0);
  EXPECT_EQ(unlinkReached(link), 0);
  EXPECT_TRUE(exists(file));
  ReachedFile a;
  ASSERT_EQ(reachMarkedFile(folders, file, id, a), 0);
  const std::string replacement = t.file("real/sub/new.tmp", "replaced");
  ASSERT_EQ(::rename(replacement.c_str(), file.c_str()), 0);
  EXPECT_EQ(openReachedForReading(a), -1);
  EXPECT_EQ(unlinkReached(a), ESTALE);
  EXPECT_TRUE(exists(file));
}
