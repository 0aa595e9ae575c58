#include "app/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace roomvale::artwork {

namespace {

// The smooth outline the polygon is sampled from: a tablet with rounded corners and an arch
// over the middle of its top edge.
QPainterPath smoothOutline() {
  constexpr qreal left = 6, right = 570, top = 48, bottom = 402, archTop = 6, r = 34;
  const qreal mid = kSplashPictureSize.width() / 2.0;
  QPainterPath path;
  path.moveTo(left + r, top);
  path.lineTo(140, top);
  path.cubicTo(190, top, 215, archTop, mid, archTop);
  path.cubicTo(mid + 73.5, archTop, 387, top, 437, top);
  path.lineTo(right - r, top);
  path.arcTo(right - 2 * r, top, 2 * r, 2 * r, 90, -90);
  path.lineTo(right, bottom - r);
  path.arcTo(right - 2 * r, bottom - 2 * r, 2 * r, 2 * r, 0, -90);
  path.lineTo(left + r, bottom);
  path.arcTo(left, bottom - 2 * r, 2 * r, 2 * r, 270, -90);
  path.lineTo(left, top + r);
  path.arcTo(left, top, 2 * r, 2 * r, 180, -90);
  path.closeSubpath();
  return path;
}

QPainterPath hill(qreal baseY, qreal amplitude, qreal phase, qreal waves, int width, int height) {
  QPainterPath path;
  path.moveTo(0, height);
  for (int x = 0; x <= width; x += 4) {
    const qreal t = static_cast<qreal>(x) / width;
    path.lineTo(x, baseY - amplitude * std::sin(t * waves * M_PI + phase));
  }
  path.lineTo(width, height);
  path.closeSubpath();
  return path;
}

void drawHouse(QPainter& p, QPointF base, qreal scale) {
  p.save();
  p.translate(base);
  p.scale(scale, scale);
  p.setPen(QPen(QColor(40, 32, 30), 1.2));
  // Walls and roof.
  p.setBrush(QColor(236, 224, 200));
  p.drawRect(QRectF(-22, -30, 44, 30));
  QPolygonF roof;
  roof << QPointF(-28, -29) << QPointF(0, -52) << QPointF(28, -29);
  p.setBrush(QColor(150, 58, 44));
  p.drawPolygon(roof);
  // Chimney behind the roof line.
  p.setBrush(QColor(120, 60, 50));
  p.drawRect(QRectF(12, -50, 6, 12));
  // A lit window and the door.
  p.setBrush(QColor(255, 214, 110));
  p.drawRect(QRectF(-15, -22, 12, 10));
  p.setBrush(QColor(96, 62, 40));
  p.drawRect(QRectF(5, -18, 10, 18));
  p.restore();
}

QPixmap blank(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  return pm;
}

void drawPage(QPainter& p, const QRectF& r, const QColor& fill) {
  const qreal fold = r.width() * 0.3;
  QPolygonF page;
  page << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold) << r.bottomRight()
       << r.bottomLeft();
  p.setPen(QPen(QColor(30, 50, 90), 1.4));
  p.setBrush(fill);
  p.drawPolygon(page);
  p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
  p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
  p.setPen(QPen(QColor(110, 130, 170), 1.2));
  for (qreal y = r.top() + fold + 3; y < r.bottom() - 3; y += 4)
    p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

void drawFolder(QPainter& p, const QRectF& r, const QColor& fill) {
  QPainterPath path;
  path.moveTo(r.left(), r.top() + 3);
  path.lineTo(r.left() + r.width() * 0.35, r.top() + 3);
  path.lineTo(r.left() + r.width() * 0.45, r.top() + 6);
  path.lineTo(r.right(), r.top() + 6);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(fill.darker(190), 1.4));
  p.setBrush(fill);
  p.drawPath(path);
  p.setBrush(fill.lighter(118));
  p.drawRect(QRectF(r.left(), r.top() + 10, r.width(), r.height() - 10));
}

}  // namespace

