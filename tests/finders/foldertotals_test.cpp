// The folder totals of both folder-hog walks on real trees, their folder lines, the
// percentage against the volume, and the folders Clean? refuses.
#include <gtest/gtest.h>

#include <map>

#include "common/testing.h"
#include "finders/foldertotals.h"
#include "findertesting.h"
#include "foundation/helpers.h"
#include "platform/paths.h"
#include "scan/grid.h"

using namespace roomvale;
using roomvale::testing::setFileTimes;
using roomvale::testing::sparseFile;
using roomvale::testing::TempTree;

namespace {

constexpr std::uint64_t kThreeGiB = 3ull << 30;

// The lines of one walk over `target`, by path below the tree.
std::map<std::string, FolderLine> walkLines(FolderWalk walk, const TempTree& t, bool addedFolder = true,
                                            const std::function<void(bool&, const std::string&)>& onFolder = {}) {
  WorkingList lines;
  bool aborted = false;
  struct Collector : FolderHogCollector {
    using FolderHogCollector::FolderHogCollector;
    std::function<void(const std::string&)> entered;
    void folderEnter(const std::string& folder, int depth) override {
      FolderHogCollector::folderEnter(folder, depth);
      if (entered) entered(folder);
    }
  } collector(walk, lines, aborted, {});
  collector.driveTotal = [](const std::string&) { return 16.0 * (1ull << 30); };
  if (onFolder) collector.entered = [&](const std::string& folder) { onFolder(aborted, folder); };
  Walker walker(WalkVariant::folderHogs(false), collector, aborted);
  walker.setPumping(false);
  walker.scanAllDrives({ScanTarget{t.path() + "/", QString::fromStdString(t.path()), addedFolder}});
  std::map<std::string, FolderLine> out;
  for (const QString& text : lines.lines()) {
    auto line = parseFolderLine(text);
    EXPECT_TRUE(line) << text.toStdString();
    if (!line) continue;
    const std::string rel = line->path == t.path() ? "." : line->path.substr(t.path().size() + 1);
    EXPECT_FALSE(out.count(rel)) << rel;
    out[rel] = *line;
  }
  return out;
}

class FolderTotalsTest : public ::testing::Test {
 protected:
  roomvale::testing::UsDates usDates;
};

}  // namespace

