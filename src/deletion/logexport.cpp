#include "deletion/logexport.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <vector>

#include "deletion/deletionlog.h"
#include "foundation/prompts.h"
#include "platform/paths.h"
#include "scan/exports.h"

namespace roomvale {

namespace {

const QString kExportFilter =
    QStringLiteral("Text files (*.txt);;CSV files (*.csv);;HTML files (*.htm *.html);;All files (*)");

QString csvCell(const QString& text) {
  if (text.isEmpty()) return QStringLiteral("\"\"");
  const bool quote = text.contains(QChar(',')) || text.contains(QChar('"')) || text.contains(QChar('\r')) ||
                     text.contains(QChar('\n'));
  if (!quote) return text;
  QString inner = text;
  inner.replace(QStringLiteral("\""), QStringLiteral("\"\""));
  return QChar('"') + inner + QChar('"');
}

// Columns after the date hold numbers and are right-aligned.
bool rightAligned(int col) { return col >= 1; }

bool writeExport(const std::string& path, const std::string& content) {
  if (platform::writeFileAtomically(path, content)) return true;
  showError(QStringLiteral("Couldn't create file ") + platform::toDisplay(path));
  return false;
}

// Printed text is one line per cell.
QString printable(const QString& text) {
  QString out = text;
  out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  out.replace(QChar('\r'), QChar(' '));
  out.replace(QChar('\n'), QChar(' '));
  return out;
}

}  // namespace

std::string deletionLogCsv(const DeletionLog& log) {
  QString out;
  for (int r = 0; r < log.rowCount(); ++r) {
    for (int c = 0; c < log.columnCount(); ++c) {
      if (c > 0) out += QChar(',');
      out += csvCell(log.cell(c, r));
    }
    out += QStringLiteral("\r\n");
  }
  return out.toUtf8().toStdString();
}

std::string deletionLogHtml(const DeletionLog& log, const QColor& headerColour) {
  const QString colour = headerColour.name(QColor::HexRgb).mid(1).toUpper();
  const QString align = QStringLiteral(" align=\"right\"");
  QString out = QStringLiteral("<table border=1>\r\n");
  for (int r = 0; r < log.rowCount(); ++r) {
    out += QStringLiteral("<tr>\r\n");
    for (int c = 0; c < log.columnCount(); ++c) {
      out += QStringLiteral("<td nowrap");
      if (rightAligned(c)) out += align;
      if (r == 0)
        out += QStringLiteral(" BGCOLOR=\"#") + colour + QStringLiteral("\"><B>") + htmlCellText(log.cell(c, r)) +
               QStringLiteral("</B></td>\r\n");
      else
        out += QStringLiteral(">") + htmlCellText(log.cell(c, r)) + QStringLiteral("</td>\r\n");
    }
    out += QStringLiteral("</tr>\r\n");
  }
  out += QStringLiteral("</table><p>\r\n");
  return out.toUtf8().toStdString();
}

QString deletionLogPrintTitle() {
  return QStringLiteral("Files processed by Roomvale  (") + makerWebAddress() + QStringLiteral(")");
}

FileDialogSpec csvSaveDialogSpec() {
  FileDialogSpec fileDialog;
  fileDialog.title = QStringLiteral("Save as Comma-Delimited");
  fileDialog.defaultSuffix = QStringLiteral("csv");
  fileDialog.fileName = QStringLiteral("delete.csv");
  fileDialog.filter = kExportFilter;
  fileDialog.selectedFilter = QStringLiteral("CSV files (*.csv)");
  fileDialog.folder = platform::toDisplay(platform::userDataFolder());
  return fileDialog;
}

FileDialogSpec htmlSaveDialogSpec() {
  FileDialogSpec fileDialog = csvSaveDialogSpec();
  fileDialog.title = QStringLiteral("Save as web page");
  fileDialog.defaultSuffix = QStringLiteral("htm");
  fileDialog.fileName = QStringLiteral("delete.htm");
  fileDialog.selectedFilter = QStringLiteral("HTML files (*.htm *.html)");
  return fileDialog;
}

bool saveDeletionLogAsCsv(const DeletionLog& log) {
  const auto path = prompts().saveFileName(csvSaveDialogSpec());
  if (!path || path->empty()) return false;
  if (!writeExport(*path, deletionLogCsv(log))) return false;
  showInfo(QStringLiteral("CSV file saved as ") + platform::toDisplay(*path));
  return true;
}

bool saveDeletionLogAsHtml(const DeletionLog& log) {
  const auto path = prompts().saveFileName(htmlSaveDialogSpec());
  if (!path || path->empty()) return false;
  if (!writeExport(*path, deletionLogHtml(log, webPageHeaderColour()))) return false;
  showInfo(QStringLiteral("HTML file saved as ") + platform::toDisplay(*path));
  return true;
}

bool printDeletionLog(QPrinter& printer, const DeletionLog& log) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;

