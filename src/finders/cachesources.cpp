#include "finders/cachesources.h"

#include <sys/stat.h>

#include <QRegularExpression>
#include <algorithm>
#include <unordered_set>

#include "foundation/inifile.h"
#include "platform/paths.h"

namespace roomvale {

namespace {

bool isFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string home() { return platform::homeFolder(); }

std::vector<std::string> chromium(const char* browser) {
  return chromiumFamilyCaches(platform::joinPath(platform::configRoot(), browser),
                              platform::joinPath(platform::cacheHome(), browser));
}

std::vector<std::string> firefoxFamily() {
  std::vector<std::string> out =
      firefoxFamilyCaches(home() + "/.mozilla/firefox", platform::cacheHome() + "/mozilla/firefox");
  for (std::string& f : firefoxFamilyCaches(home() + "/.librewolf", platform::cacheHome() + "/librewolf"))
    out.push_back(std::move(f));
  return out;
}

std::vector<std::string> mailClient() {
  std::vector<std::string> out;
  for (std::string& f : firefoxFamilyCaches(home() + "/.thunderbird", platform::cacheHome() + "/thunderbird"))
    if (isFolder(f)) out.push_back(std::move(f));
  return out;
}

std::vector<std::string> consult(bool CacheSource::*when) {
  std::vector<std::string> out;
  for (const CacheSource& s : cacheSources()) {
    if (!(s.*when)) continue;
    for (std::string& f : s.folders())
      if (!f.empty()) out.push_back(std::move(f));
  }
  return out;
}

}  // namespace

const std::vector<CacheSource>& cacheSources() {
  static const std::vector<CacheSource> sources = {
      {QStringLiteral("Microsoft Edge"), true, false, [] { return chromium("microsoft-edge"); }},
      {QStringLiteral("Firefox family"), true, true, firefoxFamily},
      {QStringLiteral("Chromium"), true, true, [] { return chromium("chromium"); }},
      {QStringLiteral("Google Chrome"), true, true, [] { return chromium("google-chrome"); }},
      {QStringLiteral("Brave"), true, true, [] { return chromium("BraveSoftware/Brave-Browser"); }},
      {QStringLiteral("Vivaldi"), true, true, [] { return chromium("vivaldi"); }},
      {QStringLiteral("Opera"), true, true, [] { return chromium("opera"); }},
      {QStringLiteral("Mail client"), false, true, mailClient},
  };
  return sources;
}

std::vector<std::string> firstRunCacheFolders() { return consult(&CacheSource::firstRun); }

std::vector<std::string> initializeCacheFolders() { return consult(&CacheSource::initialize); }

std::vector<std::string> firefoxFamilyCaches(const std::string& profilesFolder, const std::string& cacheFolder) {
  std::vector<std::string> out;
  const IniDocument ini = readIniFile(platform::joinPath(profilesFolder, "profiles.ini"));
  static const QRegularExpression profileSection(QStringLiteral("^Profile[0-9]+$"),
                                                 QRegularExpression::CaseInsensitiveOption);
  for (const IniSection& section : ini.sections()) {
    if (!profileSection.match(section.name()).hasMatch()) continue;
    const QString* pathValue = section.find(QStringLiteral("Path"));
    if (!pathValue || pathValue->isEmpty()) continue;
    const std::string path = platform::fromDisplay(*pathValue);
    const QString* relative = section.find(QStringLiteral("IsRelative"));
    const bool isRelative = !relative || relative->trimmed() != QStringLiteral("0");
    std::string profile = isRelative ? platform::joinPath(profilesFolder, path) : path;
    if (!isFolder(profile)) continue;
    // A profile below the browser's folder keeps its cache in the cache home; one
    // elsewhere keeps it inside itself.
    const std::string below = profilesFolder + "/";
    std::string cache;
    if (profile.compare(0, below.size(), below) == 0)
      cache = platform::joinPath(cacheFolder, profile.substr(below.size()));
    else
      cache = profile;
    out.push_back(platform::joinPath(cache, "cache2/entries"));
  }
  return out;
}

std::vector<std::string> chromiumFamilyCaches(const std::string& configFolder, const std::string& cacheFolder) {
  std::vector<std::string> out;
  if (isFile(platform::joinPath(configFolder, "Preferences")))
    out.push_back(platform::joinPath(cacheFolder, "Cache/Cache_Data"));
  std::vector<std::string> profiles;
  platform::DirReader reader;
  if (reader.open(configFolder, "*", platform::kAttrDirectory)) {
    platform::DirEntry e;
    while (reader.next(e))
      if (e.isDirectory() && isFile(platform::joinPath(platform::joinPath(configFolder, e.name), "Preferences")))
        profiles.push_back(e.name);
  }
  std::sort(profiles.begin(), profiles.end());
  for (const std::string& p : profiles)
    out.push_back(platform::joinPath(platform::joinPath(cacheFolder, p), "Cache/Cache_Data"));
  return out;
}

int accessAge(const platform::FileTime& access, const QDate& today) {
  const auto fat = platform::toFatDateTime(access);
  if (!fat) return -1;
  const std::uint32_t date = *fat >> 16;
  const QDate day(1980 + static_cast<int>(date >> 9), static_cast<int>((date >> 5) & 15), static_cast<int>(date & 31));
  if (!day.isValid()) return -1;
  return static_cast<int>(std::abs(day.daysTo(today)));
}

CacheClearList collectCacheFiles(const std::vector<std::string>& folders, int minAge, const QDate& today) {
  CacheClearList list;
  std::unordered_set<std::string> taken;
  for (const std::string& folder : folders) {
    platform::DirReader reader;
    // Every kind of entry; folders are not entered.
    if (!reader.open(folder, "*.*", 0x3F)) continue;
    platform::DirEntry e;
    while (reader.next(e)) {
      if (e.isDirectory()) continue;
      const int age = accessAge(e.accessTime, today);
      if (age < 0 || age < minAge) continue;
      std::string path = platform::joinPath(folder, e.name);
      if (!taken.insert(path).second) continue;
      list.totalBytes += e.size;
      list.paths.push_back(std::move(path));
    }
  }
  return list;
}

}  // namespace roomvale
