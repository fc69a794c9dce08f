#include "settings/core/OnOffValue.h"

#include <gtest/gtest.h>
#include <optional>

namespace marrowlight {
namespace {

TEST(OnOffValue, WholeNumbersOtherThanZeroAreOnEmptyKeepsTheDefault) {
    const struct {
        const char* stored;
        std::optional<bool> on;
    } cases[] = {
        {"1", true},        {"0", false},   {"2", true},
        {"-1", true},       {"+7", true},   {"007", true},
        {"000", false},     {"-0", false},  {"123456789012345678901234567890", true},
        {"", std::nullopt}, {"yes", false}, {"TRUE", false},
        {" 1", false},      {"1 ", false},  {"1.0", false},
        {"0x1", false},     {"+", false},   {"+-1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeOnOff(c.stored), c.on) << '"' << c.stored << '"';
}

} // namespace
} // namespace marrowlight
