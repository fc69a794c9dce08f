#include "app/core/WindowPlacement.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

constexpr int ScreenW = 1920;
constexpr int ScreenH = 1080;
const WindowRect Quarter = TopRightQuarter(ScreenW, ScreenH);

TEST(WindowPlacement, StartsInTheTopRightQuarter) {
    EXPECT_EQ(Quarter, (WindowRect{960, 0, 960, 540}));
    // Odd sizes: the quarter still touches the right edge.
    EXPECT_EQ(TopRightQuarter(1365, 767), (WindowRect{683, 0, 682, 383}));
}

TEST(WindowPlacement, RestoresOnlyWhenAllFourValuesExist) {
    using S = std::optional<std::string>;
    struct Case {
        const char* what;
        StoredPlacement stored;
        WindowRect expected;
    };
    const Case cases[] = {
        {"all numeric", {S("10"), S("20"), S("800"), S("600")}, {20, 10, 800, 600}},
        {"height missing", {S("10"), S("20"), S("800"), std::nullopt}, Quarter},
        {"nothing stored", {}, Quarter},
        {"width not numeric", {S("10"), S("20"), S("wide"), S("600")}, {20, 10, 1820, 600}},
        {"all unreadable", {S(""), S("x"), S("1e3"), S("12px")}, {50, 50, 1820, 980}},
        {"signs and negatives", {S("-30"), S("+40"), S("700"), S("500")}, {40, -30, 700, 500}},
        {"blank around digits", {S(" 10"), S("20"), S("800"), S("600 ")}, {20, 50, 800, 980}},
        {"too large for int", {S("10"), S("20"), S("99999999999"), S("600")}, {20, 10, 1820, 600}},
        {"zero size", {S("10"), S("20"), S("0"), S("0")}, {20, 10, 1820, 980}},
        {"negative size", {S("10"), S("20"), S("-800"), S("-1")}, {20, 10, 1820, 980}},
        {"one pixel is a size", {S("10"), S("20"), S("1"), S("1")}, {20, 10, 1, 1}},
        {"zero position is kept", {S("0"), S("0"), S("800"), S("600")}, {0, 0, 800, 600}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RestoredPlacement(Quarter, c.stored, ScreenW, ScreenH), c.expected) << c.what;
}

TEST(WindowPlacement, MaximisedWindowIsSavedSoItsFrameFitsTheWorkArea) {
    const WindowRect normal{100, 120, 640, 480};
    const FrameMargins titled{2, 30, 2, 2};
    struct Case {
        const char* what;
        WindowRect workArea;
        FrameMargins frame;
        WindowRect expected;
    };
    const Case cases[] = {
        {"no frame", {0, 0, 1920, 1040}, {}, {5, 5, 1910, 1030}},
        {"title bar and borders", {0, 0, 1920, 1040}, titled, {7, 35, 1906, 998}},
        {"panel above the work area", {0, 32, 1920, 1000}, titled, {7, 67, 1906, 958}},
        {"second screen", {1920, 0, 1280, 1024}, titled, {1927, 35, 1266, 982}},
    };
    for (const Case& c : cases) {
        const WindowRect client = PlacementToSave(true, normal, c.workArea, c.frame);
        EXPECT_EQ(client, c.expected) << c.what;
        // The frame around it lies 5 pixels inside the work area on every side.
        const WindowRect outer{client.left - c.frame.left, client.top - c.frame.top,
                               client.width + c.frame.left + c.frame.right,
                               client.height + c.frame.top + c.frame.bottom};
        EXPECT_EQ(outer, (WindowRect{c.workArea.left + 5, c.workArea.top + 5, c.workArea.width - 10,
                                     c.workArea.height - 10}))
            << c.what;
        EXPECT_EQ(PlacementToSave(false, normal, c.workArea, c.frame), normal) << c.what;
    }
}

TEST(WindowPlacement, MarginsAreMeasuredBetweenFrameAndClient) {
    EXPECT_EQ(MarginsBetween({100, 50, 804, 632}, {102, 80, 800, 600}),
              (FrameMargins{2, 30, 2, 2}));
    EXPECT_EQ(MarginsBetween({10, 10, 300, 200}, {10, 10, 300, 200}), FrameMargins{});
}

TEST(WindowPlacement, SaveAndRestoreRoundTripWithoutDrift) {
    const WindowRect workArea{0, 0, ScreenW, ScreenH};
    const FrameMargins frame{2, 30, 2, 2};
    for (const bool maximized : {false, true}) {
        const WindowRect normal{123, 45, 678, 432};
        const WindowRect saved = PlacementToSave(maximized, normal, workArea, frame);
        StoredPlacement stored{std::to_string(saved.top), std::to_string(saved.left),
                               std::to_string(saved.width), std::to_string(saved.height)};
        const WindowRect restored = RestoredPlacement(Quarter, stored, ScreenW, ScreenH);
        EXPECT_EQ(restored, saved) << maximized;
        // Closed again unmaximised, the numbers stay put.
        EXPECT_EQ(PlacementToSave(false, restored, workArea, frame), saved) << maximized;
    }
}

TEST(WindowPlacement, AWindowIsMovedUntilItsTitleBarLiesOnAWorkArea) {
    const WindowRect primary{0, 0, 1920, 1040}; // a panel along the bottom
    const WindowRect second{1920, 0, 1280, 1024};
    const std::vector<WindowRect> both{primary, second};
    const std::vector<WindowRect> onlyPrimary{primary};
    const std::vector<WindowRect> apart{{0, 0, 1000, 1000}, {1100, 0, 1000, 1000}};
    const FrameMargins frame{2, 30, 2, 2};
    const FrameMargins none{};
    struct Case {
        const char* what;
        WindowRect window;
        std::vector<WindowRect> areas;
        FrameMargins frame;
        WindowRect expected;
    };
    const Case cases[] = {
        {"on the primary", {100, 100, 800, 600}, onlyPrimary, frame, {100, 100, 800, 600}},
        {"on the second screen", {2000, 100, 800, 600}, both, frame, {2000, 100, 800, 600}},
        {"across both screens", {1500, 100, 800, 600}, both, frame, {1500, 100, 800, 600}},
        {"below the bottom, title bar on screen",
         {100, 800, 800, 600},
         onlyPrimary,
         frame,
         {100, 800, 800, 600}},
        {"past the right edge", {1800, 100, 800, 600}, onlyPrimary, frame, {1118, 100, 800, 600}},
        {"past the left edge", {-300, 100, 800, 600}, onlyPrimary, frame, {2, 100, 800, 600}},
        {"title bar above the top", {100, 10, 800, 600}, onlyPrimary, frame, {100, 30, 800, 600}},
        {"past the corner of the second screen",
         {3000, 900, 800, 600},
         both,
         frame,
         {2398, 422, 800, 600}},
        {"title bar over a gap between screens",
         {900, 100, 400, 300},
         apart,
         frame,
         {1102, 100, 400, 300}},
        {"second screen unplugged",
         {2000, 100, 800, 600},
         onlyPrimary,
         frame,
         {1118, 100, 800, 600}},
        {"far above and left", {-5000, -3000, 800, 600}, onlyPrimary, frame, {2, 30, 800, 600}},
        {"larger than the primary",
         {5000, 5000, 3000, 2000},
         onlyPrimary,
         frame,
         {2, 30, 1916, 1008}},
        {"no frame known: the top row counts",
         {100, 0, 800, 600},
         onlyPrimary,
         none,
         {100, 0, 800, 600}},
        {"no frame known, above the top",
         {100, -5, 800, 600},
         onlyPrimary,
         none,
         {100, 0, 800, 600}},
        {"far out stored values do not overflow",
         {2147483000, 2147483000, 2147483000, 1000},
         onlyPrimary,
         frame,
         {2, 38, 1916, 1000}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeptOnScreen(c.window, c.frame, c.areas, primary), c.expected) << c.what;
}

} // namespace
} // namespace marrowlight
