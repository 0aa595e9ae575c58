// The pair comparison window: two neighbouring rows of the duplicates grid side by side,
// with their differences pointed out. Created once, shown without blocking by the
// duplicates window's "P&airs" over a snapshot of its grid, and only hidden when closed.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <cstdint>
#include <vector>

#include "finders/paircompare.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QStackedLayout;

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
    // The summary panel's lines for this file. On the right, size and creation are the
    // comparisons against the left file.
    QLabel *sName, *sFolder, *sSize, *sCreate, *sAccess, *sTag;
    std::string path;
    std::uint64_t bytes = 0;
    QDateTime created, modified, accessed;
  };
  Side sides[2];
  // Between the boxes: which file is more recent, as a picture; the accessible name says it
  // in words ("Left is more recent", "Right is more recent", "Same").
  QLabel *imCreate, *imModify, *imAccess;
  QWidget* pnlSimple;
  QPushButton* sbL1;
  QPushButton* sbR1;
  QPushButton* btCompute;
  QCheckBox* cbCRC;
  QCheckBox* cbDetails;
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
  void fillSummary();
  void colourVersionLines();
  void resizeIt();
  void computeCRCValues();
  void openSide(int side);
  void changeBackgroundColor(bool white);

  QPointer<TfrmDup> source_;
  std::vector<PairRow> rows_;
  int mode_ = 0;
  int current_ = 0;
  QStackedLayout* stack_;
  QPixmap imLeft_, imRight_, imEqual_;
};

// The run's window, made on first use.
TfrmDupCompare* dupCompareWindow(QWidget* owner = nullptr);
void hideDupCompareWindow();
void destroyDupCompareWindow();

}  // namespace roomvale
