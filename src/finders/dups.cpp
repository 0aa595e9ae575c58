#include "finders/dups.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

#include "finders/dupcompare.h"
#include "finders/finderparts.h"
#include "foundation/crc.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/pump.h"
#include "foundation/winplace.h"
#include "platform/paths.h"
#include "scan/drivelist.h"
#include "scan/resultgrid.h"
#include "scan/targets.h"
#include "scan/walk.h"

namespace roomvale {

int openDuplicates(QWidget* owner, bool findDuplicates) {
  TfrmDup window(findDuplicates, owner);
  return window.exec();
}

// Each listed file inside the size bounds becomes a line of the hidden working list.
class TfrmDup::Visitor final : public WalkVisitor {
 public:
  explicit Visitor(TfrmDup& form) : form_(form) {}

  void entry(const std::string& folder, const platform::DirEntry& e) override {
    if (!form_.bounds_.passes(e.size)) return;
    if (form_.lbList_.add(folder, e)) return;
    form_.scanAborted = true;
    showWarning(QStringLiteral("Due to resource limitations ... cannot process any more files.") +
                QStringLiteral("\r\r") +
                QStringLiteral("Try increasing the file size limits or file match and re-scan."));
  }

  void showStatus(const std::string& text) override { form_.pnlSel->setText(platform::toDisplay(text)); }

 private:
  TfrmDup& form_;
};

TfrmDup::TfrmDup(bool duplicates, QWidget* parent) : QDialog(parent), findDuplicates(duplicates) {
  setObjectName(QStringLiteral("frmDup"));
  setWindowTitle(findDuplicates ? QStringLiteral("Find and delete duplicate files")
                                : QStringLiteral("Find and delete file hogs"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(true);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  rbLarger = new QRadioButton(QStringLiteral("Larger or equal to"), Panel1);
  rbLarger->setObjectName(QStringLiteral("rbLarger"));
  rbSmaller = new QRadioButton(QStringLiteral("Smaller or equal to"), Panel1);
  rbSmaller->setObjectName(QStringLiteral("rbSmaller"));
  rbBetween = new QRadioButton(QStringLiteral("In between"), Panel1);
  rbBetween->setObjectName(QStringLiteral("rbBetween"));
  rbLarger->setChecked(true);
  auto number = [this](const char* name) {
    auto* box = new QSpinBox(Panel1);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, 10000);
    box->setValue(250);
    return box;
  };
  num1 = number("num1");
  lblAnd = makeLabel(Panel1, "lblAnd", QStringLiteral("and"));
  num2 = number("num2");
  cbKB1 = new QComboBox(Panel1);
  cbKB1->setObjectName(QStringLiteral("cbKB1"));
  cbKB1->addItems({QStringLiteral("bytes"), QStringLiteral("KB")});
  cbKB1->setCurrentIndex(1);
  Label3 = makeLabel(Panel1, "Label3", QStringLiteral("Matching"));
  cbWildCard = new QComboBox(Panel1);
  cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
  cbWildCard->setEditable(true);
  cbWildCard->setInsertPolicy(QComboBox::NoInsert);
  cbWildCard->setMinimumWidth(110);
  cbWildCard->setEditText(QStringLiteral("*.*"));
  lblWild = makeLabel(Panel1, "lblWild", QStringLiteral("All files"));
  lblWild->setTextFormat(Qt::PlainText);
  lblDup = makeLabel(Panel1, "lblDup", QStringLiteral("Duplicates matching on : "));
  cbDup = new QComboBox(Panel1);
  cbDup->setObjectName(QStringLiteral("cbDup"));
  cbDup->addItems(matchModeTexts());
  pckDrive = new QListWidget(Panel1);
  pckDrive->setObjectName(QStringLiteral("pckDrive"));
  pckDrive->setContextMenuPolicy(Qt::CustomContextMenu);

  btScan = makeButton(
      Panel1, "btScan", QStringLiteral("&Start"),
      findDuplicates ? QStringLiteral("Duplicates on file name only") : QStringLiteral("Start scanning for file hogs"));
  btScan->setDefault(true);
  btClose = makeButton(Panel1, "btClose", QStringLiteral("Close"), QStringLiteral("Close window"));
  btAbort = makeButton(Panel1, "btAbort", QStringLiteral("&Abort"), QStringLiteral("Abort scan"));
  btMark = makeButton(Panel1, "btMark", QStringLiteral("&Mark"),
                      QStringLiteral("Mark file for deletion (double click on grid also works)"));
  btDelete = makeButton(Panel1, "btDelete", QStringLiteral("Clean?"), QStringLiteral("Clean up marked files"));
  btOptions = makeButton(Panel1, "btOptions", QStringLiteral("Options"),
                         QStringLiteral("Right click on grid for same options"));
  btBrowse = makeButton(Panel1, "btBrowse", QStringLiteral("&Browse"), QStringLiteral("Browse this file and folder"));
  btDetails = makeButton(Panel1, "btDetails", QStringLiteral("&Details"), QStringLiteral("View more file details"));
  btCompare = makeButton(Panel1, "btCompare", QStringLiteral("P&airs"), QStringLiteral("Compare file pairs"));

  auto* sizeRow = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{num1, lblAnd, num2, cbKB1}) sizeRow->addWidget(w);
  sizeRow->addStretch();
  auto* radios = new QVBoxLayout;
  radios->addWidget(rbLarger);
  radios->addWidget(rbSmaller);
  radios->addWidget(rbBetween);
  auto* wild = new QHBoxLayout;
  wild->addWidget(Label3);
  wild->addWidget(cbWildCard);
  wild->addWidget(lblWild, 1);
  auto* dupRow = new QHBoxLayout;
  dupRow->addWidget(lblDup);
  dupRow->addWidget(cbDup);
  dupRow->addStretch();
  auto* criteria = new QVBoxLayout;
  criteria->addLayout(sizeRow);
  criteria->addLayout(wild);
  criteria->addLayout(dupRow);
  criteria->addStretch();
  auto* choices = new QHBoxLayout;
  choices->addLayout(radios);
  choices->addLayout(criteria, 1);

  // Abort is shown in Mark's place; only one of them shows at a time.
  auto* abortOrMark = new QWidget(Panel1);
  auto* stack = new QHBoxLayout(abortOrMark);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->addWidget(btAbort);
  stack->addWidget(btMark);
  auto* buttons = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{btScan, btClose, abortOrMark, btDelete, btOptions, btBrowse,
                                                    btDetails, btCompare})
    buttons->addWidget(w);
  buttons->addStretch();

