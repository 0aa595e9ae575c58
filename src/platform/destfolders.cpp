#include "platform/destfolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/folderchain.h"

namespace roomvale::platform {

DestinationFolders::~DestinationFolders() { close(); }

int DestinationFolders::open(const std::string& root) {
  close();
  root_ = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return root_ < 0 ? errno : 0;
}

void DestinationFolders::close() {
  for (auto& [name, o] : open_) ::close(o.fd);
  open_.clear();
  if (root_ >= 0) ::close(root_);
  root_ = -1;
}

int DestinationFolders::remember(const std::string& relative, int fd) {
  open_.emplace(relative, Open{fd, ++uses_});
  return fd;
}

DestinationFolders::Folder DestinationFolders::folder(std::string_view relative, bool create) {
  if (root_ < 0) return {-1, Outcome::Failed, EBADF};
  if (relative.empty()) return {root_, Outcome::Opened, 0};
  const std::uint64_t callStart = uses_ + 1;

  // Start below the deepest folder of the path that is open already.
  int fd = root_;
  std::size_t done = 0;  // length of the prefix `fd` stands for
  for (std::size_t end = relative.size(); end != std::string_view::npos && end > 0;
       end = relative.rfind('/', end - 1)) {
    auto it = open_.find(std::string(relative.substr(0, end)));
    if (it != open_.end()) {
      it->second.lastUse = ++uses_;
      fd = it->second.fd;
      done = end;
      break;
    }
  }

  Folder result{fd, Outcome::Opened, 0};
  while (done < relative.size()) {
    const std::size_t start = done == 0 ? 0 : done + 1;
    std::size_t end = relative.find('/', start);
    if (end == std::string_view::npos) end = relative.size();
    const std::string name(relative.substr(start, end - start));
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos) {
      result = {-1, Outcome::Refused, 0};
      break;
    }
    int next = ::openat(fd, name.c_str(), kWalkOpenFlags);
    if (next < 0 && errno == ENOENT && create) {
      // Another writer may create it at the same moment; opening it afterwards decides.
      if (::mkdirat(fd, name.c_str(), 0777) != 0 && errno != EEXIST) {
        result = {-1, Outcome::Failed, errno};
        break;
      }
      next = ::openat(fd, name.c_str(), kWalkOpenFlags);
    }
    if (next < 0) {
      const int e = errno;
      result = {-1, (e == ELOOP || e == ENOTDIR) ? Outcome::Refused : Outcome::Failed, e};
      break;
    }
    fd = remember(std::string(relative.substr(0, end)), next);
    done = end;
    result = {fd, Outcome::Opened, 0};
  }

  // Close the folders used longest ago, never one reached in this call.
  while (open_.size() > maxOpen) {
    auto oldest = open_.begin();
    for (auto it = open_.begin(); it != open_.end(); ++it)
      if (it->second.lastUse < oldest->second.lastUse) oldest = it;
    if (oldest->second.lastUse >= callStart) break;
    ::close(oldest->second.fd);
    open_.erase(oldest);
  }
  return result;
}

}  // namespace roomvale::platform
