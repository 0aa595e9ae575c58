// The password window asked for an encrypted entry while an archive is restored.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace roomvale {

class TfrmPassword : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmPassword(QWidget* parent = nullptr);

  QLabel* Label1;
  QLineEdit* Password;
  QLabel* Label2;
  QLineEdit* Verify;
  QPushButton* btOK;
  QPushButton* btCancel;
};

}  // namespace roomvale
