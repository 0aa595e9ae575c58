// Directory enumeration with attribute requests, on directory descriptors. Never follows
// a symbolic link. Names are native bytes.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace roomvale::platform {

// Attribute bits as the program's rules know them.
enum Attr : std::uint32_t {
  kAttrReadOnly = 0x01,   // owner write bit clear
  kAttrHidden = 0x02,     // name begins with "."
  kAttrSystem = 0x04,     // neither regular file nor directory, or a directory on another file system
  kAttrVolume = 0x08,     // never set
  kAttrDirectory = 0x10,  // a real directory (never a link to one)
  kAttrArchive = 0x20,    // every regular file
};

// A file time; `valid` is false for "not recorded" (no birth time, or a zero birth time).
struct FileTime {
  std::int64_t sec = 0;
  std::int32_t nsec = 0;
  bool valid = false;
};

struct DirEntry {
  std::string name;  // native bytes
  std::uint32_t attr = 0;
  std::uint64_t size = 0;     // 64-bit, 0 for folders
  FileTime writeTime;         // mtime
  FileTime accessTime;        // atime
  FileTime creationTime;      // birth time where recorded
  std::uint64_t device = 0;   // st_dev of the entry
  std::uint64_t mountId = 0;  // the mount holding it (0 when the kernel does not say)
  std::uint64_t inode = 0;
  std::uint64_t allocated = 0;  // bytes allocated on disk (st_blocks * 512)
  bool isDirectory() const { return attr & kAttrDirectory; }
};

// Windows-style wildcard match on a name: "*" any run, "?" one character, case-insensitive
// (ASCII), "*.*" matches every name (also names without a dot), "*." matches names without
// an extension.
bool matchesPattern(std::string_view name, std::string_view pattern);

// True when an entry with `attr` passes the request: an entry is skipped when it carries any
// of the bits hidden, system, volume or directory that the request does not contain.
constexpr bool passesRequest(std::uint32_t attr, std::uint32_t request) {
  return (attr & (kAttrHidden | kAttrSystem | kAttrVolume | kAttrDirectory) & ~request) == 0;
}

// Packed local FAT date-time (date in the high 16 bits); nothing outside 1980-2107 or for
// an invalid time.
std::optional<std::uint32_t> toFatDateTime(const FileTime& t);

// Enumerates one folder, given as a path relative to an open folder's descriptor (".", or a
// name; opened anew, so the reader has its own descriptor and position) or as a path; `rootDevice` is the device of the
// walk's target so that a folder on another file system is reported with the system bit. "." and ".." are never
// reported. A sub-folder on another mount than the folder (a bind mount of the same file system too) is reported
// with the system bit as well.
class DirReader {
 public:
  DirReader() = default;
  ~DirReader();
  DirReader(const DirReader&) = delete;
  DirReader& operator=(const DirReader&) = delete;
  DirReader(DirReader&& other) noexcept;
  DirReader& operator=(DirReader&& other) noexcept;

  // Opens `path` (relative to `dirfd`, or absolute) without following a final symbolic link.
  // `pattern` and `request` choose the entries; `rootDevice` 0 means the folder's own device.
  bool open(int dirfd, const std::string& path, std::string_view pattern, std::uint32_t request,
            std::uint64_t rootDevice = 0);
  bool open(const std::string& path, std::string_view pattern, std::uint32_t request, std::uint64_t rootDevice = 0);

  // Next matching entry; false at the end or on a read error.
  bool next(DirEntry& entry);
  void close();

  int fd() const;  // descriptor of the open folder, -1 when closed
  std::uint64_t device() const { return device_; }

 private:
  void* dir_ = nullptr;  // DIR*
  std::string pattern_;
  bool matchAll_ = true;
  std::uint32_t request_ = 0;
  std::uint64_t device_ = 0;
  std::uint64_t rootDevice_ = 0;
  std::uint64_t mountId_ = 0;  // of the folder read: a sub-folder on another mount gets the system bit
};

// Fills `entry` for one named object inside `dirfd` (lstat semantics: a link is reported as
// a link; `dirfd` may be AT_FDCWD, `name` a relative or absolute path). With `rootDevice` 0
// a folder is compared with the device of the folder holding it. False when it does not
// exist or cannot be examined.
bool statEntry(int dirfd, const std::string& name, DirEntry& entry, std::uint64_t rootDevice = 0);

}  // namespace roomvale::platform
