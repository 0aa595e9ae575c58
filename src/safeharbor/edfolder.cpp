#include "safeharbor/edfolder.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/prompts.h"
#include "platform/paths.h"

namespace roomvale {

QString folderExampleText(bool allSubFolders, const QString& folder) {
  const QChar quote(u'"');
  if (allSubFolders) {
    if (folder.isEmpty())
      return QStringLiteral("All files and sub-folders below the one you select will NOT be deleted.");
    return QStringLiteral("All files and sub-folders below ") + quote + folder + quote +
           QStringLiteral(" will NOT be deleted.");
  }
  if (folder.isEmpty()) return QString();
  return QStringLiteral("Only files in this folder ") + quote + folder + quote +
         QStringLiteral(" will NOT be deleted.");
}

TfrmEditFolder::TfrmEditFolder(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmEditFolder"));
  setWindowTitle(QStringLiteral("Edit Folder"));
  setModal(true);

  Label1 = new QLabel(QStringLiteral("Folder"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setMinimumWidth(380);
  Label1->setBuddy(Edit1);
  SpeedButton1 = new QPushButton(QStringLiteral("Browse"), this);
  SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
  SpeedButton1->setAutoDefault(false);
  cbAll = new QCheckBox(QStringLiteral("Protect sub-folders - all sub-folders should NOT be deleted"), this);
  cbAll->setObjectName(QStringLiteral("cbAll"));
  lblExample = new QLabel(this);
  lblExample->setObjectName(QStringLiteral("lblExample"));
  lblExample->setWordWrap(true);
  lblExample->setMinimumHeight(40);
  btOK = new QPushButton(QStringLiteral("OK"), this);
  btOK->setObjectName(QStringLiteral("btOK"));
  btOK->setDefault(true);
  btCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btCancel->setObjectName(QStringLiteral("btCancel"));
  btCancel->setAutoDefault(false);

  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(Label1);
  folderRow->addWidget(Edit1, 1);
  folderRow->addWidget(SpeedButton1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btOK);
  buttons->addWidget(btCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(folderRow);
  layout->addWidget(cbAll);
  layout->addWidget(lblExample);
  layout->addLayout(buttons);

  connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
  // Only a click on the box updates the explanation, not typing in the folder field.
  connect(cbAll, &QCheckBox::clicked, this, [this] { cbAllClick(); });
  connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmEditFolder::setFolder(const std::string& folder) {
  folderBytes_ = folder;
  folderShown_ = platform::toDisplay(folder);
  Edit1->setText(folderShown_);
}

std::string TfrmEditFolder::folder() const {
  const QString text = Edit1->text();
  if (text == folderShown_) return folderBytes_;
  return platform::fromDisplay(text);
}

void TfrmEditFolder::updateExample() { lblExample->setText(folderExampleText(cbAll->isChecked(), Edit1->text())); }

void TfrmEditFolder::cbAllClick() { updateExample(); }

void TfrmEditFolder::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  updateExample();
}

void TfrmEditFolder::SpeedButton1Click() {
  const auto chosen = prompts().chooseFolder(QStringLiteral("Select a folder that won't be deleted"),
                                             QStringLiteral("Select a folder"), folder());
  if (chosen) setFolder(*chosen);
}

}  // namespace roomvale
