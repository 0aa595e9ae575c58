// Duplicates without the window: the order and grouping of the working list, shading, file
// hogs, and the checksum phase with its elimination on real files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>
#include <random>

#include "common/testing.h"
#include "finders/dupcheck.h"
#include "finders/dupfinder.h"
#include "findertesting.h"
#include "foundation/crc.h"

using namespace roomvale;
using roomvale::testing::TempTree;

namespace {

// Packed local date-time of a day at noon.
std::uint32_t packed(int y, int m, int d, int hh = 12) {
  const std::uint32_t date = static_cast<std::uint32_t>(((y - 1980) << 9) | (m << 5) | d);
  return (date << 16) | static_cast<std::uint32_t>(hh << 11);
}

struct Found {
  std::string folder;
  std::string name;
  std::uint64_t size;
  std::uint32_t time = packed(2020, 1, 1);
};

// The grid rows as "folder/name", and a "|" between rows of different shade.
std::string grouped(const std::vector<Found>& files, MatchMode mode) {
  DupWorkingList list;
  for (const Found& f : files) {
    GridFile file;
    file.folder = f.folder;
    file.name = f.name;
    file.size = f.size;
    file.writeTime = f.time;
    list.add(file);
  }
  GridData grid(duplicatesGridSpec());
  const int added = addDups(list, mode, grid);
  EXPECT_EQ(added, grid.rowsUsed());
  std::string out;
  for (int pos = 0; pos < grid.rowsUsed(); ++pos) {
    if (pos > 0) out += grid.shade(pos) == grid.shade(pos - 1) ? " " : " | ";
    out += grid.rowPath(pos);
  }
  if (grid.rowsUsed() > 0) {
    EXPECT_TRUE(grid.shade(0));  // the first row has shade A
  }
  return out;
}

}  // namespace

TEST(DupGroupingTest, RunsOfEqualKeysInWorkingLineOrderPerMatchMode) {
  roomvale::testing::UsDates us;
  const std::uint32_t d1 = packed(2020, 1, 1);
  const std::uint32_t d2 = packed(2021, 5, 5);
  struct Case {
    const char* what;
    MatchMode mode;
    std::vector<Found> files;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"name only: letter case does not matter, size does not",
       MatchMode::FilenameOnly,
       {{"/a", "A.TXT", 100}, {"/b", "A.TXT", 100}, {"/c", "a.txt", 300}, {"/d", "b.txt", 100}},
       "/a/A.TXT /b/A.TXT /c/a.txt"},
      {"name and size",
       MatchMode::FilenameAndSize,
       {{"/a", "A.TXT", 100}, {"/b", "A.TXT", 100}, {"/c", "a.txt", 300}},
       "/a/A.TXT /b/A.TXT"},
      {"fields are compared one by one: x1 + 5 is not x + 15",
       MatchMode::FilenameAndSize,
       {{"/a", "x1", 5}, {"/b", "x", 15}},
       ""},
      {"name, size and date: another date splits the group",
       MatchMode::FilenameSizeAndDate,
       {{"/a", "f", 9, d1}, {"/b", "f", 9, d2}, {"/c", "f", 9, d1}},
       "/a/f /c/f"},
      {"size only: two sizes give two groups of another shade; sizes sort as texts",
       MatchMode::SizeOnly,
       {{"/a", "p", 200}, {"/a", "q", 1000}, {"/b", "r", 200}, {"/b", "s", 1000}, {"/c", "t", 7}},
       "/a/q /b/s | /a/p /b/r"},
      {"size and date: a file of the same size with another date between them by name keeps them apart",
       MatchMode::SizeAndDate,
       {{"/a", "a", 100, d1}, {"/b", "b", 100, d2}, {"/c", "c", 100, d1}, {"/d", "d", 100, d2}},
       ""},
      {"size and type",
       MatchMode::SizeAndType,
       {{"/a", "one.zzq", 50}, {"/b", "two.zzq", 50}, {"/c", "zebra.zzr", 50}},
       "/a/one.zzq /b/two.zzq"},
      {"type and date",
       MatchMode::TypeAndDate,
       {{"/a", "one.zzq", 1, d1}, {"/b", "two.zzq", 2, d1}, {"/c", "x.zzq", 3, d2}},
       "/a/one.zzq /b/two.zzq"},
  };
  for (const Case& c : cases) EXPECT_EQ(grouped(c.files, c.mode), c.expected) << c.what;
}

