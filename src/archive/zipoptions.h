// The archive options window: the folder that receives the archives and the comment written
// into them. Opened modally by a zip action, which reads zipComment before destroying it.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace roomvale {

class TfrmZipOptions : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmZipOptions(QWidget* parent = nullptr);

  // The comment as typed, set when the window closes (whichever button closed it).
  QString zipComment;

  QLabel* EsLabel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLabel* Label3 = nullptr;
  QPushButton* btOK = nullptr;
  QPushButton* btCancel = nullptr;

  // The folder shown in Edit1, as native bytes ending in "/".
  const std::string& folder() const { return folder_; }

  void SpeedButton1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void FormShow();
  void FormClose();
  void readSettings();
  void writeSettings();
  void setFolder(const std::string& folder);

  std::string folder_;
};

}  // namespace roomvale
