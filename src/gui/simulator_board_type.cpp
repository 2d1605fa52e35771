#include "gui/simulator_board_type.h"

#include "drivers/sim/sim_driver.h"
#include "shell/velmor_dlg.h"

namespace velmor::gui {

sim::SimMotionLayout MotionLayoutOfBoardType(std::uint8_t boardType) {
    return boardType == 0 ? sim::SimMotionLayout::kMainBoard : sim::SimMotionLayout::kFibre;
}

void FollowBoardType(shell::CVelmorDlg& window, sim::SimDriver& simulator) {
    window.SetBoardTypeObserver([&simulator](std::uint8_t boardType) {
        for (std::size_t i = 0; i < simulator.DeviceCount(); ++i)
            simulator.Device(i).Controller().Motors().SetLayout(MotionLayoutOfBoardType(boardType));
    });
}

}  // namespace velmor::gui
