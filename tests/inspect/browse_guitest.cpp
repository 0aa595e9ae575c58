// The folder browser on real trees: listing with patterns, marking, the sort directions kept
// for the run, the hand-over to the review, folder-tree deletion and its refusals, the Safe
// Harbor label, leaving with marks, and the finders' Browse, View and Details commands.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <fstream>

#include "../finders/findertesting.h"
#include "common/testing.h"
#include "inspect/browse.h"
#include "inspect/foldertree.h"
#include "platform/paths.h"
#include "safeharbor/safeharbor.h"
#include "scan/deletionrequest.h"
#include "scan/resultgrid.h"
#include "scan/wild.h"

using namespace roomvale;
using roomvale::testing::exists;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::TempTree;
using roomvale::testing::whenShown;

namespace {

constexpr int kName = 4;

class BrowseTest : public ::testing::Test {
 protected:
  std::unique_ptr<TfrmBrowse> open(const std::string& folder, const QString& mask = "*.*") {
    auto w = std::make_unique<TfrmBrowse>();
    w->mask = mask;
    w->presetFolder(folder);
    w->show();
    return w;
  }
  QStringList names(TfrmBrowse& w) {
    QStringList out;
    for (int r = 0; r < w.grid->data().rowsUsed(); ++r) out << w.grid->data().cellText(r, kName);
    return out;
  }
  void select(TfrmBrowse& w, const QString& name) {
    for (int r = 0; r < w.grid->data().rowsUsed(); ++r)
      if (w.grid->data().cellText(r, kName) == name) w.grid->view()->setCurrentIndex(w.grid->model()->index(r, kName));
  }
  void doubleClick(TfrmBrowse& w, int row) {
    const QPoint at = w.grid->view()->visualRect(w.grid->model()->index(row, kName)).center();
    QTest::mouseClick(w.grid->view()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w.grid->view()->viewport(), Qt::LeftButton, {}, at);
  }

  roomvale::testing::UsDates us;
  TempTree tree;
  ScriptedPrompts prompts;
};

}  // namespace

TEST_F(BrowseTest, ListsTheMatchingFilesOfAFolder) {
  auto w = open(tree.dir("empty"));
  EXPECT_EQ(w->windowTitle(), "Browse through folders");
  EXPECT_EQ(w->grid->data().rowsUsed(), 0);
  EXPECT_EQ(w->grid->model()->rowCount(), 1);  // the one empty row
  EXPECT_EQ(w->pnlScan->text(), "Number of files : 0");
  EXPECT_EQ(w->pnlSize->text(), "Total size : 0");
  doubleClick(*w, 0);
  EXPECT_EQ(w->grid->data().markedCount(), 0);
  EXPECT_FALSE(w->btDeleteFiles->isEnabled());

  tree.file("full/a.txt", std::string(5, 'a'));
  tree.file("full/b.LOG", std::string(7, 'b'));
  tree.file("full/c.dat", std::string(1000, 'c'));
  tree.file("full/.hidden.txt", "h");
  tree.dir("full/sub.txt");
  ASSERT_EQ(::symlink((tree / "full/a.txt").c_str(), (tree / "full/link.txt").c_str()), 0);
  w->mask = "*.txt; *.log";
  w->chooseFolder(tree / "full");
  EXPECT_EQ(names(*w), (QStringList{"a.txt", "b.LOG"}));
  EXPECT_EQ(w->pnlSize->text(), "Total size : 12");
  EXPECT_EQ(w->currentFolder(), tree / "full");
  EXPECT_EQ(w->tree->pathOf(w->DirectoryListBox1->currentIndex()), tree / "full");

  // The wildcard window changes the pattern and lists again.
  whenShown("frmWildCard", [](QWidget* d) {
    auto* wild = static_cast<TfrmWildCard*>(d);
    wild->setPattern("*.dat");
    wild->btOK->click();
  });
  w->pnlWildClick();
  EXPECT_EQ(names(*w), QStringList{"c.dat"});
  EXPECT_EQ(w->pnlWild->text(), "Wildcard : *.dat");
}

