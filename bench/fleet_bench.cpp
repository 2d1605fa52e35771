// A line of printers: `velmorctl --simulate N --device all download DOC` over 1, 4
// and 16 simulated controllers in one run, each N timed as the median of 15 runs,
// printed with time(N)/time(1). The controllers are independent, so the ratio shows
// what the devices share: the work per transfer on the machine's cores.
//
// It runs twice. With controllers answering at once, a download is nothing but
// the host's work, so 16 of them on 2 cores take at least 8 times one. With each
// transfer answered after 125 us, one high-speed USB microframe, as a real
// controller is, the time of one download is mostly waiting on the device, and
// the ratio shows how well the devices' waits overlap.
//
// The rows of one answer time run in turns, round after round. The controllers'
// state files go where velmorctl keeps them by default, the user's runtime folder,
// a file system in memory (or /dev/shm when there is no such folder). Replacing 16
// state files at once on a journalling disk file system takes longer than the
// downloads themselves, and that is the disk's share, not the controllers': the
// last row shows it, with the state files on the disk.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ctl_commands.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A FourFiber document of 200 commands, about what a printer's start-up holds.
void WriteDocument(const std::string& path) {
    velmor::controller::CMainOperation op;
    op.SetBoardType(2);
    op.cmdNames = {"InitDone"};
    for (int i = 0; i < 200; ++i)
        op.cmdList.push_back(
            {"InitDone", "MB Ctrl1", "RegWrite", 0x4009, static_cast<std::uint8_t>(i)});
    if (!velmor::commands::CCmdsMag(op).SaveConfigDocument(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// A scratch folder in memory, where the simulated controllers keep their state by
// default; the disk's scratch folder when the machine has none.
fs::path MemoryFolder(const fs::path& fallback) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const fs::path base = runtime != nullptr && *runtime != '\0' ? fs::path(runtime)
                          : fs::is_directory("/dev/shm")         ? fs::path("/dev/shm")
                                                                 : fallback;
    return base / ("velmor-fleet-" + std::to_string(::getpid()));
}

// One download to every one of `devices` controllers, whose state files are in
// `stateFolder`: its milliseconds.
double DownloadMillis(int devices, int latencyMicros, const std::string& doc,
                      const fs::path& stateFolder) {
    const std::string state =
        (stateFolder / ("fleet" + std::to_string(devices) + ".state")).string();
    std::ostringstream out;
    std::ostringstream err;
    const auto start = Clock::now();
    const int code = velmor::cli::RunCtl({"velmorctl", "--simulate", std::to_string(devices),
                                          "--sim-latency", std::to_string(latencyMicros), "--state",
                                          state, "--device", "all", "--json", "download", doc},
                                         out, err);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (code != 0) {
        std::fprintf(stderr, "download on %d controllers: exit %d\n%s", devices, code,
                     err.str().c_str());
        std::exit(1);
    }
    return ms;
}

struct Row {
    std::string name;
    int devices;
    int latencyMicros;
    fs::path stateFolder;
    std::vector<double> ms;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs every row of a group once per round, round after round, so that a spell of
// load on the machine falls on all of them alike rather than on one row's runs, and
// prints each row's median with its ratio to the group's first row.
void RunGroup(std::vector<Row>& rows, const std::string& doc, int rounds) {
    for (int r = 0; r < rounds; ++r) {
        for (Row& row : rows)
            row.ms.push_back(DownloadMillis(row.devices, row.latencyMicros, doc, row.stateFolder));
    }
    const double one = Median(rows.front().ms);
    for (const Row& row : rows) {
        const double ms = Median(row.ms);
        std::printf("%-52s %10.2f %10.2f\n", row.name.c_str(), ms, ms / one);
    }
}

}  // namespace

int main() {
    const fs::path folder =
        fs::temp_directory_path() / ("velmor-fleet-" + std::to_string(::getpid()));
    const fs::path memory = MemoryFolder(folder);
    fs::create_directories(folder);
    fs::create_directories(memory);
    // The history of these downloads stays in the scratch folder, on the disk.
    ::setenv("XDG_STATE_HOME", folder.c_str(), 1);
    const std::string doc = (folder / "printer.cfg").string();
    WriteDocument(doc);
    constexpr int kRounds = 15;
    std::printf("state files in %s; median of %d rounds\n", memory.parent_path().c_str(), kRounds);
    std::printf("%-52s %10s %10s\n", "download --device all", "ms", "ratio");
    for (const int latency : {0, 125}) {
        std::vector<Row> rows;
        for (const int devices : {1, 4, 16}) {
            rows.push_back({std::to_string(devices) + " controller(s), answer " +
                                std::to_string(latency) + " us",
                            devices,
                            latency,
                            memory,
                            {}});
        }
        if (latency == 125)
            rows.push_back(
                {"16 controller(s), answer 125 us, state on the disk", 16, 125, folder, {}});
        RunGroup(rows, doc, kRounds);
    }
    fs::remove_all(memory);
    fs::remove_all(folder);
    return 0;
}
