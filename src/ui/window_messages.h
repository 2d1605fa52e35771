#pragma once
// Numbers of the messages the main window, the tab host, the pages and the
// editable list exchange. They are plain calls in this program; the numbers name
// them in logs and tests and keep the behaviour that depends on them traceable.

namespace velmor::ui {

inline constexpr int kMsgSelectBoardType = 2045;   // main window: select the board-type item
inline constexpr int kMsgSetBoardType = 2046;      // main window: board type from the selector
inline constexpr int kMsgShowMovementPage = 2047;  // main window: entering the movement tab
inline constexpr int kMsgConfigLayout = 2048;      // configuration page: follow the board type
inline constexpr int kMsgLinkConfigPage = 2049;    // main window: entering the configuration tab
inline constexpr int kMsgListEdited = 1025;        // editable list to its parent: (row, column)

// Receives the messages addressed to the main window.
class WindowMessageReceiver {
  public:
    virtual ~WindowMessageReceiver() = default;
    virtual void OnWindowMessage(int message) = 0;
};

}  // namespace velmor::ui
