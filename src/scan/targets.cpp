#include "scan/targets.h"

#include <unistd.h>
#include <QApplication>
#include <QListWidget>
#include <QStyle>

#include "foundation/helpers.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "platform/shell.h"

namespace roomvale {

namespace {

std::string currentWorkingFolder() {
  std::string buf(4096, '\0');
  while (!::getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE || buf.size() > (1u << 20)) return "/";
    buf.resize(buf.size() * 2);
  }
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  return buf;
}

class SortedItem : public QListWidgetItem {
 public:
  using QListWidgetItem::QListWidgetItem;
  bool operator<(const QListWidgetItem& other) const override {
    const int c = text().compare(other.text(), Qt::CaseInsensitive);
    return c != 0 ? c < 0 : text() < other.text();
  }
};

}  // namespace

QListWidgetItem* newSortedItem(const QString& text) { return new SortedItem(text); }

DriveKind driveKindBit(platform::VolumeKind kind) {
  switch (kind) {
    case platform::VolumeKind::Floppy: return kDriveFloppy;
    case platform::VolumeKind::Fixed: return kDriveFixed;
    case platform::VolumeKind::Network: return kDriveNetwork;
    case platform::VolumeKind::CdRom: return kDriveCdRom;
    case platform::VolumeKind::Ram: return kDriveRam;
  }
  return kDriveFixed;
}

std::vector<DriveListEntry> driveListEntries(const std::vector<platform::Volume>& volumes, DriveKinds kinds,
                                             const std::string& currentFolder, const QStringList& addedFolders) {
  std::vector<DriveListEntry> entries;
  for (const platform::Volume& v : volumes) {
    if (!(kinds & driveKindBit(v.kind))) continue;
    DriveListEntry e;
    e.text = platform::toDisplay(platform::volumeEntryText(v));
    e.path = v.mountPoint;
    e.kind = v.kind;
    entries.push_back(std::move(e));
  }

  // The current drive is the volume holding the current folder; when that one is not listed
  // (a kind the window leaves out), the volume of "/" stands in for the system drive.
  bool ticked = false;
  if (const auto current = platform::volumeOf(currentFolder, volumes)) {
    for (DriveListEntry& e : entries)
      if (e.path == current->mountPoint) {
        e.ticked = ticked = true;
        break;
      }
  }
  if (!ticked)
    for (DriveListEntry& e : entries)
      if (e.path == "/") e.ticked = true;

  for (const QString& folder : addedFolders) {
    if (folder.isEmpty()) continue;
    DriveListEntry e;
    e.text = folder;
    e.path = platform::fromDisplay(folder);
    e.addedFolder = true;
    entries.push_back(std::move(e));
  }
  return entries;
}

void fillDriveList(QListWidget* list, DriveKinds kinds, bool withAddedFolders) {
  fillDriveList(list, kinds, withAddedFolders, platform::listVolumes(), currentWorkingFolder());
}

void fillDriveList(QListWidget* list, DriveKinds kinds, bool withAddedFolders,
                   const std::vector<platform::Volume>& volumes, const std::string& currentFolder) {
  const QStringList added = withAddedFolders ? readListSection(kNewFoldersSection, {}, false) : QStringList();
  const QSignalBlocker block(list);
  list->clear();
  // The theme's folder picture is larger than the drive pictures; at the view's default size
  // its top was cut off by the row.
  const int icon = list->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, list);
  list->setIconSize(QSize(icon, icon));
  for (const DriveListEntry& e : driveListEntries(volumes, kinds, currentFolder, added)) {
    auto* item = new QListWidgetItem(e.addedFolder ? folderPicture() : drivePicture(e.kind), e.text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(e.ticked ? Qt::Checked : Qt::Unchecked);
    item->setData(kTargetPathRole, QByteArray::fromStdString(e.path));
    item->setData(kAddedFolderRole, e.addedFolder);
    list->addItem(item);
  }
}

std::vector<ScanTarget> checkedTargets(const QListWidget* list) {
  std::vector<ScanTarget> targets;
  for (int i = 0; i < list->count(); ++i) {
    const QListWidgetItem* item = list->item(i);
    if (item->checkState() != Qt::Checked) continue;
    targets.push_back(
        {item->data(kTargetPathRole).toByteArray().toStdString(), item->text(), item->data(kAddedFolderRole).toBool()});
  }
  return targets;
}

int checkedCount(const QListWidget* list) {
  int n = 0;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->checkState() == Qt::Checked) ++n;
  return n;
}

void setAllChecked(QListWidget* list, bool checked) {
  for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

const QIcon& folderPicture() {
  static const QIcon icon =
      QIcon::fromTheme(QStringLiteral("folder"), QApplication::style()->standardIcon(QStyle::SP_DirIcon));
  return icon;
}

QIcon drivePicture(platform::VolumeKind kind) {
  QStyle* style = QApplication::style();
  switch (kind) {
    case platform::VolumeKind::Floppy: return style->standardIcon(QStyle::SP_DriveFDIcon);
    case platform::VolumeKind::Network: return style->standardIcon(QStyle::SP_DriveNetIcon);
    case platform::VolumeKind::CdRom: return style->standardIcon(QStyle::SP_DriveCDIcon);
    case platform::VolumeKind::Fixed:
    case platform::VolumeKind::Ram: break;
  }
  return style->standardIcon(QStyle::SP_DriveHDIcon);
}

QStringList registeredPatterns(const QStringList& extensions, bool allFilesFirst) {
  QStringList patterns;
  if (allFilesFirst) patterns << QStringLiteral("*.*");
  for (const QString& ext : extensions)
    if (ext.startsWith(u'.') && ext.size() >= 2 && ext.size() <= 5) patterns << u'*' + ext;
  return patterns;
}

QStringList listRegisteredExtensions(bool allFilesFirst) {
  return registeredPatterns(platform::registeredExtensions(), allFilesFirst);
}

QString patternExtension(const QString& pattern) {
  if (pattern.startsWith(QLatin1String("*."))) return pattern.mid(1);
  const qsizetype dot = pattern.lastIndexOf(u'.');
  return dot < 0 ? QString() : pattern.mid(dot);
}

QString typeLine(const QString& pattern) {
  const QString ext = patternExtension(pattern);
  return pattern + u'\t' + (ext.isEmpty() ? QString() : fileTypeDescription(ext));
}

QString linePattern(const QString& line) {
  const qsizetype tab = line.indexOf(u'\t');
  return tab < 0 ? line : line.left(tab);
}

}  // namespace roomvale
