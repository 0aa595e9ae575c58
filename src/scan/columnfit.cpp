#include "scan/columnfit.h"

#include <QLocale>
#include <cmath>

#include "foundation/helpers.h"
#include "platform/paths.h"
#include "scan/grid.h"

namespace roomvale {

ColumnFit::Metrics::Metrics(const QFont& f) : fm(f) {
  for (int c = 0; c < 128; ++c) ascii[static_cast<std::size_t>(c)] = fm.horizontalAdvance(QChar(c));
}

double ColumnFit::Metrics::of(std::string_view bytes) {
  double sum = 0;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 128) return exact(platform::toDisplay(std::string(bytes)));  // rare: shape it
    sum += ascii[c];
  }
  return sum;
}

ColumnFit::ColumnFit(const QFont& font, int boldColumn) : font_(font), boldColumn_(boldColumn) {
  QFont bold = font;
  bold.setBold(true);
  plain_ = std::make_unique<Metrics>(font);
  bold_ = std::make_unique<Metrics>(bold);
  const QLocale locale;
  double widest = -1;
  for (int d = 0; d < 10; ++d) {
    const QString digit = locale.toString(d);
    if (digit.size() != 1) continue;
    digits_ += digit;
    const double w = std::max(plain_->exact(digit), bold_->exact(digit));
    if (w > widest) {
      widest = w;
      widestDigit_ = digit[0];
    }
  }
}

void ColumnFit::reset() {
  columns_.clear();
  rowsSeen_ = 0;
  plain_->folders.clear();
  bold_->folders.clear();
}

void ColumnFit::take(int column, const QString& text) {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return;
  Column& c = columns_[static_cast<std::size_t>(column)];
  c.width = std::max(c.width, metricsFor(column).exact(text));
}

int ColumnFit::textWidth(int column) const {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return 0;
  return static_cast<int>(std::ceil(columns_[static_cast<std::size_t>(column)].width));
}

QString ColumnFit::masked(const QString& text) const {
  QString out = text;
  for (QChar& c : out)
    if (c.isDigit() || digits_.contains(c)) c = widestDigit_;
  return out;
}

void ColumnFit::takeForm(Column& column, Metrics& m, const QString& text) {
  const QString form = masked(text);
  if (column.forms.contains(form)) return;
  column.forms.insert(form);
  column.width = std::max(column.width, m.exact(form));
}

double ColumnFit::folderWidth(Metrics& m, const GridData& data, std::uint32_t folder) {
  if (m.folders.size() <= folder) m.folders.resize(data.folderCount(), -1);
  double& w = m.folders[folder];
  if (w < 0) w = m.of(data.folderText(folder));
  return w;
}

void ColumnFit::update(const GridData& data) {
  const int count = data.columnCount();
  if (static_cast<int>(columns_.size()) != count) {
    columns_.assign(static_cast<std::size_t>(count), Column{});
    rowsSeen_ = 0;
  }
  const std::uint32_t rows = data.rowIdCount();
  for (int c = 0; c < count; ++c) {
    Column& column = columns_[static_cast<std::size_t>(c)];
    Metrics& m = metricsFor(c);
    const CellField field = data.shape().columns[static_cast<std::size_t>(c)].field;
    for (std::uint32_t id = rowsSeen_; id < rows; ++id) {
      const GridRow& row = data.rowById(id);
      if (const QString* own = data.cellOverride(id, c)) {
        column.width = std::max(column.width, m.exact(*own));
        continue;
      }
      switch (field) {
        case CellField::Size:
        case CellField::Count1:
        case CellField::Count2: {
          const std::uint64_t v =
              field == CellField::Size ? row.size : (field == CellField::Count1 ? row.count1 : row.count2);
          if (!column.hasNumber || v > column.maxNumber) column.maxNumber = v;
          column.hasNumber = true;
          break;
        }
        case CellField::WriteDate:
        case CellField::AccessDate:
        case CellField::CreationDate:
        case CellField::WriteTime: {
          const std::uint32_t packed = field == CellField::WriteDate || field == CellField::WriteTime
                                           ? row.writeTime
                                           : (field == CellField::AccessDate ? row.accessTime : row.creationTime);
          if (packed == 0) break;  // shown empty
          const bool time = field == CellField::WriteTime;
          const std::uint32_t half = time ? (packed & 0xFFFF) : (packed >> 16);
          if (column.seen.empty()) column.seen.assign(0x10000, false);
          if (column.seen[half]) break;
          column.seen[half] = true;
          // Either half alone gives the text its column shows.
          takeForm(column, m, time ? fatTimeText(0x10000 | half) : fatDateText((half << 16) | 1));
          break;
        }
        case CellField::FullPath: {
          const std::string_view name = data.nameOf(row);
          const std::string& folder = data.folderText(row.folder);
          double w = folderWidth(m, data, row.folder);
          if (!name.empty()) {
            if (folder.empty() || folder.back() != '/') w += m.ascii['/'];
            w += m.of(name);
          }
          column.width = std::max(column.width, w);
          break;
        }
        case CellField::Name: column.width = std::max(column.width, m.of(data.nameOf(row))); break;
        case CellField::Folder: column.width = std::max(column.width, folderWidth(m, data, row.folder)); break;
        case CellField::Type: {
          const std::string_view name = data.nameOf(row);
          const std::size_t dot = name.rfind('.');
          std::string ext(dot == std::string_view::npos ? std::string_view() : name.substr(dot));
          if (column.extensions.insert(ext).second) column.width = std::max(column.width, m.exact(typeTextOfName(ext)));
          break;
        }
        case CellField::Text: break;
      }
    }
    if (column.hasNumber) takeForm(column, m, formatThousands(static_cast<std::int64_t>(column.maxNumber)));
  }
  rowsSeen_ = rows;
}

}  // namespace roomvale
