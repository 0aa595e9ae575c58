#include "statistics/stats.h"

#include <QAction>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QButtonGroup>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStackedBarSeries>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "deletion/deletedview.h"
#include "deletion/deletionlog.h"
#include "finders/finderparts.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "scan/printit.h"
#include "scan/walk.h"
#include "scan/whichdrv.h"
#include "statistics/markedchart.h"
#include "statistics/statgridmodel.h"

namespace roomvale {

using namespace stats;

namespace {

const QString kNotYet = QStringLiteral("Statistics haven't been collected yet!");
const QString kCollecting = QStringLiteral("Collecting statistics ... standby.  Press Esc or click Abort to stop.");
const QColor kFuchsia(0xFF00FF);
const QColor kBlue(0x0000FF);

const std::array<const char*, 3> kDateTitles{"Accessed Date", "Created Date", "Modified Date"};
const std::array<const char*, 3> kChartTitles{"Access Date", "Created Date", "Modified Date"};

TfrmStatistics::PreviewRunner& previewRunner() {
  static TfrmStatistics::PreviewRunner runner;
  return runner;
}

QLabel* label(QWidget* parent, const char* name, const QString& text = {}) { return makeLabel(parent, name, text); }

QRadioButton* radio(QWidget* parent, const char* name, const QString& text) {
  auto* b = new QRadioButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

// A box of exclusive choices.
QGroupBox* choiceBox(QWidget* parent, std::initializer_list<QRadioButton*> buttons) {
  auto* box = new QGroupBox(parent);
  auto* group = new QButtonGroup(box);
  auto* l = new QHBoxLayout(box);
  l->setContentsMargins(6, 2, 6, 2);
  for (QRadioButton* b : buttons) {
    b->setParent(box);
    group->addButton(b);
    l->addWidget(b);
  }
  l->addStretch();
  return box;
}

QFrame* colourKey(QWidget* parent, const char* name, const QColor& colour) {
  auto* f = new QFrame(parent);
  f->setObjectName(QString::fromLatin1(name));
  f->setFixedSize(16, 16);
  f->setFrameShape(QFrame::Box);
  f->setAutoFillBackground(true);
  QPalette p = f->palette();
  p.setColor(QPalette::Window, colour);
  f->setPalette(p);
  return f;
}

QTableView* statGrid(QWidget* parent, const char* name, StatGridModel* model, const std::vector<int>& widths) {
  auto* view = new QTableView(parent);
  view->setObjectName(QString::fromLatin1(name));
  view->setModel(model);
  view->verticalHeader()->hide();
  view->setSelectionMode(QAbstractItemView::NoSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setWordWrap(false);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  for (std::size_t c = 0; c < widths.size(); ++c) view->setColumnWidth(int(c), widths[c]);
  view->horizontalHeader()->setStretchLastSection(true);
  // Texts keep 3 pixels from the cell edges.
  view->setStyleSheet(QStringLiteral("QTableView::item { padding-left: 3px; padding-right: 3px; }"));
  return view;
}

QChartView* plainChart(QWidget* parent, const char* name, const QString& title = {}) {
  auto* view = new QChartView(new QChart, parent);
  view->setObjectName(QString::fromLatin1(name));
  view->chart()->setTitle(title);
  view->chart()->legend()->hide();
  view->chart()->setBackgroundRoundness(0);
  view->chart()->setLocalizeNumbers(true);
  view->setRenderHint(QPainter::Antialiasing);
  return view;
}

void clearAxes(QChart* chart) {
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
}

QToolButton* noteButton(QWidget* parent, const char* name, const QString& text) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(QStringLiteral("?"));
  b->setToolTip(QStringLiteral("Note"));
  QObject::connect(b, &QToolButton::clicked, parent, [text] { showInfo(text); });
  return b;
}

}  // namespace

void TfrmStatistics::setPreviewRunner(PreviewRunner runner) { previewRunner() = std::move(runner); }

TfrmStatistics::TfrmStatistics(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmStatistics"));
  setWindowTitle(QStringLiteral("File Statistics Not Yet Collected"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setModal(false);

  OvcNotebook1 = new QTabWidget(this);
  OvcNotebook1->setObjectName(QStringLiteral("OvcNotebook1"));
  OvcNotebook1->addTab(buildSpacePage(), QStringLiteral("Space"));
  deletedView = new TDeletedView;
  OvcNotebook1->addTab(deletedView, QStringLiteral("Deleted"));
  OvcNotebook1->addTab(buildTypesPage(), QStringLiteral("Types"));
  OvcNotebook1->addTab(buildSizesPage(), QStringLiteral("Sizes"));
  OvcNotebook1->addTab(buildOverhangPage(), QStringLiteral("Overhang"));
  OvcNotebook1->addTab(buildAgePage(stats::kAccess), QStringLiteral("Access"));
  OvcNotebook1->addTab(buildAgePage(kCreation), QStringLiteral("Created"));
  OvcNotebook1->addTab(buildAgePage(kWrite), QStringLiteral("Modified"));
  OvcNotebook1->addTab(buildCombinedPage(), QStringLiteral("Combined"));
  OvcNotebook1->addTab(buildAttributePage(), QStringLiteral("Attribute"));
  OvcNotebook1->addTab(buildTimePage(), QStringLiteral("Time"));

  btOK = makeButton(this, "btOK", QStringLiteral("&Collect statistics"), QStringLiteral("Start collecting statistics"));
  btOK->setDefault(true);
  btPrint = makeButton(this, "btPrint", QStringLiteral("&Print page"), QStringLiteral("Print this page only"));
  btCancel = makeButton(this, "btCancel", QStringLiteral("Close"), QStringLiteral("Cancel operation or close window"));
  StatusBar1 = makeStatusBar(this, "StatusBar1");

  pnlNotYet = new QFrame(this);
  pnlNotYet->setObjectName(QStringLiteral("pnlNotYet"));
  pnlNotYet->setFrameShape(QFrame::StyledPanel);
  pnlNotYet->setAutoFillBackground(true);
  lblNotYet = label(pnlNotYet, "lblNotYet", kNotYet);
  lblNotYet->setAlignment(Qt::AlignCenter);
  lblNotYet->setWordWrap(true);
  QFont big = lblNotYet->font();
  big.setPointSizeF(big.pointSizeF() * 1.4);
  big.setBold(true);
  lblNotYet->setFont(big);
  btAbort = makeButton(pnlNotYet, "btAbort", QStringLiteral("Abort"), QStringLiteral("Stop collecting"));
  btAbort->hide();
  {
    auto* l = new QVBoxLayout(pnlNotYet);
    l->addStretch();
    l->addWidget(lblNotYet);
    l->addWidget(btAbort, 0, Qt::AlignHCenter);
    l->addStretch();
  }

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btOK);
  buttons->addWidget(btPrint);
  buttons->addWidget(btCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(OvcNotebook1, 1);
  layout->addLayout(buttons);
  layout->addWidget(StatusBar1);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(50);
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(50);

  connect(btOK, &QPushButton::clicked, this, &TfrmStatistics::btOKClick);
  connect(btAbort, &QPushButton::clicked, this, &TfrmStatistics::btAbortClick);
  connect(btCancel, &QPushButton::clicked, this, &TfrmStatistics::btCancelClick);
  connect(btPrint, &QPushButton::clicked, this, &TfrmStatistics::btPrintClick);
  connect(OvcNotebook1, &QTabWidget::currentChanged, this, &TfrmStatistics::OvcNotebook1PageChanged);
  connect(Timer1, &QTimer::timeout, this, &TfrmStatistics::Timer1Timer);
  connect(Timer2, &QTimer::timeout, this, &TfrmStatistics::Timer2Timer);

  disabledWhileWalking_ = {btPrint,  btOK,     rbCombine1,   rbCombine2,
                           rgSpace1, rgSpace2, pckStatDrive, deletedView->Button1,
                           rgTypes,  rgSize0,  rgSize1,      rgSize2};
  for (auto& kind : rgAge)
    for (QRadioButton* b : kind) disabledWhileWalking_.push_back(b);

  // FormCreate.
  OvcNotebook1->setCurrentIndex(kSpacePage);
  fillDriveList(pckStatDrive, kFinderDriveKinds | kDriveRam, false);
  for (QLabel* l : {lblTotal, lblFree, lblUsed, lblTot, lblPct, lblPct2}) l->clear();
  loadDeletionLog();
  deletedView->refreshGrid();
  resize(900, 640);
}

TfrmStatistics::~TfrmStatistics() = default;

// ---- Pages ----

QWidget* TfrmStatistics::buildSpacePage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgSpace"));
  pnlDrives = new QWidget(page);
  pnlDrives->setObjectName(QStringLiteral("pnlDrives"));
  pckStatDrive = new QListWidget(pnlDrives);
  pckStatDrive->setObjectName(QStringLiteral("pckStatDrive"));
  cbTotal = new QCheckBox(QStringLiteral("Show Cumulative Total"), page);
  cbTotal->setObjectName(QStringLiteral("cbTotal"));
  cbTotal->setChecked(true);
  {
    auto* l = new QVBoxLayout(pnlDrives);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(pckStatDrive);
  }
  rgSpace1 = radio(page, "rgSpace1", QStringLiteral("Pie - percent"));
  rgSpace2 = radio(page, "rgSpace2", QStringLiteral("Bar - totals"));
  rgSpace2->setChecked(true);
  QGroupBox* choice = choiceBox(page, {rgSpace1, rgSpace2});

  lblTotalC = label(page, "lblTotalC", QStringLiteral("Total Capacity:"));
  lblFreeC = label(page, "lblFreeC", QStringLiteral("Free Space:"));
  Label26 = label(page, "Label26", QStringLiteral("Used Space:"));
  lblTotal = label(page, "lblTotal");
  lblFree = label(page, "lblFree");
  lblUsed = label(page, "lblUsed");
  for (QLabel* l : {lblTotal, lblFree, lblUsed}) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblTot = label(page, "lblTot");
  lblPct = label(page, "lblPct");
  lblPct2 = label(page, "lblPct2");
  Panel1 = colourKey(page, "Panel1", kFuchsia);
  Panel2 = colourKey(page, "Panel2", kBlue);
  auto* figures = new QGridLayout;
  figures->addWidget(lblTotalC, 0, 1);
  figures->addWidget(lblTotal, 0, 2);
  figures->addWidget(lblTot, 0, 3);
  figures->addWidget(Panel1, 1, 0);
  figures->addWidget(lblFreeC, 1, 1);
  figures->addWidget(lblFree, 1, 2);
  figures->addWidget(lblPct, 1, 3);
  figures->addWidget(Panel2, 2, 0);
  figures->addWidget(Label26, 2, 1);
  figures->addWidget(lblUsed, 2, 2);
  figures->addWidget(lblPct2, 2, 3);

  chartSpaceBar = plainChart(page, "chartSpaceBar");
  spaceSeries = new QStackedBarSeries;
  spaceSeries->setObjectName(QStringLiteral("spaceSeries"));
  Series4 = new QBarSet(QStringLiteral("Free"));
  Series4->setObjectName(QStringLiteral("Series4"));
  Series4->setColor(kFuchsia);
  Series5 = new QBarSet(QStringLiteral("Used"));
  Series5->setObjectName(QStringLiteral("Series5"));
  Series5->setColor(kBlue);
  spaceSeries->append(Series4);
  spaceSeries->append(Series5);
  spaceSeries->setLabelsVisible(true);
  spaceSeries->setLabelsPrecision(15);
  chartSpaceBar->chart()->addSeries(spaceSeries);

  pnlPie = new QWidget(page);
  pnlPie->setObjectName(QStringLiteral("pnlPie"));
  auto* pieGrid = new QGridLayout(pnlPie);
  pieGrid->setContentsMargins(0, 0, 0, 0);
  pieGrid->setSpacing(2);
  for (int i = 0; i < 12; ++i) {
    const QByteArray name = i < 11 ? "pie" + QByteArray::number(i + 1) : QByteArray("pieTotal");
    QChartView* pie = plainChart(pnlPie, name.constData());
    pie->setToolTip(QStringLiteral("Click on pie to toggle animation"));
    pie->setMinimumSize(120, 110);
    pie->setMaximumHeight(260);
    auto* series = new QPieSeries;
    series->setPieSize(0.62);
    pie->chart()->addSeries(series);
    pie->chart()->setMargins(QMargins(0, 0, 0, 0));
    connect(series, &QPieSeries::clicked, this, [this] { pie1Click(); });
    pie->hide();
    pies[i] = pie;
    pieGrid->addWidget(pie, i / 4, i % 4);
  }
  auto* keys = new QHBoxLayout;
  keys->addWidget(colourKey(pnlPie, "pnlFreeKey", kFuchsia));
  keys->addWidget(new QLabel(QStringLiteral("Free"), pnlPie));
  keys->addWidget(colourKey(pnlPie, "pnlUsedKey", kBlue));
  keys->addWidget(new QLabel(QStringLiteral("Used"), pnlPie));
  keys->addStretch();
  ScrollBar1 = new QScrollBar(Qt::Horizontal, pnlPie);
  ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
  ScrollBar1->setRange(0, 360);
  ScrollBar1->hide();
  pieGrid->addLayout(keys, 3, 0, 1, 4);
  pieGrid->addWidget(ScrollBar1, 4, 0, 1, 4);
  pnlPie->hide();

  auto* left = new QVBoxLayout;
  left->addWidget(pnlDrives, 1);
  left->addWidget(cbTotal);
  left->addWidget(choice);
  left->addLayout(figures);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(chartSpaceBar, 1);
  right->addWidget(pnlPie, 1);
  auto* l = new QHBoxLayout(page);
  l->addLayout(left, 0);
  l->addLayout(right, 1);
  pckStatDrive->setMaximumWidth(220);

  connect(pckStatDrive, &QListWidget::itemChanged, this, [this] { doDiskSize(); });
  connect(cbTotal, &QCheckBox::clicked, this, [this] { doDiskSize(); });
  connect(rgSpace1, &QRadioButton::clicked, this, &TfrmStatistics::rgSpaceClick);
  connect(rgSpace2, &QRadioButton::clicked, this, &TfrmStatistics::rgSpaceClick);
  connect(ScrollBar1, &QScrollBar::valueChanged, this, &TfrmStatistics::ScrollBar1Change);
  return page;
}

QWidget* TfrmStatistics::buildTypesPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgTypes"));
  rgTypes = new TRadioGroup("rgTypes", QString(),
                            {QStringLiteral("Listing"), QStringLiteral("Pie by Size"), QStringLiteral("Pie by # Files"),
                             QStringLiteral("Pie by Average Size")},
                            page);
  rgTypes->setItemIndex(1);
  btSort = makeButton(page, "btSort", QStringLiteral("&Sort"), QStringLiteral("Sort the list"));
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  const std::array<std::pair<const char*, const char*>, 5> items{
      {{"SortbyExtension1", "Sort by &Extension"},
       {"SortbyType1", "Sort by &Type"},
       {"SortbySize1", "Sort by &Size"},
       {"SortbyNumberoffiles1", "Sort by &Number of files"},
       {"SortbyAverageFileSize1", "Sort by &Average File Size"}}};
  for (std::size_t i = 0; i < items.size(); ++i) {
    sortActions[i] = makeAction(PopupMenu1, items[i].first, QString::fromLatin1(items[i].second));
    sortActions[i]->setCheckable(true);
    connect(sortActions[i], &QAction::triggered, this, [this, i] { SortbyExtensionClick(TypeSort(i)); });
  }
  btSort->setMenu(PopupMenu1);
  btSort->hide();

  typesModel_ = new StatGridModel({QStringLiteral("Extension"), QStringLiteral("Type"), QStringLiteral("Size"),
                                   QStringLiteral("# Files"), QStringLiteral("Avg File Size")},
                                  {2, 3, 4}, this);
  typesModel_->setSelectable(true);
  gridTypes = statGrid(page, "gridTypes", typesModel_, {80, 219, 120, 75, 82});
  gridTypes->setSelectionMode(QAbstractItemView::SingleSelection);
  gridTypes->hide();
  chartPie = plainChart(page, "chartPie");
  chartPie->setToolTip(QStringLiteral("Click on pie to toggle animation"));
  chartPie->chart()->legend()->setAlignment(Qt::AlignRight);
  chartPie->chart()->legend()->show();
  auto* pie = new QPieSeries;
  pie->setObjectName(QStringLiteral("Series1"));
  pie->setPieSize(0.6);
  chartPie->chart()->addSeries(pie);
  connect(pie, &QPieSeries::clicked, this, [this] { pie1Click(); });
  ScrollBar2 = new QScrollBar(Qt::Horizontal, page);
  ScrollBar2->setObjectName(QStringLiteral("ScrollBar2"));
  ScrollBar2->setRange(0, 360);

  auto* top = new QHBoxLayout;
  top->addWidget(rgTypes);
  top->addStretch();
  top->addWidget(btSort, 0, Qt::AlignBottom);
  auto* l = new QVBoxLayout(page);
  l->addLayout(top);
  l->addWidget(gridTypes, 1);
  l->addWidget(chartPie, 1);
  l->addWidget(ScrollBar2);
  connect(rgTypes, &TRadioGroup::clicked, this, [this] { rgTypesClick(); });
  connect(ScrollBar2, &QScrollBar::valueChanged, this, &TfrmStatistics::ScrollBar2Change);
  return page;
}

QWidget* TfrmStatistics::buildSizesPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgSizes"));
  rgSize0 = radio(page, "rgSize0", QStringLiteral("Listing"));
  rgSize1 = radio(page, "rgSize1", QStringLiteral("Chart by Size (in MB)"));
  rgSize2 = radio(page, "rgSize2", QStringLiteral("Chart by Number of Files"));
  rgSize1->setChecked(true);
  QGroupBox* choice = choiceBox(page, {rgSize0, rgSize1, rgSize2});
  sizesModel_ = new StatGridModel(
      {QStringLiteral("File size"), QStringLiteral("Total file size"), QStringLiteral("Number of files")}, {1, 2},
      this);
  gridSizes = statGrid(page, "gridSizes", sizesModel_, {194, 189, 140});
  gridSizes->hide();
  Chart1 = new MarkedChartView("Chart1", QString(), page);
  auto* l = new QVBoxLayout(page);
  l->addWidget(choice);
  l->addWidget(gridSizes, 1);
  l->addWidget(Chart1, 1);
  for (QRadioButton* b : {rgSize0, rgSize1, rgSize2})
    connect(b, &QRadioButton::clicked, this, &TfrmStatistics::rgSizesClick);
  return page;
}

QWidget* TfrmStatistics::buildOverhangPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgOverhang"));
  QLabel* title = label(page, "lblOverhangTitle", QStringLiteral("Cluster overhang for FAT and FAT32 drives"));
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);

  auto* table = new QGridLayout;
  overhangTable_ = table;
  const QStringList heads{
      QStringLiteral("FAT Partion size"), QStringLiteral("FAT 32 Size"),    QString(),
      QStringLiteral("Cluster size"),     QStringLiteral("Percent wasted"), QStringLiteral("Wasted space")};
  for (int c = 0; c < heads.size(); ++c) {
    auto* h = new QLabel(heads[c], page);
    h->setFont(bold);
    table->addWidget(h, 0, c);
  }
  const std::array<std::array<const char*, 3>, 5> rows{{{"255 MB", "Less than 8GB", "4K"},
                                                        {"256 MB - 511 MB", "Less than 16GB", "8K"},
                                                        {"512 MB - 1023 MB", "Less than 32GB", "16K"},
                                                        {"1 GB - 2 GB", "32GB or more", "32K"},
                                                        {"2 GB - 4 GB", "", "64K"}}};
  imArrow = label(page, "imArrow", QStringLiteral("\u27A4"));
  QFont arrowFont = imArrow->font();
  arrowFont.setPointSizeF(arrowFont.pointSizeF() * 1.6);
  imArrow->setFont(arrowFont);
  QPalette red = imArrow->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  imArrow->setPalette(red);
  imArrow->hide();
  for (int r = 0; r < 5; ++r) {
    table->addWidget(new QLabel(QString::fromLatin1(rows[r][0]), page), r + 1, 0);
    table->addWidget(new QLabel(QString::fromLatin1(rows[r][1]), page), r + 1, 1);
    table->addWidget(new QLabel(QString::fromLatin1(rows[r][2]), page), r + 1, 3);
    lblOver[r] = label(page, QByteArray("lblOver" + QByteArray::number(r + 1)).constData());
    lblOver[r]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->addWidget(lblOver[r], r + 1, 5);
    table->setRowMinimumHeight(r + 1, 28);
  }
  table->setColumnMinimumWidth(2, 24);
  auto* chartView = new MarkedChartView("chartOverhang", QString(), page);
  chartView->setAxesShown(false);
  chartView->chart()->setMargins(QMargins(0, 0, 0, 0));
  chartView->setMinimumWidth(200);
  chartOverhang = chartView;
  table->addWidget(chartOverhang, 1, 4, 5, 1);
  table->setColumnStretch(4, 1);

  pnlOverhang = new QWidget(page);
  pnlOverhang->setObjectName(QStringLiteral("pnlOverhang"));
  lblNumFiles = label(pnlOverhang, "lblNumFiles");
  lblSize = label(pnlOverhang, "lblSize");
  lblLbl = label(pnlOverhang, "lblLbl", QStringLiteral("Actual space used:"));
  {
    auto* l = new QHBoxLayout(pnlOverhang);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(lblNumFiles);
    l->addSpacing(16);
    l->addWidget(new QLabel(QStringLiteral("Total file sizes:"), pnlOverhang));
    l->addWidget(lblSize);
    l->addSpacing(16);
    l->addWidget(lblLbl);
    l->addStretch();
  }
  pnlOverhang->hide();

  Memo1 = new QPlainTextEdit(page);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  // The note's texts run on within each paragraph; the box wraps them to its width.
  Memo1->setPlainText(
      QStringLiteral("This page is an illustration of the amount of disk space wasted due to 'cluster overhang.'  "
                     "This is the smallest amount of space a file will actually use.   The arrow points to your actual "
                     "cluster size, the other numbers are hypothetical.\n\n"
                     "Due to the design of both Windows 95/DOS the hard disk is divided into clusters.  Files are "
                     "stored in clusters. A file of one byte will take an entire cluster and a file that's one byte "
                     "larger than a cluster will take two clusters.  The larger the partition, the more overhang or "
                     "waste is involved.\n\n"
                     "Solutions are to either repartition your hard disk or use disk compression.  Later versions of "
                     "Win95/98 come with FAT32 which uses 4K cluster sizes for drives up to 8GB in size and 8K "
                     "clusters for up to 16GB."));

  auto* l = new QVBoxLayout(page);
  l->addWidget(title);
  l->addLayout(table);
  l->addWidget(pnlOverhang);
  l->addWidget(Memo1, 1);

  pnlCluster = new QFrame(page);
  pnlCluster->setObjectName(QStringLiteral("pnlCluster"));
  pnlCluster->setFrameShape(QFrame::StyledPanel);
  pnlCluster->setAutoFillBackground(true);
  auto* clusterText =
      new QLabel(QStringLiteral("Cluster overhang analysis is not applicable to this drive."), pnlCluster);
  clusterText->setAlignment(Qt::AlignCenter);
  clusterText->setFont(bold);
  (new QVBoxLayout(pnlCluster))->addWidget(clusterText);
  pnlCluster->hide();
  return page;
}

