#include "archive/zipentrymodel.h"

#include <QApplication>
#include <QDateTime>
#include <QStyle>
#include <algorithm>

#include "foundation/helpers.h"
#include "platform/paths.h"

namespace roomvale {

struct ZipEntryModel::Node {
  std::string name;  // native bytes of this part of the path
  QString label;
  bool folder = true;
  std::uint64_t size = 0;
  std::time_t mtime = 0;
  Node* parent = nullptr;
  int row = 0;
  std::vector<std::unique_ptr<Node>> children;
  std::unordered_map<std::string, Node*> folders;  // child folders by name
};

ZipEntryModel::ZipEntryModel(QObject* parent) : QAbstractItemModel(parent), root_(std::make_unique<Node>()) {}

ZipEntryModel::~ZipEntryModel() = default;

void ZipEntryModel::clear() {
  beginResetModel();
  root_ = std::make_unique<Node>();
  files_ = folders_ = 0;
  endResetModel();
}

void ZipEntryModel::setEntries(const std::vector<ZipEntryInfo>& entries) {
  beginResetModel();
  root_ = std::make_unique<Node>();
  files_ = folders_ = 0;
  for (const ZipEntryInfo& e : entries) addEntry(e, false);
  if (sortColumn_ >= 0) sortBelow(root_.get());
  endResetModel();
}

void ZipEntryModel::addEntries(const std::vector<ZipEntryInfo>& entries) {
  for (const ZipEntryInfo& e : entries) addEntry(e, true);
}

bool ZipEntryModel::before(const Node& a, const Node& b) const {
  if (a.folder != b.folder) return a.folder;
  const bool down = sortOrder_ == Qt::DescendingOrder;
  auto byName = [&] {
    const int c = QString::compare(a.label, b.label, Qt::CaseInsensitive);
    return down ? c > 0 : c < 0;
  };
  switch (sortColumn_) {
    case SizeColumn:
      if (a.size != b.size) return down ? a.size > b.size : a.size < b.size;
      return byName();
    case DateColumn:
      if (a.mtime != b.mtime) return down ? a.mtime > b.mtime : a.mtime < b.mtime;
      return byName();
    default: return byName();
  }
}

ZipEntryModel::Node* ZipEntryModel::insert(Node* parent, std::unique_ptr<Node> child, bool notify) {
  auto& kids = parent->children;
  // Unsorted, entries keep the archive's order; sorted, each goes to its place.
  auto at = sortColumn_ < 0 ? kids.end()
                            : std::upper_bound(kids.begin(), kids.end(), child,
                                               [this](const auto& x, const auto& y) { return before(*x, *y); });
  const int row = static_cast<int>(at - kids.begin());
  child->parent = parent;
  Node* raw = child.get();
  if (notify) beginInsertRows(indexOf(parent, 0), row, row);
  kids.insert(at, std::move(child));
  for (int r = row; r < static_cast<int>(kids.size()); ++r) kids[static_cast<std::size_t>(r)]->row = r;
  if (raw->folder) {
    parent->folders.emplace(raw->name, raw);
    ++folders_;
  } else {
    ++files_;
  }
  if (notify) endInsertRows();
  return raw;
}

void ZipEntryModel::addEntry(const ZipEntryInfo& entry, bool notify) {
  // Display only: empty parts (a leading "/", "a//b") are left out. Whether an entry may be
  // restored is decided when it is restored.
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= entry.name.size()) {
    std::size_t j = entry.name.find('/', i);
    if (j == std::string::npos) j = entry.name.size();
    if (j > i) parts.push_back(entry.name.substr(i, j - i));
    i = j + 1;
  }
  if (parts.empty()) return;
  const bool isFolder = entry.folder;
  Node* node = root_.get();
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const bool last = k + 1 == parts.size();
    if (!last || isFolder) {
      auto it = node->folders.find(parts[k]);
      if (it != node->folders.end()) {
        node = it->second;
        continue;
      }
    }
    auto child = std::make_unique<Node>();
    child->name = parts[k];
    child->label = platform::toDisplay(parts[k]);
    child->folder = !last || isFolder;
    if (last && !isFolder) {
      child->size = entry.size;
      child->mtime = entry.mtime;
    }
    node = insert(node, std::move(child), notify);
  }
}

void ZipEntryModel::sortBelow(Node* node) {
  std::stable_sort(node->children.begin(), node->children.end(),
                   [this](const auto& x, const auto& y) { return before(*x, *y); });
  for (std::size_t r = 0; r < node->children.size(); ++r) {
    node->children[r]->row = static_cast<int>(r);
    if (node->children[r]->folder) sortBelow(node->children[r].get());
  }
}

void ZipEntryModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= ColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::pair<Node*, int>> held;
  held.reserve(static_cast<std::size_t>(before.size()));
  for (const QModelIndex& i : before) held.emplace_back(nodeOf(i), i.column());
  sortColumn_ = column;
  sortOrder_ = order;
  sortBelow(root_.get());
  QModelIndexList after;
  after.reserve(before.size());
  for (const auto& [node, col] : held) after << indexOf(node, col);
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

ZipEntryModel::Node* ZipEntryModel::nodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex ZipEntryModel::indexOf(Node* node, int column) const {
  if (!node || node == root_.get()) return {};
  return createIndex(node->row, column, node);
}

std::string ZipEntryModel::pathOf(const QModelIndex& index) const {
  std::string path;
  for (const Node* n = nodeOf(index); n && n != root_.get(); n = n->parent)
    path = path.empty() ? n->name : n->name + "/" + path;
  return path;
}

QModelIndex ZipEntryModel::index(int row, int column, const QModelIndex& parent) const {
  if (column < 0 || column >= ColumnCount || row < 0) return {};
  const Node* p = nodeOf(parent);
  if (static_cast<std::size_t>(row) >= p->children.size()) return {};
  return createIndex(row, column, p->children[static_cast<std::size_t>(row)].get());
}

QModelIndex ZipEntryModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  return indexOf(nodeOf(child)->parent, 0);
}

int ZipEntryModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return static_cast<int>(nodeOf(parent)->children.size());
}

int ZipEntryModel::columnCount(const QModelIndex&) const { return ColumnCount; }

QVariant ZipEntryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Node* n = nodeOf(index);
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case NameColumn: return n->label;
      case SizeColumn: return n->folder ? QString() : formatThousands(static_cast<std::int64_t>(n->size));
      case DateColumn: {
        if (n->folder) return QString();
        const QDateTime when = QDateTime::fromSecsSinceEpoch(n->mtime);
        return safeDateToStr(when) + QLatin1Char(' ') + when.toString(QStringLiteral("HH:mm"));
      }
      default: return {};
    }
  }
  if (role == Qt::DecorationRole && index.column() == NameColumn && qApp)
    return QApplication::style()->standardIcon(n->folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
  if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant ZipEntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case NameColumn: return QStringLiteral("Name");
    case SizeColumn: return QStringLiteral("Size");
    case DateColumn: return QStringLiteral("Modified");
    default: return {};
  }
}

}  // namespace roomvale
