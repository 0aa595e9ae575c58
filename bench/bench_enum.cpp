// bench-links: roomvale_platform
// Directory enumeration speed: DirReader over one large folder, entries per second.
//   bench_enum create DIR COUNT       makes COUNT small files in DIR (kept for later runs)
//   bench_enum read DIR PATTERN REQ N  reads DIR N times, prints "entries best_seconds"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/direnum.h"

using roomvale::platform::DirEntry;
using roomvale::platform::DirReader;

namespace {

int create(const std::string& dir, long count) {
  ::mkdir(dir.c_str(), 0755);
  char name[64];
  for (long i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "/file%06ld.dat", i);
    const std::string path = dir + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
      std::perror(path.c_str());
      return 1;
    }
    const std::string content = std::to_string(i) + "\n";
    if (::write(fd, content.data(), content.size()) < 0) std::perror(path.c_str());
    ::close(fd);
  }
  return 0;
}

int read(const std::string& dir, const std::string& pattern, unsigned request, int runs) {
  double best = 1e30;
  long entries = 0;
  std::uint64_t checksum = 0;  // keeps every field in use
  DirEntry e;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    DirReader reader;
    if (!reader.open(dir, pattern, request)) {
      std::perror(dir.c_str());
      return 1;
    }
    long n = 0;
    while (reader.next(e)) {
      ++n;
      checksum += e.size + e.attr + static_cast<std::uint64_t>(e.writeTime.sec) + e.name.size();
    }
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (secs < best) best = secs;
    entries = n;
  }
  std::printf("%ld %.6f %llu\n", entries, best, static_cast<unsigned long long>(checksum % 10));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "create" && argc == 4) return create(argv[2], std::atol(argv[3]));
  if (mode == "read" && argc == 6)
    return read(argv[2], argv[3], static_cast<unsigned>(std::strtoul(argv[4], nullptr, 0)), std::atoi(argv[5]));
  std::fprintf(stderr, "usage: bench_enum create DIR COUNT | read DIR PATTERN REQUEST RUNS\n");
  return 2;
}
