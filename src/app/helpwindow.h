// Roomvale's help window: shows the help document (HTML) at a context number, which is
// the name of an anchor in the document (<a name="1000">).
#pragma once

#include <QWidget>

class QTextBrowser;
class QPushButton;

namespace roomvale {

class TfrmHelp : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmHelp(QWidget* parent = nullptr);

  // Loads `helpFile` (when not loaded already) and scrolls to the anchor of `context`.
  // False, with nothing changed, when the file cannot be read.
  bool showTopic(const QString& helpFile, int context);

  QString helpFile() const { return file_; }
  int context() const { return context_; }

  QTextBrowser* browser = nullptr;
  QPushButton* btContents = nullptr;
  QPushButton* btBack = nullptr;
  QPushButton* btClose = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString file_;
  int context_ = -1;
};

// Opens the help window of the run (one, reused) at `context`. A file that cannot be read
// gives the error box "Could not open help file " + path and opens nothing.
void openHelpWindow(const QString& helpFile, int context);
// The help window of the run, or nullptr when none was opened.
TfrmHelp* helpWindow();
// Closes and destroys the help window (end of the run).
void closeHelpWindow();

// Whether the document holds an anchor of that name.
bool documentHasAnchor(const QTextBrowser& browser, const QString& name);

}  // namespace roomvale
