// The three actions of the deletion review, without the window: delete the files outright,
// move them to the trash, or store them in archives and then delete them. Each runs over the
// exact paths it is given, reports single failures through its hooks and goes on, and tells
// how many files (and bytes, looked up before acting; a name whose file keeps other links
// frees none) it really removed, so that the totals
// are credited with what happened rather than with what was asked for.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/zipwriter.h"
#include "platform/markedfile.h"

namespace roomvale {

// Files a run removed from their folders, and their bytes.
struct ActionTally {
  std::int64_t files = 0;
  std::int64_t bytes = 0;
};

// How a run talks to its window. Every hook may be empty.
struct ActionHooks {
  // Before each file: its position in the list and its path.
  std::function<void(int index, const std::string& path)> onFile;
  // One file failed; `message` is the text to show ("Couldn't delete file - ...").
  std::function<void(const QString& message)> onError;
  // Zip runs: looked at before each file; true ends the run there.
  std::function<bool()> aborted;
  // Zip runs: progress within the file being compressed (0 to 100); true fails that file.
  // Also called while archives are written (the answer is then ignored).
  std::function<bool(int percent)> itemProgress;
};

// "Couldn't delete file - " + path.
QString couldNotDeleteText(const std::string& path);
// The report of a failed move to the trash (the run stops there): the trash may be full,
// then the path and the system's reason on lines of their own.
QString recycleFailedText(const std::string& path, const QString& reason);

// Every action reaches its files through platform/markedfile.h: the folders of the path are
// opened one by one without following a link, the file found must still be the one marked
// (`identities[i]`, when the list holds one for it and it is known), and it is acted on
// relative to its folder's descriptor. A file that cannot be reached so is reported as not
// deleted and the run goes on.

// Removes one file by its exact path. The name itself is never followed: a symbolic link is
// removed as a link. Nothing is changed on the file first, so a read-only file (owner write
// bit clear) is refused even where the process could unlink it, and a folder is never
// removed. Returns 0 or an errno value (EACCES for a read-only file, EISDIR for a folder,
// ESTALE when another file stands there now, ELOOP when a folder of the path is a link);
// `size`, when given, receives the bytes its removal freed: the size the entry had just
// before it went, but 0 for a name whose file keeps other hard links (and 0 on failure).
int removeMarkedFile(const std::string& path, std::uint64_t* size = nullptr);
int removeMarkedFile(platform::FolderReach& folders, const std::string& path, const platform::FileIdentity& expected,
                     std::uint64_t* size = nullptr);

// Deletes every file of `paths` in order; a file that cannot be deleted is reported and
// the run goes on.
ActionTally deleteFiles(const std::vector<std::string>& paths, const ActionHooks& hooks,
                        const std::vector<platform::FileIdentity>& identities = {});

// Moves the files of `paths` to the trash in order, in batches (platform/trashbatch.h). A
// file that vanished or is no longer the one marked is reported as the delete action does,
// and the run goes on; the first real failure of the trash is reported
// (recycleFailedText) and ends the run, leaving the files after it alone. `stoppedAt`
// (when given) receives the index of that file, or -1.
ActionTally recycleFiles(const std::vector<std::string>& paths, const ActionHooks& hooks, int* stoppedAt = nullptr,
                         const std::vector<platform::FileIdentity>& identities = {});

// What one zip run needs besides its files.
struct ZipRun {
  QString sourceTag;  // part of the archive names
  QString comment;    // written into every archive
  QDateTime stamp;    // taken once, shared by all archives of the run
  ZipWriter::Batching batching;
};

// Stores the files of `paths` in the archives of the run (one per volume, named by
// archivePathFor) and deletes each file once the archive that holds it has been written and
// checked. A file that was not stored is reported ("Couldn't zip up file - ") and kept; a
// stored file that cannot be deleted is reported ("Couldn't delete file - ") and stays in
// the archive too. An archive folder that is missing or read-only (owner write bit clear)
// fails every file meant for it. An abort (itemProgress answering true fails the file in
// hand, hooks.aborted ends the run before the next one) keeps what was stored before, and
// those files are deleted as usual. Each "Couldn't zip up file - " report ends with the
// reason (couldNotZipBecause).
// The tally counts the files stored and then deleted.
ActionTally zipFiles(const std::vector<std::string>& paths, const ZipRun& run, const ActionHooks& hooks,
                     const std::vector<platform::FileIdentity>& identities = {});

// "Couldn't zip up file - " + path + ": " + reason.
QString couldNotZipBecause(const std::string& path, const QString& reason);

// Why an archive folder cannot take archives (missing, not a folder, owner write bit clear,
// not writable), or an empty text when it can.
QString archiveFolderProblem(const std::string& folder);

}  // namespace roomvale
