#include "platform/trashbatch.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <unordered_map>

#include "platform/paths.h"

namespace roomvale::platform {

namespace {

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

std::string percentEncodePath(const std::string& path) {
  static const char* const hex = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.' || c == '~' || c == '/';
    if (plain) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

std::string localDeletionDate() {
  const time_t now = ::time(nullptr);
  struct tm lt {};
  ::localtime_r(&now, &lt);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &lt);
  return buf;
}

bool isRealDir(const std::string& path, struct stat* out = nullptr) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (out) *out = st;
  return true;
}

// Creates `path` as a private folder when missing; true when it is (now) a real folder.
bool ensurePrivateDir(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return isRealDir(path);
}

bool ensurePrivateDirs(const std::string& path) {
  for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1))
    if (::mkdir(path.substr(0, pos).c_str(), 0700) != 0 && errno != EEXIST) return false;
  return ensurePrivateDir(path);
}

// Device of the nearest existing folder of `path` (the path itself when it exists).
bool deviceOfNearest(std::string path, dev_t& dev) {
  for (;;) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
      dev = st.st_dev;
      return true;
    }
    if (path.empty() || path == "/") return false;
    const auto slash = path.rfind('/');
    path = slash == 0 ? "/" : (slash == std::string::npos ? "." : path.substr(0, slash));
  }
}

// Trash folder to use on a volume other than the home trash's: $topdir/.Trash/$uid when
// .Trash is a real sticky folder, otherwise $topdir/.Trash-$uid. Empty when neither works.
std::string topDirTrash(const std::string& topdir) {
  const std::string uid = std::to_string(::getuid());
  const std::string base = topdir == "/" ? std::string() : topdir;
  struct stat st {};
  const std::string shared = base + "/.Trash";
  if (isRealDir(shared, &st) && (st.st_mode & S_ISVTX)) {
    const std::string mine = shared + "/" + uid;
    struct stat ms {};
    if (ensurePrivateDir(mine) && isRealDir(mine, &ms) && ms.st_uid == ::getuid()) return mine;
  }
  const std::string own = base + "/.Trash-" + uid;
  struct stat os {};
  if (ensurePrivateDir(own) && isRealDir(own, &os) && os.st_uid == ::getuid()) return own;
  return {};
}

