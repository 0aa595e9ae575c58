#include "finders/paircompare.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDateTime>

#include "common/testing.h"

using namespace roomvale;
using roomvale::testing::TempTree;

TEST(PairCompareTest, SizeAndCreationTexts) {
  struct SizeCase {
    std::uint64_t left, right;
    const char* text;
  };
  for (const SizeCase& c : std::vector<SizeCase>{{1000, 1000, "Same size"},
                                                 {1000, 1009, "Slightly larger"},
                                                 {1009, 1000, "Slightly smaller"},
                                                 {1000, 1010, "1% larger"},
                                                 {1000, 1500, "50% larger"},
                                                 {1500, 1000, "50% smaller"},
                                                 {0, 0, "Same size"},
                                                 {0, 7, "Larger than an empty file"},
                                                 {7, 0, "Empty file"},
                                                 {1, 5'000'000'000ULL, "499999999900% larger"}})
    EXPECT_EQ(sizeComparison(c.left, c.right), QString::fromLatin1(c.text)) << c.left << " " << c.right;

  const QDateTime day(QDate(2024, 3, 9), QTime(23, 0));
  struct TimeCase {
    QDateTime right;
    const char* text;
  };
  for (const TimeCase& c :
       std::vector<TimeCase>{{day, "Same Creation Date/Time"},
                             {QDateTime(QDate(2024, 3, 10), QTime(1, 0)), "1 days newer"},
                             {QDateTime(QDate(2024, 3, 6), QTime(23, 59)), "3 days older"},
                             {day.addSecs(-90 * 60), "01 hrs 30 min older"},
                             {QDateTime(QDate(2024, 3, 9), QTime(23, 0, 30)), "00 hrs 00 min newer"}})
    EXPECT_EQ(creationComparison(day, c.right), QString::fromLatin1(c.text)) << c.text;
  EXPECT_EQ(creationComparison(QDateTime(QDate(2024, 3, 9), QTime(10, 0)), QDateTime(QDate(2024, 3, 9), QTime(11, 30))),
            QStringLiteral("01 hrs 30 min newer"));
}

TEST(PairCompareTest, PairsPerMatchModeAndStepping) {
  auto row = [](const char* name, const char* size, const char* last = "Text") {
    return PairRow{QString::fromLatin1(name),
                   QString::fromLatin1(size),
                   "1/1/2020",
                   "12:00:00",
                   "1/1/2020",
                   "/f",
                   QString::fromLatin1(last),
                   std::string()};
  };
  // a.txt pair, a lone b.txt (the last of its group), then a C.TXT pair differing in case.
  const std::vector<PairRow> rows{row("a.txt", "10"), row("a.txt", "10"), row("b.txt", "10"), row("c.txt", "20"),
                                  row("C.TXT", "20")};
  EXPECT_TRUE(qPairMatches(rows, 0, 1));
  EXPECT_FALSE(qPairMatches(rows, 1, 1));  // a.txt / b.txt
  EXPECT_FALSE(qPairMatches(rows, 2, 1));  // b.txt / c.txt
  EXPECT_TRUE(qPairMatches(rows, 3, 1));   // names compared with a-z raised
  EXPECT_TRUE(qPairMatches(rows, 1, 3));   // size only
  EXPECT_FALSE(qPairMatches(rows, 4, 1));  // no row below the last one
  EXPECT_EQ(nextPairRow(rows, 0, 1), 3);   // the non-pair rows 1 and 2 are skipped
  EXPECT_EQ(nextPairRow(rows, 3, 1), std::nullopt);
  EXPECT_EQ(previousPairRow(rows, 3, 1), 0);
  EXPECT_EQ(previousPairRow(rows, 0, 1), std::nullopt);
  EXPECT_EQ(nextPairRow(rows, 0, 3), 1);
  const std::vector<PairRow> types{row("x", "1", "Text"), row("y", "2", "Text"), row("z", "2", "Image")};
  EXPECT_TRUE(qPairMatches(types, 0, 6));
  EXPECT_FALSE(qPairMatches(types, 1, 5));
}

TEST(PairCompareTest, IdentityIsTheRealContentCheck) {
  TempTree tree;
  const std::string a = tree.file("a", "abcd");
  const std::string same = tree.file("same", "abcd");
  // Same blocks in another order: a block sum could not tell them apart.
  const std::string swapped = tree.file("swapped", "cdab");
  const std::string longer = tree.file("longer", "abcde");
  const std::string link = tree / "link";
  ASSERT_EQ(::link(a.c_str(), link.c_str()), 0);
  EXPECT_TRUE(identicalContents(a, same));
  EXPECT_FALSE(identicalContents(a, swapped));
  EXPECT_FALSE(identicalContents(a, longer));
  EXPECT_TRUE(identicalContents(a, link));               // two names of one file
  EXPECT_FALSE(identicalContents(a, tree / "missing"));  // a vanished file is not identical
  EXPECT_FALSE(identicalContents(tree / "gone", tree / "gone"));
  EXPECT_EQ(crcVerdictText(0x1A2B, true), QStringLiteral("    1A2B file contents are identical"));
  EXPECT_EQ(crcVerdictText(0xDEADBEEF, false), QStringLiteral("DEADBEEF file contents differ"));
}
