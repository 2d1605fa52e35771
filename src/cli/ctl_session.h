#pragma once
// The controllers velmorctl talks to: the simulated one (--simulate, its registers
// and flash kept in a state file between runs) or real ones through a driver
// backend, and a controller object connected to one of them.

#include <functional>
#include <memory>
#include <string>

#include "drivers/sim/sim_driver.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::cli {

class CtlOutput;

struct CtlOptions {
    bool simulate = false;
    std::string stateFile;  // empty: sim::DefaultStateFile()
    int device = 0;
    bool json = false;
    // The controller layout the commands assume (0 "Mainboard", 1 "DoubleFiber",
    // 2 "FourFiber"); a new controller object assumes 1. The simulated
    // controller's motors follow it.
    int boardType = 1;
};

// Makes the driver for real devices, or null with the reason in `error` (no
// backend in this build, the backend could not start).
using RealDriverFactory = std::function<std::unique_ptr<usb::UsbDriver>(std::string& error)>;

class CtlSession {
  public:
    // Tests may hand in a prepared simulated driver (its devices as they are).
    CtlSession(CtlOptions options, CtlOutput& output,
               std::unique_ptr<sim::SimDriver> simDriver = nullptr,
               RealDriverFactory realDriver = {});
    ~CtlSession();
    CtlSession(const CtlSession&) = delete;
    CtlSession& operator=(const CtlSession&) = delete;

    const CtlOptions& Options() const { return options_; }
    // The driver, made on first use; kExitOk or the exit code of a failure already
    // reported.
    int Driver(usb::UsbDriver*& driver);
    // A controller object connected to the chosen device.
    int Connect(controller::CMainOperation*& operation);
    // With the simulator: its state written to the state file (a change that
    // cannot be kept there is a failure, not lost silently). kExitOk otherwise.
    int KeepState();
    std::string StateFile() const;

  private:
    CtlOptions options_;
    CtlOutput& output_;
    RealDriverFactory realDriver_;
    // The drivers outlive the controller object that holds a device on them.
    std::unique_ptr<sim::SimDriver> sim_;
    std::unique_ptr<usb::UsbDriver> real_;
    std::unique_ptr<controller::CMainOperation> operation_;
};

}  // namespace velmor::cli
