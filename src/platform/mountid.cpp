#include "platform/mountid.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <mutex>

namespace roomvale::platform {

namespace {

std::atomic<bool> useStatx{true};

// The mount table, read again only when the kernel says it changed (poll gives POLLPRI on
// /proc/self/mountinfo after every mount and unmount).
class MountTableCache {
 public:
  std::uint64_t lookup(std::string_view path) {
    std::lock_guard<std::mutex> hold(mutex_);
    refresh();
    return mountIdOfPath(table_, path);
  }

 private:
  void refresh() {
    if (fd_ < 0) {
      fd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
      if (fd_ < 0) return;
      stale_ = true;
    }
    pollfd p{fd_, POLLPRI, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLPRI | POLLERR))) stale_ = true;
    if (!stale_) return;
    std::string text;
    char buf[16384];
    if (::lseek(fd_, 0, SEEK_SET) != 0) return;
    for (;;) {
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      text.append(buf, static_cast<std::size_t>(n));
    }
    table_ = parseMountInfo(text);
    stale_ = false;
  }

  std::mutex mutex_;
  int fd_ = -1;
  bool stale_ = true;
  std::vector<MountInfoEntry> table_;
};

MountTableCache& tableCache() {
  static MountTableCache cache;
  return cache;
}

bool isPrefixByComponents(std::string_view prefix, std::string_view path) {
  if (prefix == "/") return !path.empty() && path.front() == '/';
  if (path.substr(0, prefix.size()) != prefix) return false;
  return path.size() == prefix.size() || path[prefix.size()] == '/';
}

}  // namespace

std::uint64_t mountIdOf(int fd) {
  if (fd < 0) return 0;
  if (useStatx.load(std::memory_order_relaxed)) {
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &sx) == 0 && (sx.stx_mask & STATX_MNT_ID))
      return sx.stx_mnt_id;
  }
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  std::string path(4096, '\0');
  const ssize_t n = ::readlink(link, path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size() || path[0] != '/') return 0;
  path.resize(static_cast<std::size_t>(n));
  return tableCache().lookup(path);
}

std::uint64_t mountIdOfPath(const std::vector<MountInfoEntry>& table, std::string_view path) {
  std::size_t bestLength = 0;
  std::vector<const MountInfoEntry*> candidates;  // mounts on the longest matching mount point
  for (const MountInfoEntry& m : table) {
    if (m.mountId <= 0 || !isPrefixByComponents(m.mountPoint, path)) continue;
    if (!candidates.empty() && m.mountPoint.size() < bestLength) continue;
    if (m.mountPoint.size() > bestLength) candidates.clear();
    bestLength = m.mountPoint.size();
    candidates.push_back(&m);
  }
  // Of mounts stacked on one point the top one holds the path: the one no other sits on,
  // the last line when that does not decide.
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
    const bool covered = std::any_of(candidates.begin(), candidates.end(),
                                     [&](const MountInfoEntry* other) { return other->parentId == (*it)->mountId; });
    if (!covered) return static_cast<std::uint64_t>((*it)->mountId);
  }
  return candidates.empty() ? 0 : static_cast<std::uint64_t>(candidates.back()->mountId);
}

bool statxMountIdsEnabled() { return useStatx.load(std::memory_order_relaxed); }

void setStatxMountIdsForTesting(bool on) { useStatx.store(on, std::memory_order_relaxed); }

}  // namespace roomvale::platform
