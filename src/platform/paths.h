// Paths as native byte strings, and the per-user folders.
#pragma once

#include <QString>
#include <string>

namespace roomvale::platform {

// Folder + "/" + name, without doubling a trailing "/".
std::string joinPath(const std::string& folder, const std::string& name);
// The folder part of a path including its last "/" ("/a/b.txt" -> "/a/"); "" when none.
std::string folderOf(const std::string& path);
// The name after the last "/".
std::string nameOf(const std::string& path);
// Canonical path (realpath); the path unchanged when that fails.
std::string canonicalPath(const std::string& path);

// Native bytes <-> display text. UTF-8 decodes as such; any other byte becomes a lone
// surrogate (U+DC80..U+DCFF), so fromDisplay(toDisplay(p)) == p for every path.
QString toDisplay(const std::string& path);
std::string fromDisplay(const QString& text);

// $XDG_CONFIG_HOME or ~/.config, without trailing "/".
std::string configRoot();
// $XDG_DATA_HOME or ~/.local/share, without trailing "/".
std::string dataHome();
// $XDG_CACHE_HOME or ~/.cache, without trailing "/".
std::string cacheHome();
// The per-user data folder of the program: dataHome() + "/Roomvale" (not created here).
std::string userDataFolder();
// Creates userDataFolder() when missing; returns it.
std::string ensureUserDataFolder();
// The user's home folder without trailing "/".
std::string homeFolder();
// The folder holding the running executable, with trailing "/".
std::string programFolder();

// A file the program only reads (the help document): beside the executable, as in the build
// folder, or else in the installed data folder `<prefix>/share/roomvale/` next to
// `<prefix>/bin/`. Gives the first that exists, or the path beside the executable.
std::string programDataFile(const std::string& name);

// Replaces `path` atomically with `content` (temporary file ".<name>.tmp-..." in the same
// folder, locked while it exists, fsync, rename). False on failure, with the old file
// untouched. After a write, temporaries of the same name that killed writers left behind
// (older than a few seconds and not locked by a running writer) are removed.
bool writeFileAtomically(const std::string& path, const std::string& content);

}  // namespace roomvale::platform
