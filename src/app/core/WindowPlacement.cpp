#include "app/core/WindowPlacement.h"

#include "support/core/TextUtils.h"

#include <algorithm>
#include <limits>

namespace marrowlight {

std::string PlacementValueName(const char* side) {
    return std::string("VtMarrowlightFrm") + side;
}

WindowRect TopRightQuarter(int screenWidth, int screenHeight) {
    const int width = screenWidth / 2;
    const int height = screenHeight / 2;
    return {screenWidth - width, 0, width, height};
}

namespace {

std::optional<int> StoredInt(const std::string& text) {
    const std::optional<long long> value = ParseDecimal(text);
    if (!value || *value < std::numeric_limits<int>::min() ||
        *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

// A size of 0 or less would give a window too small to use, saved again at exit.
std::optional<int> StoredSize(const std::string& text) {
    const std::optional<int> size = StoredInt(text);
    return size && *size > 0 ? size : std::nullopt;
}

} // namespace

FrameMargins MarginsBetween(const WindowRect& frame, const WindowRect& client) {
    const int left = client.left - frame.left;
    const int top = client.top - frame.top;
    return {left, top, frame.width - client.width - left, frame.height - client.height - top};
}

WindowRect RestoredPlacement(const WindowRect& current, const StoredPlacement& stored,
                             int screenWidth, int screenHeight) {
    if (!stored.top || !stored.left || !stored.width || !stored.height)
        return current;
    return {StoredInt(*stored.left).value_or(50), StoredInt(*stored.top).value_or(50),
            StoredSize(*stored.width).value_or(screenWidth - 100),
            StoredSize(*stored.height).value_or(screenHeight - 100)};
}

WindowRect PlacementToSave(bool maximized, const WindowRect& normal, const WindowRect& workArea,
                           const FrameMargins& frame) {
    if (!maximized)
        return normal;
    // Placement is restored as the client rectangle; the frame goes around it.
    return {workArea.left + 5 + frame.left, workArea.top + 5 + frame.top,
            workArea.width - 10 - frame.left - frame.right,
            workArea.height - 10 - frame.top - frame.bottom};
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
