#pragma once
// velmorctl's commands, apart from main() so that tests can run them: list the
// devices, read and write registers, read the firmware identity.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::sim {
class SimDriver;
}

namespace velmor::cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;     // no such device, or a transfer failed
inline constexpr int kExitUsage = 2;      // the command line is wrong
inline constexpr int kExitNoBackend = 3;  // real devices asked for; this build has none

// Strict hexadecimal number: an optional "0x"/"0X" and 1..8 hex digits, at most
// `max`. False for anything else.
bool ParseHexNumber(const std::string& text, std::uint32_t max, std::uint32_t& value);

struct CtlOptions {
    bool simulate = false;
    std::string stateFile;  // empty: sim::DefaultStateFile()
    int device = 0;
};

class CtlCommands {
  public:
    // With --simulate the commands make their own simulated driver with one device;
    // tests may hand in a prepared one (its devices as they are) instead.
    CtlCommands(CtlOptions options, std::ostream& out, std::ostream& err,
                std::unique_ptr<sim::SimDriver> simDriver = nullptr);
    ~CtlCommands();
    CtlCommands(const CtlCommands&) = delete;
    CtlCommands& operator=(const CtlCommands&) = delete;

    // Each returns the exit code and has printed its result or a clear message.
    int List();
    int Read(const std::string& address, const std::string& count);
    int Write(const std::string& address, const std::vector<std::string>& bytes);
    int Firmware();

  private:
    std::string StateFile() const;
    int MakeDriver();
    int Connect();
    int Fail(const std::string& message, int code = kExitFailed);

    CtlOptions options_;
    std::ostream& out_;
    std::ostream& err_;
    // The driver outlives the controller object that holds the device on it.
    std::unique_ptr<sim::SimDriver> driver_;
    std::unique_ptr<controller::CMainOperation> op_;
};

// Parses a whole command line (args[0] is the program name) and runs it.
int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmor::cli
