// Makes the regression recordings of tests/replays/: each row of the table runs a
// velmorctl command on a fresh simulated controller (after setup commands that are
// not recorded, and with the simulator's fault knobs where a row sets them),
// records it, and writes the folder the replay test reads:
//
//   command          the arguments after "velmorctl", one a line; {dir} stands for
//                    the folder, {out} for a scratch folder of the run
//   recording.jsonl  the recording
//   expected.out     what the command printed on standard output ({dir}, {out} as above)
//   expected.code    its exit code
//   expected.err     what it said on standard error
//
//   make_replays DIR          every row, into DIR/<name>/
//   make_replays --expect F   the expected files of folder F from its recording and
//                             command: a recording made elsewhere becomes a test

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ctl_commands.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "drivers/replay/recording_driver.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_flash_faults.h"
#include "support/motion_steps.h"

namespace {

namespace fs = std::filesystem;
using namespace velmor;
using Args = std::vector<std::string>;

struct Row {
    const char* name;
    std::vector<Args> setup;  // run first, not recorded
    Args command;
    std::function<void(sim::SimController&)> faults;
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

Args Expand(const Args& args, const std::string& dir, const std::string& out) {
    Args expanded{"velmorctl"};
    for (const std::string& arg : args)
        expanded.push_back(Replace(Replace(arg, "{dir}", dir), "{out}", out));
    return expanded;
}

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

void WriteDocument(const fs::path& dir) {
    controller::CMainOperation op;
    op.SetBoardType(0);
    op.cmdNames = {"InitDone", "InitMovement"};
    op.cmdList = {{"InitDone", "MB Ctrl1", "RegWrite", 0x4009, 0x80}};
    op.motionList = {testing::XStep()};
    commands::CCmdsMag(op).SaveConfigDocument((dir / "printer.cfg").string());
}

bool Names(const std::vector<Args>& lists, const std::string& file) {
    for (const Args& args : lists)
        for (const std::string& arg : args)
            if (arg == "{dir}/" + file) return true;
    return false;
}

// The documents the commands name: a main-board document with one movement step,
// and a cleaning file.
void WriteDocuments(const fs::path& dir, const std::vector<Args>& commands) {
    if (Names(commands, "printer.cfg")) WriteDocument(dir);
    if (!Names(commands, "station.cfg")) return;
    controller::CMainOperation station;
    station.cleanParams.uiCarleaveclear1 = 1000;
    station.cleanParams.uiCarmoveblow1 = 1101;
    commands::CCmdsMag(station).SaveCleanParams((dir / "station.cfg").string());
}

int Record(const Row& row, const fs::path& root) {
    const fs::path dir = root / row.name;
    fs::create_directories(dir);
    const fs::path scratch =
        fs::temp_directory_path() / ("velmor-replays-" + std::string(row.name));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    std::vector<Args> commands = row.setup;
    commands.push_back(row.command);
    WriteDocuments(dir, commands);
    const std::string state = (scratch / "sim.state").string();
    for (const Args& setup : row.setup) {
        Args args = setup;
        args.insert(args.begin(), {"--simulate", "--state", state});
        std::ostringstream out, err;
        cli::RunCtl(Expand(args, dir.string(), scratch.string()), out, err);
    }

    auto simulator = std::make_unique<sim::SimDriver>();
    sim::SimDeviceOptions options;
    options.stateFile = state;
    sim::SimController& controller = simulator->AddDevice(options).Controller();
    if (row.faults) row.faults(controller);
    std::string error;
    auto writer =
        replay::TrafficWriter::Create((dir / "recording.jsonl").string(), true, {}, error);
    if (!writer) {
        std::cerr << error << "\n";
        return 1;
    }
    backend::SelectedDriver prepared;
    prepared.simulator = simulator.get();
    prepared.driver = std::make_unique<replay::RecordingDriver>(
        *simulator, std::move(writer),
        replay::RecordingHeader{"velmorctl", VELMOR_VERSION, "sim", {"5a17:00f1"}});
    prepared.recorded = std::move(simulator);

    Args args = row.command;
    args.insert(args.begin(), "--simulate");
    std::ostringstream out, err;
    const int code =
        cli::RunCtl(Expand(args, dir.string(), scratch.string()), out, err, std::move(prepared));
    std::string command;
    for (const std::string& arg : args) command += arg + "\n";
    WriteText(dir / "command", command);
    WriteText(dir / "expected.out",
              Replace(Replace(out.str(), dir.string(), "{dir}"), scratch.string(), "{out}"));
    WriteText(dir / "expected.code", std::to_string(code) + "\n");
    WriteText(dir / "expected.err",
              Replace(Replace(err.str(), dir.string(), "{dir}"), scratch.string(), "{out}"));
    std::cout << row.name << ": exit " << code << "\n";
    fs::remove_all(scratch);
    return 0;
}

// The expected files of a folder made from a recording of elsewhere.
int Expect(const fs::path& dir) {
    std::ifstream in(dir / "command");
    Args args{"--replay", (dir / "recording.jsonl").string()};
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) args.push_back(line);
    const fs::path scratch = fs::temp_directory_path() / "velmor-replays-expect";
    fs::create_directories(scratch);
    std::ostringstream out, err;
    const int code = cli::RunCtl(Expand(args, dir.string(), scratch.string()), out, err);
    WriteText(dir / "expected.out",
              Replace(Replace(out.str(), dir.string(), "{dir}"), scratch.string(), "{out}"));
    WriteText(dir / "expected.code", std::to_string(code) + "\n");
    WriteText(dir / "expected.err",
              Replace(Replace(err.str(), dir.string(), "{dir}"), scratch.string(), "{out}"));
    std::cout << dir.string() << ": exit " << code << "\n";
    fs::remove_all(scratch);
    return 0;
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"register_write", {}, {"write", "4001", "5A", "A5"}, {}},
        {"register_read", {{"write", "4001", "5A", "A5"}}, {"--json", "read", "4000", "8"}, {}},
        {"firmware", {}, {"firmware"}, {}},
        {"download", {}, {"--board-type", "0", "download", "{dir}/printer.cfg"}, {}},
        {"readback",
         {{"--board-type", "0", "download", "{dir}/printer.cfg"}},
         {"--json", "--board-type", "0", "readback", "-o", "{out}/back.img"},
         {}},
        {"download_faulty_flash",
         {},
         {"--board-type", "0", "download", "{dir}/printer.cfg"},
         [](sim::SimController& c) { c.FlashFaults().flipWrites = sim::SimFlashFaults::kAlways; }},
        {"clean_download", {}, {"--json", "clean", "download", "{dir}/station.cfg"}, {}},
        {"test_move",
         {},
         {"--board-type", "0", "move", "x", "--distance", "400", "--speed", "4000", "--dir", "End"},
         {}},
    };
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--expect") return Expect(argv[2]);
    if (argc != 2) {
        std::cerr << "usage: make_replays DIR | make_replays --expect FOLDER\n";
        return 2;
    }
    int failures = 0;
    for (const Row& row : Rows()) failures += Record(row, argv[1]);
    return failures == 0 ? 0 : 1;
}
