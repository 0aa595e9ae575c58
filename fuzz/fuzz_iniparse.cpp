// fuzz-links: roomvale_foundation
// Reading any bytes as a settings file: never a crash, and what is written of it reads back
// as written, without damage.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  const roomvale::IniDocument doc = roomvale::IniDocument::parse(content);
  const std::string once = doc.serialize();
  const roomvale::IniDocument again = roomvale::IniDocument::parse(once);
  if (again.damaged() || again.serialize() != once) __builtin_trap();
  return 0;
}
