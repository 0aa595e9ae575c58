// The width each column of a result grid needs for its widest text in one font, kept up to
// date as rows arrive. A walk can list millions of rows and shaping each text costs ~15 us,
// so texts are not measured one by one: numbers, dates and times are measured once per
// distinct form with every digit drawn as the widest digit, type texts once per extension,
// and paths are summed from per-character advances (cached per folder), which is never
// narrower than the kerned text. Only a finder's own cell texts are measured as they are.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QSet>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace roomvale {

class GridData;

class ColumnFit {
 public:
  // `boldColumn` is drawn bold for protected rows (-1 for none), so it is measured bold.
  ColumnFit(const QFont& font, int boldColumn);

  const QFont& font() const { return font_; }
  // Forgets every row (after the grid was cleared).
  void reset();
  // Takes in the rows added to `data` since the last call.
  void update(const GridData& data);
  // A finder's own text set on a row already taken in.
  void take(int column, const QString& text);
  // Widest text of a column in pixels (0 before any row).
  int textWidth(int column) const;

 private:
  struct Metrics {
    explicit Metrics(const QFont& f);
    QFontMetricsF fm;
    std::array<double, 128> ascii{};
    std::vector<double> folders;  // per folder id, < 0 when not measured yet
    double of(std::string_view bytes);
    double exact(const QString& text) const { return fm.horizontalAdvance(text); }
  };
  struct Column {
    std::uint64_t maxNumber = 0;
    bool hasNumber = false;
    std::vector<bool> seen;  // date or time halves already taken in
    QSet<QString> forms;     // digit-masked texts already measured
    std::unordered_set<std::string> extensions;
    double width = 0;
  };

  Metrics& metricsFor(int column) { return column == boldColumn_ ? *bold_ : *plain_; }
  double folderWidth(Metrics& m, const GridData& data, std::uint32_t folder);
  void takeForm(Column& column, Metrics& m, const QString& text);
  QString masked(const QString& text) const;

  QFont font_;
  int boldColumn_;
  std::unique_ptr<Metrics> plain_;
  std::unique_ptr<Metrics> bold_;
  std::vector<Column> columns_;
  std::uint32_t rowsSeen_ = 0;
  QString digits_;
  QChar widestDigit_;
};

}  // namespace roomvale
