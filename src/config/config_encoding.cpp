#include "config/config_encoding.h"

#include <charconv>

#include "config/config_value_lists.h"

namespace velmor::config {

namespace {

using Byte = std::uint8_t PrtConfigParams::*;

// A two-valued choice: `setIndex` is the entry that sets the bit.
struct BitRow {
    int ConfigControls::*control;
    Byte field;
    int bit;
    int setIndex;
};

struct ColumnRow {
    int HeadColumnControls::*control;
    int bit;
    int setIndex;
};

constexpr int kPositive = 0;
constexpr int kNegetive = 1;  // "N": the negative entry sets the bit

// Encoding tables. "Orignal At" also sets bit 7 of each head-board byte; that is
// handled with the columns.
constexpr BitRow kSingleRows[] = {
    {&ConfigControls::orignalAt, &PrtConfigParams::mbCtrl1, 7, 1},
    {&ConfigControls::mLLeftPol, &PrtConfigParams::mbCtrl1, 6, kNegetive},
    {&ConfigControls::mLRight, &PrtConfigParams::mbCtrl1, 5, kNegetive},
    {&ConfigControls::mRaster, &PrtConfigParams::mbCtrl1, 4, kNegetive},
    {&ConfigControls::motoXDir, &PrtConfigParams::mbCtrl1, 3, kNegetive},
    {&ConfigControls::motoYDir, &PrtConfigParams::mbCtrl1, 2, kNegetive},
    {&ConfigControls::inkAutoEn, &PrtConfigParams::mbCtrl1, 1, 1},
    {&ConfigControls::mPolWaste, &PrtConfigParams::mbCtrl2, 7, kNegetive},
    {&ConfigControls::yRaster, &PrtConfigParams::mbCtrl2, 6, 0},  // "MB-Raster"
    {&ConfigControls::xRaster, &PrtConfigParams::mbCtrl2, 2, 0},
};

constexpr BitRow kFiberRows[] = {
    {&ConfigControls::orignalAt, &PrtConfigParams::mbCtrl1, 7, 1},
    {&ConfigControls::inkAutoEn, &PrtConfigParams::mbCtrl1, 4, 1},
    {&ConfigControls::mPolWaste, &PrtConfigParams::mbCtrl1, 2, kNegetive},
    {&ConfigControls::mRaster, &PrtConfigParams::mbCtrl1, 0, kNegetive},
    {&ConfigControls::mLLeftPol, &PrtConfigParams::mbCtrl2b, 1, kNegetive},
    {&ConfigControls::mLRight, &PrtConfigParams::mbCtrl2b, 0, kNegetive},
    {&ConfigControls::doubleYSel, &PrtConfigParams::mbCtrl2, 7, 1},  // "Double"
    {&ConfigControls::yRaster, &PrtConfigParams::mbCtrl2, 6, 0},
    {&ConfigControls::xRaster, &PrtConfigParams::mbCtrl2, 2, 0},
};

constexpr ColumnRow kColumnRows[] = {
    {&HeadColumnControls::hLLeftPol, 6, kNegetive},
    {&HeadColumnControls::hLRightPol, 5, kNegetive},
    {&HeadColumnControls::hRasterPol, 4, kNegetive},
    {&HeadColumnControls::prnLimitSel, 3, 1},   // "MB-Limit"
    {&HeadColumnControls::prnRasterSel, 2, 0},  // "MB-Raster"
    {&HeadColumnControls::jetOriental, 1, 0},   // "PCB at Left"
    {&HeadColumnControls::inkSafePol, 0, kNegetive},
};

constexpr int kLimitShiftY = 4;
constexpr int kLimitShiftX = 0;
constexpr int kLimitChoices = 4;
constexpr int kOrignalAtBit = 7;
constexpr std::uint8_t kFlashSpitOnAbove = 63;

std::uint8_t Bit(int bit) { return static_cast<std::uint8_t>(1u << bit); }

bool Selected(int index, int wanted) { return index == wanted; }

// The entry a two-valued choice shows for a bit.
int ShownIndex(bool bitSet, int setIndex) { return bitSet ? setIndex : 1 - setIndex; }

std::uint8_t LimitBits(int index, int shift) {
    if (index < 0 || index >= kLimitChoices) return 0;
    return static_cast<std::uint8_t>(index << shift);
}

std::uint8_t EncodeColumn(const HeadColumnControls& column, int orignalAt) {
    std::uint8_t value = Selected(orignalAt, 1) ? Bit(kOrignalAtBit) : 0;
    for (const ColumnRow& row : kColumnRows) {
        if (Selected(column.*row.control, row.setIndex)) value |= Bit(row.bit);
    }
    return value;
}

std::uint8_t EncodeInks(const std::array<int, kInkChannels>& inks) {
    std::uint8_t value = 0;
    for (int i = 0; i < kInkChannels; ++i) {  // bit 7 is K ... bit 0 is LY
        if (Selected(inks[static_cast<std::size_t>(i)], kNegetive)) value |= Bit(7 - i);
    }
    return value;
}

void DecodeColumn(std::uint8_t value, HeadColumnControls& column) {
    for (const ColumnRow& row : kColumnRows)
        column.*row.control = ShownIndex((value & Bit(row.bit)) != 0, row.setIndex);
}

void DecodeInks(std::uint8_t value, std::array<int, kInkChannels>& inks) {
    for (int i = 0; i < kInkChannels; ++i)
        inks[static_cast<std::size_t>(i)] = (value & Bit(7 - i)) != 0 ? kNegetive : kPositive;
}

template <std::size_t N>
void EncodeRows(const BitRow (&rows)[N], const ConfigControls& controls, PrtConfigParams& params) {
    for (const BitRow& row : rows) {
        if (Selected(controls.*row.control, row.setIndex)) params.*row.field |= Bit(row.bit);
    }
}

template <std::size_t N>
void DecodeRows(const BitRow (&rows)[N], const PrtConfigParams& params, ConfigControls& controls) {
    for (const BitRow& row : rows)
        controls.*row.control = ShownIndex((params.*row.field & Bit(row.bit)) != 0, row.setIndex);
}

}  // namespace

std::uint8_t PackChannels(const std::array<bool, kFiberChannels>& channels) {
    std::uint8_t map = 0;
    int slot = 0;
    for (int channel = 0; channel < kFiberChannels; ++channel) {
        if (!channels[static_cast<std::size_t>(channel)]) continue;
        map |= static_cast<std::uint8_t>(channel << (2 * slot));
        ++slot;
    }
    return map;
}

std::optional<std::uint8_t> ParseInkSupplyTime(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < 1 || value > 255) return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

PrtConfigParams Encode(const ConfigControls& controls, controller::BoardLayout layout,
                       const PrtConfigParams& previous) {
    PrtConfigParams params = previous;
    params.mbCtrl1 = params.mbCtrl2 = params.mbCtrl2b = 0;
    params.hbCtrl1 = params.hbCtrl2 = 0;
    params.flashSpit = 0;
    params.mbCtrl2 |= LimitBits(controls.yLimitSel, kLimitShiftY);
    params.mbCtrl2 |= LimitBits(controls.xLimitSel, kLimitShiftX);
    params.hbCtrl1 = EncodeColumn(controls.mainColumn, controls.orignalAt);
    params.hbCtrl2 = EncodeInks(controls.mainColumn.inkPol);

    if (layout == controller::BoardLayout::kFiber) {
        EncodeRows(kFiberRows, controls, params);
        params.hbCtrl11 = EncodeColumn(controls.secondColumn, controls.orignalAt);
        params.hbCtrl22 = EncodeInks(controls.secondColumn.inkPol);
        return params;
    }

    EncodeRows(kSingleRows, controls, params);
    if (auto time = ParseInkSupplyTime(controls.inkSupplyText)) params.inkSupplyTime = *time;
    params.fiberChannelMap = PackChannels(controls.channels);
    const auto inList = [](int index, std::size_t size) {
        return index >= 0 && static_cast<std::size_t>(index) < size;
    };
    if (inList(controls.flashFrequency, kFlashFrequencyValues.size()))
        params.flashSel = static_cast<std::uint32_t>(controls.flashFrequency);
    if (inList(controls.jetType, kJetTypeValues.size()))
        params.jetType = static_cast<std::uint8_t>(controls.jetType + 1);
    if (inList(controls.rasterRes, kDpiCodes.size()))
        params.dpiCode =
            static_cast<std::uint8_t>(kDpiCodes[static_cast<std::size_t>(controls.rasterRes)]);
    return params;
}

ConfigControls Decode(const PrtConfigParams& params, controller::BoardLayout layout,
                      ConfigControls controls) {
    controls.yLimitSel = (params.mbCtrl2 >> kLimitShiftY) & 0x03;
    controls.xLimitSel = (params.mbCtrl2 >> kLimitShiftX) & 0x03;
    DecodeColumn(params.hbCtrl1, controls.mainColumn);
    DecodeInks(params.hbCtrl2, controls.mainColumn.inkPol);

    if (layout == controller::BoardLayout::kFiber) {
        // "Orignal At" is decoded from the main-board byte; bit 7 of the head-board
        // bytes repeats it.
        DecodeRows(kFiberRows, params, controls);
        DecodeColumn(params.hbCtrl11, controls.secondColumn);
        DecodeInks(params.hbCtrl22, controls.secondColumn.inkPol);
        return controls;
    }

    DecodeRows(kSingleRows, params, controls);
    controls.jetType =
        params.jetType >= 1 && params.jetType <= kJetTypeValues.size() ? params.jetType - 1 : 0;
    for (std::size_t i = 0; i < kDpiCodes.size(); ++i) {
        if ((params.dpiCode & 0x0F) == kDpiCodes[i]) controls.rasterRes = static_cast<int>(i);
    }
    // A file's index beyond the list selects nothing rather than a wrong frequency.
    controls.flashFrequency = params.flashSel < kFlashFrequencyValues.size()
                                  ? static_cast<int>(params.flashSel)
                                  : kNoSelection;
    controls.channels = {};
    for (int slot = 0; slot < kFiberChannels; ++slot) {
        const int channel = (params.fiberChannelMap >> (2 * slot)) & 0x03;
        if (channel >= 1) {
            controls.channels[static_cast<std::size_t>(channel)] = true;
        } else if (slot == 0) {
            controls.channels[0] = true;
        }
    }
    controls.flashSpitOn = params.flashSpit > kFlashSpitOnAbove;
    controls.inkSupplyText = std::to_string(params.inkSupplyTime == 0 ? 1 : params.inkSupplyTime);
    return controls;
}

namespace {

// One command's byte, by address. The single-board extras (ink supply time and
// channel map) come from the command list only, not from a read-back.
void TakeByAddress(const controller::CMD_INFO& command, controller::BoardLayout layout,
                   bool singleExtras, PrtConfigParams& params) {
    switch (command.Addr) {
        case 0x4009:
            params.mbCtrl1 = command.Data;
            return;
        case 0x400A:
            params.mbCtrl2 = command.Data;
            return;
        case 0x4109:
            params.hbCtrl1 = command.Data;
            return;
        case 0x410A:
            params.hbCtrl2 = command.Data;
            return;
        case 0x410B:
            params.flashSpit = command.Data;
            return;
        default:
            break;
    }
    if (layout == controller::BoardLayout::kFiber) {
        if (command.Addr == 0x400B) params.mbCtrl2b = command.Data;
        if (command.Addr == 0x4209) params.hbCtrl11 = command.Data;
        if (command.Addr == 0x420A) params.hbCtrl22 = command.Data;
    } else if (singleExtras) {
        if (command.Addr == 0x4071) params.inkSupplyTime = command.Data;
        if (command.Addr == 0x407B) params.fiberChannelMap = command.Data;
    }
}

}  // namespace

PrtConfigParams TakeFromList(const std::vector<controller::CMD_INFO>& list,
                             controller::BoardLayout layout, PrtConfigParams params,
                             std::optional<std::string_view> onlyGroup) {
    for (const controller::CMD_INFO& command : list) {
        if (!onlyGroup || command.KeyName == *onlyGroup)
            TakeByAddress(command, layout, true, params);
    }
    return params;
}

PrtConfigParams TakeFromReadBack(const std::vector<controller::CMD_INFO>& readBack,
                                 controller::BoardLayout layout, PrtConfigParams params) {
    if (readBack.empty()) {
        ClearRegisterBytes(params);
        return params;
    }
    for (const controller::CMD_INFO& command : readBack)
        TakeByAddress(command, layout, false, params);
    return params;
}

void ClearRegisterBytes(PrtConfigParams& params) {
    params.mbCtrl1 = params.mbCtrl2 = 0;
    params.hbCtrl1 = params.hbCtrl2 = 0;
    params.hbCtrl11 = params.hbCtrl22 = 0;
    params.fiberChannelMap = 0;
}

std::optional<bool> DropControlsEnabled(int jetTypeIndex) {
    constexpr int kFirstGs = 5;   // "SPT255-GS-35PL"
    constexpr int kSecondGs = 6;  // "SPT508-GS-35PL"
    constexpr int kUnknown = 7;   // "UNKNOWN"
    if (jetTypeIndex == kFirstGs || jetTypeIndex == kSecondGs) return true;
    if (jetTypeIndex >= 0 && jetTypeIndex < kUnknown) return false;
    return std::nullopt;
}

}  // namespace velmor::config
