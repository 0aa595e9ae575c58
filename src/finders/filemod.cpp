#include "finders/filemod.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

#include "finders/finderparts.h"
#include "foundation/clock.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/winplace.h"
#include "platform/paths.h"
#include "scan/drivelist.h"
#include "scan/resultgrid.h"
#include "scan/targets.h"
#include "scan/walk.h"

namespace roomvale {

GridSpec filesByDateGridSpec() {
  GridSpec shape;
  shape.kind = QStringLiteral("frmMods");
  shape.columns = {{QStringLiteral("Filename"), CellField::Name, false},
                   {QStringLiteral("Accessed"), CellField::AccessDate, false},
                   {QStringLiteral("Created"), CellField::CreationDate, false},
                   {QStringLiteral("Modified"), CellField::WriteDate, false},
                   {QStringLiteral("Size"), CellField::Size, true},
                   {QStringLiteral("Folder"), CellField::Folder, false},
                   {QStringLiteral("Type"), CellField::Type, false}};
  shape.markColumn = 0;
  shape.highlightColumn = 5;
  shape.highlightIsFile = false;
  shape.sortItems = {{QStringLiteral("&Name"), 0, SortKind::Text, false},
                     {QStringLiteral("Access &Date"), 1, SortKind::Date, true},
                     {QStringLiteral("&Creation Date"), 2, SortKind::Date, true},
                     {QStringLiteral("&Modification Date"), 3, SortKind::Date, true},
                     {QStringLiteral("&Size"), 4, SortKind::Number, false},
                     {QStringLiteral("&Folder"), 5, SortKind::Text, false},
                     {QStringLiteral("&Type"), 6, SortKind::Text, false}};
  shape.defaultSortItem = 0;
  return shape;
}

int openFilesByDate(QWidget* owner) {
  TfrmMods window(owner);
  return window.exec();
}

// ---------------------------------------------------------------------------------------

TDateField::TDateField(const char* name, QWidget* parent) : QWidget(parent) {
  setObjectName(QString::fromLatin1(name));
  edit = new QLineEdit(this);
  edit->setObjectName(QString::fromLatin1(name) + QStringLiteral("Edit"));
  btCalendar = new QToolButton(this);
  btCalendar->setObjectName(QString::fromLatin1(name) + QStringLiteral("Calendar"));
  btCalendar->setText(QStringLiteral("..."));
  btCalendar->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edit);
  layout->addWidget(btCalendar);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12);
  setFocusProxy(edit);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  connect(edit, &QLineEdit::editingFinished, this, &TDateField::editFinished);
  connect(btCalendar, &QToolButton::clicked, this, &TDateField::pickFromCalendar);
}

QString TDateField::text() const { return edit->text(); }

std::optional<QDate> TDateField::date() const { return readShortDate(edit->text()); }

void TDateField::setDate(const QDate& date) {
  last_ = date;
  edit->setText(dateFieldText(date));
}

void TDateField::editFinished() {
  const auto d = date();
  if (!d || *d == last_) return;
  last_ = *d;
  emit dateChanged(*d);
}

void TDateField::pickFromCalendar() {
  QMenu popup(this);
  auto* calendar = new QCalendarWidget(&popup);
  calendar->setObjectName(QStringLiteral("calendar"));
  calendar->setSelectedDate(date().value_or(now().date()));
  auto* holder = new QWidgetAction(&popup);
  holder->setDefaultWidget(calendar);
  popup.addAction(holder);
  connect(calendar, &QCalendarWidget::clicked, &popup, [&](const QDate& picked) {
    popup.close();
    setDate(picked);
    emit dateChanged(picked);
  });
  popup.exec(mapToGlobal(QPoint(0, height())));
}

// ---------------------------------------------------------------------------------------

// Each listed file whose chosen date is in range becomes a row. The choices that stay usable
// while walking are read afresh for every file.
class TfrmMods::Visitor final : public WalkVisitor {
 public:
  explicit Visitor(TfrmMods& form) : form_(form) {}

  void entry(const std::string& folder, const platform::DirEntry& e) override {
    GridFile file;
    if (fileDateRow(folder, e, form_.kind_, form_.range_, form_.wildcard_, file) && form_.grid->addFile(file) >= 0)
      ++form_.filesFound_;
  }

