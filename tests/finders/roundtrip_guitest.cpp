// Files cleaned by the quick clean, zipped through the deletion review, and put back by the
// restore window: into the original root every file returns byte for byte to its own
// path; into another folder the user is asked and the paths nest below it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

#include "archive/folderlist.h"
#include "archive/savezip.h"
#include "archive/unzipit.h"
#include "archive/zipentrymodel.h"
#include "archive/zipnames.h"
#include "archive/ziptestutil.h"
#include "common/testing.h"
#include "deletion/really.h"
#include "finders/clean.h"
#include "finders/temppatterns.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "safeharbor/safeharbor.h"
#include "scan/targets.h"

using namespace roomvale;
namespace rt = roomvale::testing;

namespace {

struct Original {
  std::string path;
  std::string bytes;
  time_t mtime;
};

TEST(RoundTrip, QuickCleanZipThenRestoreBringsEveryFileBack) {
  rt::TempTree tree;
  rt::ScriptedPrompts box;
  safeHarbor().setLists({}, {}, {}, {});
  installDeletionReview();
  const std::string zips = tree.dir("zips") + "/";
  WriteString("ZipFile", "Path", platform::toDisplay(zips));
  const std::string savedZipPath = defaultZipPath;
  defaultZipPath = zips;

  std::vector<Original> files;
  for (const auto& [rel, bytes] :
       std::vector<std::pair<std::string, std::string>>{{"a.tmp", std::string(100, 'a')},
                                                        {"sub/deep/c.tmp", rt::randomBytes(30000, 9)},
                                                        {"empty.tmp", ""},
                                                        {"caf\xe9 \xff.tmp", "not UTF-8"}}) {
    const std::string p = tree.file("data/" + rel, bytes);
    const timespec times[2] = {{0, UTIME_OMIT}, {1600000000 + static_cast<time_t>(files.size()) * 86400, 0}};
    ::utimensat(AT_FDCWD, p.c_str(), times, 0);
    files.push_back({p, bytes, times[1].tv_sec});
  }

  // Quick clean over the tree, everything marked, zipped by the review.
  writeListSection(kNewFoldersSection, {platform::toDisplay(tree / "data/")});
  WriteString(kTempFilesSection, "Number", "");
  {
    TfrmClean clean;
    clean.show();
    setAllChecked(clean.pckDrive, false);
    clean.pckDrive->item(clean.pckDrive->count() - 1)->setCheckState(Qt::Checked);
    clean.btScanClick();
    clean.Markall1->trigger();
    rt::whenShown("frmReallyDelete", [](QWidget* w) {
      rt::whenShown("frmZipOptions", [](QWidget* o) { o->findChild<QPushButton*>("btOK")->click(); });
      qobject_cast<TfrmReallyDelete*>(w)->btZip->click();
    });
    clean.btDelete->click();
  }
  for (const Original& f : files) ASSERT_FALSE(rt::exists(f.path)) << f.path;
  const std::string root = VolumeRoots().rootOf(tree.path());

  // Restores the one archive of the run into `destination`; returns the boxes shown.
  auto restore = [&](const std::string& destination) {
    box.clear();
    TfrmUnZipIt w;
    rt::ModelContract contract(w.outlineModel());
    w.show();
    EXPECT_EQ(w.FileListBox1->count(), 1);
    w.FileListBox1->setCurrentRow(0);
    rt::whenShown("frmZipDirectory", [&](QWidget* d) {
      auto* dest = qobject_cast<TfrmZipDirectory*>(d);
      EXPECT_EQ(dest->DirLabel->text(), platform::toDisplay(root));  // opens at the original root
      if (destination != root) dest->DLB->setFolder(destination);
      dest->Button1->click();
    });
    w.btExtract->click();
    EXPECT_EQ(w.outlineModel()->fileCount(), files.size());
    return box.texts();
  };

  EXPECT_EQ(restore(root), QStringList{"Files were unzipped"});
  for (const Original& f : files) {
    EXPECT_EQ(rt::fileBytes(f.path), f.bytes) << f.path;
    struct stat st {};
    ASSERT_EQ(::stat(f.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, f.mtime) << f.path;  // even seconds survive the DOS time exactly
  }

  const std::string other = tree.dir("other");
  EXPECT_EQ(restore(other), (QStringList{"You are not restoring into the original root folder.  The files will not be "
                                         "restored to their original locations. Is this OK?",
                                         "Files were unzipped"}));
  for (const Original& f : files)
    EXPECT_EQ(rt::fileBytes(platform::joinPath(other, *entryNameFor(f.path, root))), f.bytes) << f.path;

  setDeletionReviewOpener({});
  defaultZipPath = savedZipPath;
}

}  // namespace
