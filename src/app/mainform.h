// The main window: a launcher for the tools, and the owner of the state loaded at start.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace roomvale {

class TfrmSplash;

// Whether the background gradient replaces the tiled picture: displays with fewer than
// 15 bits of colour cannot show the tile well.
bool useGradientBackground(int colourDepthBits);

// The help file "rmvl30.hlp": beside the program, or in its installed data folder.
QString applicationHelpFile();

class TfrmMain : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmMain(QWidget* parent = nullptr);
  ~TfrmMain() override;

  // The splash window that tmSplash closes after the first show.
  void setSplash(TfrmSplash* splash);
  TfrmSplash* splash() const;

  // Gate of the finder buttons: true when a Safe Harbor folder list exists; otherwise shows
  // the error box and returns false.
  bool checkExceptionList();
  bool safeHarborMissing() const { return safeHarborMissing_; }
  // Mode of the next duplicates window: true duplicate files, false file hogs.
  bool findDuplicates() const { return findDuplicates_; }
  // The help file set at show and on every Help click.
  QString helpFile() const { return helpFile_; }

  // Shows the gradient instead of the tile for a display of `bits` bits of colour.
  void applyColourDepth(int bits);

  // Controls, under their component names.
  QWidget* EsTile1 = nullptr;
  QWidget* EsGradient1 = nullptr;
  QLabel* EsLabel1 = nullptr;
  QLabel* EsLabel2 = nullptr;
  QLabel* EsLabel3 = nullptr;
  QPushButton* btDuplicate = nullptr;
  QPushButton* btFileHog = nullptr;
  QPushButton* btFiles = nullptr;
  QPushButton* btDirHogs = nullptr;
  QPushButton* btClean = nullptr;
  QPushButton* btStatistic = nullptr;
  QPushButton* btBrowse = nullptr;
  QPushButton* btClearCache = nullptr;
  QPushButton* btZip = nullptr;
  QPushButton* btBuild = nullptr;
  QPushButton* btReach = nullptr;
  QPushButton* btHelp = nullptr;
  QPushButton* btClose = nullptr;
  QTimer* tmSplash = nullptr;

  // Handlers, public so that the shell and tests can reach them like the buttons do.
  void btDuplicateClick();
  void btFileHogClick();
  void btFilesClick();
  void btDirHogsClick();
  void btCleanClick();
  void btStatisticClick();
  void btBrowseClick();
  void btClearCacheClick();
  void btZipClick();
  void btBuildClick();
  void btReachClick();
  void btHelpClick();
  void btCloseClick();

 signals:
  // The main window was closed: the run ends.
  void closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void tmSplashTimer();
  void GetSearchPath();
  QPushButton* toolButton(const char* name, const QString& caption, const QString& hint, const QIcon& glyph,
                          const QPoint& panelAt);

  QPointer<TfrmSplash> splash_;
  bool safeHarborMissing_ = true;
  bool findDuplicates_ = true;
  QString helpFile_;
};

}  // namespace roomvale
