#include "numbers/number_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace velmor::numbers {
namespace {

// Whole numbers fit their type or give nothing; reals are finite decimal numbers.
TEST(FieldNumber, StrictReadingsRefuseWhatTheirTypeCannotHold) {
    using U = std::optional<std::uint32_t>;
    using S = std::optional<std::int32_t>;
    using R = std::optional<double>;
    const std::tuple<std::string, U, S, R> cases[] = {
        {" +42\t", 42u, 42, 42.0},
        {"4294967295", 4294967295u, {}, 4294967295.0},
        {"-2147483648", {}, -2147483647 - 1, -2147483648.0},
        {"-0.25", {}, {}, -0.25},
        {"1e3", {}, {}, 1000.0},
        {"", {}, {}, {}},
        {"+-1", {}, {}, {}},
        {"12abc", {}, {}, {}},
        {"0x10", {}, {}, {}},
        {"1,5", {}, {}, {}},
        {"inf", {}, {}, {}},
        {"1e400", {}, {}, {}},
    };
    for (const auto& [text, u, s, r] : cases) {
        EXPECT_EQ(FieldUnsigned(text), u) << text;
        EXPECT_EQ(FieldSigned(text), s) << text;
        EXPECT_EQ(FieldReal(text), r) << text;
    }
}

// A count on the command line: nothing but digits, at most nine of them.
TEST(DecimalDigits, TakeDigitsOnly) {
    const std::tuple<std::string, std::optional<std::uint32_t>> cases[] = {
        {"1", 1u},          {"65536", 65536u},  {"999999999", 999999999u},
        {"000000012", 12u}, {"0000000001", {}}, {"", {}},
        {" 1", {}},         {"1 ", {}},         {"+1", {}},
        {"0x10", {}},       {"1e3", {}},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(DecimalDigits(text), value) << text;
}

}  // namespace
}  // namespace velmor::numbers
