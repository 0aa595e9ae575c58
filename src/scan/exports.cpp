#include "scan/exports.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QPalette>

#include "foundation/prompts.h"
#include "platform/paths.h"
#include "scan/grid.h"

namespace roomvale {

namespace {
std::string& lastWebPageFolder() {
  static std::string folder;
  return folder;
}
}  // namespace

GridTexts gridTexts(const GridData& grid) {
  GridTexts t;
  t.rows = grid.rowCount();
  t.columns = grid.columnCount();
  t.cell = [&grid](int row, int column) { return row == 0 ? grid.headerText(column) : grid.cellText(row - 1, column); };
  return t;
}

QString entireGridText(const GridTexts& grid) {
  QString text;
  for (int row = 0; row < grid.rows; ++row) {
    for (int c = 0; c < grid.columns; ++c) {
      if (c > 0) text += QLatin1Char('\t');
      text += grid.cell(row, c);
    }
    text += QStringLiteral("\r\n");
  }
  return text;
}

QString clipboardText(const GridData& grid, ClipboardForm form) {
  if (form == ClipboardForm::EntireGrid) return entireGridText(gridTexts(grid));
  QString text;
  for (int pos = 0; pos < grid.rowsUsed(); ++pos) {
    text += platform::toDisplay(grid.rowPath(pos));
    text += QStringLiteral("\r\n");
  }
  return text;
}

void copyToClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }

QString htmlCellText(const QString& text) {
  if (text.isEmpty()) return QStringLiteral("<br>");
  QString out;
  out.reserve(text.size() + 16);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    switch (c.unicode()) {
      case '&': out += QStringLiteral("&amp;"); break;
      case '<': out += QStringLiteral("&lt;"); break;
      case '>': out += QStringLiteral("&gt;"); break;
      case '\r':
        out += QStringLiteral("<br>");
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        break;
      case '\n': out += QStringLiteral("<br>"); break;
      default:
        if (c.unicode() < 128) {
          out += c;
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
          out += QStringLiteral("&#%1;").arg(QChar::surrogateToUcs4(c, text[i + 1]));
          ++i;
        } else {
          out += QStringLiteral("&#%1;").arg(c.unicode());
        }
    }
  }
  return out;
}

QByteArray webPageHtml(const GridTexts& grid, const QColor& headerColour) {
  const QString colour = QStringLiteral("%1%2%3")
                             .arg(headerColour.red(), 2, 16, QLatin1Char('0'))
                             .arg(headerColour.green(), 2, 16, QLatin1Char('0'))
                             .arg(headerColour.blue(), 2, 16, QLatin1Char('0'))
                             .toUpper();
  QString page;
  const QString eol = QStringLiteral("\r\n");
  page += QStringLiteral("<table border=1>") + eol;
  for (int row = 0; row < grid.rows; ++row) {
    page += QStringLiteral("<tr>") + eol;
    for (int c = 0; c < grid.columns; ++c) {
      const QString text = htmlCellText(grid.cell(row, c));
      if (row == 0)
        page += QStringLiteral("<td nowrap BGCOLOR=\"#") + colour + QStringLiteral("\"><B>") + text +
                QStringLiteral("</B></td>");
      else
        page += QStringLiteral("<td nowrap>") + text + QStringLiteral("</td>");
      page += eol;
    }
    page += QStringLiteral("</tr>") + eol;
  }
  page += QStringLiteral("</table><p>") + eol;
  return page.toUtf8();
}

QColor webPageHeaderColour() { return QGuiApplication::palette().color(QPalette::Active, QPalette::Window); }

FileDialogSpec webPageSaveSpec() {
  FileDialogSpec fileDialog;
  fileDialog.title = QStringLiteral("Save file listing as web page");
  fileDialog.defaultSuffix = QStringLiteral("htm");
  fileDialog.fileName = QStringLiteral("save.htm");
  fileDialog.filter = QStringLiteral("HTM files (*.htm);;HTML files (*.html);;All files (*)");
  fileDialog.folder = platform::toDisplay(lastWebPageFolder());
  return fileDialog;
}

void rememberWebPageFolder(const std::string& savedFile) { lastWebPageFolder() = platform::folderOf(savedFile); }

bool saveWebPage(const GridTexts& grid) {
  const std::optional<std::string> file = prompts().saveFileName(webPageSaveSpec());
  if (!file || file->empty()) return false;
  rememberWebPageFolder(*file);
  const QByteArray page = webPageHtml(grid, webPageHeaderColour());
  if (!platform::writeFileAtomically(*file, page.toStdString())) {
    showError(QStringLiteral("Could not write ") + platform::toDisplay(*file));
    return false;
  }
  return true;
}

}  // namespace roomvale
