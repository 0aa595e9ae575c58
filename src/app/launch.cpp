#include "app/launch.h"

#include <QApplication>
#include <QString>
#include <memory>

#include "archive/unzipit.h"
#include "archive/zipnames.h"
#include "deletion/really.h"
#include "finders/cache.h"
#include "finders/clean.h"
#include "finders/dirhog.h"
#include "finders/dups.h"
#include "finders/filemod.h"
#include "foundation/prompts.h"
#include "safeharbor/nodelete.h"
#include "safeharbor/safeharbor.h"
#include "scan/grid.h"
#include "statistics/stats.h"

namespace roomvale::launch {

namespace {

// Tool windows that are not linked into the shell yet answer with this box.
void notAvailable() { showInfo(QStringLiteral("Not available yet")); }

}  // namespace

void installServices() {
  installDeletionReview();
  // Result grids highlight protected rows through the Safe Harbor query.
  setProtectionQuery([](const std::string& path, bool isFile) { return safeHarbor().isInSafeHarbor(path, isFile); });
}

void createLongLivedWindows(QWidget* owner) { statisticsWindow(owner); }

void destroyLongLivedWindows() { destroyStatisticsWindow(); }

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
    case Tool::Browse: notAvailable(); return;
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
