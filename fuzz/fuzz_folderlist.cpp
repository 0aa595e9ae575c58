// fuzz-links: roomvale_safeharbor
// The Safe Harbor folder list "folders.txt": parsed, written and parsed again, the same
// entries come back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "safeharbor/harborlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  roomvale::FolderListFile first;
  roomvale::parseFolderList(std::string_view(reinterpret_cast<const char*>(data), size), first);
  if (!first.readable) return 0;
  const std::string text = roomvale::formatFolderList(first.entries);
  roomvale::FolderListFile second;
  roomvale::parseFolderList(text, second);
  if (!second.readable || second.badLines != 0 || second.entries.size() != first.entries.size()) __builtin_trap();
  if (roomvale::formatFolderList(second.entries) != text) __builtin_trap();
  for (const std::string& e : second.entries) {
    roomvale::entryFolder(e);
    // Every entry of a sorted list finds an entry protecting its own folder.
    if (roomvale::findFolderEntry(roomvale::entryFolder(e), second.entries) < 0) __builtin_trap();
  }
  return 0;
}
