// The folder hogs window on real trees: both walks, the percentages, Abort, the limit, and
// Clean? through the folder-tree deletion window.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "common/testing.h"
#include "deletion/totals.h"
#include "finders/dirhog.h"
#include "findertesting.h"
#include "foundation/helpers.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "scan/resultgrid.h"
#include "scan/targets.h"

using namespace roomvale;
using roomvale::testing::exists;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::sparseFile;
using roomvale::testing::TempTree;
using roomvale::testing::whenShown;

namespace {

constexpr std::uint64_t kThreeGiB = 3ull << 30;
enum Col { kSize, kPercent, kFiles, kSubs, kAccess, kName };

class DirHogTest : public ::testing::Test {
 protected:
  roomvale::testing::UsDates usDates;
  void SetUp() override { writeListSection(kNewFoldersSection, {QString::fromStdString(tree.path() + "/")}); }

  // The window, shown, with only the tree ticked.
  std::unique_ptr<TfrmDirHog> open() {
    auto w = std::make_unique<TfrmDirHog>();
    w->show();
    setAllChecked(w->pckDrive, false);
    w->pckDrive->item(w->pckDrive->count() - 1)->setCheckState(Qt::Checked);
    return w;
  }

  // Row texts of one column, by the row's folder below the tree ("." for the tree).
  std::map<std::string, QString> column(TfrmDirHog& w, int col) {
    std::map<std::string, QString> out;
    const GridData& g = w.grid->data();
    for (int r = 0; r < g.rowsUsed(); ++r) out[rel(g.rowPath(r))] = g.cellText(r, col);
    return out;
  }
  std::string rel(const std::string& path) const {
    return path == tree.path() ? "." : path.substr(std::min(path.size(), tree.path().size() + 1));
  }
  int rowOf(TfrmDirHog& w, const std::string& relPath) {
    for (int r = 0; r < w.grid->data().rowsUsed(); ++r)
      if (rel(w.grid->data().rowPath(r)) == relPath) return r;
    return -1;
  }
  // A click on a row (so that Clean? acts on it), or a double click.
  void click(TfrmDirHog& w, int row, bool twice = false) {
    QWidget* vp = w.grid->view()->viewport();
    const QPoint at = w.grid->view()->visualRect(w.grid->model()->index(row, kName)).center();
    if (twice)
      QTest::mouseDClick(vp, Qt::LeftButton, {}, at);
    else
      QTest::mouseClick(vp, Qt::LeftButton, {}, at);
  }

  TempTree tree;
  ScriptedPrompts prompts;
};

}  // namespace

TEST_F(DirHogTest, TheRootWithTwoFilesAndAnEmptySubFolderInBothWalks) {
  tree.file("f1", std::string(10, '1'));
  tree.file("f2", std::string(20, '2'));
  tree.dir("e");
  auto w = open();
  EXPECT_EQ(w->windowTitle(), "Folder Hogs");
  EXPECT_FALSE(w->btDelete->isVisible());

  QTest::mouseClick(w->btAll, Qt::LeftButton);
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_EQ(w->grid->model()->rowCount(), 2);
  EXPECT_EQ(w->pnlScan->text(), "Folders : 2");
  EXPECT_EQ(w->grid->data().cellText(0, kName), QString::fromStdString(tree.path()));  // largest first
  EXPECT_EQ(column(*w, kFiles), (std::map<std::string, QString>{{".", "2"}, {"e", "0"}}));
  EXPECT_EQ(column(*w, kSubs), (std::map<std::string, QString>{{".", "1"}, {"e", "0"}}));
  EXPECT_EQ(column(*w, kSize)["."], "30");
  EXPECT_TRUE(w->btDelete->isVisible());
  EXPECT_TRUE(w->btOptions->isVisible());
  EXPECT_TRUE(w->btBrowse->isVisible());
  EXPECT_EQ(w->lb.size(), 2);

  QTest::mouseClick(w->btTop, Qt::LeftButton);
  EXPECT_EQ(column(*w, kFiles), (std::map<std::string, QString>{{"e", "0"}}));
  EXPECT_EQ(column(*w, kSubs)["e"], "0");
  // One folder row is a result, counted as one.
  EXPECT_EQ(w->pnlScan->text(), "Folders : 1");
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_TRUE(w->btDelete->isVisible());

  // Nothing to list at all.
  ASSERT_EQ(::rmdir((tree / "e").c_str()), 0);
  w->btTopClick();
  EXPECT_EQ(w->pnlScan->text(), "Folders : 0");
  EXPECT_EQ(prompts.texts(MessageKind::Information), QStringList{"No files found."});
  EXPECT_FALSE(w->btDelete->isVisible());
  EXPECT_EQ(w->grid->model()->rowCount(), 1);
}

