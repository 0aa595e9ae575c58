// Text, number, date, path and file-type helpers shared by every window.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "foundation/prompts.h"

namespace roomvale {

// Character classes (ASCII only).
bool isLetter(QChar c);
bool isDigit(QChar c);
bool isLetterOrDigit(QChar c);
bool isSpaceChar(QChar c);  // backspace, line feed, carriage return, blank
bool isBlank(const QString& text);
QString digitsOnly(const QString& text);

// Numbers with the locale's thousands separators.
QString formatThousands(std::int64_t n);
QString formatNumber(double x);
int safeStrToInt(const QString& text);
double safeStrToFloat(const QString& text);
// Integer texts as the settings store reads them: leading blanks, an optional sign, then
// decimal digits, or "0x"/"0X" and hexadecimal digits (which may give the whole bit pattern:
// "0xFFFFFFFF" is -1). Nothing when the text is not such a number or does not fit.
std::optional<int> parseInt32(const QString& text);
std::optional<std::int64_t> parseInt64(const QString& text);

// Dates. Day numbers count whole days since 30 December 1899.
int dayNumber(const QDate& date);
QDate dateFromDayNumber(int day);
QString shortDateFormat();                    // the process-wide short date format
void setShortDateFormat(const QString& fmt);  // set once at start (widened)
// The date in the short date format; 1 January 1980 for a date that cannot be shown.
QString safeDateToStr(const QDateTime& d);
QString safeDateToStr(const QDate& d);
QString relativeDate(const QDateTime& d);
// "Today", "Yesterday", "3 wks ago", "2 yrs 1 mon ago"... for `d` seen from `ref`; both
// are taken in their own time zone rules.
QString relativeDatePhrase(const QDateTime& d, const QDateTime& ref);
QString pluralS(std::int64_t n);

// Paths and drives (native bytes).
// Folder + "/" + name; the "/" is left out when the folder already ends with one. An empty
// folder gives the name alone.
std::string joinPath(const std::string& folder, const std::string& name);
// Readiness of the volume holding `path` (a dead network mount answers "not ready" within
// the time limit instead of hanging). A path on no known volume (empty, relative) is ready.
// A missing folder on a ready volume is ready: entering it fails later, with its own message.
bool isPathDriveReady(const std::string& path);
// Checks that `path` can be opened as a folder without following a final symbolic link;
// throws std::system_error when it cannot. The process's current folder is never changed
// (walks work on folder descriptors). An empty path does nothing.
void changeToFolder(const std::string& path);

// The extension of a file name or pattern with its dot, from the last "." after the last "/"
// ("*.tmp" -> ".tmp", "a.b/c" -> ""); "" when there is none.
QString fileExtension(const QString& name);
// File-type description of an extension given with its dot (".txt"), "*." (or a bare ".")
// for files without an extension: the MIME comment, else the MIME type name, else "TXT File";
// "" for an empty extension or one holding "*".
QString fileTypeDescription(const QString& ext);
// The display entry of a file-type list: the pattern, a TAB and the description of its
// extension.
QString typeListEntry(const QString& pattern);

// Writes the readable runs of `source` as lines of `target` (created or replaced): runs of
// ASCII letters, digits and blanks of at least `minLen` characters, cut at `maxLen` + 1,
// read in blocks of 2048 bytes that runs never cross; a run equal to the line written last
// is not written again. An unopenable source shows "Could not open file <name>" and writes
// no target; a failure to write the target throws std::system_error.
void extractStrings(const std::string& source, const std::string& target, int minLen, int maxLen);

}  // namespace roomvale
