#include "deletion/deletionlog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <string>

#include "logtesting.h"

namespace roomvale::testing {
namespace {

const QDateTime kMorning(QDate(2024, 3, 15), QTime(9, 7));

std::string titleLines() {
  return "0,0,Date/Time\r\n1,0,# Deleted\r\n2,0,Size Deleted\r\n3,0,# Recycled\r\n4,0,Size Recycled\r\n"
         "5,0,# Zipped\r\n6,0,Size Zipped\r\n";
}

std::string widthLines() { return "cw 0,127\r\ncw 1,49\r\ncw 2,93\r\ncw 3,49\r\ncw 4,95\r\ncw 5,53\r\ncw 6,90\r\n"; }

QStringList rowOf(const DeletionLog& log, int row) {
  QStringList out;
  for (int c = 0; c < log.columnCount(); ++c) out << log.cell(c, row);
  return out;
}

TEST(DeletionLogFormat, FreshLogIsWrittenLineForLine) {
  const DeletionLog log;
  EXPECT_EQ(log.toFileText(), "7,3\r\n" + widthLines() + titleLines());
}

TEST(DeletionLogFormat, EntryLinesFollowTheTitlesRowByRow) {
  DeletionLog log;
  log.addEntry(kMorning, {3, 4096, 0, 0, 0, 0});
  log.addEntry(kMorning.addSecs(60), {0, 0, 0, 0, 2, 5000000000});
  EXPECT_EQ(log.toFileText(), "7,3\r\n" + widthLines() + titleLines() +
                                  "0,1,2024-03-15 09:07\r\n1,1,3\r\n2,1,4096\r\n3,1,0\r\n4,1,0\r\n5,1,0\r\n6,1,0\r\n"
                                  "0,2,2024-03-15 09:08\r\n1,2,0\r\n2,2,0\r\n3,2,0\r\n4,2,0\r\n5,2,2\r\n"
                                  "6,2,5000000000\r\n");
}

TEST(DeletionLogFormat, AwkwardCellTextsSurviveTheRoundTrip) {
  DeletionLog log;
  const QStringList texts = {QStringLiteral("a,b,c"),           QStringLiteral("say \"hi\""),
                             QStringLiteral("first\r\nsecond"), QStringLiteral("Grüße aus Köln, 日本"),
                             QStringLiteral(",,leading"),       QStringLiteral("cw 3,200"),
                             QStringLiteral("lone\nfeed")};
  for (int c = 0; c < texts.size(); ++c) log.setCell(c, 2, texts[c]);

  const std::string file = log.toFileText();
  // Line breaks inside a cell become TAB and backspace so that every cell stays on one line.
  EXPECT_NE(file.find("2,2,first\t\bsecond\r\n"), std::string::npos);
  EXPECT_NE(file.find("6,2,lone\bfeed\r\n"), std::string::npos);
  EXPECT_NE(file.find("3,2,Gr\xC3\xBC\xC3\x9F"
                      "e aus K\xC3\xB6ln, \xE6\x97\xA5\xE6\x9C\xAC\r\n"),
            std::string::npos);

  DeletionLog back;
  ASSERT_TRUE(back.fromFileText(file));
  EXPECT_EQ(rowOf(back, 2), texts);
  EXPECT_EQ(back.toFileText(), file);
}

TEST(DeletionLogFormat, ReadingTurnsTabAndBackspaceIntoLineBreaks) {
  DeletionLog log;
  ASSERT_TRUE(log.fromFileText("7,2\r\n0,1,a\tb\bc\r\n"));
  EXPECT_EQ(log.cell(0, 1), QStringLiteral("a\rb\nc"));
}

TEST(DeletionLogFormat, ReadingSizesTheGridAndSkipsWhatDoesNotFit) {
  DeletionLog log;
  ASSERT_TRUE(
      log.fromFileText("7,5\r\ncw 2,150\r\ncw 9,10\r\ncw x,12\r\n0,4,last row\r\n7,1,outside\r\n"
                       "0,5,outside\r\n-1,1,outside\r\nnonsense\r\n1,1\r\n\r\n3,2,x,y\n"));
  EXPECT_EQ(log.columnCount(), 7);
  EXPECT_EQ(log.rowCount(), 5);
  EXPECT_EQ(log.columnWidth(2), 150);
  EXPECT_EQ(log.columnWidth(0), 127);  // not in the file: the usual width
  EXPECT_EQ(log.cell(0, 4), QStringLiteral("last row"));
  EXPECT_EQ(log.cell(3, 2), QStringLiteral("x,y"));  // text is everything after the second comma
  EXPECT_TRUE(log.cell(0, 0).isEmpty());             // titles come from the file like any cell
  EXPECT_TRUE(log.cell(1, 1).isEmpty());
}

TEST(DeletionLogFormat, FilesWithoutRowsOrColumnsAreRejectedAndLeaveTheGrid) {
  for (const char* bad : {"", "\r\n", "7\r\n", "0,3\r\n", "7,0\r\n", "x,3\r\n", "7,-2\r\n", "7,3x\r\n",
                          "7,99999999999999999999\r\n", "256000,256000\r\n", "300,2\r\n",
                          // rows times columns wraps past 2^63 to a small product
                          "256,36028797018963970\r\n0,2,x\r\n", "2,4611686018427387905\r\n1,1,x\r\n"}) {
    DeletionLog log;
    log.addEntry(kMorning, {1, 2, 3, 4, 5, 6});
    const std::string before = log.toFileText();
    EXPECT_FALSE(log.fromFileText(bad)) << bad;
    EXPECT_EQ(log.toFileText(), before) << bad;
  }
}

TEST(DeletionLogEntries, FreshLogFillsRowsOneAndTwoThenNewestGoesOnTop) {
  DeletionLog log;
  EXPECT_EQ(log.addEntry(kMorning, {1, 10, 0, 0, 0, 0}), 1);
  EXPECT_EQ(log.addEntry(kMorning, {2, 20, 0, 0, 0, 0}), 2);
  EXPECT_EQ(log.addEntry(kMorning, {3, 30, 0, 0, 0, 0}), 1);
  EXPECT_EQ(log.rowCount(), 4);
  EXPECT_EQ(log.cell(1, 1), QStringLiteral("3"));
  EXPECT_EQ(log.cell(1, 2), QStringLiteral("1"));
  EXPECT_EQ(log.cell(1, 3), QStringLiteral("2"));
  EXPECT_EQ(log.cell(0, 0), QStringLiteral("Date/Time"));
}

TEST(DeletionLogEntries, ClearKeepsTitlesAndOneEmptyRow) {
  DeletionLog log;
  for (int i = 0; i < 4; ++i) log.addEntry(kMorning, {i, i, i, i, i, i});
  log.clearEntries();
  EXPECT_EQ(log.toFileText(), "7,2\r\n" + widthLines() + titleLines());
  EXPECT_EQ(log.addEntry(kMorning, {1, 0, 0, 0, 0, 0}), 1);
  EXPECT_EQ(log.addEntry(kMorning, {2, 0, 0, 0, 0, 0}), 1);
  EXPECT_EQ(log.cell(1, 1), QStringLiteral("2"));
  EXPECT_EQ(log.cell(1, 2), QStringLiteral("1"));
}

TEST(DeletionLogEntries, AGridOfTitlesOnlyStillTakesEntries) {
  DeletionLog log;
  ASSERT_TRUE(log.fromFileText("7,1\r\n" + titleLines()));
  EXPECT_EQ(log.addEntry(kMorning, {1, 2, 3, 4, 5, 6}), 1);
  EXPECT_EQ(log.rowCount(), 2);
  EXPECT_EQ(log.cell(6, 1), QStringLiteral("6"));
}

using ProgramLog = LogFixture;

TEST_F(ProgramLog, MissingFileGivesTheFreshLog) {
  EXPECT_EQ(loadDeletionLog(), LogLoad::Missing);
  EXPECT_EQ(deletionLog().rowCount(), 3);
  EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_F(ProgramLog, EntriesAreSavedAndReadBack) {
  addToDeleteGrid(5, 1234, 0, 0, 0, 0);
  addToDeleteGrid(0, 0, 7, 99, 0, 0);
  const std::string file = readFile(deletionLogPath());
  EXPECT_EQ(file, deletionLog().toFileText());
  EXPECT_EQ(file.substr(0, 5), "7,3\r\n");

  ASSERT_EQ(loadDeletionLog(), LogLoad::Loaded);
  EXPECT_EQ(rowOf(deletionLog(), 1), (QStringList{"2024-03-15 14:05", "5", "1234", "0", "0", "0", "0"}));
  EXPECT_EQ(rowOf(deletionLog(), 2), (QStringList{"2024-03-15 14:05", "0", "0", "7", "99", "0", "0"}));
  EXPECT_TRUE(prompts.texts().isEmpty());
}

TEST_F(ProgramLog, ClearingSavesTheFile) {
  addToDeleteGrid(1, 1, 0, 0, 0, 0);
  clearDeletionLog();
  EXPECT_EQ(readFile(deletionLogPath()), "7,2\r\n" + widthLines() + titleLines());
}

TEST_F(ProgramLog, DamagedFileIsReportedKeptAsideAndNeverOverwritten) {
  const std::string path = deletionLogPath();
  const std::string damaged = "0,0\r\n0,1,precious\r\n";
  platform::ensureUserDataFolder();
  ASSERT_TRUE(platform::writeFileAtomically(path, damaged));

  EXPECT_EQ(loadDeletionLog(), LogLoad::Damaged);
  EXPECT_EQ(prompts.texts(MessageKind::Error),
            QStringList{"File contains no data or corrupt file " + platform::toDisplay(path)});
  EXPECT_EQ(deletionLog().toFileText(), DeletionLog().toFileText());

  const QStringList kept = damagedLogs();
  ASSERT_EQ(kept.size(), 1);
  EXPECT_EQ(kept.first(), QStringLiteral("grdelete.txt.damaged-20240315-140530"));
  EXPECT_FALSE(exists(path));

  addToDeleteGrid(1, 2, 0, 0, 0, 0);
  EXPECT_EQ(readFile(platform::userDataFolder() + "/" + kept.first().toStdString()), damaged);
  EXPECT_EQ(loadDeletionLog(), LogLoad::Loaded);
  EXPECT_EQ(deletionLog().cell(1, 1), QStringLiteral("1"));
}

TEST_F(ProgramLog, DamagedLogsKeptTheSameSecondGetTheirOwnNames) {
  platform::ensureUserDataFolder();
  const std::string path = deletionLogPath();
  ASSERT_TRUE(platform::writeFileAtomically(path, "garbage"));
  loadDeletionLog();
  ASSERT_TRUE(platform::writeFileAtomically(path, "more garbage"));
  loadDeletionLog();
  EXPECT_EQ(damagedLogs(),
            (QStringList{"grdelete.txt.damaged-20240315-140530", "grdelete.txt.damaged-20240315-140530-2"}));
}

TEST_F(ProgramLog, AFailedSaveIsReported) {
  // A folder in the log's place cannot be replaced by a file.
  platform::ensureUserDataFolder();
  const QString folder = platform::toDisplay(deletionLogPath());
  ASSERT_TRUE(QDir().mkdir(folder));
  addToDeleteGrid(1, 1, 0, 0, 0, 0);
  QDir().rmdir(folder);
  EXPECT_EQ(prompts.texts(MessageKind::Error),
            QStringList{"Couldn't save the deletion log " + platform::toDisplay(deletionLogPath())});
}

TEST_F(ProgramLog, ListenersHearOfEveryChangeUntilRemoved) {
  int calls = 0;
  const int id = addLogListener([&calls] { ++calls; });
  addToDeleteGrid(1, 1, 0, 0, 0, 0);
  clearDeletionLog();
  loadDeletionLog();
  removeLogListener(id);
  addToDeleteGrid(1, 1, 0, 0, 0, 0);
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace roomvale::testing
