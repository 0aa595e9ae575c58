#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/testing.h"
#include "safeharbor/harborlist.h"

using namespace roomvale;
using roomvale::testing::TempTree;

namespace {

std::vector<std::string> sorted(std::vector<std::string> v) {
  sortNoCase(v);
  return v;
}

}  // namespace

TEST(HarborListTest, CaseFoldingTouchesOnlyAsciiLetters) {
  EXPECT_EQ(upperAscii("/usr/Lib/\xe9t\xc3\xa9/"), "/USR/LIB/\xe9T\xc3\xa9/");
  EXPECT_EQ(lowerAscii("*.SYS"), "*.sys");
  EXPECT_LT(compareNoCase("/ETC/", "/etc/x/"), 0);
  EXPECT_EQ(compareNoCase("/Opt/App/", "/OPT/APP/"), 0);
  // Bytes above 0x7F sort after ASCII, as unsigned values.
  EXPECT_LT(compareNoCase("/a/z/", "/a/\xe9/"), 0);
}

TEST(HarborListTest, ShortPathNameResolvesLinksAndKeepsFinalSlash) {
  TempTree t;
  const std::string root = shortPathName(t.path());
  t.dir("real/sub");
  ASSERT_EQ(::symlink((t / "real").c_str(), (t / "link").c_str()), 0);

  EXPECT_EQ(shortPathName(t / "link/"), root + "/real/");
  EXPECT_EQ(shortPathName(t / "link"), root + "/real");
  EXPECT_EQ(shortPathName(t / "link/sub/../sub/"), root + "/real/sub/");
  EXPECT_EQ(shortPathName(t / "link/*.*"), root + "/real/*.*");
  EXPECT_EQ(shortPathName("/"), "/");
  // A folder that does not exist keeps its long form, case and all.
  EXPECT_EQ(shortPathName(t / "Gone/Away/"), t / "Gone/Away/");
  EXPECT_EQ(shortPathName(""), "");
}

TEST(HarborListTest, NormalizeListResolvesUpperCasesAndSortsAgain) {
  TempTree t;
  t.dir("zeta");
  ASSERT_EQ(::symlink((t / "zeta").c_str(), (t / "alpha").c_str()), 0);
  const std::string root = upperAscii(shortPathName(t.path()));
  std::vector<std::string> list = {t / "alpha/", t / "beta/", t / "missing/*.*"};
  int pumped = 0;
  normalizeList(list, [&] { ++pumped; });
  EXPECT_EQ(pumped, 3);
  // "alpha" resolved to "zeta" moved to the end: the list is sorted again for the lookup.
  EXPECT_EQ(list, (std::vector<std::string>{upperAscii(t / "beta/"), upperAscii(t / "missing/*.*"), root + "/ZETA/"}));
}

TEST(HarborListTest, CollapseKeepsWholeTreeEntriesAndDropsWhatLiesBelow) {
  std::vector<std::string> list = {"/apps/", "/apps/data/", "/Apps/Data/*.*", "/appsx/", "/other/", "/apps/*.*"};
  std::vector<std::string> scratch;
  collapseWholeTreeEntries(list, scratch);
  // Both nested whole-tree entries stay; the one-folder entries below them go; "/appsx/"
  // is a different folder and stays.
  EXPECT_EQ(list, (std::vector<std::string>{"/apps/*.*", "/Apps/Data/*.*", "/appsx/", "/other/"}));
}

TEST(HarborListTest, CollapseAfterEditingAnEntryIntoAWholeTree) {
  std::vector<std::string> list = {"/APPS/*.*", "/APPS/DATA/", "/APPS/DATA/*.*", "/BIN/"};
  collapseWholeTreeEntries(list);
  EXPECT_EQ(list, (std::vector<std::string>{"/APPS/*.*", "/APPS/DATA/*.*", "/BIN/"}));
}

TEST(HarborListTest, FindFolderEntryOneFolderEntriesMatchOnlyTheirOwnFolder) {
  const auto list = sorted({"/BIN/", "/USR/BIN/", "/USR/LOCAL/BIN/"});
  EXPECT_GE(findFolderEntry("/USR/BIN/", list), 0);
  EXPECT_GE(findFolderEntry("/usr/local/bin/", list), 0);
  EXPECT_EQ(findFolderEntry("/USR/BIN/SUB/", list), -1);
  EXPECT_EQ(findFolderEntry("/USR/", list), -1);
  EXPECT_EQ(findFolderEntry("/USR/BIN", list), -1);
  EXPECT_EQ(findFolderEntry("/USR/BIN/", {}), -1);
}

TEST(HarborListTest, FindFolderEntryWholeTreeEntriesCoverTheirTree) {
  const auto list = sorted({"/APPS/*.*", "/APPSX/", "/BIN/", "/OPT/TOOL/*.*"});
  EXPECT_EQ(list[findFolderEntry("/APPS/X/Y/", list)], "/APPS/*.*");
  EXPECT_EQ(list[findFolderEntry("/APPS/", list)], "/APPS/*.*");
  EXPECT_EQ(list[findFolderEntry("/OPT/TOOL/LIB/", list)], "/OPT/TOOL/*.*");
  EXPECT_EQ(findFolderEntry("/APPSY/", list), -1);
  EXPECT_EQ(findFolderEntry("/OPT/", list), -1);
  // A whole-tree entry is a prefix rule, never a match somewhere inside the path.
  EXPECT_EQ(findFolderEntry("/HOME/U/APPS/", list), -1);
}

