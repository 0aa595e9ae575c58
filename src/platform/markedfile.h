// Reaching a file the user marked, safely. Every action on a marked file goes through here:
// its folder is opened from the top one component at a time, never through a symbolic link,
// the entry found in it is checked against the identity the file had when it was listed or
// marked, and the action is done relative to the folder's descriptor. A folder of the path
// that was replaced by a link (or by another folder) since the file was marked therefore
// cannot send an action anywhere else: the file is reported as not found instead.
#pragma once

#include <sys/stat.h>

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace roomvale::platform {

// Device and inode of a file; zero for both when not known.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;

  bool known() const { return device != 0 || inode != 0; }
  bool matches(const struct stat& st) const {
    return !known() ||
           (static_cast<std::uint64_t>(st.st_dev) == device && static_cast<std::uint64_t>(st.st_ino) == inode);
  }
  static FileIdentity of(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  }
  bool operator==(const FileIdentity&) const = default;
};

// Opens `folder` (absolute, or relative to the current folder) one component at a time with
// the walk's flags, so no component may be a symbolic link. Empty and "." components are
// skipped; ".." is refused (EINVAL). Returns a descriptor or -1 with errno set (ELOOP or
// ENOTDIR when a component is a link or no folder).
int openFolderNoFollow(const std::string& folder);

// The folders of a run over many marked files: the last folder reached stays open, so a run
// over the files of one folder opens it once. Not copyable.
class FolderReach {
 public:
  FolderReach() = default;
  ~FolderReach();
  FolderReach(const FolderReach&) = delete;
  FolderReach& operator=(const FolderReach&) = delete;

  // Descriptor of `folder` (owned here, valid until the next call), or -1 with errno set.
  int open(const std::string& folder);
  void close();

 private:
  std::string path_;
  int fd_ = -1;
};

// A marked file as it was found: the descriptor of its folder (borrowed from the
// FolderReach), its name there and what stands under that name now.
struct ReachedFile {
  int dirfd = -1;
  std::string name;
  struct stat st {};
};

// Reaches `path` through `folders` and checks that the entry under its name (not followed)
// is `expected` when that is known. Returns 0, or an errno value: ENOENT when nothing stands
// there, ELOOP/ENOTDIR when a folder of the path is a link or no folder, ESTALE when another
// file stands there now, EINVAL when the path names no file ("", ".", "..", trailing "/").
int reachMarkedFile(FolderReach& folders, const std::string& path, const FileIdentity& expected, ReachedFile& out);

// Opens the reached file for reading, without following a link and without blocking on a
// pipe; the file opened must still be the one reached. Returns a descriptor or -1 with errno.
int openReachedForReading(const ReachedFile& file);

// Removes the reached entry by name relative to its folder, if the name still stands for
// the object reached. Returns 0 or an errno value.
int unlinkReached(const ReachedFile& file);

// What a marked file is when it is marked: its identity and size, reached as above;
// nothing when it cannot be reached or is a folder.
struct MarkedLookup {
  FileIdentity identity;
  std::uint64_t size = 0;
};
std::optional<MarkedLookup> lookUpMarkedFile(const std::string& path);

// The reason shown for an errno value of the functions above: the system's text, except for
// ESTALE and a folder that is a link, which the system would describe misleadingly.
QString reachErrorText(int err);

}  // namespace roomvale::platform
