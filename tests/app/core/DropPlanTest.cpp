#include "app/core/DropPlan.h"

#include "monitor/core/MonitorTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marrowlight {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(DropPlan, OnlyRegularFilesOpenAndEveryOtherItemIsReportedInDropOrder) {
    TempDir dir;
    const std::string log = dir.File("app.log");
    const std::string other = dir.File("other.log");
    const std::string link = dir.File("latest.log");
    const std::string folder = dir.File("archive");
    const std::string fifo = dir.File("pipe");
    const std::string missing = dir.File("gone.log");
    WriteFile(log, "a\n");
    WriteFile(other, "");
    ASSERT_EQ(::symlink(log.c_str(), link.c_str()), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const struct {
        std::string path;
        DroppedKind kind;
    } kinds[] = {
        {log, DroppedKind::RegularFile},  {other, DroppedKind::RegularFile},
        {link, DroppedKind::RegularFile}, {folder, DroppedKind::Folder},
        {fifo, DroppedKind::OtherFile},   {"/dev/null", DroppedKind::OtherFile},
        {missing, DroppedKind::Missing},  {"", DroppedKind::NotLocal},
    };
    for (const auto& k : kinds)
        EXPECT_EQ(KindOfDroppedPath(k.path), k.kind) << k.path;

    // A FIFO would block a reader; it must be told apart without opening it.
    const DropPlan plan = PlanDrop({folder, log, fifo, link, missing, "", log, other}, false);
    EXPECT_FALSE(plan.refused);
    EXPECT_EQ(plan.open, (std::vector<std::string>{log, link, other}))
        << "a file dropped twice opens once; the last one dropped ends up active";
    ASSERT_EQ(plan.ignored.size(), 4u);
    const DroppedKind ignoredKinds[] = {DroppedKind::Folder, DroppedKind::OtherFile,
                                        DroppedKind::Missing, DroppedKind::NotLocal};
    const std::string ignoredPaths[] = {folder, fifo, missing, ""};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(plan.ignored[i].kind, ignoredKinds[i]) << i;
        EXPECT_EQ(plan.ignored[i].path, ignoredPaths[i]) << i;
    }

    const DropPlan automatic = PlanDrop({log, folder}, true);
    EXPECT_TRUE(automatic.refused);
    EXPECT_TRUE(automatic.open.empty());
    EXPECT_TRUE(automatic.ignored.empty()) << "a refused drop looks at no file";
}

} // namespace
} // namespace marrowlight
