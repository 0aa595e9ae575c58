#include <gtest/gtest.h>

#include <QLocale>

#include "app/artwork.h"
#include "app/datefix.h"
#include "app/mainform.h"
#include "foundation/helpers.h"

namespace roomvale {
namespace {

TEST(Fix2000, WidensYearsAndMakesMonthsNumeric) {
  EXPECT_EQ(fix2000("M/d/yy"), "M/d/yyyy");
  EXPECT_EQ(fix2000("dd-MMM-yy"), "dd-MM-yyyy");
  EXPECT_EQ(fix2000("yyyy-MM-dd"), "yyyy-MM-dd");
  EXPECT_EQ(fix2000("d MMMM yyyy"), "d MMM yyyy");
  EXPECT_EQ(fix2000("dd.MM.yy"), "dd.MM.yyyy");
  // Only the first two-digit year is widened, only the first month name shortened.
  EXPECT_EQ(fix2000("yy/MMM/d MMM"), "yyyy/MM/d MMM");
  EXPECT_EQ(fix2000(""), "");
}

TEST(Fix2000, AppliedTwiceGivesTheSameProcessFormat) {
  // Each main window widens the format at creation; a second one must not narrow a month
  // name further.
  const QString expected = fix2000(QLocale::system().dateFormat(QLocale::ShortFormat));
  applyFix2000();
  EXPECT_EQ(shortDateFormat(), expected);
  applyFix2000();
  EXPECT_EQ(shortDateFormat(), expected);
  EXPECT_TRUE(shortDateFormat().contains("yyyy") || !shortDateFormat().contains("yy"));
}

TEST(MainWindowBackground, GradientOnlyBelowFifteenBits) {
  EXPECT_TRUE(useGradientBackground(8));
  EXPECT_TRUE(useGradientBackground(14));
  EXPECT_FALSE(useGradientBackground(15));
  EXPECT_FALSE(useGradientBackground(16));
  EXPECT_FALSE(useGradientBackground(32));
}

TEST(SplashOutline, ClosedShapeInsideThePicture) {
  const QPolygon outline = artwork::splashOutline();
  ASSERT_EQ(outline.size(), artwork::kSplashOutlineVertices);
  const QRect picture(QPoint(0, 0), artwork::kSplashPictureSize);
  for (const QPoint& p : outline) EXPECT_TRUE(picture.contains(p)) << p.x() << "," << p.y();
  // Successive vertices are distinct, so the region has no degenerate spikes.
  for (int i = 0; i < outline.size(); ++i) EXPECT_NE(outline[i], outline[(i + 1) % outline.size()]);

  // The shape covers the middle and the title arch, and leaves the corners out.
  EXPECT_TRUE(outline.containsPoint(QPoint(288, 204), Qt::OddEvenFill));
  EXPECT_TRUE(outline.containsPoint(QPoint(288, 20), Qt::OddEvenFill));
  EXPECT_FALSE(outline.containsPoint(QPoint(2, 2), Qt::OddEvenFill));
  EXPECT_FALSE(outline.containsPoint(QPoint(60, 20), Qt::OddEvenFill));
  EXPECT_FALSE(outline.containsPoint(QPoint(574, 406), Qt::OddEvenFill));
}

}  // namespace
}  // namespace roomvale
