// The editor of the temporary-file patterns. It reads the list when shown and stores it
// whenever it closes, however it is closed.
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace roomvale {

class TfrmTempFiles : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmTempFiles(QWidget* parent = nullptr);

  QLabel* lblCaption;
  QListWidget* PickList1;
  QPushButton* btAdd;
  QPushButton* btDelete;
  QPushButton* btClear;
  QPushButton* btDefaults;
  QPushButton* btClose;
  QLabel* lblNote1;
  QLabel* lblNote2;

  // The lines as listed (pattern, TAB, description).
  QStringList lines() const;

  void ReadInFromDisk();
  void WriteOutToDisk();
  void btAddClick();
  void btDeleteClick();
  void btClearClick();
  void btDefaultsClick();
  void btCloseClick();

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Adds a line unless an equal one (ignoring case) is listed; true when added.
  bool addLine(const QString& line);

  bool shown_ = false;
};

}  // namespace roomvale
