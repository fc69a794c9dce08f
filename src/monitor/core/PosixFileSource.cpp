#include "monitor/core/FileSource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marrowlight {

namespace {

std::optional<LogStamp> StampOf(const struct stat& st) {
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    LogStamp stamp;
    stamp.MTimeNs = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    stamp.Size = static_cast<uint64_t>(st.st_size);
    stamp.Identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return stamp;
}

class PosixOpenFile : public OpenFile {
  public:
    explicit PosixOpenFile(int fd) : fd_(fd) {}
    ~PosixOpenFile() override { ::close(fd_); }
    PosixOpenFile(const PosixOpenFile&) = delete;
    PosixOpenFile& operator=(const PosixOpenFile&) = delete;

    std::optional<LogStamp> Stat() const override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0)
            return std::nullopt;
        return StampOf(st);
    }

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
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return StampOf(st);
}

OpenResult PosixFileSource::Open(const std::string& path) const {
    // Non-blocking so a FIFO swapped in after the stat cannot hang the pass.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        bool denied = errno == EACCES || errno == EPERM;
        return {nullptr, denied ? OpenError::AccessDenied : OpenError::Other, std::nullopt};
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {nullptr, OpenError::Other, std::nullopt};
    }
    return {std::make_shared<PosixOpenFile>(fd), OpenError::None, StampOf(st)};
}

} // namespace marrowlight
