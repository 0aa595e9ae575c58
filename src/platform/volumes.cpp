#include "platform/volumes.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <QString>
#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace roomvale::platform {

namespace {

bool isOctal(char c) { return c >= '0' && c <= '7'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Splits at blanks; the kernel escapes blanks inside fields, so fields never contain one.
std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size()) break;
    size_t end = pos;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

bool parseInt(std::string_view s, long long& out) {
  if (s.empty()) return false;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > INT_MAX) return false;
  }
  out = v;
  return true;
}

bool startsWithPath(const std::string& path, std::string_view folder) {
  // True when `path` is `folder` or lies below it (whole components).
  if (folder == "/") return !path.empty() && path[0] == '/';
  if (path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
  return path.size() == folder.size() || path[folder.size()] == '/';
}

bool below(const std::string& path, std::string_view folder) {
  return path.size() > folder.size() && startsWithPath(path, folder);
}

std::string readWholeFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool isNetworkFuse(const std::string& fsType, const std::string& source) {
  static const char* const kNetFuse[] = {"fuse.sshfs",  "fuse.rclone",    "fuse.s3fs",    "fuse.curlftpfs",
                                         "fuse.davfs",  "fuse.glusterfs", "fuse.gcsfuse", "fuse.ceph-fuse",
                                         "fuse.ceph",   "fuse.smbnetfs",  "fuse.goofys",  "fuse.juicefs",
                                         "fuse.sftpfs", "fuse.blobfuse",  "fuse.mfs",     "fuse.cvmfs"};
  for (const char* t : kNetFuse)
    if (fsType == t) return true;
  if (fsType.rfind("fuse", 0) != 0) return false;
  // Other FUSE mounts whose source names a remote place: "host:/path", "user@host:path",
  // "//server/share" or a URL.
  if (source.rfind("//", 0) == 0 || source.find("://") != std::string::npos) return true;
  const auto colon = source.find(':');
  return colon != std::string::npos && colon > 0 && source[0] != '/';
}

}  // namespace

