// The accumulation of a statistics collection and the page figures, without any window.
#include <gtest/gtest.h>

#include "common/testing.h"
#include "foundation/helpers.h"
#include "statistics/collection.h"
#include "statistics/statpages.h"

namespace roomvale::stats {
namespace {

using testing::FixedClock;

const QDateTime kNow(QDate(2026, 6, 15), QTime(10, 0));

platform::FileTime at(const QDateTime& when) { return {when.toSecsSinceEpoch(), 0, true}; }

platform::DirEntry file(const std::string& name, std::uint64_t size, const QDateTime& written = kNow,
                        std::uint32_t attr = platform::kAttrArchive) {
  platform::DirEntry e;
  e.name = name;
  e.size = size;
  e.attr = attr;
  e.writeTime = at(written);
  e.accessTime = at(written);
  e.creationTime = at(written);
  return e;
}

struct Collecting : ::testing::Test {
  FixedClock clock{kNow};
  StatisticsCollector c;
  void SetUp() override { c.clearVariables(); }
  int bucketOf(DateKind kind) const {
    for (int b = 0; b < kAgeBuckets; ++b)
      if (c.stats.ageFiles[kind][b]) return b;
    return -1;
  }
};

TEST_F(Collecting, SizeClassBoundsAndLargeFilesAre64Bit) {
  const struct {
    std::uint64_t size;
    int sizeClass;
  } cases[] = {{0, 1},       {16384, 1},     {16385, 2},     {32768, 2},      {1048576, 7},
               {1048577, 8}, {16777216, 11}, {16777217, 12}, {3ull << 30, 12}};
  for (const auto& t : cases) {
    c.clearVariables();
    c.crunchNumbers(file("a.bin", t.size));
    EXPECT_EQ(c.stats.sizeFiles[t.sizeClass], 1u) << t.size;
    EXPECT_EQ(c.stats.sizeBytes[t.sizeClass], t.size) << t.size;
    EXPECT_EQ(c.stats.ageBytes[kWrite][1], t.size) << t.size;
  }
  // Type totals beyond 2 GiB add up exactly.
  c.clearVariables();
  for (int i = 0; i < 3; ++i) c.crunchNumbers(file("big.iso", 1ull << 31));
  ASSERT_EQ(c.stats.types.entries().size(), 1u);
  EXPECT_EQ(c.stats.types.entries()[0].bytes, std::int64_t(3) << 31);
  EXPECT_EQ(typeRowTexts(typeRows(c.stats.types)[0])[4], formatThousands(std::int64_t(1) << 31));
}

TEST_F(Collecting, AgeBucketsCountCalendarDaysEitherWay) {
  const struct {
    QDateTime when;
    int bucket;
  } cases[] = {
      {QDateTime(QDate(2026, 6, 8), QTime(0, 1)), 1},    // 7 days by the calendar
      {QDateTime(QDate(2026, 6, 7), QTime(23, 59)), 2},  // 8 days, although under 8 * 24 hours
      {QDateTime(kNow.date().addDays(-365), QTime(12, 0)), 5},
      {QDateTime(kNow.date().addDays(-366), QTime(12, 0)), 6},
      {QDateTime(kNow.date().addDays(-1460), QTime(12, 0)), 8},
      {QDateTime(kNow.date().addDays(-1461), QTime(12, 0)), 9},
      {QDateTime(kNow.date().addDays(40), QTime(12, 0)), 3},  // the future counts as an age
  };
  for (const auto& t : cases) {
    c.clearVariables();
    c.crunchNumbers(file("a.txt", 10, t.when));
    EXPECT_EQ(bucketOf(kWrite), t.bucket) << t.when.toString().toStdString();
  }
}

TEST_F(Collecting, MissingCreationTimeIsNotRecordedAndHasNoSlot) {
  platform::DirEntry e = file("a.txt", 10, QDateTime(kNow.date(), QTime(9, 45)));
  e.creationTime = {};
  c.crunchNumbers(e);
  EXPECT_EQ(bucketOf(kCreation), 0);
  EXPECT_EQ(bucketOf(kWrite), 1);
  std::uint64_t creationSlots = 0;
  for (auto n : c.stats.hourFiles[kCreationTime]) creationSlots += n;
  EXPECT_EQ(creationSlots, 0u);
  EXPECT_EQ(c.stats.hourFiles[kWriteTime][19], 1u);
}

TEST_F(Collecting, HalfHourSlotsNeverCountTheFirst) {
  const struct {
    QTime time;
    int slot;
  } cases[] = {{QTime(0, 15), -1}, {QTime(0, 30), 1}, {QTime(12, 29), 24}, {QTime(23, 59), 47}};
  for (const auto& t : cases) {
    c.clearVariables();
    c.crunchNumbers(file("a.txt", 1, QDateTime(kNow.date(), t.time)));
    for (int s = 0; s < kSlots; ++s)
      EXPECT_EQ(c.stats.hourFiles[kWriteTime][s], s == t.slot ? 1u : 0u) << t.time.toString().toStdString() << " " << s;
  }
}

TEST_F(Collecting, AttributesCountUnderEveryBitSet) {
  c.crunchNumbers(file(".hidden", 100, kNow, platform::kAttrHidden | platform::kAttrSystem));
  c.crunchNumbers(file("plain", 7, kNow, 0));
  EXPECT_EQ(c.stats.attrFiles, (std::array<std::uint64_t, 4>{0, 1, 1, 0}));
  EXPECT_EQ(c.stats.attrBytes, (std::array<std::uint64_t, 4>{0, 100, 100, 0}));
  const auto bars = attributeBars(c.stats, false);  // archive, system, read-only, hidden
  ASSERT_EQ(bars.size(), 4u);
  EXPECT_EQ(bars[1].value, 50);
  EXPECT_EQ(bars[3].mark, percentMark2(50));
  c.clearVariables();
  c.crunchNumbers(file("plain", 7, kNow, 0));
  EXPECT_TRUE(attributeBars(c.stats, false).empty());
}

TEST_F(Collecting, OverhangSumsAndPage) {
  c.crunchNumbers(file("a.dat", 3000));
  EXPECT_EQ(c.stats.clusterWaste, (std::array<std::uint64_t, 5>{1096, 5192, 13384, 29768, 62536}));
  c.crunchNumbers(file("b.dat", 4096));
  c.crunchNumbers(file("empty.dat", 0));
  EXPECT_EQ(c.stats.clusterWaste,
            (std::array<std::uint64_t, 5>{1096, 5192 + 4096, 13384 + 12288, 29768 + 28672, 62536 + 61440}));

  // A file beyond 2 GiB loses what its real size leaves over, never a negative remainder.
  c.clearVariables();
  c.crunchNumbers(file("big.dat", (1ull << 31) + 1));
  EXPECT_EQ(c.stats.clusterWaste, (std::array<std::uint64_t, 5>{4095, 8191, 16383, 32767, 65535}));

  c.clearVariables();
  c.crunchNumbers(file("a.dat", 3000));
  OverhangFigures f = overhangFigures(c.stats, 4096);
  EXPECT_TRUE(f.enabled);
  EXPECT_EQ(f.arrowRow, 0);
  EXPECT_DOUBLE_EQ(f.percent[0], 1096.0 * 100 / 4096);
  EXPECT_EQ(f.size, "3 KB");
  EXPECT_EQ(f.actual, "Actual space used 4 KB");
  f = overhangFigures(c.stats, 1024);
  EXPECT_EQ(f.arrowRow, -1);
  EXPECT_TRUE(f.actual.isEmpty());

  c.clearVariables();
  c.overhangEnabled = false;
  c.crunchNumbers(file("a.dat", 3000));
  EXPECT_EQ(c.stats.clusterWaste[0], 0u);
  c.clearVariables();
  c.crunchNumbers(file("empty.dat", 0));
  EXPECT_FALSE(overhangFigures(c.stats, 4096).enabled);
}

TEST_F(Collecting, TypeTableKeepsShortExtensionsOnlyAndMergesCase) {
  c.crunchNumbers(file("long.abcdef", 5));  // seven characters with the dot
  c.crunchNumbers(file("README", 3));
  c.crunchNumbers(file("a.Txt", 1));
  c.crunchNumbers(file("b.TXT", 2));
  c.crunchNumbers(file("c.h", 4));
  c.crunchNumbers(file("d.\xc3\xa9t\xc3\xa9", 6));  // four characters, six bytes
  EXPECT_EQ(c.stats.filesCounted, 6u);
  EXPECT_EQ(c.stats.sizeFiles[1], 6u);
  std::vector<std::string> keys;
  for (const TypeEntry& e : c.stats.types.entries())
    keys.push_back(e.key + "=" + std::to_string(e.files) + "/" + std::to_string(e.bytes));
  EXPECT_EQ(keys, (std::vector<std::string>{"=1/3", ".H=1/4", ".TXT=2/3", ".\xc3\xa9T\xc3\xa9=1/6"}));
}

TEST_F(Collecting, ChosenTypesFilterAndSeed) {
  c.filter.allFileTypes = false;
  c.filter.countChosenTypes = true;
  c.filter.chosen = {"*.doc\tWord", "*.txt\tText"};
  c.clearVariables();
  c.crunchNumbers(file("x.DOC", 10));
  c.crunchNumbers(file("y.exe", 10));
  c.stats.filesProcessed = 2;
  c.seedChosenTypes();
  ASSERT_EQ(c.stats.types.entries().size(), 2u);
  EXPECT_EQ(c.stats.types.entries()[0].files, 1);
  EXPECT_EQ(c.stats.types.entries()[1].key, ".TXT");
  EXPECT_EQ(c.stats.types.entries()[1].files, 0);
  EXPECT_EQ(typeRowTexts(typeRows(c.stats.types)[1])[4], "0");
  EXPECT_EQ(finishedText(c.stats, false), "Finished - 2 files processed 1 files found");

  // All but the chosen types; nothing chosen counts everything.
  c.filter.countChosenTypes = false;
  c.filter.countOtherTypes = true;
  c.clearVariables();
  c.crunchNumbers(file("x.doc", 10));
  c.crunchNumbers(file("noext", 10));
  EXPECT_EQ(c.stats.filesCounted, 1u);
  c.filter.chosen.clear();
  c.clearVariables();
  c.crunchNumbers(file("x.doc", 10));
  EXPECT_EQ(c.stats.filesCounted, 1u);
  c.stats.filesProcessed = 1;
  EXPECT_EQ(finishedText(c.stats, true), "Finished - 1 files processed INCOMPLETE ... ABORTED");
}

TEST(TypePage, SortsAndPieOfTheTwelveLargest) {
  std::vector<TypeRow> rows;
  for (int i = 0; i < 14; ++i) rows.push_back({QString(".E%1").arg(i), QString("t%1").arg(13 - i), i * 100, i % 3});
  sortTypeRows(rows, TypeSort::Size);
  EXPECT_EQ(rows.front().bytes, 1300);
  auto pie = typePie(rows, TypeSort::Size);
  ASSERT_EQ(pie.size(), 12u);
  EXPECT_EQ(pie[0].label, "t0");
  EXPECT_EQ(pie[0].color, QColor(0xFF0000));
  EXPECT_EQ(pie[11].color, QColor(0x808080));
  sortTypeRows(rows, TypeSort::Files);
  pie = typePie(rows, TypeSort::Files);
  EXPECT_EQ(pie.size(), 9u);  // the twelve with most files include three with none
  sortTypeRows(rows, TypeSort::Type);
  EXPECT_EQ(rows.front().type, "t0");
  EXPECT_EQ(rows[1].type, "t1");
  EXPECT_EQ(rows.back().type, "t9");
  EXPECT_EQ(typeTotalsTexts(rows)[2], formatThousands(9100));
}

TEST(SpacePage, UnitTotalPairAndRedFreeFigure) {
  const double mb = 1048576;
  SpaceFigures f = spaceFigures({{"/", 40 * mb, 100 * mb}}, true);
  EXPECT_EQ(f.unit, "MB");
  ASSERT_EQ(f.bars.size(), 1u);  // one drive: no Total pair
  EXPECT_EQ(f.bars[0].used, 60);
  EXPECT_FALSE(f.freeRed);
  f = spaceFigures({{"/", 40 * mb, 100 * mb}, {"/media/floppy", 1024 * 1024, 1440 * 1024}}, true);
  EXPECT_EQ(f.unit, "MB");
  ASSERT_EQ(f.bars.size(), 3u);
  EXPECT_EQ(f.bars[2].label, "Total");
  EXPECT_EQ(f.bars[2].free, 41);
  f = spaceFigures({{"/media/floppy", 3 * 1024, 1440 * 1024}}, false);
  EXPECT_EQ(f.unit, "KB");
  EXPECT_EQ(f.total, "1,440");
  EXPECT_TRUE(f.freeRed);
  EXPECT_FALSE(spaceFigures({}, true).shown);
  EXPECT_EQ(freePercentText(45.67, 100), "45.6");
  EXPECT_EQ(percentMark(12.0), "12 %");
  EXPECT_EQ(percentMark(12.34), "12.3 %");
}

}  // namespace
}  // namespace roomvale::stats
