// The file details window TfrmDetails: icon, name, type, size and clusters, dates,
// attributes and version lines of one file, with Print, View and Open.
#pragma once

#include <QDialog>
#include <string>

#include "inspect/details.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace roomvale {

// Opens the window modally over `owner` on `path`.
void openFileDetails(QWidget* owner, const std::string& path);

class TfrmDetails : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmDetails(QWidget* parent = nullptr);

  // Set by the opener before showing.
  std::string fileName;

  QLabel* Image1;
  QLabel* Label1;
  QLabel* lblFileName;
  QLabel* Label2;
  QLabel* lblFileType;
  QLabel* Label3;
  QLabel* lblSizeBytes;
  QLabel* lblSizeK;
  QLabel* Label4;
  QLabel* lblCreate;
  QLabel* Label5;
  QLabel* lblModify;
  QLabel* Label6;
  QLabel* lblAccess;
  QLabel* Label7;
  QLabel* lblAttributes;
  QPlainTextEdit* Memo1;
  QPushButton* btClose;
  QPushButton* btPrint;
  QPushButton* btView;
  QPushButton* btLaunch;

  const FileDetails& details() const { return details_; }

  void btPrintClick();
  void btViewClick();
  void btLaunchClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  FileDetails details_;
  bool shown_ = false;
};

}  // namespace roomvale
