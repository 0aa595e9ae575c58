#include "statistics/statpages.h"

#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>

#include "foundation/helpers.h"

namespace roomvale::stats {

namespace {

QString thousands(double x) { return formatThousands(static_cast<std::int64_t>(std::llround(x))); }
QString thousands(std::uint64_t x) { return formatThousands(static_cast<std::int64_t>(x)); }

// A number with at most `decimals` decimals, trailing zeros dropped.
QString fewDecimals(double x, int decimals, bool grouped) {
  QLocale loc;
  QLocale::NumberOptions options = loc.numberOptions();
  if (grouped)
    options &= ~QLocale::OmitGroupSeparator;
  else
    options |= QLocale::OmitGroupSeparator;
  loc.setNumberOptions(options);
  QString text = loc.toString(x, 'f', decimals);
  const QString point = loc.decimalPoint();
  if (decimals > 0 && text.contains(point)) {
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(point)) text.chop(point.size());
  }
  return text;
}

const QString& description(const QString& extension) {
  static QHash<QString, QString> cache;
  auto it = cache.constFind(extension);
  if (it == cache.constEnd()) it = cache.insert(extension, fileTypeDescription(extension));
  return *it;
}

std::vector<ChartItem> percentBars(std::vector<ChartItem> bars) {
  double sum = 0;
  for (const ChartItem& b : bars) sum += b.value;
  for (ChartItem& b : bars) b.mark = percentMark(sum > 0 ? b.value * 100 / sum : 0);
  return bars;
}

// Bytes in the Overhang page's unit, chosen by `total`.
QString scaled(double bytes, double total) {
  return total >= 1048576 ? thousands(bytes / 1048576) + QStringLiteral(" MB")
                          : thousands(bytes / 1024) + QStringLiteral(" KB");
}

}  // namespace

ColorTable initAColors() {
  static const QRgb palette[12] = {0xFF0000, 0x800000, 0x0000FF, 0xFFFF00, 0x008000, 0x00FF00,
                                   0xFF00FF, 0x008080, 0x000080, 0x00FFFF, 0xFFFFFF, 0x808080};
  ColorTable table;
  for (int i = 1; i <= 12; ++i) table[i] = QColor(palette[i - 1]);
  return table;
}

ColorTable initAColors(const QColor& one) {
  ColorTable table;
  table.fill(one);
  return table;
}

QString percentMark(double percent) { return fewDecimals(percent, 1, false) + QStringLiteral(" %"); }
QString percentMark2(double percent) { return fewDecimals(percent, 2, true) + QStringLiteral(" %"); }

std::vector<TypeRow> typeRows(const TypeTable& table) {
  std::vector<TypeRow> rows;
  rows.reserve(table.entries().size());
  for (const TypeEntry& e : table.entries()) {
    TypeRow row;
    row.extension = e.extension();
    row.type = description(row.extension);
    row.bytes = e.bytes;
    row.files = e.files;
    rows.push_back(std::move(row));
  }
  return rows;
}

QStringList typeRowTexts(const TypeRow& row) {
  return {row.extension, row.type, formatThousands(row.bytes), formatThousands(row.files),
          row.files == 0 ? QStringLiteral("0") : formatThousands(row.average())};
}

QStringList typeTotalsTexts(const std::vector<TypeRow>& rows) {
  std::int64_t bytes = 0, files = 0;
  for (const TypeRow& r : rows) {
    bytes += r.bytes;
    files += r.files;
  }
  return {QString(), QStringLiteral("Totals"), formatThousands(bytes), formatThousands(files), QString()};
}

void sortTypeRows(std::vector<TypeRow>& rows, TypeSort sort) {
  if (rows.size() < 2) return;
  auto byText = [](auto field) {
    return [field](const TypeRow& a, const TypeRow& b) {
      return QString::compare(field(a), field(b), Qt::CaseInsensitive) < 0;
    };
  };
  auto byNumber = [](auto field) {
    return [field](const TypeRow& a, const TypeRow& b) { return field(a) > field(b); };
  };
  switch (sort) {
    case TypeSort::Extension:
      std::stable_sort(rows.begin(), rows.end(), byText([](const TypeRow& r) { return r.extension; }));
      break;
    case TypeSort::Type:
      std::stable_sort(rows.begin(), rows.end(), byText([](const TypeRow& r) { return r.type; }));
      break;
    case TypeSort::Size:
      std::stable_sort(rows.begin(), rows.end(), byNumber([](const TypeRow& r) { return r.bytes; }));
      break;
    case TypeSort::Files:
      std::stable_sort(rows.begin(), rows.end(), byNumber([](const TypeRow& r) { return r.files; }));
      break;
    case TypeSort::Average:
      std::stable_sort(rows.begin(), rows.end(), byNumber([](const TypeRow& r) { return r.average(); }));
      break;
  }
}

std::vector<ChartItem> typePie(const std::vector<TypeRow>& sortedRows, TypeSort measure) {
  const ColorTable colors = initAColors();
  std::vector<ChartItem> slices;
  const std::size_t n = std::min<std::size_t>(12, sortedRows.size());
  for (std::size_t i = 0; i < n; ++i) {
    const TypeRow& r = sortedRows[i];
    const double value = measure == TypeSort::Files     ? double(r.files)
                         : measure == TypeSort::Average ? double(r.average())
                                                        : double(r.bytes);
    if (value > 0) slices.push_back({r.type, value, colors[int(i) + 1], {}});
  }
  double sum = 0;
  for (const ChartItem& s : slices) sum += s.value;
  for (ChartItem& s : slices) s.mark = percentMark(s.value * 100 / sum);
  return slices;
}

