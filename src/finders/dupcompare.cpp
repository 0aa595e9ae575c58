#include "finders/dupcompare.h"

#include <fcntl.h>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "finders/dups.h"
#include "foundation/crc.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "inspect/browse.h"
#include "inspect/details.h"
#include "inspect/filview.h"
#include "platform/direnum.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "safeharbor/safeharbor.h"
#include "scan/resultgrid.h"

namespace roomvale {

namespace {

QPointer<TfrmDupCompare>& theWindow() {
  static QPointer<TfrmDupCompare> window;
  return window;
}

QDateTime localTime(const platform::FileTime& t) {
  return t.valid ? QDateTime::fromSecsSinceEpoch(t.sec) : QDateTime();
}

QString stampText(const QDateTime& d) {
  if (!d.isValid()) return QStringLiteral("???");
  return safeDateToStr(d) + QLatin1Char(' ') + longTimeText(d.time()) + QStringLiteral("  ") + relativeDate(d);
}

QString attributeText(std::uint32_t attr) {
  QString out;
  const std::pair<std::uint32_t, const char*> bits[] = {
      {platform::kAttrReadOnly, " ReadOnly"},   {platform::kAttrHidden, " Hidden"},
      {platform::kAttrSystem, " System"},       {platform::kAttrVolume, " VolumeID"},
      {platform::kAttrDirectory, " Directory"}, {platform::kAttrArchive, " Archive"}};
  for (const auto& [bit, word] : bits)
    if (attr & bit) out += QString::fromLatin1(word);
  return out;
}

// The arrow between the boxes: -1 points left, 1 right, 0 is the equal sign.
QPixmap arrowPicture(int direction) {
  QPixmap picture(28, 16);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 128));
  if (direction == 0) {
    p.drawRect(QRectF(5, 4, 18, 3));
    p.drawRect(QRectF(5, 9, 18, 3));
  } else {
    QPolygonF shape{{2, 6}, {15, 6}, {15, 1}, {26, 8}, {15, 15}, {15, 10}, {2, 10}};
    if (direction < 0)
      for (QPointF& point : shape) point.setX(28 - point.x());
    p.drawPolygon(shape);
  }
  return picture;
}

// Long names and folders are cut in the middle; the whole text is the hint.
constexpr int kLongestText = 420;
void setElided(QLabel* label, const QString& text) {
  label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, kLongestText));
  label->setToolTip(text);
}

// Version lines that differ from the other file's line at the same place.
const QColor kDifferingLine(0, 255, 255);

void setHighlighted(QLabel* label, bool on) {
  label->setAutoFillBackground(on);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, on ? label->palette().color(QPalette::Highlight) : QColor());
  p.setColor(QPalette::WindowText, on ? label->palette().color(QPalette::HighlightedText) : QColor());
  label->setPalette(on ? p : QPalette());
}

}  // namespace

TfrmDupCompare* dupCompareWindow(QWidget* owner) {
  if (!theWindow()) theWindow() = new TfrmDupCompare(owner);
  return theWindow();
}

void hideDupCompareWindow() {
  if (!theWindow()) return;
  theWindow()->hide();
  // It outlives the duplicates window that it was lent to.
  theWindow()->setParent(nullptr, Qt::Dialog);
}

void destroyDupCompareWindow() { delete theWindow().data(); }

