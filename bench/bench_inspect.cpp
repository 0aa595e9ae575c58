// bench-links: roomvale_inspect
// The viewer and the folder browser on big inputs. A text file of `bytes` (default 2 GiB,
// lines of 20 to 100 characters) is written once; then, with the file in the page cache:
// opening it and drawing the first page, jumping to the last line in text and hexadecimal
// mode (each until the page is drawn), counting its lines and a literal search through the
// whole of it, each beside `wc -l` and `grep -c` on the same file in the same run; the
// resident memory the viewer added. Then a folder of 100,000 files listed by the browser.
// Usage: bench_inspect <work folder> [bytes] [files]
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "inspect/browse.h"
#include "inspect/viewer.h"
#include "scan/resultgrid.h"

using namespace roomvale;

namespace {

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

double timeCommand(const std::string& command) {
  const double t0 = now();
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  return now() - t0;
}

void writeText(const std::string& path, std::uint64_t bytes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) == bytes) return;
  std::mt19937 random(7);
  std::string block;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::uint64_t written = 0;
  std::uint64_t line = 0;
  while (written < bytes) {
    block.clear();
    while (block.size() < (1 << 20)) {
      const std::size_t len = 20 + random() % 80;
      std::string text = "line " + std::to_string(++line) + " ";
      text.resize(len, static_cast<char>('a' + random() % 26));
      block += text;
      block += '\n';
    }
    const std::uint64_t take = std::min<std::uint64_t>(block.size(), bytes - written);
    out.write(block.data(), static_cast<std::streamsize>(take));
    written += take;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_inspect <work folder> [bytes] [files]\n");
    return 2;
  }
  QApplication app(argc, argv);
  const std::string work = argv[1];
  const std::uint64_t bytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : (2ull << 30);
  const int files = argc > 3 ? std::atoi(argv[3]) : 100000;
  const std::string big = work + "/big.txt";
  writeText(big, bytes);
  std::system(("cat '" + big + "' > /dev/null").c_str());  // into the page cache
  const double gib = static_cast<double>(bytes) / (1 << 30);
  std::printf("file: %.2f GiB\n", gib);

  const long rss0 = residentKiB();
  TViewer viewer;
  viewer.resize(900, 700);
  viewer.show();
  double t0 = now();
  viewer.openFile(big);
  (void)viewer.grab();
  const double firstPage = now() - t0;
  t0 = now();
  viewer.moveToEnd();
  (void)viewer.grab();
  const double lastText = now() - t0;
  viewer.setHexMode(true);
  (void)viewer.grab();
  t0 = now();
  viewer.moveToEnd();
  (void)viewer.grab();
  const double lastHex = now() - t0;
  viewer.setHexMode(false);
  std::printf("%-34s %8.1f ms\n", "open and first page", firstPage * 1e3);
  std::printf("%-34s %8.1f ms\n", "jump to last line, text", lastText * 1e3);
  std::printf("%-34s %8.1f ms\n", "jump to last line, hexadecimal", lastHex * 1e3);

  ViewDocument& doc = viewer.document();
  t0 = now();
  doc.countAll();
  const double count = now() - t0;
  const double wc = timeCommand("wc -l '" + big + "' > /dev/null");
  t0 = now();
  const auto found = doc.find("no such text anywhere", 0, false, true);
  const double search = now() - t0;
  const double grep = timeCommand("grep -c 'no such text anywhere' '" + big + "' > /dev/null; true");
  t0 = now();
  (void)doc.find("NO SUCH TEXT anywhere", 0, false, false);
  const double searchNoCase = now() - t0;
  const double grepNoCase = timeCommand("grep -ci 'NO SUCH TEXT anywhere' '" + big + "' > /dev/null; true");
  std::printf("%-34s %8.2f GB/s   (wc -l   %6.2f GB/s)   %llu lines\n", "line count", bytes / count / 1e9,
              bytes / wc / 1e9, static_cast<unsigned long long>(doc.lineCount().value_or(0)));
  std::printf("%-34s %8.2f GB/s   (grep -c %6.2f GB/s)%s\n", "literal search", bytes / search / 1e9, bytes / grep / 1e9,
              found ? "  found?!" : "");
  std::printf("%-34s %8.2f GB/s   (grep -ci %5.2f GB/s)\n", "literal search, any case", bytes / searchNoCase / 1e9,
              bytes / grepNoCase / 1e9);
  std::printf("%-34s %8ld KiB\n", "resident memory added by viewer", residentKiB() - rss0);
  viewer.closeFile();

  const std::string folder = work + "/many";
  ::mkdir(folder.c_str(), 0755);
  for (int i = 0; i < files; ++i) {
    const std::string p = folder + "/file" + std::to_string(i) + ".dat";
    if (::access(p.c_str(), F_OK) != 0) std::ofstream(p) << i;
  }
  TfrmBrowse browser;
  browser.presetFolder(work);
  browser.show();
  t0 = now();
  browser.chooseFolder(folder);
  (void)browser.grab();
  const double listed = now() - t0;
  const double ls = timeCommand("ls -f '" + folder + "' > /dev/null");
  std::printf("%-34s %8.1f ms   (ls -f %6.1f ms)   %d rows\n", "browser lists the folder", listed * 1e3, ls * 1e3,
              browser.grid->data().rowsUsed());
  return 0;
}
