#include "app/launch.h"

#include <QApplication>
#include <QString>
#include <filesystem>

#include "foundation/prompts.h"
#include "platform/paths.h"

namespace roomvale::launch {

namespace {

// Tool windows that are not linked into the shell yet answer with this box.
void notAvailable() { showInfo(QStringLiteral("Not available yet")); }

}  // namespace

void clearProtectionCache() {
  // The protection query is not linked into the shell yet: there is no cache to clear.
}

void getDefaultZipPath() {
  // The archive folder setting is not linked into the shell yet.
}

bool loadSafeHarborLists() {
  // Until the Safe Harbor lists are linked in, only the presence of the folder list is known.
  std::error_code ec;
  return !std::filesystem::is_regular_file(platform::joinPath(platform::userDataFolder(), "folders.txt"), ec);
}

void openTool(Tool tool, QWidget* owner, bool findDuplicates) {
  Q_UNUSED(owner);
  Q_UNUSED(findDuplicates);
  switch (tool) {
    case Tool::Duplicates:
    case Tool::FilesByDate:
    case Tool::FolderHogs:
    case Tool::QuickClean:
    case Tool::Statistics:
    case Tool::Browse:
    case Tool::InternetCache:
    case Tool::Unzip: notAvailable(); return;
  }
}

bool openSafeHarbor(QWidget* owner, bool buildOnShow) {
  Q_UNUSED(owner);
  Q_UNUSED(buildOnShow);
  notAvailable();
  return false;
}

}  // namespace roomvale::launch
