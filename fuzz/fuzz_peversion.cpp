// fuzz-links: roomvale_inspect
// libFuzzer target: the version-resource parser over arbitrary bytes, as a whole PE image
// and as a bare VS_VERSIONINFO block. Seeds in corpus/peversion/.
#include <cstddef>
#include <cstdint>

#include "inspect/peversion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (auto info = roomvale::parsePeVersion(data, size)) {
    for (const auto& [table, strings] : info->stringTables) (void)info->query(table, "CompanyName");
  }
  (void)roomvale::parseVersionBlock(data, size);
  return 0;
}
