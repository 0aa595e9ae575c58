// The product's name, version and maker texts shown in several windows and reports.
#pragma once

#include <QString>

namespace roomvale {

QString makerWebAddress();

}  // namespace roomvale
