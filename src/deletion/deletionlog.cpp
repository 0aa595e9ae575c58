#include "deletion/deletionlog.h"

#include <sys/stat.h>

#include <QByteArray>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <string_view>

#include "foundation/clock.h"
#include "foundation/prompts.h"
#include "platform/paths.h"

namespace roomvale {

const std::array<const char*, kLogColumns> kLogTitles = {"Date/Time",     "# Deleted", "Size Deleted", "# Recycled",
                                                         "Size Recycled", "# Zipped",  "Size Zipped"};
const std::array<int, kLogColumns> kLogWidths = {127, 49, 93, 49, 95, 53, 90};

namespace {

// Bounds beyond which a log file cannot be ours: a grid that size would only exhaust memory.
constexpr int kMaxColumns = 256;
constexpr std::int64_t kMaxCells = 4'000'000;
constexpr std::int64_t kMaxFileBytes = 128LL * 1024 * 1024;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A whole decimal number, surrounding blanks allowed.
bool parseInt(std::string_view s, std::int64_t& out) {
  s = trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

QString decodeCell(std::string_view raw) {
  QString text = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
  text.replace(QChar('\t'), QChar('\r'));
  text.replace(QChar('\b'), QChar('\n'));
  return text;
}

std::string encodeCell(const QString& cell) {
  QString text = cell;
  text.replace(QChar('\r'), QChar('\t'));
  text.replace(QChar('\n'), QChar('\b'));
  return text.toUtf8().toStdString();
}

}  // namespace

DeletionLog::DeletionLog() { makeFresh(); }

QString DeletionLog::cell(int col, int row) const {
  if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) return {};
  return cells_[row][col];
}

void DeletionLog::setCell(int col, int row, const QString& text) {
  if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) return;
  cells_[row][col] = text;
}

int DeletionLog::columnWidth(int col) const {
  if (col < 0 || col >= columnCount()) return 0;
  return widths_[col];
}

void DeletionLog::setColumnWidth(int col, int width) {
  if (col < 0 || col >= columnCount() || width < 0) return;
  widths_[col] = width;
}

void DeletionLog::resize(int cols, int rows) {
  widths_.resize(cols, 64);
  cells_.resize(rows);
  for (auto& row : cells_) row.resize(cols);
}

void DeletionLog::makeFresh() {
  cells_.clear();
  widths_.clear();
  resize(kLogColumns, 3);
  for (int c = 0; c < kLogColumns; ++c) {
    cells_[0][c] = QString::fromLatin1(kLogTitles[c]);
    widths_[c] = kLogWidths[c];
  }
}

QString DeletionLog::stampText(const QDateTime& when) { return when.toString(QStringLiteral("yyyy-MM-dd hh:mm")); }

int DeletionLog::addEntry(const QDateTime& when, const LogAmounts& amounts) {
  if (rowCount() < 1) resize(columnCount(), 1);
  int row = 1;
  while (row < rowCount() && !cells_[row][0].isEmpty()) ++row;
  if (row >= rowCount()) {
    // Full: the newest entry goes on top, right under the titles.
    cells_.insert(cells_.begin() + 1, std::vector<QString>(columnCount()));
    row = 1;
  }
  setCell(0, row, stampText(when));
  for (int i = 0; i < 6; ++i) setCell(i + 1, row, QString::number(amounts[i]));
  return row;
}

void DeletionLog::clearEntries() {
  if (rowCount() < 1) resize(columnCount(), 1);
  cells_.resize(2);
  cells_[1].assign(columnCount(), QString());
}

std::string DeletionLog::toFileText() const {
  std::string out;
  out += std::to_string(columnCount()) + "," + std::to_string(rowCount()) + "\r\n";
  for (int c = 0; c < columnCount(); ++c) out += "cw " + std::to_string(c) + "," + std::to_string(widths_[c]) + "\r\n";
  for (int r = 0; r < rowCount(); ++r) {
    for (int c = 0; c < columnCount(); ++c) {
      const QString& text = cells_[r][c];
      if (text.isEmpty()) continue;
      out += std::to_string(c) + "," + std::to_string(r) + "," + encodeCell(text) + "\r\n";
    }
  }
  return out;
}

