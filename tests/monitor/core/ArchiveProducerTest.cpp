#include "monitor/core/ArchiveProducer.h"

#include "monitor/core/MonitorTestSupport.h"

#include <gtest/gtest.h>
#include <lzma.h>
#include <span>
#include <string>
#include <vector>
#include <zlib.h>
#include <zstd.h>

namespace marrowlight {
namespace {

// With a room, text made there is taken without a copy, as the spool does.
struct StringSink : TextSink {
    bool Append(std::string_view bytes) override {
        text.append(bytes);
        return true;
    }
    uint64_t Size() const override { return text.size(); }
    std::span<char> Room(size_t least) override {
        if (!withRoom)
            return {};
        room.assign(least, '\0');
        return room;
    }
    bool withRoom = false;
    std::string text;
    std::vector<char> room;
};

std::string Gzip(const std::string& text) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, text.size()) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string Xz(const std::string& text) {
    std::string out(lzma_stream_buffer_bound(text.size()), '\0');
    size_t size = 0;
    EXPECT_EQ(lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr,
                                      reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                                      reinterpret_cast<uint8_t*>(out.data()), &size, out.size()),
              LZMA_OK);
    out.resize(size);
    return out;
}

std::string Zstd(const std::string& text) {
    std::string out(ZSTD_compressBound(text.size()), '\0');
    const size_t size = ZSTD_compress(out.data(), out.size(), text.data(), text.size(), 3);
    EXPECT_FALSE(ZSTD_isError(size));
    out.resize(size);
    return out;
}

std::string Compress(Compression kind, const std::string& text) {
    switch (kind) {
    case Compression::Gzip:
        return Gzip(text);
    case Compression::Xz:
        return Xz(text);
    case Compression::Zstd:
        return Zstd(text);
    }
    return {};
}

// Lines that compress well but not to nothing, over several pieces.
std::string LogText(int lines, int from = 0) {
    std::string text;
    for (int i = from; i < from + lines; ++i)
        text += "2026-12-09 03:04:05 line " + std::to_string(i * 7919 % 100003) + " of the log\n";
    return text;
}

struct Unpacked {
    std::string text;
    std::string state;
    int slices = 0;
};

// Slices with a deadline already past: one piece each. Unpacked into a
// room of the sink's and into the producer's own buffer alike.
Unpacked Unpack(Compression kind, const std::string& archive, ArchiveProducer::Limits limits = {}) {
    Unpacked both[2];
    for (bool withRoom : {false, true}) {
        auto file = std::make_shared<testing::MemoryFile>();
        file->data = archive;
        ArchiveProducer producer({kind, file, archive.size()}, limits);
        StringSink sink;
        sink.withRoom = withRoom;
        Unpacked& out = both[withRoom];
        while (out.slices < 100000 &&
               producer.Produce(sink, std::chrono::steady_clock::now()) == ProduceStatus::More)
            ++out.slices;
        out.text = std::move(sink.text);
        out.state = producer.StateText();
    }
    EXPECT_EQ(both[1].text, both[0].text);
    EXPECT_EQ(both[1].state, both[0].state);
    return both[0];
}

TEST(ArchiveProducer, RecognisesCompressionByItsFirstBytesOnly) {
    EXPECT_EQ(CompressionOf(Gzip("a\n")), Compression::Gzip);
    EXPECT_EQ(CompressionOf(Xz("a\n")), Compression::Xz);
    EXPECT_EQ(CompressionOf(Zstd("a\n")), Compression::Zstd);
    for (const char* plain : {"", "\x1f", "plain text\n",
                              "\xfd"
                              "7zX",
                              "\xff\xfe"
                              "a\0"})
        EXPECT_FALSE(CompressionOf(plain)) << plain;

    testing::TempDir dir;
    testing::WriteFile(dir.File("syslog.2"), Gzip("one\n"));
    testing::WriteFile(dir.File("app.log"), "one\n");
    const std::optional<CompressedFile> archive = OpenIfCompressed(dir.File("syslog.2"));
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->Kind, Compression::Gzip);
    EXPECT_FALSE(OpenIfCompressed(dir.File("app.log")));
    EXPECT_FALSE(OpenIfCompressed(dir.File("missing.gz")));
    EXPECT_FALSE(OpenIfCompressed(dir.File("")));
}

