#include "settings/core/ColorContrast.h"

#include "settings/core/ColorTable.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

// Hue in degrees and HSL saturation, worked out here the textbook way.
struct HueSat {
    double hue = 0, sat = 0;
};
HueSat HueOf(uint32_t rgb) {
    const double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0,
                 b = (rgb & 0xFF) / 255.0;
    const double high = std::max({r, g, b}), low = std::min({r, g, b}), d = high - low;
    if (d == 0)
        return {};
    const double l = (high + low) / 2;
    double h = high == r   ? std::fmod((g - b) / d + 6, 6)
               : high == g ? (b - r) / d + 2
                           : (r - g) / d + 4;
    return {h * 60, l > 0.5 ? d / (2 - high - low) : d / (high + low)};
}

double Lightness(uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return (std::max({r, g, b}) + std::min({r, g, b})) / 510.0;
}

TEST(ColorContrast, KnownRatios) {
    EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0xFFFFFF, 0x000000), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0x777777, 0xFFFFFF), 4.48, 0.01);
    EXPECT_NEAR(ContrastRatio(0xFF0000, 0xFFFFFF), 4.0, 0.01);
    EXPECT_EQ(RgbOfBgr(0x0000FF), 0xFF0000u); // Red as the table keeps it
}

// Every colour a group can take, on a light and on two dark palettes.
TEST(ColorContrast, GroupColoursAreDrawnReadableOnEitherPalette) {
    struct Palette {
        const char* name;
        uint32_t base, text;
        bool dark;
    } palettes[] = {
        {"light", 0xFFFFFF, 0x000000, false},
        {"Breeze Dark", 0x1B1E20, 0xFCFCFC, true},
        {"grey dark", 0x3C3C3C, 0xE0E0E0, true},
    };
    for (const Palette& p : palettes) {
        EXPECT_EQ(IsDarkPalette(p.base, p.text), p.dark) << p.name;
        for (const ColorEntry& entry : ColorTable()) {
            const uint32_t chosen = RgbOfBgr(entry.bgr);
            const uint32_t drawn = DrawnColor(chosen, p.base, p.text);
            const std::string what = std::string(p.name) + " " + entry.name;
            if (!p.dark) {
                EXPECT_EQ(drawn, chosen) << what;
                continue;
            }
            const double contrast = ContrastRatio(drawn, p.base);
            EXPECT_GE(contrast, ReadableContrast) << what;
            if (ContrastRatio(chosen, p.base) >= ReadableContrast &&
                Lightness(chosen) > Lightness(p.base)) {
                EXPECT_EQ(drawn, chosen) << what;
                continue;
            }
            // Lighter, only as far as needed, and the same colour otherwise.
            EXPECT_GT(Lightness(drawn), Lightness(chosen)) << what;
            EXPECT_LT(contrast, ReadableContrast + 0.25) << what;
            const HueSat was = HueOf(chosen), is = HueOf(drawn);
            if (was.sat > 0) {
                EXPECT_NEAR(is.hue, was.hue, 2.0) << what;
                EXPECT_NEAR(is.sat, was.sat, 0.03) << what;
            } else {
                EXPECT_EQ(is.sat, 0.0) << what;
            }
        }
    }
}

TEST(ColorContrast, NoVariantIsReadableOnAMidGreyBackgroundSoWhiteIsDrawn) {
    EXPECT_EQ(DrawnColor(0x000080, 0x808080, 0xFFFFFF), 0xFFFFFFu);
}

TEST(ColorContrast, TintsKeepEveryTextReadable) {
    struct Case {
        uint32_t base, tint;
        std::vector<uint32_t> texts;
        double share; // of the tint that should be reached, about
    } cases[] = {
        // Black and dark colours leave room for the whole tint.
        {0xFFFFFF, 0x3DAEE9, {0x000000, 0x800000}, 0.3},
        // Red on white (4:1) may lose a little, so a light tint remains.
        {0xFFFFFF, 0x3DAEE9, {0x000000, 0xFF0000}, 0.1},
        // Green (5.1:1) must stay at 4.5:1.
        {0xFFFFFF, 0x3DAEE9, {0x008000}, 0.05},
        {0x1B1E20, 0x3DAEE9, {0xFCFCFC, 0x4CE64C}, 0.2},
        // Grey on grey has no contrast to lose.
        {0x808080, 0xFFC107, {0x808080}, 0.3},
    };
    for (const Case& c : cases) {
        const uint32_t fill = TintedBackground(c.base, c.tint, 0.3, c.texts);
        // How far the fill moved from the background, against the tint at
        // the expected share and at the whole allowed share (no text to keep).
        const double moved = ContrastRatio(fill, c.base);
        EXPECT_GE(moved, ContrastRatio(TintedBackground(c.base, c.tint, c.share, {}), c.base))
            << std::hex << c.base << " " << c.tint;
        EXPECT_LE(moved, ContrastRatio(TintedBackground(c.base, c.tint, 0.3, {}), c.base));
        for (uint32_t text : c.texts) {
            const double own = ContrastRatio(text, c.base);
            EXPECT_GE(ContrastRatio(text, fill),
                      own >= ReadableContrast ? ReadableContrast : own * 0.85)
                << std::hex << text;
        }
    }
}

} // namespace
} // namespace marrowlight
