#pragma once

#include "monitor/core/LineProducer.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace marrowlight {

// An unnamed temporary file that a producer's text is appended to and that
// the reader follows as any log. Nobody else can open it by a name, and the
// system removes it when the last descriptor closes, so no spool is left
// behind after a crash.
//
// It never fills its folder: an append fails once the spool would pass its
// limit (SetLimit) or leave the file system less than a reserve of free
// space, whichever comes first.
class SpoolFile : public TextSink {
  public:
    // Bytes gathered before they are written.
    static constexpr size_t BufferBytes = size_t{1} << 20;
    // The free space an append never takes: the larger of these two.
    static constexpr uint64_t ReserveBytes = uint64_t{256} << 20;
    static constexpr unsigned ReservePercent = 5;

    // A spool in folder ($TMPDIR, else /tmp, when empty); null when none
    // could be made, with the reason in error.
    static std::unique_ptr<SpoolFile> Create(std::string& error, const std::string& folder = {});
    // The folder Create uses by default.
    static std::string DefaultFolder();

    ~SpoolFile() override;
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    bool Append(std::string_view bytes) override;
    uint64_t Size() const override { return written_ + used_; }
    // Up to BufferBytes / 2 bytes.
    std::span<char> Room(size_t least) override;

    // Writes what is gathered, so the reader sees it; false when it failed.
    bool Flush();
    // Gives back the buffer once all of it is written: nothing more is
    // coming for a while, or ever.
    void Release();
    // Bytes the file holds: what the reader can see.
    uint64_t Written() const { return written_; }
    // The most bytes the spool may hold, besides the free-space reserve.
    void SetLimit(uint64_t bytes) { limit_ = bytes; }
    uint64_t Limit() const { return limit_; }
    // Why the last append failed, to follow "stopped because"; empty while
    // none did.
    const std::string& Failure() const { return failure_; }
    // The last byte appended, or '\n' while none was.
    char LastByte() const { return lastByte_; }
    // Read-only and kept open by whoever reads the spool.
    int Descriptor() const { return fd_; }

  private:
    explicit SpoolFile(int fd);
    bool Fail(std::string why);
    // Writes bytes at the end of the file.
    bool Write(std::string_view bytes);
    // The most bytes the spool may hold by the free space now.
    uint64_t SpaceLimit() const;

    int fd_;
    std::unique_ptr<char[]> buffer_; // BufferBytes, made at the first append
    size_t used_ = 0;
    uint64_t written_ = 0;
    uint64_t limit_ = UINT64_MAX;
    uint64_t spaceLimit_ = 0;     // by the free space when last looked at
    uint64_t spaceCheckedAt_ = 0; // Size() when the free space was looked at
    std::string folder_;
    std::string failure_;
    char lastByte_ = '\n';
};

} // namespace marrowlight
