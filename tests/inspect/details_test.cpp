// What the details window shows of a file, gathered on real files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../finders/findertesting.h"
#include "common/testing.h"
#include "inspect/details.h"

using namespace roomvale;
using roomvale::testing::TempTree;

TEST(FileDetailsTest, ClusterLinesAndAttributeWords) {
  struct ClusterCase {
    std::uint64_t size, cluster;
    const char* line;
  };
  for (const ClusterCase& c : {ClusterCase{4096, 4096, "Cluster size: 4,096  Clusters used : 1"},
                               {4097, 4096, "Cluster size: 4,096  Clusters used : 2"},
                               {0, 4096, "Cluster size: 4,096  Clusters used : 0"},
                               {3ull << 32, 65536, "Cluster size: 65,536  Clusters used : 196,608"},
                               {100, 0, ""}})
    EXPECT_EQ(wastedClusterSpace(c.size, c.cluster), QString::fromLatin1(c.line)) << c.size << "/" << c.cluster;
  EXPECT_EQ(attributeWords(0x01 | 0x02), " ReadOnly Hidden");
  EXPECT_EQ(attributeWords(0x20), " Archive");
  EXPECT_EQ(attributeWords(0x3F), " ReadOnly Hidden System VolumeID Directory Archive");
  EXPECT_EQ(attributeWords(0), "");
  EXPECT_EQ(dateLine(platform::FileTime{}), "???");
}

TEST(FileDetailsTest, RealFileGivesItsDatesAttributesAndPrintout) {
  roomvale::testing::UsDates us;
  roomvale::testing::FixedClock clock(QDateTime(QDate(2026, 3, 10), QTime(12, 0)));
  TempTree t;
  const std::string path = t.file(".hidden.txt", std::string(4097, 'x'));
  roomvale::testing::setFileTimes(path, QDateTime(QDate(2026, 3, 9), QTime(8, 0)),
                                  QDateTime(QDate(2026, 1, 2), QTime(9, 30)));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

  const FileDetails d = gatherFileDetails(path);
  ASSERT_TRUE(d.found);
  EXPECT_EQ(d.size, "4,097 bytes");
  EXPECT_EQ(d.attributes, " ReadOnly Hidden Archive");
  const QString modified = "1/2/2026  " + relativeDate(QDateTime(QDate(2026, 1, 2), QTime(0, 0)));
  EXPECT_EQ(d.modified, modified);
  EXPECT_EQ(d.accessed, "3/9/2026  Yesterday");
  EXPECT_TRUE(d.clusters.startsWith("Cluster size: ")) << d.clusters.toStdString();
  EXPECT_TRUE(d.versionLines.isEmpty());

  const QStringList printed = detailsPrintLines(d);
  ASSERT_EQ(printed.size(), 12);
  EXPECT_EQ(printed[0], "Name of file : \t" + QString::fromStdString(path));
  EXPECT_EQ(printed[4], "               \t" + d.clusters);
  EXPECT_EQ(printed[7], "Modification date : \t" + modified);
  EXPECT_EQ(printed[8], "Access date       : \t3/9/2026  Yesterday");
  EXPECT_EQ(printed[10], "Attributes : \t ReadOnly Hidden Archive");

  EXPECT_FALSE(gatherFileDetails(t / "vanished").found);
  EXPECT_TRUE(gatherFileDetails(t.path()).isFolder);
}
