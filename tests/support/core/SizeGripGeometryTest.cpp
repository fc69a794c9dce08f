#include "support/core/SizeGripGeometry.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <utility>

namespace marrowlight {
namespace {

TEST(SizeGripGeometry, GripSquareHitTest) {
    const GripBox box = GripBoxFor(100, 80);
    EXPECT_EQ(box, (GripBox{85, 65, 100, 80}));

    const struct {
        int x, y;
        bool inside;
    } cases[] = {
        {85, 65, true},   // top-left corner of the square, 15 left of the right edge
        {99, 79, true},   // last pixel of the client area
        {92, 72, true},   //
        {100, 79, false}, // on the right edge
        {99, 80, false},  // on the bottom edge
        {84, 70, false},  // one left of the square
        {90, 64, false},  // one above the square
        {-1, -1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(box.Contains(c.x, c.y), c.inside) << c.x << "," << c.y;

    EXPECT_TRUE(GripBoxFor(0, 80).IsEmpty());
    EXPECT_TRUE(GripBoxFor(100, 0).IsEmpty());
    EXPECT_FALSE(GripBox{}.Contains(0, 0));
}

std::map<std::pair<int, int>, GripShade> Paint(SizeGripStyle style, const GripBox& box) {
    std::map<std::pair<int, int>, GripShade> canvas;
    for (const GripPixel& p : GripPixels(style, box))
        canvas[{p.x, p.y}] = p.shade;
    return canvas;
}

TEST(SizeGripGeometry, ClassicRidgesAndWinXPDots) {
    const GripBox box = GripBoxFor(60, 50); // right 60, bottom 50
    const struct {
        SizeGripStyle style;
        std::size_t pixelCount;
        int x, y;
        std::optional<GripShade> shade;
    } cases[] = {
        // Ridge stripes run up-right from the bottom row; the end point is left out.
        {SizeGripStyle::sgsClassic, 63, 58, 49, GripShade::Shadow},
        {SizeGripStyle::sgsClassic, 63, 59, 48, GripShade::Shadow},
        {SizeGripStyle::sgsClassic, 63, 57, 49, GripShade::Mid},
        {SizeGripStyle::sgsClassic, 63, 56, 49, GripShade::Highlight},
        {SizeGripStyle::sgsClassic, 63, 48, 49, GripShade::Highlight},
        {SizeGripStyle::sgsClassic, 63, 59, 38, GripShade::Highlight},
        {SizeGripStyle::sgsClassic, 63, 59, 49, std::nullopt},
        {SizeGripStyle::sgsClassic, 63, 60, 47, std::nullopt},
        {SizeGripStyle::sgsClassic, 63, 47, 49, std::nullopt},
        // Six dots of seven pixels each.
        {SizeGripStyle::sgsWinXP, 42, 56, 38, GripShade::Shadow},
        {SizeGripStyle::sgsWinXP, 42, 57, 39, GripShade::Mid},
        {SizeGripStyle::sgsWinXP, 42, 58, 40, GripShade::Highlight},
        {SizeGripStyle::sgsWinXP, 42, 48, 46, GripShade::Shadow},
        {SizeGripStyle::sgsWinXP, 42, 58, 48, GripShade::Highlight},
        {SizeGripStyle::sgsWinXP, 42, 59, 49, std::nullopt},
        {SizeGripStyle::sgsWinXP, 42, 52, 38, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto canvas = Paint(c.style, box);
        EXPECT_EQ(canvas.size(), c.pixelCount); // no pixel drawn twice
        const auto found = canvas.find({c.x, c.y});
        const std::optional<GripShade> shade =
            found == canvas.end() ? std::nullopt : std::optional(found->second);
        EXPECT_EQ(shade, c.shade) << static_cast<int>(c.style) << " " << c.x << "," << c.y;
    }
    for (auto style : {SizeGripStyle::sgsClassic, SizeGripStyle::sgsWinXP})
        for (const GripPixel& p : GripPixels(style, box))
            EXPECT_TRUE(box.Contains(p.x, p.y)) << p.x << "," << p.y;
    EXPECT_TRUE(GripPixels(SizeGripStyle::sgsClassic, GripBox{}).empty());
}

TEST(SizeGripGeometry, MidShadeRoundsDownPerChannel) {
    EXPECT_EQ(MidShade({240, 240, 240}, {160, 160, 160}), (Rgb{200, 200, 200}));
    EXPECT_EQ(MidShade({255, 0, 1}, {0, 255, 2}), (Rgb{127, 127, 1}));
}

} // namespace
} // namespace marrowlight
