#include "motion/motion_timeline.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>

#include "drivers/sim/sim_motors.h"
#include "drivers/sim/sim_register_file.h"
#include "drivers/sim/sim_start_image.h"
#include "motion/led_code.h"
#include "motion/motion_builder.h"
#include "motion/motion_register_map.h"

namespace velmor::motion {

namespace {

using sim::SimGenerator;
using sim::SimMotor;

// The clock stops here (about 31 years): moves at the model's longest cannot
// add up past what 64-bit nanoseconds hold.
constexpr std::int64_t kClockLimitNs = 1'000'000'000'000'000'000;
constexpr std::uint16_t kRegisterBase = 0x4000;

PreviewMotor PreviewMotorOf(SimMotor motor) {
    switch (motor) {
        case SimMotor::kXDc:
            return PreviewMotor::kXDc;
        case SimMotor::kM0:
            return PreviewMotor::kM0;
        case SimMotor::kY0:
            return PreviewMotor::kY0;
        case SimMotor::kY1:
            return PreviewMotor::kY1;
        case SimMotor::kZ:
            return PreviewMotor::kZ;
        case SimMotor::kM1:
            return PreviewMotor::kM1;
        case SimMotor::kX:
        case SimMotor::kNone:
            break;
    }
    return PreviewMotor::kX;
}

bool IsWait(std::uint8_t code) {
    return code == sim::record::kWaitAll || code == sim::record::kWaitAny;
}
bool IsStore(std::uint8_t code) {
    return code == sim::record::kWrite || code == sim::record::kAnd || code == sim::record::kOr;
}

// Records the replay as it goes, and moves the virtual clock.
class TimelineWatch final : public sim::StartImageWatch {
  public:
    TimelineWatch(MotionTimeline& out, sim::SimRegisterFile& regs, sim::SimMotors& motors,
                  const std::vector<controller::CMD_INFO>& commands, std::int64_t& now)
        : out_(out), regs_(regs), motors_(motors), commands_(commands), now_(now) {
        const MotionRegisterMap& map = MotionRegisters(out.boardType);
        for (int i = 0; i < map.ledCount; ++i)
            leds_.push_back(map.leds[static_cast<std::size_t>(i)].address);
        active_.fill(-1);
    }

    void Begin(int slot, const sim::StartImageRecord& record) override {
        const std::string group = GroupOf(slot);
        if (group != group_) {
            group_ = group;
            step_ = 0;
            afterWait_ = false;
        }
        if (IsWait(record.code)) {
            waitStart_ = now_;
        } else if (afterWait_) {
            ++step_;
            afterWait_ = false;
        }
    }

    void Carried(int slot, const sim::StartImageRecord& record, bool waitMet) override {
        if (IsWait(record.code)) {
            out_.waits.push_back({List(), step_, slot, record.address, waitStart_, now_, waitMet});
            afterWait_ = true;
            return;
        }
        if (!IsStore(record.code)) return;
        NoteGenerators(slot);
        NoteLed(slot, record.address);
    }

    bool LetTimePass() override {
        std::optional<std::int64_t> next;
        for (std::size_t g = 0; g < sim::kSimGenerators; ++g) {
            if (active_[g] < 0) continue;
            const std::int64_t end = out_.moves[static_cast<std::size_t>(active_[g])].endNs;
            if (end > now_ && (!next || end < *next)) next = end;
        }
        if (!next || *next > kClockLimitNs) return false;
        now_ = *next;
        return true;
    }

  private:
    std::string GroupOf(int slot) const {
        return slot >= 0 && static_cast<std::size_t>(slot) < commands_.size()
                   ? commands_[static_cast<std::size_t>(slot)].KeyName
                   : std::string();
    }
    int List() const {
        if (group_ == kGroupMovement) return kMovementGroup;
        if (group_ == kGroupMovetest) return kMovetestGroup;
        return kOtherCommands;
    }

    // A store may have started a generator, or stopped one.
    void NoteGenerators(int slot) {
        for (std::size_t g = 0; g < sim::kSimGenerators; ++g) {
            const auto generator = static_cast<SimGenerator>(g);
            const std::uint32_t starts = motors_.Starts(generator);
            const bool started = starts != starts_[g];
            starts_[g] = starts;
            if (active_[g] >= 0) {
                TimelineMove& running = out_.moves[static_cast<std::size_t>(active_[g])];
                if (running.endNs > now_ && (started || !motors_.Moving(generator))) {
                    running.endNs = now_;
                    running.timing = MoveTiming::kCutShort;
                }
            }
            if (started) StartMove(g, slot);
        }
    }

