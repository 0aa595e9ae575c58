#include "archive/zipwriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "archive/utf8.h"
#include "archive/ziperror.h"
#include "platform/paths.h"

namespace roomvale {

namespace {

constexpr std::size_t kChunk = std::size_t{256} * 1024;
// Files up to this size keep their bytes in memory while they are deflated, so that an
// incompressible one can be stored without reading it twice.
constexpr std::uint64_t kKeepRawUpTo = std::uint64_t{4} * 1024 * 1024;

QString sysText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QString display(const std::string& path) { return platform::toDisplay(path); }

// An unlinked temporary file holding the compressed data of queued entries until they are
// committed. Appends are buffered; reads flush first.
class Spool {
 public:
  Spool() = default;
  ~Spool() {
    if (fd_ >= 0) ::close(fd_);
  }
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;

  // Creates the spool in `folder` (the archive's, which is known to be writable and to have
  // room for archives anyway). Returns 0 or an errno value.
  int open(const std::string& folder) {
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ >= 0) return 0;
    std::string pattern = platform::joinPath(folder, ".roomvale-spool-XXXXXX");
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) return errno;
    ::unlink(pattern.c_str());
    return 0;
  }

  std::uint64_t size() const { return onDisk_ + buffer_.size(); }

  bool append(const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    if (buffer_.size() + n > kBuffer && !flush()) return false;
    if (n < kBuffer) {
      buffer_.insert(buffer_.end(), p, p + n);
      return true;
    }
    // Large pieces go straight to the file (the buffer is empty here).
    if (!writeAt(onDisk_, p, n)) return false;
    onDisk_ += n;
    return true;
  }

  // Drops everything from `size` on.
  bool truncate(std::uint64_t size) {
    if (size >= onDisk_) {
      buffer_.resize(size - onDisk_);
      return true;
    }
    buffer_.clear();
    onDisk_ = size;
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
  }

  bool flush() {
    if (buffer_.empty()) return true;
    if (!writeAt(onDisk_, buffer_.data(), buffer_.size())) return false;
    onDisk_ += buffer_.size();
    buffer_.clear();
    return true;
  }

  // Reads up to n bytes at `offset`; -1 on error (errno set).
  ssize_t readAt(std::uint64_t offset, void* out, std::size_t n) {
    if (!flush()) return -1;
    for (;;) {
      const ssize_t got = ::pread(fd_, out, n, static_cast<off_t>(offset));
      if (got >= 0 || errno != EINTR) return got;
    }
  }

  int lastError() const { return error_; }

 private:
  static constexpr std::size_t kBuffer = std::size_t{1024} * 1024;

  bool writeAt(std::uint64_t offset, const unsigned char* p, std::size_t n) {
    while (n > 0) {
      const ssize_t done = ::pwrite(fd_, p, n, static_cast<off_t>(offset));
      if (done < 0) {
        if (errno == EINTR) continue;
        error_ = errno;
        return false;
      }
      p += done;
      n -= static_cast<std::size_t>(done);
      offset += static_cast<std::uint64_t>(done);
    }
    return true;
  }

  int fd_ = -1;
  std::uint64_t onDisk_ = 0;
  std::vector<unsigned char> buffer_;
  int error_ = 0;
};

// Identity of a file as it was read; a file that no longer matches it after the commit
// is not the one that was archived and must not be deleted on the archive's word.
struct FileIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  mode_t mode = 0;

  static FileIdentity of(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_mode}; }
  bool sameAs(const struct stat& st) const {
    return st.st_dev == dev && st.st_ino == ino && st.st_size == size && st.st_mtim.tv_sec == mtime.tv_sec &&
           st.st_mtim.tv_nsec == mtime.tv_nsec && S_ISREG(st.st_mode);
  }
};

class Fd;

// Folders read through a descriptor are held open until the commit, for the check after it;
// reaching this many of them commits early.
constexpr std::size_t kMaxHeldFolders = 128;

