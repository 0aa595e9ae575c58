#include "app/datefix.h"

#include <QLocale>

#include "foundation/helpers.h"

namespace roomvale {

QString fix2000(const QString& format) {
  QString result = format;
  if (!result.contains(QLatin1String("yyyy"))) {
    const qsizetype at = result.indexOf(QLatin1String("yy"));
    if (at >= 0) result.insert(at, QLatin1String("yy"));
  }
  const qsizetype month = result.indexOf(QLatin1String("MMM"));
  if (month >= 0) result.replace(month, 3, QLatin1String("MM"));
  return result;
}

void applyFix2000() {
  // Start from the locale each time rather than from the current process-wide format, so
  // that a second main window (tests start several) does not shorten "MMM" again.
  setShortDateFormat(fix2000(QLocale::system().dateFormat(QLocale::ShortFormat)));
}

}  // namespace roomvale
