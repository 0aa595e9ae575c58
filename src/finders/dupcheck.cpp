#include "finders/dupcheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "foundation/crc.h"

namespace roomvale {

namespace {

// The first bytes every file of a run is told apart by.
constexpr std::size_t kHead = 4096;
// Small files of a run are kept in memory up to this much, so that they are read once.
constexpr std::size_t kKeepBudget = std::size_t{64} << 20;
constexpr std::size_t kReadSize = std::size_t{1} << 20;
constexpr std::size_t kCompareChunk = std::size_t{256} << 10;
constexpr std::size_t kMaxOpenCompared = 64;
constexpr std::uint64_t kTickBytes = std::uint64_t{32} << 20;

struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileId& o) const { return device == o.device && inode == o.inode; }
};
struct FileIdHash {
  std::size_t operator()(const FileId& id) const { return std::hash<std::uint64_t>()(id.inode * 31 + id.device); }
};

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  Fd& operator=(Fd&& o) noexcept {
    std::swap(fd_, o.fd_);
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Opens a regular file for reading without following a link; `id` and `size` describe what
// was opened.
Fd openRegular(const std::string& path, FileId& id, std::uint64_t& size) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd.ok()) return fd;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Fd();
  id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  size = static_cast<std::uint64_t>(st.st_size);
  return fd;
}

