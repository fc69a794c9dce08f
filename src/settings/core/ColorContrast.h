#pragma once

#include <cstdint>
#include <vector>

namespace marrowlight {

// Colours here are 0xRRGGBB (ColorTable keeps 0x00BBGGRR; see RgbOfBgr).
uint32_t RgbOfBgr(uint32_t bgr);

// WCAG 2 relative luminance, 0 (black) to 1 (white).
double RelativeLuminance(uint32_t rgb);
// WCAG 2 contrast ratio, 1 to 21, whichever colour is lighter.
double ContrastRatio(uint32_t a, uint32_t b);

// What a line's colour must reach against the list's background.
inline constexpr double ReadableContrast = 4.5;

// A palette whose background is darker than its text.
bool IsDarkPalette(uint32_t background, uint32_t text);

// The colour a chosen text colour is drawn in on a list with this palette. On
// a light palette the chosen colour itself; on a dark one the variant of it
// that first reaches ReadableContrast against the background, keeping its hue
// and saturation and raising its lightness only as far as needed (the colour
// itself when it is readable already, white when no variant is).
uint32_t DrawnColor(uint32_t chosen, uint32_t background, uint32_t paletteText);
// The dark palette's case: the least lightened variant of color, same hue and
// saturation, that reaches ReadableContrast against a darker background.
uint32_t LightenedToRead(uint32_t color, uint32_t background);

// background moved toward tint by at most maxShare (0..1), only so far that
// every text colour stays readable on it: one with ReadableContrast or more on
// the background keeps ReadableContrast, one with less keeps 85% of its own.
uint32_t TintedBackground(uint32_t background, uint32_t tint, double maxShare,
                          const std::vector<uint32_t>& texts);

} // namespace marrowlight
