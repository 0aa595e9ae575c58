// bench-links: roomvale_finders
// The folder-hog walks and the files-by-date walk over a large tree, as their windows run
// them (the walk with pumping on, the working list, the result grid), best of RUNS
// (bench/run_folderdates.sh times whole processes instead, beside du and find).
//   bench_folderdates TREE RUNS MODE [DATE]
// MODE: "main" (main-folders walk), "all" (all-folders walk), "after" (files last modified
// on or after DATE, yyyy-MM-dd), "before" (on or before DATE). Prints
// "name<TAB>rows<TAB>best_seconds".
#include <QApplication>
#include <QDate>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "finders/daterange.h"
#include "finders/foldertotals.h"
#include "scan/grid.h"
#include "scan/walk.h"

using namespace roomvale;

namespace {

double seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct DateRows : WalkVisitor {
  GridData grid{GridSpec{}};
  DateRange range;
  void entry(const std::string& folder, const platform::DirEntry& e) override {
    GridFile row;
    if (fileDateRow(folder, e, DateKind::LastModified, range, "*.*", row)) grid.addRow(row);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_folderdates TREE RUNS main|all|after|before [yyyy-MM-dd]\n");
    return 2;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const std::string tree = argv[1];
  const int runs = std::max(1, std::atoi(argv[2]));
  const std::string mode = argv[3];
  const QDate date = argc > 4 ? QDate::fromString(QString::fromLatin1(argv[4]), Qt::ISODate) : QDate::currentDate();
  const std::vector<ScanTarget> targets{ScanTarget{tree, QString::fromStdString(tree), true}};

  double best = 1e100;
  std::size_t rows = 0;
  for (int r = 0; r < runs; ++r) {
    bool aborted = false;
    const auto t0 = std::chrono::steady_clock::now();
    if (mode == "main" || mode == "all") {
      WorkingList lines;
      FolderHogCollector collector(mode == "main" ? FolderWalk::MainFolders : FolderWalk::AllFolders, lines, aborted,
                                   {});
      Walker walker(WalkVariant::folderHogs(false), collector, aborted);
      walker.scanAllDrives(targets);
      GridData grid{GridSpec{}};
      for (const QString& line : lines.lines())
        if (auto folder = parseFolderLine(line)) grid.addRow(folderGridRow(*folder));
      rows = static_cast<std::size_t>(grid.rowsUsed());
    } else {
      DateRows visitor;
      visitor.range = DateRange{mode == "after" ? RangeKind::OnOrAfter : RangeKind::OnOrBefore, date, date};
      Walker walker(WalkVariant::filesByDate("*.*"), visitor, aborted);
      walker.scanAllDrives(targets);
      rows = static_cast<std::size_t>(visitor.grid.rowsUsed());
    }
    best = std::min(best, seconds(t0));
  }
  std::printf("%s\t%zu\t%.4f\n", mode.c_str(), rows, best);
  return 0;
}
