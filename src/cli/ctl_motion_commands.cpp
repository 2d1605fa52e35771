#include "cli/ctl_motion_commands.h"

#include <chrono>
#include <map>
#include <optional>
#include <thread>

#include "cli/ctl_documents.h"
#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "cli/ctl_session.h"
#include "controller/main_operation.h"
#include "motion/motion_builder.h"
#include "motion/motion_register_map.h"
#include "motion/motor_status.h"
#include "motion/motor_tester.h"
#include "numbers/hex_text.h"

namespace velmor::cli {

namespace {

using motion::TestMotor;

struct MotorChoice {
    TestMotor motor;
    int slot;  // fields of slot 0 X, 1 Y, 2 Z, 3 M0, 4 M1; -1 the X DC motor
    bool y0;
    bool y1;
};

std::optional<MotorChoice> ParseMotor(const std::string& name) {
    static const std::map<std::string, MotorChoice> motors = {
        {"x", {TestMotor::kX, 0, false, false}},   {"xdc", {TestMotor::kXDc, -1, false, false}},
        {"y0", {TestMotor::kY, 1, true, false}},   {"y1", {TestMotor::kY, 1, false, true}},
        {"z", {TestMotor::kZ, 2, false, false}},   {"m0", {TestMotor::kM0, 3, false, false}},
        {"m1", {TestMotor::kM1, 4, false, false}},
    };
    const auto it = motors.find(name);
    if (it == motors.end()) return std::nullopt;
    return it->second;
}

const char* StateName(motion::MotorState state) {
    switch (state) {
        case motion::MotorState::kMoving:
            return "moving";
        case motion::MotorState::kEnd:
            return "end";
        case motion::MotorState::kLimit:
            return "limit";
        case motion::MotorState::kStopped:
            return "stopped";
        case motion::MotorState::kIdle:
            break;
    }
    return "idle";
}

const char* OutcomeName(motion::MoveOutcome outcome) {
    switch (outcome) {
        case motion::MoveOutcome::kEnd:
            return "end";
        case motion::MoveOutcome::kLimit:
            return "limit";
        case motion::MoveOutcome::kStopped:
            return "stopped";
        case motion::MoveOutcome::kReadFailed:
            return "read failed";
        case motion::MoveOutcome::kAborted:
            return "aborted";
        case motion::MoveOutcome::kNone:
            break;
    }
    return "none";
}

int BadMotor(CtlOutput& output, const std::string& motor) {
    return output.Fail(kExitUsage, "unknown motor '" + motor + "' (x, xdc, y0, y1, z, m0 or m1)");
}

// The inputs of a movement page with only `choice` ticked.
motion::TestMoveInputs InputsFor(const MotorChoice& choice, const controller::CMainOperation& op) {
    motion::TestMoveInputs inputs;
    inputs.settings = op.motorSettings;
    inputs.Tick(choice.motor);
    inputs.y0Ticked = choice.y0;
    inputs.y1Ticked = choice.y1;
    return inputs;
}

controller::BoardLayout PageOf(const controller::CMainOperation& op) {
    return controller::LayoutOf(op.BoardType());
}

}  // namespace

const std::vector<MoveLimit>& MoveLimits() {
    static const std::vector<MoveLimit> limits = {
        {"--accel", &MoveArgs::accel, 1, 65535, 1, 65535,
         "Acceleration steps, 1..65535 (xdc: start voltage, 1..65535)"},
        {"--speed", &MoveArgs::speed, 1, 9999999, 1, 65535,
         "Top speed, 1..9999999 (xdc: end voltage, 1..65535)"},
        {"--distance", &MoveArgs::distance, 0, 9999999, 0, 9999999,
         "Distance in pulses, 0..9999999"},
        {"--frequency", &MoveArgs::frequency, 1, 65535, 1, 65535,
         "PWM frequency of the X DC motor, 1..65535"},
    };
    return limits;
}

int CtlMotionCommands::Build(const std::string& document) {
    controller::CMainOperation op;
    if (const int code = LoadDocument(output_, op, document); code != kExitOk) return code;
    motion::BuildInitMotion(op);
    return output_.Result(CommandsText(op.cmdList),
                          {{"board_type", op.BoardType()}, {"commands", CommandsJson(op.cmdList)}});
}

int CtlMotionCommands::Move(const MoveArgs& args) {
    const std::optional<MotorChoice> choice = ParseMotor(args.motor);
    if (!choice) return BadMotor(output_, args.motor);
    if (args.direction != "Orignal" && args.direction != "End")
        return output_.Fail(kExitUsage,
                            "invalid direction '" + args.direction + "' (Orignal or End)");
    const bool xdc = choice->slot < 0;
    for (const MoveLimit& limit : MoveLimits()) {
        const int value = args.*limit.field;
        const int low = xdc ? limit.xdcLow : limit.stepperLow;
        const int high = xdc ? limit.xdcHigh : limit.stepperHigh;
        if (value < low || value > high)
            return output_.Fail(kExitUsage, std::string(limit.option) + " " +
                                                std::to_string(value) + " is outside " +
                                                std::to_string(low) + ".." + std::to_string(high) +
                                                " for " + args.motor);
    }
    controller::CMainOperation* op = nullptr;
    if (const int code = session_.Connect(op); code != kExitOk) return code;

    motion::TestMoveInputs inputs = InputsFor(*choice, *op);
    if (choice->slot < 0) {
        inputs.xdc.startVoltage = args.accel;
        inputs.xdc.endVoltage = args.speed;
        inputs.xdc.distance = args.distance;
        inputs.xdc.direction = args.direction;
        inputs.xdc.frequency = args.frequency;
    } else {
        motion::MotorFields& fields = inputs.Fields(choice->slot);
        fields.accelSteps = args.accel;
        fields.topSpeed = args.speed;
        fields.distance = args.distance;
        fields.direction = args.direction;
    }
    motion::MotorTester tester(*op, PageOf(*op));
    if (tester.StartTestMove(inputs) != motion::MotorTester::StartResult::kStarted)
        return output_.Fail(kExitUnavailable, "the controller is not connected");
    tester.WaitForMove();
    const motion::MoveOutcome outcome = tester.LastOutcome();
    const std::string name = OutcomeName(outcome);
    const nlohmann::json doc = {{"motor", args.motor}, {"outcome", name}};
    switch (outcome) {
        case motion::MoveOutcome::kEnd:
            return output_.Result(args.motor + ": end of movement\n", doc);
        case motion::MoveOutcome::kLimit:
        case motion::MoveOutcome::kStopped:
            output_.Result(args.motor + ": " + name + '\n', doc);
            return kExitFailed;
        default:
            return output_.Fail(
                kExitIoErr, args.motor + ": the move's status could not be read (" + name + ")");
    }
}

int CtlMotionCommands::Stop(const std::string& motor) {
    const std::optional<MotorChoice> choice = ParseMotor(motor);
    if (!choice) return BadMotor(output_, motor);
    controller::CMainOperation* op = nullptr;
    if (const int code = session_.Connect(op); code != kExitOk) return code;
    motion::MotorTester tester(*op, PageOf(*op));
    tester.StopTestMove(InputsFor(*choice, *op));
    return output_.Result(motor + ": stop sent\n", {{"motor", motor}, {"stopped", true}});
}

int CtlMotionCommands::Status(bool watch) {
    controller::CMainOperation* op = nullptr;
    if (const int code = session_.Connect(op); code != kExitOk) return code;
    const motion::MotionRegisterMap& map = motion::MotionRegisters(op->BoardType());
    struct Line {
        const char* name;
        std::uint16_t address;
    };
    const Line lines[] = {{"x0", map.x0.status.address},
                          {"y0", map.y[0].status.address},
                          {"y1", map.y[1].status.address},
                          {"z1", map.Z1(op->motorSettings.Z0Board == 1).status.address}};
    do {
        std::string text;
        nlohmann::json generators = nlohmann::json::array();
        for (const Line& line : lines) {
            std::uint8_t status = 0;
            if (!op->ReadRegsRetry(line.address, &status, 1))
                return output_.Fail(kExitIoErr,
                                    std::string("reading the status of ") + line.name + " failed");
            const char* state = StateName(motion::DecodeStatus(true, status));
            text += std::string(line.name) + ": " + state + " (" +
                    numbers::Hex(status, {.digits = 2, .prefix = true}) + ")\n";
            generators.push_back({{"name", line.name},
                                  {"address", line.address},
                                  {"status", status},
                                  {"state", state}});
        }
        output_.Result(text, {{"board_type", op->BoardType()}, {"generators", generators}});
        if (watch) std::this_thread::sleep_for(motion::MotorTester::kStatusPeriod);
    } while (watch);
    return kExitOk;
}

}  // namespace velmor::cli
