// bench-links: roomvale_statistics
// A statistics collection over a large tree, files per second, and its memory.
//   bench_stats TREE RUNS PASSES   collects TREE RUNS times per variant and prints, per variant,
//                                  "name<TAB>files<TAB>best_seconds"; then collects TREE
//                                  PASSES times into one set of statistics (as a collection of
//                                  that many targets would) and prints
//                                  "memory<TAB>files<TAB>rss_before_kib<TAB>rss_after_kib<TAB>types"
// Variants: the window's collection (pumping every 15 ms and a real status label, offscreen),
// the same without pumping or status line, and the bare statistics walk for reference.
#include <QApplication>
#include <QLabel>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "scan/walk.h"
#include "statistics/collection.h"

using namespace roomvale;

namespace {

struct Counter : WalkVisitor {
  std::uint64_t files = 0;
  void entry(const std::string&, const platform::DirEntry& e) override { files += !e.isDirectory(); }
};

long rssKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

std::vector<ScanTarget> targets(const std::string& tree, int n) {
  return std::vector<ScanTarget>(std::size_t(n), ScanTarget{tree, QString::fromStdString(tree), true});
}

void collect(const char* name, const std::string& tree, bool pumping, QLabel* label, int runs) {
  double best = 1e100;
  std::uint64_t files = 0;
  for (int r = 0; r < runs; ++r) {
    stats::StatisticsCollector collector;
    collector.clearVariables();
    stats::CollectionVisitor visitor(collector, QString::fromStdString(tree));
    if (pumping) visitor.status = [label](const QString& text) { label->setText(text); };
    bool aborted = false;
    Walker walker(WalkVariant::statistics(), visitor, aborted);
    walker.setPumping(pumping);
    const auto t0 = std::chrono::steady_clock::now();
    walker.scanAllDrives(targets(tree, 1));
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    best = std::min(best, s);
    files = collector.stats.filesProcessed;
  }
  std::printf("%s\t%llu\t%.4f\n", name, static_cast<unsigned long long>(files), best);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_stats TREE RUNS PASSES\n");
    return 2;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const std::string tree = argv[1];
  const int runs = std::max(1, std::atoi(argv[2]));
  const int passes = std::max(1, std::atoi(argv[3]));
  QLabel label;
  label.resize(600, 20);
  label.show();

  collect("statistics collection, pump and status line on", tree, true, &label, runs);
  collect("statistics collection, pump and status line off", tree, false, nullptr, runs);
  {
    double best = 1e100;
    std::uint64_t files = 0;
    for (int r = 0; r < runs; ++r) {
      Counter counter;
      bool aborted = false;
      Walker walker(WalkVariant::statistics(), counter, aborted);
      walker.setPumping(false);
      const auto t0 = std::chrono::steady_clock::now();
      walker.scanAllDrives(targets(tree, 1));
      best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
      files = counter.files;
    }
    std::printf("statistics walk alone, no collection\t%llu\t%.4f\n", static_cast<unsigned long long>(files), best);
  }

  // Memory: one collection of PASSES targets, each the tree.
  const long before = rssKiB();
  stats::StatisticsCollector collector;
  collector.clearVariables();
  {
    stats::CollectionVisitor visitor(collector, QString::fromStdString(tree));
    bool aborted = false;
    Walker walker(WalkVariant::statistics(), visitor, aborted);
    walker.setPumping(false);
    walker.scanAllDrives(targets(tree, passes));
  }
  std::printf("memory\t%llu\t%ld\t%ld\t%zu\n", static_cast<unsigned long long>(collector.stats.filesProcessed), before,
              rssKiB(), collector.stats.types.entries().size());
  return 0;
}