TfrmDupCompare::TfrmDupCompare(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmDupCompare"));
  setWindowTitle(QStringLiteral("Compare file pairs"));
  setModal(false);
  imLeft_ = arrowPicture(-1);
  imRight_ = arrowPicture(1);
  imEqual_ = arrowPicture(0);
  auto* details = new QWidget(this);
  auto* boxes = new QHBoxLayout(details);
  boxes->setContentsMargins(0, 0, 0, 0);
  auto* arrows = new QVBoxLayout;
  auto arrow = [details, arrows](const char* name) {
    auto* label = new QLabel(details);
    label->setObjectName(QString::fromLatin1(name));
    label->setToolTip(QStringLiteral("Arrow points to most recent entry"));
    arrows->addWidget(label);
    return label;
  };
  arrows->addStretch();
  imCreate = arrow("imCreate");
  imModify = arrow("imModify");
  imAccess = arrow("imAccess");
  arrows->addStretch();
  pnlSimple = new QFrame(this);
  pnlSimple->setObjectName(QStringLiteral("pnlSimple"));
  static_cast<QFrame*>(pnlSimple)->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* simple = new QGridLayout(pnlSimple);
  simple->setColumnStretch(0, 1);
  simple->setColumnStretch(1, 1);
  auto* fileButtons = new QHBoxLayout;
  for (int s = 0; s < 2; ++s) {
    if (s == 1) boxes->addLayout(arrows);
    Side& side = sides[s];
    const QString n = QString::number(s + 1);
    side.box = new QGroupBox(details);
    side.box->setObjectName(QStringLiteral("GroupBox") + n);
    auto* form = new QGridLayout(side.box);
    side.icon = new QLabel(side.box);
    side.icon->setObjectName(QStringLiteral("Image") + n);
    form->addWidget(side.icon, 0, 0);
    int line = 1;
    auto add = [&](const char* caption, const QString& name) {
      auto* value = new QLabel(side.box);
      value->setObjectName(name + n);
      value->setTextFormat(Qt::PlainText);
      form->addWidget(new QLabel(QString::fromLatin1(caption), side.box), line, 0);
      form->addWidget(value, line++, 1);
      return value;
    };
    side.folder = add("Folder:", QStringLiteral("lblFolder"));
    side.size = add("Size:", s == 0 ? QStringLiteral("lblSizeBytes") : QStringLiteral("lblSizebytes"));
    side.type = add("Type:", s == 0 ? QStringLiteral("lblType") : QStringLiteral("lblTYpe"));
    side.create = add("Creation date:", QStringLiteral("lblCreate"));
    side.modify = add("Modify date:", QStringLiteral("lblModify"));
    side.access = add("Access date:", QStringLiteral("lblAccess"));
    side.attributes = add("Attributes:", QStringLiteral("lblAttributes"));
    side.crc = add("CRC Value:", QStringLiteral("lblCRC"));
    side.tag = add("", QStringLiteral("lblDel"));
    side.versions = new QListWidget(side.box);
    side.versions->setObjectName(QStringLiteral("tlBox") + n);
    side.versions->setSelectionMode(QAbstractItemView::NoSelection);
    side.versions->setFixedHeight(side.versions->fontMetrics().height() * 8);
    form->addWidget(side.versions, line++, 0, 1, 2);
    // The file's buttons stay below the boxes and the summary alike.
    auto* buttons = new QHBoxLayout;
    auto button = [&](const QString& text, const char* name, const char* hint) {
      auto* b = new QPushButton(text, this);
      b->setObjectName(QString::fromLatin1(name) + n);
      b->setToolTip(QString::fromLatin1(hint));
      b->setAutoDefault(false);
      buttons->addWidget(b);
      return b;
    };
    side.open = button(s == 0 ? "&Open" : "Ope&n", "btLaunch", "Run/launch associated application");
    side.view = button(s == 0 ? "&View" : "Vi&ew", "btView", "View file");
    side.mark =
        button(s == 0 ? "&Mark" : "M&ark", "btMark", "Mark file for deletion (double click on grid also works)");
    side.browse = button(s == 0 ? "&Browse" : "Bro&wse", "btBrowse", "Browse this file and folder");
    if (s == 1) fileButtons->addStretch();
    fileButtons->addLayout(buttons);
    boxes->addWidget(side.box);

    int row = 0;
    auto summary = [&](const QString& name) {
      auto* label = new QLabel(pnlSimple);
      label->setObjectName(name + n);
      label->setTextFormat(Qt::PlainText);
      simple->addWidget(label, row++, s);
      return label;
    };
    side.sName = summary(QStringLiteral("lblSimple"));
    QFont bold = side.sName->font();
    bold.setBold(true);
    side.sName->setFont(bold);
    side.sFolder = summary(QStringLiteral("lblSFolder"));
    side.sSize = summary(QStringLiteral("lblSSize"));
    side.sCreate = summary(QStringLiteral("lblSCreate"));
    side.sAccess = summary(QStringLiteral("lblSAccess"));
    side.sTag = summary(QStringLiteral("lblSsystem"));

    connect(side.open, &QPushButton::clicked, this, [this, s] { openSide(s); });
    connect(side.view, &QPushButton::clicked, this, [this, s] { openFileViewer(this, sides[s].path); });
    connect(side.browse, &QPushButton::clicked, this, [this, s] {
      openFolderBrowser(this, platform::folderOf(sides[s].path), platform::nameOf(sides[s].path),
                        QStringLiteral("*.*"));
    });
    connect(side.mark, &QPushButton::clicked, this, [this, s] {
      if (source_) source_->MarkThisFile(current_ + s);
    });
  }
  simple->setRowStretch(6, 1);

  sbL1 = new QPushButton(QStringLiteral("&Prev pair"), this);
  sbL1->setObjectName(QStringLiteral("sbL1"));
  sbL1->setToolTip(QStringLiteral("Display previous match (PgUp)"));
  sbR1 = new QPushButton(QStringLiteral("&Next pair"), this);
  sbR1->setObjectName(QStringLiteral("sbR1"));
  sbR1->setToolTip(QStringLiteral("Display next match (PgDn)"));
  btCompute = new QPushButton(QStringLiteral("&CRC"), this);
  btCompute->setObjectName(QStringLiteral("btCompute"));
  btCompute->setToolTip(QStringLiteral("If CRC values are different the the contents of each file is different"));
  cbCRC = new QCheckBox(QStringLiteral("Auto compare CRC (size must be the same)"), this);
  cbCRC->setObjectName(QStringLiteral("cbCRC"));
  cbCRC->setToolTip(QStringLiteral("If checked and file sizes are equal, will check CRC value"));
  cbDetails = new QCheckBox(QStringLiteral("&Details"), this);
  cbDetails->setObjectName(QStringLiteral("cbDetails"));
  btPrint = new QPushButton(QStringLiteral("Prin&t"), this);
  btPrint->setObjectName(QStringLiteral("btPrint"));
  btPrint->setToolTip(QStringLiteral("Print file details"));
  btClose = new QPushButton(QStringLiteral("Close"), this);
  btClose->setObjectName(QStringLiteral("btClose"));
  for (QPushButton* b : {sbL1, sbR1, btCompute, btPrint, btClose}) b->setAutoDefault(false);
  auto* bottom = new QWidget(this);
  bottom->setObjectName(QStringLiteral("Panel1"));
  auto* panel = new QHBoxLayout(bottom);
  panel->setContentsMargins(0, 0, 0, 0);
  for (QWidget* w : std::initializer_list<QWidget*>{sbL1, sbR1, btCompute, cbCRC, cbDetails, btPrint, btClose})
    panel->addWidget(w);

  // The summary lies over the detail boxes while Details is off: both take the same room.
  auto* top = new QWidget(this);
  stack_ = new QStackedLayout(top);
  stack_->setStackingMode(QStackedLayout::StackOne);
  stack_->addWidget(details);
  stack_->addWidget(pnlSimple);
  stack_->setCurrentWidget(pnlSimple);
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(3);
  layout->setContentsMargins(6, 6, 6, 3);
  layout->addWidget(top);
  layout->addLayout(fileButtons);
  layout->addWidget(bottom);
  // A fixed frame that follows its contents: version lists come and go with the pair.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(sbL1, &QPushButton::clicked, this, &TfrmDupCompare::sbL1Click);
  connect(sbR1, &QPushButton::clicked, this, &TfrmDupCompare::sbR1Click);
  connect(btCompute, &QPushButton::clicked, this, &TfrmDupCompare::btComputeClick);
  connect(btPrint, &QPushButton::clicked, this, &TfrmDupCompare::btPrintClick);
  connect(btClose, &QPushButton::clicked, this, &QWidget::hide);
  connect(cbDetails, &QCheckBox::toggled, this,
          [this, details](bool on) { stack_->setCurrentWidget(on ? details : pnlSimple); });
}