TEST(DupGroupingTest, SizeBoundsOn64BitSizesAndPrintTitle) {
  const auto larger = sizeBounds(SizeCompare::LargerOrEqual, 250, 0, true);
  const auto smaller = sizeBounds(SizeCompare::SmallerOrEqual, 250, 0, true);
  const auto between = sizeBounds(SizeCompare::InBetween, 10, 20, false);
  EXPECT_TRUE(larger.passes(256000));
  EXPECT_FALSE(larger.passes(255999));
  EXPECT_TRUE(larger.passes(3ull << 30));
  EXPECT_TRUE(smaller.passes(256000));  // exactly low passes both
  EXPECT_FALSE(smaller.passes(3ull << 30));
  EXPECT_TRUE(between.passes(10) && between.passes(20));
  EXPECT_FALSE(between.passes(9) || between.passes(21));

  EXPECT_EQ(dupPrintTitle(false, SizeCompare::SmallerOrEqual, 100, 0, "KB", "*.*", {"C", "D"}),
            "File Hogs smaller or equal to 100 KB matching *.* on drive(s) C D ");
  EXPECT_EQ(dupPrintTitle(true, SizeCompare::InBetween, 1, 2, "bytes", "*.doc", {"/"}),
            "Duplicates in between 1 bytes and 2 bytes matching *.doc on drive(s) / ");
}

TEST(DupGroupingTest, FileHogsLastLineFirstWithTheFolderCaseRuleShownOnly) {
  DupWorkingList list;
  for (const char* name : {"Big.BIN", "Small.Txt", "Other.DAT"}) {
    GridFile f;
    f.folder = "/Data";
    f.name = name;
    f.size = std::string(name)[0] == 'B' ? 9000 : 300;
    list.add(f);
  }
  GridData grid(fileHogsGridSpec());
  ASSERT_EQ(addFileHogs(list, grid), 3);
  // Lines sort by their size text first: "300" lines, then "9,000"; read from the last.
  EXPECT_EQ(grid.rowPath(0), "/Data/Big.BIN");
  EXPECT_EQ(grid.cellText(0, 4), "/Data/Big.BIN");  // first file of its folder
  EXPECT_EQ(grid.rowPath(1), "/Data/Small.Txt");
  EXPECT_EQ(grid.cellText(1, 4), "/data/small.txt");
  EXPECT_EQ(grid.rowPath(2), "/Data/Other.DAT");  // the real path stays for every action
}

// ---------------------------------------------------------------------------------------

namespace {

class ChecksumTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name, const std::string& content) { return tree.file(name, content); }
  static std::string blocks(std::initializer_list<char> fills) {
    std::string s;
    for (char c : fills) s += std::string(2048, c);
    return s;
  }
  std::vector<ChecksumRow> rows(const std::vector<std::string>& paths) {
    std::vector<ChecksumRow> out;
    for (const std::string& p : paths) {
      struct stat st {};
      out.push_back({p, ::lstat(p.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : listedSize});
    }
    return out;
  }
  TempTree tree;
  std::uint64_t listedSize = 0;
};

}  // namespace

TEST_F(ChecksumTest, OnlyReallyIdenticalDistinctCopiesOfARunAreTwins) {
  // One size run (8192 bytes) of: two identical files, one differing in its last block only,
  // two made of the same blocks in another order behind an equal first 4 KiB (equal block
  // sums), a file with two names and no other copy, and a third name of a file that has a copy.
  const std::string same = blocks({'h', 'h', 'a', 'b'});
  const std::string a1 = file("a1", same);
  const std::string a2 = file("a2", same);
  const std::string last = file("last", blocks({'h', 'h', 'a', 'c'}));
  const std::string p1 = file("p1", blocks({'h', 'h', 'x', 'y'}));
  const std::string p2 = file("p2", blocks({'h', 'h', 'y', 'x'}));
  const std::string l1 = file("l1", blocks({'q', 'q', 'q', 'q'}));
  const std::string l2 = tree / "l2";
  ASSERT_EQ(::link(l1.c_str(), l2.c_str()), 0);
  const std::string a3 = tree / "a3";
  ASSERT_EQ(::link(a1.c_str(), a3.c_str()), 0);
  ASSERT_EQ(fileCRC(p1), fileCRC(p2));

  // The same files again as small ones (kept in memory while their run is settled).
  const std::string s1 = file("s1", "small file");
  const std::string s2 = file("s2", "small file");
  const std::string s3 = file("s3", "small fild");

  const auto input = rows({a1, a2, last, p1, p2, l1, l2, a3, s1, s2, s3});
  for (TwinCheck check : {TwinCheck::Bytes, TwinCheck::Hash128}) {
    const ChecksumOutcome out = computeChecksums(input, true, {}, check);
    ASSERT_FALSE(out.aborted);
    EXPECT_EQ(out.copies, (std::vector<int>{2, 2, 1, 1, 1, 1, 1, 2, 2, 2, 1}));
    // Rows that stay carry the checksum the grid shows.
    for (std::size_t r : {0u, 1u, 7u, 8u, 9u}) EXPECT_EQ(out.crc[r], fileCRC(input[r].path)) << r;
  }
}

