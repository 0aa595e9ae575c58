// The quick clean and its pattern editor, driven by their controls on a real tree.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include "common/testing.h"
#include "finders/clean.h"
#include "finders/templist.h"
#include "finders/temppatterns.h"
#include "foundation/helpers.h"
#include "foundation/settings.h"
#include "scan/grid.h"
#include "scan/resultgrid.h"
#include "scan/sortgrid.h"
#include "scan/targets.h"

using namespace roomvale;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::TempTree;
using roomvale::testing::whenShown;

namespace {

template <typename T>
T* child(QWidget* w, const char* name) {
  T* c = w->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

QStringList patterns(const QListWidget* list, bool selectedOnly = false) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i)
    if (!selectedOnly || list->item(i)->isSelected()) out << list->item(i)->text().section('\t', 0, 0);
  return out;
}

class QuickCleanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The tree: temporary files by several patterns, in a sub-folder, hidden, and things the
    // walk must leave alone.
    tree.file("big.tmp", std::string(3000, 'b'));
    tree.file("REPORT.TMP", std::string(100, 'r'));
    tree.file("archive.tmp.zip", std::string(50, 'a'));
    tree.file("page.~mp", std::string(20, 'p'));
    tree.file("letter.~doc", std::string(30, 'l'));
    tree.file(".hidden.tmp", std::string(10, 'h'));
    tree.file("keep.txt", std::string(5, 'k'));
    tree.file("sub/inner.bak", std::string(700, 'i'));
    tree.file(".hiddendir/skipped.tmp", std::string(1, 's'));
    EXPECT_EQ(::symlink((tree / "big.tmp").c_str(), (tree / "link.tmp").c_str()), 0);
    EXPECT_EQ(::mkfifo((tree / "pipe.tmp").c_str(), 0600), 0);
    writeListSection(kNewFoldersSection, {QString::fromStdString(tree.path() + "/")});
    WriteString(kTempFilesSection, "Number", "");  // never saved
    // Sort directions live for the whole run; every test starts from the first ones.
    std::vector<bool>& flags = sortDirections(quickCleanGridSpec());
    for (std::size_t i = 0; i < flags.size(); ++i) flags[i] = quickCleanGridSpec().sortItems[i].firstDescending;
  }
  void TearDown() override {
    setDeletionReviewOpener({});
    QLocale::setDefault(QLocale::system());
  }

  // Opens the window with only the tree ticked.
  std::unique_ptr<TfrmClean> open() {
    auto w = std::make_unique<TfrmClean>();
    w->show();
    setAllChecked(w->pckDrive, false);
    QListWidgetItem* added = w->pckDrive->item(w->pckDrive->count() - 1);
    EXPECT_EQ(added->data(kAddedFolderRole).toBool(), true);
    added->setCheckState(Qt::Checked);
    return w;
  }

  QStringList names(TfrmClean& w) {
    QStringList out;
    for (int pos = 0; pos < w.grid->data().rowsUsed(); ++pos)
      out << QString::fromStdString(w.grid->data().rowPath(pos)).mid(static_cast<int>(tree.path().size()) + 1);
    return out;
  }

  void clickHeader(TfrmClean& w, int column) {
    QHeaderView* header = w.grid->view()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
  }

  TempTree tree;
  ScriptedPrompts prompts;
  // Walks end at this time unless a test moves the clock on.
  const QDateTime walkEnd{QDate(2024, 2, 25), QTime(10, 0)};
  roomvale::testing::FixedClock clock{walkEnd};
};

}  // namespace

