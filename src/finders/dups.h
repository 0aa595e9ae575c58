// Duplicate files and file hogs: one window in two modes. Duplicates lists groups of files
// that agree on the chosen match mode, optionally confirmed by content checksums; file hogs
// lists every file inside a size range, largest first. The marked files go to the deletion
// review with the tag "Duplicates".
#pragma once

#include <QDialog>
#include <string>

#include "finders/dupcheck.h"
#include "finders/dupfinder.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace roomvale {

class ResultGrid;
class TWinPlace;

// Opens the window modally over `owner` in duplicates mode or file-hogs mode; returns the
// dialog's result.
int openDuplicates(QWidget* owner, bool findDuplicates);

class TfrmDup : public QDialog {
  Q_OBJECT

 public:
  TfrmDup(bool findDuplicates, QWidget* parent = nullptr);
  ~TfrmDup() override;

  const bool findDuplicates;

  // Top panel.
  QWidget* Panel1;
  QRadioButton* rbLarger;
  QRadioButton* rbSmaller;
  QRadioButton* rbBetween;
  QSpinBox* num1;
  QLabel* lblAnd;
  QSpinBox* num2;
  QComboBox* cbKB1;
  QLabel* Label3;  // "Matching"
  QComboBox* cbWildCard;
  QLabel* lblWild;
  QLabel* lblDup;
  QComboBox* cbDup;
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
  QPushButton* btCompare;
  // Result grid and status line.
  ResultGrid* grid;
  QLabel* pnlSel;
  // The grid's popup menu (also the drive list's) and its items.
  QMenu* PopupMenu1;
  QAction* Details1;
  QAction* HighlightDups;
  QAction* Addafoldertothelistofdrives1;
  QMenu* Sort1;
  QAction* Sortbysize1;
  QAction* SortbyDate1;
  QAction* SortbyAccessDate1;
  QAction* SortbyName1;
  QAction* SortbyType1;
  QAction* Markall1;
  QAction* Unmarkall1;
  QAction* MarkButFirst1;
  QAction* MarkButNewest1;
  QAction* MarkButOldest1;
  QAction* MarkInFolder1;
  QAction* Shrink1;
  QAction* Grow1;
  QAction* Run1;  // "Open"
  QAction* View1;
  QAction* Print1;
  QAction* Filenamesonly1;
  QAction* Entiregrid1;
  QAction* WebPage1;

  bool scanAborted = false;
  // Pending events are let through at most this often while walking (milliseconds).
  int pumpIntervalMs = 15;
  // Most lines of the hidden working list.
  std::size_t workingListCapacity = kWorkingListCapacity;
  // How equal checksums are confirmed before a file counts as a twin.
  TwinCheck twinCheck = TwinCheck::Bytes;
  bool walking() const { return walking_; }
  bool computingChecksums() const { return computing_; }

  int matchMode() const;
  SizeBounds bounds() const;
  QString printTitle() const;

  void btScanClick();
  void scan();
  void ClearGrid();
  void ComputeCrcValues();
  void btAbortClick();
  void MarkThisFile(int row);
  void btDeleteClick();
  void btCompareClick();
  void rbLargerClick();
  void pckDriveClick();
  void cbWildCardChange();
  void btPrintClick();
  void markAllBut(KeepCopy keep);
  void MarkInFolderClick();
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
  void markRows(const std::vector<int>& rows);

  TWinPlace* winPlace_;
  DupWorkingList lbList_;
  bool shown_ = false;
  bool walking_ = false;
  bool computing_ = false;
  bool crcFlag_ = false;
  bool eliminateFlag_ = false;
  int runMode_ = 1;
  int topPanelHeight_ = 0;
  SizeBounds bounds_;
};

}  // namespace roomvale
