// The folder-name window of the destination window's Create sub-folder: one name field.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace roomvale {

class TfrmGetFolderName : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmGetFolderName(QWidget* parent = nullptr);

  QLineEdit* Edit1;
  QPushButton* Button1;
  QPushButton* Button2;
};

}  // namespace roomvale
