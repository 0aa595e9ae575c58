// The result grid of a finder window: the table view `grid` with its drawing rules, and the
// grid operations every finder shares (marking, sorting, highlighting, run/view/details,
// print, clipboard, web page, hand-over to the deletion review). A finder creates one
// ResultGrid with its GridSpec, binds its status line, Clean? button and menu items, and
// forwards its handlers here.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QDateTime>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scan/deletionrequest.h"
#include "scan/grid.h"
#include "scan/gridspec.h"
#include "scan/resultmodel.h"

namespace roomvale {

class ColumnFit;

// Windows that open on one file (the viewer, the details window) and the folder browser
// live in later subsystems; they install themselves here. Until then the items do nothing.
using FileWindowOpener = std::function<void(QWidget* owner, const std::string& path)>;
using FolderBrowserOpener = std::function<void(QWidget* owner, const std::string& folder,
                                               const std::string& selectedFile, const QString& mask)>;
void setFileViewerOpener(FileWindowOpener opener);
void setFileDetailsOpener(FileWindowOpener opener);
void setFolderBrowserOpener(FolderBrowserOpener opener);

// Draws a cell: text 2 pixels in from its side and 2 below the top, the mark picture at
// 2,2 in a marked mark cell with the text from 18 pixels on.
class GridCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class ResultGridView : public QTableView {
  Q_OBJECT

 public:
  explicit ResultGridView(QWidget* parent = nullptr);
  // The data row under the last mouse press, -1 for none.
  int lastClickedRow() const { return lastClickedRow_; }

 signals:
  void deleteKeyReleased();
  void rowDoubleClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  int lastClickedRow_ = -1;
};

class ResultGrid : public QObject {
  Q_OBJECT

 public:
  ResultGrid(GridSpec shape, QWidget* owner);
  ~ResultGrid() override;

  ResultGridView* view() const { return view_; }
  ResultModel* model() const { return model_; }
  GridData& data() { return model_->grid(); }
  const GridData& data() const { return model_->grid(); }
  const GridSpec& shape() const { return model_->grid().shape(); }

  // Bindings to the window's controls.
  void setStatusSink(std::function<void(const QString&)> sink) { status_ = std::move(sink); }
  void setCleanButton(QAbstractButton* button) { clean_ = button; }
  void setSortActions(std::vector<QAction*> actions);  // one per sort item, in item order
  void setHighlightAction(QAction* action);

  // Clearing and filling.
  void ClearGrid();
  int addFile(const GridFile& file) { return model_->addRow(file); }
  void finishFill() { model_->fixRowCount(); }

  // Marking.
  void deleteOneFile(int pos);
  void DeleteAllFiles();  // Mark button, Delete key
  void gridDblClick();
  // The walk has just ended: for the next half second the Mark button, the Delete key and
  // double clicks do nothing, so that a click meant for Abort, which Mark replaces, or a
  // double click on a row that just moved under the mouse marks nothing.
  void walkEnded();
  void Markall1Click();
  void Unmarkall1Click();
  void clearAllMarks() { model_->clearAllMarks(); }
  void updateCleanButton();

  // Sorting: the item's column and key, in the item's next direction; flips the flag and
  // checks the item.
  void sortByItem(int item);
  void headerClicked(int column);
  std::vector<bool>& directions();
  int checkedSortItem() const { return checkedSort_; }

  void Highlight1Click();
  // Row actions on the current row.
  int currentRow() const;
  std::string currentPath() const;
  void Run1Click();
  void View1Click();
  void Details1Click();
  void BrowseDirectory1Click(const QString& mask = QStringLiteral("*.*"));

  // Reports.
  void print(const QString& title);
  void btClipClick(int tag);
  void Webpage1Click();

  // Clean?: hands the marked files to the deletion review. Returns true when the review
  // was completed, so the finder closes.
  bool handOver(const QString& sourceTag);

  // Column widths in pixels: the window's resize rule gives the least width of each; a
  // column is never narrower than its header or its widest text (in the view's font). The
  // last column, which the rules make the rest of the window, gives back what the others
  // grew beyond their rule, down to its own text.
  void setColumnWidths(const std::vector<int>& widths);
  std::vector<int> columnWidths() const;

 private:
  void writeStatus(const QString& text);
  void fitColumns();
  bool justAfterWalk() const;

  QWidget* owner_;
  ResultModel* model_;
  ResultGridView* view_;
  std::function<void(const QString&)> status_;
  QPointer<QAbstractButton> clean_;
  std::vector<QPointer<QAction>> sortActions_;
  QPointer<QAction> highlightAction_;
  int checkedSort_ = 0;
  std::vector<int> ruleWidths_;
  QDateTime walkEndedAt_;
  std::unique_ptr<ColumnFit> fit_;
};

}  // namespace roomvale
