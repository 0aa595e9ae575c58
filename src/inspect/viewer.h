// The viewer control of the file viewer window: shows a ViewDocument as text or as a
// hexadecimal dump, with a caret, a selection, scrolling through any size of file, and the
// line count made in slices between events so that the window never freezes.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <string>

#include "inspect/viewdoc.h"

namespace roomvale {

class TViewer : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TViewer(QWidget* parent = nullptr);

  // Opens a file read-only; on failure the viewer is empty and `error` says why.
  bool openFile(const std::string& path, QString* error = nullptr);
  void closeFile();
  ViewDocument& document() { return doc_; }

  void setHexMode(bool on);
  bool hexMode() const { return doc_.hexMode(); }
  void setTabExpansion(bool on);
  bool tabExpansion() const { return doc_.tabExpansion(); }
  void setTabSize(int size);
  int tabSize() const { return doc_.tabSize(); }
  void setDisplayFont(const QFont& font);
  QFont displayFont() const { return font(); }

  struct Pos {
    std::uint64_t key = 0;
    int column = 0;
    bool operator==(const Pos&) const = default;
  };
  Pos caret() const { return caret_; }
  std::uint64_t topKey() const { return top_; }
  // Line numbers from 0; nothing while the count has not got that far.
  std::optional<std::uint64_t> caretLine() { return doc_.lineNumber(caret_.key); }
  std::optional<std::uint64_t> topLine() { return doc_.lineNumber(top_); }
  std::optional<std::uint64_t> lineCount() const { return doc_.lineCount(); }
  std::uint64_t fileSize() const { return doc_.size(); }
  // Counts the lines now (printing needs all of them).
  void countLines();

  bool hasSelection() const { return anchor_ != caret_; }
  Pos selectionStart() const;
  Pos selectionEnd() const;
  void selectAll();
  // Copies the selection to the clipboard; a selection of more than 16 Mi characters is
  // refused with a message instead of being cut short.
  bool copySelection();
  // The lines of the selection as printed: blanks before the start column, the end line cut
  // at the end column, each line at most `maxChars` characters.
  QStringList selectedLines(int maxChars = 1023);
  QString lineText(std::uint64_t key, int maxChars = 1023) { return doc_.text(key, maxChars); }

  // Searches from the caret (or the whole file with `global`); a match is selected and the
  // caret put on its start. False when nothing was found (caret unchanged).
  bool find(const std::string& text, bool backward, bool matchCase, bool global);
  // Puts the caret on line `n` (from 0; the last line when beyond it), column 0.
  void gotoLine(std::uint64_t n);
  void moveToEnd(bool extend = false);

 signals:
  // After every caret or view change.
  void showStatus();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int rows() const;
  int lineHeight() const;
  int charWidth() const;
  void setTop(std::uint64_t key);
  void scrollLines(int delta);
  void moveCaret(Pos to, bool extend);
  void ensureCaretVisible();
  void syncScrollBars();
  void changed();
  void countTick();
  void watchTick();
  Pos posAt(const QPoint& point);
  std::uint64_t caretOffset();

  ViewDocument doc_;
  std::uint64_t top_ = 0;
  Pos caret_;
  Pos anchor_;
  int left_ = 0;                          // first column shown
  std::optional<std::uint64_t> matchAt_;  // the found text the caret sits on
  bool syncing_ = false;
  QTimer counter_;
  QTimer watcher_;
};

}  // namespace roomvale
