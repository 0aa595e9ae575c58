#include "archive/zipoptions.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QToolButton>

#include "archive/zipnames.h"
#include "foundation/prompts.h"
#include "foundation/settings.h"
#include "platform/paths.h"

namespace roomvale {

namespace {

const QString kSection = QStringLiteral("ZipFile");

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& where) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1String(name));
  l->setGeometry(where);
  return l;
}

std::string asFolder(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

}  // namespace

TfrmZipOptions::TfrmZipOptions(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmZipOptions"));
  setWindowTitle(QStringLiteral("Archive Zip File Options"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(470, 262);

  EsLabel1 = label(this, "EsLabel1", QStringLiteral("Archive Zip File options"), QRect(16, 10, 438, 30));
  QFont big = EsLabel1->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  EsLabel1->setFont(big);

  Label1 = label(this, "Label1", QStringLiteral("Store Zip Archive Files in this folder:"), QRect(16, 50, 438, 18));
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(16, 70, 404, 24);
  Edit1->setReadOnly(true);
  Edit1->setToolTip(QStringLiteral("Click on the button on the right to change"));
  SpeedButton1 = new QToolButton(this);
  SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
  SpeedButton1->setGeometry(424, 70, 30, 24);
  SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  Label4 = label(this, "Label4", QStringLiteral("Note: the zip folder can be on the network on a different machine!"),
                 QRect(16, 98, 438, 18));

  Label2 =
      label(this, "Label2", QStringLiteral("Comment to be inserted into Archive Zip file:"), QRect(16, 128, 438, 18));
  Edit2 = new QLineEdit(this);
  Edit2->setObjectName(QStringLiteral("Edit2"));
  Edit2->setGeometry(16, 148, 438, 24);
  Edit2->setMaxLength(80);
  Label3 =
      label(this, "Label3", QStringLiteral("Note: Comments make it much easier to identify archive zip files later."),
            QRect(16, 176, 438, 18));

  btOK = new QPushButton(QStringLiteral("OK"), this);
  btOK->setObjectName(QStringLiteral("btOK"));
  btOK->setGeometry(274, 216, 86, 28);
  btOK->setDefault(true);
  btCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btCancel->setObjectName(QStringLiteral("btCancel"));
  btCancel->setGeometry(368, 216, 86, 28);

  connect(SpeedButton1, &QToolButton::clicked, this, &TfrmZipOptions::SpeedButton1Click);
  connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
}

void TfrmZipOptions::setFolder(const std::string& folder) {
  folder_ = folder;
  Edit1->setText(platform::toDisplay(folder_));
}

void TfrmZipOptions::readSettings() {
  setFolder(asFolder(
      platform::fromDisplay(ReadString(kSection, QStringLiteral("Path"), platform::toDisplay(builtInZipFolder())))));
  defaultZipPath = folder_;
  zipComment = ReadString(kSection, QStringLiteral("Comment"), QString()).left(80);
  Edit2->setText(zipComment);
}

void TfrmZipOptions::writeSettings() {
  WriteString(kSection, QStringLiteral("Path"), platform::toDisplay(folder_));
  WriteString(kSection, QStringLiteral("Comment"), Edit2->text());
  defaultZipPath = folder_;
  zipComment = Edit2->text();
}

void TfrmZipOptions::FormShow() {
  readSettings();
  Edit2->setFocus();
}

void TfrmZipOptions::FormClose() { writeSettings(); }

void TfrmZipOptions::SpeedButton1Click() {
  if (auto chosen = prompts().chooseFolder(QStringLiteral("Location of archive zip files"), QString(), folder_))
    setFolder(asFolder(*chosen));
}

void TfrmZipOptions::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmZipOptions::done(int result) {
  // Cancel keeps what was typed too: it only stops the zip action.
  FormClose();
  QDialog::done(result);
}

}  // namespace roomvale
