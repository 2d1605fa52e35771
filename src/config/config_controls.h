#pragma once
// The state of the configuration page's parameter controls as the encoding reads
// and writes it: a selected index per choice (into the lists of
// config_value_lists.h, kNoSelection when nothing is selected), check boxes as
// bools and the ink supply time as the text of its field. A page maps each widget
// to one field.

#include <array>
#include <string>

namespace velmor::config {

inline constexpr int kNoSelection = -1;
inline constexpr int kInkChannels = 8;  // K, C, M, Y, LK, LC, LM, LY
inline constexpr int kFiberChannels = 4;

// One head-board column; the fiber layout shows a second one for the secondary
// carriage board.
struct HeadColumnControls {
    int hLLeftPol = 0;                       // "H-LLeft Pol", polarity list
    int hLRightPol = 0;                      // "H-LRight Pol"
    int hRasterPol = 0;                      // "H-Raster Pol"
    int inkSafePol = 0;                      // "Ink-Safe Pol"
    int jetOriental = 0;                     // "Jet-Oriental"
    int prnLimitSel = 0;                     // "Prn-Limit Sel"
    int prnRasterSel = 0;                    // "Prn-Raster Sel"
    std::array<int, kInkChannels> inkPol{};  // "Ink-k Pol" ... "Ink-LY Pol"

    friend bool operator==(const HeadColumnControls&, const HeadColumnControls&) = default;
};

struct ConfigControls {
    int orignalAt = 0;                            // "Orignal At"
    int jetType = 0;                              // "JetType" (shows the file's head type)
    int rasterRes = 0;                            // "RasterRes" (shows the file's resolution)
    std::string inkSupplyText = "1";              // 供墨时间, decimal, units of 100 ms
    int dotSize = 0;                              // "点数"
    bool flashSpitOn = false;                     // "开闪喷"
    int flashFrequency = 0;                       // the frequency list beside 开闪喷
    std::array<bool, kFiberChannels> channels{};  // "通道1" ... "通道4"

    int mLLeftPol = 0;   // "M-LLeft Pol" (single-board layout only)
    int mLRight = 0;     // "M-LRight"
    int mRaster = 0;     // "M-Raster"
    int motoXDir = 0;    // "MotoX-Dir" (single-board layout only)
    int motoYDir = 0;    // "MotoY-Dir" (single-board layout only)
    int inkAutoEn = 0;   // "Ink-Auto En"
    int doubleYSel = 0;  // "Double-Y Sel" (fiber layout only)
    int xLimitSel = 0;   // "X-Limit Sel"
    int yLimitSel = 0;   // "Y-Limit Sel"
    int xRaster = 0;     // "X-Raster"
    int yRaster = 0;     // "Y-Raster"
    int mPolWaste = 0;   // "M_Pol_Waste"

    HeadColumnControls mainColumn;
    HeadColumnControls secondColumn;  // fiber layout only

    friend bool operator==(const ConfigControls&, const ConfigControls&) = default;
};

}  // namespace velmor::config
