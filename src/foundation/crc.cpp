#include "foundation/crc.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#ifdef ROOMVALE_HAVE_ISAL
#include <isa-l/crc.h>
#endif

namespace roomvale {

namespace {

constexpr std::size_t kBlock = 2048;
// Reading 1 MiB at a time and summing its 2048-byte slices gives the same value as reading
// block by block, at a fraction of the system calls.
constexpr std::size_t kReadSize = std::size_t{1} << 20;

}  // namespace

std::uint32_t crc32Zlib(std::uint32_t crc, const void* data, std::size_t len) {
  const auto* p = static_cast<const Bytef*>(data);
  // zlib takes lengths as uInt; feed very large buffers in pieces.
  while (len > 0) {
    const uInt piece = len > (1u << 30) ? (1u << 30) : static_cast<uInt>(len);
    crc = static_cast<std::uint32_t>(::crc32(crc, p, piece));
    p += piece;
    len -= piece;
  }
  return crc;
}

std::uint32_t crc32Isal(std::uint32_t crc, const void* data, std::size_t len) {
#ifdef ROOMVALE_HAVE_ISAL
  // Same register convention as zlib: 0 starts, the previous result continues.
  return ::crc32_gzip_refl(crc, static_cast<const unsigned char*>(data), len);
#else
  return crc32Zlib(crc, data, len);
#endif
}

bool haveIsalCrc() {
#ifdef ROOMVALE_HAVE_ISAL
  return true;
#else
  return false;
#endif
}

std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t len) {
#ifdef ROOMVALE_HAVE_ISAL
  return crc32Isal(crc, data, len);
#else
  return crc32Zlib(crc, data, len);
#endif
}

std::uint32_t fileCRC(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return 0;
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

  // One buffer per thread for the whole run: the duplicate finder checks many small files.
  thread_local std::unique_ptr<unsigned char[]> buffer;
  if (!buffer) buffer = std::make_unique<unsigned char[]>(kReadSize);

  BlockSumCrc crc;
  for (;;) {
    const ssize_t n = ::read(fd, buffer.get(), kReadSize);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // end of file, or a read error that ends the file
    crc.update(buffer.get(), static_cast<std::size_t>(n));
  }
  const std::uint32_t sum = crc.value();
  ::close(fd);
  return sum;
}

void BlockSumCrc::update(const void* data, std::size_t len) {
  const auto* p = static_cast<const unsigned char*>(data);
  // A piece can end anywhere; the block being filled carries over to the next one.
  while (len > 0) {
    const std::size_t take = std::min(len, kBlock - blockFill_);
    blockCrc_ = crc32Update(blockCrc_, p, take);
    blockFill_ += take;
    p += take;
    len -= take;
    if (blockFill_ == kBlock) {
      sum_ += blockCrc_;
      blockCrc_ = 0;
      blockFill_ = 0;
    }
  }
}

QString crcText(std::uint32_t value) { return QString::number(value, 16).toUpper(); }

}  // namespace roomvale
