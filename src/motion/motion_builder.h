#pragma once
// Turns the two motion lists and the motor settings into the register commands
// of the groups "InitMovement" (movement list) and "InitMovetest" (movetest
// list), which the controller replays at power-up. Nothing here touches the USB
// link: the builder only appends commands to a list, so it is a pure function of
// the lists and the settings.
//
// Builders do not validate their input: a distance is programmed as its absolute
// value, a table length above 65535 loses its upper bits, a direction other than
// "Orignal" and "End" counts as "Orignal" in control bytes, an LED text outside
// the table counts as "none".

#include <cstdint>
#include <string_view>
#include <vector>

#include "controller/cmd_info.h"
#include "controller/motor_list_info.h"
#include "controller/motor_settings.h"
#include "motion/motion_register_map.h"
#include "motion/motor_channel.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::motion {

inline constexpr std::string_view kGroupMovement = "InitMovement";
inline constexpr std::string_view kGroupMovetest = "InitMovetest";
inline constexpr int kMovementGroup = 0;
inline constexpr int kMovetestGroup = 1;

inline constexpr std::string_view kOpRegWrite = "RegWrite";
inline constexpr std::string_view kOpWriteAnd = "WriteAnd";
inline constexpr std::string_view kOpWriteOr = "WriteOR";
inline constexpr std::string_view kOpReadAnd = "ReadAnd";
inline constexpr std::string_view kOpReInit = "ReInit";

// Frequency the builder passes for an M0 move; the M0 path never reads it.
inline constexpr std::int32_t kM0Frequency = 2000;

// The group name of `group`: 0 "InitMovement", anything else "InitMovetest".
std::string_view GroupName(int group);

class MotionBuilder {
  public:
    // Commands go to the end of `out`; the layout is settings.BoardType.
    MotionBuilder(std::vector<controller::CMD_INFO>& out,
                  const controller::MotorSettings& settings);

    // One X (isX) or M0 move. `frequency` >= 1 marks the X DC motor (main board).
    void AddX0Motion(int group, std::int32_t tableLength, std::int32_t maxSpeed,
                     std::int32_t moveLength, std::string_view direction, std::uint8_t ledCode,
                     bool isX, std::int32_t frequency);
    // One move of Y0 and/or Y1, as Y0Selected and Y1Selected say.
    void AddYMotion(int group, std::int32_t tableLength, std::int32_t maxSpeed,
                    std::int32_t moveLength, std::string_view direction, std::uint8_t ledCode);
    // One Z (isZ) or M1 move.
    void AddZ1Motion(int group, std::int32_t tableLength, std::int32_t maxSpeed,
                     std::int32_t moveLength, std::string_view direction, std::uint8_t ledCode,
                     bool isZ);
    void AddX0Select(int group, bool isM0);
    void AddZ1Select(int group, bool isM1);

    // A whole step: its motors in the order X, Y, Z, M0, M1, the LED with the
    // first of them only, then the waits for its motors; with `gear`, the Z gear.
    void AddStep(int group, const controller::MotorListInfo& step, bool gear);

  private:
    void Append(int group, std::string_view name, std::string_view op, std::uint16_t address,
                std::uint8_t data);
    // A little-endian field of `bytes` bytes, byte k under name + its bit range.
    void AppendField(int group, const Field& field, int bytes, std::uint32_t value);
    void AddLed(int group, std::uint8_t ledCode);
    void AddControl(int group, const MotorControl& control, Channel channel,
                    std::string_view direction);
    void AddProgram(int group, const Generator& generator, const Field& table,
                    std::int32_t tableLength, std::int32_t moveLength, std::uint32_t divisor,
                    bool rate);
    void AddStart(int group, const Register& reg, std::uint8_t startBits, std::uint8_t stopBits);
    void AddEndMarker(int group, std::uint8_t ledCode);
    void AddWaits(int group, const controller::MotorListInfo& step);
    void AddGear(int group);

    std::vector<controller::CMD_INFO>& out_;
    const controller::MotorSettings& settings_;
    const MotionRegisterMap& map_;
};

// Removes every "InitMovement" and "InitMovetest" command from `cmdList` (the
// others keep their order) and appends both groups anew from the lists.
void BuildInitMotion(std::vector<controller::CMD_INFO>& cmdList,
                     const std::vector<controller::MotorListInfo>& motionList,
                     const std::vector<controller::MotorListInfo>& testMotionList,
                     const controller::MotorSettings& settings);
// The same on the controller object's command list, lists and settings.
void BuildInitMotion(controller::CMainOperation& op);

}  // namespace velmor::motion
