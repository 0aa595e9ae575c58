// What the file details window shows of one file, gathered without any widget: type, size
// and clusters, the three dates, the attribute words, the version-resource lines of PE
// programs, and the icon of the file's type.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

#include "platform/direnum.h"

namespace roomvale {

struct FileDetails {
  bool found = false;
  bool isFolder = false;
  QString name;      // the full path
  QString type;      // file-type description
  QString size;      // "1,234 bytes"
  QString clusters;  // the cluster line, "" when the volume's allocation unit is unknown
  QString created;   // date lines
  QString modified;
  QString accessed;
  QString attributes;  // " ReadOnly Hidden"...
  QStringList versionLines;
};

// "Cluster size: 4,096  Clusters used : 2"; "" when the cluster size is 0 (unknown).
QString wastedClusterSpace(std::uint64_t size, std::uint64_t clusterSize);
// The attribute words of the bits set, each with a blank before it, in bit order.
QString attributeWords(std::uint32_t attr);
// The date, two blanks and how long ago; "???" when the time is not recorded.
QString dateLine(const platform::FileTime& time);
// The eleven version lines of a PE program's first translation (label, a TAB when
// `withTab`, value); none for other files or a resource without a translation.
QStringList fileVersionLines(const std::string& path, bool withTab);
// The icon of the file's MIME type from the desktop icon theme; the folder icon for folders;
// a plain file icon when the theme has none.
QIcon fileIcon(const std::string& path);

// Everything above for one path; `found` is false when it is not there.
FileDetails gatherFileDetails(const std::string& path);
// The printed lines below the printout's heading.
QStringList detailsPrintLines(const FileDetails& details);

}  // namespace roomvale
