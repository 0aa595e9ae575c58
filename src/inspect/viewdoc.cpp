#include "inspect/viewdoc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/paths.h"

namespace roomvale {

namespace {

constexpr std::uint64_t kPageSize = std::uint64_t{64} * 1024;
constexpr std::size_t kMaxPages = 48;  // 3 MiB of the file at most
constexpr std::size_t kChunk = 1 << 20;
constexpr std::uint64_t kCheckpointEvery = 1024;

std::size_t preadAll(int fd, char* out, std::size_t n, std::uint64_t offset) {
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd, out + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  return got;
}

// ASCII letters to lower case, eight bytes at a time: for each byte below 0x80 the high bit
// of (b + 0x80 - 'A') says b >= 'A' and that of (b + 0x80 - 'Z' - 1) says b > 'Z'.
void lowerAll(char* p, std::size_t n) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x;
    std::memcpy(&x, p + i, 8);
    const std::uint64_t low7 = x & ~kHigh;
    const std::uint64_t geA = low7 + kOnes * (0x80 - 'A');
    const std::uint64_t gtZ = low7 + kOnes * (0x80 - 'Z' - 1);
    const std::uint64_t upper = (geA ^ gtZ) & ~x & kHigh;
    x |= upper >> 2;
    std::memcpy(p + i, &x, 8);
  }
  for (; i < n; ++i)
    if (p[i] >= 'A' && p[i] <= 'Z') p[i] = static_cast<char>(p[i] - 'A' + 'a');
}

// The number of '\n' bytes, eight at a time: a byte of x ^ 0x0A.. is zero exactly where
// the high bit of ~(((y & 0x7F..) + 0x7F..) | y) is set.
std::uint64_t newlinesIn(const char* p, std::size_t n) {
  constexpr std::uint64_t kLow = 0x7F7F7F7F7F7F7F7Full;
  constexpr std::uint64_t kNewlines = 0x0A0A0A0A0A0A0A0Aull;
  std::uint64_t count = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x;
    std::memcpy(&x, p + i, 8);
    const std::uint64_t y = x ^ kNewlines;
    const std::uint64_t zeros = ~(((y & kLow) + kLow) | y | kLow);
    count += static_cast<std::uint64_t>(__builtin_popcountll(zeros));
  }
  for (; i < n; ++i) count += p[i] == '\n';
  return count;
}

// Offset of the last match of `needle` in `hay` that starts at or before `limit`.
std::optional<std::size_t> lastMatch(const char* hay, std::size_t n, const std::string& needle, std::size_t limit) {
  std::optional<std::size_t> found;
  std::size_t pos = 0;
  while (pos + needle.size() <= n && pos <= limit) {
    const void* hit = ::memmem(hay + pos, n - pos, needle.data(), needle.size());
    if (!hit) break;
    const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - hay);
    if (at > limit) break;
    found = at;
    pos = at + 1;
  }
  return found;
}

int hexColumn(int byte, int digits) { return digits + 2 + 3 * byte + (byte >= 8 ? 1 : 0); }
int hexDigits(std::uint64_t size) {
  int digits = 8;
  for (std::uint64_t s = size >> 32; s; s >>= 4) ++digits;
  return digits;
}

QChar shown(unsigned char b) {
  if (b < 0x20 || b == 0x7F) return QLatin1Char('.');
  return QChar(static_cast<char16_t>(b));
}

}  // namespace

ViewDocument::ViewDocument() = default;
ViewDocument::~ViewDocument() { close(); }

bool ViewDocument::open(const std::string& path, QString* error) {
  close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (error)
      *error = QStringLiteral("Cannot open %1: %2")
                   .arg(platform::toDisplay(path), QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    if (error) *error = QStringLiteral("Cannot open %1: it is not a file").arg(platform::toDisplay(path));
    return false;
  }
  fd_ = fd;
  path_ = path;
  size_ = static_cast<std::uint64_t>(st.st_size);
  mtimeNs_ = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  resetCount();
  return true;
}

void ViewDocument::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
  size_ = 0;
  pages_.clear();
  resetCount();
  countBuffer_ = {};
}

void ViewDocument::resetCount() {
  checkpoints_.assign(1, 0);
  frontier_ = 0;
  newlines_ = 0;
  lastLineOpen_ = false;
  counted_ = size_ == 0;
}

