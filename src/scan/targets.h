// Scan targets: the drive lists of the finders (mounted volumes of the kinds a window allows,
// then the folders the user added), the targets a ticked list yields, and the registered
// file patterns offered by the extension dialogs.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <Qt>
#include <string>
#include <vector>

#include "platform/volumes.h"

class QListWidget;
class QListWidgetItem;

namespace roomvale {

// One ticked entry of a drive list.
struct ScanTarget {
  std::string path;  // native bytes: a mount point, or an added folder ending in "/"
  QString text;      // the entry text, used in messages ("Can't open drive " + text)
  bool addedFolder = false;
};

// Item data of a drive-list entry: its native path (QByteArray) and whether it is an added folder.
inline constexpr int kTargetPathRole = Qt::UserRole;
inline constexpr int kAddedFolderRole = Qt::UserRole + 1;

// Settings list section holding the added folders.
inline const QString kNewFoldersSection = QStringLiteral("NewFolders");

// Volume kinds a window lists, as bits.
enum DriveKind : unsigned {
  kDriveFloppy = 1u << 0,
  kDriveFixed = 1u << 1,
  kDriveNetwork = 1u << 2,
  kDriveCdRom = 1u << 3,
  kDriveRam = 1u << 4,
};
using DriveKinds = unsigned;
// Quick clean, folder hogs, duplicates and file hogs.
inline constexpr DriveKinds kFinderDriveKinds = kDriveFloppy | kDriveFixed | kDriveNetwork | kDriveCdRom;
// Files by date.
inline constexpr DriveKinds kFilesByDateDriveKinds = kDriveFloppy | kDriveFixed | kDriveNetwork;
// The scan-target wizard of the statistics window.
inline constexpr DriveKinds kWizardDriveKinds = kDriveFixed | kDriveNetwork | kDriveCdRom | kDriveRam;

DriveKind driveKindBit(platform::VolumeKind kind);

// One entry of a drive list, before it reaches a widget.
struct DriveListEntry {
  QString text;
  std::string path;
  bool addedFolder = false;
  bool ticked = false;
  platform::VolumeKind kind = platform::VolumeKind::Fixed;
};

// The entries of a drive list: the volumes of the allowed kinds in the given (mount-point)
// order, then the non-empty added folders, unticked. The volume holding `currentFolder` is
// ticked when it is listed, otherwise the volume of "/" when that is listed.
std::vector<DriveListEntry> driveListEntries(const std::vector<platform::Volume>& volumes, DriveKinds kinds,
                                             const std::string& currentFolder, const QStringList& addedFolders);

// Fills a drive list from this machine's volumes, the current working folder and, when asked,
// the "NewFolders" settings list.
void fillDriveList(QListWidget* list, DriveKinds kinds, bool withAddedFolders);
// The same from given volumes and current folder.
void fillDriveList(QListWidget* list, DriveKinds kinds, bool withAddedFolders,
                   const std::vector<platform::Volume>& volumes, const std::string& currentFolder);

// The ticked entries of a drive list, in list order.
std::vector<ScanTarget> checkedTargets(const QListWidget* list);
int checkedCount(const QListWidget* list);
void setAllChecked(QListWidget* list, bool checked);

// A list item that sorts without regard to case, for the sorted lists of paths and types.
QListWidgetItem* newSortedItem(const QString& text);

// The folder picture shown beside added folders, and the pictures of the volume kinds.
const QIcon& folderPicture();
QIcon drivePicture(platform::VolumeKind kind);

// The registered file patterns: "*" + each registered extension of a dot and at most four
// characters, in the given order, with "*.*" first when asked.
QStringList registeredPatterns(const QStringList& extensions, bool allFilesFirst);
// The same for the extensions registered on this system.
QStringList listRegisteredExtensions(bool allFilesFirst);

// The extension of a pattern with its dot: "*.tmp" -> ".tmp"; "" when the pattern has no dot.
QString patternExtension(const QString& pattern);
// A file-type list line: the pattern, a TAB and the description of its extension.
QString typeLine(const QString& pattern);
// The pattern of a file-type list line (the text before its first TAB).
QString linePattern(const QString& line);

}  // namespace roomvale
