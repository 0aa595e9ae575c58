// The files-by-date window on a real tree whose file times are set with utimensat, with the
// program clock fixing "today".
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "common/testing.h"
#include "finders/filemod.h"
#include "finders/finderparts.h"
#include "findertesting.h"
#include "foundation/helpers.h"
#include "foundation/settings.h"
#include "platform/direnum.h"
#include "scan/resultgrid.h"
#include "scan/targets.h"

using namespace roomvale;
using roomvale::testing::FixedClock;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::setFileTimes;
using roomvale::testing::sparseFile;
using roomvale::testing::TempTree;

namespace {

constexpr std::uint64_t kThreeGiB = 3ull << 30;
enum Col { kName, kAccessed, kCreated, kModified, kSize, kFolder, kType };

QDateTime at(int y, int m, int d, int hh = 12, int mm = 0) { return QDateTime(QDate(y, m, d), QTime(hh, mm)); }

class FilesByDateTest : public ::testing::Test {
 protected:
  roomvale::testing::UsDates usDates;
  void SetUp() override {
    setFileTimes(tree.file("a.doc", "aaaa"), at(2024, 3, 5, 9), at(1998, 12, 31, 23, 59));
    setFileTimes(tree.file("b.txt", "bb"), at(1979, 6, 1), at(2020, 1, 1));  // no access date text
    setFileTimes(tree.file("c.txt", "c"), at(2024, 3, 4), at(1998, 1, 1, 0, 0));
    setFileTimes(tree.file("sub/d.doc", "dddd"), at(2024, 3, 6), at(1997, 12, 31, 23, 59));
    setFileTimes(tree.file(".hidden.doc", "h"), at(2024, 3, 1), at(1998, 6, 1));
    setFileTimes(tree.file(".hdir/e.doc", "e"), at(2024, 3, 1), at(1998, 6, 1));
    sparseFile(tree / "big.bin", kThreeGiB);
    setFileTimes(tree / "big.bin", at(2024, 3, 5, 8), at(2024, 3, 5, 8));
    writeListSection(kNewFoldersSection, {QString::fromStdString(tree.path() + "/")});
  }
  void TearDown() override {
    setDeletionReviewOpener({});
    setFolderBrowserOpener({});
  }

  std::unique_ptr<TfrmMods> open() {
    auto w = std::make_unique<TfrmMods>();
    w->show();
    setAllChecked(w->pckDrive, false);
    w->pckDrive->item(w->pckDrive->count() - 1)->setCheckState(Qt::Checked);
    return w;
  }

  // What the user does: pick a radio item, type a date and leave the field.
  static void choose(TRadioGroup* group, int index) {
    auto* item = group->findChild<QRadioButton*>(group->objectName() + QString::number(index));
    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(8, item->height() / 2));  // on its circle
  }
  static void type(TDateField* field, const QString& text) {
    field->edit->setText(text);
    emit field->edit->editingFinished();
  }

  // The found files below the tree, in grid order.
  QStringList found(TfrmMods& w) {
    QStringList out;
    for (int r = 0; r < w.grid->data().rowsUsed(); ++r)
      out << QString::fromStdString(w.grid->data().rowPath(r)).mid(static_cast<int>(tree.path().size()) + 1);
    out.sort();
    return out;
  }
  QString cell(TfrmMods& w, const QString& name, int col) {
    for (int r = 0; r < w.grid->data().rowsUsed(); ++r)
      if (w.grid->data().cellText(r, kName) == name) return w.grid->data().cellText(r, col);
    return "(none)";
  }

  TempTree tree;
  ScriptedPrompts prompts;
  FixedClock clock{at(2024, 3, 5, 10)};
};

}  // namespace