TEST_F(DirHogTest, PercentagesAgainstTheVolumeWithFilesOfManyGigabytes) {
  const auto space = platform::diskSpace(tree.path());
  ASSERT_TRUE(space && space->total % 4 == 0 && space->total > kThreeGiB);
  sparseFile(tree.dir("quarter") + "/q", space->total / 4);
  sparseFile(tree.dir("full") + "/f", space->total);
  sparseFile(tree.dir("big/inner") + "/b", kThreeGiB);
  auto w = open();
  for (QPushButton* walk : {w->btTop, w->btAll}) {
    QTest::mouseClick(walk, Qt::LeftButton);
    auto percent = column(*w, kPercent);
    auto size = column(*w, kSize);
    EXPECT_EQ(percent["quarter"], "25.00");
    EXPECT_EQ(percent["full"], "???");
    EXPECT_EQ(size["full"], formatThousands(static_cast<std::int64_t>(space->total)));
    const std::string big = walk == w->btTop ? "big" : "big/inner";
    EXPECT_EQ(size[big], "3,221,225,472");
    EXPECT_EQ(percent[big], percentUsedText(kThreeGiB, static_cast<double>(space->total)));
    EXPECT_EQ(column(*w, kFiles)[big], "1");
    EXPECT_EQ(rel(w->grid->data().rowPath(0)), "full");  // largest first
  }
}

TEST_F(DirHogTest, CleanDeletesTrashesOrZipsTheFolderAndMarksTheRow) {
  const std::string kilo(1000, 'k');
  tree.file("d1/a.txt", kilo);
  tree.file("d1/s/b.txt", kilo);
  tree.file("d2/dirhog-trash-c.txt", kilo);
  tree.file("d3/d.txt", kilo);
  tree.file("d4/e.txt", kilo);
  TempTree out;
  WriteString(QStringLiteral("ZipFile"), QStringLiteral("Path"), QString::fromStdString(out.path() + "/"));
  const DeletionTotals before = readDeletionTotals();
  auto w = open();
  w->btTopClick();
  ASSERT_EQ(w->grid->data().rowsUsed(), 4);

  // Delete.
  whenShown("frmDelDirectory", [](QWidget* d) { d->findChild<QPushButton*>("btDelete")->click(); });
  click(*w, rowOf(*w, "d1"));
  w->btDelete->click();
  EXPECT_FALSE(exists(tree / "d1"));
  EXPECT_EQ(column(*w, kSize)["d1"], "DELETED");
  EXPECT_EQ(column(*w, kFiles)["d1"], "2");  // the other cells stay
  EXPECT_EQ(prompts.texts(), QStringList{"Deleted 2 files for a savings of 2,000 bytes."});
  EXPECT_EQ(std::max<std::int64_t>(before.nDelete, 0) + 2, readDeletionTotals().nDelete);

  // A second Clean? on the row opens nothing.
  prompts.clear();
  bool reopened = false;
  whenShown(
      "frmDelDirectory",
      [&](QWidget* d) {
        reopened = true;
        d->close();
      },
      300);
  click(*w, rowOf(*w, "d1"));
  w->btDelete->click();
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Folder already deleted/recycled"});
  roomvale::testing::waitFor([] { return false; }, 350);
  EXPECT_FALSE(reopened);

  // Trash, by a double click.
  whenShown("frmDelDirectory", [](QWidget* d) { d->findChild<QPushButton*>("btRecycle")->click(); });
  click(*w, rowOf(*w, "d2"), true);
  EXPECT_FALSE(exists(tree / "d2"));
  EXPECT_EQ(column(*w, kSize)["d2"], "RECYCLED");
  EXPECT_TRUE(exists(platform::dataHome() + "/Trash/files/dirhog-trash-c.txt"));

  // Zip, then delete.
  whenShown("frmDelDirectory", [](QWidget* d) {
    whenShown("frmZipOptions", [](QWidget* options) { options->findChild<QPushButton*>("btOK")->click(); });
    d->findChild<QPushButton*>("btZip")->click();
  });
  click(*w, rowOf(*w, "d3"));
  w->btDelete->click();
  EXPECT_FALSE(exists(tree / "d3"));
  EXPECT_EQ(column(*w, kSize)["d3"], "DELETED");
  const QStringList archives = QDir(QString::fromStdString(out.path())).entryList({"*.zip"}, QDir::Files);
  ASSERT_EQ(archives.size(), 1);
  QProcess unzip;
  unzip.start("unzip", {"-tq", QString::fromStdString(out.path() + "/") + archives[0]});
  ASSERT_TRUE(unzip.waitForFinished(30000));
  EXPECT_EQ(unzip.exitCode(), 0);

  // Cancel leaves the folder and the row.
  whenShown("frmDelDirectory", [](QWidget* d) { d->findChild<QPushButton*>("BitBtn3")->click(); });
  click(*w, rowOf(*w, "d4"));
  w->btDelete->click();
  EXPECT_TRUE(exists(tree / "d4/e.txt"));
  EXPECT_EQ(column(*w, kSize)["d4"], "1,000");
}

