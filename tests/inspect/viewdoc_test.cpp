// The viewer's document on real files: lines and their count in slices, line numbers across
// the count's checkpoints, the hexadecimal dump, literal search in both directions and
// across read blocks, and files that change while they are viewed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "common/testing.h"
#include "inspect/viewdoc.h"

using namespace roomvale;
using roomvale::testing::TempTree;

namespace {

// Every line of the document, walked forward with next().
std::vector<QString> allLines(ViewDocument& doc) {
  std::vector<QString> lines;
  if (!doc.hasLines()) return lines;
  std::optional<std::uint64_t> key = doc.first();
  for (; key; key = doc.next(*key)) lines.push_back(doc.text(*key));
  return lines;
}

}  // namespace

TEST(ViewDocumentTest, LinesCountsAndWalksBothWays) {
  struct Case {
    std::string content;
    std::vector<QString> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\nb", {"a", "b"}},
      {"\n\n", {"", ""}},
      {"dos\r\nline\r\n", {"dos", "line"}},
      {"t\tx\x01y\xe9", {"t       x.y\u00e9"}},  // tab to column 8, a control byte as ".", Latin-1
  };
  TempTree t;
  for (const Case& c : cases) {
    ViewDocument doc;
    ASSERT_TRUE(doc.open(t.file("f", c.content)));
    doc.countAll();
    ASSERT_TRUE(doc.lineCount());
    EXPECT_EQ(*doc.lineCount(), c.lines.size()) << c.content;
    EXPECT_EQ(allLines(doc), c.lines) << c.content;
    // Backward from the last line meets the same lines.
    std::vector<QString> back;
    if (doc.hasLines())
      for (std::optional<std::uint64_t> key = doc.last(); key; key = doc.previous(*key))
        back.insert(back.begin(), doc.text(*key));
    EXPECT_EQ(back, c.lines) << c.content;
  }
  ViewDocument doc;
  ASSERT_TRUE(doc.open(t.file("tabs", "\tx")));
  doc.setTabSize(4);
  EXPECT_EQ(doc.text(0), "    x");
  doc.setTabExpansion(false);
  EXPECT_EQ(doc.text(0), " x");
}

TEST(ViewDocumentTest, LineNumbersAndKeysAgreeAcrossCheckpointsWhileCounting) {
  TempTree t;
  std::string content;
  std::vector<std::uint64_t> starts;
  for (int i = 0; i < 5000; ++i) {
    starts.push_back(content.size());
    content += "line " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 37), '.') + "\n";
  }
  ViewDocument doc;
  ASSERT_TRUE(doc.open(t.file("lines.txt", content)));
  EXPECT_FALSE(doc.lineCount());
  // Counted in small slices: numbers are known up to where the count has got, never beyond.
  doc.countSlice(1000);
  EXPECT_TRUE(doc.lineNumber(starts[10]));
  EXPECT_FALSE(doc.lineNumber(starts[4000]));
  // Going to a line counts as far as it needs.
  for (std::uint64_t n : {0ull, 1023ull, 1024ull, 1025ull, 2049ull, 4999ull}) {
    EXPECT_EQ(doc.keyOfLine(n), starts[n]) << n;
    EXPECT_EQ(doc.lineNumber(starts[n]), n) << n;
  }
  EXPECT_EQ(doc.keyOfLine(99999), starts.back());
  doc.countAll();
  EXPECT_EQ(doc.lineCount(), 5000u);
  EXPECT_EQ(doc.text(doc.keyOfLine(11)), "line 11...........");
  EXPECT_EQ(doc.keyOfOffset(starts[7] + 3), starts[7]);
}

TEST(ViewDocumentTest, HexDumpAndSpots) {
  TempTree t;
  ViewDocument doc;
  ASSERT_TRUE(doc.open(t.file("bin", std::string("Hello, world!\n\x00\xff", 16) + "AB")));
  doc.setHexMode(true);
  EXPECT_EQ(doc.lineCount(), 2u);
  EXPECT_EQ(doc.text(0), "00000000  48 65 6C 6C 6F 2C 20 77  6F 72 6C 64 21 0A 00 FF  Hello, world!...");
  EXPECT_EQ(doc.text(1), "00000010  41 42" + QString(45, ' ') + "AB");
  EXPECT_EQ(doc.next(1), std::nullopt);
  const ViewDocument::Spot spot = doc.spotOf(9);  // 'r' on line 0, after the middle gap
  EXPECT_EQ(spot.key, 0u);
  EXPECT_EQ(doc.text(0).mid(spot.column, 2), "72");
  EXPECT_EQ(doc.offsetOf(0, spot.column), 9u);
}

TEST(ViewDocumentTest, SearchBothWaysWithAndWithoutCase) {
  TempTree t;
  // A match straddling the 1 MiB read block, and matches near both ends.
  std::string content = "Needle at start. ";
  content += std::string((1 << 20) - content.size() - 3, 'x') + "needle" + std::string(5000, 'y') + "NEEDLE end";
  const std::uint64_t straddle = (1 << 20) - 3;
  const std::uint64_t last = content.size() - 10;
  ViewDocument doc;
  ASSERT_TRUE(doc.open(t.file("hay", content)));
  struct Case {
    const char* needle;
    std::uint64_t from;
    bool backward, matchCase;
    std::optional<std::uint64_t> found;
  };
  const Case cases[] = {
      {"needle", 0, false, false, 0},
      {"needle", 0, false, true, straddle},
      {"needle", 1, false, false, straddle},
      {"needle", straddle + 1, false, false, last},
      {"needle", last + 1, false, false, std::nullopt},
      {"needle", content.size(), true, false, last},
      {"needle", last, true, false, straddle},
      {"needle", straddle, true, false, 0},
      {"needle", 0, true, false, std::nullopt},
      {"NEEDLE", content.size(), true, true, last},
      {"Needle", content.size(), true, true, 0},
      {"absent", 0, false, false, std::nullopt},
      {"", 0, false, false, std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(doc.find(c.needle, c.from, c.backward, c.matchCase), c.found)
        << c.needle << " from " << c.from << (c.backward ? " backward" : " forward");
}

TEST(ViewDocumentTest, FilesThatGrowShrinkOrCannotBeOpened) {
  TempTree t;
  const std::string path = t.file("log", "one\ntwo\nthree\n");
  ViewDocument doc;
  ASSERT_TRUE(doc.open(path));
  doc.countAll();
  EXPECT_EQ(doc.lineCount(), 3u);
  std::ofstream(path, std::ios::app) << "four\nfive";
  EXPECT_TRUE(doc.refresh());
  doc.countAll();
  EXPECT_EQ(doc.lineCount(), 5u);
  EXPECT_EQ(doc.text(doc.last()), "five");
  ASSERT_EQ(::truncate(path.c_str(), 4), 0);
  EXPECT_TRUE(doc.refresh());
  EXPECT_EQ(doc.size(), 4u);
  EXPECT_EQ(doc.text(8), "");  // a key from before: nothing there any more, no failure
  doc.countAll();
  EXPECT_EQ(doc.lineCount(), 1u);

  QString error;
  EXPECT_FALSE(doc.open(t / "missing", &error));
  EXPECT_TRUE(error.contains("missing")) << error.toStdString();
  EXPECT_FALSE(doc.open(t.path(), &error));
  EXPECT_FALSE(doc.isOpen());
  EXPECT_FALSE(doc.hasLines());
}