  auto* left = new QVBoxLayout;
  left->addLayout(choices);
  left->addLayout(buttons);
  auto* top = new QHBoxLayout(Panel1);
  top->setContentsMargins(0, 0, 8, 0);
  top->addLayout(left, 1);
  top->addWidget(pckDrive);
  pckDrive->setFixedWidth(200);
  pckDrive->setMaximumHeight(150);

  grid = new ResultGrid(findDuplicates ? duplicatesGridSpec() : fileHogsGridSpec(), this);
  grid->view()->setToolTip(QStringLiteral("Double click to mark for deletion, right click for options"));
  pnlSel = makeStatusBar(this, "pnlSel");
  grid->setStatusSink([this](const QString& text) { pnlSel->setText(text); });
  grid->setCleanButton(btDelete);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Panel1);
  layout->addWidget(grid->view(), 1);
  layout->addWidget(pnlSel);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Details1 = makeAction(PopupMenu1, "Details1", QStringLiteral("Details"));
  HighlightDups = makeAction(PopupMenu1, "HighlightDups", QStringLiteral("Highlight folders on Safe Harbor list"));
  Addafoldertothelistofdrives1 =
      makeAction(PopupMenu1, "Addafoldertothelistofdrives1", QStringLiteral("Add a folder to the list of drives"));
  Sort1 = makeSubmenu(PopupMenu1, "Sort1", QStringLiteral("Sort"));
  Sortbysize1 = makeAction(Sort1, "Sortbysize1", QStringLiteral("&Size"));
  SortbyDate1 = makeAction(Sort1, "SortbyDate1", QStringLiteral("&Date"));
  SortbyAccessDate1 = makeAction(Sort1, "SortbyAccessDate1", QStringLiteral("&Access Date"));
  SortbyName1 = makeAction(Sort1, "SortbyName1", QStringLiteral("&Name"));
  SortbyType1 = makeAction(Sort1, "SortbyType1", QStringLiteral("&Type"));
  Sort1->menuAction()->setVisible(!findDuplicates);
  QMenu* markMenu = makeSubmenu(PopupMenu1, "Mark1", QStringLiteral("Mark"));
  Markall1 = makeAction(markMenu, "Markall1", QStringLiteral("Mark all"));
  Unmarkall1 = makeAction(markMenu, "Unmarkall1", QStringLiteral("Unmark all"));
  MarkButFirst1 = makeAction(markMenu, "MarkButFirst1", QStringLiteral("Mark all but the first of each group"));
  MarkButNewest1 = makeAction(markMenu, "MarkButNewest1", QStringLiteral("Mark all but the newest of each group"));
  MarkButOldest1 = makeAction(markMenu, "MarkButOldest1", QStringLiteral("Mark all but the oldest of each group"));
  MarkInFolder1 = makeAction(markMenu, "MarkInFolder1", QStringLiteral("Mark every copy in a folder..."));
  for (QAction* a : {MarkButFirst1, MarkButNewest1, MarkButOldest1, MarkInFolder1}) a->setVisible(findDuplicates);
  QMenu* resizeMenu = makeSubmenu(PopupMenu1, "Resize1", QStringLiteral("Resize"));
  Shrink1 = makeAction(resizeMenu, "Shrink1", QStringLiteral("Shrink top panel"));
  Grow1 = makeAction(resizeMenu, "Grow1", QStringLiteral("Restore top panel"));
  Grow1->setEnabled(false);
  Run1 = makeAction(PopupMenu1, "Run1", QStringLiteral("Open"));
  View1 = makeAction(PopupMenu1, "View1", QStringLiteral("View"));
  Print1 = makeAction(PopupMenu1, "Print1", QStringLiteral("Print"));
  QMenu* clipMenu = makeSubmenu(PopupMenu1, "Clipboard1", QStringLiteral("Clipboard"));
  Filenamesonly1 = makeAction(clipMenu, "Filenamesonly1", QStringLiteral("Filenames only"));
  Entiregrid1 = makeAction(clipMenu, "Entiregrid1", QStringLiteral("Entire grid separated by tabs"));
  WebPage1 = makeAction(PopupMenu1, "WebPage1", QStringLiteral("Web page"));

  if (!findDuplicates) grid->setSortActions({Sortbysize1, SortbyDate1, SortbyAccessDate1, SortbyName1, SortbyType1});
  grid->setHighlightAction(HighlightDups);

  connectPopupMenu(PopupMenu1, {grid->view(), pckDrive}, btOptions);

  connect(btScan, &QPushButton::clicked, this, &TfrmDup::btScanClick);
  connect(btClose, &QPushButton::clicked, this, &TfrmDup::reject);
  connect(btAbort, &QPushButton::clicked, this, &TfrmDup::btAbortClick);
  connect(btMark, &QPushButton::clicked, grid, &ResultGrid::DeleteAllFiles);
  connect(btDelete, &QPushButton::clicked, this, &TfrmDup::btDeleteClick);
  connect(btDetails, &QPushButton::clicked, grid, &ResultGrid::Details1Click);
  connect(btBrowse, &QPushButton::clicked, this, [this] { grid->BrowseDirectory1Click(cbWildCard->currentText()); });
  connect(btCompare, &QPushButton::clicked, this, &TfrmDup::btCompareClick);
  connect(pckDrive, &QListWidget::itemChanged, this, &TfrmDup::pckDriveClick);
  for (QRadioButton* rb : {rbLarger, rbSmaller, rbBetween})
    connect(rb, &QRadioButton::toggled, this, &TfrmDup::rbLargerClick);
  connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmDup::cbWildCardChange);
  connectGridCommands(grid, {Details1, Markall1, Unmarkall1, Run1, View1, Filenamesonly1, Entiregrid1, WebPage1});
  connect(Addafoldertothelistofdrives1, &QAction::triggered, this, &TfrmDup::Addafoldertothelistofdrives1Click);
  connect(MarkButFirst1, &QAction::triggered, this, [this] { markAllBut(KeepCopy::First); });
  connect(MarkButNewest1, &QAction::triggered, this, [this] { markAllBut(KeepCopy::Newest); });
  connect(MarkButOldest1, &QAction::triggered, this, [this] { markAllBut(KeepCopy::Oldest); });
  connect(MarkInFolder1, &QAction::triggered, this, &TfrmDup::MarkInFolderClick);
  connect(Shrink1, &QAction::triggered, this, &TfrmDup::Shrink1Click);
  connect(Grow1, &QAction::triggered, this, &TfrmDup::Grow1Click);
  connect(Print1, &QAction::triggered, this, &TfrmDup::btPrintClick);

  // FormCreate: placement memory by mode, centred when nothing is stored, and the drive list.
  winPlace_ = new TWinPlace(this);
  winPlace_->IniFileName = QStringLiteral("roomval.ini");
  winPlace_->Identifier = findDuplicates ? QStringLiteral("frmDups") : QStringLiteral("frmMods");
  if (!winPlace_->HasStoredPlacement()) winPlace_->CentreOnFirstShow();
  fillDriveList(pckDrive, kFinderDriveKinds, true);
  cbDup->setCurrentIndex(static_cast<int>(MatchMode::FilenameAndSize));
  btAbort->hide();
  setResultButtonsVisible(false);
  resize(900, 600);
}

