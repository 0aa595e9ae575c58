// The deletion review on real trees: from the quick clean's Clean? through each action, and
// the review's own panels, messages and refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "archive/zipnames.h"
#include "archive/ziptestutil.h"
#include "common/testing.h"
#include "deletion/deletionlog.h"
#include "deletion/really.h"
#include "deletion/reviewlist.h"
#include "deletion/totals.h"
#include "finders/clean.h"
#include "finders/temppatterns.h"
#include "foundation/helpers.h"
#include "foundation/settings.h"
#include "foundation/standby.h"
#include "platform/paths.h"
#include "safeharbor/harborlist.h"
#include "safeharbor/safeharbor.h"
#include "scan/resultgrid.h"
#include "scan/targets.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using namespace roomvale;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::TempTree;
using roomvale::testing::whenShown;
namespace rt = roomvale::testing;

namespace {

const QDateTime kNow(QDate(2024, 3, 15), QTime(14, 5, 30));

const QString kRecycleQuestion =
    "Note that files sent to the trash keep taking up disk space until the trash is emptied. \n\nSend to the trash "
    "anyway?";
const QString kNoFiles =
    "There are no files on the deletion panel.  In order to perform this operation you need to move files from the "
    "NON-DELETE list to the deletion panel.";
const QString kAllProtected =
    "All files selected appear on the Safe Harbor list.  To delete the files anyway, move them off of the Safe Harbor "
    "list onto the DELETION PANEL.";

QString shown(const std::string& path) { return QString::fromStdString(path); }

TfrmReallyDelete* asReview(QWidget* w) {
  auto* r = qobject_cast<TfrmReallyDelete*>(w);
  EXPECT_NE(r, nullptr);
  return r;
}

void select(QListView* view, std::initializer_list<int> rows) {
  view->selectionModel()->clearSelection();
  for (int r : rows) {
    const QModelIndex index = view->model()->index(r, 0);
    view->selectionModel()->select(index, QItemSelectionModel::Select);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  }
}

// Presses OK (after typing `comment`) or Cancel in the archive options window once it shows.
void answerZipOptions(bool ok, const QString& comment = {}) {
  whenShown("frmZipOptions", [=](QWidget* w) {
    if (!comment.isNull()) w->findChild<QLineEdit*>("Edit2")->setText(comment);
    w->findChild<QPushButton*>(ok ? "btOK" : "btCancel")->click();
  });
}

class ReviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    std::remove(iniFileForKey(getRegistryKey()).c_str());
    QDir data(platform::toDisplay(platform::userDataFolder()));
    for (const QString& name : data.entryList({"grdelete.txt*"}, QDir::Files)) data.remove(name);
    loadDeletionLog();
    QDir(platform::toDisplay(platform::dataHome() + "/Trash")).removeRecursively();

