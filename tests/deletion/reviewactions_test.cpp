// The review's actions on real files: deleting by exact path, the trash, and archiving
// before deleting; and the order of its panels.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocale>
#include <cerrno>
#include <cstdio>

#include "archive/zipnames.h"
#include "archive/ziptestutil.h"
#include "common/testing.h"
#include "deletion/reviewactions.h"
#include "deletion/reviewlist.h"
#include "platform/paths.h"

// Readable failures for texts.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using namespace roomvale;
using roomvale::testing::TempTree;
namespace rt = roomvale::testing;

namespace {

struct Recorder {
  QStringList errors;
  std::vector<int> announced;
  ActionHooks hooks() {
    ActionHooks h;
    h.onError = [this](const QString& text) { errors << text; };
    h.onFile = [this](int index, const std::string&) { announced.push_back(index); };
    return h;
  }
};

QString del(const std::string& path) { return "Couldn't delete file - " + QString::fromStdString(path); }
QString zipFail(const std::string& path, const QString& reason) {
  return "Couldn't zip up file - " + QString::fromStdString(path) + ": " + reason;
}

std::string trashFiles() { return platform::dataHome() + "/Trash/files/"; }
std::string trashInfo() { return platform::dataHome() + "/Trash/info/"; }

}  // namespace

TEST(RemoveMarkedFileTest, RemovesExactlyWhatWasMarkedAndNothingElse) {
  TempTree t;
  const std::string plain = t.file("plain.tmp", std::string(1234, 'x'));
  std::uint64_t size = 99;
  EXPECT_EQ(removeMarkedFile(plain, &size), 0);
  EXPECT_EQ(size, 1234u);
  EXPECT_FALSE(rt::exists(plain));

  // A read-only file stays, whoever runs the program.
  const std::string ro = t.file("ro.tmp", "keep");
  ASSERT_EQ(::chmod(ro.c_str(), 0444), 0);
  EXPECT_EQ(removeMarkedFile(ro, &size), EACCES);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(rt::readFile(ro), "keep");

  // A link goes as a link; its target, read-only or not, is untouched.
  const std::string link = t / "link.tmp";
  ASSERT_EQ(::symlink(ro.c_str(), link.c_str()), 0);
  EXPECT_EQ(removeMarkedFile(link), 0);
  EXPECT_FALSE(rt::exists(link));
  EXPECT_EQ(rt::readFile(ro), "keep");

  // A link to a folder is not the folder.
  const std::string dir = t.dir("dir");
  t.file("dir/inside", "i");
  const std::string dirLink = t / "dirlink";
  ASSERT_EQ(::symlink(dir.c_str(), dirLink.c_str()), 0);
  EXPECT_EQ(removeMarkedFile(dirLink), 0);
  EXPECT_TRUE(rt::exists(dir + "/inside"));

  EXPECT_EQ(removeMarkedFile(dir), EISDIR);
  EXPECT_EQ(removeMarkedFile(t / "missing"), ENOENT);
  EXPECT_EQ(removeMarkedFile(dir + "/.."), EINVAL);
}

