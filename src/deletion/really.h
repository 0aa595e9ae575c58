// The deletion review: every finder's marked files end here. The files the Safe Harbor
// query protects are set aside on a panel of their own; the user moves files between the
// panels and then deletes, trashes or archives-and-deletes the files left on the deletion
// panel. The review credits the totals and the deletion log with what was really removed
// and closes with OK; closing it without an action answers Cancel.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/zipwriter.h"
#include "scan/deletionrequest.h"

class QLabel;
class QListView;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace roomvale {

class ReviewList;
class TWinPlace;

// Registers the review as the one the finders' Clean? opens (the main window calls this
// once at start).
void installDeletionReview();

// Opens a review of `request` modally over `owner`; true when an action ran (OK).
bool openReallyDelete(QWidget* owner, const DeletionRequest& request);

class TfrmReallyDelete : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmReallyDelete(QWidget* parent = nullptr);
  ~TfrmReallyDelete() override;

  // What the opener sets before showing the window: the paths go to the deletion panel.
  void setRequest(const DeletionRequest& request);

  QLabel* lblDelete;
  QLabel* Label3;
  QLabel* lblSavings;
  QTabWidget* TabbedNotebook1;
  // Page 0.
  QLabel* lblLeft;
  QListView* lb1;
  QPushButton* btToAgainst;
  QLabel* Label1;
  QLabel* Label5;
  // Page 1.
  QLabel* lblRight;
  QListView* lb2;
  QPushButton* btMoveLeft;
  QPushButton* btReason;
  QLabel* Label2;
  QLabel* Label4;
  // Actions, and the progress shown in their place while one runs.
  QWidget* pnlButtons;
  QPushButton* btZip;
  QPushButton* btDelete;
  QPushButton* btRecycle;
  QWidget* pnlProgress;
  QLabel* lblName;
  QProgressBar* bar;
  QProgressBar* Gauge1;
  QPushButton* btClose;
  QTimer* Timer1;

  ReviewList* deletionPanel() const { return left_; }
  ReviewList* safeHarborPanel() const { return right_; }
  std::uint64_t totalBytes() const { return totalBytes_; }
  const QString& sourceTag() const { return sourceTag_; }
  bool abortRequested() const { return abortRequested_; }
  bool running() const { return running_; }

  // Batching of the zip action's archive writer (tests make it small).
  ZipWriter::Batching zipBatching;

  void MoveFiles();
  void updateLeftRight();
  void UpdateHeaders();
  void Timer1Timer();
  void ShowWarning();
  bool NoFilesToDelete();
  void btDeleteAllClick();
  void btRecycleClick();
  void btZipClick();
  void btCloseClick();
  void btToAgainstClick();
  void btMoveLeftClick();
  void lb1Click();
  void lb2Click();
  void btReasonClick();
  bool ZipitArchiveItemProgress(int percent);

  void reject() override;
  void setVisible(bool visible) override;

 private:
  enum class Action { Delete, Recycle, Zip };

  void FormShow();
  void runAction(Action action);
  void DeleteAllClick();
  void RecycleClick();
  void ZipItClick();
  void startRun(bool closeEnabled);
  void endRun();
  void finish();
  void showFile(int index, const std::string& path);

  ReviewList* left_;
  ReviewList* right_;
  TWinPlace* winPlace_;
  std::uint64_t totalBytes_ = 0;
  QString sourceTag_;
  // What each file of the request was when it was marked (or, when the finder did not
  // say, when the review received it).
  std::unordered_map<std::string, platform::FileIdentity> identities_;
  std::vector<platform::FileIdentity> identitiesOf(const std::vector<std::string>& paths) const;
  bool abortRequested_ = false;
  bool running_ = false;
};

}  // namespace roomvale
