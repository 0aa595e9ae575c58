// Every command of every window, pressed in turn over a temporary tree: each button and each
// menu, popup-menu and toolbar item a user can reach. Every command runs on a freshly opened
// window; questions answer No, choosers are cancelled, and any window a command opens is
// closed again as soon as it shows. No command may hang, crash or answer with a placeholder,
// and the commands whose work is to open a window must open that window. With
// ROOMVALE_LIST_COMMANDS set, every command is listed with what it did.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "app/about.h"
#include "app/application.h"
#include "app/helpwindow.h"
#include "app/launch.h"
#include "app/mainform.h"
#include "archive/getfldr.h"
#include "archive/password.h"
#include "archive/savezip.h"
#include "archive/unzipit.h"
#include "archive/volumetoken.h"
#include "archive/zipnames.h"
#include "archive/zipoptions.h"
#include "archive/zipwriter.h"
#include "common/testing.h"
#include "deletion/deldir.h"
#include "deletion/really.h"
#include "finders/cache.h"
#include "finders/clean.h"
#include "finders/dirhog.h"
#include "finders/dupcompare.h"
#include "finders/dups.h"
#include "finders/filemod.h"
#include "finders/templist.h"
#include "foundation/clock.h"
#include "foundation/settings.h"
#include "foundation/standby.h"
#include "inspect/browse.h"
#include "inspect/detailsform.h"
#include "inspect/filview.h"
#include "platform/paths.h"
#include "safeharbor/edfolder.h"
#include "safeharbor/keeplist.h"
#include "safeharbor/nodelete.h"
#include "scan/addnewfolder.h"
#include "scan/resultgrid.h"
#include "scan/selext.h"
#include "scan/statlist.h"
#include "scan/targets.h"
#include "scan/whichdrv.h"
#include "scan/wild.h"
#include "statistics/stats.h"

namespace roomvale {
namespace {

namespace rt = roomvale::testing;

// Opening a file or a web address goes no further than this list.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  UrlCatcher() {
    for (const char* scheme : kSchemes) QDesktopServices::setUrlHandler(scheme, this, "open");
  }
  ~UrlCatcher() override {
    for (const char* scheme : kSchemes) QDesktopServices::unsetUrlHandler(scheme);
  }
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened << url; }

 private:
  static constexpr const char* kSchemes[] = {"file", "http", "https", "mailto"};
};

// Where a button or action lives, revealed as a user would reach it: the pages of tab
// widgets and stacks above it made current.
bool reachable(QWidget* widget, QWidget* window, bool reveal) {
  for (QWidget* w = widget; w && w != window; w = w->parentWidget()) {
    auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
    if (stack && stack->currentWidget() != w && stack->indexOf(w) >= 0) {
      if (reveal) {
        if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
          tabs->setCurrentWidget(w);
        else
          stack->setCurrentWidget(w);
      }
      continue;
    }
    if (w->isHidden()) return false;
  }
  return true;
}

// The window an action belongs to: that of the widget holding its menu.
QWidget* ownerOf(QAction* action) {
  QObject* o = action->parent();
  while (o && (!o->isWidgetType() || qobject_cast<QMenu*>(o))) o = o->parent();
  return o ? static_cast<QWidget*>(o)->window() : nullptr;
}

QString plainText(QString text) { return text.remove(QLatin1Char('&')); }

// The commands of a window, each under a key that names it again in a fresh window: its
// object name (or its text), numbered when several share it.
std::vector<std::pair<QString, QObject*>> commandsOf(QWidget* window) {
  // Menus set their items when they open, as for the user who opens them.
  for (QMenu* menu : window->findChildren<QMenu*>())
    if (menu->window() == menu && ownerOf(menu->menuAction()) == window) emit menu->aboutToShow();
  std::vector<std::pair<QString, QObject*>> out;
  std::map<QString, int> seen;
  auto add = [&](QObject* o, const QString& text) {
    QString key = o->objectName().isEmpty() ? plainText(text) : o->objectName();
    if (key.isEmpty()) key = o->metaObject()->className();
    const int n = ++seen[key];
    if (n > 1) key += "#" + QString::number(n);
    out.emplace_back(key, o);
  };
  for (QAction* a : window->findChildren<QAction*>()) {
    if (a->isSeparator() || a->menu() || a->text().isEmpty() || a->objectName().startsWith("_q_")) continue;
    if (!a->isEnabled() || !a->isVisible() || ownerOf(a) != window) continue;
    add(a, a->text());
  }
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
    if (b->window() != window || !b->isEnabled() || !reachable(b, window, false)) continue;
    add(b, b->text());
  }
  return out;
}

