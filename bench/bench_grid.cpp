// bench-links: roomvale_scan
// The result grid with a million rows, as a quick clean of a huge tree would fill it: rows
// arrive folder by folder through the model while a view is attached and events are let
// through at the walk's pump rate; then the grid is sorted by size and by name (both
// directions) and every row is marked. Memory per row is the growth of the resident set
// over the fill, divided by the rows.
// Usage: bench_grid [rows]   (default 1000000)
#include <unistd.h>

#include <QApplication>
#include <QTableView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "foundation/pump.h"
#include "scan/gridspec.h"
#include "scan/resultgrid.h"
#include "scan/resultmodel.h"

using namespace roomvale;

namespace {

// Process CPU time: the machine may be shared, and wall time then says little.
double cpuNow() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

class Stopwatch {
 public:
  Stopwatch() : wall_(std::chrono::steady_clock::now()), cpu_(cpuNow()) {}
  Timing elapsed() const {
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count(), cpuNow() - cpu_};
  }

 private:
  std::chrono::steady_clock::time_point wall_;
  double cpu_;
};

long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

GridSpec cleanSpec() {
  GridSpec shape;
  shape.kind = "bench";
  shape.columns = {{"Size", CellField::Size, true},          {"Modified", CellField::WriteDate, false},
                   {"Time", CellField::WriteTime, false},    {"Access", CellField::AccessDate, false},
                   {"FileName", CellField::FullPath, false}, {"Type", CellField::Type, false}};
  shape.markColumn = 4;
  shape.highlightColumn = 4;
  shape.sortItems = {{"&Size", 0, SortKind::Number, true}, {"&Name", 4, SortKind::Text, false}};
  return shape;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
  constexpr int kFilesPerFolder = 200;

  QWidget window;
  ResultGrid grid(cleanSpec(), &window);
  grid.view()->setParent(&window);
  window.resize(900, 600);
  grid.view()->resize(900, 600);
  window.show();
  QCoreApplication::processEvents();
  grid.ClearGrid();

  std::mt19937_64 rng(1234);
  const char* exts[] = {".tmp", ".bak", ".old", ".chk", ".~mp", ".$$$"};
  std::string folder, name;
  const long before = residentBytes();
  Stopwatch fillWatch;
  for (int i = 0; i < rows; ++i) {
    if (i % kFilesPerFolder == 0) {
      const int f = i / kFilesPerFolder;
      folder = "/home/someone/projects/bench-tree/d" + std::to_string(f / 100) + "/sub" + std::to_string(f % 100);
    }
    name = "file" + std::to_string(rng() % 10'000'000) + exts[rng() % 6];
    GridFile file;
    file.folder = folder;
    file.name = name;
    file.size = rng() % 50'000'000;
    const std::uint32_t day =
        static_cast<std::uint32_t>(((10 + rng() % 30) << 9) | ((1 + rng() % 12) << 5) | (1 + rng() % 28));
    file.writeTime = (day << 16) | static_cast<std::uint32_t>(rng() % 0xBF7F);
    file.accessTime = file.writeTime;
    grid.addFile(file);
    pumpEvents();
  }
  grid.finishFill();
  QCoreApplication::processEvents();
  const Timing fill = fillWatch.elapsed();
  const long after = residentBytes();

  auto timeSort = [&](int item, bool descending) {
    grid.directions()[static_cast<std::size_t>(item)] = descending;
    Stopwatch watch;
    grid.sortByItem(item);
    QCoreApplication::processEvents();
    return watch.elapsed();
  };
  const Timing sizeDown = timeSort(0, true);
  const Timing sizeUp = timeSort(0, false);
  const Timing nameUp = timeSort(1, false);
  const Timing nameDown = timeSort(1, true);

  Stopwatch markWatch;
  grid.Markall1Click();
  QCoreApplication::processEvents();
  const Timing markAll = markWatch.elapsed();

  const double perRow = static_cast<double>(after - before) / rows;
  auto line = [](const char* what, const Timing& t, const char* aim) {
    std::printf("%-32s %9.3f s %9.3f s %9s\n", what, t.wall, t.cpu, aim);
  };
  std::printf("%-32s %11s %11s %9s\n", "measure", "wall", "cpu", "aim");
  std::printf("%-32s %11d %11s %9s\n", "rows", rows, "", "");
  line("fill (view attached, pumping)", fill, "< 2 s");
  line("sort by size, descending", sizeDown, "< 2 s");
  line("sort by size, ascending", sizeUp, "< 2 s");
  line("sort by name, ascending", nameUp, "< 2 s");
  line("sort by name, descending", nameDown, "< 2 s");
  line("mark all (files not on disk)", markAll, "");
  std::printf("%-32s %9.1f B %11s %9s\n", "memory per row (RSS growth)", perRow, "", "< 300 B");
  return 0;
}
