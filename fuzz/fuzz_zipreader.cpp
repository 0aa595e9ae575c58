// fuzz-links: roomvale_archive
// Archives from outside: any bytes are listed and restored below a fresh folder, or
// refused, never a crash; nothing is ever written outside that folder.
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/zipreader.h"

namespace {

std::string workFolder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/roomvale-fuzz-zip-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) std::abort();
    return std::string(made);
  }();
  return folder;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
  ::remove(path);
  return 0;
}

// Removes `folder` with everything below it.
void emptyFolder(const std::string& folder) { ::nftw(folder.c_str(), removeEntry, 32, FTW_DEPTH | FTW_PHYS); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string work = workFolder();
  const std::string archive = work + "/in.zip";
  const std::string destination = work + "/out";
  {
    const int fd = ::open(archive.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    ::close(fd);
  }
  roomvale::ZipReader reader;
  if (!reader.open(archive)) return 0;
  reader.comment();
  for (const roomvale::ZipEntryInfo& e : reader.entries()) (void)e;

  ::mkdir(destination.c_str(), 0700);
  roomvale::RestoreHooks hooks;
  hooks.aborted = [] { return false; };
  hooks.failed = [](const std::string&, const QString&) {};
  hooks.duplicate = [](const std::string&) { return true; };
  hooks.replace = [](const std::string&, const std::string&) { return roomvale::RestoreHooks::Replace::NoToAll; };
  hooks.password = [](const std::string&) { return std::optional<QString>(QStringLiteral("x")); };
  roomvale::ZipRestorer restorer(hooks);
  restorer.passwordAttempts = 1;
  restorer.run(reader, destination);
  reader.close();

  // Nothing but the archive and the destination folder beside each other.
  if (DIR* d = ::opendir(work.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != ".." && name != "in.zip" && name != "out") __builtin_trap();
    }
    ::closedir(d);
  }
  emptyFolder(destination);
  return 0;
}
