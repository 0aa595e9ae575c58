// The Safe Harbor window: builds the protected-folder list from the configuration trees,
// lets the user add, delete and edit its entries, shows the protected file types, and saves
// the list to "folders.txt" when it closes.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "safeharbor/folderscan.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QTimer;

namespace roomvale {

class TfrmNoDelete : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmNoDelete(QWidget* owner = nullptr);
  ~TfrmNoDelete() override;

  // The folder list was changed and is saved when the window closes.
  bool listModified = false;
  // The main window must reload its lists after the window closed.
  bool listsChanged = false;
  // Set by the opener before showing: build at once, without asking.
  bool buildOnShow = false;

  QLabel* EsLabel1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QLabel* lblInfo = nullptr;
  QLabel* lblInfo2 = nullptr;
  QLabel* lblWhenCaption = nullptr;
  QLabel* lblWhen = nullptr;
  QLabel* lblTodayCaption = nullptr;
  QLabel* lblToday = nullptr;
  QLabel* lblCount = nullptr;
  QPushButton* btAdd = nullptr;
  QPushButton* btDel = nullptr;
  QPushButton* btEdit = nullptr;
  QPushButton* btBuild = nullptr;
  QListWidget* PickList1 = nullptr;
  QLabel* lblTypes = nullptr;
  QLabel* lblTypes2 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* btClose = nullptr;
  QTimer* Timer1 = nullptr;

  void FormShow();
  void FormClose();
  void btAddClick();
  void btDelClick();
  void btEditClick();
  void btBuildClick();
  void findpaths(FolderScan& scan, const std::string& root);
  void updatecount();
  void updateLastDate();
  void ReadInFromDisk();
  void BitBtn1Click();
  void Timer1Timer();
  void btCloseClick();
  // Shows an entry in bold when it protects a whole tree.
  static void ListBox1DrawItem(QListWidgetItem* item);

  // The entries of ListBox1 as native bytes, in list order.
  std::vector<std::string> entries() const;
  void setEntries(const std::vector<std::string>& entries);
  bool building() const { return building_; }
  // Figures of the last build (tests, measurements).
  const FolderScan::Stats& lastBuildStats() const { return buildStats_; }

 protected:
  void showEvent(QShowEvent* event) override;

 public slots:
  void done(int result) override;

 private:
  QListWidgetItem* makeItem(const std::string& entry) const;
  void insertSorted(const std::string& entry);
  static std::string entryOf(const QListWidgetItem* item);
  void collapseList(const std::string& keepCurrent);

  bool shown_ = false;
  bool closed_ = false;
  bool building_ = false;
  bool stopRequested_ = false;
  std::optional<int> pendingClose_;
  FolderScan::Stats buildStats_;
};

}  // namespace roomvale