    root = upperAscii(shortPathName(tree.path()));
    safeHarbor().setLists({root + "/PROT/"}, {}, {}, {});
    zips = tree.dir("zips") + "/";
    WriteString("ZipFile", "Path", platform::toDisplay(zips));
    savedZipPath = defaultZipPath;
    defaultZipPath = zips;
    installDeletionReview();
    setStandByHook([this] { ++standByCalls; });
  }
  void TearDown() override {
    setDeletionReviewOpener({});
    setStandByHook({});
    defaultZipPath = savedZipPath;
    safeHarbor().setLists({}, {}, {}, {});
    QLocale::setDefault(QLocale::system());
  }

  // The quick clean over the tree, every file it found marked.
  std::unique_ptr<TfrmClean> quickClean() {
    writeListSection(kNewFoldersSection, {shown(tree.path() + "/")});
    WriteString(kTempFilesSection, "Number", "");
    auto w = std::make_unique<TfrmClean>();
    w->show();
    setAllChecked(w->pckDrive, false);
    w->pckDrive->item(w->pckDrive->count() - 1)->setCheckState(Qt::Checked);
    w->btScanClick();
    w->Markall1->trigger();
    return w;
  }

  std::unique_ptr<TfrmReallyDelete> review(const std::vector<std::string>& paths, std::uint64_t total) {
    auto w = std::make_unique<TfrmReallyDelete>();
    w->setRequest({paths, total, "TempClean", {}});
    w->show();
    return w;
  }

  std::string archiveFor(const std::string& path) const {
    return archivePathFor("TempClean", path, kNow, VolumeRoots());
  }
  std::string entryFor(const std::string& path) const {
    const VolumeRoots roots;
    return *entryNameFor(path, roots.rootOf(path));
  }
  QStringList logEntry(int row) const {
    QStringList cells;
    for (int c = 0; c < kLogColumns; ++c) cells << deletionLog().cell(c, row);
    return cells;
  }
  int zipCount() const { return static_cast<int>(QDir(shown(zips)).entryList({"*.zip"}, QDir::Files).size()); }

  TempTree tree;
  ScriptedPrompts prompts;
  rt::FixedClock clock{kNow};
  std::string root;
  std::string zips;
  std::string savedZipPath;
  int standByCalls = 0;
};

// The quick clean's tree: three files to delete and one in a protected folder.
struct CleanFiles {
  std::string a, b, c, prot;
  explicit CleanFiles(const TempTree& t)
      : a(t.file("a.tmp", std::string(100, 'a'))),
        b(t.file("B.bak", rt::textBytes(200))),
        c(t.file("sub/c.tmp", rt::randomBytes(300, 3))),
        prot(t.file("prot/d.tmp", std::string(400, 'd'))) {}
  std::vector<std::string> unprotected() const { return {a, b, c}; }
};

}  // namespace

TEST_F(ReviewTest, QuickCleanToDeletionRemovesTheFilesAndCreditsWhatWasDeleted) {
  const CleanFiles f(tree);
  auto clean = quickClean();
  ASSERT_EQ(clean->grid->data().markedCount(), 4);

  std::vector<std::string> left, right;
  QStringList labels;
  int page = -1;
  whenShown("frmReallyDelete", [&](QWidget* w) {
    TfrmReallyDelete* r = asReview(w);
    left = r->deletionPanel()->paths();
    right = r->safeHarborPanel()->paths();
    labels << r->windowTitle() << r->lblSavings->text() << r->lblDelete->text() << r->lblLeft->text()
           << r->lblRight->text();
    page = r->TabbedNotebook1->currentIndex();
    EXPECT_FALSE(r->btToAgainst->isEnabled());
    EXPECT_TRUE(r->pnlButtons->isVisible());
    EXPECT_FALSE(r->pnlProgress->isVisible());
    r->btDelete->click();
  });
  clean->btDelete->click();

  EXPECT_EQ(left, f.unprotected());  // sorted without regard to case
  EXPECT_EQ(right, std::vector<std::string>{f.prot});
  EXPECT_EQ(labels,
            (QStringList{"Clean up the following files", "1,000 bytes", "Delete - 3, Do NOT delete - 1",
                         "Deletion Panel - files to be deleted: 3", "Safe Harbor - files NOT to be deleted: 1"}));
  EXPECT_EQ(page, 0);
  EXPECT_EQ(standByCalls, 2);  // the stand-by window came and went
  EXPECT_EQ(prompts.texts(), QStringList{"Really delete?"});

  for (const std::string& p : f.unprotected()) EXPECT_FALSE(rt::exists(p)) << p;
  EXPECT_EQ(rt::readFile(f.prot), std::string(400, 'd'));
  EXPECT_FALSE(clean->isVisible());
  EXPECT_EQ(clean->result(), QDialog::Accepted);

  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nDelete, 3);
  EXPECT_EQ(t.sizeDelete, 600);  // not the 1,000 of the request: the protected file stayed
  EXPECT_EQ(t.nWaste, 0);
  EXPECT_EQ(t.delDate, dayNumber(kNow.date()));
  EXPECT_EQ(logEntry(1), (QStringList{"2024-03-15 14:05", "3", "600", "0", "0", "0", "0"}));
}

