#include "foundation/helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QHash>
#include <QLocale>
#include <cerrno>
#include <cmath>
#include <limits>
#include <mutex>
#include <system_error>

#include "foundation/clock.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/volumes.h"

namespace roomvale {

// ---- characters and texts ----

bool isLetter(QChar c) {
  const char16_t u = c.unicode();
  return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool isDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

bool isLetterOrDigit(QChar c) { return isLetter(c) || isDigit(c); }

bool isSpaceChar(QChar c) {
  const char16_t u = c.unicode();
  return u == 8 || u == 10 || u == 13 || u == 32;
}

bool isBlank(const QString& text) {
  for (const QChar c : text)
    if (!isSpaceChar(c)) return false;
  return true;
}

QString digitsOnly(const QString& text) {
  QString out;
  for (const QChar c : text)
    if (isDigit(c)) out += c;
  return out;
}

// ---- numbers ----

namespace {

QLocale groupingLocale() {
  // The C locale omits group separators by default; the numbers shown always carry them.
  QLocale loc;
  loc.setNumberOptions(loc.numberOptions() & ~QLocale::OmitGroupSeparator);
  return loc;
}

// Digits of `text` from `pos` in `base`; false when there are none, when a non-digit follows
// or when the magnitude exceeds `limit`.
bool parseMagnitude(const QString& text, qsizetype pos, int base, std::uint64_t limit, std::uint64_t& out) {
  if (pos >= text.size()) return false;
  std::uint64_t v = 0;
  for (; pos < text.size(); ++pos) {
    const char16_t c = text[pos].unicode();
    int d;
    if (c >= u'0' && c <= u'9')
      d = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f')
      d = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F')
      d = c - u'A' + 10;
    else
      return false;
    if (v > (limit - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base)) return false;
    v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  out = v;
  return true;
}

// Shared by the 32- and 64-bit readers. `bits` is 32 or 64.
std::optional<std::int64_t> parseInteger(const QString& text, int bits) {
  qsizetype pos = 0;
  while (pos < text.size() && text[pos] == u' ') ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+')) {
    negative = text[pos] == u'-';
    ++pos;
  }
  const std::uint64_t unsignedMax = bits == 32 ? 0xFFFFFFFFull : ~0ull;
  const std::uint64_t signedMax = unsignedMax >> 1;
  std::uint64_t mag = 0;
  if (pos + 2 < text.size() && text[pos] == u'0' && (text[pos + 1] == u'x' || text[pos + 1] == u'X')) {
    // Hexadecimal gives the bit pattern, so the whole unsigned range is accepted.
    if (!parseMagnitude(text, pos + 2, 16, unsignedMax, mag)) return std::nullopt;
    std::int64_t v = bits == 32 ? static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(mag)))
                                : static_cast<std::int64_t>(mag);
    if (negative) {
      if (v == (bits == 32 ? std::int64_t{std::numeric_limits<std::int32_t>::min()}
                           : std::numeric_limits<std::int64_t>::min()))
        return std::nullopt;
      v = -v;
    }
    return v;
  }
  if (!parseMagnitude(text, pos, 10, signedMax + (negative ? 1 : 0), mag)) return std::nullopt;
  if (negative)
    return mag == signedMax + 1 ? (bits == 32 ? std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                              : std::numeric_limits<std::int64_t>::min())
                                : -static_cast<std::int64_t>(mag);
  return static_cast<std::int64_t>(mag);
}

}  // namespace

std::optional<int> parseInt32(const QString& text) {
  const auto v = parseInteger(text, 32);
  if (!v) return std::nullopt;
  return static_cast<int>(*v);
}

std::optional<std::int64_t> parseInt64(const QString& text) { return parseInteger(text, 64); }

QString formatThousands(std::int64_t n) { return groupingLocale().toString(static_cast<qlonglong>(n)); }

QString formatNumber(double x) {
  if (!std::isfinite(x)) return {};
  // At most 14 significant digits, then no decimals.
  double r = std::round(x);
  const double magnitude = std::fabs(x);
  if (magnitude >= 1e14) {
    const double scale = std::pow(10.0, std::floor(std::log10(magnitude)) - 13);
    r = std::round(x / scale) * scale;
  }
  if (r == 0) r = 0;  // no "-0"
  return groupingLocale().toString(r, 'f', 0);
}

