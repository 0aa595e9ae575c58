#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <filesystem>
#include <memory>

#include "app/application.h"
#include "app/artwork.h"
#include "app/datefix.h"
#include "app/mainform.h"
#include "app/splash.h"
#include "common/testing.h"
#include "foundation/helpers.h"
#include "foundation/standby.h"
#include "platform/paths.h"
#include "safeharbor/nodelete.h"

namespace roomvale {
namespace {

using testing::ScriptedPrompts;

const QString kSafeHarborMissing =
    "The Safe Harbor list of folders/files not to delete has not been created yet.  Click on the Build Safe "
    "Harbor button to initialize.";

struct ButtonSpec {
  const char* name;
  const char* caption;
  const char* hint;
  bool gated;
};

// In tab order: left column, right column, bottom row.
const ButtonSpec kButtons[] = {
    {"btDuplicate", "&Duplicate files", "Locate duplicate files", true},
    {"btFileHog", "&File hogs", "Locate large files", true},
    {"btFiles", "Files &accessed", "Locate old and recent files", true},
    {"btDirHogs", "Folder &hogs", "Locate folders taking the most space", true},
    {"btClean", "&Quick clean", "Quickly clean up temporary files", true},
    {"btStatistic", "&Statistics", "Compute disk statistics", false},
    {"btBrowse", "&Browse", "Browse through disks/folders", true},
    {"btClearCache", "&Clear internet files", "Clean up web browser cache folders", true},
    {"btZip", "&Unzip archive files", "Unzip files that have been zipped up by Roomvale (compressed)", false},
    {"btBuild", "Build &safe harbor", "Build list of folders that will not be deleted in Roomvale without warning",
     false},
    {"btReach", "Ab&out", "", false},
    {"btHelp", "H&elp", "", false},
    {"btClose", "E&xit", "Quit and close ", false},
};

std::string foldersFile() { return platform::joinPath(platform::userDataFolder(), "folders.txt"); }

void setSafeHarborList(bool present) {
  std::error_code ec;
  if (present) {
    platform::ensureUserDataFolder();
    ASSERT_TRUE(platform::writeFileAtomically(foldersFile(), "/opt/app/*.*\n"));
  } else {
    std::filesystem::remove(foldersFile(), ec);
  }
}

class MainWindowTest : public ::testing::Test {
 protected:
  // Starts the program with or without a Safe Harbor list.
  TfrmMain* start(bool safeHarborList, int splashDelayMs = 3000) {
    setSafeHarborList(safeHarborList);
    app_ = std::make_unique<Application>(Application::Options{splashDelayMs});
    TfrmMain* main = app_->start();
    EXPECT_TRUE(testing::waitFor([&] { return main->isVisible(); }));
    return main;
  }

