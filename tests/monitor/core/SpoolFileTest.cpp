#include "monitor/core/SpoolFile.h"

#include "monitor/core/MonitorTestSupport.h"
#include "monitor/core/ProducedSources.h"

#include <gtest/gtest.h>
#include <string>

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

} // namespace
} // namespace marrowlight
