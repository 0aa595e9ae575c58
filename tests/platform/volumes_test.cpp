#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "common/testing.h"
#include "platform/mountid.h"
#include "platform/volumes.h"

using namespace roomvale::platform;

namespace {

// A desktop's table: systemd mounts, a USB stick with a blank in its label, an NFS share,
// an sshfs mount, a snap, an overmounted folder and a mount point with a tab in its name.
const char* const kMountInfo =
    "22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n"
    "23 22 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw\n"
    "24 22 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw\n"
    "25 22 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8g,mode=755\n"
    "26 25 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,gid=5,mode=620\n"
    "27 22 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1630k,mode=755\n"
    "28 23 0:25 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw\n"
    "29 25 0:26 / /dev/shm rw,nosuid,nodev shared:4 - tmpfs tmpfs rw\n"
    "30 24 0:27 / /proc/sys/fs/binfmt_misc rw,relatime shared:14 - autofs systemd-1 rw,fd=29\n"
    "31 22 7:1 / /snap/core22/864 ro,nodev,relatime shared:30 - squashfs /dev/loop1 ro\n"
    "32 22 259:1 / /boot/efi rw,relatime shared:31 - vfat /dev/nvme0n1p1 rw,fmask=0077\n"
    "33 27 0:30 / /run/user/1000 rw,nosuid,nodev,relatime shared:40 - tmpfs tmpfs rw,size=1629k\n"
    "34 33 0:31 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:41 - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "35 22 8:17 / /media/ann/USB\\040STICK rw,nosuid,nodev,relatime shared:50 - vfat /dev/sdb1 rw\n"
    "36 22 0:40 / /mnt/share rw,relatime shared:60 - nfs4 fileserver:/export/home rw,vers=4.2\n"
    "37 22 0:41 / /home/ann/remote rw,nosuid,nodev,relatime shared:61 - fuse.sshfs ann@build:/srv rw\n"
    "38 22 0:42 / /mnt/cd rw master:3 shared:70 - iso9660 /dev/sr0 ro\n"
    "39 22 0:43 / /tmp rw,nosuid,nodev shared:80 - tmpfs tmpfs rw\n"
    "40 22 8:2 / /data rw,relatime shared:90 - ext4 /dev/sda2 rw\n"
    "41 40 8:3 / /data rw,relatime shared:91 - xfs /dev/sda3 rw\n"
    "42 22 0:44 / /mnt/win rw,relatime - cifs //nas/public rw\n"
    "43 22 8:4 /sub /mnt/odd\\011name\\134x rw - ext4 /dev/sda4 rw\n"
    "garbage line\n"
    "44 22 8:5 / /mnt/nosep rw ext4 /dev/sda5 rw\n";

}  // namespace

TEST(MountInfo, ParsesFieldsOptionalTagsAndEscapes) {
  const auto e = parseMountInfo(kMountInfo);
  ASSERT_EQ(e.size(), 22u);  // the garbage line and the line without "-" are skipped
  EXPECT_EQ(e[0].mountId, 22);
  EXPECT_EQ(e[0].parentId, 1);
  EXPECT_EQ(e[0].major, 259u);
  EXPECT_EQ(e[0].minor, 2u);
  EXPECT_EQ(e[0].mountPoint, "/");
  EXPECT_EQ(e[0].fsType, "ext4");
  EXPECT_EQ(e[0].source, "/dev/nvme0n1p2");
  EXPECT_EQ(e[0].superOptions, "rw,errors=remount-ro");
  // Two optional tags before the separator.
  EXPECT_EQ(e[16].mountPoint, "/mnt/cd");
  EXPECT_EQ(e[16].fsType, "iso9660");
  // No optional tag at all.
  EXPECT_EQ(e[20].source, "//nas/public");
  EXPECT_EQ(e[13].mountPoint, "/media/ann/USB STICK");
  EXPECT_EQ(e[21].mountPoint, "/mnt/odd\tname\\x");
  EXPECT_EQ(e[21].root, "/sub");
}

TEST(MountInfo, DecodesEscapes) {
  EXPECT_EQ(decodeMountEscapes("a\\040b\\012c\\134"), "a b\nc\\");
  EXPECT_EQ(decodeMountEscapes("trail\\04"), "trail\\04");  // incomplete: kept as written
  EXPECT_EQ(decodeMountEscapes("\\9ab"), "\\9ab");
  EXPECT_EQ(decodeUdevEscapes("MY\\x20DISK\\x2fA"), "MY DISK/A");
  EXPECT_EQ(decodeUdevEscapes("bad\\xZZ\\x2"), "bad\\xZZ\\x2");
}

