// The item model over a result grid. Cell texts are made in data() only for the cells the
// view draws. Rows added by a walk reach the view in batches (at the next event-loop turn),
// so filling a grid costs a few notifications per pump, not one per row.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "scan/grid.h"
#include "scan/gridspec.h"

namespace roomvale {

class ResultModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Role {
    MarkedRole = Qt::UserRole + 1,  // bool, on the mark column
    RowUsedRole,                    // bool: a filled row (not a blank one)
  };

  explicit ResultModel(GridSpec shape, QObject* parent = nullptr);

  GridData& grid() { return grid_; }
  const GridData& grid() const { return grid_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // Changes that keep the view in step.
  void clearGrid();
  int addRow(const GridFile& file);
  void fixRowCount();
  void removeRow(int pos);
  // Many rows at once (the view is reset): returns how many went.
  int removeRowsWhere(const std::function<bool(int pos)>& drop);
  void setCellText(int pos, int column, const QString& text);
  // A finder's own texts for one column of many rows (texts[pos]), with one notification.
  void setColumnTexts(int column, const std::vector<QString>& texts);
  void setHeaderText(int column, const QString& text);
  bool toggleMark(int pos);
  void markAll();
  void clearAllMarks();
  void sortBy(SortKind kind, int column, bool descending);
  void setHighlight(bool on);
  bool highlight() const { return highlight_; }
  void setShading(bool on);
  // Brings the view up to date with rows added since the last call.
  void flush();

 signals:
  // A finder's own text was set on a cell (the column widths take it in).
  void cellTextSet(int column, const QString& text);

 private:
  void scheduleFlush();
  void allChanged();

  GridData grid_;
  int shownRows_ = 1;  // data rows the view knows of
  int dirtyFirst_ = -1;
  int dirtyLast_ = -1;
  bool flushScheduled_ = false;
  bool highlight_ = true;
  bool shading_ = true;
};

}  // namespace roomvale
