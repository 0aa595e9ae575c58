#include <gtest/gtest.h>
#include <unistd.h>

#include "common/testing.h"
#include "foundation/settings.h"
#include "safeharbor/harborlist.h"
#include "safeharbor/safeharbor.h"

using namespace roomvale;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::TempTree;

namespace {

// A Safe Harbor over a temporary tree: "win" and "sys" stand for /etc/ and /usr/lib/, the
// folder file lives in the tree, PATH is given.
struct Harbor {
  TempTree t;
  SafeHarbor sh;
  std::string root = shortPathName(t.path());

  Harbor() {
    t.dir("win");
    t.dir("sys");
  }
  void load(const std::string& listText, const std::string& path, bool writeList = true) {
    if (writeList) t.file("folders.txt", listText);
    SafeHarbor::Sources s;
    s.listFile = t / "folders.txt";
    s.searchPath = path;
    s.systemFolder = t / "sys/";
    s.windowsFolder = t / "win";
    sh.setSources(s);
    sh.GetSearchPath();
  }
  int reason(const std::string& path, bool isFile) {
    int r = -1;
    const bool answer = sh.isInSafeHarbor(path, isFile, r);
    EXPECT_EQ(answer, r > 0) << path;
    return r;
  }
};

}  // namespace

TEST(SafeHarborQueryTest, SearchPathEntriesProtectOnlyTheirOwnFolders) {
  Harbor h;
  h.t.dir("win/command");
  h.t.dir("bin/sub");
  h.load("", h.t / "win" + ":" + h.t / "win/command" + "::" + h.t / "bin" + ":");
  const std::string R = upperAscii(h.root);
  EXPECT_EQ(h.sh.lbSearchPath(), (std::vector<std::string>{R + "/BIN/", R + "/WIN/", R + "/WIN/COMMAND/"}));
  EXPECT_FALSE(h.sh.safeHarborMissing());
  EXPECT_EQ(h.reason(h.t / "bin/tool", true), kInSearchPath);
  EXPECT_EQ(h.reason(h.t / "bin/sub/tool", true), kNotProtected);
}

TEST(SafeHarborQueryTest, SystemFoldersWinOverSearchPathAndList) {
  Harbor h;
  h.load(h.t / "win/\r\n", h.t / "win");
  EXPECT_EQ(h.reason(h.t / "win/hosts", true), kInSystemFolder);
  EXPECT_EQ(h.reason(h.t / "sys/", false), kInSystemFolder);
  EXPECT_EQ(safeHarborReasonText(kInSystemFolder), "in the system folders");
}

TEST(SafeHarborQueryTest, WholeTreeEntriesProtectEverythingBelow) {
  Harbor h;
  h.t.dir("apps/x/y");
  h.t.dir("plain/x");
  h.load(h.t / "apps/*.*\r\n" + h.t / "plain/\r\n" + h.t / "apps/x/\r\n", "");
  EXPECT_EQ(h.reason(h.t / "apps/x/y/file", true), kInFolderList);
  EXPECT_EQ(h.reason(h.t / "plain/file", true), kInFolderList);
  EXPECT_EQ(h.reason(h.t / "plain/x/file", true), kNotProtected);
  // The one-folder entry below the tree was absorbed by it.
  EXPECT_EQ(h.sh.lb1().size(), 4u);  // apps/*.*, plain/, sys/, win/
  EXPECT_EQ(safeHarborReasonText(kInFolderList), "referenced in the configuration files");
}

TEST(SafeHarborQueryTest, FolderAndFileFormsOfAQuery) {
  Harbor h;
  h.t.dir("temp");
  h.load(h.t / "temp/\r\n", "");
  EXPECT_EQ(h.reason(h.t / "temp", false), kInFolderList);  // the folder temp/
  EXPECT_EQ(h.reason(h.t / "temp/", false), kInFolderList);
  EXPECT_EQ(h.reason(h.t / "temp", true), kNotProtected);  // a file in the tree's root
}

