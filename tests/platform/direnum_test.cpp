#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <map>
#include <set>

#include "common/testing.h"
#include "platform/direnum.h"

using namespace roomvale::platform;
using roomvale::testing::TempTree;

namespace {

std::map<std::string, DirEntry> list(const std::string& folder, std::string_view pattern, std::uint32_t request,
                                     std::uint64_t rootDevice = 0) {
  std::map<std::string, DirEntry> out;
  DirReader r;
  EXPECT_TRUE(r.open(folder, pattern, request, rootDevice)) << folder;
  DirEntry e;
  while (r.next(e)) EXPECT_TRUE(out.emplace(e.name, e).second) << "listed twice: " << e.name;
  return out;
}

std::set<std::string> names(const std::map<std::string, DirEntry>& m) {
  std::set<std::string> s;
  for (const auto& [n, e] : m) s.insert(n);
  return s;
}

// A folder with every kind of entry the attribute mapping distinguishes.
struct Sample {
  TempTree tree;
  Sample() {
    tree.file("plain.txt", "12345");
    tree.file(".hidden", "x");
    tree.file("noext");
    tree.dir("sub");
    tree.dir(".hiddendir");
    tree.file("locked.doc", "ro");
    ::chmod((tree / "locked.doc").c_str(), 0444);
    ::symlink("plain.txt", (tree / "tofile").c_str());
    ::symlink("sub", (tree / "todir").c_str());
    ::symlink("nowhere", (tree / "dangling").c_str());
    ::symlink("loop", (tree / "loop").c_str());
    ::mkfifo((tree / "pipe").c_str(), 0644);
  }
};

}  // namespace

TEST(DirReader, AttributeMappingAndRequests) {
  Sample s;
  const auto all = list(s.tree.path(), "*.*", 0x3F);
  EXPECT_EQ(names(all), (std::set<std::string>{"plain.txt", ".hidden", "noext", "sub", ".hiddendir", "locked.doc",
                                               "tofile", "todir", "dangling", "loop", "pipe"}));
  EXPECT_EQ(all.at("plain.txt").attr, kAttrArchive);
  EXPECT_EQ(all.at("plain.txt").size, 5u);
  EXPECT_EQ(all.at(".hidden").attr, kAttrArchive | kAttrHidden);
  EXPECT_EQ(all.at("sub").attr, kAttrDirectory);
  EXPECT_EQ(all.at("sub").size, 0u);
  EXPECT_EQ(all.at(".hiddendir").attr, kAttrDirectory | kAttrHidden);
  EXPECT_EQ(all.at("locked.doc").attr, kAttrArchive | kAttrReadOnly);
  // Links of every sort are links: system, never a directory, never followed.
  for (const char* link : {"tofile", "todir", "dangling", "loop"}) {
    EXPECT_TRUE(all.at(link).attr & kAttrSystem) << link;
    EXPECT_FALSE(all.at(link).attr & (kAttrDirectory | kAttrArchive)) << link;
  }
  EXPECT_EQ(all.at("pipe").attr & (kAttrSystem | kAttrArchive | kAttrDirectory), kAttrSystem);

  // Sub-folder listing: neither hidden nor system, folders and files alike.
  EXPECT_EQ(names(list(s.tree.path(), "*.*", 0x10)),
            (std::set<std::string>{"plain.txt", "noext", "sub", "locked.doc"}));
  // Quick clean: hidden files too, no folders, no system entries.
  EXPECT_EQ(names(list(s.tree.path(), "*.*", 0x2B)),
            (std::set<std::string>{"plain.txt", ".hidden", "noext", "locked.doc"}));
  // Duplicates and files by date: plain files only (read-only and archive never skip).
  EXPECT_EQ(names(list(s.tree.path(), "*.*", 0x29)), (std::set<std::string>{"plain.txt", "noext", "locked.doc"}));
  EXPECT_EQ(names(list(s.tree.path(), "*.*", 0x28)), (std::set<std::string>{"plain.txt", "noext", "locked.doc"}));
  // One marked file's size: every file, hidden and system ones included, no folders.
  EXPECT_EQ(names(list(s.tree.path(), "*.*", 0x2F)),
            (std::set<std::string>{"plain.txt", ".hidden", "noext", "locked.doc", "tofile", "todir", "dangling", "loop",
                                   "pipe"}));
}

