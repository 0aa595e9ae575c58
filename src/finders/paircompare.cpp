#include "finders/paircompare.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "finders/dupcheck.h"
#include "finders/dupfinder.h"
#include "foundation/crc.h"
#include "scan/grid.h"

namespace roomvale {

namespace {

// a to z raised, nothing else changed.
QString raised(const QString& text) {
  QString out = text;
  for (QChar& c : out)
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
  return out;
}

}  // namespace

std::vector<PairRow> pairSnapshot(const GridData& grid) {
  std::vector<PairRow> rows;
  const int used = grid.rowsUsed();
  rows.reserve(static_cast<std::size_t>(used));
  for (int pos = 0; pos < used; ++pos)
    rows.push_back({grid.cellText(pos, 0), grid.cellText(pos, 1), grid.cellText(pos, 2), grid.cellText(pos, 3),
                    grid.cellText(pos, 4), grid.cellText(pos, 5), grid.cellText(pos, kDupLastColumn),
                    grid.rowPath(pos)});
  return rows;
}

bool qPairMatches(const std::vector<PairRow>& rows, int r, int matchMode) {
  if (r < 0 || r + 1 >= static_cast<int>(rows.size())) return false;
  const PairRow& a = rows[static_cast<std::size_t>(r)];
  const PairRow& b = rows[static_cast<std::size_t>(r) + 1];
  const bool name = raised(a.name) == raised(b.name);
  const bool size = a.size == b.size;
  const bool date = a.modified == b.modified && a.time == b.time;
  const bool last = a.last == b.last;
  switch (static_cast<MatchMode>(matchMode)) {
    case MatchMode::FilenameOnly: return name;
    case MatchMode::FilenameAndSize: return name && size;
    case MatchMode::FilenameSizeAndDate: return name && size && date;
    case MatchMode::SizeOnly: return size;
    case MatchMode::SizeAndDate: return size && date;
    case MatchMode::SizeAndType: return size && last;
    case MatchMode::TypeAndDate: return last && date;
  }
  return false;
}

std::optional<int> nextPairRow(const std::vector<PairRow>& rows, int current, int matchMode) {
  const int count = static_cast<int>(rows.size());
  for (int r = std::max(current + 1, 0); r + 1 < count; ++r)
    if (qPairMatches(rows, r, matchMode)) return r;
  return std::nullopt;
}

std::optional<int> previousPairRow(const std::vector<PairRow>& rows, int current, int matchMode) {
  for (int r = std::min(current, static_cast<int>(rows.size())) - 1; r >= 0; --r)
    if (qPairMatches(rows, r, matchMode)) return r;
  return std::nullopt;
}

QString sizeComparison(std::uint64_t left, std::uint64_t right) {
  if (left == right) return QStringLiteral("Same size");
  const bool larger = right > left;
  const std::uint64_t smaller = std::min(left, right);
  if (smaller == 0) return larger ? QStringLiteral("Larger than an empty file") : QStringLiteral("Empty file");
  const std::uint64_t d = larger ? right - left : left - right;
  // d * 100 cannot overflow for any real file size below 2^57 bytes; beyond that divide first.
  const std::uint64_t p = d < (std::uint64_t{1} << 57) ? d * 100 / smaller : d / smaller * 100;
  if (p == 0) return larger ? QStringLiteral("Slightly larger") : QStringLiteral("Slightly smaller");
  return QString::number(p) + (larger ? QStringLiteral("% larger") : QStringLiteral("% smaller"));
}

QString creationComparison(const QDateTime& left, const QDateTime& right) {
  if (left == right) return QStringLiteral("Same Creation Date/Time");
  const qint64 days = left.date().daysTo(right.date());
  if (days > 0) return QString::number(days) + QStringLiteral(" days newer");
  if (days < 0) return QString::number(-days) + QStringLiteral(" days older");
  const qint64 seconds = left.time().secsTo(right.time());
  const qint64 span = std::abs(seconds);
  const QString text = QStringLiteral("%1 hrs %2 min")
                           .arg(span / 3600, 2, 10, QLatin1Char('0'))
                           .arg(span / 60 % 60, 2, 10, QLatin1Char('0'));
  return text + (seconds >= 0 ? QStringLiteral(" newer") : QStringLiteral(" older"));
}

bool identicalContents(const std::string& left, const std::string& right) {
  struct stat a {};
  struct stat b {};
  if (::lstat(left.c_str(), &a) != 0 || ::lstat(right.c_str(), &b) != 0) return false;
  if (!S_ISREG(a.st_mode) || !S_ISREG(b.st_mode)) return false;
  if (a.st_dev == b.st_dev && a.st_ino == b.st_ino) return true;
  if (a.st_size != b.st_size) return false;
  const auto size = static_cast<std::uint64_t>(a.st_size);
  const ChecksumOutcome out =
      computeChecksums({{left, size}, {right, size}}, true, [](int, int, const std::string&) { return true; });
  return !out.aborted && out.copies.size() == 2 && out.copies[0] == 2;
}

QString crcVerdictText(std::uint32_t crc, bool identical) {
  return crcText(crc).rightJustified(8) +
         (identical ? QStringLiteral(" file contents are identical") : QStringLiteral(" file contents differ"));
}

}  // namespace roomvale
