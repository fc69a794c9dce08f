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

// List positions of the colours the groups start with, and of the fallback.
struct ColorIndex {
    static constexpr int Black = 0, Maroon = 1, Green = 2, Red = 9;
};

} // namespace marrowlight