TEST_F(ReviewTest, QuickCleanToTrashPutsTheFilesInTheTrash) {
  const CleanFiles f(tree);
  auto clean = quickClean();
  whenShown("frmReallyDelete", [&](QWidget* w) { asReview(w)->btRecycle->click(); });
  clean->btDelete->click();

  EXPECT_EQ(prompts.texts(), QStringList{kRecycleQuestion});
  const std::string trash = platform::dataHome() + "/Trash/";
  for (const std::string& p : f.unprotected()) {
    EXPECT_FALSE(rt::exists(p)) << p;
    const std::string name = platform::nameOf(p);
    EXPECT_TRUE(rt::exists(trash + "files/" + name)) << name;
    const std::string info = rt::readFile(trash + "info/" + name + ".trashinfo");
    EXPECT_NE(info.find("Path="), std::string::npos) << name;
  }
  EXPECT_EQ(rt::readFile(trash + "files/B.bak"), rt::textBytes(200));
  EXPECT_TRUE(rt::exists(f.prot));
  EXPECT_EQ(clean->result(), QDialog::Accepted);

  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nWaste, 3);
  EXPECT_EQ(t.sizeWaste, 600);
  EXPECT_EQ(t.nDelete, 0);
  EXPECT_EQ(logEntry(1), (QStringList{"2024-03-15 14:05", "0", "0", "3", "600", "0", "0"}));
}

TEST_F(ReviewTest, QuickCleanToArchiveStoresTheOriginalBytesThenDeletes) {
  const CleanFiles f(tree);
  auto clean = quickClean();
  whenShown("frmReallyDelete", [&](QWidget* w) {
    answerZipOptions(true, "before the holidays");
    asReview(w)->btZip->click();
  });
  clean->btDelete->click();

  EXPECT_EQ(prompts.texts(),
            QStringList{"Files deleted and stored in archive zip files in the folder \"" + shown(zips) + "\""});
  const std::string archive = archiveFor(f.a);
  EXPECT_EQ(platform::folderOf(archive), zips);
  EXPECT_TRUE(shown(archive).endsWith("-TempClean15Mar241405.zip"));
  EXPECT_EQ(zipCount(), 1);
  EXPECT_EQ(rt::unzipTest(archive), 0);
  const rt::ArchiveRead read = rt::readArchive(archive);
  EXPECT_EQ(read.comment, "before the holidays");
  EXPECT_EQ(read.entries.size(), 3u);
  EXPECT_EQ(read.entries.at(entryFor(f.a)).data, std::string(100, 'a'));
  EXPECT_EQ(read.entries.at(entryFor(f.b)).data, rt::textBytes(200));
  EXPECT_EQ(read.entries.at(entryFor(f.c)).data, rt::randomBytes(300, 3));
  for (const std::string& p : f.unprotected()) EXPECT_FALSE(rt::exists(p)) << p;
  EXPECT_TRUE(rt::exists(f.prot));
  EXPECT_EQ(clean->result(), QDialog::Accepted);

  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nZip, 3);
  EXPECT_EQ(t.sizeZip, 600);
  EXPECT_EQ(t.zipDate, dayNumber(kNow.date()));
  EXPECT_EQ(t.nDelete, -1);
  EXPECT_EQ(logEntry(1), (QStringList{"2024-03-15 14:05", "0", "0", "0", "0", "3", "600"}));
}

