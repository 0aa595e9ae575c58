// The folders below a chosen folder that files are written into (restoring archives).
// Every folder is opened relative to its parent without following a symbolic link (the
// walk's flags), and created there when missing, so that nothing reached through it can lie
// outside the chosen folder, whatever links are already present below it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace roomvale::platform {

class DestinationFolders {
 public:
  enum class Outcome {
    Opened,
    Refused,  // a component is a symbolic link or not a folder, or the path is not a plain relative one
    Failed,   // a system call failed (`error` holds errno)
  };
  struct Folder {
    int fd = -1;  // valid until the next call of folder() or close()
    Outcome outcome = Outcome::Failed;
    int error = 0;
  };

  DestinationFolders() = default;
  ~DestinationFolders();
  DestinationFolders(const DestinationFolders&) = delete;
  DestinationFolders& operator=(const DestinationFolders&) = delete;

  // Opens the chosen folder itself. Links in its own path are followed: the user picked it
  // by that path. Returns 0 or an errno value.
  int open(const std::string& root);
  void close();
  int rootFd() const { return root_; }

  // The folder `relative` below the root: "" for the root itself, otherwise names joined by
  // "/", none of them empty, "." or "..". Missing folders are created when `create` is set.
  Folder folder(std::string_view relative, bool create);

  // Folders kept open between calls (the deepest ones used last).
  std::size_t maxOpen = 64;

 private:
  struct Open {
    int fd;
    std::uint64_t lastUse;
  };
  int remember(const std::string& relative, int fd);

  int root_ = -1;
  std::unordered_map<std::string, Open> open_;
  std::uint64_t uses_ = 0;
};

}  // namespace roomvale::platform
