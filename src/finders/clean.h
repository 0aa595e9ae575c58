// The quick clean: finds leftover temporary files by their extension on the ticked drives
// and added folders, lists them in a result grid and hands the marked ones to the deletion
// review with the tag "TempClean".
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>
#include <string_view>

#include "scan/gridspec.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace roomvale {

class ResultGrid;
class TempMatcher;
class TWinPlace;

// The layout of the quick clean's grid (also used by the file-hogs grid).
GridSpec quickCleanGridSpec();

// Opens the quick clean modally over `owner`; returns the dialog's result.
int openQuickClean(QWidget* owner);

class TfrmClean : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmClean(QWidget* parent = nullptr);
  ~TfrmClean() override;

  // Top panel.
  QWidget* pnlTop;
  QLabel* Label1;
  QListWidget* PickList1;
  QPushButton* btEdit;
  QListWidget* pckDrive;
  // Buttons.
  QPushButton* btScan;
  QPushButton* btClose;
  QPushButton* btAbort;
  QPushButton* btMark;
  QPushButton* btDelete;
  QPushButton* btOptions;
  QPushButton* btBrowse;
  QPushButton* btDetails;
  // Result grid and status line.
  ResultGrid* grid;
  QLabel* pnlSel;
  // The grid's popup menu (also the drive list's) and its items.
  QMenu* PopupMenu1;
  QMenu* PopupMenu2;  // the pattern list's
  QAction* Details1;
  QAction* Highlight1;
  QAction* Addafoldertothelistofdrives1;
  QAction* Sortbysize1;
  QAction* Sortbydate1;
  QAction* Sortbyaccessdate1;
  QAction* Sortbyname1;
  QAction* Sortbytype1;
  QAction* Markall1;
  QAction* Unmarkall1;
  QAction* Shrink1;
  QAction* Grow1;
  QAction* Run1;
  QAction* View1;
  QAction* Print1;
  QAction* Filenamesonly1;
  QAction* Entiregrid1;
  QAction* Webpage1;
  QAction* SelectAll2;
  QAction* DeselectAll2;

  bool scanAborted = false;
  int filesFound = 0;
  // Pending events are let through at most this often while walking (milliseconds).
  int pumpIntervalMs = 15;
  bool walking() const { return walking_; }

  void ReadInFromDisk();
  void selectAllExtensions();
  bool isThisFileTemporary(std::string_view fileName) const;
  void btScanClick();
  void scan();
  void btAbortClick();
  void btEditClick();
  void SelectAll2Click();
  void DeselectAll2Click();
  void btDeleteClick();
  void pckDriveClick();
  void ClearGrid();
  void Sortbysize1Click();
  void btPrintClick();
  QString printTitle() const;
  void Shrink1Click();
  void Grow1Click();
  void Addafoldertothelistofdrives1Click();

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  class Visitor;

  void FormShow();
  void FormResize();
  void setResultButtonsVisible(bool visible);
  void setWalkingState(bool walking);

  TWinPlace* winPlace_;
  bool shown_ = false;
  bool walking_ = false;
  int topPanelHeight_ = 0;
  std::unique_ptr<TempMatcher> matcher_;
};

}  // namespace roomvale
