// The version-resource parser on PE images built here: the eleven lines of the details
// window, and damaged images (truncated, corrupted fields, looping or oversized blocks) that
// must give nothing and never read outside the bytes.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "common/testing.h"
#include "inspect/details.h"
#include "inspect/peversion.h"
#include "pebuilder.h"

using namespace roomvale;
using roomvale::testing::Bytes;
using roomvale::testing::TempTree;

namespace {

std::string writeBytes(const TempTree& t, const std::string& name, const Bytes& bytes) {
  const std::string path = t / name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace

TEST(PeVersionTest, SampleProgramGivesElevenLinesOfItsFirstTranslation) {
  TempTree t;
  const std::string exe = writeBytes(t, "sample.exe", roomvale::testing::samplePe());
  EXPECT_EQ(fileVersionLines(exe, true),
            (QStringList{"Company: \tFernholt Test Co", "File description: \tSample tool", "File version: \t1.2.3.4",
                         "Internal name: \tsample", "Copyright: \t(c) 2026", "Trademarks: \t",
                         "Original filename: \tsample.exe", "Private build info: \t", "Product name: \tSample",
                         "Product version: \t1.2", "Special build info: \t"}));
  EXPECT_EQ(fileVersionLines(exe, false).first(), "Company: Fernholt Test Co");

  // Table keys and names are matched without regard to case, as the system's query does.
  const auto info = parsePeVersion(roomvale::testing::samplePe().data(), roomvale::testing::samplePe().size());
  ASSERT_TRUE(info);
  EXPECT_EQ(info->query("040904b0", "companyname"), "Fernholt Test Co");

  // No translation table, or a translation with no matching table: no lines / empty values.
  using roomvale::testing::peImage;
  using roomvale::testing::versionInfo;
  EXPECT_TRUE(
      fileVersionLines(writeBytes(t, "notrans.dll", peImage(versionInfo("040904B0", {{"CompanyName", "X"}}, 0))), true)
          .isEmpty());
  const QStringList other = fileVersionLines(
      writeBytes(t, "other.dll", peImage(versionInfo("040704B0", {{"CompanyName", "X"}}, 0x04B00409))), true);
  ASSERT_EQ(other.size(), 11);
  EXPECT_EQ(other.first(), "Company: \t");
  // Not a program at all, a folder, a missing file.
  EXPECT_TRUE(fileVersionLines(t.file("readme.txt", "MZ but nothing else"), true).isEmpty());
  EXPECT_TRUE(fileVersionLines(t.path(), true).isEmpty());
  EXPECT_TRUE(fileVersionLines(t / "gone.exe", true).isEmpty());
}

TEST(PeVersionTest, DamagedImagesGiveNothingAndStayInBounds) {
  const Bytes good = roomvale::testing::samplePe();
  ASSERT_TRUE(parsePeVersion(good.data(), good.size()));

  // Every truncation: the resource is the end of the file, so any cut loses it. Each prefix
  // is copied to a buffer of its own size so that the sanitizer sees any read beyond it.
  for (std::size_t n = 0; n < good.size(); ++n) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(parsePeVersion(cut.data(), cut.size())) << "cut at " << n;
  }

  // Each 32-bit field of the headers and resource directories set to values that point
  // anywhere: outside the file, negative, huge counts, loops back to the directory itself.
  const std::uint32_t hostile[] = {0, 1, 0x7FFFFFFF, 0x80000000u, 0x80000000u | 0x18, 0xFFFFFFFF, 0xFFFF0000};
  for (std::size_t at = 0; at + 4 <= 0x258; at += 2)
    for (std::uint32_t v : hostile) {
      Bytes bad = good;
      roomvale::testing::put32(bad, at, v);
      (void)parsePeVersion(bad.data(), bad.size());
    }

  // Version blocks: a zero-length child (would never advance), a child longer than its
  // parent, a root longer than the resource.
  using roomvale::testing::put16;
  Bytes blob = roomvale::testing::versionInfo("040904B0", {{"CompanyName", "X"}, {"ProductName", "Y"}}, 0x04B00409);
  const std::size_t firstChild = 40 + 52;  // header and "VS_VERSION_INFO\0" padded, fixed info
  Bytes zeroChild = blob;
  put16(zeroChild, firstChild, 0);
  const auto zero = parseVersionBlock(zeroChild.data(), zeroChild.size());
  ASSERT_TRUE(zero);
  EXPECT_TRUE(zero->stringTables.empty());
  Bytes longChild = blob;
  put16(longChild, firstChild, 0xFFF0);
  ASSERT_TRUE(parseVersionBlock(longChild.data(), longChild.size()));
  Bytes longRoot = blob;
  put16(longRoot, 0, static_cast<std::uint32_t>(blob.size() + 4));
  EXPECT_FALSE(parseVersionBlock(longRoot.data(), longRoot.size()));

  // Random damage, reproducibly.
  std::mt19937 random(20261209);
  for (int i = 0; i < 4000; ++i) {
    Bytes bad = good;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < flips; ++f) bad[random() % bad.size()] = static_cast<std::uint8_t>(random());
    (void)parsePeVersion(bad.data(), bad.size());
  }
}
