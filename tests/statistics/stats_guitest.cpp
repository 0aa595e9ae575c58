// The statistics window over real trees: collections through the real wizard, the grids and
// chart series of every page, Abort, the Space page, printing to PDF, and the Deleted page
// after a quick clean of the same run.
#include <gtest/gtest.h>

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPieSeries>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "common/testing.h"
#include "deletion/deletedview.h"
#include "deletion/deletionlog.h"
#include "deletion/really.h"
#include "finders/clean.h"
#include "finders/finderparts.h"
#include "finders/findertesting.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "safeharbor/safeharbor.h"
#include "scan/statlist.h"
#include "scan/targets.h"
#include "scan/whichdrv.h"
#include "statistics/markedchart.h"
#include "statistics/stats.h"

namespace roomvale {
namespace {

using namespace stats;
namespace rt = roomvale::testing;

QString cell(QTableView* grid, int row, int column) { return grid->model()->index(row, column).data().toString(); }

const std::vector<ChartItem>& barsOf(QChartView* view) { return static_cast<MarkedChartView*>(view)->bars(); }

class StatisticsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate today = now.date();
    clock.set(QDateTime(today, QTime(12, 0)));
    auto put = [&](const std::string& rel, std::size_t size, const QDateTime& when) {
      const std::string p = tree.file(rel, std::string(size, 'x'));
      rt::setFileTimes(p, when, when);
    };
    put("a.txt", 3000, QDateTime(today.addDays(-10), QTime(14, 40)));
    put("b.TXT", 20000, QDateTime(today.addDays(-400), QTime(9, 10)));
    put("c.longext", 100, QDateTime(today.addDays(-3), QTime(0, 10)));
    put(".hidden", 10, QDateTime(today.addDays(-3), QTime(0, 10)));
    put("noext", 5, QDateTime(today.addDays(-3), QTime(0, 10)));
    tree.dir("sub");
    rt::sparseFile(tree / "sub/d.bin", 3ull << 30);
    rt::setFileTimes(tree / "sub/d.bin", QDateTime(today.addDays(-2000), QTime(23, 59)),
                     QDateTime(today.addDays(-2000), QTime(23, 59)));
    writeListSection(kNewFoldersSection, {platform::toDisplay(tree.path() + "/")});
    WriteString(kIncludeSection, "Number", "");
  }
  void TearDown() override { TfrmStatistics::setPreviewRunner({}); }

  // Runs "Collect statistics" with only the tree ticked; `types` ticks lines of the type
  // list in "Selected file types only" mode.
  void collect(TfrmStatistics& w, const QStringList& types = {}) {
    rt::whenShown("frmWhichDrive", [types](QWidget* d) {
      auto* wizard = qobject_cast<TfrmWhichDrive*>(d);
      setAllChecked(wizard->pckDrive, false);
      wizard->pckDrive->item(wizard->pckDrive->count() - 1)->setCheckState(Qt::Checked);
      wizard->btNext1->click();
      if (!types.isEmpty()) {
        wizard->rbSelectedTypes->setChecked(true);
        wizard->btNext2->click();
        for (int i = 0; i < wizard->PickList1->count(); ++i)
          if (types.contains(linePattern(wizard->PickList1->item(i)->text())))
            wizard->PickList1->item(i)->setCheckState(Qt::Checked);
        wizard->btOK->click();
      } else {
        wizard->btNext2->click();
      }
    });
    w.btOKClick();
  }

  QString treeText() const { return platform::toDisplay(tree.path() + "/"); }

  rt::UsDates dates;
  rt::TempTree tree;
  rt::ScriptedPrompts prompts;
  rt::FixedClock clock{QDateTime::currentDateTime()};
};