// One compressed file waiting in the spool.
struct Queued {
  std::string path;
  std::string entryName;
  FileIdentity identity;
  std::uint64_t offset = 0;    // in the spool
  std::uint64_t compSize = 0;  // bytes in the spool
  std::uint64_t size = 0;      // bytes of the file
  std::uint32_t crc = 0;
  bool deflated = false;
  bool recheckByPath = true;   // reached by path: checked again by path after the commit
  std::shared_ptr<Fd> folder;  // otherwise: its folder, and its name there
  std::string name;
};

// Raw deflate at the normal level, reused from file to file.
class Deflater {
 public:
  Deflater() { ok_ = deflateInit2(&z_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
  ~Deflater() {
    if (ok_) deflateEnd(&z_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  bool ok() const { return ok_; }
  void reset() { deflateReset(&z_); }

  // Feeds `n` bytes (finishing the stream when `finish`), appending the output to the spool.
  bool feed(const unsigned char* data, std::size_t n, bool finish, Spool& spool) {
    z_.next_in = const_cast<unsigned char*>(data);
    z_.avail_in = static_cast<uInt>(n);
    for (;;) {
      z_.next_out = out_;
      z_.avail_out = sizeof(out_);
      const int rc = deflate(&z_, finish ? Z_FINISH : Z_NO_FLUSH);
      if (rc == Z_STREAM_ERROR) return false;
      const std::size_t produced = sizeof(out_) - z_.avail_out;
      if (produced > 0 && !spool.append(out_, produced)) return false;
      if (finish ? rc == Z_STREAM_END : (z_.avail_out != 0 && z_.avail_in == 0)) return true;
    }
  }

 private:
  z_stream z_{};
  bool ok_ = false;
  unsigned char out_[kChunk];
};

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

ssize_t readSome(int fd, unsigned char* buf, std::size_t n) {
  for (;;) {
    const ssize_t got = ::read(fd, buf, n);
    if (got >= 0 || errno != EINTR) return got;
  }
}

// The data source libzip reads a queued entry from at commit time: the spooled bytes,
// already compressed when `deflated`, with their sizes and CRC.
struct SpoolSource {
  Spool* spool = nullptr;
  std::uint64_t offset = 0;
  std::uint64_t compSize = 0;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  bool deflated = false;
  time_t mtime = 0;
  std::uint64_t pos = 0;
  zip_error_t error;

  static zip_int64_t callback(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* s = static_cast<SpoolSource*>(state);
    switch (cmd) {
      case ZIP_SOURCE_OPEN: s->pos = 0; return 0;
      case ZIP_SOURCE_READ: {
        const std::uint64_t n = std::min<std::uint64_t>(len, s->compSize - s->pos);
        if (n == 0) return 0;
        const ssize_t got = s->spool->readAt(s->offset + s->pos, data, static_cast<std::size_t>(n));
        if (got <= 0) {
          zip_error_set(&s->error, ZIP_ER_READ, got < 0 ? errno : EIO);
          return -1;
        }
        s->pos += static_cast<std::uint64_t>(got);
        return got;
      }
      case ZIP_SOURCE_CLOSE: return 0;
      case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_MTIME |
                    ZIP_STAT_ENCRYPTION_METHOD;
        st->size = s->size;
        st->comp_size = s->compSize;
        st->comp_method = s->deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
        st->crc = s->crc;
        st->mtime = s->mtime;
        st->encryption_method = ZIP_EM_NONE;
        return sizeof(*st);
      }
      case ZIP_SOURCE_ERROR: return zip_error_to_data(&s->error, data, len);
      case ZIP_SOURCE_FREE:
        zip_error_fini(&s->error);
        delete s;
        return 0;
      case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, static_cast<zip_source_cmd_t>(-1));
      default: zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0); return -1;
    }
  }
};

// Gives the archive `comment` unless it has it already (an unchanged archive is not rewritten).
void setComment(zip_t* za, const QString& comment) {
  const QByteArray wanted = comment.toUtf8().left(0xFFFF);
  int length = 0;
  const char* current = zip_get_archive_comment(za, &length, ZIP_FL_ENC_RAW);
  if (QByteArray(current ? current : "", current ? length : 0) == wanted) return;
  zip_set_archive_comment(za, wanted.isEmpty() ? nullptr : wanted.constData(),
                          static_cast<zip_uint16_t>(wanted.size()));
}

// Reads the file of `q` once, appending its deflated form to the spool, and keeps the
// smaller of deflated and stored. Returns why it failed, or nothing.
QString compressFile(Queued& q, int fd, Spool& spool, Deflater& deflater, const std::function<bool(int)>& report) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return sysText(errno);
  if (!S_ISREG(st.st_mode)) return QStringLiteral("Not a regular file");
  q.identity = FileIdentity::of(st);
  if (report(0)) return QStringLiteral("Cancelled");

