#include <gtest/gtest.h>

#include "foundation/winplace.h"

namespace roomvale {
namespace {

TEST(PlacementText, ParsesTheTenFields) {
  const WindowPlacement p = parsePlacement(QStringLiteral("0 1 0 0 0 0 10 20 500 400 "), QStringLiteral(" "));
  EXPECT_EQ(p.showCmd, 1);
  EXPECT_EQ(p.left, 10);
  EXPECT_EQ(p.top, 20);
  EXPECT_EQ(p.right, 500);
  EXPECT_EQ(p.bottom, 400);
  EXPECT_TRUE(placementApplies(p));
  EXPECT_FALSE(placementApplies(parsePlacement(QStringLiteral("0 1 0 0 0 0 500 20 10 400 "), QStringLiteral(" "))));
  EXPECT_FALSE(placementApplies(parsePlacement(QStringLiteral("0 1 0 0 0 0 10 20 10 400 "), QStringLiteral(" "))));
  const WindowPlacement all = parsePlacement(QStringLiteral("2 3 -1 -2 -3 -4 5 6 7 8"), QStringLiteral(" "));
  EXPECT_EQ(all, (WindowPlacement{2, 3, -1, -2, -3, -4, 5, 6, 7, 8}));
}

TEST(PlacementText, MissingOrBadFieldsTakeTheirDefaults) {
  const WindowPlacement defaults;
  EXPECT_EQ(parsePlacement(QString(), QStringLiteral(" ")), defaults);
  EXPECT_EQ(defaults.showCmd, 1);
  // Fewer than ten numbers: the normal rectangle is missing, so nothing is restored.
  const WindowPlacement shortText = parsePlacement(QStringLiteral("0 3 0 0 "), QStringLiteral(" "));
  EXPECT_EQ(shortText.showCmd, 3);
  EXPECT_EQ(shortText.left, 0);
  EXPECT_EQ(shortText.right, 0);
  EXPECT_FALSE(placementApplies(shortText));
  // Field by field.
  const WindowPlacement bad = parsePlacement(QStringLiteral("x y 0 0 0 0 10 z 500 400 "), QStringLiteral(" "));
  EXPECT_EQ(bad, (WindowPlacement{0, 1, 0, 0, 0, 0, 10, 0, 500, 400}));
}

TEST(PlacementText, FormatEndsWithTheDelimiterAndRoundTrips) {
  const WindowPlacement p{0, 3, -1, -1, -8, -30, 100, 50, 900, 700};
  EXPECT_EQ(formatPlacement(p, QStringLiteral(" ")), QStringLiteral("0 3 -1 -1 -8 -30 100 50 900 700 "));
  for (const QString& delim : {QStringLiteral(" "), QStringLiteral(";"), QStringLiteral(", "), QString()}) {
    EXPECT_EQ(parsePlacement(formatPlacement(p, delim), delim), p) << delim.toStdString();
  }
  EXPECT_EQ(formatPlacement(p, QString()), formatPlacement(p, QStringLiteral(" ")));
}

}  // namespace
}  // namespace roomvale
