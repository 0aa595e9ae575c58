// Writes files into ZIP archives before they are deleted.
//
// Committing an archive makes the ZIP library rewrite the whole file, so committing after
// every file would make a run quadratic in its size. The writer therefore compresses each
// file at once (into a spool file beside the archive, choosing stored or deflated by the
// smaller result) and commits the queued entries in batches that grow with the archive. A
// file is reported as stored only after the commit that wrote it succeeded, its entry was
// read back from the reopened archive and matched what was added, and the file on disk is
// still the one that was read. Until then it must not be deleted.
//
// Typical use, one writer per zip run:
//
//   ZipWriter zip(comment);
//   zip.progress = [&](int percent) { gauge->setValue(percent); pumpEvents(); return abortRequested; };
//   for (path : files) {
//     if (abortRequested) break;
//     zip.add(archivePathFor(tag, path, stamp, roots), path);
//     for (const ZipResult& r : zip.takeSettled()) ...;   // delete r.path when r.stored
//   }
//   zip.flush();
//   for (const ZipResult& r : zip.takeSettled()) ...;
//
// Files are deleted in batches, later than they were added: a caller that removes folders
// once their files are gone (a folder tree) does so after flush() and the last deletions.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/zipnames.h"
#include "platform/markedfile.h"

namespace roomvale {

// What became of one file handed to the writer.
struct ZipResult {
  std::string path;         // the file on disk
  std::string archivePath;  // the archive it was meant for
  std::string entryName;    // its name in that archive
  bool stored = false;      // in the archive and verified: the file may now be deleted
  QString reason;           // why it was not stored (for display), empty when stored
  std::uint64_t size = 0;   // bytes read from the file
  bool deflated = false;    // stored deflated rather than as is
  // The file that was read (device and inode) and its modification time then: a caller
  // deletes a stored file only while it is still that file, unchanged.
  platform::FileIdentity identity;
  std::int64_t mtimeSec = 0;
  std::int64_t mtimeNsec = 0;
};

class ZipWriter {
 public:
  // When the queued entries of an archive are committed: as soon as they reach the larger of
  // the minimum and the archive's committed size (in files or in bytes), or either maximum.
  struct Batching {
    std::size_t minFiles = 256;
    std::uint64_t minBytes = std::uint64_t(16) << 20;
    std::size_t maxFiles = 50000;
    std::uint64_t maxBytes = std::uint64_t(512) << 20;
    std::size_t maxOpenArchives = 4;  // beyond that the least recently used one is committed and closed
    bool readBack = true;             // decompress every new entry after its commit (CRC check)
  };

  // `comment` becomes the comment of every archive written (an empty one removes it).
  explicit ZipWriter(const QString& comment = {});
  ZipWriter(const QString& comment, Batching batching);
  // Entries still queued are dropped, never reported, and their files left alone: call
  // flush() first.
  ~ZipWriter();
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Called while a file is compressed, with the percentage of it done (0 to 100); answering
  // true fails that file ("cancelled") and leaves its archive as it was. Also called while an
  // archive is written or checked (the answer is ignored there: what is being written is
  // already complete), so a caller that pumps events here keeps its window alive throughout.
  std::function<bool(int percent)> progress;

  // Queues the regular file `path` for the archive `archivePath` (created when missing,
  // otherwise added to) under its name relative to its volume. The file is reached through
  // its folders without following a link (platform/markedfile.h) and must be `expected`
  // when that is known. Its outcome appears in takeSettled(), at once when it fails early,
  // otherwise after the commit that stores it.
  void add(const std::string& archivePath, const std::string& path, const platform::FileIdentity& expected = {});
  // The same with an explicit entry name (relative, "/" separators, no "." or "..").
  void add(const std::string& archivePath, const std::string& path, const std::string& entryName,
           const platform::FileIdentity& expected = {});
  // The file `name` of the folder open as `dirfd`, named `path` (its entry name is made
  // from that path as above), read through that descriptor; it must be `expected` when that
  // is known. It is checked again through that folder after the commit; whether it is still
  // the file read when it is deleted is the caller's check (ZipResult::identity).
  void addFromFolder(const std::string& archivePath, const std::string& path, int dirfd, const std::string& name,
                     const platform::FileIdentity& expected = {});

  // Commits every archive with queued entries.
  void flush();

  // Outcomes that became final since the last call, in the order they did.
  std::vector<ZipResult> takeSettled();

  // Files queued and not yet committed.
  std::size_t queued() const;

  struct Archive;  // one archive being written

 private:
  Archive* archiveFor(const std::string& archivePath);
  void commit(Archive& a);
  void closeArchive(const std::string& archivePath);
  void fail(const std::string& archivePath, const std::string& path, const std::string& entryName, QString reason);
  bool report(int percent);
  // A reached file: only a regular one is opened and stored; `heldFolder` is the walk's folder
  // descriptor it was found in, or -1.
  void addReached(const std::string& archivePath, const std::string& path, const std::string& entryName,
                  const platform::ReachedFile& found, int heldFolder);
  void addOpened(const std::string& archivePath, const std::string& path, const std::string& entryName, int fd,
                 int dirfd, const std::string& name);

  QString comment_;
  Batching batching_;
  VolumeRoots roots_;
  bool rootsLoaded_ = false;  // the mount table is read at the first add that needs it
  std::map<std::string, std::unique_ptr<Archive>> archives_;
  std::vector<ZipResult> settled_;
  platform::FolderReach folders_;
  std::uint64_t useCounter_ = 0;
  bool inCommit_ = false;
};

}  // namespace roomvale
