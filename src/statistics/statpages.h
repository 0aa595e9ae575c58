// The figures the statistics pages show, made from collected statistics without any widget:
// grid rows, bars, pie slices and line points with their labels, colours and marks, the
// Space page's figures and the Overhang page's.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

#include "statistics/collection.h"

namespace roomvale::stats {

// The colour table, indexed 1 to 12: the palette, or one colour in every place.
using ColorTable = std::array<QColor, 13>;
ColorTable initAColors();
ColorTable initAColors(const QColor& one);

// Percentages as the charts mark them: "##0.# %" and "#,##0.## %".
QString percentMark(double percent);
QString percentMark2(double percent);
// Bytes as a chart in MB shows them.
inline double inMB(double bytes) { return bytes / 1048576.0; }

// A row of the type grid, before it becomes texts.
struct TypeRow {
  QString extension;
  QString type;  // description of the extension
  std::int64_t bytes = 0;
  std::int64_t files = 0;
  std::int64_t average() const { return files == 0 ? 0 : bytes / files; }
};

// Rows of the type table in its (extension) order, with their descriptions.
std::vector<TypeRow> typeRows(const TypeTable& table);
// Column texts: extension, type, size, # files, average.
QStringList typeRowTexts(const TypeRow& row);
// The totals row: "Totals" in the type column, summed sizes and counts.
QStringList typeTotalsTexts(const std::vector<TypeRow>& rows);

enum class TypeSort { Extension, Type, Size, Files, Average };
// Reorders the rows: extension and type ascending as text without regard to case; size,
// files and average largest first. Nothing happens to fewer than two rows.
void sortTypeRows(std::vector<TypeRow>& rows, TypeSort sort);

// One bar or slice of a chart.
struct ChartItem {
  QString label;
  double value = 0;
  QColor color;
  QString mark;  // the text shown on the bar ("" for none)
};

// The Types pie for the rows sorted by `measure` (Size, Files or Average): the first twelve
// rows with a figure above 0, labelled with their type, coloured by row.
std::vector<ChartItem> typePie(const std::vector<TypeRow>& sortedRows, TypeSort measure);

// Sizes page: grid rows largest class first; bars class 1 first, in MB or in files.
std::vector<QStringList> sizeGridRows(const Statistics& s);
std::vector<ChartItem> sizeBars(const Statistics& s, bool inMegabytes);

// Age pages: grid rows oldest first; bars in bucket order ("Not recorded" first).
std::vector<QStringList> ageGridRows(const Statistics& s, DateKind kind);
std::vector<QStringList> combinedGridRows(const Statistics& s);
std::vector<ChartItem> ageBars(const Statistics& s, DateKind kind, bool inMegabytes);
// The value of every bucket, for the combined chart.
std::vector<double> ageValues(const Statistics& s, DateKind kind, bool inMegabytes);

// Attribute page: bars archive, system, read-only, hidden, each in percent of the four
// figures' sum; none when the sum is 0.
std::vector<ChartItem> attributeBars(const Statistics& s, bool bytes);

// Time page: the 48 counts of a time kind and the start time of each slot as text.
std::vector<double> timeCounts(const Statistics& s, TimeKind kind);
QString slotLabel(int slot);

// The Space page.
struct DriveSpace {
  QString label;  // the drive as the bars name it
  double free = 0;
  double total = 0;
};
struct SpaceBar {
  QString label;
  double free = 0;  // in the page's unit
  double used = 0;
};
struct SpaceFigures {
  bool shown = false;  // any ready checked drive with a total above 0
  bool kilobytes = false;
  QString unit;  // "KB" or "MB"
  std::vector<SpaceBar> bars;
  QString total, free, used;
  bool freeRed = false;  // the free figure is 5 or less in the page's unit
};
SpaceFigures spaceFigures(const std::vector<DriveSpace>& drives, bool cumulative);
// "45.6" for 45.67 % free: two decimals, then the last digit dropped.
QString freePercentText(double free, double total);

// The Overhang page.
struct OverhangFigures {
  bool enabled = false;                         // the counted files hold any bytes
  std::array<QString, kClusterSizes> waste;     // 4K to 64K
  std::array<double, kClusterSizes> percent{};  // wasted percentage, 4K to 64K
  int arrowRow = -1;                            // 0 (4K) to 4 (64K), -1 when not one of the five
  QString size;                                 // "12 MB" / "12 KB"
  QString numFiles;
  QString actual;  // "Actual space used ..." (empty without the arrow)
};
OverhangFigures overhangFigures(const Statistics& s, std::uint64_t clusterSize);

}  // namespace roomvale::stats