QWidget* TfrmStatistics::buildAgePage(DateKind kind) {
  static const std::array<const char*, 3> prefix{"rgAccess", "rgCreate", "rgModify"};
  static const std::array<const char*, 3> grids{"gridAccess", "gridCreate", "gridModify"};
  static const std::array<const char*, 3> charts{"chartAccess", "chartCreate", "chartModify"};
  static const std::array<QString, 3> notes{
      QStringLiteral("Note: prior versions of Windows and DOS did not store the file access date.  Files never "
                     "recorded as being accessed are probably old files that were converted to Windows 95/98."),
      QStringLiteral("Files never recorded as being created are probably old files that were converted to Windows "
                     "95/98.  Note: prior versions of Windows and DOS did not store the file creation date "
                     "independent of the last file modification or file write date."),
      QStringLiteral("Note: prior versions of Windows and DOS treated the file creation date synonomously  with the "
                     "last file modification date.  Therefore all files have a file modification date.")};
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pg") + QString::fromLatin1(kChartTitles[kind]).section(' ', 0, 0));
  auto& buttons = rgAge[kind];
  const std::array<QString, 3> texts{QStringLiteral("Listing"), QStringLiteral("Chart by Size (in MB)"),
                                     QStringLiteral("Chart by Number of Files")};
  for (int i = 0; i < 3; ++i)
    buttons[i] = radio(page, (QByteArray(prefix[kind]) + QByteArray::number(i)).constData(), texts[i]);
  buttons[1]->setChecked(true);
  QGroupBox* choice = choiceBox(page, {buttons[0], buttons[1], buttons[2]});
  SpeedButton[kind] =
      noteButton(page, (QByteArray("SpeedButton") + QByteArray::number(kind + 1)).constData(), notes[kind]);
  ageModels_[kind] = new StatGridModel(
      {QString::fromLatin1(kDateTitles[kind]), QStringLiteral("Total file size"), QStringLiteral("Number of files")},
      {1, 2}, this);
  gridAge[kind] = statGrid(page, grids[kind], ageModels_[kind], {194, 189, 140});
  gridAge[kind]->hide();
  chartAge[kind] = new MarkedChartView(charts[kind], QString(), page);
  auto* top = new QHBoxLayout;
  top->addWidget(choice, 1);
  top->addWidget(SpeedButton[kind]);
  auto* l = new QVBoxLayout(page);
  l->addLayout(top);
  l->addWidget(gridAge[kind], 1);
  l->addWidget(chartAge[kind], 1);
  for (QRadioButton* b : buttons) connect(b, &QRadioButton::clicked, this, &TfrmStatistics::rgAccessClick);
  return page;
}

