#include "finders/dupfinder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "foundation/helpers.h"

namespace roomvale {

namespace {

// formatThousands for the many sizes of a sort: the locale's separator between groups of
// three ASCII digits, checked once against formatThousands itself.
class SizeTexts {
 public:
  SizeTexts() {
    const std::string thousand = formatThousands(1000).toStdString();
    if (thousand.size() >= 4 && thousand.front() == '1' && thousand.substr(thousand.size() - 3) == "000")
      separator_ = thousand.substr(1, thousand.size() - 4);
    std::string probe;
    append(1234567890123ull, probe);
    fast_ = probe == formatThousands(1234567890123ll).toStdString();
  }
  void append(std::uint64_t n, std::string& out) const {
    if (!fast_) {
      out += formatThousands(static_cast<std::int64_t>(n)).toStdString();
      return;
    }
    char digits[24];
    int len = 0;
    do {
      digits[len++] = static_cast<char>('0' + n % 10);
      n /= 10;
    } while (n > 0);
    for (int i = len - 1; i >= 0; --i) {
      out += digits[i];
      if (i > 0 && i % 3 == 0) out += separator_;
    }
  }

 private:
  std::string separator_;
  bool fast_ = false;
};

// The fields of a working line.
enum class Field : std::uint8_t { Name, Size, Date, Time, Access, Folder, Type, Path };

constexpr std::array<Field, 7> kNameFirst{Field::Name,   Field::Size,   Field::Date, Field::Time,
                                          Field::Access, Field::Folder, Field::Type};
constexpr std::array<Field, 7> kTypeFirst{Field::Type, Field::Date,   Field::Time,  Field::Name,
                                          Field::Size, Field::Access, Field::Folder};
constexpr std::array<Field, 7> kSizeFirst{Field::Size,   Field::Name,   Field::Date, Field::Time,
                                          Field::Access, Field::Folder, Field::Type};
constexpr std::array<Field, 6> kHogs{Field::Size, Field::Date, Field::Time, Field::Access, Field::Path, Field::Type};

struct FieldList {
  const Field* fields;
  std::size_t count;
};

FieldList lineFields(MatchMode mode) {
  switch (mode) {
    case MatchMode::FilenameOnly:
    case MatchMode::FilenameAndSize:
    case MatchMode::FilenameSizeAndDate: return {kNameFirst.data(), kNameFirst.size()};
    case MatchMode::TypeAndDate: return {kTypeFirst.data(), kTypeFirst.size()};
    default: return {kSizeFirst.data(), kSizeFirst.size()};
  }
}

// The group key of a mode (its fields are compared one by one, so that "ab" + "1" never
// equals "a" + "b1").
std::vector<Field> keyFields(MatchMode mode) {
  switch (mode) {
    case MatchMode::FilenameOnly: return {Field::Name};
    case MatchMode::FilenameAndSize: return {Field::Name, Field::Size};
    case MatchMode::FilenameSizeAndDate: return {Field::Name, Field::Size, Field::Date, Field::Time};
    case MatchMode::SizeOnly: return {Field::Size};
    case MatchMode::SizeAndDate: return {Field::Size, Field::Date, Field::Time};
    case MatchMode::SizeAndType: return {Field::Size, Field::Type};
    case MatchMode::TypeAndDate: return {Field::Type, Field::Date, Field::Time};
  }
  return {Field::Name};
}

// What the shading compares with the row above.
std::vector<Field> shadeFields(MatchMode mode) {
  switch (mode) {
    case MatchMode::FilenameOnly: return {Field::Name};
    case MatchMode::FilenameAndSize: return {Field::Name, Field::Size};
    case MatchMode::FilenameSizeAndDate: return {Field::Name, Field::Size, Field::Time};
    case MatchMode::SizeOnly: return {Field::Size};
    case MatchMode::SizeAndDate: return {Field::Size, Field::Time};
    case MatchMode::SizeAndType: return {Field::Size, Field::Type};
    case MatchMode::TypeAndDate: return {Field::Type, Field::Time};
  }
  return {Field::Name};
}

inline unsigned char raise(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

bool equalRaised(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (raise(static_cast<unsigned char>(a[i])) != raise(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The field texts of the rows of one GridData, made when asked for and cached where many
// rows share them (dates, times, extensions).
class FieldTexts {
 public:
  explicit FieldTexts(const GridData& rows) : rows_(rows) {}

  // A view valid until the next call with the same `slot` (0 or 1).
  std::string_view text(std::uint32_t id, Field field, int slot) {
    const GridRow& row = rows_.rowById(id);
    switch (field) {
      case Field::Name: return rows_.nameOf(row);
      case Field::Folder: return rows_.folderText(row.folder);
      case Field::Size: {
        std::string& s = scratch_[slot];
        s.clear();
        sizeTexts_.append(row.size, s);
        return s;
      }
      case Field::Date: return dateText(row.writeTime);
      case Field::Access: return dateText(row.accessTime);
      case Field::Time: return timeText(row.writeTime);
      case Field::Type: return typeText(rows_.nameOf(row));
      case Field::Path: {
        std::string& s = scratch_[slot];
        s = rows_.folderText(row.folder);
        if (s.empty() || s.back() != '/') s += '/';
        s.append(rows_.nameOf(row));
        return s;
      }
    }
    return {};
  }

 private:
  const std::string& dateText(std::uint32_t packed) {
    const std::size_t key = packed == 0 ? 0 : (packed >> 16) + 1;
    if (dates_.empty()) dates_.resize(65537);
    auto& cell = dates_[key];
    if (!cell.known) cell = {fatDateText(packed).toStdString(), true};
    return cell.text;
  }
  const std::string& timeText(std::uint32_t packed) {
    const std::size_t key = packed == 0 ? 0 : (packed & 0xFFFF) + 1;
    if (times_.empty()) times_.resize(65537);
    auto& cell = times_[key];
    if (!cell.known) cell = {fatTimeText(packed).toStdString(), true};
    return cell.text;
  }
  const std::string& typeText(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    const std::string ext = dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
    auto it = types_.find(ext);
    if (it == types_.end()) it = types_.emplace(ext, typeTextOfName(name).toStdString()).first;
    return it->second;
  }

  struct Cached {
    std::string text;
    bool known = false;
  };
  const GridData& rows_;
  SizeTexts sizeTexts_;
  std::string scratch_[2];
  std::vector<Cached> dates_;
  std::vector<Cached> times_;
  std::unordered_map<std::string, std::string> types_;
};

// Orders row ids as their tab-separated lines sort without regard to case. Fields are
// compared one by one; where a field is a prefix of the other one the tab that follows it
// decides, exactly as in the joined line (a field holding a tab or a control character
// below it is settled by joining the lines).
class LineOrder {
 public:
  LineOrder(const GridData& rows, FieldList fields) : texts_(rows), fields_(fields) {
    // The size texts of every row, made once: the sort asks for them most.
    sizeOff_.resize(rows.rowIdCount() + 1);
    const SizeTexts sizeTexts;
    for (std::uint32_t id = 0; id < rows.rowIdCount(); ++id) {
      sizeOff_[id] = static_cast<std::uint32_t>(sizes_.size());
      sizeTexts.append(rows.rowById(id).size, sizes_);
    }
    sizeOff_[rows.rowIdCount()] = static_cast<std::uint32_t>(sizes_.size());
  }

  bool operator()(std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; }

  // The first 16 bytes of the joined line, a-z raised, as two big-endian numbers (zeros
  // after the end of the line, which sorts before any character).
  std::pair<std::uint64_t, std::uint64_t> prefix(std::uint32_t id) {
    unsigned char bytes[16] = {};
    int taken = 0;
    for (std::size_t f = 0; f < fields_.count && taken < 16; ++f) {
      if (f > 0) bytes[taken++] = '\t';
      const std::string_view x = field(id, fields_.fields[f], 0);
      for (std::size_t i = 0; i < x.size() && taken < 16; ++i) bytes[taken++] = raise(static_cast<unsigned char>(x[i]));
    }
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    for (int i = 0; i < 8; ++i) high = (high << 8) | bytes[i];
    for (int i = 8; i < 16; ++i) low = (low << 8) | bytes[i];
    return {high, low};
  }

  int compare(std::uint32_t a, std::uint32_t b) {
    for (std::size_t f = 0; f < fields_.count; ++f) {
      const bool last = f + 1 == fields_.count;
      const std::string_view x = field(a, fields_.fields[f], 0);
      const std::string_view y = field(b, fields_.fields[f], 1);
      const std::size_t n = std::min(x.size(), y.size());
      for (std::size_t i = 0; i < n; ++i) {
        const unsigned char cx = raise(static_cast<unsigned char>(x[i]));
        const unsigned char cy = raise(static_cast<unsigned char>(y[i]));
        if (cx != cy) return cx < cy ? -1 : 1;
      }
      if (x.size() == y.size()) continue;
      // One field ends first: it is followed by a tab, or ends the line.
      const bool xShort = x.size() < y.size();
      const unsigned char next = static_cast<unsigned char>(xShort ? y[n] : x[n]);
      if (last) return xShort ? -1 : 1;
      if (next > '\t') return xShort ? -1 : 1;
      if (next < '\t') return xShort ? 1 : -1;
      return joined(a).compare(joined(b)) < 0 ? -1 : 1;  // a tab inside a field
    }
    return 0;
  }

 private:
  std::string_view field(std::uint32_t id, Field f, int slot) {
    if (f == Field::Size) return std::string_view(sizes_).substr(sizeOff_[id], sizeOff_[id + 1] - sizeOff_[id]);
    return texts_.text(id, f, slot);
  }
  std::string joined(std::uint32_t id) {
    std::string line;
    for (std::size_t f = 0; f < fields_.count; ++f) {
      if (f > 0) line += '\t';
      line += field(id, fields_.fields[f], 0);
    }
    for (char& c : line) c = static_cast<char>(raise(static_cast<unsigned char>(c)));
    return line;
  }

  FieldTexts texts_;
  FieldList fields_;
  std::string sizes_;
  std::vector<std::uint32_t> sizeOff_;
};

std::vector<std::uint32_t> sortedIds(const GridData& rows, FieldList fields) {
  LineOrder order(rows, fields);
  // Most pairs differ in their first 16 bytes: those are compared as two numbers in a
  // compact array, and only ties look at the rows.
  struct Keyed {
    std::pair<std::uint64_t, std::uint64_t> prefix;
    std::uint32_t id;
  };
  std::vector<Keyed> keyed(static_cast<std::size_t>(rows.rowsUsed()));
  for (int pos = 0; pos < rows.rowsUsed(); ++pos) {
    const std::uint32_t id = rows.rowIdAt(pos);
    keyed[static_cast<std::size_t>(pos)] = {order.prefix(id), id};
  }
  std::stable_sort(keyed.begin(), keyed.end(), [&order](const Keyed& a, const Keyed& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return order(a.id, b.id);
  });
  std::vector<std::uint32_t> ids(keyed.size());
  for (std::size_t i = 0; i < keyed.size(); ++i) ids[i] = keyed[i].id;
  return ids;
}

bool sameFields(const GridData& rows, FieldTexts& texts, std::uint32_t a, std::uint32_t b,
                const std::vector<Field>& fields) {
  for (Field f : fields) {
    if (f == Field::Size) {
      // Equal size texts are equal sizes.
      if (rows.rowById(a).size != rows.rowById(b).size) return false;
      continue;
    }
    if (!equalRaised(texts.text(a, f, 0), texts.text(b, f, 1))) return false;
  }
  return true;
}

GridFile fileOfRow(const GridData& rows, std::uint32_t id) {
  const GridRow& row = rows.rowById(id);
  GridFile file;
  file.folder = rows.folderText(row.folder);
  file.name = rows.nameOf(row);
  file.size = row.size;
  file.writeTime = row.writeTime;
  file.accessTime = row.accessTime;
  file.creationTime = row.creationTime;
  return file;
}

GridSpec workingSpec() {
  GridSpec shape;
  shape.kind = QStringLiteral("dupWorkingList");
  shape.columns = {{QString(), CellField::Name, false}};
  return shape;
}

}  // namespace

QStringList matchModeTexts() {
  return {QStringLiteral("Filename only"),
          QStringLiteral("Filename and size (CRC)"),
          QStringLiteral("Filename, size and modify date/time (CRC)"),
          QStringLiteral("Size only (CRC)"),
          QStringLiteral("Size and modify date/time (CRC)"),
          QStringLiteral("Size and type"),
          QStringLiteral("Type and modify date/time")};
}

bool matchModeOffersChecksum(int mode) { return mode >= 1 && mode <= 4; }

bool SizeBounds::passes(std::uint64_t size) const {
  switch (compare) {
    case SizeCompare::LargerOrEqual: return size >= low;
    case SizeCompare::SmallerOrEqual: return size <= low;
    case SizeCompare::InBetween: return size >= low && size <= high;
  }
  return false;
}

SizeBounds sizeBounds(SizeCompare compare, int first, int second, bool kilobytes) {
  SizeBounds b;
  b.compare = compare;
  const std::uint64_t unit = kilobytes ? 1024 : 1;
  b.low = static_cast<std::uint64_t>(std::max(first, 0)) * unit;
  b.high = static_cast<std::uint64_t>(std::max(second, 0)) * unit;
  return b;
}

GridSpec duplicatesGridSpec() {
  GridSpec shape;
  shape.kind = QStringLiteral("frmDups");
  shape.columns = {
      {QStringLiteral("Filename"), CellField::Name, false},      {QStringLiteral("Size"), CellField::Size, true},
      {QStringLiteral("Modified"), CellField::WriteDate, false}, {QStringLiteral("Time"), CellField::WriteTime, false},
      {QStringLiteral("Access"), CellField::AccessDate, false},  {QStringLiteral("Folder"), CellField::Folder, false},
      {QStringLiteral("Type"), CellField::Type, false}};
  shape.markColumn = kDupNameColumn;
  shape.highlightColumn = 5;
  shape.highlightIsFile = false;
  return shape;
}

GridSpec fileHogsGridSpec() {
  GridSpec shape;
  shape.kind = QStringLiteral("frmHogs");
  shape.columns = {{QStringLiteral("Size"), CellField::Size, true},
                   {QStringLiteral("Modified"), CellField::WriteDate, false},
                   {QStringLiteral("Time"), CellField::WriteTime, false},
                   {QStringLiteral("Access"), CellField::AccessDate, false},
                   {QStringLiteral("FileName"), CellField::FullPath, false},
                   {QStringLiteral("Type"), CellField::Type, false}};
  shape.markColumn = 4;
  shape.highlightColumn = 4;
  shape.highlightIsFile = true;
  // The automatic sort after a walk is the first "&Size" and lists the largest first.
  shape.sortItems = {{QStringLiteral("&Size"), 0, SortKind::Number, true},
                     {QStringLiteral("&Date"), 1, SortKind::Date, false},
                     {QStringLiteral("&Access Date"), 3, SortKind::Date, false},
                     {QStringLiteral("&Name"), 4, SortKind::Text, false},
                     {QStringLiteral("&Type"), 5, SortKind::Text, false}};
  shape.defaultSortItem = 0;
  return shape;
}

DupWorkingList::DupWorkingList(std::size_t capacity) : capacity_(capacity), rows_(workingSpec()) {}

bool DupWorkingList::add(const GridFile& file) {
  if (full()) return false;
  return rows_.addRow(file) >= 0;
}

bool DupWorkingList::add(const std::string& folder, const platform::DirEntry& entry) {
  GridFile file;
  file.folder = folder;
  file.name = entry.name;
  file.size = entry.size;
  file.writeTime = platform::toFatDateTime(entry.writeTime).value_or(0);
  file.accessTime = platform::toFatDateTime(entry.accessTime).value_or(0);
  return add(file);
}

std::vector<std::uint32_t> DupWorkingList::duplicatesOrder(MatchMode mode) const {
  return sortedIds(rows_, lineFields(mode));
}

std::vector<std::uint32_t> DupWorkingList::fileHogsOrder() const {
  return sortedIds(rows_, {kHogs.data(), kHogs.size()});
}

int addDups(const DupWorkingList& list, MatchMode mode, GridData& grid) {
  const GridData& rows = list.rows();
  const std::vector<std::uint32_t> ids = list.duplicatesOrder(mode);
  const std::vector<Field> key = keyFields(mode);
  FieldTexts texts(rows);
  int added = 0;
  std::size_t s = 0;
  while (s + 1 < ids.size()) {
    std::size_t i = s + 1;
    while (i < ids.size() && sameFields(rows, texts, ids[s], ids[i], key)) ++i;
    if (i > s + 1) {
      for (std::size_t k = s; k < i; ++k)
        if (grid.addRow(fileOfRow(rows, ids[k])) >= 0) ++added;
    }
    s = i;
  }
  shadeDuplicates(grid, mode);
  return added;
}

void shadeDuplicates(GridData& grid, MatchMode mode) {
  const std::vector<Field> fields = shadeFields(mode);
  FieldTexts texts(grid);
  bool shade = true;
  for (int pos = 0; pos < grid.rowsUsed(); ++pos) {
    if (pos > 0 && !sameFields(grid, texts, grid.rowIdAt(pos - 1), grid.rowIdAt(pos), fields)) shade = !shade;
    grid.setShade(pos, shade);
  }
}

void shadeByColumn(GridData& grid, int column) {
  bool shade = true;
  QString above;
  for (int pos = 0; pos < grid.rowsUsed(); ++pos) {
    const QString text = grid.cellText(pos, column);
    if (pos > 0 && text != above) shade = !shade;
    grid.setShade(pos, shade);
    above = text;
  }
}

int addFileHogs(const DupWorkingList& list, GridData& grid) {
  const GridData& rows = list.rows();
  // The first file listed from each folder, in walk order.
  std::vector<std::uint32_t> firstOfFolder(rows.folderCount(), UINT32_MAX);
  for (int pos = 0; pos < rows.rowsUsed(); ++pos) {
    const std::uint32_t id = rows.rowIdAt(pos);
    std::uint32_t& first = firstOfFolder[rows.rowById(id).folder];
    if (first == UINT32_MAX) first = id;
  }
  const std::vector<std::uint32_t> ids = list.fileHogsOrder();
  int added = 0;
  for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
    const int pos = grid.addRow(fileOfRow(rows, *it));
    if (pos < 0) continue;
    ++added;
    if (firstOfFolder[rows.rowById(*it).folder] != *it) grid.setLowerCaseShown(pos, true);
  }
  return added;
}

QString dupPrintTitle(bool duplicates, SizeCompare compare, int first, int second, const QString& unit,
                      const QString& pattern, const QStringList& targetTexts) {
  QString title = duplicates ? QStringLiteral("Duplicates ") : QStringLiteral("File Hogs ");
  switch (compare) {
    case SizeCompare::LargerOrEqual: title += QStringLiteral("larger or equal to %1 %2").arg(first).arg(unit); break;
    case SizeCompare::SmallerOrEqual:
      title += QStringLiteral("smaller or equal to") + QStringLiteral(" %1 %2").arg(first).arg(unit);
      break;
    case SizeCompare::InBetween:
      title += QStringLiteral("in between %1 %2 and %3 %4").arg(first).arg(unit).arg(second).arg(unit);
      break;
  }
  title += QStringLiteral(" matching ") + pattern + QStringLiteral(" on drive(s) ");
  for (const QString& target : targetTexts) title += target + QLatin1Char(' ');
  return title;
}

}  // namespace roomvale

namespace roomvale {

std::vector<RowRange> shadeGroups(const GridData& grid) {
  std::vector<RowRange> groups;
  for (int pos = 0; pos < grid.rowsUsed(); ++pos) {
    if (pos == 0 || grid.shade(pos) != grid.shade(pos - 1))
      groups.push_back({pos, pos});
    else
      groups.back().last = pos;
  }
  return groups;
}

std::vector<int> rowsToMarkKeeping(const GridData& grid, KeepCopy keep) {
  std::vector<int> out;
  for (const RowRange& g : shadeGroups(grid)) {
    int kept = g.first;
    for (int pos = g.first + 1; pos <= g.last; ++pos) {
      const std::uint32_t t = grid.rowById(grid.rowIdAt(pos)).writeTime;
      const std::uint32_t best = grid.rowById(grid.rowIdAt(kept)).writeTime;
      if ((keep == KeepCopy::Newest && t > best) || (keep == KeepCopy::Oldest && t < best)) kept = pos;
    }
    for (int pos = g.first; pos <= g.last; ++pos)
      if (pos != kept) out.push_back(pos);
  }
  return out;
}

std::vector<int> rowsToMarkBelow(const GridData& grid, const std::string& folder) {
  std::string base = folder;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  auto below = [&base](const std::string& path) {
    if (base == "/") return true;
    return path.size() > base.size() && path.compare(0, base.size(), base) == 0 && path[base.size()] == '/';
  };
  std::vector<int> out;
  for (const RowRange& g : shadeGroups(grid)) {
    int unmarked = 0;
    for (int pos = g.first; pos <= g.last; ++pos) unmarked += grid.isMarked(pos) ? 0 : 1;
    for (int pos = g.first; pos <= g.last && unmarked > 1; ++pos) {
      if (grid.isMarked(pos) || !below(grid.rowPath(pos))) continue;
      out.push_back(pos);
      --unmarked;
    }
  }
  return out;
}

int groupsFullyMarked(const GridData& grid) {
  int count = 0;
  for (const RowRange& g : shadeGroups(grid)) {
    bool all = true;
    for (int pos = g.first; pos <= g.last && all; ++pos) all = grid.isMarked(pos);
    count += all ? 1 : 0;
  }
  return count;
}

}  // namespace roomvale
