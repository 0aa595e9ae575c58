// A chart view that writes a text beside each bar of its bar series (its marks): bar labels
// of the chart toolkit can only show the bar's own value, while these pages mark a bar with
// its share of the whole.
#pragma once

#include <QChartView>
#include <QColor>
#include <QStringList>
#include <vector>

#include "statistics/statpages.h"

class QAbstractBarSeries;

namespace roomvale::stats {

class MarkedChartView : public QChartView {
  Q_OBJECT

 public:
  explicit MarkedChartView(const char* name, const QString& title = {}, QWidget* parent = nullptr);

  // Replaces the chart's content by one bar per item, each in its own colour, labelled on
  // the category axis; `horizontal` lays the bars along the value axis from left to right.
  // Marks of the items are written at the bars' ends. No items: an empty chart.
  void setBars(const std::vector<ChartItem>& items, bool horizontal, const QString& seriesName);
  // The bars shown, as given (tests and printing read them back).
  const std::vector<ChartItem>& bars() const { return items_; }
  void clearChart();
  // Axes on or off (the overhang chart shows none).
  void setAxesShown(bool on) { axesShown_ = on; }

 protected:
  void drawForeground(QPainter* painter, const QRectF& rect) override;

 private:
  std::vector<ChartItem> items_;
  QAbstractBarSeries* series_ = nullptr;
  bool horizontal_ = false;
  bool axesShown_ = true;
};

}  // namespace roomvale::stats
