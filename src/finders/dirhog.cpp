#include "finders/dirhog.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "deletion/deldir.h"
#include "finders/finderparts.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "platform/paths.h"
#include "scan/drivelist.h"
#include "scan/resultgrid.h"
#include "scan/sortgrid.h"
#include "scan/targets.h"

namespace roomvale {

namespace {

constexpr int kSizeColumn = 0;
constexpr int kPercentColumn = 1;
constexpr int kNameColumn = 5;
constexpr int kSizeItem = 0;

const QString kDeleted = QStringLiteral("DELETED");
const QString kRecycled = QStringLiteral("RECYCLED");

}  // namespace

GridSpec dirHogGridSpec() {
  GridSpec shape;
  shape.kind = QStringLiteral("frmDirHog");
  shape.columns = {{QStringLiteral("Size"), CellField::Size, true},
                   {QStringLiteral("% Used"), CellField::Text, true},
                   {QStringLiteral("# Files"), CellField::Count1, true},
                   {QStringLiteral("# Sub-folders"), CellField::Count2, true},
                   {QStringLiteral("Latest File Access"), CellField::AccessDate, false},
                   {QStringLiteral("Name"), CellField::FullPath, false}};
  shape.markColumn = -1;
  shape.highlightColumn = kNameColumn;
  shape.highlightIsFile = false;
  shape.sortItems = {{QStringLiteral("Sort by &Size"), 0, SortKind::Number, true},
                     {QStringLiteral("Sort by # &Files"), 2, SortKind::Number, true},
                     {QStringLiteral("Sort by # Sub-f&olders"), 3, SortKind::Number, true},
                     {QStringLiteral("Sort by &Access Date"), 4, SortKind::Date, true},
                     {QStringLiteral("Sort by &Name"), 5, SortKind::Text, false}};
  shape.defaultSortItem = kSizeItem;
  return shape;
}

int openFolderHogs(QWidget* owner) {
  TfrmDirHog window(owner);
  return window.exec();
}

TfrmDirHog::TfrmDirHog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmDirHog"));
  setWindowTitle(QStringLiteral("Folder Hogs"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(true);

  pnlTop = new QWidget(this);
  pnlTop->setObjectName(QStringLiteral("pnlTop"));
  Label1 = makeLabel(pnlTop, "Label1", QStringLiteral("Main -"));
  Label2 = makeLabel(pnlTop, "Label2",
                     QStringLiteral("only main folders are displayed (those folders directly under the main folder)"));
  Label3 = makeLabel(pnlTop, "Label3", QStringLiteral("All -"));
  Label4 = makeLabel(pnlTop, "Label4", QStringLiteral("all folders including sub-folders are individually displayed"));
  QFont bold = Label1->font();
  bold.setBold(true);
  Label1->setFont(bold);
  Label3->setFont(bold);
  pckDrive = new QListWidget(pnlTop);
  pckDrive->setObjectName(QStringLiteral("pckDrive"));
  pckDrive->setContextMenuPolicy(Qt::CustomContextMenu);

  btTop = makeButton(pnlTop, "btTop", QStringLiteral("&Main folders"),
                     QStringLiteral("Only topmost folders. Does not display sub-folders."));
  btAll = makeButton(pnlTop, "btAll", QStringLiteral("&All Folders"),
                     QStringLiteral("ALL folders including sub-folders are displayed"));
  btClose = makeButton(pnlTop, "btClose", QStringLiteral("Close"), QStringLiteral("Close window"));
  btAbort = makeButton(pnlTop, "btAbort", QStringLiteral("&Abort"), QStringLiteral("Abort scan"));
  btDelete = makeButton(pnlTop, "btDelete", QStringLiteral("Clean?"), QStringLiteral("Clean the folder"));
  btOptions = makeButton(pnlTop, "btOptions", QStringLiteral("Options"),
                         QStringLiteral("Right click on grid for same options"));
  btBrowse = makeButton(pnlTop, "btBrowse", QStringLiteral("&Browse"), QStringLiteral("Browse the files and folder"));

  auto* explain = new QGridLayout;
  explain->addWidget(Label1, 0, 0, Qt::AlignTop);
  explain->addWidget(Label2, 0, 1);
  explain->addWidget(Label3, 1, 0, Qt::AlignTop);
  explain->addWidget(Label4, 1, 1);
  explain->setColumnStretch(1, 1);

  // Clean? is shown where Abort sits; only one of them shows at a time.
  auto* abortOrClean = new QWidget(pnlTop);
  auto* stack = new QHBoxLayout(abortOrClean);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->addWidget(btAbort);
  stack->addWidget(btDelete);
  auto* buttons = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{btTop, btAll, btClose, abortOrClean, btOptions, btBrowse})
    buttons->addWidget(w);
  buttons->addStretch();

  auto* left = new QVBoxLayout;
  left->addLayout(explain);
  left->addStretch();
  left->addLayout(buttons);
  auto* top = new QHBoxLayout(pnlTop);
  top->setContentsMargins(0, 0, 0, 0);
  top->addLayout(left, 1);
  top->addWidget(pckDrive);
  pckDrive->setFixedSize(200, 110);

  grid = new ResultGrid(dirHogGridSpec(), this);
  pnlScan = makeStatusBar(this, "pnlScan");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pnlTop);
  layout->addWidget(grid->view(), 1);
  layout->addWidget(pnlScan);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Highlight1 = makeAction(PopupMenu1, "Highlight1", QStringLiteral("Highlight folders on Safe Harbor list"));
  Addafoldertothelistofdrives1 =
      makeAction(PopupMenu1, "Addafoldertothelistofdrives1", QStringLiteral("Add a folder to the list of drives"));
  PopupMenu1->addSeparator();
  SortbySize1 = makeAction(PopupMenu1, "SortbySize1", QStringLiteral("Sort by &Size"));
  SortbyFiles1 = makeAction(PopupMenu1, "SortbyFiles1", QStringLiteral("Sort by # &Files"));
  SortbySubfolders1 = makeAction(PopupMenu1, "SortbySubfolders1", QStringLiteral("Sort by # Sub-f&olders"));
  SortbyAccessDate1 = makeAction(PopupMenu1, "SortbyAccessDate1", QStringLiteral("Sort by &Access Date"));
  SortbyName1 = makeAction(PopupMenu1, "SortbyName1", QStringLiteral("Sort by &Name"));
  PopupMenu1->addSeparator();
  Shrinktoppanel1 = makeAction(PopupMenu1, "Shrinktoppanel1", QStringLiteral("Shrink top panel"));
  Restoretoppanel1 = makeAction(PopupMenu1, "Restoretoppanel1", QStringLiteral("Restore top panel"));
  Restoretoppanel1->setEnabled(false);
  PopupMenu1->addSeparator();
  Print1 = makeAction(PopupMenu1, "Print1", QStringLiteral("Print"));
  QMenu* clipMenu = makeSubmenu(PopupMenu1, "Clipboard1", QStringLiteral("Clipboard"));
  Foldernames1 = makeAction(clipMenu, "Foldernames1", QStringLiteral("Folder names "));
  Entiregrid1 = makeAction(clipMenu, "Entiregrid1", QStringLiteral("Entire grid separated by tabs"));
  Webpage1 = makeAction(PopupMenu1, "Webpage1", QStringLiteral("Web page"));

