#pragma once
// The texts each choice of the configuration page offers, in list order. Index 0
// is selected after a list is filled. Texts are shown, stored and compared as
// written ("Orignal", "Negetive").

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "controller/language.h"

namespace velmor::config {

using ValueList = std::span<const std::string_view>;

inline constexpr std::array<std::string_view, 2> kPolarityValues{"Positive", "Negetive"};
inline constexpr std::array<std::string_view, 2> kOrignalAtValues{"Left", "Right"};
inline constexpr std::array<std::string_view, 8> kJetTypeValues{
    "SPT510-35PL",    "SPT255-12PL",    "SPT255-35PL",    "SPT1020-35PL",
    "SPT510-2C-35PL", "SPT255-GS-35PL", "SPT508-GS-35PL", "UNKNOWN"};
inline constexpr std::array<std::string_view, 5> kRasterResValues{"180 dpi", "270 dpi", "360 dpi",
                                                                  "720 dpi", "1440 dpi"};
inline constexpr std::array<std::string_view, 3> kDotSizeValuesEnglish{"Small point", "Mid point",
                                                                       "Big point"};
inline constexpr std::array<std::string_view, 3> kDotSizeValuesChinese{"小点", "中点", "大点"};
inline constexpr std::array<std::string_view, 12> kFlashFrequencyValues{
    "1   HZ", "2   HZ", "4   HZ", "8   HZ", "16  HZ", "32  HZ",
    "64  HZ", "128 HZ", "256 HZ", "512 HZ", "1   K",  "2   K"};
inline constexpr std::array<std::string_view, 2> kInkAutoValues{"Disable", "Enable"};
inline constexpr std::array<std::string_view, 2> kDoubleYValues{"Single", "Double"};
inline constexpr std::array<std::string_view, 4> kLimitSelValues{"Force Limit", "MB-Limit",
                                                                 "HB-Limit", "Disable"};
inline constexpr std::array<std::string_view, 2> kRasterSelValues{"MB-Raster", "HB-Raster"};
inline constexpr std::array<std::string_view, 2> kJetOrientalValues{"PCB at Left", "PCB at Right"};
inline constexpr std::array<std::string_view, 2> kPrnLimitValues{"HB-Limit", "MB-Limit"};
inline constexpr std::array<std::string_view, 2> kPrnRasterValues{"MB-Raster", "HB-Raster"};

// Hidden controls: filled like the others, but they carry no parameter.
inline constexpr std::array<std::string_view, 2> kClearAtValues{"Orignal", "End"};
inline constexpr std::array<std::string_view, 2> kAutoInitValues{"Enable", "Disable"};
inline constexpr std::array<std::string_view, 2> kMemSizeValues{"64MB", "128MB"};
inline constexpr std::array<std::string_view, 3> kDrop10Values{"0x57", "0x44", "0x02"};
inline constexpr std::array<std::string_view, 3> kDrop32Values{"0x02", "0x00", "0x02"};
inline constexpr std::array<std::string_view, 3> kDropTickValues{"0x08", "0x05", "0x03"};

// The raster resolution codes of "180 dpi" ... "1440 dpi".
inline constexpr std::array<int, 5> kDpiCodes{2, 4, 6, 8, 10};

// "点数" follows the language: English or Chinese.
inline ValueList DotSizeValues(controller::Language language) {
    if (controller::English(language)) return kDotSizeValuesEnglish;
    return kDotSizeValuesChinese;
}

// The position of `text` in `list`, or nothing when the list does not hold it.
inline std::optional<int> IndexOf(ValueList list, std::string_view text) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == text) return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace velmor::config