TEST(SafeHarborQueryTest, LinksAndCaseAreSeenThrough) {
  Harbor h;
  h.t.dir("real/Data");
  ASSERT_EQ(::symlink((h.t / "real").c_str(), (h.t / "alias").c_str()), 0);
  // The list names the folder through a link, the query through its real path, and the
  // other way round; case does not matter.
  h.load(h.t / "alias/Data/\r\n", h.t / "ALIAS/Data");
  EXPECT_EQ(h.reason(h.t / "real/Data/f", true), kInFolderList);
  EXPECT_EQ(h.reason(h.t / "real/DATA/f", true), kInFolderList);
  EXPECT_EQ(h.reason(h.t / "alias/Data/f", true), kInFolderList);
}

TEST(SafeHarborQueryTest, ProtectedTypesApplyToFilesOnly) {
  Harbor h;
  h.t.dir("data/x.sys");
  h.load(h.t / "win/\r\n", "");
  h.sh.setLists(h.sh.lb1(), h.sh.lbSearchPath(), h.sh.lbWindows(), {"*.SYS", "Keep.Me"});
  EXPECT_EQ(h.sh.lbExt(), (std::vector<std::string>{"*.sys", "keep.me"}));
  EXPECT_EQ(h.reason(h.t / "data/X.SYS", true), kProtectedFileType);
  EXPECT_EQ(h.reason(h.t / "data/keep.me", true), kProtectedFileType);
  EXPECT_EQ(h.reason(h.t / "data/x.sys", false), kNotProtected);
  EXPECT_EQ(h.reason(h.t / "data/x.txt", true), kNotProtected);
  // A folder rule comes first.
  EXPECT_EQ(h.reason(h.t / "win/x.sys", true), kInSystemFolder);
  EXPECT_EQ(safeHarborReasonText(kProtectedFileType), "included in the protected file extensions");
  EXPECT_EQ(safeHarborReasonText(0), "");
  EXPECT_EQ(safeHarborReasonText(7), "");
}

TEST(SafeHarborQueryTest, ProtectedTypesComeFromTheSettingsWithDefaultsUntilSaved) {
  Harbor h;
  h.load("", "");
  // Never saved: the two types the editors show protect too.
  h.sh.ReadSafeHarborExtensions();
  EXPECT_EQ(h.sh.lbExt(), (std::vector<std::string>{"*.drv", "*.sys"}));
  ASSERT_TRUE(writeListSection("NoDelExt", {"*.BAK\tBackup", "", "Notes.TXT"}));
  h.sh.ReadSafeHarborExtensions();
  EXPECT_EQ(h.sh.lbExt(), (std::vector<std::string>{"*.bak", "notes.txt"}));
  EXPECT_EQ(h.reason(h.t / "x.sys", true), kNotProtected);
  EXPECT_EQ(h.reason(h.t / "x.Bak", true), kProtectedFileType);
  ASSERT_TRUE(writeListSection("NoDelExt", {}));
  h.sh.ReadSafeHarborExtensions();
  EXPECT_TRUE(h.sh.lbExt().empty());
}

TEST(SafeHarborQueryTest, LastFolderCacheAnswersRepeatsAndIsCleared) {
  Harbor h;
  h.t.dir("keep");
  h.load(h.t / "keep/\r\n", "");
  EXPECT_EQ(h.reason(h.t / "keep/a", true), kInFolderList);
  EXPECT_EQ(h.reason(h.t / "keep/b", true), kInFolderList);
  EXPECT_EQ(h.sh.cacheHits(), 1u);
  h.sh.clearCache();
  EXPECT_EQ(h.reason(h.t / "keep/c", true), kInFolderList);
  EXPECT_EQ(h.sh.cacheHits(), 0u);
  // A folder asked as a folder with and without its "/" is the same folder.
  EXPECT_EQ(h.reason(h.t / "keep", false), kInFolderList);
  EXPECT_EQ(h.reason(h.t / "keep/", false), kInFolderList);
  EXPECT_EQ(h.sh.cacheHits(), 2u);

  // With protected types the folder answer is still reused, the type still checked.
  h.sh.setLists(h.sh.lb1(), h.sh.lbSearchPath(), h.sh.lbWindows(), {"*.sys"});
  EXPECT_EQ(h.reason(h.t / "other.txt", true), kNotProtected);
  EXPECT_EQ(h.reason(h.t / "other.sys", true), kProtectedFileType);
  EXPECT_EQ(h.reason(h.t / "other.txt", true), kNotProtected);
  EXPECT_EQ(h.sh.cacheHits(), 2u);
}

