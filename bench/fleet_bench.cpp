// A line of printers: `velmorctl --simulate N --device all download DOC` over 1, 4
// and 16 simulated controllers in one run, each N timed as the median of several
// runs, printed with time(N)/time(1). The controllers are independent, so the
// ratio shows what the devices share: the work per transfer on the machine's cores.
//
// It runs twice. With controllers answering at once, a download is nothing but
// the host's work, so 16 of them on 2 cores take at least 8 times one. With each
// transfer answered after 125 us, one high-speed USB microframe, as a real
// controller is, the time of one download is mostly waiting on the device, and
// the ratio shows how well the devices' waits overlap.
//
// The controllers' state files go where velmorctl keeps them by default, the
// user's runtime folder, a file system in memory (or /dev/shm when there is no such
// folder). Replacing 16 state files at once on a journalling disk file system takes
// longer than the downloads themselves, and that is the disk's share, not the
// controllers': the last row shows it, with the state files on the disk.

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

// Median milliseconds of `runs` downloads to every one of `devices` controllers, whose
// state files are in `stateFolder`.
double DownloadMillis(int devices, int latencyMicros, const std::string& doc,
                      const fs::path& stateFolder, int runs) {
    const std::string state =
        (stateFolder / ("fleet" + std::to_string(devices) + ".state")).string();
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        std::ostringstream out;
        std::ostringstream err;
        const auto start = Clock::now();
        const int code =
            velmor::cli::RunCtl({"velmorctl", "--simulate", std::to_string(devices),
                                 "--sim-latency", std::to_string(latencyMicros), "--state", state,
                                 "--device", "all", "--json", "download", doc},
                                out, err);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (code != 0) {
            std::fprintf(stderr, "download on %d controllers: exit %d\n%s", devices, code,
                         err.str().c_str());
            std::exit(1);
        }
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
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
    constexpr int kRuns = 7;
    std::printf("state files in %s\n", memory.parent_path().c_str());
    std::printf("%-52s %10s %10s\n", "download --device all", "ms", "ratio");
    auto print = [](const std::string& row, double ms, double one) {
        std::printf("%-52s %10.2f %10.2f\n", row.c_str(), ms, ms / one);
    };
    double oneAt125 = 0;
    for (const int latency : {0, 125}) {
        const double one = DownloadMillis(1, latency, doc, memory, kRuns);
        if (latency == 125) oneAt125 = one;
        for (const int devices : {1, 4, 16}) {
            const double ms =
                devices == 1 ? one : DownloadMillis(devices, latency, doc, memory, kRuns);
            print(std::to_string(devices) + " controller(s), answer " + std::to_string(latency) +
                      " us",
                  ms, one);
        }
    }
    print("16 controller(s), answer 125 us, state on the disk",
          DownloadMillis(16, 125, doc, folder, kRuns), oneAt125);
    fs::remove_all(memory);
    fs::remove_all(folder);
    return 0;
}
