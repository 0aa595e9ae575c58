// bench-links: roomvale_safeharbor
//
// Safe Harbor figures:
//   bench_safeharbor query <workdir>  queries per second of the protection query over
//                                     1,000,000 file paths in 10,000 real folders against
//                                     5,000 list entries, with and without protected types,
//                                     files grouped by folder (as the deletion review asks)
//                                     and shuffled (no two neighbours share a folder), and
//                                     for scale 20,000 queries with the cache cleared each time.
//   bench_safeharbor build <workdir>  a build over this machine's /etc and
//                                     /usr/share/applications: folders found and time, for
//                                     the bare walk and for the Safe Harbor window.
// Per-user files go below <workdir>, never to the real settings.
#include <sys/stat.h>

#include <QApplication>
#include <QListWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "safeharbor/folderscan.h"
#include "safeharbor/harborlist.h"
#include "safeharbor/nodelete.h"
#include "safeharbor/safeharbor.h"

using namespace roomvale;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFolders = 10000;
constexpr int kFilesPerFolder = 100;
constexpr int kListEntries = 5000;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void mkdirs(const std::string& path) {
  for (size_t pos = 1; pos != std::string::npos; pos = path.find('/', pos + 1))
    ::mkdir(path.substr(0, pos).c_str(), 0755);
  ::mkdir(path.c_str(), 0755);
}

std::string folderOf(const std::string& root, int f) {
  return root + "/g" + std::to_string(f / 100) + "/d" + std::to_string(f) + "/";
}

int runQueries(const std::string& work) {
  const std::string root = work + "/safeharbor-tree";
  for (int f = 0; f < kFolders; ++f) mkdirs(folderOf(root, f));
  const std::string canonical = upperAscii(shortPathName(root));

  // 5,000 entries: every 7th bench folder, whole trees over every 5th group, the rest
  // elsewhere (one-folder and whole-tree entries of software folders).
  std::vector<std::string> list;
  for (int f = 0; f < kFolders; f += 7)
    list.push_back(canonical + "/G" + std::to_string(f / 100) + "/D" + std::to_string(f) + "/");
  for (int g = 0; g < kFolders / 100; g += 5) list.push_back(canonical + "/G" + std::to_string(g) + "/*.*");
  for (int i = 0; static_cast<int>(list.size()) < kListEntries; ++i)
    list.push_back(i % 4 ? "/OPT/VENDOR" + std::to_string(i) + "/APP/LIB/"
                         : "/OPT/VENDOR" + std::to_string(i) + "/*.*");
  const std::vector<std::string> searchPath = {"/USR/LOCAL/BIN/", "/USR/BIN/", "/BIN/", "/USR/LOCAL/GAMES/",
                                               "/USR/GAMES/"};
  const std::vector<std::string> windows = {"/ETC/", "/USR/LIB/"};
  const std::vector<std::string> types = {"*.sys", "*.drv", "*.dll", "*.ini", "*.cfg", "*.bak", "*.so", "thumbs.db"};

  static const char* const kExt[] = {"txt", "dat", "log", "sys", "bin", "jpg", "tmp", "cfg", "doc", "so"};
  std::vector<std::string> grouped;
  grouped.reserve(static_cast<size_t>(kFolders) * kFilesPerFolder);
  for (int f = 0; f < kFolders; ++f) {
    const std::string folder = folderOf(root, f);
    for (int j = 0; j < kFilesPerFolder; ++j)
      grouped.push_back(folder + "file" + std::to_string(j) + "." + kExt[j % 10]);
  }
  std::vector<std::string> shuffled = grouped;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937_64(42));

  std::printf("%zu file paths in %d folders, %zu list entries (%s)\n\n", grouped.size(), kFolders, list.size(),
              root.c_str());
  std::printf("| order    | protected types | queries   | seconds | queries/s  | protected | cache hits |\n");
  std::printf("|----------|-----------------|-----------|---------|------------|-----------|------------|\n");
  for (const bool withTypes : {false, true}) {
    for (const bool isShuffled : {false, true}) {
      SafeHarbor sh;
      sh.setLists(list, searchPath, windows, withTypes ? types : std::vector<std::string>{});
      const auto& paths = isShuffled ? shuffled : grouped;
      size_t hits = 0;
      const auto start = Clock::now();
      for (const auto& p : paths) {
        int reason = 0;
        if (sh.isInSafeHarbor(p, true, reason)) ++hits;
      }
      const double secs = seconds(start);
      std::printf("| %-8s | %-15s | %9zu | %7.3f | %10.0f | %9zu | %10llu |\n", isShuffled ? "shuffled" : "grouped",
                  withTypes ? "8 types" : "none", paths.size(), secs, static_cast<double>(paths.size()) / secs, hits,
                  static_cast<unsigned long long>(sh.cacheHits()));
    }
  }
  {
    // For scale: every query resolving its folder afresh (the cache cleared before each).
    SafeHarbor sh;
    sh.setLists(list, searchPath, windows, {});
    constexpr size_t kCold = 20000;
    size_t hits = 0;
    const auto start = Clock::now();
    for (size_t i = 0; i < kCold; ++i) {
      sh.clearCache();
      if (sh.isInSafeHarbor(shuffled[i], true)) ++hits;
    }
    const double secs = seconds(start);
    std::printf("| %-8s | %-15s | %9zu | %7.3f | %10.0f | %9zu | %10s |\n", "uncached", "none", kCold, secs,
                static_cast<double>(kCold) / secs, hits, "0");
  }
  return 0;
}

int runBuild(int argc, char** argv, const std::string& work) {
  // Settings and "folders.txt" of this run stay in the work folder.
  ::setenv("XDG_CONFIG_HOME", (work + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (work + "/data").c_str(), 1);
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);

  const ConfigTrees machine{{"/etc", "/usr/share/applications"}, {}};
  std::printf("| run                  | folders found | folders read | files read | files skipped | seconds |\n");
  std::printf("|----------------------|---------------|--------------|------------|---------------|---------|\n");
  {
    FolderScan scan({});
    const auto start = Clock::now();
    scan.walk(machine);
    const double secs = seconds(start);
    std::vector<std::string> found = scan.found();
    collapseWholeTreeEntries(found);
    for (const auto& f : found) std::fprintf(stderr, "found %s\n", f.c_str());
    const auto& s = scan.stats();
    std::printf("| walk only            | %13zu | %12llu | %10llu | %13llu | %7.3f |\n", found.size(),
                static_cast<unsigned long long>(s.foldersRead), static_cast<unsigned long long>(s.filesRead),
                static_cast<unsigned long long>(s.filesSkipped), secs);
  }
  {
    setConfigTrees(machine);
    TfrmNoDelete frm;
    frm.buildOnShow = true;
    frm.show();
    const auto start = Clock::now();
    frm.btBuildClick();
    const double secs = seconds(start);
    const auto& s = frm.lastBuildStats();
    std::printf("| Safe Harbor window   | %13d | %12llu | %10llu | %13llu | %7.3f |\n", frm.ListBox1->count(),
                static_cast<unsigned long long>(s.foldersRead), static_cast<unsigned long long>(s.filesRead),
                static_cast<unsigned long long>(s.filesSkipped), secs);
    frm.listModified = false;  // nothing to save
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s query|build <workdir>\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  const std::string work = argv[2];
  mkdirs(work);
  if (mode == "query") return runQueries(work);
  if (mode == "build") return runBuild(argc, argv, work);
  std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
  return 2;
}
