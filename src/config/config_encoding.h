#pragma once
// The configuration page's bit encoding as pure functions: controls to register
// bytes (Encode), register bytes back to controls (Decode), bytes from a command
// list (TakeFromList) and from a read-back image (TakeFromReadBack), and the
// head-type rule. The page model holds its controls and calls these.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_controls.h"
#include "config/prt_config_params.h"
#include "controller/cmd_info.h"

namespace velmor::config {

// The parameters the controls stand for. `previous` supplies what the layout does
// not encode: in the single-board layout hbCtrl11 and hbCtrl22 and an ink supply
// text that is not a number 1..255; in the fiber layout jetType, dpiCode,
// flashSel, inkSupplyTime and fiberChannelMap. A choice without a selection (or
// with a text outside its list) leaves its bits clear. The command list is not
// touched here: the caller updates it with the result (UpdateCommandList).
//
// In the single-board layout the page then enables the frequency list while
// "开闪喷" is checked and disables it otherwise.
PrtConfigParams Encode(const ConfigControls& controls, controller::BoardLayout layout,
                       const PrtConfigParams& previous);

// The controls that show `params` in `layout`, starting from `current`: controls
// the layout does not decode keep their state, and so does "RasterRes" when the
// resolution code is none of the five.
ConfigControls Decode(const PrtConfigParams& params, controller::BoardLayout layout,
                      ConfigControls current);

// The parameter bytes of every command of `list` (later commands overwrite
// earlier ones), by address for the layout. With `onlyGroup`, only commands of
// that group count (the hidden "Default" reload takes "InitDone" only).
PrtConfigParams TakeFromList(const std::vector<controller::CMD_INFO>& list,
                             controller::BoardLayout layout, PrtConfigParams params,
                             std::optional<std::string_view> onlyGroup = std::nullopt);

// The parameter bytes of a read-back image, as "读取参数" takes them: an empty
// list clears the register bytes and the channel map; otherwise 0x4009, 0x400A,
// 0x4109, 0x410A and 0x410B, and in the fiber layout also 0x400B, 0x4209, 0x420A.
PrtConfigParams TakeFromReadBack(const std::vector<controller::CMD_INFO>& readBack,
                                 controller::BoardLayout layout, PrtConfigParams params);

// Clears mbCtrl1, mbCtrl2, hbCtrl1, hbCtrl2, hbCtrl11, hbCtrl22, fiberChannelMap
// (before the "Default" reload takes its values, and for an empty read-back).
void ClearRegisterBytes(PrtConfigParams& params);

// The head-type rule: the two GS heads enable "Drop_1_0", "Drop_3_2",
// "Drop_TICK" and "点数", the five other named heads disable them, and "UNKNOWN"
// (or no selection) changes nothing.
std::optional<bool> DropControlsEnabled(int jetTypeIndex);

// The packed channel map of the four channel boxes: checked channels in ascending
// order, two bits each from bit 0 up, each slot holding channel number - 1.
std::uint8_t PackChannels(const std::array<bool, kFiberChannels>& channels);

// The ink supply time a text gives: a decimal number 1..255 (blanks around it
// allowed), else nothing.
std::optional<std::uint8_t> ParseInkSupplyTime(std::string_view text);

}  // namespace velmor::config
