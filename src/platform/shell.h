// Desktop services: the trash, opening with the associated program, file types.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <string>

namespace roomvale::platform {

// Moves a file, symbolic link or folder to the freedesktop.org trash (home trash, or the
// volume's top-directory trash when it lies on another file system), writing its .trashinfo.
// Returns an empty text on success, otherwise the reason.
QString moveToTrash(const std::string& path);

// Opens a file with its associated program; false when that could not be started.
bool openWithAssociatedProgram(const std::string& path);

// The file URL of a path, percent-encoded from its bytes (a relative path is taken from the
// current folder), so that a name that is not UTF-8 survives.
QUrl fileUrlOf(const std::string& path);

// MIME information of a file-name extension given with its dot (".txt"); empty texts when
// no MIME glob "*.ext" names it.
struct ExtensionType {
  QString typeName;     // e.g. "text/plain"
  QString description;  // MIME comment, e.g. "plain text document"
};
ExtensionType extensionType(const QString& extWithDot);

// Every extension registered as a MIME glob "*.ext", as ".ext", sorted case-insensitively,
// without duplicates.
QStringList registeredExtensions();

}  // namespace roomvale::platform
