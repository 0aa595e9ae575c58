#include "finders/daterange.h"

#include <QLocale>
#include <vector>

#include "foundation/clock.h"
#include "foundation/helpers.h"
#include "scan/grid.h"

namespace roomvale {

namespace {

// The short date form as separators around three numeric sections, e.g. "M/d/yyyy" as
// "", 'M', "/", 'd', "/", 'y', "". Nothing for a form with named months or days.
struct DateForm {
  QString separators[4];
  char order[3] = {0, 0, 0};
};

std::optional<DateForm> numericForm(const QString& format) {
  DateForm form;
  int section = 0;
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format[i];
    if (c == u'\'') {  // quoted literal text
      const qsizetype close = format.indexOf(u'\'', i + 1);
      const qsizetype end = close < 0 ? format.size() : close;
      form.separators[section] += format.mid(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    if (c == u'd' || c == u'M' || c == u'y') {
      qsizetype run = 1;
      while (i + run < format.size() && format[i + run] == c) ++run;
      if ((c != u'y' && run > 2) || section >= 3) return std::nullopt;
      form.order[section++] = static_cast<char>(c.unicode());
      i += run;
      continue;
    }
    if (c.isLetter()) return std::nullopt;
    form.separators[section] += c;
    ++i;
  }
  if (section != 3) return std::nullopt;
  return form;
}

int fullYear(int year, qsizetype digits) {
  if (digits > 2) return year;
  return year < 50 ? 2000 + year : 1900 + year;
}

bool blankText(const QString& text) {
  for (QChar c : text)
    if (!isSpaceChar(c)) return false;
  return true;
}

int dayOf(const QDate& d) { return static_cast<int>(d.toJulianDay() - QDate(1980, 1, 1).toJulianDay()); }

}  // namespace

std::optional<QDate> readShortDate(const QString& typed) {
  const QString text = typed.trimmed();
  if (text.isEmpty()) return std::nullopt;
  const QString format = shortDateFormat();
  const auto form = numericForm(format);
  // Forms with named months, or sections without separators, are left to the locale.
  auto byLocale = [&]() -> std::optional<QDate> {
    const QDate d = QLocale().toDate(text, format);
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
  };
  if (!form) return byLocale();
  qsizetype at = 0;
  auto literal = [&](const QString& sep) {
    const QString s = sep.trimmed();
    while (at < text.size() && text[at] == u' ') ++at;
    if (!text.mid(at).startsWith(s)) return false;
    at += s.size();
    while (at < text.size() && text[at] == u' ') ++at;
    return true;
  };
  int day = 0, month = 0, year = 0;
  if (!literal(form->separators[0])) return byLocale();
  for (int s = 0; s < 3; ++s) {
    const qsizetype begin = at;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') ++at;
    const qsizetype digits = at - begin;
    const char kind = form->order[s];
    if (digits == 0 || digits > (kind == 'y' ? 4 : 2) || (kind == 'y' && digits == 3)) return byLocale();
    const int value = text.mid(begin, digits).toInt();
    if (kind == 'd')
      day = value;
    else if (kind == 'M')
      month = value;
    else
      year = fullYear(value, digits);
    if (!literal(form->separators[s + 1])) return byLocale();
  }
  if (at != text.size()) return byLocale();
  const QDate d(year, month, day);
  return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

QString dateFieldText(const QDate& date) { return safeDateToStr(date); }

const platform::FileTime& chosenTime(const platform::DirEntry& e, DateKind kind) {
  switch (kind) {
    case DateKind::LastAccessed: return e.accessTime;
    case DateKind::Created: return e.creationTime;
    case DateKind::LastModified: break;
  }
  return e.writeTime;
}

QString fileDateText(const platform::FileTime& time) { return fatDateText(platform::toFatDateTime(time).value_or(0)); }

bool DateRange::QinDateRange(const QString& dateText) const {
  if (blankText(dateText)) return kind == RangeKind::OnOrBefore;
  const auto date = readShortDate(dateText);
  if (!date) return false;
  const int d = dayOf(*date);
  switch (kind) {
    case RangeKind::OnOrBefore: return d <= dayOf(start);
    case RangeKind::InBetween: return dayOf(start) <= d && d <= dayOf(end);
    case RangeKind::OnOrAfter: return d >= dayOf(start);
  }
  return false;
}

bool DateRange::contains(std::optional<std::uint32_t> packed) const {
  if (!packed) return kind == RangeKind::OnOrBefore;
  // The day the text would show; an impossible packed date shows as 1 January 1980.
  const int d = dayOf(fatDate(*packed).value_or(QDate(1980, 1, 1)));
  switch (kind) {
    case RangeKind::OnOrBefore: return d <= dayOf(start);
    case RangeKind::InBetween: return dayOf(start) <= d && d <= dayOf(end);
    case RangeKind::OnOrAfter: return d >= dayOf(start);
  }
  return false;
}

bool fileDateRow(const std::string& folder, const platform::DirEntry& e, DateKind kind, const DateRange& range,
                 std::string_view wildcard, GridFile& row) {
  if (e.isDirectory() || !platform::matchesPattern(e.name, wildcard)) return false;
  const auto chosen = platform::toFatDateTime(chosenTime(e, kind));
  if (!range.contains(chosen)) return false;
  // Each time is converted once: the local-time conversion is most of the cost per file.
  auto packed = [&](DateKind k, const platform::FileTime& t) {
    return k == kind ? chosen.value_or(0) : platform::toFatDateTime(t).value_or(0);
  };
  row = GridFile{};
  row.folder = folder;
  row.name = e.name;
  row.size = e.size;
  row.writeTime = packed(DateKind::LastModified, e.writeTime);
  row.accessTime = packed(DateKind::LastAccessed, e.accessTime);
  row.creationTime = packed(DateKind::Created, e.creationTime);
  return true;
}

FieldRange rangeFromFields(RangeKind kind, const QString& startText, const QString& endText) {
  FieldRange out;
  const auto start = readShortDate(startText);
  const auto end = readShortDate(endText);
  const QString example = dateFieldText(now().date());
  auto problem = [&](const char* which, const QString& text) {
    return QStringLiteral("The %1 date \"%2\" cannot be read as a date. Type it like %3.")
        .arg(QLatin1String(which), text.trimmed(), example);
  };
  if (!start) {
    out.problem = problem("start", startText);
    return out;
  }
  if (kind == RangeKind::InBetween && !end) {
    out.problem = problem("end", endText);
    return out;
  }
  out.range = DateRange{kind, *start, end.value_or(*start)};
  return out;
}

QString filesByDatePrintTitle(DateKind what, RangeKind when, const QString& startText, const QString& endText) {
  static const char* const kinds[] = {"Last accessed", "Created", "Modified"};
  QString title = QStringLiteral("Files ") + QLatin1String(kinds[static_cast<int>(what)]) + QLatin1Char(' ');
  switch (when) {
    case RangeKind::OnOrBefore: return title + QStringLiteral("before ") + startText;
    case RangeKind::InBetween:
      return title + QStringLiteral("between ") + startText + QStringLiteral(" and ") + endText;
    case RangeKind::OnOrAfter: return title + QStringLiteral("after ") + startText;
  }
  return title;
}

}  // namespace roomvale