TEST_F(StatisticsWindow, CollectionFillsEveryPageAndARepeatShowsOnlyTheLatest) {
  TfrmStatistics w;
  rt::ModelContract typesContract(w.gridTypes->model());
  rt::ModelContract sizesContract(w.gridSizes->model());
  w.show();
  EXPECT_EQ(w.windowTitle(), "File Statistics Not Yet Collected");
  w.OvcNotebook1->setCurrentIndex(TfrmStatistics::kTypesPage);
  EXPECT_TRUE(w.pnlNotYet->isVisible());
  EXPECT_EQ(w.lblNotYet->text(), "Statistics haven't been collected yet!");

  collect(w);
  EXPECT_EQ(prompts.texts(MessageKind::Information),
            QStringList{"Disk Drive " + treeText() +
                        " will be scanned.  The analysis may take some time.  You may quit at any time by clicking "
                        "Abort or pressing ESC."});
  EXPECT_EQ(w.windowTitle(), "Stats done for " + treeText() + " ");
  EXPECT_EQ(w.StatusBar1->text(), "Finished - 6 files processed");
  EXPECT_FALSE(w.pnlNotYet->isVisible());

  // Types: by extension after the refresh, files with long extensions left out; the pie by size.
  ASSERT_EQ(w.gridTypes->model()->rowCount(), 4);
  EXPECT_EQ(cell(w.gridTypes, 0, 0), "");
  EXPECT_EQ(cell(w.gridTypes, 1, 0), ".BIN");
  EXPECT_EQ(cell(w.gridTypes, 2, 0), ".TXT");
  EXPECT_EQ(cell(w.gridTypes, 2, 2), "23,000");
  EXPECT_EQ(cell(w.gridTypes, 2, 3), "2");
  EXPECT_EQ(cell(w.gridTypes, 2, 4), "11,500");
  EXPECT_EQ(cell(w.gridTypes, 3, 1), "Totals");
  EXPECT_EQ(cell(w.gridTypes, 3, 2), "3,221,248,477");
  auto* pie = static_cast<QPieSeries*>(w.chartPie->chart()->series().front());
  ASSERT_EQ(pie->count(), 3);
  EXPECT_DOUBLE_EQ(pie->slices()[0]->value(), double(3ull << 30));
  EXPECT_EQ(pie->slices()[0]->color(), QColor(0xFF0000));
  w.rgTypes->setItemIndex(0);
  w.rgTypesClick();
  EXPECT_TRUE(w.btSort->isVisibleTo(&w));
  w.sortActions[3]->trigger();  // by number of files
  EXPECT_EQ(cell(w.gridTypes, 0, 0), ".TXT");
  EXPECT_TRUE(w.sortActions[3]->isChecked());
  EXPECT_FALSE(w.sortActions[0]->isChecked());

  // Sizes: the 3 GiB file is in "Over 16MB" with its real size.
  EXPECT_EQ(cell(w.gridSizes, 0, 0), "Over 16MB");
  EXPECT_EQ(cell(w.gridSizes, 0, 1), "3,221,225,472");
  EXPECT_EQ(cell(w.gridSizes, 11, 2), "4");
  const auto& sizes = barsOf(w.Chart1);
  ASSERT_EQ(sizes.size(), 12u);
  EXPECT_EQ(sizes[11].label, "Over 16MB");
  EXPECT_DOUBLE_EQ(sizes[11].value, 3072.0);
  EXPECT_EQ(sizes[2].color, QColor(0x0000FF));
  EXPECT_EQ(w.Chart1->chart()->title(), "File Sizes in MB");
  w.rgSize2->click();
  EXPECT_EQ(w.Chart1->chart()->title(), "Number of Files");
  EXPECT_EQ(barsOf(w.Chart1)[0].value, 4);

  // Ages by the last write: 10 days, 400 days, 3 days (three files), 2000 days.
  const auto& modified = barsOf(w.chartAge[kWrite]);
  ASSERT_EQ(modified.size(), 10u);
  EXPECT_EQ(modified[0].label, "Not recorded");
  EXPECT_EQ(w.chartAge[kWrite]->chart()->title(), "Modified Date (file sizes in MB)");
  EXPECT_EQ(cell(w.gridAge[kWrite], 0, 0), "Over 4 years");
  EXPECT_EQ(cell(w.gridAge[kWrite], 0, 1), "3,221,225,472");
  EXPECT_EQ(cell(w.gridAge[kWrite], 8, 2), "3");  // "<= 7 days"
  EXPECT_EQ(cell(w.gridAge[kWrite], 7, 2), "1");  // "8 - 30 days"
  EXPECT_EQ(cell(w.gridAge[kWrite], 3, 2), "1");  // "1 - 2 years"
  w.OvcNotebook1->setCurrentIndex(TfrmStatistics::kAccessPage);
  w.rgAge[kAccess][2]->click();
  EXPECT_EQ(w.chartAge[kAccess]->chart()->title(), "Access Date (Number of files)");
  EXPECT_EQ(barsOf(w.chartAge[kAccess])[1].value, 3);
  w.rgAge[kAccess][0]->click();
  EXPECT_TRUE(w.gridAge[kAccess]->isVisible());
  EXPECT_FALSE(w.chartAge[kAccess]->isVisible());

  // Combined: three series of ten bars.
  auto* combined = static_cast<QBarSeries*>(w.chartCombine->chart()->series().front());
  ASSERT_EQ(combined->count(), 3);
  EXPECT_EQ(combined->barSets()[0]->label(), "Accessed");
  EXPECT_EQ(combined->barSets()[1]->color(), QColor(0x00FF00));
  EXPECT_EQ(combined->barSets()[2]->label(), "Modified");
  EXPECT_EQ(combined->barSets()[2]->count(), 10);
  EXPECT_EQ(cell(w.gridCombine, 0, 5), "3,221,225,472");

  // Attributes: one hidden file; every regular file carries the archive bit.
  EXPECT_EQ(w.lblNHidden->text(), "1");
  EXPECT_EQ(w.lblNArchive->text(), "6");
  ASSERT_EQ(barsOf(w.Chart2).size(), 4u);
  EXPECT_EQ(barsOf(w.Chart2)[0].label, "Archive");
  EXPECT_NEAR(barsOf(w.Chart2)[3].value, 100.0 / 7, 1e-9);

  // Time of day by the last write: 14:40 is slot 29, 09:10 slot 18, 23:59 slot 47, and the
  // three files of 00:10 are not counted.
  const QList<QPointF> written = w.timeSeries[0]->points();
  ASSERT_EQ(written.size(), 48);
  for (int s = 0; s < 48; ++s) EXPECT_EQ(written[s].y(), (s == 29 || s == 18 || s == 47) ? 1 : 0) << s;
  EXPECT_EQ(w.timeSeries[2]->name(), "Access Time");
  EXPECT_TRUE(w.timeSeries[2]->isVisible());

  // Overhang of the one target, with the arrow at the volume's own cluster size.
  EXPECT_TRUE(w.OvcNotebook1->isTabEnabled(TfrmStatistics::kOverhangPage));
  std::uint64_t waste4k = 0;
  for (std::uint64_t size : {3000ull, 20000ull, 100ull, 10ull, 5ull, 3ull << 30}) waste4k += overhang(size, 4096);
  EXPECT_EQ(w.lblOver[0]->text(), formatThousands(std::int64_t(waste4k)));
  EXPECT_EQ(w.lblNumFiles->text(), "Number of files scanned: 6");
  const std::uint64_t cluster = platform::diskSpace(tree.path())->clusterSize;
  const bool known = cluster >= 4096 && cluster <= 65536 && (cluster & (cluster - 1)) == 0;
  EXPECT_EQ(w.clusterSize, cluster);
  EXPECT_EQ(!w.imArrow->isHidden(), known);
  EXPECT_EQ(!w.pnlCluster->isHidden(), !known);
  ASSERT_EQ(barsOf(w.chartOverhang).size(), 5u);
  EXPECT_DOUBLE_EQ(barsOf(w.chartOverhang)[4].value, waste4k * 100.0 / (3221248587.0 + waste4k));

  prompts.clear();
  w.SpeedButton[4]->click();
  ASSERT_EQ(prompts.texts(MessageKind::Information).size(), 1);
  EXPECT_TRUE(prompts.texts(MessageKind::Information)[0].startsWith("Note: Sometimes software vendors"));

  // Again, only *.doc files: none on the tree, so the seeded type and nothing else.
  prompts.clear();
  collect(w, {"*.doc"});
  EXPECT_EQ(w.StatusBar1->text(), "Finished - 6 files processed 0 files found");
  ASSERT_EQ(w.gridTypes->model()->rowCount(), 2);
  EXPECT_EQ(cell(w.gridTypes, 0, 0), ".DOC");
  EXPECT_EQ(cell(w.gridTypes, 0, 3), "0");
  EXPECT_EQ(cell(w.gridTypes, 0, 4), "0");
  EXPECT_TRUE(barsOf(w.Chart2).empty());
  EXPECT_TRUE(barsOf(w.Chart3).empty());
  EXPECT_FALSE(w.OvcNotebook1->isTabEnabled(TfrmStatistics::kOverhangPage));  // no bytes counted
  EXPECT_EQ(cell(w.gridSizes, 0, 1), "0");
}

