#include "deletion/really.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <tuple>

#include "archive/zipnames.h"
#include "archive/zipoptions.h"
#include "deletion/reviewactions.h"
#include "deletion/reviewlist.h"
#include "deletion/totals.h"
#include "foundation/clock.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/pump.h"
#include "foundation/standby.h"
#include "foundation/winplace.h"
#include "platform/paths.h"
#include "safeharbor/safeharbor.h"

namespace roomvale {

namespace {

const QString kListHint = QStringLiteral("To select multiple files, drag the mouse cursor over the list");

// The hourglass for the life of the object.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// Boxes shown in the middle of a run get the normal cursor back while they are up.
void errorDuringRun(const QString& text) {
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::restoreOverrideCursor();
  showError(text);
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
}

QLabel* label(QWidget* parent, const char* name, const QString& text, bool wrap = false) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1String(name));
  l->setWordWrap(wrap);
  if (wrap) l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QLatin1String(name));
  b->setToolTip(hint);
  b->setAutoDefault(false);
  return b;
}

QListView* panelView(QWidget* parent, const char* name, ReviewList* model) {
  auto* v = new QListView(parent);
  v->setObjectName(QLatin1String(name));
  v->setModel(model);
  v->setSelectionMode(QAbstractItemView::ExtendedSelection);
  v->setEditTriggers(QAbstractItemView::NoEditTriggers);
  v->setUniformItemSizes(true);
  v->setToolTip(kListHint);
  return v;
}

std::vector<int> selectedRows(const QListView* view) {
  std::vector<int> rows;
  for (const QModelIndex& index : view->selectionModel()->selectedIndexes()) rows.push_back(index.row());
  return rows;
}

QString counted(const char* format, int n) { return QString::fromLatin1(format).arg(n); }

}  // namespace

void installDeletionReview() { setDeletionReviewOpener(&openReallyDelete); }

bool openReallyDelete(QWidget* owner, const DeletionRequest& request) {
  TfrmReallyDelete review(owner);
  review.setRequest(request);
  return review.exec() == QDialog::Accepted;
}

