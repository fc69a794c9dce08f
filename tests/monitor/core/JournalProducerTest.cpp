#include "monitor/core/JournalProducer.h"

#include "monitor/core/MonitorTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>

namespace marrowlight {
namespace {

using testing::TempDir;
using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

struct MemorySink : TextSink {
    std::string Text;
    bool Append(std::string_view bytes) override {
        Text.append(bytes);
        return true;
    }
    uint64_t Size() const override { return Text.size(); }
};

std::string JournalRemote() {
    for (const char* path :
         {"/lib/systemd/systemd-journal-remote", "/usr/lib/systemd/systemd-journal-remote"}) {
        if (::access(path, X_OK) == 0)
            return path;
    }
    return {};
}

struct Entry {
    uint64_t Second; // after 2026-12-09T01:43:00Z
    std::string Host;
    std::string Message;
    std::map<std::string, std::string> More;
};

// Writes entries to a journal file in the export format through
// systemd-journal-remote, which appends when the file exists.
void WriteJournal(const std::string& file, const std::vector<Entry>& entries) {
    std::string text;
    for (const Entry& e : entries) {
        text += "__REALTIME_TIMESTAMP=" + std::to_string((1796780580 + e.Second) * 1000000) + "\n";
        text += "__MONOTONIC_TIMESTAMP=" + std::to_string(e.Second * 1000000 + 1) + "\n";
        text += "_BOOT_ID=0123456789abcdef0123456789abcdef\n";
        if (!e.Host.empty())
            text += "_HOSTNAME=" + e.Host + "\n";
        std::map<std::string, std::string> fields = e.More;
        fields.emplace("SYSLOG_IDENTIFIER", "app");
        fields.emplace("MESSAGE", e.Message);
        for (const auto& [name, value] : fields) {
            if (value.find_first_of(std::string("\n\0", 2)) == std::string::npos) {
                text += name + "=" + value + "\n";
                continue;
            }
            // A value with line ends or NULs goes with its length before it.
            text += name + "\n";
            uint64_t size = value.size();
            text.append(reinterpret_cast<const char*>(&size), 8);
            text += value + "\n";
        }
        text += "\n";
    }
    const std::string command = JournalRemote() + " -o '" + file + "' - 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "w");
    ASSERT_NE(pipe, nullptr);
    std::fwrite(text.data(), 1, text.size(), pipe);
    ASSERT_EQ(::pclose(pipe), 0) << command;
}

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    while (pipe && !std::feof(pipe)) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe);
        out.append(buffer, n);
    }
    if (pipe)
        ::pclose(pipe);
    return out;
}

