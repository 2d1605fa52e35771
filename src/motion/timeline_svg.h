#pragma once
// A timeline chart as a standalone SVG document: the title and total time on
// top, one lane per row with its name, the bars with their labels, the LED marks,
// the time axis, then the estimate note and the remarks.

#include <string>

#include "motion/timeline_chart.h"

namespace velmor::motion {

std::string TimelineSvg(const TimelineChart& chart);

}  // namespace velmor::motion
