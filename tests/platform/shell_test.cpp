#include <gtest/gtest.h>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QRegularExpression>
#include <QUrl>

#include <set>

#include "common/testing.h"
#include "platform/direnum.h"
#include "platform/paths.h"
#include "platform/shell.h"

using namespace roomvale::platform;
using roomvale::testing::exists;
using roomvale::testing::readFile;
using roomvale::testing::TempTree;

namespace {

int removeOne(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_DP || type == FTW_D || type == FTW_DNR)
    ::rmdir(path);
  else
    ::unlink(path);
  return 0;
}
void removeTree(const std::string& path) { ::nftw(path.c_str(), removeOne, 16, FTW_PHYS | FTW_DEPTH); }

std::string homeTrash() { return dataHome() + "/Trash"; }

std::set<std::string> entries(const std::string& folder) {
  std::set<std::string> out;
  DirReader r;
  if (!r.open(folder, "*.*", 0x3F)) return out;
  DirEntry e;
  while (r.next(e)) out.insert(e.name);
  return out;
}

struct TrashInfo {
  bool ok = false;
  std::string path;  // decoded bytes
  QDateTime deleted;
};

TrashInfo parseInfo(const std::string& file) {
  TrashInfo info;
  const QString text = QString::fromUtf8(readFile(file));
  const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
  if (lines.size() != 3 || lines[0] != "[Trash Info]") return info;
  if (!lines[1].startsWith("Path=") || !lines[2].startsWith("DeletionDate=")) return info;
  info.path = QByteArray::fromPercentEncoding(lines[1].mid(5).toLatin1()).toStdString();
  const QString date = lines[2].mid(13);
  if (!QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$").match(date).hasMatch()) return info;
  info.deleted = QDateTime::fromString(date, Qt::ISODate);
  info.ok = info.deleted.isValid();
  return info;
}

// The one entry that appeared in files/ since `before`.
std::string newEntry(const std::set<std::string>& before, const std::string& trash = homeTrash()) {
  std::string found;
  for (const auto& n : entries(trash + "/files"))
    if (!before.count(n)) {
      EXPECT_TRUE(found.empty()) << "more than one new entry";
      found = n;
    }
  return found;
}

}  // namespace

TEST(Trash, FileGoesToHomeTrashWithParsableInfo) {
  TempTree tree;
  const std::string path = tree.file("docs/report 100% final.txt", "content");
  const auto before = entries(homeTrash() + "/files");
  ASSERT_EQ(moveToTrash(path), QString());
  EXPECT_FALSE(exists(path));
  const std::string name = newEntry(before);
  ASSERT_EQ(name, "report 100% final.txt");
  EXPECT_EQ(readFile(homeTrash() + "/files/" + name), "content");
  const auto info = parseInfo(homeTrash() + "/info/" + name + ".trashinfo");
  ASSERT_TRUE(info.ok) << readFile(homeTrash() + "/info/" + name + ".trashinfo");
  EXPECT_EQ(info.path, canonicalPath(tree.path()) + "/docs/report 100% final.txt");
  EXPECT_LE(std::abs(info.deleted.secsTo(QDateTime::currentDateTime())), 60);
  // Blanks and "%" are escaped in the file itself.
  EXPECT_NE(readFile(homeTrash() + "/info/" + name + ".trashinfo").find("report%20100%25%20final.txt"),
            std::string::npos);
}

