// Reading archives back: listing an archive, and restoring its files below a chosen folder.
//
// Restoring never writes outside that folder: an entry whose name is absolute, has an
// empty, "." or ".." part, or whose folders would pass through a symbolic link or a file
// already present there is refused, and every folder is opened relative to its parent
// without following links (platform/destfolders.h). Each file is written under a temporary
// name in its folder, checked against its size and CRC, given its stored time and
// permissions, and only then renamed to its own name, so a failure or an abort never leaves
// a half-written file. An existing file is replaced only when the caller agrees. Names are
// the entries' stored bytes, so a name that is not UTF-8 comes back as it was.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/destfolders.h"

struct zip;

namespace roomvale {

// One entry as the archive lists it.
struct ZipEntryInfo {
  std::string name;  // the stored bytes
  std::uint64_t size = 0;
  std::uint64_t compSize = 0;
  std::time_t mtime = 0;
  bool encrypted = false;
  bool folder = false;  // the name ends in "/"
};

// An archive opened for reading.
class ZipReader {
 public:
  ZipReader() = default;
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Opens `path`; false (with the reason in `why`) when it is not a readable ZIP archive.
  // Whatever was open before is closed either way.
  bool open(const std::string& path, QString* why = nullptr);
  void close();
  bool isOpen() const { return za_ != nullptr; }
  const std::string& path() const { return path_; }

  std::uint64_t count() const;
  QString comment() const;
  std::vector<ZipEntryInfo> entries() const;

  zip* handle() const { return za_; }

 private:
  zip* za_ = nullptr;
  std::string path_;
};

// The modification time an entry carries: its extended timestamp when it has one (whole
// seconds, no time zone involved), otherwise its DOS date and time.
std::time_t entryModificationTime(zip* za, std::uint64_t index, std::time_t dosTime);

// What a restore run asks of its window.
struct RestoreHooks {
  // Share of the archive's bytes done so far (0 to 100); may let events through.
  std::function<void(int percent)> progress;
  // Asked between pieces of work; true stops the run (the file in hand is not kept).
  std::function<bool()> aborted;
  // An entry that could not be restored. `detail` is the library's or the system's text
  // for the error, empty when the entry was refused for its name or its place.
  std::function<void(const std::string& entry, const QString& detail)> failed;
  // An entry whose name was met before in this archive; it is skipped. True when the user
  // wants no more such warnings.
  std::function<bool(const std::string& entry)> duplicate;
  // A file already at the target of `entry`: Yes/YesToAll replace it, No/NoToAll keep it.
  enum class Replace { Yes, No, YesToAll, NoToAll };
  std::function<Replace(const std::string& entry, const std::string& target)> replace;
  // A password for an encrypted entry; nothing when the user cancels.
  std::function<std::optional<QString>(const std::string& entry)> password;
};

struct RestoreSummary {
  std::size_t files = 0;     // file entries in the archive
  std::size_t restored = 0;  // written to their place
  std::size_t failed = 0;    // reported through `failed`
  std::size_t skipped = 0;   // kept existing files and repeated names
  bool aborted = false;
  QString destinationError;  // the folder could not be opened for writing: nothing was tried
};

class ZipRestorer {
 public:
  explicit ZipRestorer(RestoreHooks hooks) : hooks_(std::move(hooks)) {}

  // Restores every entry of `archive` below the folder `destination`, re-creating the
  // stored folders.
  RestoreSummary run(const ZipReader& archive, const std::string& destination);

  // A password asked for is offered again to later entries, as long as it works.
  QByteArray password;
  // Times a password is asked for one entry before it is given up.
  int passwordAttempts = 3;

 private:
  enum class Copied { Ok, Failed, Aborted };
  void restoreEntry(zip* za, std::uint64_t index);
  Copied copyEntry(zip* za, std::uint64_t index, const std::string& name, int fd, std::uint64_t size, std::uint32_t crc,
                   bool encrypted, QString& detail);
  Copied copyData(void* file, int fd, std::uint64_t size, std::uint32_t crc, QString& detail);
  bool keepExisting(const std::string& name, const std::string& target);
  void fail(const std::string& name, const QString& detail);
  bool aborted();
  void progress(std::uint64_t bytes);

  RestoreHooks hooks_;
  RestoreSummary summary_;
  platform::DestinationFolders folders_;
  std::string destination_;
  std::vector<char> buffer_;
  std::uint64_t totalBytes_ = 0;
  std::uint64_t doneBytes_ = 0;
  unsigned defaultMode_ = 0644;
  bool replaceAll_ = false;
  bool keepAll_ = false;
  bool noDuplicateWarnings_ = false;
};

}  // namespace roomvale
