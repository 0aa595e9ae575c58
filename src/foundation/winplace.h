// Window placement memory: a resizable window remembers where the user left it. The
// placement is one text of ten numbers, each followed by the delimiter, stored under
// Section / Identifier in the INI file of the key IniFileName (settings.h).
#pragma once

#include <QObject>
#include <QString>
#include <optional>

class QWidget;

namespace roomvale {

// Show states as stored.
enum PlacementShow : int { kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3 };

// The stored fields, in their stored order. The normal rectangle is the window's position
// including its frame (left, top) and its size without the frame (right - left,
// bottom - top), so that saving and restoring never drifts by the frame's width.
struct WindowPlacement {
  int flags = 0;
  int showCmd = kShowNormal;
  int minX = 0;
  int minY = 0;
  int maxX = 0;
  int maxY = 0;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const WindowPlacement&) const = default;
};

// Takes the ten numbers off the front of `text`: each up to the next `delimiter` (the rest
// of the text when there is none). A field that is not an integer gets its default (show
// state 1, everything else 0). An empty delimiter counts as " ".
WindowPlacement parsePlacement(const QString& text, const QString& delimiter);
// The ten numbers, each followed by `delimiter`.
QString formatPlacement(const WindowPlacement& placement, const QString& delimiter);
// Only a placement whose left is less than its right is applied.
inline bool placementApplies(const WindowPlacement& p) { return p.left < p.right; }

// The current placement of a top-level window, and applying one to it (a rectangle that
// lies on no screen any more is moved onto the primary screen).
WindowPlacement placementOf(const QWidget* window);
void applyPlacement(QWidget* window, const WindowPlacement& placement);
// Centres a window on its screen.
void centreOnScreen(QWidget* window);

// Sits on its window (its parent); the window calls RestorePlacement when it is shown and
// SavePlacement when it is destroyed.
class TWinPlace : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString IniFileName MEMBER IniFileName)
  Q_PROPERTY(QString Section MEMBER Section)
  Q_PROPERTY(QString Identifier MEMBER Identifier)
  Q_PROPERTY(QString Delimiter MEMBER Delimiter)

 public:
  // Defaults: IniFileName "Software\Fernholt Corporation\", Section the file name of the
  // running program, Identifier the owner's object name (taken when used if still empty),
  // Delimiter " ".
  explicit TWinPlace(QWidget* owner);

  QString IniFileName;
  QString Section;
  QString Identifier;
  QString Delimiter;

  // Applies the stored placement when left < right; otherwise leaves the window alone (or
  // centres it, after CentreOnFirstShow found nothing stored).
  void RestorePlacement();
  // Stores the window's placement: the live one, or the one it had when it was closed
  // (closing a window destroys its native window, long before the owner's destructor).
  // Silently does nothing for a window that was never created on screen; a write failure is
  // ignored.
  void SavePlacement();

  // The stored text ("" when none).
  QString StoredValue() const;
  bool HasStoredPlacement() const;
  // For the owner's creation: when nothing is stored, the first RestorePlacement centres
  // the window on the screen instead.
  void CentreOnFirstShow();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* ownerWindow() const;
  QString identifier() const;
  QString delimiter() const;

  bool centreOnShow_ = false;
  std::optional<WindowPlacement> lastSeen_;
};

}  // namespace roomvale
