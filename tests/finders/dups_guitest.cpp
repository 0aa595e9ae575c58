// The duplicates and file-hogs window on real trees: grouping by match mode, checksums with
// elimination, abort, file hogs with their bounds and sorts, marking and Clean?.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "common/testing.h"
#include "finders/dupcompare.h"
#include "finders/dups.h"
#include "findertesting.h"
#include "foundation/crc.h"
#include "foundation/settings.h"
#include "inspect/pebuilder.h"
#include "safeharbor/harborlist.h"
#include "safeharbor/safeharbor.h"
#include "scan/deletionrequest.h"
#include "scan/resultgrid.h"
#include "scan/targets.h"

using namespace roomvale;
using roomvale::testing::ModelContract;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::TempTree;
namespace rt = roomvale::testing;

namespace {

const QString kCrcQuestion =
    "Compute CRC for the list of duplicates?  This results in a precise duplicate match since it is comparing the "
    "contents of the files.  However, it is much slower to compute.";
const QString kEliminateQuestion =
    "Eliminate those duplicates that do not have the same CRC values?  This results in a smaller list.";

std::string blocks(std::initializer_list<char> fills) {
  std::string s;
  for (char c : fills) s += std::string(2048, c);
  return s;
}

class DupWindowTest : public ::testing::Test {
 protected:
  rt::UsDates usDates;
  void SetUp() override { writeListSection(kNewFoldersSection, {QString::fromStdString(tree.path() + "/")}); }
  void TearDown() override { setDeletionReviewOpener({}); }

  // The window over the tree, for files of one byte or more.
  std::unique_ptr<TfrmDup> open(bool duplicates) {
    auto w = std::make_unique<TfrmDup>(duplicates);
    w->show();
    setAllChecked(w->pckDrive, false);
    w->pckDrive->item(w->pckDrive->count() - 1)->setCheckState(Qt::Checked);
    contract = std::make_unique<ModelContract>(w->grid->model());
    return w;
  }
  static void bytesFrom(TfrmDup& w, int low) {
    w.cbKB1->setCurrentIndex(0);
    w.num1->setValue(low);
  }
  void start(TfrmDup& w, int mode, std::initializer_list<Answer> answers = {}) {
    w.cbDup->setCurrentIndex(mode);
    prompts.clear();
    prompts.answers.assign(answers.begin(), answers.end());
    QTest::mouseClick(w.btScan, Qt::LeftButton);
  }
  // Rows as "path below the tree [last cell]", with "|" where the shade changes.
  std::string rows(TfrmDup& w, bool lastCell = false) {
    const GridData& g = w.grid->data();
    std::string out;
    for (int pos = 0; pos < g.rowsUsed(); ++pos) {
      if (pos > 0) out += g.shade(pos) == g.shade(pos - 1) ? " " : " | ";
      out += g.rowPath(pos).substr(tree.path().size() + 1);
      if (lastCell) out += "[" + g.cellText(pos, 6).toStdString() + "]";
    }
    return out;
  }
  // A file with fixed times, so that rows of equal keys sort by folder.
  std::string put(const std::string& rel, const std::string& content) {
    const std::string path = tree.file(rel, content);
    const QDateTime when(QDate(2022, 2, 2), QTime(9, 30));
    rt::setFileTimes(path, when, when);
    return path;
  }
  static std::string crc(const std::string& path) { return crcText(fileCRC(path)).toStdString(); }

  TempTree tree;
  ScriptedPrompts prompts;
  std::unique_ptr<ModelContract> contract;
};

}  // namespace

