#include "monitor/core/JournalAddress.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

using Kind = JournalSource::Kind;

JournalSource Units(std::vector<std::string> units, std::optional<int> priority = {}) {
    JournalSource s;
    s.Units = std::move(units);
    s.MaxPriority = priority;
    return s;
}

JournalSource Files(std::vector<std::string> paths, std::string host = {}) {
    JournalSource s;
    s.SourceKind = Kind::Files;
    s.Paths = std::move(paths);
    s.Host = std::move(host);
    return s;
}

TEST(JournalAddress, WrittenFormsRoundTrip) {
    const struct {
        JournalSource source;
        std::string written;
        std::string caption;
    } cases[] = {
        {Units({}), "journal://system", "journal: this machine"},
        {Units({}, 4), "journal://system?priority=warning", "journal: this machine"},
        {Units({"nginx.service"}), "journal://unit/nginx.service", "journal: nginx.service"},
        {Units({"nginx.service", "ssh.service"}, 3),
         "journal://unit/nginx.service,ssh.service?priority=err",
         "journal: nginx.service, ssh.service"},
        {Files({"/var/log/journal/remote"}), "journal://files//var/log/journal/remote",
         "journal: remote"},
        {Files({"/var/log/journal/remote/"}, "web01"),
         "journal://files//var/log/journal/remote/?host=web01", "journal: web01"},
        // Everything a list, a query or a store could take apart is escaped.
        {Files({"/logs/a;b,c d%e?&#=.journal", "/x/\xC3\xA9t\xE9.journal"}),
         "journal://files//logs/a%3Bb%2Cc%20d%25e%3F%26%23%3D.journal,/x/%C3%A9t%E9.journal",
         "journal: a;b,c d%e?&#=.journal, \xC3\xA9t\xE9.journal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(FormatJournalAddress(c.source), c.written);
        const ParsedJournalAddress parsed = ParseJournalAddress(c.written);
        ASSERT_TRUE(parsed.Source) << parsed.Error;
        EXPECT_EQ(*parsed.Source, c.source);
        EXPECT_EQ(JournalCaption(c.source), c.caption);
        EXPECT_EQ(c.written.find(';'), std::string::npos);
    }
}

TEST(JournalAddress, ReadsWhatPeopleWriteAndRefusesTheRest) {
    const struct {
        std::string text;
        std::optional<JournalSource> source;
    } cases[] = {
        {"JOURNAL://Unit/nginx.service?Priority=4", Units({"nginx.service"}, 4)},
        {"journal://system?priority=WARN", Units({}, 4)},
        {"journal://system/", Units({})},
        {"journal://files//a.journal%2c", Files({"/a.journal,"})},
        {"journal://", std::nullopt},
        {"journal://unit/", std::nullopt},
        {"journal://unit/a,,b", std::nullopt},
        {"journal://system/nginx.service", std::nullopt},
        {"journal://files//x%4", std::nullopt},
        {"journal://files//x%G0", std::nullopt},
        {"journal://system?priority=loud", std::nullopt},
        {"journal://system?host=web01", std::nullopt}, // a host names files' machines
        {"journal://files//x?priority", std::nullopt},
        {"journal://boot/1", std::nullopt},
        {"/var/log/journal://x", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ParsedJournalAddress parsed = ParseJournalAddress(c.text);
        EXPECT_EQ(parsed.Source, c.source);
        EXPECT_EQ(parsed.Error.empty(), c.source.has_value());
    }
    EXPECT_TRUE(IsJournalAddress("Journal://anything"));
    EXPECT_FALSE(IsJournalAddress("journal:/x"));
    EXPECT_FALSE(IsJournalAddress("/var/log/syslog"));
}

} // namespace
} // namespace marrowlight