QWidget* TfrmStatistics::buildCombinedPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgCombined"));
  rgCombine0 = radio(page, "rgCombine0", QStringLiteral("Listing"));
  rbCombine1 = radio(page, "rbCombine1", QStringLiteral("Chart by Size (in MB)"));
  rbCombine2 = radio(page, "rbCombine2", QStringLiteral("Chart by Number of Files"));
  rbCombine1->setChecked(true);
  QGroupBox* choice = choiceBox(page, {rgCombine0, rbCombine1, rbCombine2});
  SpeedButton[3] =
      noteButton(page, "SpeedButton4", QStringLiteral("This chart combines the Accessed, Created and Modified charts"));
  combinedModel_ = new StatGridModel(
      {QString(), QStringLiteral("Access Size"), QStringLiteral("Access # files"), QStringLiteral("Create Size"),
       QStringLiteral("Create # files"), QStringLiteral("Modify Size"), QStringLiteral("Modify # files")},
      {1, 2, 3, 4, 5, 6}, this);
  gridCombine = statGrid(page, "gridCombine", combinedModel_, {119, 97, 78, 86, 71, 85, 72});
  gridCombine->hide();
  chartCombine = plainChart(page, "chartCombine", QStringLiteral("Combination Access/Created/Modified Chart"));
  chartCombine->chart()->legend()->show();
  auto* top = new QHBoxLayout;
  top->addWidget(choice, 1);
  top->addWidget(SpeedButton[3]);
  auto* l = new QVBoxLayout(page);
  l->addLayout(top);
  l->addWidget(gridCombine, 1);
  l->addWidget(chartCombine, 1);
  for (QRadioButton* b : {rgCombine0, rbCombine1, rbCombine2})
    connect(b, &QRadioButton::clicked, this, &TfrmStatistics::rgAccessClick);
  return page;
}

