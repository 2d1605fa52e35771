#pragma once
// What a drawing of a start-up motion timeline shows, worked out once for the
// preview dialog and the SVG file: one lane per motor of the board type's layout
// and one per board that shows the LED, a bar per move with its distance and
// direction, a mark per LED change, the time axis with its ticks, the total
// time, the estimate note and one remark per move the model could not time.
// Positions on the time axis run from 0 (the start) to 1 (the total); texts are
// in the language given. Drawing is left to the renderers.

#include <cstdint>
#include <string>
#include <vector>

#include "controller/language.h"
#include "motion/motion_timeline.h"

namespace velmor::motion {

struct ChartBar {
    int lane = 0;
    double from = 0.0;
    double to = 0.0;
    std::string label;    // "1000 End"
    bool marked = false;  // not timed by the model: see the remarks
};

struct ChartMark {
    int lane = 0;
    double at = 0.0;
    std::string label;  // the LED text
};

struct ChartTick {
    double at = 0.0;
    std::string label;
};

struct TimelineChart {
    std::string title;
    std::string total;  // "Total time: 1.250 s"
    std::string note;   // the timeline is an estimate, and why
    std::string empty;  // shown instead of the lanes when nothing moves; else empty
    std::vector<std::string> lanes;
    std::vector<ChartBar> bars;
    std::vector<ChartMark> marks;
    std::vector<ChartTick> ticks;
    std::vector<std::string> remarks;
};

TimelineChart MakeTimelineChart(const MotionTimeline& timeline, controller::Language language);

// A duration as the chart shows it: "250.0 ms" below a second, "1.250 s" above.
std::string DurationText(std::int64_t ns);

}  // namespace velmor::motion