int safeStrToInt(const QString& text) { return parseInt32(text).value_or(0); }

double safeStrToFloat(const QString& text) {
  bool ok = false;
  const double v = QLocale().toDouble(text.trimmed(), &ok);
  return ok && std::isfinite(v) ? v : 0.0;
}

// ---- dates ----

namespace {

const QDate kDayZero(1899, 12, 30);

QString& shortDateFormatSlot() {
  static QString format;
  return format;
}

// 1 for Sunday to 7 for Saturday.
int sundayFirstDayOfWeek(const QDate& d) { return d.dayOfWeek() % 7 + 1; }

QString yearsAndMonths(std::int64_t years, std::int64_t months, bool past) {
  std::int64_t y = years - 1;
  std::int64_t m = months - 12 * y;
  if (m >= 12) {
    y += m / 12;
    m %= 12;
  }
  QString text = QString::number(y) + (past ? QStringLiteral(" yrs ") : QStringLiteral(" yrs"));
  if (m > 0) {
    if (past)
      text += QString::number(m) + QStringLiteral(" mon") + pluralS(m) + u' ';
    else
      text += u' ' + QString::number(m) + QStringLiteral(" mon") + pluralS(m);
  }
  if (past) text += QStringLiteral("ago");
  return text;
}

}  // namespace

int dayNumber(const QDate& date) { return static_cast<int>(kDayZero.daysTo(date)); }

QDate dateFromDayNumber(int day) { return kDayZero.addDays(day); }

QString shortDateFormat() {
  const QString& f = shortDateFormatSlot();
  return f.isEmpty() ? QLocale().dateFormat(QLocale::ShortFormat) : f;
}

void setShortDateFormat(const QString& fmt) { shortDateFormatSlot() = fmt; }

QString safeDateToStr(const QDate& d) {
  const QLocale loc;
  const QString format = shortDateFormat();
  if (d.isValid() && d.year() >= 1 && d.year() <= 9999) {
    const QString text = loc.toString(d, format);
    if (!text.isEmpty()) return text;
  }
  return loc.toString(QDate(1980, 1, 1), format);
}

QString safeDateToStr(const QDateTime& d) { return safeDateToStr(d.isValid() ? d.date() : QDate()); }

QString relativeDate(const QDateTime& d) { return relativeDatePhrase(d, now()); }

QString relativeDatePhrase(const QDateTime& d, const QDateTime& ref) {
  if (!d.isValid() || !ref.isValid()) return {};
  const QDate dd = d.date();
  const QDate rd = ref.date();
  constexpr std::int64_t kDayMs = 86400000;
  // Local wall-clock difference, so that a daylight-saving change does not shift the days.
  const std::int64_t diffMs =
      rd.daysTo(dd) * kDayMs + (d.time().msecsSinceStartOfDay() - ref.time().msecsSinceStartOfDay());
  const bool future = rd < dd;
  const std::int64_t days = (diffMs < 0 ? -diffMs : diffMs) / kDayMs;

  if (days == 0) return QStringLiteral("Today");
  if (days == 1) return future ? QStringLiteral("Tomorrow") : QStringLiteral("Yesterday");

  const int refDow = sundayFirstDayOfWeek(rd);
  const int dDow = sundayFirstDayOfWeek(dd);
  if (future) {
    const std::int64_t weeks = (days + refDow - 1) / 7;
    const std::int64_t months =
        (std::int64_t{dd.year()} * 12 + dd.month()) - (std::int64_t{rd.year()} * 12 + rd.month());
    const std::int64_t years = std::int64_t{dd.year()} - rd.year();
    if (7 - refDow >= days) return QStringLiteral("This week");
    if (weeks < 2) return QStringLiteral("Next week");
    if (months < 3) return QString::number(weeks) + QStringLiteral(" wks");
    if (years <= 2) return QString::number(months) + QStringLiteral(" mon") + pluralS(months);
    return yearsAndMonths(years, months, false);
  }
  const std::int64_t weeks = (days + dDow - 1) / 7;
  const std::int64_t months = (std::int64_t{rd.year()} * 12 + rd.month()) - (std::int64_t{dd.year()} * 12 + dd.month());
  const std::int64_t years = std::int64_t{rd.year()} - dd.year();
  if (weeks == 0) return QStringLiteral("This week");
  if (weeks == 1) return QStringLiteral("Last week");
  if (months < 3) return QString::number(weeks) + QStringLiteral(" wks ago");
  if (years <= 2) return QString::number(months) + QStringLiteral(" mon") + pluralS(months) + QStringLiteral(" ago");
  return yearsAndMonths(years, months, true);
}

