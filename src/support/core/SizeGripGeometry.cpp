#include "support/core/SizeGripGeometry.h"

namespace marrowlight {

namespace {

// One ridge stripe: a 45-degree line from (right - k, bottom - 1) up to
// (right, bottom - 1 - k), the end point left out.
void AddStripe(std::vector<GripPixel>& out, const GripBox& box, int k, GripShade shade) {
    for (int i = 0; i < k; ++i)
        out.push_back({box.right - k + i, box.bottom - 1 - i, shade});
}

void AddClassic(std::vector<GripPixel>& out, const GripBox& box) {
    const struct {
        int a;
        GripShade shade;
    } passes[] = {{2, GripShade::Shadow}, {3, GripShade::Mid}, {4, GripShade::Highlight}};
    for (const auto& pass : passes)
        for (int k = pass.a; k <= pass.a + 8; k += 4)
            AddStripe(out, box, k, pass.shade);
}

void AddDot(std::vector<GripPixel>& out, int x, int y) {
    out.push_back({x, y, GripShade::Shadow});
    out.push_back({x + 1, y, GripShade::Shadow});
    out.push_back({x, y + 1, GripShade::Shadow});
    out.push_back({x + 1, y + 1, GripShade::Mid});
    out.push_back({x + 2, y + 1, GripShade::Highlight});
    out.push_back({x + 1, y + 2, GripShade::Highlight});
    out.push_back({x + 2, y + 2, GripShade::Highlight});
}

void AddWinXP(std::vector<GripPixel>& out, const GripBox& box) {
    const int offsets[][2] = {{4, 12}, {8, 8}, {4, 8}, {12, 4}, {8, 4}, {4, 4}};
    for (const auto& o : offsets)
        AddDot(out, box.right - o[0], box.bottom - o[1]);
}

} // namespace

GripBox GripBoxFor(int clientWidth, int clientHeight) {
    if (clientWidth <= 0 || clientHeight <= 0)
        return {};
    return {clientWidth - GripSize, clientHeight - GripSize, clientWidth, clientHeight};
}

std::vector<GripPixel> GripPixels(SizeGripStyle style, const GripBox& box) {
    std::vector<GripPixel> out;
    if (box.IsEmpty())
        return out;
    if (style == SizeGripStyle::sgsWinXP)
        AddWinXP(out, box);
    else
        AddClassic(out, box);
    return out;
}

Rgb MidShade(Rgb background, Rgb shadow) {
    auto half = [](int a, int b) { return static_cast<std::uint8_t>((a + b) / 2); };
    return {half(background.r, shadow.r), half(background.g, shadow.g),
            half(background.b, shadow.b)};
}

} // namespace marrowlight
