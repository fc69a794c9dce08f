#include "monitor/core/LogReader.h"

#include "monitor/core/MonitorTestSupport.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <malloc.h>
#include <utility>

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
    uint64_t failReadsFrom = 0; // reads below this offset still succeed
    bool failStat = false;      // the path does not answer, as on a remount
    // What the file system tells of the file now at the path, when a test
    // decides it (inode reuse); kept by a descriptor opened meanwhile.
    std::optional<FileIdentity> identity;

    std::optional<LogStamp> Stat(const std::string& path) const override {
        if (failStat)
            return std::nullopt;
        return WithIdentity(real_.Stat(path), identity);
    }
    OpenResult Open(const std::string& path) const override {
        if (openError != OpenError::None)
            return {nullptr, openError, std::nullopt};
        OpenResult r = real_.Open(path);
        if (r.File) {
            r.File = std::make_shared<WatchedFile>(
                r.File, *this, failReads ? failReadsFrom : UINT64_MAX, identity);
            r.Stamp = WithIdentity(r.Stamp, identity);
        }
        return r;
    }

    // What the reader read through every descriptor it was given.
    mutable uint64_t bytesRead = 0;
    mutable size_t largestRead = 0;
    // Run once right after the next read at or past afterReadFrom, as
    // another process would.
    mutable std::function<void()> afterNextRead;
    uint64_t afterReadFrom = 0;

  private:
    static std::optional<LogStamp> WithIdentity(std::optional<LogStamp> stamp,
                                                const std::optional<FileIdentity>& identity) {
        if (stamp && identity)
            stamp->Identity = *identity;
        return stamp;
    }
    struct WatchedFile : OpenFile {
        WatchedFile(std::shared_ptr<OpenFile> f, const FaultyFileSource& s, uint64_t from,
                    std::optional<FileIdentity> id)
            : real(std::move(f)), source(s), failFrom(from), identity(id) {}
        std::optional<LogStamp> Stat() const override {
            return WithIdentity(real->Stat(), identity);
        }
        ssize_t ReadAt(uint64_t offset, void* buffer, size_t count) const override {
            if (offset >= failFrom)
                return -1;
            source.largestRead = std::max(source.largestRead, count);
            const ssize_t got = real->ReadAt(offset, buffer, count);
            source.bytesRead += got > 0 ? uint64_t(got) : 0;
            if (offset >= source.afterReadFrom)
                if (auto act = std::exchange(source.afterNextRead, nullptr))
                    act();
            return got;
        }
        std::shared_ptr<OpenFile> real;
        const FaultyFileSource& source;
        uint64_t failFrom; // as the source was set when the file was opened
        std::optional<FileIdentity> identity;
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
    LogPage page;
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
    EXPECT_EQ(page.StateText, "Log successfully read.");
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
    EXPECT_EQ(page.Encoding, LogEncoding::Unknown);
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

// A log rewritten in place to fewer bytes than its kept head but not fewer
// than were read: the bytes both have tell whether it is still the same text.
TEST_F(LogReaderTest, RewrittenLogShorterThanItsHeadIsComparedOnTheBytesBothHave) {
    struct Case {
        const char* name;
        std::string before, rewritten;
        PassResult result; // of the pass that meets the rewritten file
        std::string appended;
        V rows; // once appended has been written and read
    } cases[] = {
        {"emptied and refilled",
         "line1\r\nline2\r\npartial line still being written",
         "NEWER1\r\nNEWER2\r\nNEWER3\r\n",
         PassResult::Reset,
         "",
         {"NEWER1", "NEWER2", "NEWER3"}},
        {"unfinished line cut back",
         "line1\r\npartial long",
         "line1\r\npart",
         PassResult::NoCompleteLine,
         "ial done\r\n",
         {"line1", "partial done"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetLog(page, list);
        WriteFile(page.FileName, c.before);
        EXPECT_EQ(Pass().Result, PassResult::Bulk);
        WriteFile(page.FileName, c.rewritten);
        EXPECT_EQ(Pass().Result, c.result);
        AppendFile(page.FileName, c.appended);
        Pass();
        EXPECT_EQ(Rows(), c.rows);
    }
}

// A log emptied and written again while a chunk of it was being read (in
// several blocks): the rows must not show the new bytes at the offsets of
// the old ones.
TEST_F(LogReaderTest, LogCutBackWhileAChunkIsReadIsReadAgainFromItsStart) {
    reader.SetBlockSize(16);
    WriteFile(page.FileName, "old 1\r\nold 2\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    AppendFile(page.FileName, "old 3\r\nold 4\r\nold 5\r\nold 6\r\n");
    files.afterReadFrom = page.ReadPos;
    files.afterNextRead = [&] { WriteFile(page.FileName, "new A\r\nnew B\r\n"); };
    EXPECT_EQ(Pass().Result, PassResult::Reset);
    EXPECT_TRUE(list.Lines().empty());
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    EXPECT_EQ(Rows(), (V{"new A", "new B"}));
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

// Lines written to a log right before it was rotated are still shown, with
// their alerts, read through the descriptor kept of the old file; then the
// new file is followed.
TEST_F(LogReaderTest, RotatedLogIsReadToItsEndBeforeTheNewFile) {
    const std::string path = page.FileName;
    for (bool addedOnly : {true, false}) {
        for (bool createdAtOnce : {true, false}) {
            SCOPED_TRACE(std::string(addedOnly ? "added lines" : "all lines") +
                         (createdAtOnce ? ", renamed and created" : ", renamed, created later"));
            settings.addedOnly = addedOnly;
            std::filesystem::remove(path + ".1");
            ResetLog(page, list);
            WriteFile(path, "old 1\r\n");
            Pass();
            AppendFile(path, "old 2 Error\r\n");
            std::filesystem::rename(path, path + ".1");
            AppendFile(path + ".1", "after the rename\r\n"); // still the writer's file
            if (createdAtOnce)
                WriteFile(path, "new 1\r\n");

            const PassOutcome last = Pass();
            EXPECT_EQ(last.Result, PassResult::Appended);
            EXPECT_TRUE(last.Alerts[2]);
            EXPECT_EQ(Rows(), addedOnly ? (V{"old 2 Error", "after the rename"})
                                        : (V{"old 1", "old 2 Error", "after the rename"}));

            AppendFile(path + ".1", "too late\r\n"); // the new file has been found
            EXPECT_EQ(Pass().Result, createdAtOnce ? PassResult::Reset : PassResult::Missing);
            if (!createdAtOnce)
                WriteFile(path, "new 1\r\n");
            EXPECT_EQ(Pass().Result, addedOnly ? PassResult::Appended : PassResult::Bulk);
            EXPECT_EQ(Rows(), V{"new 1"});
        }
    }
}

// Rows and reader share what they keep of a followed log: one descriptor,
// however many passes read it, given back when the log is reset.
TEST_F(LogReaderTest, AFollowedLogKeepsOneDescriptorOpen) {
    auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator());
    };
    for (bool addedOnly : {true, false}) {
        SCOPED_TRACE(addedOnly ? "added lines" : "all lines");
        settings.addedOnly = addedOnly;
        ResetLog(page, list);
        const auto before = openDescriptors();
        WriteFile(page.FileName, "one\r\n");
        Pass();
        EXPECT_EQ(openDescriptors(), before + 1);
        for (const char* line : {"two\r\n", "three\r\n"}) {
            AppendFile(page.FileName, line);
            EXPECT_EQ(Pass().Result, PassResult::Appended);
            EXPECT_EQ(openDescriptors(), before + 1);
        }
        ResetLog(page, list);
        EXPECT_EQ(openDescriptors(), before);
    }
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

// A followed log replaced by the reader's own reset: in the only-new-lines
// mode every line of the next file was written after the log was opened, so
// none may be skipped; the all-lines mode loads the new file in bulk.
TEST_F(LogReaderTest, LinesOfTheFileThatReplacedAFollowedLogAllShow) {
    using Alerts = std::array<bool, 3>;
    const std::string path = page.FileName;
    struct Step {
        std::function<void()> act;
        PassResult added, all; // the pass's result in each mode
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        Alerts addedAlerts; // raised by the passes of the steps
        Alerts allAlerts;
    } cases[] = {
        {"rename and create",
         {{[&] {
               std::filesystem::rename(path, path + ".1");
               WriteFile(path, "after 1 Error\n");
           },
           PassResult::Reset, PassResult::Reset},
          {[&] { AppendFile(path, "after 2 Warn\n"); }, PassResult::Appended, PassResult::Bulk}},
         {false, true, true},
         {false, false, false}},
        {"copy, truncate, then regrow",
         {{[&] {
               std::filesystem::copy_file(path, path + ".1");
               WriteFile(path, "");
           },
           PassResult::Reset, PassResult::Reset},
          {[] {}, PassResult::Undecided, PassResult::Undecided},
          {[&] { AppendFile(path, "after 1 Error\nafter 2 Warn\n"); }, PassResult::Appended,
           PassResult::Bulk}},
         {false, true, true},
         {false, false, false}},
        {"rewritten past the old size",
         {{[&] { WriteFile(path, "after 1 Error\nafter 2 Warn\n"); }, PassResult::Reset,
           PassResult::Reset},
          {[] {}, PassResult::Appended, PassResult::Bulk}},
         {false, true, true},
         {false, false, false}},
        {"shrunk",
         {{[&] { WriteFile(path, "after 1 Error\n"); }, PassResult::Reset, PassResult::Reset},
          {[&] { AppendFile(path, "after 2 Warn\n"); }, PassResult::Appended, PassResult::Bulk}},
         {false, true, true},
         {false, false, false}},
        {"deleted, missing twice, recreated",
         {{[&] { std::filesystem::remove(path); }, PassResult::Missing, PassResult::Missing},
          {[] {}, PassResult::Missing, PassResult::Missing},
          {[&] { WriteFile(path, "after 1 Error\n"); }, PassResult::Appended, PassResult::Bulk},
          {[&] { AppendFile(path, "after 2 Warn\n"); }, PassResult::Appended,
           PassResult::Appended}},
         {false, true, true},
         {false, true, false}},
        {"replaced, reading its lines fails once",
         {{[&] {
               std::filesystem::rename(path, path + ".1");
               WriteFile(path, "\xEF\xBB\xBF"
                               "after 1 Error\n");
           },
           PassResult::Reset, PassResult::Reset},
          {[&] {
               files.failReads = true;
               files.failReadsFrom = 3; // the encoding is decided, the lines not read
           },
           PassResult::ReadFailed, PassResult::ReadFailed},
          {[&] {
               files.failReads = false;
               AppendFile(path, "after 2 Warn\n");
           },
           PassResult::Appended, PassResult::Bulk}},
         {false, true, true},
         {false, false, false}},
    };
    for (bool addedOnly : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (addedOnly ? " (added lines)" : " (all lines)"));
            settings.addedOnly = addedOnly;
            std::filesystem::remove(path);
            std::filesystem::remove(path + ".1");
            ResetLog(page, list);
            WriteFile(path, "old 1 Info\n");
            EXPECT_EQ(Pass().Result, addedOnly ? PassResult::JumpedToEnd : PassResult::Bulk);
            AppendFile(path, "new 2 Error\n");
            EXPECT_EQ(Pass().Result, PassResult::Appended);

            Alerts alerts{};
            for (const Step& step : c.steps) {
                step.act();
                PassOutcome out = Pass();
                EXPECT_EQ(out.Result, addedOnly ? step.added : step.all);
                for (size_t g = 0; g < 3; ++g)
                    alerts[g] = alerts[g] || out.Alerts[g];
            }
            EXPECT_EQ(Rows(), (V{"after 1 Error", "after 2 Warn"}));
            EXPECT_EQ(alerts, addedOnly ? c.addedAlerts : c.allAlerts);

            // Followed as usual afterwards, and no jump is left pending.
            AppendFile(path, "after 3\n");
            EXPECT_EQ(Pass().Result, PassResult::Appended);
            EXPECT_EQ(Rows(), (V{"after 1 Error", "after 2 Warn", "after 3"}));
            EXPECT_FALSE(page.FollowFromStart);
        }
    }
}

// Reloading on the user's behalf keeps the mode's meaning: only lines added
// from then on, even when the reload comes while a replaced log is missing.
TEST_F(LogReaderTest, ReloadedLogStillStartsAtItsEnd) {
    settings.addedOnly = true;
    WriteFile(page.FileName, "old\n");
    EXPECT_EQ(Pass().Result, PassResult::JumpedToEnd);
    AppendFile(page.FileName, "new\n");
    EXPECT_EQ(Pass().Result, PassResult::Appended);

    ResetLog(page, list);
    AppendFile(page.FileName, "newer\n");
    EXPECT_EQ(Pass().Result, PassResult::JumpedToEnd);
    EXPECT_TRUE(list.Lines().empty());

    std::filesystem::remove(page.FileName);
    EXPECT_EQ(Pass().Result, PassResult::Missing);
    ResetLog(page, list);
    WriteFile(page.FileName, "back\n");
    EXPECT_EQ(Pass().Result, PassResult::JumpedToEnd);
    EXPECT_TRUE(list.Lines().empty());
}

// A path that stops answering for a moment and then gives back the very same
// file: its lines were seen before and must not come back as new ones with
// their alerts (on a large log that would also mean reading all of it again).
TEST_F(LogReaderTest, SameFileAnsweringAgainIsNotNew) {
    using Alerts = std::array<bool, 3>;
    for (bool addedOnly : {true, false}) {
        SCOPED_TRACE(addedOnly ? "added lines" : "all lines");
        settings.addedOnly = addedOnly;
        ResetLog(page, list);
        WriteFile(page.FileName, "old 1 Error\n");
        Pass();
        AppendFile(page.FileName, "new 2 Warn\n");
        EXPECT_EQ(Pass().Result, PassResult::Appended);

        files.failStat = true;
        EXPECT_EQ(Pass().Result, PassResult::Missing);
        EXPECT_EQ(Pass().Result, PassResult::Missing);
        files.failStat = false;
        AppendFile(page.FileName, "new 3\n");
        PassOutcome back = Pass();
        EXPECT_EQ(back.Result, addedOnly ? PassResult::JumpedToEnd : PassResult::Bulk);
        EXPECT_EQ(back.Alerts, (Alerts{false, false, false}));
        EXPECT_EQ(Rows(), addedOnly ? V{} : (V{"old 1 Error", "new 2 Warn", "new 3"}));

        AppendFile(page.FileName, "new 4 Error\n");
        PassOutcome next = Pass();
        EXPECT_EQ(next.Result, PassResult::Appended);
        EXPECT_TRUE(next.Alerts[2]);
        EXPECT_EQ(Rows().back(), "new 4 Error");
    }
}

// A log deleted and made anew while its path did not answer may get the old
// inode back. Only a birth time, or without one the old read position and
// first bytes, can tell that it is the same file; any doubt shows its lines.
TEST_F(LogReaderTest, FileMadeAnewWithTheOldInodeIsNew) {
    settings.addedOnly = true;
    const std::string banner = "=== service log ===\r\n";
    std::string longer = banner;
    while (longer.size() < 5000)
        longer += "an ordinary line of the old log\r\n";
    const std::string fresh = "fresh Error after restart\r\n";
    struct Case {
        const char* name;
        std::string before, after;
        int64_t birthBefore, birthAfter; // 0: the file system keeps none
        bool same;
    } cases[] = {
        {"other birth time", banner, banner + fresh, 100, 200, false},
        {"same birth time", banner, banner + fresh, 100, 100, true},
        {"no birth time, same start", banner, banner + fresh, 0, 0, true},
        {"no birth time, short of the old read position", longer,
         longer.substr(0, longer.find("\r\n", 4500) + 2) + fresh, 0, 0, false},
        {"no birth time, other start", banner, "=== other log ===\r\n" + fresh, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetLog(page, list);
        files.identity = FileIdentity{1, 42, c.birthBefore};
        WriteFile(page.FileName, c.before);
        EXPECT_EQ(Pass().Result, PassResult::JumpedToEnd);
        std::filesystem::remove(page.FileName);
        EXPECT_EQ(Pass().Result, PassResult::Missing);
        files.identity = FileIdentity{1, 42, c.birthAfter};
        WriteFile(page.FileName, c.after);
        const PassOutcome out = Pass();
        EXPECT_EQ(out.Result, c.same ? PassResult::JumpedToEnd : PassResult::Appended);
        EXPECT_EQ(out.Alerts[2], !c.same);
        EXPECT_EQ(!Rows().empty() && Rows().back() == "fresh Error after restart", !c.same);
    }
}

// The path and a descriptor of it must name the file alike, or every pass
// would take the log for another file; a file made anew at a path is
// another, even where the file system hands it the old inode.
TEST_F(LogReaderTest, PathAndDescriptorGiveTheSameIdentity) {
    PosixFileSource posix;
    WriteFile(page.FileName, "one\r\n");
    const std::optional<LogStamp> byPath = posix.Stat(page.FileName);
    const OpenResult opened = posix.Open(page.FileName);
    ASSERT_TRUE(byPath && opened.File && opened.Stamp);
    EXPECT_EQ(opened.Stamp->Identity, byPath->Identity);
    EXPECT_EQ(opened.File->Stat()->Identity, byPath->Identity);

    std::filesystem::remove(page.FileName);
    WriteFile(page.FileName, "one\r\n");
    const std::optional<LogStamp> anew = posix.Stat(page.FileName);
    ASSERT_TRUE(anew);
    if (anew->Identity.BirthTimeNs != 0 || anew->Identity.Inode != byPath->Identity.Inode) {
        EXPECT_NE(anew->Identity, byPath->Identity);
    }
}

// A log that did not exist yet, or was too short to read, when it was opened:
// every line it gets afterwards arrived after the opening, so all of them show.
TEST_F(LogReaderTest, LogCreatedAfterOpeningShowsAllItsLines) {
    settings.addedOnly = true;
    const struct {
        const char* name;
        std::function<void()> before; // the state at the first pass
        PassResult first;
    } cases[] = {
        {"missing", [&] { std::filesystem::remove(page.FileName); }, PassResult::Missing},
        {"empty", [&] { WriteFile(page.FileName, ""); }, PassResult::Undecided},
        {"one byte", [&] { WriteFile(page.FileName, "E"); }, PassResult::Undecided},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetLog(page, list);
        c.before();
        EXPECT_EQ(Pass().Result, c.first);
        AppendFile(page.FileName, "rror one\nsecond\n");
        PassOutcome out = Pass();
        EXPECT_EQ(out.Result, PassResult::Appended);
        EXPECT_EQ(list.Lines().size(), 2u);
        EXPECT_EQ(Rows().back(), "second");
        EXPECT_TRUE(out.Alerts[2] == (std::string(c.name) == "one byte"));
    }
}

// The filtering pass reports in the order the list shows the lines, whether
// every line is shown or the filter decides line by line.
TEST_F(LogReaderTest, FilteringProgressFollowsTheListOrder) {
    std::string log;
    for (int i = 0; i < 12000; ++i)
        log += i % 2 ? "Error\n" : "calm\n";
    WriteFile(page.FileName, log);
    const V oldestFirst{"Filtering lines: 100%", "Filtering lines: 58%", "Filtering lines: 16%"};
    const V newestFirst{"Filtering lines: 16%", "Filtering lines: 58%", "Filtering lines: 100%"};
    for (bool atTop : {false, true}) {
        for (bool allEntries : {true, false}) {
            settings.atTop = atTop;
            settings.allEntries = allEntries;
            settings.shown = {false, false, true};
            ResetLog(page, list);
            progress.texts.clear();
            PassOutcome out = Pass();
            V filtering;
            for (const std::string& t : progress.texts)
                if (t.rfind("Filtering", 0) == 0)
                    filtering.push_back(t);
            EXPECT_EQ(filtering, atTop ? newestFirst : oldestFirst) << atTop << allEntries;
            EXPECT_EQ(out.LinesShown, allEntries ? 12000u : 6000u);
            EXPECT_EQ(Rows().front(), atTop || !allEntries ? "Error" : "calm");
        }
    }
}

TEST_F(LogReaderTest, DecodesEachEncodingAndKeepsOddBytes) {
    struct Case {
        std::string bytes;
        LogEncoding encoding;
        V rows;
        uint64_t readPos;
    } cases[] = {
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9\r\nx\xC3y\r\n",
         LogEncoding::Utf8,
         {"caf\xC3\xA9", "x\xEF\xBF\xBDy"},
         15},
        {"\xEF\xBB\xBF", LogEncoding::Utf8, {}, 3}, // mark only
        {"\xEF\xBB", LogEncoding::EightBit, {}, 0}, // two bytes: 8-bit, one unfinished line
        {"caf\xE9\r\n\xC3\xA9t\xC3\xA9\n",
         LogEncoding::EightBit,
         {"caf\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
         12},
        {"a\0b\r\nc\r\n"s, LogEncoding::EightBit, {"a\0b"s, "c"}, 8},
        {"\xFF\xFE"
         "A\0\r\0\n\0\xE9\0\n\0B"s,
         LogEncoding::Utf16,
         {"A", "\xC3\xA9"},
         12},
        {"A\nB\rC\r\n", LogEncoding::EightBit, {"A", "B", "C"}, 7},
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

// Heap in use now, in bytes.
size_t HeapInUse() {
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The buffer a long line took is given back at the end of the pass, however
// the reading ended: a read that fails half-way through a chunk included.
// Only a buffer of one read piece (128 KiB) is kept.
TEST_F(LogReaderTest, ReadingGivesBackItsLargeBufferEvenWhenAReadFails) {
    std::string log = "a line of an ordinary log\r\n" + std::string(size_t{300} << 10, 'L');
    while (log.size() < (size_t{1} << 20))
        log += "\r\na line of an ordinary log";
    WriteFile(page.FileName, log);
    reader.SetBlockSize(size_t{1} << 20);
    files.failReads = true;
    files.failReadsFrom = size_t{512} << 10;
    const size_t before = HeapInUse();
    EXPECT_EQ(Pass().Result, PassResult::ReadFailed);
    EXPECT_LT(HeapInUse(), before + (size_t{200} << 10));
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

// A line that has no end yet costs no more memory than a block, however
// long it grows, and each pass reads only what was added to it. Once its end
// arrives it is indexed like any other and read back whole when asked.
TEST_F(LogReaderTest, ALineWithoutAnEndIsNeverHeldWholeNorReadAgainAtEveryPass) {
    constexpr size_t Block = 4096;
    const std::string part1(300'000, 'x'), part2(200'000, 'y');
    for (bool utf16 : {false, true}) {
        SCOPED_TRACE(utf16 ? "UTF-16" : "8-bit");
        auto text = [&](const std::string& s) {
            if (!utf16)
                return s;
            std::string out;
            for (char c : s)
                out += std::string{c, '\0'};
            return out;
        };
        const std::string first = (utf16 ? "\xFF\xFE" : "") + text("first\r\n");
        ResetLog(page, list);
        reader.SetBlockSize(Block);
        WriteFile(page.FileName, first + text(part1));
        files.bytesRead = 0;
        files.largestRead = 0;
        EXPECT_EQ(Pass().Result, PassResult::Bulk);
        EXPECT_EQ(Rows(), V{"first"});
        EXPECT_EQ(page.ReadPos, first.size());
        EXPECT_LT(files.bytesRead, text(part1).size() + 2 * Block);

        files.bytesRead = 0;
        AppendFile(page.FileName, text(part2));
        EXPECT_EQ(Pass().Result, PassResult::NoCompleteLine);
        EXPECT_LT(files.bytesRead, text(part2).size() + 2 * Block);

        AppendFile(page.FileName, text(" Error\r"));
        EXPECT_EQ(Pass().Result, PassResult::NoCompleteLine); // a CR alone may begin a CR LF
        AppendFile(page.FileName, text("\nlast\r\n"));
        const PassOutcome out = Pass();
        EXPECT_EQ(out.Result, PassResult::Appended);
        EXPECT_TRUE(out.Alerts[2]);
        EXPECT_LE(files.largestRead, Block);
        EXPECT_EQ(Rows(), (V{"first", part1 + part2 + " Error", "last"}));
        EXPECT_EQ(page.MaxLineLen, part1.size() + part2.size() + 6);
    }
}

// A row's highest group is kept in the index where reading tested its
// keywords anyway (a verdict found the highest group, an alert needed every
// group, a long line was tested whole); a bulk load of "All Entries" tests
// none, and the drawing works it out later.
TEST_F(LogReaderTest, TheIndexKeepsARowsGroupWhereReadingTestedItsKeywords) {
    using G = std::vector<int>;
    auto groups = [&] {
        G out;
        for (size_t i = 0; i < list.Lines().size(); ++i)
            out.push_back(list.Lines().Group(i));
        return out;
    };
    const std::string log = "calm\r\nWarn x\r\nError one\r\n2006 Warn Error\r\n";
    struct Case {
        const char* name;
        bool allEntries;
        std::array<bool, 3> shown;
        G bulk, appended; // "warn", "calm", "Warn and Error" added after the bulk load
    } cases[] = {
        {"All Entries", true, {true, true, true}, {-1, -1, -1, -1}, {2, 0, 3}},
        {"Errors only", false, {false, false, true}, {3, 3}, {3}},
        {"every group", false, {true, true, true}, {-1, 3, -1}, {2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.allEntries = c.allEntries;
        settings.shown = c.shown;
        ResetLog(page, list);
        WriteFile(page.FileName, log);
        EXPECT_EQ(Pass().Result, PassResult::Bulk);
        EXPECT_EQ(groups(), c.bulk);
        AppendFile(page.FileName, "warn\r\ncalm\r\nWarn and Error\r\n");
        EXPECT_EQ(Pass().Result, PassResult::Appended);
        G expected = c.bulk;
        expected.insert(expected.end(), c.appended.begin(), c.appended.end());
        EXPECT_EQ(groups(), expected);
    }

    // A line longer than a block is tested whole in any case.
    settings.allEntries = true;
    ResetLog(page, list);
    reader.SetBlockSize(64);
    WriteFile(page.FileName, std::string(1000, 'x') + " Warn\r\nError\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    EXPECT_EQ(groups(), (G{2, -1}));
}

// Groups of regular expressions give a line one verdict wherever it is
// asked: the colour it is drawn in, the View filter of a bulk load, the alert
// of a followed line and the group kept in the index, for short lines and
// lines longer than the reader's block alike.
TEST_F(LogReaderTest, RegexGroupsGiveOneVerdictToColourFilterAndAlert) {
    settings.keywords = {"^\\d{4}-", "warn(ing)?\\b", "ERR[0-9]+$;^caf.$"};
    settings.regex = {true, true, true};
    const std::string longX(10'000, 'x');
    struct Case {
        std::string line;
        unsigned groups; // bit g-1
    } cases[] = {
        {"2006-01-02 start", 0b001},
        {"on 2006-01-02", 0},
        {"warning: disk", 0b010},
        {"warned", 0},
        {"failed ERR42", 0b100},
        {"ERR42 failed", 0},
        {"caf\xC3\xA9", 0b100},
        {"2006-01-02 warn ERR7", 0b111},
        {"2006-" + longX, 0b001},
        {longX + " ERR7", 0b100},
        {"ERR7 " + longX, 0},
        {longX + " warn " + longX, 0b010},
        // Terminal sequences are not part of the text the patterns see.
        {"\x1b[32m2006-01-02\x1b[0m start", 0b001},
        {"\x1b[31mfailed ERR\x1b[1m42\x1b[0m", 0b100},
        {"\x1b]0;2006-\x07warned", 0},
    };
    reader.SetBlockSize(4096);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 30));
        const int highest = HighestOf(c.groups);
        EXPECT_EQ(HighestGroup(c.line, settings), highest); // the colour

        settings.allEntries = true;
        ResetLog(page, list);
        WriteFile(page.FileName, "calm\r\n");
        EXPECT_EQ(Pass().Result, PassResult::Bulk);
        AppendFile(page.FileName, c.line + "\r\n");
        const PassOutcome out = Pass();
        EXPECT_EQ(out.Result, PassResult::Appended);
        EXPECT_EQ(out.Alerts, (std::array<bool, 3>{(c.groups & 1) != 0, (c.groups & 2) != 0,
                                                   (c.groups & 4) != 0}));
        EXPECT_EQ(list.Lines().Group(1), highest);

        settings.allEntries = false;
        for (int g = 1; g <= 3; ++g) {
            settings.shown = {g == 1, g == 2, g == 3};
            ResetLog(page, list);
            WriteFile(page.FileName, "calm\r\n" + c.line + "\r\n");
            EXPECT_EQ(Pass().Result, PassResult::Bulk);
            EXPECT_EQ(Rows().size(), (c.groups >> (g - 1)) & 1u) << "group " << g;
        }
    }
    settings.allEntries = true;
    settings.shown = {true, true, true};
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

    // Nothing shown: the list stays empty and the next chunk is loaded in bulk,
    // still counting the hidden lines before it.
    ResetLog(page, list);
    WriteFile(page.FileName, "calm\r\nquiet\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    EXPECT_EQ(page.LinesText, "Lines: 2");
    AppendFile(page.FileName, "Error\r\n");
    EXPECT_EQ(Pass().Result, PassResult::Bulk);
    EXPECT_EQ(Numbers(list.Lines()), std::vector<int>{0});
    EXPECT_EQ(page.LinesText, "Lines: 3");
}

// A bulk load read one block per call ends exactly as one read at once:
// the same rows in the same order with the same groups, counts, positions
// and texts, and the passes after it go on alike.
TEST_F(LogReaderTest, ALoadReadInSlicesEndsAsALoadReadAtOnce) {
    std::string log;
    for (int i = 0; i < 200; ++i) {
        std::string line = "line " + std::to_string(i);
        line += i % 5 == 0 ? " Warn" : "";
        line += i % 7 == 0 ? " Error" : "";
        line += i % 11 == 0 ? " 2006" : "";
        line += i % 37 == 0 ? std::string(300, 'L') : ""; // longer than a block
        log += line + (i % 3 ? "\r\n" : "\n");
    }
    log += "unfinished";
    auto groups = [](const LineIndex& lines) {
        std::vector<int> out;
        for (size_t i = 0; i < lines.size(); ++i)
            out.push_back(lines.Group(i));
        return out;
    };
    struct Filter {
        const char* name;
        bool allEntries;
        std::array<bool, 3> shown;
    } filters[] = {{"All Entries", true, {true, true, true}},
                   {"Warnings and Errors", false, {false, true, true}},
                   {"nothing", false, {false, false, false}}};
    for (const Filter& f : filters) {
        for (bool atTop : {false, true}) {
            for (size_t block : {16, 64, 1000}) {
                SCOPED_TRACE(std::string(f.name) + (atTop ? ", newest at top, " : ", ") +
                             std::to_string(block));
                settings.allEntries = f.allEntries;
                settings.shown = f.shown;
                settings.atTop = atTop;
                WriteFile(page.FileName, log);
                LogReader once(files, settings, clock, progress);
                once.SetBlockSize(block);
                LogPage oncePage;
                oncePage.FileName = page.FileName;
                MemoryLineList onceList;
                const PassOutcome whole = once.Pass(oncePage, onceList);

                ResetLog(page, list);
                page.StateText.clear();
                LogReader sliced(files, settings, clock, progress);
                sliced.SetBlockSize(block);
                sliced.SetSliceBudget(std::chrono::nanoseconds(0));
                progress.texts.clear();
                int slices = 0;
                size_t rows = 0;
                PassOutcome out = sliced.Pass(page, list);
                for (; out.Result == PassResult::Loading && slices < 1000; ++slices) {
                    EXPECT_TRUE(LogReader::Loading(page));
                    EXPECT_EQ(page.StateText, "") << "the texts wait for the end";
                    EXPECT_GE(list.Lines().size(), rows) << "rows show as they are read";
                    rows = list.Lines().size();
                    out = sliced.Pass(page, list);
                }
                EXPECT_GT(slices, 3);
                EXPECT_FALSE(LogReader::Loading(page));
                EXPECT_EQ(out.Result, whole.Result);
                EXPECT_EQ(out.LinesTaken, whole.LinesTaken);
                EXPECT_EQ(out.LinesShown, whole.LinesShown);
                EXPECT_EQ(Texts(list.Lines()), Texts(onceList.Lines()));
                EXPECT_EQ(groups(list.Lines()), groups(onceList.Lines()));
                EXPECT_EQ(page.ReadPos, oncePage.ReadPos);
                EXPECT_EQ(page.ScanPos, oncePage.ScanPos);
                EXPECT_EQ(page.FileStamp, oncePage.FileStamp);
                EXPECT_EQ(page.LineCount, oncePage.LineCount);
                EXPECT_EQ(page.MaxLineLen, oncePage.MaxLineLen);
                EXPECT_EQ(page.LinesText, oncePage.LinesText);
                EXPECT_EQ(page.DisplayedText, oncePage.DisplayedText);
                EXPECT_EQ(page.StateText, oncePage.StateText);
                // Progress: the filtering text at the byte reached, from the
                // end the filtering walks from, then the load's own texts.
                ASSERT_GE(progress.texts.size(), 5u);
                EXPECT_EQ(progress.texts.front(), "Reading app.log...");
                const V last(progress.texts.end() - 4, progress.texts.end());
                EXPECT_EQ(last, (V{atTop ? "Filtering lines: 100%" : "Filtering lines: 0%", "",
                                   "Loading app.log...", ""}));

                // With nothing shown the list is empty and this is a load too.
                AppendFile(page.FileName, "d\r\nError after\r\n");
                PassOutcome next = sliced.Pass(page, list);
                for (int more = 0; next.Result == PassResult::Loading && more < 100; ++more)
                    next = sliced.Pass(page, list);
                EXPECT_EQ(next.Result, once.Pass(oncePage, onceList).Result);
                EXPECT_EQ(Texts(list.Lines()), Texts(onceList.Lines()));
                EXPECT_EQ(Numbers(list.Lines()), Numbers(onceList.Lines()));
            }
        }
    }
}

TEST_F(LogReaderTest, ALoadInSlicesEndsWithAResetAFailedReadOrACutBack) {
    std::string log;
    for (int i = 10; i < 110; ++i)
        log += "line " + std::to_string(i) + "\r\n"; // 9 bytes a line
    auto load = [&] {
        PassResult result = PassResult::Loading;
        for (int slices = 0; result == PassResult::Loading && slices < 100; ++slices)
            result = Pass().Result;
        return result;
    };
    WriteFile(page.FileName, log);
    reader.SetBlockSize(64);
    reader.SetSliceBudget(std::chrono::nanoseconds(0));

    // A reset (a reload, a closed tab) ends the load at once.
    EXPECT_EQ(Pass().Result, PassResult::Loading);
    EXPECT_FALSE(list.Lines().empty());
    ResetLog(page, list);
    EXPECT_FALSE(LogReader::Loading(page));
    EXPECT_TRUE(list.Lines().empty());
    EXPECT_EQ(load(), PassResult::Bulk);
    EXPECT_EQ(list.Lines().size(), 100u);

    // A read failing half-way keeps nothing of the load, as a chunk read at
    // once keeps nothing; the next pass loads the log again.
    ResetLog(page, list);
    files.failReads = true;
    files.failReadsFrom = 500;
    EXPECT_EQ(load(), PassResult::ReadFailed);
    EXPECT_FALSE(LogReader::Loading(page));
    EXPECT_TRUE(list.Lines().empty());
    EXPECT_EQ(page.StateText, "Log can't be read. Read error.");
    files.failReads = false;
    EXPECT_EQ(load(), PassResult::Bulk);
    EXPECT_EQ(list.Lines().size(), 100u);

    // Emptied and written again while it loads: the rows of the old bytes go.
    ResetLog(page, list);
    EXPECT_EQ(Pass().Result, PassResult::Loading);
    WriteFile(page.FileName, "new A\r\nnew B\r\n");
    PassResult result = PassResult::Loading;
    for (int passes = 0; result != PassResult::Reset && passes < 10; ++passes)
        result = Pass().Result;
    EXPECT_EQ(result, PassResult::Reset);
    EXPECT_EQ(load(), PassResult::Bulk);
    EXPECT_EQ(Rows(), (V{"new A", "new B"}));
}

} // namespace
} // namespace marrowlight

namespace marrowlight {
namespace {

TEST_F(LogReaderTest, CountsAppendedLinesPerGroupAndFindsTheFirstOfThem) {
    using Counts = std::array<uint64_t, 3>;
    using Rows = std::array<size_t, 3>;
    struct Case {
        const char* what;
        bool atTop;
        const char* added; // after the bulk rows "a" and "b"
        Counts lines;
        Rows firstRow; // of groups with lines
        Counts drawn;
    };
    const Case cases[] = {
        {"none of a group", false, "x\ny\n", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {"appended", false, "x\nError 1\nwarn\nError 2\n", {0, 1, 2}, {0, 4, 3}, {0, 1, 2}},
        {"newest at the top", true, "x\nError 1\nwarn\nError 2\n", {0, 1, 2}, {0, 1, 2}, {0, 1, 2}},
        // Counted in both groups, drawn in the higher one.
        {"in two groups", false, "Warn Error\n2006 warn\n", {1, 2, 1}, {3, 2, 2}, {0, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings.atTop = c.atTop;
        page = LogPage();
        page.FileName = dir.File("app.log");
        list.ClearLines();
        WriteFile(page.FileName, "a\nb\n");
        ASSERT_EQ(Pass().Result, PassResult::Bulk);
        AppendFile(page.FileName, c.added);
        const PassOutcome out = Pass();
        ASSERT_EQ(out.Result, PassResult::Appended);
        EXPECT_EQ(out.GroupLines, c.lines);
        EXPECT_EQ(out.DrawnGroupLines, c.drawn);
        for (int g = 0; g < 3; ++g) {
            if (c.lines[g] > 0) {
                EXPECT_EQ(out.FirstGroupRow[g], c.firstRow[g]) << "group " << g + 1;
            }
        }
    }
}

} // namespace
} // namespace marrowlight
