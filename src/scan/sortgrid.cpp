#include "scan/sortgrid.h"

#include <QLocale>
#include <algorithm>
#include <map>
#include <unordered_map>

#include "foundation/helpers.h"

namespace roomvale {

namespace {

inline unsigned char up(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

// Compares a1+a2 with b1+b2, letters a-z raised, by byte value.
int compareUpper(std::string_view a1, std::string_view a2, std::string_view b1, std::string_view b2) {
  std::size_t i = 0, j = 0;
  const std::size_t na = a1.size() + a2.size(), nb = b1.size() + b2.size();
  while (i < na && j < nb) {
    const unsigned char ca = up(static_cast<unsigned char>(i < a1.size() ? a1[i] : a2[i - a1.size()]));
    const unsigned char cb = up(static_cast<unsigned char>(j < b1.size() ? b1[j] : b2[j - b1.size()]));
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < na) return 1;
  if (j < nb) return -1;
  return 0;
}

int compareUpper(std::string_view a, std::string_view b) { return compareUpper(a, {}, b, {}); }

std::string upperCopy(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(up(static_cast<unsigned char>(c)));
  return out;
}

bool anyOverride(const GridData& grid, int first, int last, int column) {
  for (int pos = first; pos <= last; ++pos)
    if (grid.cellOverride(grid.rowIdAt(pos), column)) return true;
  return false;
}

template <typename Key>
struct Keyed {
  Key key;
  std::uint32_t id;
};

// Sorts entries by key (stable) and writes the ids back as the new order of first..last.
template <typename Key, typename Less>
void applyOrder(GridData& grid, int first, std::vector<Keyed<Key>>& entries, bool descending, Less less) {
  if (descending) {
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const Keyed<Key>& a, const Keyed<Key>& b) { return less(b, a); });
  } else {
    std::stable_sort(entries.begin(), entries.end(), less);
  }
  std::vector<std::uint32_t> ids;
  ids.reserve(entries.size());
  for (const auto& e : entries) ids.push_back(e.id);
  grid.reorder(first, ids);
}

template <typename Key>
void sortByKey(GridData& grid, int first, int last, bool descending, auto keyOf) {
  std::vector<Keyed<Key>> entries;
  entries.reserve(static_cast<std::size_t>(last - first) + 1);
  for (int pos = first; pos <= last; ++pos) {
    const std::uint32_t id = grid.rowIdAt(pos);
    entries.push_back({keyOf(pos, id), id});
  }
  applyOrder(grid, first, entries, descending, [](const Keyed<Key>& a, const Keyed<Key>& b) { return a.key < b.key; });
}

// Ranks of the folders by their text with a-z raised. `slash` appends "/" to folders that
// do not end in one (the folder part of a full path).
struct FolderRanks {
  std::vector<std::uint32_t> rankOf;     // folder id -> rank
  std::vector<std::string> upperText;    // rank -> text
  std::vector<std::uint32_t> prefixEnd;  // rank -> last rank whose text starts with this one
};

FolderRanks rankFolders(const GridData& grid, bool slash) {
  FolderRanks r;
  const std::size_t n = grid.folderCount();
  std::vector<std::string> texts(n);
  for (std::size_t f = 0; f < n; ++f) {
    texts[f] = upperCopy(grid.folderText(static_cast<std::uint32_t>(f)));
    if (slash && (texts[f].empty() || texts[f].back() != '/')) texts[f] += '/';
  }
  std::vector<std::uint32_t> ids(n);
  for (std::size_t f = 0; f < n; ++f) ids[f] = static_cast<std::uint32_t>(f);
  std::stable_sort(ids.begin(), ids.end(), [&](std::uint32_t a, std::uint32_t b) { return texts[a] < texts[b]; });
  r.rankOf.resize(n);
  r.upperText.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    r.rankOf[ids[i]] = static_cast<std::uint32_t>(i);
    r.upperText[i] = std::move(texts[ids[i]]);
  }
  // Texts that start with a given text follow it directly in sorted order.
  r.prefixEnd.assign(n, 0);
  std::vector<std::uint32_t> open;
  for (std::uint32_t i = 0; i < n; ++i) {
    while (!open.empty() && !r.upperText[i].starts_with(r.upperText[open.back()])) {
      r.prefixEnd[open.back()] = i - 1;
      open.pop_back();
    }
    open.push_back(i);
  }
  for (std::uint32_t i : open) r.prefixEnd[i] = static_cast<std::uint32_t>(n - 1);
  return r;
}

// The first eight bytes of a name, letters raised, as a number that orders like the bytes
// (names hold no NUL, so the zero padding of a short name sorts first, as it should).
std::uint64_t namePrefix(std::string_view name) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < 8; ++i)
    key = (key << 8) | (i < name.size() ? up(static_cast<unsigned char>(name[i])) : 0u);
  return key;
}

struct PathKey {
  std::uint32_t rank;
  std::uint64_t prefix;
};

