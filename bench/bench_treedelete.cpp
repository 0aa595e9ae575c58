// bench-links: roomvale_deletion
// Removing a whole folder tree with TreeDeleter, for comparison with rm(1) and zip(1).
//   bench_treedelete create DIR FOLDERS FILES SIZE   FOLDERS sub-folders of FILES files of SIZE bytes
//   bench_treedelete deep DIR LEVELS                 a chain of LEVELS folders with one file at the bottom
//   bench_treedelete deepfiles DIR LEVELS            the same with one more file on every level
//   bench_treedelete run MODE DIR [ARCHIVE]          MODE delete, recycle, zip or zipdelete; prints
//                                                    "files bytes seconds"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "deletion/treedelete.h"

namespace {

int create(const std::string& dir, int folders, int files, int size) {
  const std::string content(static_cast<std::size_t>(size), 'r');
  ::mkdir(dir.c_str(), 0755);
  for (int f = 0; f < folders; ++f) {
    const std::string folder = dir + "/d" + std::to_string(f);
    if (::mkdir(folder.c_str(), 0755) != 0) return 1;
    for (int i = 0; i < files; ++i) {
      const std::string path = folder + "/f" + std::to_string(i) + ".dat";
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) return 1;
      ::close(fd);
    }
  }
  return 0;
}

int deep(const std::string& dir, int levels, bool filePerLevel = false) {
  if (::mkdir(dir.c_str(), 0755) != 0) return 1;
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < levels && fd >= 0; ++i) {
    if (filePerLevel) ::close(::openat(fd, ("level" + std::to_string(i) + ".dat").c_str(), O_WRONLY | O_CREAT, 0644));
    if (::mkdirat(fd, "d", 0755) != 0) return 1;
    const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  if (fd < 0) return 1;
  const int file = ::openat(fd, "bottom.dat", O_WRONLY | O_CREAT, 0644);
  ::close(file);
  ::close(fd);
  return 0;
}

int run(const std::string& mode, const std::string& dir, const std::string& archive) {
  using roomvale::TreeAction;
  const TreeAction action = mode == "delete"    ? TreeAction::Delete
                            : mode == "recycle" ? TreeAction::Recycle
                                                : TreeAction::Zip;
  bool abort = false;
  roomvale::TreeDeleter deleter(action, abort);
  deleter.ask = [](const QString&) { return roomvale::Answer::Yes; };
  deleter.error = [](const QString& text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); };
  if (action == TreeAction::Zip) {
    ::unlink(archive.c_str());
    deleter.setArchive(archive, QString(), mode == "zipdelete");
  }
  const auto start = std::chrono::steady_clock::now();
  const roomvale::TreeRunResult r = deleter.run(dir);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%lld %lld %.4f\n", static_cast<long long>(r.files), static_cast<long long>(r.bytes), seconds);
  return r.opened ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "create" && argc == 6) return create(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  if (cmd == "deep" && argc == 4) return deep(argv[2], std::atoi(argv[3]));
  if (cmd == "deepfiles" && argc == 4) return deep(argv[2], std::atoi(argv[3]), true);
  if (cmd == "run" && argc >= 4) return run(argv[2], argv[3], argc > 4 ? argv[4] : "");
  std::fprintf(stderr, "usage: bench_treedelete create|deep|run ...\n");
  return 2;
}
