// Keeps dates unambiguous past 1999: four-digit years and numeric months in the short date
// format the whole program prints with.
#pragma once

#include <QString>

namespace roomvale {

// Widens a short date format written with Qt's letters: "yy" becomes "yyyy" (a format that
// already has "yyyy" keeps it) and the first "MMM" becomes "MM", once ("MMMM" gives "MMM").
QString fix2000(const QString& format);

// Widens the locale's short date format and makes it the process-wide one.
void applyFix2000();

}  // namespace roomvale
