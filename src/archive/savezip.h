// The destination window of a restore: where the files of an archive are extracted to. It
// opens at the archive's original root (the mount point of the volume its name stands
// for) and asks before accepting any other folder.
#pragma once

#include <QDialog>
#include <string>

#include "archive/volumetoken.h"

class QLabel;
class QPushButton;

namespace roomvale {

class DirectoryListBox;
class DriveComboBox;

class TfrmZipDirectory : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmZipDirectory(QWidget* parent = nullptr);

  // The archive whose files are restored, where they came from, and the restore window's
  // folder (the window opens at its volume's root when the origin is unknown).
  void setArchive(const std::string& archivePath, const ArchiveOrigin& origin, const std::string& currentFolder);
  // The chosen folder.
  std::string folder() const;

  QLabel* Label2;
  QLabel* lblZip;
  QLabel* Label3;
  QLabel* DirLabel;
  DriveComboBox* DriveComboBox1;
  DirectoryListBox* DLB;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;
  QLabel* Label1;
  QLabel* Label4;

  void Button1Click();
  void Button3Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();

  ArchiveOrigin origin_;
  std::string currentFolder_ = "/";
  bool shown_ = false;
};

}  // namespace roomvale
