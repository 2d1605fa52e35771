#include "motion/motion_reader.h"

#include <array>
#include <string>

#include "controller/main_operation.h"
#include "motion/led_code.h"
#include "motion/motion_builder.h"
#include "motion/motion_register_map.h"
#include "motion/motor_channel.h"
#include "motion/step_divisor.h"

namespace velmor::motion {

namespace {

using controller::CMD_INFO;
using controller::MotorListInfo;

// Slots of MotorListInfo.
constexpr int kSlotX = 0;
constexpr int kSlotY = 1;
constexpr int kSlotZ = 2;
constexpr int kSlotM0 = 3;
constexpr int kSlotM1 = 4;

bool HasBit(std::uint8_t byte, int bit) { return bit != kNoBit && ((byte >> bit) & 1u) != 0; }

// A little-endian value collected byte by byte.
struct Collected {
    std::uint32_t value = 0;
    std::uint8_t seen = 0;  // one bit per byte

    // True when `address` is one of the `bytes` bytes from `base`.
    bool Take(std::uint16_t base, int bytes, std::uint16_t address, std::uint8_t data) {
        if (address < base || address >= base + bytes) return false;
        const int k = address - base;
        value = (value & ~(0xFFu << (8 * k))) | (std::uint32_t{data} << (8 * k));
        seen = static_cast<std::uint8_t>(seen | (1u << k));
        return true;
    }
    bool Complete(int bytes) const { return seen == (1u << bytes) - 1; }
};

enum class Source { kX0, kY0, kY1, kZ1, kZ1Head };

struct GeneratorState {
    Source source;
    const Generator* generator;
    Collected table;
    Collected length;
    Collected divisor;
};

class MotionReader {
  public:
    MotionReader(std::uint8_t boardType, const controller::MotorSettings& current)
        : map_(MotionRegisters(boardType)),
          generators_{{{Source::kX0, &map_.x0, {}, {}, {}},
                       {Source::kY0, &map_.y[0], {}, {}, {}},
                       {Source::kY1, &map_.y[1], {}, {}, {}},
                       {Source::kZ1, &map_.z1, {}, {}, {}},
                       {Source::kZ1Head, &map_.z1Head, {}, {}, {}}}},
          wholeControls_(Controls(true)),
          bitControls_(Controls(false)) {
        result_.settings = current;
        ClearChannelSettings(result_.settings);
        result_.settings.BoardType = boardType;
    }

    void Walk(const CMD_INFO& c) {
        if (c.OptType == kOpRegWrite)
            RegWrite(c.Addr, c.Data);
        else if (c.OptType == kOpWriteOr)
            BitOp(c.Addr, c.Data, true);
        else if (c.OptType == kOpWriteAnd)
            BitOp(c.Addr, c.Data, false);
    }

    MotionReadBack Finish() {
        if (y0Seen_ || y1Seen_) {
            result_.settings.Y0Selected = y0Seen_ ? 1 : 0;
            result_.settings.Y1Selected = y1Seen_ ? 1 : 0;
        }
        return std::move(result_);
    }

  private:
    // The control registers written whole, with the channel each one sets.
    struct ControlRef {
        const MotorControl* control;
        Channel channel;
    };

    void RegWrite(std::uint16_t address, std::uint8_t data) {
        if (IsLed(address)) {
            step_.strLedIndx = LedTextFromCode(data);
            return;
        }
        if (gear_.Take(map_.gear.address, 4, address, data)) {
            result_.settings.Z0Gear = gear_.value;
            return;
        }
        for (const ControlRef& w : wholeControls_) {
            if (w.control->reg.address != address) continue;
            direction_ = HasBit(data, w.control->bits.direction) ? kDirectionEnd : kDirectionOrigin;
            SetSettingsFrom(result_.settings, w.channel, w.control->bits, data);
            return;
        }
        const bool dc = DcActive();
        if (dc && xdcSteps_.Take(map_.xDcStepValue.address, 2, address, data)) {
            if (xdcSteps_.Complete(2)) {
                result_.settings.Multiply =
                    MultiplyFromXdcStepValue(static_cast<std::uint16_t>(xdcSteps_.value));
                xdcSteps_ = {};
            }
            return;
        }
        for (GeneratorState& g : generators_) {
            if (g.source == Source::kZ1Head && !map_.mainBoard) continue;
            const std::uint16_t tableAddress =
                g.source == Source::kX0 && dc ? map_.xDcTable.address : g.generator->table.address;
            if (g.table.Take(tableAddress, 2, address, data)) return;
            if (g.length.Take(g.generator->length.address, 4, address, data)) return;
            if (g.divisor.Take(g.generator->divisor.address, 4, address, data)) {
                if (address == g.generator->divisor.address + 3) Complete(g);
                return;
            }
        }
    }

    // "WriteOR" (`set`) or "WriteAnd" of a mask: generator selects, the DC motor
    // kind, direction bits and the fiber M0/M1 setting bits.
    void BitOp(std::uint16_t address, std::uint8_t data, bool set) {
        const auto changes = [&](int bit) {
            return bit != kNoBit && (set ? HasBit(data, bit) : !HasBit(data, bit));
        };
        if (address == map_.x0Select.reg.address && changes(map_.x0Select.bit)) m0Selected_ = set;
        if (address == map_.z1Select.reg.address && changes(map_.z1Select.bit)) m1Selected_ = set;
        if (map_.mainBoard && address == map_.xKind.address && changes(map_.xDcBit)) dc_ = set;
        for (const ControlRef& w : bitControls_) {
            const MotorControl& control = *w.control;
            if (control.reg.address != address) continue;
            if (changes(control.bits.direction))
                direction_ = set ? kDirectionEnd : kDirectionOrigin;
            if (set && control.style == ControlStyle::kDirectionThenOr)
                SetSettingsFrom(result_.settings, w.channel, control.bits, data);
        }
        for (const Generator& y : map_.y)
            if (address == y.trigger.address) yStepOpen_ = false;
    }

