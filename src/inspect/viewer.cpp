#include "inspect/viewer.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "foundation/prompts.h"

namespace roomvale {

namespace {

constexpr int kScrollRange = 100000;
constexpr int kMargin = 2;
constexpr std::uint64_t kCountSlice = 32ull << 20;
constexpr qsizetype kMaxCopy = qsizetype{16} * 1024 * 1024;

bool before(const TViewer::Pos& a, const TViewer::Pos& b) {
  return a.key < b.key || (a.key == b.key && a.column < b.column);
}

}  // namespace

TViewer::TViewer(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("Viewer1"));
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  QFont f(QStringLiteral("Courier New"), 8);
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  setFont(f);
  verticalScrollBar()->setRange(0, 0);
  horizontalScrollBar()->setRange(0, 0);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (syncing_ || doc_.size() == 0) return;
    const auto offset = static_cast<std::uint64_t>(static_cast<long double>(doc_.size()) * v / kScrollRange);
    top_ = doc_.keyOfOffset(offset);
    changed();
  });
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (syncing_) return;
    left_ = v;
    viewport()->update();
  });
  counter_.setInterval(0);
  connect(&counter_, &QTimer::timeout, this, &TViewer::countTick);
  watcher_.setInterval(1000);
  connect(&watcher_, &QTimer::timeout, this, &TViewer::watchTick);
}

bool TViewer::openFile(const std::string& path, QString* error) {
  counter_.stop();
  watcher_.stop();
  top_ = 0;
  caret_ = anchor_ = {};
  left_ = 0;
  matchAt_.reset();
  const bool ok = doc_.open(path, error);
  if (ok) {
    watcher_.start();
    if (!doc_.lineCount()) counter_.start();
  }
  changed();
  return ok;
}

void TViewer::closeFile() {
  counter_.stop();
  watcher_.stop();
  doc_.close();
  top_ = 0;
  caret_ = anchor_ = {};
  changed();
}

void TViewer::setHexMode(bool on) {
  if (on == doc_.hexMode()) return;
  const std::uint64_t topOffset = doc_.offsetOfKey(top_);
  const std::uint64_t caretAt = doc_.offsetOfKey(caret_.key);
  doc_.setHexMode(on);
  top_ = doc_.keyOfOffset(topOffset);
  caret_ = anchor_ = {doc_.keyOfOffset(caretAt), 0};
  matchAt_.reset();
  left_ = 0;
  if (!on && !doc_.lineCount()) counter_.start();
  changed();
}

void TViewer::setTabExpansion(bool on) {
  doc_.setTabExpansion(on);
  changed();
}

void TViewer::setTabSize(int size) {
  doc_.setTabSize(size);
  changed();
}

void TViewer::setDisplayFont(const QFont& f) {
  setFont(f);
  changed();
}

int TViewer::lineHeight() const { return std::max(QFontMetrics(font()).lineSpacing(), 1); }
int TViewer::charWidth() const { return std::max(QFontMetrics(font()).horizontalAdvance(QLatin1Char('M')), 1); }
int TViewer::rows() const { return std::max(1, viewport()->height() / lineHeight()); }

void TViewer::countLines() {
  doc_.countAll();
  counter_.stop();
  changed();
}

void TViewer::countTick() {
  if (doc_.countSlice(kCountSlice)) counter_.stop();
  emit showStatus();
}

void TViewer::watchTick() {
  if (!doc_.refresh()) return;
  // The file grew or shrank: keep the view on what is still there.
  top_ = doc_.keyOfOffset(doc_.offsetOfKey(top_));
  caret_ = {doc_.keyOfOffset(doc_.offsetOfKey(caret_.key)), caret_.column};
  anchor_ = caret_;
  matchAt_.reset();
  if (!doc_.lineCount()) counter_.start();
  changed();
}

void TViewer::changed() {
  syncScrollBars();
  viewport()->update();
  emit showStatus();
}

void TViewer::syncScrollBars() {
  syncing_ = true;
  QScrollBar* v = verticalScrollBar();
  if (doc_.size() == 0) {
    v->setRange(0, 0);
  } else {
    v->setRange(0, kScrollRange);
    v->setPageStep(std::max(1, kScrollRange / 20));
    const long double at = static_cast<long double>(doc_.offsetOfKey(top_)) / static_cast<long double>(doc_.size());
    v->setValue(static_cast<int>(at * kScrollRange));
  }
  int widest = 0;
  std::optional<std::uint64_t> key = top_;
  for (int i = 0; key && i < rows() && doc_.hasLines(); ++i, key = doc_.next(*key))
    widest = std::max(widest, static_cast<int>(doc_.text(*key).size()));
  QScrollBar* h = horizontalScrollBar();
  const int visible = std::max(1, (viewport()->width() - 2 * kMargin) / charWidth());
  h->setRange(0, std::max(0, widest + 1 - visible));
  h->setPageStep(visible);
  h->setValue(left_);
  left_ = h->value();
  syncing_ = false;
}