TfrmDup::~TfrmDup() {
  hideDupCompareWindow();
  // FormDestroy.
  winPlace_->SavePlacement();
}

void TfrmDup::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void TfrmDup::FormShow() {
  cbKB1->setCurrentIndex(1);
  num1->setValue(250);
  num2->setValue(250);
  ClearGrid();
  scanAborted = false;
  pnlSel->clear();
  btAbort->hide();
  setResultButtonsVisible(false);
  btScan->setEnabled(true);
  btClose->setEnabled(true);
  cbDup->setVisible(findDuplicates);
  lblDup->setVisible(findDuplicates);
  pckDriveClick();
  // The wildcard list: "*.*", then every registered extension.
  const QString wildcard = cbWildCard->currentText();
  cbWildCard->clear();
  cbWildCard->addItems(listRegisteredExtensions(true));
  cbWildCard->setEditText(wildcard);
  cbWildCardChange();
  rbLargerClick();
  btScan->setFocus();
  layout()->activate();
  topPanelHeight_ = Panel1->height() > 0 ? Panel1->height() : Panel1->sizeHint().height();
  winPlace_->RestorePlacement();
  keepTopPanelRoom(this, Panel1);
  FormResize();
}

int TfrmDup::matchMode() const { return std::max(cbDup->currentIndex(), 0); }