void TfrmDupCompare::showPairs(TfrmDup* source) {
  source_ = source;
  // A child of the modal duplicates window, so that it takes input beside it.
  if (parentWidget() != source) setParent(source, Qt::Dialog);
  mode_ = source->matchMode();
  rows_ = pairSnapshot(source->grid->data());
  if (source->isVisible()) move(source->geometry().topLeft());
  show();
  raise();
  showPair(std::max(source->grid->currentRow(), 0));
  btCompute->setFocus();
}

void TfrmDupCompare::fillSide(int s, int row) {
  Side& side = sides[s];
  side.crc->clear();
  if (row < 0 || row >= static_cast<int>(rows_.size())) {
    // No row below the last one: the side is emptied rather than left showing another file.
    side.path.clear();
    side.box->setTitle(QString());
    for (QLabel* l : {side.folder, side.size, side.type, side.create, side.modify, side.access, side.attributes})
      l->clear();
    side.versions->clear();
    side.icon->clear();
    return;
  }
  const std::string path = rows_[static_cast<std::size_t>(row)].path;
  platform::DirEntry e;
  if (!platform::statEntry(AT_FDCWD, path, e)) return;  // a vanished file: the side keeps what it showed
  side.path = path;
  side.bytes = e.size;
  side.created = localTime(e.creationTime);
  side.icon->setPixmap(fileIcon(path).pixmap(32, 32));
  QStringList versions = fileVersionLines(path, false);
  if (versions.isEmpty()) versions << QStringLiteral("Extended profile absent");
  side.versions->clear();
  side.versions->addItems(versions);
  const QString name = platform::toDisplay(platform::nameOf(path));
  setElided(side.folder, platform::toDisplay(platform::folderOf(path)));
  side.box->setTitle(side.box->fontMetrics().elidedText(name, Qt::ElideMiddle, kLongestText));
  side.box->setToolTip(name);
  side.type->setText(fileTypeDescription(fileExtension(name)));
  side.size->setText(formatThousands(static_cast<std::int64_t>(e.size)) + QStringLiteral(" bytes"));
  const QDateTime access = localTime(e.accessTime);
  side.access->setText(access.isValid() ? safeDateToStr(access) + QStringLiteral("  ") + relativeDate(access)
                                        : QStringLiteral("???"));
  side.modified = localTime(e.writeTime);
  side.accessed = access;
  side.create->setText(stampText(side.created));
  side.modify->setText(stampText(side.modified));
  side.attributes->setText(attributeText(e.attr));
}

