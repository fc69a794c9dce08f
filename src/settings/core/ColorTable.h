#pragma once

#include <array>
#include <cstdint>

namespace marrowlight {

struct ColorEntry {
    const char* name;
    std::uint32_t bgr; // 0x00BBGGRR
};

// The sixteen colours a display group can take, in list order; a stored
// colour is its position here.
const std::array<ColorEntry, 16>& ColorTable();

enum ColorIndex { kBlack = 0, kMaroon = 1, kGreen = 2, kRed = 9 };

} // namespace marrowlight