TEST(DeleteFilesTest, ReportsEachFailureGoesOnAndCountsOnlyWhatWasDeleted) {
  TempTree t;
  const std::string a = t.file("a.tmp", std::string(100, 'a'));
  const std::string ro = t.file("b.tmp", std::string(200, 'b'));
  ASSERT_EQ(::chmod(ro.c_str(), 0400), 0);
  const std::string gone = t / "c.tmp";
  const std::string d = t.file("d.tmp", std::string(300, 'd'));
  // A file too big for 32-bit totals (sparse, so it costs no space).
  const std::string big = t.file("e.tmp");
  ASSERT_EQ(::truncate(big.c_str(), (std::int64_t(5) << 30) + 7), 0);

  Recorder r;
  const ActionTally tally = deleteFiles({a, ro, gone, d, big}, r.hooks());
  EXPECT_EQ(r.errors, (QStringList{del(ro), del(gone)}));
  EXPECT_EQ(r.announced, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(tally.files, 3);
  EXPECT_EQ(tally.bytes, 100 + 300 + (std::int64_t(5) << 30) + 7);
  EXPECT_FALSE(rt::exists(a));
  EXPECT_TRUE(rt::exists(ro));
  EXPECT_FALSE(rt::exists(d));
  EXPECT_FALSE(rt::exists(big));
}

TEST(DeleteFilesTest, ANameWhoseFileKeepsOtherLinksFreesNoBytes) {
  TempTree t;
  // x has two names, both deleted: only the last one frees the space. y keeps a name.
  const std::string x1 = t.file("x1", std::string(1000, 'x'));
  const std::string x2 = t / "x2";
  ASSERT_EQ(::link(x1.c_str(), x2.c_str()), 0);
  const std::string y1 = t.file("y1", std::string(70, 'y'));
  ASSERT_EQ(::link(y1.c_str(), (t / "y2").c_str()), 0);
  Recorder r;
  const ActionTally tally = deleteFiles({x1, x2, y1}, r.hooks());
  EXPECT_TRUE(r.errors.isEmpty());
  EXPECT_EQ(tally.files, 3);
  EXPECT_EQ(tally.bytes, 1000);
  EXPECT_EQ(rt::readFile(t / "y2"), std::string(70, 'y'));
}

TEST(RecycleFilesTest, AVanishedFileIsReportedAndTheRunGoesOnARealFailureStopsIt) {
  TempTree t;
  const std::string a = t.file("one/a.tmp", "alpha");
  const std::string b = t.file("two/a.tmp", "beta");  // same name: the trash keeps both
  const std::string gone = t / "gone.tmp";
  const std::string c = t.file("c.tmp", "gamma");

  Recorder r;
  int stopped = 0;
  ActionTally tally = recycleFiles({a, gone, b, c}, r.hooks(), &stopped);
  EXPECT_EQ(r.errors, QStringList{del(gone)});
  EXPECT_EQ(stopped, -1);
  EXPECT_EQ(r.announced, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(tally.files, 3);
  EXPECT_EQ(tally.bytes, 14);
  EXPECT_FALSE(rt::exists(a));
  EXPECT_FALSE(rt::exists(b));
  EXPECT_FALSE(rt::exists(c));

  // A trash that cannot take files: the bin message with the path and the reason, and the
  // files after it stay.
  const std::string files = platform::dataHome() + "/Trash/files";
  ASSERT_EQ(::rename(files.c_str(), (files + ".saved").c_str()), 0);
  ASSERT_EQ(::symlink("/nonexistent", files.c_str()), 0);
  const std::string d = t.file("d.tmp", "delta");
  const std::string e = t.file("e.tmp", "epsilon");
  r.errors.clear();
  tally = recycleFiles({d, e}, r.hooks(), &stopped);
  ::unlink(files.c_str());
  ASSERT_EQ(::rename((files + ".saved").c_str(), files.c_str()), 0);
  ASSERT_EQ(r.errors.size(), 1);
  EXPECT_EQ(r.errors[0], "An error occurred sending files to the trash.  The trash may be full.\n" +
                             QString::fromStdString(d) + "\nCannot create the trash folder " +
                             QString::fromStdString(platform::dataHome() + "/Trash"));
  EXPECT_EQ(stopped, 0);
  EXPECT_EQ(tally.files, 0);
  EXPECT_EQ(rt::readFile(d), "delta");
  EXPECT_EQ(rt::readFile(e), "epsilon");

  // Both are in the trash with their original bytes and a .trashinfo naming where they were.
  QStringList contents;
  for (const char* name : {"a.tmp", "a.2.tmp"}) {
    const std::string f = trashFiles() + name;
    if (!rt::exists(f)) continue;
    contents << QString::fromStdString(rt::readFile(f));
    const std::string info = rt::readFile(trashInfo() + name + ".trashinfo");
    EXPECT_NE(info.find("[Trash Info]"), std::string::npos);
    const std::string original = contents.back() == "alpha" ? a : b;
    EXPECT_NE(info.find("\nPath=" + original + "\n"), std::string::npos) << info;
  }
  contents.sort();
  EXPECT_EQ(contents, (QStringList{"alpha", "beta"}));
}

class ZipFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    saved = defaultZipPath;
    defaultZipPath = t.dir("zips") + "/";
    run.sourceTag = "TempClean";
    run.comment = "weekly clean";
    run.stamp = QDateTime(QDate(1997, 9, 6), QTime(5, 33));
    run.batching.minFiles = 2;  // several commits even in a small run
  }
  void TearDown() override {
    defaultZipPath = saved;
    QLocale::setDefault(QLocale::system());
  }
  std::string archiveOf(const std::string& path) const {
    return archivePathFor(run.sourceTag, path, run.stamp, VolumeRoots());
  }
  std::string entryOf(const std::string& path) const {
    const VolumeRoots roots;
    return *entryNameFor(path, roots.rootOf(path));
  }

  TempTree t;
  std::string saved;
  ZipRun run;
};