// Cuts `name` to at most `max` bytes without splitting a UTF-8 character.
std::string cutName(const std::string& name, size_t max) {
  if (name.size() <= max) return name;
  size_t end = max;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

// "name", "name.2.ext", "name.3.ext", ...
std::string candidateName(const std::string& name, int n) {
  if (n == 1) return name;
  const auto dot = name.rfind('.');
  const std::string suffix = "." + std::to_string(n);
  if (dot == std::string::npos || dot == 0) return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool sameObject(int dirfd, const std::string& name, const struct stat& want) {
  struct stat st {};
  if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  return st.st_dev == want.st_dev && st.st_ino == want.st_ino;
}

}  // namespace

struct TrashBatch::Place {
  std::string folder;  // the trash folder
  std::string topdir;  // volume trash: its top folder ("" for the home trash)
  int files = -1;
  int info = -1;
  bool dirty = false;  // info files written since the last sync
  std::unordered_map<std::string, int> nextCandidate;

  ~Place() {
    if (files >= 0) ::close(files);
    if (info >= 0) ::close(info);
  }

  // Claims a free name in info/ (and, as far as can be seen, in files/) for `name` and
  // writes its info file. Returns 0 or an errno value.
  int claim(const std::string& name, const std::string& content, std::string& trashName) {
    // The info file's name must stay within NAME_MAX together with ".trashinfo".
    const std::string base = cutName(name, 255 - 10 - 12);
    int& n = nextCandidate[base];
    if (n < 1) n = 1;
    for (; n < 1000000; ++n) {
      const std::string candidate = candidateName(base, n);
      if (::faccessat(files, candidate.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0) continue;
      const std::string infoName = candidate + ".trashinfo";
      const int fd = ::openat(info, infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd < 0) {
        if (errno == EEXIST) continue;
        return errno;
      }
      bool written = writeAll(fd, content);
      int err = errno;
      if (::close(fd) != 0 && written) {
        written = false;
        err = errno;
      }
      if (!written) {
        ::unlinkat(info, infoName.c_str(), 0);
        return err;
      }
      trashName = candidate;
      dirty = true;
      ++n;
      return 0;
    }
    return EEXIST;
  }
};

struct TrashBatch::Item {
  bool folderRemoval = false;
  int dirfd = -1;  // owned by folders_
  std::string name;
  struct stat st {};
  Place* place = nullptr;
  std::string trashName;
  std::string content;
  std::uint64_t tag = 0;
};

TrashBatch::TrashBatch(std::size_t maxEntries, std::size_t maxFolders)
    : maxEntries_(std::max<std::size_t>(1, maxEntries)), maxFolders_(std::max<std::size_t>(1, maxFolders)) {}

TrashBatch::~TrashBatch() {
  for (const Item& item : items_)
    if (!item.folderRemoval) ::unlinkat(item.place->info, (item.trashName + ".trashinfo").c_str(), 0);
  for (const auto& [key, fd] : folders_) ::close(fd);
}

std::size_t TrashBatch::queued() const { return items_.size(); }

bool TrashBatch::full() const { return items_.size() >= maxEntries_ || folders_.size() >= maxFolders_; }

int TrashBatch::folderDescriptor(int dirfd) {
  struct stat st {};
  if (::fstat(dirfd, &st) != 0) return -1;
  const auto key = std::make_pair(static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino));
  auto it = folders_.find(key);
  if (it != folders_.end()) return it->second;
  const int own = ::fcntl(dirfd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return -1;
  folders_.emplace(key, own);
  return own;
}

TrashBatch::Place* TrashBatch::placeFor(const std::string& original, const struct stat& st, QString& why) {
  const auto device = static_cast<std::uint64_t>(st.st_dev);
  if (auto it = places_.find(device); it != places_.end()) return it->second.get();

  const std::string home = dataHome() + "/Trash";
  if (!homeKnown_) {
    dev_t dev = 0;
    if (deviceOfNearest(home, dev)) homeDevice_ = static_cast<std::uint64_t>(dev);
    homeKnown_ = true;
  }
  auto place = std::make_unique<Place>();
  if (device == homeDevice_) {
    if (!ensurePrivateDirs(home)) {
      why = QStringLiteral("Cannot create the trash folder ") + toDisplay(home);
      return nullptr;
    }
    place->folder = home;
  } else {
    // The top folder of the entry's volume: climb while the device stays the same.
    std::string topdir = folderOf(original);
    if (topdir.size() > 1) topdir.pop_back();
    struct stat fs {};
    if (::lstat(topdir.c_str(), &fs) != 0 || fs.st_dev != st.st_dev) {
      why = QStringLiteral("Cannot move a mount point to the trash");
      return nullptr;
    }
    while (topdir != "/") {
      std::string up = folderOf(topdir);
      if (up.size() > 1) up.pop_back();
      struct stat us {};
      if (::lstat(up.c_str(), &us) != 0 || us.st_dev != st.st_dev) break;
      topdir = up;
    }
    place->folder = topDirTrash(topdir);
    if (place->folder.empty()) {
      why = QStringLiteral("No usable trash folder on the volume of ") + toDisplay(topdir);
      return nullptr;
    }
    place->topdir = topdir;
  }
  const std::string files = place->folder + "/files";
  const std::string info = place->folder + "/info";
  if (!ensurePrivateDir(files) || !ensurePrivateDir(info)) {
    why = QStringLiteral("Cannot create the trash folder ") + toDisplay(place->folder);
    return nullptr;
  }
  place->files = ::open(files.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  place->info = ::open(info.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (place->files < 0 || place->info < 0) {
    why = QStringLiteral("Cannot open the trash folder ") + toDisplay(place->folder);
    return nullptr;
  }
  Place* p = place.get();
  places_.emplace(device, std::move(place));
  return p;
}

QString TrashBatch::add(int dirfd, const std::string& name, const std::string& original, const struct stat& st,
                        std::uint64_t tag) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos || original.empty() ||
      original[0] != '/')
    return QStringLiteral("Cannot move this to the trash");
  QString why;
  Place* place = placeFor(original, st, why);
  if (!place) return why;
  const int own = folderDescriptor(dirfd);
  if (own < 0) return errnoText(errno);

  // Paths in a volume's trash are relative to its top folder.
  const std::string infoPath = place->topdir.empty()  ? original
                               : place->topdir == "/" ? original.substr(1)
                                                      : original.substr(place->topdir.size() + 1);
  Item item;
  item.dirfd = own;
  item.name = name;
  item.st = st;
  item.place = place;
  item.tag = tag;
  item.content = "[Trash Info]\nPath=" + percentEncodePath(infoPath) + "\nDeletionDate=" + localDeletionDate() + "\n";
  if (const int err = place->claim(name, item.content, item.trashName); err != 0) return errnoText(err);
  items_.push_back(std::move(item));
  return {};
}

void TrashBatch::removeFolderAfter(int dirfd, const std::string& name, const struct stat& st) {
  const int own = folderDescriptor(dirfd);
  if (own < 0) return;
  Item item;
  item.folderRemoval = true;
  item.dirfd = own;
  item.name = name;
  item.st = st;
  items_.push_back(std::move(item));
}

std::vector<TrashBatch::Outcome> TrashBatch::flush(bool stopAtFailure) {
  std::vector<Outcome> out;
  // One sync per file system puts every info file of the batch on disk before any move.
  for (auto& [device, place] : places_) {
    if (!place->dirty) continue;
    if (::syncfs(place->info) != 0) ::fsync(place->info);
    place->dirty = false;
  }
  std::size_t k = 0;
  for (; k < items_.size(); ++k) {
    Item& item = items_[k];
    if (item.folderRemoval) {
      if (sameObject(item.dirfd, item.name, item.st)) ::unlinkat(item.dirfd, item.name.c_str(), AT_REMOVEDIR);
      continue;
    }
    Place& place = *item.place;
    Outcome o;
    o.tag = item.tag;
    for (int attempt = 0;; ++attempt) {
      struct stat now {};
      if (::fstatat(item.dirfd, item.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) {
        o.error = errno;
        break;
      }
      if (now.st_dev != item.st.st_dev || now.st_ino != item.st.st_ino) {
        o.error = ESTALE;
        break;
      }
      if (::renameat2(item.dirfd, item.name.c_str(), place.files, item.trashName.c_str(), RENAME_NOREPLACE) == 0) break;
      int err = errno;
      if ((err == EINVAL || err == ENOSYS) &&
          ::faccessat(place.files, item.trashName.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) != 0) {
        // A file system without RENAME_NOREPLACE: the name was checked free just before.
        if (::renameat(item.dirfd, item.name.c_str(), place.files, item.trashName.c_str()) == 0) break;
        err = errno;
      }
      if (err != EEXIST && err != ENOTEMPTY) {
        o.error = err;
        break;
      }
      // Someone took the name in files/ meanwhile: a new name, its info file synced alone.
      ::unlinkat(place.info, (item.trashName + ".trashinfo").c_str(), 0);
      item.trashName.clear();
      if (attempt > 100) {
        o.error = EEXIST;
        break;
      }
      if (const int e = place.claim(item.name, item.content, item.trashName); e != 0) {
        o.error = e;
        break;
      }
      const int fd = ::openat(place.info, (item.trashName + ".trashinfo").c_str(), O_WRONLY | O_CLOEXEC);
      if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
      }
      ::fsync(place.info);
    }
    if (o.error != 0) {
      if (!item.trashName.empty()) ::unlinkat(place.info, (item.trashName + ".trashinfo").c_str(), 0);
      o.reason = o.error == ESTALE ? QStringLiteral("it is no longer the file that was marked") : errnoText(o.error);
    }
    const bool stop = stopAtFailure && o.error != 0 && o.error != ENOENT && o.error != ESTALE;
    out.push_back(std::move(o));
    if (stop) break;
  }
  // Entries left after a failure: their info files go, they stay.
  for (++k; k < items_.size(); ++k)
    if (!items_[k].folderRemoval) ::unlinkat(items_[k].place->info, (items_[k].trashName + ".trashinfo").c_str(), 0);
  items_.clear();
  for (const auto& [key, fd] : folders_) ::close(fd);
  folders_.clear();
  return out;
}

}  // namespace roomvale::platform
