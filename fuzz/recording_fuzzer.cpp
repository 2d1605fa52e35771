// A recording to replay, as a developer or a user hands it to --replay: any text,
// or the text of a real recording with lines cut, swapped and changed, so that the
// replay driver gets past the header and serves what it read.
//
// Properties: a text is refused with a message naming its line, or it replays: a
// controller object opened on it reads and writes registers and ends, whatever the
// recording answers, without a crash or a hang.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/fuzz_check.h"
#include "common/fuzz_input.h"
#include "controller/main_operation.h"
#include "drivers/replay/replay_driver.h"
#include "drivers/replay/traffic_recording.h"
#include "usb/usb_link.h"

namespace {

// A short, real recording: enumeration, open, one register write and its answer.
const char* const kLines[] = {
    R"({"backend":"sim","ids":["5a17:00f1"],"program":"velmorctl","recording":1,"version":"1"})",
    R"({"guid":{"hex":"60aa18ae6a7fd41197dd00010229b959","size":16},"op":"enumerate","paths":["sim:0"],"t":0.1,"thread":0})",
    R"({"error":0,"handle":1,"op":"open","path":"sim:0","t":0.2,"thread":0})",
    R"({"bytes":4,"code":2228299,"handle":1,"id":7,"op":"ioctl","overlapped":true,"request":{"hex":"0000000000000000010000000002","size":38},"data":{"hex":"5a014080","size":4},"result":997,"t":0.3,"thread":0})",
    R"({"bytes":4,"block":{"hex":"0000000000000000010000000002","size":38},"error":0,"id":7,"ok":true,"op":"complete","t":0.4,"thread":0})",
    R"({"error":0,"handle":1,"op":"close","result":0,"t":0.5,"thread":0})",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    fuzz::FuzzInput in(data, size);
    const std::uint8_t mode = in.Byte();
    std::string text;
    if ((mode & 1) != 0) {
        // The real lines, each kept, dropped, repeated or with a byte changed.
        for (const char* line : kLines) {
            std::string kept = line;
            const std::uint8_t how = in.Byte();
            if ((how & 3) == 1) continue;
            if ((how & 3) == 2 && !kept.empty())
                kept[in.Byte() % kept.size()] = static_cast<char>(in.Byte());
            text += kept + "\n";
            if ((how & 4) != 0) text += kept + "\n";
        }
    }
    const std::vector<std::uint8_t> rest = in.Rest();
    text.append(rest.begin(), rest.end());

    std::string error;
    std::optional<replay::TrafficRecording> recording = replay::ParseRecording(text, error);
    if (!recording) {
        FUZZ_CHECK(error.rfind("line ", 0) == 0 || error == "the recording is empty");
        return 0;
    }
    replay::ReplayDriver driver(std::move(*recording), false);
    controller::CMainOperation op;
    op.SetDevice(std::make_unique<usb::CUsbLink>(driver, usb::WindowId{0},
                                                 usb::kVendorInterfaceClass, true));
    op.connected = 1;
    op.deviceOpened = 1;
    const std::uint8_t value = 0x5A;
    op.WriteRegs(0x4001, &value, 1);
    std::uint8_t read[4] = {};
    op.ReadRegs(0x4000, read, 4);
    return 0;
}