// Reads up to `len` bytes at `offset`; the count read, or -1 on an error.
ssize_t readAt(int fd, void* buffer, std::size_t len, std::uint64_t offset) {
  std::size_t done = 0;
  auto* p = static_cast<unsigned char*>(buffer);
  while (done < len) {
    const ssize_t n = ::pread(fd, p + done, len - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

struct Hash128 {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  bool operator==(const Hash128& o) const { return low == o.low && high == o.high; }
  bool operator<(const Hash128& o) const { return high != o.high ? high < o.high : low < o.low; }
};

// One distinct file (device and inode) of a size run.
struct Copy {
  FileId id;
  int firstRow = 0;
  bool readable = true;
  std::uint64_t headHash = 0;
  bool kept = false;  // the whole contents are in the run's buffer
  std::size_t keptOffset = 0;
  bool full = false;  // checksum and hash of the whole contents known
  std::uint32_t crc = 0;
  Hash128 hash;
  int copies = 1;
};

class Phase {
 public:
  Phase(const std::vector<ChecksumRow>& rows, const ChecksumProgress& progress, TwinCheck check, ChecksumOutcome& out)
      : rows_(rows), progress_(progress), check_(check), out_(out), buffer_(new unsigned char[kReadSize]) {}

  bool announce(int row) {
    if (progress_ && !progress_(row, static_cast<int>(rows_.size()), rows_[static_cast<std::size_t>(row)].path)) {
      out_.aborted = true;
      return false;
    }
    return true;
  }

  // Checksums only: every row's value, each distinct file read once.
  void checksumsOnly() {
    std::unordered_map<FileId, std::uint32_t, FileIdHash> known;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      if (!announce(static_cast<int>(r))) return;
      FileId id;
      std::uint64_t size = 0;
      Fd fd = openRegular(rows_[r].path, id, size);
      ++out_.filesOpened;
      if (!fd.ok()) {
        out_.crc[r] = 0;
        continue;
      }
      if (auto it = known.find(id); it != known.end()) {
        out_.crc[r] = it->second;
        continue;
      }
      std::uint32_t crc = 0;
      Hash128 unused;
      // A read error ends the file: the blocks read so far count, as fileCRC has it.
      if (!readWhole(fd.get(), static_cast<int>(r), crc, unused, false) && out_.aborted) return;
      out_.crc[r] = crc;
      known.emplace(id, crc);
    }
  }

  void eliminate() {
    std::size_t b = 0;
    while (b < rows_.size()) {
      std::size_t e = b + 1;
      while (e < rows_.size() && rows_[e].size == rows_[b].size) ++e;
      if (!run(b, e)) return;
      b = e;
    }
  }

 private:
  // Reads a whole open file: its block-sum checksum and (with `wantHash`) its 128-bit hash.
  // False on a read error or an abort.
  bool readWhole(int fd, int row, std::uint32_t& crc, Hash128& hash, bool wantHash) {
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    BlockSumCrc sum;
    XXH3_state_t* state = nullptr;
    if (wantHash) {
      state = XXH3_createState();
      XXH3_128bits_reset(state);
    }
    std::uint64_t offset = 0;
    std::uint64_t nextTick = kTickBytes;
    bool good = true;
    for (;;) {
      const ssize_t n = readAt(fd, buffer_.get(), kReadSize, offset);
      if (n < 0) {
        good = false;
        break;
      }
      if (n == 0) break;
      sum.update(buffer_.get(), static_cast<std::size_t>(n));
      if (state) XXH3_128bits_update(state, buffer_.get(), static_cast<std::size_t>(n));
      offset += static_cast<std::uint64_t>(n);
      out_.bytesRead += static_cast<std::uint64_t>(n);
      if (offset >= nextTick) {
        nextTick += kTickBytes;
        if (!announce(row)) {
          good = false;
          break;
        }
      }
    }
    crc = sum.value();
    if (state) {
      const XXH128_hash_t h = XXH3_128bits_digest(state);
      hash = {h.low64, h.high64};
      XXH3_freeState(state);
    }
    return good;
  }

  // One size run, rows [b, e).
  bool run(std::size_t b, std::size_t e) {
    const std::uint64_t size = rows_[b].size;
    std::vector<Copy> copies;
    std::vector<int> copyOfRow(e - b, -1);
    std::unordered_map<FileId, int, FileIdHash> byId;
    const bool keepSmall = size <= kHead && (e - b) * size <= kKeepBudget;
    std::string kept;
    for (std::size_t r = b; r < e; ++r) {
      if (!announce(static_cast<int>(r))) return false;
      FileId id;
      std::uint64_t actual = 0;
      Fd fd = openRegular(rows_[r].path, id, actual);
      ++out_.filesOpened;
      // A file that is gone, unreadable or no longer of its listed size has no twin.
      if (!fd.ok() || actual != size) continue;
      if (auto it = byId.find(id); it != byId.end()) {
        copyOfRow[r - b] = it->second;
        continue;
      }
      Copy copy;
      copy.id = id;
      copy.firstRow = static_cast<int>(r);
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, kHead));
      const ssize_t n = readAt(fd.get(), buffer_.get(), want, 0);
      if (n != static_cast<ssize_t>(want)) continue;
      out_.bytesRead += want;
      copy.headHash = XXH3_64bits(buffer_.get(), want);
      if (keepSmall) {
        copy.kept = true;
        copy.keptOffset = kept.size();
        kept.append(reinterpret_cast<const char*>(buffer_.get()), want);
      }
      byId.emplace(id, static_cast<int>(copies.size()));
      copyOfRow[r - b] = static_cast<int>(copies.size());
      copies.push_back(copy);
    }

    // Copies whose first bytes another copy shares are the candidates.
    std::vector<int> order(copies.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int x, int y) {
      return copies[static_cast<std::size_t>(x)].headHash < copies[static_cast<std::size_t>(y)].headHash;
    });
    std::size_t s = 0;
    while (s < order.size()) {
      std::size_t t = s + 1;
      while (t < order.size() &&
             copies[static_cast<std::size_t>(order[t])].headHash == copies[static_cast<std::size_t>(order[s])].headHash)
        ++t;
      if (t - s >= 2) {
        std::vector<int> group(order.begin() + static_cast<std::ptrdiff_t>(s),
                               order.begin() + static_cast<std::ptrdiff_t>(t));
        if (!settle(copies, group, kept, size)) return false;
      }
      s = t;
    }

    for (std::size_t r = b; r < e; ++r) {
      const int c = copyOfRow[r - b];
      if (c < 0) {
        out_.copies[r] = 1;
        out_.crc[r] = 0;  // what fileCRC gives an unreadable file
        continue;
      }
      const Copy& copy = copies[static_cast<std::size_t>(c)];
      out_.copies[r] = copy.readable ? copy.copies : 1;
      if (copy.full) out_.crc[r] = copy.crc;
    }
    return true;
  }

  // Copies with equal first bytes: their checksums, then their classes of identical contents.
  bool settle(std::vector<Copy>& copies, const std::vector<int>& group, const std::string& kept, std::uint64_t size) {
    if (check_ == TwinCheck::Bytes && !copies[static_cast<std::size_t>(group.front())].kept &&
        group.size() <= kMaxOpenCompared)
      return streamClasses(copies, group, size);
    std::vector<int> live;
    for (int c : group) {
      Copy& copy = copies[static_cast<std::size_t>(c)];
      if (copy.kept) {
        BlockSumCrc sum;
        sum.update(kept.data() + copy.keptOffset, static_cast<std::size_t>(size));
        copy.crc = sum.value();
        copy.full = true;
        live.push_back(c);
        continue;
      }
      FileId id;
      std::uint64_t actual = 0;
      Fd fd = openRegular(rows_[static_cast<std::size_t>(copy.firstRow)].path, id, actual);
      ++out_.filesOpened;
      if (!fd.ok() || !(id == copy.id) || actual != size) {
        copy.readable = false;
        continue;
      }
      if (!readWhole(fd.get(), copy.firstRow, copy.crc, copy.hash, true)) {
        if (out_.aborted) return false;
        copy.readable = false;
        continue;
      }
      copy.full = true;
      live.push_back(c);
    }

    // Classes: equal checksum and hash, then (for Bytes) equal bytes.
    std::sort(live.begin(), live.end(), [&](int x, int y) {
      const Copy& a = copies[static_cast<std::size_t>(x)];
      const Copy& b = copies[static_cast<std::size_t>(y)];
      if (a.crc != b.crc) return a.crc < b.crc;
      return a.hash < b.hash;
    });
    std::size_t s = 0;
    while (s < live.size()) {
      std::size_t t = s + 1;
      const Copy& first = copies[static_cast<std::size_t>(live[s])];
      while (t < live.size() && copies[static_cast<std::size_t>(live[t])].crc == first.crc &&
             copies[static_cast<std::size_t>(live[t])].hash == first.hash)
        ++t;
      std::vector<int> same(live.begin() + static_cast<std::ptrdiff_t>(s),
                            live.begin() + static_cast<std::ptrdiff_t>(t));
      if (same.size() >= 2 && !classify(copies, same, kept, size)) return false;
      s = t;
    }
    return true;
  }

  // Reads the copies of a group side by side, once: each one's checksum, and classes of
  // identical bytes that split wherever a chunk differs. A copy left alone in its class is
  // settled (no twin) and read no further.
  bool streamClasses(std::vector<Copy>& copies, const std::vector<int>& group, std::uint64_t size) {
    const std::size_t n = group.size();
    std::vector<Fd> fds(n);
    std::vector<BlockSumCrc> sums(n);
    std::vector<std::vector<std::size_t>> classes(1);
    for (std::size_t i = 0; i < n; ++i) {
      Copy& copy = copies[static_cast<std::size_t>(group[i])];
      FileId id;
      std::uint64_t actual = 0;
      fds[i] = openRegular(rows_[static_cast<std::size_t>(copy.firstRow)].path, id, actual);
      ++out_.filesOpened;
      if (fds[i].ok() && id == copy.id && actual == size)
        classes[0].push_back(i);
      else
        copy.readable = false;
    }
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, kCompareChunk));
    if (chunks_.size() < n * chunk) chunks_.resize(n * chunk);
    auto buf = [&](std::size_t i) { return chunks_.data() + i * chunk; };
    std::uint64_t nextTick = kTickBytes;
    for (std::uint64_t offset = 0; offset < size && !classes.empty(); offset += chunk) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, size - offset));
      std::vector<std::vector<std::size_t>> next;
      for (const std::vector<std::size_t>& cls : classes) {
        std::vector<std::size_t> left;
        for (std::size_t i : cls) {
          if (readAt(fds[i].get(), buf(i), want, offset) != static_cast<ssize_t>(want)) {
            copies[static_cast<std::size_t>(group[i])].readable = false;
            continue;
          }
          out_.bytesRead += want;
          sums[i].update(buf(i), want);
          left.push_back(i);
        }
        while (left.size() >= 2) {
          std::vector<std::size_t> same{left.front()};
          std::vector<std::size_t> rest;
          for (std::size_t k = 1; k < left.size(); ++k)
            (std::memcmp(buf(left.front()), buf(left[k]), want) == 0 ? same : rest).push_back(left[k]);
          if (same.size() >= 2) next.push_back(std::move(same));
          left = std::move(rest);
        }
      }
      classes = std::move(next);
      if (offset + want >= nextTick) {
        nextTick += kTickBytes;
        if (!announce(copies[static_cast<std::size_t>(group.front())].firstRow)) return false;
      }
    }
    for (std::vector<std::size_t>& cls : classes) {
      // A file that grew since it was listed is not a twin.
      std::vector<std::size_t> ended;
      for (std::size_t i : cls) {
        unsigned char probe;
        if (readAt(fds[i].get(), &probe, 1, size) == 0) ended.push_back(i);
      }
      if (ended.size() < 2) continue;
      for (std::size_t i : ended) {
        Copy& copy = copies[static_cast<std::size_t>(group[i])];
        copy.crc = sums[i].value();
        copy.full = true;
        copy.copies = static_cast<int>(ended.size());
      }
    }
    return true;
  }

  // Splits copies of equal checksum and hash into classes of identical bytes and gives each
  // copy the size of its class.
  bool classify(std::vector<Copy>& copies, std::vector<int> left, const std::string& kept, std::uint64_t size) {
    while (left.size() >= 2) {
      std::vector<int> cls{left.front()};
      std::vector<int> rest;
      const Copy& rep = copies[static_cast<std::size_t>(left.front())];
      if (rep.kept) {
        for (std::size_t i = 1; i < left.size(); ++i) {
          const Copy& c = copies[static_cast<std::size_t>(left[i])];
          const bool same = std::memcmp(kept.data() + rep.keptOffset, kept.data() + c.keptOffset,
                                        static_cast<std::size_t>(size)) == 0;
          (same ? cls : rest).push_back(left[i]);
        }
      } else if (check_ == TwinCheck::Hash128) {
        cls = left;
      } else {
        std::vector<int> others(left.begin() + 1, left.end());
        for (std::size_t at = 0; at < others.size(); at += kMaxOpenCompared) {
          std::vector<int> part(
              others.begin() + static_cast<std::ptrdiff_t>(at),
              others.begin() + static_cast<std::ptrdiff_t>(std::min(others.size(), at + kMaxOpenCompared)));
          std::vector<bool> same;
          if (!compareBytes(copies, left.front(), part, size, same)) return false;
          for (std::size_t i = 0; i < part.size(); ++i) (same[i] ? cls : rest).push_back(part[i]);
        }
      }
      for (int c : cls) copies[static_cast<std::size_t>(c)].copies = static_cast<int>(cls.size());
      left = std::move(rest);
    }
    return true;
  }

  // Streams the representative and each member side by side; `same[i]` tells whether member
  // i has exactly the representative's bytes. A member that cannot be read differs; a
  // representative that cannot be read any more leaves every member different.
  bool compareBytes(std::vector<Copy>& copies, int repIndex, const std::vector<int>& members, std::uint64_t size,
                    std::vector<bool>& same) {
    same.assign(members.size(), false);
    const Copy& rep = copies[static_cast<std::size_t>(repIndex)];
    FileId id;
    std::uint64_t actual = 0;
    Fd repFd = openRegular(rows_[static_cast<std::size_t>(rep.firstRow)].path, id, actual);
    ++out_.filesOpened;
    if (!repFd.ok() || !(id == rep.id) || actual != size) return true;
    std::vector<Fd> fds;
    std::vector<bool> alive(members.size(), false);
    for (std::size_t i = 0; i < members.size(); ++i) {
      const Copy& c = copies[static_cast<std::size_t>(members[i])];
      FileId mid;
      std::uint64_t msize = 0;
      fds.push_back(openRegular(rows_[static_cast<std::size_t>(c.firstRow)].path, mid, msize));
      ++out_.filesOpened;
      alive[i] = fds.back().ok() && mid == c.id && msize == size;
    }
    if (!compareBuffer_) compareBuffer_.reset(new unsigned char[kCompareChunk]);
    std::unique_ptr<unsigned char[]> repChunk(new unsigned char[kCompareChunk]);
    std::uint64_t nextTick = kTickBytes;
    for (std::uint64_t offset = 0; offset < size; offset += kCompareChunk) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kCompareChunk, size - offset));
      if (readAt(repFd.get(), repChunk.get(), want, offset) != static_cast<ssize_t>(want)) return true;
      out_.bytesRead += want;
      bool any = false;
      for (std::size_t i = 0; i < members.size(); ++i) {
        if (!alive[i]) continue;
        const ssize_t n = readAt(fds[i].get(), compareBuffer_.get(), want, offset);
        out_.bytesRead += want;
        alive[i] = n == static_cast<ssize_t>(want) && std::memcmp(repChunk.get(), compareBuffer_.get(), want) == 0;
        any = any || alive[i];
      }
      if (!any) return true;
      if (offset >= nextTick) {
        nextTick += kTickBytes;
        if (!announce(rep.firstRow)) return false;
      }
    }
    // Both ended where the listed size ends; a file that grew meanwhile is not a twin.
    for (std::size_t i = 0; i < members.size(); ++i) {
      if (!alive[i]) continue;
      unsigned char probe;
      same[i] = readAt(fds[i].get(), &probe, 1, size) == 0;
    }
    return true;
  }

  const std::vector<ChecksumRow>& rows_;
  const ChecksumProgress& progress_;
  TwinCheck check_;
  ChecksumOutcome& out_;
  std::unique_ptr<unsigned char[]> buffer_;
  std::unique_ptr<unsigned char[]> compareBuffer_;
  std::vector<unsigned char> chunks_;
};

}  // namespace

ChecksumOutcome computeChecksums(const std::vector<ChecksumRow>& rows, bool eliminate, const ChecksumProgress& progress,
                                 TwinCheck check) {
  ChecksumOutcome out;
  out.crc.assign(rows.size(), std::nullopt);
  if (eliminate) out.copies.assign(rows.size(), 1);
  Phase phase(rows, progress, check, out);
  if (eliminate)
    phase.eliminate();
  else
    phase.checksumsOnly();
  return out;
}

QString twinCountText(std::uint32_t crc, int copies) {
  return crcText(crc) + QStringLiteral(" - ") + QString::number(copies) + QLatin1Char('.');
}

}  // namespace roomvale