  grid->setSortActions({SortbySize1, SortbyFiles1, SortbySubfolders1, SortbyAccessDate1, SortbyName1});
  grid->setHighlightAction(Highlight1);
  grid->setStatusSink([this](const QString& text) { pnlScan->setText(text); });

  connectPopupMenu(PopupMenu1, {grid->view(), pckDrive}, btOptions);
  connect(btTop, &QPushButton::clicked, this, &TfrmDirHog::btTopClick);
  connect(btAll, &QPushButton::clicked, this, &TfrmDirHog::btAllClick);
  connect(btClose, &QPushButton::clicked, this, &TfrmDirHog::reject);
  connect(btAbort, &QPushButton::clicked, this, &TfrmDirHog::btAbortClick);
  connect(btDelete, &QPushButton::clicked, this, &TfrmDirHog::btDeleteClick);
  connect(btBrowse, &QPushButton::clicked, this, [this] { grid->BrowseDirectory1Click(QStringLiteral("*.*")); });
  // A double click cleans, as Clean? does; the grid has no marks to toggle.
  connect(grid->view(), &ResultGridView::rowDoubleClicked, this, &TfrmDirHog::btDeleteClick);
  connect(pckDrive, &QListWidget::itemChanged, this, &TfrmDirHog::pckDriveClick);
  connect(Addafoldertothelistofdrives1, &QAction::triggered, this, &TfrmDirHog::Addafoldertothelistofdrives1Click);
  connect(Shrinktoppanel1, &QAction::triggered, this, &TfrmDirHog::Shrinktoppanel1Click);
  connect(Restoretoppanel1, &QAction::triggered, this, &TfrmDirHog::Restoretoppanel1Click);
  connect(Print1, &QAction::triggered, this, &TfrmDirHog::btPrintClick);
  GridCommands commands;
  commands.names = Foldernames1;
  commands.entireGrid = Entiregrid1;
  commands.webPage = Webpage1;
  connectGridCommands(grid, commands);