    // Control registers with their channels. A "RegWrite" of a whole control byte
    // reaches the first kind; "WriteOR"/"WriteAnd" of single bits the others.
    std::vector<ControlRef> Controls(bool whole) const {
        const ControlRef all[] = {
            {&map_.xControl, Channel::kX},     {&map_.m0Control, Channel::kM0},
            {&map_.yControl[0], Channel::kY0}, {&map_.yControl[1], Channel::kY1},
            {&map_.zControl, Channel::kZ0},    {&map_.zHeadControl, Channel::kZ0},
            {&map_.m1Control, Channel::kM1}};
        std::vector<ControlRef> controls;
        for (const ControlRef& w : all)
            if ((w.control->style == ControlStyle::kRegWrite) == whole) controls.push_back(w);
        return controls;
    }

    bool IsLed(std::uint16_t address) const {
        // The first three LED registers: both boards of the main layout, three on
        // the fiber layouts (boards 3 and 4 repeat board 2).
        const int count = map_.mainBoard ? 2 : 3;
        for (int i = 0; i < count; ++i)
            if (map_.leds[static_cast<std::size_t>(i)].address == address) return true;
        return false;
    }

    // The X DC motor path: after "MB XDC", while X (not M0) holds the generator.
    bool DcActive() const { return map_.mainBoard && dc_ && !m0Selected_; }

    void Complete(GeneratorState& g) {
        const bool complete = g.table.Complete(2) && g.length.Complete(4) && g.divisor.Complete(4);
        const auto tableLength = static_cast<std::int32_t>(g.table.value);
        const auto moveLength = static_cast<std::int32_t>(g.length.value);
        const std::uint32_t divisor = g.divisor.value;
        const bool dc = g.source == Source::kX0 && DcActive();
        g.table = {};
        g.length = {};
        g.divisor = {};
        if (!complete) return;

        int slot = kSlotX;
        switch (g.source) {
            case Source::kX0:
                slot = m0Selected_ ? kSlotM0 : kSlotX;
                break;
            case Source::kY0:
                y0Seen_ = true;
                yStepOpen_ = true;
                slot = kSlotY;
                break;
            case Source::kY1:
                y1Seen_ = true;
                // A Y step that drives both feed motors gives one step: Y0's.
                if (yStepOpen_) return;
                slot = kSlotY;
                break;
            case Source::kZ1:
            case Source::kZ1Head:
                if (map_.mainBoard) result_.settings.Z0Board = g.source == Source::kZ1Head ? 1 : 0;
                slot = m1Selected_ ? kSlotM1 : kSlotZ;
                break;
        }

        const auto s = static_cast<std::size_t>(slot);
        step_.nMotorNums = 1;
        step_.motorIndex = static_cast<std::uint8_t>(1u << slot);
        step_.MotonTabLen[s] = tableLength;
        step_.MotonnnMoveLenth[s] = moveLength;
        step_.MotonnnstrDir[s] = std::string(direction_);
        if (dc) {
            step_.MotonnMaxSpeed[s] = static_cast<std::int32_t>(divisor & 0xFFFFu);
            step_.MotonnFrequency = static_cast<std::int32_t>(divisor >> 16);
        } else {
            step_.MotonnMaxSpeed[s] = TopSpeedFromDivisor(tableLength, divisor);
            // A stepper X move after a DC one must not keep the DC frequency, or
            // the step would be taken for the DC motor when built again.
            if (slot == kSlotX) step_.MotonnFrequency = 0;
        }
        const std::string& led = step_.strLedIndx;
        if (led == "D" || led == "E" || led == "F")
            result_.testMotionList.push_back(step_);
        else
            result_.motionList.push_back(step_);
    }

    const MotionRegisterMap& map_;
    std::array<GeneratorState, 5> generators_;
    std::vector<ControlRef> wholeControls_;
    std::vector<ControlRef> bitControls_;
    MotionReadBack result_;
    MotorListInfo step_;
    std::string_view direction_ = kDirectionOrigin;
    Collected gear_;
    Collected xdcSteps_;
    bool m0Selected_ = false;
    bool m1Selected_ = false;
    bool dc_ = false;
    bool yStepOpen_ = false;
    bool y0Seen_ = false;
    bool y1Seen_ = false;
};

}  // namespace

MotionReadBack ReadMotionBack(const std::vector<CMD_INFO>& commands, std::uint8_t boardType,
                              const controller::MotorSettings& current) {
    MotionReader reader(boardType, current);
    for (const CMD_INFO& c : commands) reader.Walk(c);
    return reader.Finish();
}

void ReadMotionBack(controller::CMainOperation& op, const std::vector<CMD_INFO>& commands) {
    MotionReadBack back = ReadMotionBack(commands, op.BoardType(), op.motorSettings);
    op.motionList = std::move(back.motionList);
    op.testMotionList = std::move(back.testMotionList);
    op.motorSettings = back.settings;
}

}  // namespace velmor::motion
