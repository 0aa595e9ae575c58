#include "finders/temppatterns.h"

#include <algorithm>

#include "foundation/settings.h"
#include "platform/direnum.h"

namespace roomvale {

QStringList quickCleanDefaultPatterns() {
  return {"*.bak", "*.chk", "*.da0", "*.db$", "*.ftg", "*.fts", "*.gid",
          "*.old", "*.tmp", "*.$$$", "*.---", "*.~mp", "*.~*"};
}

QStringList tempEditorDefaultPatterns() { return {"*.tmp", "*.fts", "*.bak", "*.$$$"}; }

QStringList tempDefaultsButtonPatterns() {
  return {"*.bak", "*.chk", "*.tmp", "*.temp", "*.fts", "*.old", "*.$$$", "*.---",
          "*.~mp", "*.old", "*.~*",  "*.gid",  "*.ftg", "*.da0", "*.db$"};
}

QStringList readTempFileLines(const QStringList& defaults) {
  return readListSection(kTempFilesSection, defaults, true);
}

bool writeTempFileLines(const QStringList& lines) { return writeListSection(kTempFilesSection, lines); }

QString matchingKey(const QString& line) {
  const qsizetype tab = line.indexOf(QLatin1Char('\t'));
  const QString pattern = tab < 0 ? line : line.left(tab);
  return pattern.mid(1).toLower();
}

namespace {
std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}
}  // namespace

TempMatcher::TempMatcher(const QStringList& selectedLines) {
  for (const QString& line : selectedLines) {
    const std::string key = lowerAscii(matchingKey(line).toStdString());
    if (key.empty()) continue;
    const bool wildcard = key.find_first_of("*?") != std::string::npos;
    if (!wildcard) {
      exact_.push_back(key);
    } else if (key.size() > 1 && key[0] == '.' && key.find_first_not_of('*', 1) != std::string::npos) {
      // ".*" alone would make every file with an extension temporary.
      wild_.push_back(key);
    }
  }
}

bool TempMatcher::isTemporary(std::string_view fileName) const {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string ext = lowerAscii(fileName.substr(dot));
  if (std::find(exact_.begin(), exact_.end(), ext) != exact_.end()) return true;
  for (const std::string& key : wild_)
    if (platform::matchesPattern(ext, key)) return true;
  return false;
}

}  // namespace roomvale
