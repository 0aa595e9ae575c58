// The entry point: application title, splash, main window and the long-lived windows, then
// the event loop until the main window closes.
#pragma once

#include <QPointer>

namespace roomvale {

class TfrmMain;
class TfrmSplash;

// One run of the program inside an existing QApplication. Tests start it in-process and
// drive the main window without entering exec().
class Application {
 public:
  struct Options {
    int splashDelayMs = 3000;  // splash stays this long after the main window is first shown
  };

  Application();
  explicit Application(const Options& options);
  ~Application();  // destroys every window of the run
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Title, splash, main and long-lived windows; shows the main window. Returns it.
  TfrmMain* start();
  // Runs the event loop until the main window closes; returns the exit code.
  int exec();

  TfrmMain* mainWindow() const;
  TfrmSplash* splash() const;  // nullptr once it closed

 private:
  Options options_;
  QPointer<TfrmSplash> splash_;
  QPointer<TfrmMain> main_;
};

// Starts Roomvale: creates the QApplication unless one exists, then start() and exec().
int runApplication(int argc, char** argv);

}  // namespace roomvale
