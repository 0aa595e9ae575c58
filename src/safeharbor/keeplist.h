// The protected file types editor: maintains the "NoDelExt" list of patterns ("*.sys") and
// whole file names the Safe Harbor protects.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace roomvale {

// Lists of type entries ("*.sys", a TAB and the description) are kept sorted without regard
// to case and without repeated entries; these helpers keep them so.
bool typeListHolds(const QListWidget* list, const QString& entry);
// Adds `entry` at its sorted place unless the list holds it; true when added.
bool addTypeEntry(QListWidget* list, const QString& entry);
QStringList typeListEntries(const QListWidget* list);
// Fills the list from the "NoDelExt" section (the defaults while it was never saved).
void loadProtectedTypes(QListWidget* list);

class TfrmKeepFiles : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmKeepFiles(QWidget* parent = nullptr);

  QLabel* EsLabel1 = nullptr;
  QLabel* lblInfo = nullptr;
  QListWidget* PickList1 = nullptr;
  QPushButton* btAdd = nullptr;
  QPushButton* btDelete = nullptr;
  QPushButton* btDefaults = nullptr;
  QPushButton* btClear = nullptr;
  QPushButton* btClose = nullptr;

  void ReadInFromDisk();
  void WriteOutToDisk();
  void btAddClick();
  void btDeleteClick();
  void btDefaultsClick();
  void btClearClick();
  void btCloseClick();

  // Adds what the extension picker returned: every selected entry of its list when several
  // were selected, otherwise the one accepted pattern with its description.
  void addPickerResult(bool multipleSelected, const QString& pattern, const QString& description,
                       const QStringList& selectedEntries);

 protected:
  void showEvent(QShowEvent* event) override;

 public slots:
  void done(int result) override;

 private:
  bool shown_ = false;
  bool closed_ = false;
};

}  // namespace roomvale