TEST(SafeHarborQueryTest, ACachedFolderThatOnlyBeginsWithTheOneAskedIsAnotherFolder) {
  Harbor h;
  h.t.dir("plain");
  h.t.dir("plainx");
  h.load(h.t / "plain/\r\n", "");
  EXPECT_EQ(h.reason(h.t / "plainx/", false), kNotProtected);
  EXPECT_EQ(h.reason(h.t / "plain", false), kInFolderList);
  EXPECT_EQ(h.sh.cacheHits(), 0u);
}

TEST(SafeHarborQueryTest, FoldersAskedAboutAreRememberedUntilTheCacheIsCleared) {
  Harbor h;
  h.t.dir("keep");
  h.t.dir("free");
  h.t.dir("other");
  ASSERT_EQ(::symlink((h.t / "keep").c_str(), (h.t / "link").c_str()), 0);
  h.load(h.t / "keep/\r\n", "");
  EXPECT_EQ(h.reason(h.t / "link/a", true), kInFolderList);
  EXPECT_EQ(h.reason(h.t / "other/a", true), kNotProtected);
  // The link now points elsewhere, but within one batch its folder is not resolved again.
  ASSERT_EQ(::unlink((h.t / "link").c_str()), 0);
  ASSERT_EQ(::symlink((h.t / "free").c_str(), (h.t / "link").c_str()), 0);
  EXPECT_EQ(h.reason(h.t / "link/b", true), kInFolderList);
  EXPECT_EQ(h.sh.cacheHits(), 1u);
  // Clearing (the progress window does so around every batch) resolves it afresh.
  h.sh.clearCache();
  EXPECT_EQ(h.reason(h.t / "link/c", true), kNotProtected);
  EXPECT_EQ(h.sh.cacheHits(), 0u);
}

TEST(SafeHarborQueryTest, ReloadingTheListsNeverAnswersFromAStaleCache) {
  Harbor h;
  h.t.dir("new");
  h.load("", "");
  EXPECT_EQ(h.reason(h.t / "new/a", true), kNotProtected);
  h.load(h.t / "new/\r\n", "");
  EXPECT_EQ(h.reason(h.t / "new/b", true), kInFolderList);
}

TEST(SafeHarborQueryTest, MissingUnreadableAndDamagedFolderFiles) {
  ScriptedPrompts prompts;
  {
    Harbor h;
    h.load("", "", false);
    EXPECT_TRUE(h.sh.safeHarborMissing());
    EXPECT_TRUE(prompts.records.empty());
  }
  {
    Harbor h;
    h.t.dir("folders.txt");  // a folder where the file should be
    h.load("", "", false);
    EXPECT_TRUE(h.sh.safeHarborMissing());
    ASSERT_EQ(prompts.texts(MessageKind::Error).size(), 1);
    EXPECT_TRUE(prompts.texts(MessageKind::Error)[0].contains("could not be read"));
  }
  prompts.clear();
  {
    Harbor h;
    h.t.dir("keep");
    h.load("garbage line\r\n" + h.t / "keep/\r\nC:\\WINDOWS\\\r\n", "");
    EXPECT_FALSE(h.sh.safeHarborMissing());
    ASSERT_EQ(prompts.texts(MessageKind::Error).size(), 1);
    EXPECT_TRUE(prompts.texts(MessageKind::Error)[0].contains("2 line(s)"));
    EXPECT_EQ(h.reason(h.t / "keep/x", true), kInFolderList);
  }
}

TEST(SafeHarborQueryTest, GateRefusesWhileNoListExists) {
  ScriptedPrompts prompts;
  TempTree t;
  SafeHarbor::Sources s;
  s.listFile = t / "folders.txt";
  s.searchPath = "";
  safeHarbor().setSources(s);
  safeHarbor().GetSearchPath();
  EXPECT_FALSE(checkExceptionList());
  EXPECT_EQ(prompts.texts(MessageKind::Error),
            QStringList{"The Safe Harbor list of folders/files not to delete has not been created yet.  Click on the "
                        "Build Safe Harbor button to initialize."});
  t.file("folders.txt", "/x/\r\n");
  safeHarbor().GetSearchPath();
  EXPECT_TRUE(checkExceptionList());
  EXPECT_EQ(prompts.records.size(), 1u);
  safeHarbor().setSources({});
}
