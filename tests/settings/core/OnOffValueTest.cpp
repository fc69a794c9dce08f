#include "settings/core/OnOffValue.h"

#include <gtest/gtest.h>
#include <optional>

namespace marrowlight {
namespace {

TEST(OnOffValue, WholeNumbersOtherThanZeroAreOnOtherTextKeepsTheDefault) {
    const struct {
        const char* stored;
        std::optional<bool> on;
    } cases[] = {
        {"1", true},
        {"0", false},
        {"2", true},
        {"-1", true},
        {"+7", true},
        {"007", true},
        {"000", false},
        {"-0", false},
        {"123456789012345678901234567890", true},
        {"", std::nullopt},
        {"yes", std::nullopt},
        {"on", std::nullopt},
        {"TRUE", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1.0", std::nullopt},
        {"0x1", std::nullopt},
        {"+", std::nullopt},
        {"+-1", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeOnOff(c.stored), c.on) << '"' << c.stored << '"';
}

} // namespace
} // namespace marrowlight