bool ViewDocument::refresh() {
  if (fd_ < 0) return false;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return false;
  const auto size = static_cast<std::uint64_t>(st.st_size);
  const std::int64_t mtime = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  if (size == size_ && mtime == mtimeNs_) return false;
  const bool grew = size > size_;
  size_ = size;
  mtimeNs_ = mtime;
  pages_.clear();
  if (grew && frontier_ <= size_) {
    counted_ = false;  // what was counted still stands; go on from there
  } else {
    resetCount();
  }
  return true;
}

const ViewDocument::Page* ViewDocument::page(std::uint64_t base) {
  for (Page& p : pages_)
    if (p.base == base) {
      p.used = ++clock_;
      return &p;
    }
  if (pages_.size() >= kMaxPages) {
    auto oldest =
        std::min_element(pages_.begin(), pages_.end(), [](const Page& a, const Page& b) { return a.used < b.used; });
    pages_.erase(oldest);
  }
  Page p;
  p.base = base;
  p.bytes.resize(kPageSize);
  p.bytes.resize(preadAll(fd_, p.bytes.data(), kPageSize, base));
  p.used = ++clock_;
  pages_.push_back(std::move(p));
  return &pages_.back();
}

std::size_t ViewDocument::read(std::uint64_t offset, char* out, std::size_t n) {
  std::size_t got = 0;
  while (got < n && fd_ >= 0) {
    const std::uint64_t at = offset + got;
    const Page* p = page(at - at % kPageSize);
    const std::uint64_t within = at - p->base;
    if (within >= p->bytes.size()) break;
    const std::size_t take = std::min<std::size_t>(n - got, p->bytes.size() - within);
    std::memcpy(out + got, p->bytes.data() + within, take);
    got += take;
  }
  return got;
}

std::optional<std::uint64_t> ViewDocument::findByte(std::uint64_t from, char byte) {
  std::uint64_t at = from;
  while (at < size_ && fd_ >= 0) {
    const Page* p = page(at - at % kPageSize);
    const std::uint64_t within = at - p->base;
    if (within >= p->bytes.size()) return std::nullopt;
    const void* hit = std::memchr(p->bytes.data() + within, byte, p->bytes.size() - within);
    if (hit) return p->base + static_cast<std::uint64_t>(static_cast<const char*>(hit) - p->bytes.data());
    at = p->base + p->bytes.size();
  }
  return std::nullopt;
}

std::optional<std::uint64_t> ViewDocument::findByteBackward(std::uint64_t before, char byte) {
  std::uint64_t end = std::min(before, size_);
  while (end > 0 && fd_ >= 0) {
    const std::uint64_t base = (end - 1) - (end - 1) % kPageSize;
    const Page* p = page(base);
    const std::uint64_t n = std::min<std::uint64_t>(end - base, p->bytes.size());
    if (n > 0) {
      const void* hit = ::memrchr(p->bytes.data(), byte, n);
      if (hit) return base + static_cast<std::uint64_t>(static_cast<const char*>(hit) - p->bytes.data());
    }
    end = base;
  }
  return std::nullopt;
}

std::uint64_t ViewDocument::keyOfOffset(std::uint64_t offset) {
  if (size_ == 0) return 0;
  offset = std::min(offset, size_ - 1);
  if (hex_) return offset / 16;
  const auto nl = findByteBackward(offset, '\n');
  return nl ? *nl + 1 : 0;
}

std::uint64_t ViewDocument::last() { return size_ == 0 ? 0 : keyOfOffset(size_ - 1); }

std::optional<std::uint64_t> ViewDocument::next(std::uint64_t key) {
  if (hex_) {
    if ((key + 1) * 16 < size_) return key + 1;
    return std::nullopt;
  }
  const auto nl = findByte(key, '\n');
  if (!nl || *nl + 1 >= size_) return std::nullopt;
  return *nl + 1;
}

std::optional<std::uint64_t> ViewDocument::previous(std::uint64_t key) {
  if (key == 0) return std::nullopt;
  if (hex_) return key - 1;
  return keyOfOffset(key - 1);
}