TEST_F(QuickCleanTest, StartFindsTemporaryFilesLargestFirstAndHeaderClicksFlip) {
  auto w = open();
  EXPECT_EQ(w->windowTitle(), "Find and clean up temporary files");
  EXPECT_EQ(patterns(w->PickList1).size(), 13);
  EXPECT_EQ(patterns(w->PickList1, true).size(), 13);  // all selected at first
  EXPECT_FALSE(w->btMark->isVisible());
  EXPECT_FALSE(w->btAbort->isVisible());

  QTest::mouseClick(w->btScan, Qt::LeftButton);
  EXPECT_EQ(names(*w),
            (QStringList{"big.tmp", "sub/inner.bak", "REPORT.TMP", "letter.~doc", "page.~mp", ".hidden.tmp"}));
  EXPECT_EQ(w->pnlSel->text(), "6 tempfiles found");
  EXPECT_TRUE(w->btMark->isVisible());
  EXPECT_TRUE(w->btDelete->isVisible());
  EXPECT_FALSE(w->btDelete->isEnabled());
  EXPECT_TRUE(w->btOptions->isVisible());
  EXPECT_EQ(w->grid->model()->rowCount(), 6);
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_EQ(w->printTitle(), "Temporary files on drive(s) " + QString::fromStdString(tree.path()) + "/ ");

  clickHeader(*w, 0);
  EXPECT_EQ(names(*w).first(), ".hidden.tmp");
  clickHeader(*w, 0);
  EXPECT_EQ(names(*w).first(), "big.tmp");
  clickHeader(*w, 4);  // by name
  EXPECT_EQ(names(*w).first(), ".hidden.tmp");
  EXPECT_TRUE(w->Sortbyname1->isChecked());
  EXPECT_FALSE(w->Sortbysize1->isChecked());

  // A second Start continues the size item's directions: smallest first this time.
  QTest::mouseClick(w->btScan, Qt::LeftButton);
  EXPECT_EQ(names(*w).first(), ".hidden.tmp");
  EXPECT_TRUE(w->Sortbysize1->isChecked());
}

TEST_F(QuickCleanTest, MarksMarkAllUnmarkAllAndANewStartClearsThem) {
  auto w = open();
  w->btScanClick();
  w->grid->view()->setCurrentIndex(w->grid->model()->index(0, 4));
  // A click meant for Abort lands on Mark as the walk ends; a double click on the grid
  // then is just as unmeant. Neither marks anything for half a second.
  const QRect cell = w->grid->view()->visualRect(w->grid->model()->index(0, 4));
  for (const int ms : {0, 499}) {
    clock.set(walkEnd.addMSecs(ms));
    QTest::mouseClick(w->btMark, Qt::LeftButton);
    QTest::mouseDClick(w->grid->view()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(w->grid->data().markedCount(), 0) << ms;
    EXPECT_FALSE(w->btDelete->isEnabled());
  }
  clock.set(walkEnd.addMSecs(500));
  w->grid->view()->setCurrentIndex(w->grid->model()->index(0, 4));
  QTest::mouseClick(w->btMark, Qt::LeftButton);
  EXPECT_EQ(w->pnlSel->text(), "1 files 3,000 bytes");
  EXPECT_TRUE(w->btDelete->isEnabled());
  EXPECT_EQ(w->grid->currentRow(), 1);

  w->Markall1->trigger();
  EXPECT_EQ(w->pnlSel->text(), "6 files 3,860 bytes");
  EXPECT_TRUE(w->btDelete->isEnabled());
  w->Unmarkall1->trigger();
  EXPECT_EQ(w->pnlSel->text(), "0 files 0 bytes");
  EXPECT_FALSE(w->btDelete->isEnabled());

  w->Markall1->trigger();
  w->btScanClick();
  EXPECT_FALSE(w->btDelete->isEnabled());
  EXPECT_EQ(w->grid->data().markedCount(), 0);
  EXPECT_FALSE(w->grid->data().isMarked(0));
}

TEST_F(QuickCleanTest, CleanHandsOverAndClosesOnlyWhenTheReviewCompletes) {
  auto w = open();
  w->btScanClick();
  clock.set(walkEnd.addSecs(1));
  w->grid->view()->setCurrentIndex(w->grid->model()->index(1, 4));
  w->btMark->click();
  w->grid->view()->setCurrentIndex(w->grid->model()->index(0, 4));
  w->btMark->click();

  DeletionRequest seen;
  bool complete = false;
  setDeletionReviewOpener([&](QWidget* owner, const DeletionRequest& r) {
    EXPECT_EQ(owner, w.get());
    seen = r;
    return complete;
  });
  w->btDelete->click();
  EXPECT_EQ(seen.paths, (std::vector<std::string>{tree / "sub/inner.bak", tree / "big.tmp"}));
  EXPECT_EQ(seen.totalBytes, 3700u);
  EXPECT_EQ(seen.sourceTag, "TempClean");
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->grid->data().isMarked(0));

  complete = true;
  w->btDelete->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(QuickCleanTest, CleanWhenEveryMarkedFileVanishedSaysSoAndClearsTheMarks) {
  auto w = open();
  w->btScanClick();
  clock.set(walkEnd.addSecs(1));
  bool reviewed = false;
  setDeletionReviewOpener([&](QWidget*, const DeletionRequest&) { return reviewed = true; });
  // Marked while there (counted) and marked after vanishing (not counted): both ways.
  w->grid->view()->setCurrentIndex(w->grid->model()->index(0, 4));
  w->btMark->click();
  for (int pos = 0; pos < w->grid->data().rowsUsed(); ++pos) std::remove(w->grid->data().rowPath(pos).c_str());
  w->btMark->click();
  ASSERT_EQ(w->grid->data().lbDeleted().size(), 2u);
  w->btDelete->click();
  EXPECT_EQ(prompts.texts(MessageKind::Information), QStringList{"None of the marked files exists any more."});
  EXPECT_FALSE(reviewed);
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->grid->data().lbDeleted().empty());
  EXPECT_FALSE(w->grid->data().isMarked(0));
  EXPECT_FALSE(w->btDelete->isEnabled());
  EXPECT_EQ(w->pnlSel->text(), "0 files 0 bytes");
}

