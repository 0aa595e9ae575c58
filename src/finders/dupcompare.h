// The pair comparison window: two neighbouring rows of the duplicates grid side by side,
// with their differences pointed out. Created once, shown without blocking by the
// duplicates window's "P&airs" over a snapshot of its grid, and only hidden when closed.
#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>
#include <vector>

#include "finders/paircompare.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace roomvale {

class TfrmDup;

class TfrmDupCompare : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmDupCompare(QWidget* parent = nullptr);

  struct Side {
    QGroupBox* box;
    QLabel *icon, *folder, *size, *type, *create, *modify, *access, *attributes, *crc, *tag;
    QListWidget* versions;
    QPushButton *open, *view, *mark, *browse;
    std::string path;
    std::uint64_t bytes = 0;
    QDateTime created, modified, accessed;
  };
  Side sides[2];
  // Between the boxes: which file is more recent ("<", ">" or "=").
  QLabel *imCreate, *imModify, *imAccess;
  QLabel* lblSizeCompare;
  QLabel* lblCreateCompare;
  QPushButton* sbL1;
  QPushButton* sbR1;
  QPushButton* btCompute;
  QCheckBox* cbCRC;
  QPushButton* btPrint;
  QPushButton* btClose;

  // Takes a new snapshot of the source's grid and shows its selected row and the one below.
  void showPairs(TfrmDup* source);
  int currentRow() const { return current_; }

  void sbR1Click();
  void sbL1Click();
  void btComputeClick();
  // Prints the window's image, on white, after the print dialog; false when cancelled or failed.
  bool btPrintClick();

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void fillSide(int side, int row);
  void showPair(int row);
  void HighlightDifferences();
  void computeCRCValues();
  void openSide(int side);

  QPointer<TfrmDup> source_;
  std::vector<PairRow> rows_;
  int mode_ = 0;
  int current_ = 0;
};

// The run's window, made on first use.
TfrmDupCompare* dupCompareWindow(QWidget* owner = nullptr);
void hideDupCompareWindow();
void destroyDupCompareWindow();

}  // namespace roomvale
