#include "safeharbor/folderscan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "platform/paths.h"
#include "platform/volumes.h"
#include "safeharbor/harborlist.h"

namespace roomvale {

namespace {

std::optional<ConfigTrees>& treesOverride() {
  static std::optional<ConfigTrees> trees;
  return trees;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (isBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Reads a whole regular file of at most kMaxValueFileBytes; nothing otherwise.
std::optional<std::string> readSmallFile(int fd, const struct stat& st) {
  if (!S_ISREG(st.st_mode)) return std::nullopt;
  if (static_cast<std::uint64_t>(st.st_size) > kMaxValueFileBytes) return std::nullopt;
  std::string text(static_cast<size_t>(st.st_size) + 1, '\0');
  size_t got = 0;
  for (;;) {
    if (got == text.size()) {
      if (text.size() > kMaxValueFileBytes) return std::nullopt;  // grew while read
      text.resize(text.size() + 4096);
    }
    const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  if (got > kMaxValueFileBytes) return std::nullopt;
  text.resize(got);
  return text;
}

}  // namespace

ConfigTrees configTrees() {
  if (treesOverride()) return *treesOverride();
  ConfigTrees trees;
  trees.machine = {"/etc", "/usr/share/applications"};
  trees.user = {platform::configRoot(), platform::dataHome() + "/applications"};
  return trees;
}

void setConfigTrees(std::optional<ConfigTrees> trees) { treesOverride() = std::move(trees); }

std::optional<std::string_view> configValue(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() == '#' || line.front() == ';') return std::nullopt;
  size_t keyEnd = 0;
  while (keyEnd < line.size() && line[keyEnd] != '=' && !isBlank(line[keyEnd])) ++keyEnd;
  if (keyEnd == 0 || keyEnd == line.size()) return std::nullopt;
  std::string_view rest = trim(line.substr(keyEnd));
  if (!rest.empty() && rest.front() == '=') rest = trim(rest.substr(1));
  if (rest.empty()) return std::nullopt;
  return rest;
}

void forEachConfigValue(std::string_view text, const std::function<void(std::string_view)>& fn) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (auto value = configValue(text.substr(start, end - start))) fn(*value);
    start = end + 1;
  }
}

std::optional<std::string> folderReference(std::string_view value) {
  if (value.size() <= 1 || value.front() != '/') return std::nullopt;
  if (value.find_first_of(";:") != std::string_view::npos) return std::nullopt;
  return std::string(value.substr(0, value.rfind('/') + 1));
}

// The mounted volumes, read once per build, and the network volumes found not to answer.
struct FolderScan::VolumeState {
  std::vector<platform::Volume> volumes = platform::listVolumes();
  std::map<std::string, bool> networkReady;
};

FolderScan::FolderScan(const std::vector<std::string>& listed) {
  for (const auto& e : listed) listed_.insert(upperAscii(e));
}

void FolderScan::skipFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) skippedFiles_.emplace_back(st.st_dev, st.st_ino);
}

bool FolderScan::pumpPoint() {
  if (!stopped_ && keepGoing && !keepGoing()) stopped_ = true;
  return !stopped_;
}

bool FolderScan::onSkippedVolume(const std::string& folder) {
  if (skipVolume) return skipVolume(folder);
  if (!volumes_) volumes_ = std::make_shared<VolumeState>();
  const auto volume = platform::volumeOf(folder, volumes_->volumes);
  if (!volume) return false;
  if (volume->kind == platform::VolumeKind::Floppy) return true;
  if (volume->kind == platform::VolumeKind::Network) {
    auto it = volumes_->networkReady.find(volume->mountPoint);
    if (it == volumes_->networkReady.end())
      it = volumes_->networkReady.emplace(volume->mountPoint, platform::isVolumeReady(volume->mountPoint)).first;
    return !it->second;
  }
  return false;
}

void FolderScan::testValue(std::string_view value) {
  ++stats_.valuesTested;
  auto folder = folderReference(value);
  if (!folder) return;
  addFolder(std::move(*folder));
  // "datadir=/home/ann/data", the usual form on Linux, names the folder itself: it is
  // protected too, beside the folder it lies in.
  if (value.back() != '/') addFolder(std::string(value) + '/');
}

void FolderScan::addFolder(std::string folder) {
  std::string key = upperAscii(folder);
  if (listed_.count(key) || rejected_.count(folder)) return;
  if (onSkippedVolume(folder)) {
    rejected_.insert(folder);
    return;
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    rejected_.insert(folder);
    return;
  }
  listed_.insert(std::move(key));
  found_.push_back(std::move(folder));
  if (onFound) onFound(found_.back());
}

void FolderScan::readValues(int dirfd, const char* name) {
  if (!pumpPoint()) return;
  // O_NONBLOCK: a FIFO among the files must not stall the build.
  const int fd = ::openat(dirfd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    ++stats_.filesSkipped;
    return;
  }
  struct stat st {};
  std::optional<std::string> text;
  if (::fstat(fd, &st) == 0 &&
      std::find(skippedFiles_.begin(), skippedFiles_.end(),
                std::pair<std::uint64_t, std::uint64_t>(st.st_dev, st.st_ino)) == skippedFiles_.end())
    text = readSmallFile(fd, st);
  ::close(fd);
  if (!text || text->find('\0') != std::string::npos) {
    ++stats_.filesSkipped;
    return;
  }
  ++stats_.filesRead;
  forEachConfigValue(*text, [this](std::string_view v) { testValue(v); });
}

void FolderScan::visit(int fd, int level) {
  if (!pumpPoint()) return;
  const int listFd = ::dup(fd);
  if (listFd < 0) return;
  DIR* dir = ::fdopendir(listFd);
  if (!dir) {
    ::close(listFd);
    return;
  }
  ++stats_.foldersRead;
  std::vector<std::string> subfolders;
  while (dirent* ent = ::readdir(dir)) {
    const char* name = ent->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    unsigned char type = ent->d_type;
    if (type == DT_UNKNOWN) {
      struct stat st {};
      if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_LNK;
    }
    if (type == DT_DIR)
      subfolders.emplace_back(name);
    else if (type == DT_REG)
      readValues(fd, name);
    if (stopped_) break;
  }
  ::closedir(dir);
  if (stopped_ || level >= maxDepth) return;
  for (const auto& name : subfolders) {
    // O_NOFOLLOW: a folder replaced by a link since it was listed is not entered.
    const int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0) continue;
    visit(sub, level + 1);
    ::close(sub);
    if (stopped_) return;
  }
}

bool FolderScan::walk(const std::string& root) {
  if (stopped_) return false;
  // The root itself may be a link (a ~/.config kept elsewhere); nothing below it is followed.
  const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  visit(fd, 0);
  ::close(fd);
  return !stopped_;
}

bool FolderScan::walk(const ConfigTrees& trees) {
  for (const auto& root : trees.machine)
    if (!walk(root)) return false;
  for (const auto& root : trees.user)
    if (!walk(root)) return false;
  return true;
}

}  // namespace roomvale