TEST_F(DupWindowTest, MatchModesGroupTheTreeAndAskAboutChecksumsOnlyWhereOffered) {
  put("d1/A.TXT", std::string(100, 'a'));
  put("d2/A.TXT", std::string(100, 'b'));
  put("d3/a.txt", std::string(300, 'c'));
  put("d3/.hidden/A.TXT", std::string(100, 'a'));
  put("d4/lonely.txt", "x");
  auto w = open(true);
  EXPECT_EQ(w->windowTitle(), "Find and delete duplicate files");
  EXPECT_EQ(w->cbDup->currentIndex(), 1);
  EXPECT_EQ(w->cbKB1->currentText(), "KB");
  EXPECT_EQ(w->num1->value(), 250);
  EXPECT_FALSE(w->num2->isVisible());
  EXPECT_FALSE(w->btMark->isVisible());
  EXPECT_FALSE(w->btCompare->isVisible());
  EXPECT_FALSE(w->Sort1->menuAction()->isVisible());
  bytesFrom(*w, 1);

  start(*w, 0);
  EXPECT_TRUE(prompts.texts().isEmpty());
  EXPECT_EQ(rows(*w), "d1/A.TXT d2/A.TXT d3/a.txt");
  EXPECT_EQ(w->pnlSel->text(), "3 duplicates found");
  EXPECT_TRUE(w->btCompare->isVisible());
  EXPECT_EQ(w->grid->data().cellText(0, 1), "100");
  EXPECT_EQ(w->grid->data().cellText(0, 5), QString::fromStdString(tree / "d1"));

  // Mode 1 asks first; No to the checksum asks nothing more.
  start(*w, 1, {Answer::No});
  EXPECT_EQ(prompts.texts(), QStringList{kCrcQuestion});
  EXPECT_EQ(rows(*w), "d1/A.TXT d2/A.TXT");
  EXPECT_EQ(w->grid->data().headerText(6), "Type");

  // Checksums chosen but no group formed: no checksum work, and the message.
  put("d2/A.TXT", std::string(101, 'b'));
  start(*w, 1, {Answer::Yes, Answer::Yes});
  EXPECT_EQ(prompts.texts(), (QStringList{kCrcQuestion, kEliminateQuestion, "No files found."}));
  EXPECT_EQ(w->grid->data().headerText(6), "Type");
  EXPECT_FALSE(w->btMark->isVisible());

  // A full working list stops the walk with its message; what was found is still grouped.
  w->workingListCapacity = 2;
  start(*w, 0);
  EXPECT_EQ(prompts.texts(MessageKind::Warning),
            QStringList{"Due to resource limitations ... cannot process any more files.\r\rTry increasing the file "
                        "size limits or file match and re-scan."});
  EXPECT_LE(w->grid->data().rowsUsed(), 2);
  w->workingListCapacity = kWorkingListCapacity;
}