  // FormCreate: the drive list. The window keeps no placement.
  fillDriveList(pckDrive, kFinderDriveKinds, true);
  btAbort->hide();
  setResultButtonsVisible(false);
  resize(820, 560);
}

TfrmDirHog::~TfrmDirHog() = default;

void TfrmDirHog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void TfrmDirHog::FormShow() {
  grid->ClearGrid();
  lb.clear();
  setResultButtonsVisible(false);
  pckDriveClick();
  btTop->setFocus();
  layout()->activate();
  topPanelHeight_ = pnlTop->height() > 0 ? pnlTop->height() : pnlTop->sizeHint().height();
  keepTopPanelRoom(this, pnlTop);
  FormResize();
}

void TfrmDirHog::setResultButtonsVisible(bool visible) {
  for (QPushButton* b : {btOptions, btBrowse, btDelete}) b->setVisible(visible);
}

void TfrmDirHog::pckDriveClick() {
  const bool any = !walking_ && checkedCount(pckDrive) > 0;
  btTop->setEnabled(any);
  btAll->setEnabled(any);
}

void TfrmDirHog::btTopClick() { walkClick(FolderWalk::MainFolders); }

void TfrmDirHog::btAllClick() { walkClick(FolderWalk::AllFolders); }

void TfrmDirHog::walkClick(FolderWalk walk) {
  HintsOff quiet(this);
  grid->ClearGrid();
  scan(walk);
  // Largest first after every walk.
  grid->directions()[kSizeItem] = true;
  SortbySize1Click();
}

void TfrmDirHog::SortbySize1Click() { grid->sortByItem(kSizeItem); }

void TfrmDirHog::setWalkingState(bool walking) {
  walking_ = walking;
  btAbort->setVisible(walking);
  if (walking) setResultButtonsVisible(false);
  btTop->setEnabled(!walking);
  btAll->setEnabled(!walking);
  btClose->setEnabled(!walking);
  pckDrive->setEnabled(!walking);
  Addafoldertothelistofdrives1->setEnabled(!walking);  // the drive list is being walked
  if (walking)
    grid->view()->viewport()->setCursor(Qt::WaitCursor);
  else
    grid->view()->viewport()->unsetCursor();
}

