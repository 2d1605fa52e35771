// Hexadecimal texts in the forms the places of the program write them, against the
// C library's printf with each place's own format; and the strict readings.

#include "numbers/hex_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace velmor::numbers {
namespace {

// Every style a place of the program uses, with the printf format it replaced.
TEST(Hex, WritesEachPlacesFormAsPrintfDoes) {
    struct Form {
        HexStyle style;
        const char* printf;
    };
    const Form forms[] = {
        {{}, "%X"},
        {{.upper = false}, "%x"},                   // command lists
        {{.digits = 2}, "%02X"},                    // dumps, version texts, verify bytes
        {{.digits = 2, .upper = false}, "%02x"},    // panel frames
        {{.digits = 4, .upper = false}, "%04x"},    // USB IDs
        {{.digits = 2, .prefix = true}, "0x%02X"},  // status bytes, endpoints
        {{.digits = 3, .prefix = true}, "0x%03X"},  // image offsets
        {{.digits = 4, .prefix = true}, "0x%04X"},  // register addresses, CRCs
        {{.digits = 6}, "%06X"},                    // flash dump addresses
    };
    const std::uint32_t values[] = {0,     1,      0xF,    0x10,    0xAB,
                                    0xFFF, 0x1000, 0xFFFF, 0x12345, 0xFFFFFFFF};
    for (const Form& form : forms) {
        for (const std::uint32_t value : values) {
            char expected[32];
            std::snprintf(expected, sizeof expected, form.printf, value);
            EXPECT_EQ(Hex(value, form.style), expected) << form.printf << " " << value;
        }
    }
    const std::uint8_t frame[] = {0x0A, 0xFF, 0x00};
    EXPECT_EQ(HexBytes(frame, {.digits = 2, .upper = false}), "0aff00");
    EXPECT_EQ(HexBytes(frame, {.digits = 2}, " "), "0A FF 00");
    EXPECT_EQ(HexBytes({}), "");
}

// The syntax of a USB ID beside the command line's: no "0x", four digits at most.
TEST(ParseHex, ReadsTheWholeTextOrNothing) {
    const HexSyntax id{.maxDigits = 4, .prefix = false};
    struct Case {
        const char* text;
        HexSyntax syntax;
        std::optional<std::uint32_t> value;
    };
    const Case cases[] = {
        {"5a17", id, 0x5A17},           {"F1", id, 0xF1},
        {"0x12", id, std::nullopt},     {"12345", id, std::nullopt},
        {"", id, std::nullopt},         {" 12", id, std::nullopt},
        {"0x12345678", {}, 0x12345678}, {"FFFFFFFF", {}, 0xFFFFFFFF},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseHex(c.text, c.syntax), c.value) << c.text;
}

struct HexCase {
    const char* text;
    std::uint32_t max;
    bool ok;
    std::uint32_t value;
};

TEST(ParseHexNumber, AcceptsOnlyWholeHexNumbersInRange) {
    const std::vector<HexCase> cases = {
        {"4000", 0xFFFF, true, 0x4000},
        {"0x40ff", 0xFFFF, true, 0x40FF},
        {"0XaB", 0xFF, true, 0xAB},
        {"FFFF", 0xFFFF, true, 0xFFFF},
        {"10000", 0xFFFF, false, 0},
        {"", 0xFF, false, 0},
        {"0x", 0xFF, false, 0},
        {"12 ", 0xFF, false, 0},
        {"-1", 0xFF, false, 0},
        {"x12", 0xFF, false, 0},
        {"123456789", 0xFFFFFFFF, false, 0},
    };
    for (const auto& c : cases) {
        std::uint32_t value = 0;
        EXPECT_EQ(ParseHexNumber(c.text, c.max, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

}  // namespace
}  // namespace velmor::numbers
