#include "finders/templist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "finders/temppatterns.h"
#include "foundation/prompts.h"
#include "scan/selext.h"
#include "scan/targets.h"

namespace roomvale {

TfrmTempFiles::TfrmTempFiles(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmTempFiles"));
  setWindowTitle(QStringLiteral("Temporary file extensions"));
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

  lblCaption = new QLabel(QStringLiteral("Temporary File Extensions"), this);
  lblCaption->setObjectName(QStringLiteral("lblCaption"));
  QFont big = lblCaption->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  lblCaption->setFont(big);

  PickList1 = new QListWidget(this);
  PickList1->setObjectName(QStringLiteral("PickList1"));
  PickList1->setToolTip(QStringLiteral("List of temporary file extensions and types"));
  PickList1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  PickList1->setSortingEnabled(true);

  auto button = [this](const char* name, const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
  };
  btAdd = button("btAdd", QStringLiteral("&Add"), QStringLiteral("Add a file extension to this list"));
  btDelete = button("btDelete", QStringLiteral("&Delete"), QStringLiteral("Delete a file extension"));
  btClear = button("btClear", QStringLiteral("&Clear all"), QStringLiteral("Clear all extensions"));
  btDefaults = button("btDefaults", QStringLiteral("D&efaults"),
                      QStringLiteral("Inserts some default temporary file extensions"));
  btClose = button("btClose", QStringLiteral("Close"), QStringLiteral("Close window"));

  lblNote1 =
      new QLabel(QStringLiteral("Some common temporary file extensions are .TMP, .TEMP, .$$$, .OLD and .BAK.  It "
                                "is your responsibility to ensure that you have selected the proper extensions "
                                "for file deletion."),
                 this);
  lblNote1->setObjectName(QStringLiteral("lblNote1"));
  lblNote1->setWordWrap(true);
  lblNote2 = new QLabel(QStringLiteral(".FTS files may deleted if you're really short of space.  They are Windows help "
                                       "file searching add-ons.  They can be re-generated as needed."),
                        this);
  lblNote2->setObjectName(QStringLiteral("lblNote2"));
  lblNote2->setWordWrap(true);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {btAdd, btDelete, btClear, btDefaults}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(btClose);
  auto* middle = new QHBoxLayout;
  middle->addWidget(PickList1, 1);
  middle->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblCaption);
  layout->addLayout(middle, 1);
  layout->addWidget(lblNote1);
  layout->addWidget(lblNote2);
  resize(460, 420);

  connect(btAdd, &QPushButton::clicked, this, &TfrmTempFiles::btAddClick);
  connect(btDelete, &QPushButton::clicked, this, &TfrmTempFiles::btDeleteClick);
  connect(btClear, &QPushButton::clicked, this, &TfrmTempFiles::btClearClick);
  connect(btDefaults, &QPushButton::clicked, this, &TfrmTempFiles::btDefaultsClick);
  connect(btClose, &QPushButton::clicked, this, &TfrmTempFiles::btCloseClick);
}

void TfrmTempFiles::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    ReadInFromDisk();
  }
}

QStringList TfrmTempFiles::lines() const {
  QStringList out;
  for (int i = 0; i < PickList1->count(); ++i) out << PickList1->item(i)->text();
  return out;
}

void TfrmTempFiles::ReadInFromDisk() {
  PickList1->clear();
  for (const QString& line : readTempFileLines(tempEditorDefaultPatterns())) PickList1->addItem(newSortedItem(line));
}

void TfrmTempFiles::WriteOutToDisk() { writeTempFileLines(lines()); }

void TfrmTempFiles::done(int result) {
  // Every way of closing stores the list.
  WriteOutToDisk();
  QDialog::done(result);
}

bool TfrmTempFiles::addLine(const QString& line) {
  for (int i = 0; i < PickList1->count(); ++i)
    if (PickList1->item(i)->text().compare(line, Qt::CaseInsensitive) == 0) return false;
  PickList1->addItem(newSortedItem(line));
  return true;
}

void TfrmTempFiles::btAddClick() {
  TfrmSelectExtension picker(this);
  if (picker.exec() != QDialog::Accepted) return;
  if (picker.multipleSelected) {
    for (const QString& line : picker.selectedEntries()) addLine(line);
    return;
  }
  const QString pattern = picker.selectedPattern;
  if (pattern.isEmpty() || pattern == QStringLiteral("*.*")) return;
  addLine(pattern + QLatin1Char('\t') + picker.selectedDescription);
}

void TfrmTempFiles::btDeleteClick() {
  const QList<QListWidgetItem*> selected = PickList1->selectedItems();
  if (selected.isEmpty()) return;
  if (selected.size() > 1 &&
      confirm(QStringLiteral("Really delete %1 extensions?").arg(selected.size()), Buttons::YesNoCancel) != Answer::Yes)
    return;
  qDeleteAll(selected);
}

void TfrmTempFiles::btClearClick() {
  if (confirm(QStringLiteral("Really clear out all extensions?"), Buttons::YesNoCancel) != Answer::Yes) return;
  PickList1->clear();
}

void TfrmTempFiles::btDefaultsClick() {
  for (const QString& pattern : tempDefaultsButtonPatterns()) addLine(typeLine(pattern));
}

void TfrmTempFiles::btCloseClick() { accept(); }

}  // namespace roomvale
