// Mounted volumes ("drives"): the parsed mount table, their kinds, labels, readiness and
// space.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace roomvale::platform {

// One line of /proc/self/mountinfo, with the octal escapes (\040 and the like) decoded.
struct MountInfoEntry {
  int mountId = 0;
  int parentId = 0;
  unsigned major = 0;
  unsigned minor = 0;
  std::string root;        // root of the mount within its file system
  std::string mountPoint;  // where it is mounted
  std::string options;     // per-mount options
  std::string fsType;      // e.g. "ext4", "fuse.sshfs"
  std::string source;      // e.g. "/dev/sda1", "server:/export"
  std::string superOptions;
};

// Parses the text of a mountinfo file. Malformed lines are skipped.
std::vector<MountInfoEntry> parseMountInfo(std::string_view text);

// Decodes the \ooo octal escapes the kernel writes for blanks, tabs, newlines and "\".
std::string decodeMountEscapes(std::string_view text);
// Decodes the \xNN escapes of udev link names (/dev/disk/by-label).
std::string decodeUdevEscapes(std::string_view text);

enum class VolumeKind { Floppy, Fixed, Network, CdRom, Ram };

struct Volume {
  std::string mountPoint;  // "/" or a path without trailing "/"
  std::string fsType;
  std::string source;
  VolumeKind kind = VolumeKind::Fixed;
  std::string label;   // file system label, empty when none is known
  unsigned major = 0;  // device numbers as stat() reports them for files on the volume
  unsigned minor = 0;
};

// Kind of a mount from its file system type and source (removable block devices are
// decided by `removable`, which the caller reads from /sys).
VolumeKind classifyMount(const MountInfoEntry& entry, bool removable);
// True for mounts never listed as drives (pseudo and system mounts, tmpfs below /run,
// /dev, /sys, squashfs below /snap).
bool isHiddenMount(const MountInfoEntry& entry);

// Answers about the block device behind a mount.
using RemovableFn = std::function<bool(const MountInfoEntry& mount)>;
using LabelFn = std::function<std::string(const MountInfoEntry& mount)>;

// Listed volumes of a parsed mount table, in mount-point order; a mount point mounted over
// several times is listed once (its topmost mount). `removableOf` answers whether the block
// device of a mount is removable, `labelOf` gives its label ("" when none); either may be
// empty (nothing removable, no labels), which keeps this function pure for tests.
std::vector<Volume> volumesFromMountInfo(const std::vector<MountInfoEntry>& entries,
                                         const RemovableFn& removableOf = {}, const LabelFn& labelOf = {});

// The volumes of this machine, now.
std::vector<Volume> listVolumes();

// The volume holding `path` (the one with the longest mount point that is a prefix of it,
// compared by whole path components; the path itself is never touched, a relative one is
// taken from the current folder).
std::optional<Volume> volumeOf(const std::string& path);
std::optional<Volume> volumeOf(const std::string& path, const std::vector<Volume>& volumes);

// Drive-list entry text: the mount point, then for fixed, CD-ROM and RAM volumes a blank and
// the label (first letter upper case, rest lower) when there is one, for network volumes a
// blank and the remote source.
std::string volumeEntryText(const Volume& volume);

// True when statvfs on `path` succeeds within `limit` (a hung network mount is "not ready").
// The query runs on a helper thread; a hung one is left behind, but a mount point never has
// more than one: later calls for it wait on the same query.
bool isVolumeReady(const std::string& path, std::chrono::milliseconds limit = std::chrono::milliseconds(2000));

struct DiskSpace {
  std::uint64_t total = 0;        // f_blocks * f_frsize
  std::uint64_t free = 0;         // f_bfree * f_frsize
  std::uint64_t available = 0;    // f_bavail * f_frsize
  std::uint64_t clusterSize = 0;  // f_bsize, the allocation unit
};
// Space of the file system holding `path`, with the same time limit; nothing on failure.
std::optional<DiskSpace> diskSpace(const std::string& path,
                                   std::chrono::milliseconds limit = std::chrono::milliseconds(2000));

// Replaces the statvfs query behind isVolumeReady and diskSpace (tests only; an empty
// function restores the real one).
using SpaceProbe = std::function<std::optional<DiskSpace>(const std::string& path)>;
void setSpaceProbeForTesting(SpaceProbe probe);

}  // namespace roomvale::platform
