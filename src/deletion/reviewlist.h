// One panel of the deletion review: full paths kept sorted without regard to letter case,
// shown by their display text. Paths stay native bytes; the text is only for the eye.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <string>
#include <vector>

namespace roomvale {

// Role under which a row gives its path bytes (a QByteArray).
inline constexpr int kPathRole = Qt::UserRole + 1;

class ReviewList : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit ReviewList(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  int count() const { return static_cast<int>(entries_.size()); }
  bool isEmpty() const { return entries_.empty(); }
  const std::string& path(int row) const { return entries_[static_cast<std::size_t>(row)].path; }
  QString text(int row) const { return entries_[static_cast<std::size_t>(row)].text; }
  std::vector<std::string> paths() const;
  // Row of `path`, or -1.
  int rowOf(const std::string& path) const;

  // Puts the paths in their sorted places; a path already listed is not added again.
  void add(std::vector<std::string> paths);
  // Removes the rows given (any order, duplicates ignored) and returns their paths in list
  // order.
  std::vector<std::string> take(std::vector<int> rows);
  void clear();

  // The order of the panels: the display text compared without regard to case, then the
  // bytes, so that the order is total and names differing only in case stay apart.
  static bool less(const QString& keyA, const std::string& a, const QString& keyB, const std::string& b);

 private:
  struct Entry {
    std::string path;
    QString text;  // display form
    QString key;   // case-folded display form
  };
  static Entry entryFor(std::string path);
  static bool entryLess(const Entry& a, const Entry& b) { return less(a.key, a.path, b.key, b.path); }

  std::vector<Entry> entries_;
};

}  // namespace roomvale