TEST_F(ReviewTest, CancelPathsLeaveEverythingUntouched) {
  const CleanFiles f(tree);
  auto clean = quickClean();

  // Refused confirmations and a cancelled options window keep the review open as it was.
  prompts.answers = {Answer::No, Answer::No};
  std::vector<std::string> before, after;
  bool stillOpen = false;
  whenShown("frmReallyDelete", [&](QWidget* w) {
    TfrmReallyDelete* r = asReview(w);
    before = r->deletionPanel()->paths();
    r->btDelete->click();
    r->btRecycle->click();
    answerZipOptions(false);
    r->btZip->click();
    stillOpen = r->isVisible() && r->pnlButtons->isVisible();
    after = r->deletionPanel()->paths();
    EXPECT_EQ(r->safeHarborPanel()->count(), 1);
    r->btClose->click();  // idle: Cancel
  });
  clean->btDelete->click();
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(before, after);
  EXPECT_EQ(prompts.texts(),
            (QStringList{"Really delete?", "Files not deleted", kRecycleQuestion, "Files not deleted"}));
  EXPECT_TRUE(clean->isVisible());
  EXPECT_EQ(clean->grid->data().markedCount(), 4);

  // The window's close box is a Cancel too.
  whenShown("frmReallyDelete", [&](QWidget* w) { w->close(); });
  clean->btDelete->click();
  EXPECT_TRUE(clean->isVisible());

  for (const std::string& p : {f.a, f.b, f.c, f.prot}) EXPECT_TRUE(rt::exists(p)) << p;
  EXPECT_EQ(zipCount(), 0);
  EXPECT_FALSE(rt::exists(platform::dataHome() + "/Trash/files/a.tmp"));
  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nDelete, -1);
  EXPECT_EQ(t.nWaste, -1);
  EXPECT_EQ(t.nZip, -1);
  EXPECT_EQ(deletionLog().cell(0, 1), "");
}

TEST_F(ReviewTest, AnAllProtectedRequestWarnsAfterHalfASecondAndShowsTheSafeHarborPage) {
  const std::string p = tree.file("prot/x.tmp", "x");
  const std::string q = tree.file("prot/Y.tmp", "y");
  auto w = review({q, p}, 2);
  EXPECT_TRUE(w->deletionPanel()->isEmpty());
  EXPECT_EQ(w->safeHarborPanel()->paths(), (std::vector<std::string>{p, q}));
  EXPECT_EQ(w->TabbedNotebook1->currentIndex(), 0);
  EXPECT_TRUE(prompts.records.empty());

  ASSERT_TRUE(rt::waitFor([&] { return !prompts.records.empty(); }, 3000));
  EXPECT_EQ(prompts.texts(), QStringList{kAllProtected});
  EXPECT_EQ(w->TabbedNotebook1->currentIndex(), 1);

  prompts.clear();
  w->btDelete->click();
  w->btRecycle->click();
  w->btZip->click();
  EXPECT_EQ(prompts.texts(), (QStringList{kNoFiles, kNoFiles, kNoFiles}));
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(rt::exists(p));
}

