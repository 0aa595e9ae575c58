#include "archive/savezip.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <cstring>

#include "archive/folderlist.h"
#include "archive/getfldr.h"
#include "foundation/prompts.h"
#include "platform/destfolders.h"
#include "platform/paths.h"
#include "platform/volumes.h"

namespace roomvale {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1String(name));
  l->setWordWrap(true);
  return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QLatin1String(name));
  return b;
}

}  // namespace

TfrmZipDirectory::TfrmZipDirectory(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmZipDirectory"));
  setWindowTitle(QStringLiteral("Destination folder"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  Label2 = label(this, "Label2", QStringLiteral("All files within the selected archive zip file "));
  lblZip = label(this, "lblZip", QString());
  lblZip->setTextFormat(Qt::PlainText);
  QFont bold = lblZip->font();
  bold.setBold(true);
  lblZip->setFont(bold);
  Label3 = label(this, "Label3", QStringLiteral("Will be restored into the following folder:"));
  DirLabel = label(this, "DirLabel", QString());
  DirLabel->setTextFormat(Qt::PlainText);
  DirLabel->setFont(bold);
  DriveComboBox1 = new DriveComboBox(this);
  DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
  DLB = new DirectoryListBox(this);
  DLB->setObjectName(QStringLiteral("DLB"));
  DriveComboBox1->setDirList(DLB);
  Button1 = button(this, "Button1", QStringLiteral("OK"));
  Button1->setDefault(true);
  Button2 = button(this, "Button2", QStringLiteral("Cancel"));
  Button3 = button(this, "Button3", QStringLiteral("&Create sub-folder..."));
  Label1 = label(this, "Label1",
                 QStringLiteral("All files contained in the selected zip file will be extracted into the folder that "
                                "you pick on the left. "));
  Label4 = label(this, "Label4",
                 QStringLiteral("It is recommended that you select the ROOT folder of the drive that matches the name "
                                "of the archive to restore the files into their original places."));

  auto* left = new QVBoxLayout;
  left->addWidget(DriveComboBox1);
  left->addWidget(DLB, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(Label1);
  right->addSpacing(8);
  right->addWidget(Label4);
  right->addStretch();
  right->addWidget(Button3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  right->addLayout(buttons);
  auto* middle = new QHBoxLayout;
  middle->addLayout(left, 1);
  middle->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label2);
  layout->addWidget(lblZip);
  layout->addWidget(Label3);
  layout->addWidget(DirLabel);
  layout->addLayout(middle, 1);
  setFixedSize(620, 440);

  // What OK restores into is always what the label says: the highlighted folder.
  connect(DLB, &DirectoryListBox::selectedFolderChanged, this,
          [this] { DirLabel->setText(platform::toDisplay(DLB->selectedFolder())); });
  connect(Button1, &QPushButton::clicked, this, &TfrmZipDirectory::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button3, &QPushButton::clicked, this, &TfrmZipDirectory::Button3Click);
}

void TfrmZipDirectory::setArchive(const std::string& archivePath, const ArchiveOrigin& origin,
                                  const std::string& currentFolder) {
  lblZip->setText(platform::toDisplay(archivePath));
  origin_ = origin;
  currentFolder_ = currentFolder;
}

std::string TfrmZipDirectory::folder() const { return DLB->selectedFolder(); }

void TfrmZipDirectory::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void TfrmZipDirectory::FormShow() {
  // The original root, or the root of the volume the restore window is looking at.
  std::string start = origin_.mountPoint;
  if (origin_.kind != ArchiveOrigin::Kind::Mounted) {
    const auto v = platform::volumeOf(currentFolder_);
    start = v ? v->mountPoint : "/";
  }
  DriveComboBox1->fillVolumes();
  DLB->setFolder(start);
  DirLabel->setText(platform::toDisplay(folder()));
}

void TfrmZipDirectory::Button1Click() {
  if (isOriginalRoot(folder(), origin_)) {
    accept();
    return;
  }
  if (confirm(QStringLiteral("You are not restoring into the original root folder.  The files will not be restored "
                             "to their original locations. Is this OK?"),
              Buttons::YesNo, Answer::Yes) == Answer::Yes)
    accept();
}

void TfrmZipDirectory::Button3Click() {
  TfrmGetFolderName ask(this);
  ask.setWindowTitle(QStringLiteral("Create Sub-folder"));
  ask.Edit1->clear();
  if (ask.exec() != QDialog::Accepted || ask.Edit1->text().isEmpty()) return;
  // Parts are created one by one below the shown folder, never through a link and never
  // above it.
  const std::string typed = platform::fromDisplay(ask.Edit1->text());
  std::string relative;
  bool usable = true;
  std::size_t i = 0;
  while (i <= typed.size()) {
    std::size_t j = typed.find('/', i);
    if (j == std::string::npos) j = typed.size();
    const std::string part = typed.substr(i, j - i);
    if (part == "..") usable = false;
    if (!part.empty() && part != ".") relative += (relative.empty() ? "" : "/") + part;
    i = j + 1;
  }
  const std::string parent = folder();
  const QString shown = platform::toDisplay(platform::joinPath(parent, typed));
  if (!usable || relative.empty()) {
    showError(QStringLiteral("Cannot create the folder ") + shown);
    return;
  }
  platform::DestinationFolders folders;
  int error = folders.open(parent);
  if (error == 0) {
    const auto made = folders.folder(relative, true);
    if (made.outcome != platform::DestinationFolders::Outcome::Opened) error = made.error != 0 ? made.error : ELOOP;
  }
  if (error != 0) {
    showError(QStringLiteral("Cannot create the folder ") + shown + QStringLiteral("\n") +
              QString::fromLocal8Bit(std::strerror(error)));
    return;
  }
  DLB->refresh();
}

}  // namespace roomvale
