// The popup menu of a drive list ("Select All", "Deselect All", "Add a folder to the list of
// drives") and the add-folder round trip shared by every window with a drive list.
#pragma once

#include <functional>

#include "scan/targets.h"

class QListWidget;
class QMenu;
class QWidget;

namespace roomvale {

// Opens the add-folder window modally over `owner`, then fills `list` again (volumes of
// `kinds` and the added folders), keeping the ticks of the entries still listed and ticking
// the folders added.
void addFolderToDriveList(QWidget* owner, QListWidget* list, DriveKinds kinds);

// Gives `list` its popup menu. `changed` runs after every change the menu makes to the ticks
// or entries (e.g. to enable a Start button). With `selectAll` false the menu holds only the
// add-folder item. The menu is owned by the list; its actions are named "miSelectAll",
// "miDeselectAll" and "miAddFolder".
QMenu* attachDriveListMenu(QListWidget* list, DriveKinds kinds, const std::function<void()>& changed, bool selectAll = true);

}  // namespace roomvale
