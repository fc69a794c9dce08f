#include "app/core/WindowPlacement.h"

#include "support/core/TextUtils.h"

#include <algorithm>
#include <limits>

namespace marrowlight {

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

// In 64 bits: stored placements may hold any int, and their sums must not overflow.
struct Box {
    long long left, top, width, height;

    Box(long long l, long long t, long long w, long long h)
        : left(l), top(t), width(w), height(h) {}
    Box(const WindowRect& r) : Box(r.left, r.top, r.width, r.height) {}
    long long right() const { return left + width; }
    long long bottom() const { return top + height; }
};

long long Overlap(const Box& a, const Box& b) {
    const long long width = std::min(a.right(), b.right()) - std::max(a.left, b.left);
    const long long height = std::min(a.bottom(), b.bottom()) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// Whether the areas together cover the strip: each area that spans its whole
// height covers a stretch of it, and the stretches must leave no gap.
bool Covered(const Box& strip, const std::vector<WindowRect>& areas) {
    std::vector<std::pair<long long, long long>> stretches;
    for (const Box area : areas) {
        if (area.top > strip.top || area.bottom() < strip.bottom())
            continue;
        const long long from = std::max(area.left, strip.left);
        const long long to = std::min(area.right(), strip.right());
        if (from < to)
            stretches.emplace_back(from, to);
    }
    std::sort(stretches.begin(), stretches.end());
    long long reached = strip.left;
    for (const auto& [from, to] : stretches) {
        if (from > reached)
            break;
        reached = std::max(reached, to);
    }
    return reached >= strip.right();
}

// Moves [pos, pos + size) by the least amount into [areaPos, areaPos + areaSize).
long long ClampInto(long long pos, long long size, long long areaPos, long long areaSize) {
    return std::clamp(pos, areaPos, std::max(areaPos, areaPos + areaSize - size));
}

} // namespace

WindowRect KeptOnScreen(const WindowRect& window, const FrameMargins& frame,
                        const std::vector<WindowRect>& availableAreas,
                        const WindowRect& primaryArea) {
    const Box outer(Box(window).left - frame.left, Box(window).top - frame.top,
                    Box(window).width + frame.left + frame.right,
                    Box(window).height + frame.top + frame.bottom);
    if (Covered(Box(outer.left, outer.top, outer.width, std::max(1, frame.top)), availableAreas))
        return window;

    Box target(primaryArea);
    long long most = 0;
    for (const WindowRect& area : availableAreas) {
        if (const long long overlap = Overlap(outer, area); overlap > most) {
            most = overlap;
            target = area;
        }
    }
    const long long width = std::min(outer.width, target.width);
    const long long height = std::min(outer.height, target.height);
    const long long left = ClampInto(outer.left, width, target.left, target.width);
    const long long top = ClampInto(outer.top, height, target.top, target.height);
    return {int(left + frame.left), int(top + frame.top),
            int(std::max(1LL, width - frame.left - frame.right)),
            int(std::max(1LL, height - frame.top - frame.bottom))};
}

} // namespace marrowlight
