#include "scan/printit.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPrinter>

#include "foundation/clock.h"
#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "scan/grid.h"

namespace roomvale {

namespace {

class WaitCursor {
 public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

void reportFailure() {
  prompts().message(MessageKind::Error, QStringLiteral("Error printing report ... quitting"), QStringLiteral("Error"),
                    Sound::None);
}

}  // namespace

QString printLine(const PrintableGrid& grid, int row) {
  QString line;
  for (std::size_t c = 0; c < grid.columnWidths.size(); ++c) {
    const int w = std::max(grid.columnWidths[c], 0) / 6;
    QString text = grid.cell ? grid.cell(row, static_cast<int>(c)) : QString();
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    line += text.left(w).leftJustified(w, QLatin1Char(' '));
    line += QLatin1Char(' ');
  }
  return line;
}

bool printGrid(const PrintableGrid& grid, const QString& title, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) {
    reportFailure();
    return false;
  }
  QFont font(QStringLiteral("Courier New"), 8);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  painter.setFont(font);
  const QFontMetrics metrics(painter.font(), painter.device());
  const int lineHeight = std::max(metrics.lineSpacing(), 1);
  const QRect page = painter.viewport();
  int y = metrics.ascent();

  auto writeLine = [&](const QString& text) {
    if (y + metrics.descent() > page.height() && y != metrics.ascent()) {
      if (!printer.newPage()) return false;
      y = metrics.ascent();
    }
    if (!text.isEmpty()) painter.drawText(0, y, text);
    y += lineHeight;
    return true;
  };

  WaitCursor wait;
  const QDateTime when = now();
  const QString printed =
      QStringLiteral("Printed : ") + safeDateToStr(when) + QStringLiteral("  ") + longTimeText(when.time());
  bool ok = writeLine(title) && writeLine(printed) && writeLine(QString()) && writeLine(QString());
  for (int row = 0; ok && row < grid.rows; ++row) ok = writeLine(printLine(grid, row));
  // Closing the device ends the job; lines already sent stay printed.
  if (!painter.end()) ok = false;
  if (!ok || printer.printerState() == QPrinter::Error) {
    reportFailure();
    return false;
  }
  return true;
}

bool printGridWithDialog(const PrintableGrid& grid, const QString& title) {
  QPrinter printer;
  if (!prompts().printDialog(printer, false)) return false;
  return printGrid(grid, title, printer);
}

}  // namespace roomvale
