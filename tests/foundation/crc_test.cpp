#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <random>

#include "common/testing.h"
#include "foundation/crc.h"

namespace roomvale {
namespace {

using testing::TempTree;

std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

// The value computed independently: zlib's CRC-32 of each 2048-byte block, added up.
std::uint64_t blockSum(const std::string& data) {
  std::uint64_t sum = 0;
  for (std::size_t off = 0; off < data.size(); off += 2048) {
    const std::size_t len = std::min<std::size_t>(2048, data.size() - off);
    sum += ::crc32(0, reinterpret_cast<const Bytef*>(data.data() + off), static_cast<uInt>(len));
  }
  return sum;
}

TEST(Crc32, BothRoutinesGiveTheStandardValue) {
  const std::string check = "123456789";
  EXPECT_EQ(crc32Zlib(0, check.data(), check.size()), 0xCBF43926u);
  EXPECT_EQ(crc32Isal(0, check.data(), check.size()), 0xCBF43926u);
  EXPECT_EQ(crc32Update(crc32Update(0, check.data(), 4), check.data() + 4, 5), 0xCBF43926u);
  const std::string data = randomBytes(100000, 1);
  for (const std::size_t len : {0, 1, 15, 16, 63, 2047, 2048, 99999}) {
    EXPECT_EQ(crc32Isal(0, data.data(), len), crc32Zlib(0, data.data(), len)) << len;
  }
}

TEST(FileCrc, SmallFilesAndBlockBoundaries) {
  TempTree tree;
  EXPECT_EQ(fileCRC(tree.file("abc", "abc")), 0x352441C2u);
  EXPECT_EQ(fileCRC(tree.file("empty", "")), 0u);
  EXPECT_EQ(fileCRC(tree / "missing"), 0u);
  EXPECT_EQ(fileCRC(tree.dir("folder")), 0u);

  const std::string data = randomBytes(2049, 2);
  const std::string one = data.substr(0, 2048);
  EXPECT_EQ(fileCRC(tree.file("2048", one)), ::crc32(0, reinterpret_cast<const Bytef*>(one.data()), 2048));
  const std::uint32_t two = ::crc32(0, reinterpret_cast<const Bytef*>(data.data()), 2048) +
                            ::crc32(0, reinterpret_cast<const Bytef*>(data.data() + 2048), 1);
  EXPECT_EQ(fileCRC(tree.file("2049", data)), two);
  // Not the CRC of the whole file.
  EXPECT_NE(fileCRC(tree / "2049"), ::crc32(0, reinterpret_cast<const Bytef*>(data.data()), 2049));
}

TEST(FileCrc, LargeFilesWrapAroundAndCopiesAgree) {
  TempTree tree;
  // Crosses the large read buffer's boundary, with a short last block.
  const std::string data = randomBytes((3u << 20) + 1234, 3);
  const std::uint64_t sum = blockSum(data);
  ASSERT_GT(sum, 0xFFFFFFFFull);  // the sum really wraps
  const std::string a = tree.file("a.bin", data);
  const std::string b = tree.file("sub/b.bin", data);
  EXPECT_EQ(fileCRC(a), static_cast<std::uint32_t>(sum));
  EXPECT_EQ(fileCRC(a), fileCRC(b));
  std::string changed = data;
  changed[5000] ^= 1;
  EXPECT_NE(fileCRC(tree.file("c.bin", changed)), fileCRC(a));
}

TEST(FileCrc, UnreadableFileGivesZero) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads anything";
  TempTree tree;
  const std::string f = tree.file("secret", "abc");
  ASSERT_EQ(::chmod(f.c_str(), 0), 0);
  EXPECT_EQ(fileCRC(f), 0u);
}

TEST(FileCrc, DisplayForm) {
  EXPECT_EQ(crcText(0), QStringLiteral("0"));
  EXPECT_EQ(crcText(0xAB), QStringLiteral("AB"));
  EXPECT_EQ(crcText(0x352441C2), QStringLiteral("352441C2"));
  EXPECT_EQ(crcText(0xFFFFFFFF), QStringLiteral("FFFFFFFF"));
}

}  // namespace
}  // namespace roomvale
