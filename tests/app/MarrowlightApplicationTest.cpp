#include "app/MarrowlightApplication.h"

#include "settings/core/SettingsStore.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(MarrowlightApplication, FailuresOfAHandlerBecomeTheirMessage) {
    const std::pair<std::function<void()>, std::optional<QString>> cases[] = {
        {[] {}, std::nullopt},
        {[] { throw SettingsError("Failed to set data for 'Marrowlight.Group1Mnu'"); },
         QString("Failed to set data for 'Marrowlight.Group1Mnu'")},
        {[] { throw std::runtime_error("stat failed"); }, QString("stat failed")},
        {[] { throw 42; }, QString("An unexpected error occurred.")},
    };
    for (const auto& [deliver, message] : cases)
        EXPECT_EQ(CatchFailure(deliver), message);
}

} // namespace
} // namespace marrowlight
