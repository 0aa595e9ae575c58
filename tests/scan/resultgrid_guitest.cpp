// The result grid in a window: marking by button, key and double click, header sorts,
// highlighting, printing to PDF, clipboard and the hand-over to the review.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>

#include "common/testing.h"
#include "foundation/clock.h"
#include "foundation/helpers.h"
#include "scan/resultgrid.h"

using namespace roomvale;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::TempTree;

namespace {

GridSpec shape(const QString& kind) {
  GridSpec s;
  s.kind = kind;
  s.columns = {
      {"Size", CellField::Size, true}, {"FileName", CellField::FullPath, false}, {"Type", CellField::Type, false}};
  s.markColumn = 1;
  s.highlightColumn = 1;
  s.sortItems = {{"&Size", 0, SortKind::Number, true}, {"&Name", 1, SortKind::Text, false}};
  return s;
}

class ResultGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    grid = new ResultGrid(shape(kind()), window.get());
    layout->addWidget(grid->view());
    clean = new QPushButton("Clean?", window.get());
    layout->addWidget(clean);
    grid->setCleanButton(clean);
    grid->setStatusSink([this](const QString& s) { status = s; });
    sortSize = menu.addAction("&Size");
    sortName = menu.addAction("&Name");
    grid->setSortActions({sortSize, sortName});
    window->resize(700, 400);
    window->show();
    grid->ClearGrid();
  }
  void TearDown() override {
    window.reset();
    setDeletionReviewOpener({});
    setProtectionQuery({});
    QLocale::setDefault(QLocale::system());
  }
  virtual QString kind() const { return QStringLiteral("gui-grid"); }

  void fill(const std::vector<std::pair<std::string, int>>& files) {
    for (const auto& [name, size] : files) {
      const std::string path = tree.file(name, std::string(static_cast<std::size_t>(size), 'z'));
      const std::string folder = std::filesystem::path(path).parent_path().string();
      grid->addFile(GridFile{folder, name, static_cast<std::uint64_t>(size)});
    }
    grid->finishFill();
  }
  QString path(int pos) const { return grid->data().cellText(pos, 1); }
  void setCurrent(int row) { grid->view()->setCurrentIndex(grid->model()->index(row, 1)); }
  QPoint cellCentre(int row, int col) { return grid->view()->visualRect(grid->model()->index(row, col)).center(); }

  TempTree tree;
  std::unique_ptr<QWidget> window;
  ResultGrid* grid = nullptr;
  QPushButton* clean = nullptr;
  QMenu menu;
  QAction* sortSize = nullptr;
  QAction* sortName = nullptr;
  QString status;
};

}  // namespace

TEST_F(ResultGridTest, RowsReachTheViewInBatchesAndTheFinalCountIsExact) {
  for (int i = 0; i < 120; ++i) grid->addFile(GridFile{"/f", "n"});
  EXPECT_EQ(grid->model()->rowCount(), 1);  // nothing shown until the event loop turns
  QCoreApplication::processEvents();
  EXPECT_EQ(grid->model()->rowCount(), 151);
  grid->finishFill();
  EXPECT_EQ(grid->model()->rowCount(), 120);
  grid->ClearGrid();
  grid->finishFill();
  EXPECT_EQ(grid->model()->rowCount(), 1);
}

TEST_F(ResultGridTest, MarkButtonKeyAndDoubleClickToggleAndMoveOn) {
  fill({{"a.tmp", 10}, {"b.tmp", 20}, {"c.tmp", 30}});
  EXPECT_FALSE(clean->isEnabled());
  setCurrent(0);
  grid->DeleteAllFiles();
  EXPECT_TRUE(grid->data().isMarked(0));
  EXPECT_EQ(grid->currentRow(), 1);
  EXPECT_TRUE(clean->isEnabled());
  EXPECT_EQ(status, "1 files 10 bytes");

  // The Delete key released on the grid acts as Mark.
  grid->view()->setFocus();
  QTest::keyClick(grid->view(), Qt::Key_Delete);
  EXPECT_TRUE(grid->data().isMarked(1));
  EXPECT_EQ(grid->currentRow(), 2);
  grid->DeleteAllFiles();
  EXPECT_EQ(grid->currentRow(), 2);  // the last row stays current
  EXPECT_EQ(status, "3 files 60 bytes");

  // A double click toggles the current row.
  QTest::mouseDClick(grid->view()->viewport(), Qt::LeftButton, {}, cellCentre(0, 1));
  EXPECT_FALSE(grid->data().isMarked(0));
  EXPECT_EQ(status, "2 files 50 bytes");
  QTest::mouseDClick(grid->view()->viewport(), Qt::LeftButton, {}, cellCentre(1, 1));
  QTest::mouseDClick(grid->view()->viewport(), Qt::LeftButton, {}, cellCentre(2, 1));
  EXPECT_FALSE(clean->isEnabled());
  EXPECT_EQ(status, "0 files 0 bytes");
  EXPECT_TRUE(grid->data().lbDeleted().empty());

  // Paints marked rows without trouble.
  grid->Markall1Click();
  EXPECT_FALSE(grid->view()->grab().isNull());
}