TEST_F(DupWindowTest, PairWindowStepsOverPairsComparesAndMarks) {
  put("d1/a.txt", std::string(1000, 'x'));
  put("d2/a.txt", std::string(1000, 'x'));
  put("d1/b.txt", std::string(1000, 'y'));
  put("d2/b.txt", std::string(1009, 'y'));
  auto w = open(true);
  bytesFrom(*w, 1);
  start(*w, 0);
  ASSERT_EQ(rows(*w), "d1/a.txt d2/a.txt | d1/b.txt d2/b.txt");
  w->grid->view()->selectRow(0);
  TfrmDupCompare* pairs = dupCompareWindow();
  pairs->cbCRC->setChecked(true);
  QTest::mouseClick(w->btCompare, Qt::LeftButton);
  ASSERT_TRUE(pairs->isVisible());
  EXPECT_EQ(pairs->currentRow(), 0);
  EXPECT_EQ(pairs->sides[1].sSize->text(), "Same size");
  // Auto compare ran at once, with the real content check.
  EXPECT_TRUE(pairs->sides[1].crc->text().endsWith(" file contents are identical"));
  EXPECT_EQ(pairs->sides[0].size->text(), "1,000 bytes");
  EXPECT_EQ(pairs->imModify->accessibleName(), "Same");  // both written at the same time

  // Rows 1 and 2 (a.txt / b.txt) are no pair and are stepped over; PgDn does the same as Next.
  QTest::keyClick(pairs, Qt::Key_PageDown);
  EXPECT_EQ(pairs->currentRow(), 2);
  EXPECT_EQ(w->grid->currentRow(), 2);
  EXPECT_EQ(pairs->sides[1].sSize->text(), "Slightly larger");
  EXPECT_TRUE(pairs->sides[0].crc->text().isEmpty());  // sizes differ: no automatic checksum
  QTest::mouseClick(pairs->btCompute, Qt::LeftButton);
  EXPECT_TRUE(pairs->sides[0].crc->text().endsWith(" file contents differ"));
  // Printing the window's image: a real PDF page, and the highlighting back afterwards.
  const std::string pdf = tree / "pairs.pdf";
  prompts.configurePrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
  };
  EXPECT_TRUE(pairs->btPrintClick());
  QFile printed(QString::fromStdString(pdf));
  ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
  EXPECT_TRUE(printed.readAll().startsWith("%PDF"));
  EXPECT_TRUE(pairs->sides[0].size->autoFillBackground());
  if (const QString shots = qEnvironmentVariable("ROOMVALE_SHOTS"); !shots.isEmpty())
    pairs->grab().save(shots + "/pairs.png");

  prompts.clear();
  QTest::mouseClick(pairs->sbR1, Qt::LeftButton);  // on the second-to-last row
  EXPECT_EQ(pairs->currentRow(), 2);
  QTest::keyClick(pairs, Qt::Key_PageUp);
  EXPECT_EQ(pairs->currentRow(), 0);
  QTest::mouseClick(pairs->sbL1, Qt::LeftButton);
  EXPECT_EQ(prompts.texts(MessageKind::Information), (QStringList{"End of list", "Start of list"}));

  QTest::mouseClick(pairs->sides[1].mark, Qt::LeftButton);
  EXPECT_TRUE(w->grid->data().isMarked(1));
  EXPECT_FALSE(w->grid->data().isMarked(0));

  // The window outlives the duplicates window, hidden.
  w.reset();
  ASSERT_TRUE(dupCompareWindow() == pairs);
  EXPECT_FALSE(pairs->isVisible());
}

TEST_F(DupWindowTest, PairWindowSummaryProtectedSideVersionLinesAndLayout) {
  // Two builds of one program (same size, one version line apart), the second one protected;
  // then a pair of plain files, with the last program row between them in match mode 1.
  auto program = [](const char* version) {
    const auto pe = rt::peImage(rt::versionInfo(
        "040904B0", {{"CompanyName", "Test Co"}, {"FileVersion", version}, {"ProductName", "Tool"}}, 0x04B00409));
    return std::string(pe.begin(), pe.end());
  };
  put("a/tool.exe", program("1.0.0.1"));
  const std::string kept = put("b/tool.exe", program("1.0.0.2"));
  rt::setFileTimes(kept, {}, QDateTime(QDate(2023, 5, 5), QTime(8, 0)));
  put("a/zz.txt", "plain");
  put("b/zz.txt", "plain");
  safeHarbor().setLists({upperAscii(shortPathName(tree.path())) + "/B/"}, {}, {}, {});
  auto w = open(true);
  bytesFrom(*w, 1);
  start(*w, 1, {Answer::No});
  ASSERT_EQ(rows(*w), "a/tool.exe b/tool.exe | a/zz.txt b/zz.txt");
  w->grid->view()->selectRow(0);
  QTest::mouseClick(w->btCompare, Qt::LeftButton);
  TfrmDupCompare* pairs = dupCompareWindow();
  const auto& [left, right] = pairs->sides;

  // The summary lies over the boxes until Details is ticked.
  EXPECT_FALSE(pairs->cbDetails->isChecked());
  EXPECT_TRUE(pairs->pnlSimple->isVisible());
  EXPECT_FALSE(left.box->isVisible());
  EXPECT_EQ(left.sName->text(), "tool.exe");
  EXPECT_EQ(left.sSize->text(), left.size->text());
  EXPECT_EQ(right.sSize->text(), "Same size");
  EXPECT_TRUE(left.sCreate->text().startsWith("Created : "));
  EXPECT_TRUE(right.sAccess->text().startsWith("Accessed : "));
  // The protected side says so, highlighted, in the details and in the summary; the other does not.
  for (QLabel* tag : {right.tag, right.sTag}) {
    EXPECT_EQ(tag->text(), "** In Non-Delete List **");
    EXPECT_TRUE(tag->autoFillBackground());
  }
  EXPECT_TRUE(left.tag->text().isEmpty());
  EXPECT_TRUE(left.sTag->text().isEmpty());
  pairs->cbDetails->setChecked(true);
  EXPECT_TRUE(left.box->isVisible());
  EXPECT_FALSE(pairs->pnlSimple->isVisible());
  EXPECT_EQ(pairs->imModify->accessibleName(), "Right is more recent");
  EXPECT_TRUE(left.modify->autoFillBackground());

  // Only the differing version line is on aqua, on both sides.
  ASSERT_TRUE(left.versions->isVisible());
  ASSERT_EQ(left.versions->count(), right.versions->count());
  int aqua = 0;
  for (int i = 0; i < left.versions->count(); ++i) {
    const bool differs = left.versions->item(i)->text() != right.versions->item(i)->text();
    for (QListWidget* list : {left.versions, right.versions})
      EXPECT_EQ(list->item(i)->background().color() == QColor(0, 255, 255), differs) << i;
    aqua += differs;
  }
  EXPECT_EQ(aqua, 1);
  if (const QString shots = qEnvironmentVariable("ROOMVALE_SHOTS"); !shots.isEmpty())
    pairs->grab().save(shots + "/pairs-details.png");

  // Row 1 ends the program group and is stepped over; the plain files have no version lists,
  // the window shrinks to fit, and the pointer follows the Next pair button.
  const int tall = pairs->height();
  QTest::mouseClick(pairs->sbR1, Qt::LeftButton);
  EXPECT_EQ(pairs->currentRow(), 2);
  EXPECT_FALSE(left.versions->isVisible());
  EXPECT_LT(pairs->height(), tall);
  EXPECT_EQ(QCursor::pos(), pairs->sbR1->mapToGlobal(pairs->sbR1->rect().center()));
  safeHarbor().setLists({}, {}, {}, {});
}

