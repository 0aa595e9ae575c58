// The INI files behind the settings store and the window placements.
//
// File format (UTF-8, lines ended by LF; a CR before the LF is ignored):
//   ; comment            (also "#"; only as the first non-blank character of a line)
//   key=value            entries before the first header belong to the section ""
//   [Section]
//   key=value
// Blanks and TABs around a header, a key or a value are not part of it. Texts are escaped
// so that any text survives the round trip:
//   \\  backslash       \n  line feed      \r  carriage return      \t  TAB
//   \xHH  the character U+00HH, written for the other control characters (U+0000..U+001F,
//         U+007F), for a blank at either end of a text, and in section names and keys for
//         "=", "[", "]", ";" and "#".
//   \uHHHH  the UTF-16 unit U+HHHH, written for U+FEFF and for a surrogate without its
//         partner (how the bytes of a path that are not UTF-8 are held, see platform/paths.h).
// Every other character, non-ASCII text included, is written as it is. Section and key
// names are matched without regard to case, as registry names are; the spelling of the
// first writer is kept.
//
// A file holds at most 16 MiB; a write that would make it larger fails, so every text written
// reads back exactly. A damaged file (lines that are not valid UTF-8, hold raw control
// characters or follow no rule above, or a file beyond the limit) is read as far as it can be: damaged lines are
// skipped and the document is marked damaged. Rewriting such a file first keeps the old one beside it as
// "<file>.damaged", so that what could not be parsed is not lost silently.
#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace roomvale {

struct IniEntry {
  QString key;
  QString value;
};

class IniSection {
 public:
  explicit IniSection(QString name = {}) : name_(std::move(name)) {}

  const QString& name() const { return name_; }
  const std::vector<IniEntry>& entries() const { return entries_; }
  // The value of `key`, or nullptr.
  const QString* find(const QString& key) const;
  // Sets `key` (added at the end when new).
  void set(const QString& key, const QString& value);
  bool remove(const QString& key);

 private:
  QString name_;
  std::vector<IniEntry> entries_;
  QHash<QString, std::size_t> index_;  // case-folded key -> position in entries_
};

class IniDocument {
 public:
  // Parses file content; never fails. Damaged lines are skipped and reported by damaged().
  static IniDocument parse(const std::string& content);
  std::string serialize() const;

  const std::vector<IniSection>& sections() const { return sections_; }
  const IniSection* section(const QString& name) const;
  // The section, created at the end when missing.
  IniSection& sectionForWrite(const QString& name);
  // The value of `key` in `section`, or nullptr.
  const QString* find(const QString& section, const QString& key) const;
  void set(const QString& section, const QString& key, const QString& value);

  bool damaged() const { return damaged_; }
  void markDamaged() { damaged_ = true; }

 private:
  std::vector<IniSection> sections_;
  QHash<QString, std::size_t> sectionIndex_;  // case-folded name -> position in sections_
  bool damaged_ = false;
};

// Escaping of one text (see above); `name` selects the stricter rules of section and key
// names.
QString iniEscape(const QString& text, bool name);
QString iniUnescape(QStringView text);

// Reads and parses an INI file; a missing or unreadable file gives an empty document.
IniDocument readIniFile(const std::string& path);

// Read-modify-write of an INI file, serialised between processes by an exclusive lock on
// "<file>.lock" beside it. Missing parent folders are created. `change` edits the document
// and returns false to leave the file untouched. The file is replaced atomically. False when
// the file could not be written; `tooLarge`, when given, tells whether that was because the
// file would have grown beyond what a reader accepts (nothing is written then).
bool updateIniFile(const std::string& path, const std::function<bool(IniDocument&)>& change, bool* tooLarge = nullptr);

}  // namespace roomvale
