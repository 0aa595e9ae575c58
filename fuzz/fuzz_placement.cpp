// fuzz-links: roomvale_foundation
// Stored window placements: any text with any delimiter is read without a crash, and a
// placement written with the usual delimiter reads back the same.
#include <cstddef>
#include <cstdint>

#include <QString>

#include "foundation/winplace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // First byte: length of the delimiter taken from the front of the rest.
  const std::size_t delimiterLength = std::min<std::size_t>(data[0] % 4, size - 1);
  const QString delimiter = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(delimiterLength));
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1 + delimiterLength),
                                         qsizetype(size - 1 - delimiterLength));
  const roomvale::WindowPlacement p = roomvale::parsePlacement(text, delimiter);
  roomvale::placementApplies(p);
  const QString blank = QStringLiteral(" ");
  if (roomvale::parsePlacement(roomvale::formatPlacement(p, blank), blank) != p) __builtin_trap();
  return 0;
}
