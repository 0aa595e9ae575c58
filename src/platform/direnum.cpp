#include "platform/direnum.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>

#include "platform/mountid.h"

namespace roomvale::platform {

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Length of the UTF-8 character starting at `i`; 1 for a byte that does not start a valid
// sequence, so that any byte string can be matched.
size_t charLength(std::string_view s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  size_t len = 1;
  if (c >= 0xC2 && c <= 0xDF)
    len = 2;
  else if (c >= 0xE0 && c <= 0xEF)
    len = 3;
  else if (c >= 0xF0 && c <= 0xF4)
    len = 4;
  if (i + len > s.size()) return 1;
  for (size_t k = 1; k < len; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  return len;
}

bool globMatch(std::string_view name, std::string_view pat) {
  size_t n = 0, p = 0;
  size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pat.size() && pat[p] == '*') {
      starP = p++;
      starN = n;
      continue;
    }
    if (p < pat.size() && pat[p] == '?') {
      n += charLength(name, n);
      ++p;
      continue;
    }
    if (p < pat.size() && lowerAscii(pat[p]) == lowerAscii(name[n])) {
      ++n;
      ++p;
      continue;
    }
    if (starP == std::string_view::npos) return false;
    p = starP + 1;
    starN += charLength(name, starN);
    n = starN;
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

bool isMatchAll(std::string_view pattern) { return pattern.empty() || pattern == "*" || pattern == "*.*"; }

FileTime fromStatx(const statx_timestamp& t) { return FileTime{t.tv_sec, static_cast<std::int32_t>(t.tv_nsec), true}; }

constexpr unsigned kStatxMask = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_BLOCKS | STATX_ATIME |
                                STATX_MTIME | STATX_BTIME | STATX_MNT_ID;

// Fills everything but the name from one statx call; false when the object is gone or
// cannot be examined.
bool fillFromStatx(int dirfd, const char* name, DirEntry& e, std::uint64_t rootDevice, bool compareWithParent,
                   int parentFd, std::uint64_t folderMount = 0) {
  struct statx sx;
  if (::statx(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &sx) != 0) return false;
  const mode_t mode = sx.stx_mode;
  e.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  e.mountId = (sx.stx_mask & STATX_MNT_ID) && statxMountIdsEnabled() ? sx.stx_mnt_id : 0;
  e.inode = sx.stx_ino;
  e.allocated = static_cast<std::uint64_t>(sx.stx_blocks) * 512;
  e.writeTime = fromStatx(sx.stx_mtime);
  e.accessTime = fromStatx(sx.stx_atime);
  e.creationTime = {};
  // A birth time of zero is what some file systems give when they never recorded one.
  if ((sx.stx_mask & STATX_BTIME) && (sx.stx_btime.tv_sec != 0 || sx.stx_btime.tv_nsec != 0))
    e.creationTime = fromStatx(sx.stx_btime);

  std::uint32_t attr = 0;
  if (name[0] == '.') attr |= kAttrHidden;
  if (!(mode & S_IWUSR)) attr |= kAttrReadOnly;
  if (S_ISREG(mode)) {
    attr |= kAttrArchive;
    e.size = sx.stx_size;
  } else if (S_ISDIR(mode)) {
    attr |= kAttrDirectory;
    e.size = 0;
    std::uint64_t against = rootDevice;
    if (compareWithParent) {
      struct stat parent {};
      if (::fstatat(parentFd, ".", &parent, 0) == 0) against = parent.st_dev;
    }
    if (against != 0 && e.device != against) attr |= kAttrSystem;
    // A mount point, a bind mount of the same file system included.
    if (folderMount != 0 && e.mountId != 0 && e.mountId != folderMount) attr |= kAttrSystem;
  } else {
    attr |= kAttrSystem;  // link, device, FIFO, socket
    e.size = sx.stx_size;
  }
  e.attr = attr;
  return true;
}

}  // namespace

bool matchesPattern(std::string_view name, std::string_view pattern) {
  if (isMatchAll(pattern)) return true;
  const bool hasDot = name.find('.') != std::string_view::npos;
  // "name." and "*." ask for names without an extension.
  if (pattern.back() == '.') return !hasDot && globMatch(name, pattern.substr(0, pattern.size() - 1));
  if (globMatch(name, pattern)) return true;
  // "name.*" also matches "name" itself.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && !hasDot)
    return globMatch(name, pattern.substr(0, pattern.size() - 2));
  return false;
}

namespace {

std::optional<std::uint32_t> packFat(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980 || year > 2107) return std::nullopt;
  const std::uint32_t date = (static_cast<std::uint32_t>(year - 1980) << 9) | (static_cast<std::uint32_t>(month) << 5) |
                             static_cast<std::uint32_t>(day);
  const std::uint32_t time = (static_cast<std::uint32_t>(hour) << 11) | (static_cast<std::uint32_t>(minute) << 5) |
                             static_cast<std::uint32_t>(std::min(second, 59) / 2);
  return (date << 16) | time;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// A local time from UTC seconds and a fixed offset, by the calendar's arithmetic.
struct Civil {
  int year, month, day, hour, minute, second;
  bool operator==(const Civil&) const = default;
};
Civil civilAt(std::int64_t utc, long offset) {
  const std::int64_t local = utc + offset;
  const std::int64_t days = floorDiv(local, 86400);
  const std::int64_t secs = local - days * 86400;
  // Days since 1970-01-01 to a proleptic Gregorian date (eras of 400 years).
  const std::int64_t z = days + 719468;
  const std::int64_t era = floorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
  return {
      year, month, day, static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60)};
}

Civil civilOf(const struct tm& t) { return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec}; }

}  // namespace