QPolygon splashOutline() {
  const QPainterPath path = smoothOutline();
  QPolygon polygon;
  polygon.reserve(kSplashOutlineVertices);
  for (int i = 0; i < kSplashOutlineVertices; ++i) {
    const QPointF pt = path.pointAtPercent(static_cast<qreal>(i) / kSplashOutlineVertices);
    polygon << pt.toPoint();
  }
  return polygon;
}

QPixmap splashPicture() {
  const int w = kSplashPictureSize.width(), h = kSplashPictureSize.height();
  QPixmap pm(kSplashPictureSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);

  QPainterPath outline;
  outline.addPolygon(QPolygonF(splashOutline()));
  outline.closeSubpath();
  p.setClipPath(outline);

  // Evening sky over the vale.
  QLinearGradient sky(0, 0, 0, 300);
  sky.setColorAt(0.0, QColor(24, 36, 78));
  sky.setColorAt(0.55, QColor(92, 96, 150));
  sky.setColorAt(0.85, QColor(236, 170, 130));
  sky.setColorAt(1.0, QColor(250, 206, 150));
  p.fillRect(pm.rect(), sky);

  // A few stars high up.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 230, 200));
  const QPointF stars[] = {{70, 80}, {120, 62}, {470, 70}, {520, 96}, {400, 58}, {96, 128}, {545, 140}, {168, 98}};
  for (const QPointF& s : stars) p.drawEllipse(s, 1.4, 1.4);

  // The setting sun.
  QRadialGradient sun(QPointF(420, 262), 70);
  sun.setColorAt(0.0, QColor(255, 244, 200));
  sun.setColorAt(0.45, QColor(255, 214, 120));
  sun.setColorAt(0.7, QColor(255, 180, 100, 120));
  sun.setColorAt(1.0, QColor(255, 160, 90, 0));
  p.setBrush(sun);
  p.drawEllipse(QPointF(420, 262), 70, 70);

  // Three rows of hills, far to near.
  p.setBrush(QColor(78, 110, 128));
  p.drawPath(hill(268, 16, 0.4, 3.0, w, h));
  p.setBrush(QColor(64, 128, 92));
  p.drawPath(hill(300, 20, 2.1, 2.2, w, h));
  p.setBrush(QColor(40, 96, 62));
  p.drawPath(hill(345, 18, 0.9, 1.6, w, h));

  drawHouse(p, QPointF(150, 322), 1.0);
  drawHouse(p, QPointF(470, 336), 0.7);

  // Product name and version.
  QFont title(QStringLiteral("DejaVu Serif"));
  title.setPixelSize(64);
  title.setBold(true);
  p.setFont(title);
  const QRect titleRect(0, 120, w, 80);
  p.setPen(QColor(0, 0, 0, 120));
  p.drawText(titleRect.translated(3, 3), Qt::AlignCenter, QStringLiteral("Roomvale"));
  p.setPen(QColor(255, 248, 228));
  p.drawText(titleRect, Qt::AlignCenter, QStringLiteral("Roomvale"));

  QFont sub(QStringLiteral("DejaVu Sans"));
  sub.setPixelSize(18);
  p.setFont(sub);
  p.setPen(QColor(240, 232, 214));
  p.drawText(QRect(0, 198, w, 26), Qt::AlignCenter, QStringLiteral("Version 3.3"));
  sub.setPixelSize(14);
  p.setFont(sub);
  p.setPen(QColor(220, 236, 220));
  p.drawText(QRect(0, 366, w, 22), Qt::AlignCenter, QStringLiteral("Fernholt Corporation"));

  // Frame along the outline, inside the window's mask.
  p.setClipping(false);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(18, 24, 44), 6));
  p.drawPath(outline);
  p.setPen(QPen(QColor(232, 210, 160), 1.5));
  p.drawPath(outline);
  return pm;
}

