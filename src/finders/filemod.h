// Files by date: the files last accessed, created or last modified on or before a date,
// between two dates, or on or after a date, optionally matching a wildcard, on the ticked
// drives and added folders; the marked ones go to the deletion review with the tag
// "FileDates".
#pragma once

#include <QDialog>
#include <QWidget>
#include <string>

#include "finders/daterange.h"
#include "scan/gridspec.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QToolButton;

namespace roomvale {

class ResultGrid;
class TRadioGroup;
class TWinPlace;

GridSpec filesByDateGridSpec();

// Opens the files-by-date window modally over `owner`; returns the dialog's result.
int openFilesByDate(QWidget* owner);

// A date field: the date as text in the short date form (typed, or picked from a calendar).
// Its text is what the range reads, so a text that is no date is reported, not guessed at.
class TDateField : public QWidget {
  Q_OBJECT

 public:
  TDateField(const char* name, QWidget* parent = nullptr);

  QString text() const;
  // The date of the text; nothing when it cannot be read.
  std::optional<QDate> date() const;
  // Shows `date` (without announcing a change).
  void setDate(const QDate& date);

  QLineEdit* edit;
  QToolButton* btCalendar;

 signals:
  // The user changed the date (an edit finished with a readable date, or a calendar pick).
  void dateChanged(const QDate& date);

 private:
  void editFinished();
  void pickFromCalendar();

  QDate last_;
};

class TfrmMods : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmMods(QWidget* parent = nullptr);
  ~TfrmMods() override;

  // Top panel.
  QWidget* pnlTop;
  TRadioGroup* rgWhat;
  TRadioGroup* rgWhen;
  TDateField* dtStart;
  QLabel* lblAnd;
  TDateField* dtEnd;
  QLabel* Label1;  // "Wildcard match"
  QComboBox* cbWildCard;
  QLabel* lblWild;
  QListWidget* pckDrive;
  // Buttons.
  QPushButton* btOK;
  QPushButton* btClose;
  QPushButton* btMark;
  QPushButton* btAbort;
  QPushButton* btDelete;
  QPushButton* btOptions;
  QPushButton* btDetails;
  QPushButton* btBrowse;
  // Result grid and status line.
  ResultGrid* grid;
  QLabel* pnlScan;
  // The grid's popup menu (also the drive list's) and its items.
  QMenu* PopupMenu1;
  QAction* Details1;
  QAction* HighlightFolders;
  QAction* Addafoldertolistofdrives1;
  QAction* Sortbyname1;
  QAction* SortbyAccessDate1;
  QAction* SortbyCreationDate1;
  QAction* SortbyModificationDate1;
  QAction* SortbySize1;
  QAction* SortbyFolder1;
  QAction* SortbyType1;
  QAction* Markall1;
  QAction* Unmarkall1;
  QAction* Shrinktoppanel1;
  QAction* Restoretoppanel1;
  QAction* Run1;  // "Open"
  QAction* View1;
  QAction* Print1;
  QAction* Filenamesonly1;
  QAction* Entiregrid1;
  QAction* WebPage1;

  bool scanAborted = false;
  // Pending events are let through at most this often while walking (milliseconds).
  int pumpIntervalMs = 15;
  bool walking() const { return walking_; }

  DateKind dateKind() const;
  RangeKind rangeKind() const;
  // The date-range test of one file date text, with the fields as they read now.
  bool QinDateRange(const QString& dateText) const;

  void btOKClick();
  void scan();
  void btAbortClick();
  void btDeleteClick();
  void pckDriveClick();
  void rgWhenClick();
  void cbWildCardChange();
  void dtStartChange();
  void dtEndChange();
  QString printTitle() const;
  void PrintClick();
  void Shrinktoppanel1Click();
  void Restoretoppanel1Click();
  void Addafoldertolistofdrives1Click();

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
  void readChoices();

  TWinPlace* winPlace_;
  bool shown_ = false;
  bool walking_ = false;
  int topPanelHeight_ = 0;
  int filesFound_ = 0;
  // What the walk tests, kept up to date by the controls that stay usable while walking.
  DateRange range_;
  DateKind kind_ = DateKind::LastAccessed;
  std::string wildcard_ = "*.*";
};

}  // namespace roomvale
