// What the finder tests share: numbers and dates as in the United States with four-digit
// years whatever the machine's locale, sparse files, and file times set with utimensat.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QLocale>
#include <string>

#include "foundation/helpers.h"

namespace roomvale::testing {

// A file of `size` bytes that takes no space.
inline void sparseFile(const std::string& path, std::uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << path;
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
  ::close(fd);
}

// Last access and last write of a file, local times; an invalid one is left as it is.
inline void setFileTimes(const std::string& path, const QDateTime& access, const QDateTime& modified = {}) {
  auto stamp = [](const QDateTime& t) {
    return t.isValid() ? timespec{static_cast<time_t>(t.toSecsSinceEpoch()), 0} : timespec{0, UTIME_OMIT};
  };
  const timespec times[2] = {stamp(access), stamp(modified)};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// The program's default locale and date form come back when it goes.
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
