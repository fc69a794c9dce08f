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

// The placement value name for one side: "VtMarrowlightFrm" + "Top" etc.
std::string PlacementValueName(const char* side);

// Before any stored placement: the top-right quarter of the screen.
WindowRect TopRightQuarter(int screenWidth, int screenHeight);

// The stored placement applied over `current` when all four values exist;
// a value that is not a decimal integer takes its fallback (50, 50, screen
// width - 100, screen height - 100).
WindowRect RestoredPlacement(const WindowRect& current, const StoredPlacement& stored,
                             int screenWidth, int screenHeight);

// What to store at close: a maximised window nearly fills the work area, so
// the next start opens a normal window of that size.
WindowRect PlacementToSave(bool maximized, const WindowRect& normal, const WindowRect& workArea);

// A window wholly outside every available area (a monitor since unplugged) is
// moved onto the primary area, keeping its size where it fits.
WindowRect KeptOnScreen(const WindowRect& window, const std::vector<WindowRect>& availableAreas,
                        const WindowRect& primaryArea);

// A decimal integer with an optional sign and nothing else; nullopt otherwise.
std::optional<int> ParseDecimal(const std::string& text);

} // namespace marrowlight
