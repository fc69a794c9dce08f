#pragma once

#include <QIcon>

namespace marrowlight {

// The icon of Marrowlight's windows, drawn from the SVG that is also
// installed into the desktop's icon theme; null when no SVG support is found.
QIcon MarrowlightIcon();

// The desktop file's name without ".desktop": a Wayland compositor matches
// windows to their launcher by it.
inline constexpr char DesktopFileId[] = "com.veltaroon.Marrowlight";

// Gives every window of the application the icon (a dialog without its own
// takes the application's) and names the desktop file.
void SetDesktopIdentity();

} // namespace marrowlight
