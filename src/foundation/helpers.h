// Text, number, date, path and file-type helpers shared by every window.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
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

// Dates. Day numbers count whole days since 30 December 1899.
int dayNumber(const QDate& date);
QDate dateFromDayNumber(int day);
QString shortDateFormat();                    // the process-wide short date format
void setShortDateFormat(const QString& fmt);  // set once at start (widened)
QString safeDateToStr(const QDateTime& d);
QString relativeDate(const QDateTime& d);
QString relativeDatePhrase(const QDateTime& d, const QDateTime& ref);
QString pluralS(std::int64_t n);

// Paths and drives (native bytes).
std::string joinPath(const std::string& folder, const std::string& name);
bool isPathDriveReady(const std::string& path);
// Checks that `path` can be entered as a folder; throws std::system_error when it cannot.
void changeToFolder(const std::string& path);

// File-type description of an extension given with its dot (".txt"), "*." for files without
// an extension.
QString fileTypeDescription(const QString& ext);

// Writes the readable runs of `source` as lines of `target`.
void extractStrings(const std::string& source, const std::string& target, int minLen, int maxLen);

}  // namespace roomvale
