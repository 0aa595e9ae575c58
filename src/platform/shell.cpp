#include "platform/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDesktopServices>
#include <QMimeDatabase>
#include <QMimeType>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>

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

bool renameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: the name was checked free just before.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

QString moveToTrash(const std::string& pathIn) {
  std::string path = pathIn;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path == "/") return QStringLiteral("Cannot move this to the trash");
  if (path[0] != '/') {
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return errnoText(errno);
    path = joinPath(cwd, path);
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errnoText(errno);

  // The original location: the real folder (links above it resolved) plus the name itself,
  // which is never followed, so a link is trashed as a link.
  const std::string name = nameOf(path);
  if (name == "." || name == "..") return QStringLiteral("Cannot move this to the trash");
  const std::string folder = canonicalPath(folderOf(path));
  const std::string original = joinPath(folder, name);

  std::string trash = dataHome() + "/Trash";
  std::string infoPath;  // what goes into Path=
  dev_t homeDev = 0;
  if (deviceOfNearest(trash, homeDev) && homeDev == st.st_dev) {
    if (!ensurePrivateDirs(trash)) return QStringLiteral("Cannot create the trash folder ") + toDisplay(trash);
    infoPath = original;
  } else {
    // The top directory of the file's volume: climb while the device stays the same.
    struct stat fs {};
    if (::stat(folder.c_str(), &fs) != 0) return errnoText(errno);
    if (fs.st_dev != st.st_dev) return QStringLiteral("Cannot move a mount point to the trash");
    std::string topdir = folder;
    while (topdir != "/") {
      std::string up = folderOf(topdir);
      if (up.size() > 1) up.pop_back();
      struct stat us {};
      if (::stat(up.c_str(), &us) != 0 || us.st_dev != st.st_dev) break;
      topdir = up;
    }
    trash = topDirTrash(topdir);
    if (trash.empty()) return QStringLiteral("No usable trash folder on the volume of ") + toDisplay(topdir);
    // Paths in a volume's trash are relative to its top directory.
    infoPath = topdir == "/" ? original.substr(1) : original.substr(topdir.size() + 1);
  }
  const std::string files = trash + "/files";
  const std::string info = trash + "/info";
  if (!ensurePrivateDir(files) || !ensurePrivateDir(info))
    return QStringLiteral("Cannot create the trash folder ") + toDisplay(trash);

  const std::string content =
      "[Trash Info]\nPath=" + percentEncodePath(infoPath) + "\nDeletionDate=" + localDeletionDate() + "\n";
  // The info file's name must stay within NAME_MAX together with ".trashinfo".
  const std::string base = cutName(name, 255 - 10 - 12);
  for (int n = 1; n < 100000; ++n) {
    const std::string trashName = candidateName(base, n);
    const std::string infoFile = info + "/" + trashName + ".trashinfo";
    // Claiming the info file first reserves the name against other programs trashing now.
    const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return errnoText(errno);
    }
    bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (!written) {
      const int err = errno;
      ::unlink(infoFile.c_str());
      return errnoText(err);
    }
    const std::string target = files + "/" + trashName;
    if (renameNoReplace(path, target)) return {};
    const int err = errno;
    ::unlink(infoFile.c_str());
    if (err == EEXIST || err == ENOTEMPTY) continue;  // a stray entry in files/: next name
    return errnoText(err);
  }
  return QStringLiteral("No free name in the trash");
}

QUrl fileUrlOf(const std::string& path) {
  std::string abs = path;
  if (abs.empty() || abs[0] != '/') {
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd)) abs = joinPath(cwd, abs);
  }
  const QByteArray encoded = QByteArray(abs.data(), qsizetype(abs.size())).toPercentEncoding(QByteArrayLiteral("/"));
  return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
}

bool openWithAssociatedProgram(const std::string& path) {
  const QUrl url = fileUrlOf(path);
  if (!url.isValid()) return false;
  return QDesktopServices::openUrl(url);
}

namespace {

// "*.ext" globs without further wildcards, lower-cased extension -> first type naming it.
struct GlobIndex {
  std::map<QString, QMimeType> byExtension;  // key: ".ext" lower case
  QStringList extensions;                    // ".ext", sorted, unique regardless of case
};

const GlobIndex& globIndex() {
  static const GlobIndex index = [] {
    GlobIndex idx;
    std::map<QString, QString> written;
    QMimeDatabase db;
    for (const QMimeType& type : db.allMimeTypes()) {
      for (const QString& glob : type.globPatterns()) {
        if (!glob.startsWith(QLatin1String("*.")) || glob.size() < 3) continue;
        const QString ext = glob.mid(1);
        if (ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?')) || ext.contains(QLatin1Char('[')))
          continue;
        const QString key = ext.toLower();
        // Where globs differ only in case ("*.C", "*.c"), the lower-case one wins.
        auto [it, added] = idx.byExtension.emplace(key, type);
        if (!added && ext == key && written[key] != key) it->second = type;
        if (added || ext == key) written[key] = ext;
      }
    }
    for (const auto& [key, ext] : written) idx.extensions << ext;
    std::sort(idx.extensions.begin(), idx.extensions.end(), [](const QString& a, const QString& b) {
      const int c = a.compare(b, Qt::CaseInsensitive);
      return c != 0 ? c < 0 : a < b;
    });
    return idx;
  }();
  return index;
}

}  // namespace

ExtensionType extensionType(const QString& extWithDot) {
  if (extWithDot.size() < 2 || !extWithDot.startsWith(QLatin1Char('.'))) return {};
  // Prefer the database's own choice among types sharing the glob, then any type naming it.
  QMimeDatabase db;
  const QMimeType best = db.mimeTypeForFile(QLatin1String("x") + extWithDot, QMimeDatabase::MatchExtension);
  const QString glob = QLatin1Char('*') + extWithDot;
  if (best.isValid())
    for (const QString& g : best.globPatterns())
      if (g.compare(glob, Qt::CaseInsensitive) == 0) return {best.name(), best.comment()};
  const auto& idx = globIndex();
  auto it = idx.byExtension.find(extWithDot.toLower());
  if (it == idx.byExtension.end()) return {};
  return {it->second.name(), it->second.comment()};
}

QStringList registeredExtensions() { return globIndex().extensions; }

}  // namespace roomvale::platform
