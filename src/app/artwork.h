// Roomvale's pictures, drawn at run time: the splash picture and its outline, the main
// window's background tile and gradient, and the tool button glyphs.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QPolygon>
#include <QSize>

class QPainter;

namespace roomvale::artwork {

// Size of the splash picture.
inline constexpr QSize kSplashPictureSize{577, 409};
// Number of vertices of the splash outline.
inline constexpr int kSplashOutlineVertices = 108;

// The outline of the splash picture in picture coordinates: a rounded tablet whose top edge
// rises to an arch over the title. Every vertex lies inside the picture.
QPolygon splashOutline();

// The splash picture, transparent outside the outline.
QPixmap splashPicture();

// One tile of the main window's background.
QPixmap backgroundTile();

// Paints the vertical blue-to-black gradient used instead of the tile on displays with few
// colours.
void paintGradient(QPainter& painter, const QRect& rect);

// Paints the silver-to-black shadow strip behind a tool button panel.
void paintShadow(QPainter& painter, const QRect& rect);

enum class Glyph {
  Duplicates,
  FileHogs,
  FilesAccessed,
  FolderHogs,
  QuickClean,
  Statistics,
  Browse,
  InternetFiles,
  Unzip,
  SafeHarbor
};

// A tool button glyph.
QIcon glyph(Glyph kind);

// The program's own icon: the vale of the splash picture at dusk, with its house, on a
// rounded tile. Painted as vectors into a square of `side` units, so the same drawing gives
// every bitmap size and the scalable icon.
void paintProgramIcon(QPainter& painter, qreal side);

// The program icon at the usual window and desktop sizes.
QIcon programIcon();

}  // namespace roomvale::artwork
