#include "deletion/logexport.h"

#include <gtest/gtest.h>

#include <string>

#include "common/testing.h"
#include "deletion/deletionlog.h"
#include "scan/exports.h"

namespace roomvale::testing {
namespace {

const QDateTime kWhen(QDate(2024, 3, 15), QTime(9, 7));

TEST(LogCsv, EveryRowIncludingTitlesEmptyCellsAsTwoQuotes) {
  DeletionLog log;
  log.addEntry(kWhen, {3, 4096, 0, 0, 0, 0});
  EXPECT_EQ(deletionLogCsv(log),
            "Date/Time,# Deleted,Size Deleted,# Recycled,Size Recycled,# Zipped,Size Zipped\r\n"
            "2024-03-15 09:07,3,4096,0,0,0,0\r\n"
            "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
}

TEST(LogCsv, CellsThatWouldBreakTheLineAreQuotedWithQuotesDoubled) {
  DeletionLog log;
  log.setCell(0, 1, QStringLiteral("a,b"));
  log.setCell(1, 1, QStringLiteral("say \"hi\", ok"));
  log.setCell(2, 1, QStringLiteral("5\""));
  log.setCell(3, 1, QStringLiteral("two\r\nlines"));
  log.setCell(4, 1, QStringLiteral("Größe"));
  log.setCell(5, 1, QStringLiteral("plain text"));
  log.setCell(6, 1, QStringLiteral("x"));
  EXPECT_EQ(deletionLogCsv(log),
            "Date/Time,# Deleted,Size Deleted,# Recycled,Size Recycled,# Zipped,Size Zipped\r\n"
            "\"a,b\",\"say \"\"hi\"\", ok\",\"5\"\"\",\"two\r\nlines\",Gr\xC3\xB6\xC3\x9F"
            "e,plain text,x\r\n"
            "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
}

TEST(LogHtml, TableFormWithRightAlignedNumberColumns) {
  DeletionLog log;
  log.clearEntries();
  log.addEntry(kWhen, {1, 22, 0, 0, 0, 0});
  const std::string expected =
      "<table border=1>\r\n<tr>\r\n"
      "<td nowrap BGCOLOR=\"#C0C0C0\"><B>Date/Time</B></td>\r\n"
      "<td nowrap align=\"right\" BGCOLOR=\"#C0C0C0\"><B># Deleted</B></td>\r\n"
      "<td nowrap align=\"right\" BGCOLOR=\"#C0C0C0\"><B>Size Deleted</B></td>\r\n"
      "<td nowrap align=\"right\" BGCOLOR=\"#C0C0C0\"><B># Recycled</B></td>\r\n"
      "<td nowrap align=\"right\" BGCOLOR=\"#C0C0C0\"><B>Size Recycled</B></td>\r\n"
      "<td nowrap align=\"right\" BGCOLOR=\"#C0C0C0\"><B># Zipped</B></td>\r\n"
      "<td nowrap align=\"right\" BGCOLOR=\"#C0C0C0\"><B>Size Zipped</B></td>\r\n"
      "</tr>\r\n<tr>\r\n"
      "<td nowrap>2024-03-15 09:07</td>\r\n"
      "<td nowrap align=\"right\">1</td>\r\n"
      "<td nowrap align=\"right\">22</td>\r\n"
      "<td nowrap align=\"right\">0</td>\r\n"
      "<td nowrap align=\"right\">0</td>\r\n"
      "<td nowrap align=\"right\">0</td>\r\n"
      "<td nowrap align=\"right\">0</td>\r\n"
      "</tr>\r\n</table><p>\r\n";
  EXPECT_EQ(deletionLogHtml(log, QColor(0xC0, 0xC0, 0xC0)), expected);
}

TEST(LogHtml, MarkupInCellsIsEscapedAndLineBreaksBecomeBreaks) {
  DeletionLog log;
  log.setCell(0, 1, QStringLiteral("<script>&\"x\""));
  log.setCell(1, 1, QStringLiteral("a\r\nb\rc\nd"));
  log.setCell(2, 1, QStringLiteral("Größe"));
  const std::string html = deletionLogHtml(log, QColor(0x0A, 0x24, 0x6A));
  EXPECT_NE(html.find("<td nowrap>&lt;script&gt;&amp;\"x\"</td>"), std::string::npos);
  EXPECT_NE(html.find("<td nowrap align=\"right\">a<br>b<br>c<br>d</td>"), std::string::npos);
  // Non-ASCII as character references, so the page reads the same in any character set.
  EXPECT_NE(html.find("<td nowrap align=\"right\">Gr&#246;&#223;e</td>"), std::string::npos);
  EXPECT_NE(html.find("<td nowrap align=\"right\"><br></td>"), std::string::npos);  // empty cell
  EXPECT_NE(html.find("BGCOLOR=\"#0A246A\""), std::string::npos);
  EXPECT_EQ(html.find("<script>"), std::string::npos);
}

class LogSave : public ::testing::Test {
 protected:
  ScriptedPrompts prompts;
  TempTree tree;
  DeletionLog log;
};

TEST_F(LogSave, CsvGoesToTheChosenFileAndIsConfirmed) {
  const std::string path = tree / "out.csv";
  tree.file("out.csv", "old content that must go");
  prompts.files.push_back(path);
  EXPECT_TRUE(saveDeletionLogAsCsv(log));
  EXPECT_EQ(readFile(path), deletionLogCsv(log));
  ASSERT_GE(prompts.records.size(), 2u);
  EXPECT_EQ(prompts.records[0].what, "save");
  EXPECT_EQ(prompts.records[0].title, QStringLiteral("Save as Comma-Delimited"));
  EXPECT_EQ(prompts.records[0].text, QStringLiteral("delete.csv"));
  EXPECT_EQ(prompts.texts(MessageKind::Information), QStringList{"CSV file saved as " + QString::fromStdString(path)});
}

TEST_F(LogSave, HtmlGoesToTheChosenFileAndIsConfirmed) {
  const std::string path = tree / "page.htm";
  prompts.files.push_back(path);
  EXPECT_TRUE(saveDeletionLogAsHtml(log));
  EXPECT_EQ(readFile(path), deletionLogHtml(log, webPageHeaderColour()));
  EXPECT_EQ(prompts.records[0].title, QStringLiteral("Save as web page"));
  EXPECT_EQ(prompts.records[0].text, QStringLiteral("delete.htm"));
  EXPECT_EQ(prompts.texts(MessageKind::Information), QStringList{"HTML file saved as " + QString::fromStdString(path)});
}

TEST_F(LogSave, CancelWritesNothingAndSaysNothing) {
  EXPECT_FALSE(saveDeletionLogAsCsv(log));
  EXPECT_FALSE(saveDeletionLogAsHtml(log));
  EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_F(LogSave, AFileThatCannotBeCreatedGivesAnErrorAndNoConfirmation) {
  const std::string path = tree / "missing-folder/out.csv";
  prompts.files.push_back(path);
  EXPECT_FALSE(saveDeletionLogAsCsv(log));
  EXPECT_FALSE(exists(path));
  EXPECT_EQ(prompts.texts(), QStringList{"Couldn't create file " + QString::fromStdString(path)});
}

}  // namespace
}  // namespace roomvale::testing