TEST_F(DirHogTest, RootsMountPointsSystemFoldersAndHomeAreRefused) {
  const QString root = "You cannot delete the root folder using Roomvale";
  const QString system = "You cannot delete the system folders using Roomvale";
  const std::pair<std::string, QString> cases[] = {
      {"/", root}, {"/proc", root}, {"/usr", system}, {platform::homeFolder(), system}, {tree.dir("plain"), ""}};
  auto w = open();
  for (const auto& c : cases) {
    GridFile row;
    row.folder = c.first;
    row.size = 1;
    w->grid->addFile(row);
  }
  w->grid->finishFill();
  bool opened = false;
  for (int r = 0; r < 5; ++r) {
    prompts.clear();
    // The plain folder goes to the tree window, which applies the Safe Harbor rules.
    if (cases[r].second.isEmpty())
      whenShown("frmDelDirectory", [&](QWidget* d) {
        opened = true;
        d->findChild<QPushButton*>("BitBtn3")->click();
      });
    click(*w, r);
    w->btDelete->click();
    EXPECT_EQ(prompts.texts(MessageKind::Error).value(0), cases[r].second) << cases[r].first;
    EXPECT_EQ(w->grid->data().cellText(r, kSize), "1");
  }
  EXPECT_TRUE(opened);
}

TEST_F(DirHogTest, AbortListsOnlyTheMainFoldersWalkedAndSaysSo) {
  for (int m = 0; m < 8; ++m)
    for (int f = 0; f < 40; ++f) tree.file("m" + std::to_string(m) + "/f" + std::to_string(f), "x");
  auto w = open();
  w->pumpIntervalMs = 0;
  bool pressed = false;
  QTimer presser;
  QObject::connect(&presser, &QTimer::timeout, [&] {
    // Inside a main folder, after at least one was finished.
    if (!pressed && w->walking() && w->pnlScan->text().contains("/m") && w->lb2.size() >= 1) {
      pressed = true;
      QTest::mouseClick(w->btAbort, Qt::LeftButton);
    }
  });
  presser.start(0);
  w->btTopClick();
  presser.stop();
  ASSERT_TRUE(pressed);
  EXPECT_EQ(prompts.texts(MessageKind::Warning), QStringList{"LIST INCOMPLETE ... ABORTED BY USER"});
  EXPECT_EQ(w->lb.first(), "LIST INCOMPLETE ... ABORTED BY USER");  // in the hidden list, not a row
  const int rows = w->grid->data().rowsUsed();
  EXPECT_GE(rows, 2);
  EXPECT_LT(rows, 8);
  EXPECT_EQ(w->lb.size(), rows + 1);
  int zeroRows = 0;
  for (const auto& [name, files] : column(*w, kFiles)) zeroRows += files == "0";
  EXPECT_LE(zeroRows, 1);  // at most the one being walked at the abort
  EXPECT_EQ(w->pnlScan->text(), "Folders : " + QString::number(rows) +
                                    " - list incomplete: folders not reached before the abort are not listed");
  EXPECT_TRUE(w->btTop->isEnabled());
  EXPECT_TRUE(w->btClose->isEnabled());
  EXPECT_FALSE(w->btAbort->isVisible());
}

TEST_F(DirHogTest, ClipboardPrintTitleAndTheListLimit) {
  tree.file("a/1", std::string(300, 'a'));
  tree.file("b/1", std::string(200, 'b'));
  tree.file("c/1", std::string(100, 'c'));
  auto w = open();
  w->btTopClick();
  w->Foldernames1->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QString::fromStdString(tree / "a" + "\r\n" + tree / "b" + "\r\n" + tree / "c" + "\r\n"));
  EXPECT_EQ(w->printTitle(), "Folder hogs on drive(s) " + QString::fromStdString(tree.path()) + "/ ");

  // A full working list stops the walk with the folders collected so far.
  w->lb2 = WorkingList(2);
  w->btAllClick();
  EXPECT_EQ(prompts.texts(MessageKind::Warning),
            QStringList{"Resource limit reached ... cannot process any more files."});
  EXPECT_EQ(w->grid->data().rowsUsed(), 2);
}