TEST_F(DupWindowTest, EliminationKeepsOnlyReallyIdenticalCopiesWithinASizeRunAndShadesByChecksum) {
  // Name and size: the third A.TXT differs. The b and c groups share the size run of A.TXT,
  // and g1/b.txt equals g1/c.txt. Hard links and block-permuted files in the same run are
  // no twins.
  put("g1/A.TXT", "same-content");
  put("g2/A.TXT", "same-content");
  put("g3/A.TXT", "diff-content");
  put("g1/b.txt", "twin-of-b&c!");
  put("g2/b.txt", "other-1.....");
  put("g1/c.txt", "twin-of-b&c!");
  put("g2/c.txt", "other-2.....");
  auto w = open(true);
  bytesFrom(*w, 1);
  start(*w, 1, {Answer::Yes, Answer::Yes});
  EXPECT_EQ(prompts.texts(), (QStringList{kCrcQuestion, kEliminateQuestion}));
  const std::string a = crc(tree / "g1/A.TXT");
  const std::string b = crc(tree / "g1/b.txt");
  EXPECT_EQ(rows(*w, true), "g1/A.TXT[" + a + "] g2/A.TXT[" + a + "] | g1/b.txt[" + b + "] g1/c.txt[" + b + "]");
  EXPECT_EQ(w->grid->data().headerText(6), "CRC Values");
  EXPECT_EQ(w->pnlSel->text(), "4 duplicates found");

  // Size only over files of 8192 bytes: a pair, two of the same blocks in another order, and
  // one file with two names.
  TempTree other;
  writeListSection(kNewFoldersSection, {QString::fromStdString(other.path() + "/")});
  other.file("p/one", blocks({'h', 'h', 'a', 'b'}));
  other.file("q/two", blocks({'h', 'h', 'a', 'b'}));
  other.file("p/perm1", blocks({'h', 'h', 'x', 'y'}));
  other.file("q/perm2", blocks({'h', 'h', 'y', 'x'}));
  const std::string linked = other.file("p/linked", blocks({'l', 'l', 'l', 'l'}));
  ASSERT_EQ(::link(linked.c_str(), (other / "q/link2").c_str()), 0);
  ASSERT_EQ(fileCRC(other / "p/perm1"), fileCRC(other / "q/perm2"));
  auto v = std::make_unique<TfrmDup>(true);
  v->show();
  setAllChecked(v->pckDrive, false);
  v->pckDrive->item(v->pckDrive->count() - 1)->setCheckState(Qt::Checked);
  bytesFrom(*v, 1);
  start(*v, 3, {Answer::Yes, Answer::Yes});
  QStringList kept;
  for (int pos = 0; pos < v->grid->data().rowsUsed(); ++pos)
    kept << QString::fromStdString(v->grid->data().rowPath(pos).substr(other.path().size() + 1));
  kept.sort();
  EXPECT_EQ(kept, (QStringList{"p/one", "q/two"}));
}