TEST_F(ZipFilesTest, StoresThenDeletesAndKeepsWhatCouldNotBeStoredOrDeleted) {
  std::vector<std::string> files;
  std::map<std::string, std::string> bytes;
  for (int i = 0; i < 7; ++i) {
    const std::string content = i % 2 ? rt::randomBytes(5000 + i, i) : rt::textBytes(9000 + i);
    files.push_back(t.file("src/f" + std::to_string(i) + ".tmp", content));
    bytes[files.back()] = content;
  }
  // Stored, but read-only: it stays on disk and in the archive.
  ASSERT_EQ(::chmod(files[3].c_str(), 0444), 0);
  // Vanished since it was marked: nothing to store.
  const std::string gone = t / "src/gone.tmp";
  files.insert(files.begin() + 5, gone);

  Recorder r;
  const ActionTally tally = zipFiles(files, run, r.hooks());
  // Failures come as the batches settle, not strictly in list order.
  r.errors.sort();
  EXPECT_EQ(r.errors, (QStringList{del(files[3]), zipFail(gone, "No such file or directory")}));
  EXPECT_EQ(tally.files, 6);
  std::int64_t expectBytes = 0;
  for (const auto& [path, content] : bytes)
    if (path != files[3]) expectBytes += static_cast<std::int64_t>(content.size());
  EXPECT_EQ(tally.bytes, expectBytes);

  const std::string archive = archiveOf(files[0]);
  EXPECT_EQ(platform::nameOf(archive).substr(platform::nameOf(archive).size() - 25), "-TempClean06Sep970533.zip");
  EXPECT_EQ(platform::folderOf(archive), defaultZipPath);
  EXPECT_EQ(rt::unzipTest(archive), 0);
  const rt::ArchiveRead read = rt::readArchive(archive);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.comment, "weekly clean");
  EXPECT_EQ(read.entries.size(), 7u);
  for (const auto& [path, content] : bytes) {
    ASSERT_TRUE(read.entries.count(entryOf(path))) << path;
    EXPECT_EQ(read.entries.at(entryOf(path)).data, content);
    EXPECT_EQ(rt::exists(path), path == files[3]) << path;
  }
}

TEST_F(ZipFilesTest, AnEntryDamagedOnDiskAfterItsCommitIsFoundAndItsFileKept) {
  // The check reads every new entry back unless told otherwise.
  ASSERT_TRUE(ZipWriter::Batching{}.readBack);
  run.batching = ZipWriter::Batching{};
  const std::string content = rt::randomBytes(40000, 7);  // incompressible: stored as is
  const std::string a = t.file("src/a.tmp", content);
  const std::string archive = archiveOf(a);
  bool damaged = false;
  ActionHooks hooks;
  QStringList errors;
  hooks.onError = [&](const QString& text) { errors << text; };
  // Called again while the written archive is checked: damage the entry's bytes on disk then.
  hooks.itemProgress = [&](int) {
    if (damaged || !rt::exists(archive)) return false;
    std::string bytes = rt::readFile(archive);
    const auto at = bytes.find(content.substr(20000, 64));
    if (at == std::string::npos) return false;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
    std::FILE* f = std::fopen(archive.c_str(), "r+b");
    std::fseek(f, static_cast<long>(at), SEEK_SET);
    std::fputc(bytes[at], f);
    std::fclose(f);
    damaged = true;
    return false;
  };
  const ActionTally tally = zipFiles({a}, run, hooks);
  ASSERT_TRUE(damaged);
  EXPECT_EQ(tally.files, 0);
  EXPECT_EQ(errors, QStringList{zipFail(a, "The entry cannot be read back from the archive")});
  EXPECT_EQ(rt::readFile(a), content);
}

TEST_F(ZipFilesTest, AFileWhoseNameIsAlreadyInTheArchiveIsNeverDeleted) {
  const std::string a = t.file("src/a.tmp", "first run");
  Recorder r;
  ASSERT_EQ(zipFiles({a}, run, r.hooks()).files, 1);
  // The same name again in the same minute: the archive keeps its entry and the file stays.
  t.file("src/a.tmp", "second run");
  const std::string b = t.file("src/b.tmp", "other");
  const ActionTally tally = zipFiles({a, b}, run, r.hooks());
  EXPECT_EQ(r.errors, QStringList{zipFail(a, "already stored in this archive")});
  EXPECT_EQ(tally.files, 1);
  EXPECT_EQ(rt::readFile(a), "second run");
  EXPECT_FALSE(rt::exists(b));
  const rt::ArchiveRead read = rt::readArchive(archiveOf(a));
  EXPECT_EQ(read.entries.at(entryOf(a)).data, "first run");
  EXPECT_EQ(read.entries.at(entryOf(b)).data, "other");
}

