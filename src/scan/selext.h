// The extension picker: a typed extension or several registered ones, for the editors of
// file-type lists.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace roomvale {

// The pattern a typed extension stands for: 'tmp' and '.tmp' give "*.tmp", a text holding
// "*" or a dot elsewhere stays as typed; nothing for an empty text, "*.*", ".*" or "*".
std::optional<QString> normaliseTypedPattern(const QString& typed);

class TfrmSelectExtension : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmSelectExtension(QWidget* parent = nullptr);

  // Results, read after OK: with more than one list entry selected, `multipleSelected` and
  // the selected entries (pattern, TAB, description); otherwise the one typed pattern and its
  // description, both empty when the text was not accepted.
  bool multipleSelected = false;
  QString selectedPattern;
  QString selectedDescription;
  QStringList selectedEntries() const;

  QComboBox* cbWildCard;
  QListWidget* lBox;
  QLineEdit* Edit1;
  QLabel* lblWild;
  QPushButton* btOK;
  QPushButton* btCancel;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void cbWildCardChange();
  void lBoxClick();
  void lBoxDblClick();
  void btOKClick();
  // Takes the selection or the typed text; true when a single pattern was accepted.
  bool takeResult();

  bool filled_ = false;
};

}  // namespace roomvale
