// What a statistics collection adds up, without any window: the type filter, the age,
// size, time-of-day and attribute histograms, the type table and the cluster overhang sums.
// Every counter and byte sum is 64-bit, so files of 2 GiB and more, and type totals beyond
// 2,147,483,647 bytes, are counted exactly.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/direnum.h"
#include "scan/walk.h"

namespace roomvale::stats {

inline constexpr int kAgeBuckets = 10;
inline constexpr int kSizeClasses = 12;  // numbered 1 to 12
inline constexpr int kSlots = 48;        // half hours of the day
inline constexpr int kClusterSizes = 5;
inline constexpr std::array<std::uint64_t, kClusterSizes> kClusterBytes{4096, 8192, 16384, 32768, 65536};
// Longest extension, dot included, that enters the type table.
inline constexpr int kMaxTypeLength = 5;

// Date kinds of the age histograms, in the order they are added up.
enum DateKind { kAccess = 0, kCreation = 1, kWrite = 2 };
// Time kinds of the time-of-day slots.
enum TimeKind { kWriteTime = 0, kCreationTime = 1, kAccessTime = 2 };
// Attributes counted.
enum AttrIndex { kReadOnly = 0, kHidden = 1, kSystem = 2, kArchive = 3 };

// Labels of the age buckets (0 "Not recorded" .. 9 "Over 4 years") and size classes (1 to 12).
const QString& ageLabel(int bucket);
const QString& sizeLabel(int sizeClass);

// Age bucket of an age in whole days (negative: not recorded).
int ageToIndex(int days);
// Size class 1 to 12 of a file size.
int sizeClass(std::uint64_t size);
// Half-hour slot of a packed local date-time (hour * 2, plus 1 from minute 30); -1 for 0.
int hourSlot(std::uint32_t packed);
// What a file of `size` loses to overhang with clusters of `cluster` bytes.
constexpr std::uint64_t overhang(std::uint64_t size, std::uint64_t cluster) {
  const std::uint64_t r = size % cluster;
  return r == 0 ? 0 : cluster - r;
}

// The extension with its dot from the pattern of a file-type list line ("*.Doc\t..." ->
// ".doc"), in lower case.
QString extractExtension(const QString& line);

// One line of the type table.
struct TypeEntry {
  std::string key;  // the extension in upper case with its dot, native bytes ("" for none)
  std::int64_t files = 0;
  std::int64_t bytes = 0;
  QString extension() const;  // for display
};

// The type table, kept sorted by extension without regard to case.
class TypeTable {
 public:
  // Adds a file (or, with `seedOnly`, makes sure the extension is listed, with no file).
  // Extensions longer than five characters are left out.
  void insertType(std::string_view extension, std::int64_t bytes, bool seedOnly);
  const std::vector<TypeEntry>& entries() const { return entries_; }
  void clear() { entries_.clear(); }

 private:
  std::vector<TypeEntry> entries_;
  std::size_t last_ = 0;  // the entry hit last, tried first
};

// Which files take part: all, only the chosen types, or all but the chosen types.
struct TypeFilter {
  bool allFileTypes = true;
  bool countChosenTypes = false;
  bool countOtherTypes = false;
  QStringList chosen;  // lines of pattern, TAB and description (PickList2)

  void prepare();  // takes the extensions of `chosen` once, before a collection
  bool isThisSelected(std::string_view name) const;

 private:
  std::vector<std::string> extensions_;
};

struct Statistics {
  std::array<std::array<std::uint64_t, kAgeBuckets>, 3> ageFiles{};
  std::array<std::array<std::uint64_t, kAgeBuckets>, 3> ageBytes{};
  std::array<std::uint64_t, kSizeClasses + 1> sizeFiles{};  // [0] unused
  std::array<std::uint64_t, kSizeClasses + 1> sizeBytes{};
  std::array<std::array<std::uint64_t, kSlots>, 3> hourFiles{};
  std::array<std::uint64_t, 4> attrFiles{};
  std::array<std::uint64_t, 4> attrBytes{};
  std::array<std::uint64_t, kClusterSizes> clusterWaste{};
  TypeTable types;
  std::uint64_t filesProcessed = 0;
  std::uint64_t filesCounted = 0;

  std::uint64_t totalBytes() const;  // of all counted files
};

// Adds files to the statistics. "Today" is fixed when a collection begins, so that a walk
// across midnight measures every file from the same day.
class StatisticsCollector {
 public:
  Statistics stats;
  TypeFilter filter;
  bool overhangEnabled = true;

  // Resets everything and takes today's date (the program clock's) and the filter.
  void clearVariables();
  void setToday(const QDate& today);
  // One file of the walk, as the folder listing gave it.
  void crunchNumbers(const platform::DirEntry& entry);
  // Lists every chosen type in the type table, with no file, when only chosen types count.
  void seedChosenTypes();

 private:
  int dayOf(std::uint32_t packed);

  int today_ = 0;
  // Day numbers of packed dates met lately (files of one folder share few dates).
  std::array<std::uint32_t, 64> dayCacheKey_{};
  std::array<int, 64> dayCacheValue_{};
};

// The walk visitor of a collection: hands every file (no folder) to the collector and keeps
// the status text of every third file for the next repaint.
class CollectionVisitor : public WalkVisitor {
 public:
  CollectionVisitor(StatisticsCollector& collector, QString currentTarget);

  void entry(const std::string& folder, const platform::DirEntry& entry) override;
  void aboutToPump() override;

  // Status line sink, called at repaint points with the text of the last third file.
  std::function<void(const QString&)> status;

 private:
  StatisticsCollector& collector_;
  QString target_;
  const std::string* statusFolder_ = nullptr;
  std::string shownFolder_;
  bool pending_ = false;
};

// Status texts.
QString processingText(const QString& target, const std::string& folder);
QString finishedText(const Statistics& stats, bool aborted);

// Capacity and cluster size of targets, through the platform's space query.
double computePickListTotal(const std::vector<ScanTarget>& targets);
std::uint64_t computeClusterSize(const ScanTarget& target);

}  // namespace roomvale::stats
