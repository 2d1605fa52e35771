#include "cli/ctl_every_device.h"

#include <algorithm>
#include <sstream>
#include <thread>
#include <vector>

#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "cli/ctl_session.h"

namespace velmor::cli {

namespace {

struct DeviceRun {
    std::ostringstream out;
    std::ostringstream err;
    int code = kExitOk;
};

std::string Prefixed(const std::string& text, const std::string& prefix) {
    std::string lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines += prefix + line + '\n';
    return lines;
}

}  // namespace

int RunOnEveryDevice(CtlSession& session, CtlOutput& output, const DeviceCommand& command) {
    int count = 0;
    if (const int code = session.CountDevices(count); code != kExitOk) return code;
    if (count == 0) return output.Fail(kExitUnavailable, session.NoDeviceText());

    std::vector<DeviceRun> runs(static_cast<std::size_t>(count));
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([&, i] {
                DeviceRun& run = runs[static_cast<std::size_t>(i)];
                CtlOptions options = session.Options();
                options.device = i;
                options.allDevices = false;
                CtlOutput deviceOutput(run.out, run.err, options.json, false);
                CtlSession device(options, deviceOutput, session);
                run.code = command(device, deviceOutput);
            });
        }
    }  // every device has finished here
    session.WriteHistory();

    int worst = kExitOk;
    nlohmann::json devices = nlohmann::json::array();
    std::string text;
    for (int i = 0; i < count; ++i) {
        DeviceRun& run = runs[static_cast<std::size_t>(i)];
        worst = std::max(worst, run.code);
        const std::string prefix = "device " + std::to_string(i) + ": ";
        output.Err() << Prefixed(run.err.str(), prefix);
        if (output.Json()) {
            const std::string doc = run.out.str();
            devices.push_back({{"device", i},
                               {"code", run.code},
                               {"result", nlohmann::json::parse(doc, nullptr, false)}});
        } else {
            text += Prefixed(run.out.str(), prefix);
        }
    }
    // The state of the simulated controllers is kept once, for all of them.
    if (const int code = session.KeepState(); code != kExitOk) return code;
    output.Result(text, {{"devices", devices}});
    return worst;
}

}  // namespace velmor::cli
