// Archive names, volume tokens both ways, and entry names.
#include <gtest/gtest.h>

#include <QLocale>

#include "archive/volumetoken.h"
#include "archive/zipnames.h"
#include "common/testing.h"
#include "foundation/clock.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "platform/volumes.h"

namespace roomvale {
namespace {

platform::Volume volume(const std::string& mountPoint) {
  platform::Volume v;
  v.mountPoint = mountPoint;
  return v;
}

class LocaleGuard {
 public:
  explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
  ~LocaleGuard() { QLocale::setDefault(saved_); }

 private:
  QLocale saved_ = QLocale();
};

class ZipPathGuard {
 public:
  explicit ZipPathGuard(std::string path) : saved_(defaultZipPath) { defaultZipPath = std::move(path); }
  ~ZipPathGuard() { defaultZipPath = saved_; }

 private:
  std::string saved_;
};

QDateTime at(int y, int mo, int d, int h, int mi) { return QDateTime(QDate(y, mo, d), QTime(h, mi)); }

TEST(VolumeToken, MountPointsBecomePlainNames) {
  EXPECT_EQ(volumeToken("/"), "root");
  EXPECT_EQ(volumeToken("/media/ann/USB 2"), "media_ann_USB_2");
  EXPECT_EQ(volumeToken("/home"), "home");
  EXPECT_EQ(volumeToken("/mnt/data-1.old"), "mnt_data_1.old");         // never a "-": it ends the token
  EXPECT_EQ(volumeToken("/media/ann/M\xc3\xbcll"), "media_ann_M_ll");  // one "_" per character
  EXPECT_EQ(volumeToken("/mnt/a\xff\xfe"), "mnt_a__");                 // stray bytes count singly
  EXPECT_EQ(volumeToken("/media/ann/USB 2/"), "media_ann_USB_2");
}

TEST(VolumeToken, MapsBackToTheOneMountedVolume) {
  const std::vector<platform::Volume> mounted = {volume("/"), volume("/home"), volume("/media/ann/USB 2")};
  EXPECT_EQ(mountPointForToken("root", mounted), "/");
  EXPECT_EQ(mountPointForToken("home", mounted), "/home");
  EXPECT_EQ(mountPointForToken("media_ann_USB_2", mounted), "/media/ann/USB 2");
  EXPECT_EQ(mountPointForToken("media_bob_USB", mounted), std::nullopt);  // not mounted now
  for (const auto& v : mounted) EXPECT_EQ(mountPointForToken(volumeToken(v.mountPoint), mounted), v.mountPoint);
}

TEST(VolumeToken, AmbiguousTokenMapsToNothing) {
  const std::vector<platform::Volume> mounted = {volume("/"), volume("/mnt/a b"), volume("/mnt/a_b")};
  EXPECT_EQ(mountPointsForToken("mnt_a_b", mounted), (std::vector<std::string>{"/mnt/a b", "/mnt/a_b"}));
  EXPECT_EQ(mountPointForToken("mnt_a_b", mounted), std::nullopt);
}

TEST(VolumeToken, RoundTripOnThisMachine) {
  const auto mounted = platform::listVolumes();
  for (const auto& v : mounted) {
    const std::string token = volumeToken(v.mountPoint);
    if (mountPointsForToken(token, mounted).size() == 1) {
      EXPECT_EQ(mountPointForToken(token), v.mountPoint);
    }
  }
}

TEST(VolumeToken, ReadFromArchiveFileNames) {
  EXPECT_EQ(tokenFromArchiveName("/home/ann/Drive-media_ann_USB_2-TempClean06Sep970533.zip"), "media_ann_USB_2");
  EXPECT_EQ(tokenFromArchiveName("Drive-root-06Sep970533.zip"), "root");
  EXPECT_EQ(tokenFromArchiveName("/x/Drive-notes.zip"), std::nullopt);
  EXPECT_EQ(tokenFromArchiveName("/x/Drive--06Sep970533.zip"), std::nullopt);
  EXPECT_EQ(tokenFromArchiveName("/x/Drive-home-y/Old.zip"), std::nullopt);  // folders do not count
  EXPECT_EQ(tokenFromArchiveName("/x/Old.zip"), std::nullopt);
}

TEST(VolumeToken, TheOriginalRootOfAnArchiveIsItsMountedVolume) {
  const std::vector<platform::Volume> mounted = {volume("/"), volume("/media/ann/USB 2")};
  const ArchiveOrigin usb = archiveOrigin("/z/Drive-media_ann_USB_2-TempClean06Sep970533.zip", mounted);
  EXPECT_EQ(usb.kind, ArchiveOrigin::Kind::Mounted);
  EXPECT_TRUE(isOriginalRoot("/media/ann/USB 2/", usb));
  EXPECT_FALSE(isOriginalRoot("/media/ann/usb 2", usb));  // mount points differ by case
  EXPECT_FALSE(isOriginalRoot("/media/ann/USB 2/Restore", usb));
  EXPECT_EQ(archiveOrigin("/z/Drive-media_bob-06Sep970533.zip", mounted).kind, ArchiveOrigin::Kind::NotMounted);
  // No token, no original root: every folder is asked about.
  for (const char* name : {"/z/Old.zip", "/z/Drive-notes.zip"}) {
    const ArchiveOrigin none = archiveOrigin(name, mounted);
    EXPECT_EQ(none.kind, ArchiveOrigin::Kind::Unknown) << name;
    EXPECT_FALSE(isOriginalRoot("/", none));
  }
}

TEST(ArchiveName, StampAndParts) {
  LocaleGuard english(QLocale(QLocale::English, QLocale::UnitedStates));
  ZipPathGuard folder("/srv/zips/");
  testing::FixedClock clock(at(1997, 9, 6, 5, 33));
  EXPECT_EQ(zipTimeStamp(now()), "06Sep970533");
  EXPECT_EQ(makeZipFileName("TempClean", "root", now()), "/srv/zips/Drive-root-TempClean06Sep970533.zip");
  EXPECT_EQ(makeZipFileName("", "home", at(1997, 9, 6, 5, 33)), "/srv/zips/Drive-home-06Sep970533.zip");
  // One minute apart across midnight: two archives.
  EXPECT_EQ(makeZipFileName("TempClean", "root", at(1999, 12, 31, 23, 59)),
            "/srv/zips/Drive-root-TempClean31Dec992359.zip");
  EXPECT_EQ(makeZipFileName("TempClean", "root", at(2000, 1, 1, 0, 0)),
            "/srv/zips/Drive-root-TempClean01Jan000000.zip");
}

TEST(ArchiveName, FolderJoinedOnceAndDefaultWhenEmpty) {
  LocaleGuard english(QLocale(QLocale::English, QLocale::UnitedStates));
  {
    ZipPathGuard folder("/srv/zips");
    EXPECT_EQ(makeZipFileName("FolderClean", "root", at(2024, 2, 29, 14, 7)),
              "/srv/zips/Drive-root-FolderClean29Feb241407.zip");
  }
  ZipPathGuard none("");
  EXPECT_EQ(makeZipFileName("FolderClean", "root", at(2024, 2, 29, 14, 7)),
            platform::homeFolder() + "/Drive-root-FolderClean29Feb241407.zip");
  EXPECT_EQ(builtInZipFolder(), platform::homeFolder() + "/");
}

TEST(ArchiveName, MonthFollowsTheLocale) {
  LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
  const QString month = QLocale(QLocale::German, QLocale::Germany).monthName(3, QLocale::ShortFormat);
  EXPECT_EQ(zipTimeStamp(at(1999, 3, 1, 14, 7)), "01" + month + "991407");
}

TEST(EntryName, RelativeToTheVolumeRoot) {
  EXPECT_EQ(entryNameFor("/media/ann/D/Data/Old/report.doc", "/media/ann/D"), "Data/Old/report.doc");
  EXPECT_EQ(entryNameFor("/home/ann/notes.txt", "/"), "home/ann/notes.txt");
  EXPECT_EQ(entryNameFor("/home//ann/./notes.txt", "/"), "home/ann/notes.txt");
  EXPECT_EQ(entryNameFor("/home/ann/../bob/x", "/"), std::nullopt);
  EXPECT_EQ(entryNameFor("/media/ann/D", "/media/ann/D"), std::nullopt);
  EXPECT_EQ(entryNameFor("/media/ann/DD/x", "/media/ann/D"), std::nullopt);
  EXPECT_EQ(entryNameFor("relative/x", "/"), std::nullopt);

  EXPECT_TRUE(isSafeEntryName("a/b c/d.txt"));
  for (const char* bad : {"", "/a", "a/", "a//b", "./a", "a/../b", ".."}) EXPECT_FALSE(isSafeEntryName(bad)) << bad;
}

TEST(EntryName, VolumeRootIsTheDeepestMountByWholeComponents) {
  const VolumeRoots roots({volume("/"), volume("/media/ann/D"), volume("/media/ann/D/inner"), volume("/mnt/a")});
  EXPECT_EQ(roots.rootOf("/media/ann/D/Data/x"), "/media/ann/D");
  EXPECT_EQ(roots.rootOf("/media/ann/D/inner/x"), "/media/ann/D/inner");
  EXPECT_EQ(roots.rootOf("/mnt/ab/x"), "/");
  EXPECT_EQ(VolumeRoots(std::vector<platform::Volume>{}).rootOf("/x"), "/");
}

TEST(EntryName, FileFromFilesByDateGoesToItsVolumesArchive) {
  LocaleGuard english(QLocale(QLocale::English, QLocale::UnitedStates));
  ZipPathGuard folder("/srv/zips/");
  const VolumeRoots roots({volume("/"), volume("/media/ann/D")});
  const std::string file = "/media/ann/D/Data/Old/report.doc";
  EXPECT_EQ(archivePathFor("FileDates", file, at(1999, 3, 1, 14, 7), roots),
            "/srv/zips/Drive-media_ann_D-FileDates01Mar991407.zip");
  EXPECT_EQ(entryNameFor(file, roots.rootOf(file)), "Data/Old/report.doc");
}

TEST(EntryName, RootsAgreeWithThePlatform) {
  const VolumeRoots roots;
  for (const std::string& path : {platform::homeFolder() + "/x", std::string("/tmp/y"), std::string("/")}) {
    const auto v = platform::volumeOf(path);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(roots.rootOf(path), v->mountPoint) << path;
  }
}

TEST(DefaultZipPath, ReadFromSettingsWithHomeAsDefault) {
  ZipPathGuard keep("");
  getDefaultZipPath();
  EXPECT_EQ(defaultZipPath, platform::homeFolder() + "/");
  ASSERT_TRUE(WriteString("ZipFile", "Path", "/srv/zips"));
  getDefaultZipPath();
  EXPECT_EQ(defaultZipPath, "/srv/zips/");
}

TEST(ZipReport, Text) { EXPECT_EQ(couldNotZipText("/tmp/a b.txt"), "Couldn't zip up file - /tmp/a b.txt"); }

}  // namespace
}  // namespace roomvale
