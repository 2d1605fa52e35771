// The control panel's replies, read back after each frame of the parameter download and
// of the initialisation skip, and the register steps of the skip: every answer comes
// from the fuzz bytes.
//
// Properties: the download succeeds only when every frame was written, answered with a
// good check byte and echoed; the skip succeeds only when its display frame was answered
// with status 0; a failed download stops at the first frame not echoed.

#include <cstdint>

#include "cleaning/panel_download.h"
#include "common/fuzz_check.h"
#include "common/fuzz_controller.h"
#include "common/fuzz_input.h"
#include "support/fake_timer_service.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    fuzz::FuzzInput in(data, size);
    fuzz::FuzzController rig;
    const std::uint8_t mode = in.Byte();
    rig.op.language = (mode & 1) != 0 ? velmor::controller::Language::kEnglish
                                      : velmor::controller::Language::kChinese;
    rig.ScriptTransfers(in, 40);
    velmor::testing::NoWaitSleeper sleeper;
    cleaning::PanelDownload panel(rig.op, sleeper);

    if ((mode & 2) != 0) {
        const cleaning::PanelOutcome outcome = panel.InitSkip();
        if (outcome.ok) {
            FUZZ_CHECK(outcome.packets.size() == 1);
            FUZZ_CHECK(outcome.packets[0].answered && outcome.packets[0].reply[4] == 0);
        }
        return 0;
    }
    controller::CleanParams params;
    params.uiCarleaveclear1 = 5000;
    params.uiCarmoveblow1 = 8000;
    params.byMachineType = static_cast<std::uint8_t>(mode >> 4);
    params.nDcStartLevel = 3;
    params.byMotorType = 1;
    const cleaning::PanelOutcome outcome = panel.Download(params);
    for (std::size_t i = 0; i + 1 < outcome.packets.size(); ++i)
        FUZZ_CHECK(outcome.packets[i].delivered);
    if (outcome.ok) {
        FUZZ_CHECK(!outcome.packets.empty());
        for (const auto& packet : outcome.packets)
            FUZZ_CHECK(packet.written && packet.answered && packet.delivered);
    }
    return 0;
}