TEST_F(DupWindowTest, AbortDuringTheChecksumPhaseKeepsTheRowsWithoutElimination) {
  rt::sparseFile(tree / "big1", 1ull << 30);
  rt::sparseFile(tree / "big2", 1ull << 30);
  auto w = open(true);
  QTimer presser;
  presser.setInterval(1);
  QObject::connect(&presser, &QTimer::timeout, [&] {
    if (w->computingChecksums() && w->btAbort->isVisible()) QTest::mouseClick(w->btAbort, Qt::LeftButton);
  });
  presser.start();
  start(*w, 3, {Answer::Yes, Answer::Yes});
  EXPECT_EQ(prompts.texts(MessageKind::Warning), QStringList{"CRC values incomplete ... aborted by user"});
  EXPECT_EQ(rows(*w), "big1 big2");  // no elimination, no new shading
  EXPECT_EQ(w->grid->data().headerText(6), "CRC Values");
  EXPECT_EQ(w->grid->data().cellText(1, 6), "");
}

TEST_F(DupWindowTest, FileHogsInsideTheBoundsLargestFirstWithSortsMarksAndTitle) {
  const std::string hog = tree / "Hogs";
  tree.file("Hogs/Exact.bin", std::string(256000, 'e'));
  tree.file("Hogs/Below.bin", std::string(255999, 'b'));
  tree.file("Hogs/More.BIN", std::string(300000, 'm'));
  rt::sparseFile(tree / "Hogs/Huge.img", 3ull << 30);
  auto w = open(false);
  EXPECT_EQ(w->windowTitle(), "Find and delete file hogs");
  EXPECT_FALSE(w->cbDup->isVisible());
  EXPECT_TRUE(w->Sort1->menuAction()->isVisible());
  EXPECT_FALSE(w->MarkButFirst1->isVisible());

  // In between with the second number below the first starts nothing.
  w->rbBetween->setChecked(true);
  EXPECT_TRUE(w->num2->isVisible());
  w->num2->setValue(100);
  QTest::mouseClick(w->btScan, Qt::LeftButton);
  EXPECT_EQ(prompts.texts(MessageKind::Error),
            QStringList{"The second number must be larger or equal than the first number"});
  EXPECT_EQ(w->grid->data().rowsUsed(), 0);

  w->rbLarger->setChecked(true);
  start(*w, 0);
  const GridData& g = w->grid->data();
  ASSERT_EQ(g.rowsUsed(), 3);
  EXPECT_EQ(g.rowPath(0), hog + "/Huge.img");
  EXPECT_EQ(g.cellText(0, 0), "3,221,225,472");
  EXPECT_EQ(g.rowPath(1), hog + "/More.BIN");
  EXPECT_EQ(g.rowPath(2), hog + "/Exact.bin");
  EXPECT_EQ(w->pnlSel->text(), "3 file hogs found");
  // Only the first file listed from a folder shows its letter case.
  int lower = 0;
  for (int pos = 0; pos < 3; ++pos) lower += g.cellText(pos, 4) == QString::fromStdString(g.rowPath(pos)) ? 0 : 1;
  EXPECT_EQ(lower, 2);
  EXPECT_EQ(w->printTitle(), "File Hogs larger or equal to 250 KB matching *.* on drive(s) " +
                                 QString::fromStdString(tree.path()) + "/ ");

  // A second "&Size" lists the smallest first.
  w->Sortbysize1->trigger();
  EXPECT_EQ(g.rowPath(0), hog + "/Exact.bin");

  // Marking counts 64-bit sizes; unmarking takes them back.
  w->MarkThisFile(2);
  EXPECT_EQ(w->pnlSel->text(), "1 files 3,221,225,472 bytes");
  EXPECT_TRUE(w->btDelete->isEnabled());
  w->MarkThisFile(2);
  EXPECT_EQ(w->pnlSel->text(), "0 files 0 bytes");
  EXPECT_FALSE(w->btDelete->isEnabled());
}