TEST_F(StatisticsWindow, AbortMidWayKeepsWhatWasGatheredAndSaysSo) {
  for (int i = 0; i < 3000; ++i) tree.file("many/f" + std::to_string(i) + ".dat", "12345");
  TfrmStatistics w;
  w.pumpIntervalMs = 0;
  w.show();
  w.OvcNotebook1->setCurrentIndex(TfrmStatistics::kSizesPage);
  bool sawCollecting = false;
  prompts.onPrompt = [&](const rt::PromptRecord& r) {
    if (!r.text.startsWith("Disk Drive ")) return;
    QTimer::singleShot(0, &w, [&] {
      sawCollecting = w.btAbort->isVisible() && w.lblNotYet->text().startsWith("Collecting statistics") &&
                      !w.btOK->isEnabled() && !w.rgSize1->isEnabled() && w.btCancel->isEnabled();
      w.btAbort->click();
    });
  };
  collect(w);
  EXPECT_TRUE(sawCollecting);
  EXPECT_EQ(w.windowTitle(), "Statistics for drive(s) incomplete ... aborted.");
  EXPECT_TRUE(w.StatusBar1->text().endsWith(" INCOMPLETE ... ABORTED")) << w.StatusBar1->text().toStdString();
  EXPECT_LT(w.statistics().filesProcessed, 3006u);
  EXPECT_TRUE(w.statisticsCollected);
  EXPECT_FALSE(w.btAbort->isVisible());
  EXPECT_TRUE(w.btOK->isEnabled());
  // The pages show what was gathered.
  EXPECT_EQ(barsOf(w.Chart1).size(), 12u);

  // Escape stops a collection too, and leaves the window open.
  prompts.onPrompt = [&](const rt::PromptRecord& r) {
    if (r.text.startsWith("Disk Drive ")) QTimer::singleShot(0, &w, [&] { QTest::keyClick(&w, Qt::Key_Escape); });
  };
  collect(w);
  EXPECT_EQ(w.windowTitle(), "Statistics for drive(s) incomplete ... aborted.");
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(w.collecting);
  // The end of the run stops a collection as well.
  prompts.onPrompt = [&](const rt::PromptRecord& r) {
    if (r.text.startsWith("Disk Drive ")) QTimer::singleShot(0, &w, [] { stopStatisticsCollection(); });
  };
  collect(w);
  EXPECT_EQ(w.windowTitle(), "Statistics for drive(s) incomplete ... aborted.");
  // Idle, Escape hides it.
  QTest::keyClick(&w, Qt::Key_Escape);
  EXPECT_FALSE(w.isVisible());
}