TEST(MountInfo, HiddenMounts) {
  const auto e = parseMountInfo(kMountInfo);
  auto hidden = [&](const std::string& point) {
    for (const auto& m : e)
      if (m.mountPoint == point) return isHiddenMount(m);
    ADD_FAILURE() << point;
    return false;
  };
  for (const char* p : {"/sys", "/proc", "/dev", "/dev/pts", "/run", "/sys/fs/cgroup", "/dev/shm",
                        "/proc/sys/fs/binfmt_misc", "/snap/core22/864", "/run/user/1000", "/run/user/1000/gvfs"})
    EXPECT_TRUE(hidden(p)) << p;
  for (const char* p : {"/", "/boot/efi", "/media/ann/USB STICK", "/mnt/share", "/home/ann/remote", "/tmp", "/data"})
    EXPECT_FALSE(hidden(p)) << p;
  // tmpfs is hidden only below the system trees; "/running" is not below "/run".
  MountInfoEntry m;
  m.fsType = "tmpfs";
  m.mountPoint = "/running";
  EXPECT_FALSE(isHiddenMount(m));
}

TEST(MountInfo, Kinds) {
  auto kind = [](const char* type, const char* source, bool removable = false) {
    MountInfoEntry m;
    m.fsType = type;
    m.source = source;
    m.mountPoint = "/mnt/x";
    return classifyMount(m, removable);
  };
  for (const char* t : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "ceph", "glusterfs", "fuse.sshfs"})
    EXPECT_EQ(kind(t, "server:/x"), VolumeKind::Network) << t;
  EXPECT_EQ(kind("fuse.rclone", "gdrive:"), VolumeKind::Network);
  EXPECT_EQ(kind("fuse.somefs", "user@host:/path"), VolumeKind::Network);
  EXPECT_EQ(kind("fuse.ntfs-3g", "/dev/sdc1"), VolumeKind::Fixed);
  EXPECT_EQ(kind("iso9660", "/dev/sr0"), VolumeKind::CdRom);
  EXPECT_EQ(kind("udf", "/dev/sr0", true), VolumeKind::CdRom);
  EXPECT_EQ(kind("tmpfs", "tmpfs"), VolumeKind::Ram);
  EXPECT_EQ(kind("ramfs", "none"), VolumeKind::Ram);
  EXPECT_EQ(kind("vfat", "/dev/sdb1", true), VolumeKind::Floppy);
  EXPECT_EQ(kind("ext4", "/dev/sda1"), VolumeKind::Fixed);
}

TEST(MountInfo, VolumeListOrderOvermountsLabelsAndTexts) {
  const auto entries = parseMountInfo(kMountInfo);
  const auto vols = volumesFromMountInfo(
      entries, [](const MountInfoEntry& m) { return m.source == "/dev/sdb1"; },
      [](const MountInfoEntry& m) -> std::string {
        if (m.major == 259 && m.minor == 2) return "SYSTEM disk";
        if (m.source == "/dev/sda3") return "ARCHIVE";
        if (m.fsType == "nfs4") return "never asked for network";
        return "";
      });
  std::vector<std::string> points;
  for (const auto& v : vols) points.push_back(v.mountPoint);
  EXPECT_EQ(points, (std::vector<std::string>{"/", "/boot/efi", "/data", "/home/ann/remote", "/media/ann/USB STICK",
                                              "/mnt/cd", "/mnt/odd\tname\\x", "/mnt/share", "/mnt/win", "/tmp"}));
  auto find = [&](const std::string& p) {
    for (const auto& v : vols)
      if (v.mountPoint == p) return v;
    return Volume{};
  };
  // /data is mounted twice: the later, topmost mount counts.
  EXPECT_EQ(find("/data").fsType, "xfs");
  EXPECT_EQ(volumeEntryText(find("/data")), "/data Archive");
  EXPECT_EQ(volumeEntryText(find("/")), "/ System disk");
  EXPECT_EQ(find("/media/ann/USB STICK").kind, VolumeKind::Floppy);
  EXPECT_EQ(volumeEntryText(find("/mnt/share")), "/mnt/share fileserver:/export/home");
  EXPECT_EQ(volumeEntryText(find("/home/ann/remote")), "/home/ann/remote ann@build:/srv");
  EXPECT_EQ(find("/tmp").kind, VolumeKind::Ram);
  EXPECT_EQ(volumeEntryText(find("/tmp")), "/tmp");
}

TEST(MountInfo, OvermountListedOnlyWhenTopmostIsShown) {
  // An earlier mount that was mounted on top of a later line (its parent) stays topmost.
  const auto entries = parseMountInfo(
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "5 1 8:2 / /srv rw - ext4 /dev/sda2 rw\n"
      "3 1 8:3 / /srv rw - xfs /dev/sda3 rw\n");
  // Line order says 3 covers 5, but 5 is not 3's parent: the last line wins.
  auto vols = volumesFromMountInfo(entries);
  ASSERT_EQ(vols.size(), 2u);
  EXPECT_EQ(vols[1].fsType, "xfs");

  const auto stacked = parseMountInfo(
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "7 6 8:2 / /srv rw - ext4 /dev/sda2 rw\n"
      "6 1 8:3 / /srv rw - xfs /dev/sda3 rw\n");
  vols = volumesFromMountInfo(stacked);
  ASSERT_EQ(vols.size(), 2u);
  EXPECT_EQ(vols[1].fsType, "ext4");  // 7 sits on 6

  const auto hiddenTop = parseMountInfo(
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "2 1 8:2 / /mnt/auto rw - ext4 /dev/sda2 rw\n"
      "3 2 0:50 / /mnt/auto rw - autofs systemd-1 rw\n");
  EXPECT_EQ(volumesFromMountInfo(hiddenTop).size(), 1u);
}

