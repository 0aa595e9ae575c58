// The Safe Harbor: the process-wide lists of protected folders and file types, and the
// protection query every deleting or listing window asks.
//
// The main window loads the lists when it is first shown (GetSearchPath, then
// ReadSafeHarborExtensions, after clearCache) and again after the Safe Harbor window
// returns with changed lists (openSafeHarborWindow does that). Everything runs on the
// user-interface thread.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "safeharbor/harborlist.h"

class QWidget;

namespace roomvale {

// Why a path is protected.
enum SafeHarborReason : int {
  kNotProtected = 0,
  kInSystemFolder = 1,     // the Windows or System folder (/etc/, /usr/lib/)
  kInSearchPath = 2,       // a folder of the search path
  kInFolderList = 3,       // a folder of "folders.txt"
  kProtectedFileType = 4,  // the file's type or name is protected (files only)
};

// The text completing "... is protected because it is ...": 1 "in the Windows/System
// folder", 2 "in the search path", 3 "referenced in the registry", 4 "included in the
// protected file extensions", anything else "".
QString safeHarborReasonText(int reason);

// The Safe Harbor folder file: "folders.txt" in the per-user data folder.
std::string safeHarborListFile();

// The message for a "folders.txt" that could not be read or is damaged; empty when fine.
QString folderListProblem(const std::string& file, const FolderListFile& list);

// The protected types shown (and protecting) while "NoDelExt" was never saved.
inline const char* const kDefaultProtectedTypes[] = {"*.sys", "*.drv"};

class SafeHarbor {
 public:
  // Where the lists come from. Empty or unset members mean the real sources.
  struct Sources {
    std::string listFile;                   // default safeHarborListFile()
    std::optional<std::string> searchPath;  // default the environment's PATH
    std::string systemFolder = "/usr/lib/";
    std::string windowsFolder = "/etc/";
  };

  // Rebuilds lb1, lbSearchPath, lbWindows and safeHarborMissing from "folders.txt", PATH
  // and the system folders. A "folders.txt" that cannot be read, or is damaged, is
  // reported in an error box (see lastLoadProblem()); an unreadable one counts as missing.
  void GetSearchPath();
  // Normalises lb1, lbSearchPath and lbWindows in place (canonical, upper case, sorted).
  void normalizeExceptionList();
  // Rebuilds lbExt from the "NoDelExt" list section (lower case).
  void ReadSafeHarborExtensions();
  // True when "folders.txt" did not exist (or could not be read) at the last GetSearchPath.
  bool safeHarborMissing() const { return missing_; }

  // True when `path` is protected; `reason` tells why (SafeHarborReason). `isFile` false
  // asks about a folder (with or without a final "/"): then the type is never checked.
  // Never fails: what cannot be resolved counts as not protected.
  bool isInSafeHarbor(const std::string& path, bool isFile, int& reason);
  bool isInSafeHarbor(const std::string& path, bool isFile) {
    int reason = 0;
    return isInSafeHarbor(path, isFile, reason);
  }
  QString safeHarborReasonText(int reason) const { return roomvale::safeHarborReasonText(reason); }

  // Forgets the folders asked about. The main window clears the cache when shown, the
  // progress window when shown and hidden; reloading the lists clears it too.
  void clearCache();
  // Queries answered without resolving their folder again, since the last clearCache().
  std::uint64_t cacheHits() const { return cacheHits_; }
  // Folders remembered at most; beyond that the memory starts afresh.
  static constexpr size_t kMaxRememberedFolders = 1u << 17;

  // The lists: folder entries normalised (canonical, upper case) and sorted.
  const std::vector<std::string>& lb1() const { return lb1_; }
  const std::vector<std::string>& lbSearchPath() const { return lbSearchPath_; }
  const std::vector<std::string>& lbWindows() const { return lbWindows_; }
  const std::vector<std::string>& lbExt() const { return lbExt_; }

  // Installs lists directly (already normalised folder entries; types in any case).
  void setLists(std::vector<std::string> folderList, std::vector<std::string> searchPath,
                std::vector<std::string> windows, std::vector<std::string> extensions);

  void setSources(Sources sources) { sources_ = std::move(sources); }
  // The folder file in use (sources().listFile, else safeHarborListFile()).
  std::string listFile() const;
  const Sources& sources() const { return sources_; }

  // Why the last GetSearchPath could not use "folders.txt" fully; empty when it could.
  const QString& lastLoadProblem() const { return loadProblem_; }

 private:
  int folderReason(const std::string& normalisedFolder) const;
  void setExtensions(std::vector<std::string> extensions);

  Sources sources_;
  std::vector<std::string> lb1_, lbSearchPath_, lbWindows_, lbExt_;
  std::unordered_set<std::string> extSet_;
  bool missing_ = true;
  QString loadProblem_;

  // Last-folder cache: the folder part as asked, and its folder-rule answer. The answer
  // for a file adds only the type test, so the cache also serves lists with types.
  bool cacheValid_ = false;
  std::string lastAskedFolder_;
  int lastReason_ = 0;
  std::uint64_t cacheHits_ = 0;
  // The folder-rule answers of the other folders asked about since the last clear.
  // Resolving a folder costs a system call per path component, and a review of
  // duplicates asks about files scattered over thousands of folders.
  struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, int, StringHash, std::equal_to<>> folderAnswers_;
};

// The lists of this run.
SafeHarbor& safeHarbor();

// The finder buttons' gate: true when a Safe Harbor list exists; otherwise shows the error
// box asking the user to build one and returns false.
bool checkExceptionList();

// The "Build safe harbor" button: opens the Safe Harbor window modally (building at once
// when no list exists yet) and reloads the lists when it reports changes. Returns whether
// they were reloaded.
bool openSafeHarborWindow(QWidget* owner);

}  // namespace roomvale
