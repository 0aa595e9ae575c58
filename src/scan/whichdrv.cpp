#include "scan/whichdrv.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "scan/drivelist.h"
#include "scan/statlist.h"

namespace roomvale {

namespace {

QPushButton* button(const QString& text, const QString& name) {
  auto* b = new QPushButton(text);
  b->setObjectName(name);
  return b;
}

QLabel* heading(const QString& text, const QString& name) {
  auto* l = new QLabel(text);
  l->setObjectName(name);
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  return l;
}

}  // namespace

TfrmWhichDrive::TfrmWhichDrive(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmWhichDrive"));
  setWindowTitle(QStringLiteral("Which drives and file types?"));
  setModal(true);

  nbPages = new QStackedWidget;
  nbPages->setObjectName(QStringLiteral("nbPages"));

  // Page 1: the targets.
  auto* page1 = new QWidget;
  page1->setObjectName(QStringLiteral("pnlDrives"));
  pckDrive = new QListWidget;
  pckDrive->setObjectName(QStringLiteral("pckDrive"));
  btNext1 = button(QStringLiteral("&Next >>"), QStringLiteral("btNext1"));
  btCancel = button(QStringLiteral("Cancel"), QStringLiteral("btCancel"));
  {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btNext1);
    buttons->addWidget(btCancel);
    auto* l = new QVBoxLayout(page1);
    l->addWidget(heading(QStringLiteral("Which drives/folders?"), QStringLiteral("lblDrives")));
    l->addWidget(pckDrive, 1);
    l->addLayout(buttons);
  }
  pmDrives = attachDriveListMenu(pckDrive, kWizardDriveKinds, [this] { pckDriveClick(); });

  // Page 2: the mode.
  auto* page2 = new QWidget;
  page2->setObjectName(QStringLiteral("pnlTypes"));
  rbAllFiles = new QRadioButton(QStringLiteral("&All files"));
  rbAllFiles->setObjectName(QStringLiteral("rbAllFiles"));
  rbSelectedTypes = new QRadioButton(QStringLiteral("&Selected file types only"));
  rbSelectedTypes->setObjectName(QStringLiteral("rbSelectedTypes"));
  rbExceptTypes = new QRadioButton(QStringLiteral("All files &except selected file types"));
  rbExceptTypes->setObjectName(QStringLiteral("rbExceptTypes"));
  auto* group = new QButtonGroup(this);
  for (QRadioButton* rb : {rbAllFiles, rbSelectedTypes, rbExceptTypes}) group->addButton(rb);
  rbAllFiles->setChecked(true);
  btPrevious2 = button(QStringLiteral("<< &Previous"), QStringLiteral("btPrevious2"));
  btNext2 = button(QStringLiteral("&Next >>"), QStringLiteral("btNext2"));
  {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btPrevious2);
    buttons->addWidget(btNext2);
    auto* l = new QVBoxLayout(page2);
    l->addWidget(heading(QStringLiteral("Which file types?"), QStringLiteral("lblTypes")));
    l->addWidget(rbAllFiles);
    l->addWidget(rbSelectedTypes);
    l->addWidget(rbExceptTypes);
    l->addStretch();
    l->addLayout(buttons);
  }

  // Page 3: the types.
  auto* page3 = new QWidget;
  page3->setObjectName(QStringLiteral("pnlPick"));
  lblSelect = heading(QString(), QStringLiteral("lblSelect"));
  PickList1 = new QListWidget;
  PickList1->setObjectName(QStringLiteral("PickList1"));
  PickList1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  PickList1->setToolTip(QStringLiteral("Right click to select/deselect all"));
  lblOf = new QLabel;
  lblOf->setObjectName(QStringLiteral("lblOf"));
  btAddDelete = button(QStringLiteral("&Add/Delete"), QStringLiteral("btAddDelete"));
  btAddDelete->setToolTip(QStringLiteral("Add, delete file types"));
  btPrevious3 = button(QStringLiteral("<< &Previous"), QStringLiteral("btPrevious3"));
  btOK = button(QStringLiteral("OK"), QStringLiteral("btOK"));
  {
    auto* top = new QHBoxLayout;
    top->addWidget(lblSelect);
    top->addStretch();
    top->addWidget(lblOf);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btAddDelete);
    buttons->addStretch();
    buttons->addWidget(btPrevious3);
    buttons->addWidget(btOK);
    auto* l = new QVBoxLayout(page3);
    l->addLayout(top);
    l->addWidget(PickList1, 1);
    l->addLayout(buttons);
  }
  pmTypes = new QMenu(PickList1);
  pmTypes->setObjectName(QStringLiteral("pmTypes"));
  QAction* all = pmTypes->addAction(QStringLiteral("Select All"));
  all->setObjectName(QStringLiteral("miTypesSelectAll"));
  QAction* none = pmTypes->addAction(QStringLiteral("Deselect All"));
  none->setObjectName(QStringLiteral("miTypesDeselectAll"));
  connect(all, &QAction::triggered, this, [this] {
    setAllChecked(PickList1, true);
    PickList1Click();
  });
  connect(none, &QAction::triggered, this, [this] {
    setAllChecked(PickList1, false);
    PickList1Click();
  });
  PickList1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(PickList1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { pmTypes->popup(PickList1->viewport()->mapToGlobal(pos)); });

  nbPages->addWidget(page1);
  nbPages->addWidget(page2);
  nbPages->addWidget(page3);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(nbPages);
  resize(420, 340);

  connect(pckDrive, &QListWidget::itemChanged, this, [this] { pckDriveClick(); });
  connect(PickList1, &QListWidget::itemChanged, this, [this] { PickList1Click(); });
  connect(btNext1, &QPushButton::clicked, this, [this] { btNext1Click(); });
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btPrevious2, &QPushButton::clicked, this, [this] { showPage(0); });
  connect(btNext2, &QPushButton::clicked, this, [this] { btNext2Click(); });
  connect(btAddDelete, &QPushButton::clicked, this, [this] { btAddDeleteClick(); });
  connect(btPrevious3, &QPushButton::clicked, this, [this] { showPage(1); });
  connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
}