  QPushButton* button(const char* name) {
    auto* b = app_->mainWindow()->findChild<QPushButton*>(QLatin1String(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
  }

  void TearDown() override {
    app_.reset();
    setSafeHarborList(false);
  }

  ScriptedPrompts prompts_;
  std::unique_ptr<Application> app_;
};

TEST_F(MainWindowTest, WindowTitleSizeAndButtons) {
  start(false);
  QWidget* main = testing::findTopLevel("frmMain");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->windowTitle(), "Roomvale Version 3.3 from Fernholt Corporation");
  EXPECT_EQ(main->size(), QSize(602, 427));
  EXPECT_EQ(main->minimumSize(), main->maximumSize());
  EXPECT_FALSE(main->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(main->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(QApplication::applicationName(), "Roomvale");
  // The title bar (and the desktop's window list) shows the program's own icon.
  EXPECT_EQ(main->windowIcon().pixmap(32, 32).toImage(), artwork::programIcon().pixmap(32, 32).toImage());

  auto* title = main->findChild<QLabel*>("EsLabel1");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->text(), "Roomvale");
  EXPECT_EQ(title->geometry(), QRect(0, 0, 602, 77));
  EXPECT_EQ(main->findChild<QLabel*>("EsLabel2")->text(), "Fernholt Corporation");

  for (const ButtonSpec& want : kButtons) {
    QPushButton* b = button(want.name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), want.caption) << want.name;
    EXPECT_EQ(b->toolTip(), want.hint) << want.name;
    EXPECT_TRUE(b->isVisible()) << want.name;
    // Every button lies wholly inside the client area.
    const QRect inMain(b->mapTo(main, QPoint(0, 0)), b->size());
    EXPECT_TRUE(main->rect().contains(inMain)) << want.name;
  }
}

TEST_F(MainWindowTest, ToolButtonsSitInTwoColumnsOfSunkenPanels) {
  TfrmMain* main = start(false);
  QList<QRect> left, right;
  for (int i = 0; i < 10; ++i) {
    QPushButton* b = button(kButtons[i].name);
    auto* panel = qobject_cast<QFrame*>(b->parentWidget());
    ASSERT_NE(panel, nullptr) << kButtons[i].name;
    EXPECT_EQ(panel->size(), QSize(210, 40));
    EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);
    EXPECT_FALSE(b->icon().isNull()) << kButtons[i].name;
    // The shadow strip lies behind the panel, offset down and right.
    QWidget* shadow = main->findChild<QWidget*>("shd" + QString(kButtons[i].name).mid(2));
    ASSERT_NE(shadow, nullptr);
    EXPECT_GT(shadow->x(), panel->x());
    EXPECT_GT(shadow->y(), panel->y());
    (i < 5 ? left : right) << panel->geometry();
  }
  for (int row = 0; row < 5; ++row) {
    EXPECT_LT(left[row].right(), right[row].left());
    EXPECT_EQ(left[row].y(), right[row].y());
    EXPECT_GE(left[row].top(), 77);
    if (row > 0) {
      EXPECT_GT(left[row].top(), left[row - 1].bottom() + 5);  // room for the shadow
    }
  }
  // The plain buttons form a row below the panels, About to Exit from left to right.
  const QRect about = button("btReach")->geometry(), help = button("btHelp")->geometry(),
              exitB = button("btClose")->geometry();
  EXPECT_GT(about.top(), left[4].bottom() + 5);
  EXPECT_EQ(about.y(), help.y());
  EXPECT_EQ(help.y(), exitB.y());
  EXPECT_LT(about.right(), help.left());
  EXPECT_LT(help.right(), exitB.left());
}

TEST_F(MainWindowTest, TabOrderFollowsLeftColumnRightColumnThenBottomRow) {
  TfrmMain* main = start(false);
  QStringList wanted, seen;
  for (const ButtonSpec& want : kButtons) wanted << want.name;
  QWidget* w = button("btDuplicate");
  for (int guard = 0; guard < 200 && seen.size() < wanted.size(); ++guard) {
    if (qobject_cast<QPushButton*>(w) && wanted.contains(w->objectName()) && w->window() == main)
      seen << w->objectName();
    w = w->nextInFocusChain();
  }
  EXPECT_EQ(seen, wanted);
}

// The window each button opens.
QString windowOf(const char* button) {
  const QString name = button;
  if (name == "btClean") return "frmClean";
  if (name == "btDuplicate" || name == "btFileHog") return "frmDup";
  if (name == "btFiles") return "frmMods";
  if (name == "btDirHogs") return "frmDirHog";
  if (name == "btBuild") return "frmNoDelete";
  if (name == "btClearCache") return "frmCache";
  if (name == "btZip") return "frmUnZipIt";
  if (name == "btStatistic") return "frmStatistics";  // modeless: shown after the click returns
  if (name == "btBrowse") return "frmBrowse";
  return {};
}

TEST_F(MainWindowTest, FinderButtonsRefuseWithoutSafeHarborList) {
  TfrmMain* main = start(false);
  EXPECT_TRUE(main->safeHarborMissing());
  for (int i = 0; i < 10; ++i) {
    prompts_.clear();
    const QString window = windowOf(kButtons[i].name);
    bool opened = false;
    if (!window.isEmpty() && !kButtons[i].gated)
      testing::whenShown(window, [&](QWidget* w) {
        opened = true;
        w->close();
      });
    QTest::mouseClick(button(kButtons[i].name), Qt::LeftButton);
    if (!window.isEmpty() && !kButtons[i].gated) testing::waitFor([&] { return opened; }, 2000);
    const QStringList errors = prompts_.texts(MessageKind::Error);
    const QStringList infos = prompts_.texts(MessageKind::Information);
    if (kButtons[i].gated) {
      EXPECT_EQ(errors, QStringList{kSafeHarborMissing}) << kButtons[i].name;
      EXPECT_TRUE(infos.isEmpty()) << kButtons[i].name << " opened something";
      EXPECT_FALSE(opened) << kButtons[i].name;
    } else if (!window.isEmpty()) {
      EXPECT_TRUE(opened) << kButtons[i].name;
    } else {
      ADD_FAILURE() << kButtons[i].name << " opens no window";
    }
  }
  // A refused button does not change the duplicates window's mode either.
  QTest::mouseClick(button("btFileHog"), Qt::LeftButton);
  EXPECT_TRUE(main->findDuplicates());
}

TEST_F(MainWindowTest, FinderButtonsPassTheGateWithSafeHarborList) {
  TfrmMain* main = start(true);
  EXPECT_FALSE(main->safeHarborMissing());
  for (int i = 0; i < 10; ++i) {
    prompts_.clear();
    const QString window = windowOf(kButtons[i].name);
    bool opened = false;
    if (!window.isEmpty())
      testing::whenShown(window, [&](QWidget* w) {
        opened = true;
        w->close();
      });
    QTest::mouseClick(button(kButtons[i].name), Qt::LeftButton);
    if (!window.isEmpty()) testing::waitFor([&] { return opened; }, 2000);
    EXPECT_TRUE(prompts_.texts(MessageKind::Error).isEmpty()) << kButtons[i].name;
    EXPECT_FALSE(window.isEmpty()) << kButtons[i].name << " opens no window";
    EXPECT_TRUE(prompts_.texts(MessageKind::Information).isEmpty()) << kButtons[i].name;
    EXPECT_TRUE(opened) << kButtons[i].name;
  }
  // The mode of the duplicates window follows the button pressed last.
  auto titleOpenedBy = [&](const char* name) {
    QString title;
    testing::whenShown("frmDup", [&](QWidget* w) {
      title = w->windowTitle();
      w->close();
    });
    QTest::mouseClick(button(name), Qt::LeftButton);
    return title;
  };
  EXPECT_EQ(titleOpenedBy("btDuplicate"), "Find and delete duplicate files");
  EXPECT_TRUE(main->findDuplicates());
  EXPECT_EQ(titleOpenedBy("btFileHog"), "Find and delete file hogs");
  EXPECT_FALSE(main->findDuplicates());
  EXPECT_EQ(titleOpenedBy("btDuplicate"), "Find and delete duplicate files");
  EXPECT_TRUE(main->findDuplicates());
}

// The quick clean as the user meets it: opened from the main window, moved and resized,
// closed with Close or with its close box, opened again where it was left.
TEST_F(MainWindowTest, QuickCleanRemembersItsPlacementAcrossBothWaysOfClosing) {
  start(true);
  const std::string ini = platform::configRoot() + "/roomval.ini";
  std::filesystem::remove(ini);
  const QRect wanted[] = {QRect(40, 50, 1000, 700), QRect(70, 30, 900, 640)};
  const QString closeWith[] = {"btClose", ""};  // "" = the close box
  QRect seen;
  for (int round = 0; round < 3; ++round) {
    testing::whenShown("frmClean", [&](QWidget* w) {
      seen = QRect(w->frameGeometry().topLeft(), w->size());
      if (round == 2) {
        w->close();
        return;
      }
      w->move(wanted[round].topLeft());
      w->resize(wanted[round].size());
      QCoreApplication::processEvents();
      if (closeWith[round].isEmpty())
        w->close();
      else
        w->findChild<QPushButton*>(closeWith[round])->click();
    });
    QTest::mouseClick(button("btClean"), Qt::LeftButton);
    if (round > 0) {
      EXPECT_EQ(seen, wanted[round - 1]) << round;
    }
    EXPECT_TRUE(std::filesystem::exists(ini)) << round;
  }
}

TEST_F(MainWindowTest, BuildThatFindsFoldersOpensTheFindersWithoutRestart) {
  // A configuration file that names an existing folder, so the build finds at least one.
  testing::TempTree tree;
  const std::string appData = tree.dir("appdata");
  const std::string confFile = platform::configRoot() + "/demo-app/demo.conf";
  std::filesystem::create_directories(platform::configRoot() + "/demo-app");
  ASSERT_TRUE(platform::writeFileAtomically(confFile, "data=" + appData + "/\n"));

  TfrmMain* main = start(false);
  ASSERT_TRUE(main->safeHarborMissing());
  size_t found = 0;
  testing::whenShown("frmNoDelete", [&](QWidget* w) {
    auto* frm = static_cast<TfrmNoDelete*>(w);
    // The window builds by itself shortly after it appears.
    testing::waitFor([&] { return !frm->entries().empty() && !frm->building(); }, 20000);
    found = frm->entries().size();
    frm->close();
  });
  QTest::mouseClick(button("btBuild"), Qt::LeftButton);
  ASSERT_GT(found, 0u);
  EXPECT_TRUE(testing::exists(foldersFile()));
  EXPECT_FALSE(main->safeHarborMissing());

  bool opened = false;
  prompts_.clear();
  testing::whenShown("frmClean", [&](QWidget* w) {
    opened = true;
    w->close();
  });
  QTest::mouseClick(button("btClean"), Qt::LeftButton);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(prompts_.texts(MessageKind::Error).isEmpty());
  std::filesystem::remove_all(platform::configRoot() + "/demo-app");
}

TEST_F(MainWindowTest, AboutOpensFromTheButtonAndFromTheMakerLabels) {
  TfrmMain* main = start(false);
  for (const char* opener : {"btReach", "EsLabel2", "EsLabel3"}) {
    QString title, product, version;
    bool closedByButton = false, iconShown = false;
    testing::whenShown("frmAbout", [&](QWidget* about) {
      title = about->windowTitle();
      product = about->findChild<QLabel*>("lblProduct")->text();
      version = about->findChild<QLabel*>("lblVersion")->text();
      iconShown =
          about->findChild<QLabel*>("Image1")->pixmap().toImage() == artwork::programIcon().pixmap(48, 48).toImage();
      auto* close = about->findChild<QPushButton*>("btClose");
      closedByButton = close && close->text() == "Close";
      if (close) close->click();
    });
    auto* w = main->findChild<QWidget*>(opener);
    ASSERT_NE(w, nullptr) << opener;
    QTest::mouseClick(w, Qt::LeftButton);  // returns when the modal window closed
    EXPECT_EQ(title, "How to contact us") << opener;
    EXPECT_EQ(product, "Roomvale");
    EXPECT_EQ(version, "Version 3.3");
    EXPECT_TRUE(closedByButton);
    EXPECT_TRUE(iconShown);
    EXPECT_EQ(testing::findTopLevel("frmAbout"), nullptr);
  }
  EXPECT_TRUE(prompts_.records.empty());
}

TEST_F(MainWindowTest, HelpOpensTheHelpFileBesideTheProgramAtTheContents) {
  TfrmMain* main = start(false);
  QTest::mouseClick(button("btHelp"), Qt::LeftButton);
  const QString expected = QString::fromStdString(platform::programFolder()) + "rmvl30.hlp";
  EXPECT_EQ(prompts_.lastHelpFile, expected);
  EXPECT_EQ(prompts_.lastHelpContext, 1000);
  EXPECT_EQ(main->helpFile(), expected);
  ASSERT_EQ(prompts_.records.size(), 1u);
  EXPECT_EQ(prompts_.records[0].what, "help");
}

TEST_F(MainWindowTest, StartUpSettingsAreApplied) {
  TfrmMain* main = start(false);
  // Dates with four-digit years from the first window on.
  EXPECT_EQ(shortDateFormat(), fix2000(QLocale::system().dateFormat(QLocale::ShortFormat)));
  // Pale yellow hints after a pause of a second.
  EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0xF5, 0xF9, 0x88));
  EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 1000);
  // The help file is known from the first show, before Help is pressed.
  EXPECT_EQ(main->helpFile(), QString::fromStdString(platform::programFolder()) + "rmvl30.hlp");
  // The progress window exists for the whole run.
  TfrmStandBy* standBy = frmStandBy();
  ASSERT_NE(standBy, nullptr);
  EXPECT_EQ(standBy->objectName(), "frmStandBy");
  EXPECT_FALSE(standBy->isVisible());
}

