// The folders whose whole tree the program refuses to delete: volume roots and the
// operating-system folders. Asked by every window that opens folder-tree deletion.
#pragma once

#include <string>
#include <vector>

namespace roomvale {

// What is refused before the folder-tree deletion window opens.
enum class CleanRefusal { None, RootFolder, SystemFolder };

// The operating-system folders no row may be cleaned as (exact paths, not below them).
const std::vector<std::string>& systemFolders();
// With the mount points and the home folder given (tests). Compared without regard to case,
// as written and as the canonical path.
CleanRefusal cleanRefusal(const std::string& path, const std::vector<std::string>& mountPoints,
                          const std::string& home);
// With this machine's mount table and home folder.
CleanRefusal cleanRefusal(const std::string& path);

}  // namespace roomvale
