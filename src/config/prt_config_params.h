#pragma once
// The printer configuration as register bytes and codes: the cache between the
// configuration page's controls and the "InitDone" commands of the command list.

#include <cstdint>

#include "controller/board_layout.h"

namespace velmor::config {

struct PrtConfigParams {
    std::uint8_t mbCtrl1 = 0;          // 0x4009, main-board control bits
    std::uint8_t mbCtrl2 = 0;          // 0x400A, limit and raster selection
    std::uint8_t mbCtrl2b = 0;         // 0x400B, motor limit polarities (fiber layout only)
    std::uint8_t hbCtrl1 = 0;          // 0x4109, main carriage board
    std::uint8_t hbCtrl2 = 0;          // 0x410A, ink channel polarities, main carriage board
    std::uint8_t hbCtrl11 = 0;         // 0x4209, secondary carriage board
    std::uint8_t hbCtrl22 = 0;         // 0x420A, ink channel polarities, secondary board
    std::uint8_t jetType = 0;          // print-head type code 1..8, file key JetType
    std::uint8_t dpiCode = 0;          // raster resolution code (low 4 bits), file key DPIType
    std::uint32_t flashSel = 0;        // index of the flash-spit frequency list, key FlashSel
    std::uint8_t fiberChannelMap = 0;  // 0x407B, packed channel selection
    std::uint8_t flashSpit = 0;        // 0x410B as last read from the command list
    std::uint8_t inkSupplyTime = 0;    // 0x4071, units of 100 ms, 1..255

    friend bool operator==(const PrtConfigParams&, const PrtConfigParams&) = default;
};

}  // namespace velmor::config
