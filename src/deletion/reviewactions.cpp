#include "deletion/reviewactions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "archive/zipnames.h"
#include "platform/paths.h"
#include "platform/shell.h"

namespace roomvale {

namespace {

void report(const ActionHooks& hooks, const QString& message) {
  if (hooks.onError) hooks.onError(message);
}

void announce(const ActionHooks& hooks, std::size_t index, const std::string& path) {
  if (hooks.onFile) hooks.onFile(static_cast<int>(index), path);
}

// Removing a name whose file keeps other links frees nothing.
std::uint64_t bytesFreedBy(const struct stat& st) {
  return st.st_nlink > 1 && !S_ISLNK(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
}

void credit(ActionTally& tally, std::uint64_t size) {
  ++tally.files;
  tally.bytes += static_cast<std::int64_t>(size);
}

}  // namespace

QString couldNotDeleteText(const std::string& path) {
  return QStringLiteral("Couldn't delete file - ") + platform::toDisplay(path);
}

QString recycleFailedText() {
  return QStringLiteral("An error occurred sending files to the trash.  The trash may be full.");
}

int removeMarkedFile(const std::string& path, std::uint64_t* size) {
  if (size) *size = 0;
  const std::string name = platform::nameOf(path);
  if (name.empty() || name == "." || name == "..") return EINVAL;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  // A link carries no permissions of its own; for anything else the owner write bit is the
  // read-only attribute, and a read-only file stays (as a careful user expects of rm).
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return EACCES;
  // unlink never follows the last component, so a link that replaced the file since the
  // lstat is removed as a link and its target is left alone.
  if (::unlink(path.c_str()) != 0) return errno;
  if (size) *size = bytesFreedBy(st);
  return 0;
}

ActionTally deleteFiles(const std::vector<std::string>& paths, const ActionHooks& hooks) {
  ActionTally tally;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    announce(hooks, i, paths[i]);
    std::uint64_t size = 0;
    if (removeMarkedFile(paths[i], &size) != 0) {
      report(hooks, couldNotDeleteText(paths[i]));
      continue;
    }
    credit(tally, size);
  }
  return tally;
}

ActionTally recycleFiles(const std::vector<std::string>& paths, const ActionHooks& hooks, int* stoppedAt) {
  ActionTally tally;
  if (stoppedAt) *stoppedAt = -1;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    announce(hooks, i, paths[i]);
    struct stat st {};
    const std::uint64_t size = ::lstat(paths[i].c_str(), &st) == 0 ? bytesFreedBy(st) : 0;
    if (!platform::moveToTrash(paths[i]).isEmpty()) {
      report(hooks, recycleFailedText());
      if (stoppedAt) *stoppedAt = static_cast<int>(i);
      break;
    }
    credit(tally, size);
  }
  return tally;
}

QString archiveFolderProblem(const std::string& folder) {
  struct stat st {};
  const QString shown = platform::toDisplay(folder);
  if (::stat(folder.c_str(), &st) != 0) return QStringLiteral("The archive folder %1 is missing").arg(shown);
  if (!S_ISDIR(st.st_mode)) return QStringLiteral("%1 is not a folder").arg(shown);
  // Checked by the bit too: a process allowed to write anywhere must still respect a folder
  // the user made read-only.
  if ((st.st_mode & S_IWUSR) == 0) return QStringLiteral("The archive folder %1 is read-only").arg(shown);
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    return QStringLiteral("The archive folder %1 cannot be written").arg(shown);
  return {};
}

ActionTally zipFiles(const std::vector<std::string>& paths, const ZipRun& run, const ActionHooks& hooks) {
  ActionTally tally;
  const VolumeRoots roots;
  ZipWriter zip(run.comment, run.batching);
  zip.progress = [&hooks](int percent) { return hooks.itemProgress ? hooks.itemProgress(percent) : false; };

  // A file leaves its folder only after the commit that stored it was checked.
  const auto settle = [&] {
    for (const ZipResult& r : zip.takeSettled()) {
      if (!r.stored) {
        report(hooks, couldNotZipText(r.path));
        continue;
      }
      std::uint64_t size = 0;
      if (removeMarkedFile(r.path, &size) != 0) {
        report(hooks, couldNotDeleteText(r.path));
        continue;
      }
      credit(tally, size);
    }
  };

  std::map<std::string, QString> folderProblems;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (hooks.aborted && hooks.aborted()) break;
    const std::string& path = paths[i];
    announce(hooks, i, path);
    const std::string archive = archivePathFor(run.sourceTag, path, run.stamp, roots);
    std::string folder = platform::folderOf(archive);
    if (folder.empty()) folder = "./";
    auto known = folderProblems.find(folder);
    if (known == folderProblems.end()) known = folderProblems.emplace(folder, archiveFolderProblem(folder)).first;
    if (!known->second.isEmpty()) {
      report(hooks, couldNotZipText(path));
      continue;
    }
    zip.add(archive, path);
    settle();
  }
  zip.flush();
  settle();
  return tally;
}

}  // namespace roomvale
