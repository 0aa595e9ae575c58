#include "deletion/treerefusal.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "platform/paths.h"
#include "platform/volumes.h"

namespace roomvale {

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto low = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
           return low(x) == low(y);
         });
}

std::string withoutTrailingSlash(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

// A folder on another device than its parent is mounted there, whether or not the mount
// table we can read lists it.
bool crossesDevice(const std::string& path) {
  struct stat self {
  }, parent{};
  return ::lstat(path.c_str(), &self) == 0 && S_ISDIR(self.st_mode) && ::lstat((path + "/..").c_str(), &parent) == 0 &&
         self.st_dev != parent.st_dev;
}

}  // namespace

const std::vector<std::string>& systemFolders() {
  static const std::vector<std::string> folders{"/",      "/bin",   "/boot",   "/dev", "/etc",  "/lib",
                                                "/lib32", "/lib64", "/libx32", "/opt", "/proc", "/root",
                                                "/run",   "/sbin",  "/srv",    "/sys", "/usr",  "/var"};
  return folders;
}

CleanRefusal cleanRefusal(const std::string& path, const std::vector<std::string>& mountPoints,
                          const std::string& home) {
  const std::string written = withoutTrailingSlash(path);
  const std::string canonical = withoutTrailingSlash(platform::canonicalPath(written));
  const std::string forms[] = {written, canonical};
  for (const std::string& p : forms) {
    if (p == "/" || crossesDevice(p)) return CleanRefusal::RootFolder;
    for (const std::string& m : mountPoints)
      if (sameIgnoringCase(p, withoutTrailingSlash(m))) return CleanRefusal::RootFolder;
  }
  for (const std::string& p : forms) {
    if (!home.empty() && sameIgnoringCase(p, withoutTrailingSlash(home))) return CleanRefusal::SystemFolder;
    for (const std::string& s : systemFolders())
      if (sameIgnoringCase(p, s)) return CleanRefusal::SystemFolder;
  }
  return CleanRefusal::None;
}

CleanRefusal cleanRefusal(const std::string& path) {
  // Every mount point, also those never listed as drives (/proc, /run/user/..., bind mounts).
  std::vector<std::string> mounts;
  if (FILE* f = std::fopen("/proc/self/mountinfo", "re")) {
    std::string text;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
    for (const platform::MountInfoEntry& e : platform::parseMountInfo(text)) mounts.push_back(e.mountPoint);
  }
  return cleanRefusal(path, mounts, platform::homeFolder());
}

}  // namespace roomvale
