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

// Median milliseconds of `runs` downloads to every one of `devices` controllers.
double DownloadMillis(int devices, int latencyMicros, const std::string& doc,
                      const fs::path& folder, int runs) {
    const std::string state = (folder / ("fleet" + std::to_string(devices) + ".state")).string();
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
    fs::create_directories(folder);
    // The history of these downloads stays in the scratch folder.
    ::setenv("XDG_STATE_HOME", folder.c_str(), 1);
    const std::string doc = (folder / "printer.cfg").string();
    WriteDocument(doc);
    constexpr int kRuns = 7;
    std::printf("%-44s %10s %10s\n", "download --device all", "ms", "ratio");
    for (const int latency : {0, 125}) {
        const double one = DownloadMillis(1, latency, doc, folder, kRuns);
        for (const int devices : {1, 4, 16}) {
            const double ms =
                devices == 1 ? one : DownloadMillis(devices, latency, doc, folder, kRuns);
            const std::string row = std::to_string(devices) + " controller(s), answer " +
                                    std::to_string(latency) + " us";
            std::printf("%-44s %10.2f %10.2f\n", row.c_str(), ms, ms / one);
        }
    }
    fs::remove_all(folder);
    return 0;
}
