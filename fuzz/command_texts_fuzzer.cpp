// The command-set editor's address and data texts, as typed: any characters, any
// length, with or without the "0x" prefix.
//
// Properties, checked against the rules worked out here on their own: a data text
// splits into as many commands as DataByteCount says, byte i at the base address + i
// (16 bits), each byte the hexadecimal value of its two digits; register names get the
// bit range of their byte unless they hold one; an address or data text reads as its
// digits after the first "x" (or "X"), other characters counting 0, cut to 16 or 8
// bits; the list's lower-case hexadecimal reads back as the number it shows.

#include <cstdint>
#include <string>

#include "commands/command_bytes.h"
#include "common/fuzz_check.h"
#include "common/fuzz_input.h"

namespace {

unsigned HexValue(const std::string& text, unsigned mask) {
    std::size_t x = text.find('x');
    if (x == std::string::npos) x = text.find('X');
    const std::string digits = x == std::string::npos ? text : text.substr(x + 1);
    unsigned value = 0;
    for (char c : digits) {
        unsigned d = 0;
        if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
        if (c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
        value = ((value << 4) | d) & 0xFFFFFFFu;
    }
    return value & mask;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    fuzz::FuzzInput in(data, size);
    const std::string address = in.Text();
    const std::string regName = in.Text();
    const std::string text = in.Text();

    FUZZ_CHECK(commands::AddressFromText(address) == HexValue(address, 0xFFFF));
    FUZZ_CHECK(commands::DataFromText(text) == HexValue(text, 0xFF));

    const auto list = commands::SplitDataBytes("RegWrite", regName, address, text);
    FUZZ_CHECK(list.size() == commands::DataByteCount(text));
    std::string digits = text;
    if (text.find_first_of("xX") != std::string::npos)
        digits = text.size() > 2 ? text.substr(2) : std::string();
    if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
    FUZZ_CHECK(list.size() == digits.size() / 2);
    const unsigned base = HexValue(address, 0xFFFF);
    const bool hasRange = regName.find('[') != std::string::npos;
    for (std::size_t i = 0; i < list.size(); ++i) {
        FUZZ_CHECK(list[i].Addr == ((base + i) & 0xFFFF));
        FUZZ_CHECK(list[i].Data == HexValue(digits.substr(2 * i, 2), 0xFF));
        FUZZ_CHECK(list[i].OptType == "RegWrite");
        const std::string range =
            "[" + std::to_string(8 * i + 7) + ":" + std::to_string(8 * i) + "]";
        FUZZ_CHECK(list[i].RegName == (hasRange ? regName : regName + range));
        FUZZ_CHECK(HexValue(numbers::Hex(list[i].Addr, commands::kListHex), 0xFFFF) == list[i].Addr);
    }
    return 0;
}
