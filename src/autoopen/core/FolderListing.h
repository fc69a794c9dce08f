#pragma once

#include "support/core/Clock.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

struct FolderEntry {
    std::string Name;
    // Local last-write time; only when asked for.
    std::optional<DateTime> ModificationTime;
};

using NameFilter = std::function<bool(std::string_view name)>;

// The regular files of one folder, in the order the file system gives them,
// from one read of the directory. Hidden names (a leading ".") and
// everything that is not a regular file (folders, FIFOs, sockets, devices)
// are left out; a symbolic link counts as what it points to. Subfolders are
// not searched. Names `accept` turns down are dropped before any stat, so a
// stat is spent only on the entries kept, and only on those whose type the
// directory did not tell (links, file systems without entry types) or whose
// time is wanted. A folder that is missing, unreadable or no folder lists
// nothing.
std::vector<FolderEntry> ListFolder(const std::string& folder, bool withModificationTime,
                                    const NameFilter& accept = {});

// What tells that a folder gained, lost or renamed an entry.
struct FolderStamp {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t ModifiedNs = 0;
    int64_t ChangedNs = 0;
    bool operator==(const FolderStamp&) const = default;
};

// The folder's stamp, or nothing when it cannot be looked at or changed so
// lately that a later change could keep the same time (file systems keep
// coarse times).
std::optional<FolderStamp> SettledFolderStamp(const std::string& folder);

// One stat, following links: the local last-write time of the regular file
// at the path, or nothing when the path names no regular file.
std::optional<DateTime> RegularFileModificationTime(const std::string& path);

} // namespace marrowlight
