#include "monitor/core/JournalEntryText.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

// Sets the time zone for one test and puts the old one back.
class TimeZone {
  public:
    explicit TimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (old_)
            ::setenv("TZ", old_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

  private:
    std::optional<std::string> old_;
};

TEST(JournalEntryText, MessagesKeepToOneRow) {
    const struct {
        std::string message;
        std::string shown;
    } cases[] = {
        {"upstream timed out", "upstream timed out"},
        {"", ""},
        {"first\nsecond\n", "first \u23CE second"},
        {"trail\n\n", "trail \u23CE "},
        {"\nlead", " \u23CE lead"},
        {"tab\there", "tab\there"},
        {"caf\xC3\xA9 \xF0\x9F\x94\xA5", "caf\xC3\xA9 \xF0\x9F\x94\xA5"},
        {"\x1B[31mred\x1B[0m plain", "red plain"},
        {"title\x1B]0;x\x07 done", "title done"},
        {std::string("nul\0byte", 8), "[8 bytes of data]"},
        {"cr\rhere", "[7 bytes of data]"},
        {"del\x7F", "[4 bytes of data]"},
        {"bad\xFFutf", "[7 bytes of data]"},
        {"c1\xC2\x85", "[4 bytes of data]"},
        {"lone\x1Bx", "[6 bytes of data]"},
        {"cut\xE2\x82", "[5 bytes of data]"},
        {"overlong\xC0\xAF", "[10 bytes of data]"},
        {"surrogate\xED\xA0\x80", "[12 bytes of data]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        std::string out = "kept ";
        AppendJournalMessage(out, c.message);
        EXPECT_EQ(out, "kept " + c.shown);
    }
}

TEST(JournalEntryText, LinesLikeJournalctlShortIso) {
    constexpr std::nullopt_t None = std::nullopt;
    const TimeZone zone("Asia/Kathmandu");  // +0545: a quarter-hour offset
    const uint64_t t = 1796780580000000ULL; // 2026-12-09T01:43:00Z
    const struct {
        JournalEntryFields fields;
        std::string line;
    } cases[] = {
        {{t, "web01", "nginx", "bash", "812", "9", "upstream timed out"},
         "2026-12-09T07:28:00+0545 web01 nginx[812]: upstream timed out\n"},
        {{t + 59'999'999, None, None, "bash", None, None, "b"},
         "2026-12-09T07:28:59+0545 bash: b\n"},
        {{t + 32 * 60'000'000ULL, None, None, None, None, "9", "c"},
         "2026-12-09T08:00:00+0545 unknown[9]: c\n"},
        {{t, "", "", "bash", "", "9", ""}, "2026-12-09T07:28:00+0545  []: \n"},
        {{t, "bad\nhost", "x", None, "1", None, "m"},
         "2026-12-09T07:28:00+0545 bad host x[1]: m\n"},
        {{0, "h", "x", None, None, None, "epoch"}, "1970-01-01T05:30:00+0530 h x: epoch\n"},
    };
    JournalLineWriter writer;
    for (const auto& c : cases) {
        std::string out;
        writer.Append(out, c.fields);
        EXPECT_EQ(out, c.line);
    }
}

TEST(JournalEntryText, TimeFollowsSummerTimeChanges) {
    const TimeZone zone("Europe/Berlin");
    // 2026-03-29 01:59:59 UTC+1, then 03:00:00 UTC+2 one second later.
    const uint64_t before = 1774745999ULL * 1000000;
    JournalLineWriter writer;
    std::string out;
    writer.AppendTime(out, before);
    out += ' ';
    writer.AppendTime(out, before + 1000000);
    out += ' ';
    writer.AppendTime(out, before - 3600ULL * 1000000);
    EXPECT_EQ(out, "2026-03-29T01:59:59+0100 2026-03-29T03:00:00+0200 2026-03-29T00:59:59+0100");
}

} // namespace
} // namespace marrowlight
