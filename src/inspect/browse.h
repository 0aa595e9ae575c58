// The folder browser TfrmBrowse: walk the folder tree of a volume by hand, list the files of
// one folder at a time, mark files and hand them to the deletion review, or send a whole
// folder to folder-tree deletion.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "scan/gridspec.h"

class QComboBox;
class QLabel;
class QMenu;
class QAction;
class QPushButton;
class QTreeView;

namespace roomvale {

class FolderTreeModel;
class ResultGrid;
class TWinPlace;

GridSpec browseGridSpec();

// The files of `folder` the browser lists for `mask` (patterns separated by ";"): neither
// folders nor hidden or system files, in name order.
struct ListedFile {
  std::string name;
  std::uint64_t size = 0;
  std::uint32_t writeTime = 0;
  std::uint32_t accessTime = 0;
};
std::vector<ListedFile> listFolderFiles(const std::string& folder, const QString& mask);

// Opens the browser modally over `owner` at `folder` with `selectedFile` selected (may be
// empty) and the wildcard `mask`.
void openFolderBrowser(QWidget* owner, const std::string& folder, const std::string& selectedFile, const QString& mask);

// Connects the viewer, details and browser windows to the finders' result grids.
void installInspectWindows();

class TfrmBrowse : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmBrowse(QWidget* parent = nullptr);
  ~TfrmBrowse() override;

  // Set by the opener before showing.
  void presetFolder(const std::string& folder, const std::string& selectedFile = {});
  QString mask = QStringLiteral("*.*");

  const std::string& currentFolder() const { return folder_; }
  // Shows a folder in the tree and lists it.
  void chooseFolder(const std::string& folder);

  QComboBox* DriveCombobox1;
  QTreeView* DirectoryListBox1;
  FolderTreeModel* tree;
  QLabel* Label1;
  ResultGrid* grid;
  QPushButton* btDeleteDirectory;
  QPushButton* btView;
  QPushButton* btMark;
  QPushButton* btDeleteFiles;
  QPushButton* btClose;
  QPushButton* btLaunch;
  QPushButton* btDetails;
  QPushButton* btMenu;
  QLabel* pnlScan;
  QLabel* pnlSize;
  QLabel* pnlWild;
  QMenu* PopupMenu1;
  QAction* Details1;
  QAction* Sortbyname1;
  QAction* SortbyModified1;
  QAction* SortbyAccess1;
  QAction* SortbySize1;
  QAction* SortbyType1;
  QAction* Markall1;
  QAction* Unmarkall1;
  QAction* Open1;
  QAction* View1;

  std::uint64_t folderBytes() const { return folderBytes_; }

  void DirectoryListBox1Change();
  void btDeleteFilesClick();
  void btDeleteDirectoryClick();
  void btViewClick();
  void btLaunchClick();
  void Details1Click();
  void pnlWildClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormShow();
  void FillGrid();
  void fillDrives();
  void driveChosen(int index);
  void showLabel();
  void selectFile(const std::string& name);
  std::string selectedFilePath() const;

  std::string folder_;
  std::string selectFile_;
  std::uint64_t folderBytes_ = 0;
  bool shown_ = false;
  bool syncing_ = false;
  TWinPlace* place_;
};

}  // namespace roomvale
