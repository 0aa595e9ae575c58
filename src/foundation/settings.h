// The per-user settings store: INI files below the config root, one per key path,
// sections holding named text values (file format and escaping: inifile.h). Every operation
// opens the file, does one thing and closes it; writes replace the file atomically under a
// lock shared with other running copies, so concurrent writers lose nothing but the older
// value of a key both wrote. Section and key names are matched without regard to case.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

namespace roomvale {

class IniDocument;

// Key path of the settings store.
QString getRegistryKey();

// The INI file of a key path: config root + key path with "\" as "/" + ".ini" (unless the
// path already ends in ".ini"). Empty, "." and ".." parts are dropped; "" for an empty path.
std::string iniFileForKey(const QString& keyPath);

// Low-level access to any key path (window placements use their own keys). Writes return
// false when the file could not be written; a text too long for the file is also reported
// in an error box.
QString readIniString(const QString& keyPath, const QString& section, const QString& key, const QString& def);
bool writeIniString(const QString& keyPath, const QString& section, const QString& key, const QString& value);

// The settings store at getRegistryKey().
QString ReadString(const QString& section, const QString& key, const QString& def);
bool WriteString(const QString& section, const QString& key, const QString& value);
// Decimal text, or "0x" followed by hexadecimal digits; anything else gives `def`.
int ReadInteger(const QString& section, const QString& key, int def);
bool WriteInteger(const QString& section, const QString& key, int value);
// 64-bit counters stored as decimal text (running totals).
qint64 ReadInt64(const QString& section, const QString& key, qint64 def);
bool WriteInt64(const QString& section, const QString& key, qint64 value);

// One locked read-modify-write of the settings store, for changes that must not interleave
// with another running copy (adding to running totals). `change` returns false to write
// nothing.
bool updateSettings(const std::function<bool(IniDocument&)>& change);

// List sections: "Number" and "File1".."FileN". Defaults apply only while "Number" is
// missing (or negative); "Number" 0 is an empty list. Empty entries are skipped. With
// `withDescriptions`, each entry (the defaults too) becomes its display form: the pattern, a
// TAB and the description of its extension.
QStringList readListSection(const QString& section, const QStringList& defaults, bool withDescriptions);
// Stores "Number" and the entries cut at their first TAB; entries of a longer earlier list
// stay behind unread.
bool writeListSection(const QString& section, const QStringList& entries);

}  // namespace roomvale