std::vector<QStringList> sizeGridRows(const Statistics& s) {
  std::vector<QStringList> rows;
  for (int c = kSizeClasses; c >= 1; --c)
    rows.push_back({sizeLabel(c), thousands(s.sizeBytes[c]), thousands(s.sizeFiles[c])});
  return rows;
}

std::vector<ChartItem> sizeBars(const Statistics& s, bool inMegabytes) {
  const ColorTable colors = initAColors();
  std::vector<ChartItem> bars;
  for (int c = 1; c <= kSizeClasses; ++c)
    bars.push_back({sizeLabel(c), inMegabytes ? inMB(double(s.sizeBytes[c])) : double(s.sizeFiles[c]), colors[c], {}});
  return percentBars(std::move(bars));
}

std::vector<QStringList> ageGridRows(const Statistics& s, DateKind kind) {
  std::vector<QStringList> rows;
  for (int b = kAgeBuckets - 1; b >= 0; --b)
    rows.push_back({ageLabel(b), thousands(s.ageBytes[kind][b]), thousands(s.ageFiles[kind][b])});
  return rows;
}

std::vector<QStringList> combinedGridRows(const Statistics& s) {
  std::vector<QStringList> rows;
  for (int b = kAgeBuckets - 1; b >= 0; --b) {
    QStringList row{ageLabel(b)};
    for (DateKind k : {kAccess, kCreation, kWrite}) row << thousands(s.ageBytes[k][b]) << thousands(s.ageFiles[k][b]);
    rows.push_back(row);
  }
  return rows;
}

std::vector<double> ageValues(const Statistics& s, DateKind kind, bool inMegabytes) {
  std::vector<double> values;
  for (int b = 0; b < kAgeBuckets; ++b)
    values.push_back(inMegabytes ? inMB(double(s.ageBytes[kind][b])) : double(s.ageFiles[kind][b]));
  return values;
}

std::vector<ChartItem> ageBars(const Statistics& s, DateKind kind, bool inMegabytes) {
  const ColorTable colors = initAColors();
  const std::vector<double> values = ageValues(s, kind, inMegabytes);
  std::vector<ChartItem> bars;
  for (int b = 0; b < kAgeBuckets; ++b) bars.push_back({ageLabel(b), values[b], colors[b + 1], {}});
  return percentBars(std::move(bars));
}

std::vector<ChartItem> attributeBars(const Statistics& s, bool bytes) {
  const auto& figures = bytes ? s.attrBytes : s.attrFiles;
  double sum = 0;
  for (std::uint64_t f : figures) sum += double(f);
  if (sum <= 0) return {};
  const QColor color = bytes ? QColor(0x0000FF) : QColor(0xFF0000);
  std::vector<ChartItem> bars;
  const std::pair<AttrIndex, const char*> order[4] = {
      {kArchive, "Archive"}, {kSystem, "System"}, {kReadOnly, "Read-only"}, {kHidden, "Hidden"}};
  for (const auto& [a, label] : order) {
    const double pct = double(figures[a]) * 100 / sum;
    bars.push_back({QString::fromLatin1(label), pct, color, percentMark2(pct)});
  }
  return bars;
}

std::vector<double> timeCounts(const Statistics& s, TimeKind kind) {
  return std::vector<double>(s.hourFiles[kind].begin(), s.hourFiles[kind].end());
}

QString slotLabel(int slot) { return QLocale().toString(QTime(slot / 2, slot % 2 ? 30 : 0), QLocale::ShortFormat); }

SpaceFigures spaceFigures(const std::vector<DriveSpace>& drives, bool cumulative) {
  SpaceFigures f;
  double free = 0, total = 0;
  for (const DriveSpace& d : drives) {
    free += d.free;
    total += d.total;
  }
  f.kilobytes = total / 1024 < 10000;
  const double unit = f.kilobytes ? 1024 : 1048576;
  f.unit = f.kilobytes ? QStringLiteral("KB") : QStringLiteral("MB");
  for (const DriveSpace& d : drives) f.bars.push_back({d.label, d.free / unit, (d.total - d.free) / unit});
  if (cumulative && !drives.empty() && free != drives.back().free)
    f.bars.push_back({QStringLiteral("Total"), free / unit, (total - free) / unit});
  f.shown = total > 0;
  if (!f.shown) {
    f.bars.clear();
    return f;
  }
  f.total = thousands(total / unit);
  f.free = thousands(free / unit);
  f.used = thousands((total - free) / unit);
  // The red mark belongs to the free figure, so the free figure is the one tested.
  f.freeRed = std::llround(free / unit) <= 5;
  return f;
}

QString freePercentText(double free, double total) {
  const double pct = total > 0 ? free * 100 / total : 0;
  QLocale loc;
  loc.setNumberOptions(loc.numberOptions() & ~QLocale::OmitGroupSeparator);
  QString text = loc.toString(pct, 'f', 2);
  text.chop(1);
  return text;
}

OverhangFigures overhangFigures(const Statistics& s, std::uint64_t clusterSize) {
  OverhangFigures f;
  const double total = double(s.totalBytes());
  f.enabled = total > 0;
  if (!f.enabled) return f;
  double waste = 0;
  for (int i = 0; i < kClusterSizes; ++i) {
    const double sum = double(s.clusterWaste[i]);
    f.waste[i] = thousands(s.clusterWaste[i]);
    f.percent[i] = sum * 100 / (total + sum);
    if (kClusterBytes[i] == clusterSize) {
      f.arrowRow = i;
      waste = sum;
    }
  }
  f.size = scaled(total, total);
  f.numFiles = QStringLiteral("Number of files scanned: ") + thousands(s.filesCounted);
  if (f.arrowRow >= 0) f.actual = QStringLiteral("Actual space used ") + scaled(total + waste, total);
  return f;
}

}  // namespace roomvale::stats
