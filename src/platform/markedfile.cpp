#include "platform/markedfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/folderchain.h"

namespace roomvale::platform {

int openFolderNoFollow(const std::string& folder) {
  const bool absolute = !folder.empty() && folder[0] == '/';
  int fd = ::open(absolute ? "/" : ".", kWalkOpenFlags);
  if (fd < 0) return -1;
  std::size_t pos = 0;
  while (pos < folder.size()) {
    std::size_t end = folder.find('/', pos);
    if (end == std::string::npos) end = folder.size();
    const std::string part = folder.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      ::close(fd);
      errno = EINVAL;
      return -1;
    }
    const int next = ::openat(fd, part.c_str(), kWalkOpenFlags);
    const int err = errno;
    ::close(fd);
    if (next < 0) {
      errno = err;
      return -1;
    }
    fd = next;
  }
  return fd;
}

FolderReach::~FolderReach() { close(); }

void FolderReach::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
}

int FolderReach::open(const std::string& folder) {
  if (fd_ >= 0 && folder == path_) return fd_;
  close();
  fd_ = openFolderNoFollow(folder);
  if (fd_ >= 0) path_ = folder;
  return fd_;
}

int reachMarkedFile(FolderReach& folders, const std::string& path, const FileIdentity& expected, ReachedFile& out) {
  out = ReachedFile{};
  const auto slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return EINVAL;
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  const int dirfd = folders.open(folder);
  if (dirfd < 0) return errno;
  struct stat st {};
  if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (!expected.matches(st)) return ESTALE;
  out.dirfd = dirfd;
  out.name = std::move(name);
  out.st = st;
  return 0;
}

int openReachedForReading(const ReachedFile& file) {
  const int fd = ::openat(file.dirfd, file.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_dev != file.st.st_dev || st.st_ino != file.st.st_ino) {
    ::close(fd);
    errno = ESTALE;
    return -1;
  }
  return fd;
}

int unlinkReached(const ReachedFile& file) {
  struct stat st {};
  if (::fstatat(file.dirfd, file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (st.st_dev != file.st.st_dev || st.st_ino != file.st.st_ino) return ESTALE;
  if (::unlinkat(file.dirfd, file.name.c_str(), 0) != 0) return errno;
  return 0;
}

std::optional<MarkedLookup> lookUpMarkedFile(const std::string& path) {
  FolderReach folders;
  ReachedFile found;
  if (reachMarkedFile(folders, path, {}, found) != 0 || S_ISDIR(found.st.st_mode)) return std::nullopt;
  return MarkedLookup{FileIdentity::of(found.st), static_cast<std::uint64_t>(found.st.st_size)};
}

QString reachErrorText(int err) {
  if (err == ESTALE) return QStringLiteral("it is no longer the file that was marked");
  if (err == ELOOP || err == ENOTDIR) return QStringLiteral("a folder of its path is a symbolic link or no folder");
  return QString::fromLocal8Bit(std::strerror(err));
}

}  // namespace roomvale::platform