  void showStatus(const std::string& text) override { form_.pnlScan->setText(platform::toDisplay(text)); }

 private:
  TfrmMods& form_;
};

TfrmMods::TfrmMods(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmMods"));
  setWindowTitle(QStringLiteral("Files in a range of dates"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(true);

  pnlTop = new QWidget(this);
  pnlTop->setObjectName(QStringLiteral("pnlTop"));
  rgWhat = new TRadioGroup(
      "rgWhat", QStringLiteral("Search for files that were"),
      {QStringLiteral("Last accessed"), QStringLiteral("Created"), QStringLiteral("Last modified")}, pnlTop);
  rgWhen = new TRadioGroup(
      "rgWhen", QString(),
      {QStringLiteral("On or Before"), QStringLiteral("In between"), QStringLiteral("On or After")}, pnlTop);
  rgWhat->setItemIndex(0);
  rgWhen->setItemIndex(1);
  dtStart = new TDateField("dtStart", pnlTop);
  lblAnd = makeLabel(pnlTop, "lblAnd", QStringLiteral("and"));
  dtEnd = new TDateField("dtEnd", pnlTop);
  Label1 = makeLabel(pnlTop, "Label1", QStringLiteral("Wildcard match"));
  cbWildCard = new QComboBox(pnlTop);
  cbWildCard->setObjectName(QStringLiteral("cbWildCard"));
  cbWildCard->setEditable(true);
  cbWildCard->setInsertPolicy(QComboBox::NoInsert);
  cbWildCard->setToolTip(QStringLiteral("Wildcard pattern for matching file types"));
  cbWildCard->setMinimumWidth(110);
  cbWildCard->setEditText(QStringLiteral("*.*"));
  lblWild = makeLabel(pnlTop, "lblWild", QStringLiteral("All files"));
  lblWild->setTextFormat(Qt::PlainText);
  pckDrive = new QListWidget(pnlTop);
  pckDrive->setObjectName(QStringLiteral("pckDrive"));
  pckDrive->setContextMenuPolicy(Qt::CustomContextMenu);

  btOK = makeButton(pnlTop, "btOK", QStringLiteral("&Start"), QStringLiteral("Start scanning for files"));
  btOK->setDefault(true);
  btClose = makeButton(pnlTop, "btClose", QStringLiteral("Close"), QStringLiteral("Close window"));
  btMark = makeButton(pnlTop, "btMark", QStringLiteral("&Mark"), QStringLiteral("Mark files for deletion"));
  btAbort = makeButton(pnlTop, "btAbort", QStringLiteral("&Abort"), QStringLiteral("Abort scan"));
  btDelete = makeButton(pnlTop, "btDelete", QStringLiteral("Clean?"), QStringLiteral("Clean up marked files"));
  btOptions = makeButton(pnlTop, "btOptions", QStringLiteral("Options"),
                         QStringLiteral("Right click on grid for same options"));
  btDetails = makeButton(pnlTop, "btDetails", QStringLiteral("&Details"), QStringLiteral("View more file details"));
  btBrowse = makeButton(pnlTop, "btBrowse", QStringLiteral("&Browse"), QStringLiteral("Browse through files"));

  auto* dates = new QHBoxLayout;
  dates->addWidget(dtStart);
  dates->addWidget(lblAnd);
  dates->addWidget(dtEnd);
  dates->addStretch();
  auto* wild = new QHBoxLayout;
  wild->addWidget(Label1);
  wild->addWidget(cbWildCard);
  wild->addWidget(lblWild, 1);
  auto* criteria = new QVBoxLayout;
  criteria->addLayout(dates);
  criteria->addLayout(wild);
  criteria->addStretch();
  auto* choices = new QHBoxLayout;
  choices->addWidget(rgWhat);
  choices->addWidget(rgWhen);
  choices->addLayout(criteria, 1);

  // Abort is shown in Mark's place; only one of them shows at a time.
  auto* abortOrMark = new QWidget(pnlTop);
  auto* stack = new QHBoxLayout(abortOrMark);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->addWidget(btAbort);
  stack->addWidget(btMark);
  auto* buttons = new QHBoxLayout;
  for (QWidget* w :
       std::initializer_list<QWidget*>{btOK, btClose, abortOrMark, btDelete, btOptions, btDetails, btBrowse})
    buttons->addWidget(w);
  buttons->addStretch();

  auto* left = new QVBoxLayout;
  left->addLayout(choices);
  left->addLayout(buttons);
  auto* top = new QHBoxLayout(pnlTop);
  top->setContentsMargins(0, 0, 0, 0);
  top->addLayout(left, 1);
  top->addWidget(pckDrive);
  pckDrive->setFixedWidth(200);
  pckDrive->setMaximumHeight(150);

  grid = new ResultGrid(filesByDateGridSpec(), this);
  grid->view()->setToolTip(QStringLiteral("Double click to mark for deletion, right click for options"));
  pnlScan = makeStatusBar(this, "pnlScan");
  grid->setStatusSink([this](const QString& text) { pnlScan->setText(text); });
  grid->setCleanButton(btDelete);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pnlTop);
  layout->addWidget(grid->view(), 1);
  layout->addWidget(pnlScan);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Details1 = makeAction(PopupMenu1, "Details1", QStringLiteral("Details"));
  HighlightFolders =
      makeAction(PopupMenu1, "HighlightFolders", QStringLiteral("Highlight folders on Safe Harbor list"));
  Addafoldertolistofdrives1 =
      makeAction(PopupMenu1, "Addafoldertolistofdrives1", QStringLiteral("Add a folder to list of drives"));
  QMenu* sortMenu = makeSubmenu(PopupMenu1, "Sort1", QStringLiteral("Sort"));
  Sortbyname1 = makeAction(sortMenu, "Sortbyname1", QStringLiteral("&Name"));
  SortbyAccessDate1 = makeAction(sortMenu, "SortbyAccessDate1", QStringLiteral("Access &Date"));
  SortbyCreationDate1 = makeAction(sortMenu, "SortbyCreationDate1", QStringLiteral("&Creation Date"));
  SortbyModificationDate1 = makeAction(sortMenu, "SortbyModificationDate1", QStringLiteral("&Modification Date"));
  SortbySize1 = makeAction(sortMenu, "SortbySize1", QStringLiteral("&Size"));
  SortbyFolder1 = makeAction(sortMenu, "SortbyFolder1", QStringLiteral("&Folder"));
  SortbyType1 = makeAction(sortMenu, "SortbyType1", QStringLiteral("&Type"));
  QMenu* markMenu = makeSubmenu(PopupMenu1, "Mark1", QStringLiteral("Mark"));
  Markall1 = makeAction(markMenu, "Markall1", QStringLiteral("Mark all"));
  Unmarkall1 = makeAction(markMenu, "Unmarkall1", QStringLiteral("Unmark all"));
  QMenu* resizeMenu = makeSubmenu(PopupMenu1, "Resize1", QStringLiteral("Resize"));
  Shrinktoppanel1 = makeAction(resizeMenu, "Shrinktoppanel1", QStringLiteral("Shrink top panel"));
  Restoretoppanel1 = makeAction(resizeMenu, "Restoretoppanel1", QStringLiteral("Restore top panel"));
  Restoretoppanel1->setEnabled(false);
  Run1 = makeAction(PopupMenu1, "Run1", QStringLiteral("Open"));
  View1 = makeAction(PopupMenu1, "View1", QStringLiteral("View"));
  Print1 = makeAction(PopupMenu1, "Print1", QStringLiteral("Print"));
  QMenu* clipMenu = makeSubmenu(PopupMenu1, "Clipboard1", QStringLiteral("Clipboard"));
  Filenamesonly1 = makeAction(clipMenu, "Filenamesonly1", QStringLiteral("Filenames only"));
  Entiregrid1 = makeAction(clipMenu, "Entiregrid1", QStringLiteral("Entire grid separated by tabs"));
  WebPage1 = makeAction(PopupMenu1, "WebPage1", QStringLiteral("Web page"));

  grid->setSortActions({Sortbyname1, SortbyAccessDate1, SortbyCreationDate1, SortbyModificationDate1, SortbySize1,
                        SortbyFolder1, SortbyType1});
  grid->setHighlightAction(HighlightFolders);

  connectPopupMenu(PopupMenu1, {grid->view(), pckDrive}, btOptions);

  connect(btOK, &QPushButton::clicked, this, &TfrmMods::btOKClick);
  connect(btClose, &QPushButton::clicked, this, &TfrmMods::reject);
  connect(btAbort, &QPushButton::clicked, this, &TfrmMods::btAbortClick);
  connect(btMark, &QPushButton::clicked, grid, &ResultGrid::DeleteAllFiles);
  connect(btDelete, &QPushButton::clicked, this, &TfrmMods::btDeleteClick);
  connect(btDetails, &QPushButton::clicked, grid, &ResultGrid::Details1Click);
  connect(btBrowse, &QPushButton::clicked, this, [this] { grid->BrowseDirectory1Click(QStringLiteral("*.*")); });
  connect(pckDrive, &QListWidget::itemChanged, this, &TfrmMods::pckDriveClick);
  connect(rgWhen, &TRadioGroup::clicked, this, &TfrmMods::rgWhenClick);
  connect(rgWhat, &TRadioGroup::clicked, this, [this] { kind_ = dateKind(); });
  connect(cbWildCard, &QComboBox::editTextChanged, this, &TfrmMods::cbWildCardChange);
  connect(dtStart, &TDateField::dateChanged, this, &TfrmMods::dtStartChange);
  connect(dtEnd, &TDateField::dateChanged, this, &TfrmMods::dtEndChange);
  connectGridCommands(grid, {Details1, Markall1, Unmarkall1, Run1, View1, Filenamesonly1, Entiregrid1, WebPage1});
  connect(Addafoldertolistofdrives1, &QAction::triggered, this, &TfrmMods::Addafoldertolistofdrives1Click);
  connect(Shrinktoppanel1, &QAction::triggered, this, &TfrmMods::Shrinktoppanel1Click);
  connect(Restoretoppanel1, &QAction::triggered, this, &TfrmMods::Restoretoppanel1Click);
  connect(Print1, &QAction::triggered, this, &TfrmMods::PrintClick);

  // FormCreate: placement memory, centred when nothing is stored, and the drive list.
  winPlace_ = new TWinPlace(this);
  winPlace_->IniFileName = QStringLiteral("roomvl98");
  winPlace_->Identifier = QStringLiteral("frmMods");
  if (!winPlace_->HasStoredPlacement()) winPlace_->CentreOnFirstShow();
  fillDriveList(pckDrive, kFilesByDateDriveKinds, true);
  btAbort->hide();
  setResultButtonsVisible(false);
  resize(860, 580);
}

TfrmMods::~TfrmMods() {
  // FormDestroy.
  winPlace_->SavePlacement();
}

void TfrmMods::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void TfrmMods::FormShow() {
  setResultButtonsVisible(false);
  scanAborted = false;
  btAbort->hide();
  pnlScan->clear();
  const QDate today = now().date();
  dtStart->setDate(today);
  dtEnd->setDate(today);
  grid->ClearGrid();
  filesFound_ = 0;
  btOK->setEnabled(true);
  btClose->setEnabled(true);
  pckDriveClick();
  // The wildcard list: "*.*", then every registered extension.
  const QString wildcard = cbWildCard->currentText();
  cbWildCard->clear();
  cbWildCard->addItems(listRegisteredExtensions(true));
  cbWildCard->setEditText(wildcard);
  cbWildCardChange();
  rgWhenClick();
  btOK->setFocus();
  layout()->activate();
  topPanelHeight_ = pnlTop->height() > 0 ? pnlTop->height() : pnlTop->sizeHint().height();
  winPlace_->RestorePlacement();
  keepTopPanelRoom(this, pnlTop);
  FormResize();
}

DateKind TfrmMods::dateKind() const { return static_cast<DateKind>(std::max(rgWhat->itemIndex(), 0)); }

RangeKind TfrmMods::rangeKind() const { return static_cast<RangeKind>(std::max(rgWhen->itemIndex(), 0)); }

bool TfrmMods::QinDateRange(const QString& dateText) const {
  const FieldRange fields = rangeFromFields(rangeKind(), dtStart->text(), dtEnd->text());
  return fields.range && fields.range->QinDateRange(dateText);
}

void TfrmMods::setResultButtonsVisible(bool visible) {
  for (QPushButton* b : {btOptions, btBrowse, btDetails, btMark, btDelete}) b->setVisible(visible);
}

void TfrmMods::pckDriveClick() { btOK->setEnabled(!walking_ && checkedCount(pckDrive) > 0); }

void TfrmMods::rgWhenClick() {
  const bool between = rangeKind() == RangeKind::InBetween;
  lblAnd->setVisible(between);
  dtEnd->setVisible(between);
  range_.kind = rangeKind();
}

void TfrmMods::cbWildCardChange() {
  const QString text = cbWildCard->currentText();
  lblWild->setText(text == QStringLiteral("*.*") ? QStringLiteral("All files") : fileTypeDescription(text.mid(1)));
  wildcard_ = platform::fromDisplay(text.trimmed());
}

void TfrmMods::dtStartChange() {
  const auto start = dtStart->date();
  const auto end = dtEnd->date();
  if (start && end && *start > *end) dtEnd->setDate(*start);
}

void TfrmMods::dtEndChange() {
  const auto start = dtStart->date();
  const auto end = dtEnd->date();
  if (start && end && *end < *start) dtStart->setDate(*end);
}

void TfrmMods::readChoices() {
  kind_ = dateKind();
  cbWildCardChange();
}

void TfrmMods::btOKClick() {
  HintsOff quiet(this);
  scan();
}

void TfrmMods::setWalkingState(bool walking) {
  walking_ = walking;
  btAbort->setVisible(walking);
  if (walking) setResultButtonsVisible(false);
  btOK->setEnabled(!walking);
  btClose->setEnabled(!walking);
  pckDrive->setEnabled(!walking);
  dtStart->setEnabled(!walking);
  dtEnd->setEnabled(!walking);
  Addafoldertolistofdrives1->setEnabled(!walking);  // the drive list is being walked
  if (walking)
    grid->view()->viewport()->setCursor(Qt::WaitCursor);
  else
    grid->view()->viewport()->unsetCursor();
}

void TfrmMods::scan() {
  // The fields are read once, before anything is cleared: a text that is no date would
  // otherwise give a silently empty or complete list.
  const FieldRange fields = rangeFromFields(rangeKind(), dtStart->text(), dtEnd->text());
  if (!fields.range) {
    showError(fields.problem);
    return;
  }
  range_ = *fields.range;
  readChoices();
  grid->ClearGrid();
  filesFound_ = 0;
  scanAborted = false;
  setWalkingState(true);
  {
    Visitor visitor(*this);
    // The pattern is tested per file, so that a wildcard changed while walking counts at once.
    Walker walker(WalkVariant::filesByDate("*.*"), visitor, scanAborted);
    walker.setPumpInterval(pumpIntervalMs);
    walker.scanAllDrives(checkedTargets(pckDrive));
  }
  pnlScan->setText(QStringLiteral("Found : ") + formatThousands(filesFound_));
  grid->finishFill();
  grid->walkEnded();
  setWalkingState(false);
  pckDriveClick();
  if (filesFound_ == 0) {
    showInfo(QStringLiteral("No files found."));
    return;
  }
  setResultButtonsVisible(true);
  btDelete->setEnabled(false);
}

void TfrmMods::btAbortClick() {
  scanAborted = true;
  btAbort->hide();
  prompts().message(MessageKind::Information, QStringLiteral("LIST INCOMPLETE ... ABORTED BY USER"),
                    QApplication::applicationDisplayName(), Sound::None);
}

void TfrmMods::btDeleteClick() {
  if (grid->handOver(QStringLiteral("FileDates"))) accept();
}

QString TfrmMods::printTitle() const {
  return filesByDatePrintTitle(dateKind(), rangeKind(), dtStart->text(), dtEnd->text());
}

void TfrmMods::PrintClick() { grid->print(printTitle()); }

void TfrmMods::Shrinktoppanel1Click() { shrinkTopPanel(pnlTop, Shrinktoppanel1, Restoretoppanel1); }

void TfrmMods::Restoretoppanel1Click() { restoreTopPanel(pnlTop, topPanelHeight_, Shrinktoppanel1, Restoretoppanel1); }

void TfrmMods::Addafoldertolistofdrives1Click() {
  addFolderToDriveList(this, pckDrive, kFilesByDateDriveKinds);
  pckDriveClick();
}

void TfrmMods::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TfrmMods::FormResize() { setFinderColumnWidths(*grid, {110, 68, 68, 68, 65, 189}, logicalDpiX(), width()); }

void TfrmMods::reject() {
  if (walking_) return;
  QDialog::reject();
}

}  // namespace roomvale
