#include "app/core/SessionPlan.h"

#include <gtest/gtest.h>
#include <set>

namespace marrowlight {
namespace {

using Logs = std::vector<std::string>;

TEST(SessionPlan, StoresTheTabsThatCanBeOpenedAgain) {
    const struct {
        const char* what;
        Logs tabs;
        int current;
        Logs stored;
        int storedCurrent;
    } cases[] = {
        {"paths in tab order", {"/a.log", "/b.log"}, 1, {"/a.log", "/b.log"}, 1},
        {"no tab", {}, -1, {}, -1},
        {"standard input never", {"/a.log", "-", "/b.log"}, 2, {"/a.log", "/b.log"}, 1},
        {"standard input current", {"/a.log", "-"}, 1, {"/a.log"}, -1},
        {"relative made absolute",
         {"logs/a.log", "/b.log"},
         0,
         {"/home/u/logs/a.log", "/b.log"},
         0},
        {"addresses as they are",
         {"journal://unit/nginx.service"},
         0,
         {"journal://unit/nginx.service"},
         0},
        {"bytes as they are", {"/var/log/\xe9t\xe9.log"}, 0, {"/var/log/\xe9t\xe9.log"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SessionLogs session = SessionToStore(c.tabs, c.current, "/home/u");
        EXPECT_EQ(session.Logs, c.stored);
        EXPECT_EQ(session.Current, c.storedCurrent);
    }
}

TEST(SessionPlan, ReopensWhatStillExistsAndNamesTheRest) {
    const std::set<std::string> files = {"/a.log", "/b.log", "/c.log"};
    const auto exists = [&](const std::string& p) { return files.count(p) > 0; };
    const struct {
        const char* what;
        SessionLogs stored;
        Logs open;
        Logs missing;
        int current;
    } cases[] = {
        {"all there", {{"/a.log", "/b.log", "/c.log"}, 1}, {"/a.log", "/b.log", "/c.log"}, {}, 1},
        {"one gone",
         {{"/a.log", "/gone.log", "/c.log"}, 2},
         {"/a.log", "/c.log"},
         {"/gone.log"},
         1},
        {"the current one gone",
         {{"/a.log", "/gone.log", "/c.log"}, 1},
         {"/a.log", "/c.log"},
         {"/gone.log"},
         1},
        {"the last and current gone",
         {{"/a.log", "/b.log", "/gone.log"}, 2},
         {"/a.log", "/b.log"},
         {"/gone.log"},
         1},
        {"all gone", {{"/x.log", "/y.log"}, 0}, {}, {"/x.log", "/y.log"}, -1},
        {"addresses are not looked for",
         {{"journal://unit/a.service"}, 0},
         {"journal://unit/a.service"},
         {},
         0},
        {"standard input from a hand edit", {{"-", "/a.log"}, -1}, {"/a.log"}, {}, -1},
        {"no current", {{"/a.log"}, -1}, {"/a.log"}, {}, -1},
        {"current out of range", {{"/a.log"}, 5}, {"/a.log"}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SessionReopen plan = PlanSessionReopen(c.stored, exists);
        EXPECT_EQ(plan.Open, c.open);
        EXPECT_EQ(plan.Missing, c.missing);
        EXPECT_EQ(plan.Current, c.current);
    }
}

TEST(SessionPlan, ComesBackAtStartOnlyWhenAskedAndNothingElseOpens) {
    const struct {
        bool option, logsGiven, automatic, reopen;
    } cases[] = {
        {true, false, false, true}, {false, false, false, false}, {true, true, false, false},
        {true, false, true, false}, {true, true, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReopenSessionAtStart(c.option, c.logsGiven, c.automatic), c.reopen)
            << c.option << c.logsGiven << c.automatic;
}

TEST(SessionPlan, TellsAddressesFromPaths) {
    const struct {
        const char* entry;
        bool address;
    } cases[] = {
        {"journal://unit/nginx.service", true},
        {"journal+remote://web01", true},
        {"/var/log/a://b", false},
        {"://x", false},
        {"logs/a.log", false},
        {"1journal://x", false},
        {"a b://x", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSourceAddress(c.entry), c.address) << c.entry;
}

} // namespace
} // namespace marrowlight
