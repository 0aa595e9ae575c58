#include "app/launch.h"

#include <unistd.h>

#include <QApplication>
#include <QString>
#include <memory>

#include "archive/unzipit.h"
#include "archive/zipnames.h"
#include "deletion/really.h"
#include "finders/cache.h"
#include "finders/clean.h"
#include "finders/dirhog.h"
#include "finders/dupcompare.h"
#include "finders/dups.h"
#include "finders/filemod.h"
#include "foundation/prompts.h"
#include "inspect/browse.h"
#include "safeharbor/nodelete.h"
#include "safeharbor/safeharbor.h"
#include "scan/grid.h"
#include "statistics/stats.h"

namespace roomvale::launch {

namespace {

// The browser starts in the process's current folder.
std::string currentFolder() {
  char cwd[4096];
  return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string("/");
}

}  // namespace

void installServices() {
  installDeletionReview();
  // The finders' View, Details and Browse open the inspection windows.
  installInspectWindows();
  // Result grids highlight protected rows through the Safe Harbor query.
  setProtectionQuery([](const std::string& path, bool isFile) { return safeHarbor().isInSafeHarbor(path, isFile); });
}

void createLongLivedWindows(QWidget* owner) {
  statisticsWindow(owner);
  dupCompareWindow();
}

void destroyLongLivedWindows() {
  destroyStatisticsWindow();
  destroyDupCompareWindow();
}

void stopLongLivedWork() { stopStatisticsCollection(); }

void clearProtectionCache() { safeHarbor().clearCache(); }

void getDefaultZipPath() { roomvale::getDefaultZipPath(); }

bool loadSafeHarborLists() {
  safeHarbor().ReadSafeHarborExtensions();
  safeHarbor().GetSearchPath();
  return safeHarbor().safeHarborMissing();
}

void openTool(Tool tool, QWidget* owner, bool findDuplicates) {
  switch (tool) {
    case Tool::Duplicates: openDuplicates(owner, findDuplicates); return;
    case Tool::QuickClean: openQuickClean(owner); return;
    case Tool::FilesByDate: openFilesByDate(owner); return;
    case Tool::FolderHogs: openFolderHogs(owner); return;
    case Tool::InternetCache: openInternetCache(owner); return;
    case Tool::Unzip: openUnzip(owner); return;
    case Tool::Statistics: statisticsWindow(owner)->showStatistics(); return;
    case Tool::Browse: openFolderBrowser(owner, currentFolder(), {}, QStringLiteral("*.*")); return;
  }
}

bool openSafeHarbor(QWidget* owner, bool buildOnShow) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto frm = std::make_unique<TfrmNoDelete>(owner);
  QApplication::restoreOverrideCursor();
  frm->buildOnShow = buildOnShow;
  frm->exec();
  return frm->listsChanged;
}

}  // namespace roomvale::launch