std::optional<std::uint32_t> toFatDateTime(const FileTime& t) {
  if (!t.valid) return std::nullopt;
  // The local-time service takes a lock and a zone lookup per call, which is much of the
  // cost per file of a walk. The offset from UTC is asked once per hour of UTC time instead;
  // an hour whose two ends disagree (a change of offset inside it) or where the arithmetic
  // does not give what the service gives (leap seconds) is left to the service. The zone
  // globals are part of the key, so a time-zone change made with tzset() counts at once.
  struct Hour {
    std::int64_t hour = INT64_MIN;
    long zone = 0;
    int dst = 0;
    const char* name = nullptr;
    long offset = 0;
    bool arithmetic = false;
  };
  thread_local Hour cached;
  const std::int64_t hour = floorDiv(t.sec, 3600);
  if (hour != cached.hour || cached.zone != ::timezone || cached.dst != ::daylight || cached.name != ::tzname[0]) {
    const time_t first = static_cast<time_t>(hour * 3600), last = first + 3599;
    struct tm a {
    }, b{};
    const bool known = ::localtime_r(&first, &a) && ::localtime_r(&last, &b);
    cached = Hour{hour, ::timezone, ::daylight, ::tzname[0], a.tm_gmtoff, false};
    cached.arithmetic = known && a.tm_gmtoff == b.tm_gmtoff && civilAt(first, a.tm_gmtoff) == civilOf(a) &&
                        civilAt(last, a.tm_gmtoff) == civilOf(b);
  }
  if (cached.arithmetic) {
    const Civil c = civilAt(t.sec, cached.offset);
    return packFat(c.year, c.month, c.day, c.hour, c.minute, c.second);
  }
  const time_t secs = static_cast<time_t>(t.sec);
  struct tm lt {};
  if (!::localtime_r(&secs, &lt)) return std::nullopt;
  return packFat(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec);
}

DirReader::~DirReader() { close(); }

DirReader::DirReader(DirReader&& other) noexcept { *this = std::move(other); }

DirReader& DirReader::operator=(DirReader&& other) noexcept {
  if (this != &other) {
    close();
    dir_ = other.dir_;
    other.dir_ = nullptr;
    pattern_ = std::move(other.pattern_);
    matchAll_ = other.matchAll_;
    request_ = other.request_;
    device_ = other.device_;
    rootDevice_ = other.rootDevice_;
    mountId_ = other.mountId_;
  }
  return *this;
}

