// Removing a whole folder tree: every file below a folder is deleted, sent to the trash or
// stored in an archive (and then deleted), and the folders left empty are removed.
//
// The walk works on directory descriptors only. Sub-folders are opened relative to their
// parent's descriptor without following a symbolic link, and every file is removed by name
// relative to the descriptor of the folder that listed it, so a link is removed as a link and
// a tree that changes during the run can never lead the walk outside the folder. A folder on
// another file system is neither entered nor removed. Depth costs neither stack nor one
// descriptor per level: the walk keeps its own list of levels and closes the shallower ones,
// reopening them (checked by device and inode) on the way back up.
//
// Zip runs hand files to the batched archive writer; a file is deleted only once the commit
// that stored it was verified, in a second pass over the tree after the last commit.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/prompts.h"

namespace roomvale {

enum class TreeAction { Delete, Recycle, Zip };

// The question asked before removing a file with the attribute `attr` (read-only, hidden or
// system): the path, " is read-only, " (" is hidden, ", " is a system file, "), then
// "Delete this file and continue deleting the remaining files? ".
QString attributeQuestion(const std::string& path, std::uint32_t attr);

// What a run did.
struct TreeRunResult {
  bool opened = false;         // the folder could be entered; false: nothing was done
  bool removedAtOnce = false;  // it was empty and removed before any walk (delete, recycle)
  bool aborted = false;        // the stop flag ended the walk
  bool folderRemoved = false;  // the folder itself is gone
  // Files deleted or sent to the trash (delete, recycle), or stored in the archive (zip),
  // and their sizes. Files that stayed where they were are never counted.
  std::int64_t files = 0;
  std::int64_t bytes = 0;
  std::int64_t handled = 0;           // files handed to the action
  std::int64_t notRemoved = 0;        // delete, recycle: files that were to go and stayed
  std::int64_t notZipped = 0;         // zip: files the archive did not receive
  std::int64_t zippedNotDeleted = 0;  // zip with deletion: stored, but still on disk
  // Folders that could not be read: their files were neither counted nor removed. The
  // first kListedUnreadable of them, by path.
  std::int64_t unreadableFolders = 0;
  std::vector<std::string> unreadable;
};
inline constexpr std::size_t kListedUnreadable = 10;

class TreeDeleter {
 public:
  // `abortRequested` is the window's stop flag; it is cleared when the walk starts and read
  // before every entry.
  TreeDeleter(TreeAction action, bool& abortRequested);
  ~TreeDeleter();
  TreeDeleter(const TreeDeleter&) = delete;
  TreeDeleter& operator=(const TreeDeleter&) = delete;

  // Zip runs: the archive every file goes to, the comment written into it, and whether the
  // files are deleted once stored (without deletion no attribute question is asked and
  // nothing is removed).
  void setArchive(std::string archivePath, QString comment, bool deleteAfterZip);

  // Asks an attribute question; anything but Yes keeps the file and ends the run. Default:
  // a confirmation with Yes, No and Cancel.
  std::function<Answer(const QString& question)> ask;
  // A file was handed to the action: how many so far, and its full path.
  std::function<void(std::int64_t handled, const std::string& path)> fileHandled;
  // Progress of the file being compressed, in percent.
  std::function<void(int percent)> zipProgress;
  // Errors of zip runs ("Couldn't zip up file - ", "Couldn't delete file - "). Default:
  // showError. After kShownFileErrors of one kind the rest are summed up in one message.
  std::function<void(const QString& text)> error;
  static constexpr int kShownFileErrors = 10;

  // Test seams: called after a folder was listed and before its sub-folder `name` is opened,
  // and before a file is acted on (after its questions).
  std::function<void(const std::string& folder, const std::string& name)> beforeEnter;
  std::function<void(const std::string& path)> beforeFile;
  // Replaces the device numbers the walk compares (tests stand for a mount this way).
  void setDeviceMapForTesting(std::function<std::uint64_t(std::uint64_t device, std::uint64_t inode)> map);
  // Most folder descriptors kept open at once while descending (default 32, at least 2).
  void setDescriptorBudget(std::size_t budget);
  // The most level descriptors that were open at once in the last run.
  std::size_t peakDescriptors() const;

  // Runs the action on the tree of `folder` (a path without trailing "/"; one is dropped).
  TreeRunResult run(const std::string& folder);

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace roomvale
