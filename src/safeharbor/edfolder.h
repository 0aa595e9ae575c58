// The folder-entry editor: one entry of the Safe Harbor folder list, either the files of one
// folder or the folder with everything below it.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace roomvale {

// The explanation under the check box: what the entry will protect.
QString folderExampleText(bool allSubFolders, const QString& folder);

class TfrmEditFolder : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmEditFolder(QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* SpeedButton1 = nullptr;
  QCheckBox* cbAll = nullptr;
  QLabel* lblExample = nullptr;
  QPushButton* btOK = nullptr;
  QPushButton* btCancel = nullptr;

  // The folder in Edit1 as native bytes. A folder set here or chosen with Browse keeps its
  // exact bytes as long as the text is not edited by hand.
  void setFolder(const std::string& folder);
  std::string folder() const;

  void SpeedButton1Click();
  void cbAllClick();
  void updateExample();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::string folderBytes_;
  QString folderShown_;
};

}  // namespace roomvale
