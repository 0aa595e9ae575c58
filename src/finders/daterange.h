// Files by date without widgets: which of a file's times is tested, the range with its
// day-by-day test, and the date texts of the fields and of the files.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>

#include <string>
#include <string_view>

#include "platform/direnum.h"
#include "scan/grid.h"

namespace roomvale {

// In the order of the radio items.
enum class DateKind { LastAccessed = 0, Created = 1, LastModified = 2 };
enum class RangeKind { OnOrBefore = 0, InBetween = 1, OnOrAfter = 2 };

// A date as typed into a date field, in the short date form (days and months with one or
// two digits); a two-digit year reads as 1950 to 2049. Nothing when the text is no date.
std::optional<QDate> readShortDate(const QString& text);
// How a date field shows a date.
QString dateFieldText(const QDate& date);

// The time of the chosen kind (creation: the birth time, "not recorded" where the file
// system keeps none).
const platform::FileTime& chosenTime(const platform::DirEntry& entry, DateKind kind);
// A file time as the grid shows it: local time, packed, its date in the short date form;
// empty for a time before 1980 or one not recorded.
QString fileDateText(const platform::FileTime& time);

struct DateRange {
  RangeKind kind = RangeKind::InBetween;
  QDate start;
  QDate end;

  // A file date text in range, by day with both bounds included. A blank text (spaces, CR,
  // LF, backspace) is in range only for "On or Before".
  bool QinDateRange(const QString& dateText) const;
  // The same for a packed local date-time (nothing: no date text), without making the text.
  bool contains(std::optional<std::uint32_t> packed) const;
};

// The grid row of a listed file when it is a file matching the wildcard whose chosen date
// is in range; false otherwise.
bool fileDateRow(const std::string& folder, const platform::DirEntry& entry, DateKind kind, const DateRange& range,
                 std::string_view wildcard, GridFile& row);

// The range of the date fields' texts, or the message naming the field that cannot be read.
// The end field counts only for "In between"; otherwise an unreadable one stands as the start.
struct FieldRange {
  std::optional<DateRange> range;
  QString problem;
};
FieldRange rangeFromFields(RangeKind kind, const QString& startText, const QString& endText);

// "Files Last accessed before 1/2/2024" and the like.
QString filesByDatePrintTitle(DateKind what, RangeKind when, const QString& startText, const QString& endText);

}  // namespace roomvale
