// The add-folder window: keeps the folders that every drive list offers after the volumes.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace roomvale {

class TfrmAddNewFolder : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAddNewFolder(QWidget* parent = nullptr);

  QListWidget* ListBox1;
  QPushButton* btAdd;
  QPushButton* btDel;
  QPushButton* Button1;  // Close: stores the list

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void btAddClick();
  void btDelClick();
  void Button1Click();

  bool loaded_ = false;
};

}  // namespace roomvale
