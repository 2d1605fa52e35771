#pragma once
// The machine model list of the cleaning page, in list order, with the code
// each entry stores in CleanParams::byMachineType. "Dravik" has no panel
// program of its own yet: it stores the code of "Orvane" and tells the user so.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmor::cleaning {

struct MachineModel {
    std::string_view name;
    std::uint8_t code;
    std::string_view notice;  // shown when the entry is chosen; empty for none
};

inline constexpr std::array<MachineModel, 5> kMachineModels = {{
    {"Orvane", 0, ""},
    {"Tessaly", 1, ""},
    {"新界面", 2, ""},
    {"Quenbo", 3, ""},
    {"Dravik", 0, "此机型暂未添加"},
}};

// Machine codes the packets treat apart.
inline constexpr std::uint8_t kMachineTessaly = 1;
inline constexpr std::uint8_t kMachineNewPanel = 2;  // the only one with cleaning times

// The list entry that shows `code`: the first entry with that code, so 0 shows
// "Orvane". None for a code no entry has.
std::optional<std::size_t> MachineModelIndex(std::uint8_t code);

}  // namespace velmor::cleaning