TEST_F(ReviewTest, MovingFilesBetweenThePanelsKeepsThemSortedAndSwitchesPages) {
  const std::string a = tree.file("a.tmp", "a");
  const std::string b = tree.file("b.tmp", "b");
  const std::string p = tree.file("prot/p.tmp", "p");
  auto w = review({b, p, a}, 3);
  EXPECT_FALSE(w->btToAgainst->isEnabled());
  EXPECT_FALSE(w->btMoveLeft->isEnabled());
  EXPECT_FALSE(w->btReason->isEnabled());

  select(w->lb1, {0});
  EXPECT_TRUE(w->btToAgainst->isEnabled());
  w->btToAgainst->click();
  EXPECT_EQ(w->deletionPanel()->paths(), std::vector<std::string>{b});
  EXPECT_EQ(w->safeHarborPanel()->paths(), (std::vector<std::string>{a, p}));
  EXPECT_EQ(w->TabbedNotebook1->currentIndex(), 0);
  EXPECT_EQ(w->lblDelete->text(), "Delete - 1, Do NOT delete - 2");

  // The last file off the deletion panel shows the Safe Harbor page.
  select(w->lb1, {0});
  w->btToAgainst->click();
  EXPECT_TRUE(w->deletionPanel()->isEmpty());
  EXPECT_EQ(w->TabbedNotebook1->currentIndex(), 1);
  EXPECT_EQ(w->lblLeft->text(), "Deletion Panel - files to be deleted: 0");
  EXPECT_EQ(w->lblRight->text(), "Safe Harbor - files NOT to be deleted: 3");
  EXPECT_FALSE(w->btToAgainst->isEnabled());

  select(w->lb2, {0, 2});
  EXPECT_TRUE(w->btMoveLeft->isEnabled());
  EXPECT_TRUE(w->btReason->isEnabled());
  w->btMoveLeft->click();
  EXPECT_EQ(w->deletionPanel()->paths(), (std::vector<std::string>{a, p}));
  EXPECT_EQ(w->TabbedNotebook1->currentIndex(), 1);
  EXPECT_FALSE(w->btMoveLeft->isEnabled());

  // The last file back shows the deletion page.
  select(w->lb2, {0});
  w->btMoveLeft->click();
  EXPECT_EQ(w->deletionPanel()->paths(), (std::vector<std::string>{a, b, p}));
  EXPECT_TRUE(w->safeHarborPanel()->isEmpty());
  EXPECT_EQ(w->TabbedNotebook1->currentIndex(), 0);
  EXPECT_TRUE(prompts.records.empty());
}

TEST_F(ReviewTest, TheReasonSaysWhyAFileIsOnTheSafeHarborPanel) {
  safeHarbor().setLists({root + "/PROT/"}, {}, {}, {"*.sys"});
  const std::string p = tree.file("prot/p.tmp", "p");
  const std::string s = tree.file("drv.sys", "s");
  const std::string a = tree.file("a.tmp", "a");
  auto w = review({a, s, p}, 3);
  select(w->lb1, {0});
  w->btToAgainstClick();
  ASSERT_EQ(w->safeHarborPanel()->paths(), (std::vector<std::string>{a, s, p}));
  for (int row : {2, 1, 0}) {
    select(w->lb2, {row});
    w->btReason->click();
  }
  const QString lead = "This file \"";
  EXPECT_EQ(prompts.texts(),
            (QStringList{lead + shown(p) +
                             "\" is on the Safe Harbor List since the folder that it is stored in is "
                             "referenced in the configuration files",
                         lead + shown(s) +
                             "\" is on the Safe Harbor List since the folder that it is stored in is "
                             "included in the protected file extensions",
                         lead + shown(a) + "\" is on the Safe Harbor List because you moved it here."}));
}

TEST_F(ReviewTest, AReadOnlyFileIsReportedAndOnlyDeletedFilesAreCreditedIn64Bits) {
  const std::string a = tree.file("a.tmp", std::string(100, 'a'));
  const std::string ro = tree.file("ro.tmp", std::string(200, 'r'));
  ASSERT_EQ(::chmod(ro.c_str(), 0444), 0);
  const std::string big = tree.file("big.tmp");
  const std::int64_t bigSize = (std::int64_t(5) << 30) + 3;  // sparse: takes no room
  ASSERT_EQ(::truncate(big.c_str(), bigSize), 0);
  const std::string p = tree.file("prot/p.tmp", std::string(400, 'p'));
  const std::uint64_t total = 100 + 200 + 400 + static_cast<std::uint64_t>(bigSize);

  auto w = review({a, ro, big, p}, total);
  EXPECT_EQ(w->lblSavings->text(), formatThousands(static_cast<std::int64_t>(total)) + " bytes");
  w->btDelete->click();
  EXPECT_EQ(prompts.texts(), (QStringList{"Really delete?", "Couldn't delete file - " + shown(ro)}));
  EXPECT_FALSE(rt::exists(a));
  EXPECT_FALSE(rt::exists(big));
  EXPECT_EQ(rt::readFile(ro), std::string(200, 'r'));
  EXPECT_TRUE(rt::exists(p));
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->result(), QDialog::Accepted);

  const DeletionTotals t = readDeletionTotals();
  EXPECT_EQ(t.nDelete, 2);
  EXPECT_EQ(t.sizeDelete, 100 + bigSize);
  EXPECT_EQ(logEntry(1)[2], QString::number(100 + bigSize));
}