TEST_F(MainWindowTest, LowColourDisplayShowsTheGradient) {
  TfrmMain* main = start(false);
  // The first show chose by the display's depth (offscreen is 32 bits: the tile).
  const bool lowColour = useGradientBackground(main->screen()->depth());
  EXPECT_EQ((lowColour ? main->EsGradient1 : main->EsTile1)->geometry(), main->rect());
  EXPECT_GE((lowColour ? main->EsTile1 : main->EsGradient1)->y(), 1000);

  main->applyColourDepth(8);
  EXPECT_EQ(main->EsGradient1->geometry(), main->rect());
  EXPECT_EQ(main->EsTile1->y(), 1000);
  // Still behind every control.
  QImage shot = main->grab().toImage();
  const QColor top = shot.pixelColor(300, 2);
  EXPECT_GT(top.blue(), 150);
  EXPECT_LT(top.red(), 60);
  // The title stays readable: light ink on the dark gradient.
  bool lightInk = false;
  for (int x = 150; x < 450 && !lightInk; ++x) lightInk = shot.pixelColor(x, 40).lightness() > 200;
  EXPECT_TRUE(lightInk);

  main->applyColourDepth(16);
  EXPECT_EQ(main->EsTile1->geometry(), main->rect());
  EXPECT_GE(main->EsGradient1->y(), 1000);
  EXPECT_TRUE(button("btDuplicate")->isVisible());
}

