#include "archive/zipreader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "archive/ziperror.h"
#include "archive/zipnames.h"
#include "platform/paths.h"

namespace roomvale {

namespace {

constexpr std::size_t kChunk = std::size_t{256} * 1024;
constexpr zip_uint16_t kExtendedTimestamp = 0x5455;

QString sysText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QString zipText(zip_error_t* e) { return QString::fromUtf8(zip_error_strerror(e)); }

bool writeAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t done = ::write(fd, p, n);
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += done;
    n -= static_cast<std::size_t>(done);
  }
  return true;
}

// Moves the finished temporary file to its name without replacing anything that is there.
// Returns 0 or an errno value (EEXIST: something is there now).
int placeWithoutReplacing(int dirfd, const char* temp, const char* name) {
  if (::renameat2(dirfd, temp, dirfd, name, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
  // A file system without it: a hard link never replaces either.
  if (::linkat(dirfd, temp, dirfd, name, 0) == 0) {
    ::unlinkat(dirfd, temp, 0);
    return 0;
  }
  if (errno == EEXIST) return EEXIST;
  // No hard links either (FAT): look, then rename.
  struct stat st {};
  if (::fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  return ::renameat(dirfd, temp, dirfd, name) == 0 ? 0 : errno;
}

// A fresh temporary file in `dirfd`; its name goes to `temp`. -1 with errno on failure.
int createTemporary(int dirfd, std::string& temp) {
  static unsigned counter = 0;
  for (int tries = 0; tries < 100; ++tries) {
    char name[64];
    std::snprintf(name, sizeof name, ".roomvale-restore-%d-%u.part", static_cast<int>(::getpid()), ++counter);
    const int fd = ::openat(dirfd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      temp = name;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

ZipReader::~ZipReader() { close(); }

bool ZipReader::open(const std::string& path, QString* why) {
  close();
  auto failWith = [&](const QString& text) {
    if (why) *why = text;
    return false;
  };
  // Not blocking on open, so that a pipe posing as an archive cannot hang the window.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return failWith(sysText(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return failWith(zipErrorText(ZIP_ER_NOZIP));
  }
  int err = 0;
  za_ = zip_fdopen(fd, 0, &err);
  if (!za_) {
    ::close(fd);
    return failWith(zipErrorText(err));
  }
  path_ = path;
  return true;
}

void ZipReader::close() {
  if (za_) zip_discard(za_);
  za_ = nullptr;
  path_.clear();
}

std::uint64_t ZipReader::count() const {
  if (!za_) return 0;
  return static_cast<std::uint64_t>(std::max<zip_int64_t>(0, zip_get_num_entries(za_, 0)));
}

QString ZipReader::comment() const {
  if (!za_) return {};
  int length = 0;
  const char* text = zip_get_archive_comment(za_, &length, ZIP_FL_ENC_RAW);
  if (!text || length <= 0) return {};
  return platform::toDisplay(std::string(text, static_cast<std::size_t>(length)));
}

std::vector<ZipEntryInfo> ZipReader::entries() const {
  std::vector<ZipEntryInfo> out;
  const std::uint64_t n = count();
  out.reserve(static_cast<std::size_t>(n));
  for (std::uint64_t i = 0; i < n; ++i) {
    zip_stat_t st;
    if (zip_stat_index(za_, i, ZIP_FL_ENC_RAW, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) continue;
    ZipEntryInfo e;
    e.name = st.name;
    e.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    e.compSize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
    e.mtime = entryModificationTime(za_, i, (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0);
    e.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
    e.folder = !e.name.empty() && e.name.back() == '/';
    out.push_back(std::move(e));
  }
  return out;
}

std::time_t entryModificationTime(zip* za, std::uint64_t index, std::time_t dosTime) {
  zip_uint16_t length = 0;
  const zip_uint8_t* field = zip_file_extra_field_get_by_id(za, index, kExtendedTimestamp, 0, &length, ZIP_FL_CENTRAL);
  // A flags byte, then (when its bit 0 is set) the modification time as a signed 32-bit count.
  if (!field || length < 5 || !(field[0] & 1)) return dosTime;
  const std::uint32_t raw = std::uint32_t(field[1]) | (std::uint32_t(field[2]) << 8) | (std::uint32_t(field[3]) << 16) |
                            (std::uint32_t(field[4]) << 24);
  return static_cast<std::time_t>(static_cast<std::int32_t>(raw));
}

bool ZipRestorer::aborted() {
  if (!summary_.aborted && hooks_.aborted && hooks_.aborted()) summary_.aborted = true;
  return summary_.aborted;
}

void ZipRestorer::progress(std::uint64_t bytes) {
  doneBytes_ += bytes;
  if (!hooks_.progress) return;
  const std::uint64_t total = std::max<std::uint64_t>(totalBytes_, 1);
  hooks_.progress(static_cast<int>(std::min<std::uint64_t>(doneBytes_, total) * 100 / total));
}

void ZipRestorer::fail(const std::string& name, const QString& detail) {
  ++summary_.failed;
  if (hooks_.failed) hooks_.failed(name, detail);
}

bool ZipRestorer::keepExisting(const std::string& name, const std::string& target) {
  if (keepAll_) return true;
  if (replaceAll_) return false;
  // Without anyone to ask, nothing is replaced.
  const RestoreHooks::Replace answer = hooks_.replace ? hooks_.replace(name, target) : RestoreHooks::Replace::No;
  switch (answer) {
    case RestoreHooks::Replace::Yes: return false;
    case RestoreHooks::Replace::YesToAll: replaceAll_ = true; return false;
    case RestoreHooks::Replace::NoToAll: keepAll_ = true; return true;
    case RestoreHooks::Replace::No: return true;
  }
  return true;
}

RestoreSummary ZipRestorer::run(const ZipReader& archive, const std::string& destination) {
  summary_ = {};
  doneBytes_ = totalBytes_ = 0;
  replaceAll_ = keepAll_ = noDuplicateWarnings_ = false;
  destination_ = destination;
  zip_t* za = archive.handle();
  if (!za) return summary_;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  defaultMode_ = 0666 & ~mask;
  buffer_.resize(kChunk);

  const std::uint64_t n = archive.count();
  for (std::uint64_t i = 0; i < n; ++i) {
    zip_stat_t st;
    if (zip_stat_index(za, i, 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) totalBytes_ += st.size;
  }
  // The folder itself need not be writable ("/" is not, for most users): the folders
  // below it that receive files must be.
  if (const int e = folders_.open(destination); e != 0) {
    // One report instead of the same failure for every entry.
    folders_.close();
    summary_.destinationError = sysText(e);
    return summary_;
  }
  std::unordered_set<std::string> seen;
  for (std::uint64_t i = 0; i < n && !aborted(); ++i) {
    const char* raw = zip_get_name(za, i, ZIP_FL_ENC_RAW);
    if (raw && !seen.insert(raw).second) {
      // A second entry of one name would silently take the first one's place.
      ++summary_.skipped;
      if (!noDuplicateWarnings_ && hooks_.duplicate) noDuplicateWarnings_ = hooks_.duplicate(raw);
      continue;
    }
    restoreEntry(za, i);
  }
  folders_.close();
  if (!summary_.aborted && hooks_.progress) hooks_.progress(100);
  return summary_;
}

void ZipRestorer::restoreEntry(zip_t* za, std::uint64_t index) {
  zip_stat_t st;
  if (zip_stat_index(za, index, ZIP_FL_ENC_RAW, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
    fail(std::string(), zipText(zip_get_error(za)));
    return;
  }
  const std::string name = st.name;
  const bool named = !name.empty() && name.back() == '/';
  const std::string path = named ? name.substr(0, name.size() - 1) : name;

  mode_t mode = 0;
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(za, index, 0, &system, &attributes) == 0 && system == ZIP_OPSYS_UNIX)
    mode = static_cast<mode_t>(attributes >> 16);
  const bool folder = named || S_ISDIR(mode);
  if (!folder) ++summary_.files;
  // Only plain files and folders come back: a stored link could point anywhere.
  if (!isSafeEntryName(path) || ((mode & S_IFMT) != 0 && !S_ISREG(mode) && !S_ISDIR(mode))) {
    fail(name, {});
    return;
  }
  if (folder) {
    const auto f = folders_.folder(path, true);
    if (f.outcome != platform::DestinationFolders::Outcome::Opened)
      fail(name, f.outcome == platform::DestinationFolders::Outcome::Failed ? sysText(f.error) : QString());
    return;
  }

  const auto slash = path.rfind('/');
  const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  const auto f =
      folders_.folder(slash == std::string::npos ? std::string_view() : std::string_view(path).substr(0, slash), true);
  if (f.outcome != platform::DestinationFolders::Outcome::Opened) {
    fail(name, f.outcome == platform::DestinationFolders::Outcome::Failed ? sysText(f.error) : QString());
    return;
  }
  const int dirfd = f.fd;
  const std::string target = platform::joinPath(destination_, path);

  struct stat existing {};
  bool replace = false;
  if (::fstatat(dirfd, leaf.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(existing.st_mode)) {
      fail(name, sysText(EISDIR));
      return;
    }
    if (keepExisting(name, target)) {
      ++summary_.skipped;
      progress(st.size);
      return;
    }
    replace = true;
  }

  std::string temp;
  const int fd = createTemporary(dirfd, temp);
  if (fd < 0) {
    fail(name, sysText(errno));
    return;
  }
  auto discard = [&] { ::unlinkat(dirfd, temp.c_str(), 0); };
  QString detail;
  const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
  const Copied copied = copyEntry(za, index, name, fd, st.size, st.crc, encrypted, detail);
  if (copied != Copied::Ok) {
    ::close(fd);
    discard();
    if (copied == Copied::Failed) fail(name, detail);
    return;
  }
  // Stored permissions without set-id bits; otherwise what a new file gets.
  const mode_t finalMode = (mode & 0777) != 0 ? (mode & 0777) : defaultMode_;
  const std::time_t mtime = entryModificationTime(za, index, (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0);
  const timespec times[2] = {{0, UTIME_OMIT}, {mtime, 0}};
  if (::fchmod(fd, finalMode) != 0 || ::futimens(fd, times) != 0 || ::close(fd) != 0) {
    const int e = errno;
    discard();
    fail(name, sysText(e));
    return;
  }

  int placed = replace ? (::renameat(dirfd, temp.c_str(), dirfd, leaf.c_str()) == 0 ? 0 : errno)
                       : placeWithoutReplacing(dirfd, temp.c_str(), leaf.c_str());
  if (placed == EEXIST) {
    // Something took the name while the file was being written.
    if (keepExisting(name, target)) {
      discard();
      ++summary_.skipped;
      return;
    }
    placed = ::renameat(dirfd, temp.c_str(), dirfd, leaf.c_str()) == 0 ? 0 : errno;
  }
  if (placed != 0) {
    discard();
    fail(name, sysText(placed));
    return;
  }
  ++summary_.restored;
}

ZipRestorer::Copied ZipRestorer::copyEntry(zip_t* za, std::uint64_t index, const std::string& name, int fd,
                                           std::uint64_t size, std::uint32_t crc, bool encrypted, QString& detail) {
  if (!encrypted) {
    zip_file_t* zf = zip_fopen_index(za, index, 0);
    if (!zf) {
      detail = zipText(zip_get_error(za));
      return Copied::Failed;
    }
    const Copied c = copyData(zf, fd, size, crc, detail);
    zip_fclose(zf);
    return c;
  }
  // The password that worked last is tried first; then the user is asked, a few times.
  QByteArray tried = password;
  int asked = 0;
  detail = zipErrorText(ZIP_ER_NOPASSWD);
  for (;;) {
    if (tried.isEmpty()) {
      if (asked >= passwordAttempts || !hooks_.password) return Copied::Failed;
      ++asked;
      const std::optional<QString> typed = hooks_.password(name);
      if (!typed) return Copied::Failed;
      tried = typed->toUtf8();
      if (tried.isEmpty()) continue;
    }
    zip_file_t* zf = zip_fopen_index_encrypted(za, index, 0, tried.constData());
    if (!zf) {
      const int code = zip_error_code_zip(zip_get_error(za));
      detail = zipText(zip_get_error(za));
      zip_error_clear(za);
      if (code != ZIP_ER_WRONGPASSWD && code != ZIP_ER_NOPASSWD) return Copied::Failed;
      tried.clear();
      continue;
    }
    const Copied c = copyData(zf, fd, size, crc, detail);
    zip_fclose(zf);
    if (c != Copied::Failed) {
      if (c == Copied::Ok) password = tried;
      return c;
    }
    // The header check lets one wrong password in 256 through; the data then fails its CRC
    // or does not inflate, so any failure here is another wrong password.
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
      detail = sysText(errno);
      return Copied::Failed;
    }
    detail = zipErrorText(ZIP_ER_WRONGPASSWD);
    tried.clear();
  }
}

ZipRestorer::Copied ZipRestorer::copyData(void* file, int fd, std::uint64_t size, std::uint32_t crc, QString& detail) {
  auto* zf = static_cast<zip_file_t*>(file);
  uLong sum = crc32(0, nullptr, 0);
  std::uint64_t total = 0;
  for (;;) {
    if (aborted()) return Copied::Aborted;
    const zip_int64_t got = zip_fread(zf, buffer_.data(), buffer_.size());
    if (got < 0) {
      detail = zipText(zip_file_get_error(zf));
      return Copied::Failed;
    }
    if (got == 0) break;
    const auto n = static_cast<std::size_t>(got);
    sum = crc32(sum, reinterpret_cast<const Bytef*>(buffer_.data()), static_cast<uInt>(n));
    total += n;
    if (total > size) {
      detail = zipErrorText(ZIP_ER_INCONS);
      return Copied::Failed;
    }
    if (!writeAll(fd, buffer_.data(), n)) {
      detail = sysText(errno);
      return Copied::Failed;
    }
    progress(n);
  }
  if (total != size || static_cast<std::uint32_t>(sum) != crc) {
    detail = zipErrorText(ZIP_ER_CRC);
    return Copied::Failed;
  }
  return Copied::Ok;
}

}  // namespace roomvale
