#include "platform/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

namespace roomvale::platform {

namespace {

std::string withoutTrailingSlash(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

// An XDG variable counts only when it holds an absolute path.
std::string xdgOr(const char* var, const char* fallbackBelowHome) {
  const char* v = std::getenv(var);
  if (v && v[0] == '/') return withoutTrailingSlash(v);
  const std::string home = homeFolder();
  return (home == "/" ? std::string() : home) + fallbackBelowHome;
}

bool writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string uniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937 rng{std::random_device{}()};
  return std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + std::to_string(rng() % 1000000);
}

}  // namespace

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string canonicalPath(const std::string& path) {
  if (path.empty()) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string out = real;
  std::free(real);
  return out;
}

// Bytes that are not UTF-8 become the lone surrogates U+DC80..U+DCFF, which no valid UTF-8
// decodes to, so that a name shown (or kept in a grid cell) converts back to its own bytes.
QString toDisplay(const std::string& path) {
  const QString fast = QString::fromUtf8(path.data(), qsizetype(path.size()));
  if (!fast.contains(QChar::ReplacementCharacter)) return fast;
  QString out;
  out.reserve(qsizetype(path.size()));
  const auto* p = reinterpret_cast<const unsigned char*>(path.data());
  const size_t n = path.size();
  for (size_t i = 0; i < n;) {
    const unsigned c = p[i];
    if (c < 0x80) {
      out += QChar(char16_t(c));
      ++i;
      continue;
    }
    size_t len = 0;
    char32_t cp = 0, min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4, cp = c & 0x07, min = 0x10000;
    }
    bool valid = len > 0 && i + len <= n;
    for (size_t k = 1; valid && k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    valid = valid && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    if (!valid) {
      out += QChar(char16_t(0xDC00 + c));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out += QChar(QChar::highSurrogate(cp));
      out += QChar(QChar::lowSurrogate(cp));
    } else {
      out += QChar(char16_t(cp));
    }
    i += len;
  }
  return out;
}

std::string fromDisplay(const QString& text) {
  std::string out;
  out.reserve(size_t(text.size()));
  auto put = [&out](char32_t cp) {
    if (cp < 0x80) {
      out.push_back(char(cp));
    } else if (cp < 0x800) {
      out.push_back(char(0xC0 | (cp >> 6)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(char(0xE0 | (cp >> 12)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (cp >> 18)));
      out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    }
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
      put(QChar::surrogateToUcs4(u, text[i + 1].unicode()));
      ++i;
    } else if (u >= 0xDC80 && u <= 0xDCFF) {
      out.push_back(char(u - 0xDC00));  // an escaped raw byte
    } else if (QChar::isSurrogate(u)) {
      put(0xFFFD);
    } else {
      put(u);
    }
  }
  return out;
}

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return withoutTrailingSlash(home);
  std::vector<char> buf(16384);
  struct passwd pw {};
  struct passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result && result->pw_dir)
    return withoutTrailingSlash(result->pw_dir);
  return "/";
}

std::string configRoot() { return xdgOr("XDG_CONFIG_HOME", "/.config"); }

std::string dataHome() { return xdgOr("XDG_DATA_HOME", "/.local/share"); }

std::string cacheHome() { return xdgOr("XDG_CACHE_HOME", "/.cache"); }

std::string userDataFolder() { return dataHome() + "/Roomvale"; }

std::string ensureUserDataFolder() {
  const std::string folder = userDataFolder();
  // Folders the program creates below the user's data home are private to the user.
  for (size_t pos = folder.find('/', 1); pos != std::string::npos; pos = folder.find('/', pos + 1))
    ::mkdir(folder.substr(0, pos).c_str(), 0700);
  ::mkdir(folder.c_str(), 0700);
  return folder;
}

std::string programFolder() {
  std::vector<char> buf(PATH_MAX);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "./";
  return folderOf(std::string(buf.data(), static_cast<size_t>(n)));
}

std::string programDataFile(const std::string& name) {
  const std::string folder = programFolder();
  const std::string beside = joinPath(folder, name);
  struct stat st {};
  if (::stat(beside.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return beside;
  // <prefix>/bin/ -> <prefix>/share/roomvale/
  std::string prefix = folder;
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  prefix = folderOf(prefix);
  const std::string installed = joinPath(joinPath(prefix, "share/roomvale"), name);
  if (::stat(installed.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return installed;
  return beside;
}

namespace {

// A temporary older than this, that no writer holds locked, was left by a writer that died.
// (The age covers the moment between a writer creating its temporary and locking it.)
constexpr time_t kStaleTemporarySeconds = 10;

// Removes the temporaries ".<name>.tmp-*" that earlier writers of `name` left in the folder
// `dirfd` when they were killed. A writer holds its temporary locked from just after
// creating it until it has been renamed, so a locked one belongs to a writer still running.
void removeStaleTemporaries(int dirfd, const std::string& name) {
  const std::string prefix = "." + name + ".tmp-";
  const int listFd = ::openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return;
  DIR* dir = ::fdopendir(listFd);
  if (!dir) {
    ::close(listFd);
    return;
  }
  const time_t now = ::time(nullptr);
  std::vector<std::string> stale;
  while (const dirent* e = ::readdir(dir)) {
    if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0) continue;
    struct stat st {};
    if (::fstatat(dirfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid() || now - st.st_mtime < kStaleTemporarySeconds)
      continue;
    stale.emplace_back(e->d_name);
  }
  ::closedir(dir);
  for (const std::string& temp : stale) {
    const int fd = ::openat(dirfd, temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat held {
    }, named{};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
        ::fstatat(dirfd, temp.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino)
      ::unlinkat(dirfd, temp.c_str(), 0);
    ::close(fd);
  }
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& content) {
  if (path.empty()) return false;
  std::string target = path;
  struct stat old {};
  bool hadOld = ::lstat(target.c_str(), &old) == 0;
  if (hadOld && S_ISLNK(old.st_mode)) {
    // Write through a link (a settings file kept elsewhere) instead of replacing the link.
    char* real = ::realpath(target.c_str(), nullptr);
    if (real) {
      target = real;
      std::free(real);
      hadOld = ::lstat(target.c_str(), &old) == 0;
    } else {
      hadOld = false;
    }
  }
  if (hadOld && !S_ISREG(old.st_mode)) return false;

  std::string folder = folderOf(target);
  const std::string temp = folder + "." + nameOf(target) + ".tmp-" + uniqueSuffix();
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  // Held until the temporary has its final name: a later writer's clean-up leaves it alone.
  ::flock(fd, LOCK_EX | LOCK_NB);
  bool ok = writeAll(fd, content.data(), content.size());
  if (ok && hadOld) {
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    // Running as root, keep the owner too; a failure there is not worth losing the write.
    if (ok && ::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != 0) && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
    }
  }
  if (ok) ok = ::fsync(fd) == 0;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  // Closed only now, so the lock lasts as long as the temporary name.
  ::close(fd);
  if (!ok) return false;
  // Make the rename itself durable, and clear what killed writers left behind.
  const int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    removeStaleTemporaries(dfd, nameOf(target));
    ::close(dfd);
  }
  return true;
}

}  // namespace roomvale::platform
