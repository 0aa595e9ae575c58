// Writing real archives: contents read back through libzip and checked with unzip.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "archive/zipwriter.h"
#include "common/testing.h"
#include "platform/volumes.h"
#include "ziptestutil.h"

namespace roomvale {
namespace {

using testing::fileBytes;
using testing::randomBytes;
using testing::readArchive;
using testing::TempTree;
using testing::textBytes;
using testing::unzipTest;

// Runs a writer over (file, entry) pairs into one archive and returns every outcome.
std::vector<ZipResult> zipAll(ZipWriter& zip, const std::string& archive,
                              const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<ZipResult> out;
  for (const auto& [path, entry] : files) {
    zip.add(archive, path, entry);
    for (auto& r : zip.takeSettled()) out.push_back(std::move(r));
  }
  zip.flush();
  for (auto& r : zip.takeSettled()) out.push_back(std::move(r));
  return out;
}

const ZipResult* find(const std::vector<ZipResult>& results, const std::string& path) {
  for (const auto& r : results)
    if (r.path == path) return &r;
  return nullptr;
}

TEST(ZipWriter, StoresFilesThatReadBackWithTheirBytesTimesAndModes) {
  TempTree t;
  const std::string text = textBytes(200000);
  const std::string noise = randomBytes(50000, 7);
  const std::string a = t.file("src/docs/a.txt", text);
  const std::string b = t.file("src/bin/b.dat", noise);
  const std::string c = t.file("src/empty", "");
  ::chmod(b.c_str(), 0640);
  const std::string archive = t / "out/Drive-root-TempClean06Sep970533.zip";
  t.dir("out");

  ZipWriter zip(QStringLiteral("Quarterly clean-up"));
  const auto results = zipAll(zip, archive, {{a, "src/docs/a.txt"}, {b, "src/bin/b.dat"}, {c, "src/empty"}});
  ASSERT_EQ(results.size(), 3u);
  for (const auto& r : results) EXPECT_TRUE(r.stored) << r.path << ": " << r.reason.toStdString();

  EXPECT_EQ(unzipTest(archive), 0);
  const auto read = readArchive(archive);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.comment, "Quarterly clean-up");
  ASSERT_EQ(read.entries.size(), 3u);
  const auto& ea = read.entries.at("src/docs/a.txt");
  const auto& eb = read.entries.at("src/bin/b.dat");
  EXPECT_EQ(ea.data, text);
  EXPECT_EQ(eb.data, noise);
  EXPECT_EQ(read.entries.at("src/empty").data, "");

  // Text shrinks when deflated; random data does not and is stored as it is.
  EXPECT_EQ(ea.method, ZIP_CM_DEFLATE);
  EXPECT_LT(ea.compSize, text.size() / 4);
  EXPECT_TRUE(find(results, a)->deflated);
  EXPECT_EQ(eb.method, ZIP_CM_STORE);
  EXPECT_EQ(eb.compSize, noise.size());
  EXPECT_FALSE(find(results, b)->deflated);

  struct stat st {};
  ASSERT_EQ(::stat(b.c_str(), &st), 0);
  EXPECT_LE(std::llabs(static_cast<long long>(eb.mtime - st.st_mtime)), 2);  // DOS times have 2 s steps
  EXPECT_EQ((eb.attributes >> 16) & 07777, 0640u);
}

TEST(ZipWriter, LargeIncompressibleFileIsStoredAsIs) {
  TempTree t;
  const std::string noise = randomBytes(6 * 1024 * 1024 + 123, 11);
  const std::string big = t.file("big.bin", noise);
  const std::string archive = t / "Drive-root-x.zip";
  ZipWriter zip;
  const auto results = zipAll(zip, archive, {{big, "big.bin"}});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_TRUE(results[0].stored) << results[0].reason.toStdString();
  const auto read = readArchive(archive);
  EXPECT_EQ(read.entries.at("big.bin").method, ZIP_CM_STORE);
  EXPECT_EQ(read.entries.at("big.bin").data, noise);
  EXPECT_EQ(unzipTest(archive), 0);
}

TEST(ZipWriter, NothingIsReportedOrWrittenBeforeTheCommit) {
  TempTree t;
  const std::string archive = t / "Drive-root-x.zip";
  ZipWriter zip;
  zip.add(archive, t.file("a.txt", "alpha"), "a.txt");
  zip.add(archive, t.file("b.txt", "beta"), "b.txt");
  EXPECT_TRUE(zip.takeSettled().empty());
  EXPECT_EQ(zip.queued(), 2u);
  EXPECT_FALSE(testing::exists(archive));
  zip.flush();
  const auto results = zip.takeSettled();
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[0].stored && results[1].stored);
  EXPECT_EQ(zip.queued(), 0u);
  EXPECT_EQ(readArchive(archive).entries.size(), 2u);
}