TEST_F(FolderTotalsTest, PercentUsedAgainstTheVolumeTotal) {
  const struct {
    std::uint64_t size;
    double total;
    const char* text;
  } cases[] = {
      {2'500'000, 10'000'000, "25.00"},
      {10'000'000, 10'000'000, "???"},
      {12'000'000, 10'000'000, "???"},
      {0, 10'000'000, "0.00"},
      {1, 3, "33.33"},
      {5, 0, "???"},  // total unknown
      {kThreeGiB, 16.0 * (1ull << 30), "18.75"},
      {kThreeGiB, 4.0 * (1ull << 30), "75.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(percentUsedText(c.size, c.total), c.text) << c.size << " of " << c.total;
}

TEST_F(FolderTotalsTest, FolderLinesReadBackExactly) {
  FolderTotals t;
  t.size = kThreeGiB + 7;
  t.files = 1234;
  t.subfolders = 5;
  t.latestAccess = (static_cast<std::uint32_t>(((2050 - 1980) << 9) | (1 << 5) | 2) << 16) | 0x1234;
  const std::string path = "/data/odd\tname /caf\xe9 ";  // a tab, a trailing blank, a byte that is no UTF-8
  const QString text = folderLineText(t, 16.0 * (1ull << 30), path);
  EXPECT_TRUE(text.startsWith("3,221,225,479\t18.75\t1,234\t5\t1/2/2050\t")) << text.toStdString();
  const auto line = parseFolderLine(text);
  ASSERT_TRUE(line);
  EXPECT_EQ(line->size, t.size);
  EXPECT_EQ(line->percent, "18.75");
  EXPECT_EQ(line->files, 1234u);
  EXPECT_EQ(line->subfolders, 5u);
  EXPECT_EQ(line->latestAccess, t.latestAccess & 0xFFFF0000u);  // the date is what the line keeps
  EXPECT_EQ(line->path, path);

  t.latestAccess = 0;
  EXPECT_EQ(parseFolderLine(folderLineText(t, 0, "/x"))->latestAccess, 0u);
  EXPECT_FALSE(parseFolderLine("1\t2\t3\t4\t5"));
  EXPECT_FALSE(parseFolderLine("1\t2\t3\t4\t5\t"));
}

TEST_F(FolderTotalsTest, BothWalksOnOneTree) {
  TempTree t;
  t.file("f1", std::string(10, '1'));
  t.file("f2", std::string(20, '2'));
  t.dir("e");
  setFileTimes(t.file("a/x", std::string(100, 'x')), QDateTime(QDate(2001, 5, 6), QTime(12, 0)));
  t.file("a/.hid/y", std::string(1000, 'y'));
  t.file("a/b/z", std::string(5, 'z'));
  sparseFile(t / "a/b/big", kThreeGiB);
  // After 2043 a packed date reads negative as a signed number; it is still the latest.
  setFileTimes(t / "a/b/big", QDateTime(QDate(2050, 1, 2), QTime(12, 0)));
  setFileTimes(t / "a/b/z", QDateTime(QDate(2003, 1, 1), QTime(12, 0)));

  auto main = walkLines(FolderWalk::MainFolders, t);
  ASSERT_EQ(main.size(), 2u);  // the target's own files are in no row
  EXPECT_EQ(main["e"].size, 0u);
  EXPECT_EQ(main["e"].files, 0u);
  EXPECT_EQ(main["e"].latestAccess, 0u);
  // The hidden folder is neither entered nor counted.
  EXPECT_EQ(main["a"].size, 100 + 5 + kThreeGiB);
  EXPECT_EQ(main["a"].files, 3u);
  EXPECT_EQ(main["a"].subfolders, 1u);
  EXPECT_EQ(fatDateText(main["a"].latestAccess), "1/2/2050");
  EXPECT_EQ(main["a"].percent, "18.75");

  auto all = walkLines(FolderWalk::AllFolders, t);
  ASSERT_EQ(all.size(), 4u);  // ".", "e", "a", "a/b": no row for the hidden folder
  EXPECT_EQ(all["."].size, 30u);
  EXPECT_EQ(all["."].files, 2u);
  EXPECT_EQ(all["."].subfolders, 2u);
  EXPECT_EQ(all["e"].files + all["e"].subfolders + all["e"].size, 0u);
  EXPECT_EQ(all["a"].size, 100u);
  EXPECT_EQ(all["a"].subfolders, 2u);  // the hidden one counts here
  EXPECT_EQ(fatDateText(all["a"].latestAccess), "5/6/2001");
  EXPECT_EQ(all["a/b"].size, 5 + kThreeGiB);
  EXPECT_EQ(all["a/b"].files, 2u);
}

TEST_F(FolderTotalsTest, AVolumeRootWithOnlyHiddenEntriesHasNoRowButAnAddedFolderHasOne) {
  TempTree t;
  t.file(".only", "h");
  t.file(".cfg/x", "x");
  EXPECT_TRUE(walkLines(FolderWalk::AllFolders, t, false).empty());
  auto added = walkLines(FolderWalk::AllFolders, t, true);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added["."].files, 1u);
  EXPECT_EQ(added["."].subfolders, 1u);
}

TEST_F(FolderTotalsTest, AfterAStopMainFoldersNotYetEnteredAreLeftOut) {
  TempTree t;
  for (int m = 0; m < 6; ++m)
    for (int f = 0; f < 3; ++f) t.file("m" + std::to_string(m) + "/sub/f" + std::to_string(f), "abc");
  // Stop as the walk enters the second main folder's sub-folder.
  int mainFolders = 0;
  std::string stoppedIn;
  auto main = walkLines(FolderWalk::MainFolders, t, true, [&](bool& aborted, const std::string& folder) {
    const std::string rel = folder.substr(t.path().size());
    if (rel.size() == 3) ++mainFolders;
    if (mainFolders == 2 && rel.size() > 3 && !aborted) {
      aborted = true;
      stoppedIn = rel.substr(1, 2);
    }
  });
  ASSERT_FALSE(stoppedIn.empty());
  ASSERT_EQ(main.size(), 2u);  // the finished one and the one being walked, nothing for the others
  for (const auto& [rel, line] : main) {
    if (rel == stoppedIn) {
      EXPECT_EQ(line.subfolders, 1u);
      EXPECT_EQ(line.files, 0u);  // stopped before its files were listed
    } else {
      EXPECT_EQ(line.files, 3u);
    }
  }
  // The all-folders walk lists no folder whose files it never reached: stopped on entering
  // the second main folder, it has the first one and its sub-folder, not the target.
  std::vector<std::string> entered;
  auto all = walkLines(FolderWalk::AllFolders, t, true, [&](bool& aborted, const std::string& folder) {
    entered.push_back(folder.substr(std::min(folder.size(), t.path().size() + 1)));
    if (entered.size() == 4) aborted = true;
  });
  ASSERT_EQ(entered.size(), 4u);
  EXPECT_EQ(all.size(), 2u);
  EXPECT_EQ(all[entered[1]].subfolders, 1u);
  EXPECT_EQ(all[entered[2]].files, 3u);
}

TEST(CleanRefusalTest, RootsMountPointsSystemFoldersAndHome) {
  const std::vector<std::string> mounts{"/", "/mnt/data", "/media/usb/"};
  const std::string home = "/home/alex";
  const struct {
    const char* path;
    CleanRefusal want;
  } cases[] = {
      {"/", CleanRefusal::RootFolder},
      {"/mnt/data", CleanRefusal::RootFolder},
      {"/MNT/Data/", CleanRefusal::RootFolder},
      {"/media/usb", CleanRefusal::RootFolder},
      {"/mnt/data/old", CleanRefusal::None},
      {"/usr", CleanRefusal::SystemFolder},
      {"/USR/", CleanRefusal::SystemFolder},
      {"/etc", CleanRefusal::SystemFolder},
      {"/libx32", CleanRefusal::SystemFolder},
      {"/var", CleanRefusal::SystemFolder},
      {"/usr/lib", CleanRefusal::None},
      {"/home/alex", CleanRefusal::SystemFolder},
      {"/home/alex/old", CleanRefusal::None},
      {"/home", CleanRefusal::None},
      {"/winnt-like/windows", CleanRefusal::None},
  };
  for (const auto& c : cases) EXPECT_EQ(cleanRefusal(c.path, mounts, home), c.want) << c.path;

  // This machine: /proc is mounted, the home folder is refused, a folder below it is not.
  TempTree t;
  EXPECT_EQ(cleanRefusal("/proc"), CleanRefusal::RootFolder);
  EXPECT_EQ(cleanRefusal("/"), CleanRefusal::RootFolder);
  EXPECT_EQ(cleanRefusal(platform::homeFolder()), CleanRefusal::SystemFolder);
  EXPECT_EQ(cleanRefusal(t.dir("plain")), CleanRefusal::None);
}
