#include "gui/timeline_chart_widget.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "gui/field_widgets.h"
#include "motion/timeline_chart.h"

namespace velmor::gui {

namespace {

constexpr int kNamesWidth = 150;
constexpr int kRightMargin = 24;
constexpr int kLaneHeight = 30;
constexpr int kAxisHeight = 26;
constexpr int kBarInset = 4;
const QColor kBand(242, 244, 247);
const QColor kGrid(200, 204, 210);
const QColor kBar(74, 127, 193);
const QColor kMarkedBar(232, 163, 61);
const QColor kLed(192, 57, 43);

}  // namespace

TimelineChartWidget::TimelineChartWidget(const motion::TimelineChart& chart, QWidget* parent)
    : QWidget(parent), chart_(chart) {
    setObjectName(QStringLiteral("timelineChart"));
    setMinimumWidth(640);
}

QSize TimelineChartWidget::sizeHint() const {
    return {900, static_cast<int>(chart_.lanes.size()) * kLaneHeight + kAxisHeight + 4};
}

void TimelineChartWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    const double axisWidth = std::max(width() - kNamesWidth - kRightMargin, 1);
    const auto x = [axisWidth](double at) { return kNamesWidth + at * axisWidth; };
    const int lanesBottom = static_cast<int>(chart_.lanes.size()) * kLaneHeight;

    for (std::size_t lane = 0; lane < chart_.lanes.size(); ++lane) {
        const int top = static_cast<int>(lane) * kLaneHeight;
        if (lane % 2 == 0)
            painter.fillRect(QRectF(kNamesWidth, top, axisWidth, kLaneHeight), kBand);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(6, top, kNamesWidth - 10, kLaneHeight),
                         Qt::AlignVCenter | Qt::AlignLeft, FromModel(chart_.lanes[lane]));
    }
    for (const motion::ChartTick& tick : chart_.ticks) {
        painter.setPen(kGrid);
        painter.drawLine(QPointF(x(tick.at), 0), QPointF(x(tick.at), lanesBottom + 4));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRectF(x(tick.at) - 50, lanesBottom + 4, 100, kAxisHeight - 4),
                         Qt::AlignHCenter | Qt::AlignTop, FromModel(tick.label));
    }
    for (const motion::ChartBar& bar : chart_.bars) {
        const double top = bar.lane * kLaneHeight + kBarInset;
        const QRectF box(x(bar.from), top, std::max(x(bar.to) - x(bar.from), 2.0),
                         kLaneHeight - 2 * kBarInset);
        QColor fill = bar.marked ? kMarkedBar : kBar;
        fill.setAlphaF(0.85);
        painter.fillRect(box, fill);
        painter.setPen(Qt::black);
        painter.drawText(box.adjusted(3, 0, 400, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         FromModel(bar.label));
    }
    for (const motion::ChartMark& mark : chart_.marks) {
        const double top = mark.lane * kLaneHeight + kBarInset;
        const double at = x(mark.at);
        QPainterPath triangle;
        triangle.moveTo(at, top);
        triangle.lineTo(at + 5, top + 9);
        triangle.lineTo(at - 5, top + 9);
        triangle.closeSubpath();
        painter.fillPath(triangle, kLed);
        painter.setPen(kLed);
        painter.drawText(QPointF(at + 7, top + 17), FromModel(mark.label));
    }
}

}  // namespace velmor::gui
