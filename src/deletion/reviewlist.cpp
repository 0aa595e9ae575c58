#include "deletion/reviewlist.h"

#include <QByteArray>
#include <algorithm>

#include "platform/paths.h"

namespace roomvale {

ReviewList::ReviewList(QObject* parent) : QAbstractListModel(parent) {}

int ReviewList::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count(); }

QVariant ReviewList::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0 || index.row() >= count()) return {};
  const Entry& e = entries_[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole) return e.text;
  if (role == kPathRole) return QByteArray(e.path.data(), static_cast<qsizetype>(e.path.size()));
  return {};
}

std::vector<std::string> ReviewList::paths() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const Entry& e : entries_) out.push_back(e.path);
  return out;
}

int ReviewList::rowOf(const std::string& path) const {
  const Entry probe = entryFor(path);
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), probe, &ReviewList::entryLess);
  return it != entries_.end() && it->path == path ? static_cast<int>(it - entries_.begin()) : -1;
}

bool ReviewList::less(const QString& keyA, const std::string& a, const QString& keyB, const std::string& b) {
  const int c = keyA.compare(keyB);
  if (c != 0) return c < 0;
  return a < b;
}

ReviewList::Entry ReviewList::entryFor(std::string path) {
  Entry e;
  e.text = platform::toDisplay(path);
  e.key = e.text.toCaseFolded();
  e.path = std::move(path);
  return e;
}

void ReviewList::add(std::vector<std::string> paths) {
  if (paths.empty()) return;
  std::vector<Entry> incoming;
  incoming.reserve(paths.size());
  for (std::string& p : paths) incoming.push_back(entryFor(std::move(p)));
  std::sort(incoming.begin(), incoming.end(), &ReviewList::entryLess);

  beginResetModel();
  std::vector<Entry> merged;
  merged.reserve(entries_.size() + incoming.size());
  std::merge(std::make_move_iterator(entries_.begin()), std::make_move_iterator(entries_.end()),
             std::make_move_iterator(incoming.begin()), std::make_move_iterator(incoming.end()),
             std::back_inserter(merged), &ReviewList::entryLess);
  // Equal paths have equal keys, so they stand side by side.
  merged.erase(
      std::unique(merged.begin(), merged.end(), [](const Entry& a, const Entry& b) { return a.path == b.path; }),
      merged.end());
  entries_ = std::move(merged);
  endResetModel();
}

std::vector<std::string> ReviewList::take(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || r >= count(); }), rows.end());
  std::vector<std::string> out;
  if (rows.empty()) return out;
  std::vector<Entry> kept;
  kept.reserve(entries_.size());
  beginResetModel();
  std::size_t next = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    while (next < rows.size() && rows[next] < static_cast<int>(i)) ++next;
    if (next < rows.size() && rows[next] == static_cast<int>(i))
      out.push_back(std::move(entries_[i].path));
    else
      kept.push_back(std::move(entries_[i]));
  }
  entries_ = std::move(kept);
  endResetModel();
  return out;
}

void ReviewList::clear() {
  if (entries_.empty()) return;
  beginResetModel();
  entries_.clear();
  endResetModel();
}

}  // namespace roomvale
