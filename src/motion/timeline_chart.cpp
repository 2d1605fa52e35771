#include "motion/timeline_chart.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "controller/board_layout.h"
#include "motion/motion_builder.h"
#include "motion/motion_register_map.h"
#include "numbers/hex_text.h"

namespace velmor::motion {

namespace {

using controller::BilingualText;
using controller::Language;

constexpr BilingualText kTitle{"Start-up motion preview", "启动运动预览"};
constexpr BilingualText kTotal{"Total time: ", "总时间："};
constexpr BilingualText kNote{
    "An estimate from the simulated controller's model: constant top speed, no acceleration "
    "ramp. The printer's own moves take somewhat longer.",
    "估计值：按模拟控制器的模型计算，最大速度恒定，没有加减速。打印机的实际运动会稍长。"};
constexpr BilingualText kEmpty{"The start-up image moves no motor.", "启动映像中没有电机运动。"};
constexpr BilingualText kStep{"step ", "第"};
constexpr BilingualText kStepAfter{"", "步"};
constexpr BilingualText kHeadBoardSuffix{" (head board 1)", "（头板1）"};
constexpr BilingualText kLedMain{"LED main board", "LED 主板"};
constexpr BilingualText kLedHead{"LED head board ", "LED 头板"};
constexpr BilingualText kWaitOn{"wait on ", "等待 "};
constexpr BilingualText kNeverEnded{": never ended, the replay went on",
                                    "：没有结束，映像继续执行"};

// By PreviewMotor.
constexpr std::array<BilingualText, kPreviewMotors> kMotorNames = {{
    {"X motor", "X电机"},
    {"X DC motor", "X无刷电机"},
    {"Y0 motor", "Y0电机"},
    {"Y1 motor", "Y1电机"},
    {"Z motor", "Z电机"},
    {"M0 motor", "M0电机"},
    {"M1 motor", "M1电机"},
}};

BilingualText TimingText(MoveTiming timing) {
    switch (timing) {
        case MoveTiming::kNoRate:
            return {"divisor 0: no time can be given", "除数为0：无法计时"};
        case MoveTiming::kTooLong:
            return {"longer than the model times: shown at its longest",
                    "超出模型能计时的长度：按最长显示"};
        case MoveTiming::kOriginLimit:
            return {
                "towards the origin beyond the X count: would stop at the origin limit, "
                "earlier than shown",
                "向原点移动超过X计数：会在原点限位处提前停止"};
        case MoveTiming::kCutShort:
            return {"stopped or started anew before its end", "在结束前被停止或重新启动"};
        case MoveTiming::kTimed:
            break;
    }
    return {"", ""};
}

// The lanes of the layout: its motors, then every board its LED commands reach.
struct Lanes {
    std::vector<std::string> names;
    std::array<int, kPreviewMotors> motorLane{};
    std::vector<int> ledBoards;  // board of each LED lane, in order
    int firstLed = 0;
};

Lanes LanesOf(const MotionTimeline& timeline, Language language) {
    const bool main =
        controller::LayoutOf(timeline.boardType) == controller::BoardLayout::kMainBoard;
    const bool zHead = std::any_of(timeline.moves.begin(), timeline.moves.end(),
                                   [](const TimelineMove& m) { return m.headBoard; });
    Lanes lanes;
    lanes.motorLane.fill(-1);
    for (int m = 0; m < kPreviewMotors; ++m) {
        const auto motor = static_cast<PreviewMotor>(m);
        if (motor == PreviewMotor::kXDc && !main) continue;  // only the main board has it
        std::string name = kMotorNames[static_cast<std::size_t>(m)].Text(language);
        if (zHead && (motor == PreviewMotor::kZ || motor == PreviewMotor::kM1))
            name += kHeadBoardSuffix.In(language);
        lanes.motorLane[static_cast<std::size_t>(m)] = static_cast<int>(lanes.names.size());
        lanes.names.push_back(std::move(name));
    }
    lanes.firstLed = static_cast<int>(lanes.names.size());
    const MotionRegisterMap& map = MotionRegisters(timeline.boardType);
    for (int i = 0; i < map.ledCount; ++i) {
        const int board = (map.leds[static_cast<std::size_t>(i)].address - 0x4000) / kBoardSpan;
        lanes.ledBoards.push_back(board);
        lanes.names.push_back(board == 0 ? kLedMain.Text(language)
                                         : kLedHead.Text(language) + std::to_string(board));
    }
    return lanes;
}

std::string StepText(int list, int step, Language language) {
    std::string text = list == kMovetestGroup ? "movetest list, "
                                              : (list == kMovementGroup ? "movement list, " : "");
    return text + kStep.Text(language) + std::to_string(step) + kStepAfter.Text(language);
}

// Ticks at 1, 2 or 5 times a power of ten, at most eight of them after 0.
std::vector<ChartTick> TicksOf(std::int64_t span) {
    std::int64_t every = 1'000'000;  // 1 ms
    for (int i = 0; span / every > 8 && i < 60; ++i) {
        const std::int64_t base = every;
        for (std::int64_t factor : {2, 5, 10}) {
            every = base * factor;
            if (span / every <= 8) break;
        }
    }
    // One unit along the axis: that of the span.
    const bool seconds = span >= 1'000'000'000;
    std::vector<ChartTick> ticks;
    for (std::int64_t t = 0; t <= span; t += every) {
        char label[48];
        if (seconds)
            std::snprintf(label, sizeof label, "%g s", static_cast<double>(t) / 1e9);
        else
            std::snprintf(label, sizeof label, "%g ms", static_cast<double>(t) / 1e6);
        ticks.push_back({static_cast<double>(t) / static_cast<double>(span), label});
    }
    return ticks;
}

}  // namespace

std::string DurationText(std::int64_t ns) {
    char text[48];
    if (ns < 1'000'000'000)
        std::snprintf(text, sizeof text, "%.1f ms", static_cast<double>(ns) / 1e6);
    else
        std::snprintf(text, sizeof text, "%.3f s", static_cast<double>(ns) / 1e9);
    return text;
}

TimelineChart MakeTimelineChart(const MotionTimeline& timeline, Language language) {
    TimelineChart chart;
    chart.title = kTitle.Text(language);
    chart.total = kTotal.Text(language) + DurationText(timeline.totalNs);
    chart.note = kNote.Text(language);
    if (timeline.moves.empty()) chart.empty = kEmpty.Text(language);

    const Lanes lanes = LanesOf(timeline, language);
    chart.lanes = lanes.names;
    const std::int64_t span = std::max<std::int64_t>(timeline.totalNs, 1);
    const auto at = [span](std::int64_t ns) {
        return static_cast<double>(ns) / static_cast<double>(span);
    };
    for (const TimelineMove& m : timeline.moves) {
        const int lane = lanes.motorLane[static_cast<std::size_t>(m.motor)];
        const bool marked = m.timing != MoveTiming::kTimed;
        chart.bars.push_back({lane, at(m.startNs), at(m.endNs),
                              std::to_string(m.distance) + (m.towardsEnd ? " End" : " Orignal") +
                                  (marked ? " *" : ""),
                              marked});
        if (marked)
            chart.remarks.push_back("* " + lanes.names[static_cast<std::size_t>(lane)] + ", " +
                                    StepText(m.list, m.step, language) + ": " +
                                    TimingText(m.timing).Text(language));
    }
    for (const TimelineLed& led : timeline.leds) {
        for (int board : led.boards) {
            const auto it = std::find(lanes.ledBoards.begin(), lanes.ledBoards.end(), board);
            if (it == lanes.ledBoards.end()) continue;
            chart.marks.push_back({lanes.firstLed + static_cast<int>(it - lanes.ledBoards.begin()),
                                   at(led.atNs), led.text});
        }
    }
    for (const TimelineWait& wait : timeline.waits) {
        if (wait.met) continue;
        chart.remarks.push_back(
            kWaitOn.Text(language) + numbers::Hex(wait.address, {.digits = 4, .prefix = true}) +
            ", " + StepText(wait.list, wait.step, language) + kNeverEnded.Text(language));
    }
    chart.ticks = TicksOf(span);
    return chart;
}

}  // namespace velmor::motion
