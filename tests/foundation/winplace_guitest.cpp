#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <memory>

#include "common/testing.h"
#include "foundation/settings.h"
#include "foundation/winplace.h"

namespace roomvale {
namespace {

const QString kIni = QStringLiteral("roomval.ini");

// A window with its placement component, as the finder windows have.
struct PlacedWindow {
  explicit PlacedWindow(const QString& name, const QString& section) : widget(std::make_unique<QWidget>()) {
    widget->setObjectName(name);
    place = new TWinPlace(widget.get());
    place->IniFileName = kIni;
    place->Section = section;
    widget->resize(300, 200);
  }
  std::unique_ptr<QWidget> widget;
  TWinPlace* place;
};

class WinPlaceTest : public ::testing::Test {
 protected:
  void SetUp() override { section = QStringLiteral("sec-%1").arg(++counter); }
  QString stored(const QString& id) { return readIniString(kIni, section, id, QString()); }
  QString section;
  static inline int counter = 0;
};

TEST_F(WinPlaceTest, DefaultsComeFromTheProgramAndTheOwner) {
  QWidget w;
  w.setObjectName(QStringLiteral("frmView"));
  TWinPlace place(&w);
  EXPECT_EQ(place.IniFileName, QStringLiteral("Software\\Fernholt Corporation\\"));
  EXPECT_EQ(place.Section, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
  EXPECT_EQ(place.Identifier, QStringLiteral("frmView"));
  EXPECT_EQ(place.Delimiter, QStringLiteral(" "));
  EXPECT_EQ(place.parent(), &w);
  // An owner named after the component was made still gives its name.
  QWidget late;
  TWinPlace later(&late);
  late.setObjectName(QStringLiteral("frmBrowse"));
  later.IniFileName = kIni;
  later.Section = section;
  late.show();
  later.SavePlacement();
  EXPECT_FALSE(stored(QStringLiteral("frmBrowse")).isEmpty());
}

TEST_F(WinPlaceTest, RestoresAStoredNormalPlacement) {
  ASSERT_TRUE(writeIniString(kIni, section, QStringLiteral("frmBrowse"), QStringLiteral("0 1 0 0 0 0 10 20 500 400 ")));
  PlacedWindow w(QStringLiteral("frmBrowse"), section);
  w.widget->show();
  w.place->RestorePlacement();
  EXPECT_EQ(w.widget->frameGeometry().topLeft(), QPoint(10, 20));
  EXPECT_EQ(w.widget->size(), QSize(490, 380));
  EXPECT_FALSE(w.widget->isMaximized());
}

TEST_F(WinPlaceTest, LeftNotBelowRightOrDamagedValueChangesNothing) {
  for (const QString& value :
       {QStringLiteral("0 1 0 0 0 0 500 20 10 400 "), QStringLiteral("0 1 0 0 "), QStringLiteral("garbage")}) {
    ASSERT_TRUE(writeIniString(kIni, section, QStringLiteral("frmView"), value));
    PlacedWindow w(QStringLiteral("frmView"), section);
    w.widget->move(33, 44);
    w.widget->show();
    const QRect before = w.widget->geometry();
    w.place->RestorePlacement();
    EXPECT_EQ(w.widget->geometry(), before) << value.toStdString();
  }
}

TEST_F(WinPlaceTest, SaveThenRestoreGivesTheSameWindow) {
  {
    PlacedWindow w(QStringLiteral("frmMods"), section);
    w.widget->setGeometry(40, 60, 320, 240);
    w.widget->show();
    w.place->SavePlacement();
  }
  const QString text = stored(QStringLiteral("frmMods"));
  EXPECT_TRUE(text.endsWith(u' '));
  const WindowPlacement p = parsePlacement(text, QStringLiteral(" "));
  EXPECT_EQ(p.showCmd, kShowNormal);
  EXPECT_EQ(p.right - p.left, 320);
  EXPECT_EQ(p.bottom - p.top, 240);

  PlacedWindow again(QStringLiteral("frmMods"), section);
  again.widget->show();
  again.place->RestorePlacement();
  EXPECT_EQ(again.widget->geometry(), QRect(40, 60, 320, 240));
  // Saving the restored window stores the same text: no drift from one run to the next.
  again.place->SavePlacement();
  EXPECT_EQ(stored(QStringLiteral("frmMods")), text);
}

TEST_F(WinPlaceTest, MaximisedWindowKeepsItsNormalRectangle) {
  QPoint frameAt;
  {
    PlacedWindow w(QStringLiteral("frmView"), section);
    w.widget->setGeometry(50, 70, 300, 200);
    w.widget->show();
    frameAt = w.widget->frameGeometry().topLeft();
    w.widget->showMaximized();
    ASSERT_TRUE(testing::waitFor([&] { return w.widget->isMaximized(); }));
    w.place->SavePlacement();
  }
  const WindowPlacement p = parsePlacement(stored(QStringLiteral("frmView")), QStringLiteral(" "));
  EXPECT_EQ(p.showCmd, kShowMaximized);
  EXPECT_EQ(QRect(p.left, p.top, p.right - p.left, p.bottom - p.top), QRect(frameAt, QSize(300, 200)));

  PlacedWindow again(QStringLiteral("frmView"), section);
  again.widget->show();
  again.place->RestorePlacement();
  EXPECT_TRUE(again.widget->isMaximized());
  again.widget->showNormal();
  ASSERT_TRUE(testing::waitFor([&] { return !again.widget->isMaximized(); }));
  EXPECT_EQ(again.widget->geometry(), QRect(50, 70, 300, 200));
}

TEST_F(WinPlaceTest, EachSectionKeepsItsOwnPlacement) {
  // The duplicates window keeps one placement per mode.
  for (const auto& [mode, x] : {std::pair{QStringLiteral("frmDups"), 15}, std::pair{QStringLiteral("frmMods"), 25}}) {
    PlacedWindow w(QStringLiteral("frmMods"), mode + section);
    w.widget->setGeometry(x, x, 200 + x, 150);
    w.widget->show();
    w.place->SavePlacement();
  }
  for (const auto& [mode, x] : {std::pair{QStringLiteral("frmDups"), 15}, std::pair{QStringLiteral("frmMods"), 25}}) {
    PlacedWindow w(QStringLiteral("frmMods"), mode + section);
    w.widget->show();
    w.place->RestorePlacement();
    EXPECT_EQ(w.widget->geometry(), QRect(x, x, 200 + x, 150));
  }
}

TEST_F(WinPlaceTest, UnplacedWindowIsCentredOnItsFirstShowing) {
  PlacedWindow w(QStringLiteral("frmClean"), section);
  EXPECT_FALSE(w.place->HasStoredPlacement());
  w.place->CentreOnFirstShow();
  w.widget->show();
  w.place->RestorePlacement();
  const QRect area = w.widget->screen()->availableGeometry();
  EXPECT_LE(std::abs(w.widget->frameGeometry().center().x() - area.center().x()), 1);
  EXPECT_LE(std::abs(w.widget->frameGeometry().center().y() - area.center().y()), 1);
}

TEST_F(WinPlaceTest, PlacementOffEveryScreenIsBroughtBack) {
  ASSERT_TRUE(
      writeIniString(kIni, section, QStringLiteral("frmView"), QStringLiteral("0 1 0 0 0 0 20000 20000 20400 20300 ")));
  PlacedWindow w(QStringLiteral("frmView"), section);
  w.widget->show();
  w.place->RestorePlacement();
  EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(w.widget->frameGeometry()));
  EXPECT_EQ(w.widget->size(), QSize(400, 300));
}

TEST_F(WinPlaceTest, NeverShownWindowSavesNothing) {
  PlacedWindow w(QStringLiteral("frmView"), section);
  w.place->SavePlacement();
  EXPECT_TRUE(stored(QStringLiteral("frmView")).isEmpty());
}

}  // namespace
}  // namespace roomvale
