#pragma once
// The configuration page's controls as plain fields, and what the page does with
// all of them at once: fill the value lists, switch the editable controls on or
// off, show the controls of a layout, apply the head-type rule, and copy between
// the fields and ConfigControls (the state the encoding reads and writes).

#include <array>
#include <string_view>

#include "config/config_controls.h"
#include "config/prt_config_params.h"
#include "controller/language.h"
#include "ui/fields.h"

namespace velmor::config {

// One head-board column; the fiber layout shows a second one for the secondary
// carriage board.
struct HeadColumnFields {
    ui::ChoiceField hLLeftPol;                         // "H-LLeft Pol"
    ui::ChoiceField hLRightPol;                        // "H-LRight Pol"
    ui::ChoiceField hRasterPol;                        // "H-Raster Pol"
    ui::ChoiceField inkSafePol;                        // "Ink-Safe Pol"
    ui::ChoiceField jetOriental;                       // "Jet-Oriental"
    ui::ChoiceField prnLimitSel;                       // "Prn-Limit Sel"
    ui::ChoiceField prnRasterSel;                      // "Prn-Raster Sel"
    std::array<ui::ChoiceField, kInkChannels> inkPol;  // "Ink-k Pol" ... "Ink-LY Pol"
};

struct ConfigPageFields {
    ui::ChoiceField orignalAt;                            // "Orignal At"
    ui::ChoiceField jetType;                              // "JetType", never editable
    ui::ChoiceField rasterRes;                            // "RasterRes", never editable
    ui::TextField inkSupplyTime{"1"};                     // 供墨时间, *100ms
    ui::ChoiceField dotSize;                              // "点数", GS heads only
    ui::CheckField flashSpitOn;                           // "开闪喷"
    ui::ChoiceField flashFrequency;                       // beside 开闪喷, enabled by Encode
    std::array<ui::CheckField, kFiberChannels> channels;  // 光纤通道 "通道1".."通道4", display only

    ui::ChoiceField mLLeftPol;   // "M-LLeft Pol", single-board layout only
    ui::ChoiceField mLRight;     // "M-LRight"
    ui::ChoiceField mRaster;     // "M-Raster"
    ui::ChoiceField motoXDir;    // "MotoX-Dir", single-board layout only
    ui::ChoiceField motoYDir;    // "MotoY-Dir", single-board layout only
    ui::ChoiceField inkAutoEn;   // "Ink-Auto En"
    ui::ChoiceField doubleYSel;  // "Double-Y Sel", fiber layout only
    ui::ChoiceField xLimitSel;   // "X-Limit Sel"
    ui::ChoiceField yLimitSel;   // "Y-Limit Sel"
    ui::ChoiceField xRaster;     // "X-Raster"
    ui::ChoiceField yRaster;     // "Y-Raster"
    ui::ChoiceField mPolWaste;   // "M_Pol_Waste"
    ui::ChoiceField pLLeftPol;   // "P-LLeft pol", never editable, no bits
    ui::ChoiceField pLRightPol;  // "P-LRight pol", never editable, no bits

    HeadColumnFields mainColumn;    // 主喷车板
    HeadColumnFields secondColumn;  // 副喷车板, fiber layout only
    // The column titles, which only mean something while there are two columns.
    ui::TextField mainColumnTitle{"主喷车板"};
    ui::TextField secondColumnTitle{"副喷车板"};

    // Hidden controls without a parameter. The drop-size lists follow the
    // head-type rule; "Mem-Size" is always disabled.
    ui::ChoiceField clearAt;     // "Clear At"
    ui::ChoiceField autoInitEn;  // "AutoInit-En"
    ui::ChoiceField memSize;     // "Mem-Size"
    ui::ChoiceField motorZDir;   // "MotorZ-Dir"
    ui::ChoiceField drop10;      // "Drop_1_0"
    ui::ChoiceField drop32;      // "Drop_3_2"
    ui::ChoiceField dropTick;    // "Drop_TICK"
    ui::TextField cfg;           // "CFG", 4 characters
};

// Fills every list in its order and selects index 0; "点数" follows `language`.
// The hidden controls are hidden.
void FillLists(ConfigPageFields& fields, controller::Language language);
// Switches the editable controls; "JetType", "RasterRes", "Mem-Size", the channel
// boxes and "P-LLeft pol"/"P-LRight pol" stay disabled whatever `on` says.
void EnableControls(ConfigPageFields& fields, bool on);
// Shows the controls of `layout` and hides the others.
void ShowLayout(ConfigPageFields& fields, controller::BoardLayout layout);
// The head-type rule for the selected "JetType".
void ApplyHeadTypeRule(ConfigPageFields& fields);

ConfigControls ReadControls(const ConfigPageFields& fields);
void ShowControls(const ConfigControls& controls, ConfigPageFields& fields);

}  // namespace velmor::config