TEST(MountInfo, VolumeOfPathByWholeComponents) {
  std::vector<Volume> vols(4);
  vols[0].mountPoint = "/";
  vols[1].mountPoint = "/home";
  vols[2].mountPoint = "/home/ann/remote";
  vols[3].mountPoint = "/mnt/a b";
  EXPECT_EQ(volumeOf("/home/ann/x.txt", vols)->mountPoint, "/home");
  EXPECT_EQ(volumeOf("/homework/x", vols)->mountPoint, "/");
  EXPECT_EQ(volumeOf("/home/ann/remote", vols)->mountPoint, "/home/ann/remote");
  EXPECT_EQ(volumeOf("/home/ann/remote/deep/er", vols)->mountPoint, "/home/ann/remote");
  EXPECT_EQ(volumeOf("/mnt/a b/c", vols)->mountPoint, "/mnt/a b");
  EXPECT_EQ(volumeOf("/no/such/path/at/all", vols)->mountPoint, "/");
  EXPECT_FALSE(volumeOf("/x", std::vector<Volume>{}).has_value());
}

TEST(MountInfo, MountOfAPathIsTheTopMountOnItsLongestMountPoint) {
  const auto table = parseMountInfo(kMountInfo);
  const auto stacked = parseMountInfo(
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "7 6 8:2 / /srv rw - ext4 /dev/sda2 rw\n"
      "6 1 8:3 / /srv rw - xfs /dev/sda3 rw\n");
  const struct {
    const std::vector<MountInfoEntry>& table;
    const char* path;
    std::uint64_t mount;
  } cases[] = {
      {table, "/", 22},
      {table, "/home/ann/x", 22},
      {table, "/home/ann/remote/deep", 37},
      {table, "/mnt/sharex/y", 22},  // whole components only
      {table, "/mnt/share", 36},
      {table, "/data/file", 41},  // 41 sits on 40
      {table, "/media/ann/USB STICK/a", 35},
      {stacked, "/srv/a", 7},  // 7 sits on 6, though listed first
      {stacked, "/srvx", 1},
      {std::vector<MountInfoEntry>{}, "/x", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(mountIdOfPath(c.table, c.path), c.mount) << c.path;
}

TEST(Volumes, ThisMachine) {
  const auto vols = listVolumes();
  ASSERT_FALSE(vols.empty());
  for (size_t i = 1; i < vols.size(); ++i) EXPECT_LT(vols[i - 1].mountPoint, vols[i].mountPoint);
  for (const auto& v : vols) {
    EXPECT_NE(v.fsType, "proc");
    EXPECT_NE(v.fsType, "sysfs");
  }
  EXPECT_TRUE(volumeOf("/").has_value());
}

TEST(Volumes, ReadinessAndSpace) {
  roomvale::testing::TempTree tree;
  EXPECT_TRUE(isVolumeReady(tree.path()));
  EXPECT_FALSE(isVolumeReady(tree.path() + "/missing"));
  EXPECT_FALSE(isVolumeReady(""));
  const auto space = diskSpace(tree.path());
  ASSERT_TRUE(space.has_value());
  EXPECT_GT(space->total, 0u);
  EXPECT_LE(space->free, space->total);
  EXPECT_LE(space->available, space->free);
  EXPECT_GT(space->clusterSize, 0u);
  EXPECT_FALSE(diskSpace(tree.path() + "/missing").has_value());
}

TEST(Volumes, HungQueryGivesUpAndNeverPilesUp) {
  std::mutex m;
  std::condition_variable cv;
  bool release = false;
  std::atomic<int> calls{0};
  setSpaceProbeForTesting([&](const std::string& path) -> std::optional<DiskSpace> {
    if (path.rfind("/roomvale-hung", 0) == 0) {
      ++calls;
      std::unique_lock lock(m);
      cv.wait(lock, [&] { return release; });
    }
    return DiskSpace{1, 1, 1, 1};
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(isVolumeReady("/roomvale-hung/a", std::chrono::milliseconds(100)));
  EXPECT_FALSE(isVolumeReady("/roomvale-hung/b", std::chrono::milliseconds(100)));
  EXPECT_FALSE(diskSpace("/roomvale-hung/a", std::chrono::milliseconds(100)).has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(calls.load(), 1);  // one hung query for the mount point, not three
  {
    std::lock_guard lock(m);
    release = true;
  }
  cv.notify_all();
  // Once the hung query returns, the next call asks again and gets its own answer.
  EXPECT_TRUE(
      roomvale::testing::waitFor([] { return isVolumeReady("/roomvale-hung/a", std::chrono::milliseconds(500)); }));
  setSpaceProbeForTesting({});
}