void sortByFullPath(GridData& grid, int first, int last, bool descending) {
  const FolderRanks ranks = rankFolders(grid, true);
  std::vector<Keyed<PathKey>> entries;
  entries.reserve(static_cast<std::size_t>(last - first) + 1);
  for (int pos = first; pos <= last; ++pos) {
    const std::uint32_t id = grid.rowIdAt(pos);
    const GridRow& row = grid.rowById(id);
    entries.push_back({{ranks.rankOf[row.folder], namePrefix(grid.nameOf(row))}, id});
  }
  auto less = [&](const Keyed<PathKey>& a, const Keyed<PathKey>& b) {
    if (a.key.rank == b.key.rank) {
      if (a.key.prefix != b.key.prefix) return a.key.prefix < b.key.prefix;
      return compareUpper(grid.nameOf(grid.rowById(a.id)), grid.nameOf(grid.rowById(b.id))) < 0;
    }
    if (a.key.rank < b.key.rank) {
      // Folder texts differ before either ends: the folders decide.
      if (b.key.rank > ranks.prefixEnd[a.key.rank]) return true;
      const std::string& fa = ranks.upperText[a.key.rank];
      const std::string_view restB = std::string_view(ranks.upperText[b.key.rank]).substr(fa.size());
      return compareUpper(grid.nameOf(grid.rowById(a.id)), {}, restB, grid.nameOf(grid.rowById(b.id))) < 0;
    }
    if (a.key.rank > ranks.prefixEnd[b.key.rank]) return false;
    const std::string& fb = ranks.upperText[b.key.rank];
    const std::string_view restA = std::string_view(ranks.upperText[a.key.rank]).substr(fb.size());
    return compareUpper(restA, grid.nameOf(grid.rowById(a.id)), grid.nameOf(grid.rowById(b.id)), {}) < 0;
  };
  applyOrder(grid, first, entries, descending, less);
}

void sortByName(GridData& grid, int first, int last, bool descending) {
  std::vector<Keyed<std::uint64_t>> entries;
  entries.reserve(static_cast<std::size_t>(last - first) + 1);
  for (int pos = first; pos <= last; ++pos) {
    const std::uint32_t id = grid.rowIdAt(pos);
    entries.push_back({namePrefix(grid.nameOf(grid.rowById(id))), id});
  }
  applyOrder(grid, first, entries, descending, [&](const Keyed<std::uint64_t>& a, const Keyed<std::uint64_t>& b) {
    if (a.key != b.key) return a.key < b.key;
    return compareUpper(grid.nameOf(grid.rowById(a.id)), grid.nameOf(grid.rowById(b.id))) < 0;
  });
}

void sortByFolder(GridData& grid, int first, int last, bool descending) {
  const FolderRanks ranks = rankFolders(grid, false);
  sortByKey<std::uint32_t>(grid, first, last, descending,
                           [&](int, std::uint32_t id) { return ranks.rankOf[grid.rowById(id).folder]; });
}

void sortByType(GridData& grid, int first, int last, bool descending) {
  // Few distinct extensions: rank their descriptions once.
  std::unordered_map<std::string, QString> descriptionOf;
  auto extOf = [](std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
  };
  for (int pos = first; pos <= last; ++pos) {
    const std::string_view name = grid.nameOf(grid.rowById(grid.rowIdAt(pos)));
    std::string ext = extOf(name);
    if (!descriptionOf.count(ext)) descriptionOf.emplace(std::move(ext), typeTextOfName(name));
  }
  std::vector<QString> distinct;
  for (const auto& [ext, text] : descriptionOf) distinct.push_back(text);
  std::sort(distinct.begin(), distinct.end(),
            [](const QString& a, const QString& b) { return compareTextKeys(a, b) < 0; });
  std::unordered_map<std::string, std::uint32_t> rankOfExt;
  for (const auto& [ext, text] : descriptionOf) {
    auto it = std::lower_bound(distinct.begin(), distinct.end(), text,
                               [](const QString& a, const QString& b) { return compareTextKeys(a, b) < 0; });
    rankOfExt.emplace(ext, static_cast<std::uint32_t>(it - distinct.begin()));
  }
  sortByKey<std::uint32_t>(grid, first, last, descending,
                           [&](int, std::uint32_t id) { return rankOfExt.at(extOf(grid.nameOf(grid.rowById(id)))); });
}

void sortByCellTexts(GridData& grid, int first, int last, bool descending, int column) {
  std::vector<Keyed<QString>> entries;
  entries.reserve(static_cast<std::size_t>(last - first) + 1);
  for (int pos = first; pos <= last; ++pos) entries.push_back({grid.cellText(pos, column), grid.rowIdAt(pos)});
  applyOrder(grid, first, entries, descending,
             [](const Keyed<QString>& a, const Keyed<QString>& b) { return compareTextKeys(a.key, b.key) < 0; });
}