QPixmap backgroundTile() {
  constexpr int size = 48;
  QPixmap pm(size, size);
  pm.fill(QColor(206, 218, 232));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  // A faint lattice of diagonals; corner to corner, so the tile joins without seams.
  p.setPen(QPen(QColor(255, 255, 255, 110), 1.0));
  p.drawLine(0, 0, size, size);
  p.drawLine(0, size, size, 0);
  p.setPen(QPen(QColor(110, 130, 165, 45), 1.0));
  p.drawLine(size / 2, 0, size, size / 2);
  p.drawLine(size, size / 2, size / 2, size);
  p.drawLine(size / 2, size, 0, size / 2);
  p.drawLine(0, size / 2, size / 2, 0);
  return pm;
}

void paintGradient(QPainter& painter, const QRect& rect) {
  QLinearGradient g(rect.topLeft(), rect.bottomLeft());
  g.setColorAt(0.0, QColor(0, 0, 255));
  g.setColorAt(1.0, QColor(0, 0, 0));
  painter.fillRect(rect, g);
}

void paintShadow(QPainter& painter, const QRect& rect) {
  QLinearGradient g(rect.topLeft(), rect.bottomRight());
  g.setColorAt(0.0, QColor(192, 192, 192));
  g.setColorAt(1.0, QColor(0, 0, 0));
  painter.fillRect(rect, g);
}

