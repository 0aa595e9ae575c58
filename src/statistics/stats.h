// The statistics window: collects statistics over the drives and folders the wizard names and
// shows them on eleven pages (space per drive, the deletion totals and log, file types, sizes,
// cluster overhang, the three file dates and their combination, attributes, time of day).
// It is created once at start and lives for the whole run; Close only hides it.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "scan/targets.h"
#include "statistics/collection.h"
#include "statistics/statpages.h"

class QAction;
class QBarSet;
class QChart;
class QChartView;
class QCheckBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineSeries;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStackedBarSeries;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;

namespace roomvale {

class TDeletedView;
class TRadioGroup;

namespace stats {
class StatGridModel;
}

class TfrmStatistics : public QDialog {
  Q_OBJECT

 public:
  enum Page {
    kSpacePage,
    kDeletedPage,
    kTypesPage,
    kSizesPage,
    kOverhangPage,
    kAccessPage,
    kCreatedPage,
    kModifiedPage,
    kCombinedPage,
    kAttributePage,
    kTimePage
  };

  explicit TfrmStatistics(QWidget* parent = nullptr);
  ~TfrmStatistics() override;

  // Shows the window modelessly, or brings it to the front.
  void showStatistics();

  // Handlers.
  void btOKClick();
  void btAbortClick();
  void btCancelClick();
  void btPrintClick();
  void OvcNotebook1PageChanged(int page);
  void rgTypesClick();
  void SortbyExtensionClick(stats::TypeSort sort);
  void rgSizesClick();
  void rgAccessClick();
  void doDiskSize();
  void rgSpaceClick();
  void Timer1Timer();
  void Timer2Timer();
  void pie1Click();
  void ScrollBar1Change(int angle);
  void ScrollBar2Change(int angle);
  void sbTimeChange(int depth);

  // Run state and the figures of the last collection.
  bool collecting = false;
  bool scanAborted = false;
  bool statisticsCollected = false;
  QString currentTarget;
  double selectedCapacity = 0;
  std::uint64_t clusterSize = 0;
  int drivesShown = 0;
  QStringList PickList1;  // target texts of the last collection
  QStringList PickList2;  // chosen file types (pattern, TAB, description)
  const stats::Statistics& statistics() const { return collector_.stats; }
  const std::vector<stats::TypeRow>& typeRows() const { return typeRows_; }
  // Events are let through during a collection at most this often (milliseconds).
  int pumpIntervalMs = 15;

  // Chart print previews go through this (tests print them to PDF instead): it is given the
  // printer to set up and the painting of the chart on it.
  using PreviewRunner = std::function<void(QPrinter& printer, const std::function<void(QPrinter&)>& paint)>;
  static void setPreviewRunner(PreviewRunner runner);

  QTabWidget* OvcNotebook1;
  QPushButton* btOK;
  QPushButton* btPrint;
  QPushButton* btCancel;
  QLabel* StatusBar1;
  QFrame* pnlNotYet;
  QLabel* lblNotYet;
  QPushButton* btAbort;

  // Space
  QWidget* pnlDrives;
  QListWidget* pckStatDrive;
  QCheckBox* cbTotal;
  QRadioButton* rgSpace1;
  QRadioButton* rgSpace2;
  QLabel* lblTotalC;
  QLabel* lblFreeC;
  QLabel* Label26;
  QLabel* lblTotal;
  QLabel* lblFree;
  QLabel* lblUsed;
  QLabel* lblTot;
  QLabel* lblPct;
  QLabel* lblPct2;
  QFrame* Panel1;
  QFrame* Panel2;
  QChartView* chartSpaceBar;
  QStackedBarSeries* spaceSeries;
  QBarSet* Series4;
  QBarSet* Series5;
  QWidget* pnlPie;
  std::array<QChartView*, 12> pies{};  // pie1 .. pie11, then pieTotal
  QScrollBar* ScrollBar1;
  QTimer* Timer1;
  QTimer* Timer2;

  // Deleted
  TDeletedView* deletedView;

