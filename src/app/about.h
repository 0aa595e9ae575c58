// "How to contact us": product, version and maker.
#pragma once

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

// The maker's web address shown on the main window and in the About window.
QString makerWebAddress();

}  // namespace roomvale
