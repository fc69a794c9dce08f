#include "settings/core/ColorContrast.h"

#include <algorithm>
#include <cmath>

namespace marrowlight {

namespace {

// A text that is less than readable on the background may lose this little
// of its contrast under a tint; any more would leave no tint for most rows.
constexpr double KeptShare = 0.85;

struct Hsl {
    double h = 0, s = 0, l = 0; // each 0..1
};

double Channel(uint32_t rgb, int shift) {
    return double((rgb >> shift) & 0xFF) / 255.0;
}

uint32_t Pack(double r, double g, double b) {
    auto byte = [](double v) {
        return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
    };
    return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

Hsl ToHsl(uint32_t rgb) {
    const double r = Channel(rgb, 16), g = Channel(rgb, 8), b = Channel(rgb, 0);
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    Hsl out;
    out.l = (high + low) / 2;
    const double d = high - low;
    if (d <= 0)
        return out;
    out.s = out.l > 0.5 ? d / (2 - high - low) : d / (high + low);
    double h;
    if (high == r)
        h = (g - b) / d + (g < b ? 6 : 0);
    else if (high == g)
        h = (b - r) / d + 2;
    else
        h = (r - g) / d + 4;
    out.h = h / 6;
    return out;
}

double HueToChannel(double p, double q, double t) {
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

uint32_t FromHsl(const Hsl& c) {
    if (c.s <= 0)
        return Pack(c.l, c.l, c.l);
    const double q = c.l < 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s;
    const double p = 2 * c.l - q;
    return Pack(HueToChannel(p, q, c.h + 1.0 / 3), HueToChannel(p, q, c.h),
                HueToChannel(p, q, c.h - 1.0 / 3));
}

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

uint32_t Mix(uint32_t from, uint32_t to, double share) {
    auto at = [&](int shift) {
        return Channel(from, shift) + (Channel(to, shift) - Channel(from, shift)) * share;
    };
    return Pack(at(16), at(8), at(0));
}

} // namespace

uint32_t RgbOfBgr(uint32_t bgr) {
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

double RelativeLuminance(uint32_t rgb) {
    return 0.2126 * Linear(Channel(rgb, 16)) + 0.7152 * Linear(Channel(rgb, 8)) +
           0.0722 * Linear(Channel(rgb, 0));
}

double ContrastRatio(uint32_t a, uint32_t b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDarkPalette(uint32_t background, uint32_t text) {
    return RelativeLuminance(background) < RelativeLuminance(text);
}

uint32_t DrawnColor(uint32_t chosen, uint32_t background, uint32_t paletteText) {
    chosen &= 0xFFFFFF;
    return IsDarkPalette(background, paletteText) ? LightenedToRead(chosen, background) : chosen;
}

uint32_t LightenedToRead(uint32_t chosen, uint32_t background) {
    chosen &= 0xFFFFFF;
    const double backgroundLuminance = RelativeLuminance(background);
    auto readable = [&](uint32_t rgb) {
        return RelativeLuminance(rgb) >= backgroundLuminance &&
               ContrastRatio(rgb, background) >= ReadableContrast;
    };
    if (readable(chosen))
        return chosen;
    // Luminance grows with lightness at a fixed hue and saturation, so the
    // least lightness that is readable is found by halving.
    Hsl hsl = ToHsl(chosen);
    const double start = hsl.l;
    hsl.l = 1;
    if (!readable(FromHsl(hsl)))
        return 0xFFFFFF;
    double low = start, high = 1;
    for (int step = 0; step < 40; ++step) {
        hsl.l = (low + high) / 2;
        (readable(FromHsl(hsl)) ? high : low) = hsl.l;
    }
    hsl.l = high;
    return FromHsl(hsl);
}

uint32_t TintedBackground(uint32_t background, uint32_t tint, double maxShare,
                          const std::vector<uint32_t>& texts) {
    auto keepsTexts = [&](uint32_t fill) {
        for (uint32_t text : texts) {
            const double own = ContrastRatio(text, background);
            const double needed = own >= ReadableContrast ? ReadableContrast : own * KeptShare;
            if (ContrastRatio(text, fill) < needed)
                return false;
        }
        return true;
    };
    // Contrast need not fall steadily with the share (a text may lie between
    // the two colours), so shares are tried from the strongest down.
    constexpr int Steps = 32;
    for (int k = Steps; k > 0; --k) {
        const uint32_t fill = Mix(background, tint, maxShare * k / Steps);
        if (keepsTexts(fill))
            return fill;
    }
    return background & 0xFFFFFF;
}

} // namespace marrowlight
