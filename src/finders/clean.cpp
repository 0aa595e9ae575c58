#include "finders/clean.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "finders/finderparts.h"
#include "finders/templist.h"
#include "finders/temppatterns.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/winplace.h"
#include "platform/paths.h"
#include "scan/drivelist.h"
#include "scan/resultgrid.h"
#include "scan/targets.h"
#include "scan/walk.h"

namespace roomvale {

namespace {

constexpr int kSizeItem = 0;

}  // namespace

GridSpec quickCleanGridSpec() {
  GridSpec shape;
  shape.kind = QStringLiteral("frmClean");
  shape.columns = {{QStringLiteral("Size"), CellField::Size, true},
                   {QStringLiteral("Modified"), CellField::WriteDate, false},
                   {QStringLiteral("Time"), CellField::WriteTime, false},
                   {QStringLiteral("Access"), CellField::AccessDate, false},
                   {QStringLiteral("FileName"), CellField::FullPath, false},
                   {QStringLiteral("Type"), CellField::Type, false}};
  shape.markColumn = 4;
  shape.highlightColumn = 4;
  shape.highlightIsFile = true;
  shape.sortItems = {{QStringLiteral("&Size"), 0, SortKind::Number, true},
                     {QStringLiteral("&Date"), 1, SortKind::Date, true},
                     {QStringLiteral("&Access date"), 3, SortKind::Date, true},
                     {QStringLiteral("&Name"), 4, SortKind::Text, false},
                     {QStringLiteral("&Type"), 5, SortKind::Text, false}};
  shape.defaultSortItem = kSizeItem;
  return shape;
}

int openQuickClean(QWidget* owner) {
  TfrmClean window(owner);
  return window.exec();
}

// Each file of the walk that is temporary becomes a row; the status line shows the folder.
class TfrmClean::Visitor final : public WalkVisitor {
 public:
  explicit Visitor(TfrmClean& form) : form_(form) {}

  void entry(const std::string& folder, const platform::DirEntry& e) override {
    if (e.isDirectory() || !form_.isThisFileTemporary(e.name)) return;
    GridFile file;
    file.folder = folder;
    file.name = e.name;
    file.size = e.size;
    file.writeTime = platform::toFatDateTime(e.writeTime).value_or(0);
    file.accessTime = platform::toFatDateTime(e.accessTime).value_or(0);
    file.creationTime = platform::toFatDateTime(e.creationTime).value_or(0);
    if (form_.grid->addFile(file) >= 0) ++form_.filesFound;
  }

  void showStatus(const std::string& text) override { form_.pnlSel->setText(platform::toDisplay(text)); }

