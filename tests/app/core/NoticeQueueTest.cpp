#include "app/core/NoticeQueue.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

constexpr DateTime Start = 45000.5;

DateTime After(double seconds) {
    return Start + seconds / 86'400;
}

GroupArrival Lines(int group, const std::string& log, uint64_t lines, int32_t lineNo = 1) {
    return {group, "/var/log/" + log, log, lines, "first of " + log, lineNo};
}

std::string GroupName(int g) {
    const char* names[] = {"Information", "Warnings", "Errors"};
    return names[g - 1];
}

TEST(NoticeQueue, SaysHowManyLinesOfAGroupCameAndWhere) {
    using Passes = std::vector<std::vector<GroupArrival>>;
    struct Case {
        const char* what;
        Passes passes; // taken together, then Due
        std::vector<std::string> summaries;
    };
    const Case cases[] = {
        {"one log", {{Lines(3, "app.log", 3)}}, {"3 new Errors in app.log"}},
        {"several logs",
         {{Lines(3, "app.log", 2), Lines(3, "db.log", 1), Lines(3, "web.log", 4)}},
         {"7 new Errors in app.log and 2 more"}},
        {"one notice per group, in group order",
         {{Lines(3, "app.log", 1), Lines(2, "db.log", 5)}},
         {"5 new Warnings in db.log", "1 new Errors in app.log"}},
        {"the same log in two passes",
         {{Lines(3, "db.log", 1)}, {Lines(3, "app.log", 1), Lines(3, "db.log", 2)}},
         {"4 new Errors in db.log and 1 more"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NoticeQueue queue(GroupName);
        for (const auto& pass : c.passes)
            queue.Take(pass);
        std::vector<std::string> summaries;
        for (const Notice& notice : queue.Due(Start))
            summaries.push_back(notice.Summary);
        EXPECT_EQ(summaries, c.summaries);
        EXPECT_FALSE(queue.NextDueIn(Start)) << "nothing left waiting";
    }
}

TEST(NoticeQueue, NotifiesAGroupAtMostOnceInTenSecondsAndCountsTheQuietTime) {
    struct Step {
        double at; // seconds after the start
        std::vector<GroupArrival> arrivals;
        std::vector<std::string> due;
        std::optional<double> nextIn;
    };
    const Step steps[] = {
        {0, {Lines(3, "app.log", 1)}, {"1 new Errors in app.log"}, std::nullopt},
        {2, {Lines(3, "app.log", 2)}, {}, 8.0},
        {4, {Lines(3, "db.log", 1), Lines(2, "db.log", 1)}, {"1 new Warnings in db.log"}, 6.0},
        {9.5, {}, {}, 0.5},
        {10, {}, {"3 new Errors in app.log and 1 more"}, std::nullopt},
        {15, {Lines(3, "app.log", 1)}, {}, 5.0},
        {9, {}, {"1 new Errors in app.log"}, std::nullopt}, // the clock set back
    };
    NoticeQueue queue(GroupName);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.at);
        queue.Take(step.arrivals);
        std::vector<std::string> due;
        for (const Notice& notice : queue.Due(After(step.at)))
            due.push_back(notice.Summary);
        EXPECT_EQ(due, step.due);
        const std::optional<double> next = queue.NextDueIn(After(step.at));
        ASSERT_EQ(next.has_value(), step.nextIn.has_value());
        if (next) {
            EXPECT_NEAR(*next, *step.nextIn, 1e-3);
        }
    }
}

TEST(NoticeQueue, ForgetsWaitingLinesOnceSeenOrCleared) {
    NoticeQueue queue(GroupName);
    queue.Take({Lines(3, "app.log", 1)});
    ASSERT_EQ(queue.Due(Start).size(), 1u);
    queue.Take({Lines(3, "app.log", 2), Lines(3, "db.log", 1), Lines(2, "app.log", 1)});
    queue.Seen("/var/log/app.log");
    std::vector<Notice> due = queue.Due(After(10));
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].Summary, "1 new Errors in db.log");

    queue.Take({Lines(3, "app.log", 2)});
    queue.Clear();
    EXPECT_TRUE(queue.Due(After(30)).empty());
}

TEST(NoticeBody, CutsLongLinesAndEscapesMarkup) {
    const std::string long200(200, 'x');
    const struct {
        std::string line, body;
    } cases[] = {
        {"plain", "plain"},
        {"<b>bold</b> & more", "&lt;b&gt;bold&lt;/b&gt; &amp; more"},
        {long200, long200},
        {long200 + "y", std::string(199, 'x') + "\u2026"},
        // Characters, not bytes: 201 two-byte characters.
        {[] {
             std::string s;
             for (int i = 0; i < 201; ++i)
                 s += "\u00e9";
             return s;
         }(),
         [] {
             std::string s;
             for (int i = 0; i < 199; ++i)
                 s += "\u00e9";
             return s + "\u2026";
         }()},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NoticeBody(c.line), c.body) << c.line.substr(0, 20);
}

} // namespace
} // namespace marrowlight
