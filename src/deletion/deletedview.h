// The "Deleted" view: running totals of recovered space ("Cumulative" tab, with the reset
// button) and the deletion log grid with its print, clear and save menu ("Details" tab).
// A plain widget, so that the statistics window can host it as one of its pages.
#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace roomvale {

struct TotalsTexts;

class TDeletedView : public QWidget {
  Q_OBJECT

 public:
  explicit TDeletedView(QWidget* parent = nullptr);
  ~TDeletedView() override;

  // Refreshes the totals from the settings store (whenever the page is selected; also done
  // each time the view is shown).
  void showFilesDeleted();
  // Starts on the "Cumulative" tab (the statistics window does so each time it is shown).
  void showCumulative();
  // Rebuilds the grid from the program's deletion log (done on every change of the log).
  void refreshGrid();

  // Handlers.
  void Button1Click();
  void Printgrid1Click();
  void Cleargrid1Click();
  void Saveas1Click();
  void SaveasawebpageHTML1Click();

  QLabel* EsLabel2;
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QLabel* lblFileDel;
  QLabel* lblSince1;
  QLineEdit* edNdelete;
  QLineEdit* edSzDelete;
  QLabel* Label6;
  QLabel* lblZipSince;
  QLineEdit* edNZip;
  QLineEdit* edSzZip;
  QLabel* lblFileWaste;
  QLineEdit* edNWaste;
  QLineEdit* edSzWaste;
  QPushButton* Button1;
  QTableWidget* grDelete;
  QPushButton* EsMenuButton1;
  QMenu* popGridDelete;
  QAction* Printgrid1;
  QAction* Cleargrid1;
  QAction* Saveas1;
  QAction* SaveasawebpageHTML1;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showTexts(const TotalsTexts& texts);
  void gridColumnResized(int col, int newWidth);

  int listenerId_ = 0;
  bool settingWidths_ = false;
};

}  // namespace roomvale
