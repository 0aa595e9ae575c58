// Result grid rows, marks, sorting and exports, without windows.
#include <gtest/gtest.h>

#include <QLocale>
#include <algorithm>
#include <filesystem>
#include <random>
#include <set>

#include "common/testing.h"
#include "foundation/helpers.h"
#include "scan/exports.h"
#include "scan/grid.h"
#include "scan/printit.h"
#include "scan/sortgrid.h"

using namespace roomvale;

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
using roomvale::testing::TempTree;

namespace {

std::uint32_t packed(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  const std::uint32_t date = static_cast<std::uint32_t>(((y - 1980) << 9) | (mo << 5) | d);
  const std::uint32_t time = static_cast<std::uint32_t>((h << 11) | (mi << 5) | (s / 2));
  return (date << 16) | time;
}

// The quick clean's layout.
GridSpec cleanSpec(const QString& kind = QStringLiteral("test-clean")) {
  GridSpec shape;
  shape.kind = kind;
  shape.columns = {{"Size", CellField::Size, true},          {"Modified", CellField::WriteDate, false},
                   {"Time", CellField::WriteTime, false},    {"Access", CellField::AccessDate, false},
                   {"FileName", CellField::FullPath, false}, {"Type", CellField::Type, false}};
  shape.markColumn = 4;
  shape.highlightColumn = 4;
  shape.sortItems = {{"&Size", 0, SortKind::Number, true},
                     {"&Date", 1, SortKind::Date, true},
                     {"&Access date", 3, SortKind::Date, true},
                     {"&Name", 4, SortKind::Text, false},
                     {"&Type", 5, SortKind::Text, false}};
  return shape;
}

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  void TearDown() override { QLocale::setDefault(QLocale::system()); }

  // Adds a row for a real file of the tree.
  int addFile(GridData& grid, const std::string& rel, std::uint64_t size) {
    const std::string path = tree.file(rel, std::string(size, 'x'));
    const std::filesystem::path p(path);
    GridFile f;
    const std::string folder = p.parent_path().string();
    const std::string name = p.filename().string();
    f.folder = folder;
    f.name = name;
    f.size = size;
    return grid.addRow(f);
  }

  std::vector<QString> column(const GridData& grid, int col) {
    std::vector<QString> out;
    for (int pos = 0; pos < grid.rowsUsed(); ++pos) out.push_back(grid.cellText(pos, col));
    return out;
  }

  TempTree tree;
};

}  // namespace

TEST_F(GridTest, RowCountGrowsInBlocksOfFiftyAndIsFixedAfterTheWalk) {
  GridData grid(cleanSpec());
  EXPECT_EQ(grid.rowCount(), 2);
  GridFile f{"/x", "a.tmp"};
  grid.addRow(f);
  EXPECT_EQ(grid.rowCount(), 2);  // header + the one row
  grid.addRow(f);
  EXPECT_EQ(grid.rowCount(), 52);
  for (int i = 2; i < 51; ++i) grid.addRow(f);
  EXPECT_EQ(grid.rowsUsed(), 51);
  EXPECT_EQ(grid.rowCount(), 52);
  grid.addRow(f);
  EXPECT_EQ(grid.rowCount(), 102);
  EXPECT_EQ(grid.cellText(60, 4), QString());  // blank rows beyond the filled ones
  grid.fixRowCount();
  EXPECT_EQ(grid.rowCount(), 53);

  grid.clear();
  grid.fixRowCount();
  EXPECT_EQ(grid.rowsUsed(), 0);
  EXPECT_EQ(grid.rowCount(), 2);  // an empty result keeps one blank row
}

TEST_F(GridTest, CellTextsComeFromTheStoredValues) {
  GridData grid(cleanSpec());
  GridFile f{"/data/sub", "Report.TMP", 1234567, packed(1998, 12, 31, 23, 59, 58), packed(2001, 2, 3)};
  grid.addRow(f);
  GridFile root{"/", "x"};
  grid.addRow(root);
  EXPECT_EQ(grid.cellText(0, 0), "1,234,567");
  EXPECT_EQ(grid.cellText(0, 1), safeDateToStr(QDateTime(QDate(1998, 12, 31), QTime(0, 0))));
  EXPECT_TRUE(grid.cellText(0, 2).startsWith("11:59:58")) << grid.cellText(0, 2).toStdString();
  EXPECT_EQ(grid.cellText(0, 3), safeDateToStr(QDateTime(QDate(2001, 2, 3), QTime(0, 0))));
  EXPECT_EQ(grid.cellText(0, 4), "/data/sub/Report.TMP");
  EXPECT_EQ(grid.cellText(1, 4), "/x");
  // No packed time: all three time cells stay empty.
  EXPECT_EQ(grid.cellText(1, 1), QString());
  EXPECT_EQ(grid.cellText(1, 2), QString());
  EXPECT_EQ(grid.cellText(1, 3), QString());
  // Invalid packed values read as 1 January 1980 and "12:00:00".
  EXPECT_EQ(fatDateText(packed(2000, 13, 40)), safeDateToStr(QDateTime(QDate(1980, 1, 1), QTime(0, 0))));
  EXPECT_EQ(fatTimeText((1u << 16) | (25u << 11)), "12:00:00");
}

