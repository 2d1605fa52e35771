#pragma once
// velmorctl's motion commands: the start-up motion a document builds, test moves,
// stops and the motor status of the connected controller.

#include <string>
#include <vector>

namespace velmor::cli {

class CtlOutput;
class CtlSession;

struct MoveArgs {
    std::string motor;  // x, xdc, y0, y1, z, m0, m1
    int accel = 512;
    int speed = 4000;
    int distance = 1000;
    std::string direction = "Orignal";
    int frequency = 5000;  // xdc only
};

// What a test move's numbers may be: what the movement page's fields hold (seven
// digits) and the registers they program take (a 16-bit acceleration table, a
// divisor that a zero speed would make 0, the X DC motor's 16-bit voltages and
// frequency). Values outside are refused with exit 64.
struct MoveLimit {
    const char* option;  // "--accel"
    int MoveArgs::*field;
    int stepperLow, stepperHigh;
    int xdcLow, xdcHigh;
    const char* help;  // the option's help, its ranges included
};
const std::vector<MoveLimit>& MoveLimits();

class CtlMotionCommands {
  public:
    CtlMotionCommands(CtlSession& session, CtlOutput& output)
        : session_(session), output_(output) {}

    // The document's command list after the start-up motion is built for its board type.
    int Build(const std::string& document);
    // One test move; exit 1 when it ended at a limit or was stopped, 74 when the
    // status could not be read.
    int Move(const MoveArgs& args);
    int Stop(const std::string& motor);
    // The status of every motor; with `watch`, every 100 ms until interrupted.
    int Status(bool watch);

  private:
    CtlSession& session_;
    CtlOutput& output_;
};

}  // namespace velmor::cli
