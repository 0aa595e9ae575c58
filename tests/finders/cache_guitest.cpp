// The internet cache window on fake browser profiles: its stored list, Initialize, Delete,
// and Clear handing old cache files to the real deletion review.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <filesystem>
#include <fstream>

#include "common/testing.h"
#include "deletion/really.h"
#include "deletion/reviewlist.h"
#include "finders/cache.h"
#include "finders/cachesources.h"
#include "finders/findertesting.h"
#include "foundation/settings.h"
#include "platform/paths.h"

using namespace roomvale;
namespace fs = std::filesystem;
namespace rt = roomvale::testing;

namespace {

const QString kNothingFound =
    "Could not find any internet cache folders on your machine.  You may add them in manually if you know where they "
    "are located.  Typically they will exist under your browser folder with the folder name of \"cache\".";

class CacheWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(home.find("/roomvale-home-"), std::string::npos) << home;
    clean();
    std::remove(iniFileForKey(getRegistryKey()).c_str());
    installDeletionReview();
  }
  void TearDown() override {
    setDeletionReviewOpener({});
    clean();
  }
  void clean() const {
    if (home.find("/roomvale-home-") == std::string::npos) return;
    for (const char* p : {"/.mozilla", "/.cache", "/.config/chromium"}) fs::remove_all(home + p);
  }
  void chromiumProfile() const {
    fs::create_directories(home + "/.config/chromium/Default");
    std::ofstream(home + "/.config/chromium/Default/Preferences") << "{}";
  }
  QStringList listed(const TfrmCache& w) const {
    QStringList out;
    for (int i = 0; i < w.ListBox1->count(); ++i) out << w.ListBox1->item(i)->text();
    return out;
  }
  void select(TfrmCache& w, int row) const {
    w.ListBox1->setCurrentRow(row);
    w.ListBox1->item(row)->setSelected(true);
  }

  const std::string home = platform::homeFolder();
  rt::ScriptedPrompts box;
};

TEST_F(CacheWindowTest, AFirstRunWithoutBrowsersStoresAnEmptyListThatStaysEmpty) {
  {
    TfrmCache w;
    w.show();
    EXPECT_EQ(w.ListBox1->count(), 0);
    EXPECT_TRUE(w.btInit->isVisible());
    w.btInitClick();
    EXPECT_EQ(box.texts(MessageKind::Information), QStringList{kNothingFound});
    EXPECT_TRUE(w.btInit->isVisible());
    w.btDelClick();
    EXPECT_EQ(box.texts(MessageKind::Error), QStringList{"Select a folder from the list above"});
    w.btClearClick();
    EXPECT_EQ(box.texts(MessageKind::Error).last(), "No files found to clear");
    w.btClose->click();
  }
  EXPECT_EQ(ReadString("CacheFiles", "Number", ""), "0");
  // A browser installed later is not looked for at show any more; Initialize finds it.
  chromiumProfile();
  TfrmCache again;
  again.show();
  EXPECT_EQ(again.ListBox1->count(), 0);
  again.btInitClick();
  EXPECT_EQ(listed(again),
            QStringList{platform::toDisplay(platform::cacheHome() + "/chromium/Default/Cache/Cache_Data")});
  EXPECT_FALSE(again.btInit->isVisible());
}

TEST_F(CacheWindowTest, DeletingFoldersAsksAndTheLastOneBringsInitializeBack) {
  chromiumProfile();
  TfrmCache w;
  w.show();
  const QString folder = platform::toDisplay(platform::cacheHome() + "/chromium/Default/Cache/Cache_Data");
  EXPECT_EQ(listed(w), QStringList{folder});
  EXPECT_FALSE(w.btInit->isVisible());
  box.folders.push_back(std::string("/srv/ca\tche/"));
  w.btAdd->click();
  EXPECT_EQ(listed(w), (QStringList{folder, "/srv/ca\tche/"}));
  w.WriteOutToDisk();  // a TAB in a folder name is stored whole
  {
    TfrmCache again;
    again.show();
    EXPECT_EQ(listed(again), listed(w));
  }

  select(w, 0);
  box.answers = {Answer::Cancel, Answer::Ok, Answer::Ok};
  w.btDel->click();
  EXPECT_EQ(box.texts().last(), "Really delete " + folder);
  EXPECT_EQ(w.ListBox1->count(), 2);
  w.btDel->click();
  select(w, 0);
  w.btDel->click();
  EXPECT_EQ(w.ListBox1->count(), 0);
  EXPECT_TRUE(w.btInit->isVisible());
  w.close();
  EXPECT_EQ(ReadString("CacheFiles", "Number", ""), "0");
}

TEST_F(CacheWindowTest, ClearHandsOldFilesToTheReviewOnceAndStaysOpen) {
  rt::TempTree t;
  rt::FixedClock clock(QDateTime(QDate(2024, 5, 2), QTime(9, 0)));
  auto cacheFile = [&](const std::string& rel, int daysAgo) {
    const std::string p = t.file(rel, std::string(100, 'c'));
    rt::setFileTimes(p, QDateTime(QDate(2024, 5, 2).addDays(-daysAgo), QTime(8, 0)));
    return p;
  };
  const std::string old = cacheFile("c/old", 5);
  cacheFile("c/new", 0);
  writeListSection("CacheFiles", {platform::toDisplay(t / "c"), platform::toDisplay(t / "c/")});

  TfrmCache w;
  w.show();
  EXPECT_EQ(w.nDays->value(), 0);
  w.nDays->setValue(3);
  bool reviewed = false;
  rt::whenShown("frmReallyDelete", [&](QWidget* r) {
    auto* review = qobject_cast<TfrmReallyDelete*>(r);
    ASSERT_NE(review, nullptr);
    reviewed = true;
    EXPECT_EQ(review->sourceTag(), "InternetCache");
    EXPECT_EQ(review->totalBytes(), 100u);
    EXPECT_EQ(review->deletionPanel()->paths(), std::vector<std::string>{old});
    EXPECT_EQ(w.lb1, std::vector<std::string>{old});
    review->btClose->click();
  });
  w.btClear->click();
  EXPECT_TRUE(reviewed);
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(w.lb1.empty());
  EXPECT_TRUE(rt::exists(old));
}

}  // namespace
