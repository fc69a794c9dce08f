#pragma once

#include <optional>
#include <string>
#include <vector>

namespace marrowlight {

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const WindowRect&) const = default;
};

// The four stored placement texts; nullopt for a value missing from the store.
struct StoredPlacement {
    std::optional<std::string> top;
    std::optional<std::string> left;
    std::optional<std::string> width;
    std::optional<std::string> height;
};

// Before any stored placement: the top-right quarter of the screen.
WindowRect TopRightQuarter(int screenWidth, int screenHeight);

// How far the window frame (title bar, borders) reaches beyond the client
// rectangle on each side.
struct FrameMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const FrameMargins&) const = default;
};

// The margins between a frame rectangle and the client rectangle inside it.
FrameMargins MarginsBetween(const WindowRect& frame, const WindowRect& client);

// The stored client rectangle applied over `current` when all four values
// exist; a value that is not a decimal integer, or a size of 0 or less,
// takes its fallback (50, 50, screen width - 100, screen height - 100).
WindowRect RestoredPlacement(const WindowRect& current, const StoredPlacement& stored,
                             int screenWidth, int screenHeight);

// The client rectangle to store at close. A maximised window is stored so
// that its whole frame sits 5 pixels inside the work area, and the next start
// opens a normal window of nearly that size.
WindowRect PlacementToSave(bool maximized, const WindowRect& normal, const WindowRect& workArea,
                           const FrameMargins& frame);

// A window is reachable while its whole title bar lies on the work areas
// (it may span two side by side); only there can it be grabbed and moved.
// Any other window (a monitor since unplugged, an edge crossed) is moved
// wholly into the work area it overlaps most, or into the primary one when it
// overlaps none, keeping its size where that fits. `window` is the client
// rectangle; the title bar is the frame's strip above it, frame.top high
// (at least 1).
WindowRect KeptOnScreen(const WindowRect& window, const FrameMargins& frame,
                        const std::vector<WindowRect>& availableAreas,
                        const WindowRect& primaryArea);

} // namespace marrowlight
