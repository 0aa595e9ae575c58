#include "finders/finderparts.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "foundation/helpers.h"
#include "scan/resultgrid.h"

namespace roomvale {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setToolTip(hint);
  b->setAutoDefault(false);
  return b;
}

QAction* makeAction(QMenu* menu, const char* name, const QString& text) {
  QAction* a = menu->addAction(text);
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

void connectGridCommands(ResultGrid* grid, const GridCommands& c) {
  auto on = [grid](QAction* action, auto&& run) {
    if (action) QObject::connect(action, &QAction::triggered, grid, run);
  };
  on(c.details, &ResultGrid::Details1Click);
  on(c.markAll, &ResultGrid::Markall1Click);
  on(c.unmarkAll, &ResultGrid::Unmarkall1Click);
  on(c.open, &ResultGrid::Run1Click);
  on(c.view, &ResultGrid::View1Click);
  on(c.names, [grid] { grid->btClipClick(1); });
  on(c.entireGrid, [grid] { grid->btClipClick(2); });
  on(c.webPage, &ResultGrid::Webpage1Click);
}

void connectPopupMenu(QMenu* menu, std::initializer_list<QAbstractScrollArea*> lists, QPushButton* options) {
  for (QAbstractScrollArea* list : lists)
    QObject::connect(list, &QWidget::customContextMenuRequested, menu,
                     [menu, list](const QPoint& p) { menu->popup(list->viewport()->mapToGlobal(p)); });
  if (options)
    QObject::connect(options, &QPushButton::clicked, menu,
                     [menu, options] { menu->popup(options->mapToGlobal(QPoint(0, options->height()))); });
}

QMenu* makeSubmenu(QMenu* menu, const char* name, const QString& text) {
  QMenu* sub = menu->addMenu(text);
  sub->setObjectName(QString::fromLatin1(name));
  return sub;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}

QLabel* makeStatusBar(QWidget* parent, const char* name) {
  QLabel* bar = makeLabel(parent, name, QString());
  bar->setFrameShape(QFrame::StyledPanel);
  bar->setTextFormat(Qt::PlainText);
  return bar;
}

TRadioGroup::TRadioGroup(const char* name, const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
  setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(2);
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items[i], this);
    b->setObjectName(QString::fromLatin1(name) + QString::number(i));
    buttons_->addButton(b, i);
    layout->addWidget(b);
  }
  connect(buttons_, &QButtonGroup::idClicked, this, &TRadioGroup::clicked);
}

int TRadioGroup::itemIndex() const { return buttons_->checkedId(); }

void TRadioGroup::setItemIndex(int index) {
  if (QAbstractButton* b = buttons_->button(index)) b->setChecked(true);
}

int TRadioGroup::count() const { return static_cast<int>(buttons_->buttons().size()); }

void shrinkTopPanel(QWidget* panel, QAction* shrink, QAction* restore) {
  panel->setFixedHeight(0);
  panel->hide();
  shrink->setEnabled(false);
  restore->setEnabled(true);
}

void restoreTopPanel(QWidget* panel, int shownHeight, QAction* shrink, QAction* restore) {
  panel->setMinimumHeight(0);
  panel->setMaximumHeight(QWIDGETSIZE_MAX);
  if (shownHeight > 0) panel->resize(panel->width(), shownHeight);
  panel->show();
  shrink->setEnabled(true);
  restore->setEnabled(false);
}

void keepTopPanelRoom(QWidget* window, QWidget* topPanel) {
  const QRect screen = window->screen() ? window->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
  window->setMinimumSize(std::min(topPanel->minimumSizeHint().width() + 3, screen.width() - 10),
                         std::min(2 * (topPanel->geometry().bottom() + 1), screen.height() - 10));
}

void setFinderColumnWidths(ResultGrid& grid, const std::vector<int>& fixed, int dpiX, int windowWidth) {
  const double scale = dpiX / 96.0;
  const QFontMetrics metrics(grid.view()->horizontalHeader()->font());
  std::vector<int> widths;
  int used = 0;
  for (std::size_t c = 0; c < fixed.size(); ++c) {
    // The widths were chosen for a smaller font: a header is never cut off.
    int least = metrics.horizontalAdvance(grid.data().headerText(static_cast<int>(c))) + 12;
    // Sizes up to terabytes and whole dates show (a right-aligned text cut short loses its
    // left digits).
    const QFontMetrics cells = grid.view()->fontMetrics();
    switch (grid.shape().columns[c].field) {
      case CellField::Size:
        least = std::max(least, cells.horizontalAdvance(formatThousands(9'999'999'999'999)) + 12);
        break;
      case CellField::WriteDate:
      case CellField::AccessDate:
      case CellField::CreationDate:
        least = std::max(least, cells.horizontalAdvance(safeDateToStr(QDate(2088, 12, 28))) + 12);
        break;
      default: break;
    }
    widths.push_back(std::max(static_cast<int>(fixed[c] * scale), least));
    used += widths.back();
  }
  widths.push_back(std::max(windowWidth - used - 25, 40));
  grid.setColumnWidths(widths);
}

HintsOff::HintsOff(QWidget* window) : window_(window) { qApp->installEventFilter(this); }

HintsOff::~HintsOff() { qApp->removeEventFilter(this); }

bool HintsOff::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget && widget->window() == window_;
}

}  // namespace roomvale