// For the listing: the commands of a window that are disabled or hidden when it opens.
QStringList idleCommandsOf(QWidget* window) {
  QStringList out;
  for (QAction* a : window->findChildren<QAction*>())
    if (!a->isSeparator() && !a->menu() && !a->text().isEmpty() && !a->objectName().startsWith("_q_") &&
        ownerOf(a) == window && (!a->isEnabled() || !a->isVisible()))
      out << (a->objectName().isEmpty() ? plainText(a->text()) : a->objectName());
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
    if (b->window() == window && (!b->isEnabled() || !reachable(b, window, false)))
      out << (b->objectName().isEmpty() ? plainText(b->text()) : b->objectName());
  return out;
}

QObject* commandByKey(QWidget* window, const QString& key) {
  for (const auto& [k, o] : commandsOf(window))
    if (k == key) return o;
  return nullptr;
}

bool placeholder(const QString& text) {
  return text.contains("Not available yet", Qt::CaseInsensitive) ||
         text.contains("not implemented", Qt::CaseInsensitive);
}

// While a command runs: every window that appears (modal ones run their own loop) is noted
// and closed, and a command still running after a long time counts as hung.
class Watchdog {
 public:
  explicit Watchdog(QWidget* window) : window_(window) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible()) before_.insert(w);
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start();
    clock_.start();
  }

  void tick() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (!w->isVisible() || before_.contains(w) || w == frmStandBy() || w->inherits("QTipLabel")) continue;
      if (!noted_.contains(w)) {
        noted_.insert(w);
        opened << (w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName());
        QStringList texts{w->windowTitle()};
        for (QLabel* label : w->findChildren<QLabel*>()) texts << label->text();
        for (const QString& t : texts)
          if (placeholder(t)) placeholders << t;
      }
      if (auto* menu = qobject_cast<QMenu*>(w))
        menu->close();
      else if (auto* dialog = qobject_cast<QDialog*>(w))
        dialog->reject();
      else
        w->close();
    }
    if (!hung && clock_.elapsed() > 60000) {
      hung = true;
      if (auto* dialog = qobject_cast<QDialog*>(window_.data())) dialog->reject();
    }
  }

  QStringList opened;
  QStringList placeholders;
  bool hung = false;

 private:
  QPointer<QWidget> window_;
  QSet<QWidget*> before_;
  QSet<QWidget*> noted_;
  QTimer timer_;
  QElapsedTimer clock_;
};

// Shows a list window with the first entry of its list chosen, so that Delete and Edit have
// something to act on.
QWidget* withFirstItem(QWidget* window, const char* listName) {
  window->show();
  rt::waitFor([&] { return window->isVisible(); });
  auto* list = window->findChild<QListWidget*>(listName);
  EXPECT_NE(list, nullptr) << window->objectName().toStdString() << " " << listName;
  if (list && list->count() > 0) list->setCurrentRow(0);
  return window;
}

// A window of the program as the walk opens it: made over the tree, shown, and brought to
// the state where its commands have something to act on (results listed, a row selected).
struct Surface {
  QString name;
  std::function<QWidget*()> open;
  std::function<void(QWidget*)> close = [](QWidget* w) { delete w; };
};

// What a command is expected to have done: the window or popup menu it opened, or one of
// "help", "print", "save", "open", "folder", "input", "font" (the box or chooser it asked
// for), "url" (a file handed to the desktop), "clipboard" (text put there) and "closes" (its
// own window went away).
struct Expectation {
  const char* window;
  const char* command;
  const char* outcome;
};

// The outcomes that are no window.
const QStringList kTokens{"help", "print", "save", "open", "folder", "input", "font", "url", "clipboard", "closes"};

