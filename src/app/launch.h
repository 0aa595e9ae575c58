// Everything the main window asks of the other subsystems, in one place: the shared state it
// loads at start and the windows its buttons open. The main window itself only decides when.
#pragma once

class QWidget;

namespace roomvale::launch {

// Connects the subsystems once at start: the grids' protection query, the deletion review.
void installServices();

// Clears the protection query's last-folder cache (main window show, progress window show
// and hide).
void clearProtectionCache();

// Reads the default archive folder from the settings store.
void getDefaultZipPath();

// Loads the protected file types and folders into memory. Returns true when no Safe Harbor
// folder list ("folders.txt") exists yet.
bool loadSafeHarborLists();

// Creates the windows that live for the whole run (the statistics window), owned by `owner`,
// and destroys them.
void createLongLivedWindows(QWidget* owner);
void destroyLongLivedWindows();
// The run is ending: work those windows are doing stops at once.
void stopLongLivedWork();

// The windows the tool buttons open, each modal with `owner` as its owner unless said
// otherwise.
enum class Tool {
  Duplicates,  // duplicate files or file hogs, by the findDuplicates mode
  FilesByDate,
  FolderHogs,
  QuickClean,
  Statistics,  // modeless, long-lived
  Browse,
  InternetCache,
  Unzip,
};
void openTool(Tool tool, QWidget* owner, bool findDuplicates);

// Opens the Safe Harbor window modally; with `buildOnShow` it builds the folder list by
// itself shortly after it appears. Returns whether the lists were changed (the caller
// reloads them).
bool openSafeHarbor(QWidget* owner, bool buildOnShow);

}  // namespace roomvale::launch
