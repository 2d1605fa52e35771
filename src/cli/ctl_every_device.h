#pragma once
// --device all: one command on every controller the driver finds, at the same
// time, each on its own controller object. The results come out in device order:
// lines prefixed "device N: ", or under --json one document
// {"devices": [{"device": N, "code": C, "result": {...}}, ...]} with each device's
// own document (its result or its error). The exit code is 0 only when every
// device succeeded, else the highest code among them.

#include <functional>

namespace velmor::cli {

class CtlOutput;
class CtlSession;

using DeviceCommand = std::function<int(CtlSession& device, CtlOutput& output)>;

int RunOnEveryDevice(CtlSession& session, CtlOutput& output, const DeviceCommand& command);

}  // namespace velmor::cli