QWidget* TfrmStatistics::buildAttributePage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgAttribute"));
  auto* figures = new QGridLayout;
  QLabel* h1 = new QLabel(QStringLiteral("# Files"), page);
  QLabel* h2 = new QLabel(QStringLiteral("Size"), page);
  QFont bold = h1->font();
  bold.setBold(true);
  h1->setFont(bold);
  h2->setFont(bold);
  figures->addWidget(h1, 0, 1, Qt::AlignRight);
  figures->addWidget(h2, 0, 2, Qt::AlignRight);
  const std::array<QString, 4> names{QStringLiteral("Hidden"), QStringLiteral("Read-only"), QStringLiteral("System"),
                                     QStringLiteral("Archive")};
  QLabel** counts[4] = {&lblNHidden, &lblNReadOnly, &lblNSystem, &lblNArchive};
  QLabel** sizes[4] = {&lblSzHidden, &lblSzReadOnly, &lblSzSystem, &lblSzArchive};
  const std::array<const char*, 4> countNames{"lblNHidden", "lblNReadOnly", "lblNSystem", "lblNArchive"};
  const std::array<const char*, 4> sizeNames{"lblSzHidden", "lblSzReadOnly", "lblSzSystem", "lblSzArchive"};
  for (int r = 0; r < 4; ++r) {
    figures->addWidget(new QLabel(names[r], page), r + 1, 0);
    *counts[r] = label(page, countNames[r]);
    *sizes[r] = label(page, sizeNames[r]);
    figures->addWidget(*counts[r], r + 1, 1, Qt::AlignRight);
    figures->addWidget(*sizes[r], r + 1, 2, Qt::AlignRight);
  }
  figures->setColumnMinimumWidth(1, 90);
  figures->setColumnMinimumWidth(2, 140);
  Chart2 = new MarkedChartView("Chart2", QString(), page);
  Chart3 = new MarkedChartView("Chart3", QString(), page);
  auto* charts = new QGridLayout;
  charts->addWidget(label(page, "lblFilesTitle", QStringLiteral("% of total # files")), 0, 0, Qt::AlignHCenter);
  charts->addWidget(label(page, "lblSizeTitle", QStringLiteral("% of total size")), 0, 1, Qt::AlignHCenter);
  charts->addWidget(Chart2, 1, 0);
  charts->addWidget(Chart3, 1, 1);
  QLabel* note = label(page, "lblAttrNote",
                       QStringLiteral("Note it is possible that some files may have more than one attribute set.  For "
                                      "example many system files are also hidden."));
  note->setWordWrap(true);
  auto* top = new QHBoxLayout;
  top->addLayout(figures);
  top->addStretch();
  auto* l = new QVBoxLayout(page);
  l->addLayout(top);
  l->addLayout(charts, 1);
  l->addWidget(note);
  return page;
}