  const auto expected = static_cast<std::uint64_t>(st.st_size);
  const bool keepRaw = expected <= kKeepRawUpTo;
  std::vector<unsigned char> raw;
  if (keepRaw) raw.reserve(static_cast<std::size_t>(expected));
  std::vector<unsigned char> buf(kChunk);
  uLong crc = crc32(0, nullptr, 0);
  std::uint64_t total = 0;
  deflater.reset();
  for (;;) {
    const ssize_t got = readSome(fd, buf.data(), buf.size());
    if (got < 0) return sysText(errno);
    const bool last = got == 0;
    if (!last) {
      crc = crc32(crc, buf.data(), static_cast<uInt>(got));
      total += static_cast<std::uint64_t>(got);
      if (keepRaw) raw.insert(raw.end(), buf.data(), buf.data() + got);
    }
    if (!deflater.feed(buf.data(), static_cast<std::size_t>(got), last, spool))
      return QStringLiteral("Writing the work file failed: %1").arg(sysText(spool.lastError()));
    if (last) break;
    if (report(expected > 0 ? static_cast<int>(std::min<std::uint64_t>(total, expected) * 100 / expected) : 100))
      return QStringLiteral("Cancelled");
  }

  q.size = total;
  q.crc = static_cast<std::uint32_t>(crc);
  q.compSize = spool.size() - q.offset;
  q.deflated = q.compSize < q.size;
  if (!q.deflated) {
    // Stored: the file's own bytes replace the deflated ones.
    spool.truncate(q.offset);
    if (keepRaw && raw.size() == total) {
      if (!raw.empty() && !spool.append(raw.data(), raw.size()))
        return QStringLiteral("Writing the work file failed: %1").arg(sysText(spool.lastError()));
    } else {
      if (::lseek(fd, 0, SEEK_SET) != 0) return sysText(errno);
      uLong again = crc32(0, nullptr, 0);
      std::uint64_t count = 0;
      for (;;) {
        const ssize_t got = readSome(fd, buf.data(), buf.size());
        if (got < 0) return sysText(errno);
        if (got == 0) break;
        again = crc32(again, buf.data(), static_cast<uInt>(got));
        count += static_cast<std::uint64_t>(got);
        if (!spool.append(buf.data(), static_cast<std::size_t>(got)))
          return QStringLiteral("Writing the work file failed: %1").arg(sysText(spool.lastError()));
      }
      if (again != crc || count != total) return QStringLiteral("The file changed while it was being read");
    }
    q.compSize = q.size;
  }
  struct stat after {};
  if (::fstat(fd, &after) != 0) return sysText(errno);
  if (!q.identity.sameAs(after) || total != expected) return QStringLiteral("The file changed while it was being read");
  report(100);
  return {};
}

}  // namespace

struct ZipWriter::Archive {
  std::string path;
  zip_t* za = nullptr;
  QString broken;  // when set, every file for this archive fails with it
  Spool spool;
  std::vector<Queued> queued;
  std::uint64_t queuedBytes = 0;
  zip_uint64_t committedEntries = 0;
  std::uint64_t committedBytes = 0;
  bool exists = false;  // on disk: dev/ino below name it
  dev_t dev = 0;
  ino_t ino = 0;
  std::uint64_t lastUse = 0;
  Deflater deflater;
  std::map<std::pair<dev_t, ino_t>, std::shared_ptr<Fd>> heldFolders;  // of the queued entries

