// The per-user settings store: INI files below the config root, one per key path,
// sections holding named text values. Every operation opens the file, does one thing and
// closes it; writes replace the file atomically.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace roomvale {

// Key path of the settings store.
QString getRegistryKey();

// The INI file of a key path: config root + key path with "\" as "/" + ".ini" (unless the
// path already ends in ".ini").
std::string iniFileForKey(const QString& keyPath);

// Low-level access to any key path (window placements use their own keys).
QString readIniString(const QString& keyPath, const QString& section, const QString& key, const QString& def);
bool writeIniString(const QString& keyPath, const QString& section, const QString& key, const QString& value);

// The settings store at getRegistryKey().
QString ReadString(const QString& section, const QString& key, const QString& def);
bool WriteString(const QString& section, const QString& key, const QString& value);
int ReadInteger(const QString& section, const QString& key, int def);
bool WriteInteger(const QString& section, const QString& key, int value);
// 64-bit counters stored as decimal text (running totals).
qint64 ReadInt64(const QString& section, const QString& key, qint64 def);
bool WriteInt64(const QString& section, const QString& key, qint64 value);

// List sections: "Number" and "File1".."FileN". Defaults apply only while "Number" is
// missing (or negative). With `withDescriptions`, each entry gets a TAB and the description
// of its extension.
QStringList readListSection(const QString& section, const QStringList& defaults, bool withDescriptions);
// Stores the entries cut at their first TAB.
bool writeListSection(const QString& section, const QStringList& entries);

}  // namespace roomvale