void TfrmDupCompare::showPair(int row) {
  current_ = row;
  fillSide(0, row);
  fillSide(1, row + 1);
  HighlightDifferences();
}

void TfrmDupCompare::HighlightDifferences() {
  resizeIt();
  for (Side& side : sides) {
    const bool kept = !side.path.empty() && safeHarbor().isInSafeHarbor(side.path, true);
    side.tag->setText(kept ? QStringLiteral("** In Non-Delete List **") : QString());
    setHighlighted(side.tag, kept);
  }
  if (cbCRC->isChecked() && sides[0].size->text() == sides[1].size->text()) computeCRCValues();
  const auto pairs = {std::pair{sides[0].size, sides[1].size},     std::pair{sides[0].type, sides[1].type},
                      std::pair{sides[0].create, sides[1].create}, std::pair{sides[0].modify, sides[1].modify},
                      std::pair{sides[0].access, sides[1].access}, std::pair{sides[0].attributes, sides[1].attributes},
                      std::pair{sides[0].crc, sides[1].crc}};
  for (const auto& [a, b] : pairs) {
    const bool differ = a->text() != b->text();
    setHighlighted(a, differ);
    setHighlighted(b, differ);
  }
  const bool both = !sides[0].path.empty() && !sides[1].path.empty();
  const std::pair<QLabel*, std::pair<QDateTime, QDateTime>> stamps[] = {
      {imCreate, {sides[0].created, sides[1].created}},
      {imModify, {sides[0].modified, sides[1].modified}},
      {imAccess, {sides[0].accessed.date().startOfDay(), sides[1].accessed.date().startOfDay()}}};
  for (const auto& [label, times] : stamps) {
    const auto& [left, right] = times;
    label->setVisible(both && left.isValid() && right.isValid());
    const int direction = left > right ? -1 : right > left ? 1 : 0;
    label->setPixmap(direction < 0 ? imLeft_ : direction > 0 ? imRight_ : imEqual_);
    label->setAccessibleName(direction < 0   ? QStringLiteral("Left is more recent")
                             : direction > 0 ? QStringLiteral("Right is more recent")
                                             : QStringLiteral("Same"));
  }
  colourVersionLines();
  fillSummary();
}

