#include "foundation/winplace.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "foundation/helpers.h"
#include "foundation/settings.h"

namespace roomvale {

namespace {

QString effectiveDelimiter(const QString& delimiter) { return delimiter.isEmpty() ? QStringLiteral(" ") : delimiter; }

// Takes one number off the front of `rest`.
int takeNumber(QString& rest, const QString& delimiter, int def) {
  const qsizetype at = rest.indexOf(delimiter);
  QString part;
  if (at < 0) {
    part = rest;
    rest.clear();
  } else {
    part = rest.left(at);
    rest.remove(0, at + delimiter.size());
  }
  return parseInt32(part).value_or(def);
}

}  // namespace

WindowPlacement parsePlacement(const QString& text, const QString& delimiter) {
  const QString delim = effectiveDelimiter(delimiter);
  QString rest = text;
  WindowPlacement p;
  p.flags = takeNumber(rest, delim, 0);
  p.showCmd = takeNumber(rest, delim, kShowNormal);
  p.minX = takeNumber(rest, delim, 0);
  p.minY = takeNumber(rest, delim, 0);
  p.maxX = takeNumber(rest, delim, 0);
  p.maxY = takeNumber(rest, delim, 0);
  p.left = takeNumber(rest, delim, 0);
  p.top = takeNumber(rest, delim, 0);
  p.right = takeNumber(rest, delim, 0);
  p.bottom = takeNumber(rest, delim, 0);
  return p;
}

QString formatPlacement(const WindowPlacement& p, const QString& delimiter) {
  const QString delim = effectiveDelimiter(delimiter);
  QString out;
  for (const int v : {p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY, p.left, p.top, p.right, p.bottom}) {
    out += QString::number(v);
    out += delim;
  }
  return out;
}

WindowPlacement placementOf(const QWidget* window) {
  WindowPlacement p;
  const Qt::WindowStates state = window->windowState();
  if (state & Qt::WindowMinimized)
    p.showCmd = kShowMinimized;
  else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
    p.showCmd = kShowMaximized;
  QRect normal = window->normalGeometry();
  if (normal.isEmpty()) normal = window->geometry();
  // The frame sits at the same offset from the client area in every state.
  const QPoint frameOffset = window->geometry().topLeft() - window->frameGeometry().topLeft();
  p.left = normal.x() - frameOffset.x();
  p.top = normal.y() - frameOffset.y();
  p.right = p.left + normal.width();
  p.bottom = p.top + normal.height();
  return p;
}

void applyPlacement(QWidget* window, const WindowPlacement& p) {
  QPoint pos(p.left, p.top);
  QSize size(p.right - p.left, p.bottom - p.top);
  if (size.height() <= 0) size.setHeight(window->height());

  // A window saved on a screen that is gone would open where nobody can reach it.
  const QRect wanted(pos, size);
  bool onScreen = false;
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().intersects(wanted)) onScreen = true;
  if (!onScreen) {
    if (const QScreen* primary = QGuiApplication::primaryScreen()) pos = primary->availableGeometry().topLeft();
  }

  window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
  window->resize(size);
  window->move(pos);
  // A window restored as it is shown has its native window but no frame yet, so move()
  // would put the client area where the frame belongs; the platform places the frame.
  if (QWindow* handle = window->windowHandle()) handle->setFramePosition(pos);
  switch (p.showCmd) {
    case kShowMaximized: window->setWindowState(Qt::WindowMaximized); break;
    case kShowMinimized:
    case 6:  // minimised without activation, as the placement record may also say
    case 7: window->setWindowState(Qt::WindowMinimized); break;
    default: break;
  }
}

void centreOnScreen(QWidget* window) {
  const QScreen* screen = window->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize frame = window->frameGeometry().size();
  window->move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

TWinPlace::TWinPlace(QWidget* owner) : QObject(owner) {
  IniFileName = QStringLiteral("Software\\Fernholt Corporation\\");
  Section = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  Identifier = owner ? owner->objectName() : QString();
  Delimiter = QStringLiteral(" ");
  if (owner) owner->installEventFilter(this);
}

bool TWinPlace::eventFilter(QObject* watched, QEvent* event) {
  // Closing destroys the native window (and with it the frame) before the owner's
  // destructor saves, so the placement is taken while it is still there.
  const QWidget* owner = ownerWindow();
  if (watched == owner && (event->type() == QEvent::Close || event->type() == QEvent::Hide) &&
      owner->testAttribute(Qt::WA_WState_Created))
    lastSeen_ = placementOf(owner);
  return QObject::eventFilter(watched, event);
}

QWidget* TWinPlace::ownerWindow() const { return qobject_cast<QWidget*>(parent()); }

QString TWinPlace::identifier() const {
  if (!Identifier.isEmpty()) return Identifier;
  const QWidget* owner = ownerWindow();
  return owner ? owner->objectName() : QString();
}

QString TWinPlace::delimiter() const { return effectiveDelimiter(Delimiter); }

QString TWinPlace::StoredValue() const { return readIniString(IniFileName, Section, identifier(), QString()); }

bool TWinPlace::HasStoredPlacement() const { return !StoredValue().isEmpty(); }

void TWinPlace::CentreOnFirstShow() { centreOnShow_ = !HasStoredPlacement(); }

void TWinPlace::RestorePlacement() {
  QWidget* owner = ownerWindow();
  if (!owner) return;
  const bool centre = centreOnShow_;
  centreOnShow_ = false;
  const WindowPlacement p = parsePlacement(StoredValue(), delimiter());
  if (placementApplies(p))
    applyPlacement(owner, p);
  else if (centre)
    centreOnScreen(owner);
}

void TWinPlace::SavePlacement() {
  const QWidget* owner = ownerWindow();
  if (!owner) return;
  WindowPlacement p;
  if (owner->testAttribute(Qt::WA_WState_Created))
    p = placementOf(owner);
  else if (lastSeen_)
    p = *lastSeen_;
  else
    return;  // like a failed placement query: never on screen, nothing to save
  writeIniString(IniFileName, Section, identifier(), formatPlacement(p, delimiter()));
}

}  // namespace roomvale
