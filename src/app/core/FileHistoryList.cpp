#include "app/core/FileHistoryList.h"

#include "support/core/PathUtils.h"
#include "support/core/TextUtils.h"

#include <algorithm>
#include <utility>

namespace marrowlight {

FileHistoryList::FileHistoryList(std::vector<std::string> stored, std::size_t capacity)
    : capacity_(capacity) {
    for (std::string& path : stored)
        if (entries_.size() < capacity_ && !TrimText(path).empty())
            entries_.push_back(std::move(path));
}

bool FileHistoryList::AddFile(const std::string& path) {
    if (TrimText(path).empty() || capacity_ == 0)
        return false;
    const bool listed =
        std::any_of(entries_.begin(), entries_.end(),
                    [&](const std::string& entry) { return SamePath(entry, path); });
    if (listed)
        return false;
    if (entries_.size() >= capacity_)
        entries_.resize(capacity_ - 1);
    entries_.insert(entries_.begin(), path);
    return true;
}

} // namespace marrowlight
