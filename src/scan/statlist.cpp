#include "scan/statlist.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/prompts.h"
#include "foundation/settings.h"
#include "scan/selext.h"
#include "scan/targets.h"

namespace roomvale {

QStringList ReadStatFilesFromDisk(const QString& section) {
  static const QStringList kDefaults{QStringLiteral("*.doc"), QStringLiteral("*.exe"), QStringLiteral("*.dll")};
  QStringList lines;
  for (const QString& pattern : readListSection(section, kDefaults, false)) {
    const QString p = linePattern(pattern);
    if (!p.isEmpty()) lines << typeLine(p);
  }
  return lines;
}

bool WriteStatFilesToDisk(const QStringList& lines, const QString& section) {
  QStringList patterns;
  for (const QString& line : lines) patterns << linePattern(line);
  return writeListSection(section, patterns);
}

TfrmStatList::TfrmStatList(const QString& section, QWidget* parent) : QDialog(parent), section_(section) {
  setObjectName(QStringLiteral("frmStatList"));
  setWindowTitle(QStringLiteral("File types"));
  setModal(true);

  Label1 = new QLabel(QStringLiteral("File Types"));
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2 = new QLabel(QStringLiteral("Hint: Drag mouse or use ctrl-click to select multiple file types."));
  Label2->setObjectName(QStringLiteral("Label2"));
  lblCount = new QLabel;
  lblCount->setObjectName(QStringLiteral("lblCount"));
  PickList1 = new QListWidget;
  PickList1->setObjectName(QStringLiteral("PickList1"));
  PickList1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  PickList1->setSortingEnabled(true);
  PickList1->setToolTip(QStringLiteral("List of temporary file extensions and types"));
  btAdd = new QPushButton(QStringLiteral("&Add"));
  btAdd->setObjectName(QStringLiteral("btAdd"));
  btAdd->setToolTip(QStringLiteral("Add a file extension to this list"));
  btDelete = new QPushButton(QStringLiteral("&Delete"));
  btDelete->setObjectName(QStringLiteral("btDelete"));
  btDelete->setToolTip(QStringLiteral("Delete a file extension"));
  btClear = new QPushButton(QStringLiteral("&Clear all"));
  btClear->setObjectName(QStringLiteral("btClear"));
  btClear->setToolTip(QStringLiteral("Clear all extensions"));
  btClose = new QPushButton(QStringLiteral("Close"));
  btClose->setObjectName(QStringLiteral("btClose"));
  btClose->setToolTip(QStringLiteral("Close window"));
  for (QPushButton* b : {btAdd, btDelete, btClear, btClose}) b->setAutoDefault(false);

  auto* head = new QHBoxLayout;
  head->addWidget(Label1);
  head->addStretch();
  head->addWidget(lblCount);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(btAdd);
  buttons->addWidget(btDelete);
  buttons->addWidget(btClear);
  buttons->addStretch();
  buttons->addWidget(btClose);
  auto* body = new QHBoxLayout;
  body->addWidget(PickList1, 1);
  body->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(head);
  layout->addLayout(body, 1);
  layout->addWidget(Label2);
  resize(440, 360);

  connect(btAdd, &QPushButton::clicked, this, [this] { btAddClick(); });
  connect(btDelete, &QPushButton::clicked, this, [this] { btDeleteClick(); });
  connect(btClear, &QPushButton::clicked, this, [this] { btClearClick(); });
  connect(btClose, &QPushButton::clicked, this, [this] { btCloseClick(); });
}

void TfrmStatList::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!loaded_) {
    loaded_ = true;
    FormShow();
  }
}

void TfrmStatList::keyPressEvent(QKeyEvent* event) {
  // Escape presses Close, which stores the list; only the close box leaves without storing.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    btClose->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TfrmStatList::FormShow() {
  PickList1->clear();
  for (const QString& line : ReadStatFilesFromDisk(section_)) PickList1->addItem(newSortedItem(line));
  updateCount();
}

QStringList TfrmStatList::lines() const {
  QStringList out;
  for (int i = 0; i < PickList1->count(); ++i) out << PickList1->item(i)->text();
  return out;
}

void TfrmStatList::updateCount() { lblCount->setText(QString::number(PickList1->count()) + " available"); }

void TfrmStatList::addLine(const QString& line) {
  const QString pattern = linePattern(line);
  for (int i = 0; i < PickList1->count(); ++i)
    if (linePattern(PickList1->item(i)->text()).compare(pattern, Qt::CaseInsensitive) == 0) return;
  PickList1->addItem(newSortedItem(line));
}

void TfrmStatList::btAddClick() {
  TfrmSelectExtension picker(this);
  if (picker.exec() != QDialog::Accepted) return;
  if (picker.multipleSelected) {
    for (const QString& line : picker.selectedEntries()) addLine(line);
  } else if (!picker.selectedPattern.isEmpty() && picker.selectedPattern != QLatin1String("*.*")) {
    addLine(picker.selectedPattern + u'\t' + picker.selectedDescription);
  }
  updateCount();
}

void TfrmStatList::btDeleteClick() {
  const QList<QListWidgetItem*> selected = PickList1->selectedItems();
  if (selected.size() > 1 &&
      confirm(QStringLiteral("Really delete ") + QString::number(selected.size()) + QStringLiteral(" extensions?"),
              Buttons::YesNoCancel) != Answer::Yes)
    return;
  qDeleteAll(selected);
  updateCount();
}

void TfrmStatList::btClearClick() {
  if (confirm(QStringLiteral("Really clear out all extensions?"), Buttons::YesNoCancel) != Answer::Yes) return;
  PickList1->clear();
  updateCount();
}

void TfrmStatList::btCloseClick() {
  if (!WriteStatFilesToDisk(lines(), section_)) showError(QStringLiteral("Could not save the list of file types."));
  accept();
}

}  // namespace roomvale
