// The temporary-file patterns of the quick clean: the built-in lists, the stored list
// (settings section "TempFiles") and the test that decides whether a file is temporary.
#pragma once

#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

namespace roomvale {

inline const QString kTempFilesSection = QStringLiteral("TempFiles");

// The quick clean's list when "TempFiles" was never saved.
QStringList quickCleanDefaultPatterns();
// The editor's list when "TempFiles" was never saved.
QStringList tempEditorDefaultPatterns();
// What the editor's Defaults button offers (each added once).
QStringList tempDefaultsButtonPatterns();

// Reads "TempFiles" as pattern lines (pattern, TAB, description); `defaults` apply only while
// the list was never saved. A list saved empty stays empty.
QStringList readTempFileLines(const QStringList& defaults);
// Stores the lines' patterns (everything from the TAB on is dropped).
bool writeTempFileLines(const QStringList& lines);

// The matching key of a pattern line: its characters from the second up to the TAB, in lower
// case ("*.tmp" -> ".tmp").
QString matchingKey(const QString& line);

// Decides, for the selected pattern lines, whether a file name is temporary: its extension
// (from the last "." on, lower case; none without a dot) must equal a line's key. A key with
// "*" or "?" after its dot is matched as a wildcard over the extension ("*.~*" finds
// "x.~doc"), except a key that would take every extension (".*").
class TempMatcher {
 public:
  explicit TempMatcher(const QStringList& selectedLines);
  bool isTemporary(std::string_view fileName) const;
  bool empty() const { return exact_.empty() && wild_.empty(); }

 private:
  std::vector<std::string> exact_;
  std::vector<std::string> wild_;
};

}  // namespace roomvale