TEST(Trash, LinksAreTrashedAsLinks) {
  TempTree tree;
  const std::string target = tree.file("keep/data.bin", "precious");
  tree.dir("keep/folder");
  const std::string toFile = tree / "tofile";
  const std::string toDir = tree / "todir";
  const std::string dangling = tree / "dangling";
  ::symlink(target.c_str(), toFile.c_str());
  ::symlink((tree / "keep/folder").c_str(), toDir.c_str());
  ::symlink("nowhere", dangling.c_str());
  for (const auto& link : {toFile, toDir, dangling}) {
    const auto before = entries(homeTrash() + "/files");
    ASSERT_EQ(moveToTrash(link), QString()) << link;
    EXPECT_FALSE(exists(link));
    const std::string name = newEntry(before);
    struct stat st {};
    ASSERT_EQ(::lstat((homeTrash() + "/files/" + name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
  }
  EXPECT_EQ(readFile(target), "precious");
  EXPECT_TRUE(exists(tree / "keep/folder"));
}

TEST(Trash, FolderNonUtf8NameAndCollisions) {
  TempTree tree;
  const std::string weird = "caf\xE9";  // not UTF-8
  tree.file("a/" + weird + "/inner.txt", "1");
  tree.file("b/" + weird + "/inner.txt", "2");
  tree.file("c/" + weird, "3");
  std::set<std::string> names;
  for (const char* folder : {"a/", "b/", "c/"}) {
    const auto before = entries(homeTrash() + "/files");
    const std::string path = tree / (folder + weird);
    ASSERT_EQ(moveToTrash(path), QString()) << path;
    const std::string name = newEntry(before);
    EXPECT_EQ(name.rfind(weird, 0), 0u) << name;  // keeps its own bytes as the start
    EXPECT_TRUE(names.insert(name).second);
    const auto info = parseInfo(homeTrash() + "/info/" + name + ".trashinfo");
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.path, canonicalPath(tree.path()) + "/" + folder + weird);
  }
  EXPECT_EQ(names.size(), 3u);
}

TEST(Trash, MissingTrashFolderIsCreated) {
  removeTree(homeTrash());
  ASSERT_FALSE(exists(homeTrash()));
  TempTree tree;
  const std::string path = tree.file("x.tmp", "x");
  ASSERT_EQ(moveToTrash(path), QString());
  EXPECT_FALSE(exists(path));
  EXPECT_TRUE(exists(homeTrash() + "/files/x.tmp"));
  EXPECT_TRUE(exists(homeTrash() + "/info/x.tmp.trashinfo"));
  struct stat st {};
  ASSERT_EQ(::stat(homeTrash().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);  // private to the user
}

TEST(Trash, FailedMoveIsReportedAndLeavesNoInfo) {
  TempTree tree;
  tree.file("seed", "s");
  ASSERT_EQ(moveToTrash(tree / "seed"), QString());  // make sure the trash exists
  const auto infoBefore = entries(homeTrash() + "/info");
  EXPECT_NE(moveToTrash(tree / "missing"), QString());
  // A folder cannot move into its own trash: the rename fails after the info was claimed.
  EXPECT_NE(moveToTrash(dataHome()), QString());
  EXPECT_TRUE(exists(homeTrash() + "/files"));
  EXPECT_NE(moveToTrash("/"), QString());
  EXPECT_EQ(entries(homeTrash() + "/info"), infoBefore);
}

TEST(Trash, FailedMoveInReadOnlyFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may rename anywhere";
  TempTree tree;
  const std::string path = tree.file("ro/x.txt", "x");
  ::chmod((tree / "ro").c_str(), 0555);
  const auto infoBefore = entries(homeTrash() + "/info");
  EXPECT_NE(moveToTrash(path), QString());
  EXPECT_TRUE(exists(path));
  EXPECT_EQ(entries(homeTrash() + "/info"), infoBefore);
}

TEST(Trash, OtherFileSystemUsesItsTopDirectoryTrash) {
  // /dev/shm is a separate tmpfs on most machines; without one there is nothing to test.
  struct stat shm {
  }, trashDev{};
  const std::string trashFolder = homeTrash();
  ::mkdir(trashFolder.c_str(), 0700);
  if (::stat("/dev/shm", &shm) != 0 || ::stat(dataHome().c_str(), &trashDev) != 0 || shm.st_dev == trashDev.st_dev ||
      ::access("/dev/shm", W_OK) != 0)
    GTEST_SKIP() << "no second writable file system";
  struct stat top {};
  ASSERT_EQ(::stat("/dev", &top), 0);
  if (top.st_dev == shm.st_dev) GTEST_SKIP() << "/dev/shm is not a mount point";

  char tmpl[] = "/dev/shm/roomvale-trash-XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const std::string folder = tmpl;
  const std::string path = folder + "/on shm.txt";
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("shm", f);
  std::fclose(f);

  const std::string trash = "/dev/shm/.Trash-" + std::to_string(::getuid());
  const bool hadTrash = exists(trash);
  const bool sharedTrash = [] {
    struct stat st {};
    return ::lstat("/dev/shm/.Trash", &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX);
  }();
  const std::string used = sharedTrash ? "/dev/shm/.Trash/" + std::to_string(::getuid()) : trash;
  const auto before = entries(used + "/files");
  const auto homeBefore = entries(homeTrash() + "/files");
  EXPECT_EQ(moveToTrash(path), QString());
  EXPECT_FALSE(exists(path));
  const std::string name = newEntry(before, used);
  EXPECT_EQ(name, "on shm.txt");
  EXPECT_EQ(entries(homeTrash() + "/files"), homeBefore);  // never copied home
  const auto info = parseInfo(used + "/info/" + name + ".trashinfo");
  ASSERT_TRUE(info.ok);
  EXPECT_EQ(info.path, folder.substr(std::string("/dev/shm/").size()) + "/on shm.txt");  // relative to the top

  ::unlink((used + "/files/" + name).c_str());
  ::unlink((used + "/info/" + name + ".trashinfo").c_str());
  if (!hadTrash && !sharedTrash) removeTree(trash);
  ::rmdir(folder.c_str());
}

TEST(Shell, FileUrlKeepsTheBytes) {
  const QUrl url = fileUrlOf("/tmp/a b/caf\xE9#1?.txt");
  EXPECT_TRUE(url.isValid());
  EXPECT_TRUE(url.isLocalFile());
  EXPECT_EQ(url.toEncoded(), QByteArray("file:///tmp/a%20b/caf%E9%231%3F.txt"));
  EXPECT_EQ(QByteArray::fromPercentEncoding(url.toEncoded(QUrl::RemoveScheme).mid(2)),
            QByteArray("/tmp/a b/caf\xE9#1?.txt"));
  EXPECT_TRUE(fileUrlOf("relative.txt").path().endsWith("/relative.txt"));
  EXPECT_TRUE(fileUrlOf("relative.txt").path().startsWith("/"));
}

TEST(FileTypes, ExtensionsFromTheMimeDatabase) {
  const auto txt = extensionType(".txt");
  EXPECT_EQ(txt.typeName, "text/plain");
  EXPECT_FALSE(txt.description.isEmpty());
  EXPECT_EQ(extensionType(".TXT").typeName, "text/plain");
  EXPECT_EQ(extensionType(".c").typeName, "text/x-csrc");
  EXPECT_TRUE(extensionType(".zz-not-registered").typeName.isEmpty());
  EXPECT_TRUE(extensionType("").typeName.isEmpty());
  EXPECT_TRUE(extensionType("txt").typeName.isEmpty());

  const QStringList exts = registeredExtensions();
  ASSERT_GT(exts.size(), 100);
  EXPECT_TRUE(exts.contains(".txt"));
  EXPECT_TRUE(exts.contains(".zip"));
  std::set<QString> seen;
  for (int i = 0; i < exts.size(); ++i) {
    EXPECT_TRUE(exts[i].startsWith('.')) << exts[i].toStdString();
    EXPECT_FALSE(exts[i].contains('*'));
    EXPECT_TRUE(seen.insert(exts[i].toLower()).second) << exts[i].toStdString();
    if (i > 0) {
      EXPECT_LT(exts[i - 1].compare(exts[i], Qt::CaseInsensitive), 0);
    }
  }
}
