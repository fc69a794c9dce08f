#pragma once

#include <QIcon>

namespace marrowlight {

// Indices of the image list shared by the menus and the log tabs.
namespace MenuImageIndex {
inline constexpr int OpenLog = 2;
inline constexpr int CloseLog = 5;
inline constexpr int CloseAllLogs = 6;
inline constexpr int Options = 22;
inline constexpr int Contents = 24;
inline constexpr int NewLines = 33;  // tab of the log that last received lines
inline constexpr int NormalLog = 35; // tab of a log read without trouble
inline constexpr int Exit = 36;
inline constexpr int About = 57;
inline constexpr int Unreadable = 65; // tab of a log that is missing or cannot be opened
} // namespace MenuImageIndex

// The picture for an image-list index; a null icon for an index the list lacks.
// Needs a running QGuiApplication.
QIcon MenuImage(int index);

} // namespace marrowlight