std::string decodeMountEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && isOctal(text[i + 1]) && isOctal(text[i + 2]) &&
        isOctal(text[i + 3])) {
      const int v = (text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0');
      if (v <= 255) {
        out.push_back(static_cast<char>(v));
        i += 3;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

std::string decodeUdevEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      const int hi = hexValue(text[i + 2]);
      const int lo = hexValue(text[i + 3]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 3;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

std::vector<MountInfoEntry> parseMountInfo(std::string_view text) {
  std::vector<MountInfoEntry> out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    const std::string_view line = text.substr(pos, eol - pos);
    pos = eol + 1;

    const auto f = splitFields(line);
    // id parent maj:min root mountpoint options [optional...] - fstype source superoptions
    if (f.size() < 8) continue;
    size_t sep = 6;
    while (sep < f.size() && f[sep] != "-") ++sep;
    if (sep >= f.size() || sep + 1 >= f.size()) continue;

    MountInfoEntry e;
    long long id = 0, parent = 0, maj = 0, min = 0;
    if (!parseInt(f[0], id) || !parseInt(f[1], parent)) continue;
    const auto colon = f[2].find(':');
    if (colon == std::string_view::npos || !parseInt(f[2].substr(0, colon), maj) ||
        !parseInt(f[2].substr(colon + 1), min))
      continue;
    e.mountId = static_cast<int>(id);
    e.parentId = static_cast<int>(parent);
    e.major = static_cast<unsigned>(maj);
    e.minor = static_cast<unsigned>(min);
    e.root = decodeMountEscapes(f[3]);
    e.mountPoint = decodeMountEscapes(f[4]);
    e.options = std::string(f[5]);
    e.fsType = decodeMountEscapes(f[sep + 1]);
    if (sep + 2 < f.size()) e.source = decodeMountEscapes(f[sep + 2]);
    if (sep + 3 < f.size()) e.superOptions = std::string(f[sep + 3]);
    if (e.mountPoint.empty() || e.mountPoint[0] != '/') continue;
    out.push_back(std::move(e));
  }
  return out;
}

VolumeKind classifyMount(const MountInfoEntry& e, bool removable) {
  static const char* const kNetwork[] = {"nfs",       "nfs4", "cifs",  "smb3", "smbfs", "9p",     "ceph",
                                         "glusterfs", "afs",  "ncpfs", "coda", "davfs", "lustre", "beegfs"};
  for (const char* t : kNetwork)
    if (e.fsType == t) return VolumeKind::Network;
  if (isNetworkFuse(e.fsType, e.source)) return VolumeKind::Network;
  if (e.fsType == "iso9660" || e.fsType == "udf") return VolumeKind::CdRom;
  if (e.fsType == "tmpfs" || e.fsType == "ramfs") return VolumeKind::Ram;
  if (removable) return VolumeKind::Floppy;
  return VolumeKind::Fixed;
}

bool isHiddenMount(const MountInfoEntry& e) {
  static const char* const kPseudo[] = {"proc",     "sysfs",      "devtmpfs", "devpts",      "securityfs",
                                        "debugfs",  "tracefs",    "pstore",   "bpf",         "configfs",
                                        "fusectl",  "hugetlbfs",  "mqueue",   "binfmt_misc", "autofs",
                                        "efivarfs", "rpc_pipefs", "nsfs",     "fuse.portal", "fuse.gvfsd-fuse"};
  for (const char* t : kPseudo)
    if (e.fsType == t) return true;
  if (e.fsType.rfind("cgroup", 0) == 0) return true;
  // Nothing below the kernel's own trees is a drive, whatever its type.
  for (const char* sys : {"/proc", "/sys", "/dev"})
    if (startsWithPath(e.mountPoint, sys)) return true;
  if (e.fsType == "tmpfs" && startsWithPath(e.mountPoint, "/run")) return true;
  if (e.fsType == "squashfs" && below(e.mountPoint, "/snap")) return true;
  return false;
}

std::vector<Volume> volumesFromMountInfo(const std::vector<MountInfoEntry>& entries, const RemovableFn& removableOf,
                                         const LabelFn& labelOf) {
  // The topmost mount of each mount point: the latest one that is not itself mounted over.
  std::map<std::string, const MountInfoEntry*> top;
  for (const auto& e : entries) {
    auto it = top.find(e.mountPoint);
    if (it == top.end()) {
      top.emplace(e.mountPoint, &e);
      continue;
    }
    // A later line mounted on the same point covers the earlier one, unless the earlier one
    // was mounted on top of it (its parent).
    if (it->second->parentId != e.mountId) it->second = &e;
  }
  std::vector<Volume> out;
  for (const auto& [point, e] : top) {  // std::map: mount-point order
    if (isHiddenMount(*e)) continue;
    Volume v;
    v.mountPoint = point;
    v.fsType = e->fsType;
    v.source = e->source;
    v.major = e->major;
    v.minor = e->minor;
    v.kind = classifyMount(*e, removableOf && removableOf(*e));
    if (labelOf && v.kind != VolumeKind::Network) v.label = labelOf(*e);
    out.push_back(std::move(v));
  }
  return out;
}

namespace {

bool removableBlockDevice(unsigned maj, unsigned min) {
  // /sys/dev/block/M:m is the partition or the whole disk; "removable" lives on the disk.
  const std::string base = "/sys/dev/block/" + std::to_string(maj) + ":" + std::to_string(min);
  char real[PATH_MAX];
  if (!::realpath(base.c_str(), real)) return false;
  const std::string dev = real;
  for (const std::string& candidate : {dev + "/removable", dev + "/../removable"}) {
    const std::string text = readWholeFile(candidate.c_str());
    if (!text.empty()) return text[0] == '1';
  }
  return false;
}

std::map<dev_t, std::string> labelsByDevice() {
  std::map<dev_t, std::string> labels;
  const char* folder = "/dev/disk/by-label";
  DIR* d = ::opendir(folder);
  if (!d) return labels;
  while (dirent* de = ::readdir(d)) {
    if (de->d_name[0] == '.') continue;
    struct stat st {};
    if (::fstatat(::dirfd(d), de->d_name, &st, 0) != 0 || !S_ISBLK(st.st_mode)) continue;
    labels.emplace(st.st_rdev, decodeUdevEscapes(de->d_name));
  }
  ::closedir(d);
  return labels;
}

std::vector<MountInfoEntry> currentMounts() { return parseMountInfo(readWholeFile("/proc/self/mountinfo")); }

std::string absolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (!::getcwd(cwd, sizeof cwd)) return "/" + path;
  std::string out = cwd;
  if (path.empty()) return out;
  if (out.back() != '/') out += '/';
  return out + path;
}

// The block device behind a mount. Some file systems (btrfs) report an anonymous device
// number, so the source device node is asked as well.
std::optional<dev_t> blockDeviceOf(const MountInfoEntry& e) {
  if (e.source.rfind("/dev/", 0) == 0) {
    struct stat st {};
    if (::stat(e.source.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) return st.st_rdev;
  }
  if (e.major != 0) return makedev(e.major, e.minor);
  return std::nullopt;
}

}  // namespace

std::vector<Volume> listVolumes() {
  const auto labels = labelsByDevice();
  return volumesFromMountInfo(
      currentMounts(),
      [](const MountInfoEntry& e) {
        const auto dev = blockDeviceOf(e);
        return dev && removableBlockDevice(major(*dev), minor(*dev));
      },
      [&labels](const MountInfoEntry& e) {
        const auto dev = blockDeviceOf(e);
        if (!dev) return std::string();
        auto it = labels.find(*dev);
        return it == labels.end() ? std::string() : it->second;
      });
}

std::optional<Volume> volumeOf(const std::string& path, const std::vector<Volume>& volumes) {
  const std::string abs = absolutePath(path);
  const Volume* best = nullptr;
  for (const auto& v : volumes)
    if (startsWithPath(abs, v.mountPoint) && (!best || v.mountPoint.size() > best->mountPoint.size())) best = &v;
  if (!best) return std::nullopt;
  return *best;
}

std::optional<Volume> volumeOf(const std::string& path) { return volumeOf(path, listVolumes()); }

std::string volumeEntryText(const Volume& v) {
  std::string text = v.mountPoint;
  if (v.kind == VolumeKind::Network) {
    if (!v.source.empty()) text += " " + v.source;
  } else if (v.kind != VolumeKind::Floppy && !v.label.empty()) {
    QString label = QString::fromUtf8(v.label).toLower();
    label[0] = label[0].toUpper();
    text += " " + label.toUtf8().toStdString();
  }
  return text;
}

// --- readiness and space, with a time limit -------------------------------------------------

namespace {

struct Query {
  std::mutex m;
  std::condition_variable cv;
  std::string path;
  bool done = false;
  std::optional<DiskSpace> result;
};

std::mutex gQueriesMutex;
std::map<std::string, std::shared_ptr<Query>> gQueries;  // by mount point
SpaceProbe gProbe;

std::optional<DiskSpace> realProbe(const std::string& path) {
  struct statvfs s {};
  if (::statvfs(path.c_str(), &s) != 0) return std::nullopt;
  DiskSpace d;
  d.total = static_cast<std::uint64_t>(s.f_blocks) * s.f_frsize;
  d.free = static_cast<std::uint64_t>(s.f_bfree) * s.f_frsize;
  d.available = static_cast<std::uint64_t>(s.f_bavail) * s.f_frsize;
  d.clusterSize = s.f_bsize;
  return d;
}

// The mount point whose query a path shares: any mount, listed or not.
std::string mountKey(const std::string& path) {
  const std::string abs = absolutePath(path);
  std::string best = "/";
  for (const auto& e : currentMounts())
    if (startsWithPath(abs, e.mountPoint) && e.mountPoint.size() > best.size()) best = e.mountPoint;
  return best;
}

std::optional<DiskSpace> queryWithLimit(const std::string& path, std::chrono::milliseconds limit) {
  if (path.empty()) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  const std::string key = mountKey(path);
  for (;;) {
    std::shared_ptr<Query> q;
    bool own = false;
    {
      std::lock_guard lock(gQueriesMutex);
      auto& slot = gQueries[key];
      if (slot) {
        std::lock_guard ql(slot->m);
        if (slot->done) slot.reset();
      }
      if (!slot) {
        slot = std::make_shared<Query>();
        slot->path = path;
        SpaceProbe probe = gProbe ? gProbe : SpaceProbe(realProbe);
        std::thread([q = slot, probe, path] {
          auto r = probe(path);
          std::lock_guard ql(q->m);
          q->result = r;
          q->done = true;
          q->cv.notify_all();
        }).detach();
        own = true;
      }
      q = slot;
    }
    // A query still running for this mount point (possibly hung) is waited on, never
    // repeated, so a dead mount keeps at most one thread.
    std::unique_lock ql(q->m);
    if (!q->cv.wait_until(ql, deadline, [&] { return q->done; })) return std::nullopt;
    if (own || q->path == path) return q->result;
    // Another path's query ended in time: ask for ours with what is left of the limit.
  }
}

}  // namespace

void setSpaceProbeForTesting(SpaceProbe probe) {
  std::lock_guard lock(gQueriesMutex);
  gProbe = std::move(probe);
}

bool isVolumeReady(const std::string& path, std::chrono::milliseconds limit) {
  return queryWithLimit(path, limit).has_value();
}

std::optional<DiskSpace> diskSpace(const std::string& path, std::chrono::milliseconds limit) {
  return queryWithLimit(path, limit);
}

}  // namespace roomvale::platform
