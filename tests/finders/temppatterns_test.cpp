// Temporary-file patterns: the stored list's rules and the test of a file name.
#include <gtest/gtest.h>

#include "finders/temppatterns.h"
#include "foundation/settings.h"

using namespace roomvale;

namespace {

QStringList patternsOf(const QStringList& lines) {
  QStringList out;
  for (const QString& line : lines) out << line.section(QLatin1Char('\t'), 0, 0);
  return out;
}

class TempPatternsTest : public ::testing::Test {
 protected:
  void SetUp() override { writeListSection(kTempFilesSection, {}); }
};

}  // namespace

TEST(TempMatcherTest, ExtensionsMatchWhateverTheirCase) {
  const TempMatcher m({"*.tmp\tTemporary file", "*.~mp\t", "*.$$$\t"});
  EXPECT_TRUE(m.isTemporary("REPORT.TMP"));
  EXPECT_TRUE(m.isTemporary("page.~mp"));
  EXPECT_TRUE(m.isTemporary("x.$$$"));
  EXPECT_TRUE(m.isTemporary(".tmp"));
  EXPECT_FALSE(m.isTemporary("archive.tmp.zip"));  // its extension is ".zip"
  EXPECT_FALSE(m.isTemporary("tmp"));
  EXPECT_FALSE(m.isTemporary("x.tmpx"));
  EXPECT_FALSE(m.isTemporary("x.tm"));
  EXPECT_FALSE(TempMatcher({}).isTemporary("a.tmp"));
}

TEST(TempMatcherTest, WildcardKeysMatchTheExtensionButNeverEverything) {
  const TempMatcher m({"*.~*\t", "*.b?k\t"});
  EXPECT_TRUE(m.isTemporary("letter.~doc"));
  EXPECT_TRUE(m.isTemporary("x.~"));
  EXPECT_TRUE(m.isTemporary("x.BAK"));
  EXPECT_FALSE(m.isTemporary("x.doc~"));
  EXPECT_FALSE(m.isTemporary("x.back"));
  // "*.*" would make every file temporary; such a line finds nothing.
  const TempMatcher all({"*.*\t", "*.**\t"});
  EXPECT_FALSE(all.isTemporary("thesis.odt"));
  EXPECT_TRUE(all.empty());
}

TEST(TempMatcherTest, MatchingKeyIsTheLowerCasePatternWithoutItsFirstCharacter) {
  EXPECT_EQ(matchingKey("*.TMP\tTemporary"), ".tmp");
  EXPECT_EQ(matchingKey("*.bak"), ".bak");
  EXPECT_EQ(matchingKey(""), "");
}

TEST_F(TempPatternsTest, ListsNeverSavedGiveTheDefaultsAndSavedListsAreKept) {
  // Never saved.
  ASSERT_TRUE(WriteString(kTempFilesSection, "Number", ""));
  EXPECT_EQ(patternsOf(readTempFileLines(quickCleanDefaultPatterns())), quickCleanDefaultPatterns());
  EXPECT_EQ(patternsOf(readTempFileLines(tempEditorDefaultPatterns())), tempEditorDefaultPatterns());
  EXPECT_EQ(quickCleanDefaultPatterns().size(), 13);
  EXPECT_EQ(tempDefaultsButtonPatterns().size(), 15);

  // Lines carry their description after a TAB; only the pattern is stored.
  const QStringList lines = readTempFileLines(tempEditorDefaultPatterns());
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0].startsWith("*.tmp\t"));
  ASSERT_TRUE(writeTempFileLines(lines));
  EXPECT_EQ(ReadInteger(kTempFilesSection, "Number", -1), 4);
  EXPECT_EQ(ReadString(kTempFilesSection, "File1", ""), "*.tmp");

  // Saved empty: empty, not the defaults.
  ASSERT_TRUE(writeTempFileLines({}));
  EXPECT_TRUE(readTempFileLines(quickCleanDefaultPatterns()).isEmpty());

  // A shrunk list leaves the old values behind, unread.
  ASSERT_TRUE(writeTempFileLines({"*.a\tA", "*.b\tB", "*.c\tC"}));
  ASSERT_TRUE(writeTempFileLines({"*.a\tA"}));
  EXPECT_EQ(ReadString(kTempFilesSection, "File3", ""), "*.c");
  EXPECT_EQ(patternsOf(readTempFileLines(quickCleanDefaultPatterns())), QStringList{"*.a"});
}
