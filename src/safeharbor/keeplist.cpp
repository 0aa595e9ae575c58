#include "safeharbor/keeplist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/settings.h"
#include "safeharbor/safeharbor.h"
#include "scan/selext.h"

namespace roomvale {

namespace {

const QString kSection = QStringLiteral("NoDelExt");

QStringList defaultTypes() {
  QStringList out;
  for (const char* d : kDefaultProtectedTypes) out << QString::fromLatin1(d);
  return out;
}

}  // namespace

bool typeListHolds(const QListWidget* list, const QString& entry) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text().compare(entry, Qt::CaseInsensitive) == 0) return true;
  return false;
}

bool addTypeEntry(QListWidget* list, const QString& entry) {
  if (typeListHolds(list, entry)) return false;
  int lo = 0, hi = list->count();
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (list->item(mid)->text().compare(entry, Qt::CaseInsensitive) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  list->insertItem(lo, entry);
  return true;
}

QStringList typeListEntries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

void loadProtectedTypes(QListWidget* list) {
  list->clear();
  for (const QString& entry : readListSection(kSection, defaultTypes(), true))
    if (!entry.section(QLatin1Char('\t'), 0, 0).isEmpty()) addTypeEntry(list, entry);
}

TfrmKeepFiles::TfrmKeepFiles(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmKeepFiles"));
  setWindowTitle(QStringLiteral("Safe Harbor file extensions"));
  setModal(true);

  EsLabel1 = new QLabel(QStringLiteral("Safe Harbor File Extensions"), this);
  EsLabel1->setObjectName(QStringLiteral("EsLabel1"));
  QFont headingFont = EsLabel1->font();
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.5);
  headingFont.setBold(true);
  EsLabel1->setFont(headingFont);
  lblInfo = new QLabel(
      QStringLiteral("Files with these extensions will not be deleted.   To select multiple file extensions, press "
                     "Shift or Ctrl while pressing the down arrow or clicking the mouse."),
      this);
  lblInfo->setObjectName(QStringLiteral("lblInfo"));
  lblInfo->setWordWrap(true);

  PickList1 = new QListWidget(this);
  PickList1->setObjectName(QStringLiteral("PickList1"));
  PickList1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  PickList1->setMinimumSize(360, 220);

  auto makeButton = [this](const char* name, const QString& caption, const QString& hint) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
  };
  btAdd = makeButton("btAdd", QStringLiteral("&Add"), QStringLiteral("Add a file extension to this list"));
  btDelete = makeButton("btDelete", QStringLiteral("&Delete"), QStringLiteral("Delete a file extension"));
  btDefaults = makeButton("btDefaults", QStringLiteral("D&efaults"), QString());
  btClear = makeButton("btClear", QStringLiteral("&Clear all"), QStringLiteral("Clear all extensions"));
  btClose = makeButton("btClose", QStringLiteral("Close"), QStringLiteral("Close window"));

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(btAdd);
  buttons->addWidget(btDelete);
  buttons->addWidget(btDefaults);
  buttons->addWidget(btClear);
  buttons->addStretch(1);
  buttons->addWidget(btClose);
  auto* middle = new QHBoxLayout;
  middle->addWidget(PickList1, 1);
  middle->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(EsLabel1);
  layout->addWidget(lblInfo);
  layout->addLayout(middle, 1);

  connect(btAdd, &QPushButton::clicked, this, [this] { btAddClick(); });
  connect(btDelete, &QPushButton::clicked, this, [this] { btDeleteClick(); });
  connect(btDefaults, &QPushButton::clicked, this, [this] { btDefaultsClick(); });
  connect(btClear, &QPushButton::clicked, this, [this] { btClearClick(); });
  connect(btClose, &QPushButton::clicked, this, [this] { btCloseClick(); });
}

void TfrmKeepFiles::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  ReadInFromDisk();
}

void TfrmKeepFiles::done(int result) {
  // Every way of closing stores the list, the close box included.
  if (!closed_) {
    closed_ = true;
    WriteOutToDisk();
  }
  QDialog::done(result);
}

void TfrmKeepFiles::ReadInFromDisk() { loadProtectedTypes(PickList1); }

void TfrmKeepFiles::WriteOutToDisk() {
  // An emptied list is stored with "Number" 0, so the defaults do not come back.
  if (!writeListSection(kSection, typeListEntries(PickList1)))
    showError(QStringLiteral("Could not save the protected file extensions."));
}

void TfrmKeepFiles::addPickerResult(bool multipleSelected, const QString& pattern, const QString& description,
                                    const QStringList& selectedEntries) {
  if (multipleSelected) {
    for (const QString& entry : selectedEntries) addTypeEntry(PickList1, entry);
    return;
  }
  if (pattern.isEmpty() || pattern == QLatin1String("*.*")) return;
  addTypeEntry(PickList1, pattern + QLatin1Char('\t') + description);
}

void TfrmKeepFiles::btAddClick() {
  auto picker = std::make_unique<TfrmSelectExtension>(this);
  if (picker->exec() != QDialog::Accepted) return;
  addPickerResult(picker->multipleSelected, picker->selectedPattern, picker->selectedDescription,
                  picker->selectedEntries());
}

void TfrmKeepFiles::btDeleteClick() {
  const auto selected = PickList1->selectedItems();
  if (selected.size() > 1) {
    const QString question =
        QStringLiteral("Really delete ") + QString::number(selected.size()) + QStringLiteral(" extensions?");
    if (confirm(question, Buttons::YesNoCancel, Answer::Yes) != Answer::Yes) return;
  }
  qDeleteAll(selected);
}

void TfrmKeepFiles::btDefaultsClick() {
  for (const QString& pattern : defaultTypes()) addTypeEntry(PickList1, typeListEntry(pattern));
}

void TfrmKeepFiles::btClearClick() {
  if (confirm(QStringLiteral("Really clear out all extensions?"), Buttons::YesNoCancel, Answer::Yes) == Answer::Yes)
    PickList1->clear();
}

void TfrmKeepFiles::btCloseClick() { reject(); }

}  // namespace roomvale
