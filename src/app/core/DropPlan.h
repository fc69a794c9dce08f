#pragma once

#include <functional>
#include <string>
#include <vector>

namespace marrowlight {

// What a dropped path names, as far as opening it as a log goes.
enum class DroppedKind {
    RegularFile,
    Folder,
    OtherFile, // a FIFO, device or socket: reading it could block or never end
    Missing,
    NotLocal, // an item that is no local file (an empty path)
};

// Follows symbolic links: a link to a log opens the log.
DroppedKind KindOfDroppedPath(const std::string& path);

struct IgnoredDrop {
    std::string path;
    DroppedKind kind;
};

// What a drop on the main window does.
struct DropPlan {
    // Logs are opened and closed automatically: nothing opens, as the File
    // commands are off then too.
    bool refused = false;
    std::vector<std::string> open; // in drop order; the last one ends up active
    std::vector<IgnoredDrop> ignored;
};

// Splits dropped paths into those opened as logs (regular files only) and
// those ignored. A path dropped twice is opened once.
DropPlan PlanDrop(const std::vector<std::string>& paths, bool openedAutomatically,
                  const std::function<DroppedKind(const std::string&)>& kindOf = KindOfDroppedPath);

} // namespace marrowlight
