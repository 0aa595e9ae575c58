// Every window as the user first sees it: nothing cut off at the window's edges and no
// caption wider than its button. With ROOMVALE_SCREENSHOT_DIR set, each window is also
// saved as a picture there for a look by eye.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <functional>
#include <memory>

#include "archive/getfldr.h"
#include "archive/password.h"
#include "archive/savezip.h"
#include "archive/unzipit.h"
#include "archive/zipoptions.h"
#include "common/testing.h"
#include "deletion/deldir.h"
#include "deletion/deletedview.h"
#include "deletion/really.h"
#include "finders/cache.h"
#include "finders/clean.h"
#include "finders/dupcompare.h"
#include "finders/templist.h"
#include "foundation/pump.h"
#include "safeharbor/edfolder.h"
#include "safeharbor/keeplist.h"
#include "safeharbor/nodelete.h"
#include "scan/addnewfolder.h"
#include "scan/selext.h"
#include "scan/statlist.h"
#include "scan/whichdrv.h"
#include "scan/wild.h"

namespace roomvale {
namespace {

// Faults found in one shown window, as readable lines.
QStringList layoutFaults(QWidget* window) {
  QStringList faults;
  const QRect inside = window->rect();
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (!child->isVisibleTo(window) || child->isWindow()) continue;
    // Widgets parked off-screen on purpose (hidden lists, spare backgrounds) are skipped.
    if (child->parentWidget() != window && !child->parentWidget()->isVisibleTo(window)) continue;
    const QRect r(child->mapTo(window, QPoint(0, 0)), child->size());
    if (r.isEmpty()) continue;
    if (!inside.contains(r) && inside.intersects(r))
      faults
          << QString("%1 (%2) reaches outside the window").arg(child->objectName(), child->metaObject()->className());
    if (auto* button = qobject_cast<QAbstractButton*>(child)) {
      if (!button->text().isEmpty() && button->sizeHint().width() > button->width() + 2)
        faults << QString("%1: caption \"%2\" wider than the button").arg(child->objectName(), button->text());
    }
  }
  return faults;
}

void checkWindow(QWidget* window, const QString& name) {
  window->show();
  pumpEventsNow();
  testing::waitFor([&] { return window->isVisible(); }, 2000);
  pumpEventsNow();
  EXPECT_EQ(layoutFaults(window).join("; ").toStdString(), "") << name.toStdString();
  const QByteArray dir = qgetenv("ROOMVALE_SCREENSHOT_DIR");
  if (!dir.isEmpty()) {
    QDir().mkpath(QString::fromLocal8Bit(dir));
    window->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
  }
  window->close();
}

TEST(WindowLayout, EveryWindowFitsItsControls) {
  testing::ScriptedPrompts prompts;
  prompts.defaultAnswer = Answer::No;
  testing::TempTree tree;
  const std::string a = tree.file("docs/old.tmp", std::string(1500, 'x'));
  const std::string b = tree.file("docs/report.bak", "keep");

  const std::vector<std::pair<QString, std::function<QWidget*()>>> windows = {
      {"frmClean", [] { return new TfrmClean; }},
      {"frmTempFiles", [] { return new TfrmTempFiles; }},
      {"frmReallyDelete",
       [&] {
         auto* w = new TfrmReallyDelete;
         w->setRequest(DeletionRequest{{a, b}, 1504, QStringLiteral("TempClean"), {}});
         return w;
       }},
      {"frmDelDirectory",
       [&] {
         auto* w = new TfrmDelDirectory;
         w->setFolder(tree / "docs");
         return w;
       }},
      {"frmZipOptions", [] { return new TfrmZipOptions; }},
      {"frmCache", [] { return new TfrmCache; }},
      {"frmDupCompare", [] { return new TfrmDupCompare; }},
      {"frmUnZipIt", [] { return new TfrmUnZipIt; }},
      {"frmZipDirectory", [] { return new TfrmZipDirectory; }},
      {"frmGetFolderName", [] { return new TfrmGetFolderName; }},
      {"frmPassword", [] { return new TfrmPassword; }},
      {"frmNoDelete", [] { return new TfrmNoDelete; }},
      {"frmKeepFiles", [] { return new TfrmKeepFiles; }},
      {"frmEditFolder", [] { return new TfrmEditFolder; }},
      {"frmAddNewFolder", [] { return new TfrmAddNewFolder; }},
      {"frmWhichDrive", [] { return new TfrmWhichDrive; }},
      {"frmSelectExtension", [] { return new TfrmSelectExtension; }},
      {"frmWildCard", [] { return new TfrmWildCard; }},
      {"frmStatList", [] { return new TfrmStatList(QStringLiteral("Include")); }},
      {"DeletedView", [] { return new TDeletedView; }},
  };
  for (const auto& [name, make] : windows) {
    std::unique_ptr<QWidget> window(make());
    checkWindow(window.get(), name);
  }
}

}  // namespace
}  // namespace roomvale
