#include "monitor/LogWatcher.h"

#include "RunEventsUntil.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace marrowlight {
namespace {

TEST(LogWatcher, TellsOfWritesTruncationRotationAndALogThatAppears) {
#if !defined(__linux__)
    GTEST_SKIP() << "only Linux gives file notifications here";
#endif
    QTemporaryDir dir;
    auto path = [&dir](const char* name) {
        return QFile::encodeName(dir.filePath(name)).toStdString();
    };
    auto write = [&dir](const char* name, const QByteArray& bytes, bool append = true) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(append ? QIODevice::Append : QIODevice::WriteOnly));
        file.write(bytes);
    };
    const std::string app = path("app.log"), late = path("late.log");
    write("app.log", "first\r\n");
    std::vector<std::string> told;
    LogWatcher watcher([&](const std::string& log) { told.push_back(log); });
    ASSERT_TRUE(watcher.Active());
    watcher.Watch({app, late});

    auto toldOf = [&](const std::string& log) {
        return std::find(told.begin(), told.end(), log) != told.end();
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        std::string log;
    } steps[] = {
        {"a write", [&] { write("app.log", "second\r\n"); }, app},
        {"truncation", [&] { QFile(dir.filePath("app.log")).resize(0); }, app},
        {"a log that appears", [&] { write("late.log", "x\r\n"); }, late},
        {"rotation",
         [&] { ASSERT_TRUE(QFile::rename(dir.filePath("app.log"), dir.filePath("app.log.1"))); },
         app},
        {"the new file at the path", [&] { write("app.log", "new\r\n", false); }, app},
        {"a write to the new file", [&] { write("app.log", "more\r\n"); }, app},
        {"removal", [&] { ASSERT_TRUE(QFile::remove(dir.filePath("late.log"))); }, late},
    };
    for (const Step& step : steps) {
        told.clear();
        step.act();
        EXPECT_TRUE(RunEventsUntil([&] { return toldOf(step.log); })) << step.what;
    }

    // Neither a log no longer watched nor the file rotated away is told of.
    // The kernel keeps the order of events, so once the last one is told
    // the others would have been.
    watcher.Watch({late});
    told.clear();
    write("app.log", "unwatched\r\n");
    write("app.log.1", "rotated away\r\n");
    write("late.log", "back\r\n");
    EXPECT_TRUE(RunEventsUntil([&] { return toldOf(late); }));
    EXPECT_EQ(told, std::vector<std::string>{late});
}

// Logs share watches: a folder of many logs, a file under two names. Each
// keeps being told of its own changes whatever happens to the others.
TEST(LogWatcher, LogsSharingAWatchAreToldApart) {
#if !defined(__linux__)
    GTEST_SKIP() << "only Linux gives file notifications here";
#endif
    QTemporaryDir dir;
    auto path = [&dir](const char* name) {
        return QFile::encodeName(dir.filePath(name)).toStdString();
    };
    auto write = [&dir](const char* name) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("line\n");
    };
    for (const char* name : {"a.log", "b.log", "c.log"})
        write(name);
    ASSERT_EQ(::link(path("c.log").c_str(), path("c-link.log").c_str()), 0);
    const std::string a = path("a.log"), b = path("b.log"), c = path("c.log"),
                      link = path("c-link.log");

    std::set<std::string> told;
    LogWatcher watcher([&](const std::string& log) { told.insert(log); });
    struct Step {
        const char* what;
        std::vector<std::string> watched;
        std::function<void()> act;
        std::set<std::string> expected; // told of exactly these
    } steps[] = {
        {"a write to one of a folder's logs", {a, b, c, link}, [&] { write("b.log"); }, {b}},
        {"a file under two names", {a, b, c, link}, [&] { write("c.log"); }, {c, link}},
        {"a log no longer watched beside one still watched",
         {b, c, link},
         [&] {
             write("a.log");
             write("b.log");
         },
         {b}},
        {"one name of the file no longer watched", {b, c}, [&] { write("c-link.log"); }, {c}},
        {"rotation of one log of the folder",
         {b, c},
         [&] { ASSERT_TRUE(QFile::rename(dir.filePath("b.log"), dir.filePath("b.log.1"))); },
         {b}},
        {"the other log after it", {b, c}, [&] { write("c.log"); }, {c}},
    };
    for (const Step& step : steps) {
        watcher.Watch(step.watched);
        told.clear();
        step.act();
        // Events come in order: once the last expected log is told, so were the others.
        EXPECT_TRUE(RunEventsUntil([&] { return told.size() >= step.expected.size(); }))
            << step.what;
        RunEventsUntil([] { return false; }, 50);
        EXPECT_EQ(told, step.expected) << step.what;
    }
}

// Polling stays for files whose writers the kernel may not see.
TEST(LogWatcher, KnowsWhichFileSystemsHaveWritersElsewhere) {
    const struct {
        const char* name;
        long type;
        bool elsewhere;
    } cases[] = {
        {"ext4", 0xEF53, false},
        {"tmpfs", 0x01021994, false},
        {"btrfs", 0x9123683E, false},
        {"xfs", 0x58465342, false},
        {"overlay", 0x794C7630, false},
        {"NFS", 0x6969, true},
        {"CIFS", long(0xFF534D42), true},
        {"SMB2", long(0xFE534D42), true},
        {"FUSE (sshfs)", 0x65735546, true},
        {"9p", 0x01021997, true},
        {"Ceph", 0x00C36400, true},
    };
    for (const auto& fs : cases)
        EXPECT_EQ(WritersMayBeElsewhere(fs.type), fs.elsewhere) << fs.name;
}

} // namespace
} // namespace marrowlight
