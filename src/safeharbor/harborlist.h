// The list routines behind the Safe Harbor: folder entries, their normal form, the lookup
// of a folder in a sorted list and the protected-type match. Pure functions over native
// byte strings, so the query, the editor window and the tests share one implementation.
//
// A folder entry is either a one-folder entry "/usr/lib/" (the files directly in that
// folder) or a whole-tree entry "/opt/app/*.*" (the folder and everything below it).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace roomvale {

// The marker that makes an entry a whole-tree entry.
inline constexpr std::string_view kWholeTree = "*.*";

bool isWholeTreeEntry(std::string_view entry);
// The folder of an entry: a whole-tree entry without its "*.*", a one-folder entry as is.
std::string_view entryFolder(std::string_view entry);

// ASCII case folding on bytes; other bytes (UTF-8 or not) are left alone.
std::string upperAscii(std::string_view text);
std::string lowerAscii(std::string_view text);
// Case-insensitive order of two byte strings: <0, 0, >0.
int compareNoCase(std::string_view a, std::string_view b);
bool equalNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
// Sorts case-insensitively (stable, so entries differing only in case keep their order).
void sortNoCase(std::vector<std::string>& list);

// The canonical form of a path (symbolic links, "." and ".." resolved), keeping a final
// "/"; the path unchanged when it cannot be resolved (it does not exist). For a whole-tree
// entry the folder part is resolved and "*.*" appended again.
std::string shortPathName(std::string_view path);

// Replaces every entry by its shortPathName in upper case and sorts the list again.
// `pump` runs between entries so that windows stay alive on long lists.
void normalizeList(std::vector<std::string>& list, const std::function<void()>& pump = {});

// Whole-tree entries absorb the entries below them: every entry whose folder starts with a
// whole-tree entry's folder is removed, the whole-tree entries themselves are kept (nested
// ones too), and the list is sorted case-insensitively. `scratch` is working storage.
void collapseWholeTreeEntries(std::vector<std::string>& list, std::vector<std::string>& scratch);
void collapseWholeTreeEntries(std::vector<std::string>& list);

// Finds the entry of a sorted list that protects `folder` (a folder path ending in "/"):
// a one-folder entry equal to it, or a whole-tree entry for it or one of its ancestors.
// Case-insensitive. Returns the entry's index, or -1.
int findFolderEntry(std::string_view folder, const std::vector<std::string>& list);

// True when the file's type or name is in `extensions` (lower case entries such as "*.sys",
// or whole file names). The pattern is "*" plus the file's extension in lower case ("*" for
// a file without one); names are compared without regard to case.
bool matchesProtectedType(std::string_view path, const std::vector<std::string>& extensions);
// The same test against a prepared set (what the query uses for speed).
std::string protectedTypePattern(std::string_view path);  // "*.sys"
std::string_view fileNameOf(std::string_view path);

// The folders of a search path value ("/usr/bin:/bin::/opt/x/bin:"): split at ":", empty
// elements skipped, a "/" added where missing, duplicates (case-insensitive) dropped, in
// the order met.
std::vector<std::string> searchPathFolders(std::string_view value);

// Gives a folder entry its final "/" ("/opt/app" -> "/opt/app/", "/opt/app*.*" ->
// "/opt/app/*.*"), so that hand-written entries still match folder queries.
std::string withFolderSlash(std::string_view entry);

// The Safe Harbor folder file "folders.txt".
struct FolderListFile {
  bool exists = false;               // the file is there
  bool readable = true;              // it could be read and is text
  std::string problem;               // why it could not be read (when !readable)
  std::vector<std::string> entries;  // the folder entries, in file order
  int badLines = 0;                  // lines that are not folder paths, skipped
};
// Reads and parses the file (CR LF, LF or CR line ends, blank lines skipped).
FolderListFile readFolderListFile(const std::string& path);
// Parses the text of the file.
void parseFolderList(std::string_view text, FolderListFile& out);
// The text to store: the entries sorted case-insensitively, each ended by CR LF.
std::string formatFolderList(std::vector<std::string> entries);

}  // namespace roomvale