void TViewer::setTop(std::uint64_t key) {
  top_ = key;
  changed();
}

void TViewer::scrollLines(int delta) {
  std::uint64_t key = top_;
  for (int i = 0; i < std::abs(delta); ++i) {
    const auto nx = delta > 0 ? doc_.next(key) : doc_.previous(key);
    if (!nx) break;
    key = *nx;
  }
  setTop(key);
}

void TViewer::ensureCaretVisible() {
  if (caret_.key < top_) {
    top_ = caret_.key;
  } else {
    // Is the caret within the rows shown from the top?
    std::optional<std::uint64_t> key = top_;
    int i = 0;
    for (; key && i < rows(); ++i) {
      if (*key == caret_.key) break;
      if (*key > caret_.key) break;
      key = doc_.next(*key);
    }
    if (!key || i >= rows()) {
      std::uint64_t t = caret_.key;
      for (int r = 1; r < rows(); ++r) {
        const auto p = doc_.previous(t);
        if (!p) break;
        t = *p;
      }
      top_ = t;
    }
  }
  const int visible = std::max(1, (viewport()->width() - 2 * kMargin) / charWidth());
  if (caret_.column < left_) left_ = caret_.column;
  if (caret_.column >= left_ + visible) left_ = caret_.column - visible + 1;
}

void TViewer::moveCaret(Pos to, bool extend) {
  caret_ = to;
  if (!extend) anchor_ = to;
  matchAt_.reset();
  ensureCaretVisible();
  changed();
}

void TViewer::moveToEnd(bool extend) {
  const std::uint64_t last = doc_.last();
  moveCaret({last, static_cast<int>(doc_.text(last).size())}, extend);
}

TViewer::Pos TViewer::selectionStart() const { return before(anchor_, caret_) ? anchor_ : caret_; }
TViewer::Pos TViewer::selectionEnd() const { return before(anchor_, caret_) ? caret_ : anchor_; }

void TViewer::selectAll() {
  if (!doc_.hasLines()) return;
  anchor_ = {0, 0};
  const std::uint64_t last = doc_.last();
  caret_ = {last, static_cast<int>(doc_.text(last).size())};
  matchAt_.reset();
  changed();
}

bool TViewer::copySelection() {
  if (!hasSelection()) return false;
  const Pos start = selectionStart();
  const Pos end = selectionEnd();
  QString out;
  std::optional<std::uint64_t> key = start.key;
  while (key && *key <= end.key) {
    QString line = doc_.text(*key, 1 << 20);
    if (*key == end.key) line.truncate(end.column);
    if (*key == start.key) line = line.mid(start.column);
    out += line;
    if (*key == end.key) break;
    out += QLatin1Char('\n');
    if (out.size() > kMaxCopy) {
      showError(QStringLiteral("The selection is too large to copy"));
      return false;
    }
    key = doc_.next(*key);
  }
  QApplication::clipboard()->setText(out);
  return true;
}

QStringList TViewer::selectedLines(int maxChars) {
  QStringList lines;
  if (!hasSelection()) return lines;
  const Pos start = selectionStart();
  const Pos end = selectionEnd();
  std::optional<std::uint64_t> key = start.key;
  while (key && *key <= end.key) {
    QString line = doc_.text(*key, maxChars);
    if (*key == end.key) line.truncate(end.column);
    if (*key == start.key)
      line.replace(0, std::min<qsizetype>(start.column, line.size()),
                   QString(std::min<qsizetype>(start.column, line.size()), QLatin1Char(' ')));
    lines << line;
    if (*key == end.key) break;
    key = doc_.next(*key);
  }
  return lines;
}

std::uint64_t TViewer::caretOffset() {
  if (matchAt_) return *matchAt_;
  return doc_.offsetOf(caret_.key, caret_.column);
}

bool TViewer::find(const std::string& text, bool backward, bool matchCase, bool global) {
  if (text.empty() || !doc_.hasLines()) return false;
  std::uint64_t from = 0;
  if (global)
    from = backward ? doc_.size() : 0;
  else
    from = backward ? caretOffset() : caretOffset() + (matchAt_ ? 1 : 0);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto at = doc_.find(text, from, backward, matchCase);
  QApplication::restoreOverrideCursor();
  if (!at) return false;
  const ViewDocument::Spot startSpot = doc_.spotOf(*at);
  ViewDocument::Spot endSpot = doc_.spotOf(*at + text.size() - 1);
  endSpot.column += doc_.hexMode() ? 2 : 1;
  caret_ = {startSpot.key, startSpot.column};
  ensureCaretVisible();
  anchor_ = {endSpot.key, endSpot.column};
  matchAt_ = *at;
  changed();
  return true;
}

void TViewer::gotoLine(std::uint64_t n) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::uint64_t key = doc_.keyOfLine(n);
  QApplication::restoreOverrideCursor();
  if (!doc_.lineCount()) counter_.start();
  moveCaret({key, 0}, false);
}