SizeBounds TfrmDup::bounds() const {
  const SizeCompare compare = rbBetween->isChecked()   ? SizeCompare::InBetween
                              : rbSmaller->isChecked() ? SizeCompare::SmallerOrEqual
                                                       : SizeCompare::LargerOrEqual;
  return sizeBounds(compare, num1->value(), num2->value(), cbKB1->currentIndex() == 1);
}

void TfrmDup::setResultButtonsVisible(bool visible) {
  for (QPushButton* b : {btMark, btDelete, btOptions, btBrowse, btDetails}) b->setVisible(visible);
  btCompare->setVisible(visible && findDuplicates);
}

void TfrmDup::rbLargerClick() {
  const bool between = rbBetween->isChecked();
  num2->setVisible(between);
  lblAnd->setVisible(between);
}

void TfrmDup::pckDriveClick() { btScan->setEnabled(!walking_ && !computing_ && checkedCount(pckDrive) > 0); }

void TfrmDup::cbWildCardChange() {
  const QString text = cbWildCard->currentText();
  lblWild->setText(text == QStringLiteral("*.*") ? QStringLiteral("All files") : fileTypeDescription(text.mid(1)));
}

void TfrmDup::btScanClick() {
  if (rbBetween->isChecked() && num2->value() < num1->value()) {
    showError(QStringLiteral("The second number must be larger or equal than the first number"));
    return;
  }
  crcFlag_ = false;
  eliminateFlag_ = false;
  if (findDuplicates) {
    runMode_ = matchMode();
    if (matchModeOffersChecksum(runMode_)) {
      crcFlag_ = confirm(QStringLiteral("Compute CRC for the list of duplicates?  This results in a precise duplicate "
                                        "match since it is comparing the contents of the files.  However, it is much "
                                        "slower to compute."),
                         Buttons::YesNo) != Answer::No;
      if (crcFlag_)
        eliminateFlag_ = confirm(QStringLiteral("Eliminate those duplicates that do not have the same CRC values?  "
                                                "This results in a smaller list."),
                                 Buttons::YesNo) != Answer::No;
    }
  }
  HintsOff quiet(this);
  ClearGrid();
  scan();
}

