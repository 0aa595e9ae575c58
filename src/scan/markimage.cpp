#include "scan/markimage.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace roomvale {

const QPixmap& markImage() {
  // A red cross on a small light square: reads as "to be removed" at a glance and stays
  // visible on the selection colour too.
  static const QPixmap image = [] {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    p.setBrush(QColor(0xFF, 0xF4, 0xE0));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 2, 2);
    p.setPen(QPen(QColor(0xC0, 0x10, 0x10), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    return pm;
  }();
  return image;
}

}  // namespace roomvale
