#include "app/application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "app/artwork.h"
#include "app/helpwindow.h"
#include "app/launch.h"
#include "app/mainform.h"
#include "app/splash.h"
#include "foundation/helpregistry.h"
#include "foundation/pump.h"
#include "foundation/standby.h"
#include "platform/paths.h"

namespace roomvale {

Application::Application() : Application(Options{}) {}

Application::Application(const Options& options) : options_(options) {}

Application::~Application() {
  closeHelpWindow();
  destroyStandBy();
  setStandByHook({});
  launch::destroyLongLivedWindows();
  delete main_.data();
  delete splash_.data();
}

TfrmMain* Application::mainWindow() const { return main_; }
TfrmSplash* Application::splash() const { return splash_; }

TfrmMain* Application::start() {
  QApplication::setApplicationName(QStringLiteral("Roomvale"));
  QApplication::setApplicationVersion(QStringLiteral("3.3"));
  QGuiApplication::setDesktopFileName(QStringLiteral("com.fernholt.Roomvale"));
  QApplication::setWindowIcon(artwork::programIcon());
  helpOpenerSlot() = &openHelpWindow;

  splash_ = new TfrmSplash;
  splash_->show();
  pumpEventsNow();

  launch::installServices();
  main_ = new TfrmMain;
  main_->setSplash(splash_);
  if (const QString help = applicationHelpFile(); !QFileInfo(help).isFile())
    std::fprintf(stderr, "roomvale: help document not found: %s\n", qPrintable(help));
  main_->tmSplash->setInterval(options_.splashDelayMs);
  launch::createLongLivedWindows(main_);

  // The progress window, which clears the protection query's cache on show and hide.
  frmStandBy();
  setStandByHook(&launch::clearProtectionCache);

  main_->show();
  return main_;
}

int Application::exec() {
  if (!main_) return 1;
  // The run ends with the main window, whatever other windows are still open.
  // A collection of the statistics window runs inside the event loop: it must stop too.
  QObject::connect(main_.data(), &TfrmMain::closed, qApp, [] {
    launch::stopLongLivedWork();
    QCoreApplication::exit(0);
  });
  if (!main_->isVisible()) return 0;
  return QApplication::exec();
}

namespace {

bool asksForTerminalAnswer(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--") == 0) break;
    for (const char* option : {"-h", "--help", "--help-all", "-help", "-?", "-v", "--version"})
      if (std::strcmp(a, option) == 0) return true;
  }
  return false;
}

struct CommandLine {
  QCommandLineParser parser;
  QCommandLineOption help;
  QCommandLineOption version;
  CommandLine() : help(parser.addHelpOption()), version(parser.addVersionOption()) {
    parser.setApplicationDescription(QStringLiteral("Roomvale finds what fills your disk and cleans it up safely."));
  }
  // Exit code when the arguments are wrong, after saying why on standard error.
  std::optional<int> reject(const QStringList& arguments) {
    if (parser.parse(arguments)) return std::nullopt;
    std::fprintf(stderr, "roomvale: %s\nTry 'roomvale --help'.\n", qPrintable(parser.errorText()));
    return 1;
  }
};

// --help and --version are answered on the terminal, without a display.
int answerOnTerminal(int argc, char** argv) {
  QCoreApplication core(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("roomvale"));
  QCoreApplication::setApplicationVersion(QStringLiteral("3.3"));
  CommandLine line;
  if (auto code = line.reject(QCoreApplication::arguments())) return *code;
  if (line.parser.isSet(line.help)) {
    const QString text = line.parser.helpText() + QStringLiteral("\nHelp document: ") +
                         platform::toDisplay(platform::programDataFile("rmvl30.hlp")) + QLatin1Char('\n');
    std::fputs(text.toLocal8Bit().constData(), stdout);
  } else {
    std::printf("roomvale %s\n", qPrintable(QCoreApplication::applicationVersion()));
  }
  return 0;
}

}  // namespace

int runApplication(int argc, char** argv) {
  if (!QCoreApplication::instance() && asksForTerminalAnswer(argc, argv)) return answerOnTerminal(argc, argv);
  std::unique_ptr<QApplication> owned;
  if (!QApplication::instance()) {
    owned = std::make_unique<QApplication>(argc, argv);
    // Qt has taken its own options (-platform, -style, ...); anything else is a mistake.
    CommandLine line;
    if (auto code = line.reject(QCoreApplication::arguments())) return *code;
  }
  Application application;
  application.start();
  return application.exec();
}

}  // namespace roomvale
