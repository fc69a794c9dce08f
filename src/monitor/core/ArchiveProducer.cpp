#include "monitor/core/ArchiveProducer.h"

#include "monitor/core/LineSplitter.h"

#include <algorithm>
#include <cstring>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

namespace marrowlight {

namespace {

// Read and unpacked a piece at a time: a slice checks its deadline between
// pieces, and a piece stays in the processor's cache while it is counted.
constexpr size_t PieceBytes = size_t{256} << 10;
// Less than this left of a piece is moved to the front and read on: no
// format's border needs more to be told.
constexpr size_t CarryBytes = 16;
// An xz archive may ask for a dictionary of up to 1.5 GiB; real ones ask 64 MiB at most.
constexpr uint64_t XzMemoryLimit = uint64_t{256} << 20;

} // namespace

// One compression format's decoder, fed the archive piece by piece.
class ArchiveProducer::Decoder {
  public:
    enum class Status { Ok, End, Damaged };
    virtual ~Decoder() = default;
    // Unpacks from the front of in (advanced past what was used) into out;
    // last: no input follows what in holds.
    virtual Status Decode(std::string_view& in, char* out, size_t room, size_t& produced,
                          bool last) = 0;
    // The input so far ended at a border of its members or frames.
    virtual bool Complete() const = 0;
};

namespace {

using Status = ArchiveProducer::Decoder::Status;

class GzipDecoder : public ArchiveProducer::Decoder {
  public:
    GzipDecoder() { ok_ = inflateInit2(&z_, 16 + MAX_WBITS) == Z_OK; }
    ~GzipDecoder() override { inflateEnd(&z_); }
    GzipDecoder(const GzipDecoder&) = delete;
    GzipDecoder& operator=(const GzipDecoder&) = delete;

    Status Decode(std::string_view& in, char* out, size_t room, size_t& produced,
                  bool last) override {
        produced = 0;
        if (!ok_)
            return Status::Damaged;
        if (!inMember_) {
            if (in.empty())
                return last ? Status::End : Status::Ok;
            if (in.size() < 2 && !last)
                return Status::Ok;
            // Members follow one another; what follows the last one is not
            // a member (padding, say) and is left alone, as gzip does.
            if (in.size() < 2 || static_cast<unsigned char>(in[0]) != 0x1f ||
                static_cast<unsigned char>(in[1]) != 0x8b)
                return members_ > 0 ? Status::End : Status::Damaged;
            inflateReset(&z_);
            inMember_ = true;
        }
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        z_.avail_in = static_cast<uInt>(in.size());
        z_.next_out = reinterpret_cast<Bytef*>(out);
        z_.avail_out = static_cast<uInt>(room);
        const int result = inflate(&z_, Z_NO_FLUSH);
        in.remove_prefix(in.size() - z_.avail_in);
        produced = room - z_.avail_out;
        switch (result) {
        case Z_STREAM_END:
            inMember_ = false;
            ++members_;
            return Status::Ok;
        case Z_OK:
        case Z_BUF_ERROR: // nothing to do without more input
            return Status::Ok;
        default:
            return Status::Damaged;
        }
    }
    bool Complete() const override { return !inMember_ && members_ > 0; }

  private:
    z_stream z_{};
    bool ok_ = false;
    bool inMember_ = false;
    uint64_t members_ = 0;
};

class XzDecoder : public ArchiveProducer::Decoder {
  public:
    XzDecoder() { ok_ = lzma_stream_decoder(&s_, XzMemoryLimit, LZMA_CONCATENATED) == LZMA_OK; }
    ~XzDecoder() override { lzma_end(&s_); }
    XzDecoder(const XzDecoder&) = delete;
    XzDecoder& operator=(const XzDecoder&) = delete;

    Status Decode(std::string_view& in, char* out, size_t room, size_t& produced,
                  bool last) override {
        produced = 0;
        if (!ok_)
            return Status::Damaged;
        s_.next_in = reinterpret_cast<const uint8_t*>(in.data());
        s_.avail_in = in.size();
        s_.next_out = reinterpret_cast<uint8_t*>(out);
        s_.avail_out = room;
        // Concatenated streams end only when told that the input did.
        const lzma_ret result = lzma_code(&s_, last ? LZMA_FINISH : LZMA_RUN);
        in.remove_prefix(in.size() - s_.avail_in);
        produced = room - s_.avail_out;
        switch (result) {
        case LZMA_OK:
            return Status::Ok;
        case LZMA_STREAM_END:
            ended_ = true;
            return Status::End;
        case LZMA_BUF_ERROR: // no progress: the caller tells a cut-short archive
            return Status::Ok;
        default:
            return Status::Damaged;
        }
    }
    bool Complete() const override { return ended_; }

