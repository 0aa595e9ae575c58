#include "foundation/product.h"

namespace roomvale {

QString makerWebAddress() { return QStringLiteral("www.fernholt.example"); }

}  // namespace roomvale