TEST(DirReader, NeverFollowsTheFolderItself) {
  Sample s;
  DirReader r;
  EXPECT_FALSE(r.open(s.tree / "todir", "*.*", 0x3F));
  EXPECT_FALSE(r.open(s.tree / "loop", "*.*", 0x3F));
  EXPECT_FALSE(r.open(s.tree / "plain.txt", "*.*", 0x3F));
  EXPECT_EQ(r.fd(), -1);
  DirEntry e;
  EXPECT_FALSE(r.next(e));
  // Relative to an open folder's descriptor.
  DirReader parent;
  ASSERT_TRUE(parent.open(s.tree.path(), "*.*", 0x3F));
  DirReader child;
  ASSERT_TRUE(child.open(parent.fd(), "sub", "*.*", 0x3F));
  EXPECT_EQ(child.device(), parent.device());
  EXPECT_FALSE(child.open(parent.fd(), "todir", "*.*", 0x3F));
}

TEST(DirReader, FolderOnAnotherDeviceIsSystem) {
  Sample s;
  DirEntry self;
  ASSERT_TRUE(statEntry(AT_FDCWD, s.tree.path(), self));
  // Seen from a walk rooted elsewhere, every real folder here lies on "another" device.
  const auto all = list(s.tree.path(), "*.*", 0x3F, self.device + 1);
  EXPECT_EQ(all.at("sub").attr, kAttrDirectory | kAttrSystem);
  EXPECT_EQ(all.at("plain.txt").attr, kAttrArchive);
  EXPECT_EQ(names(list(s.tree.path(), "*.*", 0x10, self.device + 1)),
            (std::set<std::string>{"plain.txt", "noext", "locked.doc"}));
  // A real mount point: /proc is never on the device of "/".
  DirEntry root, proc;
  ASSERT_TRUE(statEntry(AT_FDCWD, "/", root));
  EXPECT_FALSE(root.attr & kAttrSystem);
  if (statEntry(AT_FDCWD, "/proc", proc)) {
    EXPECT_TRUE(proc.attr & kAttrSystem);
  }
}

TEST(DirReader, StatEntryUsesLstatAndTheLastName) {
  Sample s;
  DirEntry e;
  ASSERT_TRUE(statEntry(AT_FDCWD, s.tree / "todir", e));
  EXPECT_EQ(e.name, "todir");
  EXPECT_EQ(e.attr & (kAttrSystem | kAttrDirectory), kAttrSystem);
  ASSERT_TRUE(statEntry(AT_FDCWD, s.tree / "todir/", e));  // a trailing "/" must not follow
  EXPECT_EQ(e.attr & (kAttrSystem | kAttrDirectory), kAttrSystem);
  ASSERT_TRUE(statEntry(AT_FDCWD, s.tree / ".hiddendir", e));
  EXPECT_EQ(e.attr, kAttrDirectory | kAttrHidden);
  ASSERT_TRUE(statEntry(AT_FDCWD, s.tree / "sub", e));
  EXPECT_EQ(e.attr, kAttrDirectory);
  EXPECT_FALSE(statEntry(AT_FDCWD, s.tree / "missing", e));
  EXPECT_FALSE(statEntry(AT_FDCWD, "", e));
  const int fd = ::open(s.tree.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_TRUE(statEntry(fd, "plain.txt", e));
  EXPECT_EQ(e.size, 5u);
  ASSERT_TRUE(statEntry(fd, ".hidden", e));
  EXPECT_TRUE(e.attr & kAttrHidden);
  ::close(fd);
}

TEST(DirReader, NonUtf8NameListedUnderItsOwnBytes) {
  TempTree tree;
  const std::string name = "caf\xE9\xFF.txt";  // Latin-1 bytes, not UTF-8
  tree.file(name, "abc");
  const auto all = list(tree.path(), "*.txt", 0x3F);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all.begin()->first, name);
  DirEntry e;
  EXPECT_TRUE(statEntry(AT_FDCWD, tree / name, e));
  EXPECT_EQ(e.size, 3u);
}