TEST_F(ZipFilesTest, AMissingOrReadOnlyArchiveFolderFailsEveryFileAndDeletesNone) {
  const std::string a = t.file("src/a.tmp", "aaa");
  const std::string b = t.file("src/b.tmp", "bbb");
  for (const bool missing : {true, false}) {
    if (missing) {
      defaultZipPath = t / "nowhere/";
    } else {
      defaultZipPath = t.dir("locked") + "/";
      ASSERT_EQ(::chmod(defaultZipPath.c_str(), 0555), 0);
    }
    Recorder r;
    const ActionTally tally = zipFiles({a, b}, run, r.hooks());
    const QString why =
        QString::fromStdString("The archive folder " + defaultZipPath) + (missing ? " is missing" : " is read-only");
    EXPECT_EQ(r.errors, (QStringList{zipFail(a, why), zipFail(b, why)})) << missing;
    EXPECT_EQ(tally.files, 0);
    EXPECT_EQ(rt::readFile(a), "aaa");
    EXPECT_EQ(rt::readFile(b), "bbb");
    EXPECT_FALSE(rt::exists(archiveOf(a)));
  }
  EXPECT_FALSE(archiveFolderProblem(t / "locked").isEmpty());
  EXPECT_TRUE(archiveFolderProblem(t / "zips").isEmpty());
}

TEST_F(ZipFilesTest, AbortFailsTheFileInHandKeepsWhatWasStoredAndLeavesTheRest) {
  std::vector<std::string> files;
  for (int i = 0; i < 5; ++i) files.push_back(t.file("src/f" + std::to_string(i) + ".tmp", rt::textBytes(4000)));
  run.batching.minFiles = 100;  // the stored files are still queued when the abort comes
  bool abort = false;
  int current = -1;
  Recorder r;
  ActionHooks hooks = r.hooks();
  hooks.onFile = [&](int index, const std::string&) { current = index; };
  hooks.aborted = [&] { return abort; };
  hooks.itemProgress = [&](int) {
    if (current == 2) abort = true;
    return abort;
  };
  const ActionTally tally = zipFiles(files, run, hooks);
  EXPECT_EQ(r.errors, QStringList{zipFail(files[2], "Cancelled")});
  EXPECT_EQ(tally.files, 2);
  EXPECT_FALSE(rt::exists(files[0]));
  EXPECT_FALSE(rt::exists(files[1]));
  for (int i = 2; i < 5; ++i) EXPECT_TRUE(rt::exists(files[i])) << i;
  const rt::ArchiveRead read = rt::readArchive(archiveOf(files[0]));
  EXPECT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(rt::unzipTest(archiveOf(files[0])), 0);
}

TEST(ReviewListTest, SortedWithoutRegardToCaseWithoutDuplicatesAndByteExact) {
  ReviewList list;
  rt::ModelContract contract(&list);
  const std::string latin1 = std::string("/d/caf") + char(0xE9) + ".tmp";  // not UTF-8
  list.add({"/d/b.tmp", "/d/C.tmp", "/d/a.tmp", "/d/B.tmp"});
  list.add({"/d/A.tmp", latin1, "/d/b.tmp"});
  EXPECT_EQ(list.paths(),
            (std::vector<std::string>{"/d/A.tmp", "/d/a.tmp", "/d/B.tmp", "/d/b.tmp", "/d/C.tmp", latin1}));
  EXPECT_EQ(list.rowOf(latin1), 5);
  EXPECT_EQ(list.data(list.index(5), kPathRole).toByteArray().toStdString(), latin1);

  EXPECT_EQ(list.take({4, 0, 4, 99, -1}), (std::vector<std::string>{"/d/A.tmp", "/d/C.tmp"}));
  EXPECT_EQ(list.paths(), (std::vector<std::string>{"/d/a.tmp", "/d/B.tmp", "/d/b.tmp", latin1}));
  EXPECT_EQ(list.rowOf("/d/C.tmp"), -1);
  EXPECT_TRUE(list.take({}).empty());
  EXPECT_EQ(list.count(), 4);
  list.clear();
  EXPECT_TRUE(list.isEmpty());
}
