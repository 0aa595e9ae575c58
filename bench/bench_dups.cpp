// bench-links: roomvale_finders
// The duplicates finder as its window runs it in "Size only (CRC)" with checksums and
// elimination, for files of 1 byte or more: the walk into the working list, grouping into
// the grid, then the checksum phase with elimination, confirming twins byte for byte (or
// by 128-bit hash). Writes the surviving paths (one per line, sorted) to OUT.
//
//   bench_dups tree ROOT OUT [bytes|hash128]   the phases on a real tree
//   bench_dups rows [N]        grouping and grid fill of N synthetic found files (1,000,000),
//                              time and resident memory per row
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "finders/dupcheck.h"
#include "finders/dupfinder.h"
#include "scan/walk.h"

using namespace roomvale;

namespace {

// Process CPU time: the machine may be shared, and wall time then says little.
double cpuNow() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

class Collect final : public WalkVisitor {
 public:
  Collect(DupWorkingList& list, SizeBounds bounds) : list_(list), bounds_(bounds) {}
  void entry(const std::string& folder, const platform::DirEntry& e) override {
    if (bounds_.passes(e.size)) list_.add(folder, e);
  }

 private:
  DupWorkingList& list_;
  SizeBounds bounds_;
};

int runTree(const std::string& root, const std::string& outPath, TwinCheck check) {
  const auto t0 = std::chrono::steady_clock::now();
  DupWorkingList list;
  bool stop = false;
  {
    Collect collect(list, sizeBounds(SizeCompare::LargerOrEqual, 1, 0, false));
    Walker walker(WalkVariant::duplicates("*.*"), collect, stop);
    walker.setPumping(false);
    ScanTarget target;
    target.path = root.back() == '/' ? root : root + "/";
    target.text = QString::fromStdString(root);
    target.addedFolder = true;
    walker.scanAllDrives({target});
  }
  const double walk = seconds(t0);
  const auto t1 = std::chrono::steady_clock::now();
  GridData grid(duplicatesGridSpec());
  addDups(list, MatchMode::SizeOnly, grid);
  const double group = seconds(t1);

  std::vector<ChecksumRow> rows;
  for (int pos = 0; pos < grid.rowsUsed(); ++pos)
    rows.push_back({grid.rowPath(pos), grid.rowById(grid.rowIdAt(pos)).size});

  {
    const auto t2 = std::chrono::steady_clock::now();
    const ChecksumOutcome out = computeChecksums(
        rows, true, [](int, int, const std::string&) { return true; }, check);
    const double crc = seconds(t2);
    std::vector<std::string> kept;
    for (std::size_t r = 0; r < rows.size(); ++r)
      if (out.copies[r] > 1) kept.push_back(rows[r].path);
    std::sort(kept.begin(), kept.end());
    std::printf(
        "%-8s files %zu  grid rows %d  walk %.2f s  group %.2f s  checksums+elimination %.2f s  total %.2f s"
        "  (%llu opens, %.0f MB read)  duplicates %zu\n",
        check == TwinCheck::Bytes ? "bytes" : "hash128", list.size(), grid.rowsUsed(), walk, group, crc,
        walk + group + crc, static_cast<unsigned long long>(out.filesOpened), out.bytesRead / 1e6, kept.size());
    std::ofstream file(outPath);
    for (const std::string& p : kept) file << p << '\n';
  }
  return 0;
}

int runRows(int n) {
  std::mt19937_64 rng(42);
  std::vector<std::string> folders;
  for (int i = 0; i < n / 50 + 1; ++i)
    folders.push_back("/data/project" + std::to_string(i % 97) + "/sub" + std::to_string(i));
  const long before = residentBytes();
  auto t0 = std::chrono::steady_clock::now();
  DupWorkingList list;
  for (int i = 0; i < n; ++i) {
    GridFile f;
    const std::string name = "file" + std::to_string(rng() % (n / 4 + 1)) + ".dat";
    f.folder = folders[static_cast<std::size_t>(i / 50)];
    f.name = name;
    f.size = rng() % 200000;
    f.writeTime = static_cast<std::uint32_t>((((40 + rng() % 4) << 9 | 1 << 5 | 1) << 16) | (rng() % 0xBFFF));
    list.add(f);
  }
  const double fill = seconds(t0);
  const long listed = residentBytes();
  for (MatchMode mode : {MatchMode::FilenameAndSize, MatchMode::SizeOnly}) {
    GridData grid(duplicatesGridSpec());
    t0 = std::chrono::steady_clock::now();
    const double cpu = cpuNow();
    const int added = addDups(list, mode, grid);
    std::printf(
        "%d found files, mode %d: grouping and grid fill %.2f s (cpu %.2f s), %d rows, working list "
        "%.0f bytes/row, working list + grid %.0f bytes/row\n",
        n, static_cast<int>(mode), seconds(t0), cpuNow() - cpu, added, double(listed - before) / n,
        double(residentBytes() - before) / n);
  }
  GridData hogs(fileHogsGridSpec());
  t0 = std::chrono::steady_clock::now();
  const double cpu = cpuNow();
  addFileHogs(list, hogs);
  std::printf("%d found files: file hogs listing %.2f s (cpu %.2f s); working list filled in %.2f s\n", n, seconds(t0),
              cpuNow() - cpu, fill);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "tree" && argc > 3)
    return runTree(argv[2], argv[3],
                   argc > 4 && std::string(argv[4]) == "hash128" ? TwinCheck::Hash128 : TwinCheck::Bytes);
  if (what == "rows") return runRows(argc > 2 ? std::atoi(argv[2]) : 1000000);
  std::fprintf(stderr, "usage: bench_dups tree ROOT OUT | bench_dups rows [N]\n");
  return 2;
}