    void StartMove(std::size_t g, int slot) {
        const auto generator = static_cast<SimGenerator>(g);
        const sim::SimMove move = motors_.LastMove(generator);
        const std::int64_t duration = motors_.LastDuration(generator).count();
        TimelineMove m;
        m.motor = PreviewMotorOf(move.motor);
        m.list = List();
        m.step = step_;
        m.slot = slot;
        m.startNs = now_;
        m.endNs = now_ + duration;
        m.towardsEnd = move.towardsEnd;
        m.distance = move.length;
        m.table = move.table;
        m.divisor = move.divisor;
        m.headBoard = generator == SimGenerator::kZ1Head;
        const bool x = m.motor == PreviewMotor::kX || m.motor == PreviewMotor::kXDc;
        if (move.length > 0 && duration == 0)
            m.timing = MoveTiming::kNoRate;
        else if (duration >= sim::SimMotors::kLongestMove.count())
            m.timing = MoveTiming::kTooLong;
        else if (x && !move.towardsEnd && move.length > motors_.XPosition())
            m.timing = MoveTiming::kOriginLimit;
        active_[g] = static_cast<int>(out_.moves.size());
        out_.moves.push_back(m);
    }

    void NoteLed(int slot, std::uint16_t address) {
        if (std::find(leds_.begin(), leds_.end(), address) == leds_.end()) return;
        const std::uint8_t code = regs_.Raw(address);
        const int board = (address - kRegisterBase) / kBoardSpan;
        if (!out_.leds.empty()) {
            TimelineLed& last = out_.leds.back();
            if (last.slot + static_cast<int>(last.boards.size()) == slot && last.atNs == now_ &&
                last.code == code) {
                last.boards.push_back(board);
                return;
            }
        }
        out_.leds.push_back({List(), step_, slot, now_, code, LedTextFromCode(code), {board}});
    }

    MotionTimeline& out_;
    sim::SimRegisterFile& regs_;
    sim::SimMotors& motors_;
    const std::vector<controller::CMD_INFO>& commands_;
    std::int64_t& now_;  // the virtual clock the generators read
    std::vector<std::uint16_t> leds_;
    std::array<std::uint32_t, sim::kSimGenerators> starts_{};
    std::array<int, sim::kSimGenerators> active_{};  // index into moves, -1 none
    std::string group_;
    int step_ = 0;
    bool afterWait_ = false;
    std::int64_t waitStart_ = 0;
};

}  // namespace

std::string_view MotorKey(PreviewMotor motor) {
    static constexpr std::array<std::string_view, kPreviewMotors> kKeys = {"x", "xdc", "y0", "y1",
                                                                           "z", "m0",  "m1"};
    return kKeys[static_cast<std::size_t>(motor)];
}

int MotionTimeline::Untimed() const {
    return static_cast<int>(std::count_if(moves.begin(), moves.end(), [](const TimelineMove& m) {
        return m.timing != MoveTiming::kTimed;
    }));
}

MotionTimeline RunStartMotion(std::span<const std::uint8_t> image,
                              const std::vector<controller::CMD_INFO>& commands,
                              std::uint8_t boardType) {
    MotionTimeline timeline;
    timeline.boardType = boardType;

    std::int64_t now = 0;
    sim::SimRegisterFile regs;
    sim::SimMotors motors;
    motors.SetLayout(boardType == 0 ? sim::SimMotionLayout::kMainBoard
                                    : sim::SimMotionLayout::kFiber);
    motors.SetClock([&now] { return std::chrono::nanoseconds(now); });
    motors.Install(regs);

    TimelineWatch watch(timeline, regs, motors, commands, now);
    const sim::StartImageReplay replay = sim::ReplayStartImage(image, regs, &watch);
    timeline.valid = replay.valid;
    timeline.records = replay.records;

    std::int64_t total = now;
    for (const TimelineMove& m : timeline.moves) total = std::max(total, m.endNs);
    timeline.totalNs = total;
    return timeline;
}

}  // namespace velmor::motion
