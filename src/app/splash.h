// The shaped splash window shown from start until shortly after the main window appears.
#pragma once

#include <QWidget>

class QLabel;

namespace roomvale {

class TfrmSplash : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmSplash(QWidget* parent = nullptr);

  QLabel* Image1 = nullptr;

  // Offset of the picture inside the window; the outline is shifted by it.
  static constexpr QPoint kPictureOffset{4, 0};
};

}  // namespace roomvale
