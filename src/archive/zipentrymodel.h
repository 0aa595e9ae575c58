// The contents of an archive as a tree of its folders and files, for the restore window's
// view. Folders are made from the entries' paths; an entry naming a folder ("a/b/") only
// makes sure the folder is shown.
#pragma once

#include <QAbstractItemModel>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/zipreader.h"

namespace roomvale {

class ZipEntryModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum Column { NameColumn, SizeColumn, DateColumn, ColumnCount };

  explicit ZipEntryModel(QObject* parent = nullptr);
  ~ZipEntryModel() override;

  // Replaces the contents.
  void setEntries(const std::vector<ZipEntryInfo>& entries);
  // Adds entries to what is shown (rows are inserted where they belong).
  void addEntries(const std::vector<ZipEntryInfo>& entries);
  void clear();

  // Files and folders shown.
  std::size_t fileCount() const { return files_; }
  std::size_t folderCount() const { return folders_; }

  // Native name of the entry or folder at `index` ("a/b" for a folder).
  std::string pathOf(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // Folders before files at every level, each group by the column.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

 private:
  struct Node;
  Node* nodeOf(const QModelIndex& index) const;
  QModelIndex indexOf(Node* node, int column) const;
  Node* insert(Node* parent, std::unique_ptr<Node> child, bool notify);
  void addEntry(const ZipEntryInfo& entry, bool notify);
  bool before(const Node& a, const Node& b) const;
  void sortBelow(Node* node);

  std::unique_ptr<Node> root_;
  std::size_t files_ = 0;
  std::size_t folders_ = 0;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace roomvale
