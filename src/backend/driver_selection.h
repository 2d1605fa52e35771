#pragma once
// The one place where a program's command line becomes a driver of the port:
// the simulated controller with its state file, or real controllers through the
// backend this build has, with the controller IDs from every source. velmortool
// and velmorctl both call SelectDriver and keep only their own words for what
// they print; a new way to reach a controller is a field of DriverChoice and a
// branch in SelectDriver, not a new parameter in every caller.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "usb/usb_driver.h"

namespace velmor::sim {
class SimDriver;
enum class SimMotionLayout;
}  // namespace velmor::sim
namespace velmor::replay {
class RecordingDriver;
class ReplayDriver;
}  // namespace velmor::replay

namespace velmor::backend {

// What a bad controller ID (a line of an ID file, VELMOR_USB_MATCH or a --match
// value) does to the selection.
enum class OnBadIds {
    kFail,        // the selection fails: the person must mend the ID
    kUseBuiltIn,  // the IDs built into the program are used instead
};

// What the command line chose.
struct DriverChoice {
    bool simulate = false;     // simulated controllers
    int simulatedDevices = 1;  // how many; each keeps its own state
    // How long each of their transfers takes to be answered; 0: at once.
    std::chrono::microseconds simulatedAnswerTime{0};
    // The first one's state file; empty: sim::DefaultStateFile(). Controller k > 0
    // keeps its registers and flash in the state file's name followed by ".k".
    std::string stateFile;
    // Real controllers: where the program runs from (the packaged ID list is
    // found relative to it) and the --match values. VELMOR_USB_MATCH is read here.
    std::string executableFolder;
    std::vector<std::string> matches;
    OnBadIds onBadIds = OnBadIds::kFail;

    // The controllers answered from this recording instead (--replay), at once or,
    // with `replayTiming`, after the recorded delays.
    std::string replayFile;
    bool replayTiming = false;
    // Every port operation also written to this recording (--record), which is not
    // written over unless `recordOverwrite` (--force). The recording's first line
    // names `program` and `version`.
    std::string recordFile;
    bool recordOverwrite = false;
    std::string program;
    std::string version;
    // Told once, from any thread, when writing the recording failed and it stopped.
    std::function<void(const std::string&)> recordingWarning;
};

enum class DriverFailure {
    kNone,
    kBadIds,       // a controller ID is not one (with OnBadIds::kFail, or built-in ones failed too)
    kNotStarted,   // the backend for real devices could not be started
    kNotBuilt,     // this build has no backend for real devices
    kNoRecording,  // the recording to replay is missing or unreadable
    kBadRecording,  // the file to replay is no recording, or a damaged one
    kCannotRecord,  // the recording cannot be created (or exists, without overwrite)
};

struct SelectedDriver {
    // The backend under a recording driver; it goes after `driver`.
    std::unique_ptr<usb::UsbDriver> recorded;
    std::unique_ptr<usb::UsbDriver> driver;  // null unless failure is kNone
    DriverFailure failure = DriverFailure::kNone;
    std::string error;  // the failure's text for a person; empty with kNotBuilt

    // The simulated driver when it was chosen (owned by `driver`): the program
    // makes its motors follow the board type and writes its state out at the end.
    sim::SimDriver* simulator = nullptr;

    // The recording driver when recording (owned by `driver`): written out at the end.
    replay::RecordingDriver* recorder = nullptr;
    // The replay driver when replaying (owned by `driver`): what it could not answer.
    replay::ReplayDriver* replay = nullptr;
    // The backend's name and the controller IDs it looks for, as a recording's
    // first line gives them.
    std::string backendName;
    std::vector<std::string> controllerIds;

    // With OnBadIds::kUseBuiltIn: why the IDs were refused, when they were.
    std::string refusedIds;

    // Set by a backend for real devices. What to say when no controller is
    // connected, and when one did not open (the backend knows why: permissions,
    // another program, unplugged).
    std::function<std::string()> noDeviceText;
    std::function<std::string()> openFailureText;
    // Called on the backend's own thread when a controller arrives (true) or
    // leaves (false); an empty function stops the calls. Unset when the backend
    // does not hear of it.
    std::function<void(std::function<void(bool arrived)>)> setHotplugListener;
};

SelectedDriver SelectDriver(const DriverChoice& choice);

// The motion layout a simulated controller takes for the board type the program
// assumes: the main board's for "Mainboard", the fiber layout's otherwise.
sim::SimMotionLayout SimMotionLayoutFor(std::uint8_t boardType);

}  // namespace velmor::backend
