// bench-links: roomvale_foundation
// File checksum throughput on a 1 GiB file held in the page cache: the block-sum checksum
// as the finders use it, whole-file CRC-32 through zlib and through ISA-L, per-block zlib
// (the plain way), and a plain read of the same file as the ceiling.
// Usage: bench_crc <work file>   (created when missing or of the wrong size)
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <sys/stat.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "foundation/crc.h"

namespace {

constexpr std::uint64_t kFileSize = std::uint64_t{1} << 30;
constexpr std::size_t kBuf = std::size_t{1} << 20;

bool makeFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) == kFileSize) return true;
  std::fprintf(stderr, "creating %s (1 GiB)...\n", path.c_str());
  const std::string temp = path + ".part";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  auto buf = std::make_unique<std::uint64_t[]>(kBuf / 8);
  std::uint64_t x = 0x9E3779B97F4A7C15ull;
  for (std::uint64_t done = 0; done < kFileSize; done += kBuf) {
    for (std::size_t i = 0; i < kBuf / 8; ++i) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      buf[i] = x;
    }
    if (::write(fd, buf.get(), kBuf) != static_cast<ssize_t>(kBuf)) {
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  return ::rename(temp.c_str(), path.c_str()) == 0;
}

// Reads the whole file in `chunk`-sized reads, handing each piece to `use`.
std::uint32_t readAll(const std::string& path, std::size_t chunk,
                      const std::function<std::uint32_t(std::uint32_t, const unsigned char*, std::size_t)>& use) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return 0;
  static auto buf = std::make_unique<unsigned char[]>(kBuf);
  std::uint32_t acc = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buf.get(), chunk);
    if (n <= 0) break;
    acc = use(acc, buf.get(), static_cast<std::size_t>(n));
  }
  ::close(fd);
  return acc;
}

double bestOf3(const std::function<std::uint32_t()>& run, std::uint32_t& result) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    result = run();
    const std::chrono::duration<double> dt = std::chrono::steady_clock::now() - t0;
    if (dt.count() < best) best = dt.count();
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_crc <work file>\n");
    return 2;
  }
  const std::string path = argv[1];
  if (!makeFile(path)) {
    std::fprintf(stderr, "cannot create %s\n", path.c_str());
    return 1;
  }
  // Warm the page cache, so that every row measures the same thing.
  readAll(path, kBuf, [](std::uint32_t a, const unsigned char*, std::size_t) { return a; });

  const double gb = static_cast<double>(kFileSize) / 1e9;
  std::printf("%-44s %10s %10s\n", "method (1 GiB, page cache)", "GB/s", "value");
  auto row = [&](const char* name, const std::function<std::uint32_t()>& run) {
    std::uint32_t value = 0;
    const double s = bestOf3(run, value);
    std::printf("%-44s %10.2f %10X\n", name, gb / s, value);
  };

  row("fileCRC (block sum, 1 MiB reads)", [&] { return roomvale::fileCRC(path); });
  row("block sum, zlib per 2 KiB block, 2 KiB reads", [&] {
    return readAll(path, 2048, [](std::uint32_t a, const unsigned char* p, std::size_t n) {
      return a + static_cast<std::uint32_t>(::crc32(0, p, static_cast<uInt>(n)));
    });
  });
  row("block sum, zlib per 2 KiB block, 1 MiB reads", [&] {
    return readAll(path, kBuf, [](std::uint32_t a, const unsigned char* p, std::size_t n) {
      for (std::size_t off = 0; off < n; off += 2048)
        a += static_cast<std::uint32_t>(::crc32(0, p + off, static_cast<uInt>(std::min<std::size_t>(2048, n - off))));
      return a;
    });
  });
  row("zlib crc32, whole file", [&] {
    return readAll(path, kBuf,
                   [](std::uint32_t a, const unsigned char* p, std::size_t n) { return roomvale::crc32Zlib(a, p, n); });
  });
  if (roomvale::haveIsalCrc()) {
    row("ISA-L crc32_gzip_refl, whole file", [&] {
      return readAll(path, kBuf, [](std::uint32_t a, const unsigned char* p, std::size_t n) {
        return roomvale::crc32Isal(a, p, n);
      });
    });
  } else {
    std::printf("%-44s %10s\n", "ISA-L crc32_gzip_refl, whole file", "n/a");
  }
  row("plain read, 1 MiB reads", [&] {
    return readAll(path, kBuf, [](std::uint32_t a, const unsigned char* p, std::size_t) { return a + p[0]; });
  });
  return 0;
}
