// Small pieces every finder window is built from: named controls, the radio group, the
// shrinking top panel, the column widths rule and the hints that are off while walking.
#pragma once

#include <QGroupBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <vector>

class QAbstractScrollArea;
class QAction;
class QButtonGroup;
class QEvent;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace roomvale {

class ResultGrid;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint);
QAction* makeAction(QMenu* menu, const char* name, const QString& text);
QMenu* makeSubmenu(QMenu* menu, const char* name, const QString& text);
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text);
// The one-line status bar below a grid.
QLabel* makeStatusBar(QWidget* parent, const char* name);

// The grid commands the finders' menus share, each run by the grid itself; a window leaves
// out (null) those its menu does not have.
struct GridCommands {
  QAction* details = nullptr;
  QAction* markAll = nullptr;
  QAction* unmarkAll = nullptr;
  QAction* open = nullptr;
  QAction* view = nullptr;
  QAction* names = nullptr;  // copy the first column's texts
  QAction* entireGrid = nullptr;
  QAction* webPage = nullptr;
};
void connectGridCommands(ResultGrid* grid, const GridCommands& commands);

// `menu` pops up where a list is right-clicked and below the Options button.
void connectPopupMenu(QMenu* menu, std::initializer_list<QAbstractScrollArea*> lists, QPushButton* options);

// A captioned group of exclusive radio items, chosen by index.
class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  TRadioGroup(const char* name, const QString& caption, const QStringList& items, QWidget* parent = nullptr);

  int itemIndex() const;
  void setItemIndex(int index);
  int count() const;

 signals:
  // The user chose an item (also by keyboard).
  void clicked(int index);

 private:
  QButtonGroup* buttons_;
};

// "Shrink top panel" and "Restore top panel" (back to the height it had when shown).
void shrinkTopPanel(QWidget* panel, QAction* shrink, QAction* restore);
void restoreTopPanel(QWidget* panel, int shownHeight, QAction* shrink, QAction* restore);

// The window never narrower than its top panel's content plus 3 pixels, never lower than
// twice the panel's bottom edge, both within the screen.
void keepTopPanelRoom(QWidget* window, QWidget* topPanel);

// Column widths: `fixed` at 96 pixels per inch, scaled to the screen (but never narrower
// than the column's header, nor a size or date column than its texts), then the last column takes the rest of the
// window's width less 25.
void setFinderColumnWidths(ResultGrid& grid, const std::vector<int>& fixed, int dpiX, int windowWidth);

// While it lives, no hint pops up over `window`'s widgets (hints are off while walking).
class HintsOff : public QObject {
 public:
  explicit HintsOff(QWidget* window);
  ~HintsOff() override;
  HintsOff(const HintsOff&) = delete;
  HintsOff& operator=(const HintsOff&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
};

}  // namespace roomvale
