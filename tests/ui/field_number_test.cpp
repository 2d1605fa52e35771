#include "ui/field_number.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace velmor::ui {
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

}  // namespace
}  // namespace velmor::ui
