#include "scan/grid.h"

#include <sys/stat.h>

#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cstring>

#include "foundation/helpers.h"
#include "platform/paths.h"

namespace roomvale {

namespace {

ProtectionQuery& protectionSlot() {
  static ProtectionQuery query;
  return query;
}

constexpr int kGrowBy = 50;

// FNV-1a over bytes; good enough for paths and cheap.
std::size_t hashBytes(std::size_t h, const char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    h ^= static_cast<unsigned char>(p[i]);
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

void setProtectionQuery(ProtectionQuery query) { protectionSlot() = std::move(query); }

bool isProtectedPath(const std::string& path, bool isFile) {
  const ProtectionQuery& q = protectionSlot();
  return q ? q(path, isFile) : false;
}

std::optional<QDate> fatDate(std::uint32_t packed) {
  const std::uint32_t d = packed >> 16;
  const QDate date(1980 + static_cast<int>(d >> 9), static_cast<int>((d >> 5) & 15), static_cast<int>(d & 31));
  if (!date.isValid()) return std::nullopt;
  return date;
}

QString fatDateText(std::uint32_t packed) {
  if (packed == 0) return {};
  const QDate date = fatDate(packed).value_or(QDate(1980, 1, 1));
  return safeDateToStr(QDateTime(date, QTime(0, 0)));
}

QString longTimeText(const QTime& time) {
  // The long form may carry a time-zone name, which a file time does not need.
  static QString format;
  static QString formatLocale;
  const QLocale locale;
  if (format.isEmpty() || formatLocale != locale.name()) {
    const QString raw = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : raw) {
      if (c == QLatin1Char('\'')) quoted = !quoted;
      if (!quoted && c == QLatin1Char('t')) continue;
      out += c;
    }
    format = out.simplified();
    formatLocale = locale.name();
  }
  return locale.toString(time, format);
}

QString fatTimeText(std::uint32_t packed) {
  if (packed == 0) return {};
  const std::uint32_t t = packed & 0xFFFF;
  const QTime time(static_cast<int>(t >> 11), static_cast<int>((t >> 5) & 63), static_cast<int>(t & 31) * 2);
  if (!time.isValid()) return QStringLiteral("12:00:00");
  return longTimeText(time);
}

QString typeTextOfName(std::string_view name) {
  static QHash<QByteArray, QString> cache;
  const std::size_t dot = name.rfind('.');
  const QByteArray ext = dot == std::string_view::npos
                             ? QByteArray()
                             : QByteArray(name.data() + dot, static_cast<qsizetype>(name.size() - dot));
  auto it = cache.constFind(ext);
  if (it != cache.constEnd()) return *it;
  const QString text = fileTypeDescription(platform::toDisplay(ext.toStdString()));
  cache.insert(ext, text);
  return text;
}

// ---------------------------------------------------------------------------------------

GridData::GridData(GridSpec shape) : spec_(std::move(shape)) {}

QString GridData::headerText(int column) const {
  if (column < 0 || column >= columnCount()) return {};
  return spec_.columns[static_cast<std::size_t>(column)].header;
}

void GridData::setHeaderText(int column, const QString& text) {
  if (column >= 0 && column < columnCount()) spec_.columns[static_cast<std::size_t>(column)].header = text;
}

void GridData::clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  order_.clear();
  order_.shrink_to_fit();
  arena_.clear();
  arena_.shrink_to_fit();
  folders_.clear();
  folderIndex_.clear();
  lastFolder_ = UINT32_MAX;
  texts_.clear();
  markEntries_.clear();
  markSlots_.clear();
  lbDeleted_.clear();
  markedCount_ = 0;
  markedBytes_ = 0;
  rowCount_ = 2;
}

std::uint32_t GridData::folderId(std::string_view folder) {
  // A walk hands over all files of one folder in a row.
  if (lastFolder_ != UINT32_MAX && folders_[lastFolder_] == folder) return lastFolder_;
  std::string key(folder);
  auto it = folderIndex_.find(key);
  if (it == folderIndex_.end()) {
    const auto id = static_cast<std::uint32_t>(folders_.size());
    folders_.push_back(key);
    it = folderIndex_.emplace(std::move(key), id).first;
  }
  lastFolder_ = it->second;
  return lastFolder_;
}

int GridData::addRow(const GridFile& file) {
  if (file.name.size() > UINT16_MAX) return -1;
  if (arena_.size() + file.name.size() > UINT32_MAX || rows_.size() >= INT32_MAX - 2) return -1;
  GridRow row;
  row.size = file.size;
  row.folder = folderId(file.folder);
  row.nameOff = static_cast<std::uint32_t>(arena_.size());
  row.nameLen = static_cast<std::uint16_t>(file.name.size());
  row.writeTime = file.writeTime;
  row.accessTime = file.accessTime;
  row.creationTime = file.creationTime;
  row.count1 = file.count1;
  row.count2 = file.count2;
  arena_.append(file.name);
  const auto id = static_cast<std::uint32_t>(rows_.size());
  rows_.push_back(row);
  order_.push_back(id);
  // Grid row index of the new row is rowsUsed (the header is row 0).
  while (rowCount_ <= rowsUsed()) rowCount_ += kGrowBy;
  return rowsUsed() - 1;
}

void GridData::fixRowCount() { rowCount_ = std::max(rowsUsed() + 1, 2); }

void GridData::removeRow(int pos) {
  if (!isRowUsed(pos)) return;
  if (isMarked(pos)) deleteOneFile(pos);
  order_.erase(order_.begin() + pos);
  // The row count keeps showing the same rows less this one, but never fewer than two.
  rowCount_ = std::max(rowCount_ - 1, 2);
}

int GridData::removeRowsWhere(const std::function<bool(int pos)>& drop) {
  std::vector<std::uint32_t> kept;
  kept.reserve(order_.size());
  for (int pos = 0; pos < rowsUsed(); ++pos) {
    if (!drop(pos)) {
      kept.push_back(order_[static_cast<std::size_t>(pos)]);
      continue;
    }
    if (isMarked(pos)) deleteOneFile(pos);
  }
  const int removed = rowsUsed() - static_cast<int>(kept.size());
  order_.swap(kept);
  rowCount_ = std::max(rowCount_ - removed, 2);
  return removed;
}

std::string GridData::pathOfRow(const GridRow& row) const {
  const std::string& folder = folders_[row.folder];
  std::string path;
  path.reserve(folder.size() + row.nameLen + 1);
  path = folder;
  if (row.nameLen == 0) return path;
  if (path.empty() || path.back() != '/') path += '/';
  path.append(nameOf(row));
  return path;
}

std::string GridData::rowPath(int pos) const {
  if (!isRowUsed(pos)) return {};
  return pathOfRow(rows_[rowIdAt(pos)]);
}

std::string GridData::cellPath(int pos, int column) const {
  if (!isRowUsed(pos) || column < 0 || column >= columnCount()) return {};
  const GridRow& row = rows_[rowIdAt(pos)];
  switch (spec_.columns[static_cast<std::size_t>(column)].field) {
    case CellField::Folder: return folders_[row.folder];
    case CellField::Name: return std::string(nameOf(row));
    default: return pathOfRow(row);
  }
}

const QString* GridData::cellOverride(std::uint32_t id, int column) const {
  if (!(rows_[id].flags & kHasText)) return nullptr;
  auto it = texts_.find(textKey(id, column));
  return it == texts_.end() ? nullptr : &it->second;
}

void GridData::setCellText(int pos, int column, const QString& text) {
  if (!isRowUsed(pos) || column < 0 || column >= columnCount()) return;
  const std::uint32_t id = rowIdAt(pos);
  texts_[textKey(id, column)] = text;
  rows_[id].flags |= kHasText;
}

void GridData::clearCellText(int pos, int column) {
  if (!isRowUsed(pos)) return;
  texts_.erase(textKey(rowIdAt(pos), column));
}

void GridData::setShade(int pos, bool shade) {
  if (!isRowUsed(pos)) return;
  GridRow& row = rows_[rowIdAt(pos)];
  row.flags = shade ? (row.flags | kShade) : (row.flags & ~kShade);
}

void GridData::setLowerCaseShown(int pos, bool lower) {
  if (!isRowUsed(pos)) return;
  GridRow& row = rows_[rowIdAt(pos)];
  row.flags = lower ? (row.flags | kLowerCase) : (row.flags & ~kLowerCase);
}

bool GridData::shade(int pos) const { return isRowUsed(pos) && (rows_[rowIdAt(pos)].flags & kShade); }

QString GridData::cellText(int pos, int column) const {
  if (!isRowUsed(pos) || column < 0 || column >= columnCount()) return {};
  const std::uint32_t id = rowIdAt(pos);
  if (const QString* text = cellOverride(id, column)) return *text;
  const GridRow& row = rows_[id];
  switch (spec_.columns[static_cast<std::size_t>(column)].field) {
    case CellField::Size: return formatThousands(static_cast<std::int64_t>(row.size));
    case CellField::WriteDate: return fatDateText(row.writeTime);
    case CellField::WriteTime: return fatTimeText(row.writeTime);
    case CellField::AccessDate: return fatDateText(row.accessTime);
    case CellField::CreationDate: return fatDateText(row.creationTime);
    case CellField::FullPath: {
      const QString path = platform::toDisplay(pathOfRow(row));
      return (row.flags & kLowerCase) ? path.toLower() : path;
    }
    case CellField::Name: return platform::toDisplay(std::string(nameOf(row)));
    case CellField::Folder: return platform::toDisplay(folders_[row.folder]);
    case CellField::Type: return typeTextOfName(nameOf(row));
    case CellField::Count1: return formatThousands(row.count1);
    case CellField::Count2: return formatThousands(row.count2);
    case CellField::Text: return {};
  }
  return {};
}

void GridData::reorder(int first, const std::vector<std::uint32_t>& ids) {
  std::copy(ids.begin(), ids.end(), order_.begin() + first);
}

// ---------------------------------------------------------------------------------------
// Marks

std::optional<std::uint64_t> GridData::lookupOnDisk(const std::string& path) {
  const auto found = platform::lookUpMarkedFile(path);
  if (!found) return std::nullopt;
  return found->size;
}

bool GridData::isMarked(int pos) const { return isRowUsed(pos) && (rows_[rowIdAt(pos)].flags & kMarked); }

std::size_t GridData::pathHash(std::uint32_t rowId) const {
  const GridRow& row = rows_[rowId];
  std::size_t h = 1469598103934665603ull ^ row.folder;
  h *= 1099511628211ull;
  return hashBytes(h, arena_.data() + row.nameOff, row.nameLen);
}

bool GridData::samePath(std::uint32_t a, std::uint32_t b) const {
  const GridRow& ra = rows_[a];
  const GridRow& rb = rows_[b];
  return ra.folder == rb.folder && ra.nameLen == rb.nameLen &&
         std::memcmp(arena_.data() + ra.nameOff, arena_.data() + rb.nameOff, ra.nameLen) == 0;
}

std::size_t GridData::findSlot(std::uint32_t rowId) const {
  const std::size_t mask = markSlots_.size() - 1;
  std::size_t i = pathHash(rowId) & mask;
  while (markSlots_[i] != kNoEntry && !samePath(markEntries_[markSlots_[i]].listedRow, rowId)) i = (i + 1) & mask;
  return i;
}

void GridData::growMarkTable() {
  std::vector<std::uint32_t> old;
  old.swap(markSlots_);
  markSlots_.assign(std::max<std::size_t>(64, old.size() * 2), kNoEntry);
  for (std::uint32_t e = 0; e < markEntries_.size(); ++e) markSlots_[findSlot(markEntries_[e].listedRow)] = e;
}

void GridData::eraseMarkSlot(std::size_t slot) {
  const std::uint32_t entry = markSlots_[slot];
  // Backward-shift deletion keeps every probe run unbroken without tombstones.
  const std::size_t mask = markSlots_.size() - 1;
  std::size_t hole = slot;
  for (std::size_t j = (hole + 1) & mask; markSlots_[j] != kNoEntry; j = (j + 1) & mask) {
    const std::size_t home = pathHash(markEntries_[markSlots_[j]].listedRow) & mask;
    const bool movable = hole <= j ? (home <= hole || home > j) : (home <= hole && home > j);
    if (movable) {
      markSlots_[hole] = markSlots_[j];
      hole = j;
    }
  }
  markSlots_[hole] = kNoEntry;
  // Keep the entries dense: the last one takes the freed place.
  const auto last = static_cast<std::uint32_t>(markEntries_.size() - 1);
  if (entry != last) {
    markEntries_[entry] = markEntries_[last];
    markSlots_[findSlot(markEntries_[entry].listedRow)] = entry;
  }
  markEntries_.pop_back();
}

bool GridData::deleteOneFile(int pos) {
  if (!isRowUsed(pos)) return false;
  const std::uint32_t id = rowIdAt(pos);
  GridRow& row = rows_[id];
  if (row.flags & kMarked) {
    row.flags &= ~kMarked;
    if (markSlots_.empty()) return false;
    const std::size_t slot = findSlot(id);
    if (markSlots_[slot] == kNoEntry) return false;
    MarkEntry& entry = markEntries_[markSlots_[slot]];
    if (--entry.rows > 0) return false;  // another row still marks the same file
    if (entry.counted) {
      markedCount_ -= 1;
      markedBytes_ -= entry.bytes;
    }
    // The entry listed for this path, exactly: a case-insensitive match could take out
    // another marked file whose name differs only in letter case.
    auto listed = std::find(lbDeleted_.begin(), lbDeleted_.end(), entry.listedRow);
    if (listed != lbDeleted_.end()) lbDeleted_.erase(listed);
    eraseMarkSlot(slot);
    return false;
  }
  row.flags |= kMarked;
  if ((markEntries_.size() + 1) * 2 > markSlots_.size()) growMarkTable();
  const std::size_t slot = findSlot(id);
  if (markSlots_[slot] != kNoEntry) {
    markEntries_[markSlots_[slot]].rows += 1;  // the same file is already marked on another row
    return true;
  }
  MarkEntry entry;
  entry.listedRow = id;
  entry.rows = 1;
  if (const auto found = platform::lookUpMarkedFile(pathOfRow(row))) {
    entry.counted = true;
    entry.bytes = found->size;
    entry.identity = found->identity;
    markedCount_ += 1;
    markedBytes_ += found->size;
  }
  markSlots_[slot] = static_cast<std::uint32_t>(markEntries_.size());
  markEntries_.push_back(entry);
  lbDeleted_.push_back(id);
  return true;
}

void GridData::clearAllMarks() {
  if (!markEntries_.empty()) {
    for (GridRow& row : rows_) row.flags &= ~kMarked;
  }
  markEntries_.clear();
  markSlots_.clear();
  lbDeleted_.clear();
  markedCount_ = 0;
  markedBytes_ = 0;
}

void GridData::markAll() {
  clearAllMarks();
  lbDeleted_.reserve(order_.size());
  markEntries_.reserve(order_.size());
  for (int pos = 0; pos < rowsUsed(); ++pos) deleteOneFile(pos);
}

std::vector<std::string> GridData::lbDeleted() const {
  std::vector<std::string> paths;
  paths.reserve(lbDeleted_.size());
  for (std::uint32_t id : lbDeleted_) paths.push_back(pathOfRow(rows_[id]));
  return paths;
}

std::vector<platform::FileIdentity> GridData::lbDeletedIdentities() const {
  std::vector<platform::FileIdentity> out;
  out.reserve(lbDeleted_.size());
  for (std::uint32_t id : lbDeleted_) {
    const std::size_t slot = findSlot(id);
    out.push_back(markSlots_[slot] == kNoEntry ? platform::FileIdentity{} : markEntries_[markSlots_[slot]].identity);
  }
  return out;
}

QString GridData::markStatusText() const {
  return QStringLiteral("%1 files %2 bytes")
      .arg(markedCount_)
      .arg(formatThousands(static_cast<std::int64_t>(markedBytes_)));
}

}  // namespace roomvale
