#include "motion/motion_register_map.h"

namespace velmor::motion {

namespace {

constexpr std::string_view kMainCtrl3 = "MAIN_CTRL_3[7:0]";
constexpr std::string_view kYControlName = "MOTOR_Y_CTRL_0[7:0]";
constexpr std::string_view kYTriggerName = "MOTOR_Y0_Y1_TRIG_CTRL[7:0]";
constexpr std::string_view kZTriggerName = "MOTOR_Z_1_CTRL[7:0]";
constexpr std::string_view kX0StatusName = "MAIN_STATUS_3[7:0]";
constexpr std::string_view kZ1StatusName = "MOTO_ZN1_STATUS[7:0]";
constexpr std::string_view kX0RateName = "MOTOR_X_AND_0_RATE[7:0]";

constexpr Generator X0(std::uint16_t table, std::uint16_t length, std::uint16_t divisor,
                       std::uint16_t rate, std::uint16_t trigger, int startBit, int stopBit,
                       std::uint16_t status) {
    return {{table, "MOTO_X0_TABLEN"},
            {length, "MOTO_X0_LEN"},
            {divisor, "MOTO_X0_DIVIDEND"},
            {rate, kX0RateName},
            {trigger, kMainCtrl3},
            startBit,
            stopBit,
            {status, kX0StatusName}};
}

constexpr Generator Y(int index, std::uint16_t table, std::uint16_t trigger, int startBit,
                      int stopBit, std::uint16_t status) {
    // Table length, 16-bit rate, distance and divisor follow one another.
    return {{table, index == 0 ? "MOTO_Y0_TABLEN" : "MOTO_Y1_TABLEN"},
            {static_cast<std::uint16_t>(table + 4), index == 0 ? "MOTO_Y0_LEN" : "MOTO_Y1_LEN"},
            {static_cast<std::uint16_t>(table + 0xC),
             index == 0 ? "MOTO_Y0_DIVIDEND" : "MOTO_Y1_DIVIDEND"},
            {static_cast<std::uint16_t>(table + 2), {}},
            {trigger, kYTriggerName},
            startBit,
            stopBit,
            {status, index == 0 ? "MOTOR_Y0_STATUS[7:0]" : "MOTOR_Y1_STATUS[7:0]"}};
}

constexpr Generator Z1(std::uint16_t table, std::uint16_t trigger, int startBit, int stopBit,
                       std::uint16_t status) {
    return {{table, "MOTOR_Z_1_TABLEN"},
            {static_cast<std::uint16_t>(table + 4), "MOTOR_Z_1_RUN_LEN"},
            {static_cast<std::uint16_t>(table + 0xC), "MOTOR_Z_1_DIVIDEND"},
            {},
            {trigger, kZTriggerName},
            startBit,
            stopBit,
            {status, kZ1StatusName}};
}

constexpr MotionRegisterMap MainBoardMap() {
    MotionRegisterMap m;
    m.mainBoard = true;
    m.ledCount = 2;
    m.leds[0] = {0x4017, "MB_LED_CTRL[7:0]"};
    m.leds[1] = {0x4117, "HB_LED_CTRL[7:0]"};
    m.x0Select = {{0x400B, kMainCtrl3}, 7};
    m.z1Select = {{0x400B, kMainCtrl3}, 6};
    m.x0 = X0(0x4050, 0x4054, 0x405C, 0x4052, 0x400B, 0, 2, 0x400F);
    m.y[0] = Y(0, 0x4080, 0x40A4, 4, 6, 0x40A0);
    m.y[1] = Y(1, 0x4090, 0x40A4, 0, 2, 0x40A2);
    m.z1 = Z1(0x40B0, 0x40C2, 0, 2, 0x40B3);
    m.z1Head = Z1(0x41D0, 0x41D2, 0, 2, 0x41D3);
    m.xControl = {{0x400B, kMainCtrl3}, kMainControlBits, ControlStyle::kDirectionBit, {}};
    m.m0Control = {{0x40C0, "MOTOR_0_CTRL[7:0]"}, kMainControlBits, ControlStyle::kRegWrite, {}};
    m.yControl[0] = {{0x40A1, kYControlName}, kMainControlBits, ControlStyle::kRegWrite, {}};
    m.yControl[1] = {{0x40A3, kYControlName}, kMainControlBits, ControlStyle::kRegWrite, {}};
    m.zControl = {{0x40C2, "MOTOR_Z_1_CTRL[7:0]"}, kMainControlBits, ControlStyle::kRegWrite, {}};
    m.zHeadControl = {
        {0x41D2, "MOTOR_Z_1_CTRL[7:0]"}, kMainControlBits, ControlStyle::kRegWrite, {}};
    m.m1Control = {{0x40C1, "MOTOR_1_CTRL[7:0]"}, kMainControlBits, ControlStyle::kRegWrite, {}};
    m.xKind = {0x400B, kMainCtrl3};
    m.xDcBit = 3;
    m.xDcStepValue = {0x4050, "MOTOR_XDC_STEP_VALUE"};
    m.xDcTable = {0x4078, "MOTO_X0_TABLEN"};
    m.gear = {0x4074, "MOTOR_Z_1_GEAR[7:0]"};
    m.endMarker = {0x4E00, "end[7:0]"};
    return m;
}

constexpr MotionRegisterMap FiberMap(int ledCount) {
    MotionRegisterMap m;
    m.mainBoard = false;
    m.ledCount = ledCount;
    m.leds[0] = {0x4017, "MB_LED_CTRL[7:0]"};
    m.leds[1] = {0x4117, "HB_LED_CTRL[7:0]"};
    m.leds[2] = {0x4217, "HB_LED_CTRLD[7:0]"};
    m.leds[3] = {0x4317, "HB_LED_CTRLD[7:0]"};
    m.leds[4] = {0x4417, "HB_LED_CTRLD[7:0]"};
    m.x0Select = {{0x4091, kMainCtrl3}, 5};
    m.z1Select = {{0x4098, kMainCtrl3}, 5};
    m.x0 = X0(0x40A0, 0x40A4, 0x40AC, 0x40A2, 0x4090, 7, 6, 0x4092);
    m.y[0] = Y(0, 0x40B0, 0x4093, 7, 6, 0x4094);
    m.y[1] = Y(1, 0x40C0, 0x4095, 7, 6, 0x4096);
    m.z1 = Z1(0x40D0, 0x4097, 7, 6, 0x4099);
    m.z1Head = m.z1;
    m.xControl = {{0x4090, "MOTOR_X_CTRL[7:0]"}, kFiberControlBits, ControlStyle::kRegWrite, {}};
    m.m0Control = {{0x4091, "MOTOR_0_CTRL[7:0]"},
                   kFiberControlBits,
                   ControlStyle::kDirectionThenOr,
                   "MOTOR_0_CTRL[15:8]"};
    m.yControl[0] = {{0x4093, kYControlName}, kFiberControlBits, ControlStyle::kRegWrite, {}};
    m.yControl[1] = {{0x4095, kYControlName}, kFiberControlBits, ControlStyle::kRegWrite, {}};
    m.zControl = {{0x4097, "MOTOR_Z_1_CTRLS[7:0]"}, kFiberControlBits, ControlStyle::kRegWrite, {}};
    m.zHeadControl = m.zControl;
    m.m1Control = {{0x4098, "MOTOR_1_CTRL[7:0]"},
                   kFiberControlBits,
                   ControlStyle::kDirectionThenOr,
                   "MOTOR_1_CTRL[15:8]"};
    m.gear = {0x4074, "MOTOR_Z_1_GEAR[7:0]"};
    m.endMarker = {0x4E00, "end[7:0]"};
    return m;
}

constexpr MotionRegisterMap kMainBoard = MainBoardMap();
constexpr MotionRegisterMap kDoubleFiber = FiberMap(3);
constexpr MotionRegisterMap kFourFiber = FiberMap(5);

}  // namespace

const MotionRegisterMap& MotionRegisters(std::uint8_t boardType) {
    switch (boardType) {
        case 0:
            return kMainBoard;
        case 2:
            return kFourFiber;
        default:
            return kDoubleFiber;
    }
}

}  // namespace velmor::motion