TEST_F(ReviewTest, AFolderReplacedWhileTheReviewIsOpenLeavesTheNewFilesAlone) {
  // The review takes each file's identity when it receives the request; a folder put in the
  // old one's place afterwards holds other files under the same names.
  const std::string a = tree.file("d/a.tmp", "marked");
  tree.file("elsewhere/a.tmp", "not marked");
  auto w = review({a}, 6);
  ASSERT_EQ(::rename((tree / "d").c_str(), (tree / "d.moved").c_str()), 0);
  ASSERT_EQ(::rename((tree / "elsewhere").c_str(), (tree / "d").c_str()), 0);
  w->btDelete->click();
  EXPECT_EQ(prompts.texts(), (QStringList{"Really delete?", "Couldn't delete file - " + shown(a)}));
  EXPECT_EQ(rt::readFile(a), "not marked");
  EXPECT_EQ(rt::readFile(tree / "d.moved/a.tmp"), "marked");
}

TEST_F(ReviewTest, ZipNeverDeletesAFileItCouldNotStore) {
  const std::string a = tree.file("a.tmp", "new a");
  const std::string b = tree.file("b.tmp", "b");
  // An archive of the same minute already holds a's name: a is reported and kept.
  {
    ZipWriter earlier;
    earlier.add(archiveFor(a), tree.file("old/a.tmp", "old a"), entryFor(a));
    earlier.flush();
    ASSERT_TRUE(earlier.takeSettled().at(0).stored);
  }
  auto w = review({a, b}, 6);
  answerZipOptions(true);
  w->btZip->click();
  EXPECT_EQ(prompts.texts(),
            (QStringList{"Couldn't zip up file - " + shown(a) + ": already stored in this archive",
                         "Files deleted and stored in archive zip files in the folder \"" + shown(zips) + "\""}));
  EXPECT_EQ(rt::readFile(a), "new a");
  EXPECT_FALSE(rt::exists(b));
  const rt::ArchiveRead read = rt::readArchive(archiveFor(a));
  EXPECT_EQ(read.entries.at(entryFor(a)).data, "old a");
  EXPECT_EQ(read.entries.at(entryFor(b)).data, "b");
  EXPECT_EQ(readDeletionTotals().nZip, 1);
  EXPECT_EQ(readDeletionTotals().sizeZip, 1);
}

TEST_F(ReviewTest, AMissingOrReadOnlyArchiveFolderReportsEachFileAndDeletesNone) {
  const std::string a = tree.file("a.tmp", "a");
  const std::string b = tree.file("b.tmp", "b");
  const std::string locked = tree.dir("locked") + "/";
  ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
  for (const std::string& folder : {tree / "missing/", locked}) {
    prompts.clear();
    WriteString("ZipFile", "Path", shown(folder));
    auto w = review({a, b}, 2);
    answerZipOptions(true);
    w->btZip->click();
    // Nothing was stored, so nothing claims success.
    const QString why = "The archive folder " + shown(folder) + (folder == locked ? " is read-only" : " is missing");
    EXPECT_EQ(prompts.texts(), (QStringList{"Couldn't zip up file - " + shown(a) + ": " + why,
                                            "Couldn't zip up file - " + shown(b) + ": " + why}))
        << folder;
    EXPECT_TRUE(rt::exists(a));
    EXPECT_TRUE(rt::exists(b));
    EXPECT_EQ(w->result(), QDialog::Accepted);
  }
  EXPECT_TRUE(QDir(shown(locked)).isEmpty());
  EXPECT_LE(readDeletionTotals().nZip, 0);  // nothing zipped: nothing recorded
}