TEST(HarborListTest, FindFolderEntryFindsAnOuterTreePastANestedOne) {
  // A plain bisection lands on the nested entry first and turns away from the outer one.
  const auto list = sorted({"/APPS/*.*", "/APPS/DATA/*.*", "/D/X/"});
  EXPECT_EQ(list[findFolderEntry("/APPS/ZZZ/", list)], "/APPS/*.*");
  EXPECT_GE(findFolderEntry("/APPS/DATA/DEEP/", list), 0);
  EXPECT_GE(findFolderEntry("/D/X/", list), 0);
}

TEST(HarborListTest, FindFolderEntryComparesLongEntriesInFull) {
  // Entries are compared whole: a long entry protects its own folder and nothing shorter.
  const std::string longFolder = "/HOME/USER/.LOCAL/SHARE/SOME VENDOR/SOME APPLICATION WITH A LONG NAME/VERSION 12.3/";
  ASSERT_GT(longFolder.size(), 80u);
  const std::string cut = longFolder.substr(0, 80);
  const auto list = sorted({longFolder, "/A/" + longFolder.substr(1) + "*.*"});
  EXPECT_EQ(list[findFolderEntry(longFolder, list)], longFolder);
  EXPECT_EQ(findFolderEntry(cut, list), -1);
  EXPECT_GE(findFolderEntry("/A/" + longFolder.substr(1) + "BIN/", list), 0);
  EXPECT_EQ(findFolderEntry("/A/" + cut.substr(1), list), -1);
}

TEST(HarborListTest, ProtectedTypesMatchPatternOrWholeName) {
  const std::vector<std::string> types = {"*.sys", "*.drv", "config.dat", "*"};
  EXPECT_TRUE(matchesProtectedType("/data/X.SYS", types));
  EXPECT_TRUE(matchesProtectedType("/data/a.b.drv", types));
  EXPECT_TRUE(matchesProtectedType("/data/Config.DAT", types));
  EXPECT_TRUE(matchesProtectedType("/data/README", types));  // "*" is the pattern of names without a dot
  EXPECT_FALSE(matchesProtectedType("/data/x.sysx", types));
  EXPECT_FALSE(matchesProtectedType("/data/sys", {"*.sys"}));
  EXPECT_FALSE(matchesProtectedType("/data/x.sys", {}));
  // The extension comes from the name, not from a dot in a folder name.
  EXPECT_EQ(protectedTypePattern("/a.sys/readme"), "*");
  EXPECT_EQ(protectedTypePattern("/a/.bashrc"), "*.bashrc");
}

TEST(HarborListTest, SearchPathFoldersSkipEmptyElementsAndRepeats) {
  EXPECT_EQ(searchPathFolders("/win:/win/command::/bin:"),
            (std::vector<std::string>{"/win/", "/win/command/", "/bin/"}));
  EXPECT_EQ(searchPathFolders(":::/a/:/A:/b/"), (std::vector<std::string>{"/a/", "/b/"}));
  EXPECT_TRUE(searchPathFolders("").empty());
  EXPECT_TRUE(searchPathFolders("::").empty());
}

TEST(HarborListTest, FolderListFileRoundTripAndDamage) {
  TempTree t;
  const std::string text = formatFolderList({"/usr/share/b/", "/opt/App/*.*", "/Etc/a/"});
  EXPECT_EQ(text, "/Etc/a/\r\n/opt/App/*.*\r\n/usr/share/b/\r\n");

  FolderListFile parsed;
  parseFolderList("/a/b\r\n\r\n  \nC:\\WINDOWS\\\n/opt/x*.*\n/last/", parsed);
  EXPECT_EQ(parsed.entries, (std::vector<std::string>{"/a/b/", "/opt/x/*.*", "/last/"}));
  EXPECT_EQ(parsed.badLines, 1);

  // Every line end a text editor may leave, alone or mixed.
  for (const char* ends : {"\r", "\n", "\r\n"}) {
    FolderListFile each;
    parseFolderList(std::string("/a/") + ends + "/b/*.*" + ends + ends + "/c/" + ends, each);
    EXPECT_EQ(each.entries, (std::vector<std::string>{"/a/", "/b/*.*", "/c/"})) << ends;
    EXPECT_EQ(each.badLines, 0) << ends;
  }
  FolderListFile mixed;
  parseFolderList("/a/\r/b/\n/c/\r\n\r\n/d/", mixed);
  EXPECT_EQ(mixed.entries, (std::vector<std::string>{"/a/", "/b/", "/c/", "/d/"}));

  const auto missing = readFolderListFile(t / "none.txt");
  EXPECT_FALSE(missing.exists);

  const auto binary = readFolderListFile(t.file("bin.txt", std::string("/a/\0\x01\x02", 6)));
  EXPECT_TRUE(binary.exists);
  EXPECT_FALSE(binary.readable);
  EXPECT_TRUE(binary.entries.empty());

  const auto folder = readFolderListFile(t.dir("folders.txt"));
  EXPECT_TRUE(folder.exists);
  EXPECT_FALSE(folder.readable);

  const auto good = readFolderListFile(t.file("ok.txt", text));
  EXPECT_TRUE(good.readable);
  EXPECT_EQ(good.entries.size(), 3u);
}