void TfrmDup::ClearGrid() {
  grid->ClearGrid();
  if (findDuplicates) grid->model()->setHeaderText(kDupLastColumn, QStringLiteral("Type"));
}

void TfrmDup::setWalkingState(bool walking) {
  walking_ = walking;
  btAbort->setVisible(walking);
  if (walking) setResultButtonsVisible(false);
  btScan->setEnabled(!walking);
  btClose->setEnabled(!walking);
  pckDrive->setEnabled(!walking);
  for (QWidget* w :
       std::initializer_list<QWidget*>{rbLarger, rbSmaller, rbBetween, num1, num2, cbKB1, cbWildCard, cbDup})
    w->setEnabled(!walking);
  Addafoldertothelistofdrives1->setEnabled(!walking);
  if (walking)
    grid->view()->viewport()->setCursor(Qt::WaitCursor);
  else
    grid->view()->viewport()->unsetCursor();
}

void TfrmDup::scan() {
  lbList_.reset(workingListCapacity);
  bounds_ = bounds();
  scanAborted = false;
  setWalkingState(true);
  {
    Visitor visitor(*this);
    Walker walker(WalkVariant::duplicates(platform::fromDisplay(cbWildCard->currentText().trimmed())), visitor,
                  scanAborted);
    walker.setPumpInterval(pumpIntervalMs);
    walker.scanAllDrives(checkedTargets(pckDrive));
  }
  pnlSel->clear();
  const int filled = findDuplicates ? addDups(lbList_, static_cast<MatchMode>(runMode_), grid->data())
                                    : addFileHogs(lbList_, grid->data());
  lbList_.reset(workingListCapacity);  // the lines are not needed any more
  grid->finishFill();
  // An aborted walk still goes on to the checksum phase with the rows it has.
  scanAborted = false;
  if (findDuplicates && crcFlag_ && filled > 0) ComputeCrcValues();
  if (!findDuplicates && filled > 0) {
    grid->directions()[0] = true;  // largest first
    grid->sortByItem(0);
  }
  grid->walkEnded();
  setWalkingState(false);
  pckDriveClick();
  const int rows = grid->data().rowsUsed();
  if (rows == 0) {
    showInfo(QStringLiteral("No files found."));
    return;
  }
  setResultButtonsVisible(true);
  btDelete->setEnabled(false);
  pnlSel->setText(formatThousands(rows) +
                  (findDuplicates ? QStringLiteral(" duplicates found") : QStringLiteral(" file hogs found")));
}

void TfrmDup::ComputeCrcValues() {
  GridData& data = grid->data();
  const int rows = data.rowsUsed();
  grid->model()->setHeaderText(kDupLastColumn, QStringLiteral("CRC Values"));
  grid->model()->setColumnTexts(kDupLastColumn, std::vector<QString>(static_cast<std::size_t>(rows)));
  btAbort->show();
  computing_ = true;
  std::vector<ChecksumRow> input;
  input.reserve(static_cast<std::size_t>(rows));
  for (int pos = 0; pos < rows; ++pos) input.push_back({data.rowPath(pos), data.rowById(data.rowIdAt(pos)).size});
  const ChecksumOutcome out = computeChecksums(
      input, eliminateFlag_,
      [this](int row, int count, const std::string& path) {
        if (scanAborted) return false;
        pnlSel->setText(QStringLiteral("%1 of %2").arg(row + 1).arg(count) + QStringLiteral(" computing CRC for ") +
                        platform::toDisplay(path));
        pumpEvents();
        return !scanAborted;
      },
      twinCheck);
  computing_ = false;
  btAbort->hide();

  std::vector<QString> texts(static_cast<std::size_t>(rows));
  for (int pos = 0; pos < rows; ++pos)
    if (const auto& crc = out.crc[static_cast<std::size_t>(pos)]) texts[static_cast<std::size_t>(pos)] = crcText(*crc);
  if (out.aborted) {
    // The rows keep what they have; no elimination, no new shading.
    grid->model()->setColumnTexts(kDupLastColumn, texts);
    pnlSel->clear();
    return;
  }
  if (eliminateFlag_) {
    std::vector<QString> counted(static_cast<std::size_t>(rows));
    for (int pos = 0; pos < rows; ++pos) {
      const auto& crc = out.crc[static_cast<std::size_t>(pos)];
      if (crc) counted[static_cast<std::size_t>(pos)] = twinCountText(*crc, out.copies[static_cast<std::size_t>(pos)]);
    }
    grid->model()->setColumnTexts(kDupLastColumn, counted);
    pnlSel->setText(QStringLiteral("Eliminating non CRC duplicates ... standby"));
    pumpEventsNow();
    // Each row's texts move with it, so the plain checksums are written before the rows go.
    grid->model()->setColumnTexts(kDupLastColumn, texts);
    grid->model()->removeRowsWhere([&out](int pos) { return out.copies[static_cast<std::size_t>(pos)] == 1; });
    grid->finishFill();
  } else {
    grid->model()->setColumnTexts(kDupLastColumn, texts);
  }
  shadeByColumn(data, kDupLastColumn);
  grid->model()->setShading(true);
  pnlSel->clear();
}

