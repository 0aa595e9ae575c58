// "How to contact us": product, version and maker.
#pragma once

#include "foundation/product.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace roomvale {

class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAbout(QWidget* parent = nullptr);

  QLabel* lblProduct = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblMaker = nullptr;
  QLabel* lblWeb = nullptr;
  QPushButton* btClose = nullptr;
};

}  // namespace roomvale
