#include "deletion/reviewactions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string_view>

#include "archive/zipnames.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/trashbatch.h"

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

QString recycleFailedText(const std::string& path, const QString& reason) {
  return QStringLiteral("An error occurred sending files to the trash.  The trash may be full.\n") +
         platform::toDisplay(path) + QStringLiteral("\n") + reason;
}

QString couldNotZipBecause(const std::string& path, const QString& reason) {
  return reason.isEmpty() ? couldNotZipText(path) : couldNotZipText(path) + QStringLiteral(": ") + reason;
}

int removeMarkedFile(const std::string& path, std::uint64_t* size) {
  platform::FolderReach folders;
  return removeMarkedFile(folders, path, {}, size);
}

int removeMarkedFile(platform::FolderReach& folders, const std::string& path, const platform::FileIdentity& expected,
                     std::uint64_t* size) {
  if (size) *size = 0;
  platform::ReachedFile found;
  if (const int err = platform::reachMarkedFile(folders, path, expected, found); err != 0) return err;
  const struct stat& st = found.st;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  // A link carries no permissions of its own; for anything else the owner write bit is the
  // read-only attribute, and a read-only file stays (as a careful user expects of rm).
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return EACCES;
  // Relative to the folder reached, and only while the name stands for the file found: a
  // link put in its place is left alone.
  if (const int err = platform::unlinkReached(found); err != 0) return err;
  if (size) *size = bytesFreedBy(st);
  return 0;
}

namespace {

platform::FileIdentity identityAt(const std::vector<platform::FileIdentity>& identities, std::size_t i) {
  return i < identities.size() ? identities[i] : platform::FileIdentity{};
}

// The absolute form of a path that was reached without links, for the trash's record.
std::string originalPath(const std::string& path) {
  std::string abs = path;
  if (abs.empty() || abs[0] != '/') {
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd)) abs = platform::joinPath(cwd, abs);
  }
  std::string out;
  out.reserve(abs.size());
  std::size_t pos = 0;
  while (pos < abs.size()) {
    std::size_t end = abs.find('/', pos);
    if (end == std::string::npos) end = abs.size();
    const std::string_view part(abs.data() + pos, end - pos);
    pos = end + 1;
    if (part.empty() || part == ".") continue;
    out += '/';
    out += part;
  }
  return out.empty() ? std::string("/") : out;
}

}  // namespace

ActionTally deleteFiles(const std::vector<std::string>& paths, const ActionHooks& hooks,
                        const std::vector<platform::FileIdentity>& identities) {
  ActionTally tally;
  platform::FolderReach folders;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    announce(hooks, i, paths[i]);
    std::uint64_t size = 0;
    if (removeMarkedFile(folders, paths[i], identityAt(identities, i), &size) != 0) {
      report(hooks, couldNotDeleteText(paths[i]));
      continue;
    }
    credit(tally, size);
  }
  return tally;
}

ActionTally recycleFiles(const std::vector<std::string>& paths, const ActionHooks& hooks, int* stoppedAt,
                         const std::vector<platform::FileIdentity>& identities) {
  ActionTally tally;
  if (stoppedAt) *stoppedAt = -1;
  platform::FolderReach folders;
  platform::TrashBatch batch;
  std::vector<std::uint64_t> sizes(paths.size(), 0);
  bool stopped = false;
  const auto stopAt = [&](std::size_t i, const QString& reason) {
    report(hooks, recycleFailedText(paths[i], reason));
    if (stoppedAt) *stoppedAt = static_cast<int>(i);
    stopped = true;
  };
  const auto settle = [&] {
    for (const platform::TrashBatch::Outcome& o : batch.flush(true)) {
      const auto i = static_cast<std::size_t>(o.tag);
      if (o.error == 0) {
        credit(tally, sizes[i]);
      } else if (o.error == ENOENT || o.error == ESTALE) {
        report(hooks, couldNotDeleteText(paths[i]));
      } else {
        stopAt(i, o.reason);
      }
    }
  };
  for (std::size_t i = 0; i < paths.size() && !stopped; ++i) {
    announce(hooks, i, paths[i]);
    platform::ReachedFile found;
    const int err = platform::reachMarkedFile(folders, paths[i], identityAt(identities, i), found);
    if (err != 0 || S_ISDIR(found.st.st_mode)) {
      // Vanished, replaced, or reached only through a link: not the file that was marked.
      report(hooks, couldNotDeleteText(paths[i]));
      continue;
    }
    sizes[i] = bytesFreedBy(found.st);
    const QString why = batch.add(found.dirfd, found.name, originalPath(paths[i]), found.st, i);
    if (!why.isEmpty()) {
      settle();
      if (!stopped) stopAt(i, why);
      break;
    }
    if (batch.full()) settle();
  }
  if (!stopped) settle();
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

ActionTally zipFiles(const std::vector<std::string>& paths, const ZipRun& run, const ActionHooks& hooks,
                     const std::vector<platform::FileIdentity>& identities) {
  ActionTally tally;
  const VolumeRoots roots;
  ZipWriter zip(run.comment, run.batching);
  zip.progress = [&hooks](int percent) { return hooks.itemProgress ? hooks.itemProgress(percent) : false; };
  platform::FolderReach folders;

  // A file leaves its folder only after the commit that stored it was checked, and only
  // while it is still the file that was read.
  const auto settle = [&] {
    for (const ZipResult& r : zip.takeSettled()) {
      if (!r.stored) {
        report(hooks, couldNotZipBecause(r.path, r.reason));
        continue;
      }
      std::uint64_t size = 0;
      if (removeMarkedFile(folders, r.path, r.identity, &size) != 0) {
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
      report(hooks, couldNotZipBecause(path, known->second));
      continue;
    }
    zip.add(archive, path, identityAt(identities, i));
    settle();
  }
  zip.flush();
  settle();
  return tally;
}

}  // namespace roomvale
