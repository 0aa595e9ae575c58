#include "inspect/details.h"

#include <fcntl.h>

#include <QApplication>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStyle>

#include "foundation/helpers.h"
#include "inspect/peversion.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "scan/grid.h"

namespace roomvale {

QString wastedClusterSpace(std::uint64_t size, std::uint64_t clusterSize) {
  if (clusterSize == 0) return {};
  const std::uint64_t used = size / clusterSize + (size % clusterSize ? 1 : 0);
  return QStringLiteral("Cluster size: ") + formatThousands(static_cast<std::int64_t>(clusterSize)) +
         QStringLiteral("  Clusters used : ") + formatThousands(static_cast<std::int64_t>(used));
}

QString attributeWords(std::uint32_t attr) {
  static const std::pair<std::uint32_t, const char*> kWords[] = {
      {platform::kAttrReadOnly, " ReadOnly"},   {platform::kAttrHidden, " Hidden"},
      {platform::kAttrSystem, " System"},       {platform::kAttrVolume, " VolumeID"},
      {platform::kAttrDirectory, " Directory"}, {platform::kAttrArchive, " Archive"}};
  QString words;
  for (const auto& [bit, word] : kWords)
    if (attr & bit) words += QLatin1String(word);
  return words;
}

QString dateLine(const platform::FileTime& time) {
  const std::uint32_t packed = platform::toFatDateTime(time).value_or(0);
  const QString date = fatDateText(packed);
  if (date.isEmpty()) return QStringLiteral("???");
  const QDate day = fatDate(packed).value_or(QDate(1980, 1, 1));
  return date + QStringLiteral("  ") + relativeDate(QDateTime(day, QTime(0, 0)));
}

QStringList fileVersionLines(const std::string& path, bool withTab) {
  static const std::pair<const char*, const char*> kFields[] = {{"CompanyName", "Company: "},
                                                                {"FileDescription", "File description: "},
                                                                {"FileVersion", "File version: "},
                                                                {"InternalName", "Internal name: "},
                                                                {"LegalCopyright", "Copyright: "},
                                                                {"LegalTrademarks", "Trademarks: "},
                                                                {"OriginalFilename", "Original filename: "},
                                                                {"PrivateBuild", "Private build info: "},
                                                                {"ProductName", "Product name: "},
                                                                {"ProductVersion", "Product version: "},
                                                                {"SpecialBuild", "Special build info: "}};
  QStringList lines;
  const std::optional<PeVersionInfo> info = readPeVersion(path);
  if (!info || info->translations.empty()) return lines;
  const std::uint32_t t = info->translations.front();
  const std::string table = QStringLiteral("%1%2")
                                .arg(t & 0xFFFF, 4, 16, QLatin1Char('0'))
                                .arg(t >> 16, 4, 16, QLatin1Char('0'))
                                .toUpper()
                                .toStdString();
  const QString separator = withTab ? QStringLiteral("\t") : QString();
  for (const auto& [field, label] : kFields) {
    QString value = QString::fromStdString(info->query(table, field).value_or(std::string()));
    qsizetype blanks = 0;
    while (blanks < value.size() && value[blanks] == QLatin1Char(' ')) ++blanks;
    lines << QLatin1String(label) + separator + value.mid(blanks);
  }
  return lines;
}

QIcon fileIcon(const std::string& path) {
  platform::DirEntry entry;
  const bool found = platform::statEntry(AT_FDCWD, path, entry);
  if (found && entry.isDirectory()) {
    const QIcon folder = QIcon::fromTheme(QStringLiteral("folder"));
    return folder.isNull() ? QApplication::style()->standardIcon(QStyle::SP_DirIcon) : folder;
  }
  const QMimeDatabase db;
  const QMimeType type = db.mimeTypeForFile(platform::toDisplay(path), QMimeDatabase::MatchExtension);
  for (const QString& name : {type.iconName(), type.genericIconName()}) {
    const QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull()) return icon;
  }
  return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

FileDetails gatherFileDetails(const std::string& path) {
  FileDetails d;
  platform::DirEntry entry;
  if (path.empty() || !platform::statEntry(AT_FDCWD, path, entry)) return d;
  d.found = true;
  d.isFolder = entry.isDirectory();
  d.name = platform::toDisplay(path);
  const std::size_t slash = path.find_last_of('/');
  d.type = typeTextOfName(slash == std::string::npos ? path : path.substr(slash + 1));
  d.size = formatThousands(static_cast<std::int64_t>(entry.size)) + QStringLiteral(" bytes");
  const auto space = platform::diskSpace(path);
  d.clusters = wastedClusterSpace(entry.size, space ? space->clusterSize : 0);
  d.accessed = dateLine(entry.accessTime);
  d.created = dateLine(entry.creationTime);
  d.modified = dateLine(entry.writeTime);
  d.attributes = attributeWords(entry.attr);
  if (!d.isFolder) d.versionLines = fileVersionLines(path, true);
  return d;
}

QStringList detailsPrintLines(const FileDetails& d) {
  QStringList lines{QStringLiteral("Name of file : \t") + d.name,
                    QStringLiteral("Type of file : \t") + d.type,
                    QStringLiteral(" "),
                    QStringLiteral("Size of file : \t") + d.size,
                    QStringLiteral("               \t") + d.clusters,
                    QStringLiteral(" "),
                    QStringLiteral("Creation date     : \t") + d.created,
                    QStringLiteral("Modification date : \t") + d.modified,
                    QStringLiteral("Access date       : \t") + d.accessed,
                    QStringLiteral(" "),
                    QStringLiteral("Attributes : \t") + d.attributes,
                    QStringLiteral(" ")};
  lines += d.versionLines;
  return lines;
}

}  // namespace roomvale
