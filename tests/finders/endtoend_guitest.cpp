// Every finder as the user goes through it, on real files: find, open a row's file in the
// viewer, the details and the browser, mark, Clean?, Delete in the real deletion review; then
// what is left on disk, the running totals and the deletion log file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "common/testing.h"
#include "deletion/deletionlog.h"
#include "deletion/logtesting.h"
#include "deletion/really.h"
#include "deletion/totals.h"
#include "finders/cache.h"
#include "finders/clean.h"
#include "finders/dirhog.h"
#include "finders/dups.h"
#include "finders/filemod.h"
#include "finders/temppatterns.h"
#include "findertesting.h"
#include "foundation/settings.h"
#include "inspect/browse.h"
#include "inspect/detailsform.h"
#include "inspect/filview.h"
#include "platform/paths.h"
#include "safeharbor/safeharbor.h"
#include "scan/resultgrid.h"
#include "scan/targets.h"

using namespace roomvale;
namespace rt = roomvale::testing;

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using LogRow = std::vector<QString>;

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    // No totals and no log yet; nothing protected; the review and the inspection windows
    // connected as at program start.
    rt::resetTotalsAndLog();
    safeHarbor().setLists({}, {}, {}, {});
    installDeletionReview();
    installInspectWindows();
    writeListSection(kNewFoldersSection, {platform::toDisplay(tree.path() + "/")});
    WriteString(kTempFilesSection, "Number", "");
  }
  void TearDown() override {
    setDeletionReviewOpener({});
    setFileViewerOpener({});
    setFileDetailsOpener({});
    setFolderBrowserOpener({});
  }

  // A file last read at the walk's time and last written on a fixed day before it.
  std::string put(const std::string& rel, std::size_t size, char fill) {
    const std::string path = tree.file(rel, std::string(size, fill));
    rt::setFileTimes(path, walkEnd, QDateTime(QDate(2024, 1, 2), QTime(9, 30)));
    return path;
  }

  // The entries of the log file on disk, each as its seven cells.
  static std::vector<LogRow> logEntries() {
    DeletionLog log;
    EXPECT_TRUE(log.fromFileText(rt::readFile(deletionLogPath())));
    std::vector<LogRow> out;
    for (int row = 1; row < log.rowCount(); ++row) {
      if (log.cell(0, row).isEmpty()) continue;
      LogRow cells;
      for (int col = 0; col < kLogColumns; ++col) cells.push_back(log.cell(col, row));
      out.push_back(cells);
    }
    return out;
  }
  LogRow logRow(std::initializer_list<std::int64_t> amounts) const {
    LogRow row{DeletionLog::stampText(walkEnd)};
    for (std::int64_t a : amounts) row.push_back(QString::number(a));
    return row;
  }

  static void clickRow(ResultGrid& grid, int row) {
    ASSERT_GE(row, 0);
    QWidget* viewport = grid.view()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {},
                      grid.view()->visualRect(grid.model()->index(row, grid.model()->columnCount() - 1)).center());
  }
  // The row of the view that shows `name`, as a cell of its own or at the end of a path.
  static int rowShowing(ResultGrid& grid, const std::string& name) {
    const QString text = QString::fromStdString(name);
    const QAbstractItemModel* m = grid.model();
    for (int row = 0; row < m->rowCount(); ++row)
      for (int col = 0; col < m->columnCount(); ++col) {
        const QString shown = m->index(row, col).data().toString();
        if (shown == text || shown.endsWith(QLatin1Char('/') + text)) return row;
      }
    return -1;
  }
  // The file a viewer, details or browser window shows, as the user reads it there.
  static std::string fileShownBy(QWidget* window) {
    if (auto* view = qobject_cast<TfrmView*>(window)) {
      const QString title = view->windowTitle();
      const QString prefix = QStringLiteral("View File : ");
      return title.startsWith(prefix) ? platform::fromDisplay(title.mid(prefix.size())) : title.toStdString();
    }
    if (auto* details = qobject_cast<TfrmDetails*>(window)) return platform::fromDisplay(details->lblFileName->text());
    if (auto* browser = qobject_cast<TfrmBrowse*>(window)) {
      const int row = browser->grid->currentRow();
      return browser->currentFolder() + "/" +
             platform::fromDisplay(browser->grid->model()->index(row, 4).data().toString());
    }
    return "(unknown window)";
  }

  rt::UsDates usDates;
  rt::TempTree tree;
  rt::ScriptedPrompts prompts;
  const QDateTime walkEnd{QDate(2024, 3, 5), QTime(10, 0)};
  rt::FixedClock clock{walkEnd};
};

// A finder window over the tree after its search, and the controls the user works it with.
struct Session {
  std::unique_ptr<QDialog> window;
  ResultGrid* grid = nullptr;
  QAbstractButton* mark = nullptr;
  QAbstractButton* clean = nullptr;
  // The window each row command opens, and how the user gives the command.
  std::vector<std::pair<QString, std::function<void()>>> commands;
  bool closesAfterReview = true;
};