QString ViewDocument::text(std::uint64_t key, int maxChars) {
  QString out;
  if (hex_) {
    unsigned char bytes[16];
    const std::size_t n = read(key * 16, reinterpret_cast<char*>(bytes), 16);
    const int digits = hexDigits(size_);
    out = QStringLiteral("%1  ").arg(key * 16, digits, 16, QLatin1Char('0')).toUpper();
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < 16; ++i) {
      if (i == 8) out += QLatin1Char(' ');
      if (i < n) {
        out += QLatin1Char(kHex[bytes[i] >> 4]);
        out += QLatin1Char(kHex[bytes[i] & 15]);
        out += QLatin1Char(' ');
      } else {
        out += QStringLiteral("   ");
      }
    }
    out += QLatin1Char(' ');
    for (std::size_t i = 0; i < n; ++i)
      out += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? QChar(bytes[i]) : QLatin1Char('.');
    return out;
  }
  std::string bytes(static_cast<std::size_t>(std::max(maxChars, 0)), '\0');
  bytes.resize(read(key, bytes.data(), bytes.size()));
  const auto nl = bytes.find('\n');
  if (nl != std::string::npos) bytes.resize(nl);
  if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (char c : bytes) {
    if (out.size() >= maxChars) break;
    const auto b = static_cast<unsigned char>(c);
    if (b == '\t') {
      const qsizetype n = tabs_ ? tabSize_ - out.size() % tabSize_ : 1;
      out += QString(n, QLatin1Char(' '));
    } else {
      out += shown(b);
    }
  }
  if (out.size() > maxChars) out.truncate(maxChars);
  return out;
}

ViewDocument::Spot ViewDocument::spotOf(std::uint64_t offset) {
  Spot spot;
  spot.key = keyOfOffset(offset);
  if (hex_) {
    spot.column = hexColumn(static_cast<int>(offset % 16), hexDigits(size_));
    return spot;
  }
  const std::uint64_t bytes = std::min<std::uint64_t>(offset - spot.key, 1 << 20);
  std::string head(static_cast<std::size_t>(bytes), '\0');
  head.resize(read(spot.key, head.data(), head.size()));
  int column = 0;
  for (char c : head) column += (c == '\t' && tabs_) ? tabSize_ - column % tabSize_ : 1;
  spot.column = column;
  return spot;
}

std::uint64_t ViewDocument::offsetOf(std::uint64_t key, int column) {
  if (hex_) {
    const int digits = hexDigits(size_);
    int byte = 0;
    while (byte < 15 && hexColumn(byte + 1, digits) <= column) ++byte;
    return std::min(key * 16 + static_cast<std::uint64_t>(byte), size_);
  }
  std::uint64_t at = key;
  int shownColumn = 0;
  char c = 0;
  while (shownColumn < column && at < size_ && read(at, &c, 1) == 1 && c != '\n') {
    shownColumn += (c == '\t' && tabs_) ? tabSize_ - shownColumn % tabSize_ : 1;
    ++at;
  }
  return at;
}

std::optional<std::uint64_t> ViewDocument::lineCount() const {
  if (hex_) return (size_ + 15) / 16;
  if (!counted_) return std::nullopt;
  return newlines_ + (lastLineOpen_ ? 1 : 0);
}

bool ViewDocument::countSlice(std::uint64_t bytes) {
  if (counted_ || fd_ < 0) return true;
  if (countBuffer_.empty()) countBuffer_.resize(kChunk);
  std::uint64_t done = 0;
  while (frontier_ < size_ && done < bytes) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>({kChunk, size_ - frontier_, bytes - done}));
    const std::size_t got = preadAll(fd_, countBuffer_.data(), want, frontier_);
    if (got == 0) break;  // the file shrank; refresh() starts again
    const char* base = countBuffer_.data();
    // Blocks without a checkpoint in them are only counted; the others are walked.
    constexpr std::size_t kBlock = 512;
    for (std::size_t at = 0; at < got; at += kBlock) {
      const std::size_t n = std::min(kBlock, got - at);
      const std::uint64_t inBlock = newlinesIn(base + at, n);
      if (newlines_ % kCheckpointEvery + inBlock < kCheckpointEvery) {
        newlines_ += inBlock;
        continue;
      }
      const char* p = base + at;
      const char* end = p + n;
      while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
        p = static_cast<const char*>(hit) + 1;
        if (++newlines_ % kCheckpointEvery == 0)
          checkpoints_.push_back(frontier_ + static_cast<std::uint64_t>(p - base));
      }
    }
    lastLineOpen_ = countBuffer_[got - 1] != '\n';
    frontier_ += got;
    done += got;
    if (got < want) break;
  }
  if (frontier_ >= size_ || done == 0) {
    if (frontier_ == 0) lastLineOpen_ = false;
    counted_ = true;
  }
  return counted_;
}

