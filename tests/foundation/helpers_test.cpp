#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocale>
#include <cmath>
#include <limits>
#include <system_error>

#include "common/testing.h"
#include "foundation/helpers.h"

namespace roomvale {
namespace {

using testing::readFile;
using testing::ScriptedPrompts;
using testing::TempTree;

QDateTime at(int y, int m, int d, int h = 12, int min = 0) { return QDateTime(QDate(y, m, d), QTime(h, min)); }

TEST(RelativeDate, PhrasesSeenFromWednesdayFifteenthOfMarch2000) {
  const QDateTime ref = at(2000, 3, 15);
  ASSERT_EQ(ref.date().dayOfWeek(), 3);
  const struct {
    QDateTime d;
    const char* phrase;
  } cases[] = {
      {at(2000, 3, 15), "Today"},       {at(2000, 3, 14), "Yesterday"},        {at(2000, 3, 16), "Tomorrow"},
      {at(2000, 3, 12), "This week"},   {at(2000, 3, 11), "Last week"},        {at(2000, 2, 20), "3 wks ago"},
      {at(1999, 10, 10), "5 mons ago"}, {at(1997, 1, 10), "3 yrs 2 mons ago"}, {at(1997, 3, 10), "3 yrs ago"},
      {at(1998, 2, 10), "25 mons ago"}, {at(2000, 3, 17), "This week"},        {at(2000, 3, 25), "Next week"},
      {at(2000, 4, 5), "3 wks"},        {at(2000, 7, 10), "4 mons"},           {at(2003, 5, 10), "3 yrs 2 mons"},
      {at(2003, 3, 10), "3 yrs"},       {at(2003, 4, 10), "3 yrs 1 mon"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(relativeDatePhrase(c.d, ref), QString::fromUtf8(c.phrase)) << c.d.toString().toStdString();
}

// From a Wednesday the day of the week of either date gives the same weeks; from the end
// of the week only D's (past) and Ref's (future), counted from Sunday, do.
TEST(RelativeDate, PhrasesSeenFromSaturdayEighteenthOfMarch2000) {
  const QDateTime ref = at(2000, 3, 18);
  ASSERT_EQ(ref.date().dayOfWeek(), 6);
  EXPECT_EQ(relativeDatePhrase(at(2000, 3, 12), ref), QStringLiteral("This week"));  // Sunday: Days 6, DDow 1
  EXPECT_EQ(relativeDatePhrase(at(2000, 3, 11), ref), QStringLiteral("Last week"));  // Saturday before
  EXPECT_EQ(relativeDatePhrase(at(2000, 3, 20), ref), QStringLiteral("Next week"));  // 7 - RefDow is 0
}

TEST(RelativeDate, DaysCountTheTimeOfDayAndInvalidDatesGiveNothing) {
  // Less than 24 hours apart counts as the same day even across midnight.
  EXPECT_EQ(relativeDatePhrase(at(2000, 3, 14, 23), at(2000, 3, 15, 1)), QStringLiteral("Today"));
  EXPECT_EQ(relativeDatePhrase(at(2000, 3, 13, 23), at(2000, 3, 15, 1)), QStringLiteral("Yesterday"));
  EXPECT_EQ(relativeDatePhrase(QDateTime(), at(2000, 3, 15)), QString());
  testing::FixedClock clock(at(2000, 3, 15));
  EXPECT_EQ(relativeDate(at(2000, 3, 14)), QStringLiteral("Yesterday"));
  EXPECT_EQ(pluralS(0), QString());
  EXPECT_EQ(pluralS(1), QString());
  EXPECT_EQ(pluralS(2), QStringLiteral("s"));
}

class LocaleTest : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  void TearDown() override {
    QLocale::setDefault(QLocale::system());
    setShortDateFormat(QString());
  }
};

TEST_F(LocaleTest, ThousandsFollowTheLocale) {
  EXPECT_EQ(formatThousands(0), QStringLiteral("0"));
  EXPECT_EQ(formatThousands(999), QStringLiteral("999"));
  EXPECT_EQ(formatThousands(1234567), QStringLiteral("1,234,567"));
  EXPECT_EQ(formatThousands(-5), QStringLiteral("-5"));
  EXPECT_EQ(formatThousands(-1234), QStringLiteral("-1,234"));
  EXPECT_EQ(formatThousands(1099511627776LL), QStringLiteral("1,099,511,627,776"));
  EXPECT_EQ(formatThousands(std::numeric_limits<std::int64_t>::min()), QStringLiteral("-9,223,372,036,854,775,808"));
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(formatThousands(1234567), QStringLiteral("1.234.567"));
  // The C locale leaves group separators out unless asked; sizes always carry them.
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(formatThousands(1234567), QStringLiteral("1,234,567"));
}

TEST_F(LocaleTest, FloatingNumbersRoundToWholeUnits) {
  EXPECT_EQ(formatNumber(1234567.8), QStringLiteral("1,234,568"));
  EXPECT_EQ(formatNumber(0.4), QStringLiteral("0"));
  EXPECT_EQ(formatNumber(-0.4), QStringLiteral("0"));
  EXPECT_EQ(formatNumber(2.5), QStringLiteral("3"));
  EXPECT_EQ(formatNumber(123456789012345678.0), QStringLiteral("123,456,789,012,350,000"));
  EXPECT_EQ(formatNumber(std::nan("")), QString());
  EXPECT_EQ(formatNumber(HUGE_VAL), QString());
}

TEST_F(LocaleTest, SafeConversionsNeverFail) {
  EXPECT_EQ(safeStrToInt(QStringLiteral("42")), 42);
  EXPECT_EQ(safeStrToInt(QStringLiteral("  -7")), -7);
  EXPECT_EQ(safeStrToInt(QStringLiteral("0x10")), 16);
  EXPECT_EQ(safeStrToInt(QStringLiteral("4 2")), 0);
  EXPECT_EQ(safeStrToInt(QStringLiteral("99999999999")), 0);
  EXPECT_EQ(safeStrToInt(QString()), 0);
  EXPECT_DOUBLE_EQ(safeStrToFloat(QStringLiteral("1.5")), 1.5);
  EXPECT_DOUBLE_EQ(safeStrToFloat(QStringLiteral("1,234.5")), 1234.5);
  EXPECT_DOUBLE_EQ(safeStrToFloat(QStringLiteral("abc")), 0.0);
  EXPECT_DOUBLE_EQ(safeStrToFloat(QStringLiteral("inf")), 0.0);
  EXPECT_EQ(parseInt64(QStringLiteral("-9223372036854775808")), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(parseInt64(QStringLiteral("9223372036854775808")), std::nullopt);
  EXPECT_EQ(parseInt32(QStringLiteral("+12")), 12);
  EXPECT_EQ(parseInt32(QStringLiteral("-0x1F")), -31);
  EXPECT_EQ(parseInt32(QStringLiteral("12 ")), std::nullopt);
}

TEST_F(LocaleTest, DayNumbersAndShortDates) {
  EXPECT_EQ(dayNumber(QDate(2000, 1, 1)), 36526);
  EXPECT_EQ(dayNumber(QDate(1899, 12, 30)), 0);
  EXPECT_EQ(dateFromDayNumber(36526), QDate(2000, 1, 1));
  EXPECT_EQ(dateFromDayNumber(-1), QDate(1899, 12, 29));

  EXPECT_EQ(shortDateFormat(), QLocale().dateFormat(QLocale::ShortFormat));
  setShortDateFormat(QStringLiteral("dd/MM/yyyy"));
  EXPECT_EQ(safeDateToStr(at(2000, 3, 15)), QStringLiteral("15/03/2000"));
  EXPECT_EQ(safeDateToStr(QDate(2000, 3, 15)), QStringLiteral("15/03/2000"));
  EXPECT_EQ(safeDateToStr(QDateTime()), QStringLiteral("01/01/1980"));
  EXPECT_EQ(safeDateToStr(dateFromDayNumber(2000000000)), QStringLiteral("01/01/1980"));
}

TEST(Texts, CharacterClassesAreAsciiOnly) {
  EXPECT_TRUE(isLetter(u'a'));
  EXPECT_TRUE(isLetter(u'Z'));
  EXPECT_FALSE(isLetter(u'é'));
  EXPECT_FALSE(isLetter(u'1'));
  EXPECT_TRUE(isDigit(u'0'));
  EXPECT_FALSE(isDigit(u'٣'));
  EXPECT_TRUE(isLetterOrDigit(u'q'));
  EXPECT_FALSE(isLetterOrDigit(u'_'));
  EXPECT_TRUE(isSpaceChar(QChar(8)));
  EXPECT_FALSE(isSpaceChar(u'\t'));
  EXPECT_TRUE(isBlank(QString()));
  EXPECT_TRUE(isBlank(QStringLiteral(" \r\n")));
  EXPECT_FALSE(isBlank(QStringLiteral(" \t ")));
  EXPECT_EQ(digitsOnly(QStringLiteral("1,234 KB")), QStringLiteral("1234"));
}

TEST(Paths, JoinAddsOneSeparator) {
  EXPECT_EQ(joinPath("/", "a.txt"), "/a.txt");
  EXPECT_EQ(joinPath("/tmp", "a.txt"), "/tmp/a.txt");
  EXPECT_EQ(joinPath("/tmp/", "a.txt"), "/tmp/a.txt");
  EXPECT_EQ(joinPath("", "a.txt"), "a.txt");
  EXPECT_EQ(joinPath("/t\xff", "\xfe"), "/t\xff/\xfe");
}

TEST(Paths, DriveReadiness) {
  TempTree tree;
  EXPECT_TRUE(isPathDriveReady(""));
  EXPECT_TRUE(isPathDriveReady("\\\\server\\share"));
  EXPECT_TRUE(isPathDriveReady("/"));
  EXPECT_TRUE(isPathDriveReady(tree.path()));
  // A removed folder on a ready volume is still "ready"; opening it is what fails.
  EXPECT_TRUE(isPathDriveReady(tree / "gone/away"));
}

TEST(Paths, ChangeToFolderChecksWithoutMoving) {
  TempTree tree;
  const std::string dir = tree.dir("sub");
  const std::string file = tree.file("f.txt", "x");
  ASSERT_EQ(::symlink(dir.c_str(), (tree / "link").c_str()), 0);
  char before[4096];
  ASSERT_NE(::getcwd(before, sizeof before), nullptr);

  EXPECT_NO_THROW(changeToFolder(dir));
  EXPECT_NO_THROW(changeToFolder(dir + "/"));
  EXPECT_NO_THROW(changeToFolder(""));
  auto errorOf = [](const std::string& p) {
    try {
      changeToFolder(p);
    } catch (const std::system_error& e) {
      return e.code().value();
    }
    return 0;
  };
  EXPECT_EQ(errorOf(tree / "missing"), ENOENT);
  EXPECT_EQ(errorOf(file), ENOTDIR);
  EXPECT_NE(errorOf(tree / "link"), 0);
  EXPECT_NE(errorOf(tree / "link/"), 0);  // a trailing "/" must not follow the link either
  if (::geteuid() != 0) {
    const std::string closed = tree.dir("closed");
    ::chmod(closed.c_str(), 0);
    EXPECT_EQ(errorOf(closed), EACCES);
  }
  char after[4096];
  ASSERT_NE(::getcwd(after, sizeof after), nullptr);
  EXPECT_STREQ(before, after);
}

TEST(FileTypes, ExtensionsAndDescriptions) {
  EXPECT_EQ(fileExtension(QStringLiteral("*.tmp")), QStringLiteral(".tmp"));
  EXPECT_EQ(fileExtension(QStringLiteral("x.tar.gz")), QStringLiteral(".gz"));
  EXPECT_EQ(fileExtension(QStringLiteral("a.b/c")), QString());
  EXPECT_EQ(fileExtension(QStringLiteral("noext")), QString());
  EXPECT_EQ(fileExtension(QStringLiteral("*.")), QStringLiteral("."));

  EXPECT_EQ(fileTypeDescription(QStringLiteral(".q9z")), QStringLiteral("Q9Z File"));
  EXPECT_EQ(fileTypeDescription(QStringLiteral("*.")), QStringLiteral("No extension"));
  EXPECT_EQ(fileTypeDescription(QStringLiteral(".")), QStringLiteral("No extension"));
  EXPECT_EQ(fileTypeDescription(QString()), QString());
  EXPECT_EQ(fileTypeDescription(QStringLiteral(".*")), QString());
  // A registered type is named by the shared MIME database, not by the fallback.
  const QString txt = fileTypeDescription(QStringLiteral(".txt"));
  EXPECT_FALSE(txt.isEmpty());
  EXPECT_NE(txt, QStringLiteral("TXT File"));
  EXPECT_EQ(fileTypeDescription(QStringLiteral(".txt")), txt);
  EXPECT_EQ(typeListEntry(QStringLiteral("*.q9z")), QStringLiteral("*.q9z\tQ9Z File"));
  EXPECT_EQ(typeListEntry(QStringLiteral("*.")), QStringLiteral("*.\tNo extension"));
}

class ExtractStrings : public ::testing::Test {
 protected:
  std::string run(const std::string& content, int minLen = 5, int maxLen = 100) {
    const std::string src = tree.file("src.bin", content);
    extractStrings(src, tree / "out.txt", minLen, maxLen);
    return readFile(tree / "out.txt");
  }
  TempTree tree;
};

TEST_F(ExtractStrings, WritesReadableRunsOnceEach) {
  using namespace std::string_literals;
  EXPECT_EQ(run("abcd\0hello world\0"s), "hello world\n");
  EXPECT_EQ(run("abcd\0hello world\0hello world\0"s), "hello world\n");
  // Only the line written last is suppressed.
  EXPECT_EQ(run("hello world\0other words\0hello world\0"s), "hello world\nother words\nhello world\n");
  // Punctuation ends a run; a run still open when the file ends is dropped.
  EXPECT_EQ(run("first-second! 12345\nlast run"s), "first\nsecond\n 12345\n");
  EXPECT_EQ(run(""), "");
}

TEST_F(ExtractStrings, RunsStopAtMaxLenPlusOneAndNeverCrossABlock) {
  EXPECT_EQ(run(std::string(150, 'a') + "\n"), std::string(101, 'a') + "\n");
  EXPECT_EQ(run(std::string(150, 'a') + "\n", 5, 10), std::string(11, 'a') + "\n");
  std::string data(2040, '\0');
  data += "abcdefgh";  // bytes 2040..2047, cut off by the end of the first block
  data += "ijklmnop";
  data += '\0';
  EXPECT_EQ(run(data), "ijklmnop\n");
}

TEST_F(ExtractStrings, UnopenableSourceShowsAnErrorAndWritesNothing) {
  ScriptedPrompts prompts;
  extractStrings(tree / "missing.bin", tree / "out.txt", 5, 100);
  ASSERT_EQ(prompts.texts(MessageKind::Error),
            QStringList{QString::fromStdString("Could not open file " + (tree / "missing.bin"))});
  EXPECT_FALSE(testing::exists(tree / "out.txt"));
  extractStrings(tree.dir("adir"), tree / "out.txt", 5, 100);
  EXPECT_EQ(prompts.texts(MessageKind::Error).size(), 2);
  EXPECT_FALSE(testing::exists(tree / "out.txt"));
}

TEST_F(ExtractStrings, TargetFailuresReachTheCaller) {
  const std::string src = tree.file("src.bin", "hello world\n");
  EXPECT_THROW(extractStrings(src, tree / "no/such/folder/out.txt", 5, 100), std::system_error);
}

}  // namespace
}  // namespace roomvale
