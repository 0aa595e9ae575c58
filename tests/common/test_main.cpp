// Test entry point shared by every test executable: an offscreen Qt application and a
// private HOME, XDG config and data tree for this process, removed at exit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);

  QTemporaryDir home(QDir::tempPath() + "/roomvale-home-XXXXXX");
  if (!home.isValid()) return 2;
  const QByteArray root = QFile::encodeName(home.path());
  ::setenv("HOME", root.constData(), 1);
  ::setenv("XDG_CONFIG_HOME", (root + "/.config").constData(), 1);
  ::setenv("XDG_DATA_HOME", (root + "/.local/share").constData(), 1);
  ::setenv("XDG_CACHE_HOME", (root + "/.cache").constData(), 1);
  ::setenv("XDG_RUNTIME_DIR", root.constData(), 1);
  QDir().mkpath(home.path() + "/.config");
  QDir().mkpath(home.path() + "/.local/share");

  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
