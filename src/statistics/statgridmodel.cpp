#include "statistics/statgridmodel.h"

#include <algorithm>

namespace roomvale::stats {

StatGridModel::StatGridModel(QStringList headers, std::vector<int> rightAligned, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)), right_(std::move(rightAligned)) {}

void StatGridModel::setRows(std::vector<QStringList> rows) {
  const int old = int(rows_.size());
  const int now = int(rows.size());
  if (now < old) {
    beginRemoveRows({}, now, old - 1);
    rows_.resize(now);
    endRemoveRows();
  }
  const int kept = std::min(old, now);
  for (int r = 0; r < kept; ++r) rows_[r] = std::move(rows[r]);
  if (kept > 0) emit dataChanged(index(0, 0), index(kept - 1, columnCount() - 1));
  if (now > old) {
    beginInsertRows({}, old, now - 1);
    for (int r = old; r < now; ++r) rows_.push_back(std::move(rows[r]));
    endInsertRows();
  }
}

QString StatGridModel::text(int row, int column) const {
  if (row < 0 || row >= int(rows_.size()) || column < 0 || column >= rows_[row].size()) return {};
  return rows_[row][column];
}

int StatGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int StatGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(headers_.size()); }

QVariant StatGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole) return text(index.row(), index.column());
  if (role == Qt::TextAlignmentRole) {
    const bool right = std::find(right_.begin(), right_.end(), index.column()) != right_.end();
    return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
  }
  return {};
}

QVariant StatGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) return {};
  if (role == Qt::DisplayRole) return headers_[section];
  return {};
}

Qt::ItemFlags StatGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return selectable_ ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

}  // namespace roomvale::stats