TEST_F(QuickCleanTest, AbortKeepsTheRowsFoundSoFar) {
  for (int f = 0; f < 20; ++f)
    for (int i = 0; i < 20; ++i) tree.file("many/f" + std::to_string(f) + "/x" + std::to_string(i) + ".tmp", "1");
  auto w = open();
  w->pumpIntervalMs = 0;
  bool pressed = false;
  QObject::connect(w->grid->model(), &QAbstractItemModel::rowsInserted, w.get(), [&] {
    if (!pressed && w->walking()) {
      pressed = true;
      QTest::mouseClick(w->btAbort, Qt::LeftButton);
    }
  });
  w->btScanClick();
  ASSERT_TRUE(pressed);
  EXPECT_EQ(prompts.texts(MessageKind::Warning), QStringList{"LIST INCOMPLETE ... ABORTED BY USER"});
  const int rows = w->grid->data().rowsUsed();
  EXPECT_GT(rows, 0);
  EXPECT_LT(rows, 406);
  EXPECT_EQ(w->pnlSel->text(), QString::number(rows) + " tempfiles found");
  EXPECT_FALSE(w->btAbort->isVisible());
  EXPECT_TRUE(w->btScan->isEnabled());
  EXPECT_TRUE(w->btClose->isEnabled());
}

TEST_F(QuickCleanTest, NoSelectedPatternAndNothingFound) {
  auto w = open();
  w->DeselectAll2->trigger();
  w->btScanClick();
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Select at least one file extension"});
  EXPECT_EQ(w->grid->data().rowsUsed(), 0);

  prompts.clear();
  for (int i = 0; i < w->PickList1->count(); ++i)
    w->PickList1->item(i)->setSelected(w->PickList1->item(i)->text().startsWith("*.chk"));
  w->btScanClick();
  EXPECT_EQ(prompts.texts(MessageKind::Information), QStringList{"No files found."});
  EXPECT_EQ(w->grid->model()->rowCount(), 1);
  EXPECT_FALSE(w->btMark->isVisible());

  // Start needs a ticked target.
  setAllChecked(w->pckDrive, false);
  EXPECT_FALSE(w->btScan->isEnabled());
}

TEST_F(QuickCleanTest, EditorFirstRunSavesItsOwnDefaultsWhichTheWindowThenListsUnselected) {
  auto w = open();
  QStringList seen;
  whenShown("frmTempFiles", [&](QWidget* editor) {
    seen = patterns(child<QListWidget>(editor, "PickList1"));
    child<QPushButton>(editor, "btClose")->click();
  });
  w->btEdit->click();
  EXPECT_EQ(seen, (QStringList{"*.$$$", "*.bak", "*.fts", "*.tmp"}));  // sorted, ignoring case
  EXPECT_EQ(ReadInteger(kTempFilesSection, "Number", -1), 4);
  EXPECT_EQ(patterns(w->PickList1), seen);
  EXPECT_TRUE(patterns(w->PickList1, true).isEmpty());
  w->btScanClick();
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Select at least one file extension"});
}