TEST_F(GridTest, MarkingKeepsTotalsAndTheMarkedListInStep) {
  GridData grid(cleanSpec());
  addFile(grid, "a.tmp", 1000);
  addFile(grid, "b.tmp", 24);
  addFile(grid, "c.tmp", 5);

  EXPECT_TRUE(grid.deleteOneFile(2));
  EXPECT_TRUE(grid.deleteOneFile(0));
  EXPECT_EQ(grid.markedCount(), 2);
  EXPECT_EQ(grid.markedBytes(), 1005u);
  EXPECT_EQ(grid.markStatusText(), "2 files 1,005 bytes");
  EXPECT_EQ(grid.lbDeleted(), (std::vector<std::string>{tree / "c.tmp", tree / "a.tmp"}));

  // Marking the same row twice leaves it unmarked and the totals as before.
  EXPECT_TRUE(grid.deleteOneFile(1));
  EXPECT_FALSE(grid.deleteOneFile(1));
  EXPECT_FALSE(grid.isMarked(1));
  EXPECT_EQ(grid.markStatusText(), "2 files 1,005 bytes");
  EXPECT_EQ(grid.lbDeleted(), (std::vector<std::string>{tree / "c.tmp", tree / "a.tmp"}));

  // A position outside the filled rows does nothing.
  EXPECT_FALSE(grid.deleteOneFile(3));
  EXPECT_FALSE(grid.deleteOneFile(-1));
  EXPECT_EQ(grid.markedCount(), 2);

  grid.markAll();
  EXPECT_EQ(grid.markStatusText(), "3 files 1,029 bytes");
  EXPECT_EQ(grid.lbDeleted(), (std::vector<std::string>{tree / "a.tmp", tree / "b.tmp", tree / "c.tmp"}));
  grid.clearAllMarks();
  EXPECT_EQ(grid.markStatusText(), "0 files 0 bytes");
  EXPECT_TRUE(grid.lbDeleted().empty());
  EXPECT_FALSE(grid.isMarked(0));
}

TEST_F(GridTest, UnmarkingRemovesExactlyThatPathEvenWhenAnotherDiffersOnlyInCase) {
  GridData grid(cleanSpec());
  addFile(grid, "A.TMP", 10);
  addFile(grid, "a.tmp", 20);
  addFile(grid, "b.tmp", 30);
  grid.deleteOneFile(0);
  grid.deleteOneFile(2);
  grid.deleteOneFile(1);
  grid.deleteOneFile(1);  // unmark a.tmp: A.TMP, which the user still marks, must stay
  EXPECT_EQ(grid.lbDeleted(), (std::vector<std::string>{tree / "A.TMP", tree / "b.tmp"}));
  EXPECT_EQ(grid.markedBytes(), 40u);
  grid.deleteOneFile(0);
  EXPECT_EQ(grid.lbDeleted(), (std::vector<std::string>{tree / "b.tmp"}));
}

