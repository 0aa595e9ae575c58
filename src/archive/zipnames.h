// Where archives go and what they and their entries are called.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "platform/volumes.h"

namespace roomvale {

// The folder that receives the archives, ending in "/". Set at start-up by
// getDefaultZipPath and replaced whenever the archive options window closes.
extern std::string defaultZipPath;

// The archive folder used when none is set: the user's home folder + "/".
std::string builtInZipFolder();

// Reads "ZipFile"/"Path" from the settings store (default: builtInZipFolder()) into
// defaultZipPath.
void getDefaultZipPath();

// Time stamp of an archive name, "ddmmmyyhhmm": day, the locale's abbreviated month name,
// two-digit year, hour 00-23, minute ("06Sep970533").
QString zipTimeStamp(const QDateTime& when);

// defaultZipPath (builtInZipFolder() when empty) joined with
// "Drive-" + volume token + "-" + source tag + time stamp + ".zip".
std::string makeZipFileName(const QString& sourceTag, const std::string& volumeToken, const QDateTime& stamp);

// The mount points of the volumes, taken once, so that naming thousands of files does not
// read the mount table for each.
class VolumeRoots {
 public:
  VolumeRoots();  // the volumes mounted now
  explicit VolumeRoots(std::vector<platform::Volume> volumes);
  // Mount point of the volume holding `path`; "/" when no listed volume does.
  std::string rootOf(const std::string& path) const;

 private:
  std::vector<platform::Volume> volumes_;
};

// Name of the entry for `path` in an archive of the volume mounted at `root`: the path
// below the root, "/" separators, no leading "/", empty and "." components dropped. Nothing
// when the path is not below the root, names the root itself, or has a ".." component
// (an entry must never reach outside the folder it is restored into).
std::optional<std::string> entryNameFor(const std::string& path, const std::string& root);

// True for names entryNameFor can give: relative, no empty, "." or ".." components.
bool isSafeEntryName(const std::string& name);

// The archive a file goes to: makeZipFileName with the token of the file's volume.
std::string archivePathFor(const QString& sourceTag, const std::string& path, const QDateTime& stamp,
                           const VolumeRoots& roots);

// The report for a file that was not stored: "Couldn't zip up file - " + path.
QString couldNotZipText(const std::string& path);

}  // namespace roomvale