TEST(DirReader, SizesAreSixtyFourBit) {
  TempTree tree;
  const std::string path = tree / "big.img";
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  const std::uint64_t five = 5ull << 30;
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(five)), 0);
  ::close(fd);
  const auto all = list(tree.path(), "*.*", 0x29);
  EXPECT_EQ(all.at("big.img").size, five);
  EXPECT_LT(all.at("big.img").allocated, five);  // sparse
}

TEST(DirReader, TimesAndFatDateTime) {
  TempTree tree;
  const std::string path = tree.file("old.txt");
  struct tm lt {};
  lt.tm_year = 1999 - 1900;
  lt.tm_mon = 11;
  lt.tm_mday = 31;
  lt.tm_hour = 23;
  lt.tm_min = 59;
  lt.tm_sec = 59;
  lt.tm_isdst = -1;
  const time_t when = ::mktime(&lt);
  struct timeval tv[2] = {{when - 60, 0}, {when, 0}};
  ASSERT_EQ(::utimes(path.c_str(), tv), 0);
  DirEntry e;
  ASSERT_TRUE(statEntry(AT_FDCWD, path, e));
  EXPECT_EQ(e.writeTime.sec, when);
  EXPECT_EQ(e.accessTime.sec, when - 60);
  if (e.creationTime.valid) {
    EXPECT_GT(e.creationTime.sec, when);  // made now, backdated mtime
  }
  const auto fat = toFatDateTime(e.writeTime);
  ASSERT_TRUE(fat.has_value());
  EXPECT_EQ(*fat >> 16, ((1999u - 1980u) << 9) | (12u << 5) | 31u);
  EXPECT_EQ(*fat & 0xFFFF, (23u << 11) | (59u << 5) | 29u);

  auto at = [](int year, int mon, int day) {
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = mon - 1;
    t.tm_mday = day;
    t.tm_hour = 12;
    t.tm_isdst = -1;
    return FileTime{::mktime(&t), 0, true};
  };
  EXPECT_FALSE(toFatDateTime(at(1979, 12, 31)).has_value());
  EXPECT_EQ(*toFatDateTime(at(1980, 1, 1)) >> 16, (1u << 5) | 1u);
  EXPECT_EQ(*toFatDateTime(at(2107, 12, 31)) >> 16, (127u << 9) | (12u << 5) | 31u);
  EXPECT_FALSE(toFatDateTime(at(2108, 1, 1)).has_value());
  EXPECT_FALSE(toFatDateTime(FileTime{}).has_value());  // "not recorded"
}