TEST_F(MainWindowTest, MainWindowRendersTileTitleAndPanels) {
  TfrmMain* main = start(false);
  main->applyColourDepth(24);  // whatever display the test runs on
  QImage shot = main->grab().toImage();
  ASSERT_EQ(shot.size(), QSize(602, 427) * main->devicePixelRatio());
  // The tile, not a flat window colour, fills the margins.
  const QColor margin = shot.pixelColor(20, 200);
  EXPECT_GT(margin.blue(), margin.red());
  EXPECT_GT(margin.lightness(), 150);
  // The title is drawn in dark ink somewhere along the middle of its band.
  bool ink = false;
  for (int x = 150; x < 450 && !ink; ++x) ink = shot.pixelColor(x, 40).lightness() < 90;
  EXPECT_TRUE(ink);
  // Screenshots for the documentation, when asked for.
  const QByteArray dir = qgetenv("ROOMVALE_SCREENSHOT_DIR");
  if (!dir.isEmpty()) {
    shot.save(QString::fromLocal8Bit(dir) + "/main.png");
    if (app_->splash()) app_->splash()->grab().save(QString::fromLocal8Bit(dir) + "/splash.png");
  }
}

TEST_F(MainWindowTest, SplashIsShapedOnTopAndGoesAfterTheDelay) {
  TfrmMain* main = start(false, 3000);
  TfrmSplash* splash = app_->splash();
  ASSERT_NE(splash, nullptr);
  EXPECT_TRUE(splash->isVisible());
  EXPECT_EQ(splash->objectName(), "frmSplash");
  EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(splash->size(), QSize(585, 410));
  const QRegion mask = splash->mask();
  EXPECT_FALSE(mask.isEmpty());
  EXPECT_TRUE(mask.contains(QPoint(292, 205)));
  EXPECT_FALSE(mask.contains(QPoint(1, 1)));
  EXPECT_TRUE(main->tmSplash->isActive());
  EXPECT_TRUE(main->tmSplash->isSingleShot());
  EXPECT_EQ(main->tmSplash->interval(), 3000);
  app_.reset();

  // With a short delay the splash is closed and destroyed soon after the first show.
  main = start(false, 50);
  QPointer<TfrmSplash> shortSplash = app_->splash();
  ASSERT_FALSE(shortSplash.isNull());
  EXPECT_TRUE(testing::waitFor([&] { return shortSplash.isNull(); }, 3000));
  EXPECT_FALSE(main->tmSplash->isActive());
  EXPECT_TRUE(main->isVisible());
}

TEST(RunApplication, ExitEndsTheEventLoop) {
  ScriptedPrompts prompts;
  bool clicked = false;
  testing::whenShown("frmMain", [&](QWidget* main) {
    auto* exitButton = main->findChild<QPushButton*>("btClose");
    ASSERT_NE(exitButton, nullptr);
    clicked = true;
    exitButton->click();
  });
  // Safety net: if Exit did not end the loop, end it anyway so that the test fails cleanly.
  bool timedOut = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    timedOut = true;
    QCoreApplication::exit(3);
  });
  guard.start(10000);
  char name[] = "roomvale";
  char* argv[] = {name, nullptr};
  const int rc = runApplication(1, argv);
  EXPECT_TRUE(clicked);
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(testing::findTopLevel("frmMain"), nullptr);
  EXPECT_EQ(testing::findTopLevel("frmSplash"), nullptr);
}

}  // namespace
}  // namespace roomvale
