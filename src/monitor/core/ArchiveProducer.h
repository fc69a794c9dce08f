#pragma once

#include "monitor/core/FileSource.h"
#include "monitor/core/LineProducer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

enum class Compression { Gzip, Xz, Zstd };

// "gzip", "xz" or "zstd".
const char* CompressionName(Compression kind);

// The compression the first bytes of a file announce, whatever its name.
std::optional<Compression> CompressionOf(std::string_view head);

// A regular file at path that starts as a compressed one does, opened; empty
// for anything else (plain text, missing, unreadable, no regular file). One
// open and a read of a few bytes: a log is looked at once, when its tab is
// added, never by the passes that follow it.
struct CompressedFile {
    Compression Kind;
    std::shared_ptr<OpenFile> File;
    uint64_t Size = 0;
};
std::optional<CompressedFile> OpenIfCompressed(const std::string& path);

// Unpacks a compressed log into the spool, a slice at a time. The archive is
// finished: it is read once and not followed.
//
// Damage is never shown as text: a truncated or damaged archive shows the
// lines before the damage and says where it stopped; one whose first bytes
// only look compressed shows nothing. Unpacking stops at a limit, so a small
// archive that expands without end fills neither the disk nor memory.
class ArchiveProducer : public LineProducer {
  public:
    // The spool may reach RatioLimit times the archive's size, and at least
    // FloorLimit bytes.
    struct Limits {
        uint64_t RatioLimit = 100;
        uint64_t FloorLimit = uint64_t{1} << 30;
    };

    ArchiveProducer(CompressedFile archive, Limits limits);
    explicit ArchiveProducer(CompressedFile archive) : ArchiveProducer(std::move(archive), {}) {}
    ~ArchiveProducer() override;

    ProduceStatus Produce(TextSink& out, std::chrono::steady_clock::time_point deadline) override;
    std::string StateText() const override { return state_; }
    bool Follows() const override { return false; }

    // Lines unpacked so far (a last one without its end counts).
    uint64_t Lines() const { return lines_ + (partial_ ? 1 : 0); }

    class Decoder;

  private:
    ProduceStatus Stop(std::string state);
    enum class Taken { All, UpToLimit, NoRoom };
    // Takes n unpacked bytes, or the whole lines of them up to the limit.
    Taken Take(TextSink& out, const char* bytes, size_t n);

    CompressedFile archive_;
    uint64_t limit_;
    std::unique_ptr<Decoder> decoder_;
    std::vector<char> in_;
    std::vector<char> out_;
    size_t inStart_ = 0; // unused input in in_[inStart_, inEnd_)
    size_t inEnd_ = 0;
    uint64_t readPos_ = 0;
    uint64_t lines_ = 0;
    bool partial_ = false;
    bool finished_ = false;
    std::string state_;
};

// 12345 as "12,345".
std::string GroupedNumber(uint64_t n);

} // namespace marrowlight
