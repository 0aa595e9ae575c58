// Browser cache folders found from fake profiles under the test's home, and which cache
// files are old enough to clear, by calendar day through the program clock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "common/testing.h"
#include "finders/cachesources.h"
#include "finders/findertesting.h"
#include "foundation/clock.h"
#include "platform/paths.h"

namespace roomvale {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;

// Fake profiles of every family in the test's home; removed again afterwards.
class CacheSourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Only ever the private home the test main sets up.
    ASSERT_NE(home.find("/roomvale-home-"), std::string::npos) << home;
    clean();
  }
  void TearDown() override { clean(); }
  void clean() const {
    if (home.find("/roomvale-home-") == std::string::npos) return;
    for (const char* p : {"/.mozilla", "/.librewolf", "/.thunderbird", "/.cache", "/.config/chromium", "/.config/opera",
                          "/.config/microsoft-edge", "/elsewhere"})
      fs::remove_all(home + p);
  }
  static void file(const std::string& path, const std::string& content = "{}") {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << content;
  }
  const std::string home = platform::homeFolder();
  const std::string cache = platform::cacheHome();
};

TEST_F(CacheSourcesTest, EachFamilyGivesItsProfilesCachesInSourceOrder) {
  file(home + "/.mozilla/firefox/profiles.ini",
       "[General]\nStartWithLastProfile=1\n[Profile1]\nName=work\nIsRelative=1\nPath=w0rk.work\n"
       "[Profile0]\nName=default\nIsRelative=0\nPath=" +
           home +
           "/elsewhere/p\n"
           "[Profile2]\nPath=gone.default\n[Install4F96]\nDefault=x\n");
  fs::create_directories(home + "/.mozilla/firefox/w0rk.work");
  fs::create_directories(home + "/elsewhere/p");
  file(home + "/.config/chromium/Default/Preferences");
  file(home + "/.config/chromium/Profile 2/Preferences");
  fs::create_directories(home + "/.config/chromium/Crash Reports");
  file(home + "/.config/opera/Preferences");  // the browser's folder is its profile
  file(home + "/.config/microsoft-edge/Default/Preferences");
  file(home + "/.thunderbird/profiles.ini", "[Profile0]\nPath=m41l.default\n");
  fs::create_directories(home + "/.thunderbird/m41l.default");

  const std::vector<std::string> firefox = {cache + "/mozilla/firefox/w0rk.work/cache2/entries",
                                            home + "/elsewhere/p/cache2/entries"};
  const std::vector<std::string> chromium = {cache + "/chromium/Default/Cache/Cache_Data",
                                             cache + "/chromium/Profile 2/Cache/Cache_Data"};
  const std::string opera = cache + "/opera/Cache/Cache_Data";
  const std::string edge = cache + "/microsoft-edge/Default/Cache/Cache_Data";
  std::vector<std::string> first = {edge};
  first.insert(first.end(), firefox.begin(), firefox.end());
  first.insert(first.end(), chromium.begin(), chromium.end());
  first.push_back(opera);
  // Browser caches are listed whether or not they exist yet.
  EXPECT_EQ(firstRunCacheFolders(), first);

  // Initialize leaves out the first source and adds the mail client's cache once it exists.
  std::vector<std::string> init(first.begin() + 1, first.end());
  EXPECT_EQ(initializeCacheFolders(), init);
  fs::create_directories(cache + "/thunderbird/m41l.default/cache2/entries");
  init.push_back(cache + "/thunderbird/m41l.default/cache2/entries");
  EXPECT_EQ(initializeCacheFolders(), init);
}

TEST_F(CacheSourcesTest, FilesAreClearedByCalendarDaysSinceTheirLastAccess) {
  TempTree t;
  testing::FixedClock clock(QDateTime(QDate(2024, 3, 15), QTime(0, 30)));
  auto at = [&](const std::string& rel, QDateTime access) {
    const std::string p = t.file(rel, std::string(static_cast<std::size_t>(rel.size()), 'x'));
    testing::setFileTimes(p, access);
    return p;
  };
  const QDate today(2024, 3, 15);
  const std::string todays = at("c/today", QDateTime(today, QTime(0, 10)));
  const std::string late = at("c/yesterday-late", QDateTime(today.addDays(-1), QTime(23, 59)));
  const std::string two = at("c/two-days", QDateTime(today.addDays(-2), QTime(12, 0)));
  at("c/before-1980", QDateTime(QDate(1975, 6, 1), QTime(12, 0)));
  at("c/sub/inside", QDateTime(QDate(2020, 1, 1), QTime(12, 0)));  // sub-folders are not entered
  at("only-subs/x/deep", QDateTime(QDate(2020, 1, 1), QTime(12, 0)));

  struct Case {
    int minAge;
    std::vector<std::string> paths;
  };
  for (const Case& c : {Case{0, {todays, late, two}}, Case{1, {late, two}}, Case{2, {two}}, Case{3, {}}}) {
    // The folder is listed twice (once with a trailing "/"): its files are taken once.
    const CacheClearList got =
        collectCacheFiles({t / "c", t / "only-subs", t / "missing", t / "c/"}, c.minAge, now().date());
    std::vector<std::string> sorted = got.paths;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> want = c.paths;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(sorted, want) << "threshold " << c.minAge;
    std::uint64_t bytes = 0;
    for (const auto& p : want) bytes += fs::file_size(p);
    EXPECT_EQ(got.totalBytes, bytes);
  }
  EXPECT_EQ(accessAge(platform::FileTime{QDateTime(today.addDays(3), QTime(1, 0)).toSecsSinceEpoch(), 0, true}, today),
            3);  // a date ahead counts the same
}

}  // namespace
}  // namespace roomvale