  ~Archive() {
    if (za) zip_discard(za);
  }
};

ZipWriter::ZipWriter(const QString& comment) : ZipWriter(comment, Batching{}) {}

ZipWriter::ZipWriter(const QString& comment, Batching batching)
    : comment_(comment), batching_(batching), roots_(std::vector<platform::Volume>{}) {}

ZipWriter::~ZipWriter() = default;

std::size_t ZipWriter::queued() const {
  std::size_t n = 0;
  for (const auto& [path, a] : archives_) n += a->queued.size();
  return n;
}

std::vector<ZipResult> ZipWriter::takeSettled() {
  std::vector<ZipResult> out;
  out.swap(settled_);
  return out;
}

bool ZipWriter::report(int percent) {
  if (!progress) return false;
  const bool abort = progress(std::clamp(percent, 0, 100));
  return abort && !inCommit_;
}

void ZipWriter::fail(const std::string& archivePath, const std::string& path, const std::string& entryName,
                     QString reason) {
  ZipResult r;
  r.path = path;
  r.archivePath = archivePath;
  r.entryName = entryName;
  r.reason = std::move(reason);
  settled_.push_back(std::move(r));
}

void ZipWriter::closeArchive(const std::string& archivePath) {
  auto it = archives_.find(archivePath);
  if (it == archives_.end()) return;
  commit(*it->second);
  archives_.erase(it);
}

ZipWriter::Archive* ZipWriter::archiveFor(const std::string& archivePath) {
  auto it = archives_.find(archivePath);
  if (it != archives_.end()) {
    it->second->lastUse = ++useCounter_;
    return it->second.get();
  }
  while (archives_.size() >= std::max<std::size_t>(1, batching_.maxOpenArchives)) {
    auto lru = std::min_element(archives_.begin(), archives_.end(),
                                [](const auto& x, const auto& y) { return x.second->lastUse < y.second->lastUse; });
    closeArchive(lru->first);
  }

  auto a = std::make_unique<Archive>();
  a->path = archivePath;
  a->lastUse = ++useCounter_;
  Archive& ar = *a;
  archives_.emplace(archivePath, std::move(a));

  // libzip only finds out at commit time that it cannot write; check first so that every
  // file fails at once, before any work is spent on it.
  std::string folder = platform::folderOf(archivePath);
  if (folder.empty()) folder = "./";
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(folder.c_str(), W_OK | X_OK) != 0) {
    ar.broken = QStringLiteral("The archive folder %1 is missing or cannot be written").arg(display(folder));
    return &ar;
  }
  if (::stat(archivePath.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      ar.broken = QStringLiteral("%1 is not a file").arg(display(archivePath));
      return &ar;
    }
    // A read-only archive is left as it is (libzip would replace it regardless).
    if (::access(archivePath.c_str(), R_OK | W_OK) != 0) {
      ar.broken = QStringLiteral("The archive %1 is read-only").arg(display(archivePath));
      return &ar;
    }
    ar.exists = true;
    ar.dev = st.st_dev;
    ar.ino = st.st_ino;
    ar.committedBytes = static_cast<std::uint64_t>(st.st_size);
  }
  if (!ar.deflater.ok()) {
    ar.broken = QStringLiteral("The compressor could not be started");
    return &ar;
  }
  int err = 0;
  ar.za = zip_open(archivePath.c_str(), ZIP_CREATE, &err);
  if (!ar.za) {
    ar.broken = QStringLiteral("%1 cannot be opened as a zip archive: %2").arg(display(archivePath), zipErrorText(err));
    return &ar;
  }
  ar.committedEntries = static_cast<zip_uint64_t>(std::max<zip_int64_t>(0, zip_get_num_entries(ar.za, 0)));
  setComment(ar.za, comment_);
  if (const int e = ar.spool.open(folder); e != 0) {
    ar.broken = QStringLiteral("No work file can be made in %1: %2").arg(display(folder), sysText(e));
    zip_discard(ar.za);
    ar.za = nullptr;
  }
  return &ar;
}

