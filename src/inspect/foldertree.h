// The folder tree of the folder browser: one volume's folders, read lazily (a folder's
// sub-folders are read when it is first opened), folders only. Hidden folders, symbolic
// links and folders of other file systems are not listed, so nothing is reached through a
// link; a hidden folder the browser is asked to show is added on its own.
#pragma once

#include <QAbstractItemModel>
#include <memory>
#include <string>
#include <vector>

namespace roomvale {

class FolderTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit FolderTreeModel(QObject* parent = nullptr);
  ~FolderTreeModel() override;

  // The top folder (a volume's mount point, "/" or a path without a trailing "/").
  void setRoot(const std::string& root);
  const std::string& root() const;

  std::string pathOf(const QModelIndex& index) const;
  // The item of a folder below the root, reading (and adding) what is needed on the way;
  // invalid when the path is not a real folder below the root (a link on the way, missing).
  QModelIndex indexOf(const std::string& path);
  // Reads a folder's sub-folders again.
  void refresh(const QModelIndex& index);

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  // Views ask while they handle a change of the model; the folder is read at the next turn
  // of the event loop, so that no change starts inside another.
  void fetchMore(const QModelIndex& parent) override;
  // Reads a folder's sub-folders now (nothing when they have been read).
  void fetchNow(const QModelIndex& parent);

 private:
  struct Node;
  Node* nodeOf(const QModelIndex& index) const;
  QModelIndex indexOfNode(const Node* node) const;
  std::vector<std::string> readFolders(const std::string& path) const;

  std::unique_ptr<Node> top_;  // invisible; its one child is the root folder
  std::uint64_t generation_ = 0;
};

}  // namespace roomvale
