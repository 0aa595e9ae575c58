#include "deletion/deletedview.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "deletion/deletionlog.h"
#include "deletion/logexport.h"
#include "deletion/totals.h"
#include "foundation/prompts.h"

namespace roomvale {

namespace {

template <class W>
W* named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLabel* boldCaption(const QString& text, const char* name) {
  auto* label = named(new QLabel(text), name);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  return label;
}

QLineEdit* readOnlyField(const char* name, int width) {
  auto* ed = named(new QLineEdit, name);
  ed->setReadOnly(true);
  ed->setFixedWidth(width);
  return ed;
}

}  // namespace

TDeletedView::TDeletedView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("DeletedView"));

  EsLabel2 = named(new QLabel(QStringLiteral("Files processed by Roomvale")), "EsLabel2");
  QFont headingFont = EsLabel2->font();
  headingFont.setBold(true);
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
  EsLabel2->setFont(headingFont);

  PageControl1 = named(new QTabWidget, "PageControl1");
  TabSheet1 = named(new QWidget, "TabSheet1");
  TabSheet2 = named(new QWidget, "TabSheet2");
  PageControl1->addTab(TabSheet1, QStringLiteral("Cumulative"));
  PageControl1->addTab(TabSheet2, QStringLiteral("Details"));

  // "Cumulative": three blocks of a caption (with its date line) over a count and a size field.
  lblFileDel = boldCaption(QStringLiteral("Deleted files"), "lblFileDel");
  lblSince1 = named(new QLabel, "lblSince1");
  edNdelete = readOnlyField("edNdelete", 110);
  edSzDelete = readOnlyField("edSzDelete", 200);
  Label6 = boldCaption(QStringLiteral("Zipped files"), "Label6");
  lblZipSince = named(new QLabel, "lblZipSince");
  edNZip = readOnlyField("edNZip", 110);
  edSzZip = readOnlyField("edSzZip", 200);
  lblFileWaste = boldCaption(QStringLiteral("Files sent to the trash"), "lblFileWaste");
  edNWaste = readOnlyField("edNWaste", 110);
  edSzWaste = readOnlyField("edSzWaste", 200);
  Button1 = named(new QPushButton(QStringLiteral("Reset these numbers")), "Button1");

  auto* cumulative = new QGridLayout(TabSheet1);
  int row = 0;
  auto addBlock = [&](QLabel* caption, QLabel* since, QLineEdit* count, QLineEdit* size) {
    auto* head = new QHBoxLayout;
    head->addWidget(caption);
    if (since) head->addWidget(since);
    head->addStretch();
    cumulative->addLayout(head, row++, 0, 1, 3);
    cumulative->addWidget(count, row, 0);
    cumulative->addWidget(size, row++, 1);
    cumulative->setRowMinimumHeight(row++, 8);
  };
  addBlock(lblFileDel, lblSince1, edNdelete, edSzDelete);
  addBlock(Label6, lblZipSince, edNZip, edSzZip);
  addBlock(lblFileWaste, nullptr, edNWaste, edSzWaste);
  cumulative->addWidget(Button1, row++, 0, 1, 2, Qt::AlignLeft);
  cumulative->setRowStretch(row, 1);
  cumulative->setColumnStretch(2, 1);

  // "Details": the log grid and the "Options" button, both opening the same menu.
  grDelete = named(new QTableWidget, "grDelete");
  grDelete->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grDelete->setSelectionMode(QAbstractItemView::SingleSelection);
  grDelete->verticalHeader()->setVisible(false);
  grDelete->setContextMenuPolicy(Qt::CustomContextMenu);

  popGridDelete = named(new QMenu(this), "popGridDelete");
  Printgrid1 = named(popGridDelete->addAction(QStringLiteral("Print entries")), "Printgrid1");
  Cleargrid1 = named(popGridDelete->addAction(QStringLiteral("Clear entries")), "Cleargrid1");
  Saveas1 = named(popGridDelete->addAction(QStringLiteral("Save as comma-delimited (CSV)")), "Saveas1");
  SaveasawebpageHTML1 =
      named(popGridDelete->addAction(QStringLiteral("Save as a web page (HTML)")), "SaveasawebpageHTML1");

  EsMenuButton1 = named(new QPushButton(QStringLiteral("Options")), "EsMenuButton1");
  EsMenuButton1->setMenu(popGridDelete);

  auto* details = new QVBoxLayout(TabSheet2);
  details->addWidget(grDelete, 1);
  details->addWidget(EsMenuButton1, 0, Qt::AlignLeft);

  auto* outer = new QVBoxLayout(this);
  outer->addWidget(EsLabel2);
  outer->addWidget(PageControl1, 1);

  connect(Button1, &QPushButton::clicked, this, &TDeletedView::Button1Click);
  connect(Printgrid1, &QAction::triggered, this, &TDeletedView::Printgrid1Click);
  connect(Cleargrid1, &QAction::triggered, this, &TDeletedView::Cleargrid1Click);
  connect(Saveas1, &QAction::triggered, this, &TDeletedView::Saveas1Click);
  connect(SaveasawebpageHTML1, &QAction::triggered, this, &TDeletedView::SaveasawebpageHTML1Click);
  connect(grDelete, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { popGridDelete->popup(grDelete->viewport()->mapToGlobal(pos)); });
  connect(grDelete->horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int col, int, int newWidth) { gridColumnResized(col, newWidth); });

  listenerId_ = addLogListener([this] { refreshGrid(); });
  refreshGrid();
  showFilesDeleted();
}

