// Writes the program icon into a hicolor icon theme tree at build time:
//   roomvale_iconmaker <output folder> <icon name>
// gives <output>/hicolor/<N>x<N>/apps/<name>.png for the installed sizes and
// <output>/hicolor/scalable/apps/<name>.svg, all painted by the same vector drawing the
// program uses for its window icon.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "app/artwork.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <output folder> <icon name>\n", argv[0]);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor");
  const QString name = QString::fromLocal8Bit(argv[2]);

  for (int size : {16, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
    if (!QDir().mkpath(folder)) return 1;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    roomvale::artwork::paintProgramIcon(p, size);
    p.end();
    if (!image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) return 1;
  }

  const QString scalable = out + QStringLiteral("/scalable/apps");
  if (!QDir().mkpath(scalable)) return 1;
  QSvgGenerator svg;
  svg.setFileName(scalable + QLatin1Char('/') + name + QStringLiteral(".svg"));
  svg.setSize(QSize(64, 64));
  svg.setViewBox(QRect(0, 0, 64, 64));
  svg.setTitle(QStringLiteral("Roomvale"));
  QPainter p;
  if (!p.begin(&svg)) return 1;
  roomvale::artwork::paintProgramIcon(p, 64);
  p.end();
  return 0;
}