TEST_F(ReviewTest, CloseDuringAZipRunAsksAndAbortsAfterTheFileInHand) {
  std::vector<std::string> files;
  for (int i = 0; i < 5; ++i) files.push_back(tree.file("f" + std::to_string(i) + ".tmp", rt::textBytes(3000 + i)));

  // Answering No goes on; Yes stops the run.
  prompts.answers = {Answer::No, Answer::Yes};
  auto w = review(files, 15010);
  QObject::connect(w->bar, &QProgressBar::valueChanged, w.get(), [&](int value) {
    if (value == 1 || value == 2) {
      EXPECT_TRUE(w->btClose->isEnabled());
      w->btClose->click();
    }
  });
  answerZipOptions(true);
  w->btZip->click();

  EXPECT_EQ(prompts.texts(), (QStringList{"Really abort?  Folders may be partially deleted!",
                                          "Really abort?  Folders may be partially deleted!",
                                          "Couldn't zip up file - " + shown(files[2]) + ": Cancelled"}));
  EXPECT_TRUE(w->abortRequested());
  EXPECT_FALSE(rt::exists(files[0]));
  EXPECT_FALSE(rt::exists(files[1]));
  for (int i = 2; i < 5; ++i) EXPECT_TRUE(rt::exists(files[i])) << i;
  const std::string archive = archiveFor(files[0]);
  EXPECT_EQ(rt::unzipTest(archive), 0);
  const rt::ArchiveRead read = rt::readArchive(archive);
  EXPECT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(read.entries.at(entryFor(files[1])).data, rt::textBytes(3001));
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_EQ(readDeletionTotals().nZip, 2);
  EXPECT_EQ(readDeletionTotals().sizeZip, 6001);
}

TEST_F(ReviewTest, EveryControlCarriesItsNameCaptionAndHint) {
  auto w = review({tree.file("a.tmp", "a")}, 1);
  EXPECT_EQ(w->objectName(), "frmReallyDelete");
  const std::vector<std::tuple<const char*, QString, QString>> buttons = {
      {"btToAgainst", "Move files OFF to safe harbor", "Move selected files off of the deletion list"},
      {"btMoveLeft", "Move files to the deletion panel", "Move files on to the list of files to be deleted"},
      {"btReason", "Reason that file is on this list", "Why the file is on the list of non-deleted files"},
      {"btZip", "&Archive files into a zip file", "Compress files into a ZIP file"},
      {"btDelete", "&Delete all files", "Delete the files shown above permanently.  Cannot be undeleted."},
      {"btRecycle", "&Send to trash", "Send to trash.  Trash can be emptied later."},
      {"btClose", "Cancel", "Cancel and close.  May cancel an operation in progress."},
  };
  for (const auto& [name, caption, hint] : buttons) {
    auto* b = w->findChild<QPushButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->text(), caption);
    EXPECT_EQ(b->toolTip(), hint);
  }
  for (const char* name : {"lb1", "lb2"})
    EXPECT_EQ(w->findChild<QListView*>(name)->toolTip(),
              "To select multiple files, drag the mouse cursor over the list");
  EXPECT_EQ(w->findChild<QProgressBar*>("bar")->toolTip(), "Progress bar");
  EXPECT_EQ(w->TabbedNotebook1->tabText(0), "Files to be deleted");
  EXPECT_EQ(w->TabbedNotebook1->tabText(1), "Safe Harbor - Do not delete these files");
  EXPECT_EQ(w->Label3->text(), "Potential savings of ");
  for (const char* name : {"lblDelete", "Label1", "Label2", "Label4", "Label5", "lblLeft", "lblRight", "lblName",
                           "Gauge1", "pnlButtons", "pnlProgress", "TabbedNotebook1"})
    EXPECT_NE(w->findChild<QWidget*>(name), nullptr) << name;
  EXPECT_EQ(w->Timer1->interval(), 500);
}
