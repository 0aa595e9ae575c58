// Building the Safe Harbor folder list: the configuration trees are walked like a
// registry (folders are keys, the right-hand sides of the lines of the text files in them
// are values), and every value that names a file or folder adds that folder to the list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace roomvale {

// The trees walked by a build: the machine's and then the user's.
struct ConfigTrees {
  std::vector<std::string> machine;  // /etc, /usr/share/applications
  std::vector<std::string> user;     // ~/.config, ~/.local/share/applications
};

// The trees of this machine and user (or the replacement installed for tests).
ConfigTrees configTrees();
// Replaces the trees (tests); nothing restores the real ones.
void setConfigTrees(std::optional<ConfigTrees> trees);

// Folders deeper than this below a tree's root are not read.
inline constexpr int kMaxFolderDepth = 25;
// Larger files are not read.
inline constexpr std::uint64_t kMaxValueFileBytes = 1u << 20;

// The value of one line: the text after "key=", "key = " or "key " with surrounding blanks
// removed; nothing for blank lines, comments ("#", ";") and lines without a value.
std::optional<std::string_view> configValue(std::string_view line);
// Calls `fn` with every value of a text file's content.
void forEachConfigValue(std::string_view text, const std::function<void(std::string_view)>& fn);

// The folder a value refers to, when it looks like one: it begins with "/", is longer than
// one character, holds no ";" and no ":" (list separators); the folder is the text up to
// and including its last "/". Whether the folder exists is not checked here.
std::optional<std::string> folderReference(std::string_view value);

// One build. Folders already listed (case-insensitive) are not added again.
class FolderScan {
 public:
  explicit FolderScan(const std::vector<std::string>& listed);

  // Called for each folder added, in the order found.
  std::function<void(const std::string& folder)> onFound;
  // Called at every folder and file: a pump point. Returning false stops the build.
  std::function<bool()> keepGoing;
  // True for folders that must not be added because of their volume: removable
  // (floppy-kind) volumes, and network volumes that do not answer (so that a dead mount
  // never hangs the build). Defaults to the volumes mounted now.
  std::function<bool(const std::string& folder)> skipVolume;
  int maxDepth = kMaxFolderDepth;
  // Files never read as values (Roomvale's own settings: the folders the user adds to clean
  // them are no software's references).
  void skipFile(const std::string& path);

  // Walks one tree; false when stopped by keepGoing.
  bool walk(const std::string& root);
  // Walks the machine trees, then the user trees.
  bool walk(const ConfigTrees& trees);

  const std::vector<std::string>& found() const { return found_; }
  bool stopped() const { return stopped_; }

  struct Stats {
    std::uint64_t foldersRead = 0;
    std::uint64_t filesRead = 0;
    std::uint64_t filesSkipped = 0;  // unreadable, binary, too large, not regular
    std::uint64_t valuesTested = 0;
  };
  const Stats& stats() const { return stats_; }

  // Applies the folder-reference test to one value, adding the folder when it passes; a
  // value that itself names an existing folder adds that folder as well.
  void testValue(std::string_view value);

 private:
  void addFolder(std::string folder);
  void visit(int fd, int level);
  void readValues(int dirfd, const char* name);
  bool pumpPoint();
  bool onSkippedVolume(const std::string& folder);

  std::unordered_set<std::string> listed_;    // upper case
  std::unordered_set<std::string> rejected_;  // known not to be folders (exact bytes)
  std::vector<std::string> found_;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> skippedFiles_;  // device, inode
  Stats stats_;
  bool stopped_ = false;
  struct VolumeState;
  std::shared_ptr<VolumeState> volumes_;
};

}  // namespace roomvale
