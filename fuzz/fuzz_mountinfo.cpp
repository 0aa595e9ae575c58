// fuzz-links: roomvale_platform
// The mount table: parsing, the volume list made of it and the mount of a path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/mountid.h"
#include "platform/volumes.h"

using namespace roomvale::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto entries = parseMountInfo(text);
  for (const MountInfoEntry& e : entries) {
    isHiddenMount(e);
    classifyMount(e, e.minor % 2 == 1);
    mountIdOfPath(entries, e.mountPoint);
    mountIdOfPath(entries, e.mountPoint + "/below");
  }
  const auto volumes = volumesFromMountInfo(
      entries, [](const MountInfoEntry& m) { return m.major % 2 == 0; },
      [](const MountInfoEntry& m) { return m.source; });
  for (const Volume& v : volumes) {
    volumeEntryText(v);
    if (!volumeOf(v.mountPoint + "/x", volumes)) __builtin_trap();  // its own volume holds it
  }
  decodeUdevEscapes(text);
  return 0;
}
