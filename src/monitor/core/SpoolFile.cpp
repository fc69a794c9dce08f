#include "monitor/core/SpoolFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace marrowlight {

namespace {

// The free space is looked at again after this many bytes: often enough
// that another writer filling the disk meanwhile is noticed in time.
constexpr uint64_t SpaceCheckBytes = uint64_t{64} << 20;

int MakeUnnamedFile(const std::string& folder, std::string& error) {
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    // Some file systems have no unnamed files: a named one, unlinked at once.
    std::string name = folder + "/marrowlight-spool-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "No temporary file in " + folder + ": " + std::strerror(errno);
        return -1;
    }
    ::unlink(name.c_str());
    return fd;
}

} // namespace

std::string SpoolFile::DefaultFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? std::string(tmp) : std::string("/tmp");
}

std::unique_ptr<SpoolFile> SpoolFile::Create(std::string& error, const std::string& folder) {
    const int fd = MakeUnnamedFile(folder.empty() ? DefaultFolder() : folder, error);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<SpoolFile> spool(new SpoolFile(fd));
    spool->folder_ = folder.empty() ? DefaultFolder() : folder;
    return spool;
}

SpoolFile::SpoolFile(int fd) : fd_(fd) {
    spaceLimit_ = SpaceLimit();
}

SpoolFile::~SpoolFile() {
    ::close(fd_);
}

uint64_t SpoolFile::SpaceLimit() const {
    struct statvfs fs {};
    if (::fstatvfs(fd_, &fs) != 0)
        return Size(); // unknown: nothing more
    const uint64_t total = uint64_t{fs.f_blocks} * fs.f_frsize;
    const uint64_t free = uint64_t{fs.f_bavail} * fs.f_frsize;
    const uint64_t reserve = std::max(ReserveBytes, total / 100 * ReservePercent);
    // Gathered bytes are not on the disk yet, and take space when written.
    const uint64_t buffered = used_;
    return free > reserve + buffered ? written_ + free - reserve : written_;
}

bool SpoolFile::Fail(std::string why) {
    if (failure_.empty())
        failure_ = std::move(why);
    return false;
}

bool SpoolFile::Append(std::string_view bytes) {
    if (!failure_.empty())
        return false;
    if (bytes.empty())
        return true;
    const uint64_t after = Size() + bytes.size();
    if (after > limit_)
        return Fail("it reached its size limit");
    if (after > spaceLimit_ || after - spaceCheckedAt_ > SpaceCheckBytes) {
        spaceLimit_ = SpaceLimit();
        spaceCheckedAt_ = Size();
        if (after > spaceLimit_)
            return Fail("the temporary folder " + folder_ + " is nearly full");
    }
    lastByte_ = bytes.back();
    if (buffer_ && bytes.data() == buffer_.get() + used_ && bytes.size() <= BufferBytes - used_) {
        used_ += bytes.size(); // made in the room: already in place
        return true;
    }
    if (used_ + bytes.size() > BufferBytes && !Flush())
        return false;
    if (bytes.size() >= BufferBytes)
        return Write(bytes);
    if (!buffer_)
        buffer_ = std::make_unique_for_overwrite<char[]>(BufferBytes); // pages taken as written
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    return true;
}

std::span<char> SpoolFile::Room(size_t least) {
    if (!failure_.empty() || least > BufferBytes / 2)
        return {};
    if (BufferBytes - used_ < least && !Flush())
        return {};
    if (!buffer_)
        buffer_ = std::make_unique_for_overwrite<char[]>(BufferBytes); // pages taken as written
    return {buffer_.get() + used_, std::min(BufferBytes - used_, BufferBytes / 2)};
}

bool SpoolFile::Flush() {
    const size_t used = std::exchange(used_, 0);
    return Write({buffer_.get(), used});
}

void SpoolFile::Release() {
    if (used_ == 0)
        buffer_.reset();
}

bool SpoolFile::Write(std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                     static_cast<off_t>(written_ + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            // What was written stays; the reader sees no half line of it,
            // as a line needs its end.
            written_ += done;
            return Fail(std::string("writing the temporary file failed: ") + std::strerror(errno));
        }
        done += static_cast<size_t>(got);
    }
    written_ += done;
    return true;
}

} // namespace marrowlight