TEST_F(BrowseTest, MarkingCleaningAndLeavingWithMarks) {
  for (const char* n : {"one", "two", "three", "four"}) tree.file(std::string("m/") + n, std::string(10, 'x'));
  auto w = open(tree / "m");
  select(*w, "one");
  w->btMark->click();
  select(*w, "one");
  w->btMark->click();  // marked twice: as before
  EXPECT_EQ(w->grid->data().markedCount(), 0);
  EXPECT_TRUE(w->grid->data().lbDeleted().empty());
  EXPECT_EQ(w->pnlScan->text(), "Marked for deletion: 0 files 0 bytes");

  select(*w, "two");
  w->btMark->click();
  select(*w, "four");
  w->btMark->click();
  select(*w, "one");
  w->btMark->click();
  EXPECT_EQ(w->pnlScan->text(), "Marked for deletion: 3 files 30 bytes");
  EXPECT_TRUE(w->btDeleteFiles->isEnabled());

  // Leaving with 3 marked files asks; No keeps the window.
  prompts.answers = {Answer::No};
  w->btClose->click();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(prompts.texts(MessageKind::Confirmation),
            QStringList{"You have 3 files marked for deletion. Do you really wish to exit without deleting?"});

  DeletionRequest seen;
  setDeletionReviewOpener([&](QWidget*, const DeletionRequest& r) {
    seen = r;
    ::unlink(r.paths.front().c_str());
    return true;
  });
  w->btDeleteFilesClick();
  setDeletionReviewOpener({});
  EXPECT_EQ(seen.paths, (std::vector<std::string>{tree / "m/two", tree / "m/four", tree / "m/one"}));
  EXPECT_EQ(seen.totalBytes, 30u);
  EXPECT_TRUE(seen.sourceTag.isEmpty());
  EXPECT_EQ(names(*w), (QStringList{"four", "one", "three"}));  // listed again, marks gone
  EXPECT_EQ(w->grid->data().markedCount(), 0);
  prompts.clear();
  w->btClose->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(prompts.records.empty());
}

TEST_F(BrowseTest, SortDirectionsCarryOverToTheNextWindow) {
  // Names, dates and sizes in different orders.
  const std::pair<const char*, int> files[] = {{"b", 2}, {"a", 3}, {"c", 1}};
  for (const auto& [name, age] : files) {
    const std::string p = tree.file(std::string("s/") + name, std::string(static_cast<std::size_t>(age) * 10, 'x'));
    roomvale::testing::setFileTimes(p, QDateTime(QDate(2025, 1, age), QTime(9, 0)),
                                    QDateTime(QDate(2025, 1, age), QTime(9, 0)));
  }
  {
    auto w = open(tree / "s");
    EXPECT_EQ(names(*w), (QStringList{"a", "b", "c"}));
    w->Sortbyname1->trigger();
    EXPECT_EQ(names(*w), (QStringList{"c", "b", "a"}));
    w->Sortbyname1->trigger();
    EXPECT_EQ(names(*w), (QStringList{"a", "b", "c"}));
    w->SortbyModified1->trigger();  // first choice: ascending
    EXPECT_EQ(names(*w), (QStringList{"c", "b", "a"}));
    EXPECT_TRUE(w->SortbyModified1->isChecked());
    w->chooseFolder(tree / "s");  // listed again by the checked key, same direction
    EXPECT_EQ(names(*w), (QStringList{"c", "b", "a"}));
    // Column titles: "Size" sorts (ascending first), "Time" does nothing.
    w->grid->view()->horizontalHeader()->sectionClicked(3);
    EXPECT_EQ(names(*w), (QStringList{"c", "b", "a"}));
    w->grid->view()->horizontalHeader()->sectionClicked(1);
    EXPECT_TRUE(w->SortbySize1->isChecked());
  }
  auto second = open(tree / "s");
  EXPECT_EQ(names(*second), (QStringList{"a", "b", "c"}));
  second->SortbyModified1->trigger();  // the first window left it descending
  EXPECT_EQ(names(*second), (QStringList{"a", "b", "c"}));
  second->SortbySize1->trigger();
  EXPECT_EQ(names(*second), (QStringList{"a", "b", "c"}));  // size descending next
}