void ViewDocument::countAll() {
  while (!countSlice(std::uint64_t{1} << 30)) {
  }
}

std::uint64_t ViewDocument::countNewlines(std::uint64_t begin, std::uint64_t end) {
  std::uint64_t count = 0;
  std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, end > begin ? end - begin : 1)));
  while (begin < end && fd_ >= 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), end - begin));
    const std::size_t got = preadAll(fd_, buffer.data(), want, begin);
    if (got == 0) break;
    const char* p = buffer.data();
    const char* e = p + got;
    while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(e - p))) {
      p = static_cast<const char*>(hit) + 1;
      ++count;
    }
    begin += got;
  }
  return count;
}

std::optional<std::uint64_t> ViewDocument::lineNumber(std::uint64_t key) {
  if (hex_) return key;
  if (!counted_ && key > frontier_) return std::nullopt;
  const auto it = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), key);
  const auto k = static_cast<std::uint64_t>(it - checkpoints_.begin()) - 1;
  if (key - checkpoints_[k] < kPageSize) {
    // Short distances through the page cache, which the view keeps warm anyway.
    std::uint64_t n = 0;
    for (std::uint64_t at = checkpoints_[k]; at < key;) {
      const auto nl = findByte(at, '\n');
      if (!nl || *nl >= key) break;
      ++n;
      at = *nl + 1;
    }
    return k * kCheckpointEvery + n;
  }
  return k * kCheckpointEvery + countNewlines(checkpoints_[k], key);
}

std::uint64_t ViewDocument::keyOfLine(std::uint64_t n) {
  if (hex_) return std::min(n, size_ == 0 ? 0 : (size_ - 1) / 16);
  // Counted past line n, so that its number is known afterwards.
  while (!counted_ && checkpoints_.size() <= n / kCheckpointEvery + 1) countSlice(64 * kChunk);
  const std::uint64_t k = std::min<std::uint64_t>(n / kCheckpointEvery, checkpoints_.size() - 1);
  std::uint64_t key = checkpoints_[k];
  if (key >= size_) return last();
  for (std::uint64_t i = k * kCheckpointEvery; i < n; ++i) {
    const auto nx = next(key);
    if (!nx) break;
    key = *nx;
  }
  return key;
}

std::optional<std::uint64_t> ViewDocument::find(const std::string& needle, std::uint64_t from, bool backward,
                                                bool matchCase) {
  const std::size_t len = needle.size();
  if (len == 0 || fd_ < 0 || size_ < len) return std::nullopt;
  std::string pattern = needle;
  if (!matchCase) lowerAll(pattern.data(), pattern.size());
  std::vector<char> buffer(kChunk + len - 1);
  if (!backward) {
    for (std::uint64_t pos = from; pos + len <= size_;) {
      const std::size_t got = preadAll(fd_, buffer.data(), buffer.size(), pos);
      if (got < len) break;
      if (!matchCase) lowerAll(buffer.data(), got);
      if (const void* hit = ::memmem(buffer.data(), got, pattern.data(), len))
        return pos + static_cast<std::uint64_t>(static_cast<const char*>(hit) - buffer.data());
      if (got < buffer.size()) break;
      pos += kChunk;
    }
    return std::nullopt;
  }
  if (from == 0) return std::nullopt;
  // Matches starting before `from` end before from + len - 1.
  std::uint64_t hi = std::min<std::uint64_t>(size_, from - 1 + len);
  while (hi >= len) {
    const std::uint64_t lo = hi > buffer.size() ? hi - buffer.size() : 0;
    const std::size_t got = preadAll(fd_, buffer.data(), static_cast<std::size_t>(hi - lo), lo);
    if (!matchCase) lowerAll(buffer.data(), got);
    const std::uint64_t limit = from - 1 - lo;  // the latest start allowed, within the buffer
    if (auto at = lastMatch(buffer.data(), got, pattern, static_cast<std::size_t>(limit))) return lo + *at;
    if (lo == 0) break;
    hi = lo + len - 1;
  }
  return std::nullopt;
}

}  // namespace roomvale