TfrmReallyDelete::TfrmReallyDelete(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmReallyDelete"));
  setWindowTitle(QStringLiteral("Clean up the following files"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // Resizable: with thousands of files the panels grow with the window.
  setSizeGripEnabled(true);

  left_ = new ReviewList(this);
  right_ = new ReviewList(this);

  lblDelete = label(this, "lblDelete", QStringLiteral("The following files will be deleted:"));
  Label3 = label(this, "Label3", QStringLiteral("Potential savings of "));
  lblSavings = label(this, "lblSavings", QStringLiteral("9,999,999,999 bytes"));
  QFont bold = lblSavings->font();
  bold.setBold(true);
  lblSavings->setFont(bold);

  TabbedNotebook1 = new QTabWidget(this);
  TabbedNotebook1->setObjectName(QStringLiteral("TabbedNotebook1"));
  auto* page0 = new QWidget;
  page0->setObjectName(QStringLiteral("pgDelete"));
  auto* page1 = new QWidget;
  page1->setObjectName(QStringLiteral("pgSafeHarbor"));
  TabbedNotebook1->addTab(page0, QStringLiteral("Files to be deleted"));
  TabbedNotebook1->addTab(page1, QStringLiteral("Safe Harbor - Do not delete these files"));

  QFont heading = font();
  heading.setPointSizeF(heading.pointSizeF() * 1.3);
  heading.setBold(true);

  lblLeft = label(page0, "lblLeft", QStringLiteral("Deletion panel: "));
  lblLeft->setFont(heading);
  lb1 = panelView(page0, "lb1", left_);
  btToAgainst = button(page0, "btToAgainst", QStringLiteral("Move files OFF to safe harbor"),
                       QStringLiteral("Move selected files off of the deletion list"));
  btToAgainst->setEnabled(false);
  Label1 =
      label(page0, "Label1",
            QStringLiteral(
                "These files are not in the configuration files or in the search path (PATH) therefore "
                "it is safer to delete these files.  However, these files may still belong to working applications "
                "therefore they may be needed for proper operation of other applications."),
            true);
  Label5 = label(page0, "Label5",
                 QStringLiteral("To move these files off of the list of files to be deleted drag the mouse cursor over "
                                "the file list to select the desired files then click on the Move button."),
                 true);

  lblRight = label(page1, "lblRight", QStringLiteral("Deletion panel: "));
  lblRight->setFont(heading);
  lb2 = panelView(page1, "lb2", right_);
  btMoveLeft = button(page1, "btMoveLeft", QStringLiteral("Move files to the deletion panel"),
                      QStringLiteral("Move files on to the list of files to be deleted"));
  btMoveLeft->setEnabled(false);
  btReason = button(page1, "btReason", QStringLiteral("Reason that file is on this list"),
                    QStringLiteral("Why the file is on the list of non-deleted files"));
  btReason->setEnabled(false);
  Label2 = label(page1, "Label2",
                 QStringLiteral("It is not recommended that you delete these files without uninstalling their "
                                "associated applications.  They are either located in the system folders "
                                "or are in the system configuration files.  These files will not be deleted."),
                 true);
  Label4 =
      label(page1, "Label4",
            QStringLiteral("To delete these files move them to the deletion panel.  You may select multiple files by "
                           "dragging the mouse over the list of files above then clicking on the Move files button."),
            true);

  pnlButtons = new QWidget(this);
  pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
  btZip = button(pnlButtons, "btZip", QStringLiteral("&Archive files into a zip file"),
                 QStringLiteral("Compress files into a ZIP file"));
  btDelete = button(pnlButtons, "btDelete", QStringLiteral("&Delete all files"),
                    QStringLiteral("Delete the files shown above permanently.  Cannot be undeleted."));
  btRecycle = button(pnlButtons, "btRecycle", QStringLiteral("&Send to trash"),
                     QStringLiteral("Send to trash.  Trash can be emptied later."));

  pnlProgress = new QWidget(this);
  pnlProgress->setObjectName(QStringLiteral("pnlProgress"));
  lblName = label(pnlProgress, "lblName", QString());
  bar = new QProgressBar(pnlProgress);
  bar->setObjectName(QStringLiteral("bar"));
  bar->setToolTip(QStringLiteral("Progress bar"));
  bar->setFixedHeight(12);
  bar->setTextVisible(false);
  bar->hide();
  Gauge1 = new QProgressBar(pnlProgress);
  Gauge1->setObjectName(QStringLiteral("Gauge1"));
  Gauge1->setFixedHeight(10);
  Gauge1->setRange(0, 100);
  Gauge1->setTextVisible(false);
  Gauge1->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: red; }"));
  Gauge1->hide();
  pnlProgress->hide();

  btClose = button(this, "btClose", QStringLiteral("Cancel"),
                   QStringLiteral("Cancel and close.  May cancel an operation in progress."));

  // Layout: the panels' lists take whatever height the window has to spare.
  auto* savings = new QHBoxLayout;
  savings->addWidget(Label3);
  savings->addWidget(lblSavings, 1);
  for (auto [page, heading, list, buttons, first, second] :
       {std::tuple{page0, lblLeft, lb1, QList<QWidget*>{btToAgainst}, Label1, Label5},
        std::tuple{page1, lblRight, lb2, QList<QWidget*>{btMoveLeft, btReason}, Label2, Label4}}) {
    auto* column = new QVBoxLayout(page);
    column->addWidget(heading);
    column->addWidget(list, 1);
    auto* row = new QHBoxLayout;
    for (QWidget* b : buttons) row->addWidget(b);
    row->addStretch();
    column->addLayout(row);
    column->addWidget(first);
    column->addWidget(second);
  }
  auto* actions = new QHBoxLayout(pnlButtons);
  actions->setContentsMargins(0, 0, 0, 0);
  for (QPushButton* b : {btZip, btDelete, btRecycle}) actions->addWidget(b, 1);
  auto* progress = new QVBoxLayout(pnlProgress);
  progress->setContentsMargins(0, 0, 0, 0);
  progress->setSpacing(3);
  progress->addWidget(lblName);
  progress->addWidget(bar);
  progress->addWidget(Gauge1);
  // The progress takes the buttons' place while an action runs.
  auto* actionPlace = new QGridLayout;
  actionPlace->addWidget(pnlButtons, 0, 0);
  actionPlace->addWidget(pnlProgress, 0, 0);
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch();
  closeRow->addWidget(btClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblDelete);
  layout->addLayout(savings);
  layout->addWidget(TabbedNotebook1, 1);
  layout->addLayout(actionPlace);
  layout->addLayout(closeRow);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(500);
  Timer1->setSingleShot(true);

  connect(Timer1, &QTimer::timeout, this, &TfrmReallyDelete::Timer1Timer);
  connect(btToAgainst, &QPushButton::clicked, this, &TfrmReallyDelete::btToAgainstClick);
  connect(btMoveLeft, &QPushButton::clicked, this, &TfrmReallyDelete::btMoveLeftClick);
  connect(btReason, &QPushButton::clicked, this, &TfrmReallyDelete::btReasonClick);
  connect(btDelete, &QPushButton::clicked, this, &TfrmReallyDelete::btDeleteAllClick);
  connect(btRecycle, &QPushButton::clicked, this, &TfrmReallyDelete::btRecycleClick);
  connect(btZip, &QPushButton::clicked, this, &TfrmReallyDelete::btZipClick);
  connect(btClose, &QPushButton::clicked, this, &TfrmReallyDelete::btCloseClick);
  // Selections change by mouse and keyboard alike; the buttons follow either way.
  connect(lb1->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmReallyDelete::lb1Click);
  connect(lb2->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TfrmReallyDelete::lb2Click);

  // The window opens at the size the user last gave it (never below its first size), centred.
  setMinimumSize(600, 516);
  resize(600, 516);
  winPlace_ = new TWinPlace(this);
  winPlace_->IniFileName = QStringLiteral("roomval.ini");
  const WindowPlacement last = parsePlacement(winPlace_->StoredValue(), winPlace_->Delimiter);
  if (placementApplies(last)) resize(QSize(last.right - last.left, last.bottom - last.top).expandedTo(minimumSize()));
  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
}

TfrmReallyDelete::~TfrmReallyDelete() { winPlace_->SavePlacement(); }

void TfrmReallyDelete::setRequest(const DeletionRequest& request) {
  for (std::size_t i = 0; i < request.paths.size(); ++i) {
    platform::FileIdentity id = i < request.identities.size() ? request.identities[i] : platform::FileIdentity{};
    if (!id.known()) {
      if (const auto found = platform::lookUpMarkedFile(request.paths[i])) id = found->identity;
    }
    identities_[request.paths[i]] = id;
  }
  left_->add(request.paths);
  totalBytes_ = request.totalBytes;
  sourceTag_ = request.sourceTag;
}

std::vector<platform::FileIdentity> TfrmReallyDelete::identitiesOf(const std::vector<std::string>& paths) const {
  std::vector<platform::FileIdentity> out;
  out.reserve(paths.size());
  for (const std::string& p : paths) {
    const auto it = identities_.find(p);
    out.push_back(it == identities_.end() ? platform::FileIdentity{} : it->second);
  }
  return out;
}

void TfrmReallyDelete::setVisible(bool visible) {
  // The panels are filled before the window appears, so that nothing can be clicked on a
  // half-sorted request.
  if (visible && !isVisible()) FormShow();
  QDialog::setVisible(visible);
}

void TfrmReallyDelete::FormShow() {
  abortRequested_ = false;
  {
    BusyCursor busy;
    const auto total = static_cast<std::int64_t>(
        std::min<std::uint64_t>(totalBytes_, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())));
    lblSavings->setText(formatThousands(total) + QStringLiteral(" bytes"));
    UpdateHeaders();
    lblName->clear();
    MoveFiles();
  }
  Timer1->stop();
  if (left_->isEmpty()) Timer1->start();
  TabbedNotebook1->setCurrentIndex(0);
}