TEST_F(ResultGridTest, MarkAllAndUnmarkAll) {
  fill({{"a.tmp", 1000}, {"b.tmp", 234}, {"c.tmp", 1}});
  grid->Markall1Click();
  EXPECT_EQ(status, "3 files 1,235 bytes");
  EXPECT_TRUE(clean->isEnabled());
  grid->Unmarkall1Click();
  EXPECT_EQ(status, "0 files 0 bytes");
  EXPECT_FALSE(clean->isEnabled());
  EXPECT_FALSE(grid->data().isMarked(2));
}

TEST_F(ResultGridTest, HeaderClicksSortAndFlipTheDirectionWithMarksMoving) {
  fill({{"mid.tmp", 50}, {"big.tmp", 999}, {"small.tmp", 1024}});
  setCurrent(0);
  grid->DeleteAllFiles();  // mark mid.tmp
  QHeaderView* header = grid->view()->horizontalHeader();
  const QPoint sizeHeader(header->sectionViewportPosition(0) + 5, header->height() / 2);

  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);  // first: descending
  EXPECT_EQ(grid->data().cellText(0, 0), "1,024");
  EXPECT_EQ(grid->data().cellText(2, 0), "50");
  EXPECT_TRUE(grid->data().isMarked(2));
  EXPECT_TRUE(sortSize->isChecked());
  EXPECT_FALSE(sortName->isChecked());
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
  EXPECT_EQ(grid->data().cellText(0, 0), "50");
  EXPECT_TRUE(grid->data().isMarked(0));
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
  EXPECT_EQ(grid->data().cellText(0, 0), "1,024");

  // The menu item sorts too and keeps its own direction.
  sortName->trigger();
  EXPECT_TRUE(path(0).endsWith("big.tmp"));
  EXPECT_TRUE(sortName->isChecked());
  EXPECT_FALSE(sortSize->isChecked());
  // A column without a sort item does nothing.
  const QPoint typeHeader(header->sectionViewportPosition(2) + 5, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, typeHeader);
  EXPECT_TRUE(sortName->isChecked());

  // ClearGrid checks the default item again; the directions live on.
  grid->ClearGrid();
  EXPECT_TRUE(sortSize->isChecked());
  EXPECT_EQ(grid->directions(), (std::vector<bool>{false, true}));  // three size sorts, one by name
}

TEST_F(ResultGridTest, ProtectedPathsAreDrawnBoldWhileHighlighting) {
  fill({{"keep.tmp", 1}, {"free.tmp", 1}});
  const QModelIndex kept = grid->model()->index(0, 1);
  EXPECT_FALSE(grid->model()->data(kept, Qt::FontRole).isValid());  // no query installed yet
  setProtectionQuery([](const std::string& p, bool isFile) { return isFile && p.ends_with("keep.tmp"); });
  EXPECT_TRUE(grid->model()->data(kept, Qt::FontRole).value<QFont>().bold());
  EXPECT_FALSE(grid->model()->data(grid->model()->index(1, 1), Qt::FontRole).isValid());
  EXPECT_FALSE(grid->model()->data(grid->model()->index(0, 0), Qt::FontRole).isValid());
  grid->Highlight1Click();
  EXPECT_FALSE(grid->model()->data(kept, Qt::FontRole).isValid());
  EXPECT_EQ(
      grid->model()->data(grid->model()->index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
      Qt::AlignRight);
}

TEST_F(ResultGridTest, CleanHandsTheMarkedFilesToTheReview) {
  ScriptedPrompts prompts;
  fill({{"one.tmp", 5}, {"two.tmp", 7}});
  EXPECT_FALSE(grid->handOver("TempClean"));  // nothing marked: nothing handed over
  EXPECT_TRUE(prompts.records.empty());

  setCurrent(1);
  grid->DeleteAllFiles();
  setCurrent(0);
  grid->DeleteAllFiles();
  EXPECT_FALSE(grid->handOver("TempClean"));
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"The deletion review is missing from this program."});

  DeletionRequest seen;
  bool answer = false;
  setDeletionReviewOpener([&](QWidget* owner, const DeletionRequest& r) {
    EXPECT_EQ(owner, window.get());
    seen = r;
    return answer;
  });
  EXPECT_FALSE(grid->handOver("TempClean"));
  EXPECT_EQ(seen.paths, (std::vector<std::string>{tree / "two.tmp", tree / "one.tmp"}));
  EXPECT_EQ(seen.totalBytes, 12u);
  EXPECT_EQ(seen.sourceTag, "TempClean");
  EXPECT_TRUE(grid->data().isMarked(0));  // cancelled: marks stay
  answer = true;
  EXPECT_TRUE(grid->handOver("TempClean"));
}