void TfrmDup::btAbortClick() {
  scanAborted = true;
  btAbort->hide();
  showWarning(computing_ ? QStringLiteral("CRC values incomplete ... aborted by user")
                         : QStringLiteral("List incomplete ... aborted by user"));
}

void TfrmDup::MarkThisFile(int row) {
  grid->deleteOneFile(row);
  grid->updateCleanButton();
}

void TfrmDup::markRows(const std::vector<int>& rows) {
  for (int pos : rows) grid->deleteOneFile(pos);
  grid->updateCleanButton();
  pnlSel->setText(grid->data().markStatusText());
}

void TfrmDup::markAllBut(KeepCopy keep) {
  grid->clearAllMarks();
  markRows(rowsToMarkKeeping(grid->data(), keep));
}

void TfrmDup::MarkInFolderClick() {
  const auto folder = prompts().chooseFolder(QStringLiteral("Mark every copy in a folder"),
                                             QStringLiteral("Mark the copies below this folder"), std::string());
  if (!folder || folder->empty()) return;
  markRows(rowsToMarkBelow(grid->data(), *folder));
}

void TfrmDup::btDeleteClick() {
  if (findDuplicates) {
    const int whole = groupsFullyMarked(grid->data());
    if (whole > 0 &&
        confirm(QStringLiteral("All copies of %1 group(s) are marked. Deleting them keeps no copy of those files. "
                               "Continue?")
                    .arg(whole),
                Buttons::YesNo) != Answer::Yes)
      return;
  }
  if (grid->handOver(QStringLiteral("Duplicates"))) accept();
}

void TfrmDup::btCompareClick() { dupCompareWindow()->showPairs(this); }

QString TfrmDup::printTitle() const {
  const SizeBounds b = bounds();
  QStringList targets;
  for (const ScanTarget& target : checkedTargets(pckDrive)) targets << platform::toDisplay(target.path);
  return dupPrintTitle(findDuplicates, b.compare, num1->value(), num2->value(), cbKB1->currentText(),
                       cbWildCard->currentText(), targets);
}

void TfrmDup::btPrintClick() { grid->print(printTitle()); }

void TfrmDup::Shrink1Click() { shrinkTopPanel(Panel1, Shrink1, Grow1); }

void TfrmDup::Grow1Click() { restoreTopPanel(Panel1, topPanelHeight_, Shrink1, Grow1); }

void TfrmDup::Addafoldertothelistofdrives1Click() {
  addFolderToDriveList(this, pckDrive, kFinderDriveKinds);
  pckDriveClick();
}

void TfrmDup::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TfrmDup::FormResize() {
  if (findDuplicates)
    setFinderColumnWidths(*grid, {93, 58, 64, 70, 70, 184}, logicalDpiX(), width());
  else
    setFinderColumnWidths(*grid, {64, 64, 64, 64, 296}, logicalDpiX(), width());
}

void TfrmDup::reject() {
  if (walking_ || computing_) return;
  QDialog::reject();
}

}  // namespace roomvale
