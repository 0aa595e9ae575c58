// The item model behind the grids of the statistics pages: a header row and rows of texts,
// with per-column alignment. Refilling keeps the rows that stay (their texts change in
// place) and inserts or removes only the difference, so views keep their scroll position.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace roomvale::stats {

class StatGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // `rightAligned` lists the columns drawn right-aligned.
  StatGridModel(QStringList headers, std::vector<int> rightAligned, QObject* parent = nullptr);

  void setRows(std::vector<QStringList> rows);
  void clear() { setRows({}); }
  const std::vector<QStringList>& rows() const { return rows_; }
  QString text(int row, int column) const;
  // Cells can be selected (off: the grid only shows).
  void setSelectable(bool on) { selectable_ = on; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  QStringList headers_;
  std::vector<int> right_;
  std::vector<QStringList> rows_;
  bool selectable_ = false;
};

}  // namespace roomvale::stats