TEST_F(GridTest, VanishedFilesChangeTheMarkButNotTheTotals) {
  GridData grid(cleanSpec());
  addFile(grid, "gone.tmp", 100);
  addFile(grid, "kept.tmp", 7);
  addFile(grid, "dir.tmp/inner", 1);  // a folder named like a file
  std::filesystem::remove(tree / "gone.tmp");

  EXPECT_TRUE(grid.deleteOneFile(0));
  EXPECT_EQ(grid.markedCount(), 0);
  EXPECT_EQ(grid.lbDeleted(), std::vector<std::string>{tree / "gone.tmp"});

  // Counted when marked, vanished before unmarking: the totals go back to exactly nothing.
  grid.deleteOneFile(1);
  EXPECT_EQ(grid.markStatusText(), "1 files 7 bytes");
  std::filesystem::remove(tree / "kept.tmp");
  grid.deleteOneFile(1);
  EXPECT_EQ(grid.markStatusText(), "0 files 0 bytes");

  // A file that grew after it was marked takes back what was added.
  addFile(grid, "grows.tmp", 5);
  grid.deleteOneFile(3);
  tree.file("grows.tmp", std::string(500, 'y'));
  grid.deleteOneFile(3);
  EXPECT_EQ(grid.markedBytes(), 0u);

  // A folder is not a file: no totals.
  GridFile folderRow;
  const std::string folderPath = tree.path();
  folderRow.folder = folderPath;
  folderRow.name = "dir.tmp";
  const int pos = grid.addRow(folderRow);
  grid.deleteOneFile(pos);
  EXPECT_EQ(grid.markedCount(), 0);
}

TEST_F(GridTest, MarkingRemembersWhichFileWasMarked) {
  GridData grid(cleanSpec());
  addFile(grid, "real/a.tmp", 10);
  addFile(grid, "real/b.tmp", 20);
  std::filesystem::create_directory_symlink(tree / "real", tree / "link");
  GridFile viaLink;
  const std::string linkFolder = tree / "link";
  viaLink.folder = linkFolder;
  viaLink.name = "b.tmp";
  grid.addRow(viaLink);

  grid.deleteOneFile(0);
  const platform::FileIdentity marked = platform::lookUpMarkedFile(tree / "real/a.tmp")->identity;
  // Replaced after marking: the grid still names the file that was marked.
  std::filesystem::rename(tree.file("real/new.tmp", "new"), tree / "real/a.tmp");
  grid.deleteOneFile(2);  // reached only through a link: neither counted nor known
  ASSERT_EQ(grid.lbDeletedIdentities().size(), 2u);
  EXPECT_EQ(grid.lbDeletedIdentities()[0], marked);
  EXPECT_NE(platform::lookUpMarkedFile(tree / "real/a.tmp")->identity, marked);
  EXPECT_FALSE(grid.lbDeletedIdentities()[1].known());
  EXPECT_EQ(grid.markStatusText(), "1 files 10 bytes");
}

TEST_F(GridTest, AFileListedTwiceIsCountedAndHandedOverOnce) {
  // Overlapping targets list the same file twice.
  GridData grid(cleanSpec());
  addFile(grid, "same.tmp", 50);
  addFile(grid, "same.tmp", 50);
  grid.markAll();
  EXPECT_TRUE(grid.isMarked(0));
  EXPECT_TRUE(grid.isMarked(1));
  EXPECT_EQ(grid.markStatusText(), "1 files 50 bytes");
  EXPECT_EQ(grid.lbDeleted().size(), 1u);
  grid.deleteOneFile(0);
  EXPECT_EQ(grid.lbDeleted().size(), 1u);  // still marked on the other row
  grid.deleteOneFile(1);
  EXPECT_TRUE(grid.lbDeleted().empty());
  EXPECT_EQ(grid.markedCount(), 0);
}

TEST_F(GridTest, RandomMarkingAgreesWithASimpleModel) {
  // Many files, some listed twice, toggled at random: the totals and the marked list always
  // describe exactly the marked files.
  GridData grid(cleanSpec());
  std::vector<std::string> paths;
  for (int i = 0; i < 150; ++i) {
    const std::string name = "f" + std::to_string(i % 120) + ".tmp";
    if (i < 120) tree.file(name, std::string(static_cast<std::size_t>(i + 1), 'q'));
    grid.addRow(GridFile{tree.path(), name, 0});
    paths.push_back(tree / name);
  }
  std::mt19937 rng(7);
  std::vector<std::string> order;  // the model's marked files, in marking order
  for (int step = 0; step < 3000; ++step) {
    const int pos = static_cast<int>(rng() % 150);
    grid.deleteOneFile(pos);
    std::set<std::string> markedNow;
    for (int p = 0; p < 150; ++p)
      if (grid.isMarked(p)) markedNow.insert(paths[static_cast<std::size_t>(p)]);
    std::erase_if(order, [&](const std::string& p) { return !markedNow.count(p); });
    for (const std::string& p : markedNow)
      if (std::find(order.begin(), order.end(), p) == order.end()) order.push_back(p);
    ASSERT_EQ(grid.lbDeleted(), order) << "step " << step;
    std::uint64_t bytes = 0;
    for (const std::string& p : markedNow) bytes += std::filesystem::file_size(p);
    ASSERT_EQ(grid.markedBytes(), bytes);
    ASSERT_EQ(grid.markedCount(), static_cast<int>(markedNow.size()));
  }
}