  const double pageW = printer.width();
  const double pageH = printer.height();
  const int cols = log.columnCount();

  QFont body(QStringLiteral("Arial"));
  body.setPointSizeF(10);
  QFont bold = body;
  bold.setBold(true);
  QFont titleFont = bold;
  titleFont.setPointSizeF(12);

  // Each column as wide as its widest text plus a gap; the fonts shrink if the grid would
  // not fit the page.
  std::vector<double> widths(cols);
  double gap = 0;
  double total = 0;
  for (int pass = 0; pass < 2; ++pass) {
    const QFontMetricsF fb(body, &printer), fh(bold, &printer);
    gap = fb.averageCharWidth() * 3;
    total = 0;
    for (int c = 0; c < cols; ++c) {
      double w = fh.horizontalAdvance(printable(log.cell(c, 0)));
      for (int r = 1; r < log.rowCount(); ++r) w = std::max(w, fb.horizontalAdvance(printable(log.cell(c, r))));
      widths[c] = w + gap;
      total += widths[c];
    }
    if (total <= pageW || pass == 1) break;
    const double scale = std::max(0.4, pageW / total * 0.98);
    body.setPointSizeF(body.pointSizeF() * scale);
    bold.setPointSizeF(bold.pointSizeF() * scale);
  }

  const QFontMetricsF fb(body, &printer);
  const double rowH = fb.height() * 1.35;
  const double left = std::max(0.0, (pageW - total) / 2);

  auto drawRow = [&](int r, double y) {
    painter.setFont(r == 0 ? bold : body);
    double x = left;
    for (int c = 0; c < cols; ++c) {
      const QRectF cellRect(x + gap / 2, y, widths[c] - gap, rowH);
      const Qt::Alignment a = (rightAligned(c) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
      painter.drawText(cellRect, static_cast<int>(a | Qt::TextSingleLine), printable(log.cell(c, r)));
      x += widths[c];
    }
  };

  painter.setFont(titleFont);
  const QFontMetricsF ft(titleFont, &printer);
  painter.drawText(QRectF(0, 0, pageW, ft.height()), Qt::AlignHCenter | Qt::AlignTop, deletionLogPrintTitle());
  double y = ft.height() * 2;
  drawRow(0, y);
  y += rowH;
  for (int r = 1; r < log.rowCount(); ++r) {
    if (y + rowH > pageH) {
      // Every page repeats the column titles.
      if (!printer.newPage()) {
        painter.end();
        return false;
      }
      y = 0;
      drawRow(0, y);
      y += rowH;
    }
    drawRow(r, y);
    y += rowH;
  }
  return painter.end();
}

void printDeletionLogWithDialog(const DeletionLog& log) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setDocName(QStringLiteral("Files processed by Roomvale"));
  if (!prompts().printDialog(printer, false)) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool ok = printDeletionLog(printer, log);
  QApplication::restoreOverrideCursor();
  if (!ok)
    prompts().message(MessageKind::Error, QStringLiteral("Error printing report ... quitting"), QStringLiteral("Error"),
                      Sound::None);
}

}  // namespace roomvale