const Expectation kExpected[] = {
    {"frmMain", "btDuplicate", "frmDup"},
    {"frmMain", "btFileHog", "frmDup"},
    {"frmMain", "btFiles", "frmMods"},
    {"frmMain", "btDirHogs", "frmDirHog"},
    {"frmMain", "btClean", "frmClean"},
    {"frmMain", "btStatistic", "frmStatistics"},
    {"frmMain", "btBrowse", "frmBrowse"},
    {"frmMain", "btClearCache", "frmCache"},
    {"frmMain", "btZip", "frmUnZipIt"},
    {"frmMain", "btBuild", "frmNoDelete"},
    {"frmMain", "btReach", "frmAbout"},
    {"frmMain", "btHelp", "help"},
    {"frmMain", "btClose", "closes"},
    {"frmClean", "Details1", "frmDetails"},
    {"frmClean", "Addafoldertothelistofdrives1", "frmAddNewFolder"},
    {"frmClean", "Run1", "url"},
    {"frmClean", "View1", "frmView"},
    {"frmClean", "Print1", "print"},
    {"frmClean", "Filenamesonly1", "clipboard"},
    {"frmClean", "Entiregrid1", "clipboard"},
    {"frmClean", "Webpage1", "save"},
    {"frmClean", "btEdit", "frmTempFiles"},
    {"frmClean", "btClose", "closes"},
    {"frmClean", "btDelete", "frmReallyDelete"},
    {"frmClean", "btOptions", "PopupMenu1"},
    {"frmClean", "btBrowse", "frmBrowse"},
    {"frmClean", "btDetails", "frmDetails"},
    {"frmDup", "Details1", "frmDetails"},
    {"frmDup", "Addafoldertothelistofdrives1", "frmAddNewFolder"},
    {"frmDup", "MarkInFolder1", "folder"},
    {"frmDup", "Run1", "url"},
    {"frmDup", "View1", "frmView"},
    {"frmDup", "Print1", "print"},
    {"frmDup", "Filenamesonly1", "clipboard"},
    {"frmDup", "Entiregrid1", "clipboard"},
    {"frmDup", "WebPage1", "save"},
    {"frmDup", "btClose", "closes"},
    {"frmDup", "btDelete", "frmReallyDelete"},
    {"frmDup", "btOptions", "PopupMenu1"},
    {"frmDup", "btBrowse", "frmBrowse"},
    {"frmDup", "btDetails", "frmDetails"},
    {"frmDup", "btCompare", "frmDupCompare"},
    {"frmDup (file hogs)", "Details1", "frmDetails"},
    {"frmDup (file hogs)", "Addafoldertothelistofdrives1", "frmAddNewFolder"},
    {"frmDup (file hogs)", "Run1", "url"},
    {"frmDup (file hogs)", "View1", "frmView"},
    {"frmDup (file hogs)", "Print1", "print"},
    {"frmDup (file hogs)", "Filenamesonly1", "clipboard"},
    {"frmDup (file hogs)", "Entiregrid1", "clipboard"},
    {"frmDup (file hogs)", "WebPage1", "save"},
    {"frmDup (file hogs)", "btClose", "closes"},
    {"frmDup (file hogs)", "btDelete", "frmReallyDelete"},
    {"frmDup (file hogs)", "btOptions", "PopupMenu1"},
    {"frmDup (file hogs)", "btBrowse", "frmBrowse"},
    {"frmDup (file hogs)", "btDetails", "frmDetails"},
    {"frmMods", "Details1", "frmDetails"},
    {"frmMods", "Addafoldertolistofdrives1", "frmAddNewFolder"},
    {"frmMods", "Run1", "url"},
    {"frmMods", "View1", "frmView"},
    {"frmMods", "Print1", "print"},
    {"frmMods", "Filenamesonly1", "clipboard"},
    {"frmMods", "Entiregrid1", "clipboard"},
    {"frmMods", "WebPage1", "save"},
    {"frmMods", "dtStartCalendar", "QMenu"},
    {"frmMods", "dtEndCalendar", "QMenu"},
    {"frmMods", "btClose", "closes"},
    {"frmMods", "btDelete", "frmReallyDelete"},
    {"frmMods", "btOptions", "PopupMenu1"},
    {"frmMods", "btDetails", "frmDetails"},
    {"frmMods", "btBrowse", "frmBrowse"},
    {"frmDirHog", "Addafoldertothelistofdrives1", "frmAddNewFolder"},
    {"frmDirHog", "Print1", "print"},
    {"frmDirHog", "Foldernames1", "clipboard"},
    {"frmDirHog", "Entiregrid1", "clipboard"},
    {"frmDirHog", "Webpage1", "save"},
    {"frmDirHog", "btClose", "closes"},
    {"frmDirHog", "btOptions", "PopupMenu1"},
    {"frmDirHog", "btBrowse", "frmBrowse"},
    {"frmDirHog", "btDelete", "frmDelDirectory"},
    {"frmDupCompare", "btLaunch1", "url"},
    {"frmDupCompare", "btView1", "frmView"},
    {"frmDupCompare", "btBrowse1", "frmBrowse"},
    {"frmDupCompare", "btLaunch2", "url"},
    {"frmDupCompare", "btView2", "frmView"},
    {"frmDupCompare", "btBrowse2", "frmBrowse"},
    {"frmDupCompare", "btPrint", "print"},
    {"frmDupCompare", "btClose", "closes"},
    {"frmCache", "btAdd", "folder"},
    {"frmCache", "btClear", "frmReallyDelete"},
    {"frmCache", "btClose", "closes"},
    {"frmCache (empty)", "btAdd", "folder"},
    {"frmCache (empty)", "btClose", "closes"},
    {"frmTempFiles", "btAdd", "frmSelectExtension"},
    {"frmTempFiles", "btClose", "closes"},
    {"frmBrowse", "Details", "frmDetails"},
    {"frmBrowse", "Open", "url"},
    {"frmBrowse", "View", "frmView"},
    {"frmBrowse", "btDeleteDirectory", "frmDelDirectory"},
    {"frmBrowse", "btView", "frmView"},
    {"frmBrowse", "btDeleteFiles", "frmReallyDelete"},
    {"frmBrowse", "btLaunch", "url"},
    {"frmBrowse", "btDetails", "frmDetails"},
    {"frmBrowse", "btMenu", "QMenu"},
    {"frmView", "Open...", "open"},
    {"frmView", "Print...", "print"},
    {"frmView", "Print setup...", "print"},
    {"frmView", "Exit", "closes"},
    {"frmView", "Copy", "clipboard"},
    {"frmView", "Find...", "FindDlg"},
    {"frmView", "Go to line...", "input"},
    {"frmView", "Tab size...", "input"},
    {"frmView", "Font...", "font"},
    {"frmView", "btFont", "font"},
    {"frmView", "btPrint", "print"},
    {"frmView", "BitBtn1", "print"},
    {"frmView", "btStrings", "frmView"},
    {"frmView", "btClose", "closes"},
    {"FindDlg", "OK", "closes"},
    {"FindDlg", "Cancel", "closes"},
    {"frmDetails", "btClose", "closes"},
    {"frmDetails", "btPrint", "print"},
    {"frmDetails", "btView", "frmView"},
    {"frmDetails", "btLaunch", "url"},
    {"frmReallyDelete", "btZip", "frmZipOptions"},
    {"frmReallyDelete", "btClose", "closes"},
    {"frmDelDirectory", "btDelete", "closes"},
    {"frmDelDirectory", "btZip", "frmZipOptions"},
    {"frmDelDirectory", "BitBtn3", "closes"},
    {"frmZipOptions", "SpeedButton1", "folder"},
    {"frmZipOptions", "btOK", "closes"},
    {"frmZipOptions", "btCancel", "closes"},
    {"frmUnZipIt", "btExtract", "frmZipDirectory"},
    {"frmUnZipIt", "btClose", "closes"},
    {"frmZipDirectory", "Button2", "closes"},
    {"frmZipDirectory", "Button3", "frmGetFolderName"},
    {"frmGetFolderName", "Button1", "closes"},
    {"frmGetFolderName", "Button2", "closes"},
    {"frmPassword", "btOK", "closes"},
    {"frmPassword", "btCancel", "closes"},
    {"frmNoDelete", "BitBtn1", "frmKeepFiles"},
    {"frmNoDelete", "btAdd", "folder"},
    {"frmNoDelete", "btEdit", "frmEditFolder"},
    {"frmNoDelete", "btClose", "closes"},
    {"frmKeepFiles", "btAdd", "frmSelectExtension"},
    {"frmKeepFiles", "btClose", "closes"},
    {"frmEditFolder", "SpeedButton1", "folder"},
    {"frmEditFolder", "btOK", "closes"},
    {"frmEditFolder", "btCancel", "closes"},
    {"frmStatistics", "Printgrid1", "print"},
    {"frmStatistics", "Saveas1", "save"},
    {"frmStatistics", "SaveasawebpageHTML1", "save"},
    {"frmStatistics", "EsMenuButton1", "popGridDelete"},
    {"frmStatistics", "btOK", "frmWhichDrive"},
    {"frmStatistics", "btPrint", "print"},
    {"frmStatistics", "btCancel", "closes"},
    {"frmWhichDrive", "miAddFolder", "frmAddNewFolder"},
    {"frmWhichDrive", "btAddDelete", "frmStatList"},
    {"frmWhichDrive", "btNext2", "closes"},
    {"frmWhichDrive", "btCancel", "closes"},
    {"frmStatList", "btAdd", "frmSelectExtension"},
    {"frmStatList", "btClose", "closes"},
    {"frmSelectExtension", "btOK", "closes"},
    {"frmSelectExtension", "btCancel", "closes"},
    {"frmWildCard", "btOK", "closes"},
    {"frmWildCard", "btCancel", "closes"},
    {"frmAddNewFolder", "btAdd", "folder"},
    {"frmAddNewFolder", "Button1", "closes"},
    {"frmHelp", "btClose", "closes"},
    {"frmAbout", "btClose", "closes"},
};

class CommandWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    // The commands write settings, lists, the deletion log and the trash of the private
    // home; all of it is put back afterwards.
    home = platform::homeFolder();
    // Only ever the private home the test runner made; never a real one.
    privateHome = home.find("/roomvale-home-") != std::string::npos;
    if (!privateHome) GTEST_SKIP() << "not run in the test runner's private home: " << home;
    std::filesystem::copy(home, tree.dir("home-before"), std::filesystem::copy_options::recursive);
    prompts.defaultAnswer = Answer::No;
    prompts.configurePrinter = [this](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(tree / "printout.pdf"));
    };
    // The program's own temporary files go into the tree as well.
    const char* tmp = std::getenv("TMPDIR");
    savedTmp = tmp ? std::optional<std::string>(tmp) : std::nullopt;
    ::setenv("TMPDIR", tree.dir("tmp").c_str(), 1);
    savedZipPath = defaultZipPath;
    defaultZipPath = tree.dir("zips") + "/";
    launch::installServices();
  }
  void TearDown() override {
    if (!privateHome) return;
    destroyDupCompareWindow();
    defaultZipPath = savedZipPath;
    if (savedTmp)
      ::setenv("TMPDIR", savedTmp->c_str(), 1);
    else
      ::unsetenv("TMPDIR");
    for (const auto& entry : std::filesystem::directory_iterator(home)) std::filesystem::remove_all(entry.path());
    std::filesystem::copy(tree / "home-before", home, std::filesystem::copy_options::recursive);
  }

  static std::string foldersFile() { return platform::joinPath(platform::userDataFolder(), "folders.txt"); }

  // The files every command may act on, made again before each command.
  void makeTree() {
    tree.file("docs/old.tmp", std::string(1500, 't'));
    tree.file("docs/report.bak", std::string(800, 'b'));
    tree.file("docs/notes.txt", "first line\nsecond line\n");
    tree.file("loose/extra.tmp", std::string(600, 'x'));
    // Twins above the least size the duplicates window starts with.
    tree.file("twins/a/same.dat", std::string(300 * 1024, 's'));
    tree.file("twins/b/same.dat", std::string(300 * 1024, 's'));
    tree.file("victim/inner/gone.txt", "gone");
    tree.file("cache/entry.bin", std::string(300, 'c'));
    writeListSection(kNewFoldersSection, {platform::toDisplay(tree.path() + "/")});
    platform::ensureUserDataFolder();
    // The documents folder is in Safe Harbor, so that highlighting and the review's Safe
    // Harbor panel have rows to show.
    ASSERT_TRUE(platform::writeFileAtomically(foldersFile(), tree.path() + "/docs/*.*\n"));
    launch::loadSafeHarborLists();
  }

  // Ticks only the tree in a drive list. Should that fail, nothing stays ticked, so that no
  // walk ever leaves the tree.
  bool tickOnlyTree(QWidget* window, const char* listName = "pckDrive") {
    auto* list = window->findChild<QListWidget*>(listName);
    if (!list) {
      ADD_FAILURE() << window->objectName().toStdString() << " has no drive list";
      return false;
    }
    setAllChecked(list, false);
    const QByteArray own = QByteArray::fromStdString(tree.path() + "/");
    for (int i = 0; i < list->count(); ++i)
      if (list->item(i)->data(kTargetPathRole).toByteArray() == own) list->item(i)->setCheckState(Qt::Checked);
    const auto targets = checkedTargets(list);
    if (targets.size() == 1 && targets.front().path == tree.path() + "/") return true;
    ADD_FAILURE() << window->objectName().toStdString() << ": the tree is not the only target";
    setAllChecked(list, false);
    return false;
  }

  // Clicks the first row of a grid once it lists something, and marks it, so that the row
  // commands and Clean? have something to act on.
  void pickFirstRow(ResultGrid* grid, const QString& window) {
    EXPECT_GT(grid->data().rowsUsed(), 0) << window.toStdString() << " listed nothing";
    QTableView* view = grid->view();
    view->setFocus();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(grid->model()->index(0, 0)).center());
    clock.set(now().addSecs(2));  // past the quiet time after a walk
    grid->deleteOneFile(0);
    grid->updateCleanButton();
  }

  template <class Finder, class Scan>
  std::function<QWidget*()> finder(std::function<Finder*()> make, Scan scan) {
    return [this, make, scan] {
      Finder* w = make();
      w->show();
      rt::waitFor([&] { return w->isVisible(); });
      if (tickOnlyTree(w)) {
        (w->*scan)();
        pickFirstRow(w->grid, w->objectName());
      }
      return w;
    };
  }

  std::vector<Surface> surfaces();

  // Runs one command on a fresh window; returns what it did. `window` is the window it is
  // expected to open, if any.
  QStringList run(const Surface& surface, const QString& key, const QString& window, bool* found);

  rt::TempTree tree;
  rt::ScriptedPrompts prompts;
  rt::FixedClock clock{QDateTime::currentDateTime()};
  UrlCatcher urls;
  std::string home;
  bool privateHome = false;
  std::string savedZipPath;
  std::optional<std::string> savedTmp;
  std::unique_ptr<Application> app;
};

