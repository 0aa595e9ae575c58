#include "deletion/deldir.h"

#include <unistd.h>

#include <sys/stat.h>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <system_error>

#include "archive/zipnames.h"
#include "archive/zipoptions.h"
#include "deletion/totals.h"
#include "foundation/clock.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "safeharbor/safeharbor.h"

namespace roomvale {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& where, bool wrap = true) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1String(name));
  l->setGeometry(where);
  l->setWordWrap(wrap);
  return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                    const QRect& where) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QLatin1String(name));
  b->setToolTip(hint);
  b->setGeometry(where);
  b->setAutoDefault(false);
  return b;
}

QLabel* panel(QWidget* parent, const char* name, const QRect& where) {
  auto* p = label(parent, name, QString(), where, false);
  p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  return p;
}

bool onRemovableVolume(const std::string& folder) {
  const auto volume = platform::volumeOf(folder);
  return volume && volume->kind == platform::VolumeKind::Floppy;
}

// The archive folder must take new files before any file is handed to the writer: otherwise
// every file of the tree would fail on its own.
bool archiveFolderWritable(const std::string& archivePath) {
  const std::string folder = platform::folderOf(archivePath);
  struct stat st {};
  return !folder.empty() && ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(folder.c_str(), W_OK | X_OK) == 0;
}

QString notRemovedText(std::int64_t count, bool recycled) {
  const QString what = recycled ? QStringLiteral("sent to the trash") : QStringLiteral("deleted");
  if (count == 1) return QStringLiteral("1 file could not be %1.").arg(what);
  return QStringLiteral("%1 files could not be %2.").arg(formatThousands(count), what);
}

// Folders whose files could not even be listed: they were neither counted nor removed.
QString unreadableText(const TreeRunResult& run) {
  QString text = run.unreadableFolders == 1
                     ? QStringLiteral("1 folder could not be read; the files in it were left as they are:")
                     : QStringLiteral("%1 folders could not be read; the files in them were left as they are:")
                           .arg(formatThousands(run.unreadableFolders));
  for (const std::string& folder : run.unreadable) text += QStringLiteral("\n") + platform::toDisplay(folder);
  const auto unnamed = run.unreadableFolders - static_cast<std::int64_t>(run.unreadable.size());
  if (unnamed > 0) text += QStringLiteral("\n... and %1 more").arg(formatThousands(unnamed));
  return text;
}

}  // namespace