TEST_F(StatisticsWindow, SeveralTargetsAddUpWithoutTheOverhangPage) {
  tree.file("x/one.txt", "1");
  tree.file("y/two.txt", "22");
  tree.file("y/three.log", "333");
  // No access time that can be told (before 1980): the access line stays hidden.
  for (const char* f : {"x/one.txt", "y/two.txt", "y/three.log"})
    rt::setFileTimes(tree / f, QDateTime::fromSecsSinceEpoch(0));
  const QString x = platform::toDisplay(tree / "x/"), y = platform::toDisplay(tree / "y/");
  writeListSection(kNewFoldersSection, {x, y});
  TfrmStatistics w;
  w.show();
  rt::whenShown("frmWhichDrive", [](QWidget* d) {
    auto* wizard = qobject_cast<TfrmWhichDrive*>(d);
    setAllChecked(wizard->pckDrive, false);
    for (int i = 0; i < wizard->pckDrive->count(); ++i)
      if (wizard->pckDrive->item(i)->data(kAddedFolderRole).toBool())
        wizard->pckDrive->item(i)->setCheckState(Qt::Checked);
    wizard->btNext1->click();
    wizard->btNext2->click();
  });
  w.btOKClick();
  EXPECT_EQ(
      prompts.texts(MessageKind::Information),
      QStringList{"Since you selected more than one drive to analyze, the Cluster Overhang tab will be disabled.  "
                  "You may quit the analysis at any time by clicking CANCEL or by pressing ESC."});
  EXPECT_EQ(w.PickList1, (QStringList{x, y}));
  EXPECT_EQ(w.windowTitle(), "Stats done for " + x + " " + y + " ");
  EXPECT_EQ(w.StatusBar1->text(), "Finished - 3 files processed");
  EXPECT_FALSE(w.OvcNotebook1->isTabEnabled(TfrmStatistics::kOverhangPage));
  EXPECT_EQ(w.statistics().clusterWaste[0], 0u);
  ASSERT_EQ(w.gridTypes->model()->rowCount(), 3);
  EXPECT_EQ(cell(w.gridTypes, 1, 0), ".TXT");
  EXPECT_EQ(cell(w.gridTypes, 1, 3), "2");
  EXPECT_FALSE(w.timeSeries[2]->isVisible());
  EXPECT_EQ(cell(w.gridAge[kAccess], 9, 2), "3");  // all "Not recorded"
}