  private:
    lzma_stream s_ = LZMA_STREAM_INIT;
    bool ok_ = false;
    bool ended_ = false;
};

class ZstdDecoder : public ArchiveProducer::Decoder {
  public:
    ZstdDecoder() : s_(ZSTD_createDStream()) {}
    ~ZstdDecoder() override { ZSTD_freeDStream(s_); }
    ZstdDecoder(const ZstdDecoder&) = delete;
    ZstdDecoder& operator=(const ZstdDecoder&) = delete;

    Status Decode(std::string_view& in, char* out, size_t room, size_t& produced,
                  bool /*last*/) override {
        produced = 0;
        if (!s_)
            return Status::Damaged;
        // Between frames with no input: asked, the stream would wait for
        // the next frame's header.
        if (in.empty() && started_ && !frameOpen_)
            return Status::Ok;
        ZSTD_inBuffer input{in.data(), in.size(), 0};
        ZSTD_outBuffer output{out, room, 0};
        const size_t result = ZSTD_decompressStream(s_, &output, &input);
        in.remove_prefix(input.pos);
        produced = output.pos;
        if (ZSTD_isError(result))
            return Status::Damaged;
        // 0: a frame ended and all of it was handed out; frames may follow.
        frameOpen_ = result != 0;
        started_ = true;
        return Status::Ok;
    }
    bool Complete() const override { return started_ && !frameOpen_; }

