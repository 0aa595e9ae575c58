// bench-links: roomvale_archive
// Zipping deleted files: ZipWriter over a tree of small files, from the first add until
// every file is reported stored (committed and verified), against zip(1) on the same tree.
//   bench_zip create DIR COUNT   makes COUNT files of 16-24 KiB in DIR, a seeded mix of
//                                text-like (compressible) and random content
//   bench_zip run DIR ARCHIVE [no-read-back]
//                                zips every file below DIR into ARCHIVE (removed first) and
//                                prints "files stored seconds archive_bytes"; with no-read-back
//                                entries are checked against the central directory only
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "archive/zipwriter.h"

namespace fs = std::filesystem;

namespace {

int create(const std::string& dir, int count) {
  static const char* words[] = {"space", "folder", "archive",   "report", "the",  "of",     "and",    "disk",
                                "file",  "clean",  "temporary", "backup", "data", "letter", "review", "old",
                                "2019",  "total",  "invoice",   "draft",  "copy", "final",  "notes",  "list"};
  std::mt19937 gen(20240229);
  std::uniform_int_distribution<int> size(16 * 1024, 24 * 1024);
  std::uniform_int_distribution<int> word(0, sizeof(words) / sizeof(words[0]) - 1);
  for (int i = 0; i < count; ++i) {
    char sub[32], name[32];
    std::snprintf(sub, sizeof sub, "d%04d", i / 100);
    std::snprintf(name, sizeof name, "f%06d.dat", i);
    const fs::path folder = fs::path(dir) / sub;
    if (i % 100 == 0) fs::create_directories(folder);
    const int n = size(gen);
    std::string content;
    content.reserve(n);
    if (gen() % 2 == 0) {
      while (static_cast<int>(content.size()) < n) {
        content += words[word(gen)];
        content += (gen() % 12 == 0) ? '\n' : ' ';
      }
      content.resize(n);
    } else {
      content.resize(n);
      for (auto& c : content) c = static_cast<char>(gen() & 0xFF);
    }
    std::ofstream(folder / name, std::ios::binary).write(content.data(), n);
  }
  return 0;
}

int run(const std::string& dir, const std::string& archive, bool readBack) {
  fs::remove(archive);  // each run starts a new archive
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(fs::absolute(dir)))
    if (e.is_regular_file()) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());

  roomvale::ZipWriter::Batching batching;
  batching.readBack = readBack;
  roomvale::ZipWriter zip(QStringLiteral("benchmark"), batching);
  std::size_t stored = 0, settled = 0;
  auto take = [&] {
    for (const auto& r : zip.takeSettled()) {
      ++settled;
      if (r.stored) ++stored;
    }
  };
  for (const auto& f : files) {
    zip.add(archive, f);
    take();
  }
  zip.flush();
  take();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  struct stat st {};
  ::stat(archive.c_str(), &st);
  std::printf("%zu %zu %.3f %lld\n", files.size(), stored, seconds, static_cast<long long>(st.st_size));
  return stored == files.size() && settled == files.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "create") return create(argv[2], std::stoi(argv[3]));
  if ((argc == 4 || argc == 5) && std::string(argv[1]) == "run")
    return run(argv[2], argv[3], argc == 4 || std::string(argv[4]) != "no-read-back");
  std::fprintf(stderr, "usage: bench_zip create DIR COUNT | bench_zip run DIR ARCHIVE [no-read-back]\n");
  return 2;
}
