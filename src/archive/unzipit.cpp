#include "archive/unzipit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "archive/folderlist.h"
#include "archive/password.h"
#include "archive/savezip.h"
#include "archive/volumetoken.h"
#include "archive/zipentrymodel.h"
#include "archive/zipnames.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/pump.h"
#include "platform/direnum.h"
#include "platform/paths.h"

namespace roomvale {

namespace {

constexpr int kNameRole = Qt::UserRole;
const QString kNoComment = QStringLiteral("Archive zip file comments");

QLabel* label(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1String(name));
  return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QString& hint) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QLatin1String(name));
  b->setToolTip(hint);
  b->setAutoDefault(false);
  return b;
}

// A plain message box, as the other windows' summaries are.
void plainMessage(const QString& text) {
  prompts().message(MessageKind::Information, text, QApplication::applicationDisplayName(), Sound::None);
}

}  // namespace

int openUnzip(QWidget* owner) {
  TfrmUnZipIt window(owner);
  return window.exec();
}

TfrmUnZipIt::TfrmUnZipIt(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmUnZipIt"));
  setWindowTitle(QStringLiteral("Unzip Roomvale Archive Zip Files"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  DriveComboBox1 = new DriveComboBox(this);
  DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
  DirectoryListBox1 = new DirectoryListBox(this);
  DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
  DriveComboBox1->setDirList(DirectoryListBox1);
  Label1 = label(this, "Label1", QString());
  Label1->hide();
  Label4 = label(this, "Label4", QStringLiteral("Archive files (double click to view)"));
  Label2 = label(this, "Label2", QStringLiteral("File mask: Drive*.zip"));
  FileListBox1 = new QListWidget(this);
  FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
  Label3 = label(this, "Label3", QStringLiteral("Contents of the Roomvale archive zip file:"));
  lblZip = label(this, "lblZip", QStringLiteral("lblZip"));
  lblZip->setTextFormat(Qt::PlainText);
  QFont bold = lblZip->font();
  bold.setBold(true);
  lblZip->setFont(bold);
  lblCount = label(this, "lblCount", QStringLiteral("0 files"));
  pnlComment = label(this, "pnlComment", kNoComment);
  pnlComment->setTextFormat(Qt::PlainText);
  pnlComment->setFrameShape(QFrame::StyledPanel);
  pnlComment->setAlignment(Qt::AlignCenter);
  pnlComment->setMinimumHeight(36);
  pnlComment->setWordWrap(true);
  model_ = new ZipEntryModel(this);
  Outline = new QTreeView(this);
  Outline->setObjectName(QStringLiteral("Outline"));
  Outline->setModel(model_);
  Outline->setUniformRowHeights(true);
  Outline->setSortingEnabled(true);
  Outline->sortByColumn(-1, Qt::AscendingOrder);
  Outline->header()->setStretchLastSection(false);
  Outline->header()->setSectionResizeMode(ZipEntryModel::NameColumn, QHeaderView::Stretch);
  Outline->header()->setSectionResizeMode(ZipEntryModel::SizeColumn, QHeaderView::ResizeToContents);
  Outline->header()->setSectionResizeMode(ZipEntryModel::DateColumn, QHeaderView::ResizeToContents);
  // The button face until an archive is shown, then the window colour.
  QPalette idle = Outline->palette();
  idle.setColor(QPalette::Base, idle.color(QPalette::Button));
  Outline->setPalette(idle);

  btView = button(this, "btView", QStringLiteral("&View files inside ZIP"), QStringLiteral("Extract Files..."));
  btExtract = button(this, "btExtract", QStringLiteral("&Extract files from ZIP"), QStringLiteral("Extract Files..."));
  btClose = button(this, "btClose", QStringLiteral("Close"), QStringLiteral("Close window"));
  btView->setEnabled(false);
  btExtract->setEnabled(false);
  Gauge1 = new QProgressBar(this);
  Gauge1->setObjectName(QStringLiteral("Gauge1"));
  Gauge1->setRange(0, 100);
  Gauge1->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: red; }"));
  Gauge1->hide();
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(600);

  auto* left = new QVBoxLayout;
  left->addWidget(DriveComboBox1);
  left->addWidget(DirectoryListBox1, 1);
  left->addWidget(Label4);
  left->addWidget(FileListBox1, 1);
  left->addWidget(Label2);
  auto* right = new QVBoxLayout;
  right->addWidget(Label3);
  right->addWidget(lblZip);
  right->addWidget(lblCount);
  right->addWidget(pnlComment);
  right->addWidget(Outline, 1);
  auto* top = new QHBoxLayout;
  top->addLayout(left, 2);
  top->addLayout(right, 3);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(Gauge1, 1);
  bottom->addStretch();
  bottom->addWidget(btView);
  bottom->addWidget(btExtract);
  bottom->addWidget(btClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(bottom);
  setFixedSize(860, 560);

  connect(DirectoryListBox1, &DirectoryListBox::folderChanged, this, [this] {
    Label1->setText(platform::toDisplay(currentFolder()));
    fillFileList();
  });
  connect(DirectoryListBox1, &DirectoryListBox::folderActivated, this, &TfrmUnZipIt::DirectoryListBox1DblClick);
  connect(FileListBox1, &QListWidget::itemClicked, this, &TfrmUnZipIt::FileListBox1Click);
  connect(FileListBox1, &QListWidget::currentRowChanged, this, &TfrmUnZipIt::FileListBox1Change);
  connect(FileListBox1, &QListWidget::itemDoubleClicked, this, [this] { FileListBox1DblClick(); });
  connect(btView, &QPushButton::clicked, this, [this] { FileListBox1DblClick(); });
  connect(btExtract, &QPushButton::clicked, this, &TfrmUnZipIt::ExtractFiles1Click);
  connect(btClose, &QPushButton::clicked, this, &TfrmUnZipIt::btCloseClick);
  connect(Timer1, &QTimer::timeout, this, &TfrmUnZipIt::Timer1Timer);

  // FormCreate.
  lblZip->clear();
}

TfrmUnZipIt::~TfrmUnZipIt() {
  // FormDestroy.
  view_.close();
}

const std::string& TfrmUnZipIt::currentFolder() const { return DirectoryListBox1->folder(); }

void TfrmUnZipIt::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void TfrmUnZipIt::FormShow() {
  DirectoryListBox1->setFolder(defaultZipPath.empty() ? builtInZipFolder() : defaultZipPath);
  Label1->setText(platform::toDisplay(currentFolder()));
  fillFileList();
  if (FileListBox1->count() == 0) Timer1->start();
}

void TfrmUnZipIt::Timer1Timer() {
  Timer1->stop();
  showInfo(QStringLiteral("It appears that there are no archive zip files in this folder for Roomvale to unzip.  ") +
           QStringLiteral("\n\n") +
           QStringLiteral("Note that Roomvale can only unzip those files that have been originally zipped by "
                          "Roomvale.  It should not be used to unzip other non Roomvale zip files."));
}

void TfrmUnZipIt::fillFileList() {
  FileListBox1->clear();
  std::vector<std::string> names;
  platform::DirReader reader;
  // Plain files only (no links, folders or hidden files); the mask ignores letter case.
  if (reader.open(currentFolder(), "Drive*.zip", 0)) {
    platform::DirEntry e;
    while (reader.next(e)) names.push_back(e.name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return QString::compare(platform::toDisplay(a), platform::toDisplay(b), Qt::CaseInsensitive) < 0;
  });
  for (const std::string& n : names) {
    auto* item = new QListWidgetItem(platform::toDisplay(n), FileListBox1);
    item->setData(kNameRole, QByteArray::fromStdString(n));
  }
  BtExtractEnable();
}

std::string TfrmUnZipIt::selectedArchive() const {
  const QListWidgetItem* item = FileListBox1->currentItem();
  if (!item || !item->isSelected()) return {};
  return item->data(kNameRole).toByteArray().toStdString();
}

void TfrmUnZipIt::FileListBox1Click() { BtExtractEnable(); }

void TfrmUnZipIt::FileListBox1Change() { BtExtractEnable(); }

void TfrmUnZipIt::DirectoryListBox1DblClick() { BtExtractEnable(); }

void TfrmUnZipIt::BtExtractEnable() {
  btExtract->setEnabled(!extracting_ && !selectedArchive().empty());
  btView->setEnabled(btExtract->isEnabled());
}

bool TfrmUnZipIt::FileListBox1DblClick() {
  const std::string name = selectedArchive();
  if (name.empty() || extracting_) return false;
  const std::string path = platform::joinPath(currentFolder(), name);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QString why;
  bool opened = false;
  if (view_.isOpen()) {
    // A file that is not a readable archive must not take the place of the one shown.
    ZipReader test;
    if (test.open(path, &why)) {
      test.close();
      opened = view_.open(path, &why);
      if (!opened) model_->clear();
    }
  } else {
    opened = view_.open(path, &why);
    if (!opened) model_->clear();
  }
  if (opened) OutlineLoad();
  showView();
  QApplication::restoreOverrideCursor();
  if (!opened)
    showError(QStringLiteral("Cannot read the archive zip file ") + platform::toDisplay(path) + QStringLiteral("\n") +
              why);
  return opened;
}

void TfrmUnZipIt::showView() {
  // The label names the archive really shown, even when the folder list has moved since.
  lblZip->setText(view_.isOpen() ? platform::toDisplay(view_.path()) : QString());
  lblCount->setText(QString::number(view_.count()) + QStringLiteral(" files"));
  pnlComment->setText(view_.isOpen() ? view_.comment() : kNoComment);
}

void TfrmUnZipIt::OutlineLoad() {
  duplicateWarningIgnored_ = false;
  model_->setEntries(view_.entries());
  Outline->setPalette(QPalette());
  // Small archives open fully; large ones show their top folders.
  if (model_->fileCount() <= 500)
    Outline->expandAll();
  else
    Outline->expandToDepth(0);
}

void TfrmUnZipIt::ExtractFiles1Click() {
  // Only the archive the user selected is extracted, never the one shown before it.
  if (!FileListBox1DblClick()) return;
  const ArchiveOrigin origin = archiveOrigin(view_.path());
  if (origin.kind == ArchiveOrigin::Kind::NotMounted) {
    showError(QStringLiteral("The files of ") + platform::toDisplay(view_.path()) +
              QStringLiteral(" came from the volume \"") + platform::toDisplay(origin.token) +
              QStringLiteral("\", which is not mounted.  Mount it to restore the files to their original places."));
    return;
  }
  std::string destination;
  {
    TfrmZipDirectory frmZipDirectory(this);
    frmZipDirectory.setArchive(view_.path(), origin, currentFolder());
    if (frmZipDirectory.exec() != QDialog::Accepted) return;
    destination = frmZipDirectory.folder();
  }

  QApplication::setOverrideCursor(Qt::WaitCursor);
  setRunning(true);
  RestoreHooks hooks;
  hooks.progress = [this](int percent) { OutlineArchiveProgress(percent); };
  hooks.aborted = [this] { return abortRequested_; };
  hooks.failed = [this](const std::string& entry, const QString& detail) { OutlineProcessItemFailure(entry, detail); };
  hooks.duplicate = [this](const std::string& entry) { return OutlineDuplicateName(entry); };
  hooks.replace = [this](const std::string&, const std::string& target) { return OutlineReplaceFile(target); };
  hooks.password = [this](const std::string& entry) { return OutlineNeedPassword(entry); };
  ZipRestorer restorer(std::move(hooks));
  const RestoreSummary done = restorer.run(view_, destination);
  setRunning(false);
  fillFileList();
  QApplication::restoreOverrideCursor();

  if (!done.destinationError.isEmpty())
    showError(QStringLiteral("Cannot extract files into ") + platform::toDisplay(destination) + QStringLiteral("\n") +
              done.destinationError);
  // Single failures were reported one by one; a run that restored nothing is no success.
  else if (!done.aborted && done.restored > 0)
    plainMessage(QStringLiteral("Files were unzipped"));
}

void TfrmUnZipIt::setRunning(bool running) {
  extracting_ = running;
  abortRequested_ = false;
  for (QWidget* w : std::initializer_list<QWidget*>{DriveComboBox1, DirectoryListBox1, FileListBox1, btView})
    w->setEnabled(!running);
  BtExtractEnable();
  if (!running) Gauge1->hide();
}

void TfrmUnZipIt::OutlineArchiveProgress(int percent) {
  Gauge1->setValue(std::clamp(percent, 0, 100));
  Gauge1->setVisible(percent < 100);
  pumpEvents();
}

void TfrmUnZipIt::OutlineProcessItemFailure(const std::string& entry, const QString& detail) {
  QString text = QStringLiteral("Cannot extract ") + platform::toDisplay(entry) + QStringLiteral(" from ") +
                 platform::toDisplay(view_.path());
  if (!detail.isEmpty()) text += QStringLiteral("\n") + detail;
  plainMessage(text);
}

bool TfrmUnZipIt::OutlineDuplicateName(const std::string& entry) {
  if (duplicateWarningIgnored_) return true;
  // Restoring moves entries out of the archive: not an addition.
  const Answer a = prompts().ask(MessageKind::Warning,
                                 QStringLiteral("Cannot move ") + platform::toDisplay(entry) +
                                     QStringLiteral(". Would create a duplicate name. Ignore future warnings?"),
                                 QStringLiteral("Warning"), Buttons::YesNo, Answer::No, Sound::None);
  duplicateWarningIgnored_ = a == Answer::Yes;
  return duplicateWarningIgnored_;
}

RestoreHooks::Replace TfrmUnZipIt::OutlineReplaceFile(const std::string& target) {
  const Answer a = confirm(QStringLiteral("The file ") + platform::toDisplay(target) +
                               QStringLiteral(" already exists.  Replace it with the file from the archive?"),
                           Buttons::YesNoAll, Answer::No);
  switch (a) {
    case Answer::Yes: return RestoreHooks::Replace::Yes;
    case Answer::YesToAll: return RestoreHooks::Replace::YesToAll;
    case Answer::NoToAll: return RestoreHooks::Replace::NoToAll;
    default: return RestoreHooks::Replace::No;
  }
}

std::optional<QString> TfrmUnZipIt::OutlineNeedPassword(const std::string& entry) {
  Q_UNUSED(entry);
  TfrmPassword dlg(this);
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  return dlg.Password->text();
}

void TfrmUnZipIt::btCloseClick() {
  // During an extraction the button stops it after the file in hand (which is not kept).
  if (extracting_) {
    abortRequested_ = true;
    return;
  }
  QDialog::reject();
}

void TfrmUnZipIt::reject() { btCloseClick(); }

}  // namespace roomvale