TEST_F(QuickCleanTest, AListSavedEmptyStaysEmptyInBothWindows) {
  writeTempFileLines({});
  auto w = open();
  EXPECT_EQ(w->PickList1->count(), 0);
  w->btScanClick();
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Select at least one file extension"});
  TfrmTempFiles editor;
  editor.show();
  EXPECT_EQ(editor.PickList1->count(), 0);
}

TEST_F(QuickCleanTest, EditorAddDeleteClearAndDefaults) {
  TfrmTempFiles editor;
  editor.show();
  ASSERT_EQ(editor.PickList1->count(), 4);

  editor.btDefaultsClick();
  const int afterDefaults = editor.PickList1->count();
  EXPECT_EQ(afterDefaults, 14);  // the repeated "*.old" once, the four already listed not again
  editor.btDefaultsClick();
  EXPECT_EQ(editor.PickList1->count(), afterDefaults);

  // One entry goes without a question, three after one.
  editor.PickList1->clearSelection();
  editor.PickList1->item(0)->setSelected(true);
  editor.btDeleteClick();
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_EQ(editor.PickList1->count(), afterDefaults - 1);
  for (int i = 0; i < 3; ++i) editor.PickList1->item(i)->setSelected(true);
  prompts.answers.push_back(Answer::No);
  editor.btDeleteClick();
  EXPECT_EQ(prompts.texts(), QStringList{"Really delete 3 extensions?"});
  EXPECT_EQ(editor.PickList1->count(), afterDefaults - 1);
  prompts.answers.push_back(Answer::Yes);
  editor.btDeleteClick();
  EXPECT_EQ(editor.PickList1->count(), afterDefaults - 4);

  // A typed extension through the picker, once.
  for (int round = 0; round < 2; ++round) {
    whenShown("frmSelectExtension", [](QWidget* picker) {
      child<QLineEdit>(picker, "Edit1")->setText("q9z");
      child<QPushButton>(picker, "btOK")->click();
    });
    editor.btAddClick();
  }
  EXPECT_EQ(editor.PickList1->findItems("*.q9z\t", Qt::MatchStartsWith).size(), 1);
  EXPECT_EQ(editor.PickList1->count(), afterDefaults - 3);

  prompts.answers.push_back(Answer::Cancel);
  editor.btClearClick();
  EXPECT_EQ(editor.PickList1->count(), afterDefaults - 3);
  prompts.answers.push_back(Answer::Yes);
  editor.btClearClick();
  EXPECT_EQ(editor.PickList1->count(), 0);
  EXPECT_EQ(prompts.texts().last(), "Really clear out all extensions?");

  // Closing by Escape stores the list too.
  editor.PickList1->addItem(typeLine("*.zz"));
  QTest::keyClick(&editor, Qt::Key_Escape);
  EXPECT_EQ(ReadInteger(kTempFilesSection, "Number", -1), 1);
  EXPECT_EQ(ReadString(kTempFilesSection, "File1", ""), "*.zz");
}

TEST_F(QuickCleanTest, ShrinkAndRestoreTheTopPanel) {
  auto w = open();
  const int height = w->pnlTop->height();
  w->Shrink1->trigger();
  EXPECT_FALSE(w->Shrink1->isEnabled());
  EXPECT_TRUE(w->Grow1->isEnabled());
  EXPECT_TRUE(roomvale::testing::waitFor([&] { return w->pnlTop->height() == 0 || !w->pnlTop->isVisible(); }));
  w->Grow1->trigger();
  EXPECT_TRUE(w->Shrink1->isEnabled());
  EXPECT_FALSE(w->Grow1->isEnabled());
  EXPECT_TRUE(roomvale::testing::waitFor([&] { return w->pnlTop->isVisible() && w->pnlTop->height() == height; }));
}

TEST_F(QuickCleanTest, AddingAFolderKeepsTheTicksAndTicksTheNewFolder) {
  auto w = open();  // only the tree is ticked, "/" not
  const int before = w->pckDrive->count();
  const std::string extra = tree.dir("extra") + "/";
  prompts.folders.push_back(extra);
  whenShown("frmAddNewFolder", [](QWidget* dialog) {
    child<QPushButton>(dialog, "btAdd")->click();
    child<QPushButton>(dialog, "Button1")->click();
  });
  w->Addafoldertothelistofdrives1->trigger();
  ASSERT_EQ(w->pckDrive->count(), before + 1);
  QStringList ticked;
  for (const ScanTarget& t : checkedTargets(w->pckDrive)) ticked << QString::fromStdString(t.path);
  EXPECT_EQ(ticked, (QStringList{QString::fromStdString(tree.path() + "/"), QString::fromStdString(extra)}));
  EXPECT_TRUE(w->btScan->isEnabled());
}

