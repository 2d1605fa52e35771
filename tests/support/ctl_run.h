#pragma once
// velmorctl run in-process as a script runs it: a command line in, the exit code
// and both output streams out.

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ctl_commands.h"

namespace velmor::testing {

struct CtlRun {
    int code = -1;
    std::string out;
    std::string err;
    nlohmann::json Json() const { return nlohmann::json::parse(out); }
};

// Runs "velmorctl" with `args`.
inline CtlRun Ctl(std::vector<std::string> args) {
    args.insert(args.begin(), "velmorctl");
    std::ostringstream out;
    std::ostringstream err;
    CtlRun run;
    run.code = cli::RunCtl(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

}  // namespace velmor::testing