TEST_F(FilesByDateTest, EveryRangeExampleOnRealFilesWithHiddenFilesLeftOut) {
  auto w = open();
  EXPECT_EQ(w->windowTitle(), "Files in a range of dates");
  EXPECT_EQ(w->rgWhat->itemIndex(), 0);
  EXPECT_EQ(w->rgWhen->itemIndex(), 1);
  EXPECT_EQ(w->dtStart->text(), "3/5/2024");
  EXPECT_EQ(w->dtEnd->text(), "3/5/2024");
  EXPECT_TRUE(w->dtEnd->isVisible());
  EXPECT_EQ(w->cbWildCard->currentText(), "*.*");
  EXPECT_EQ(w->lblWild->text(), "All files");
  EXPECT_FALSE(w->btMark->isVisible());

  // Last accessed, on or before today: also the file without an access date.
  choose(w->rgWhen, 0);
  EXPECT_FALSE(w->dtEnd->isVisible());
  EXPECT_FALSE(w->lblAnd->isVisible());
  QTest::mouseClick(w->btOK, Qt::LeftButton);
  EXPECT_EQ(found(*w), (QStringList{"a.doc", "b.txt", "big.bin", "c.txt"}));
  EXPECT_EQ(cell(*w, "b.txt", kAccessed), "");
  EXPECT_EQ(cell(*w, "b.txt", kModified), "1/1/2020");
  EXPECT_EQ(cell(*w, "c.txt", kFolder), QString::fromStdString(tree.path()));
  EXPECT_EQ(w->pnlScan->text(), "Found : 4");
  EXPECT_TRUE(w->btMark->isVisible());
  EXPECT_FALSE(w->btDelete->isEnabled());
  EXPECT_EQ(w->printTitle(), "Files Last accessed before 3/5/2024");

  // Last modified between 1 January and 31 December 1998, by day.
  choose(w->rgWhat, 2);
  choose(w->rgWhen, 1);
  type(w->dtStart, "1/1/1998");
  type(w->dtEnd, "12/31/98");
  w->btOKClick();
  EXPECT_EQ(found(*w), (QStringList{"a.doc", "c.txt"}));
  EXPECT_EQ(w->printTitle(), "Files Modified between 1/1/1998 and 12/31/98");

  // A start after the end moves the end to it; an end before the start moves the start.
  type(w->dtStart, "3/5/2024");
  EXPECT_EQ(w->dtEnd->text(), "3/5/2024");
  type(w->dtEnd, "1/1/2024");
  EXPECT_EQ(w->dtStart->text(), "1/1/2024");

  // Last accessed on or after today.
  type(w->dtStart, "3/5/2024");
  choose(w->rgWhat, 0);
  choose(w->rgWhen, 2);
  w->btOKClick();
  EXPECT_EQ(found(*w), (QStringList{"a.doc", "big.bin", "sub/d.doc"}));

  // Created is the birth time, empty where the file system keeps none (on or before keeps
  // those files).
  platform::DirEntry probe;
  ASSERT_TRUE(platform::statEntry(AT_FDCWD, tree / "a.doc", probe));
  choose(w->rgWhat, 1);
  choose(w->rgWhen, 0);
  w->btOKClick();
  if (probe.creationTime.valid) {
    EXPECT_EQ(prompts.texts(MessageKind::Information), QStringList{"No files found."});  // all born after "today"
    choose(w->rgWhen, 2);
    w->btOKClick();
    EXPECT_EQ(cell(*w, "a.doc", kCreated), fileDateText(probe.creationTime));
  }
  EXPECT_EQ(found(*w), (QStringList{"a.doc", "b.txt", "big.bin", "c.txt", "sub/d.doc"}));
}

TEST_F(FilesByDateTest, TheDocWildcardListsOnlyItsFilesAndItsDescription) {
  auto w = open();
  EXPECT_EQ(w->cbWildCard->itemText(0), "*.*");
  EXPECT_GE(w->cbWildCard->findText("*.doc"), 1);
  w->cbWildCard->setEditText("*.doc");
  EXPECT_EQ(w->lblWild->text(), fileTypeDescription(".doc"));
  EXPECT_FALSE(w->lblWild->text().isEmpty());
  type(w->dtStart, "1/1/1980");
  type(w->dtEnd, "12/31/2099");
  w->btOKClick();
  EXPECT_EQ(found(*w), (QStringList{"a.doc", "sub/d.doc"}));  // two files, two rows
  EXPECT_EQ(w->grid->model()->rowCount(), 2);
  EXPECT_EQ(cell(*w, "a.doc", kType), fileTypeDescription(".doc"));
}