void TfrmReallyDelete::MoveFiles() {
  TfrmStandBy* standBy = frmStandBy();
  const int n = left_->count();
  standBy->bar->setRange(0, std::max(0, n - 1));
  standBy->bar->setValue(0);
  standBy->show();
  standBy->raise();
  pumpEventsNow();

  SafeHarbor& harbor = safeHarbor();
  std::vector<int> protectedRows;
  // From the last to the first, so that the files of one folder are asked in a row.
  for (int row = n - 1, done = 0; row >= 0; --row, ++done) {
    standBy->bar->setValue(done);
    pumpEvents();
    if (harbor.isInSafeHarbor(left_->path(row), true)) protectedRows.push_back(row);
  }
  right_->add(left_->take(protectedRows));

  standBy->hide();
  updateLeftRight();
}

void TfrmReallyDelete::updateLeftRight() {
  lblLeft->setText(counted("Deletion Panel - files to be deleted: %1", left_->count()));
  lblRight->setText(counted("Safe Harbor - files NOT to be deleted: %1", right_->count()));
  btMoveLeft->setEnabled(lb2->selectionModel()->hasSelection());
  btToAgainst->setEnabled(lb1->selectionModel()->hasSelection());
  btReason->setEnabled(btMoveLeft->isEnabled());
  UpdateHeaders();
}