TEST_F(StatisticsWindow, ATargetWithoutCapacityStopsBeforeAnythingIsReset) {
  TfrmStatistics w;
  w.show();
  collect(w);
  const QString title = w.windowTitle();
  writeListSection(kNewFoldersSection, {platform::toDisplay(tree / "gone/")});  // removed since it was added
  prompts.clear();
  collect(w);
  EXPECT_EQ(prompts.texts(MessageKind::Error),
            QStringList{"Could not compute the total size of the disk drives selected.  Cannot proceed with "
                        "statistics."});
  EXPECT_TRUE(prompts.texts(MessageKind::Information).isEmpty());
  EXPECT_EQ(w.windowTitle(), title);
  EXPECT_EQ(w.statistics().filesProcessed, 6u);
  EXPECT_EQ(w.gridTypes->model()->rowCount(), 4);
}

TEST_F(StatisticsWindow, SpacePageShowsTheCheckedVolumes) {
  TfrmStatistics w;
  w.show();
  setAllChecked(w.pckStatDrive, false);
  EXPECT_EQ(w.drivesShown, 0);
  EXPECT_FALSE(w.chartSpaceBar->isVisible());
  EXPECT_FALSE(w.lblTotalC->isVisible());
  EXPECT_TRUE(w.lblTotal->text().isEmpty());

  // The volume holding the tree.
  const auto volume = platform::volumeOf(tree.path());
  ASSERT_TRUE(volume);
  QListWidgetItem* item = nullptr;
  for (int i = 0; i < w.pckStatDrive->count(); ++i)
    if (w.pckStatDrive->item(i)->data(kTargetPathRole).toByteArray().toStdString() == volume->mountPoint)
      item = w.pckStatDrive->item(i);
  if (!item) GTEST_SKIP() << "the volume of the temporary folder is not listed";
  item->setCheckState(Qt::Checked);
  EXPECT_EQ(w.drivesShown, 1);
  EXPECT_TRUE(w.chartSpaceBar->isVisible());
  ASSERT_EQ(w.Series4->count(), 1);  // one drive: no "Total" pair
  const auto space = platform::diskSpace(volume->mountPoint);
  const double unit = space->total / 1024.0 < 10000 ? 1024 : 1048576;
  EXPECT_NEAR(w.Series4->at(0), std::round(space->free / unit), 2);
  EXPECT_NEAR(w.Series5->at(0), std::round((space->total - space->free) / unit), 2);
  EXPECT_EQ(w.lblTot->text(), unit == 1024 ? "KB" : "MB");

  w.rgSpace1->click();
  EXPECT_TRUE(w.pnlPie->isVisible());
  EXPECT_FALSE(w.chartSpaceBar->isVisible());
  EXPECT_TRUE(w.pies[11]->isVisible());
  EXPECT_TRUE(w.pies[11]->chart()->title().startsWith("TOTAL "));
  EXPECT_TRUE(w.pies[0]->chart()->title().endsWith("% free"));
}

