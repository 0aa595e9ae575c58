#include "app/application.h"

#include <QApplication>
#include <QTimer>
#include <memory>

#include "app/helpwindow.h"
#include "app/launch.h"
#include "app/mainform.h"
#include "app/splash.h"
#include "foundation/helpregistry.h"
#include "foundation/pump.h"
#include "foundation/standby.h"

namespace roomvale {

Application::Application() : Application(Options{}) {}

Application::Application(const Options& options) : options_(options) {}

Application::~Application() {
  closeHelpWindow();
  destroyStandBy();
  setStandByHook({});
  delete main_.data();
  delete splash_.data();
}

TfrmMain* Application::mainWindow() const { return main_; }
TfrmSplash* Application::splash() const { return splash_; }

TfrmMain* Application::start() {
  QApplication::setApplicationName(QStringLiteral("Roomvale"));
  helpOpenerSlot() = &openHelpWindow;

  splash_ = new TfrmSplash;
  splash_->show();
  pumpEventsNow();

  launch::installServices();
  main_ = new TfrmMain;
  main_->setSplash(splash_);
  main_->tmSplash->setInterval(options_.splashDelayMs);

  // The progress window, which clears the protection query's cache on show and hide.
  frmStandBy();
  setStandByHook(&launch::clearProtectionCache);

  main_->show();
  return main_;
}

int Application::exec() {
  if (!main_) return 1;
  // The run ends with the main window, whatever other windows are still open.
  QObject::connect(main_.data(), &TfrmMain::closed, qApp, [] { QCoreApplication::exit(0); });
  if (!main_->isVisible()) return 0;
  return QApplication::exec();
}

int runApplication(int argc, char** argv) {
  std::unique_ptr<QApplication> owned;
  if (!QApplication::instance()) owned = std::make_unique<QApplication>(argc, argv);
  Application application;
  application.start();
  return application.exec();
}

}  // namespace roomvale