TEST_F(DupWindowTest, GroupMarkingAndCleanAsksBeforeDeletingEveryCopy) {
  const QDateTime old(QDate(2001, 1, 1), QTime(10, 0));
  const QDateTime mid(QDate(2010, 1, 1), QTime(10, 0));
  const QDateTime young(QDate(2020, 1, 1), QTime(10, 0));
  rt::setFileTimes(tree.file("a/x.dat", "xxxx"), old, mid);
  rt::setFileTimes(tree.file("b/x.dat", "xxxx"), old, young);
  rt::setFileTimes(tree.file("c/x.dat", "xxxx"), old, old);
  rt::setFileTimes(tree.file("a/y.dat", "yy"), old, old);
  rt::setFileTimes(tree.file("b/y.dat", "yy"), old, young);
  auto w = open(true);
  bytesFrom(*w, 1);
  start(*w, 1, {Answer::No});
  // Within a group the lines sort by their date texts.
  ASSERT_EQ(rows(*w), "c/x.dat a/x.dat b/x.dat | a/y.dat b/y.dat");
  auto marked = [&] {
    std::string out;
    for (const std::string& p : w->grid->data().lbDeleted()) out += p.substr(tree.path().size() + 1) + " ";
    return out;
  };
  w->MarkButFirst1->trigger();
  EXPECT_EQ(marked(), "a/x.dat b/x.dat b/y.dat ");
  w->MarkButNewest1->trigger();
  EXPECT_EQ(marked(), "c/x.dat a/x.dat a/y.dat ");
  w->MarkButOldest1->trigger();
  EXPECT_EQ(marked(), "a/x.dat b/x.dat b/y.dat ");
  EXPECT_EQ(w->pnlSel->text(), "3 files 10 bytes");

  // Every copy below b: never the last unmarked row of a group.
  w->Unmarkall1->trigger();
  prompts.folders.push_back(tree / "b");
  w->MarkInFolder1->trigger();
  EXPECT_EQ(marked(), "b/x.dat b/y.dat ");
  prompts.folders.push_back(tree.path() + "/");
  w->MarkInFolder1->trigger();
  EXPECT_EQ(marked(), "b/x.dat b/y.dat c/x.dat ");

  // Clean? with every copy of a group marked asks; No keeps the window and the marks.
  std::vector<DeletionRequest> handed;
  setDeletionReviewOpener([&](QWidget*, const DeletionRequest& r) {
    handed.push_back(r);
    return false;
  });
  w->MarkThisFile(3);
  prompts.clear();
  prompts.answers = {Answer::No};
  QTest::mouseClick(w->btDelete, Qt::LeftButton);
  EXPECT_EQ(prompts.texts(), QStringList{"All copies of 1 group(s) are marked. Deleting them keeps no copy of those "
                                         "files. Continue?"});
  EXPECT_TRUE(handed.empty());
  EXPECT_EQ(w->grid->data().markedCount(), 4);
  prompts.answers = {Answer::Yes};
  QTest::mouseClick(w->btDelete, Qt::LeftButton);
  ASSERT_EQ(handed.size(), 1u);
  EXPECT_EQ(handed[0].sourceTag, "Duplicates");
  EXPECT_EQ(handed[0].paths.size(), 4u);
  EXPECT_EQ(handed[0].totalBytes, 4u + 2 + 4 + 2);
  EXPECT_TRUE(w->isVisible());
}