 private:
  TfrmClean& form_;
};

TfrmClean::TfrmClean(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmClean"));
  setWindowTitle(QStringLiteral("Find and clean up temporary files"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(true);

  // Top panel: the patterns, their editor button and the drive list.
  pnlTop = new QWidget(this);
  pnlTop->setObjectName(QStringLiteral("pnlTop"));
  Label1 = new QLabel(QStringLiteral("Temporary file types to search and clean."), pnlTop);
  Label1->setObjectName(QStringLiteral("Label1"));
  PickList1 = new QListWidget(pnlTop);
  PickList1->setObjectName(QStringLiteral("PickList1"));
  PickList1->setToolTip(QStringLiteral("File extensions/types of temporary files"));
  PickList1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  PickList1->setSortingEnabled(true);
  PickList1->setContextMenuPolicy(Qt::CustomContextMenu);
  btEdit = makeButton(pnlTop, "btEdit", QStringLiteral("Add/Delete"),
                      QStringLiteral("Add, delete temporary file extensions"));
  pckDrive = new QListWidget(pnlTop);
  pckDrive->setObjectName(QStringLiteral("pckDrive"));
  pckDrive->setContextMenuPolicy(Qt::CustomContextMenu);

  btScan = makeButton(pnlTop, "btScan", QStringLiteral("&Start"), QStringLiteral("Start scanning for temporary files"));
  btClose = makeButton(pnlTop, "btClose", QStringLiteral("Close"), QStringLiteral("Close window"));
  btAbort = makeButton(pnlTop, "btAbort", QStringLiteral("&Abort"), QStringLiteral("Abort scan"));
  btMark = makeButton(pnlTop, "btMark", QStringLiteral("&Mark"),
                      QStringLiteral("Mark file for deletion (double click on grid also works)"));
  btDelete = makeButton(pnlTop, "btDelete", QStringLiteral("Clean?"), QStringLiteral("Clean up marked files"));
  btOptions = makeButton(pnlTop, "btOptions", QStringLiteral("Options"),
                         QStringLiteral("Right click on grid for same options"));
  btBrowse = makeButton(pnlTop, "btBrowse", QStringLiteral("&Browse"), QStringLiteral("Browse this file and folder"));
  btDetails = makeButton(pnlTop, "btDetails", QStringLiteral("&Details"), QStringLiteral("View more file details"));

  auto* patterns = new QVBoxLayout;
  patterns->addWidget(Label1);
  auto* patternRow = new QHBoxLayout;
  patternRow->addWidget(PickList1, 1);
  patternRow->addWidget(btEdit, 0, Qt::AlignTop);
  patterns->addLayout(patternRow, 1);

  // Abort and Mark share one place; only one of them shows at a time.
  auto* abortOrMark = new QWidget(pnlTop);
  auto* stack = new QHBoxLayout(abortOrMark);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->addWidget(btAbort);
  stack->addWidget(btMark);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btScan);
  buttons->addWidget(btClose);
  buttons->addWidget(abortOrMark);
  buttons->addWidget(btDelete);
  buttons->addWidget(btOptions);
  buttons->addWidget(btBrowse);
  buttons->addWidget(btDetails);
  buttons->addStretch();
  patterns->addLayout(buttons);

  auto* top = new QHBoxLayout(pnlTop);
  top->setContentsMargins(0, 0, 0, 0);
  top->addLayout(patterns, 1);
  top->addWidget(pckDrive);
  pckDrive->setFixedWidth(200);
  PickList1->setMinimumHeight(90);

  // The grid and its status line.
  grid = new ResultGrid(quickCleanGridSpec(), this);
  grid->view()->setToolTip(QStringLiteral("Double click to mark for deletion"));
  pnlSel = new QLabel(this);
  pnlSel->setObjectName(QStringLiteral("pnlSel"));
  pnlSel->setFrameShape(QFrame::StyledPanel);
  pnlSel->setTextFormat(Qt::PlainText);
  grid->setStatusSink([this](const QString& text) { pnlSel->setText(text); });
  grid->setCleanButton(btDelete);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pnlTop);
  layout->addWidget(grid->view(), 1);
  layout->addWidget(pnlSel);

  // The grid's popup menu, shared by the drive list.
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Details1 = makeAction(PopupMenu1, "Details1", QStringLiteral("Details"));
  Highlight1 = makeAction(PopupMenu1, "Highlight1", QStringLiteral("Highlight folders on Safe Harbor list"));
  Addafoldertothelistofdrives1 =
      makeAction(PopupMenu1, "Addafoldertothelistofdrives1", QStringLiteral("Add a folder to the list of drives"));
  QMenu* sortMenu = makeSubmenu(PopupMenu1, "Sort1", QStringLiteral("Sort"));
  Sortbysize1 = makeAction(sortMenu, "Sortbysize1", QStringLiteral("&Size"));
  Sortbydate1 = makeAction(sortMenu, "Sortbydate1", QStringLiteral("&Date"));
  Sortbyaccessdate1 = makeAction(sortMenu, "Sortbyaccessdate1", QStringLiteral("&Access date"));
  Sortbyname1 = makeAction(sortMenu, "Sortbyname1", QStringLiteral("&Name"));
  Sortbytype1 = makeAction(sortMenu, "Sortbytype1", QStringLiteral("&Type"));
  QMenu* markMenu = makeSubmenu(PopupMenu1, "Mark1", QStringLiteral("Mark"));
  Markall1 = makeAction(markMenu, "Markall1", QStringLiteral("Mark all"));
  Unmarkall1 = makeAction(markMenu, "Unmarkall1", QStringLiteral("Unmark All"));
  QMenu* resizeMenu = makeSubmenu(PopupMenu1, "Resize1", QStringLiteral("Resize"));
  Shrink1 = makeAction(resizeMenu, "Shrink1", QStringLiteral("Shrink top panel"));
  Grow1 = makeAction(resizeMenu, "Grow1", QStringLiteral("Restore top panel"));
  Grow1->setEnabled(false);
  Run1 = makeAction(PopupMenu1, "Run1", QStringLiteral("Run"));
  View1 = makeAction(PopupMenu1, "View1", QStringLiteral("View"));
  Print1 = makeAction(PopupMenu1, "Print1", QStringLiteral("Print"));
  QMenu* clipMenu = makeSubmenu(PopupMenu1, "Clipboard1", QStringLiteral("Clipboard"));
  Filenamesonly1 = makeAction(clipMenu, "Filenamesonly1", QStringLiteral("Filenames only"));
  Entiregrid1 = makeAction(clipMenu, "Entiregrid1", QStringLiteral("Entire grid separated by tabs"));
  Webpage1 = makeAction(PopupMenu1, "Webpage1", QStringLiteral("Web page"));

  PopupMenu2 = new QMenu(this);
  PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
  SelectAll2 = makeAction(PopupMenu2, "SelectAll2", QStringLiteral("Select All"));
  DeselectAll2 = makeAction(PopupMenu2, "DeselectAll2", QStringLiteral("Deselect All"));

  grid->setSortActions({Sortbysize1, Sortbydate1, Sortbyaccessdate1, Sortbyname1, Sortbytype1});
  grid->setHighlightAction(Highlight1);

  connectPopupMenu(PopupMenu1, {grid->view(), pckDrive}, btOptions);
  connectPopupMenu(PopupMenu2, {PickList1}, nullptr);

  connect(btScan, &QPushButton::clicked, this, &TfrmClean::btScanClick);
  connect(btClose, &QPushButton::clicked, this, &TfrmClean::reject);
  connect(btAbort, &QPushButton::clicked, this, &TfrmClean::btAbortClick);
  connect(btMark, &QPushButton::clicked, grid, &ResultGrid::DeleteAllFiles);
  connect(btDelete, &QPushButton::clicked, this, &TfrmClean::btDeleteClick);
  connect(btBrowse, &QPushButton::clicked, this, [this] { grid->BrowseDirectory1Click(); });
  connect(btDetails, &QPushButton::clicked, grid, &ResultGrid::Details1Click);
  connect(btEdit, &QPushButton::clicked, this, &TfrmClean::btEditClick);
  connect(pckDrive, &QListWidget::itemChanged, this, &TfrmClean::pckDriveClick);
  connectGridCommands(grid, {Details1, Markall1, Unmarkall1, Run1, View1, Filenamesonly1, Entiregrid1, Webpage1});
  connect(Addafoldertothelistofdrives1, &QAction::triggered, this, &TfrmClean::Addafoldertothelistofdrives1Click);
  connect(Shrink1, &QAction::triggered, this, &TfrmClean::Shrink1Click);
  connect(Grow1, &QAction::triggered, this, &TfrmClean::Grow1Click);
  connect(Print1, &QAction::triggered, this, &TfrmClean::btPrintClick);
  connect(SelectAll2, &QAction::triggered, this, &TfrmClean::SelectAll2Click);
  connect(DeselectAll2, &QAction::triggered, this, &TfrmClean::DeselectAll2Click);

  // Tab order follows the layout: patterns, drives, buttons, grid.
  QWidget* previous = PickList1;
  for (QWidget* next : std::initializer_list<QWidget*>{btEdit, pckDrive, btScan, btClose, btAbort, btMark, btDelete,
                                                       btOptions, btBrowse, btDetails, grid->view()}) {
    setTabOrder(previous, next);
    previous = next;
  }

  // FormCreate: placement memory, centred when nothing is stored, and the drive list.
  winPlace_ = new TWinPlace(this);
  winPlace_->IniFileName = QStringLiteral("roomval.ini");
  winPlace_->Identifier = QStringLiteral("frmMods");
  if (!winPlace_->HasStoredPlacement()) winPlace_->CentreOnFirstShow();
  fillDriveList(pckDrive, kFinderDriveKinds, true);
  // Idle state from the start, so that the first layout already has the idle buttons.
  btAbort->hide();
  setResultButtonsVisible(false);
  resize(820, 560);
}

TfrmClean::~TfrmClean() {
  // FormDestroy.
  winPlace_->SavePlacement();
}

void TfrmClean::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void TfrmClean::FormShow() {
  ReadInFromDisk();
  selectAllExtensions();
  ClearGrid();
  scanAborted = false;
  filesFound = 0;
  pnlSel->clear();
  btAbort->hide();
  setResultButtonsVisible(false);
  btScan->setEnabled(true);
  btClose->setEnabled(true);
  pckDriveClick();
  btScan->setFocus();
  layout()->activate();
  topPanelHeight_ = pnlTop->height() > 0 ? pnlTop->height() : pnlTop->sizeHint().height();
  winPlace_->RestorePlacement();
  keepTopPanelRoom(this, pnlTop);
  FormResize();
}

void TfrmClean::setResultButtonsVisible(bool visible) {
  for (QPushButton* b : {btMark, btDelete, btOptions, btBrowse, btDetails}) b->setVisible(visible);
}

void TfrmClean::ReadInFromDisk() {
  PickList1->clear();
  for (const QString& line : readTempFileLines(quickCleanDefaultPatterns())) PickList1->addItem(newSortedItem(line));
}

void TfrmClean::selectAllExtensions() { PickList1->selectAll(); }

void TfrmClean::SelectAll2Click() { PickList1->selectAll(); }

void TfrmClean::DeselectAll2Click() { PickList1->clearSelection(); }

bool TfrmClean::isThisFileTemporary(std::string_view fileName) const {
  return matcher_ && matcher_->isTemporary(fileName);
}

void TfrmClean::pckDriveClick() { btScan->setEnabled(!walking_ && checkedCount(pckDrive) > 0); }

void TfrmClean::ClearGrid() { grid->ClearGrid(); }

void TfrmClean::btScanClick() {
  QStringList selected;
  for (int i = 0; i < PickList1->count(); ++i)
    if (PickList1->item(i)->isSelected()) selected << PickList1->item(i)->text();
  if (selected.isEmpty()) {
    showError(QStringLiteral("Select at least one file extension"));
    return;
  }
  matcher_ = std::make_unique<TempMatcher>(selected);
  {
    HintsOff quiet(this);
    ClearGrid();
    scan();
  }
  // The size item's next direction: the first Start lists the largest file first.
  Sortbysize1Click();
}

void TfrmClean::Sortbysize1Click() { grid->sortByItem(kSizeItem); }

void TfrmClean::setWalkingState(bool walking) {
  walking_ = walking;
  btAbort->setVisible(walking);
  if (walking) setResultButtonsVisible(false);
  btScan->setEnabled(!walking);
  btClose->setEnabled(!walking);
  pckDrive->setEnabled(!walking);
  PickList1->setEnabled(!walking);
  btEdit->setEnabled(!walking);
  Addafoldertothelistofdrives1->setEnabled(!walking);  // the drive list is being walked
  if (walking)
    grid->view()->viewport()->setCursor(Qt::WaitCursor);
  else
    grid->view()->viewport()->unsetCursor();
}

void TfrmClean::scan() {
  filesFound = 0;
  scanAborted = false;
  setWalkingState(true);
  {
    Visitor visitor(*this);
    Walker walker(WalkVariant::quickClean(), visitor, scanAborted);
    walker.setPumpInterval(pumpIntervalMs);
    walker.scanAllDrives(checkedTargets(pckDrive));
  }
  grid->finishFill();
  grid->walkEnded();
  setWalkingState(false);
  pckDriveClick();
  if (filesFound == 0) {
    pnlSel->clear();
    showInfo(QStringLiteral("No files found."));
    return;
  }
  setResultButtonsVisible(true);
  btDelete->setEnabled(false);
  pnlSel->setText(formatThousands(filesFound) + QStringLiteral(" tempfiles found"));
}

void TfrmClean::btAbortClick() {
  scanAborted = true;
  btAbort->hide();
  showWarning(QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER"));
}

void TfrmClean::btEditClick() {
  {
    TfrmTempFiles editor(this);
    editor.exec();
  }
  // Read again, nothing selected: the user chooses before the next Start.
  ReadInFromDisk();
}

void TfrmClean::btDeleteClick() {
  if (grid->handOver(QStringLiteral("TempClean"))) accept();
}

QString TfrmClean::printTitle() const {
  QString title = QStringLiteral("Temporary files on drive(s) ");
  for (const ScanTarget& target : checkedTargets(pckDrive))
    title += platform::toDisplay(target.path) + QLatin1Char(' ');
  return title;
}

void TfrmClean::btPrintClick() { grid->print(printTitle()); }

void TfrmClean::Shrink1Click() { shrinkTopPanel(pnlTop, Shrink1, Grow1); }

void TfrmClean::Grow1Click() { restoreTopPanel(pnlTop, topPanelHeight_, Shrink1, Grow1); }

void TfrmClean::Addafoldertothelistofdrives1Click() {
  addFolderToDriveList(this, pckDrive, kFinderDriveKinds);
  pckDriveClick();
}

void TfrmClean::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TfrmClean::FormResize() {
  const double scale = logicalDpiX() / 96.0;
  std::vector<int> widths;
  for (int w : {64, 64, 64, 64, 296}) widths.push_back(static_cast<int>(w * scale));
  widths.push_back(std::max(width() - 577, 40));
  grid->setColumnWidths(widths);
}

void TfrmClean::reject() {
  // The window cannot go away under a running walk (Escape, the close box).
  if (walking_) return;
  QDialog::reject();
}

}  // namespace roomvale
