#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace marrowlight {

// What tells one file apart from another at the same path. A file system
// may give a new file the inode of one just deleted; the birth time tells
// them apart where the file system keeps one.
struct FileIdentity {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t BirthTimeNs = 0; // 0 where the file system reports none
    bool operator==(const FileIdentity&) const = default;
};

// A log's stamp: last-write time at full resolution, size and identity. Any
// difference means the log may have changed.
struct LogStamp {
    int64_t MTimeNs = 0;
    uint64_t Size = 0;
    FileIdentity Identity;
    bool operator==(const LogStamp&) const = default;
};

// A file opened read-only; the descriptor stays open as long as the object.
class OpenFile {
  public:
    virtual ~OpenFile() = default;
    // Null when the descriptor no longer names a regular file or fstat fails.
    virtual std::optional<LogStamp> Stat() const = 0;
    // Reads up to count bytes at offset (fewer only at the end of the file);
    // -1 on a read error.
    virtual ssize_t ReadAt(uint64_t offset, void* buffer, size_t count) const = 0;
};

enum class OpenError { None, AccessDenied, Other };

struct OpenResult {
    std::shared_ptr<OpenFile> File; // null on failure
    OpenError Error = OpenError::None;
    // The file's stamp as Open saw it, when Open had it anyway: saves a
    // second fstat on every pass. Empty means ask File.
    std::optional<LogStamp> Stamp;
};

// The file system as the reading pass needs it. Tests fake failures through it.
class FileSource {
  public:
    virtual ~FileSource() = default;
    // Null when the path names no regular file (missing, folder, FIFO, socket,
    // device): such a path has no stamp.
    virtual std::optional<LogStamp> Stat(const std::string& path) const = 0;
    // Opens read-only without blocking; refuses anything but a regular file.
    virtual OpenResult Open(const std::string& path) const = 0;
};

// POSIX stat/open/pread.
class PosixFileSource : public FileSource {
  public:
    std::optional<LogStamp> Stat(const std::string& path) const override;
    OpenResult Open(const std::string& path) const override;
};

// The stamp of an open descriptor; null unless it names a regular file.
std::optional<LogStamp> StatDescriptor(int fd);

// A file read through a descriptor of its own, taken over (closed on
// failure too); refuses anything but a regular file.
OpenResult OpenDescriptor(int fd);

} // namespace marrowlight
