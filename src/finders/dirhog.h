// The folder hogs: which folders take the most space on the ticked drives and added folders,
// either the folders directly under each target with their whole sub-trees, or every folder
// with its own files. A listed folder can be cleaned as a whole through the folder-tree
// deletion window.
#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "finders/foldertotals.h"
#include "scan/gridspec.h"
#include "scan/walk.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace roomvale {

class ResultGrid;

GridSpec dirHogGridSpec();

// Opens the folder hogs modally over `owner`; returns the dialog's result.
int openFolderHogs(QWidget* owner);

class TfrmDirHog : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmDirHog(QWidget* parent = nullptr);
  ~TfrmDirHog() override;

  // Top panel.
  QWidget* pnlTop;
  QLabel* Label1;  // "Main -"
  QLabel* Label2;
  QLabel* Label3;  // "All -"
  QLabel* Label4;
  QListWidget* pckDrive;
  QPushButton* btTop;
  QPushButton* btAll;
  QPushButton* btClose;
  QPushButton* btAbort;
  QPushButton* btDelete;
  QPushButton* btOptions;
  QPushButton* btBrowse;
  // Result grid and status line.
  ResultGrid* grid;
  QLabel* pnlScan;
  // The grid's popup menu (also the drive list's).
  QMenu* PopupMenu1;
  QAction* Highlight1;
  QAction* Addafoldertothelistofdrives1;
  QAction* SortbySize1;
  QAction* SortbyFiles1;
  QAction* SortbySubfolders1;
  QAction* SortbyAccessDate1;
  QAction* SortbyName1;
  QAction* Shrinktoppanel1;
  QAction* Restoretoppanel1;
  QAction* Print1;
  QAction* Foldernames1;
  QAction* Entiregrid1;
  QAction* Webpage1;

  bool scanAborted = false;
  // The hidden lists: `lb2` collects the folder lines while walking, `lb` receives them
  // after the walk, and the abort notice.
  WorkingList lb2;
  QStringList lb;
  // Pending events are let through at most this often while walking (milliseconds).
  int pumpIntervalMs = 15;
  bool walking() const { return walking_; }

  void btTopClick();
  void btAllClick();
  void scan(FolderWalk walk);
  void btAbortClick();
  void btDeleteClick();
  void pckDriveClick();
  void SortbySize1Click();
  void btPrintClick();
  QString printTitle() const;
  void Shrinktoppanel1Click();
  void Restoretoppanel1Click();
  void Addafoldertothelistofdrives1Click();

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormShow();
  void FormResize();
  void walkClick(FolderWalk walk);
  void copylb2tolb();
  void addToGrid(const QString& line);
  void setResultButtonsVisible(bool visible);
  void setWalkingState(bool walking);

  bool shown_ = false;
  bool walking_ = false;
  int topPanelHeight_ = 0;
};

}  // namespace roomvale
