// The scan-target wizard of the statistics window: which drives and folders, then which file
// types (all, only the chosen ones, or all but the chosen ones).
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

#include "scan/targets.h"

class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace roomvale {

class TfrmWhichDrive : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmWhichDrive(QWidget* parent = nullptr);

  // Results, read after OK.
  std::vector<ScanTarget> chosenTargets() const;  // ticked entries of pckDrive, in list order
  bool allFiles = true;
  bool includeTypes = false;
  bool excludeTypes = false;
  QStringList chosenTypes() const;  // ticked lines of PickList1 (pattern, TAB, description)

  // The settings section of the type list for the mode chosen now.
  QString typeSection() const;

  QStackedWidget* nbPages;
  // Page 1
  QListWidget* pckDrive;
  QMenu* pmDrives;
  QPushButton* btNext1;
  QPushButton* btCancel;
  // Page 2
  QRadioButton* rbAllFiles;
  QRadioButton* rbSelectedTypes;
  QRadioButton* rbExceptTypes;
  QPushButton* btPrevious2;
  QPushButton* btNext2;
  // Page 3
  QLabel* lblSelect;
  QListWidget* PickList1;
  QMenu* pmTypes;
  QLabel* lblOf;
  QPushButton* btAddDelete;
  QPushButton* btPrevious3;
  QPushButton* btOK;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void pckDriveClick();
  void PickList1Click();
  void btNext1Click();
  void btNext2Click();
  void btAddDeleteClick();
  void btOKClick();
  void loadTypes();
  void showPage(int page);
  void recordMode();

  bool shown_ = false;
};

}  // namespace roomvale
