#include "autoopen/core/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

namespace marrowlight {

namespace {

DateTime ModificationTimeOf(const struct stat& st) {
    return LocalDateTimeFromUnix(st.st_mtim.tv_sec, static_cast<int>(st.st_mtim.tv_nsec / 1000000));
}

class Directory {
  public:
    explicit Directory(const std::string& folder) : dir_(::opendir(folder.c_str())) {}
    ~Directory() {
        if (dir_)
            ::closedir(dir_);
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    DIR* get() const { return dir_; }

  private:
    DIR* dir_;
};

} // namespace

std::vector<FolderEntry> ListFolder(const std::string& folder, bool withModificationTime,
                                    const NameFilter& accept) {
    std::vector<FolderEntry> entries;
    // opendir refuses a FIFO or device path (ENOTDIR) without opening it.
    const Directory dir(folder);
    if (!dir.get())
        return entries;
    const int fd = ::dirfd(dir.get());
    for (;;) {
        const dirent* entry = ::readdir(dir.get());
        if (!entry)
            break; // the end, or a read error: keep what was listed
        const std::string_view name = entry->d_name;
        if (name.empty() || name.front() == '.')
            continue;
        const unsigned char type = entry->d_type;
        if (type != DT_REG && type != DT_LNK && type != DT_UNKNOWN)
            continue;
        if (accept && !accept(name))
            continue;
        if (type == DT_REG && !withModificationTime) {
            entries.push_back({std::string(name), std::nullopt});
            continue;
        }
        struct stat st {};
        // Follows a link; a dangling link or a loop (ELOOP) fails and is left out.
        if (::fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        entries.push_back({std::string(name), withModificationTime
                                                  ? std::optional<DateTime>(ModificationTimeOf(st))
                                                  : std::nullopt});
    }
    return entries;
}

std::optional<DateTime> RegularFileModificationTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return ModificationTimeOf(st);
}

std::optional<FolderStamp> SettledFolderStamp(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    const auto ns = [](const timespec& t) { return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; };
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    constexpr int64_t SettledNs = 2'000'000'000;
    if (ns(now) - ns(st.st_mtim) < SettledNs)
        return std::nullopt;
    return FolderStamp{uint64_t(st.st_dev), uint64_t(st.st_ino), ns(st.st_mtim), ns(st.st_ctim)};
}

} // namespace marrowlight