  private:
    ZSTD_DStream* s_;
    bool frameOpen_ = false;
    bool started_ = false;
};

std::string SizeText(uint64_t bytes) {
    if (bytes < (uint64_t{1} << 20))
        return GroupedNumber(bytes) + " bytes";
    return GroupedNumber(bytes >> 20) + " MiB";
}

std::unique_ptr<ArchiveProducer::Decoder> MakeDecoder(Compression kind) {
    switch (kind) {
    case Compression::Gzip:
        return std::make_unique<GzipDecoder>();
    case Compression::Xz:
        return std::make_unique<XzDecoder>();
    case Compression::Zstd:
        return std::make_unique<ZstdDecoder>();
    }
    return nullptr;
}

} // namespace

const char* CompressionName(Compression kind) {
    switch (kind) {
    case Compression::Gzip:
        return "gzip";
    case Compression::Xz:
        return "xz";
    case Compression::Zstd:
        return "zstd";
    }
    return "";
}

std::optional<Compression> CompressionOf(std::string_view head) {
    static constexpr std::string_view Gzip("\x1f\x8b", 2);
    static constexpr std::string_view Xz("\xfd"
                                         "7zXZ\0",
                                         6);
    static constexpr std::string_view Zstd("\x28\xb5\x2f\xfd", 4);
    if (head.starts_with(Gzip))
        return Compression::Gzip;
    if (head.starts_with(Xz))
        return Compression::Xz;
    if (head.starts_with(Zstd))
        return Compression::Zstd;
    return std::nullopt;
}

std::optional<CompressedFile> OpenIfCompressed(const std::string& path) {
    OpenResult opened = PosixFileSource().Open(path);
    if (!opened.File || !opened.Stamp)
        return std::nullopt;
    char head[6];
    const ssize_t got = opened.File->ReadAt(0, head, sizeof head);
    if (got <= 0)
        return std::nullopt;
    const std::optional<Compression> kind =
        CompressionOf(std::string_view(head, static_cast<size_t>(got)));
    if (!kind)
        return std::nullopt;
    return CompressedFile{*kind, std::move(opened.File), opened.Stamp->Size};
}

std::string GroupedNumber(uint64_t n) {
    std::string digits = std::to_string(n);
    for (size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

ArchiveProducer::ArchiveProducer(CompressedFile archive, Limits limits)
    : archive_(std::move(archive)), decoder_(MakeDecoder(archive_.Kind)) {
    const uint64_t byRatio = archive_.Size > UINT64_MAX / limits.RatioLimit
                                 ? UINT64_MAX
                                 : archive_.Size * limits.RatioLimit;
    limit_ = std::max(byRatio, limits.FloorLimit);
    state_ = std::string("Compressed log (") + CompressionName(archive_.Kind) + "), not followed.";
}

ArchiveProducer::~ArchiveProducer() = default;

ProduceStatus ArchiveProducer::Stop(std::string state) {
    finished_ = true;
    if (!state.empty())
        state_ = std::move(state);
    // The archive's descriptor and the decoder's memory go at once.
    decoder_.reset();
    archive_.File.reset();
    std::vector<char>().swap(in_);
    std::vector<char>().swap(out_);
    return ProduceStatus::Finished;
}

ArchiveProducer::Taken ArchiveProducer::Take(TextSink& out, const char* bytes, size_t n) {
    std::string_view text(bytes, n);
    const uint64_t room = limit_ > out.Size() ? limit_ - out.Size() : 0;
    const bool fits = n <= room;
    if (!fits) {
        // Up to the limit, whole lines only.
        text = text.substr(0, static_cast<size_t>(room));
        const size_t lastEnd = text.rfind('\n');
        text = text.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
    }
    if (!text.empty()) {
        if (!out.Append(text))
            return Taken::NoRoom;
        lines_ += CountLineFeeds(text);
        partial_ = text.back() != '\n';
    }
    return fits ? Taken::All : Taken::UpToLimit;
}

ProduceStatus ArchiveProducer::Produce(TextSink& out,
                                       std::chrono::steady_clock::time_point deadline) {
    if (finished_)
        return ProduceStatus::Finished;
    const char* kind = CompressionName(archive_.Kind);
    if (in_.empty())
        in_.resize(PieceBytes);
    for (;;) {
        if (inEnd_ - inStart_ < CarryBytes && readPos_ < archive_.Size) {
            std::memmove(in_.data(), in_.data() + inStart_, inEnd_ - inStart_);
            inEnd_ -= inStart_;
            inStart_ = 0;
            const size_t want = static_cast<size_t>(
                std::min<uint64_t>(in_.size() - inEnd_, archive_.Size - readPos_));
            const ssize_t got = archive_.File->ReadAt(readPos_, in_.data() + inEnd_, want);
            if (got < 0)
                return Stop("Stopped after " + GroupedNumber(Lines()) +
                            " lines: the archive can't be read.");
            if (static_cast<size_t>(got) < want)
                archive_.Size = readPos_ + static_cast<uint64_t>(got); // shrunk meanwhile
            readPos_ += static_cast<uint64_t>(got);
            inEnd_ += static_cast<size_t>(got);
        }
        const bool last = readPos_ >= archive_.Size;
        std::string_view in(in_.data() + inStart_, inEnd_ - inStart_);
        const size_t given = in.size();
        size_t produced = 0;
        // Unpacked straight into the spool's buffer where it has room.
        const std::span<char> room = out.Room(PieceBytes);
        if (room.empty() && out_.empty())
            out_.resize(PieceBytes);
        char* const into = room.empty() ? out_.data() : room.data();
        const Decoder::Status status = decoder_->Decode(in, into, PieceBytes, produced, last);
        inStart_ = inEnd_ - in.size();
        if (const Taken taken = produced > 0 ? Take(out, into, produced) : Taken::All;
            taken != Taken::All)
            return Stop("Stopped after " + GroupedNumber(Lines()) + " lines: " +
                        (taken == Taken::NoRoom
                             ? std::string("no room for more in the temporary folder.")
                             : "the log expands past " + SizeText(limit_) + ", more than its " +
                                   kind + " archive may."));
        const bool nothing = out.Size() == 0;
        if (status == Decoder::Status::Damaged)
            return Stop(nothing
                            ? std::string("Not a valid ") + kind + " archive: damaged at its start."
                            : "Damaged after " + GroupedNumber(Lines()) + " lines: the " + kind +
                                  " data is corrupt.");
        if (status == Decoder::Status::End)
            return Stop({});
        if (last && produced == 0 && in.size() == given) {
            if (decoder_->Complete())
                return Stop({});
            return Stop(nothing ? std::string("Not a valid ") + kind + " archive: it ends too soon."
                                : "Damaged after " + GroupedNumber(Lines()) + " lines: the " +
                                      kind + " archive is cut short.");
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return ProduceStatus::More;
    }
}

} // namespace marrowlight
