// Restoring real archives, hostile ones included: nothing is ever written outside the chosen
// folder, nothing half-written stays behind, and existing files are replaced only on a Yes.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "archive/zipentrymodel.h"
#include "archive/zipreader.h"
#include "archive/zipwriter.h"
#include "common/testing.h"
#include "platform/destfolders.h"
#include "ziptestutil.h"

namespace roomvale {
namespace {

using testing::fileBytes;
using testing::RawEntry;
using testing::rawZip;
using testing::TempTree;
using Replace = RestoreHooks::Replace;

// Every file and link below `root`, as paths relative to it.
std::vector<std::string> listTree(const std::string& root, const std::string& rel = {}) {
  std::vector<std::string> out;
  DIR* d = ::opendir((rel.empty() ? root : root + "/" + rel).c_str());
  if (!d) return out;
  while (dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = rel.empty() ? name : rel + "/" + name;
    if (e->d_type == DT_DIR)
      for (auto& p : listTree(root, path)) out.push_back(p);
    else
      out.push_back(path);
  }
  ::closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

// A restore run that records what it was asked and answers from scripts.
struct Restoring {
  std::vector<std::string> failed;  // entry names
  std::vector<QString> details;
  std::vector<std::string> asked;  // targets of replace questions
  std::vector<Replace> replies;    // answers, then No
  std::vector<QString> passwords;  // typed passwords, then Cancel
  int passwordAsks = 0;
  std::vector<std::string> duplicates;
  std::function<bool()> abortWhen;
  QByteArray remembered;

  RestoreSummary restore(const std::string& archive, const std::string& dest) {
    ZipReader reader;
    QString why;
    EXPECT_TRUE(reader.open(archive, &why)) << why.toStdString();
    RestoreHooks hooks;
    hooks.failed = [this](const std::string& e, const QString& d) {
      failed.push_back(e);
      details.push_back(d);
    };
    hooks.replace = [this](const std::string&, const std::string& target) {
      asked.push_back(target);
      if (replies.empty()) return Replace::No;
      const Replace r = replies.front();
      replies.erase(replies.begin());
      return r;
    };
    hooks.password = [this](const std::string&) -> std::optional<QString> {
      ++passwordAsks;
      if (passwords.empty()) return std::nullopt;
      QString p = passwords.front();
      passwords.erase(passwords.begin());
      return p;
    };
    hooks.duplicate = [this](const std::string& e) {
      duplicates.push_back(e);
      return false;
    };
    hooks.aborted = [this] { return abortWhen && abortWhen(); };
    ZipRestorer restorer(std::move(hooks));
    restorer.password = remembered;
    const RestoreSummary s = restorer.run(reader, dest);
    remembered = restorer.password;
    return s;
  }
};

TEST(Restore, HostileNamesAndPlantedLinksNeverReachOutsideTheFolder) {
  TempTree t;
  const std::string dest = t.dir("dest");
  const std::string outside = t.dir("outside");
  const std::string victim = t.file("outside/victim", "precious");
  ASSERT_EQ(::symlink(outside.c_str(), (dest + "/link").c_str()), 0);
  ASSERT_EQ(::symlink(victim.c_str(), (dest + "/last").c_str()), 0);
  t.file("dest/plain", "a file, not a folder");
  const std::vector<std::string> refused = {"/abs/evil", "../evil",   "a/../../evil", "a//evil",
                                            "./evil",    "link/evil", "plain/evil",   "a/.."};
  std::vector<RawEntry> entries;
  for (const auto& name : refused) entries.push_back({name, "evil"});
  entries.push_back({"ln", "evil", false, {}, -1, 0120777});  // a stored symbolic link
  entries.push_back({"ok/good.txt", "good"});
  entries.push_back({"last", "replaces the link only"});
  const std::string archive = t / "hostile.zip";
  testing::writeBytes(archive, rawZip(entries));

  for (Replace answer : {Replace::No, Replace::Yes}) {
    Restoring run;
    run.replies = {answer};
    const RestoreSummary s = run.restore(archive, dest);
    std::vector<std::string> expected = refused;
    expected.push_back("ln");
    EXPECT_EQ(run.failed, expected);
    for (const QString& d : run.details) EXPECT_TRUE(d.isEmpty()) << d.toStdString();
    EXPECT_EQ(run.asked, std::vector<std::string>{dest + "/last"});
    EXPECT_EQ(fileBytes(dest + "/ok/good.txt"), "good");
    EXPECT_EQ(listTree(outside), std::vector<std::string>{"victim"});
    EXPECT_EQ(fileBytes(victim), "precious");
    EXPECT_EQ(s.failed, expected.size());
    ::unlink((dest + "/ok/good.txt").c_str());
  }
  // On Yes the link itself was replaced, never written through.
  struct stat st {};
  ASSERT_EQ(::lstat((dest + "/last").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(fileBytes(dest + "/last"), "replaces the link only");
  EXPECT_EQ(listTree(dest), (std::vector<std::string>{"last", "link", "plain"}));
}

TEST(Restore, DamagedEntriesFailAloneAndLeaveNoHalfFiles) {
  TempTree t;
  const std::string dest = t.dir("dest");
  const std::string good = testing::textBytes(70000);
  const std::string archive = t / "damaged.zip";
  testing::writeBytes(archive, rawZip({{"bad-deflate", good, true, std::string(400, '\xff')},
                                       {"bad-crc", good, true, {}, 0x12345678},
                                       {"stored-bad-crc", "stored", false, {}, 0x1},
                                       {"fine/deflated", good, true},
                                       {"fine/empty", ""}}));
  Restoring run;
  const RestoreSummary s = run.restore(archive, dest);
  EXPECT_EQ(run.failed, (std::vector<std::string>{"bad-deflate", "bad-crc", "stored-bad-crc"}));
  for (const QString& d : run.details) EXPECT_FALSE(d.isEmpty());
  EXPECT_EQ(listTree(dest), (std::vector<std::string>{"fine/deflated", "fine/empty"}));
  EXPECT_EQ(fileBytes(dest + "/fine/deflated"), good);
  EXPECT_EQ(s.restored, 2u);
  EXPECT_EQ(s.files, 5u);

  // Aborted in the middle of a file: that file is not kept, the run stops.
  const std::string big = t / "big.zip";
  testing::writeBytes(big, rawZip({{"first", good}, {"second", testing::randomBytes(3 << 20, 4)}, {"third", "x"}}));
  const std::string dest2 = t.dir("dest2");
  Restoring stop;
  int chunks = 0;
  stop.abortWhen = [&] { return ++chunks > 4; };
  const RestoreSummary a = stop.restore(big, dest2);
  EXPECT_TRUE(a.aborted);
  EXPECT_EQ(listTree(dest2), std::vector<std::string>{"first"});

  // Cut archives are not archives.
  const std::string whole = fileBytes(archive);
  for (std::size_t keep : {std::size_t(0), std::size_t(10), whole.size() / 2, whole.size() - 5}) {
    testing::writeBytes(t / "cut.zip", whole.substr(0, keep));
    ZipReader reader;
    QString why;
    EXPECT_FALSE(reader.open(t / "cut.zip", &why)) << keep;
    EXPECT_FALSE(why.isEmpty());
  }
}

TEST(Restore, ExistingFilesAreReplacedOnlyOnYes) {
  TempTree t;
  const std::string dest = t.dir("dest");
  std::vector<RawEntry> entries;
  for (const char* n : {"a", "b", "c", "d", "e"}) {
    t.file(std::string("dest/") + n, "old");
    entries.push_back({n, "new"});
  }
  entries.push_back({"a", "repeated name"});
  const std::string archive = t / "exists.zip";
  testing::writeBytes(archive, rawZip(entries));

  Restoring run;
  run.replies = {Replace::No, Replace::Yes, Replace::NoToAll};
  const RestoreSummary s = run.restore(archive, dest);
  EXPECT_EQ(run.asked.size(), 3u);  // a, b, c; d and e kept without asking
  for (const char* n : {"a", "c", "d", "e"}) EXPECT_EQ(fileBytes(dest + "/" + n), "old") << n;
  EXPECT_EQ(fileBytes(dest + "/b"), "new");
  EXPECT_EQ(run.duplicates, std::vector<std::string>{"a"});
  EXPECT_EQ(s.restored, 1u);
  EXPECT_EQ(s.skipped, 5u);

  Restoring all;
  all.replies = {Replace::YesToAll};
  all.restore(archive, dest);
  EXPECT_EQ(all.asked.size(), 1u);
  for (const char* n : {"a", "c", "d", "e"}) EXPECT_EQ(fileBytes(dest + "/" + n), "new") << n;
  EXPECT_EQ(listTree(dest).size(), 5u);  // no temporary file left
}

TEST(Restore, EncryptedEntriesTakeThreeAttemptsAndRememberTheRightPassword) {
  TempTree t;
  t.file("src/one.txt", "first secret");
  t.file("src/two.txt", "second secret");
  const std::string archive = t / "locked.zip";
  ASSERT_EQ(std::system(("cd '" + t / "src" + "' && zip -q -P s3cret '" + archive + "' one.txt two.txt").c_str()), 0);

  Restoring wrong;
  wrong.passwords = {"no", "nope", "still no", "s3cret"};
  const std::string dest = t.dir("dest");
  const RestoreSummary s = wrong.restore(archive, dest);
  EXPECT_EQ(wrong.failed, (std::vector<std::string>{"one.txt"}));
  EXPECT_EQ(wrong.passwordAsks, 4);  // three for the first, the fourth (right) one for the second
  EXPECT_EQ(listTree(dest), std::vector<std::string>{"two.txt"});
  EXPECT_EQ(fileBytes(dest + "/two.txt"), "second secret");
  EXPECT_EQ(s.restored, 1u);

  Restoring right;
  right.passwords = {"bad", "s3cret"};
  const std::string dest2 = t.dir("dest2");
  right.restore(archive, dest2);
  EXPECT_TRUE(right.failed.empty());
  EXPECT_EQ(right.passwordAsks, 2);  // the second entry used the remembered one
  EXPECT_EQ(fileBytes(dest2 + "/one.txt"), "first secret");
  EXPECT_EQ(right.remembered, QByteArray("s3cret"));
}

TEST(Restore, NamesModesAndTimesComeBackFromTheWritersArchives) {
  TempTree t;
  const std::string odd = "caf\xe9 \x01\xff.txt";  // not UTF-8
  const std::string a = t.file("src/" + odd, "latin-1 name");
  const std::string b = t.file("src/deep/er/empty", "");
  ::chmod(a.c_str(), 0640);
  const timespec times[2] = {{0, UTIME_OMIT}, {1700000001, 0}};
  ::utimensat(AT_FDCWD, b.c_str(), times, 0);
  const std::string archive = t / "Drive-root-TempClean01Jan240000.zip";
  ZipWriter zip;
  zip.add(archive, a, "src/" + odd);
  zip.add(archive, b, "src/deep/er/empty");
  zip.flush();
  for (const auto& r : zip.takeSettled()) ASSERT_TRUE(r.stored) << r.reason.toStdString();

  const std::string dest = t.dir("dest");
  Restoring run;
  EXPECT_EQ(run.restore(archive, dest).restored, 2u);
  EXPECT_EQ(fileBytes(dest + "/src/" + odd), "latin-1 name");
  struct stat sa {
  }, sb{};
  ASSERT_EQ(::stat((dest + "/src/" + odd).c_str(), &sa), 0);
  ASSERT_EQ(::stat((dest + "/src/deep/er/empty").c_str(), &sb), 0);
  EXPECT_EQ(sa.st_mode & 07777, 0640u);
  EXPECT_EQ(sb.st_size, 0);
  EXPECT_LE(std::llabs(static_cast<long long>(sb.st_mtime) - 1700000001LL), 1);  // DOS times count in 2 s
}

// Damaged copies of a good archive: whatever the reader makes of them, it does not crash and
// writes nowhere but below the destination.
TEST(Restore, DamagedArchivesNeverCrashTheReaderOrEscape) {
  TempTree t;
  const std::string good = rawZip({{"a/one", testing::textBytes(3000), true},
                                   {"two", "short"},
                                   {"a/b/three", testing::randomBytes(500, 1), true},
                                   {"four/", ""}});
  std::mt19937 gen(1234);
  const std::string outside = t.dir("outside");
  int opened = 0;
  for (int round = 0; round < 120; ++round) {
    std::string bytes = good;
    const int flips = 1 + static_cast<int>(gen() % 8);
    for (int k = 0; k < flips; ++k) bytes[gen() % bytes.size()] = static_cast<char>(gen() & 0xFF);
    if (round % 5 == 0) bytes.resize(gen() % bytes.size());
    const std::string archive = t / "fuzz.zip";
    testing::writeBytes(archive, bytes);
    const std::string dest = t.dir("d" + std::to_string(round));
    ZipReader reader;
    if (!reader.open(archive)) continue;
    ++opened;
    ZipEntryModel model;
    model.setEntries(reader.entries());
    RestoreHooks hooks;
    hooks.replace = [](const std::string&, const std::string&) { return Replace::Yes; };
    ZipRestorer(std::move(hooks)).run(reader, dest);
    for (const std::string& p : listTree(dest)) EXPECT_EQ(p.find(".roomvale-restore"), std::string::npos) << p;
  }
  EXPECT_TRUE(listTree(outside).empty());
  EXPECT_GT(opened, 30);  // most damage still leaves something to read
}

TEST(ZipEntryModel, KeepsATrueTreeThroughFillSortGrowthAndClear) {
  auto e = [](const char* name, std::uint64_t size = 0, std::time_t mtime = 0) {
    ZipEntryInfo i;
    i.name = name;
    i.size = size;
    i.mtime = mtime;
    i.folder = i.name.back() == '/';
    return i;
  };
  ZipEntryModel model;
  testing::ModelContract contract(&model);
  model.setEntries({e("b/x.txt", 30, 100), e("a.txt", 10, 300), e("b/c/"), e("b/y", 20)});
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.fileCount(), 3u);
  EXPECT_EQ(model.folderCount(), 2u);
  model.sort(ZipEntryModel::SizeColumn, Qt::DescendingOrder);
  const QModelIndex b = model.index(0, 0);
  EXPECT_EQ(model.data(b).toString(), "b");  // folders first
  EXPECT_EQ(model.data(model.index(0, 0, b)).toString(), "c");
  EXPECT_EQ(model.data(model.index(1, 0, b)).toString(), "x.txt");
  EXPECT_EQ(model.pathOf(model.index(2, 0, b)), "b/y");
  const QPersistentModelIndex held = model.index(1, 0, b);
  model.sort(ZipEntryModel::NameColumn, Qt::AscendingOrder);
  EXPECT_EQ(model.pathOf(held), "b/x.txt");
  model.addEntries({e("b/c/d/new", 5), e("b/aa", 1), e("z/top", 2), e("/abs//name", 3)});
  // Each new row went to its sorted place: folders abs, b, z, then the file a.txt.
  ASSERT_EQ(model.rowCount(), 4);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), "abs");
  EXPECT_EQ(model.data(model.index(3, 0)).toString(), "a.txt");
  EXPECT_EQ(model.pathOf(model.index(1, 0, model.index(1, 0))), "b/aa");
  model.clear();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.fileCount(), 0u);
}

TEST(DestinationFolders, ReusesFewDescriptorsAndRefusesLinks) {
  TempTree t;
  t.dir("root/x");
  ASSERT_EQ(::symlink("/tmp", (t / "root/x/up").c_str()), 0);
  auto openFds = [] { return listTree("/proc/self/fd").size(); };
  const std::size_t before = openFds();
  {
    platform::DestinationFolders folders;
    folders.maxOpen = 3;
    ASSERT_EQ(folders.open(t / "root"), 0);
    for (int i = 0; i < 20; ++i) {
      const auto f = folders.folder("x/" + std::to_string(i) + "/deep/er", true);
      ASSERT_EQ(f.outcome, platform::DestinationFolders::Outcome::Opened);
      EXPECT_EQ(::faccessat(f.fd, ".", W_OK, 0), 0);
    }
    EXPECT_LE(openFds(), before + 6);
    EXPECT_EQ(folders.folder("x/up/inside", true).outcome, platform::DestinationFolders::Outcome::Refused);
    EXPECT_EQ(folders.folder("x/../y", true).outcome, platform::DestinationFolders::Outcome::Refused);
    EXPECT_EQ(folders.folder("x/missing", false).outcome, platform::DestinationFolders::Outcome::Failed);
  }
  EXPECT_EQ(openFds(), before);
  EXPECT_TRUE(testing::exists(t / "root/x/19/deep/er"));
  EXPECT_FALSE(testing::exists("/tmp/inside"));
}

}  // namespace
}  // namespace roomvale
