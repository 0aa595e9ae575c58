// The file viewer window TfrmView with its find dialog TFindDlg: any file read-only, as text
// or hexadecimal dump, with search, go to line, copying, printing, a font choice, tab
// settings, a look at the readable strings inside a file, and files dropped on it.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;

namespace roomvale {

class TViewer;
class TWinPlace;

// The one find dialog of the run: its text and options carry over between searches and
// viewer windows.
class TFindDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TFindDlg(QWidget* parent = nullptr);
  QLineEdit* Edit1;
  QRadioButton* RadioButton1;  // forward
  QRadioButton* RadioButton2;  // backward
  QCheckBox* CheckBox1;        // match case
  QCheckBox* CheckBox2;        // global
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
};
TFindDlg& findDialog();

// The status header: five sections.
class THeaderBar : public QWidget {
  Q_OBJECT

 public:
  explicit THeaderBar(QWidget* parent = nullptr);
  void setSection(int index, const QString& text);
  QString section(int index) const;

 private:
  QLabel* sections_[5];
};

// Opens the viewer modally over `owner` on `path`.
void openFileViewer(QWidget* owner, const std::string& path);

class TfrmView : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmView(QWidget* parent = nullptr);
  ~TfrmView() override;

  // Set by the opener before showing.
  std::string fileName;
  // The strings window hides the strings, mode buttons and the hex mode item.
  void hideStringsAndModes();

  TViewer* Viewer1;
  THeaderBar* Header1;
  QRadioButton* rbAscii;
  QRadioButton* rbHex;
  QPushButton* btFont;
  QPushButton* btPrint;
  QPushButton* BitBtn1;
  QPushButton* btStrings;
  QPushButton* btClose;
  QMenuBar* MainMenu1;
  QMenu* File1;
  QMenu* Clipboard1;
  QMenu* Search1;
  QMenu* Options1;
  QAction* Open1;
  QAction* Print1;
  QAction* PrintSetup1;
  QAction* Exit1;
  QAction* Copy1;
  QAction* SelectAll1;
  QAction* Find1;
  QAction* FindNext1;
  QAction* GotoLine1;
  QAction* HexMode1;
  QAction* TabExpansion1;
  QAction* TabSize1;
  QAction* Font1;

  // Opens a file in the window (the error is shown when it cannot be read).
  bool openPath(const std::string& path);
  // Opens the first local file of a drop.
  bool dropFiles(const QList<QUrl>& urls);

  void File1Click();
  void Clipboard1Click();
  void Search1Click();
  void Open1Click();
  void Print1Click();
  void PrintSetup1Click();
  void Copy1Click();
  void SelectAll1Click();
  void Find1Click();
  void FindNext1Click();
  void GotoLine1Click();
  void HexMode1Click();
  void rbAsciiClick();
  void rbHexClick();
  void TabExpansion1Click();
  void TabSize1Click();
  void Font1Click();
  void btStringsClick();
  void Viewer1ShowStatus();

  // The temporary strings file of the last peek (removed when its window closed).
  std::string lastStringsFile;

 protected:
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void search(bool fromDialog);
  TWinPlace* place_;
  bool shown_ = false;
};

}  // namespace roomvale
