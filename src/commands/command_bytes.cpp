#include "commands/command_bytes.h"

#include "numbers/number_text.h"

namespace velmor::commands {

namespace {

// The data digits once the prefix is gone: everything after the first two
// characters when the text holds an "x" anywhere.
std::string DataDigits(const std::string& data) {
    if (data.find_first_of("xX") == std::string::npos) return data;
    return data.size() > 2 ? data.substr(2) : std::string();
}

}  // namespace

std::uint16_t AddressFromText(const std::string& text) {
    return static_cast<std::uint16_t>(numbers::FieldHex(text));
}

std::uint8_t DataFromText(const std::string& text) {
    return static_cast<std::uint8_t>(numbers::FieldHex(text));
}

std::size_t DataByteCount(const std::string& data) { return (DataDigits(data).size() + 1) / 2; }

std::vector<controller::CMD_INFO> SplitDataBytes(const std::string& keyword,
                                                 const std::string& regName,
                                                 const std::string& address,
                                                 const std::string& data) {
    std::string digits = DataDigits(data);
    if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
    const std::uint16_t base = AddressFromText(address);
    const bool hasRange = regName.find('[') != std::string::npos;

    std::vector<controller::CMD_INFO> commands;
    commands.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size() / 2; ++i) {
        controller::CMD_INFO command;
        command.OptType = keyword;
        command.RegName = hasRange ? regName
                                   : regName + "[" + std::to_string(8 * i + 7) + ":" +
                                         std::to_string(8 * i) + "]";
        command.Addr = static_cast<std::uint16_t>(base + i);
        command.Data = DataFromText(digits.substr(2 * i, 2));
        commands.push_back(std::move(command));
    }
    return commands;
}

}  // namespace velmor::commands