bool DeletionLog::fromFileText(const std::string& text) {
  std::string_view rest(text);
  auto nextLine = [&rest](std::string_view& line) {
    if (rest.empty()) return false;
    const size_t nl = rest.find('\n');
    line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  };

  std::string_view line;
  if (!nextLine(line)) return false;
  const size_t comma = line.find(',');
  if (comma == std::string_view::npos) return false;
  std::int64_t cols = 0, rows = 0;
  if (!parseInt(line.substr(0, comma), cols) || !parseInt(line.substr(comma + 1), rows)) return false;
  // Each count is bounded before they are multiplied, so the product cannot wrap.
  if (cols <= 0 || rows <= 0 || cols > kMaxColumns || rows > kMaxCells || rows > kMaxCells / cols) return false;

  DeletionLog log;
  log.cells_.clear();
  log.widths_.clear();
  log.resize(static_cast<int>(cols), static_cast<int>(rows));
  // Columns beyond the usual seven keep a plain width unless the file gives one.
  for (int c = 0; c < log.columnCount() && c < kLogColumns; ++c) log.widths_[c] = kLogWidths[c];

  while (nextLine(line)) {
    if (line.substr(0, 2) == "cw") {
      const size_t wc = line.find(',');
      std::int64_t col = 0, width = 0;
      if (wc != std::string_view::npos && parseInt(line.substr(2, wc - 2), col) &&
          parseInt(line.substr(wc + 1), width) && col >= 0 && col < cols && width >= 0 && width <= 100000)
        log.widths_[col] = static_cast<int>(width);
      continue;
    }
    const size_t c1 = line.find(',');
    if (c1 == std::string_view::npos) continue;
    const size_t c2 = line.find(',', c1 + 1);
    if (c2 == std::string_view::npos) continue;
    std::int64_t col = 0, row = 0;
    if (!parseInt(line.substr(0, c1), col) || !parseInt(line.substr(c1 + 1, c2 - c1 - 1), row)) continue;
    if (col < 0 || col >= cols || row < 0 || row >= rows) continue;
    log.cells_[row][col] = decodeCell(line.substr(c2 + 1));
  }
  *this = std::move(log);
  return true;
}

// ---- The log of the running program ----

namespace {

struct ProgramLog {
  DeletionLog log;
  bool loaded = false;
  int nextListenerId = 1;
  std::map<int, std::function<void()>> listeners;
};

ProgramLog& programLog() {
  static ProgramLog instance;
  return instance;
}

void notifyListeners() {
  // A listener may remove itself (a view being destroyed): walk a copy.
  const auto listeners = programLog().listeners;
  for (const auto& [id, fn] : listeners)
    if (fn) fn();
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

enum class ReadResult { Missing, Read, Failed };

ReadResult readWholeFile(const std::string& path, std::string& out) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return pathExists(path) ? ReadResult::Failed : ReadResult::Missing;
  if (!S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes) return ReadResult::Failed;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ReadResult::Failed;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.bad() ? ReadResult::Failed : ReadResult::Read;
}

}  // namespace

std::string deletionLogPath() { return platform::joinPath(platform::userDataFolder(), "grdelete.txt"); }

std::string damagedLogName(const std::string& path, const QDateTime& when) {
  const std::string base = path + ".damaged-" + when.toString(QStringLiteral("yyyyMMdd-hhmmss")).toStdString();
  std::string name = base;
  for (int n = 2; pathExists(name); ++n) name = base + "-" + std::to_string(n);
  return name;
}

LogLoad loadDeletionLog() {
  ProgramLog& p = programLog();
  p.loaded = true;
  const std::string path = deletionLogPath();
  std::string text;
  LogLoad result = LogLoad::Missing;
  switch (readWholeFile(path, text)) {
    case ReadResult::Missing: p.log.makeFresh(); break;
    case ReadResult::Read:
      if (p.log.fromFileText(text)) {
        result = LogLoad::Loaded;
        break;
      }
      [[fallthrough]];
    case ReadResult::Failed:
      result = LogLoad::Damaged;
      p.log.makeFresh();
      // Keep the damaged file for the user rather than overwrite it with the next entry.
      std::rename(path.c_str(), damagedLogName(path, now()).c_str());
      showError(QStringLiteral("File contains no data or corrupt file ") + platform::toDisplay(path));
      break;
  }
  notifyListeners();
  return result;
}

DeletionLog& deletionLog() {
  if (!programLog().loaded) loadDeletionLog();
  return programLog().log;
}

bool saveDeletionLog() {
  platform::ensureUserDataFolder();
  const std::string path = deletionLogPath();
  if (platform::writeFileAtomically(path, deletionLog().toFileText())) return true;
  showError(QStringLiteral("Couldn't save the deletion log ") + platform::toDisplay(path));
  return false;
}

void addToDeleteGrid(std::int64_t filesDeleted, std::int64_t bytesDeleted, std::int64_t filesRecycled,
                     std::int64_t bytesRecycled, std::int64_t filesZipped, std::int64_t bytesZipped) {
  deletionLog().addEntry(now(), {filesDeleted, bytesDeleted, filesRecycled, bytesRecycled, filesZipped, bytesZipped});
  saveDeletionLog();
  notifyListeners();
}

void clearDeletionLog() {
  deletionLog().clearEntries();
  saveDeletionLog();
  notifyListeners();
}

int addLogListener(std::function<void()> fn) {
  ProgramLog& p = programLog();
  const int id = p.nextListenerId++;
  p.listeners.emplace(id, std::move(fn));
  return id;
}

void removeLogListener(int id) { programLog().listeners.erase(id); }

}  // namespace roomvale
