// The finder tests read and write numbers and dates as in the United States, with four-digit
// years, whatever the machine's locale; the program's defaults come back afterwards.
#pragma once

#include <QLocale>

#include "foundation/helpers.h"

namespace roomvale::testing {

struct UsDates {
  UsDates() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    setShortDateFormat(QStringLiteral("M/d/yyyy"));
  }
  ~UsDates() {
    setShortDateFormat(QString());
    QLocale::setDefault(QLocale::system());
  }
  UsDates(const UsDates&) = delete;
  UsDates& operator=(const UsDates&) = delete;
};

}  // namespace roomvale::testing