QString pluralS(std::int64_t n) { return n > 1 ? QStringLiteral("s") : QString(); }

// ---- paths and drives ----

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

bool isPathDriveReady(const std::string& path) {
  if (path.empty() || path.front() != '/') return true;
  // Ask about the mount point, not the path: a folder removed from a ready volume still
  // counts as ready, so that the caller reports that it cannot be opened.
  const auto volume = platform::volumeOf(path);
  return platform::isVolumeReady(volume ? volume->mountPoint : std::string("/"));
}

void changeToFolder(const std::string& path) {
  if (path.empty()) return;
  // A trailing "/" would make the kernel follow a final symbolic link.
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  const int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "cannot open folder " + p);
  ::close(fd);
}

// ---- file types ----

QString fileExtension(const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot < 0 || name.indexOf(u'/', dot) >= 0) return {};
  return name.mid(dot);
}

QString fileTypeDescription(const QString& ext) {
  if (ext == QLatin1String("*.") || ext == QLatin1String(".")) return QStringLiteral("No extension");
  if (ext.isEmpty()) return {};

  // Result grids ask once per row; the MIME database does not change while we run.
  static std::mutex mutex;
  static QHash<QString, QString> cache;
  {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = cache.constFind(ext);
    if (it != cache.constEnd()) return *it;
  }
  const platform::ExtensionType type = platform::extensionType(ext);
  QString result;
  if (!type.description.isEmpty())
    result = type.description;
  else if (!type.typeName.isEmpty())
    result = type.typeName;
  else if (!ext.contains(u'*'))
    result = (ext.startsWith(u'.') ? ext.mid(1) : ext).toUpper() + QStringLiteral(" File");
  std::lock_guard<std::mutex> lock(mutex);
  cache.insert(ext, result);
  return result;
}

QString typeListEntry(const QString& pattern) { return pattern + u'\t' + fileTypeDescription(fileExtension(pattern)); }

// ---- readable strings ----

namespace {

void writeAll(int fd, const std::string& data, const std::string& target) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "cannot write " + target);
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

void extractStrings(const std::string& source, const std::string& target, int minLen, int maxLen) {
  // Non-blocking, so that a FIFO without a writer reads as empty instead of hanging.
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st;
  if (in >= 0 && (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode))) {
    ::close(in);
    in = -1;
  }
  if (in < 0) {
    showError(QStringLiteral("Could not open file ") + platform::toDisplay(source));
    return;
  }
  const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (out < 0) {
    const int err = errno;
    ::close(in);
    throw std::system_error(err, std::generic_category(), "cannot create " + target);
  }

  constexpr std::size_t kBlock = 2048;
  char block[kBlock];
  std::string lastLine;
  std::string run;
  std::string pending;  // lines not yet written to the target
  const std::size_t minRun = minLen > 0 ? static_cast<std::size_t>(minLen) : 0;
  const std::size_t maxRun = maxLen > 0 ? static_cast<std::size_t>(maxLen) : 0;
  try {
    for (;;) {
      ssize_t n = ::read(in, block, kBlock);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      run.clear();  // runs never continue into the next block
      for (ssize_t i = 0; i < n; ++i) {
        const char c = block[i];
        const bool readable = c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (readable) {
          if (run.size() < minRun || run.size() <= maxRun) run += c;
          continue;
        }
        if (run.size() >= minRun && run != lastLine) {
          pending += run;
          pending += '\n';
          lastLine = run;
        }
        run.clear();
      }
      if (pending.size() >= 65536) {
        writeAll(out, pending, target);
        pending.clear();
      }
    }
    writeAll(out, pending, target);
  } catch (...) {
    ::close(in);
    ::close(out);
    throw;
  }
  ::close(in);
  if (::close(out) != 0) throw std::system_error(errno, std::generic_category(), "cannot write " + target);
}

}  // namespace roomvale