qint64 dayOfPacked(std::uint32_t packed) {
  if (packed == 0) return QDate(1900, 1, 1).toJulianDay();
  return fatDate(packed).value_or(QDate(1980, 1, 1)).toJulianDay();
}

bool validRange(const GridData& grid, int& first, int& last, int column) {
  first = std::max(first, 0);
  last = std::min(last, grid.rowsUsed() - 1);
  return first < last && column >= 0 && column < grid.columnCount();
}

CellField fieldOf(const GridData& grid, int column) {
  return grid.shape().columns[static_cast<std::size_t>(column)].field;
}

}  // namespace

int compareTextKeys(QStringView a, QStringView b) {
  const qsizetype n = std::min(a.size(), b.size());
  for (qsizetype i = 0; i < n; ++i) {
    char16_t ca = a[i].unicode(), cb = b[i].unicode();
    if (ca >= u'a' && ca <= u'z') ca = static_cast<char16_t>(ca - 32);
    if (cb >= u'a' && cb <= u'z') cb = static_cast<char16_t>(cb - 32);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

double numberKeyOfText(const QString& text) {
  const QLocale locale;
  const QString decimal = locale.decimalPoint();
  QString kept;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i].isDigit() && text[i].unicode() < 128) {
      kept += text[i];
    } else if (text.mid(i, decimal.size()) == decimal) {
      kept += QLatin1Char('.');
      i += decimal.size() - 1;
    }
  }
  bool ok = false;
  const double value = kept.toDouble(&ok);
  return ok ? value : 0.0;
}

qint64 dateKeyOfText(const QString& text) {
  const QDate date = QLocale().toDate(text.trimmed(), shortDateFormat());
  return (date.isValid() ? date : QDate(1900, 1, 1)).toJulianDay();
}

void sortGridByNumber(GridData& grid, int first, int last, bool descending, int column) {
  if (!validRange(grid, first, last, column)) return;
  const CellField field = fieldOf(grid, column);
  const bool stored = !anyOverride(grid, first, last, column) &&
                      (field == CellField::Size || field == CellField::Count1 || field == CellField::Count2);
  sortByKey<double>(grid, first, last, descending, [&](int pos, std::uint32_t id) -> double {
    if (!stored) return numberKeyOfText(grid.cellText(pos, column));
    const GridRow& row = grid.rowById(id);
    if (field == CellField::Size) return static_cast<double>(row.size);
    return field == CellField::Count1 ? row.count1 : row.count2;
  });
}

void sortGridByDate(GridData& grid, int first, int last, bool descending, int column) {
  if (!validRange(grid, first, last, column)) return;
  const CellField field = fieldOf(grid, column);
  const bool stored =
      !anyOverride(grid, first, last, column) &&
      (field == CellField::WriteDate || field == CellField::AccessDate || field == CellField::CreationDate);
  sortByKey<qint64>(grid, first, last, descending, [&](int pos, std::uint32_t id) -> qint64 {
    if (!stored) return dateKeyOfText(grid.cellText(pos, column));
    const GridRow& row = grid.rowById(id);
    if (field == CellField::WriteDate) return dayOfPacked(row.writeTime);
    return dayOfPacked(field == CellField::AccessDate ? row.accessTime : row.creationTime);
  });
}

void sortGridByText(GridData& grid, int first, int last, bool descending, int column) {
  if (!validRange(grid, first, last, column)) return;
  const CellField field = fieldOf(grid, column);
  if (anyOverride(grid, first, last, column)) return sortByCellTexts(grid, first, last, descending, column);
  switch (field) {
    case CellField::FullPath: {
      for (int pos = first; pos <= last; ++pos)
        if (grid.rowById(grid.rowIdAt(pos)).nameLen == 0) return sortByCellTexts(grid, first, last, descending, column);
      return sortByFullPath(grid, first, last, descending);
    }
    case CellField::Name: return sortByName(grid, first, last, descending);
    case CellField::Folder: return sortByFolder(grid, first, last, descending);
    case CellField::Type: return sortByType(grid, first, last, descending);
    default: return sortByCellTexts(grid, first, last, descending, column);
  }
}

void sortGrid(GridData& grid, SortKind kind, int first, int last, bool descending, int column) {
  switch (kind) {
    case SortKind::Text: return sortGridByText(grid, first, last, descending, column);
    case SortKind::Number: return sortGridByNumber(grid, first, last, descending, column);
    case SortKind::Date: return sortGridByDate(grid, first, last, descending, column);
  }
}

std::vector<bool>& sortDirections(const GridSpec& shape) {
  static std::map<QString, std::vector<bool>> flags;
  auto it = flags.find(shape.kind);
  if (it == flags.end() || it->second.size() != shape.sortItems.size()) {
    std::vector<bool> initial;
    for (const GridSortItem& item : shape.sortItems) initial.push_back(item.firstDescending);
    it = flags.insert_or_assign(shape.kind, std::move(initial)).first;
  }
  return it->second;
}

}  // namespace roomvale