std::vector<Surface> CommandWalk::surfaces() {
  const std::string notes = tree / "docs/notes.txt";
  return {
      {"frmMain",
       [this] {
         app = std::make_unique<Application>(Application::Options{50});
         TfrmMain* main = app->start();
         rt::waitFor([&] { return main->isVisible(); });
         return main;
       },
       [this](QWidget*) { app.reset(); }},
      {"frmClean", finder<TfrmClean>([] { return new TfrmClean; }, &TfrmClean::btScanClick)},
      {"frmDup", finder<TfrmDup>([] { return new TfrmDup(true); }, &TfrmDup::btScanClick)},
      {"frmDup (file hogs)", finder<TfrmDup>([] { return new TfrmDup(false); }, &TfrmDup::btScanClick)},
      {"frmMods", finder<TfrmMods>([] { return new TfrmMods; }, &TfrmMods::btOKClick)},
      {"frmDirHog", finder<TfrmDirHog>([] { return new TfrmDirHog; }, &TfrmDirHog::btTopClick)},
      {"frmDupCompare",
       [this] {
         QWidget* dup = finder<TfrmDup>([] { return new TfrmDup(true); }, &TfrmDup::btScanClick)();
         destroyDupCompareWindow();
         TfrmDupCompare* pairs = dupCompareWindow(dup);
         pairs->showPairs(static_cast<TfrmDup*>(dup));
         rt::waitFor([&] { return pairs->isVisible(); });
         return pairs;
       },
       [](QWidget* pairs) {
         QWidget* dup = pairs->parentWidget();
         destroyDupCompareWindow();
         delete dup;
       }},
      {"frmCache",
       [this] {
         writeListSection("CacheFiles", {platform::toDisplay(tree / "cache/")});
         return withFirstItem(new TfrmCache, "ListBox1");
       }},
      {"frmCache (empty)",
       [] {
         writeListSection("CacheFiles", {});
         auto* w = new TfrmCache;
         w->show();
         return w;
       }},
      {"frmTempFiles", [] { return withFirstItem(new TfrmTempFiles, "PickList1"); }},
      {"frmBrowse",
       [this] {
         auto* w = new TfrmBrowse;
         w->presetFolder(tree / "docs", "notes.txt");
         w->show();
         rt::waitFor([&] { return w->grid->data().rowsUsed() > 0; });
         pickFirstRow(w->grid, w->objectName());
         return w;
       }},
      {"frmView",
       [notes] {
         auto* w = new TfrmView;
         w->show();
         EXPECT_TRUE(w->openPath(notes));
         w->SelectAll1Click();
         return w;
       }},
      {"FindDlg",
       [] {
         TFindDlg* w = &findDialog();
         w->show();
         return w;
       },
       [](QWidget* w) { w->hide(); }},
      {"frmDetails",
       [notes] {
         auto* w = new TfrmDetails;
         w->fileName = notes;
         w->show();
         return w;
       }},
      {"frmReallyDelete",
       [this] {
         auto* w = new TfrmReallyDelete;
         w->setRequest(DeletionRequest{{tree / "docs/old.tmp", tree / "loose/extra.tmp"}, 2100, "TempClean", {}});
         w->show();
         // One file chosen on each panel, for the moves between them.
         for (QListView* panel : {w->lb1, w->lb2})
           if (panel->model()->rowCount() > 0)
             panel->selectionModel()->select(panel->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
         return w;
       }},
      {"frmDelDirectory",
       [this] {
         auto* w = new TfrmDelDirectory;
         w->setFolder(tree / "victim");
         w->show();
         return w;
       }},
      {"frmZipOptions",
       [] {
         auto* w = new TfrmZipOptions;
         w->show();
         return w;
       }},
      {"frmUnZipIt",
       [this] {
         const std::string archive = defaultZipPath + "Drive.zip";
         if (!rt::exists(archive)) {
           ZipWriter writer(QStringLiteral("walk"));
           writer.add(archive, tree / "docs/notes.txt", "docs/notes.txt");
           writer.flush();
         }
         auto* w = new TfrmUnZipIt;
         w->show();
         rt::waitFor([&] { return w->FileListBox1->count() > 0; });
         if (w->FileListBox1->count() > 0) w->FileListBox1->setCurrentRow(0);
         return w;
       }},
      {"frmZipDirectory",
       [this] {
         auto* w = new TfrmZipDirectory;
         w->setArchive(defaultZipPath + "Drive.zip", ArchiveOrigin{}, tree.path() + "/");
         w->show();
         return w;
       }},
      {"frmGetFolderName",
       [] {
         auto* w = new TfrmGetFolderName;
         w->show();
         return w;
       }},
      {"frmPassword",
       [] {
         auto* w = new TfrmPassword;
         w->show();
         return w;
       }},
      {"frmNoDelete", [] { return withFirstItem(new TfrmNoDelete, "ListBox1"); }},
      {"frmKeepFiles", [] { return withFirstItem(new TfrmKeepFiles, "PickList1"); }},
      {"frmEditFolder",
       [this] {
         auto* w = new TfrmEditFolder;
         w->setFolder(tree / "docs/");
         w->show();
         return w;
       }},
      {"frmStatistics",
       [this] {
         auto* w = new TfrmStatistics;
         w->show();
         rt::whenShown("frmWhichDrive", [this](QWidget* d) {
           auto* wizard = qobject_cast<TfrmWhichDrive*>(d);
           if (!tickOnlyTree(wizard)) {
             wizard->reject();
             return;
           }
           wizard->btNext1->click();
           wizard->btNext2->click();
         });
         w->btOKClick();
         EXPECT_TRUE(w->statisticsCollected);
         return w;
       }},
      {"frmWhichDrive",
       [] {
         auto* w = new TfrmWhichDrive;
         w->show();
         return w;
       }},
      {"frmStatList", [] { return withFirstItem(new TfrmStatList(kIncludeSection), "PickList1"); }},
      {"frmSelectExtension", [] { return withFirstItem(new TfrmSelectExtension, "lBox"); }},
      {"frmWildCard",
       [] {
         auto* w = new TfrmWildCard;
         w->show();
         return w;
       }},
      {"frmAddNewFolder", [] { return withFirstItem(new TfrmAddNewFolder, "ListBox1"); }},
      {"frmHelp",
       [] {
         auto* w = new TfrmHelp;
         EXPECT_TRUE(w->showTopic(applicationHelpFile(), 1000));
         w->show();
         return w;
       }},
      {"frmAbout",
       [] {
         auto* w = new TfrmAbout;
         w->show();
         return w;
       }},
  };
}

QStringList CommandWalk::run(const Surface& surface, const QString& key, const QString& expectedWindow, bool* found) {
  makeTree();
  QWidget* window = surface.open();
  QPointer<QWidget> alive = window;
  QStringList outcome;
  QObject* command = commandByKey(window, key);
  *found = command != nullptr;
  if (command) {
    if (auto* b = qobject_cast<QAbstractButton*>(command)) reachable(b, window, true);
    prompts.clear();
    urls.opened.clear();
    std::filesystem::remove(tree / "printout.pdf");
    const bool listing = qEnvironmentVariableIsSet("ROOMVALE_LIST_COMMANDS");
    const QImage before = listing ? window->grab().toImage() : QImage();
    QApplication::clipboard()->clear();
    Watchdog dog(window);
    if (auto* a = qobject_cast<QAction*>(command))
      a->trigger();
    else
      static_cast<QAbstractButton*>(command)->click();
    // Windows shown without blocking appear after the command returns.
    if (!expectedWindow.isEmpty()) rt::waitFor([&] { return dog.opened.contains(expectedWindow); });
    rt::waitFor([] { return false; }, 150);
    dog.tick();
    outcome = dog.opened;
    for (const auto& r : prompts.records) {
      outcome << QString::fromStdString(r.what);
      if (placeholder(r.text) || placeholder(r.title)) dog.placeholders << r.text;
    }
    if (!urls.opened.isEmpty()) outcome << "url";
    if (alive)
      for (QLabel* label : alive->findChildren<QLabel*>())
        if (placeholder(label->text())) dog.placeholders << label->text();
    if (!alive || !alive->isVisible()) outcome << "closes";
    if (!QApplication::clipboard()->text().isEmpty()) outcome << "clipboard";
    // For a look by eye: commands that left no trace at all.
    if (listing && outcome.isEmpty() && alive && alive->grab().toImage() == before) outcome << "(no visible effect)";
    EXPECT_TRUE(dog.placeholders.isEmpty())
        << surface.name.toStdString() << " " << key.toStdString() << ": " << dog.placeholders.join(" | ").toStdString();
    EXPECT_FALSE(dog.hung) << surface.name.toStdString() << " " << key.toStdString() << " hangs";
  }
  if (alive) surface.close(alive);
  rt::waitFor([] { return false; }, 20);
  return outcome;
}

TEST_F(CommandWalk, EveryCommandOfEveryWindowDoesItsWork) {
  std::map<std::pair<QString, QString>, QString> expected;
  for (const Expectation& e : kExpected) expected[{e.window, e.command}] = e.outcome;
  std::set<std::pair<QString, QString>> walked;
  const bool listing = qEnvironmentVariableIsSet("ROOMVALE_LIST_COMMANDS");
  int total = 0;

  for (const Surface& surface : surfaces()) {
    QStringList keys;
    {
      makeTree();
      QWidget* window = surface.open();
      for (const auto& [key, object] : commandsOf(window)) keys << key;
      if (listing)
        std::fprintf(stderr, "%s idle: %s\n", qPrintable(surface.name), qPrintable(idleCommandsOf(window).join(' ')));
      surface.close(window);
    }
    EXPECT_FALSE(keys.isEmpty()) << surface.name.toStdString() << " has no command";
    for (const QString& key : keys) {
      bool found = false;
      const auto want = expected.find({surface.name, key});
      const QString wantedWindow = want != expected.end() && !kTokens.contains(want->second) ? want->second : QString();
      const QStringList outcome = run(surface, key, wantedWindow, &found);
      EXPECT_TRUE(found) << surface.name.toStdString() << " " << key.toStdString() << " gone when opened again";
      if (!found) continue;
      ++total;
      walked.insert({surface.name, key});
      if (listing)
        std::fprintf(stderr, "%s %s -> %s   [%s]\n", qPrintable(surface.name), qPrintable(key),
                     qPrintable(outcome.join(",")),
                     qPrintable(prompts.texts().join(" | ").left(160).replace('\n', ' ')));
      if (want != expected.end()) {
        EXPECT_TRUE(outcome.contains(want->second))
            << surface.name.toStdString() << " " << key.toStdString() << " should give " << want->second.toStdString()
            << ", gave: " << outcome.join(",").toStdString();
      }
    }
  }
  // Every command the table names was met.
  for (const auto& [where, outcome] : expected)
    EXPECT_TRUE(walked.count(where)) << where.first.toStdString() << " " << where.second.toStdString() << " not found";
  if (listing) std::printf("%d commands\n", total);
}

}  // namespace
}  // namespace roomvale

#include "commands_guitest.moc"
