// The two file-type lists that can restrict a statistics collection ("Include" and
// "Exclude"), their storage and their editing window.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace roomvale {

inline const QString kIncludeSection = QStringLiteral("Include");
inline const QString kExcludeSection = QStringLiteral("Exclude");

// The list of a section as lines of pattern, TAB and description; "*.doc", "*.exe" and
// "*.dll" while the section was never saved.
QStringList ReadStatFilesFromDisk(const QString& section);
// Stores the patterns of the lines (cut before their first TAB) into a section.
bool WriteStatFilesToDisk(const QStringList& lines, const QString& section);

class TfrmStatList : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmStatList(const QString& section, QWidget* parent = nullptr);

  QStringList lines() const;

  QLabel* Label1;
  QLabel* Label2;
  QLabel* lblCount;
  QListWidget* PickList1;
  QPushButton* btAdd;
  QPushButton* btDelete;
  QPushButton* btClear;
  QPushButton* btClose;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormShow();
  void btAddClick();
  void btDeleteClick();
  void btClearClick();
  void btCloseClick();
  void addLine(const QString& line);
  void updateCount();

  QString section_;
  bool loaded_ = false;
};

}  // namespace roomvale