TDeletedView::~TDeletedView() { removeLogListener(listenerId_); }

void TDeletedView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  showFilesDeleted();
}

void TDeletedView::showCumulative() { PageControl1->setCurrentWidget(TabSheet1); }

void TDeletedView::showTexts(const TotalsTexts& t) {
  lblSince1->setText(t.since1);
  lblZipSince->setText(t.zipSince);
  edNdelete->setText(t.nDelete);
  edSzDelete->setText(t.szDelete);
  edNZip->setText(t.nZip);
  edSzZip->setText(t.szZip);
  edNWaste->setText(t.nWaste);
  edSzWaste->setText(t.szWaste);
}

void TDeletedView::showFilesDeleted() { showTexts(totalsTexts(readDeletionTotals())); }

void TDeletedView::refreshGrid() {
  const DeletionLog& log = deletionLog();
  settingWidths_ = true;
  grDelete->clear();
  grDelete->setColumnCount(log.columnCount());
  grDelete->setRowCount(std::max(0, log.rowCount() - 1));
  for (int c = 0; c < log.columnCount(); ++c) {
    const Qt::Alignment align = (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
    auto* head = new QTableWidgetItem(log.cell(c, 0));
    head->setTextAlignment(align);
    grDelete->setHorizontalHeaderItem(c, head);
    grDelete->setColumnWidth(c, log.columnWidth(c));
    for (int r = 1; r < log.rowCount(); ++r) {
      auto* item = new QTableWidgetItem(log.cell(c, r));
      item->setTextAlignment(align);
      grDelete->setItem(r - 1, c, item);
    }
  }
  settingWidths_ = false;
}

void TDeletedView::gridColumnResized(int col, int newWidth) {
  // The widths the user gives the columns are kept with the log (saved with its next change).
  if (!settingWidths_) deletionLog().setColumnWidth(col, newWidth);
}

void TDeletedView::Button1Click() {
  if (prompts().ask(MessageKind::Information, QStringLiteral("Reset cumulative totals?"), QStringLiteral("Confirm"),
                    Buttons::YesNo, Answer::Yes, Sound::None) != Answer::Yes)
    return;
  if (!resetDeletionTotals()) showError(QStringLiteral("Couldn't save the running totals in the settings store"));
  showTexts(emptyTotalsTexts());
}

void TDeletedView::Printgrid1Click() { printDeletionLogWithDialog(deletionLog()); }

void TDeletedView::Cleargrid1Click() {
  if (confirm(QStringLiteral("Really clear out deletion log?"), Buttons::YesNo) != Answer::Yes) return;
  clearDeletionLog();
}

void TDeletedView::Saveas1Click() { saveDeletionLogAsCsv(deletionLog()); }

void TDeletedView::SaveasawebpageHTML1Click() { saveDeletionLogAsHtml(deletionLog()); }

}  // namespace roomvale
