#include "monitor/core/SpoolFile.h"

#include "monitor/core/MonitorTestSupport.h"
#include "monitor/core/ProducedSources.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <span>
#include <string>
#include <unistd.h>

namespace marrowlight {
namespace {

using testing::TempDir;

std::string ReadAll(const OpenFile& file) {
    std::string bytes(file.Stat()->Size, '\0');
    file.ReadAt(0, bytes.data(), bytes.size());
    return bytes;
}

TEST(SpoolFile, TheReaderSeesFlushedTextUnderItsAddressOnly) {
    TempDir dir;
    std::string error;
    std::shared_ptr<SpoolFile> spool = SpoolFile::Create(error, dir.File(""));
    ASSERT_TRUE(spool) << error;
    ProducedLogs logs;
    logs.Add("-", spool);
    PosixFileSource files;
    ProducedSources sources(logs, files);
    testing::WriteFile(dir.File("plain.log"), "plain\n");

    ASSERT_TRUE(spool->Append("one\n"));
    ASSERT_TRUE(spool->Append("two"));
    EXPECT_EQ(spool->Size(), 7u);
    EXPECT_EQ(spool->LastByte(), 'o');
    EXPECT_EQ(sources.Stat("-")->Size, 0u); // gathered, not written yet
    ASSERT_TRUE(spool->Flush());
    const std::optional<LogStamp> stamp = sources.Stat("-");
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->Size, 7u);
    OpenResult opened = sources.Open("-");
    ASSERT_TRUE(opened.File);
    EXPECT_EQ(ReadAll(*opened.File), "one\ntwo");
    EXPECT_EQ(opened.Stamp->Identity, stamp->Identity);

    // The spool has no name in its folder; other paths are the files'.
    EXPECT_FALSE(sources.Stat(dir.File("-")));
    EXPECT_EQ(ReadAll(*sources.Open(dir.File("plain.log")).File), "plain\n");

    // Rows keep reading what they were built from after the log is gone.
    logs.Remove("-");
    spool.reset();
    EXPECT_FALSE(sources.Stat("-"));
    EXPECT_EQ(ReadAll(*opened.File), "one\ntwo");
}

TEST(SpoolFile, AnAppendPastTheLimitFailsAndSaysWhy) {
    struct Case {
        uint64_t limit;
        std::vector<std::string> appends;
        size_t accepted;
        uint64_t size;
    } cases[] = {
        {10, {"12345", "12345", "1"}, 2, 10},
        {10, {"123456789012"}, 0, 0},
        // Larger than the buffer: written at once.
        {UINT64_MAX,
         {std::string(SpoolFile::BufferBytes + 5, 'x'), "y"},
         2,
         SpoolFile::BufferBytes + 6},
    };
    for (const Case& c : cases) {
        std::string error;
        std::unique_ptr<SpoolFile> spool = SpoolFile::Create(error);
        ASSERT_TRUE(spool) << error;
        spool->SetLimit(c.limit);
        size_t accepted = 0;
        for (const std::string& bytes : c.appends)
            accepted += spool->Append(bytes) ? 1 : 0;
        EXPECT_EQ(accepted, c.accepted) << c.limit;
        EXPECT_EQ(spool->Size(), c.size) << c.limit;
        EXPECT_EQ(spool->Failure().empty(), accepted == c.appends.size()) << c.limit;
        // Once failed, nothing more is taken.
        if (!spool->Failure().empty()) {
            EXPECT_FALSE(spool->Append("z"));
        }
        ASSERT_TRUE(spool->Flush());
        EXPECT_EQ(spool->Written(), c.size);
    }
}

// Text made in the spool's room and text appended from elsewhere land in
// order; a room too small for what is asked is written out first.
TEST(SpoolFile, TextMadeInItsRoomLandsInOrder) {
    std::string error;
    std::unique_ptr<SpoolFile> spool = SpoolFile::Create(error);
    ASSERT_TRUE(spool) << error;
    std::string expected;
    auto make = [&](size_t least, size_t n, char c) {
        const std::span<char> room = spool->Room(least);
        ASSERT_GE(room.size(), least);
        std::fill_n(room.data(), n, c);
        ASSERT_TRUE(spool->Append({room.data(), n}));
        expected.append(n, c);
    };
    const size_t half = SpoolFile::BufferBytes / 2;
    make(100, 10, 'a');
    ASSERT_TRUE(spool->Append("from elsewhere\n"));
    expected += "from elsewhere\n";
    make(half, half, 'b');
    make(half, half - 1, 'c'); // no room left for it: the buffer is written first
    EXPECT_GT(spool->Written(), 0u);
    EXPECT_TRUE(spool->Room(SpoolFile::BufferBytes).empty()); // more than it ever has
    EXPECT_EQ(spool->LastByte(), 'c');
    // A buffer given back while it holds text keeps it; a new one comes as needed.
    spool->Release();
    make(100, 3, 'd');
    ASSERT_TRUE(spool->Flush());
    spool->Release();
    make(100, 2, 'e');
    ASSERT_TRUE(spool->Flush());
    std::string bytes(spool->Written(), '\0');
    ASSERT_EQ(::pread(spool->Descriptor(), bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    EXPECT_EQ(bytes, expected);

    // Past its limit, text made in the room is refused like any other.
    spool->SetLimit(spool->Size() + 5);
    const std::span<char> room = spool->Room(16);
    ASSERT_FALSE(room.empty());
    EXPECT_FALSE(spool->Append({room.data(), 6}));
    EXPECT_FALSE(spool->Failure().empty());
    EXPECT_TRUE(spool->Room(16).empty());
    EXPECT_EQ(spool->Size(), expected.size());
}

} // namespace
} // namespace marrowlight