void TfrmReallyDelete::UpdateHeaders() {
  lblDelete->setText(QStringLiteral("Delete - %1, Do NOT delete - %2").arg(left_->count()).arg(right_->count()));
}

void TfrmReallyDelete::lb1Click() { btToAgainst->setEnabled(lb1->selectionModel()->hasSelection()); }

void TfrmReallyDelete::lb2Click() {
  btMoveLeft->setEnabled(lb2->selectionModel()->hasSelection());
  btReason->setEnabled(btMoveLeft->isEnabled());
}

void TfrmReallyDelete::Timer1Timer() {
  Timer1->stop();
  ShowWarning();
}

void TfrmReallyDelete::ShowWarning() {
  showInfo(
      QStringLiteral("All files selected appear on the Safe Harbor list.  To delete the files anyway, move them "
                     "off of the Safe Harbor list onto the DELETION PANEL."));
  TabbedNotebook1->setCurrentIndex(1);
}

void TfrmReallyDelete::btToAgainstClick() {
  if (running_) return;
  right_->add(left_->take(selectedRows(lb1)));
  updateLeftRight();
  if (left_->isEmpty()) TabbedNotebook1->setCurrentIndex(1);
}

void TfrmReallyDelete::btMoveLeftClick() {
  if (running_) return;
  left_->add(right_->take(selectedRows(lb2)));
  updateLeftRight();
  if (right_->isEmpty()) TabbedNotebook1->setCurrentIndex(0);
}

void TfrmReallyDelete::btReasonClick() {
  QModelIndex current = lb2->currentIndex();
  if (!current.isValid() || !lb2->selectionModel()->isSelected(current)) {
    const QModelIndexList selected = lb2->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return;
    current = selected.first();
  }
  const std::string& path = right_->path(current.row());
  int reason = 0;
  QString text = QStringLiteral("This file \"") + platform::toDisplay(path) + QStringLiteral("\"");
  if (safeHarbor().isInSafeHarbor(path, true, reason))
    text += QStringLiteral(" is on the Safe Harbor List since the folder that it is stored in is ") +
            safeHarborReasonText(reason);
  else
    text += QStringLiteral(" is on the Safe Harbor List because you moved it here.");
  showInfo(text);
}

bool TfrmReallyDelete::NoFilesToDelete() {
  if (!left_->isEmpty()) return false;
  showInfo(
      QStringLiteral("There are no files on the deletion panel.  In order to perform this operation you need to "
                     "move files from the NON-DELETE list to the deletion panel."));
  return true;
}

void TfrmReallyDelete::btDeleteAllClick() { runAction(Action::Delete); }
void TfrmReallyDelete::btRecycleClick() { runAction(Action::Recycle); }
void TfrmReallyDelete::btZipClick() { runAction(Action::Zip); }

void TfrmReallyDelete::runAction(Action action) {
  if (running_ || NoFilesToDelete()) return;
  pnlButtons->hide();
  pnlProgress->show();
  switch (action) {
    case Action::Delete: DeleteAllClick(); break;
    case Action::Recycle: RecycleClick(); break;
    case Action::Zip: ZipItClick(); break;
  }
  pnlButtons->show();
  pnlProgress->hide();
}

void TfrmReallyDelete::startRun(bool closeEnabled) {
  running_ = true;
  // The panels stay as they are while their files are worked on.
  TabbedNotebook1->setEnabled(false);
  btClose->setEnabled(closeEnabled);
  bar->setRange(0, std::max(0, left_->count() - 1));
  bar->setValue(0);
  bar->show();
}