TViewer::Pos TViewer::posAt(const QPoint& point) {
  const int row = std::max(0, point.y() / lineHeight());
  std::uint64_t key = top_;
  for (int i = 0; i < row; ++i) {
    const auto nx = doc_.next(key);
    if (!nx) break;
    key = *nx;
  }
  const int column = std::max(0, (point.x() - kMargin + charWidth() / 2) / charWidth() + left_);
  return {key, std::min(column, static_cast<int>(doc_.text(key).size()))};
}

void TViewer::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !doc_.hasLines()) return;
  moveCaret(posAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void TViewer::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) || !doc_.hasLines()) return;
  moveCaret(posAt(event->position().toPoint()), true);
}

void TViewer::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 40;
  if (steps != 0) scrollLines(-steps);
  event->accept();
}

void TViewer::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  syncScrollBars();
}

void TViewer::keyPressEvent(QKeyEvent* event) {
  if (!doc_.hasLines()) return QAbstractScrollArea::keyPressEvent(event);
  const bool extend = event->modifiers() & Qt::ShiftModifier;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  Pos to = caret_;
  auto lineLength = [this](std::uint64_t key) { return static_cast<int>(doc_.text(key).size()); };
  auto stepLines = [this](std::uint64_t key, int n) {
    for (int i = 0; i < std::abs(n); ++i) {
      const auto nx = n > 0 ? doc_.next(key) : doc_.previous(key);
      if (!nx) break;
      key = *nx;
    }
    return key;
  };
  if (event->matches(QKeySequence::Copy) || (ctrl && event->key() == Qt::Key_Insert)) {
    copySelection();
    return;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    selectAll();
    return;
  }
  switch (event->key()) {
    case Qt::Key_Up: to.key = stepLines(to.key, -1); break;
    case Qt::Key_Down: to.key = stepLines(to.key, 1); break;
    case Qt::Key_PageUp:
      to.key = stepLines(to.key, -rows());
      top_ = stepLines(top_, -rows());
      break;
    case Qt::Key_PageDown:
      to.key = stepLines(to.key, rows());
      top_ = stepLines(top_, rows());
      break;
    case Qt::Key_Left:
      if (to.column > 0) --to.column;
      break;
    case Qt::Key_Right: ++to.column; break;
    case Qt::Key_Home:
      if (ctrl) to.key = 0;
      to.column = 0;
      break;
    case Qt::Key_End:
      if (ctrl) return moveToEnd(extend);
      to.column = lineLength(to.key);
      break;
    default: return QAbstractScrollArea::keyPressEvent(event);
  }
  to.column = std::min(to.column, lineLength(to.key));
  moveCaret(to, extend);
}

void TViewer::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const QPalette pal = palette();
  p.fillRect(viewport()->rect(), pal.color(QPalette::Base));
  if (!doc_.isOpen() || !doc_.hasLines()) return;
  p.setFont(font());
  const int lh = lineHeight();
  const int cw = charWidth();
  const int ascent = QFontMetrics(font()).ascent();
  const Pos selStart = selectionStart();
  const Pos selEnd = selectionEnd();
  const bool selecting = hasSelection();
  std::optional<std::uint64_t> key = top_;
  for (int row = 0; key && row <= rows(); ++row, key = doc_.next(*key)) {
    const QString text = doc_.text(*key);
    const int y = row * lh;
    if (selecting && *key >= selStart.key && *key <= selEnd.key) {
      const int from = *key == selStart.key ? selStart.column : 0;
      const int to = *key == selEnd.key ? selEnd.column : static_cast<int>(text.size()) + 1;
      if (to > from)
        p.fillRect(QRect(kMargin + (from - left_) * cw, y, (to - from) * cw, lh), pal.color(QPalette::Highlight));
    }
    p.setPen(pal.color(QPalette::Text));
    const QString shown = text.mid(left_);
    for (int c = 0; c < shown.size(); c += 256) {
      // Drawn cell by cell width so that the columns stay on the character grid.
      const QString part = shown.mid(c, 256);
      p.drawText(kMargin + c * cw, y + ascent, part);
    }
    if (selecting && *key >= selStart.key && *key <= selEnd.key) {
      const int from = *key == selStart.key ? selStart.column : 0;
      const int to = *key == selEnd.key ? selEnd.column : static_cast<int>(text.size());
      if (to > from) {
        p.setPen(pal.color(QPalette::HighlightedText));
        p.drawText(kMargin + (from - left_) * cw, y + ascent, text.mid(from, to - from));
      }
    }
    if (*key == caret_.key && hasFocus()) {
      p.setPen(pal.color(QPalette::Text));
      const int x = kMargin + (caret_.column - left_) * cw;
      p.drawLine(x, y, x, y + lh - 1);
    }
  }
}

}  // namespace roomvale