void onlyTheTree(QListWidget* drives) {
  setAllChecked(drives, false);
  drives->item(drives->count() - 1)->setCheckState(Qt::Checked);
}

template <typename W>
std::vector<std::pair<QString, std::function<void()>>> rowCommands(W* w) {
  return {{"frmView", [w] { w->View1->trigger(); }},
          {"frmDetails", [w] { w->btDetails->click(); }},
          {"frmBrowse", [w] { w->btBrowse->click(); }}};
}

Session quickClean(const rt::TempTree&) {
  auto w = std::make_unique<TfrmClean>();
  w->show();
  onlyTheTree(w->pckDrive);
  QTest::mouseClick(w->btScan, Qt::LeftButton);
  Session s{nullptr, w->grid, w->btMark, w->btDelete, rowCommands(w.get())};
  s.window = std::move(w);
  return s;
}

// Duplicates by type and modify time (the three files share both), or file hogs of a byte
// or more.
Session dupWindow(bool duplicates) {
  auto w = std::make_unique<TfrmDup>(duplicates);
  w->show();
  onlyTheTree(w->pckDrive);
  w->cbKB1->setCurrentIndex(0);
  w->num1->setValue(1);
  if (duplicates) w->cbDup->setCurrentIndex(6);
  QTest::mouseClick(w->btScan, Qt::LeftButton);
  Session s{nullptr, w->grid, w->btMark, w->btDelete, rowCommands(w.get())};
  s.window = std::move(w);
  return s;
}

// Files last accessed today, the window's first range.
Session filesByDate(const rt::TempTree&) {
  auto w = std::make_unique<TfrmMods>();
  w->show();
  onlyTheTree(w->pckDrive);
  QTest::mouseClick(w->btOK, Qt::LeftButton);
  Session s{nullptr, w->grid, w->btMark, w->btDelete, rowCommands(w.get())};
  s.window = std::move(w);
  return s;
}

Session browser(const rt::TempTree& tree) {
  auto w = std::make_unique<TfrmBrowse>();
  w->presetFolder(tree / "m");
  w->show();
  TfrmBrowse* b = w.get();
  Session s{nullptr,
            w->grid,
            w->btMark,
            w->btDeleteFiles,
            {{"frmView", [b] { b->btView->click(); }}, {"frmDetails", [b] { b->btDetails->click(); }}},
            false};
  s.window = std::move(w);
  return s;
}

struct FinderCase {
  const char* name;
  std::function<Session(const rt::TempTree&)> find;
};

void PrintTo(const FinderCase& c, std::ostream* os) { *os << c.name; }

class FinderEndToEnd : public EndToEnd, public ::testing::WithParamInterface<FinderCase> {};

TEST_P(FinderEndToEnd, DeletesExactlyTheMarkedFilesCreditsThemAndOpensTheRowsFile) {
  const std::string a = put("m/a.tmp", 1000, 'a');
  const std::string b = put("m/b.tmp", 2000, 'b');
  const std::string c = put("m/c.tmp", 4000, 'c');
  Session s = GetParam().find(tree);
  ASSERT_EQ(s.grid->data().rowsUsed(), 3);
  clock.set(walkEnd.addSecs(1));

  // View, Details and Browse on the row of b.tmp, wherever the finder's order put it.
  for (const auto& [window, give] : s.commands) {
    clickRow(*s.grid, rowShowing(*s.grid, "b.tmp"));
    std::string shown;
    rt::whenShown(window, [&](QWidget* w) {
      shown = fileShownBy(w);
      w->close();
    });
    give();
    EXPECT_EQ(shown, b) << window.toStdString();
  }

  for (const char* name : {"a.tmp", "c.tmp"}) {
    clickRow(*s.grid, rowShowing(*s.grid, name));
    s.mark->click();
  }
  ASSERT_EQ(s.grid->data().lbDeleted(), (std::vector<std::string>{a, c}));
  // After the marking another program puts a new c.tmp in place of the one marked: the
  // new file is not what the user chose, so it stays.
  const std::string fresh(4000, 'n');
  tree.file("m/c.tmp.new", fresh);
  ASSERT_EQ(::rename((tree / "m/c.tmp.new").c_str(), c.c_str()), 0);

  bool reviewed = false;
  rt::whenShown("frmReallyDelete", [&](QWidget* w) {
    auto* review = qobject_cast<TfrmReallyDelete*>(w);
    ASSERT_NE(review, nullptr);
    reviewed = true;
    review->btDelete->click();
  });
  QTest::mouseClick(s.clean, Qt::LeftButton);
  ASSERT_TRUE(reviewed);

  EXPECT_FALSE(rt::exists(a));
  EXPECT_EQ(rt::readFile(b), std::string(2000, 'b'));
  EXPECT_EQ(rt::readFile(c), fresh);
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Couldn't delete file - " + platform::toDisplay(c)});
  const DeletionTotals totals = readDeletionTotals();
  EXPECT_EQ(totals.nDelete, 1);
  EXPECT_EQ(totals.sizeDelete, 1000);
  EXPECT_EQ(logEntries(), std::vector<LogRow>{logRow({1, 1000, 0, 0, 0, 0})});
  EXPECT_EQ(s.window->isVisible(), !s.closesAfterReview);
}

