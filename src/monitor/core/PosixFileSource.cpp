#include "monitor/core/FileSource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace marrowlight {

namespace {

constexpr unsigned StampFields =
    STATX_TYPE | STATX_MODE | STATX_MTIME | STATX_SIZE | STATX_INO | STATX_BTIME;

std::optional<LogStamp> StampOf(const struct statx& st) {
    if (!S_ISREG(st.stx_mode))
        return std::nullopt;
    LogStamp stamp;
    stamp.MTimeNs = int64_t{st.stx_mtime.tv_sec} * 1000000000 + st.stx_mtime.tv_nsec;
    stamp.Size = st.stx_size;
    stamp.Identity.Device = makedev(st.stx_dev_major, st.stx_dev_minor);
    stamp.Identity.Inode = st.stx_ino;
    if (st.stx_mask & STATX_BTIME)
        stamp.Identity.BirthTimeNs =
            int64_t{st.stx_btime.tv_sec} * 1000000000 + st.stx_btime.tv_nsec;
    return stamp;
}

// statx of a path, or of a descriptor when path is empty. The path and its
// descriptor must give the same identity, so both go through here.
std::optional<LogStamp> StatxStamp(int dirfd, const char* path, int flags) {
    struct statx st {};
    if (::statx(dirfd, path, flags | AT_STATX_SYNC_AS_STAT, StampFields, &st) != 0)
        return std::nullopt;
    return StampOf(st);
}

class PosixOpenFile : public OpenFile {
  public:
    explicit PosixOpenFile(int fd) : fd_(fd) {}
    ~PosixOpenFile() override { ::close(fd_); }
    PosixOpenFile(const PosixOpenFile&) = delete;
    PosixOpenFile& operator=(const PosixOpenFile&) = delete;

    std::optional<LogStamp> Stat() const override { return StatxStamp(fd_, "", AT_EMPTY_PATH); }

    ssize_t ReadAt(uint64_t offset, void* buffer, size_t count) const override {
        size_t done = 0;
        auto* out = static_cast<char*>(buffer);
        while (done < count) {
            ssize_t got = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            if (got == 0)
                break;
            done += static_cast<size_t>(got);
        }
        return static_cast<ssize_t>(done);
    }

  private:
    int fd_;
};

} // namespace

std::optional<LogStamp> PosixFileSource::Stat(const std::string& path) const {
    return StatxStamp(AT_FDCWD, path.c_str(), 0);
}

OpenResult PosixFileSource::Open(const std::string& path) const {
    // Non-blocking so a FIFO swapped in after the stat cannot hang the pass.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        bool denied = errno == EACCES || errno == EPERM;
        return {nullptr, denied ? OpenError::AccessDenied : OpenError::Other, std::nullopt};
    }
    return OpenDescriptor(fd);
}

std::optional<LogStamp> StatDescriptor(int fd) {
    return StatxStamp(fd, "", AT_EMPTY_PATH);
}

OpenResult OpenDescriptor(int fd) {
    const std::optional<LogStamp> stamp = StatxStamp(fd, "", AT_EMPTY_PATH);
    if (!stamp) {
        ::close(fd);
        return {nullptr, OpenError::Other, std::nullopt};
    }
    return {std::make_shared<PosixOpenFile>(fd), OpenError::None, stamp};
}

} // namespace marrowlight
