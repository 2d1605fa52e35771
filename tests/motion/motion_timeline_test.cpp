// The start-up motion timeline of documents built as the download builds them,
// against durations worked out here from each move's distance, table length and
// top speed: a step lasts as long as its longest move.
#include "motion/motion_timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "config/config_preparation.h"
#include "controller/open_document.h"
#include "drivers/sim/sim_motors.h"
#include "motion/motion_builder.h"
#include "motion/timeline_chart.h"

namespace velmor::motion {
namespace {

using controller::MotorListInfo;

struct Move {
    int slot;  // 0 X, 1 Y, 2 Z, 3 M0, 4 M1
    int table, speed, distance;
    const char* direction = "End";
};

MotorListInfo Step(std::vector<Move> moves, const char* led = "none", int frequency = 0) {
    MotorListInfo step;
    for (const Move& m : moves) {
        step.motorIndex |= 1u << m.slot;
        ++step.nMotorNums;
        step.MotonTabLen[m.slot] = m.table;
        step.MotonnMaxSpeed[m.slot] = m.speed;
        step.MotonnnMoveLenth[m.slot] = m.distance;
        step.MotonnnstrDir[m.slot] = m.direction;
    }
    step.MotonnFrequency = frequency;
    step.strLedIndx = led;
    return step;
}

// Seconds a stepper move lasts at the rate its programmed divisor stands for:
// the divisor is the top speed's, truncated to an integer.
double StepperSeconds(int table, int speed, int distance) {
    const double scale = 100000000.0 * 65536.0 / 255.0;
    const double divisor = std::trunc(std::sqrt(static_cast<double>(table)) * scale / speed);
    const double rate = std::sqrt(static_cast<double>(std::max(table, 1))) * scale / divisor;
    return distance / rate;
}

double StepSeconds(const MotorListInfo& step) {
    double longest = 0.0;
    for (int slot = 0; slot < controller::kMotorSlots; ++slot) {
        if ((step.motorIndex & (1u << slot)) == 0) continue;
        const int distance = step.MotonnnMoveLenth[slot];
        const double seconds =
            slot == 0 && step.MotonnFrequency >= 1
                ? static_cast<double>(distance) / step.MotonnFrequency
                : StepperSeconds(step.MotonTabLen[slot], step.MotonnMaxSpeed[slot], distance);
        longest = std::max(longest, seconds);
    }
    return longest;
}

controller::OpenDocument Document(std::uint8_t board, std::vector<MotorListInfo> movement,
                                  std::vector<MotorListInfo> movetest = {}) {
    controller::OpenDocument doc;
    doc.SetBoardType(board);
    doc.cmdNames = {"InitDone", "InitMovement", "InitMovetest"};
    doc.motionList = std::move(movement);
    doc.testMotionList = std::move(movetest);
    return doc;
}

MotionTimeline Timeline(const controller::OpenDocument& doc) {
    const DocumentImage made = config::DocumentImageOf(doc, controller::Language::kEnglish);
    EXPECT_EQ(made.refusal, "");
    return RunStartMotion(made.image, made.commands, doc.BoardType());
}

struct TimelineCase {
    const char* name;
    controller::OpenDocument doc;
    std::size_t moves;
    std::vector<int> ledBoards;  // boards of the first LED change
};

void PrintTo(const TimelineCase& c, std::ostream* os) { *os << c.name; }

std::vector<TimelineCase> Cases() {
    auto zHead = Document(0, {Step({{2, 64, 3000, 1500}}), Step({{4, 100, 2500, 800}})});
    zHead.motorSettings.Z0Board = 1;
    auto onlyY1 = Document(1, {Step({{1, 512, 4000, 4000}}, "3")});
    onlyY1.motorSettings.Y0Selected = 0;
    return {
        {"MainBoardXAlone", Document(0, {Step({{0, 512, 4000, 1000}}, "5")}), 1, {0, 1}},
        {"MainBoardXWithYThenZ",
         Document(0, {Step({{0, 512, 4000, 2000}, {1, 256, 3000, 4500, "Orignal"}}, "1"),
                      Step({{2, 1024, 6000, 3000}}, "2")}),
         4,
         {0, 1}},
        {"MainBoardXdcAndM0",
         Document(0, {Step({{0, 2000, 2500, 5000}}, "A", 5000), Step({{3, 512, 4000, 1200}})}),
         2,
         {0, 1}},
        {"MainBoardZOnHeadBoard", zHead, 2, {}},
        {"DoubleFiberBothYAndMovetest",
         Document(
             1,
             {Step({{1, 512, 4000, 4000}}, "7"), Step({{0, 300, 7000, 9000}, {4, 80, 900, 700}})},
             {Step({{3, 512, 4000, 2500}}, "E")}),
         5,
         {0, 1, 2}},
        // The fiber start pulses both Y generators: Y0 runs what its registers hold,
        // nothing at power-up.
        {"DoubleFiberOnlyY1", onlyY1, 2, {0, 1, 2}},
        {"FourFiberLedOnEveryBoard",
         Document(2, {Step({{2, 512, 4000, 100}}, "9")}),
         1,
         {0, 1, 2, 3, 4}},
    };
}

class TimelineTest : public ::testing::TestWithParam<TimelineCase> {};

TEST_P(TimelineTest, TotalIsTheSumOfEachStepsLongestMoveAndAStepsMovesOverlap) {
    const TimelineCase& c = GetParam();
    const MotionTimeline t = Timeline(c.doc);
    ASSERT_TRUE(t.valid);
    double expected = 0.0;
    for (const auto* list : {&c.doc.motionList, &c.doc.testMotionList})
        for (const MotorListInfo& step : *list) expected += StepSeconds(step);
    EXPECT_NEAR(static_cast<double>(t.totalNs), expected * 1e9,
                1.0 + static_cast<double>(c.doc.motionList.size() + c.doc.testMotionList.size()));
    EXPECT_EQ(t.moves.size(), c.moves);
    EXPECT_EQ(t.Untimed(), 0);
    for (const TimelineWait& w : t.waits) EXPECT_TRUE(w.met) << w.address;
    // Moves of one step start together and overlap; the next step starts when the
    // longest of them ended.
    for (const TimelineMove& a : t.moves) {
        for (const TimelineMove& b : t.moves) {
            if (&a == &b || a.list != b.list || a.distance == 0 || b.distance == 0) continue;
            if (a.step == b.step) {
                EXPECT_LT(std::max(a.startNs, b.startNs), std::min(a.endNs, b.endNs));
            }
            if (a.step + 1 == b.step) {
                EXPECT_GE(b.startNs, a.endNs);
            }
        }
    }
    if (!c.ledBoards.empty()) {
        ASSERT_FALSE(t.leds.empty());
        EXPECT_EQ(t.leds.front().boards, c.ledBoards);
        EXPECT_EQ(t.leds.front().atNs, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, TimelineTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Timeline, MovetestMovesAreNumberedInTheirOwnList) {
    const MotionTimeline t =
        Timeline(Document(0, {Step({{0, 512, 4000, 2000}})}, {Step({{4, 100, 2500, 800}}, "D")}));
    ASSERT_EQ(t.moves.size(), 2u);
    EXPECT_EQ(MotorKey(t.moves[1].motor), "m1");
    EXPECT_EQ(t.moves[1].list, kMovetestGroup);
    EXPECT_EQ(t.moves[1].step, 0);
}

// What the model cannot time is marked, and nothing overflows or hangs.
TEST(Timeline, MovesTheModelCannotTimeAreMarked) {
    struct Bad {
        const char* name;
        MotorListInfo step;
        MoveTiming timing;
    };
    const Bad cases[] = {
        {"top speed 0", Step({{0, 512, 0, 1000}}), MoveTiming::kNoRate},
        {"Y top speed 0", Step({{1, 512, 0, 1000}}), MoveTiming::kNoRate},
        {"huge distance at the lowest rate", Step({{2, 1, 1, 2147483647}}), MoveTiming::kTooLong},
        {"X towards the origin from 0", Step({{0, 512, 4000, 1000, "Orignal"}}),
         MoveTiming::kOriginLimit},
    };
    for (const Bad& c : cases) {
        const MotionTimeline t = Timeline(Document(1, {c.step}));
        ASSERT_FALSE(t.moves.empty()) << c.name;
        EXPECT_EQ(t.moves[0].timing, c.timing) << c.name;
        EXPECT_GE(t.totalNs, 0) << c.name;
        EXPECT_EQ(t.Untimed(), static_cast<int>(t.moves.size())) << c.name;
    }
    const MotionTimeline huge = Timeline(Document(1, {Step({{2, 1, 1, 2147483647}})}));
    EXPECT_EQ(huge.totalNs, sim::SimMotors::kLongestMove.count());
    // Many of them: the clock stops rather than overflow, and the waits give up.
    const MotionTimeline many =
        Timeline(Document(1, std::vector<MotorListInfo>(40, Step({{2, 1, 1, 2147483647}}))));
    ASSERT_EQ(many.moves.size(), 40u);
    EXPECT_GT(many.totalNs, 0);
    EXPECT_LT(many.totalNs, 2'000'000'000'000'000'000);
    EXPECT_TRUE(std::any_of(many.waits.begin(), many.waits.end(),
                            [](const TimelineWait& w) { return !w.met; }));
}

TEST(Timeline, EmptyListsInvalidImagesAndRefusedImagesMoveNothing) {
    const MotionTimeline t = Timeline(Document(0, {}));
    EXPECT_TRUE(t.valid);
    EXPECT_TRUE(t.moves.empty());
    EXPECT_EQ(t.totalNs, 0);
    EXPECT_FALSE(MakeTimelineChart(t, controller::Language::kChinese).empty.empty());
    EXPECT_FALSE(RunStartMotion(std::vector<std::uint8_t>(4096, 0xFF), {}, 0).valid);  // erased
    EXPECT_FALSE(RunStartMotion(std::vector<std::uint8_t>(10, 0), {}, 0).valid);       // short
}

// The chart follows the layout: the main board has the X DC lane, the fiber
// layouts an LED lane per head board.
TEST(TimelineChart, LanesFollowTheLayoutAndBarsTheMoves) {
    const MotionTimeline main = Timeline(Document(0, {Step({{0, 512, 4000, 1000}}, "5")}));
    const TimelineChart chart = MakeTimelineChart(main, controller::Language::kEnglish);
    EXPECT_EQ(chart.lanes, (std::vector<std::string>{"X motor", "X DC motor", "Y0 motor",
                                                     "Y1 motor", "Z motor", "M0 motor", "M1 motor",
                                                     "LED main board", "LED head board 1"}));
    ASSERT_EQ(chart.bars.size(), 1u);
    EXPECT_EQ(chart.bars[0].label, "1000 End");
    EXPECT_DOUBLE_EQ(chart.bars[0].to, 1.0);
    EXPECT_EQ(chart.marks.size(), 2u);  // LED 5 on both boards
    EXPECT_NE(chart.note.find("estimate"), std::string::npos);

    const TimelineChart four =
        MakeTimelineChart(Timeline(Document(2, {Step({{0, 512, 4000, 1000, "Orignal"}})})),
                          controller::Language::kChinese);
    EXPECT_EQ(four.lanes.size(), 6u + 5u);  // no X DC motor; LEDs of five boards
    EXPECT_EQ(four.remarks.size(), 1u);     // the move towards the origin
}

}  // namespace
}  // namespace velmor::motion
