#pragma once
// The start-up motion as the simulated controller plays it: a start-up image run
// on the simulator's register file and motion generators, with a virtual clock
// that jumps to the end of the next move whenever a wait of the image cannot go
// on. Nothing sleeps, and the controller object is not touched.
//
// The times are the simulator's model: a move lasts distance / rate at the top
// speed its divisor stands for, with no acceleration ramp, so the printer's own
// moves take somewhat longer. A move the model cannot time is marked, not
// guessed: one with no rate (a divisor of 0), one longer than the model times,
// an X move towards the origin that is longer than the X count (it would end at
// the origin limit, earlier than shown), and one stopped or started anew before
// its end.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "controller/cmd_info.h"

namespace velmor::motion {

enum class PreviewMotor { kX, kXDc, kY0, kY1, kZ, kM0, kM1 };
inline constexpr int kPreviewMotors = 7;

// "x", "xdc", "y0", "y1", "z", "m0", "m1": the names velmorctl's move takes.
std::string_view MotorKey(PreviewMotor motor);

enum class MoveTiming {
    kTimed,
    kNoRate,       // divisor (or the DC motor's frequency) 0: no time can be given
    kTooLong,      // longer than the model times: shown at its longest
    kOriginLimit,  // X towards the origin beyond its count: would end at the limit
    kCutShort,     // stopped, or started anew, before its end
};

// Which list of the movement pages a record came from: 0 the movement list, 1 the
// movetest list, -1 another command set.
inline constexpr int kOtherCommands = -1;

struct TimelineMove {
    PreviewMotor motor = PreviewMotor::kX;
    int list = kOtherCommands;
    int step = 0;  // within its list, from 0
    int slot = 0;  // the image record that started it
    std::int64_t startNs = 0;
    std::int64_t endNs = 0;
    bool towardsEnd = false;
    std::uint32_t distance = 0;
    std::uint16_t table = 0;
    std::uint32_t divisor = 0;
    MoveTiming timing = MoveTiming::kTimed;
    bool headBoard = false;  // the main board's Z_1 generator on head board 1
};

struct TimelineWait {
    int list = kOtherCommands;
    int step = 0;
    int slot = 0;
    std::uint16_t address = 0;
    std::int64_t startNs = 0;
    std::int64_t endNs = 0;
    bool met = true;  // false: nothing left that could end it, the replay went on
};

// An LED code shown from a moment on, on every board it was written to then.
struct TimelineLed {
    int list = kOtherCommands;
    int step = 0;
    int slot = 0;
    std::int64_t atNs = 0;
    std::uint8_t code = 0;
    std::string text;         // the page's LED text ("5"), "none" for no LED
    std::vector<int> boards;  // 0 the main board, n head board n
};

struct MotionTimeline {
    bool valid = false;  // the image is valid (its CRC holds) and ran
    std::uint8_t boardType = 1;
    int records = 0;  // records carried out
    std::vector<TimelineMove> moves;
    std::vector<TimelineWait> waits;
    std::vector<TimelineLed> leds;
    std::int64_t totalNs = 0;  // until the last move or wait ended

    int Untimed() const;
};

// Runs a start-up image of 4096 bytes on a fresh simulated controller of board
// type `boardType` (0 the main-board layout, any other a fiber layout). `commands`
// are the commands its records hold, slot by slot (what the image build lists),
// whose groups say which list each record belongs to; without them every record
// counts as another command set. A step ends where the waits after its moves end.
MotionTimeline RunStartMotion(std::span<const std::uint8_t> image,
                              const std::vector<controller::CMD_INFO>& commands,
                              std::uint8_t boardType);

}  // namespace velmor::motion
