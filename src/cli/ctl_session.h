#pragma once
// The controllers velmorctl talks to: the simulated one (--simulate, its registers
// and flash kept in a state file between runs) or real ones through a driver
// backend, as backend::SelectDriver chooses them, and a controller object
// connected to one of them.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "backend/driver_selection.h"
#include "drivers/sim/sim_driver.h"
#include "files/file_ops.h"
#include "history/write_history.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::cli {

class CtlOutput;
struct PreparedDocument;

struct CtlOptions {
    bool simulate = false;
    int simulatedDevices = 1;       // --simulate N
    std::string stateFile;          // empty: sim::DefaultStateFile()
    unsigned simLatencyMicros = 0;  // --sim-latency US: each transfer's answer time
    int device = 0;
    bool allDevices = false;  // --device all
    bool json = false;
    // The controller layout the commands assume (0 "Mainboard", 1 "DoubleFiber",
    // 2 "FourFiber"); a new controller object assumes 1. The simulated
    // controller's motors follow it.
    int boardType = 1;
    std::vector<std::string> matches;  // --match VID:PID, further controller IDs
    std::string executableFolder;      // where the packaged ID list is found from
    std::string replayFile;            // --replay FILE
    bool replayTiming = false;         // --replay-timing
    std::string recordFile;            // --record FILE
    bool recordOverwrite = false;      // --force
    std::string historyFile;           // where writes to controllers are recorded; empty: nowhere
};

class CtlSession {
  public:
    // Tests may hand in a prepared simulated driver (its devices as they are).
    CtlSession(CtlOptions options, CtlOutput& output,
               std::unique_ptr<sim::SimDriver> simDriver = nullptr);
    // A session on a driver chosen already (a recording of a prepared simulator).
    CtlSession(CtlOptions options, CtlOutput& output, backend::SelectedDriver prepared);
    // A session on another device of `owner`'s driver, which must be made already
    // and outlive this session (one session per device of --device all).
    CtlSession(CtlOptions options, CtlOutput& output, CtlSession& owner);
    ~CtlSession();
    CtlSession(const CtlSession&) = delete;
    CtlSession& operator=(const CtlSession&) = delete;

    const CtlOptions& Options() const { return options_; }
    // The driver, made on first use; kExitOk or the exit code of a failure already
    // reported.
    int Driver(usb::UsbDriver*& driver);
    // How many controllers the driver finds.
    int CountDevices(int& count);
    // What to say when the driver found none.
    std::string NoDeviceText() const;
    // A controller object connected to the chosen device.
    int Connect(controller::CMainOperation*& operation);
    // With the simulator: its state written to the state file (a change that
    // cannot be kept there is a failure, not lost silently). kExitOk otherwise.
    int KeepState();
    std::string StateFile() const;
    // Records a write to the connected controller in the history; a failure to
    // record is said on standard error and changes nothing else. A device's session
    // of --device all hands the line to its owner instead, which writes every
    // device's line at once (WriteHistory) before anything is reported.
    void RecordWrite(const history::WriteRecord& what);
    // The lines the devices handed in, in one append; a failure is said once.
    void WriteHistory();
    // The end of the command that gave `code`: the recording written out; a replay
    // that met a request its recording does not hold makes it a failed transfer (74),
    // said on standard error.
    int Finish(int code);
    // The document every device of --device all downloads or verifies, prepared once
    // by the owner before the devices start, so each controller gets the same image
    // and the document is not read once per controller. SharedDocument is null when
    // none was shared or it is of another file.
    void ShareDocument(PreparedDocument document);
    const PreparedDocument* SharedDocument(const std::string& path) const;
    // The file-system calls output files are written with (tests make them fail).
    files::FileOps& FileOps() { return *fileOps_; }
    void SetFileOps(files::FileOps& ops) { fileOps_ = &ops; }

  private:
    CtlOptions options_;
    CtlOutput& output_;
    CtlSession* owner_ = nullptr;
    // The driver outlives the controller object that holds a device on it.
    backend::SelectedDriver driver_;
    std::unique_ptr<controller::CMainOperation> operation_;
    files::FileOps* fileOps_ = &files::DefaultFileOps();
    std::mutex historyMutex_;
    std::vector<history::HistoryEntry> historyLines_;  // from the devices, for WriteHistory
    std::unique_ptr<const PreparedDocument> sharedDocument_;
};

}  // namespace velmor::cli
