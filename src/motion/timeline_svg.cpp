#include "motion/timeline_svg.h"

#include <algorithm>
#include <cstdio>

namespace velmor::motion {

namespace {

constexpr int kWidth = 960;
constexpr int kNamesWidth = 170;
constexpr int kRight = 30;
constexpr int kTop = 64;
constexpr int kLaneHeight = 30;
constexpr int kLineHeight = 18;

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Text(double x, double y, const std::string& text, const char* extra = "") {
    return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\"" + extra + ">" + Escaped(text) +
           "</text>\n";
}

}  // namespace

std::string TimelineSvg(const TimelineChart& chart) {
    const double axisWidth = kWidth - kNamesWidth - kRight;
    const auto x = [axisWidth](double at) { return kNamesWidth + at * axisWidth; };
    const int lanesBottom = kTop + static_cast<int>(chart.lanes.size()) * kLaneHeight;
    const int height =
        lanesBottom + 40 + (2 + static_cast<int>(chart.remarks.size())) * kLineHeight;

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) +
           "\" height=\"" + std::to_string(height) +
           "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += Text(10, 22, chart.title, " font-size=\"16\" font-weight=\"bold\"");
    svg += Text(10, 44, chart.total);
    if (!chart.empty.empty()) svg += Text(kNamesWidth, 44, chart.empty);

    for (std::size_t lane = 0; lane < chart.lanes.size(); ++lane) {
        const double top = kTop + static_cast<double>(lane) * kLaneHeight;
        if (lane % 2 == 0)
            svg += "<rect x=\"" + Number(kNamesWidth) + "\" y=\"" + Number(top) + "\" width=\"" +
                   Number(axisWidth) + "\" height=\"" + std::to_string(kLaneHeight) +
                   "\" fill=\"#f2f4f7\"/>\n";
        svg += Text(10, top + 19, chart.lanes[lane]);
    }
    for (const ChartTick& tick : chart.ticks) {
        svg += "<line x1=\"" + Number(x(tick.at)) + "\" y1=\"" + Number(kTop) + "\" x2=\"" +
               Number(x(tick.at)) + "\" y2=\"" + Number(lanesBottom + 4) +
               "\" stroke=\"#c8ccd2\"/>\n";
        svg += Text(x(tick.at), lanesBottom + 18, tick.label, " text-anchor=\"middle\"");
    }
    for (const ChartBar& bar : chart.bars) {
        const double top = kTop + bar.lane * kLaneHeight + 4.0;
        const double width = std::max(x(bar.to) - x(bar.from), 2.0);
        svg += "<rect x=\"" + Number(x(bar.from)) + "\" y=\"" + Number(top) + "\" width=\"" +
               Number(width) + "\" height=\"" + std::to_string(kLaneHeight - 8) + "\" fill=\"" +
               (bar.marked ? "#e8a33d" : "#4a7fc1") + "\" fill-opacity=\"0.85\"/>\n";
        svg += Text(x(bar.from) + 3, top + 15, bar.label);
    }
    for (const ChartMark& mark : chart.marks) {
        const double top = kTop + mark.lane * kLaneHeight;
        const double at = x(mark.at);
        svg += "<path d=\"M" + Number(at) + " " + Number(top + 4) +
               " l5 9 h-10 z\" fill=\"#c0392b\"/>\n";
        svg += Text(at + 7, top + 21, mark.label);
    }
    double line = lanesBottom + 40;
    svg += Text(10, line, chart.note, " fill=\"#555\"");
    for (const std::string& remark : chart.remarks) {
        line += kLineHeight;
        svg += Text(10, line, remark, " fill=\"#8a5a00\"");
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace velmor::motion