void ZipWriter::add(const std::string& archivePath, const std::string& path, const platform::FileIdentity& expected) {
  if (!rootsLoaded_) {
    roots_ = VolumeRoots();
    rootsLoaded_ = true;
  }
  const auto entry = entryNameFor(path, roots_.rootOf(path));
  if (!entry) {
    fail(archivePath, path, {}, QStringLiteral("%1 has no usable name inside its volume").arg(display(path)));
    return;
  }
  add(archivePath, path, *entry, expected);
}

void ZipWriter::add(const std::string& archivePath, const std::string& path, const std::string& entryName,
                    const platform::FileIdentity& expected) {
  platform::ReachedFile found;
  if (const int err = platform::reachMarkedFile(folders_, path, expected, found); err != 0) {
    fail(archivePath, path, entryName, platform::reachErrorText(err));
    return;
  }
  addReached(archivePath, path, entryName, found, -1);
}

void ZipWriter::addFromFolder(const std::string& archivePath, const std::string& path, int dirfd,
                              const std::string& name, const platform::FileIdentity& expected) {
  if (!rootsLoaded_) {
    roots_ = VolumeRoots();
    rootsLoaded_ = true;
  }
  const auto entry = entryNameFor(path, roots_.rootOf(path));
  if (!entry) {
    fail(archivePath, path, {}, QStringLiteral("%1 has no usable name inside its volume").arg(display(path)));
    return;
  }
  const std::string& entryName = *entry;
  platform::ReachedFile found;
  found.dirfd = dirfd;
  found.name = name;
  if (::fstatat(dirfd, name.c_str(), &found.st, AT_SYMLINK_NOFOLLOW) != 0) {
    fail(archivePath, path, entryName, sysText(errno));
    return;
  }
  if (!expected.matches(found.st)) {
    fail(archivePath, path, entryName, platform::reachErrorText(ESTALE));
    return;
  }
  addReached(archivePath, path, entryName, found, dirfd);
}

void ZipWriter::addReached(const std::string& archivePath, const std::string& path, const std::string& entryName,
                           const platform::ReachedFile& found, int heldFolder) {
  if (!S_ISREG(found.st.st_mode)) {
    fail(archivePath, path, entryName, QStringLiteral("Not a regular file"));
    return;
  }
  const int fd = platform::openReachedForReading(found);
  if (fd < 0) {
    fail(archivePath, path, entryName, platform::reachErrorText(errno));
    return;
  }
  addOpened(archivePath, path, entryName, fd, heldFolder, heldFolder >= 0 ? found.name : std::string());
}

