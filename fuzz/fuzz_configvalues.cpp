// fuzz-links: roomvale_safeharbor
// Values of configuration files as the Safe Harbor build reads them, and the folders they
// name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "safeharbor/folderscan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  roomvale::forEachConfigValue(text, [&](std::string_view value) {
    if (value.data() < text.data() || value.data() + value.size() > text.data() + text.size()) __builtin_trap();
    if (const auto folder = roomvale::folderReference(value)) {
      if (folder->empty() || folder->front() != '/' || folder->back() != '/') __builtin_trap();
    }
  });
  return 0;
}
