// The small picture shown in the mark column of a marked row.
#pragma once

class QPixmap;

namespace roomvale {

// 16 by 16, transparent background; made once.
const QPixmap& markImage();

}  // namespace roomvale
