#include "platform/paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
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

QString toDisplay(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
}

std::string fromDisplay(const QString& text) { return QFile::encodeName(text).toStdString(); }

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
  bool ok = writeAll(fd, content.data(), content.size());
  if (ok && hadOld) {
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    // Running as root, keep the owner too; a failure there is not worth losing the write.
    if (ok && ::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != 0) && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
    }
  }
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  const int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

}  // namespace roomvale::platform