void ZipWriter::addOpened(const std::string& archivePath, const std::string& path, const std::string& entryName, int fd,
                          int dirfd, const std::string& name) {
  Fd file(fd);
  if (!isSafeEntryName(entryName)) {
    fail(archivePath, path, entryName, QStringLiteral("Unusable entry name"));
    return;
  }
  Archive& a = *archiveFor(archivePath);
  if (!a.broken.isEmpty()) {
    fail(archivePath, path, entryName, a.broken);
    return;
  }
  const bool utf8Name = utf8::isValid(entryName);
  // Names that are valid UTF-8 can be looked up cheaply; others are caught by zip_file_add.
  if (utf8Name && zip_name_locate(a.za, entryName.c_str(), 0) >= 0) {
    fail(archivePath, path, entryName, QStringLiteral("already stored in this archive"));
    return;
  }

  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    fail(archivePath, path, entryName, sysText(errno));
    return;
  }
  if (!S_ISREG(st.st_mode)) {
    fail(archivePath, path, entryName, QStringLiteral("Not a regular file"));
    return;
  }
  for (const auto& [p, other] : archives_) {
    if (other->exists && other->dev == st.st_dev && other->ino == st.st_ino) {
      fail(archivePath, path, entryName, QStringLiteral("The file is an archive being written"));
      return;
    }
  }

  Queued q;
  q.path = path;
  q.entryName = entryName;
  q.recheckByPath = dirfd < 0;
  if (dirfd >= 0) {
    struct stat fs {};
    if (::fstat(dirfd, &fs) != 0) {
      fail(archivePath, path, entryName, sysText(errno));
      return;
    }
    auto& held = a.heldFolders[{fs.st_dev, fs.st_ino}];
    if (!held) {
      const int own = ::fcntl(dirfd, F_DUPFD_CLOEXEC, 0);
      if (own < 0) {
        a.heldFolders.erase({fs.st_dev, fs.st_ino});
        fail(archivePath, path, entryName, sysText(errno));
        return;
      }
      held = std::make_shared<Fd>(own);
    }
    q.folder = held;
    q.name = name;
  }
  q.offset = a.spool.size();
  const QString why = compressFile(q, fd, a.spool, a.deflater, [this](int percent) { return report(percent); });
  if (!why.isEmpty()) {
    a.spool.truncate(q.offset);
    fail(archivePath, path, entryName, why);
    return;
  }

  auto* state = new SpoolSource;
  state->spool = &a.spool;
  state->offset = q.offset;
  state->compSize = q.compSize;
  state->size = q.size;
  state->crc = q.crc;
  state->deflated = q.deflated;
  state->mtime = q.identity.mtime.tv_sec;
  zip_error_init(&state->error);
  zip_source_t* src = zip_source_function(a.za, &SpoolSource::callback, state);
  if (!src) {
    zip_error_fini(&state->error);
    delete state;
    a.spool.truncate(q.offset);
    fail(archivePath, path, entryName, QString::fromUtf8(zip_strerror(a.za)));
    return;
  }
  // Names that are not UTF-8 go in under their own bytes, without the UTF-8 flag.
  const zip_int64_t index = zip_file_add(a.za, entryName.c_str(), src, utf8Name ? ZIP_FL_ENC_UTF_8 : ZIP_FL_ENC_CP437);
  if (index < 0) {
    const bool exists = zip_error_code_zip(zip_get_error(a.za)) == ZIP_ER_EXISTS;
    const QString text = QString::fromUtf8(zip_strerror(a.za));
    zip_error_clear(a.za);
    zip_source_free(src);
    a.spool.truncate(q.offset);
    fail(archivePath, path, entryName, exists ? QStringLiteral("already stored in this archive") : text);
    return;
  }
  const auto idx = static_cast<zip_uint64_t>(index);
  if (!q.deflated) zip_set_file_compression(a.za, idx, ZIP_CM_STORE, 0);
  zip_file_set_external_attributes(a.za, idx, 0, ZIP_OPSYS_UNIX, static_cast<zip_uint32_t>(q.identity.mode) << 16);

  a.queuedBytes += q.compSize;
  a.queued.push_back(std::move(q));

  const bool due = a.queued.size() >= std::max<std::uint64_t>(batching_.minFiles, a.committedEntries) ||
                   a.queuedBytes >= std::max<std::uint64_t>(batching_.minBytes, a.committedBytes) ||
                   a.queued.size() >= batching_.maxFiles || a.queuedBytes >= batching_.maxBytes ||
                   a.heldFolders.size() >= kMaxHeldFolders;
  if (due) commit(a);
}

namespace {

void commitProgress(zip_t*, double fraction, void* state) {
  (*static_cast<std::function<void(int)>*>(state))(static_cast<int>(fraction * 100));
}

}  // namespace

