#include "statistics/markedchart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QHorizontalStackedBarSeries>
#include <QPainter>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>

namespace roomvale::stats {

MarkedChartView::MarkedChartView(const char* name, const QString& title, QWidget* parent)
    : QChartView(new QChart, parent) {
  setObjectName(QString::fromLatin1(name));
  chart()->setTitle(title);
  chart()->legend()->hide();
  chart()->setBackgroundRoundness(0);
  setRenderHint(QPainter::Antialiasing);
}

void MarkedChartView::clearChart() {
  chart()->removeAllSeries();
  for (QAbstractAxis* axis : chart()->axes()) {
    chart()->removeAxis(axis);
    delete axis;
  }
  series_ = nullptr;
  items_.clear();
  viewport()->update();
}

void MarkedChartView::setBars(const std::vector<ChartItem>& items, bool horizontal, const QString& seriesName) {
  clearChart();
  if (items.empty()) return;
  items_ = items;
  horizontal_ = horizontal;
  // One set per bar, holding its value in its own category only: every bar gets its own
  // colour (a set has one), and stacking keeps each bar full width.
  QAbstractBarSeries* series = horizontal ? static_cast<QAbstractBarSeries*>(new QHorizontalStackedBarSeries)
                                          : static_cast<QAbstractBarSeries*>(new QStackedBarSeries);
  series->setObjectName(seriesName);
  series->setBarWidth(0.7);
  QStringList categories;
  double top = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    // Chart texts are rich text: "<= 7 days" must not read as a tag.
    auto* set = new QBarSet(items[i].label.toHtmlEscaped());
    for (std::size_t j = 0; j < items.size(); ++j) set->append(j == i ? items[i].value : 0.0);
    set->setColor(items[i].color);
    set->setBorderColor(items[i].color.darker(130));
    series->append(set);
    categories << items[i].label.toHtmlEscaped();
    top = std::max(top, items[i].value);
  }
  chart()->addSeries(series);
  auto* categoryAxis = new QBarCategoryAxis;
  categoryAxis->append(categories);
  auto* valueAxis = new QValueAxis;
  valueAxis->setLabelFormat(QStringLiteral("%.0f"));
  // Room at the end of the longest bar for its mark.
  valueAxis->setRange(0, top > 0 ? top * 1.15 : 1);
  chart()->addAxis(categoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
  chart()->addAxis(valueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
  categoryAxis->setTruncateLabels(false);
  if (!horizontal && items.size() > 6) categoryAxis->setLabelsAngle(-40);
  series->attachAxis(categoryAxis);
  series->attachAxis(valueAxis);
  categoryAxis->setVisible(axesShown_);
  valueAxis->setVisible(axesShown_);
  series_ = series;
  viewport()->update();
}

void MarkedChartView::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  if (!series_) return;
  painter->save();
  painter->setPen(Qt::black);
  const QFontMetrics metrics(painter->font());
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].mark.isEmpty()) continue;
    const double v = items_[i].value;
    const QPointF end = horizontal_ ? chart()->mapToPosition(QPointF(v, double(i)), series_)
                                    : chart()->mapToPosition(QPointF(double(i), v), series_);
    const QString& text = items_[i].mark;
    const int w = metrics.horizontalAdvance(text);
    const QPointF at = horizontal_ ? QPointF(end.x() + 4, end.y() + metrics.ascent() / 2.0 - 1)
                                   : QPointF(end.x() - w / 2.0, end.y() - 4);
    painter->drawText(at, text);
  }
  painter->restore();
}

}  // namespace roomvale::stats
