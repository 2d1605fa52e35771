#include "gui/simulator_board_type.h"

#include "backend/driver_selection.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_motors.h"
#include "shell/velmor_dlg.h"

namespace velmor::gui {

void FollowBoardType(shell::CVelmorDlg& window, sim::SimDriver& simulator) {
    window.SetBoardTypeObserver([&simulator](std::uint8_t boardType) {
        for (std::size_t i = 0; i < simulator.DeviceCount(); ++i)
            simulator.Device(i).Controller().Motors().SetLayout(backend::SimMotionLayoutFor(boardType));
    });
}

}  // namespace velmor::gui