void TfrmWhichDrive::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

QString TfrmWhichDrive::typeSection() const { return rbSelectedTypes->isChecked() ? kIncludeSection : kExcludeSection; }

void TfrmWhichDrive::FormShow() {
  fillDriveList(pckDrive, kWizardDriveKinds, true);
  loadTypes();
  rbAllFiles->setChecked(true);
  recordMode();
  showPage(0);
  pckDriveClick();
}

void TfrmWhichDrive::loadTypes() {
  const QSignalBlocker block(PickList1);
  PickList1->clear();
  for (const QString& line : ReadStatFilesFromDisk(typeSection())) {
    auto* item = new QListWidgetItem(line);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    PickList1->addItem(item);
  }
  lblOf->setText(QStringLiteral("0/") + QString::number(PickList1->count()));
  btOK->setEnabled(false);
}

void TfrmWhichDrive::showPage(int page) {
  nbPages->setCurrentIndex(page);
  QPushButton* byDefault = page == 0 ? btNext1 : page == 1 ? btNext2 : btOK;
  for (QPushButton* b : {btNext1, btNext2, btOK}) b->setDefault(b == byDefault);
}

void TfrmWhichDrive::pckDriveClick() { btNext1->setEnabled(checkedCount(pckDrive) > 0); }

void TfrmWhichDrive::PickList1Click() {
  const int ticked = checkedCount(PickList1);
  lblOf->setText(QString::number(ticked) + u'/' + QString::number(PickList1->count()));
  btOK->setEnabled(ticked > 0 && checkedCount(pckDrive) > 0);
}

void TfrmWhichDrive::btNext1Click() {
  if (checkedCount(pckDrive) == 0) return;
  showPage(1);
}

void TfrmWhichDrive::btNext2Click() {
  if (rbAllFiles->isChecked()) {
    recordMode();
    accept();
    return;
  }
  lblSelect->setText(rbSelectedTypes->isChecked() ? QStringLiteral("Selected file types only")
                                                  : QStringLiteral("All file types except ..."));
  loadTypes();
  showPage(2);
}

void TfrmWhichDrive::btAddDeleteClick() {
  {
    // Whatever the editor did, the list shown is the one stored now, with nothing ticked.
    TfrmStatList editor(typeSection(), this);
    editor.exec();
  }
  loadTypes();
}

void TfrmWhichDrive::recordMode() {
  allFiles = rbAllFiles->isChecked();
  includeTypes = rbSelectedTypes->isChecked();
  excludeTypes = rbExceptTypes->isChecked();
}

void TfrmWhichDrive::btOKClick() {
  if (!btOK->isEnabled()) return;
  recordMode();
  accept();
}

std::vector<ScanTarget> TfrmWhichDrive::chosenTargets() const { return checkedTargets(pckDrive); }

QStringList TfrmWhichDrive::chosenTypes() const {
  QStringList lines;
  if (allFiles) return lines;
  for (int i = 0; i < PickList1->count(); ++i)
    if (PickList1->item(i)->checkState() == Qt::Checked) lines << PickList1->item(i)->text();
  return lines;
}

}  // namespace roomvale
