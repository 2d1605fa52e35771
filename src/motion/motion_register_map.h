#pragma once
// Where the motion generators live in the controller's register space, one table
// per board layout. The builder, the read-back and the test moves all take their
// addresses, names and bits from here, so a layout is described in one place.
//
// The main board (board type 0) and the fiber boards (1 and 2) put the same
// functions at different addresses, and sometimes the same address means
// different registers (0x4090 is the Y1 table length on the main board and the X
// control register on the fiber boards): a table is always chosen by board type.

#include <array>
#include <cstdint>
#include <string_view>

namespace velmor::motion {

inline constexpr int kNoBit = -1;

// Which bit of a motor control byte carries which setting; kNoBit where the
// layout has no such bit.
struct ControlBits {
    int direction = kNoBit;  // set: "End"
    int limitEnable = kNoBit;
    int dirPolarity = kNoBit;
    int limitPolarity = kNoBit;   // the only limit (main board), right or upper (fiber)
    int limitPolarity2 = kNoBit;  // left or lower limit (fiber only)
};

// Main board: bit 1 direction, 3 limit enable, 4 direction polarity, 5 limit polarity.
inline constexpr ControlBits kMainControlBits{1, 3, 4, 5, kNoBit};
// Fiber boards: bit 0 direction polarity, 1 limit enable, 2 second limit
// polarity, 3 limit polarity, 4 direction.
inline constexpr ControlBits kFiberControlBits{4, 1, 0, 3, 2};

struct Register {
    std::uint16_t address = 0;
    std::string_view name;  // with its bit range, as listed in commands
};

// A multi-byte little-endian field; `name` has no bit range, the builder adds
// "[7:0]", "[15:8]", ... per byte.
struct Field {
    std::uint16_t address = 0;
    std::string_view name;
};

// One motion generator: its programming fields, the register with its start and
// stop bits, and its status register (bit 0 set: done).
struct Generator {
    Field table;   // 16-bit acceleration table length
    Field length;  // 32-bit moving distance
    Field divisor;
    Register rate;  // X0: 8-bit rate byte; Y: 16-bit rate field of a test move; Z_1: none
    Register trigger;
    int startBit = 0;
    int stopBit = 0;
    Register status;
};

// How a motor's control bits reach the controller.
enum class ControlStyle {
    // One "RegWrite" of the whole control byte.
    kRegWrite,
    // Only the direction bit: "WriteOR" for "End", "WriteAnd" otherwise (main-board X).
    kDirectionBit,
    // The direction bit on its own ("WriteAnd" for "Orignal", "WriteOR" for "End",
    // nothing for any other text), then the setting bits OR-ed in: fiber M0 and
    // M1, whose register also holds a generator select.
    kDirectionThenOr,
};

struct MotorControl {
    Register reg;
    ControlBits bits;
    ControlStyle style = ControlStyle::kRegWrite;
    std::string_view directionName;  // kDirectionThenOr: name of the direction command
};

// The register that connects a shared generator to its second motor.
struct Select {
    Register reg;
    int bit = 0;  // set: M0 (X0 generator) or M1 (Z_1 generator)
};

struct MotionRegisterMap {
    bool mainBoard = true;
    int ledCount = 0;
    std::array<Register, 5> leds{};

    Select x0Select;
    Select z1Select;

    Generator x0;
    std::array<Generator, 2> y{};  // Y0, Y1
    Generator z1;
    Generator z1Head;  // main board: the Z_1 generator on head board 1 ("Headboard")

    MotorControl xControl;
    MotorControl m0Control;
    std::array<MotorControl, 2> yControl{};
    MotorControl zControl;
    MotorControl zHeadControl;
    MotorControl m1Control;

    // Main board only: the X motor kind bit of MAIN_CTRL_3, the DC acceleration
    // steps and the DC motor's table length.
    Register xKind;
    int xDcBit = kNoBit;
    Field xDcStepValue;
    Field xDcTable;

    Register gear;  // 32-bit Z gear; every byte carries this one name
    Register endMarker;

    // The Z_1 generator and Z control in use: on the main board head board 1
    // drives them when `headBoard` (the Z0Board setting) is set.
    const Generator& Z1(bool headBoard) const { return mainBoard && headBoard ? z1Head : z1; }
    const MotorControl& ZControl(bool headBoard) const {
        return mainBoard && headBoard ? zHeadControl : zControl;
    }
};

// The table of `boardType`: 0 main board, 1 double fiber, 2 four fiber; any other
// value is taken as a fiber layout, as the builders do.
const MotionRegisterMap& MotionRegisters(std::uint8_t boardType);

inline constexpr std::string_view kXdcKindName = "MB XDC";
inline constexpr std::string_view kXStepperKindName = "MB X-Motor";
inline constexpr std::uint8_t kEndMarkerData = 0x55;
inline constexpr std::uint8_t kNoLedCode = 0x11;
inline constexpr std::uint8_t kLedCodeD = 0xA1;  // "D": the step also ends the start-up replay

// Head-board registers of the X position counter: bit 3 of 0x4n08 latches the
// count into the four registers from 0x4n7C.
inline constexpr std::uint16_t kLatchRegister = 0x4108;
inline constexpr int kLatchBit = 3;
inline constexpr std::uint16_t kPositionCount = 0x417C;
inline constexpr std::uint16_t kBoardSpan = 0x100;
// Read once by the Y reset; the value is not used.
inline constexpr std::uint16_t kYResetRegister = 0x40E8;

}  // namespace velmor::motion