TEST_F(FilesByDateTest, AnUnreadableDateIsReportedBeforeTheWalk) {
  auto w = open();
  w->btOKClick();
  ASSERT_EQ(found(*w), (QStringList{"a.doc", "big.bin"}));  // accessed today
  prompts.clear();
  type(w->dtStart, "2/30/2024");
  w->btOKClick();
  ASSERT_EQ(prompts.texts(MessageKind::Error).size(), 1);
  EXPECT_TRUE(
      prompts.texts(MessageKind::Error)[0].startsWith("The start date \"2/30/2024\" cannot be read as a date."));
  EXPECT_EQ(found(*w), (QStringList{"a.doc", "big.bin"}));  // nothing walked, nothing cleared

  prompts.clear();
  type(w->dtStart, "3/5/2024");
  type(w->dtEnd, "the 5th");
  w->btOKClick();
  EXPECT_TRUE(prompts.texts(MessageKind::Error).value(0).startsWith("The end date \"the 5th\""));
  choose(w->rgWhen, 2);  // the end field does not count any more
  prompts.clear();
  w->btOKClick();
  EXPECT_TRUE(prompts.texts(MessageKind::Error).isEmpty());
  EXPECT_EQ(found(*w), (QStringList{"a.doc", "big.bin", "sub/d.doc"}));
}

TEST_F(FilesByDateTest, MarkingTheThreeGigabyteFileAndHandingItOver) {
  auto w = open();
  w->btOKClick();
  clock.set(at(2024, 3, 5, 10).addSecs(1));  // Mark does nothing just after the walk
  int big = -1;
  for (int r = 0; r < w->grid->data().rowsUsed(); ++r)
    if (w->grid->data().cellText(r, kName) == "big.bin") big = r;
  ASSERT_GE(big, 0);
  EXPECT_EQ(w->grid->data().cellText(big, kSize), "3,221,225,472");
  w->grid->view()->setCurrentIndex(w->grid->model()->index(big, kName));
  QTest::mouseClick(w->btMark, Qt::LeftButton);
  EXPECT_EQ(w->pnlScan->text(), "1 files 3,221,225,472 bytes");
  EXPECT_TRUE(w->btDelete->isEnabled());

  std::string browsed, selected;
  QString mask;
  setFolderBrowserOpener([&](QWidget*, const std::string& folder, const std::string& file, const QString& m) {
    browsed = folder;
    selected = file;
    mask = m;
  });
  w->grid->view()->setCurrentIndex(w->grid->model()->index(big, kName));
  w->btBrowse->click();
  EXPECT_EQ(browsed, tree.path());
  EXPECT_EQ(selected, "big.bin");
  EXPECT_EQ(mask, "*.*");

  DeletionRequest seen;
  bool complete = false;
  setDeletionReviewOpener([&](QWidget*, const DeletionRequest& r) {
    seen = r;
    return complete;
  });
  w->btDelete->click();
  EXPECT_EQ(seen.paths, std::vector<std::string>{tree / "big.bin"});
  EXPECT_EQ(seen.totalBytes, kThreeGiB);
  EXPECT_EQ(seen.sourceTag, "FileDates");
  EXPECT_TRUE(w->isVisible());
  complete = true;
  w->btDelete->click();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(FilesByDateTest, AbortKeepsTheRowsFoundSoFarWithAPlainMessage) {
  for (int f = 0; f < 30; ++f)
    for (int i = 0; i < 30; ++i) tree.file("many/f" + std::to_string(f) + "/x" + std::to_string(i), "1");
  auto w = open();
  choose(w->rgWhen, 0);
  w->pumpIntervalMs = 0;
  bool pressed = false;
  QTimer presser;
  QObject::connect(&presser, &QTimer::timeout, [&] {
    if (!pressed && w->walking() && w->grid->data().rowsUsed() > 0) {
      pressed = true;
      QTest::mouseClick(w->btAbort, Qt::LeftButton);
    }
  });
  presser.start(0);
  w->btOKClick();
  ASSERT_TRUE(pressed);
  ASSERT_EQ(prompts.records.size(), 1u);
  EXPECT_EQ(prompts.records[0].text, "LIST INCOMPLETE ... ABORTED BY USER");
  EXPECT_EQ(prompts.records[0].kind, MessageKind::Information);
  const int rows = w->grid->data().rowsUsed();
  EXPECT_GT(rows, 0);
  EXPECT_LT(rows, 904);
  EXPECT_EQ(w->pnlScan->text(), "Found : " + QString::number(rows));
  EXPECT_TRUE(w->btOK->isEnabled());
  EXPECT_TRUE(w->dtStart->isEnabled());
}
