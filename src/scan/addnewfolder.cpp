#include "scan/addnewfolder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/prompts.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "scan/targets.h"

namespace roomvale {

TfrmAddNewFolder::TfrmAddNewFolder(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAddNewFolder"));
  setWindowTitle(QStringLiteral("Add new folders"));
  setModal(true);

  auto* heading = new QLabel(QStringLiteral("Add new folders to drives"));
  heading->setObjectName(QStringLiteral("Label1"));
  ListBox1 = new QListWidget;
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListBox1->setSortingEnabled(true);
  btAdd = new QPushButton(QStringLiteral("Add"));
  btAdd->setObjectName(QStringLiteral("btAdd"));
  btDel = new QPushButton(QStringLiteral("Del"));
  btDel->setObjectName(QStringLiteral("btDel"));
  Button1 = new QPushButton(QStringLiteral("Close"));
  Button1->setObjectName(QStringLiteral("Button1"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btAdd);
  buttons->addWidget(btDel);
  buttons->addStretch();
  buttons->addWidget(Button1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(ListBox1, 1);
  layout->addLayout(buttons);
  resize(460, 320);

  connect(btAdd, &QPushButton::clicked, this, [this] { btAddClick(); });
  connect(btDel, &QPushButton::clicked, this, [this] { btDelClick(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TfrmAddNewFolder::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!loaded_) {
    loaded_ = true;
    FormShow();
  }
}

void TfrmAddNewFolder::FormShow() {
  ListBox1->clear();
  for (const QString& folder : readListSection(kNewFoldersSection, {}, false))
    if (!folder.isEmpty()) ListBox1->addItem(newSortedItem(folder));
}

void TfrmAddNewFolder::btAddClick() {
  const auto chosen = prompts().chooseFolder(QStringLiteral("Add a selected folder to search"),
                                             QStringLiteral("Select a folder"), std::string());
  if (!chosen || chosen->empty()) return;
  std::string path = *chosen;
  if (path.back() != '/') path += '/';
  const QString text = platform::toDisplay(path);
  for (int i = 0; i < ListBox1->count(); ++i)
    if (ListBox1->item(i)->text().compare(text, Qt::CaseInsensitive) == 0) return;
  ListBox1->addItem(newSortedItem(text));
}

void TfrmAddNewFolder::btDelClick() {
  const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
  if (selected.isEmpty()) {
    showError(
        QStringLiteral("To delete one or more folder(s), first highlight the selected folders then click delete."));
    return;
  }
  if (selected.size() > 1 &&
      confirm(QStringLiteral("Really delete ") + QString::number(selected.size()) + QStringLiteral(" folders?"),
              Buttons::YesNoCancel) != Answer::Yes)
    return;
  qDeleteAll(selected);
}

void TfrmAddNewFolder::Button1Click() {
  QStringList folders;
  for (int i = 0; i < ListBox1->count(); ++i) folders << ListBox1->item(i)->text();
  if (!writeListSection(kNewFoldersSection, folders))
    showError(QStringLiteral("Could not save the list of added folders."));
  accept();
}

}  // namespace roomvale