INSTANTIATE_TEST_SUITE_P(Finders, FinderEndToEnd,
                         ::testing::Values(FinderCase{"QuickClean", quickClean},
                                           FinderCase{"Duplicates",
                                                      [](const rt::TempTree&) { return dupWindow(true); }},
                                           FinderCase{"FileHogs", [](const rt::TempTree&) { return dupWindow(false); }},
                                           FinderCase{"FilesByDate", filesByDate}, FinderCase{"Browser", browser}),
                         [](const ::testing::TestParamInfo<FinderCase>& info) { return std::string(info.param.name); });

// Folder hogs: Browse opens the row's folder; Clean? deletes one folder tree and trashes
// another, each credited to its own columns of the totals and the log.
TEST_F(EndToEnd, FolderHogsDeleteAndTrashWholeFoldersAndBrowseTheRowsFolder) {
  put("x/a.tmp", 1000, 'a');
  put("x/deep/b.tmp", 500, 'b');
  const std::string kept = put("y/c.tmp", 2000, 'c');
  put("z/e2e-trashed.tmp", 300, 't');
  TfrmDirHog w;
  w.show();
  onlyTheTree(w.pckDrive);
  QTest::mouseClick(w.btTop, Qt::LeftButton);
  ASSERT_EQ(w.grid->data().rowsUsed(), 3);

  clickRow(*w.grid, rowShowing(*w.grid, "y"));
  std::string folder, file;
  rt::whenShown("frmBrowse", [&](QWidget* b) {
    folder = static_cast<TfrmBrowse*>(b)->currentFolder();
    file = fileShownBy(b);
    b->close();
  });
  w.btBrowse->click();
  EXPECT_EQ(folder, tree / "y");
  EXPECT_EQ(file, kept);

  rt::whenShown("frmDelDirectory", [](QWidget* d) { d->findChild<QPushButton*>("btDelete")->click(); });
  clickRow(*w.grid, rowShowing(*w.grid, "x"));
  w.btDelete->click();
  rt::whenShown("frmDelDirectory", [](QWidget* d) { d->findChild<QPushButton*>("btRecycle")->click(); });
  clickRow(*w.grid, rowShowing(*w.grid, "z"));
  w.btDelete->click();

  EXPECT_FALSE(rt::exists(tree / "x"));
  EXPECT_FALSE(rt::exists(tree / "z"));
  EXPECT_TRUE(rt::exists(platform::dataHome() + "/Trash/files/e2e-trashed.tmp"));
  EXPECT_EQ(rt::readFile(kept), std::string(2000, 'c'));
  const DeletionTotals totals = readDeletionTotals();
  EXPECT_EQ(totals.nDelete, 2);
  EXPECT_EQ(totals.sizeDelete, 1500);
  EXPECT_EQ(totals.nWaste, 1);
  EXPECT_EQ(totals.sizeWaste, 300);
  EXPECT_EQ(logEntries(), (std::vector<LogRow>{logRow({2, 1500, 0, 0, 0, 0}), logRow({0, 0, 1, 300, 0, 0})}));
}

// The internet cache: Clear hands the files older than the threshold to the review, whose
// Delete removes just those; the window stays open.
TEST_F(EndToEnd, InternetCacheClearDeletesOnlyTheOldFilesThroughTheReview) {
  auto cacheFile = [&](const std::string& rel, std::size_t size, int daysAgo) {
    const std::string p = tree.file(rel, std::string(size, 'c'));
    rt::setFileTimes(p, walkEnd.addDays(-daysAgo));
    return p;
  };
  const std::string old1 = cacheFile("cache/old1", 100, 5);
  const std::string old3 = cacheFile("cache/old3", 300, 3);
  const std::string recent = cacheFile("cache/recent", 700, 2);
  writeListSection("CacheFiles", {platform::toDisplay(tree / "cache")});

  TfrmCache w;
  w.show();
  w.nDays->setValue(3);
  bool reviewed = false;
  rt::whenShown("frmReallyDelete", [&](QWidget* r) {
    reviewed = true;
    qobject_cast<TfrmReallyDelete*>(r)->btDelete->click();
  });
  w.btClear->click();
  ASSERT_TRUE(reviewed);

  EXPECT_FALSE(rt::exists(old1));
  EXPECT_FALSE(rt::exists(old3));
  EXPECT_TRUE(rt::exists(recent));
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(prompts.texts(MessageKind::Error).isEmpty());
  const DeletionTotals totals = readDeletionTotals();
  EXPECT_EQ(totals.nDelete, 2);
  EXPECT_EQ(totals.sizeDelete, 400);
  EXPECT_EQ(logEntries(), std::vector<LogRow>{logRow({2, 400, 0, 0, 0, 0})});
}

}  // namespace