TEST_F(ChecksumTest, TwinsOnlyWithinOneRunAndNeverUnreadableOrChangedFiles) {
  // Two adjacent groups sharing one size run: a file of the first equal to one of the second
  // is its twin. Files listed but gone since, or a folder, read as nothing and are no twins.
  const std::string x1 = file("g1/x", "content-1");
  const std::string x2 = file("g2/x", "content-2");
  const std::string y1 = file("g1/y", "content-1");
  const std::string y2 = file("g2/y", "content-3");
  const std::string grew = file("grew", "content-1+");
  auto input = rows({x1, x2, y1, y2, grew});
  input[4].size = 9;  // listed before it grew
  input.push_back({tree / "gone1", 9});
  input.push_back({tree / "gone2", 9});
  input.push_back({tree.dir("folder"), 9});
  const ChecksumOutcome out = computeChecksums(input, true, {});
  EXPECT_EQ(out.copies, (std::vector<int>{2, 1, 2, 1, 1, 1, 1, 1}));
  EXPECT_EQ(out.crc[6], 0u);

  // A run of its own: another size after a row of this size starts a new one.
  input = rows({x1, file("z", std::string(20, 'z')), y1});
  EXPECT_EQ(computeChecksums(input, true, {}).copies, (std::vector<int>{1, 1, 1}));
}

TEST_F(ChecksumTest, ChecksumsOnlyGiveFileCrcOfEveryRowAndAbortKeepsWhatWasDone) {
  std::mt19937 random(7);
  std::vector<std::string> paths;
  for (int i = 0; i < 6; ++i) {
    std::string content(static_cast<std::size_t>(1000 + i * 3000), '\0');
    for (char& c : content) c = static_cast<char>(random());
    paths.push_back(file("f" + std::to_string(i), content));
  }
  paths.push_back(tree / "missing");
  const auto input = rows(paths);
  std::vector<int> announced;
  const ChecksumOutcome all = computeChecksums(input, false, [&](int row, int count, const std::string& path) {
    EXPECT_EQ(count, 7);
    EXPECT_EQ(path, input[static_cast<std::size_t>(row)].path);
    announced.push_back(row);
    return true;
  });
  EXPECT_EQ(announced, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(all.copies.empty());
  for (std::size_t r = 0; r < paths.size(); ++r) EXPECT_EQ(all.crc[r], fileCRC(paths[r])) << r;

  const ChecksumOutcome stopped =
      computeChecksums(input, false, [](int row, int, const std::string&) { return row < 3; });
  EXPECT_TRUE(stopped.aborted);
  EXPECT_TRUE(stopped.crc[2].has_value());
  EXPECT_FALSE(stopped.crc[3].has_value());
  EXPECT_EQ(twinCountText(0x352441C2, 2), "352441C2 - 2.");
}

TEST_F(ChecksumTest, AGroupTooLargeToReadSideBySideIsStillComparedByteForByte) {
  // More copies share their first bytes than are read side by side: they are classed one by
  // one, and a copy differing in its last byte only stays apart.
  std::vector<std::string> paths;
  const std::string content = blocks({'h', 'h', 'm', 'n'});
  for (int i = 0; i < 70; ++i) paths.push_back(file("many/" + std::to_string(i), content));
  std::string odd = content;
  odd.back() ^= 1;
  paths.push_back(file("many/odd", odd));
  const ChecksumOutcome out = computeChecksums(rows(paths), true, {}, TwinCheck::Bytes);
  EXPECT_EQ(std::count(out.copies.begin(), out.copies.end(), 70), 70);
  EXPECT_EQ(out.copies.back(), 1);
  EXPECT_EQ(out.crc.front(), fileCRC(paths.front()));
}
