#pragma once
// velmorctl's register commands, apart from main() so that tests can run them:
// list the devices, read and write registers, read the firmware identity. Each
// returns its exit code (ctl_exit_codes.h) after printing its result or a clear
// message.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "backend/driver_selection.h"
#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "cli/ctl_session.h"
#include "drivers/sim/sim_driver.h"

namespace velmor::cli {

class CtlCommands {
  public:
    CtlCommands(CtlSession& session, CtlOutput& output) : session_(session), output_(output) {}

    int List();
    int Read(const std::string& address, const std::string& count);
    int Write(const std::string& address, const std::vector<std::string>& bytes);
    int Firmware();

  private:
    CtlSession& session_;
    CtlOutput& output_;
};

// The commands with their own session and output, for tests and one-off use.
class CtlRunner {
  public:
    CtlRunner(CtlOptions options, std::ostream& out, std::ostream& err,
              std::unique_ptr<sim::SimDriver> simDriver = nullptr, bool progress = false);
    CtlCommands& Commands() { return commands_; }
    CtlSession& Session() { return session_; }
    CtlOutput& Output() { return output_; }

  private:
    CtlOutput output_;
    CtlSession session_;
    CtlCommands commands_;
};

// Parses a whole command line (args[0] is the program name) and runs it.
int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// The same on a driver chosen already (a recording of a prepared simulator, in the
// tool that makes the regression recordings).
int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           backend::SelectedDriver prepared);

}  // namespace velmor::cli
