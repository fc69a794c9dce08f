#include "app/core/StartupPlan.h"

#include <gtest/gtest.h>
#include <set>

namespace marrowlight {
namespace {

using Logs = std::vector<std::string>;

TEST(StartupPlan, FirstActivation) {
    const std::set<std::string> files = {"/var/log/a.log", "/var/log/b.log", "-h", "b.log"};
    const auto exists = [&](const std::string& p) { return files.count(p) > 0; };
    const struct {
        std::vector<std::string> params;
        bool applySwitches;
        Logs logs;
        bool hideMenu;
    } cases[] = {
        {{"/var/log/a.log"}, false, {"/var/log/a.log"}, false},
        {{"-h"}, false, {"-h"}, false}, // a file that happens to be named like a switch
        {{"-hide"}, true, {}, true},
        {{"/var/log/missing.log"}, true, {}, false},
        {{}, true, {}, false},
        {{"-f:/var/log/a.log;/var/log/b.log"}, true, {"/var/log/a.log", "/var/log/b.log"}, false},
        {{"-f: ;x.log;;y.log; \t"}, true, {"x.log", "y.log"}, false},
        {{"-f:;;"}, true, {}, false},
        {{"-f:/var/log/missing.log", "-h"}, true, {"/var/log/missing.log"}, true},
        {{"/var/log/a.log", "-f:/x.log", "b.log", "/nope"},
         true,
         {"/x.log", "/var/log/a.log", "b.log"},
         false},
        {{"-f:a.log", "-f:b.log"}, true, {"b.log"}, false},
        // "-" is the standard input, alone, among others or in the list.
        {{"-"}, false, {"-"}, false},
        {{"-sn:1", "-", "b.log"}, true, {"-", "b.log"}, false},
        {{"-f:a.log;-", "-h"}, true, {"a.log", "-"}, true},
        // Journal sources need no file; their written form keeps ';' lists whole.
        {{"journal://unit/nginx.service"}, false, {"journal://unit/nginx.service"}, false},
        {{"-f:journal://files//logs/a%3Bb;/var/log/a.log", "journal://system", "-h"},
         true,
         {"journal://files//logs/a%3Bb", "/var/log/a.log", "journal://system"},
         true},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.params;
        args.insert(args.begin(), "marrowlight");
        const StartupPlan plan = PlanFirstActivation(CommandLine(args), exists);
        SCOPED_TRACE(c.params.empty() ? "(none)" : c.params.front());
        EXPECT_EQ(plan.applySwitches, c.applySwitches);
        EXPECT_EQ(plan.logs, c.logs);
        EXPECT_EQ(plan.hideMenu, c.hideMenu);
    }
}

TEST(StartupPlan, CaptionAndStayOnTop) {
    const auto cmd = [](std::vector<std::string> params) {
        params.insert(params.begin(), "marrowlight");
        return CommandLine(params);
    };
    const std::string caption = "Veltaroon Marrowlight";
    EXPECT_EQ(CaptionWithSuffix(caption, cmd({"-c: Web 1 "})), caption + " [Web 1]");
    EXPECT_EQ(CaptionWithSuffix(caption, cmd({"-c:   "})), caption + " []");
    EXPECT_EQ(CaptionWithSuffix(caption, cmd({"-c"})), caption);
    EXPECT_EQ(CaptionWithSuffix(caption, cmd({"-CheckInternet", "x"})),
              caption + " [heckInternet]");

    const struct {
        std::vector<std::string> params;
        std::string stored;
        bool onTop;
    } cases[] = {
        {{"-OT:yes"}, "0", true}, {{"-ot"}, "1", false},
        {{"-otx"}, "1", false},   {{}, "1", true},
        {{}, "yes", false},       {{}, "", false},
        {{"-ot:TRUE"}, "", true}, {{"-ot:1", "-ot:0"}, "1", false},
        {{}, "2", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StayOnTopFromSwitch(cmd(c.params), c.stored), c.onTop) << c.stored;
}

} // namespace
} // namespace marrowlight
