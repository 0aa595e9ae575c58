#include "inspect/foldertree.h"

#include <fcntl.h>

#include <QApplication>
#include <QIcon>
#include <QMetaObject>
#include <QStyle>
#include <algorithm>

#include "platform/direnum.h"
#include "platform/paths.h"

namespace roomvale {

struct FolderTreeModel::Node {
  std::string name;  // the root node holds the whole root path
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> children;
  bool fetched = false;
  bool pending = false;  // a read is on its way
  int position = 0;      // row under the parent
  int row() const { return position; }
  void renumber() {
    for (std::size_t i = 0; i < children.size(); ++i) children[i]->position = static_cast<int>(i);
  }
};

namespace {

bool nameLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto low = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return low(x) < low(y);
  });
}

std::string joined(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

FolderTreeModel::FolderTreeModel(QObject* parent) : QAbstractItemModel(parent), top_(std::make_unique<Node>()) {
  top_->fetched = true;
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::setRoot(const std::string& root) {
  beginResetModel();
  ++generation_;
  top_->children.clear();
  auto node = std::make_unique<Node>();
  node->name = root.size() > 1 && root.back() == '/' ? root.substr(0, root.size() - 1) : root;
  node->parent = top_.get();
  top_->children.push_back(std::move(node));
  endResetModel();
}

const std::string& FolderTreeModel::root() const {
  static const std::string none;
  return top_->children.empty() ? none : top_->children.front()->name;
}

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : top_.get();
}

QModelIndex FolderTreeModel::indexOfNode(const Node* node) const {
  if (!node || node == top_.get()) return {};
  return createIndex(node->row(), 0, const_cast<Node*>(node));
}

std::string FolderTreeModel::pathOf(const QModelIndex& index) const {
  std::vector<const Node*> chain;
  for (const Node* n = nodeOf(index); n && n != top_.get(); n = n->parent) chain.push_back(n);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    path = path.empty() ? (*it)->name : joined(path, (*it)->name);
  return path;
}

std::vector<std::string> FolderTreeModel::readFolders(const std::string& path) const {
  std::vector<std::string> names;
  platform::DirReader reader;
  // Request: folders, but neither hidden nor system ones (links and other file systems).
  if (!reader.open(path, "*", platform::kAttrDirectory)) return names;
  platform::DirEntry entry;
  while (reader.next(entry))
    if (entry.isDirectory()) names.push_back(entry.name);
  std::sort(names.begin(), names.end(), nameLess);
  return names;
}

void FolderTreeModel::refresh(const QModelIndex& index) {
  Node* node = nodeOf(index);
  if (node == top_.get()) return;
  if (!node->children.empty()) {
    beginRemoveRows(index, 0, static_cast<int>(node->children.size()) - 1);
    node->children.clear();
    endRemoveRows();
  }
  node->fetched = false;
  fetchNow(index);
}

QModelIndex FolderTreeModel::indexOf(const std::string& path) {
  if (top_->children.empty()) return {};
  Node* node = top_->children.front().get();
  const std::string& rootPath = node->name;
  if (path == rootPath || path == rootPath + "/") return indexOfNode(node);
  const std::string prefix = rootPath == "/" ? "/" : rootPath + "/";
  if (path.compare(0, prefix.size(), prefix) != 0) return {};
  std::size_t pos = prefix.size();
  std::string current = rootPath;
  while (pos < path.size()) {
    std::size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(pos, end - pos);
    pos = end + 1;
    if (name.empty()) continue;
    if (name == "." || name == "..") return {};
    const QModelIndex at = indexOfNode(node);
    if (!node->fetched) fetchNow(at);
    const std::string childPath = joined(current, name);
    auto it = std::find_if(node->children.begin(), node->children.end(),
                           [&name](const std::unique_ptr<Node>& c) { return c->name == name; });
    if (it == node->children.end()) {
      // Not listed (hidden): added when it is a real folder on the same file system.
      platform::DirEntry entry;
      if (!platform::statEntry(AT_FDCWD, childPath, entry) || !entry.isDirectory() ||
          (entry.attr & platform::kAttrSystem))
        return {};
      auto child = std::make_unique<Node>();
      child->name = name;
      child->parent = node;
      const auto place =
          std::lower_bound(node->children.begin(), node->children.end(), name,
                           [](const std::unique_ptr<Node>& c, const std::string& n) { return nameLess(c->name, n); });
      const int row = static_cast<int>(place - node->children.begin());
      beginInsertRows(at, row, row);
      it = node->children.insert(place, std::move(child));
      node->renumber();
      endInsertRows();
    }
    node = it->get();
    current = childPath;
  }
  return indexOfNode(node);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  const Node* node = nodeOf(parent);
  if (row >= static_cast<int>(node->children.size())) return {};
  return createIndex(row, 0, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  return indexOfNode(nodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Node* node = nodeOf(index);
  switch (role) {
    case Qt::DisplayRole: return platform::toDisplay(node->name);
    case Qt::DecorationRole: {
      static const QIcon folder = [] {
        const QIcon themed = QIcon::fromTheme(QStringLiteral("folder"));
        return themed.isNull() ? QApplication::style()->standardIcon(QStyle::SP_DirIcon) : themed;
      }();
      return folder;
    }
    default: return {};
  }
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
  const Node* node = nodeOf(parent);
  if (parent.isValid() && parent.column() != 0) return false;
  return !node->fetched || !node->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return false;
  return !nodeOf(parent)->fetched;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
  Node* node = nodeOf(parent);
  if (node->fetched || node->pending) return;
  node->pending = true;
  QMetaObject::invokeMethod(
      this,
      [this, path = pathOf(parent), generation = generation_] {
        if (generation != generation_) return;  // a new root since
        const QModelIndex at = indexOf(path);
        if (at.isValid()) fetchNow(at);
      },
      Qt::QueuedConnection);
}

void FolderTreeModel::fetchNow(const QModelIndex& parent) {
  Node* node = nodeOf(parent);
  node->pending = false;
  if (node->fetched) return;
  node->fetched = true;
  std::vector<std::string> names = readFolders(pathOf(parent));
  if (names.empty()) {
    // The expander goes away.
    if (parent.isValid()) emit dataChanged(parent, parent);
    return;
  }
  beginInsertRows(parent, 0, static_cast<int>(names.size()) - 1);
  for (std::string& name : names) {
    auto child = std::make_unique<Node>();
    child->name = std::move(name);
    child->parent = node;
    node->children.push_back(std::move(child));
  }
  node->renumber();
  endInsertRows();
}

}  // namespace roomvale
