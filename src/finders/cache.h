// The internet cache cleaner: a list of browser cache folders (kept in the settings store,
// found from the browsers' profiles on a first run or by Initialize) and Clear, which hands
// every file directly inside them that was not accessed for the chosen number of days to
// the deletion review with the tag "InternetCache".
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace roomvale {

// Opens the window modally over `owner`; returns the dialog's result.
int openInternetCache(QWidget* owner);

class TfrmCache : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmCache(QWidget* parent = nullptr);

  QLabel* lblTitle;
  QListWidget* ListBox1;
  QLabel* lblNote;
  QLabel* lblAge;
  QSpinBox* nDays;
  QLabel* lblDays;
  QPushButton* btAdd;
  QPushButton* btDel;
  QPushButton* btInit;
  QPushButton* btClear;
  QPushButton* btClose;

  // The files of the last Clear while the review runs (empty otherwise).
  std::vector<std::string> lb1;
  std::uint64_t clearTotal = 0;

  // The listed folders as native paths.
  std::vector<std::string> folders() const;

  void ReadInFromDisk();
  void WriteOutToDisk();
  void btAddClick();
  void btDelClick();
  void btInitClick();
  void btClearClick();
  void btCloseClick();

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void FormClose();
  void addFolder(const std::string& folder);

  bool shown_ = false;
};

}  // namespace roomvale
