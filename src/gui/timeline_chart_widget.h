#pragma once
// Paints a start-up motion chart (motion::TimelineChart) with QPainter: the lane
// names on the left, a shaded band per lane, the bars with their labels, the LED
// marks and the time axis below. What is shown comes from the chart; this widget
// only places it in pixels.

#include <QWidget>

namespace velmor::motion {
struct TimelineChart;
}

namespace velmor::gui {

class TimelineChartWidget : public QWidget {
    Q_OBJECT
  public:
    TimelineChartWidget(const motion::TimelineChart& chart, QWidget* parent);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const motion::TimelineChart& chart_;
};

}  // namespace velmor::gui
