// The review's actions and the folder tree zip against a folder of the path that is replaced
// (by a link to an outside folder, or by another folder) after the files were marked: what
// lies outside must stay exactly as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLocale>
#include <atomic>
#include <functional>
#include <map>
#include <thread>

#include "archive/zipnames.h"
#include "archive/ziptestutil.h"
#include "common/testing.h"
#include "deletion/reviewactions.h"
#include "deletion/treedelete.h"
#include "platform/markedfile.h"
#include "platform/paths.h"

using namespace roomvale;
using roomvale::testing::TempTree;
namespace rt = roomvale::testing;

namespace {

constexpr int kFiles = 12;

std::string name(int i) { return "f" + std::to_string(i) + ".tmp"; }

// Every file of a folder (not below it) with its bytes: equal before and after means untouched.
std::map<std::string, std::string> listing(const std::string& folder) {
  std::map<std::string, std::string> out;
  for (int i = 0; i < kFiles; ++i)
    if (rt::exists(folder + "/" + name(i))) out[name(i)] = rt::readFile(folder + "/" + name(i));
  return out;
}

// A marked folder `tree/d` and an outside folder holding files of the same names.
struct Scene {
  explicit Scene(const TempTree& t, int round) {
    base = t.dir("round" + std::to_string(round));
    d = t.dir("round" + std::to_string(round) + "/tree/d");
    outside = t.dir("round" + std::to_string(round) + "/outside");
    for (int i = 0; i < kFiles; ++i) {
      paths.push_back(t.file("round" + std::to_string(round) + "/tree/d/" + name(i), "inside " + std::to_string(i)));
      t.file("round" + std::to_string(round) + "/outside/" + name(i), "OUTSIDE " + std::to_string(i));
      identities.push_back(platform::lookUpMarkedFile(paths.back())->identity);
    }
    before = listing(outside);
  }
  std::string base, d, outside;
  std::vector<std::string> paths;
  std::vector<platform::FileIdentity> identities;
  std::map<std::string, std::string> before;
};

// Swaps `folder` with a link to `outside` and back until stopped.
class Swapper {
 public:
  Swapper(std::string folder, std::string outside)
      : folder_(std::move(folder)), outside_(std::move(outside)), thread_([this] { run(); }) {}
  ~Swapper() {
    stop_ = true;
    thread_.join();
    // Whatever the thread left, the folder is back in its place.
    struct stat st {};
    if (::lstat(folder_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(folder_.c_str());
    ::rename((folder_ + ".moved").c_str(), folder_.c_str());
  }

 private:
  void run() {
    const std::string moved = folder_ + ".moved";
    while (!stop_) {
      if (::rename(folder_.c_str(), moved.c_str()) != 0) continue;
      ::symlink(outside_.c_str(), folder_.c_str());
      std::this_thread::yield();
      ::unlink(folder_.c_str());
      ::rename(moved.c_str(), folder_.c_str());
    }
  }
  std::string folder_, outside_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class ReviewRaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    saved = defaultZipPath;
    defaultZipPath = t.dir("zips") + "/";
    run.sourceTag = "TempClean";
    run.stamp = QDateTime(QDate(2001, 2, 3), QTime(4, 5));
    run.batching.minFiles = 4;
  }
  void TearDown() override {
    defaultZipPath = saved;
    QLocale::setDefault(QLocale::system());
  }

  // Each action over the marked files of a scene.
  using Action = std::function<void(const Scene&, const ActionHooks&)>;
  std::vector<std::pair<std::string, Action>> actions() {
    return {
        {"delete", [](const Scene& s, const ActionHooks& h) { deleteFiles(s.paths, h, s.identities); }},
        {"trash", [](const Scene& s, const ActionHooks& h) { recycleFiles(s.paths, h, nullptr, s.identities); }},
        {"zip",
         [this](const Scene& s, const ActionHooks& h) {
           run.stamp = run.stamp.addSecs(60);  // a fresh archive per round
           zipFiles(s.paths, run, h, s.identities);
         }},
    };
  }

  TempTree t;
  std::string saved;
  ZipRun run;
};

}  // namespace

TEST_F(ReviewRaceTest, AFolderReplacedAfterMarkingSendsNoActionOutside) {
  int round = 0;
  for (auto& [what, action] : actions()) {
    for (const bool byLink : {true, false}) {
      Scene s(t, round++);
      ASSERT_EQ(::rename(s.d.c_str(), (s.d + ".moved").c_str()), 0);
      if (byLink) {
        ASSERT_EQ(::symlink(s.outside.c_str(), s.d.c_str()), 0);
      } else {
        // Another real folder under the same name: only the identities tell it apart.
        ASSERT_EQ(::rename(s.outside.c_str(), s.d.c_str()), 0);
      }
      QStringList errors;
      ActionHooks hooks;
      hooks.onError = [&](const QString& text) { errors << text; };
      action(s, hooks);
      const std::string outsideNow = byLink ? s.outside : s.d;
      EXPECT_EQ(listing(outsideNow), s.before) << what << " byLink=" << byLink;
      EXPECT_EQ(listing(s.d + ".moved").size(), static_cast<std::size_t>(kFiles)) << what;
      ASSERT_EQ(errors.size(), static_cast<std::size_t>(kFiles)) << what << " byLink=" << byLink;
      for (int i = 0; i < kFiles; ++i) {
        const QString shown = QString::fromStdString(s.paths[static_cast<std::size_t>(i)]);
        EXPECT_TRUE(
            errors[i].startsWith(what == "zip" ? "Couldn't zip up file - " + shown : "Couldn't delete file - " + shown))
            << errors[i].toStdString();
      }
    }
  }
}

TEST_F(ReviewRaceTest, ASwapRacingEachActionNeverTouchesTheOutsideFolder) {
  int round = 100;
  for (auto& [what, action] : actions()) {
    for (int n = 0; n < 25; ++n) {
      Scene s(t, round++);
      {
        Swapper swap(s.d, s.outside);
        action(s, {});
      }
      ASSERT_EQ(listing(s.outside), s.before) << what << " round " << n;
    }
  }
}

TEST(TreeZipRaceTest, ASwapRacingTheTreeZipStoresAndDeletesOnlyTreeFiles) {
  TempTree t;
  for (int n = 0; n < 25; ++n) {
    Scene s(t, n);
    const std::string archive = t / ("tree" + std::to_string(n) + ".zip");
    bool abort = false;
    TreeDeleter deleter(TreeAction::Zip, abort);
    deleter.setArchive(archive, QString(), true);
    deleter.error = [](const QString&) {};
    deleter.ask = [](const QString&) { return Answer::Yes; };
    {
      Swapper swap(s.d, s.outside);
      deleter.run(s.base + "/tree");
    }
    ASSERT_EQ(listing(s.outside), s.before) << "round " << n;
    // Whatever was stored holds the tree's own bytes.
    const rt::ArchiveRead read = rt::readArchive(archive);
    for (const auto& [entry, e] : read.entries) EXPECT_EQ(e.data.rfind("inside ", 0), 0u) << entry;
    // Every tree file is either still there or stored.
    for (int i = 0; i < kFiles; ++i) {
      const std::string inTree = s.d + "/" + name(i);
      bool found = rt::exists(inTree);
      for (const auto& [entry, e] : read.entries) found = found || e.data == "inside " + std::to_string(i);
      EXPECT_TRUE(found) << inTree;
    }
  }
}
