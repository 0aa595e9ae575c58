#include "safeharbor/safeharbor.h"

#include <cstdlib>

#include "foundation/prompts.h"
#include "foundation/pump.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "safeharbor/harborlist.h"

namespace roomvale {

namespace {

void addUnlessListed(std::vector<std::string>& list, const std::string& entry) {
  for (const auto& e : list)
    if (equalNoCase(e, entry)) return;
  list.push_back(entry);
}

// The folder part of a query as the caller gave it: a file's folder up to its last "/", a
// folder with its final "/" (`slash` tells whether one must be added).
std::string_view queryFolder(const std::string& path, bool isFile, bool& slash) {
  slash = false;
  if (isFile) {
    const size_t pos = path.rfind('/');
    return pos == std::string::npos ? std::string_view() : std::string_view(path).substr(0, pos + 1);
  }
  slash = path.empty() || path.back() != '/';
  return path;
}

bool sameFolder(const std::string& cached, std::string_view folder, bool slash) {
  if (!slash) return cached == folder;
  return cached.size() == folder.size() + 1 && cached.back() == '/' && cached.compare(0, folder.size(), folder) == 0;
}

}  // namespace

QString safeHarborReasonText(int reason) {
  switch (reason) {
    case kInSystemFolder: return QStringLiteral("in the system folders");
    case kInSearchPath: return QStringLiteral("in the search path");
    case kInFolderList: return QStringLiteral("referenced in the configuration files");
    case kProtectedFileType: return QStringLiteral("included in the protected file extensions");
    default: return QString();
  }
}

QString folderListProblem(const std::string& file, const FolderListFile& list) {
  if (!list.exists) return QString();
  if (!list.readable)
    return QStringLiteral("The Safe Harbor list \"%1\" could not be read: %2.  Build the Safe Harbor list again.")
        .arg(platform::toDisplay(file), QString::fromLocal8Bit(list.problem.c_str()));
  if (list.badLines > 0)
    return QStringLiteral("The Safe Harbor list \"%1\" is damaged: %2 line(s) that are not folder paths were ignored.")
        .arg(platform::toDisplay(file))
        .arg(list.badLines);
  return QString();
}

std::string safeHarborListFile() { return platform::joinPath(platform::userDataFolder(), "folders.txt"); }

std::string SafeHarbor::listFile() const {
  return sources_.listFile.empty() ? safeHarborListFile() : sources_.listFile;
}

void SafeHarbor::GetSearchPath() {
  clearCache();
  lb1_.clear();
  lbSearchPath_.clear();
  lbWindows_.clear();
  missing_ = false;
  loadProblem_.clear();

  const std::string file = listFile();
  FolderListFile list = readFolderListFile(file);
  loadProblem_ = folderListProblem(file, list);
  // A file that cannot be read counts as missing: better to refuse the finders until the
  // list is rebuilt than to run them with a Safe Harbor that silently lost its folders.
  missing_ = !list.exists || !list.readable;
  lb1_ = std::move(list.entries);
  if (!loadProblem_.isEmpty()) showError(loadProblem_);

  std::string pathValue;
  if (sources_.searchPath) {
    pathValue = *sources_.searchPath;
  } else if (const char* env = std::getenv("PATH")) {
    pathValue = env;
  }
  // Linux paths are case-sensitive: the folders are resolved in their own case and only
  // then upper-cased (normalizeList), otherwise links in them would stay unresolved.
  for (const auto& folder : searchPathFolders(pathValue)) {
    addUnlessListed(lb1_, folder);
    addUnlessListed(lbSearchPath_, folder);
  }

  for (const std::string* sys : {&sources_.systemFolder, &sources_.windowsFolder}) {
    if (sys->empty()) continue;
    std::string folder = *sys;
    if (folder.back() != '/') folder.push_back('/');
    lb1_.push_back(folder);
    lbWindows_.push_back(folder);
  }

  normalizeExceptionList();
  collapseWholeTreeEntries(lb1_);
}

void SafeHarbor::normalizeExceptionList() {
  const auto pump = [] { pumpEvents(); };
  normalizeList(lb1_, pump);
  normalizeList(lbSearchPath_, pump);
  normalizeList(lbWindows_, pump);
}

void SafeHarbor::ReadSafeHarborExtensions() {
  clearCache();
  // The editors show the default types while the list was never saved; the query protects
  // what they show.
  QStringList defaults;
  for (const char* d : kDefaultProtectedTypes) defaults << QString::fromLatin1(d);
  std::vector<std::string> exts;
  for (const QString& entry : readListSection(QStringLiteral("NoDelExt"), defaults, false)) {
    const std::string e = platform::fromDisplay(entry.section(QLatin1Char('\t'), 0, 0));
    if (!e.empty()) exts.push_back(lowerAscii(e));
  }
  setExtensions(std::move(exts));
}

void SafeHarbor::setExtensions(std::vector<std::string> extensions) {
  lbExt_.clear();
  extSet_.clear();
  for (auto& e : extensions) {
    if (e.empty()) continue;
    e = lowerAscii(e);
    extSet_.insert(e);
    lbExt_.push_back(std::move(e));
  }
  sortNoCase(lbExt_);
}

void SafeHarbor::setLists(std::vector<std::string> folderList, std::vector<std::string> searchPath,
                          std::vector<std::string> windows, std::vector<std::string> extensions) {
  clearCache();
  lb1_ = std::move(folderList);
  lbSearchPath_ = std::move(searchPath);
  lbWindows_ = std::move(windows);
  sortNoCase(lb1_);
  sortNoCase(lbSearchPath_);
  sortNoCase(lbWindows_);
  setExtensions(std::move(extensions));
  missing_ = false;
}

void SafeHarbor::clearCache() {
  cacheValid_ = false;
  lastAskedFolder_.clear();
  lastReason_ = 0;
  folderAnswers_.clear();
  cacheHits_ = 0;
}

int SafeHarbor::folderReason(const std::string& folder) const {
  if (findFolderEntry(folder, lbWindows_) >= 0) return kInSystemFolder;
  if (findFolderEntry(folder, lbSearchPath_) >= 0) return kInSearchPath;
  if (findFolderEntry(folder, lb1_) >= 0) return kInFolderList;
  return kNotProtected;
}

bool SafeHarbor::isInSafeHarbor(const std::string& path, bool isFile, int& reason) {
  bool slash = false;
  const std::string_view asked = queryFolder(path, isFile, slash);
  if (cacheValid_ && sameFolder(lastAskedFolder_, asked, slash)) {
    ++cacheHits_;
  } else {
    lastAskedFolder_.assign(asked);
    if (slash) lastAskedFolder_.push_back('/');
    if (auto it = folderAnswers_.find(std::string_view(lastAskedFolder_)); it != folderAnswers_.end()) {
      ++cacheHits_;
      lastReason_ = it->second;
    } else {
      lastReason_ = folderReason(upperAscii(shortPathName(lastAskedFolder_)));
      if (folderAnswers_.size() >= kMaxRememberedFolders) folderAnswers_.clear();
      folderAnswers_.emplace(lastAskedFolder_, lastReason_);
    }
    cacheValid_ = true;
  }
  reason = lastReason_;
  if (reason == kNotProtected && isFile && !extSet_.empty()) {
    if (extSet_.count(protectedTypePattern(path)) || extSet_.count(lowerAscii(fileNameOf(path))))
      reason = kProtectedFileType;
  }
  return reason > 0;
}

SafeHarbor& safeHarbor() {
  static SafeHarbor instance;
  return instance;
}

bool checkExceptionList() {
  if (!safeHarbor().safeHarborMissing()) return true;
  showError(QStringLiteral(
      "The Safe Harbor list of folders/files not to delete has not been created yet.  Click on the Build Safe "
      "Harbor button to initialize."));
  return false;
}

}  // namespace roomvale