QWidget* TfrmStatistics::buildTimePage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgTime"));
  Chart4 = plainChart(page, "Chart4");
  Chart4->chart()->legend()->show();
  const std::array<QString, 3> names{QStringLiteral("Modified time"), QStringLiteral("Created time"),
                                     QStringLiteral("Access Time")};
  const std::array<QColor, 3> colours{QColor(0xFF0000), QColor(0x008000), QColor(0x0000FF)};
  for (int k = 0; k < 3; ++k) {
    timeSeries[k] = new QLineSeries;
    timeSeries[k]->setName(names[k]);
    timeSeries[k]->setObjectName(names[k]);
    timeSeries[k]->setColor(colours[k]);
    Chart4->chart()->addSeries(timeSeries[k]);
  }
  auto* x = new QCategoryAxis;
  x->setObjectName(QStringLiteral("timeAxis"));
  x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  // Every slot is a point; every second hour is labelled, so that the labels fit.
  for (int s = 0; s < kSlots; s += 4) x->append(slotLabel(s), s);
  x->setTruncateLabels(false);
  x->setRange(0, 47.9583333333333);
  x->setTitleText(QStringLiteral("Time of day file was accessed/modified/created"));
  auto* y = new QValueAxis;
  y->setObjectName(QStringLiteral("countAxis"));
  y->setTitleText(QStringLiteral("Numer of files"));
  y->setLabelFormat(QStringLiteral("%.0f"));
  Chart4->chart()->addAxis(x, Qt::AlignBottom);
  Chart4->chart()->addAxis(y, Qt::AlignLeft);
  for (QLineSeries* s : timeSeries) {
    s->attachAxis(x);
    s->attachAxis(y);
  }
  sbTime = new QScrollBar(Qt::Horizontal, page);
  sbTime->setObjectName(QStringLiteral("sbTime"));
  sbTime->setRange(8, 70);
  sbTime->setValue(8);
  SpeedButton[4] = noteButton(
      page, "SpeedButton5",
      QStringLiteral("Note: Sometimes software vendors use the file modified time to indicate the version number of a "
                     "product. For example, a file with the time of 02:10 am would represent version 2.1 of a certain "
                     "product.  Note that files with a time of 12:00:00 am are excluded from this graph."));
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(sbTime, 1);
  bottom->addWidget(SpeedButton[4]);
  auto* l = new QVBoxLayout(page);
  l->addWidget(Chart4, 1);
  l->addLayout(bottom);
  connect(sbTime, &QScrollBar::valueChanged, this, &TfrmStatistics::sbTimeChange);
  return page;
}

// ---- Showing and closing ----

void TfrmStatistics::showStatistics() {
  if (!isVisible()) {
    const QRect screen =
        (parentWidget() ? parentWidget()->screen() : QApplication::primaryScreen())->availableGeometry();
    move(screen.center() - rect().center());
  }
  show();
  raise();
  activateWindow();
}

void TfrmStatistics::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmStatistics::FormShow() {
  // The type grid's titles are set on every showing; the model keeps them.
  doDiskSize();
  OvcNotebook1PageChanged(OvcNotebook1->currentIndex());
  deletedView->showCumulative();
  placeNotYet();
}

void TfrmStatistics::closeEvent(QCloseEvent* event) {
  if (collecting) {
    scanAborted = true;
    event->ignore();
    return;
  }
  Timer1->stop();
  Timer2->stop();
  QDialog::closeEvent(event);
}

void TfrmStatistics::reject() { btCancelClick(); }

void TfrmStatistics::btCancelClick() {
  if (collecting) {
    scanAborted = true;
    return;
  }
  Timer1->stop();
  Timer2->stop();
  QDialog::reject();
}

void TfrmStatistics::btAbortClick() {
  if (collecting) scanAborted = true;
}

void TfrmStatistics::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  placeNotYet();
}

void TfrmStatistics::placeNotYet() {
  // Over the page area of the notebook, below its tabs.
  QRect area = OvcNotebook1->geometry();
  const int tabs = OvcNotebook1->tabBar()->height();
  area.adjust(4, tabs + 4, -4, -4);
  pnlNotYet->setGeometry(area);
  pnlNotYet->raise();
  if (QWidget* page = OvcNotebook1->widget(kOverhangPage)) pnlCluster->setGeometry(page->rect());
}

void TfrmStatistics::showNotYetForPage(int page) {
  const bool cover = page > kDeletedPage && (!statisticsCollected || collecting);
  pnlNotYet->setVisible(cover);
  if (cover) placeNotYet();
}

void TfrmStatistics::OvcNotebook1PageChanged(int page) {
  if (page == kDeletedPage) {
    deletedView->showFilesDeleted();
  } else if (page == kSpacePage) {
    doDiskSize();
  }
  showNotYetForPage(page);
}

// ---- Collection ----

void TfrmStatistics::btOKClick() {
  if (collecting) return;
  PickList1.clear();
  std::vector<ScanTarget> targets;
  {
    TfrmWhichDrive wizard(this);
    if (wizard.exec() != QDialog::Accepted) return;
    targets = wizard.chosenTargets();
    for (const ScanTarget& t : targets) PickList1 << t.text;
    PickList2.clear();
    collector_.filter.allFileTypes = wizard.allFiles;
    collector_.filter.countChosenTypes = wizard.allFiles ? false : wizard.includeTypes;
    collector_.filter.countOtherTypes = wizard.allFiles ? false : wizard.excludeTypes;
    if (!wizard.allFiles) PickList2 = wizard.chosenTypes();
    collector_.filter.chosen = PickList2;
  }
  if (targets.empty()) return;
  selectedCapacity = computePickListTotal(targets);
  if (!(selectedCapacity > 0)) {
    showError(QStringLiteral(
        "Could not compute the total size of the disk drives selected.  Cannot proceed with statistics."));
    return;
  }
  scanAborted = false;
  if (targets.size() == 1)
    showInfo(QStringLiteral("Disk Drive ") + targets.front().text + QStringLiteral(" will be scanned.  The analysis ") +
             QStringLiteral("may take some time.  You may quit at any time by clicking Abort or pressing ESC."));
  else
    showInfo(
        QStringLiteral("Since you selected more than one drive to analyze, the Cluster Overhang tab will be "
                       "disabled.  You may quit the analysis at any time by clicking CANCEL or by pressing ESC."));
  const bool single = targets.size() == 1;
  clearVariables();
  overhangPage_ = single;
  collector_.overhangEnabled = single;
  OvcNotebook1->setTabEnabled(kOverhangPage, single);
  targetsTaken_.clear();
  for (const ScanTarget& target : targets) {
    if (scanAborted) break;
    currentTarget = target.text;
    targetsTaken_ += target.text + QLatin1Char(' ');
    if (!isPathDriveReady(target.path)) continue;
    clusterSize = computeClusterSize(target);
    collecting = true;
    lblNotYet->setText(kCollecting);
    btAbort->show();
    showNotYetForPage(OvcNotebook1->currentIndex());
    const bool timerWasOn = Timer1->isActive();
    Timer1->stop();
    scan(target, single);
    if (timerWasOn) Timer1->start();
    statisticsCollected = true;
    collecting = false;
    btAbort->hide();
    lblNotYet->setText(kNotYet);
    if (scanAborted) {
      setWindowTitle(QStringLiteral("Statistics for drive(s) incomplete ... aborted."));
      break;
    }
    setWindowTitle(QStringLiteral("Stats done for ") + targetsTaken_);
  }
  collecting = false;
  showNotYetForPage(OvcNotebook1->currentIndex());
}

