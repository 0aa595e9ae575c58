// The restore window: lists the archives of a folder (starting in the archive folder),
// shows the contents and comment of one, and extracts all of its files into a folder
// chosen in the destination window; into the original root they go back where they were.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "archive/zipreader.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace roomvale {

class DirectoryListBox;
class DriveComboBox;
class ZipEntryModel;

// Opens the restore window modally over `owner`.
int openUnzip(QWidget* owner);

class TfrmUnZipIt : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmUnZipIt(QWidget* parent = nullptr);
  ~TfrmUnZipIt() override;

  DriveComboBox* DriveComboBox1;
  DirectoryListBox* DirectoryListBox1;
  QLabel* Label1;  // hidden: the current folder
  QLabel* Label4;
  QLabel* Label2;
  QListWidget* FileListBox1;
  QLabel* Label3;
  QLabel* lblZip;
  QLabel* lblCount;
  QLabel* pnlComment;
  QTreeView* Outline;
  QPushButton* btView;
  QPushButton* btExtract;
  QPushButton* btClose;
  QProgressBar* Gauge1;
  QTimer* Timer1;

  // The folder whose archives are listed.
  const std::string& currentFolder() const;
  // The archive in the view.
  const ZipReader& view() const { return view_; }
  ZipEntryModel* outlineModel() const { return model_; }
  bool extracting() const { return extracting_; }

  void Timer1Timer();
  void FileListBox1Click();
  void FileListBox1Change();
  void DirectoryListBox1DblClick();
  void BtExtractEnable();
  // Opens the selected archive in the view; false when it could not be read.
  bool FileListBox1DblClick();
  void ExtractFiles1Click();
  void OutlineLoad();
  void OutlineArchiveProgress(int percent);
  void OutlineProcessItemFailure(const std::string& entry, const QString& detail);
  bool OutlineDuplicateName(const std::string& entry);
  RestoreHooks::Replace OutlineReplaceFile(const std::string& target);
  std::optional<QString> OutlineNeedPassword(const std::string& entry);
  void btCloseClick();

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void fillFileList();
  std::string selectedArchive() const;
  void showView();
  void setRunning(bool running);

  ZipReader view_;
  ZipEntryModel* model_;
  bool duplicateWarningIgnored_ = false;
  bool extracting_ = false;
  bool abortRequested_ = false;
  bool shown_ = false;
};

}  // namespace roomvale