TEST_F(GridTest, NumberAndDateSortsFollowTheShownValuesBothWays) {
  GridData grid(cleanSpec());
  const std::uint64_t sizes[] = {1024, 999, 5, 1000000, 999};
  const std::uint32_t dates[] = {packed(2001, 1, 2, 10), packed(1999, 5, 5), 0, packed(2001, 1, 2, 8),
                                 packed(1985, 1, 1)};
  for (int i = 0; i < 5; ++i) {
    const std::string name = "f" + std::to_string(i);
    grid.addRow(GridFile{"/d", name, sizes[i], dates[i], dates[i]});
  }
  sortGridByNumber(grid, 0, grid.rowsUsed() - 1, false, 0);
  EXPECT_EQ(column(grid, 0), (std::vector<QString>{"5", "999", "999", "1,024", "1,000,000"}));
  EXPECT_EQ(column(grid, 4)[1], "/d/f1");  // equal keys keep their order
  sortGridByNumber(grid, 0, grid.rowsUsed() - 1, true, 0);
  EXPECT_EQ(column(grid, 0), (std::vector<QString>{"1,000,000", "1,024", "999", "999", "5"}));

  // Dates by the day shown, an empty date first; the two files of 2 January 2001 are equal
  // and keep the order the size sort gave them.
  sortGridByDate(grid, 0, grid.rowsUsed() - 1, false, 1);
  EXPECT_EQ(column(grid, 4), (std::vector<QString>{"/d/f2", "/d/f4", "/d/f1", "/d/f3", "/d/f0"}));
  sortGridByDate(grid, 0, grid.rowsUsed() - 1, true, 3);
  EXPECT_EQ(column(grid, 4), (std::vector<QString>{"/d/f3", "/d/f0", "/d/f1", "/d/f4", "/d/f2"}));
}

TEST_F(GridTest, TextSortsMatchComparingTheCellTexts) {
  // Folders that are prefixes of each other, differ only in case, sit at the root, and names
  // with characters on both sides of "/" in code order.
  const std::vector<std::string> folders = {"/", "/a", "/a/b", "/A", "/a/b/c", "/ab", "/a-", "/a.b", "/z", "/a/B"};
  const std::vector<std::string> names = {"x", "b", "B", "b0", "-", ".x", "c.tmp", "C.TMP", "a~", "zz", "0", "b.TXT"};
  std::mt19937 rng(42);
  GridData grid(cleanSpec());
  for (int i = 0; i < 600; ++i) {
    const std::string& folder = folders[rng() % folders.size()];
    const std::string& name = names[rng() % names.size()];
    grid.addRow(GridFile{folder, name, rng() % 5000, packed(1990 + static_cast<int>(rng() % 20), 1, 1)});
  }
  auto expectSortedBy = [&](int col, bool descending) {
    const std::vector<QString> texts = column(grid, col);
    for (std::size_t i = 1; i < texts.size(); ++i) {
      const int c = compareTextKeys(texts[i - 1], texts[i]);
      ASSERT_TRUE(descending ? c >= 0 : c <= 0)
          << "column " << col << " at " << i << ": " << texts[i - 1].toStdString() << " / " << texts[i].toStdString();
    }
  };
  for (bool descending : {false, true}) {
    sortGridByText(grid, 0, grid.rowsUsed() - 1, descending, 4);
    expectSortedBy(4, descending);
    sortGridByText(grid, 0, grid.rowsUsed() - 1, descending, 5);
    expectSortedBy(5, descending);
  }

  // Name-only and folder-only columns (the files-by-date layout).
  GridSpec shape;
  shape.kind = "test-dates";
  shape.columns = {{"Filename", CellField::Name}, {"Folder", CellField::Folder}};
  GridData byDate(shape);
  for (int i = 0; i < 300; ++i) byDate.addRow(GridFile{folders[rng() % folders.size()], names[rng() % names.size()]});
  for (bool descending : {false, true}) {
    for (int col : {0, 1}) {
      sortGridByText(byDate, 0, byDate.rowsUsed() - 1, descending, col);
      const std::vector<QString> texts = column(byDate, col);
      for (std::size_t i = 1; i < texts.size(); ++i) {
        const int c = compareTextKeys(texts[i - 1], texts[i]);
        ASSERT_TRUE(descending ? c >= 0 : c <= 0);
      }
    }
  }
}