TEST(ZipWriter, CommitsInBatchesAndKeepsEveryEntry) {
  TempTree t;
  const std::string archive = t / "Drive-root-x.zip";
  ZipWriter::Batching small;
  small.minFiles = 3;
  ZipWriter zip({}, small);
  std::size_t settledAfterAdds = 0;
  for (int i = 0; i < 20; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    zip.add(archive, t.file(name, textBytes(1000 + i)), name);
    settledAfterAdds += zip.takeSettled().size();
  }
  EXPECT_GE(settledAfterAdds, 3u);  // earlier batches are final before the run ends
  EXPECT_LT(settledAfterAdds, 20u);
  zip.flush();
  const std::size_t rest = zip.takeSettled().size();
  EXPECT_EQ(settledAfterAdds + rest, 20u);
  const auto read = readArchive(archive);
  ASSERT_EQ(read.entries.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(read.entries.at("f" + std::to_string(i) + ".txt").data, textBytes(1000 + i));
  EXPECT_EQ(unzipTest(archive), 0);
}

TEST(ZipWriter, FilesOfSeveralArchivesInterleaved) {
  TempTree t;
  const std::string one = t / "Drive-root-x.zip";
  const std::string two = t / "Drive-home-x.zip";
  ZipWriter::Batching b;
  b.maxOpenArchives = 1;  // every switch closes the other archive
  ZipWriter zip({}, b);
  std::vector<ZipResult> results;
  for (int i = 0; i < 6; ++i) {
    const std::string name = "f" + std::to_string(i);
    zip.add(i % 2 ? two : one, t.file(name, name), name);
    for (auto& r : zip.takeSettled()) results.push_back(r);
  }
  zip.flush();
  for (auto& r : zip.takeSettled()) results.push_back(r);
  ASSERT_EQ(results.size(), 6u);
  for (const auto& r : results) EXPECT_TRUE(r.stored) << r.reason.toStdString();
  EXPECT_EQ(readArchive(one).entries.size(), 3u);
  EXPECT_EQ(readArchive(two).entries.size(), 3u);
}

TEST(ZipWriter, CommentWholeAndNoneWhenEmpty) {
  TempTree t;
  const QString eighty(80, QLatin1Char('c'));
  {
    ZipWriter zip(eighty);
    zipAll(zip, t / "long.zip", {{t.file("a", "a"), "a"}});
  }
  EXPECT_EQ(readArchive(t / "long.zip").comment, eighty.toStdString());
  {
    ZipWriter zip;
    zipAll(zip, t / "none.zip", {{t.file("b", "b"), "b"}});
  }
  EXPECT_FALSE(readArchive(t / "none.zip").hasComment);
}

TEST(ZipWriter, AddsToAnExistingArchiveAndRefusesTakenNames) {
  TempTree t;
  const std::string archive = t / "Drive-root-TempClean06Sep970533.zip";
  {
    ZipWriter first(QStringLiteral("first run"));
    const auto r = zipAll(first, archive, {{t.file("one/a.txt", "first a"), "one/a.txt"}});
    ASSERT_TRUE(r.at(0).stored);
  }
  ZipWriter second(QStringLiteral("second run"));
  const std::string b = t.file("one/b.txt", "second b");
  const std::string again = t.file("two/a.txt", "another a");
  const std::string twice = t.file("three/b.txt", "b once more");
  const auto results = zipAll(second, archive, {{b, "one/b.txt"}, {again, "one/a.txt"}, {twice, "one/b.txt"}});
  ASSERT_EQ(results.size(), 3u);
  EXPECT_TRUE(find(results, b)->stored);
  EXPECT_FALSE(find(results, again)->stored);  // already in the archive from the first run
  EXPECT_FALSE(find(results, twice)->stored);  // already added by this run
  EXPECT_FALSE(find(results, again)->reason.isEmpty());

  const auto read = readArchive(archive);
  ASSERT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(read.entries.at("one/a.txt").data, "first a");
  EXPECT_EQ(read.entries.at("one/b.txt").data, "second b");
  EXPECT_EQ(read.comment, "second run");
  EXPECT_EQ(unzipTest(archive), 0);
}

// General purpose flags of the first local header: bit 11 says "the name is UTF-8".
unsigned firstEntryFlags(const std::string& archive) {
  const std::string bytes = fileBytes(archive);
  if (bytes.size() < 8) return ~0u;
  return static_cast<unsigned char>(bytes[6]) | (static_cast<unsigned char>(bytes[7]) << 8);
}

TEST(ZipWriter, NamesKeepTheirOwnBytes) {
  TempTree t;
  const std::string latin1 = "caf\xe9 r\xe9sum\xe9.txt";  // not UTF-8
  const std::string utf8 = "M\xc3\xbcll.txt";
  const std::string p1 = t.file(latin1, "latin");
  const std::string p2 = t.file(utf8, "utf8");
  {
    ZipWriter zip;
    EXPECT_TRUE(zipAll(zip, t / "latin.zip", {{p1, "dir/" + latin1}}).at(0).stored);
    EXPECT_TRUE(zipAll(zip, t / "utf8.zip", {{p2, "dir/" + utf8}}).at(0).stored);
  }
  EXPECT_EQ(readArchive(t / "latin.zip").entries.at("dir/" + latin1).data, "latin");
  EXPECT_EQ(readArchive(t / "utf8.zip").entries.at("dir/" + utf8).data, "utf8");
  EXPECT_EQ(firstEntryFlags(t / "latin.zip") & 0x800, 0u);
  EXPECT_EQ(firstEntryFlags(t / "utf8.zip") & 0x800, 0x800u);
  EXPECT_EQ(unzipTest(t / "latin.zip"), 0);

  // The same raw name again is a duplicate.
  ZipWriter more;
  const auto r = zipAll(more, t / "latin.zip", {{t.file("other", "x"), "dir/" + latin1}});
  EXPECT_FALSE(r.at(0).stored);
  EXPECT_EQ(readArchive(t / "latin.zip").entries.at("dir/" + latin1).data, "latin");
}

TEST(ZipWriter, CancelFailsTheCurrentFileAndLeavesTheArchiveAsItWas) {
  TempTree t;
  const std::string archive = t / "Drive-root-x.zip";
  {
    ZipWriter zip;
    ASSERT_TRUE(zipAll(zip, archive, {{t.file("old.txt", "old"), "old.txt"}}).at(0).stored);
  }
  const std::string before = fileBytes(archive);

  const std::string big = t.file("big.txt", textBytes(3 * 1024 * 1024));
  ZipWriter zip(QStringLiteral("changed comment"));
  std::vector<int> seen;
  zip.progress = [&](int percent) {
    seen.push_back(percent);
    return percent > 0;  // the user aborts once the file is under way
  };
  const auto results = zipAll(zip, archive, {{big, "big.txt"}});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_FALSE(results[0].stored);
  EXPECT_EQ(results[0].reason, "Cancelled");
  EXPECT_TRUE(testing::exists(big));
  EXPECT_EQ(fileBytes(archive), before);
  EXPECT_GE(seen.size(), 2u);

  // The abort concerns that file only: the writer goes on when asked to.
  zip.progress = nullptr;
  const auto next = zipAll(zip, archive, {{big, "big.txt"}});
  EXPECT_TRUE(next.at(0).stored);
  EXPECT_EQ(readArchive(archive).entries.size(), 2u);
}

TEST(ZipWriter, ProgressRunsFromZeroToHundredPerFile) {
  TempTree t;
  const std::string f = t.file("f.txt", textBytes(1024 * 1024));
  ZipWriter zip;
  std::vector<int> seen;
  zip.progress = [&](int percent) {
    seen.push_back(percent);
    return false;
  };
  zip.add(t / "a.zip", f, "f.txt");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen.back(), 100);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST(ZipWriter, MissingArchiveFolderFailsEveryFile) {
  TempTree t;
  const std::string archive = t / "gone/Drive-root-x.zip";
  const std::string a = t.file("a", "a");
  const std::string b = t.file("b", "b");
  ZipWriter zip;
  zip.add(archive, a, "a");
  zip.add(archive, b, "b");
  const auto results = zip.takeSettled();  // at once: nothing is worth compressing
  ASSERT_EQ(results.size(), 2u);
  for (const auto& r : results) {
    EXPECT_FALSE(r.stored);
    EXPECT_TRUE(r.reason.contains("missing or cannot be written")) << r.reason.toStdString();
  }
  zip.flush();
  EXPECT_TRUE(zip.takeSettled().empty());
  EXPECT_FALSE(testing::exists(t / "gone"));
  EXPECT_TRUE(testing::exists(a) && testing::exists(b));
}

// Makes a folder unwritable for the duration of a test, also for root (immutable flag).
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) {
    if (::geteuid() == 0)
      ok_ = std::system(("chattr +i '" + path_ + "' 2>/dev/null").c_str()) == 0;
    else
      ok_ = ::chmod(path_.c_str(), 0555) == 0;
  }
  ~ReadOnlyFolder() {
    if (::geteuid() == 0)
      std::system(("chattr -i '" + path_ + "' 2>/dev/null").c_str());
    else
      ::chmod(path_.c_str(), 0755);
  }
  bool ok() const { return ok_; }

 private:
  std::string path_;
  bool ok_ = false;
};