// "25 02 202": a column narrower than its texts cuts them. Full dates in a large font, a
// long name and a protected (bold) row: every column holds its widest text, and the
// window's widths stay the least.
TEST_F(QuickCleanTest, EveryColumnHoldsItsWidestText) {
  setShortDateFormat("dd MM yyyy");
  const std::string longName = "sub/" + std::string(120, 'W') + ".tmp";
  tree.file(longName, "x");
  setProtectionQuery([&](const std::string& path, bool) { return path == tree / longName; });
  auto w = open();
  QFont big = w->grid->view()->font();
  big.setPointSize(big.pointSize() + 6);
  w->grid->view()->setFont(big);
  w->resize(700, 500);
  w->btScanClick();
  w->Markall1->trigger();
  QCoreApplication::processEvents();
  QFont bold = big;
  bold.setBold(true);
  const std::vector<int> widths = w->grid->columnWidths();
  const GridData& data = w->grid->data();
  ASSERT_GT(data.rowsUsed(), 5);
  for (int c = 0; c < data.columnCount(); ++c) {
    const QFontMetrics fm(c == 4 ? bold : big);
    for (int pos = 0; pos < data.rowsUsed(); ++pos) {
      const QString text = data.cellText(pos, c);
      EXPECT_GE(widths[c], fm.horizontalAdvance(text) + 4 + (c == 4 ? 16 : 0)) << text.toStdString();
    }
  }
  EXPECT_EQ(data.cellText(0, 1).size(), 10);  // "dd MM yyyy"
  EXPECT_GE(widths[0], static_cast<int>(64 * w->logicalDpiX() / 96.0));
  EXPECT_LT(widths[5], 700 - 577);  // the rest of the window gave back what FileName took
  setProtectionQuery({});
  setShortDateFormat(QString());
}

TEST_F(QuickCleanTest, TabFollowsTheLayoutAndTheDriveIconsFitTheirRows) {
  auto w = open();
  w->btScanClick();
  w->activateWindow();
  ASSERT_TRUE(roomvale::testing::waitFor([&] { return QApplication::activeWindow() == w.get(); }));
  w->PickList1->setFocus();
  QStringList order;
  for (int i = 0; i < 12 && (order.isEmpty() || QApplication::focusWidget() != w->PickList1); ++i) {
    order << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  // Clean? is disabled (nothing marked) and Abort hidden, so Tab passes them by.
  EXPECT_EQ(order, (QStringList{"PickList1", "btEdit", "pckDrive", "btScan", "btClose", "btMark", "btOptions",
                                "btBrowse", "btDetails", "grid"}));

  const QSize icon = w->pckDrive->iconSize();
  ASSERT_TRUE(icon.isValid());
  for (int i = 0; i < w->pckDrive->count(); ++i) {
    const QListWidgetItem* item = w->pckDrive->item(i);
    const QSize drawn = item->icon().actualSize(icon);
    EXPECT_LE(drawn.height(), icon.height());
    EXPECT_GE(w->pckDrive->visualItemRect(item).height(), drawn.height()) << item->text().toStdString();
  }
}

TEST_F(QuickCleanTest, AShrunkListLeavesOldValuesThatAreNeverRead) {
  {
    TfrmTempFiles editor;
    editor.show();
    editor.btDefaultsClick();
    editor.btCloseClick();
  }
  ASSERT_EQ(ReadInteger(kTempFilesSection, "Number", -1), 14);
  {
    TfrmTempFiles editor;
    editor.show();
    for (int i = 1; i < editor.PickList1->count(); ++i) editor.PickList1->item(i)->setSelected(true);
    prompts.answers.push_back(Answer::Yes);
    editor.btDeleteClick();
    editor.close();  // the close box stores too
  }
  EXPECT_EQ(ReadInteger(kTempFilesSection, "Number", -1), 1);
  EXPECT_FALSE(ReadString(kTempFilesSection, "File14", "").isEmpty());
  auto w = open();
  EXPECT_EQ(w->PickList1->count(), 1);
}
