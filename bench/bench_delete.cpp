// bench-links: roomvale_deletion
// The deletion review's actions on a tree of small files: deleting outright, and storing in
// archives before deleting. The files are listed and put in the review's panel order first,
// as the review would hold them, then handed to the action.
//   bench_delete create DIR COUNT MIN_KIB MAX_KIB
//                         makes COUNT files of MIN-MAX KiB in DIR (100 a folder), a seeded
//                         mix of text-like (compressible) and random content
//   bench_delete delete DIR
//                         deletes every file below DIR; prints "files deleted bytes"
//   bench_delete zip DIR ZIP_FOLDER
//                         archives every file below DIR into ZIP_FOLDER and deletes it;
//                         prints "files zipped bytes"
#include <QCoreApplication>
#include <QDateTime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "archive/zipnames.h"
#include "deletion/reviewactions.h"
#include "deletion/reviewlist.h"

namespace fs = std::filesystem;

namespace {

int create(const std::string& dir, int count, int minKiB, int maxKiB) {
  static const char* words[] = {"space", "folder", "archive",   "report", "the",  "of",     "and",    "disk",
                                "file",  "clean",  "temporary", "backup", "data", "letter", "review", "old",
                                "2019",  "total",  "invoice",   "draft",  "copy", "final",  "notes",  "list"};
  std::mt19937 gen(19970906);
  std::uniform_int_distribution<int> size(minKiB * 1024, maxKiB * 1024);
  std::uniform_int_distribution<int> word(0, sizeof(words) / sizeof(words[0]) - 1);
  for (int i = 0; i < count; ++i) {
    char sub[32], name[32];
    std::snprintf(sub, sizeof sub, "d%04d", i / 100);
    std::snprintf(name, sizeof name, "f%06d.tmp", i);
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

// Every file below `dir`, in the order of the review's deletion panel.
std::vector<std::string> panel(const std::string& dir) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(fs::absolute(dir)))
    if (e.symlink_status(ec).type() == fs::file_type::regular) files.push_back(e.path().string());
  roomvale::ReviewList list;
  list.add(std::move(files));
  return list.paths();
}

roomvale::ActionHooks quietHooks(std::size_t& failures) {
  roomvale::ActionHooks hooks;
  hooks.onError = [&failures](const QString& text) {
    if (failures++ < 5) std::fprintf(stderr, "%s\n", qPrintable(text));
  };
  return hooks;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "create" && argc == 6) return create(argv[2], std::stoi(argv[3]), std::stoi(argv[4]), std::stoi(argv[5]));

  std::size_t failures = 0;
  if (what == "delete" && argc == 3) {
    const std::vector<std::string> files = panel(argv[2]);
    const roomvale::ActionTally t = roomvale::deleteFiles(files, quietHooks(failures));
    std::printf("%zu %lld %lld\n", files.size(), static_cast<long long>(t.files), static_cast<long long>(t.bytes));
    return failures == 0 ? 0 : 1;
  }
  if (what == "zip" && argc == 4) {
    roomvale::defaultZipPath = fs::absolute(argv[3]).string() + "/";
    const std::vector<std::string> files = panel(argv[2]);
    roomvale::ZipRun run;
    run.sourceTag = QStringLiteral("TempClean");
    run.comment = QStringLiteral("benchmark");
    run.stamp = QDateTime::currentDateTime();
    const roomvale::ActionTally t = roomvale::zipFiles(files, run, quietHooks(failures));
    std::printf("%zu %lld %lld\n", files.size(), static_cast<long long>(t.files), static_cast<long long>(t.bytes));
    return failures == 0 ? 0 : 1;
  }
  std::fprintf(stderr, "usage: bench_delete create DIR COUNT MIN_KIB MAX_KIB | delete DIR | zip DIR ZIP_FOLDER\n");
  return 2;
}