QIcon glyph(Glyph kind) {
  constexpr int s = 32;
  QPixmap pm = blank(s);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  switch (kind) {
    case Glyph::Duplicates:
      drawPage(p, QRectF(3, 2, 17, 22), QColor(230, 238, 250));
      drawPage(p, QRectF(12, 8, 17, 22), QColor(255, 255, 255));
      break;
    case Glyph::FileHogs:
      drawPage(p, QRectF(5, 2, 22, 28), QColor(255, 236, 200));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(214, 96, 40));
      p.drawRect(QRectF(9, 20, 14, 6));
      break;
    case Glyph::FilesAccessed: {
      p.setPen(QPen(QColor(30, 50, 90), 1.6));
      p.setBrush(QColor(250, 250, 240));
      p.drawEllipse(QPointF(16, 16), 13, 13);
      for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        p.drawLine(QPointF(16 + 10 * std::cos(a), 16 + 10 * std::sin(a)),
                   QPointF(16 + 12 * std::cos(a), 16 + 12 * std::sin(a)));
      }
      p.setPen(QPen(QColor(30, 50, 90), 2.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(16, 16), QPointF(16, 8));
      p.drawLine(QPointF(16, 16), QPointF(22, 19));
      break;
    }
    case Glyph::FolderHogs:
      drawFolder(p, QRectF(8, 3, 22, 18), QColor(226, 176, 60));
      drawFolder(p, QRectF(2, 9, 26, 21), QColor(244, 200, 80));
      break;
    case Glyph::QuickClean: {
      p.setPen(QPen(QColor(120, 72, 30), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(26, 3), QPointF(14, 19));
      QPolygonF bristles;
      bristles << QPointF(10, 15) << QPointF(19, 22) << QPointF(13, 30) << QPointF(3, 28);
      p.setPen(QPen(QColor(150, 110, 20), 1.2));
      p.setBrush(QColor(236, 200, 90));
      p.drawPolygon(bristles);
      p.setPen(QPen(QColor(80, 150, 230), 1.6));
      p.drawLine(QPointF(24, 22), QPointF(28, 22));
      p.drawLine(QPointF(26, 20), QPointF(26, 24));
      break;
    }
    case Glyph::Statistics:
      p.setPen(QPen(QColor(40, 40, 60), 1.6));
      p.drawLine(QPointF(3, 29), QPointF(29, 29));
      p.drawLine(QPointF(3, 29), QPointF(3, 3));
      p.setPen(QPen(QColor(30, 30, 50), 1.0));
      p.setBrush(QColor(60, 110, 200));
      p.drawRect(QRectF(7, 15, 5, 13));
      p.setBrush(QColor(60, 170, 90));
      p.drawRect(QRectF(14, 8, 5, 20));
      p.setBrush(QColor(220, 80, 60));
      p.drawRect(QRectF(21, 19, 5, 9));
      break;
    case Glyph::Browse:
      drawFolder(p, QRectF(2, 4, 24, 20), QColor(244, 200, 80));
      p.setPen(QPen(QColor(40, 40, 60), 2.2));
      p.setBrush(QColor(210, 235, 255, 200));
      p.drawEllipse(QPointF(20, 19), 6, 6);
      p.setPen(QPen(QColor(40, 40, 60), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(24.5, 23.5), QPointF(29, 28));
      break;
    case Glyph::InternetFiles:
      p.setPen(QPen(QColor(20, 60, 120), 1.5));
      p.setBrush(QColor(90, 160, 230));
      p.drawEllipse(QPointF(16, 16), 13, 13);
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(16, 16), 6, 13);
      p.drawLine(QPointF(3, 16), QPointF(29, 16));
      p.drawLine(QPointF(16, 3), QPointF(16, 29));
      p.drawLine(QPointF(5, 10), QPointF(27, 10));
      p.drawLine(QPointF(5, 22), QPointF(27, 22));
      break;
    case Glyph::Unzip:
      p.setPen(QPen(QColor(90, 60, 30), 1.4));
      p.setBrush(QColor(200, 150, 90));
      p.drawRect(QRectF(4, 12, 24, 17));
      p.setPen(QPen(QColor(60, 60, 70), 1.2));
      for (qreal y = 13; y < 28; y += 3) p.drawLine(QPointF(14, y), QPointF(18, y));
      p.setPen(QPen(QColor(30, 130, 60), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawLine(QPointF(16, 10), QPointF(16, 2));
      p.drawLine(QPointF(12, 6), QPointF(16, 2));
      p.drawLine(QPointF(20, 6), QPointF(16, 2));
      break;
    case Glyph::SafeHarbor: {
      QPainterPath shield;
      shield.moveTo(16, 2);
      shield.cubicTo(21, 5, 25, 5, 28, 5);
      shield.cubicTo(28, 18, 24, 25, 16, 30);
      shield.cubicTo(8, 25, 4, 18, 4, 5);
      shield.cubicTo(7, 5, 11, 5, 16, 2);
      p.setPen(QPen(QColor(20, 70, 80), 1.5));
      p.setBrush(QColor(60, 160, 170));
      p.drawPath(shield);
      p.setPen(QPen(QColor(255, 255, 255), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawLine(QPointF(10, 16), QPointF(15, 21));
      p.drawLine(QPointF(15, 21), QPointF(23, 10));
      break;
    }
  }
  p.end();
  return QIcon(pm);
}

void paintProgramIcon(QPainter& p, qreal side) {
  constexpr qreal unit = 64;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(side / unit, side / unit);

  // Shapes are cut to the tile instead of clipped, so that vector output keeps them exact.
  QPainterPath tile;
  tile.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

  QLinearGradient sky(0, 2, 0, 44);
  sky.setColorAt(0.0, QColor(24, 36, 78));
  sky.setColorAt(0.55, QColor(92, 96, 150));
  sky.setColorAt(0.85, QColor(236, 170, 130));
  sky.setColorAt(1.0, QColor(250, 206, 150));
  p.setPen(Qt::NoPen);
  p.setBrush(sky);
  p.drawPath(tile);

  QRadialGradient sun(QPointF(44, 36), 13);
  sun.setColorAt(0.0, QColor(255, 244, 200));
  sun.setColorAt(0.5, QColor(255, 214, 120));
  sun.setColorAt(1.0, QColor(255, 160, 90, 0));
  p.setBrush(sun);
  p.drawEllipse(QPointF(44, 36), 12, 12);

  p.setBrush(QColor(64, 128, 92));
  p.drawPath(hill(41, 3, 2.1, 1.6, 64, 64).intersected(tile));
  p.setBrush(QColor(40, 96, 62));
  p.drawPath(hill(50, 3, 0.9, 1.2, 64, 64).intersected(tile));

  drawHouse(p, QPointF(22, 48), 0.46);

  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(18, 24, 44), 2.5));
  p.drawPath(tile);
  p.setPen(QPen(QColor(232, 210, 160), 0.8));
  p.drawPath(tile);
  p.restore();
}

QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pm = blank(size);
    QPainter p(&pm);
    paintProgramIcon(p, size);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

}  // namespace roomvale::artwork