void TfrmDupCompare::fillSummary() {
  const bool both = !sides[0].path.empty() && !sides[1].path.empty();
  for (int s = 0; s < 2; ++s) {
    Side& side = sides[s];
    if (side.path.empty()) {
      for (QLabel* l : {side.sName, side.sFolder, side.sSize, side.sCreate, side.sAccess, side.sTag}) l->clear();
      setHighlighted(side.sTag, false);
      continue;
    }
    setElided(side.sName, side.box->toolTip());
    side.sFolder->setText(side.folder->text());
    side.sFolder->setToolTip(side.folder->toolTip());
    side.sAccess->setText(QStringLiteral("Accessed : ") + (side.accessed.isValid()
                                                               ? relativeDate(side.accessed.date().startOfDay())
                                                               : QStringLiteral("???")));
    side.sTag->setText(side.tag->text());
    setHighlighted(side.sTag, !side.tag->text().isEmpty());
  }
  if (!sides[0].path.empty()) {
    sides[0].sSize->setText(sides[0].size->text());
    sides[0].sCreate->setText(QStringLiteral("Created : ") + (sides[0].created.isValid()
                                                                  ? safeDateToStr(sides[0].created.date())
                                                                  : QStringLiteral("???")));
  }
  if (!sides[1].path.empty()) {
    sides[1].sSize->setText(both ? sizeComparison(sides[0].bytes, sides[1].bytes) : QString());
    sides[1].sCreate->setText(both && sides[0].created.isValid() && sides[1].created.isValid()
                                  ? creationComparison(sides[0].created, sides[1].created)
                                  : QString());
  }
}

void TfrmDupCompare::colourVersionLines() {
  QListWidget* lists[2] = {sides[0].versions, sides[1].versions};
  const bool compare = lists[0]->count() >= 2 && lists[1]->count() >= 2;
  const QColor face = palette().color(QPalette::Button);
  for (int s = 0; s < 2; ++s) {
    QListWidget* other = lists[1 - s];
    for (int i = 0; i < lists[s]->count(); ++i) {
      QListWidgetItem* item = lists[s]->item(i);
      const bool differs = compare && (i >= other->count() || other->item(i)->text() != item->text());
      item->setBackground(differs ? kDifferingLine : face);
    }
  }
}

