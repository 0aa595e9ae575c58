// bench-links: roomvale_foundation
// Reading a settings file: files of many sections (one entry each) beside a file of one
// section of the same size, read whole and looked up the way the settings store does it.
// Usage: bench_ini <work folder> [sections ...]   (default 25000 200000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/inifile.h"
#include "platform/paths.h"

namespace {

std::string manySections(long sections) {
  std::string text;
  for (long i = 0; i < sections; ++i)
    text += "[Window" + std::to_string(i) + "]\nPlacement=" + std::to_string(i * 7 % 1000) + "\n\n";
  return text;
}

// One section whose entries fill the same number of bytes.
std::string oneSection(std::size_t bytes) {
  std::string text = "[Window]\n";
  for (long i = 0; text.size() < bytes; ++i) text += "Key" + std::to_string(i) + "=" + std::to_string(i % 1000) + "\n";
  return text;
}

// Best of `rounds` reads (ms), with a lookup that must succeed.
double timeRead(const std::string& path, const QString& section, const QString& key, int rounds) {
  double best = 1e300;
  for (int r = 0; r < rounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    const roomvale::IniDocument doc = roomvale::readIniFile(path);
    if (!doc.find(section, key)) {
      std::fprintf(stderr, "lookup failed in %s\n", path.c_str());
      std::exit(1);
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, ms);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_ini <work folder> [sections ...]\n");
    return 2;
  }
  const std::string work = argv[1];
  std::vector<long> counts;
  for (int i = 2; i < argc; ++i) counts.push_back(std::atol(argv[i]));
  if (counts.empty()) counts = {25000, 200000};

  std::printf("%-22s %12s %14s %14s\n", "file", "bytes", "read (ms)", "one section");
  for (const long n : counts) {
    const std::string many = manySections(n);
    const std::string one = oneSection(many.size());
    const std::string manyPath = work + "/sections-" + std::to_string(n) + ".ini";
    const std::string onePath = work + "/one-section-" + std::to_string(n) + ".ini";
    if (!roomvale::platform::writeFileAtomically(manyPath, many) ||
        !roomvale::platform::writeFileAtomically(onePath, one)) {
      std::fprintf(stderr, "cannot write into %s\n", work.c_str());
      return 1;
    }
    const int rounds = n > 100000 ? 3 : 5;
    // The last section, so that a lookup that walks the sections pays in full.
    const double manyMs =
        timeRead(manyPath, QStringLiteral("Window%1").arg(n - 1), QStringLiteral("Placement"), rounds);
    const double oneMs = timeRead(onePath, QStringLiteral("Window"), QStringLiteral("Key0"), rounds);
    std::printf("%-22s %12zu %14.1f %14.1f\n", (std::to_string(n) + " sections").c_str(), many.size(), manyMs, oneMs);
  }
  return 0;
}
