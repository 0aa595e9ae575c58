#include "finders/foldertotals.h"

#include <sys/stat.h>

#include <QLocale>
#include <algorithm>
#include <cstdio>

#include "finders/daterange.h"
#include "foundation/helpers.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "scan/grid.h"

namespace roomvale {

namespace {

std::uint64_t digitsValue(const QString& text) {
  std::uint64_t v = 0;
  for (QChar c : text)
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) v = v * 10 + static_cast<std::uint64_t>(c.unicode() - '0');
  return v;
}

std::uint32_t packedDate(const QDate& d) {
  if (!d.isValid() || d.year() < 1980 || d.year() > 2107) return 0;
  const auto date = (static_cast<std::uint32_t>(d.year() - 1980) << 9) | (static_cast<std::uint32_t>(d.month()) << 5) |
                    static_cast<std::uint32_t>(d.day());
  return date << 16;
}

}  // namespace

void FolderTotals::addFile(const platform::DirEntry& e) {
  size += e.size;
  files += 1;
  // Compared unsigned: as signed numbers every date from 2044 on would count as older.
  if (const auto packed = platform::toFatDateTime(e.accessTime)) latestAccess = std::max(latestAccess, *packed);
}

QString percentUsedText(std::uint64_t size, double driveTotal) {
  if (static_cast<double>(size) >= driveTotal) return QStringLiteral("???");
  return QLocale().toString(static_cast<double>(size) / driveTotal * 100.0, 'f', 2);
}

QString folderLineText(const FolderTotals& t, double driveTotal, const std::string& path) {
  const QChar tab(u'\t');
  return formatThousands(static_cast<std::int64_t>(t.size)) + tab + percentUsedText(t.size, driveTotal) + tab +
         formatThousands(static_cast<std::int64_t>(t.files)) + tab +
         formatThousands(static_cast<std::int64_t>(t.subfolders)) + tab + fatDateText(t.latestAccess) + tab +
         platform::toDisplay(path);
}

std::optional<FolderLine> parseFolderLine(const QString& line) {
  qsizetype tabs[5];
  qsizetype from = 0;
  for (qsizetype& at : tabs) {
    at = line.indexOf(u'\t', from);
    if (at < 0) return std::nullopt;
    from = at + 1;
  }
  auto field = [&](int i) {
    const qsizetype begin = i == 0 ? 0 : tabs[i - 1] + 1;
    return line.mid(begin, tabs[i] - begin).trimmed();
  };
  FolderLine out;
  out.size = digitsValue(field(0));
  out.percent = field(1);
  out.files = digitsValue(field(2));
  out.subfolders = digitsValue(field(3));
  const QString date = field(4);
  if (!date.isEmpty()) out.latestAccess = packedDate(readShortDate(date).value_or(QDate()));
  // The path as it is: a folder name may begin or end with blanks.
  out.path = platform::fromDisplay(line.mid(tabs[4] + 1));
  if (out.path.empty()) return std::nullopt;
  return out;
}

GridFile folderGridRow(const FolderLine& line) {
  GridFile row;
  row.folder = line.path;
  row.size = line.size;
  row.accessTime = line.latestAccess;
  row.count1 = static_cast<std::uint32_t>(std::min<std::uint64_t>(line.files, UINT32_MAX));
  row.count2 = static_cast<std::uint32_t>(std::min<std::uint64_t>(line.subfolders, UINT32_MAX));
  return row;
}

double driveTotalOf(const std::string& folder) {
  const auto space = platform::diskSpace(folder);
  return space ? static_cast<double>(space->total) : 0.0;
}

// ---------------------------------------------------------------------------------------

FolderHogCollector::FolderHogCollector(FolderWalk walk, WorkingList& lines, bool& scanAborted,
                                       std::function<void()> onFull)
    : walk_(walk), lines_(lines), scanAborted_(scanAborted), onFull_(std::move(onFull)) {}

bool FolderHogCollector::targetBegin(const ScanTarget& target, const std::string& folder) {
  driveTotal_ = driveTotal ? driveTotal(folder) : 0.0;
  volumeRoot_ = !target.addedFolder;
  inMainFolder_ = false;
  listedDepth_ = -1;
  return true;
}

void FolderHogCollector::folderEnter(const std::string&, int depth) {
  if (walk_ != FolderWalk::MainFolders) return;
  if (depth == 1) {
    totals_ = {};
    inMainFolder_ = true;
  } else if (depth > 1) {
    totals_.subfolders += 1;
  }
}

void FolderHogCollector::filesBegin(const std::string&, int depth) {
  filesDepth_ = depth;
  if (walk_ == FolderWalk::AllFolders) {
    totals_ = {};
    ordinarySeen_ = false;
  }
}

void FolderHogCollector::entry(const std::string&, const platform::DirEntry& e) {
  if (walk_ == FolderWalk::AllFolders) {
    if (platform::passesRequest(e.attr, kRequestFolders)) ordinarySeen_ = true;
    if (e.isDirectory())
      totals_.subfolders += 1;
    else
      totals_.addFile(e);
    return;
  }
  // The target's own files belong to no row; sub-folders are counted as they are entered.
  if (inMainFolder_ && filesDepth_ >= 1 && !e.isDirectory()) totals_.addFile(e);
}

void FolderHogCollector::filesEnd(const std::string&, int depth) { listedDepth_ = depth; }

void FolderHogCollector::folderLeave(const std::string& folder, int depth) {
  if (walk_ == FolderWalk::MainFolders) {
    // Also while the walk unwinds after Abort: the folder being walked keeps what was
    // counted. Main folders that were never entered get no line at all.
    if (depth != 1 || !inMainFolder_) return;
    inMainFolder_ = false;
    addLine(folder);
    return;
  }
  // A folder's files are listed just before it is left. One without any entry is listed
  // empty, unless the walk is unwinding after a stop and never came to its files.
  const bool listed = listedDepth_ == depth;
  listedDepth_ = -1;
  if (!listed) {
    if (scanAborted_) return;
    totals_ = {};
    ordinarySeen_ = false;
  }
  // A volume's root holds no "." or "..": with only hidden or system entries it has nothing
  // to list.
  if (depth == 0 && volumeRoot_ && !ordinarySeen_) return;
  addLine(folder);
}

void FolderHogCollector::showStatus(const std::string& text) {
  if (status) status(text);
}

void FolderHogCollector::addLine(const std::string& path) {
  lines_.addOrStop(folderLineText(totals_, driveTotal_, path), scanAborted_, onFull_);
}

}  // namespace roomvale
