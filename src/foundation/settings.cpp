#include "foundation/settings.h"

#include <QFile>
#include <algorithm>
#include <utility>
#include <vector>

#include "foundation/helpers.h"
#include "foundation/inifile.h"
#include "foundation/prompts.h"
#include "platform/paths.h"

namespace roomvale {

namespace {

const QString kNumber = QStringLiteral("Number");

std::string storeFile() { return iniFileForKey(getRegistryKey()); }

// The list index of a key "File<n>" (n in decimal without leading zeros, at least 1); 0 for
// any other key.
int listIndexOf(const QString& key) {
  if (key.size() < 5 || !key.startsWith(QLatin1String("File"), Qt::CaseInsensitive) || key[4] == u'0') return 0;
  std::int64_t n = 0;
  for (qsizetype i = 4; i < key.size(); ++i) {
    if (!isDigit(key[i])) return 0;
    n = n * 10 + (key[i].unicode() - u'0');
    if (n > 0x7FFFFFFF) return 0;
  }
  return static_cast<int>(n);
}

QString cutAtTab(const QString& entry) {
  const qsizetype tab = entry.indexOf(u'\t');
  return tab < 0 ? entry : entry.left(tab);
}

}  // namespace

QString getRegistryKey() { return QStringLiteral("Software\\Fernholt Corporation\\Roomvale\\3.0"); }

std::string iniFileForKey(const QString& keyPath) {
  // "." and ".." are dropped so that a key path can never lead outside the config root.
  QStringList parts;
  for (const QString& part : QString(keyPath).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts)) {
    if (part == QLatin1String(".") || part == QLatin1String("..")) continue;
    parts << part;
  }
  if (parts.isEmpty()) return {};
  QString rel = parts.join(u'/');
  if (!rel.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive)) rel += QLatin1String(".ini");
  return platform::configRoot() + '/' + QFile::encodeName(rel).toStdString();
}

QString readIniString(const QString& keyPath, const QString& section, const QString& key, const QString& def) {
  const IniDocument doc = readIniFile(iniFileForKey(keyPath));
  const QString* value = doc.find(section, key);
  return value ? *value : def;
}

bool writeIniString(const QString& keyPath, const QString& section, const QString& key, const QString& value) {
  bool tooLarge = false;
  const std::string file = iniFileForKey(keyPath);
  const bool written = updateIniFile(
      file,
      [&](IniDocument& doc) {
        doc.set(section, key, value);
        return true;
      },
      &tooLarge);
  if (tooLarge)
    showError(QStringLiteral("Couldn't save the setting %1 of [%2]: the text is too long for the settings file %3")
                  .arg(key, section, platform::toDisplay(file)));
  return written;
}

QString ReadString(const QString& section, const QString& key, const QString& def) {
  return readIniString(getRegistryKey(), section, key, def);
}

bool WriteString(const QString& section, const QString& key, const QString& value) {
  return writeIniString(getRegistryKey(), section, key, value);
}

int ReadInteger(const QString& section, const QString& key, int def) {
  const IniDocument doc = readIniFile(storeFile());
  const QString* value = doc.find(section, key);
  return value ? parseInt32(*value).value_or(def) : def;
}

bool WriteInteger(const QString& section, const QString& key, int value) {
  return WriteString(section, key, QString::number(value));
}

qint64 ReadInt64(const QString& section, const QString& key, qint64 def) {
  const IniDocument doc = readIniFile(storeFile());
  const QString* value = doc.find(section, key);
  return value ? parseInt64(*value).value_or(def) : def;
}

bool WriteInt64(const QString& section, const QString& key, qint64 value) {
  return WriteString(section, key, QString::number(value));
}

bool updateSettings(const std::function<bool(IniDocument&)>& change) { return updateIniFile(storeFile(), change); }

QStringList readListSection(const QString& section, const QStringList& defaults, bool withDescriptions) {
  const IniDocument doc = readIniFile(storeFile());
  const IniSection* s = doc.section(section);
  int count = -1;
  if (s) {
    if (const QString* number = s->find(kNumber)) count = parseInt32(*number).value_or(-1);
  }

  QStringList entries;
  if (count < 0) {
    entries = defaults;
  } else {
    // Only the keys present are looked at, so a damaged "Number" of two billion costs nothing.
    std::vector<std::pair<int, QString>> found;
    for (const IniEntry& e : s->entries()) {
      const int index = listIndexOf(e.key);
      if (index >= 1 && index <= count && !e.value.isEmpty()) found.emplace_back(index, e.value);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [index, value] : found) entries << std::move(value);
  }
  if (withDescriptions) {
    for (QString& entry : entries) entry = typeListEntry(cutAtTab(entry));
  }
  return entries;
}

bool writeListSection(const QString& section, const QStringList& entries) {
  return updateIniFile(storeFile(), [&](IniDocument& doc) {
    IniSection& s = doc.sectionForWrite(section);
    s.set(kNumber, QString::number(entries.size()));
    // Keys above the new count stay behind; "Number" bounds every reader.
    for (qsizetype i = 0; i < entries.size(); ++i)
      s.set(QStringLiteral("File") + QString::number(i + 1), cutAtTab(entries[i]));
    return true;
  });
}

}  // namespace roomvale