void TfrmDirHog::scan(FolderWalk walk) {
  lb.clear();
  lb2.clear();
  scanAborted = false;
  setWalkingState(true);
  {
    FolderHogCollector collector(walk, lb2, scanAborted, [] {
      prompts().message(MessageKind::Warning,
                        QStringLiteral("Resource limit reached ... cannot process any more files."),
                        QStringLiteral("Warning"), Sound::None);
    });
    collector.status = [this](const std::string& text) { pnlScan->setText(platform::toDisplay(text)); };
    Walker walker(WalkVariant::folderHogs(false), collector, scanAborted);
    walker.setPumpInterval(pumpIntervalMs);
    walker.scanAllDrives(checkedTargets(pckDrive));
  }
  const bool aborted = !lb.isEmpty();  // the abort notice is its only line so far
  copylb2tolb();
  grid->finishFill();
  // Every folder row counts, and one row is a result: counting one less, and saying "No
  // files found." for a single folder, would misreport a target with one big folder.
  const int rows = grid->data().rowsUsed();
  QString status = QStringLiteral("Folders : ") + formatThousands(rows);
  // Main folders after the one being walked at Abort were never walked: they are not listed,
  // rather than listed as empty.
  if (aborted && walk == FolderWalk::MainFolders)
    status += QStringLiteral(" - list incomplete: folders not reached before the abort are not listed");
  pnlScan->setText(status);
  setWalkingState(false);
  pckDriveClick();
  if (rows == 0) {
    showInfo(QStringLiteral("No files found."));
    return;
  }
  setResultButtonsVisible(true);
}

void TfrmDirHog::copylb2tolb() {
  const std::vector<QString>& lines = lb2.lines();
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    lb.append(*it);
    addToGrid(*it);
  }
}

void TfrmDirHog::addToGrid(const QString& line) {
  const auto folder = parseFolderLine(line);
  if (!folder) return;
  const int pos = grid->addFile(folderGridRow(*folder));
  if (pos >= 0) grid->model()->setCellText(pos, kPercentColumn, folder->percent);
}

void TfrmDirHog::btAbortClick() {
  scanAborted = true;
  btAbort->hide();
  lb.append(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER"));
  showWarning(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER"));
}

void TfrmDirHog::btDeleteClick() {
  const GridData& data = grid->data();
  const int row = grid->currentRow();
  if (!data.isRowUsed(grid->view()->lastClickedRow()) || !data.isRowUsed(row)) return;
  const QString size = data.cellText(row, kSizeColumn);
  if (size.isEmpty()) return;
  if (size == kDeleted || size == kRecycled) {
    showError(QStringLiteral("Folder already deleted/recycled"));
    return;
  }
  const std::string folder = data.rowPath(row);
  switch (cleanRefusal(folder)) {
    case CleanRefusal::RootFolder:
      showError(QStringLiteral("You cannot delete the root folder using Roomvale"));
      return;
    case CleanRefusal::SystemFolder:
      showError(QStringLiteral("You cannot delete the system folders using Roomvale"));
      return;
    case CleanRefusal::None: break;
  }
  const FolderTreeDeletionResult done = openFolderTreeDeletion(this, folder);
  if (done.result == QDialog::Rejected) return;
  grid->model()->setCellText(row, kSizeColumn, done.recycleMode ? kRecycled : kDeleted);
}

QString TfrmDirHog::printTitle() const {
  QString title = QStringLiteral("Folder hogs on drive(s) ");
  for (const ScanTarget& target : checkedTargets(pckDrive))
    title += platform::toDisplay(target.path) + QLatin1Char(' ');
  return title;
}

void TfrmDirHog::btPrintClick() { grid->print(printTitle()); }

void TfrmDirHog::Shrinktoppanel1Click() { shrinkTopPanel(pnlTop, Shrinktoppanel1, Restoretoppanel1); }

void TfrmDirHog::Restoretoppanel1Click() {
  restoreTopPanel(pnlTop, topPanelHeight_, Shrinktoppanel1, Restoretoppanel1);
}

void TfrmDirHog::Addafoldertothelistofdrives1Click() {
  addFolderToDriveList(this, pckDrive, kFinderDriveKinds);
  pckDriveClick();
}

void TfrmDirHog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TfrmDirHog::FormResize() { setFinderColumnWidths(*grid, {80, 40, 40, 70, 90}, logicalDpiX(), width()); }

void TfrmDirHog::reject() {
  // The window cannot go away under a running walk (Escape, the close box).
  if (walking_) return;
  QDialog::reject();
}

}  // namespace roomvale
