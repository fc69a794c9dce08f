#include "shell/core/WindowPlacement.h"

#include <algorithm>
#include <charconv>

namespace marrowlight {

std::string PlacementValueName(const char* side) {
    return std::string("VtMarrowlightFrm") + side;
}

WindowRect TopRightQuarter(int screenWidth, int screenHeight) {
    const int width = screenWidth / 2;
    const int height = screenHeight / 2;
    return {screenWidth - width, 0, width, height};
}

std::optional<int> ParseDecimal(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    // from_chars accepts a lone "-" prefix only before digits, which is what we want.
    int value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end)
        return std::nullopt;
    return value;
}

WindowRect RestoredPlacement(const WindowRect& current, const StoredPlacement& stored,
                             int screenWidth, int screenHeight) {
    if (!stored.top || !stored.left || !stored.width || !stored.height)
        return current;
    return {ParseDecimal(*stored.left).value_or(50), ParseDecimal(*stored.top).value_or(50),
            ParseDecimal(*stored.width).value_or(screenWidth - 100),
            ParseDecimal(*stored.height).value_or(screenHeight - 100)};
}

WindowRect PlacementToSave(bool maximized, const WindowRect& normal, const WindowRect& workArea) {
    if (maximized)
        return {5, 5, workArea.width - 10, workArea.height - 10};
    return normal;
}

namespace {

bool Overlaps(const WindowRect& a, const WindowRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// Moves [pos, pos + size) by the least amount into [areaPos, areaPos + areaSize).
int ClampInto(int pos, int size, int areaPos, int areaSize) {
    return std::clamp(pos, areaPos, std::max(areaPos, areaPos + areaSize - size));
}

} // namespace

WindowRect KeptOnScreen(const WindowRect& window, const std::vector<WindowRect>& availableAreas,
                        const WindowRect& primaryArea) {
    for (const WindowRect& area : availableAreas)
        if (Overlaps(window, area))
            return window;
    WindowRect moved = window;
    moved.width = std::min(window.width, primaryArea.width);
    moved.height = std::min(window.height, primaryArea.height);
    moved.left = ClampInto(window.left, moved.width, primaryArea.left, primaryArea.width);
    moved.top = ClampInto(window.top, moved.height, primaryArea.top, primaryArea.height);
    return moved;
}

} // namespace marrowlight
