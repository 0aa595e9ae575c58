// The folder tree deletion window: removes a whole folder with everything below it, by
// deleting, sending to the trash, or zipping (and then deleting) every file. Opened by the
// folder hogs and the folder browser on one folder.
#pragma once

#include <QDialog>
#include <string>

#include "deletion/treedelete.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace roomvale {

// What the opener learns once the window has closed: QDialog::Accepted when a run took place
// (completely or cut short), QDialog::Rejected when nothing was done; and whether the run
// sent the files to the trash.
struct FolderTreeDeletionResult {
  int result = 0;
  bool recycleMode = false;
};

// Opens the window modally over `owner` on `folder` (native bytes, no trailing "/"). The
// openers refuse volume roots and the system folders before calling this.
FolderTreeDeletionResult openFolderTreeDeletion(QWidget* owner, const std::string& folder);

class TfrmDelDirectory : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmDelDirectory(QWidget* parent = nullptr);
  ~TfrmDelDirectory() override;

  // The folder to clean; shown in lblDirectory.
  void setFolder(const std::string& folder);
  const std::string& folder() const { return folder_; }

  QLabel* lblTop;
  QLabel* lblDirectory;
  QPushButton* btDelete;
  QLabel* Label1;
  QPushButton* btRecycle;
  QLabel* Label3;
  QPushButton* btZip;
  QCheckBox* cbDelete;
  QLabel* Label5;
  QPushButton* BitBtn3;
  QLabel* Label4;
  QLabel* pnlCount;
  QLabel* pnlName;
  QProgressBar* Gauge1;

  bool recycleMode = false;
  bool zipMode = false;
  bool deletionRunning = false;
  bool abortRequested = false;

  void btDeleteClick();
  void btRecycleClick();
  void btZipClick();
  void BitBtn3Click();

  // Test seam: set up each run's walker (hooks) before it starts.
  std::function<void(TreeDeleter&)> configureRun;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void FormShow();
  // Runs the chosen action on the tree; false when nothing was done (a declined warning, a
  // folder that cannot be entered) and the window stays open.
  bool StartTheDeletionProcess();
  void setRunning(bool running);

  std::string folder_;
  std::string archivePath_;
  QString zipComment_;
};

}  // namespace roomvale
