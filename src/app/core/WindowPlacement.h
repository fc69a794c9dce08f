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

// A window wholly outside every available area (a monitor since unplugged) is
// moved onto the primary area, keeping its size where it fits.
WindowRect KeptOnScreen(const WindowRect& window, const std::vector<WindowRect>& availableAreas,
                        const WindowRect& primaryArea);

} // namespace marrowlight
