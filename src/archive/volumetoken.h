// The volume part of an archive name. Archives are named after the volume their files came
// from ("Drive-" + token + "-" ...); the token is made from the volume's mount point so that
// the name stays a plain file name, and the restore maps it back to a mounted volume.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/volumes.h"

namespace roomvale {

// "root" for the volume mounted at "/"; otherwise the mount point without its leading "/"
// and with every character other than ASCII letters, digits, "." and "_" turned into "_"
// ("/media/ann/USB 2" gives "media_ann_USB_2"). A character is a whole UTF-8 sequence; a
// byte that starts no valid sequence counts as one character. Tokens never contain "-".
std::string volumeToken(const std::string& mountPoint);

// The mount points among `volumes` whose token is `token`, in the order given.
std::vector<std::string> mountPointsForToken(const std::string& token, const std::vector<platform::Volume>& volumes);

// The mount point a token stands for: the one volume whose token it is. Nothing when no
// mounted volume has it, and nothing when several do ("/a b" and "/a_b" both give "a_b"):
// guessing could put restored files on the wrong volume without a question, so an
// ambiguous token is treated like a volume that is not mounted.
std::optional<std::string> mountPointForToken(const std::string& token, const std::vector<platform::Volume>& volumes);
// The same among the volumes mounted now.
std::optional<std::string> mountPointForToken(const std::string& token);

// The token of an archive's file name: what follows "Drive-" up to the next "-"
// (".../Drive-media_ann_USB_2-TempClean06Sep970533.zip" gives "media_ann_USB_2"). Only the
// file name is looked at, never the folders above it. Nothing when the name does not start
// with "Drive-" or no "-" follows the token ("Drive-notes.zip").
std::optional<std::string> tokenFromArchiveName(const std::string& archivePath);

// Where the files of an archive came from: the volume its token stands for.
struct ArchiveOrigin {
  enum class Kind {
    Mounted,     // `mountPoint` is the original root
    NotMounted,  // the name has a token, but no one mounted volume has it
    Unknown,     // the name carries no token: no folder is the original root
  };
  Kind kind = Kind::Unknown;
  std::string token;
  std::string mountPoint;
};
ArchiveOrigin archiveOrigin(const std::string& archivePath, const std::vector<platform::Volume>& volumes);
ArchiveOrigin archiveOrigin(const std::string& archivePath);

// True when restoring into `folder` puts the files back where they were: it is the
// original root (trailing "/" ignored; mount points are compared exactly).
bool isOriginalRoot(const std::string& folder, const ArchiveOrigin& origin);

}  // namespace roomvale