bool DirReader::open(int dirfd, const std::string& path, std::string_view pattern, std::uint32_t request,
                     std::uint64_t rootDevice) {
  close();
  const char* p = path.empty() ? "." : path.c_str();
  const int fd = ::openat(dirfd < 0 ? AT_FDCWD : dirfd, p, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return false;
  }
  DIR* d = ::fdopendir(fd);
  if (!d) {
    ::close(fd);
    return false;
  }
  dir_ = d;
  pattern_.assign(pattern);
  matchAll_ = isMatchAll(pattern_);
  request_ = request;
  device_ = st.st_dev;
  rootDevice_ = rootDevice ? rootDevice : device_;
  mountId_ = statxMountIdsEnabled() ? mountIdOf(fd) : 0;
  return true;
}

bool DirReader::open(const std::string& path, std::string_view pattern, std::uint32_t request,
                     std::uint64_t rootDevice) {
  return open(AT_FDCWD, path, pattern, request, rootDevice);
}

bool DirReader::next(DirEntry& entry) {
  if (!dir_) return false;
  DIR* d = static_cast<DIR*>(dir_);
  const int fd = ::dirfd(d);
  for (;;) {
    const dirent* de = ::readdir(d);
    if (!de) return false;
    const char* n = de->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    // Everything that the name or the directory's own type field already rules out is
    // skipped before the (comparatively costly) statx.
    if (n[0] == '.' && !(request_ & kAttrHidden)) continue;
    switch (de->d_type) {
      case DT_DIR:
        if (!(request_ & kAttrDirectory)) continue;
        break;
      case DT_REG:
      case DT_UNKNOWN: break;
      default:
        if (!(request_ & kAttrSystem)) continue;
    }
    if (!matchAll_ && !matchesPattern(n, pattern_)) continue;
    // Gone since readdir, or not examinable (folder without search permission): not listed.
    if (!fillFromStatx(fd, n, entry, rootDevice_, false, -1, mountId_)) continue;
    if (!passesRequest(entry.attr, request_)) continue;
    entry.name.assign(n);
    return true;
  }
}

void DirReader::close() {
  if (dir_) ::closedir(static_cast<DIR*>(dir_));
  dir_ = nullptr;
}

int DirReader::fd() const { return dir_ ? ::dirfd(static_cast<DIR*>(dir_)) : -1; }

bool statEntry(int dirfd, const std::string& name, DirEntry& entry, std::uint64_t rootDevice) {
  if (name.empty()) return false;
  // A trailing "/" would make the kernel follow a final link: strip it.
  std::string path = name;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const int base = dirfd < 0 ? AT_FDCWD : dirfd;

  const auto slash = path.rfind('/');
  const std::string leaf = slash == std::string::npos ? path : (path.size() == 1 ? path : path.substr(slash + 1));
  int parentFd = base;
  bool ownParent = false;
  if (rootDevice == 0 && slash != std::string::npos && path != "/") {
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    parentFd = ::openat(base, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_PATH);
    if (parentFd < 0) return false;
    ownParent = true;
  }
  // The name decides the hidden bit, so hand the leaf to the attribute mapping.
  const bool ok = ownParent
                      ? fillFromStatx(parentFd, leaf.c_str(), entry, 0, true, parentFd)
                      : fillFromStatx(base, path.c_str(), entry, rootDevice, rootDevice == 0 && path != "/", base);
  if (ownParent) ::close(parentFd);
  if (!ok) return false;
  if (slash != std::string::npos && !ownParent) {
    // Hidden is a property of the last name, not of the path.
    entry.attr &= ~kAttrHidden;
    if (leaf[0] == '.' && path != "/") entry.attr |= kAttrHidden;
  }
  entry.name = leaf;
  return true;
}

}  // namespace roomvale::platform
