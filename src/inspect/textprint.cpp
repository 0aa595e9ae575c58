#include "inspect/textprint.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "foundation/prompts.h"

namespace roomvale {

bool printTextLines(QPrinter& printer, const QFont& font, std::uint64_t count,
                    const std::function<QString(std::uint64_t)>& line) {
  auto fail = [] {
    prompts().message(MessageKind::Error, QStringLiteral("Error printing report ... quitting"), QStringLiteral("Error"),
                      Sound::None);
    return false;
  };
  QPainter painter;
  if (!painter.begin(&printer)) return fail();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  painter.setFont(font);
  const QFontMetrics metrics(painter.font(), painter.device());
  const int lineHeight = std::max(metrics.lineSpacing(), 1);
  const int pageHeight = painter.viewport().height();
  int y = metrics.ascent();
  bool ok = true;
  for (std::uint64_t i = 0; ok && i < count; ++i) {
    if (y + metrics.descent() > pageHeight && y != metrics.ascent()) {
      if (!printer.newPage()) {
        ok = false;
        break;
      }
      y = metrics.ascent();
    }
    const QString text = line(i);
    if (!text.isEmpty()) painter.drawText(0, y, text);
    y += lineHeight;
  }
  if (!painter.end()) ok = false;
  QApplication::restoreOverrideCursor();
  if (!ok || printer.printerState() == QPrinter::Error) return fail();
  return true;
}

}  // namespace roomvale
