// libzip's own text for one of its error codes.
#pragma once

#include <zip.h>
#include <QString>

namespace roomvale {

inline QString zipErrorText(int code) {
  zip_error_t e;
  zip_error_init_with_code(&e, code);
  QString text = QString::fromUtf8(zip_error_strerror(&e));
  zip_error_fini(&e);
  return text;
}

}  // namespace roomvale
