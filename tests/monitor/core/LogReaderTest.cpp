#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "monitor/core/LogReader.h"
#include "monitor/core/MonitorTestSupport.h"

namespace marrowlight {
namespace {

using namespace std::string_literals;
using testing::AppendFile;
using testing::Numbers;
using testing::Texts;
using testing::WriteFile;
using V = std::vector<std::string>;

// Real files, with failures the file system cannot produce on demand.
class FaultyFileSource : public FileSource {
  public:
    OpenError openError = OpenError::None;
    bool failReads = false;

    std::optional<LogStamp> Stat(const std::string& path) const override {
        return real_.Stat(path);
    }
    OpenResult Open(const std::string& path) const override {
        if (openError != OpenError::None)
            return {nullptr, openError, std::nullopt};
        OpenResult r = real_.Open(path);
        if (r.File && failReads)
            r.File = std::make_shared<FailingFile>(r.File);
        return r;
    }

  private:
    struct FailingFile : OpenFile {
        explicit FailingFile(std::shared_ptr<OpenFile> f) : real(std::move(f)) {}
        std::optional<LogStamp> Stat() const override { return real->Stat(); }
        ssize_t ReadAt(uint64_t, void*, size_t) const override { return -1; }
        std::shared_ptr<OpenFile> real;
    };
    PosixFileSource real_;
};

class LogReaderTest : public ::testing::Test {
  protected:
    LogReaderTest() { page.FileName = dir.File("app.log"); }

    PassOutcome Pass() { return reader.Pass(page, list); }
    V Rows() const { return Texts(list.Lines()); }