TEST_F(GridTest, TextKeysRaiseOnlyAsciiLetters) {
  EXPECT_EQ(compareTextKeys(u"abc", u"ABC"), 0);
  EXPECT_LT(compareTextKeys(u"ab", u"abc"), 0);
  EXPECT_LT(compareTextKeys(u"Z", u"_"), 0);  // "_" (95) sorts after "Z" (90) ...
  EXPECT_GT(compareTextKeys(u"_", u"a"), 0);  // ... and so after "a", raised to "A" (65)
  EXPECT_LT(compareTextKeys(u"~", u"\u00e9"), 0);
  EXPECT_NE(compareTextKeys(u"\u00e9", u"\u00c9"), 0);
  EXPECT_EQ(numberKeyOfText("1,024 bytes"), 1024.0);
  EXPECT_EQ(numberKeyOfText("25.00"), 25.0);
  EXPECT_EQ(numberKeyOfText("???"), 0.0);
  EXPECT_EQ(numberKeyOfText("DELETED"), 0.0);
  EXPECT_EQ(dateKeyOfText(""), QDate(1900, 1, 1).toJulianDay());
}

TEST_F(GridTest, MarksAndFinderTextsMoveWithTheirRows) {
  GridData grid(cleanSpec());
  addFile(grid, "small.tmp", 1);
  addFile(grid, "large.tmp", 300);
  addFile(grid, "middle.tmp", 20);
  grid.deleteOneFile(0);                    // small
  grid.setCellText(1, 5, "finder's text");  // large
  sortGridByNumber(grid, 0, 2, true, 0);
  EXPECT_EQ(grid.cellText(0, 4), QString::fromStdString(tree / "large.tmp"));
  EXPECT_EQ(grid.cellText(0, 5), "finder's text");
  EXPECT_FALSE(grid.isMarked(0));
  EXPECT_TRUE(grid.isMarked(2));
  EXPECT_EQ(grid.cellText(2, 4), QString::fromStdString(tree / "small.tmp"));
  // Unmarking at the new position takes the right file out.
  grid.deleteOneFile(2);
  EXPECT_TRUE(grid.lbDeleted().empty());
  EXPECT_EQ(grid.markedBytes(), 0u);

  // A finder text in a number column sorts by its own digits.
  grid.setCellText(1, 0, "DELETED");
  sortGridByNumber(grid, 0, 2, false, 0);
  EXPECT_EQ(column(grid, 0), (std::vector<QString>{"DELETED", "1", "300"}));
}

TEST_F(GridTest, RemovingARowTakesItsMarkWithIt) {
  GridData grid(cleanSpec());
  addFile(grid, "a.tmp", 3);
  addFile(grid, "b.tmp", 4);
  grid.fixRowCount();
  grid.deleteOneFile(1);
  grid.removeRow(1);
  EXPECT_EQ(grid.rowsUsed(), 1);
  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(grid.markedCount(), 0);
  EXPECT_TRUE(grid.lbDeleted().empty());
  grid.removeRow(0);
  EXPECT_EQ(grid.rowCount(), 2);
}

TEST_F(GridTest, MoreThan65535RowsSort) {
  GridData grid(cleanSpec());
  const int n = 70000;
  for (int i = 0; i < n; ++i) {
    const std::string name = "f" + std::to_string(i);
    grid.addRow(GridFile{"/big", name, static_cast<std::uint64_t>((i * 7919) % n)});
  }
  sortGridByNumber(grid, 0, n - 1, true, 0);
  for (int pos = 0; pos < n; ++pos)
    ASSERT_EQ(grid.rowById(grid.rowIdAt(pos)).size, static_cast<std::uint64_t>(n - 1 - pos));
  sortGridByText(grid, 0, n - 1, false, 4);
  EXPECT_EQ(grid.cellText(0, 4), "/big/f0");
  EXPECT_EQ(grid.cellText(n - 1, 4), "/big/f9999");
}

TEST_F(GridTest, DirectionFlagsStartFromTheItemsAndLiveForTheRun) {
  const GridSpec shape = cleanSpec("test-flags");
  std::vector<bool>& flags = sortDirections(shape);
  EXPECT_EQ(flags, (std::vector<bool>{true, true, true, false, false}));
  flags[0] = false;
  EXPECT_FALSE(sortDirections(cleanSpec("test-flags"))[0]);  // a new window of the same kind
  EXPECT_TRUE(sortDirections(cleanSpec("test-other"))[0]);
}

