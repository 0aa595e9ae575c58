#include "scan/resultmodel.h"

#include <QColor>
#include <QFont>
#include <QTimer>

#include "scan/sortgrid.h"

namespace roomvale {

ResultModel::ResultModel(GridSpec shape, QObject* parent) : QAbstractTableModel(parent), grid_(std::move(shape)) {}

int ResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int ResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : grid_.columnCount(); }

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int pos = index.row();
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole: return grid_.cellText(pos, column);
    case Qt::TextAlignmentRole: {
      const bool right = grid_.shape().columns[static_cast<std::size_t>(column)].rightAligned;
      return QVariant::fromValue(Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop));
    }
    case Qt::FontRole: {
      if (!highlight_ || column != grid_.shape().highlightColumn || !grid_.isRowUsed(pos)) return {};
      const std::string path = grid_.cellPath(pos, column);
      if (path.empty() || !isProtectedPath(path, grid_.shape().highlightIsFile)) return {};
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    case Qt::BackgroundRole:
      if (shading_ && grid_.shade(pos)) return QColor(0xDF, 0xDF, 0xDF);
      return {};
    case MarkedRole: return column == grid_.shape().markColumn && grid_.isMarked(pos);
    case RowUsedRole: return grid_.isRowUsed(pos);
    default: return {};
  }
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::DisplayRole) return grid_.headerText(section);
  return {};
}

void ResultModel::clearGrid() {
  beginResetModel();
  grid_.clear();
  shownRows_ = grid_.rowCount() - 1;
  dirtyFirst_ = dirtyLast_ = -1;
  endResetModel();
}

int ResultModel::addRow(const GridFile& file) {
  const int pos = grid_.addRow(file);
  if (pos < 0) return pos;
  if (dirtyFirst_ < 0 || pos < dirtyFirst_) dirtyFirst_ = pos;
  dirtyLast_ = std::max(dirtyLast_, pos);
  scheduleFlush();
  return pos;
}

void ResultModel::scheduleFlush() {
  if (flushScheduled_) return;
  flushScheduled_ = true;
  QTimer::singleShot(0, this, [this] { flush(); });
}

void ResultModel::flush() {
  flushScheduled_ = false;
  const int want = grid_.rowCount() - 1;
  if (want > shownRows_) {
    beginInsertRows({}, shownRows_, want - 1);
    shownRows_ = want;
    endInsertRows();
  } else if (want < shownRows_) {
    beginRemoveRows({}, want, shownRows_ - 1);
    shownRows_ = want;
    endRemoveRows();
  }
  if (dirtyFirst_ >= 0) {
    const int last = std::min(dirtyLast_, shownRows_ - 1);
    if (last >= dirtyFirst_) emit dataChanged(index(dirtyFirst_, 0), index(last, columnCount() - 1));
    dirtyFirst_ = dirtyLast_ = -1;
  }
}

void ResultModel::fixRowCount() {
  grid_.fixRowCount();
  flush();
}

void ResultModel::removeRow(int pos) {
  flush();
  if (!grid_.isRowUsed(pos) || pos >= shownRows_) return;
  beginRemoveRows({}, pos, pos);
  grid_.removeRow(pos);
  shownRows_ -= 1;
  endRemoveRows();
  // A grid never shows fewer than one (blank) row.
  flush();
}

int ResultModel::removeRowsWhere(const std::function<bool(int pos)>& drop) {
  flush();
  beginResetModel();
  const int removed = grid_.removeRowsWhere(drop);
  shownRows_ = grid_.rowCount() - 1;
  endResetModel();
  return removed;
}

void ResultModel::setColumnTexts(int column, const std::vector<QString>& texts) {
  flush();
  const QString* widest = nullptr;
  const int n = std::min(static_cast<int>(texts.size()), grid_.rowsUsed());
  for (int pos = 0; pos < n; ++pos) {
    const QString& text = texts[static_cast<std::size_t>(pos)];
    grid_.setCellText(pos, column, text);
    if (!widest || text.size() > widest->size()) widest = &text;
  }
  if (n > 0 && n <= shownRows_) emit dataChanged(index(0, column), index(n - 1, column));
  if (widest) emit cellTextSet(column, *widest);
}

void ResultModel::setCellText(int pos, int column, const QString& text) {
  grid_.setCellText(pos, column, text);
  if (pos < shownRows_) emit dataChanged(index(pos, column), index(pos, column));
  if (grid_.isRowUsed(pos)) emit cellTextSet(column, text);
}

void ResultModel::setHeaderText(int column, const QString& text) {
  grid_.setHeaderText(column, text);
  emit headerDataChanged(Qt::Horizontal, column, column);
}

bool ResultModel::toggleMark(int pos) {
  const bool marked = grid_.deleteOneFile(pos);
  // Another row of the same file keeps its own mark; only this row changes.
  if (pos >= 0 && pos < shownRows_) emit dataChanged(index(pos, 0), index(pos, columnCount() - 1));
  return marked;
}

void ResultModel::allChanged() {
  if (shownRows_ > 0 && columnCount() > 0) emit dataChanged(index(0, 0), index(shownRows_ - 1, columnCount() - 1));
}

void ResultModel::markAll() {
  flush();
  grid_.markAll();
  allChanged();
}

void ResultModel::clearAllMarks() {
  grid_.clearAllMarks();
  allChanged();
}

void ResultModel::sortBy(SortKind kind, int column, bool descending) {
  flush();
  emit layoutAboutToBeChanged();
  sortGrid(grid_, kind, 0, grid_.rowsUsed() - 1, descending, column);
  emit layoutChanged();
}

void ResultModel::setHighlight(bool on) {
  highlight_ = on;
  allChanged();
}

void ResultModel::setShading(bool on) {
  shading_ = on;
  allChanged();
}

}  // namespace roomvale
