// fuzz-links: roomvale_deletion
// The deletion log "grdelete.txt": any bytes are read or refused, never a crash; a log that
// was read is written and read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include <QDateTime>

#include "deletion/deletionlog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  roomvale::DeletionLog log;
  if (!log.fromFileText(std::string(reinterpret_cast<const char*>(data), size))) return 0;
  log.addEntry(QDateTime(QDate(2024, 3, 15), QTime(9, 7)), {1, 2, 3, 4, 5, 6});
  const std::string once = log.toFileText();
  roomvale::DeletionLog back;
  if (!back.fromFileText(once) || back.toFileText() != once) __builtin_trap();
  return 0;
}
