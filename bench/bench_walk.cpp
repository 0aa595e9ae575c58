// bench-links: roomvale_scan
// The shared walk over a large tree, files per second.
//   bench_walk TREE RUNS   walks TREE RUNS times per variant and prints, per variant,
//                          "name<TAB>files<TAB>best_seconds"
// Variants: the quick-clean walk with its pumping and a real status label (offscreen), the
// same without pumping or status line, and the statistics walk (every entry, no pumping).
#include <QApplication>
#include <QLabel>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/paths.h"
#include "scan/walk.h"

using namespace roomvale;

namespace {

struct Counter : WalkVisitor {
  QLabel* status = nullptr;
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  void entry(const std::string&, const platform::DirEntry& e) override {
    ++files;
    bytes += e.size;
  }
  void showStatus(const std::string& text) override {
    if (status) status->setText(platform::toDisplay(text));
  }
};

void run(const char* name, const std::string& tree, WalkVariant variant, bool pumping, QLabel* label, int runs) {
  double best = 1e100;
  std::uint64_t files = 0;
  for (int r = 0; r < runs; ++r) {
    Counter counter;
    counter.status = pumping ? label : nullptr;
    bool aborted = false;
    Walker walker(variant, counter, aborted);
    walker.setPumping(pumping);
    const auto t0 = std::chrono::steady_clock::now();
    walker.scanAllDrives({ScanTarget{tree, QString::fromStdString(tree), true}});
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (s < best) best = s;
    files = counter.files;
  }
  std::printf("%s\t%llu\t%.4f\n", name, static_cast<unsigned long long>(files), best);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_walk TREE RUNS\n");
    return 2;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const std::string tree = argv[1];
  const int runs = std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 1;
  QLabel label;
  label.resize(600, 20);
  label.show();

  run("quick clean, pump and status line on", tree, WalkVariant::quickClean(), true, &label, runs);
  run("quick clean, pump and status line off", tree, WalkVariant::quickClean(), false, nullptr, runs);
  run("statistics (every entry), no pump", tree, WalkVariant::statistics(), false, nullptr, runs);
  return 0;
}