void ZipWriter::commit(Archive& a) {
  if (!a.za || a.queued.empty()) return;
  inCommit_ = true;
  std::function<void(int)> onProgress = [this](int percent) { report(percent); };
  zip_register_progress_callback_with_state(a.za, 0.01, &commitProgress, nullptr, &onProgress);

  std::vector<Queued> batch;
  batch.swap(a.queued);
  a.queuedBytes = 0;
  a.heldFolders.clear();  // the queued entries keep theirs until the check below

  const bool written = zip_close(a.za) == 0;
  QString failure;
  if (!written) {
    failure = QStringLiteral("Writing the archive failed: %1").arg(QString::fromUtf8(zip_strerror(a.za)));
    // The archive on disk is unchanged; the handle with its queued entries is dropped.
    zip_discard(a.za);
  }
  a.za = nullptr;

  int err = 0;
  a.za = zip_open(a.path.c_str(), ZIP_CREATE, &err);
  if (!a.za) {
    const QString why = QStringLiteral("The archive cannot be read back: %1").arg(zipErrorText(err));
    if (failure.isEmpty()) failure = why;
    a.broken = why;
  }

  if (!failure.isEmpty()) {
    for (const auto& q : batch) fail(a.path, q.path, q.entryName, failure);
  } else {
    const zip_int64_t count = zip_get_num_entries(a.za, 0);
    const bool allThere = count >= 0 && static_cast<zip_uint64_t>(count) == a.committedEntries + batch.size();
    std::vector<unsigned char> buf(kChunk);
    for (std::size_t k = 0; k < batch.size(); ++k) {
      const Queued& q = batch[k];
      report(static_cast<int>(k * 100 / batch.size()));
      QString why;
      const zip_uint64_t idx = a.committedEntries + k;
      zip_stat_t st;
      const char* name = allThere ? zip_get_name(a.za, idx, ZIP_FL_ENC_RAW) : nullptr;
      if (!name || q.entryName != name || zip_stat_index(a.za, idx, 0, &st) != 0) {
        why = QStringLiteral("The entry is missing from the written archive");
      } else if (st.size != q.size || st.crc != q.crc || st.comp_size != q.compSize ||
                 st.comp_method != (q.deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE)) {
        why = QStringLiteral("The entry in the written archive does not match the file");
      } else if (batching_.readBack) {
        // Reading it to the end makes libzip check the data against the CRC.
        zip_file_t* zf = zip_fopen_index(a.za, idx, 0);
        std::uint64_t total = 0;
        zip_int64_t got = 0;
        if (zf) {
          while ((got = zip_fread(zf, buf.data(), buf.size())) > 0) total += static_cast<std::uint64_t>(got);
          zip_fclose(zf);
        }
        if (!zf || got < 0 || total != q.size) why = QStringLiteral("The entry cannot be read back from the archive");
      }
      if (why.isEmpty() && q.recheckByPath) {
        platform::ReachedFile now;
        const platform::FileIdentity id{static_cast<std::uint64_t>(q.identity.dev),
                                        static_cast<std::uint64_t>(q.identity.ino)};
        if (platform::reachMarkedFile(folders_, q.path, id, now) != 0 || !q.identity.sameAs(now.st))
          why = QStringLiteral("The file changed while it was being archived");
      } else if (why.isEmpty()) {
        struct stat now {};
        if (::fstatat(q.folder->get(), q.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !q.identity.sameAs(now))
          why = QStringLiteral("The file changed while it was being archived");
      }
      if (!why.isEmpty()) {
        fail(a.path, q.path, q.entryName, why);
        continue;
      }
      ZipResult r;
      r.path = q.path;
      r.archivePath = a.path;
      r.entryName = q.entryName;
      r.stored = true;
      r.size = q.size;
      r.deflated = q.deflated;
      r.identity = {static_cast<std::uint64_t>(q.identity.dev), static_cast<std::uint64_t>(q.identity.ino)};
      r.mtimeSec = q.identity.mtime.tv_sec;
      r.mtimeNsec = q.identity.mtime.tv_nsec;
      settled_.push_back(std::move(r));
    }
    report(100);
  }

  a.spool.truncate(0);
  if (a.za) {
    a.committedEntries = static_cast<zip_uint64_t>(std::max<zip_int64_t>(0, zip_get_num_entries(a.za, 0)));
    struct stat st {};
    // A commit replaces the archive's file: it has a new inode now.
    if (::stat(a.path.c_str(), &st) == 0) {
      a.exists = true;
      a.dev = st.st_dev;
      a.ino = st.st_ino;
      a.committedBytes = static_cast<std::uint64_t>(st.st_size);
    }
    setComment(a.za, comment_);
  }
  inCommit_ = false;
}

void ZipWriter::flush() {
  for (auto& [path, a] : archives_) commit(*a);
}

}  // namespace roomvale
