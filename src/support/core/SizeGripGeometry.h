#pragma once

#include <cstdint>
#include <vector>

namespace marrowlight {

enum class SizeGripStyle { sgsClassic = 0, sgsWinXP = 1 };

// Side of the grip square, in pixels.
inline constexpr int GripSize = 15;

// Half-open rectangle: right and bottom are one past the last pixel.
struct GripBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool IsEmpty() const { return left >= right || top >= bottom; }
    bool Contains(int x, int y) const {
        return !IsEmpty() && x >= left && x < right && y >= top && y < bottom;
    }
    bool operator==(const GripBox&) const = default;
};

enum class GripShade { Shadow, Mid, Highlight };

struct GripPixel {
    int x = 0;
    int y = 0;
    GripShade shade = GripShade::Shadow;
    bool operator==(const GripPixel&) const = default;
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

// The grip square in the bottom-right corner of a client area; empty for an
// empty client area.
GripBox GripBoxFor(int clientWidth, int clientHeight);

// Every pixel the grip sets, in drawing order (later pixels win).
std::vector<GripPixel> GripPixels(SizeGripStyle style, const GripBox& box);

// Halfway between the target's background and the shadow, rounded down.
Rgb MidShade(Rgb background, Rgb shadow);

} // namespace marrowlight