TEST(ZipWriter, ReadOnlyArchiveFolderFailsEveryFileAndKeepsTheArchive) {
  TempTree t;
  const std::string folder = t.dir("zips");
  const std::string archive = folder + "/Drive-root-x.zip";
  {
    ZipWriter zip;
    ASSERT_TRUE(zipAll(zip, archive, {{t.file("old", "old"), "old"}}).at(0).stored);
  }
  const std::string before = fileBytes(archive);
  ReadOnlyFolder guard(folder);
  if (!guard.ok()) GTEST_SKIP() << "cannot make a folder read-only here";
  ZipWriter zip;
  const auto results = zipAll(zip, archive, {{t.file("new1", "1"), "new1"}, {t.file("new2", "2"), "new2"}});
  ASSERT_EQ(results.size(), 2u);
  for (const auto& r : results) EXPECT_FALSE(r.stored);
  EXPECT_EQ(fileBytes(archive), before);
}

TEST(ZipWriter, AFileThatIsNoArchiveIsLeftAlone) {
  TempTree t;
  const std::string archive = t.file("Drive-root-x.zip", "this is not a zip file at all");
  ZipWriter zip;
  const auto results = zipAll(zip, archive, {{t.file("a", "a"), "a"}});
  EXPECT_FALSE(results.at(0).stored);
  EXPECT_EQ(fileBytes(archive), "this is not a zip file at all");
}