void TfrmDupCompare::resizeIt() {
  // The version lists take room only when one of them says more than "Extended profile absent".
  const bool versions = sides[0].versions->count() > 1 || sides[1].versions->count() > 1;
  for (Side& side : sides) side.versions->setVisible(versions);
  const int before = height();
  // Nested layouts pass a change up only through posted events (and keep the minimum size of
  // their last activation): lay out from the innermost up, so the frame fits at once.
  const QList<QLayout*> inner = findChildren<QLayout*>();
  for (QLayout* l : inner) l->invalidate();
  for (auto l = inner.rbegin(); l != inner.rend(); ++l) (*l)->activate();
  layout()->activate();
  if (!isVisible()) return;
  const QRect screenArea = screen()->availableGeometry();
  if (frameGeometry().bottom() > screenArea.bottom())
    move(x(), screenArea.top() + std::max(0, (screenArea.height() - frameGeometry().height()) / 2));
  if (height() != before) {
    // The Next pair button moved with the window's bottom: take the pointer along.
    const QPoint next = sbR1->mapToGlobal(sbR1->rect().center());
    if (screen()->geometry().contains(next)) QCursor::setPos(screen(), next);
  }
}

void TfrmDupCompare::computeCRCValues() {
  if (sides[0].path.empty() || sides[1].path.empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool same = identicalContents(sides[0].path, sides[1].path);
  for (Side& side : sides) side.crc->setText(crcVerdictText(fileCRC(side.path), same));
  QApplication::restoreOverrideCursor();
}

void TfrmDupCompare::btComputeClick() {
  computeCRCValues();
  HighlightDifferences();
}

void TfrmDupCompare::sbR1Click() {
  const auto next = current_ >= static_cast<int>(rows_.size()) - 2 ? std::nullopt : nextPairRow(rows_, current_, mode_);
  if (!next) {
    showInfo(QStringLiteral("End of list"));
    return;
  }
  showPair(*next);
  if (source_) source_->grid->view()->selectRow(*next);
}

void TfrmDupCompare::sbL1Click() {
  const auto previous = current_ < 1 ? std::nullopt : previousPairRow(rows_, current_, mode_);
  if (!previous) {
    showInfo(QStringLiteral("Start of list"));
    return;
  }
  showPair(*previous);
  if (source_) source_->grid->view()->selectRow(*previous);
}

void TfrmDupCompare::changeBackgroundColor(bool white) {
  if (!white) {
    setPalette(QPalette());
    return;
  }
  QPalette paper = palette();
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) paper.setColor(role, Qt::white);
  setPalette(paper);
  for (QLabel* label : findChildren<QLabel*>()) setHighlighted(label, false);
  for (QListWidget* list : findChildren<QListWidget*>())
    for (int i = 0; i < list->count(); ++i) list->item(i)->setBackground(Qt::white);
}

bool TfrmDupCompare::btPrintClick() {
  QPrinter printer;
  if (!prompts().printDialog(printer, false)) return false;
  changeBackgroundColor(true);
  const QPixmap image = grab();
  changeBackgroundColor(false);
  HighlightDifferences();
  QPainter painter;
  if (!painter.begin(&printer)) {
    showError(QStringLiteral("Error printing report ... quitting"));
    return false;
  }
  const QRect page = painter.viewport();
  const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
  painter.setViewport(page.x(), page.y(), size.width(), size.height());
  painter.setWindow(image.rect());
  painter.drawPixmap(0, 0, image);
  return painter.end();
}

void TfrmDupCompare::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_PageDown)
    sbR1Click();
  else if (event->key() == Qt::Key_PageUp)
    sbL1Click();
  else
    QDialog::keyReleaseEvent(event);
}

void TfrmDupCompare::openSide(int s) {
  if (!platform::openWithAssociatedProgram(sides[s].path))
    showError(QStringLiteral("Couldn't open ") + platform::toDisplay(sides[s].path));
}

}  // namespace roomvale
