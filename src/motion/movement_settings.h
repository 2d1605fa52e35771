#pragma once
// The settings controls of the movement pages: per motor channel the
// direction polarity, one or two limit polarities and the limit enable, and the
// Z gear ratio text. Combos show the controller object's settings and write
// back what the user changed; a choice that is what the setting shows, or a text
// that matches neither choice, leaves its setting as it is.

#include <cstdint>
#include <string>
#include <string_view>

#include "controller/motor_settings.h"
#include "motion/motor_channel.h"
#include "ui/fields.h"

namespace velmor::motion {

inline constexpr std::string_view kPositive = "Positive";
inline constexpr std::string_view kNegative = "Negetive";
inline constexpr std::string_view kDisable = "Disable";
inline constexpr std::string_view kEnable = "Enable";
inline constexpr std::string_view kBoardMain = "Mainboard";
inline constexpr std::string_view kBoardHead = "Headboard";

struct SettingsGroup {
    Channel channel = Channel::kX;
    bool present = false;            // the page has this group
    bool twoLimits = false;          // the fiber page: right/upper and left/lower limits
    ui::ChoiceField dirPolarity;     // "方向极性"
    ui::ChoiceField limitPolarity;   // "限位极性", or "右限位极性" / "上限位极性"
    ui::ChoiceField limitPolarity2;  // "左限位极性" / "下限位极性" (two limits only)
    ui::ChoiceField limitEnable;     // "限位使能"

    // Fills the items; the group is present from now on.
    void Setup(Channel ofChannel, bool withTwoLimits);
    // Selects what `settings` holds (non-zero: the second item).
    void Show(const controller::MotorSettings& settings);
    // Writes the selections that differ from what `settings` shows into it.
    void Apply(controller::MotorSettings& settings) const;
    void Enable(bool on);
};

// "Mainboard" 0, "Headboard" 1 for Z0Board.
void ShowBoard(ui::ChoiceField& board, std::uint8_t z0Board);
void ApplyBoard(const ui::ChoiceField& board, controller::MotorSettings& settings);

// The gear ratio text read as a decimal number times 1000, truncated ("1.5"
// gives 1500). The text is taken digit by digit, so "1.001" gives 1001 and not
// the 1000 a binary fraction would truncate to; a text that is no number gives
// 0, a negative ratio 0 and one beyond 32 bits 0xFFFFFFFF.
std::uint32_t GearFromText(std::string_view text);
// The ratio `gear` / 1000 as the field shows it: 1000 "1", 1500 "1.5".
std::string GearText(std::uint32_t gear);

}  // namespace velmor::motion
