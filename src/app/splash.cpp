#include "app/splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QRegion>
#include <QScreen>

#include "app/artwork.h"

namespace roomvale {

TfrmSplash::TfrmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("frmSplash"));
  setWindowTitle(QStringLiteral("Roomvale"));
  setFixedSize(585, 410);
  setAttribute(Qt::WA_TranslucentBackground, false);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(QRect(kPictureOffset, artwork::kSplashPictureSize));
  Image1->setPixmap(artwork::splashPicture());

  // Only the picture's outline is part of the window.
  setMask(QRegion(artwork::splashOutline().translated(kPictureOffset), Qt::OddEvenFill));

  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
}

}  // namespace roomvale
