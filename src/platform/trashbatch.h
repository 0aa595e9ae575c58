// Moving files to the freedesktop.org trash in batches.
//
// The trash promises that every entry in its "files" folder has its ".trashinfo" in "info":
// the info file must be on disk before the move. Syncing each info file alone makes the
// trash slow (one journal commit per file), so a batch writes the info files of up to a few
// hundred entries, syncs their file system once, and only then moves the entries. Entries
// are reached through the descriptor of their folder and moved by name relative to it, and
// an entry is moved only if it is still the object that was queued.
#pragma once

#include <sys/stat.h>

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace roomvale::platform {

class TrashBatch {
 public:
  // A batch is due (full() answers true) at `maxEntries` queued entries or `maxFolders`
  // distinct folders (one descriptor is kept per folder).
  explicit TrashBatch(std::size_t maxEntries = 1024, std::size_t maxFolders = 64);
  // Entries still queued are dropped: their info files are removed and they stay where they are.
  ~TrashBatch();
  TrashBatch(const TrashBatch&) = delete;
  TrashBatch& operator=(const TrashBatch&) = delete;

  // Queues the entry `name` of the folder open as `dirfd`, which is `st` now (a file, link
  // or folder). `original` is its absolute path without symbolic links: it goes into the
  // info file, which is written here. Returns an empty text, or why the entry cannot go to
  // the trash (then nothing was changed). `tag` comes back with its outcome.
  QString add(int dirfd, const std::string& name, const std::string& original, const struct stat& st,
              std::uint64_t tag);
  // Removes the folder `name` of `dirfd` (if it is still `st` and empty) after the entries
  // queued before it were moved, so that a folder tree can be emptied in batches.
  void removeFolderAfter(int dirfd, const std::string& name, const struct stat& st);

  bool full() const;
  std::size_t queued() const;

  // What became of one queued entry: error 0 when it is in the trash, otherwise an errno
  // value (ENOENT when it vanished, ESTALE when another object stands under its name) and
  // the reason as text.
  struct Outcome {
    std::uint64_t tag = 0;
    int error = 0;
    QString reason;
  };
  // Syncs the info files written since the last flush, then moves the queued entries in
  // order. With `stopAtFailure`, a failure other than a vanished or replaced entry ends the
  // batch there: the entries after it stay where they are and get no outcome.
  std::vector<Outcome> flush(bool stopAtFailure = false);

  struct Place;  // one trash folder (home or a volume's)

 private:
  struct Item;
  Place* placeFor(const std::string& original, const struct stat& st, QString& why);
  int folderDescriptor(int dirfd);

  std::vector<Item> items_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, int> folders_;  // folder (dev, ino) -> own descriptor
  std::map<std::uint64_t, std::unique_ptr<Place>> places_;          // by device of the entries
  std::size_t maxEntries_;
  std::size_t maxFolders_;
  bool homeKnown_ = false;
  std::uint64_t homeDevice_ = 0;
};

}  // namespace roomvale::platform