void TfrmStatistics::clearVariables() {
  collector_.clearVariables();
  typeRows_.clear();
  typesModel_->clear();
}

void TfrmStatistics::scan(const ScanTarget& target, bool singleTarget) {
  StatusBar1->clear();
  disenable(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  {
    CollectionVisitor visitor(collector_, currentTarget);
    visitor.status = [this](const QString& text) { StatusBar1->setText(text); };
    Walker walker(WalkVariant::statistics(), visitor, scanAborted);
    walker.setPumpInterval(pumpIntervalMs);
    walker.scanTarget(target);
  }
  refreshPages(singleTarget);
  StatusBar1->setText(finishedText(collector_.stats, scanAborted));
  QApplication::restoreOverrideCursor();
  disenable(true);
}

void TfrmStatistics::refreshPages(bool singleTarget) {
  if (singleTarget) doOverHang();
  doFileTypes();
  doFileSizes();
  doFileAttrs();
  fillGridDates();
  fillCombinedGridDates();
  doFileTimes();
  doFileAges();
  SortbyExtensionClick(TypeSort::Extension);
}

void TfrmStatistics::disenable(bool on) {
  for (QWidget* w : disabledWhileWalking_) w->setEnabled(on);
}

// ---- Types ----

void TfrmStatistics::doFileTypes() {
  collector_.seedChosenTypes();
  typeRows_ = stats::typeRows(collector_.stats.types);
  showTypeRows();
  rgTypesClick();
}

void TfrmStatistics::showTypeRows() {
  std::vector<QStringList> rows;
  rows.reserve(typeRows_.size() + 1);
  for (const TypeRow& r : typeRows_) rows.push_back(typeRowTexts(r));
  rows.push_back(typeTotalsTexts(typeRows_));
  typesModel_->setRows(std::move(rows));
}

void TfrmStatistics::doTotals() { showTypeRows(); }

void TfrmStatistics::rgTypesClick() {
  const int choice = rgTypes->itemIndex();
  btSort->setVisible(choice == 0);
  if (choice == 0)
    Timer1->stop();
  else
    Timer1->start();
  static constexpr TypeSort measures[4] = {TypeSort::Extension, TypeSort::Size, TypeSort::Files, TypeSort::Average};
  if (choice > 0) SortbyExtensionClick(measures[choice]);
  if (choice == 0) {
    doTotals();
    chartPie->hide();
    gridTypes->show();
    return;
  }
  gridTypes->hide();
  chartPie->show();
  auto* series = static_cast<QPieSeries*>(chartPie->chart()->series().front());
  series->clear();
  for (const ChartItem& slice : typePie(typeRows_, measures[choice])) {
    QPieSlice* s = series->append((slice.label + QStringLiteral("  ") + slice.mark).toHtmlEscaped(), slice.value);
    s->setColor(slice.color);
    s->setBorderColor(Qt::black);
    // Thin slices are named in the legend only; their labels would overlap.
    s->setLabelVisible(s->percentage() >= 0.03);
  }
  ScrollBar2Change(ScrollBar2->value());
}

void TfrmStatistics::SortbyExtensionClick(TypeSort sort) {
  if (typeRows_.size() + 2 < 4) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  sortTypeRows(typeRows_, sort);
  for (std::size_t i = 0; i < sortActions.size(); ++i) sortActions[i]->setChecked(TypeSort(i) == sort);
  showTypeRows();
  QApplication::restoreOverrideCursor();
}

void TfrmStatistics::ScrollBar2Change(int angle) {
  auto* series = static_cast<QPieSeries*>(chartPie->chart()->series().front());
  series->setPieStartAngle(angle);
  series->setPieEndAngle(angle + 360);
}

// ---- Sizes ----

void TfrmStatistics::doFileSizes() {
  sizesModel_->setRows(sizeGridRows(collector_.stats));
  rgSizesClick();
}

void TfrmStatistics::rgSizesClick() {
  auto* chart = static_cast<MarkedChartView*>(Chart1);
  if (rgSize0->isChecked()) {
    chart->hide();
    gridSizes->show();
    return;
  }
  gridSizes->hide();
  chart->show();
  const bool mb = rgSize1->isChecked();
  chart->chart()->setTitle(mb ? QStringLiteral("File Sizes in MB") : QStringLiteral("Number of Files"));
  chart->setBars(sizeBars(collector_.stats, mb), true, QStringLiteral("Series1"));
}

// ---- Overhang ----

void TfrmStatistics::doOverHang() {
  const OverhangFigures f = overhangFigures(collector_.stats, clusterSize);
  if (!f.enabled) {
    OvcNotebook1->setTabEnabled(kOverhangPage, false);
    return;
  }
  for (int i = 0; i < kClusterSizes; ++i) lblOver[i]->setText(f.waste[i]);
  drawClusterArrow(f.arrowRow);
  pnlOverhang->show();
  lblSize->setText(f.size);
  lblNumFiles->setText(f.numFiles);
  // Without the arrow there is no actual figure; the caption must not keep the last one.
  lblLbl->setText(f.arrowRow >= 0 ? f.actual : QStringLiteral("Actual space used:"));
  std::vector<ChartItem> bars;
  for (int i = kClusterSizes - 1; i >= 0; --i)
    bars.push_back({QString(), f.percent[i], QColor(0xFF0000),
                    formatThousands(std::llround(f.percent[i])) + QStringLiteral(" %")});
  static_cast<MarkedChartView*>(chartOverhang)->setBars(bars, true, QStringLiteral("Series9"));
}

void TfrmStatistics::drawClusterArrow(int row) {
  if (row >= 0) {
    overhangTable_->removeWidget(imArrow);
    overhangTable_->addWidget(imArrow, row + 1, 2, Qt::AlignRight | Qt::AlignVCenter);
    imArrow->show();
    pnlCluster->hide();
  } else {
    imArrow->hide();
    pnlCluster->setGeometry(OvcNotebook1->widget(kOverhangPage)->rect());
    pnlCluster->show();
    pnlCluster->raise();
  }
}

// ---- Dates ----

void TfrmStatistics::fillGridDates() {
  for (DateKind k : {stats::kAccess, stats::kCreation, stats::kWrite})
    ageModels_[k]->setRows(ageGridRows(collector_.stats, k));
}

void TfrmStatistics::fillCombinedGridDates() { combinedModel_->setRows(combinedGridRows(collector_.stats)); }

void TfrmStatistics::rgAccessClick() {
  for (DateKind k : {stats::kAccess, stats::kCreation, stats::kWrite}) {
    const bool listing = rgAge[k][0]->isChecked();
    gridAge[k]->setVisible(listing);
    chartAge[k]->setVisible(!listing);
  }
  const bool listing = rgCombine0->isChecked();
  gridCombine->setVisible(listing);
  chartCombine->setVisible(!listing);
  const int page = OvcNotebook1->currentIndex();
  const bool pageListing =
      page == kCombinedPage ? listing
                            : page >= kAccessPage && page <= kModifiedPage && rgAge[page - kAccessPage][0]->isChecked();
  if (!pageListing) doFileAges();
}

void TfrmStatistics::doFileAges() {
  for (DateKind k : {stats::kAccess, stats::kCreation, stats::kWrite}) {
    const bool mb = rgAge[k][1]->isChecked();
    auto* chart = static_cast<MarkedChartView*>(chartAge[k]);
    chart->chart()->setTitle(QString::fromLatin1(kChartTitles[k]) +
                             (mb ? QStringLiteral(" (file sizes in MB)") : QStringLiteral(" (Number of files)")));
    chart->setBars(ageBars(collector_.stats, k, mb), false, QStringLiteral("Series1"));
    chartAge[k]->setVisible(!rgAge[k][0]->isChecked());
    gridAge[k]->setVisible(rgAge[k][0]->isChecked());
  }
  // The combined chart: three series of the same ten bars.
  QChart* chart = chartCombine->chart();
  chart->removeAllSeries();
  clearAxes(chart);
  const bool mb = rbCombine1->isChecked();
  auto* series = new QBarSeries;
  series->setObjectName(QStringLiteral("Series1"));
  const std::array<std::pair<QString, QColor>, 3> sets{{{QStringLiteral("Accessed"), QColor(0x0000FF)},
                                                        {QStringLiteral("Created"), QColor(0x00FF00)},
                                                        {QStringLiteral("Modified"), QColor(0xFF0000)}}};
  const DateKind kinds[3] = {stats::kAccess, stats::kCreation, stats::kWrite};
  for (int i = 0; i < 3; ++i) {
    auto* set = new QBarSet(sets[i].first);
    for (double v : ageValues(collector_.stats, kinds[i], mb)) set->append(v);
    set->setColor(sets[i].second);
    series->append(set);
  }
  chart->addSeries(series);
  auto* categories = new QBarCategoryAxis;
  for (int b = 0; b < kAgeBuckets; ++b) categories->append(ageLabel(b).toHtmlEscaped());
  categories->setTruncateLabels(false);
  auto* values = new QValueAxis;
  values->setLabelFormat(QStringLiteral("%.0f"));
  chart->addAxis(categories, Qt::AlignBottom);
  chart->addAxis(values, Qt::AlignLeft);
  series->attachAxis(categories);
  series->attachAxis(values);
  categories->setLabelsAngle(-45);
  gridCombine->setVisible(rgCombine0->isChecked());
  chartCombine->setVisible(!rgCombine0->isChecked());
}

// ---- Attributes and times ----

void TfrmStatistics::doFileAttrs() {
  const Statistics& s = collector_.stats;
  auto n = [](std::uint64_t v) { return formatThousands(std::int64_t(v)); };
  lblNHidden->setText(n(s.attrFiles[kHidden]));
  lblNReadOnly->setText(n(s.attrFiles[kReadOnly]));
  lblNSystem->setText(n(s.attrFiles[kSystem]));
  lblNArchive->setText(n(s.attrFiles[kArchive]));
  lblSzHidden->setText(n(s.attrBytes[kHidden]));
  lblSzReadOnly->setText(n(s.attrBytes[kReadOnly]));
  lblSzSystem->setText(n(s.attrBytes[kSystem]));
  lblSzArchive->setText(n(s.attrBytes[kArchive]));
  static_cast<MarkedChartView*>(Chart2)->setBars(attributeBars(s, false), false, QStringLiteral("Series1"));
  static_cast<MarkedChartView*>(Chart3)->setBars(attributeBars(s, true), false, QStringLiteral("Series1"));
}

void TfrmStatistics::doFileTimes() {
  const TimeKind kinds[3] = {kWriteTime, kCreationTime, kAccessTime};
  double top = 1;
  for (int i = 0; i < 3; ++i) {
    const std::vector<double> counts = timeCounts(collector_.stats, kinds[i]);
    QList<QPointF> points;
    double sum = 0;
    for (int slot = 0; slot < kSlots; ++slot) {
      points.append(QPointF(slot, counts[slot]));
      sum += counts[slot];
      top = std::max(top, counts[slot]);
    }
    timeSeries[i]->replace(points);
    if (kinds[i] == kAccessTime) timeSeries[i]->setVisible(sum > 0);
  }
  for (QAbstractAxis* axis : Chart4->chart()->axes(Qt::Vertical)) axis->setRange(0, top * 1.1);
  sbTimeChange(sbTime->value());
}

void TfrmStatistics::sbTimeChange(int depth) {
  // Without a third dimension the depth shows as the lines' weight.
  for (QLineSeries* s : timeSeries) {
    QPen pen = s->pen();
    pen.setWidthF(1 + (depth - 8) / 12.0);
    s->setPen(pen);
  }
}

// ---- Space ----

void TfrmStatistics::doDiskSize() {
  if (inDiskSize_) return;
  inDiskSize_ = true;
  for (QLabel* l : {lblTotal, lblFree, lblUsed, lblTot, lblPct, lblPct2}) l->clear();
  std::vector<DriveSpace> drives;
  for (const ScanTarget& t : checkedTargets(pckStatDrive)) {
    if (!isPathDriveReady(t.path)) continue;
    const auto space = platform::diskSpace(t.path);
    if (!space) continue;
    drives.push_back({platform::toDisplay(t.path), double(space->free), double(space->total)});
  }
  drivesShown = int(drives.size());
  const SpaceFigures f = spaceFigures(drives, cbTotal->isChecked());
  Series4->remove(0, Series4->count());
  Series5->remove(0, Series5->count());
  QChart* chart = chartSpaceBar->chart();
  clearAxes(chart);
  QStringList categories;
  for (const SpaceBar& bar : f.bars) {
    // Whole units: the value marks show no decimals.
    Series4->append(std::round(bar.free));
    Series5->append(std::round(bar.used));
    categories << bar.label;
  }
  for (QWidget* w : std::initializer_list<QWidget*>{lblTotalC, lblFreeC, Label26, Panel1, Panel2})
    w->setVisible(f.shown);
  chartSpaceBar->setVisible(f.shown && rgSpace2->isChecked());
  if (f.shown) {
    auto* categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    auto* valueAxis = new QValueAxis;
    valueAxis->setLabelFormat(QStringLiteral("%.0f ") + f.unit);
    double top = 1;
    for (const SpaceBar& bar : f.bars) top = std::max(top, bar.free + bar.used);
    valueAxis->setRange(0, top * 1.05);
    chart->addAxis(categoryAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    spaceSeries->attachAxis(categoryAxis);
    spaceSeries->attachAxis(valueAxis);
    spaceSeries->setLabelsFormat(QStringLiteral("@value ") + f.unit);
    lblTot->setText(f.unit);
    lblTotal->setText(f.total);
    lblFree->setText(f.free);
    lblPct->setText(f.unit + QLatin1Char(' '));
    lblUsed->setText(f.used);
    lblPct2->setText(f.unit + QLatin1Char(' '));
    for (QLabel* l : {lblFree, lblPct}) {
      QPalette p = l->palette();
      p.setColor(QPalette::WindowText, f.freeRed ? Qt::red : Qt::black);
      l->setPalette(p);
    }
  }
  inDiskSize_ = false;
  rgSpaceClick();
}

void TfrmStatistics::rgSpaceClick() {
  if (rgSpace1->isChecked()) {
    pnlDrives->hide();
    cbTotal->hide();
    chartSpaceBar->hide();
    doPieCharts();
    Timer1->start();
    pnlPie->show();
    return;
  }
  if (drivesShown <= 0) {
    chartSpaceBar->hide();
    pnlPie->hide();
    pnlDrives->show();
    cbTotal->show();
    return;
  }
  pnlDrives->show();
  cbTotal->show();
  chartSpaceBar->show();
  pnlPie->hide();
  barDepth_ = 1;
  spaceSeries->setBarWidth(0.02);
  Timer2->start();
}

void TfrmStatistics::doPieCharts() {
  double free = 0, total = 0;
  int used = 0;
  auto fill = [](QChartView* pie, const QString& title, double freeBytes, double totalBytes) {
    pie->show();
    pie->chart()->setTitle(title);
    auto* series = static_cast<QPieSeries*>(pie->chart()->series().front());
    series->clear();
    QPieSlice* usedSlice = series->append(QStringLiteral(" "), totalBytes - freeBytes);
    usedSlice->setColor(kBlue);
    QPieSlice* freeSlice = series->append(QStringLiteral(" "), freeBytes);
    freeSlice->setColor(kFuchsia);
  };
  for (int i = 0; i < pckStatDrive->count() && used < 11; ++i) {
    const std::string path = pckStatDrive->item(i)->data(kTargetPathRole).toByteArray().toStdString();
    if (!isPathDriveReady(path)) continue;
    const auto space = platform::diskSpace(path);
    if (!space) continue;
    free += double(space->free);
    total += double(space->total);
    fill(pies[used],
         platform::toDisplay(path) + QStringLiteral("  ") + freePercentText(double(space->free), double(space->total)) +
             QStringLiteral("% free"),
         double(space->free), double(space->total));
    ++used;
  }
  fill(pies[11], QStringLiteral("TOTAL ") + freePercentText(free, total) + QStringLiteral("% free"), free, total);
  // The total follows the drives' pies instead of keeping a place of its own.
  auto* grid = static_cast<QGridLayout*>(pnlPie->layout());
  grid->removeWidget(pies[11]);
  grid->addWidget(pies[11], used / 4, used % 4);
  for (int i = used; i < 11; ++i)
    if (pies[i]->isVisible() || !pies[i]->isHidden()) {
      grid->removeWidget(pies[i]);
      grid->addWidget(pies[i], (i + 1) / 4, (i + 1) % 4);
    }
}

void TfrmStatistics::pie1Click() {
  if (Timer1->isActive())
    Timer1->stop();
  else
    Timer1->start();
}

void TfrmStatistics::Timer1Timer() {
  if (inTimer1_) return;
  inTimer1_ = true;
  if (rgSpace1->isChecked() && OvcNotebook1->currentIndex() == kSpacePage && pckStatDrive->count() < 6) {
    for (int i = 0; i < 12; ++i) {
      if (!pies[i]->isVisible()) continue;
      pieAngles_[i] = std::fmod(pieAngles_[i] + (i < 11 ? 4 : 2), 360);
      auto* series = static_cast<QPieSeries*>(pies[i]->chart()->series().front());
      series->setPieStartAngle(pieAngles_[i]);
      series->setPieEndAngle(pieAngles_[i] + 360);
    }
    ScrollBar1->hide();
    const QSignalBlocker block(ScrollBar1);
    ScrollBar1->setValue(int(pieAngles_[0]));
  } else if (OvcNotebook1->currentIndex() == kSpacePage && rgSpace1->isChecked()) {
    ScrollBar1->show();
  }
  inTimer1_ = false;
}

void TfrmStatistics::ScrollBar1Change(int angle) {
  for (int i = 0; i < 12; ++i) {
    if (!pies[i]->isVisible()) continue;
    pieAngles_[i] = angle;
    auto* series = static_cast<QPieSeries*>(pies[i]->chart()->series().front());
    series->setPieStartAngle(angle);
    series->setPieEndAngle(angle + 360);
  }
}

void TfrmStatistics::Timer2Timer() {
  if (OvcNotebook1->currentIndex() != kSpacePage) {
    Timer2->stop();
    return;
  }
  const int step = drivesShown <= 2 ? 6 : drivesShown <= 4 ? 3 : 2;
  const int limit = drivesShown <= 2 ? 60 : drivesShown <= 4 ? 30 : drivesShown <= 6 ? 20 : 10;
  barDepth_ = std::min<double>(barDepth_ + step, limit);
  // The bars grow to their full width as the depth reaches its limit.
  spaceSeries->setBarWidth(0.75 * barDepth_ / limit);
  if (barDepth_ >= limit) Timer2->stop();
}

// ---- Printing ----

void TfrmStatistics::btPrintClick() {
  const int page = OvcNotebook1->currentIndex();
  if (pnlNotYet->isVisible() && page > kDeletedPage) return;
  switch (page) {
    case kTypesPage:
      if (chartPie->isVisible()) return previewChart(chartPie);
      {
        QPrinter printer;
        if (!prompts().printDialog(printer, false)) return;
        PrintableGrid grid;
        grid.rows = typesModel_->rowCount() + 1;
        grid.columnWidths = {80, 219, 120, 75, 82};
        grid.cell = [this](int row, int col) {
          return row == 0 ? typesModel_->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString()
                          : typesModel_->text(row - 1, col);
        };
        printGrid(grid, QStringLiteral("File types for drive ") + currentTarget, printer);
      }
      return;
    case kSizesPage:
      if (Chart1->isVisible()) return previewChart(Chart1);
      break;
    case kAccessPage:
    case kCreatedPage:
    case kModifiedPage:
      if (chartAge[page - kAccessPage]->isVisible()) return previewChart(chartAge[page - kAccessPage]);
      break;
    case kCombinedPage:
      if (chartCombine->isVisible()) return previewChart(chartCombine);
      break;
    case kTimePage: return previewChart(Chart4);
    default: break;
  }
  printWindowImage();
}

void TfrmStatistics::previewChart(QChartView* view) {
  auto paint = [view](QPrinter& printer) {
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    QSize size = view->size().scaled(page.size(), Qt::KeepAspectRatio);
    view->render(&painter, QRectF(QPointF(page.x(), page.y()), size));
  };
  QPrinter printer;
  printer.setPageOrientation(QPageLayout::Landscape);
  if (previewRunner()) {
    previewRunner()(printer, paint);
    return;
  }
  QPrintPreviewDialog preview(&printer, this);
  preview.setObjectName(QStringLiteral("chartPreview"));
  connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&paint](QPrinter* p) { paint(*p); });
  preview.exec();
}