TEST(ZipWriter, OnlyRegularFilesAndNeverTheArchiveItself) {
  TempTree t;
  const std::string archive = t / "Drive-root-x.zip";
  {
    ZipWriter zip;
    ASSERT_TRUE(zipAll(zip, archive, {{t.file("first", "1"), "first"}}).at(0).stored);
  }
  const std::string target = t.file("target.txt", "target");
  const std::string link = t / "link.txt";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  const std::string folder = t.dir("sub");
  ZipWriter zip;
  const auto results =
      zipAll(zip, archive, {{link, "link.txt"}, {folder, "sub"}, {archive, "self.zip"}, {t / "missing", "missing"}});
  ASSERT_EQ(results.size(), 4u);
  for (const auto& r : results) EXPECT_FALSE(r.stored) << r.path;
  EXPECT_EQ(readArchive(archive).entries.size(), 1u);
}

TEST(ZipWriter, AFileChangedBeforeTheCommitIsNotReportedStored) {
  TempTree t;
  const std::string archive = t / "Drive-root-x.zip";
  const std::string f = t.file("f.txt", "version one");
  ZipWriter zip;
  zip.add(archive, f, "f.txt");
  {
    std::FILE* out = std::fopen(f.c_str(), "a");
    ASSERT_NE(out, nullptr);
    std::fputs(" and more", out);
    std::fclose(out);
  }
  zip.flush();
  const auto results = zip.takeSettled();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_FALSE(results[0].stored);
  EXPECT_EQ(testing::readFile(f), "version one and more");
}

TEST(ZipWriter, UnsafeEntryNamesAreRefused) {
  TempTree t;
  const std::string f = t.file("f", "x");
  ZipWriter zip;
  for (const char* bad : {"../f", "/abs/f", "a/../../f", ""}) zip.add(t / "a.zip", f, bad);
  const auto results = zip.takeSettled();
  ASSERT_EQ(results.size(), 4u);
  for (const auto& r : results) EXPECT_FALSE(r.stored);
}

TEST(ZipWriter, EntryNamedAfterTheFilesVolume) {
  TempTree t;
  const std::string f = t.file("deep/er/file.txt", "content");
  const auto v = platform::volumeOf(f);
  ASSERT_TRUE(v.has_value());
  const std::string archive = t / "a.zip";
  ZipWriter zip;
  zip.add(archive, f);
  zip.flush();
  const auto results = zip.takeSettled();
  ASSERT_EQ(results.size(), 1u);
  ASSERT_TRUE(results[0].stored) << results[0].reason.toStdString();
  const std::string expected = *entryNameFor(f, v->mountPoint);
  EXPECT_EQ(results[0].entryName, expected);
  EXPECT_EQ(readArchive(archive).entries.at(expected).data, "content");
}

}  // namespace
}  // namespace roomvale
