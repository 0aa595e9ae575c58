#include "statistics/collection.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/clock.h"
#include "foundation/helpers.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "scan/grid.h"

namespace roomvale::stats {

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// The extension of a name with its dot, from the last "."; empty when there is none.
std::string_view extensionOf(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

// Characters of a UTF-8 byte run (continuation bytes do not count).
int characterCount(std::string_view text) {
  int n = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

bool lessNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = upper(a[i]), y = upper(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  return a.size() < b.size();
}

}  // namespace

const QString& ageLabel(int bucket) {
  static const QString labels[kAgeBuckets] = {QStringLiteral("Not recorded"),  QStringLiteral("<= 7 days"),
                                              QStringLiteral("8 - 30 days"),   QStringLiteral("31 - 60 days"),
                                              QStringLiteral("61 - 120 days"), QStringLiteral("121 - 365 days"),
                                              QStringLiteral("1 - 2 years"),   QStringLiteral("2 - 3 years"),
                                              QStringLiteral("3 - 4 years"),   QStringLiteral("Over 4 years")};
  return labels[std::clamp(bucket, 0, kAgeBuckets - 1)];
}

const QString& sizeLabel(int sizeClass) {
  static const QString labels[kSizeClasses + 1] = {QString(),
                                                   QStringLiteral("0 - 16K"),
                                                   QStringLiteral("16K - 32K"),
                                                   QStringLiteral("32K - 64K"),
                                                   QStringLiteral("64K - 128K"),
                                                   QStringLiteral("128K - 256K"),
                                                   QStringLiteral("256K - 512K"),
                                                   QStringLiteral("512K - 1MB"),
                                                   QStringLiteral("1MB - 2MB"),
                                                   QStringLiteral("2MB - 4MB"),
                                                   QStringLiteral("4MB - 8MB"),
                                                   QStringLiteral("8MB - 16MB"),
                                                   QStringLiteral("Over 16MB")};
  return labels[std::clamp(sizeClass, 0, kSizeClasses)];
}

int ageToIndex(int days) {
  if (days < 0) return 0;
  static constexpr int bounds[] = {7, 30, 60, 120, 365, 730, 1095, 1460};
  for (int i = 0; i < 8; ++i)
    if (days <= bounds[i]) return i + 1;
  return 9;
}

int sizeClass(std::uint64_t size) {
  std::uint64_t bound = 16384;
  int c = 1;
  while (size > bound && c < kSizeClasses) {
    bound *= 2;
    ++c;
  }
  return c;
}

int hourSlot(std::uint32_t packed) {
  if (packed == 0) return -1;
  const int hour = int((packed >> 11) & 0x1F);
  const int minute = int((packed >> 5) & 0x3F);
  const int slot = hour * 2 + (minute >= 30 ? 1 : 0);
  return slot < kSlots ? slot : -1;
}

QString extractExtension(const QString& line) {
  const qsizetype tab = line.indexOf(QLatin1Char('\t'));
  return line.mid(1, tab < 0 ? -1 : tab - 1).toLower();
}

QString TypeEntry::extension() const { return platform::toDisplay(key); }

void TypeTable::insertType(std::string_view extension, std::int64_t bytes, bool seedOnly) {
  if (characterCount(extension) > kMaxTypeLength) return;
  char buffer[32];
  const std::size_t n = std::min(extension.size(), sizeof buffer);
  for (std::size_t i = 0; i < n; ++i) buffer[i] = upper(extension[i]);
  const std::string_view key(buffer, n);
  auto count = [&](TypeEntry& e) {
    if (seedOnly) return;
    e.files += 1;
    e.bytes += bytes;
  };
  if (last_ < entries_.size() && entries_[last_].key == key) {
    count(entries_[last_]);
    return;
  }
  auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                             [](const TypeEntry& e, std::string_view k) { return lessNoCase(e.key, k); });
  if (it == entries_.end() || lessNoCase(key, it->key)) {
    TypeEntry e{std::string(key), seedOnly ? 0 : 1, bytes};
    it = entries_.insert(it, std::move(e));
  } else {
    count(*it);
  }
  last_ = std::size_t(it - entries_.begin());
}

void TypeFilter::prepare() {
  extensions_.clear();
  for (const QString& line : chosen) extensions_.push_back(platform::fromDisplay(extractExtension(line)));
}

bool TypeFilter::isThisSelected(std::string_view name) const {
  if (allFileTypes) return true;
  const std::string_view ext = extensionOf(name);
  for (const std::string& chosenExt : extensions_) {
    if (chosenExt.size() != ext.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < ext.size() && same; ++i) same = lower(ext[i]) == chosenExt[i];
    if (same) return countChosenTypes;
  }
  return countOtherTypes;
}

std::uint64_t Statistics::totalBytes() const {
  std::uint64_t total = 0;
  for (int c = 1; c <= kSizeClasses; ++c) total += sizeBytes[c];
  return total;
}

void StatisticsCollector::clearVariables() {
  stats = Statistics{};
  filter.prepare();
  setToday(now().date());
}

void StatisticsCollector::setToday(const QDate& today) {
  today_ = dayNumber(today);
  dayCacheKey_.fill(0);
}

int StatisticsCollector::dayOf(std::uint32_t packed) {
  const std::uint32_t date = packed >> 16;
  const std::size_t slot = date & 63;
  // Key 0 is never a packed date of a recorded time (the date word is never 0 then).
  if (dayCacheKey_[slot] == date) return dayCacheValue_[slot];
  const int day = dayNumber(fatDate(packed).value_or(QDate(1980, 1, 1)));
  dayCacheKey_[slot] = date;
  dayCacheValue_[slot] = day;
  return day;
}

void StatisticsCollector::crunchNumbers(const platform::DirEntry& e) {
  if (!filter.isThisSelected(e.name)) return;
  Statistics& s = stats;
  const std::uint64_t size = e.size;
  s.filesCounted += 1;

  static constexpr std::uint32_t attrBits[4] = {platform::kAttrReadOnly, platform::kAttrHidden, platform::kAttrSystem,
                                                platform::kAttrArchive};
  for (int a = 0; a < 4; ++a)
    if (e.attr & attrBits[a]) {
      s.attrFiles[a] += 1;
      s.attrBytes[a] += size;
    }

  const platform::FileTime* times[3] = {&e.accessTime, &e.creationTime, &e.writeTime};
  std::uint32_t packed[3];
  for (int k = 0; k < 3; ++k) packed[k] = platform::toFatDateTime(*times[k]).value_or(0);

  // Time of day: creation, last write, last access; the first half hour is never counted.
  const std::pair<TimeKind, int> timeOrder[3] = {
      {kCreationTime, kCreation}, {kWriteTime, kWrite}, {kAccessTime, kAccess}};
  for (const auto& [timeKind, dateKind] : timeOrder) {
    const int slot = hourSlot(packed[dateKind]);
    if (slot > 0) s.hourFiles[timeKind][slot] += 1;
  }

  for (int k = 0; k < 3; ++k) {
    const int age = packed[k] == 0 ? -1 : std::abs(today_ - dayOf(packed[k]));
    const int bucket = ageToIndex(age);
    s.ageFiles[k][bucket] += 1;
    s.ageBytes[k][bucket] += size;
  }

  s.types.insertType(extensionOf(e.name), static_cast<std::int64_t>(size), false);

  const int c = sizeClass(size);
  s.sizeFiles[c] += 1;
  s.sizeBytes[c] += size;

  if (overhangEnabled)
    for (int i = 0; i < kClusterSizes; ++i) s.clusterWaste[i] += overhang(size, kClusterBytes[i]);
}

void StatisticsCollector::seedChosenTypes() {
  if (filter.allFileTypes || !filter.countChosenTypes) return;
  for (const QString& line : filter.chosen)
    stats.types.insertType(platform::fromDisplay(extractExtension(line)), 0, true);
}

CollectionVisitor::CollectionVisitor(StatisticsCollector& collector, QString currentTarget)
    : collector_(collector), target_(std::move(currentTarget)) {}

void CollectionVisitor::entry(const std::string& folder, const platform::DirEntry& entry) {
  if (entry.isDirectory()) return;
  if (collector_.stats.filesProcessed % 3 == 0) {
    statusFolder_ = &folder;
    pending_ = true;
  }
  collector_.crunchNumbers(entry);
  collector_.stats.filesProcessed += 1;
}

void CollectionVisitor::aboutToPump() {
  if (!pending_ || !statusFolder_) return;
  pending_ = false;
  if (*statusFolder_ == shownFolder_) return;
  shownFolder_ = *statusFolder_;
  if (status) status(processingText(target_, shownFolder_));
}

QString processingText(const QString& target, const std::string& folder) {
  return QStringLiteral("Processing drive ") + target + QStringLiteral(" ... standby : ") + platform::toDisplay(folder);
}

QString finishedText(const Statistics& stats, bool aborted) {
  QString text = QStringLiteral("Finished - ") + formatThousands(std::int64_t(stats.filesProcessed)) +
                 QStringLiteral(" files processed");
  if (stats.filesCounted != stats.filesProcessed)
    text += QLatin1Char(' ') + formatThousands(std::int64_t(stats.filesCounted)) + QStringLiteral(" files found");
  if (aborted) text += QStringLiteral(" INCOMPLETE ... ABORTED");
  return text;
}

double computePickListTotal(const std::vector<ScanTarget>& targets) {
  double total = 0;
  for (const ScanTarget& t : targets) {
    if (!isPathDriveReady(t.path)) continue;
    if (const auto space = platform::diskSpace(t.path)) total += double(space->total);
  }
  return total;
}

std::uint64_t computeClusterSize(const ScanTarget& target) {
  if (!isPathDriveReady(target.path)) return 0;
  const auto space = platform::diskSpace(target.path);
  return space ? space->clusterSize : 0;
}

}  // namespace roomvale::stats