void TfrmStatistics::printWindowImage() {
  QPrinter printer;
  if (!prompts().printDialog(printer, false)) return;
  changeBackgroundColor(true);
  const QPixmap image = grab();
  changeBackgroundColor(false);
  QPainter painter;
  if (!painter.begin(&printer)) {
    showError(QStringLiteral("Error printing report ... quitting"));
    return;
  }
  const QRect page = painter.viewport();
  const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
  painter.drawPixmap(QRect(page.topLeft(), size), image);
  painter.end();
}

void TfrmStatistics::changeBackgroundColor(bool white) {
  std::vector<QWidget*> widgets{this, OvcNotebook1, pckStatDrive, gridSizes, gridCombine};
  for (QTableView* g : gridAge) widgets.push_back(g);
  for (int i = 0; i < OvcNotebook1->count(); ++i)
    if (i != kDeletedPage) widgets.push_back(OvcNotebook1->widget(i));
  for (QWidget* w : widgets) {
    QPalette p = w->palette();
    const QColor c = white ? QColor(Qt::white) : QApplication::palette().color(QPalette::Button);
    p.setColor(QPalette::Window, c);
    if (qobject_cast<QAbstractItemView*>(w))
      p.setColor(QPalette::Base, white ? QColor(Qt::white) : QApplication::palette().color(QPalette::Base));
    w->setPalette(p);
    w->setAutoFillBackground(white);
  }
  // The charts draw on white already.
}

// ---- The window of the run ----

namespace {
QPointer<TfrmStatistics>& theWindow() {
  static QPointer<TfrmStatistics> window;
  return window;
}
}  // namespace

TfrmStatistics* statisticsWindow(QWidget* owner) {
  if (!theWindow()) theWindow() = new TfrmStatistics(owner);
  return theWindow();
}

void destroyStatisticsWindow() { delete theWindow().data(); }

void stopStatisticsCollection() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* stats = qobject_cast<TfrmStatistics*>(w); stats && stats->collecting) stats->scanAborted = true;
}

}  // namespace roomvale