TEST(ArchiveProducer, UnpacksWholeAndConcatenatedArchivesInSlices) {
    const std::string first = LogText(20000);
    const std::string second = LogText(10, 20000);
    for (Compression kind : {Compression::Gzip, Compression::Xz, Compression::Zstd}) {
        const std::string name = CompressionName(kind);
        const Unpacked whole = Unpack(kind, Compress(kind, first));
        EXPECT_EQ(whole.text, first) << name;
        EXPECT_EQ(whole.state, "Compressed log (" + name + "), not followed.");
        EXPECT_GT(whole.slices, 0) << name;

        const Unpacked joined = Unpack(kind, Compress(kind, first) + Compress(kind, second));
        EXPECT_EQ(joined.text, first + second) << name;
        EXPECT_EQ(joined.state, whole.state) << name;
    }
}

TEST(ArchiveProducer, DamageShowsTheLinesBeforeItAndSaysWhereItStopped) {
    const std::string first = LogText(12345);
    const std::string second = LogText(100, 12345);
    // Where the second part's header is damaged: the compression method, the
    // stream flags, the frame's magic number.
    struct Kind {
        Compression kind;
        size_t damagedByte;
    } kinds[] = {{Compression::Gzip, 2}, {Compression::Xz, 6}, {Compression::Zstd, 0}};
    for (const Kind& k : kinds) {
        const std::string name = CompressionName(k.kind);
        const std::string archive = Compress(k.kind, first);
        std::string damaged = archive + Compress(k.kind, second);
        damaged[archive.size() + k.damagedByte] ^= 0x55;
        struct Case {
            const char* what;
            std::string bytes;
            std::string state; // what the state text starts with
            bool prefix;       // the text is a prefix of the first part, maybe all of it
        } cases[] = {
            {"damaged", damaged, "Damaged after 12,345 lines: the " + name + " data is corrupt.",
             false},
            {"cut short", archive.substr(0, archive.size() / 2), "Damaged after ", true},
            {"cut in the trailer", archive.substr(0, archive.size() - 3), "Damaged after ", true},
            {"magic, then garbage",
             archive.substr(0, name == "xz"     ? 6
                               : name == "gzip" ? 2
                                                : 4) +
                 "this is plain text\nand more of it\n",
             "Not a valid " + name + " archive", true},
        };
        for (const Case& c : cases) {
            const Unpacked out = Unpack(k.kind, c.bytes);
            EXPECT_EQ(out.state.rfind(c.state, 0), 0u)
                << name << ", " << c.what << ": " << out.state;
            if (c.prefix) {
                EXPECT_EQ(first.rfind(out.text, 0), 0u) << name << ", " << c.what;
            } else {
                EXPECT_EQ(out.text, first) << name << ", " << c.what;
            }
            // The count it names is the lines shown, a last one without its end too.
            if (out.state.starts_with("Damaged after ")) {
                const uint64_t lines = std::count(out.text.begin(), out.text.end(), '\n') +
                                       (out.text.ends_with('\n') ? 0 : 1);
                EXPECT_NE(out.state.find(" " + GroupedNumber(lines) + " lines"), std::string::npos)
                    << name << ", " << c.what << ": " << out.state;
            }
        }
    }
}

TEST(ArchiveProducer, StopsAtItsLimitWithWholeLines) {
    const std::string text = LogText(20000);
    for (Compression kind : {Compression::Gzip, Compression::Xz, Compression::Zstd}) {
        const std::string name = CompressionName(kind);
        const std::string archive = Compress(kind, text);
        const ArchiveProducer::Limits limits{2, 10000};
        const Unpacked out = Unpack(kind, archive, limits);
        const uint64_t limit = std::max<uint64_t>(2 * archive.size(), 10000);
        EXPECT_LE(out.text.size(), limit) << name;
        EXPECT_GT(out.text.size(), limit - 200) << name;
        EXPECT_TRUE(out.text.ends_with('\n')) << name;
        EXPECT_EQ(text.rfind(out.text, 0), 0u) << name;
        const uint64_t lines = std::count(out.text.begin(), out.text.end(), '\n');
        EXPECT_EQ(out.state, "Stopped after " + GroupedNumber(lines) +
                                 " lines: the log expands past " + GroupedNumber(limit) +
                                 " bytes, more than its " + name + " archive may.")
            << name;
    }
    EXPECT_EQ(GroupedNumber(0), "0");
    EXPECT_EQ(GroupedNumber(999), "999");
    EXPECT_EQ(GroupedNumber(1000), "1,000");
    EXPECT_EQ(GroupedNumber(1234567), "1,234,567");
}

} // namespace
} // namespace marrowlight