TEST_F(GridTest, ClipboardFormsAndWebPage) {
  GridData grid(cleanSpec());
  grid.addRow(GridFile{"/t", "a<b>&c.tmp", 2048, packed(2000, 3, 15, 12, 0)});
  grid.addRow(GridFile{"/t", "caf\xc3\xa9.tmp", 1});
  grid.fixRowCount();
  EXPECT_EQ(clipboardText(grid, ClipboardForm::FileNames),
            QString::fromUtf8("/t/a<b>&c.tmp\r\n/t/caf\xc3\xa9.tmp\r\n"));
  const QString all = clipboardText(grid, ClipboardForm::EntireGrid);
  const QStringList lines = all.split("\r\n");
  ASSERT_EQ(lines.size(), 4);  // header, two rows, and the text ends with a line break
  EXPECT_EQ(lines[0], "Size\tModified\tTime\tAccess\tFileName\tType");
  EXPECT_TRUE(lines[1].startsWith("2,048\t"));
  EXPECT_EQ(lines[2].count('\t'), 5);

  const QByteArray page = webPageHtml(gridTexts(grid), QColor(0xC0, 0x10, 0x0A));
  EXPECT_TRUE(page.startsWith("<table border=1>\r\n<tr>\r\n<td nowrap BGCOLOR=\"#C0100A\"><B>Size</B></td>\r\n"));
  EXPECT_TRUE(page.contains("<td nowrap>/t/a&lt;b&gt;&amp;c.tmp</td>\r\n"));
  EXPECT_FALSE(page.contains("<b>"));
  EXPECT_TRUE(page.contains("<td nowrap>/t/caf&#233;.tmp</td>"));
  EXPECT_TRUE(page.contains("<td nowrap><br></td>"));  // the empty Access cell
  EXPECT_TRUE(page.endsWith("</tr>\r\n</table><p>\r\n"));
  EXPECT_EQ(page.count("<tr>"), 3);

  // An empty result gives one row of empty cells.
  GridData empty(cleanSpec());
  const QByteArray emptyPage = webPageHtml(gridTexts(empty), Qt::gray);
  EXPECT_EQ(emptyPage.count("<td nowrap><br></td>"), 6);
  EXPECT_EQ(htmlCellText("one\rtwo\r\nthree"), "one<br>two<br>three");
}

TEST_F(GridTest, PrintLinesCutAndPadEachCellToItsColumnWidthOverSix) {
  PrintableGrid grid;
  grid.rows = 2;
  grid.columnWidths = {64, 30, 5, 13};
  grid.cell = [](int row, int col) { return row == 0 ? QString("Header%1").arg(col) : QString("abcdefghijklmnop"); };
  EXPECT_EQ(printLine(grid, 0), "Header0    Heade  He ");
  EXPECT_EQ(printLine(grid, 1), "abcdefghij abcde  ab ");
}

TEST_F(GridTest, WebPageIsWrittenWhereTheSaveDialogSays) {
  roomvale::testing::ScriptedPrompts prompts;
  GridData grid(cleanSpec());
  grid.addRow(GridFile{"/t", "x.tmp", 1});
  const std::string target = tree / "out.htm";
  prompts.files.push_back(target);
  EXPECT_TRUE(saveWebPage(gridTexts(grid)));
  EXPECT_EQ(QByteArray::fromStdString(roomvale::testing::readFile(target)),
            webPageHtml(gridTexts(grid), webPageHeaderColour()));
  EXPECT_EQ(webPageSaveSpec().title, "Save file listing as web page");
  EXPECT_EQ(webPageSaveSpec().fileName, "save.htm");
  EXPECT_EQ(webPageSaveSpec().defaultSuffix, "htm");
  EXPECT_EQ(webPageSaveSpec().folder, QString::fromStdString(tree.path() + "/"));

  // Cancelled: nothing written. Unwritable: reported, not claimed.
  EXPECT_FALSE(saveWebPage(gridTexts(grid)));
  prompts.files.push_back(tree / "missing/folder/out.htm");
  EXPECT_FALSE(saveWebPage(gridTexts(grid)));
  ASSERT_EQ(prompts.texts(MessageKind::Error).size(), 1);
}
