#include "support/core/PathUtils.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace marrowlight {
namespace {

struct PathParts {
    std::string path, folder, fileName, bareName, extension;
};

#ifndef _WIN32
TEST(PathUtils, SplitsLinuxPaths) {
    const PathParts cases[] = {
        {"/var/log/syslog.1.gz", "/var/log/", "syslog.1.gz", "syslog.1", ".gz"},
        {"/my.dir/readme", "/my.dir/", "readme", "readme", ""},
        {"C:log.txt", "", "C:log.txt", "C:log", ".txt"}, // ":" is an ordinary character
        {"server.log", "", "server.log", "server", ".log"},
        {"/home/u/.bashrc", "/home/u/", ".bashrc", "", ".bashrc"},
        {"/var/log/", "/var/log/", "", "", ""},
        {"", "", "", "", ""},
        {"logs\\a.log", "", "logs\\a.log", "logs\\a", ".log"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FolderOfPath(c.path), c.folder);
        EXPECT_EQ(FileNameOfPath(c.path), c.fileName);
        EXPECT_EQ(NameWithoutExtension(c.path), c.bareName);
        EXPECT_EQ(ExtensionOfPath(c.path), c.extension);
    }
}

TEST(PathUtils, ShortensLinuxPathsForMenus) {
    const std::string path = "/Program Files/Logs/server.log"; // 30 characters
    const struct {
        std::size_t limit;
        std::string expected;
    } cases[] = {
        {40, path},
        {30, path},
        {25, "/...Files/Logs/server.log"},
        {14, "/...server.log"},
        {12, "server.log"},
        {9, "server"},
        {0, "server"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        EXPECT_EQ(ShortenPath(path, c.limit), c.expected);
        EXPECT_LE(ShortenPath(path, c.limit).size(), std::max<std::size_t>(c.limit, 6));
    }
    // An extension longer than the 4 reserved characters still comes along.
    EXPECT_EQ(ShortenPath("/a/b/server.verylongext", 10), "server.verylongext");
}

TEST(PathUtils, ProgramNameTrailingSeparatorAndSamePath) {
    EXPECT_EQ(ProgramBaseName("/usr/bin/marrowlight"), "marrowlight");
    EXPECT_EQ(ProgramBaseName("/opt/ml/marrowlight.bin"), "marrowlight");
    EXPECT_EQ(ProgramFolder("/usr/bin/marrowlight"), "/usr/bin/");
    EXPECT_EQ(ProgramFolder("marrowlight"), "");

    EXPECT_EQ(WithTrailingSeparator("/var/log"), "/var/log/");
    EXPECT_EQ(WithTrailingSeparator("/var/log/"), "/var/log/");
    EXPECT_EQ(WithTrailingSeparator(""), "");

    EXPECT_TRUE(SamePath(" /var/log/a.log\t", "/var/log/a.log"));
    EXPECT_FALSE(SamePath("/var/log/A.log", "/var/log/a.log"));
    EXPECT_FALSE(SamePath("/var/log/a.log", "/var/log//a.log"));
}

TEST(PathUtils, LongPathsAreNeverCut) {
    const std::string longPath = "/" + std::string(300, 'd') + "/" + std::string(280, 'f') + ".log";
    EXPECT_EQ(FileNameOfPath(longPath), std::string(280, 'f') + ".log");
    EXPECT_EQ(FolderOfPath(longPath).size(), 302u);
    EXPECT_TRUE(SamePath(longPath, longPath + " "));
    EXPECT_FALSE(SamePath(longPath, longPath + "x"));
}
TEST(PathUtils, RegularFilesAreFoundByTheirBytes) {
    char folderTemplate[] = "/tmp/marrowlight-paths-XXXXXX";
    ASSERT_NE(::mkdtemp(folderTemplate), nullptr);
    const std::string folder = folderTemplate;
    const std::string latin1 = folder + "/caf\xE9.log"; // not UTF-8
    const std::string utf8 = folder + "/caf\xC3\xA9.log";
    std::ofstream(latin1) << "x\n";
    ASSERT_EQ(::mkdir((folder + "/sub").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(latin1.c_str(), (folder + "/link").c_str()), 0);
    ASSERT_EQ(::mkfifo((folder + "/fifo").c_str(), 0600), 0);

    const std::pair<std::string, bool> cases[] = {
        {latin1, true},
        {utf8, false}, // the same name read as text is another file
        {folder + "/link", true},
        {folder + "/sub", false},
        {folder + "/fifo", false},
        {folder + "/missing", false},
        {"", false},
    };
    for (const auto& [path, regular] : cases)
        EXPECT_EQ(IsRegularFile(path), regular) << path;

    for (const char* name : {"/caf\xE9.log", "/link", "/fifo"})
        ::unlink((folder + name).c_str());
    ::rmdir((folder + "/sub").c_str());
    ::rmdir(folder.c_str());
}
#else
TEST(PathUtils, SplitsWindowsPaths) {
    const PathParts cases[] = {
        {"C:\\Logs\\server.log", "C:\\Logs\\", "server.log", "server", ".log"},
        {"C:log.txt", "C:", "log.txt", "log", ".txt"},
        {"C:\\my.dir\\readme", "C:\\my.dir\\", "readme", "readme", ""},
        {"C:/Logs/a.log", "C:/Logs/", "a.log", "a", ".log"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOfPath(c.path), c.folder);
        EXPECT_EQ(FileNameOfPath(c.path), c.fileName);
        EXPECT_EQ(NameWithoutExtension(c.path), c.bareName);
        EXPECT_EQ(ExtensionOfPath(c.path), c.extension);
    }
    const std::string path = "C:\\Program Files\\Logs\\server.log";
    EXPECT_EQ(ShortenPath(path, 40), path);
    EXPECT_EQ(ShortenPath(path, 25), "C:\\...Files\\Logs\\server.log");
    EXPECT_EQ(ShortenPath(path, 12), "server.log");
    EXPECT_EQ(ShortenPath(path, 9), "server");
    EXPECT_EQ(WithTrailingSeparator("C:\\Logs"), "C:\\Logs\\");
    EXPECT_TRUE(SamePath(" c:\\logs\\A.LOG", "C:\\Logs\\a.log"));
}
#endif

} // namespace
} // namespace marrowlight
