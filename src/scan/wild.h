// The wildcard dialog of the folder browser: changes the file mask it lists.
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

namespace roomvale {

class TfrmWildCard : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmWildCard(QWidget* parent = nullptr);

  // The caller sets its current pattern before showing the dialog and reads it after OK.
  void setPattern(const QString& pattern);
  QString pattern() const;

  QComboBox* cbWildCard;
  QLabel* lblWild;
  QLabel* lblType;
  QPushButton* btOK;
  QPushButton* btCancel;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void cbWildCardChange();

  bool filled_ = false;
};

}  // namespace roomvale
