#pragma once
// The simulated controller cannot tell the main-board register map from the
// fiber map by what the host writes, so the program tells it: its motion
// generators follow the board type the main window sets (the main-board map
// for "Mainboard", the fiber map for "DoubleFiber" and "FourFiber"). Only the
// program's composition root and the tools that run on the simulator call this;
// the models never learn of the simulator.

namespace velmor::shell {
class CVelmorDlg;
}
namespace velmor::sim {
class SimDriver;
}

namespace velmor::gui {

// From now on every device of `simulator` takes the layout of the board type
// `window` sets; call it before the window's initialisation.
void FollowBoardType(shell::CVelmorDlg& window, sim::SimDriver& simulator);

}  // namespace velmor::gui
