#include "motion/movement_settings.h"

#include <cctype>
#include <cstdio>
#include <limits>

namespace velmor::motion {

namespace {

using controller::MotorSettings;

constexpr std::uint32_t kGearScale = 1000;

void Fill(ui::ChoiceField& field, std::string_view first, std::string_view second) {
    field.items = {std::string(first), std::string(second)};
    field.selected = 0;
}

void Show(ui::ChoiceField& field, std::uint32_t value) { field.selected = value != 0 ? 1 : 0; }

// Writes 0 or 1 when the choice differs from what the setting shows, so a
// setting the user did not change keeps its value (a file's 2 shows as the second
// choice and stays 2); any other text leaves the setting alone.
void Apply(const ui::ChoiceField& field, std::string_view zero, std::string_view one,
           MotorSettings& settings, Channel channel, ChannelField which) {
    const std::string text = field.SelectedText();
    const bool on = ChannelFieldValue(settings, channel, which) != 0;
    if (text == zero && on) SetChannelField(settings, channel, which, 0);
    if (text == one && !on) SetChannelField(settings, channel, which, 1);
}

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

void SettingsGroup::Setup(Channel ofChannel, bool withTwoLimits) {
    channel = ofChannel;
    present = true;
    twoLimits = withTwoLimits;
    Fill(dirPolarity, kPositive, kNegative);
    Fill(limitPolarity, kPositive, kNegative);
    if (twoLimits) Fill(limitPolarity2, kPositive, kNegative);
    limitPolarity2.visible = twoLimits;
    Fill(limitEnable, kDisable, kEnable);
}

void SettingsGroup::Show(const MotorSettings& settings) {
    motion::Show(dirPolarity, ChannelFieldValue(settings, channel, ChannelField::kDirPolarity));
    motion::Show(limitPolarity, ChannelFieldValue(settings, channel, ChannelField::kLimitPolarity));
    if (twoLimits)
        motion::Show(limitPolarity2,
                     ChannelFieldValue(settings, channel, ChannelField::kLimitPolarity2));
    motion::Show(limitEnable, ChannelFieldValue(settings, channel, ChannelField::kLimitEnable));
}

void SettingsGroup::Apply(MotorSettings& settings) const {
    if (!present) return;
    motion::Apply(dirPolarity, kPositive, kNegative, settings, channel, ChannelField::kDirPolarity);
    motion::Apply(limitPolarity, kPositive, kNegative, settings, channel,
                  ChannelField::kLimitPolarity);
    if (twoLimits)
        motion::Apply(limitPolarity2, kPositive, kNegative, settings, channel,
                      ChannelField::kLimitPolarity2);
    motion::Apply(limitEnable, kDisable, kEnable, settings, channel, ChannelField::kLimitEnable);
}

void SettingsGroup::Enable(bool on) {
    dirPolarity.enabled = on;
    limitPolarity.enabled = on;
    limitPolarity2.enabled = on;
    limitEnable.enabled = on;
}

void ShowBoard(ui::ChoiceField& board, std::uint8_t z0Board) {
    board.selected = z0Board == 1 ? 1 : 0;
}

void ApplyBoard(const ui::ChoiceField& board, MotorSettings& settings) {
    // As for the combos: only a choice that differs from what the board shows is written.
    const std::string text = board.SelectedText();
    if (text == kBoardMain && settings.Z0Board == 1) settings.Z0Board = 0;
    if (text == kBoardHead && settings.Z0Board != 1) settings.Z0Board = 1;
}

std::uint32_t GearFromText(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';

    // The digits of the number and how many of them stand before the point.
    std::string digits;
    long long point = 0;
    bool seenPoint = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsDigit(c)) {
            digits += c;
            if (!seenPoint) ++point;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (digits.empty()) return 0;
    if (pos + 1 < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t e = pos + 1;
        bool expNegative = false;
        if (text[e] == '+' || text[e] == '-') expNegative = text[e++] == '-';
        long long exponent = 0;
        for (; e < text.size() && IsDigit(text[e]); ++e) {
            if (exponent < 100000) exponent = exponent * 10 + (text[e] - '0');
        }
        point += expNegative ? -exponent : exponent;
    }
    point += 3;  // times 1000

    // The integer part of the scaled number, saturating above 32 bits.
    std::uint64_t value = 0;
    for (long long i = 0; i < point; ++i) {
        const int digit = i < static_cast<long long>(digits.size()) ? digits[i] - '0' : 0;
        value = value * 10 + static_cast<std::uint64_t>(digit);
        if (value > std::numeric_limits<std::uint32_t>::max())
            return negative ? 0 : std::numeric_limits<std::uint32_t>::max();
    }
    return negative ? 0 : static_cast<std::uint32_t>(value);
}

std::string GearText(std::uint32_t gear) {
    std::string text = std::to_string(gear / kGearScale);
    if (const std::uint32_t fraction = gear % kGearScale; fraction != 0) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, ".%03u", static_cast<unsigned>(fraction));
        std::string part = buffer;
        while (part.back() == '0') part.pop_back();
        text += part;
    }
    return text;
}

}  // namespace velmor::motion
