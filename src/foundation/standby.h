// The progress window shown while a long job runs on the user-interface thread (e.g. the
// deletion review sorting protected files aside). One instance lives for the whole run.
//
// Use: set bar->setMaximum(n), show(), pumpEventsNow(), advance bar->setValue(i) while
// working (pumping events), hide() at the end.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;

namespace roomvale {

class TfrmStandBy : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmStandBy(QWidget* parent = nullptr);

  QLabel* lblStandBy = nullptr;
  QProgressBar* bar = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormShow();
  void FormHide();
};

// The progress window of the run, created on first use (the application shell creates it at
// start). Needs a QApplication.
TfrmStandBy* frmStandBy();
// Destroys the window (end of the run); the next frmStandBy() makes a fresh one.
void destroyStandBy();

// Called on every show and every hide of the progress window. The shell installs the
// clearing of the protection query's last-folder cache here; empty by default.
void setStandByHook(std::function<void()> hook);

}  // namespace roomvale
