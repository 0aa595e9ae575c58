#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>

namespace roomvale::platform {

// Flags for every folder a walk opens: never through a symbolic link.
constexpr int kWalkOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A deep walk keeps only its deepest folders open and closes the shallower ones to spare
// descriptors. This reopens levels[childIndex - 1] on the way back up: through ".." of the
// child while the child is still open, otherwise down again by name from levels[0] (which
// stays open). Every folder reached must still be the one that was walked (same device and
// inode); a folder moved or replaced meanwhile gives -1. Each level has `fd`, `device`,
// `inode` and its `name` in its parent.
template <class Levels>
int reopenWalkedParent(const Levels& levels, std::size_t childIndex) {
  const auto& child = levels[childIndex];
  const auto& parent = levels[childIndex - 1];
  auto same = [](int fd, const auto& level) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_dev == level.device && st.st_ino == level.inode;
  };
  if (child.fd >= 0) {
    const int fd = ::openat(child.fd, "..", kWalkOpenFlags);
    if (fd >= 0) {
      if (same(fd, parent)) return fd;
      ::close(fd);
    }
  }
  int fd = ::fcntl(levels[0].fd, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return -1;
  for (std::size_t i = 1; i < childIndex; ++i) {
    const int next = ::openat(fd, levels[i].name.c_str(), kWalkOpenFlags);
    ::close(fd);
    if (next < 0) return -1;
    if (!same(next, levels[i])) {
      ::close(next);
      return -1;
    }
    fd = next;
  }
  return fd;
}

}  // namespace roomvale::platform
