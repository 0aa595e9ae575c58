// Where web browsers keep their caches, and which cache files are old enough to clear.
//
// The sources are consulted in a fixed order; each one says whether the first run (no
// stored list yet) and the Initialize button consult it:
//
//   #  source                                   first run  Initialize
//   1  Microsoft Edge (Chromium family)         yes        no
//   2  Firefox and LibreWolf (Firefox family)   yes        yes
//   3  Chromium                                 yes        yes
//   4  Google Chrome                            yes        yes
//   5  Brave                                    yes        yes
//   6  Vivaldi                                  yes        yes
//   7  Opera                                    yes        yes
//   8  the mail client's cache (Thunderbird)    no         yes, only when the folder exists
//
// A Firefox-family browser lists its profiles in "profiles.ini"; each profile's cache is
// <cache home>/<browser path>/<profile>/cache2/entries (a profile outside the browser's
// folder keeps it inside itself). A Chromium-family browser's profiles are the folders of
// <config home>/<browser> holding "Preferences" (the browser's folder itself for Opera);
// each one's cache is <cache home>/<browser>/<profile>/Cache/Cache_Data. A browser source
// gives its folders whenever the profile exists, whether or not the cache folder does.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/direnum.h"

namespace roomvale {

struct CacheSource {
  QString name;
  bool firstRun = false;
  bool initialize = false;
  std::function<std::vector<std::string>()> folders;
};

// The sources in the order they are consulted.
const std::vector<CacheSource>& cacheSources();
// The folders of the sources the first run, or Initialize, consults, in source order.
std::vector<std::string> firstRunCacheFolders();
std::vector<std::string> initializeCacheFolders();

// The cache folders of the profiles a Firefox-family "profiles.ini" in `profilesFolder`
// lists, for a browser whose caches live in `cacheFolder`.
std::vector<std::string> firefoxFamilyCaches(const std::string& profilesFolder, const std::string& cacheFolder);
// The cache folders of a Chromium-family browser's profiles in `configFolder`.
std::vector<std::string> chromiumFamilyCaches(const std::string& configFolder, const std::string& cacheFolder);

// Whole days between `today` and the day of the last access (local time), either way
// round; -1 when the access time has no FAT date (none kept, or outside 1980-2107).
int accessAge(const platform::FileTime& access, const QDate& today);

// The files to clear: every entry directly inside each folder that is not a folder and was
// last accessed at least `minAge` days before `today`. A file is taken once even when its
// folder is listed twice.
struct CacheClearList {
  std::vector<std::string> paths;
  std::uint64_t totalBytes = 0;
};
CacheClearList collectCacheFiles(const std::vector<std::string>& folders, int minAge, const QDate& today);

}  // namespace roomvale
