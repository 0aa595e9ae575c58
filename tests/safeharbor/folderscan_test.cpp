#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "common/testing.h"
#include "safeharbor/folderscan.h"

using namespace roomvale;
using roomvale::testing::TempTree;

namespace {

std::vector<std::string> values(std::string_view text) {
  std::vector<std::string> out;
  forEachConfigValue(text, [&](std::string_view v) { out.emplace_back(v); });
  return out;
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// A scan that knows no removable volumes (the machine's own are irrelevant here).
FolderScan plainScan(const std::vector<std::string>& listed = {}) {
  FolderScan scan(listed);
  scan.skipVolume = [](const std::string&) { return false; };
  return scan;
}

}  // namespace

TEST(FolderScanTest, ValuesOfTheThreeLineForms) {
  EXPECT_EQ(values("Exec=/usr/bin/app %U\n"
                   "  Path = /opt/app  \r\n"
                   "ServerRoot /etc/cups\n"
                   "# Exec=/commented/out\n"
                   "; also=/commented\n"
                   "[Desktop Entry]\n"
                   "novalue\n"
                   "empty=\n"
                   "\n"
                   "a==b"),
            (std::vector<std::string>{"/usr/bin/app %U", "/opt/app", "/etc/cups", "Entry]", "=b"}));
}

TEST(FolderScanTest, FolderReferenceTest) {
  EXPECT_EQ(folderReference("/opt/App/app.exe"), "/opt/App/");
  EXPECT_EQ(folderReference("/usr/bin/app %U"), "/usr/bin/");
  EXPECT_EQ(folderReference("/etc"), "/");
  EXPECT_EQ(folderReference("/"), std::nullopt);                     // too short
  EXPECT_EQ(folderReference("/usr/lib/x.so /tmp:x"), std::nullopt);  // a second ":" style separator
  EXPECT_EQ(folderReference("/usr/bin:/bin"), std::nullopt);         // a list
  EXPECT_EQ(folderReference("/app;/bin"), std::nullopt);
  EXPECT_EQ(folderReference("\"/usr/bin/app\""), std::nullopt);  // begins with a quote
  EXPECT_EQ(folderReference("usr/bin/app"), std::nullopt);       // not absolute
  EXPECT_EQ(folderReference("file:///usr/share/x"), std::nullopt);
}

TEST(FolderScanTest, AddsExistingReferencedFoldersOnceAndRefusesTheRest) {
  TempTree t;
  t.dir("Program Files/App");
  t.dir("removable/disk");
  t.dir("mine/data");
  t.file("target.txt");
  t.file("cfg/a.conf",
         "exe=" + t / "Program Files/App/app.exe\n" +      // added
             "again=" + t / "program files/APP/other\n" +  // the same folder in other case: not again
             "gone=" + t / "missing/app\n" +               // does not exist
             "file=" + t / "target.txt/x\n" +              // not a folder
             "list=" + t / "Program Files/App" + ":/bin\n" + "floppy=" + t / "removable/disk/setup\n" +
             "datadir=" + t / "mine/data\n" +    // a folder named without its "/": it and its parent
             "disk=" + t / "removable/disk\n" +  // ... but not on a removable volume
             "exe2=" + t / "mine/data/tool\n");  // no such folder: only the parent, already there
  t.file("cfg/b.conf", "dup=" + t / "Program Files/App/b\n" + "listed " + t / "cfg/x\n");

  FolderScan scan({t / "CFG/"});
  scan.skipVolume = [&](const std::string& f) { return f.rfind(t / "removable/", 0) == 0; };
  std::vector<std::string> seen;
  scan.onFound = [&](const std::string& f) { seen.push_back(f); };
  EXPECT_TRUE(scan.walk(t.path()));
  EXPECT_EQ(seen, (std::vector<std::string>{t / "Program Files/App/", t / "mine/", t / "mine/data/"}));
  EXPECT_EQ(scan.found(), seen);
}

TEST(FolderScanTest, SkippedFilesAreNotRead) {
  TempTree t;
  t.file("tree/own.ini", "File1=" + t.dir("added") + "/\n");
  t.file("tree/other.conf", "v=" + t.dir("other") + "/x\n");
  FolderScan scan = plainScan();
  scan.skipFile(t / "tree/own.ini");
  scan.walk(t / "tree");
  EXPECT_EQ(scan.found(), (std::vector<std::string>{t / "other/"}));
}

TEST(FolderScanTest, FoldersDeeperThanTheLimitAreNotRead) {
  TempTree t;
  const std::string refs = t.dir("refs");
  std::string rel;
  for (int level = 1; level <= 26; ++level) {
    rel += "/k" + std::to_string(level);
    t.dir("refs/" + std::to_string(level));
    t.file("tree" + rel + "/values", "v=" + refs + "/" + std::to_string(level) + "/x\n");
  }
  t.file("tree/root.conf", "v=" + refs + "/x\n");
  FolderScan scan = plainScan();
  scan.walk(t / "tree");
  const auto& found = scan.found();
  EXPECT_TRUE(contains(found, refs + "/"));  // the root's own files are read
  EXPECT_TRUE(contains(found, refs + "/1/"));
  EXPECT_TRUE(contains(found, refs + "/25/"));
  EXPECT_FALSE(contains(found, refs + "/26/"));
  EXPECT_EQ(found.size(), 26u);
}

TEST(FolderScanTest, LinksBinaryLargeAndOddFilesAreSkipped) {
  TempTree t;
  const std::string target = t.dir("target");
  t.dir("elsewhere");
  t.file("elsewhere/values.conf", "v=" + target + "/via-linked-folder\n");
  t.file("outside.conf", "v=" + target + "/via-linked-file\n");
  t.file("tree/ok.conf", "v=" + t.dir("plain") + "/x\n");
  ASSERT_EQ(::symlink((t / "elsewhere").c_str(), (t / "tree/linked").c_str()), 0);
  ASSERT_EQ(::symlink((t / "outside.conf").c_str(), (t / "tree/linked.conf").c_str()), 0);
  ASSERT_EQ(::symlink((t / "nowhere").c_str(), (t / "tree/dangling").c_str()), 0);
  ASSERT_EQ(::mkfifo((t / "tree/fifo").c_str(), 0644), 0);
  t.file("tree/binary.dat", std::string("v=") + t.dir("bin-ref") + "/x\n" + std::string(1, '\0'));
  std::string big = "v=" + t.dir("big-ref") + "/x\n";
  big.resize((1u << 20) + 1, '#');
  t.file("tree/big.conf", big);

  FolderScan scan = plainScan();
  EXPECT_TRUE(scan.walk(t / "tree"));
  EXPECT_EQ(scan.found(), (std::vector<std::string>{t / "plain/"}));
  EXPECT_EQ(scan.stats().filesRead, 1u);
  EXPECT_GE(scan.stats().filesSkipped, 2u);
}

TEST(FolderScanTest, MissingRootsAreSkippedAndAStopEndsTheWalk) {
  TempTree t;
  for (int i = 0; i < 20; ++i)
    t.file("tree/d" + std::to_string(i) + "/v.conf", "v=" + t.dir("r" + std::to_string(i)) + "/x\n");
  {
    FolderScan scan = plainScan();
    EXPECT_TRUE(scan.walk(ConfigTrees{{t / "absent", t / "tree"}, {t / "also-absent"}}));
    EXPECT_EQ(scan.found().size(), 20u);
  }
  {
    FolderScan scan = plainScan();
    int calls = 0;
    scan.keepGoing = [&] { return ++calls < 5; };
    EXPECT_FALSE(scan.walk(ConfigTrees{{t / "tree"}, {t / "tree"}}));
    EXPECT_TRUE(scan.stopped());
    EXPECT_LT(scan.found().size(), 20u);
  }
}
