#include "inspect/detailsform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "foundation/clock.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/winplace.h"
#include "inspect/filview.h"
#include "inspect/textprint.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "scan/grid.h"

namespace roomvale {

namespace {

// Tabs as the printer has no tab stops: to the next multiple of 8.
QString expandTabs(const QString& text) {
  QString out;
  for (QChar c : text) {
    if (c == QLatin1Char('\t'))
      out += QString(8 - out.size() % 8, QLatin1Char(' '));
    else
      out += c;
  }
  return out;
}

}  // namespace

void openFileDetails(QWidget* owner, const std::string& path) {
  TfrmDetails window(owner);
  window.fileName = path;
  window.exec();
}

TfrmDetails::TfrmDetails(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmDetails"));
  setWindowTitle(QStringLiteral("File Details"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto label = [this](const char* name, const QString& text = QString()) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QLatin1String(name));
    return l;
  };
  Image1 = label("Image1");
  Image1->setFixedSize(36, 36);
  Label1 = label("Label1", QStringLiteral("Name of file:"));
  lblFileName = label("lblFileName");
  lblFileName->setWordWrap(true);
  lblFileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label2 = label("Label2", QStringLiteral("Type of file:"));
  lblFileType = label("lblFileType");
  Label3 = label("Label3", QStringLiteral("Size:"));
  lblSizeBytes = label("lblSizeBytes");
  lblSizeK = label("lblSizeK");
  Label4 = label("Label4", QStringLiteral("Creation date:"));
  lblCreate = label("lblCreate");
  Label5 = label("Label5", QStringLiteral("Modification date:"));
  lblModify = label("lblModify");
  Label6 = label("Label6", QStringLiteral("Access date:"));
  lblAccess = label("lblAccess");
  Label7 = label("Label7", QStringLiteral("Attributes:"));
  lblAttributes = label("lblAttributes");
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setTabStopDistance(Memo1->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 20);
  Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 11 + 16);  // the eleven version lines
  auto button = [this](const char* name, const QString& caption, const QString& hint = QString()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
  };
  btClose = button("btClose", QStringLiteral("Close"));
  btPrint = button("btPrint", QStringLiteral("Print"), QStringLiteral("Print file details"));
  btView = button("btView", QStringLiteral("&View"), QStringLiteral("View file"));
  btLaunch = button("btLaunch", QStringLiteral("&Open"), QStringLiteral("Run/launch associated application"));

  auto* grid = new QGridLayout;
  grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
  int row = 0;
  for (auto [caption, value] : {std::pair{Label1, lblFileName},
                                {Label2, lblFileType},
                                {Label3, lblSizeBytes},
                                {static_cast<QLabel*>(nullptr), lblSizeK},
                                {Label4, lblCreate},
                                {Label5, lblModify},
                                {Label6, lblAccess},
                                {Label7, lblAttributes}}) {
    if (caption) grid->addWidget(caption, row, 1, Qt::AlignTop);
    grid->addWidget(value, row, 2);
    ++row;
  }
  grid->setColumnStretch(2, 1);
  grid->setColumnMinimumWidth(2, 300);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* b : {btClose, btPrint, btView, btLaunch}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(Memo1);
  layout->addSpacing(10);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(btPrint, &QPushButton::clicked, this, &TfrmDetails::btPrintClick);
  connect(btView, &QPushButton::clicked, this, &TfrmDetails::btViewClick);
  connect(btLaunch, &QPushButton::clicked, this, &TfrmDetails::btLaunchClick);
}

void TfrmDetails::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  shown_ = true;
  FormShow();
}

void TfrmDetails::FormShow() {
  details_ = gatherFileDetails(fileName);
  if (!details_.found) return;  // the window stays as designed
  Image1->setPixmap(fileIcon(fileName).pixmap(32, 32));
  Memo1->setPlainText(details_.versionLines.join(QLatin1Char('\n')));
  Memo1->setVisible(!details_.versionLines.isEmpty());
  lblFileType->setText(details_.type);
  lblFileName->setText(details_.name);
  lblSizeBytes->setText(details_.size);
  lblSizeK->setText(details_.clusters);
  lblCreate->setText(details_.created);
  lblModify->setText(details_.modified);
  lblAccess->setText(details_.accessed);
  lblAttributes->setText(details_.attributes);
  if (QWidget* w = window()) w->adjustSize();
  centreOnScreen(this);
}

void TfrmDetails::btPrintClick() {
  QPrinter printer;
  if (!prompts().printDialog(printer, false)) return;
  const QDateTime when = now();
  QStringList lines{
      QStringLiteral("   File details of ") + details_.name,
      QStringLiteral("   Printed : ") + safeDateToStr(when) + QStringLiteral("  ") + longTimeText(when.time()),
      QString(), QString()};
  for (const QString& line : detailsPrintLines(details_)) lines << QStringLiteral("   ") + expandTabs(line);
  QFont font(QStringLiteral("Courier"), 8);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  printTextLines(printer, font, static_cast<std::uint64_t>(lines.size()),
                 [&lines](std::uint64_t i) { return lines[static_cast<qsizetype>(i)]; });
}

void TfrmDetails::btViewClick() { openFileViewer(this, fileName); }

void TfrmDetails::btLaunchClick() {
  if (!platform::openWithAssociatedProgram(fileName))
    showError(QStringLiteral("Couldn't open ") + platform::toDisplay(fileName));
}

}  // namespace roomvale