TEST_F(BrowseTest, DeleteFolderRefusesRootsAndSystemFoldersAndReturnsOnCancel) {
  auto w = open(tree.path());
  struct Refusal {
    std::string folder;
    const char* text;
  };
  const char* root =
      "Cannot delete the root folder! To delete a folder including all files and sub-folders double click on the "
      "desired folder shown in the left panel.";
  const char* system = "You cannot delete the system folders using Roomvale 99";
  for (const Refusal& r : {Refusal{"/", root}, {"/etc", system}, {"/usr", system}, {platform::homeFolder(), system}}) {
    prompts.clear();
    w->presetFolder(r.folder);
    w->chooseFolder(r.folder);
    ASSERT_EQ(w->currentFolder(), r.folder);
    w->btDeleteDirectoryClick();
    EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{r.text}) << r.folder;
  }

  tree.file("doomed/inner/f.txt", "x");
  tree.file("kept/f.txt", "x");
  prompts.clear();
  std::string shownWhileOpen;
  whenShown("frmDelDirectory", [&](QWidget* d) {
    shownWhileOpen = w->currentFolder();
    d->close();
  });
  w->chooseFolder(tree / "kept");
  w->btDeleteDirectoryClick();
  EXPECT_EQ(shownWhileOpen, tree.path());  // the parent is shown while the window is open
  EXPECT_EQ(w->currentFolder(), tree / "kept");
  EXPECT_TRUE(exists(tree / "kept/f.txt"));

  whenShown("frmDelDirectory", [](QWidget* d) { d->findChild<QPushButton*>("btDelete")->click(); });
  w->chooseFolder(tree / "doomed");
  w->btDeleteDirectoryClick();
  EXPECT_FALSE(exists(tree / "doomed"));
  EXPECT_EQ(w->currentFolder(), tree.path());
  EXPECT_FALSE(w->tree->indexOf(tree / "doomed").isValid());
}

TEST_F(BrowseTest, ProtectedFolderLabelAndTheFindersCommands) {
  const std::string protectedFolder = tree.dir("prot");
  {
    const std::string listFile = safeHarborListFile();
    ASSERT_EQ(::system(("mkdir -p '" + listFile.substr(0, listFile.rfind('/')) + "'").c_str()), 0);
    std::ofstream list(listFile);
    list << protectedFolder << "/\r\n";
  }
  safeHarbor().GetSearchPath();
  safeHarbor().clearCache();
  const std::string file = tree.file("prot/keep.txt", "k");
  {
    auto w = open(protectedFolder);
    EXPECT_EQ(w->Label1->toolTip(), "Folder is ON the Non-Deletion List");
    EXPECT_EQ(w->Label1->palette().color(QPalette::Window), w->palette().color(QPalette::Highlight));
    w->chooseFolder(tree.path());
    EXPECT_EQ(w->Label1->toolTip(), "");
  }

  // A finder's grid: Browse opens the browser at the row's folder with the file selected,
  // View and Details their windows.
  installInspectWindows();
  GridSpec shape;
  shape.kind = "test";
  shape.columns = {{"Name", CellField::FullPath, false}};
  ResultGrid grid(shape, nullptr);
  GridFile row;
  const std::string folder = tree / "prot";
  row.folder = folder;
  row.name = "keep.txt";
  grid.addFile(row);
  grid.finishFill();
  grid.view()->setCurrentIndex(grid.model()->index(0, 0));
  std::string browsed, selected;
  whenShown("frmBrowse", [&](QWidget* b) {
    auto* browser = static_cast<TfrmBrowse*>(b);
    browsed = browser->currentFolder();
    selected = browser->grid->currentPath();
    browser->close();
  });
  grid.BrowseDirectory1Click();
  EXPECT_EQ(browsed, folder);
  EXPECT_EQ(selected, file);
  for (const char* window : {"frmView", "frmDetails"}) {
    bool shown = false;
    whenShown(window, [&](QWidget* v) {
      shown = true;
      v->close();
    });
    if (QString(window) == "frmView")
      grid.View1Click();
    else
      grid.Details1Click();
    EXPECT_TRUE(shown) << window;
  }
  setFileViewerOpener({});
  setFileDetailsOpener({});
  setFolderBrowserOpener({});
}