TEST_F(ResultGridTest, ClipboardGetsEitherForm) {
  fill({{"a.tmp", 2}});
  grid->btClipClick(1);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(tree / "a.tmp") + "\r\n");
  grid->btClipClick(2);
  EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("Size\tFileName\tType\r\n2\t"));
}

TEST_F(ResultGridTest, PrintsToPdfWithTheColumnWidthRule) {
  ScriptedPrompts prompts;
  roomvale::testing::FixedClock clock(QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8)));
  const std::string pdf = tree / "report.pdf";
  prompts.configurePrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
  };
  fill({{"a_rather_long_file_name.tmp", 123456}, {"b.tmp", 1}});
  grid->setColumnWidths({64, 300, 60});
  grid->print("Temporary files on drive(s) /");
  ASSERT_TRUE(std::filesystem::exists(pdf));

  QProcess p;
  p.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
  ASSERT_TRUE(p.waitForFinished(30000));
  // pdftotext keeps or drops the two empty lines after the date depending on where the page
  // lands, so only the printed lines are compared.
  QStringList lines;
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
    if (!line.trimmed().isEmpty()) lines << line;
  ASSERT_GE(lines.size(), 5);
  EXPECT_EQ(lines[0].trimmed(), "Temporary files on drive(s) /");
  EXPECT_TRUE(lines[1].simplified().startsWith(
      "Printed : " + safeDateToStr(QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8))) + " 6:07:08"))
      << lines[1].toStdString();
  // Each field is the column's width over 6 characters (pdftotext does not keep runs of
  // blanks exactly, so the cut texts are compared).
  const std::vector<int> widths = grid->columnWidths();
  const auto field = [&](const QString& text, int column) { return text.left(widths[column] / 6).trimmed(); };
  EXPECT_EQ(lines[2].simplified(), "Size FileName Type");
  EXPECT_EQ(lines[3].simplified(), "123,456 " + field(QString::fromStdString(tree / "a_rather_long_file_name.tmp"), 1) +
                                       " " + field(grid->data().cellText(0, 2), 2));
  EXPECT_TRUE(lines[4].simplified().startsWith("1 " + field(QString::fromStdString(tree / "b.tmp"), 1)));
  EXPECT_TRUE(prompts.texts(MessageKind::Error).isEmpty());

  // A cancelled print dialog prints nothing.
  std::filesystem::remove(pdf);
  prompts.printAnswers.push_back(false);
  grid->print("again");
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(ResultGridTest, PrintFailureIsReported) {
  ScriptedPrompts prompts;
  prompts.configurePrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(tree / "no/such/folder/report.pdf"));
  };
  fill({{"a.tmp", 1}});
  grid->print("title");
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Error printing report ... quitting"});
}

TEST_F(ResultGridTest, ViewDetailsAndBrowseReachTheirWindowsOnlyForExistingFiles) {
  fill({{"seen.tmp", 3}, {"gone.tmp", 4}});
  std::vector<std::string> calls;
  setFileViewerOpener([&](QWidget*, const std::string& p) { calls.push_back("view " + p); });
  setFileDetailsOpener([&](QWidget*, const std::string& p) { calls.push_back("details " + p); });
  setFolderBrowserOpener([&](QWidget*, const std::string& folder, const std::string& file, const QString& mask) {
    calls.push_back("browse " + folder + " " + file + " " + mask.toStdString());
  });
  setCurrent(0);
  grid->View1Click();
  grid->Details1Click();
  grid->BrowseDirectory1Click();
  std::filesystem::remove(tree / "gone.tmp");
  setCurrent(1);
  grid->View1Click();
  grid->Details1Click();
  EXPECT_EQ(calls, (std::vector<std::string>{"view " + tree / "seen.tmp", "details " + tree / "seen.tmp",
                                             "browse " + tree.path() + " seen.tmp *.*"}));
  setFileViewerOpener({});
  setFileDetailsOpener({});
  setFolderBrowserOpener({});
  grid->View1Click();  // nothing installed: nothing happens
}
