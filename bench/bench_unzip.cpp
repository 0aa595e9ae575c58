// bench-links: roomvale_archive
// Restoring an archive: ZipRestorer (every file through a temporary name, CRC-checked,
// renamed into place, folders opened without following links) into an empty folder.
//   bench_unzip ARCHIVE DEST   prints "files restored seconds"
#include <chrono>
#include <cstdio>
#include <string>

#include "archive/zipreader.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_unzip ARCHIVE DEST\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  roomvale::ZipReader reader;
  QString why;
  if (!reader.open(argv[1], &why)) {
    std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
    return 1;
  }
  std::size_t failed = 0;
  roomvale::RestoreHooks hooks;
  hooks.progress = [](int) {};
  hooks.failed = [&](const std::string& entry, const QString& detail) {
    if (++failed <= 5) std::fprintf(stderr, "%s: %s\n", entry.c_str(), detail.toLocal8Bit().constData());
  };
  roomvale::ZipRestorer restorer(std::move(hooks));
  const roomvale::RestoreSummary s = restorer.run(reader, argv[2]);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%zu %zu %.3f\n", s.files, s.restored, seconds);
  return s.restored == s.files && s.destinationError.isEmpty() ? 0 : 1;
}