Lines SplitLines(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Produces until the producer waits; slices of no time at all, so the
// backlog comes in many small pieces as it would in a busy window.
ProduceStatus ProduceAll(JournalProducer& producer, MemorySink& sink) {
    for (int calls = 0; calls < 100000; ++calls) {
        const ProduceStatus status = producer.Produce(sink, Clock::now());
        if (status != ProduceStatus::More)
            return status;
    }
    return ProduceStatus::More;
}

bool WaitForWake(const JournalProducer& producer) {
    pollfd wake{producer.WakeDescriptor(), POLLIN, 0};
    return ::poll(&wake, 1, 10000) == 1;
}

JournalSource FilesSource(std::vector<std::string> paths, std::string host = {}) {
    JournalSource source;
    source.SourceKind = JournalSource::Kind::Files;
    source.Paths = std::move(paths);
    source.Host = std::move(host);
    return source;
}

class JournalProducerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (JournalRemote().empty())
            GTEST_SKIP() << "systemd-journal-remote is not installed (scripts/install-deps.sh)";
        if (const char* tz = std::getenv("TZ"))
            oldZone_ = tz;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        if (oldZone_)
            ::setenv("TZ", oldZone_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    TempDir dir_;
    std::optional<std::string> oldZone_;
};

TEST_F(JournalProducerTest, FolderOfMachinesReadsAsJournalctlShowsIt) {
    const std::string folder = dir_.File("remote");
    std::filesystem::create_directory(folder);
    WriteJournal(
        folder + "/remote-web01.journal",
        {{0, "web01", "upstream timed out", {{"_PID", "812"}, {"PRIORITY", "3"}}},
         {2, "web01", "GET /", {{"SYSLOG_PID", "813"}, {"PRIORITY", "6"}}},
         {4, "web01", "source time first", {{"_SOURCE_REALTIME_TIMESTAMP", "1796780570000000"}}}});
    WriteJournal(folder + "/remote-db02.journal",
                 {{1,
                   "db02",
                   "checkpoint",
                   {{"_COMM", "postgres"}, {"SYSLOG_IDENTIFIER", ""}, {"_PID", ""}}},
                  {3, "db02", "no message follows", {{"PRIORITY", "4"}}},
                  {5, "", "no host", {}}});
    // An entry without a message has no line in journalctl either.
    WriteJournal(folder + "/remote-db02.journal", {{6, "db02", "", {{"MESSAGE", ""}}}});

    const auto journalctl = [&](const std::string& args) {
        return SplitLines(
            RunCommand("TZ=UTC journalctl " + args + " -o short-iso --no-pager -q 2>/dev/null"));
    };
    const struct {
        JournalSource source;
        std::string journalctlArgs;
        std::size_t lines;
    } cases[] = {
        {FilesSource({folder}), "-D '" + folder + "'", 7},
        {FilesSource({folder + "/remote-web01.journal"}),
         "--file='" + folder + "/remote-web01.journal'", 3},
        {FilesSource({folder}, "db02"), "-D '" + folder + "' _HOSTNAME=db02", 3},
        {[&] {
             JournalSource s = FilesSource({folder});
             s.MaxPriority = 4;
             return s;
         }(),
         "-D '" + folder + "' -p warning", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(FormatJournalAddress(c.source));
        JournalProducer producer(c.source);
        MemorySink sink;
        EXPECT_EQ(ProduceAll(producer, sink), ProduceStatus::Waiting);
        const Lines expected = journalctl(c.journalctlArgs);
        EXPECT_EQ(SplitLines(sink.Text), expected);
        EXPECT_EQ(expected.size(), c.lines);
        EXPECT_EQ(producer.EntryCount(), c.lines);
        EXPECT_EQ(producer.StateText(), "");
    }
    EXPECT_EQ(JournalHosts(FilesSource({folder})), (Lines{"db02", "web01"}));
}

TEST_F(JournalProducerTest, SeveralLinesAndBinaryMessagesStayOneRowEach) {
    const std::string file = dir_.File("x.journal");
    WriteJournal(file, {{0, "h", "first line\nsecond line\n", {}},
                        {1, "h", std::string("bin\0ary\x01", 8), {}},
                        {2, "h", "after", {}}});
    JournalProducer producer(FilesSource({file}));
    MemorySink sink;
    ProduceAll(producer, sink);
    EXPECT_EQ(sink.Text, "2026-12-09T01:43:00+0000 h app: first line \u23CE second line\n"
                         "2026-12-09T01:43:01+0000 h app: [8 bytes of data]\n"
                         "2026-12-09T01:43:02+0000 h app: after\n");
}

TEST_F(JournalProducerTest, DamagedFilesAreNamedAndTheRestShown) {
    const std::string folder = dir_.File("remote");
    std::filesystem::create_directory(folder);
    std::vector<Entry> many;
    for (uint64_t i = 0; i < 3000; ++i)
        many.push_back({i, "db02", "checkpoint " + std::to_string(i), {}});
    WriteJournal(folder + "/remote-db02.journal", many);
    WriteJournal(folder + "/remote-web01.journal", {{0, "web01", "fine", {}}});
    ::truncate((folder + "/remote-db02.journal").c_str(), 200000); // mid-entry
    {
        std::ofstream junk(folder + "/remote-junk.journal", std::ios::binary);
        junk << "LPKSHHRH" << std::string(500, '\x7F');
    }
    const struct {
        JournalSource source;
        std::string stateHas;
        Lines lines;
    } cases[] = {
        {FilesSource({folder}),
         "remote-db02.journal, remote-junk.journal",
         {"2026-12-09T01:43:00+0000 web01 app: fine"}},
        {FilesSource({folder + "/remote-junk.journal", folder + "/remote-web01.journal"}),
         "remote-junk.journal",
         {"2026-12-09T01:43:00+0000 web01 app: fine"}},
        {FilesSource({folder + "/remote-db02.journal"}), "remote-db02.journal", {}},
        {FilesSource({dir_.File("none.journal")}), "No such journal file", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(FormatJournalAddress(c.source));
        JournalProducer producer(c.source);
        MemorySink sink;
        EXPECT_EQ(ProduceAll(producer, sink), ProduceStatus::Waiting);
        EXPECT_EQ(SplitLines(sink.Text), c.lines);
        EXPECT_NE(producer.StateText().find(c.stateHas), std::string::npos) << producer.StateText();
    }
}

TEST_F(JournalProducerTest, FollowsAppendedRotatedAndNewFiles) {
    const std::string folder = dir_.File("remote");
    std::filesystem::create_directory(folder);
    const std::string file = folder + "/remote-web01.journal";
    WriteJournal(file, {{0, "web01", "one", {}}});

    JournalProducer byFolder(FilesSource({folder}));
    JournalProducer byFile(FilesSource({file}));
    MemorySink folderSink;
    MemorySink fileSink;
    ASSERT_EQ(ProduceAll(byFolder, folderSink), ProduceStatus::Waiting);
    ASSERT_EQ(ProduceAll(byFile, fileSink), ProduceStatus::Waiting);
    EXPECT_EQ(ProduceAll(byFolder, folderSink), ProduceStatus::Waiting); // nothing new

    const auto step = [&](const std::function<void()>& change, const std::string& line,
                          bool fileSees) {
        SCOPED_TRACE(line);
        change();
        EXPECT_TRUE(WaitForWake(byFolder));
        ProduceAll(byFolder, folderSink);
        EXPECT_EQ(SplitLines(folderSink.Text).back(), "2026-12-09T01:43:0" + line);
        ProduceAll(byFile, fileSink);
        EXPECT_EQ(SplitLines(fileSink.Text).back() == "2026-12-09T01:43:0" + line, fileSees);
    };
    // A second writer appends to the open file.
    step([&] { WriteJournal(file, {{1, "web01", "two", {}}}); }, "1+0000 web01 app: two", true);
    // systemd rotates: the file moves aside and a new one takes its path.
    step(
        [&] {
            std::filesystem::rename(file, folder + "/remote-web01@0-1-2.journal~");
            WriteJournal(file, {{2, "web01", "three", {}}});
        },
        "2+0000 web01 app: three", true);
    // A new machine's file appears in the folder.
    step(
        [&] {
            WriteJournal(folder + "/remote-db02.journal", {{3, "db02", "four", {}}});
        },
        "3+0000 db02 app: four", false);
    // Vacuum removes the oldest file; what was shown stays, nothing repeats.
    step(
        [&] {
            std::filesystem::remove(folder + "/remote-web01@0-1-2.journal~");
            WriteJournal(file, {{4, "web01", "five", {}}});
        },
        "4+0000 web01 app: five", true);
    EXPECT_EQ(SplitLines(folderSink.Text).size(), 5u) << folderSink.Text << "\n---\n"
                                                      << fileSink.Text;
    EXPECT_EQ(SplitLines(fileSink.Text).size(), 4u);
    EXPECT_EQ(byFolder.StateText(), "");
}

TEST_F(JournalProducerTest, EmptyOrMissingSourcesWaitAndFollow) {
    const std::string folder = dir_.File("later");
    JournalProducer missing(FilesSource({folder}));
    JournalProducer unit(std::string_view("journal://unit/marrowlight-test-none.service"));
    JournalProducer broken(std::string_view("journal://boot/3"));
    MemorySink sink;
    EXPECT_EQ(ProduceAll(missing, sink), ProduceStatus::Waiting);
    EXPECT_NE(missing.StateText().find(folder), std::string::npos);
    EXPECT_EQ(ProduceAll(broken, sink), ProduceStatus::Finished);
    EXPECT_NE(broken.StateText().find("boot"), std::string::npos);
    EXPECT_EQ(ProduceAll(unit, sink), ProduceStatus::Waiting);
    EXPECT_EQ(sink.Text, "");

    // The folder appears, empty, then gets a file: the tab follows along.
    std::filesystem::create_directory(folder);
    EXPECT_EQ(ProduceAll(missing, sink), ProduceStatus::Waiting);
    EXPECT_EQ(missing.StateText(), "");
    WriteJournal(folder + "/remote-web01.journal", {{0, "web01", "arrived", {}}});
    EXPECT_TRUE(WaitForWake(missing));
    ProduceAll(missing, sink);
    EXPECT_EQ(sink.Text, "2026-12-09T01:43:00+0000 web01 app: arrived\n");
}

TEST_F(JournalProducerTest, UnreadableFilesAskForTheGroup) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const std::string file = dir_.File("x.journal");
    WriteJournal(file, {{0, "h", "secret", {}}});
    ::chmod(file.c_str(), 0);
    JournalProducer producer(FilesSource({file}));
    MemorySink sink;
    ProduceAll(producer, sink);
    EXPECT_EQ(sink.Text, "");
    EXPECT_NE(producer.StateText().find("systemd-journal group"), std::string::npos);
}

} // namespace
} // namespace marrowlight