// The packed local time is what the local-time service gives, in zones with summer time,
// with offsets that are not whole hours, with a half-hour shift, and after the zone changes.
TEST(FatDateTime, AgreesWithTheLocalTimeServiceInEveryZone) {
  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  auto reference = [](std::int64_t sec) -> std::optional<std::uint32_t> {
    const time_t s = static_cast<time_t>(sec);
    struct tm lt {};
    if (!::localtime_r(&s, &lt) || lt.tm_year + 1900 < 1980 || lt.tm_year + 1900 > 2107) return std::nullopt;
    return (static_cast<std::uint32_t>(((lt.tm_year + 1900 - 1980) << 9) | ((lt.tm_mon + 1) << 5) | lt.tm_mday) << 16) |
           static_cast<std::uint32_t>((lt.tm_hour << 11) | (lt.tm_min << 5) | (std::min(lt.tm_sec, 59) / 2));
  };
  for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Asia/Kathmandu", "Australia/Lord_Howe",
                           "America/St_Johns", "right/Europe/London"}) {
    ::setenv("TZ", zone, 1);
    ::tzset();
    // Every 7 minutes 13 seconds through a year with both summer-time changes, then a
    // spread over the whole range (and a little beyond).
    for (std::int64_t s = 1711846800 - 86400 * 200; s < 1711846800 + 86400 * 200; s += 433)
      ASSERT_EQ(toFatDateTime(FileTime{s, 0, true}), reference(s)) << zone << " " << s;
    for (std::int64_t s = 300000000; s < 4400000000; s += 86413 * 7 + 3599)
      ASSERT_EQ(toFatDateTime(FileTime{s, 0, true}), reference(s)) << zone << " " << s;
  }
  if (old)
    ::setenv("TZ", saved.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}

TEST(Patterns, WildcardRules) {
  // "*.*" and "*" take every name, with or without a dot.
  for (const char* n : {"a.txt", "noext", ".bashrc", "a.b.c"}) {
    EXPECT_TRUE(matchesPattern(n, "*.*")) << n;
    EXPECT_TRUE(matchesPattern(n, "*")) << n;
  }
  EXPECT_TRUE(matchesPattern("noext", "*."));
  EXPECT_FALSE(matchesPattern("a.txt", "*."));
  EXPECT_TRUE(matchesPattern("REPORT.TMP", "*.tmp"));
  EXPECT_TRUE(matchesPattern("x.tmp", "*.TMP"));
  EXPECT_FALSE(matchesPattern("x.tmpl", "*.tmp"));
  EXPECT_FALSE(matchesPattern("xtmp", "*.tmp"));
  EXPECT_TRUE(matchesPattern("a.b.tmp", "*.tmp"));
  EXPECT_TRUE(matchesPattern("~wrl0001.tmp", "~*.tmp"));
  EXPECT_TRUE(matchesPattern("file1.bak", "file?.bak"));
  EXPECT_FALSE(matchesPattern("file12.bak", "file?.bak"));
  EXPECT_TRUE(matchesPattern("fil\xC3\xA9.bak", "fil?.bak"));  // "?" is one character, not one byte
  EXPECT_TRUE(matchesPattern("readme", "readme.*"));
  EXPECT_TRUE(matchesPattern("README.md", "readme.*"));
  EXPECT_TRUE(matchesPattern("abcabcabd", "*abd"));
  EXPECT_FALSE(matchesPattern("abcabcab", "*abd"));
  EXPECT_TRUE(matchesPattern("\xE9t\xE9.log", "*.log"));  // invalid UTF-8 still matches
}

TEST(DirReader, PatternFiltersBeforeAttributes) {
  TempTree tree;
  tree.file("a.tmp");
  tree.file("B.TMP");
  tree.file("c.txt");
  tree.dir("d.tmp");
  EXPECT_EQ(names(list(tree.path(), "*.tmp", 0x2B)), (std::set<std::string>{"a.tmp", "B.TMP"}));
  EXPECT_EQ(names(list(tree.path(), "*.tmp", 0x3F)), (std::set<std::string>{"a.tmp", "B.TMP", "d.tmp"}));
}

TEST(DirReader, MovesAndCloses) {
  Sample s;
  DirReader a;
  ASSERT_TRUE(a.open(s.tree.path(), "*.*", 0x3F));
  DirReader b(std::move(a));
  EXPECT_EQ(a.fd(), -1);
  EXPECT_GE(b.fd(), 0);
  int count = 0;
  DirEntry e;
  while (b.next(e)) ++count;
  EXPECT_EQ(count, 11);
  b.close();
  EXPECT_FALSE(b.next(e));
}