TfrmDelDirectory::TfrmDelDirectory(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmDelDirectory"));
  setWindowTitle(QStringLiteral("Clean directory, sub-directories and all files"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(580, 412);

  lblTop = label(this, "lblTop", QStringLiteral("Folder to clean: "), QRect(16, 10, 548, 30), false);
  QFont big = lblTop->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  lblTop->setFont(big);
  lblDirectory = label(this, "lblDirectory", QString(), QRect(16, 46, 548, 22), false);
  lblDirectory->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  lblDirectory->setTextFormat(Qt::PlainText);

  btDelete = button(this, "btDelete", QStringLiteral("&Delete folder"),
                    QStringLiteral("Delete the files shown above.  Cannot be undeleted."), QRect(16, 84, 210, 30));
  Label1 = label(this, "Label1",
                 QStringLiteral("All files and sub-folders are deleted.  Files cannot be recovered.  Hard disk space "
                                "immediately freed up."),
                 QRect(240, 80, 324, 40));

  btRecycle = button(this, "btRecycle", QStringLiteral("&Send files to trash"),
                     QStringLiteral("Send to trash.  Trash can be emptied later.  Files can be recovered."),
                     QRect(16, 140, 210, 30));
  Label3 = label(this, "Label3",
                 QStringLiteral("All files sent to the trash which can be emptied later. Files may be recovered.  "
                                "Hard disk space is not freed up until trash is emptied.."),
                 QRect(240, 128, 324, 56));

  btZip = button(this, "btZip", QStringLiteral("&Zip up folder"), QStringLiteral("Compress files into a ZIP file"),
                 QRect(16, 204, 210, 30));
  cbDelete = new QCheckBox(QStringLiteral("Delete files after zipping them up"), this);
  cbDelete->setObjectName(QStringLiteral("cbDelete"));
  cbDelete->setGeometry(16, 268, 330, 22);
  cbDelete->setChecked(true);
  Label5 = label(this, "Label5",
                 QStringLiteral("All files and sub-folders are zipped up (compressed).  Files can be recovered using "
                                "the UnZip option on the main menu or by using an appropriate UNZIP utility such as "
                                "ZipMagic, Winzip or Pkzip."),
                 QRect(240, 196, 324, 72));

  BitBtn3 = button(this, "BitBtn3", QStringLiteral("Cancel"), QStringLiteral("Cancel. Do not delete."),
                   QRect(16, 300, 210, 30));
  Label4 = label(this, "Label4", QStringLiteral("Cancel operation."), QRect(240, 306, 324, 20));

  Gauge1 = new QProgressBar(this);
  Gauge1->setObjectName(QStringLiteral("Gauge1"));
  Gauge1->setGeometry(16, 342, 548, 16);
  Gauge1->setRange(0, 100);
  Gauge1->setTextVisible(false);
  QPalette red = Gauge1->palette();
  red.setColor(QPalette::Highlight, Qt::red);
  Gauge1->setPalette(red);
  Gauge1->hide();

  pnlCount = panel(this, "pnlCount", QRect(16, 368, 110, 24));
  pnlName = panel(this, "pnlName", QRect(130, 368, 434, 24));

  connect(btDelete, &QPushButton::clicked, this, &TfrmDelDirectory::btDeleteClick);
  connect(btRecycle, &QPushButton::clicked, this, &TfrmDelDirectory::btRecycleClick);
  connect(btZip, &QPushButton::clicked, this, &TfrmDelDirectory::btZipClick);
  connect(BitBtn3, &QPushButton::clicked, this, &TfrmDelDirectory::BitBtn3Click);

  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
}

TfrmDelDirectory::~TfrmDelDirectory() = default;

void TfrmDelDirectory::setFolder(const std::string& folder) {
  folder_ = folder;
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
  lblDirectory->setText(platform::toDisplay(folder_));
}

void TfrmDelDirectory::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmDelDirectory::FormShow() {
  recycleMode = false;
  deletionRunning = false;
  abortRequested = false;
  btRecycle->setEnabled(!onRemovableVolume(folder_));
  lblTop->setText(QStringLiteral("Folder to clean: "));
  lblTop->setStyleSheet(QString());
  int reason = 0;
  if (!folder_.empty() && safeHarbor().isInSafeHarbor(folder_, false, reason)) {
    lblTop->setText(QStringLiteral("This folder should not be deleted since it is ") + safeHarborReasonText(reason));
    lblTop->setStyleSheet(QStringLiteral("color: red"));
  }
}

void TfrmDelDirectory::setRunning(bool running) {
  deletionRunning = running;
  // Pending events are let through during a run: the action buttons must not start a second
  // one inside it.
  btDelete->setEnabled(!running);
  btZip->setEnabled(!running);
  cbDelete->setEnabled(!running);
  btRecycle->setEnabled(!running && !onRemovableVolume(folder_));
}

void TfrmDelDirectory::btDeleteClick() {
  if (deletionRunning) return;
  recycleMode = false;
  zipMode = false;
  setRunning(true);
  const bool ran = StartTheDeletionProcess();
  setRunning(false);
  pnlCount->setText(QStringLiteral("Count"));
  pnlName->setText(QStringLiteral("Filename"));
  if (ran) accept();
}

void TfrmDelDirectory::btRecycleClick() {
  if (deletionRunning) return;
  const QString question = QStringLiteral(
      "Note that files sent to the trash keep taking up disk space until the trash is emptied. \n\nSend to the "
      "trash anyway?");
  if (confirm(question, Buttons::YesNo) != Answer::Yes) {
    recycleMode = false;
    zipMode = false;
    return;
  }
  recycleMode = true;
  zipMode = false;
  setRunning(true);
  const bool ran = StartTheDeletionProcess();
  setRunning(false);
  if (ran) {
    accept();
  } else {
    recycleMode = false;
  }
}

void TfrmDelDirectory::btZipClick() {
  if (deletionRunning) return;
  zipMode = true;
  recycleMode = false;
  setRunning(true);
  QString comment;
  int options = QDialog::Rejected;
  {
    TfrmZipOptions zipOptions(this);
    options = zipOptions.exec();
    comment = zipOptions.zipComment;
  }
  if (options != QDialog::Accepted) {
    zipMode = false;
    setRunning(false);
    return;
  }
  zipComment_ = comment;
  archivePath_ = archivePathFor(QStringLiteral("FolderClean"), folder_, now(), VolumeRoots());
  const bool ran = StartTheDeletionProcess();
  setRunning(false);
  if (ran) {
    accept();
  } else {
    zipMode = false;
  }
}

void TfrmDelDirectory::BitBtn3Click() {
  if (!deletionRunning) {
    QDialog::reject();
    return;
  }
  if (confirm(QStringLiteral("Really abort?  Folders may be partially deleted!"), Buttons::YesNo) == Answer::Yes)
    abortRequested = true;
}

void TfrmDelDirectory::reject() {
  // Escape and the close box act like the Cancel button: during a run they only ask to abort.
  if (deletionRunning)
    BitBtn3Click();
  else
    QDialog::reject();
}

void TfrmDelDirectory::closeEvent(QCloseEvent* event) {
  if (deletionRunning) {
    event->ignore();
    BitBtn3Click();
    return;
  }
  QDialog::closeEvent(event);
}

bool TfrmDelDirectory::StartTheDeletionProcess() {
  const QString shown = platform::toDisplay(folder_);
  int reason = 0;
  if (safeHarbor().isInSafeHarbor(folder_, false, reason)) {
    const QString warning =
        QStringLiteral(
            "Warning: the folder or a sub-folder of the one to delete is marked NOT to be deleted because "
            "it is ") +
        safeHarborReasonText(reason) + QStringLiteral(".  You may not want to delete it at this time.  Really delete?");
    if (confirm(warning, Buttons::YesNo) != Answer::Yes) return false;
  }

  const QString cantOpen = QStringLiteral("Can't open folder ") + shown;
  try {
    if (folder_.empty()) throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
    changeToFolder(folder_);
  } catch (const std::system_error&) {
    showError(cantOpen);
    return false;
  }
  if (zipMode && !archiveFolderWritable(archivePath_)) {
    showError(QStringLiteral("Can't create the archive ") + platform::toDisplay(archivePath_));
    return false;
  }

  const TreeAction action = zipMode ? TreeAction::Zip : recycleMode ? TreeAction::Recycle : TreeAction::Delete;
  TreeDeleter deleter(action, abortRequested);
  if (zipMode) deleter.setArchive(archivePath_, zipComment_, cbDelete->isChecked());
  deleter.fileHandled = [this](std::int64_t handled, const std::string& path) {
    pnlCount->setText(formatThousands(handled));
    pnlName->setText(platform::toDisplay(path));
  };
  deleter.zipProgress = [this](int percent) {
    Gauge1->setValue(std::min(percent, 100));
    Gauge1->setVisible(percent < 100);
  };
  if (configureRun) configureRun(deleter);
  const TreeRunResult run = deleter.run(folder_);
  Gauge1->hide();
  if (!run.opened) {
    showError(cantOpen);
    return false;
  }

  if (zipMode) {
    const QString note =
        run.aborted ? QStringLiteral(" (Note: Zip operation canceled ... not all files zipped)") : QString();
    if (run.files > 0)
      showInfo(QStringLiteral("Zipped up ") + formatThousands(run.files) + QStringLiteral(" files") + note);
    addZipTotals(run.files, run.bytes);
  } else if (!run.removedAtOnce) {
    const QString note =
        run.aborted ? QStringLiteral(" (Note: Deletion operation canceled ... not all files deleted)") : QString();
    if (run.files > 0)
      showInfo(QStringLiteral("Deleted ") + formatThousands(run.files) + QStringLiteral(" files for a savings of ") +
               formatThousands(run.bytes) + QStringLiteral(" bytes.") + note);
    // Trashed files free no space until the trash is emptied: they count as recycled.
    if (recycleMode)
      addDeleteTotals(0, 0, run.files, run.bytes);
    else
      addDeleteTotals(run.files, run.bytes, 0, 0);
    // Files that stayed are neither counted nor credited; say once that some did.
    if (run.notRemoved > 0) showError(notRemovedText(run.notRemoved, recycleMode));
  }
  if (run.unreadableFolders > 0) showError(unreadableText(run));
  return true;
}

FolderTreeDeletionResult openFolderTreeDeletion(QWidget* owner, const std::string& folder) {
  TfrmDelDirectory window(owner);
  window.setFolder(folder);
  FolderTreeDeletionResult out;
  out.result = window.exec();
  out.recycleMode = window.recycleMode;
  return out;
}

}  // namespace roomvale