TEST_F(StatisticsWindow, PrintingPagesGivesPdfsAndTheNotCollectedPanelPrintsNothing) {
  TfrmStatistics w;
  w.show();
  w.OvcNotebook1->setCurrentIndex(TfrmStatistics::kAttributePage);
  w.btPrint->click();
  EXPECT_TRUE(prompts.records.empty());

  collect(w);
  const std::string image = tree / "page.pdf";
  prompts.configurePrinter = [&image](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(image));
  };
  w.btPrint->click();
  ASSERT_TRUE(rt::exists(image));
  const std::string imageBytes = rt::readFile(image);
  EXPECT_EQ(imageBytes.substr(0, 4), "%PDF");
  EXPECT_NE(imageBytes.find("/Image"), std::string::npos);

  const std::string chart = tree / "chart.pdf";
  int previews = 0;
  TfrmStatistics::setPreviewRunner([&](QPrinter& printer, const std::function<void(QPrinter&)>& paint) {
    ++previews;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(chart));
    paint(printer);
  });
  w.OvcNotebook1->setCurrentIndex(TfrmStatistics::kSizesPage);
  w.btPrint->click();
  EXPECT_EQ(previews, 1);
  ASSERT_TRUE(rt::exists(chart));
  EXPECT_GT(rt::readFile(chart).size(), 2000u);

  // The type listing prints as a report with its title.
  const std::string report = tree / "types.pdf";
  prompts.configurePrinter = [&report](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(report));
  };
  w.OvcNotebook1->setCurrentIndex(TfrmStatistics::kTypesPage);
  w.rgTypes->setItemIndex(0);
  w.rgTypesClick();
  w.btPrint->click();
  EXPECT_EQ(previews, 1);
  QProcess text;
  text.start("pdftotext", {"-layout", QString::fromStdString(report), "-"});
  text.waitForFinished(30000);
  const QString printed = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(printed.contains("File types for drive " + treeText())) << printed.toStdString();
  EXPECT_TRUE(printed.contains("23,000"));
}

TEST_F(StatisticsWindow, DeletedPageShowsAQuickCleanOfTheSameRun) {
  safeHarbor().setLists({}, {}, {}, {});
  installDeletionReview();
  WriteString("TempFiles", "Number", "");
  const std::string junk = tree.file("junk.tmp", std::string(777, 'j'));
  TfrmStatistics* w = statisticsWindow();
  const int before = deletionLog().rowCount();
  {
    TfrmClean clean;
    clean.show();
    setAllChecked(clean.pckDrive, false);
    clean.pckDrive->item(clean.pckDrive->count() - 1)->setCheckState(Qt::Checked);
    clean.btScanClick();
    clean.Markall1->trigger();
    rt::whenShown("frmReallyDelete", [](QWidget* r) { qobject_cast<TfrmReallyDelete*>(r)->btDelete->click(); });
    clean.btDelete->click();
  }
  EXPECT_FALSE(rt::exists(junk));
  w->showStatistics();
  w->OvcNotebook1->setCurrentIndex(TfrmStatistics::kDeletedPage);
  EXPECT_FALSE(w->pnlNotYet->isVisible());
  QTableWidget* grid = w->deletedView->grDelete;
  EXPECT_EQ(grid->rowCount(), before - 1);  // the entry took the first empty row
  bool found = false;
  for (int r = 0; r < grid->rowCount(); ++r)
    if (grid->item(r, 2) && grid->item(r, 2)->text() == "777") found = true;
  EXPECT_TRUE(found);
  w->close();
  EXPECT_FALSE(w->isVisible());
  destroyStatisticsWindow();
  setDeletionReviewOpener({});
}

}  // namespace
}  // namespace roomvale
