#include "app/core/DropPlan.h"

#include "support/core/PathUtils.h"

#include <algorithm>
#include <sys/stat.h>

namespace marrowlight {

DroppedKind KindOfDroppedPath(const std::string& path) {
    if (path.empty())
        return DroppedKind::NotLocal;
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0)
        return DroppedKind::Missing;
    if (S_ISREG(info.st_mode))
        return DroppedKind::RegularFile;
    if (S_ISDIR(info.st_mode))
        return DroppedKind::Folder;
    return DroppedKind::OtherFile;
}

DropPlan PlanDrop(const std::vector<std::string>& paths, bool openedAutomatically,
                  const std::function<DroppedKind(const std::string&)>& kindOf) {
    DropPlan plan;
    if (openedAutomatically) {
        plan.refused = true;
        return plan;
    }
    for (const std::string& path : paths) {
        const DroppedKind kind = kindOf(path);
        if (kind != DroppedKind::RegularFile) {
            plan.ignored.push_back({path, kind});
            continue;
        }
        const bool seen =
            std::any_of(plan.open.begin(), plan.open.end(),
                        [&](const std::string& each) { return SamePath(each, path); });
        if (!seen)
            plan.open.push_back(path);
    }
    return plan;
}

} // namespace marrowlight