void TfrmReallyDelete::endRun() {
  btClose->setEnabled(true);
  bar->hide();
  Gauge1->hide();
}

void TfrmReallyDelete::finish() {
  left_->clear();
  UpdateHeaders();
  running_ = false;
  TabbedNotebook1->setEnabled(true);
  accept();
}

void TfrmReallyDelete::showFile(int index, const std::string& path) {
  lblName->setText(platform::toDisplay(path));
  bar->setValue(index);
  pumpEvents();
}

void TfrmReallyDelete::DeleteAllClick() {
  if (confirm(QStringLiteral("Really delete?")) != Answer::Yes) {
    showInfo(QStringLiteral("Files not deleted"));
    return;
  }
  ActionTally done;
  {
    BusyCursor busy;
    startRun(false);
    ActionHooks hooks;
    hooks.onFile = [this](int index, const std::string& path) { showFile(index, path); };
    hooks.onError = &errorDuringRun;
    const std::vector<std::string> paths = left_->paths();
    done = deleteFiles(paths, hooks, identitiesOf(paths));
    endRun();
  }
  // Only what really left the disk counts; files set aside or refused are not recovered space.
  addDeleteTotals(done.files, done.bytes, 0, 0);
  finish();
}

void TfrmReallyDelete::RecycleClick() {
  const QString question = QStringLiteral(
      "Note that files sent to the trash keep taking up disk space until the trash is emptied. \n\nSend to the "
      "trash anyway?");
  if (confirm(question) != Answer::Yes) {
    showInfo(QStringLiteral("Files not deleted"));
    return;
  }
  ActionTally done;
  {
    BusyCursor busy;
    startRun(false);
    ActionHooks hooks;
    hooks.onFile = [this](int index, const std::string& path) { showFile(index, path); };
    hooks.onError = &errorDuringRun;
    const std::vector<std::string> paths = left_->paths();
    done = recycleFiles(paths, hooks, nullptr, identitiesOf(paths));
    endRun();
  }
  addDeleteTotals(0, 0, done.files, done.bytes);
  finish();
}

void TfrmReallyDelete::ZipItClick() {
  QString comment;
  {
    TfrmZipOptions options(this);
    const int result = options.exec();
    comment = options.zipComment;
    if (result != QDialog::Accepted) return;
  }
  ActionTally done;
  {
    BusyCursor busy;
    startRun(true);
    Gauge1->setValue(0);
    Gauge1->show();
    ZipRun run;
    run.sourceTag = sourceTag_;
    run.comment = comment;
    run.stamp = now();
    run.batching = zipBatching;
    ActionHooks hooks;
    hooks.onFile = [this](int index, const std::string& path) {
      Gauge1->setValue(0);
      showFile(index, path);
    };
    hooks.onError = &errorDuringRun;
    hooks.aborted = [this] { return abortRequested_; };
    hooks.itemProgress = [this](int percent) { return ZipitArchiveItemProgress(percent); };
    const std::vector<std::string> paths = left_->paths();
    done = zipFiles(paths, run, hooks, identitiesOf(paths));
    endRun();
  }
  addZipTotals(done.files, done.bytes);
  // Said only when something was stored: after a run in which every file failed (e.g. the
  // archive folder is gone) it would report a failure as success.
  if (!abortRequested_ && done.files > 0)
    prompts().message(MessageKind::Information,
                      QStringLiteral("Files deleted and stored in archive zip files in the folder \"") +
                          platform::toDisplay(defaultZipPath) + QStringLiteral("\""),
                      QApplication::applicationDisplayName(), Sound::None);
  finish();
}

bool TfrmReallyDelete::ZipitArchiveItemProgress(int percent) {
  Gauge1->setValue(percent);
  pumpEvents();
  return abortRequested_;
}

void TfrmReallyDelete::btCloseClick() {
  if (!running_) {
    QDialog::reject();
    return;
  }
  if (confirm(QStringLiteral("Really abort?  Folders may be partially deleted!")) == Answer::Yes)
    abortRequested_ = true;
}

void TfrmReallyDelete::reject() {
  // Escape and the close box: Cancel while idle; during a zip run the same question as the
  // Close button; delete and trash runs cannot be stopped.
  if (!running_)
    QDialog::reject();
  else if (btClose->isEnabled())
    btCloseClick();
}

}  // namespace roomvale
