#pragma once

#include <QIcon>

namespace marrowlight {

// The image list shared by the menus and the log tabs, by the indices the
// images have always had.
enum class MenuImageIndex {
    OpenLog = 2,
    CloseLog = 5,
    CloseAllLogs = 6,
    Options = 22,
    Contents = 24,
    NewLines = 33,  // tab of the log that last received lines
    NormalLog = 35, // tab of a log read without trouble
    Exit = 36,
    About = 57,
    Unreadable = 65, // tab of a log that is missing or cannot be opened
};

// The picture for an image of the list. Needs a running QGuiApplication.
QIcon MenuImage(MenuImageIndex index);

} // namespace marrowlight