  // Types
  TRadioGroup* rgTypes;
  QPushButton* btSort;
  QMenu* PopupMenu1;
  std::array<QAction*, 5> sortActions{};  // extension, type, size, number of files, average
  QTableView* gridTypes;
  QChartView* chartPie;
  QScrollBar* ScrollBar2;

  // Sizes
  QRadioButton* rgSize0;
  QRadioButton* rgSize1;
  QRadioButton* rgSize2;
  QTableView* gridSizes;
  QChartView* Chart1;

  // Overhang
  std::array<QLabel*, 5> lblOver{};
  QChartView* chartOverhang;
  QLabel* imArrow;
  QWidget* pnlOverhang;
  QLabel* lblNumFiles;
  QLabel* lblSize;
  QLabel* lblLbl;
  QPlainTextEdit* Memo1;
  QFrame* pnlCluster;

  // Access, Created, Modified (index by DateKind)
  std::array<std::array<QRadioButton*, 3>, 3> rgAge{};  // rgAccess0..2, rgCreate0..2, rgModify0..2
  std::array<QTableView*, 3> gridAge{};                 // gridAccess, gridCreate, gridModify
  std::array<QChartView*, 3> chartAge{};                // chartAccess, chartCreate, chartModify
  std::array<QToolButton*, 5> SpeedButton{};            // SpeedButton1 .. SpeedButton5

  // Combined
  QRadioButton* rgCombine0;
  QRadioButton* rbCombine1;
  QRadioButton* rbCombine2;
  QTableView* gridCombine;
  QChartView* chartCombine;

  // Attribute
  QLabel* lblNHidden;
  QLabel* lblNReadOnly;
  QLabel* lblNSystem;
  QLabel* lblNArchive;
  QLabel* lblSzHidden;
  QLabel* lblSzReadOnly;
  QLabel* lblSzSystem;
  QLabel* lblSzArchive;
  QChartView* Chart2;
  QChartView* Chart3;

  // Time
  QChartView* Chart4;
  std::array<QLineSeries*, 3> timeSeries{};  // "Modified time", "Created time", "Access Time"
  QScrollBar* sbTime;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void reject() override;

 private:
  QWidget* buildSpacePage();
  QWidget* buildTypesPage();
  QWidget* buildSizesPage();
  QWidget* buildOverhangPage();
  QWidget* buildAgePage(stats::DateKind kind);
  QWidget* buildCombinedPage();
  QWidget* buildAttributePage();
  QWidget* buildTimePage();

  void FormShow();
  void scan(const ScanTarget& target, bool singleTarget);
  void refreshPages(bool singleTarget);
  void clearVariables();
  void disenable(bool on);
  void placeNotYet();
  void showNotYetForPage(int page);
  void doFileTypes();
  void showTypeRows();
  void doTotals();
  void doFileSizes();
  void doOverHang();
  void drawClusterArrow(int row);
  void fillGridDates();
  void fillCombinedGridDates();
  void doFileAges();
  void doFileAttrs();
  void doFileTimes();
  void doPieCharts();
  void previewChart(QChartView* view);
  void printWindowImage();
  void changeBackgroundColor(bool white);

  stats::StatisticsCollector collector_;
  std::vector<stats::TypeRow> typeRows_;
  stats::StatGridModel* typesModel_;
  stats::StatGridModel* sizesModel_;
  std::array<stats::StatGridModel*, 3> ageModels_{};
  stats::StatGridModel* combinedModel_;
  QGridLayout* overhangTable_ = nullptr;
  QString targetsTaken_;
  bool overhangPage_ = false;
  bool inDiskSize_ = false;
  bool inTimer1_ = false;
  double barDepth_ = 1;
  std::array<double, 12> pieAngles_{};
  std::vector<QWidget*> disabledWhileWalking_;
};

// The one statistics window of the run, created on first use with `owner` (the application
// creates it at start); destroyed with its owner or by destroyStatisticsWindow.
TfrmStatistics* statisticsWindow(QWidget* owner = nullptr);
void destroyStatisticsWindow();
// Stops every collection that is running (the run is ending); nothing when there is none.
void stopStatisticsCollection();

}  // namespace roomvale
