// The strict field readings: what each accepts, and what it refuses instead of
// wrapping or saturating.

#include "ui/field_number.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>

namespace velmor::ui {
namespace {

TEST(FieldNumber, WholeNumbersFitTheirTypeOrGiveNothing) {
    struct Case {
        std::string text;
        std::optional<std::uint32_t> unsignedValue;
        std::optional<std::int32_t> signedValue;
    };
    const Case cases[] = {
        {"0", 0u, 0},
        {" +42\t", 42u, 42},
        {"4294967295", 4294967295u, std::nullopt},
        {"4294967296", std::nullopt, std::nullopt},
        {"2147483647", 2147483647u, 2147483647},
        {"-2147483648", std::nullopt, -2147483647 - 1},
        {"-1", std::nullopt, -1},
        {"", std::nullopt, std::nullopt},
        {"+", std::nullopt, std::nullopt},
        {"+-1", std::nullopt, std::nullopt},
        {"12abc", std::nullopt, std::nullopt},
        {"1.5", std::nullopt, std::nullopt},
        {"0x10", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FieldUnsigned(c.text), c.unsignedValue) << c.text;
        EXPECT_EQ(FieldSigned(c.text), c.signedValue) << c.text;
    }
}

TEST(FieldNumber, RealsAreFiniteDecimalNumbersWhateverTheLocale) {
    // A toolkit may switch the C locale to one with a decimal comma.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(FieldReal("1.5"), 1.5);
    EXPECT_EQ(FieldReal(" -0.25 "), -0.25);
    EXPECT_EQ(FieldReal("+1e3"), 1000.0);
    EXPECT_EQ(FieldReal(".5"), 0.5);
    for (const char* bad : {"", "1,5", "abc", "nan", "inf", "1e400", "0x1p3", "1.5x", "--1"})
        EXPECT_EQ(FieldReal(bad), std::nullopt) << bad;
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace velmor::ui
