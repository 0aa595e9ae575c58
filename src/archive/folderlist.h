// The drive list and folder list pair of the restore windows: the combo box holds the
// mounted volumes, the list the current folder's ancestors and its sub-folders. A double
// click (or Enter) in the list moves into a folder; choosing a volume moves to its root.
// The process's current folder is never changed: each list keeps its own.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <string>

namespace roomvale {

class DirectoryListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit DirectoryListBox(QWidget* parent = nullptr);

  // The folder shown, without trailing "/" except for "/" itself.
  const std::string& folder() const { return folder_; }
  // The folder of the highlighted item (the shown one until another is clicked).
  std::string selectedFolder() const;
  // Moves to `path`; a folder that cannot be read falls back to its nearest ancestor that
  // can. Emits folderChanged when the folder is another one.
  void setFolder(const std::string& path);
  // Reads the current folder again (after a folder was created in it).
  void refresh();
  // The folder an item stands for.
  static std::string folderOf(const QListWidgetItem* item);

 signals:
  void folderChanged();
  // After a double click on an item, whether or not it moved.
  void folderActivated();
  // Another item was highlighted.
  void selectedFolderChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void fill();
  void enter(QListWidgetItem* item);

  std::string folder_;
};

class DriveComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit DriveComboBox(QWidget* parent = nullptr);

  // Reads the mounted volumes again.
  void fillVolumes();
  // The list this box moves and follows.
  void setDirList(DirectoryListBox* list);

 private:
  void follow();

  DirectoryListBox* list_ = nullptr;
};

// `path` without trailing "/" (except "/" itself), "." and empty parts removed.
std::string plainFolderPath(const std::string& path);

}  // namespace roomvale