    testing::TempDir dir;
    testing::FakeViewSettings settings;
    testing::FixedClock clock;
    testing::RecordingProgress progress;
    FaultyFileSource files;
    LogReader reader{files, settings, clock, progress};
    TPageObject page;
    MemoryLineList list;
};

TEST_F(LogReaderTest, FollowsAGrowingLog) {
    WriteFile(page.FileName, "A\r\nB");
    PassOutcome out = Pass();
    EXPECT_EQ(out.Result, PassResult::Bulk);
    EXPECT_EQ(Rows(), V{"A"});
    EXPECT_EQ(Numbers(list.Lines()), std::vector<int>{0}); // bulk rows carry no record
    EXPECT_EQ(page.ReadPos, 3u);                           // "B" is read again later
    EXPECT_EQ(page.LinesText, "Lines: 1");
    EXPECT_EQ(page.DisplayedText, "Displayed: 1");
    EXPECT_EQ(page.LastReadText, "Last read: 12:00:00");
    EXPECT_EQ(page.StateText, "Log succesfully read.");
    EXPECT_EQ(progress.texts,
              (V{"Reading app.log...", "Filtering lines: 100%", "", "Loading app.log...", ""}));

    AppendFile(page.FileName, "\r"); // half of a CR LF
    EXPECT_EQ(Pass().Result, PassResult::NoCompleteLine);
    AppendFile(page.FileName, "\nC\r\n");
    out = Pass();
    EXPECT_EQ(out.Result, PassResult::Appended);
    EXPECT_EQ(out.LinesTaken, 2u);
    EXPECT_EQ(Rows(), (V{"A", "B", "C"}));
    EXPECT_EQ(Numbers(list.Lines()), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(list.Lines().Record(1)->Time, clock.value);
    EXPECT_EQ(out.Alerts, (std::array<bool, 3>{false, false, false}));

    AppendFile(page.FileName, "Warn and Error\r\nwarn\r\n");
    out = Pass();
    EXPECT_EQ(out.Alerts, (std::array<bool, 3>{false, true, true}));
    EXPECT_EQ(Numbers(list.Lines()), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(page.LinesText, "Lines: 5");

    // Nothing changed: untouched, unless forced, which reads and finds no bytes.
    clock.value += 1.0 / 24;
    EXPECT_EQ(Pass().Result, PassResult::Unchanged);
    EXPECT_EQ(page.LastReadText, "Last read: 12:00:00");
    settings.forced = true;
    EXPECT_EQ(Pass().Result, PassResult::NoNewBytes);
    EXPECT_EQ(page.LastReadText, "Last read: 13:00:00");
}

TEST_F(LogReaderTest, NewestAtTopNumbersFromTheRowBelow) {
    settings.atTop = true;
    WriteFile(page.FileName, "1\n2\n3\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    EXPECT_EQ(Rows(), (V{"3", "2", "1"}));
    AppendFile(page.FileName, "4\n5\n");
    Pass();
    AppendFile(page.FileName, "6\n");
    Pass();
    EXPECT_EQ(Rows(), (V{"6", "5", "4", "3", "2", "1"}));
    EXPECT_EQ(Numbers(list.Lines()), (std::vector<int>{3, 2, 1, 0, 0, 0}));
}

TEST_F(LogReaderTest, MissingLogIsResetAndReadAgainWhenItReappears) {
    page.LastReadText = "Last read: 01:02:03";
    EXPECT_EQ(Pass().Result, PassResult::Missing);
    EXPECT_EQ(page.StateText, "Log can't be read. It doesn't exist.");
    EXPECT_EQ(page.LastReadText, "");
    EXPECT_EQ(page.DisplayedText, "");

    WriteFile(page.FileName, "x\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    std::filesystem::remove(page.FileName);
    EXPECT_EQ(Pass().Result, PassResult::Missing);
    EXPECT_TRUE(list.Lines().empty());
    WriteFile(page.FileName, "y\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    EXPECT_EQ(Rows(), V{"y"});

    // A folder or a FIFO at the path is no log.
    std::filesystem::remove(page.FileName);
    std::filesystem::create_directory(page.FileName);
    EXPECT_EQ(Pass().Result, PassResult::Missing);
    std::filesystem::remove(page.FileName);
    ASSERT_EQ(::mkfifo(page.FileName.c_str(), 0600), 0);
    EXPECT_EQ(Pass().Result, PassResult::Missing);
}

TEST_F(LogReaderTest, FailuresKeepWhatWasRead) {
    WriteFile(page.FileName, "a\r\n");
    Pass();
    AppendFile(page.FileName, "b\r\n");
    const uint64_t readPos = page.ReadPos;
    const auto stamp = page.FileStamp;

    struct Case {
        OpenError openError;
        bool failReads;
        PassResult result;
        const char* state;
    } cases[] = {
        {OpenError::AccessDenied, false, PassResult::CannotOpen,
         "Log can't be read. Access denied."},
        {OpenError::Other, false, PassResult::CannotOpen,
         "Log can't be read. Locked by another process."},
        {OpenError::None, true, PassResult::ReadFailed, "Log can't be read. Read error."},
    };
    for (const Case& c : cases) {
        files.openError = c.openError;
        files.failReads = c.failReads;
        PassOutcome out = Pass();
        EXPECT_EQ(out.Result, c.result);
        EXPECT_TRUE(out.Unreadable());
        EXPECT_EQ(page.StateText, c.state);
        EXPECT_EQ(page.ReadPos, readPos);
        EXPECT_EQ(page.FileStamp, stamp);
        EXPECT_EQ(Rows(), V{"a"});
    }
    files.openError = OpenError::None;
    files.failReads = false;
    EXPECT_EQ(Pass().Result, PassResult::Appended);
    EXPECT_EQ(Rows(), (V{"a", "b"}));
}

TEST_F(LogReaderTest, ShrunkOrRewrittenLogIsReadAgainFromItsStart) {
    WriteFile(page.FileName, "one\r\ntwo\r\n");
    Pass();
    std::filesystem::resize_file(page.FileName, 5);
    EXPECT_EQ(Pass().Result, PassResult::Reset);
    EXPECT_TRUE(list.Lines().empty());
    EXPECT_EQ(page.Encoding, 255);
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    EXPECT_EQ(Rows(), V{"one"});

    // Same file, new first bytes, not shorter than what was read.
    WriteFile(page.FileName, "ONE\r\nmore\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Reset);
    Pass();
    EXPECT_EQ(Rows(), (V{"ONE", "more"}));

    // Emptied: cleared, then undecided until two bytes arrive.
    WriteFile(page.FileName, "");
    EXPECT_EQ(Pass().Result, PassResult::Reset);
    EXPECT_EQ(Pass().Result, PassResult::Undecided);
    EXPECT_EQ(page.DisplayedText, "Displayed: 0");
    WriteFile(page.FileName, "n\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
}

TEST_F(LogReaderTest, RotatedLogKeepsShowingTheOldFileUntilReset) {
    WriteFile(page.FileName, "old first\r\nold second\r\n");
    Pass();
    std::filesystem::rename(page.FileName, page.FileName + ".1");
    WriteFile(page.FileName, "NEW FIRST\r\nNEW SECOND\r\nNEW THIRD\r\n");
    EXPECT_EQ(Rows(), (V{"old first", "old second"}));
    EXPECT_EQ(Pass().Result, PassResult::Reset); // a larger file, but another one
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    EXPECT_EQ(Rows(), (V{"NEW FIRST", "NEW SECOND", "NEW THIRD"}));
}

TEST_F(LogReaderTest, OnlyNewLinesSkipsWhatTheLogHeld) {
    settings.addedOnly = true;
    WriteFile(page.FileName, "old\r\n");
    EXPECT_EQ(Pass().Result, PassResult::JumpedToEnd);
    EXPECT_TRUE(list.Lines().empty());
    EXPECT_EQ(page.LinesText, "");
    EXPECT_EQ(page.DisplayedText, "Displayed: 0");
    AppendFile(page.FileName, "new\r\n");
    PassOutcome out = Pass();
    EXPECT_EQ(out.Result, PassResult::Appended);
    EXPECT_EQ(Rows(), V{"new"});
    EXPECT_EQ(Numbers(list.Lines()), std::vector<int>{1});
    EXPECT_EQ(page.LineCount, 1u);

    // UTF-16: the jump stays on a unit border, the odd byte waits.
    ResetLog(page, list);
    WriteFile(page.FileName, "\xFF\xFE"
                             "A\0\n\0x"s);
    EXPECT_EQ(Pass().Result, PassResult::JumpedToEnd);
    EXPECT_EQ(page.ReadPos, 6u);
    AppendFile(page.FileName, "\0B\0\n\0"s);
    Pass();
    EXPECT_EQ(Rows(), V{"xB"});
}

TEST_F(LogReaderTest, DecodesEachEncodingAndKeepsOddBytes) {
    struct Case {
        std::string bytes;
        int encoding;
        V rows;
        uint64_t readPos;
    } cases[] = {
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9\r\nx\xC3y\r\n",
         2,
         {"caf\xC3\xA9", "x\xEF\xBF\xBDy"},
         15},
        {"\xEF\xBB\xBF", 2, {}, 3}, // mark only
        {"\xEF\xBB", 1, {}, 0},     // two bytes: 8-bit, one unfinished line
        {"caf\xE9\r\n\xC3\xA9t\xC3\xA9\n", 1, {"caf\xC3\xA9", "\xC3\xA9t\xC3\xA9"}, 12},
        {"a\0b\r\nc\r\n"s, 1, {"a\0b"s, "c"}, 8},
        {"\xFF\xFE"
         "A\0\r\0\n\0\xE9\0\n\0B"s,
         3,
         {"A", "\xC3\xA9"},
         12},
        {"A\nB\rC\r\n", 1, {"A", "B", "C"}, 7},
    };
    for (const Case& c : cases) {
        WriteFile(page.FileName, c.bytes);
        ResetLog(page, list);
        reader.Pass(page, list);
        EXPECT_EQ(page.Encoding, c.encoding) << c.bytes;
        EXPECT_EQ(Rows(), c.rows) << c.bytes;
        EXPECT_EQ(page.ReadPos, c.readPos) << c.bytes;
    }
}

TEST_F(LogReaderTest, SmallBlocksGiveTheSameLines) {
    std::string log, longLine(100, 'L');
    V expected;
    for (int i = 0; i < 30; ++i) {
        std::string line = std::to_string(i) + (i % 7 == 0 ? longLine : "");
        log += line + (i % 2 ? "\r\n" : "\n");
        expected.push_back(line);
    }
    WriteFile(page.FileName, log + "tail");
    reader.SetBlockSize(16);
    Pass();
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(page.ReadPos, log.size());
    EXPECT_EQ(page.MaxLineLen, 102u); // "28" and the long part
}

TEST_F(LogReaderTest, ViewFilterDecidesWhatABulkLoadShows) {
    settings.allEntries = false;
    settings.shown = {false, false, true};
    WriteFile(page.FileName, "Error one\r\nfine and long\r\nerror two\r\n");
    PassOutcome out = Pass();
    EXPECT_EQ(out.Result, PassResult::Bulk);
    EXPECT_EQ(out.Alerts, (std::array<bool, 3>{false, false, false}));
    EXPECT_EQ(Rows(), (V{"Error one", "error two"}));
    EXPECT_EQ(page.LineCount, 3u);
    EXPECT_EQ(page.MaxLineLen, 13u); // hidden lines count too
    EXPECT_EQ(page.DisplayedText, "Displayed: 2");

    // Nothing shown: the list stays empty and the next chunk is loaded in bulk.
    ResetLog(page, list);
    WriteFile(page.FileName, "calm\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    AppendFile(page.FileName, "Error\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    EXPECT_EQ(Numbers(list.Lines()), std::vector<int>{0});
}

} // namespace
} // namespace marrowlight
