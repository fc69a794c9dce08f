#include "autoopen/core/FileMasks.h"

#include "monitor/core/MonitorTestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace marrowlight {
namespace {

constexpr CalendarDate December7{2026, 12, 7};

TEST(FileMasks, DateMasksAreExpandedWithToday) {
    const struct {
        std::string mask, expanded;
    } cases[] = {
        {"yyyymmdd.log", "20261207.log"},
        {"exyymmdd.log", "ex261207.log"},
        {"yyyy-mm-dd.log", "2026-12-07.log"},
        {"yyyyyy.log", "202626.log"},
        {"mmmm.log", "12mm.log"},
        {"summary.log", "su12ary.log"},
        {"dd.mm.yy", "07.12.26"},
        {"YYYYMMDD.log", "YYYYMMDD.log"},
        {"log_yyyymmdd_??.txt", "log_20261207_??.txt"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandDateMask(c.mask, December7), c.expanded) << c.mask;
    EXPECT_EQ(ExpandDateMask("yyyymmdd", {2026, 3, 5}), "20260305");
    EXPECT_EQ(ExpandDateMask("yymmdd", {2005, 1, 9}), "050109");
}

TEST(FileMasks, DateMaskListsCompareThePositionsBothNamesHave) {
    const std::string defaults = "yyyymmdd.log;exyymmdd.log";
    const struct {
        std::string list, name;
        bool matches;
    } cases[] = {
        {defaults, "20261207.log", true},
        {defaults, "ex261207.log", true},
        {defaults, "20261206.log", false},
        {defaults, "EX261207.log", false},
        {defaults, "20261207.LOG", false},
        {defaults, "2026", true},             // shorter than the mask
        {defaults, "20261207.log.old", true}, // longer than the mask
        {defaults, "2027", false},
        {"log_yyyymmdd_??.txt", "log_20261207_01.txt", true},
        {"log_yyyymmdd_??.txt", "log_20261207_ab.txt", true},
        {"log_yyyymmdd_??.txt", "log_20261207_\xC3\xA9\xC3\xB8.txt", true}, // "?" is one character
        {"log_yyyymmdd_?.txt", "log_20261207_\xC3\xA9.txt", true},
        {"log_yyyymmdd_??.txt", "log_20261208_01.txt", false},
        {"j\xC3\xA9yyyy.log",
         "j\xC3\xA9"
         "2026.log",
         true},
        {"j\xC3\xA9yyyy.log",
         "j\xC3\x89"
         "2026.log",
         false},
        {"a.log;;yyyymmdd.log", "20261207.log", false}, // the list ends at the empty entry
        {";yyyymmdd.log", "20261207.log", false},
        {"yyyymmdd.log;", "20261207.log", true},
        {"", "20261207.log", false},
        {"summary.log", "su12ary.log", true},
        {"summary.log", "summary.log", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesAnyDateMask(c.list, c.name, December7), c.matches)
            << c.list << " / " << c.name;
}

TEST(FileMasks, WildcardMasksMatchBaseNameAndExtensionApart) {
    const struct {
        std::string mask, name;
        bool matches;
    } cases[] = {
        {"*.log", "a.log", true},
        {"*.log", "a.LOG", true},
        {"*.log", ".log", true},
        {"*.log", "a.log.bak", false},
        {"*", "README", true},
        {"*", "a.log", false},
        {"*.*", "a.log", true},
        {"*.*", "README", false},
        {"app.*", "app.2026.log", false}, // the base name is app.2026
        {"*.log*", "a.log", true},
        {"?.log", "a.log", true},
        {"?.log", "ab.log", false},
        {"a*c.txt", "ac.txt", true},
        {"a*c.txt", "abc.txt", true},
        {"a*c.txt", "abcd.txt", false},
        {"*a*.log", "a.log", true},
        {"**.log", "a.log", true},
        {"*.LOG", "x.log", true},
        {"/var/log/*.log", "a.log", true}, // the mask's folder is ignored
        {"*.log", "/var/log/a.log", true},
        {"logs:*.log", "a.log", false}, // ":" is an ordinary character on Linux
        {"logs:*.log", "logs:a.log", true},
        // Stars and question marks in a name act like the mask's.
        {"abc.log", "a*.log", true},
        {"abc.log", "a?c.log", true},
        {"abc.log", "*", false},
        // Case is ignored for a to z only.
        {"\xC3\x89.log", "\xC3\xA9.log", false},
        {"\xC3\xA9.log", "\xC3\xA9.LOG", true},
        {"[.log", "{.log", false},
        {"?.log", "\xC3\xA9.log", true}, // one character, two bytes
        {"??.log", "\xC3\xA9.log", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.matches) << c.mask << " / " << c.name;
}

TEST(FileMasks, WildcardMatchKeepsTheRulesPeculiarities) {
    const struct {
        std::string a, b;
        bool matches;
    } cases[] = {
        {"", "", true},     {"", "*", true},    {"", "**", true},        {"", "*x", false},
        {"", "?", false},   {"*", "", true},    {"x", "", false},        {"?", "*", true},
        {"?x", "*", false}, // the "?" takes the star as one character
        {"x?", "*", true},  {"a", "?*", true},  {"ab", "?*", true},      {"*", "?", true},
        {"*b", "a?", true}, {"a*", "*b", true}, {"abc", "a*c*", true},   {"abc", "a*d", false},
        {"a", "A", true},   {"`", "@", false},  {"\xFF", "\xDF", false}, // lone bytes are
                                                                         // characters of their own
    };
    for (const auto& c : cases)
        EXPECT_EQ(WildcardMatch(c.a, c.b), c.matches) << '"' << c.a << "\" / \"" << c.b << '"';
}

TEST(FileMasks, WildcardListsEndAtTheFirstEmptyEntry) {
    EXPECT_TRUE(MatchesAnyWildcard("*.txt;*.log", "a.log"));
    EXPECT_FALSE(MatchesAnyWildcard("*.txt;;*.log", "a.log"));
    EXPECT_FALSE(MatchesAnyWildcard(";*.log", "a.log"));
    EXPECT_TRUE(MatchesAnyWildcard("*.log;", "a.log"));
    EXPECT_FALSE(MatchesAnyWildcard("", "a.log"));
    EXPECT_TRUE(MatchesAnyWildcard("ex*.log;log_*.csv", "log_7.csv"));
}

// The matching rule as it reads, over characters, exponential on many stars.
using Text = std::vector<std::string>;

bool SameCharacter(const std::string& x, const std::string& y) {
    const auto fold = [](const std::string& c) {
        return c.size() == 1 && c[0] >= 'a' && c[0] <= 'z' ? std::string(1, char(c[0] - 32)) : c;
    };
    return fold(x) == fold(y);
}

bool ReferenceMatch(const Text& A, const Text& B) {
    const std::size_t n = A.size(), m = B.size();
    bool ok = true;
    if (n == 0 && m > 0)
        ok = B[0] == "*";
    else if (m == 0 && n > 0)
        ok = A[0] == "*";
    std::size_t i = 0, j = 0;
    const auto from = [](const Text& t, std::size_t k) { return Text(t.begin() + k, t.end()); };
    while (ok && i < n && j < m) {
        if (A[i] == "?" || B[j] == "?") {
            ++i;
            ++j;
        } else if (A[i] == "*") {
            ++i;
            if (i == n) {
                j = m;
            } else {
                bool found = false;
                for (std::size_t k = j; k < m && !found; ++k)
                    found = ReferenceMatch(from(A, i), from(B, k));
                ok = found;
                if (found)
                    i = n, j = m;
            }
        } else if (B[j] == "*") {
            ++j;
            if (j == m) {
                i = n;
            } else {
                bool found = false;
                for (std::size_t k = i; k < n && !found; ++k)
                    found = ReferenceMatch(from(A, k), from(B, j));
                ok = found;
                if (found)
                    i = n, j = m;
            }
        } else if (SameCharacter(A[i], B[j])) {
            ++i;
            ++j;
        } else {
            ok = false;
        }
    }
    if (i == n) {
        while (j < m && B[j] == "*")
            ++j;
        if (j < m)
            ok = false;
    }
    if (j == m) {
        while (i < n && A[i] == "*")
            ++i;
        if (i < n)
            ok = false;
    }
    return ok;
}

TEST(FileMasks, WildcardMatchAnswersLikeTheRuleAsWritten) {
    const std::vector<std::string> alphabet = {"a", "b", "A",        "*",        "*",
                                               "?", ".", "\xC3\xA9", "\xC3\x89", "\xFF"};
    std::mt19937 rng(20261207);
    const auto randomText = [&] {
        Text t(rng() % 8);
        for (auto& c : t)
            c = alphabet[rng() % alphabet.size()];
        return t;
    };
    const auto join = [](const Text& t) {
        std::string s;
        for (const auto& c : t)
            s += c;
        return s;
    };
    int matches = 0;
    for (int round = 0; round < 40000; ++round) {
        const Text a = randomText(), b = randomText();
        const bool expected = ReferenceMatch(a, b);
        matches += expected;
        ASSERT_EQ(WildcardMatch(join(a), join(b)), expected)
            << '"' << join(a) << "\" / \"" << join(b) << '"';
    }
    // Both answers must be well represented for the comparison to mean anything.
    EXPECT_GT(matches, 4000);
    EXPECT_LT(matches, 36000);
}

TEST(FileMasks, ManyStarsDoNotHang) {
    const std::string mask = "*a*a*a*a*a*a*a*a*a*a*b";
    const std::string name(20000, 'a');
    EXPECT_FALSE(WildcardMatch(name, mask));
    EXPECT_FALSE(WildcardMatch(mask, name));
    EXPECT_TRUE(WildcardMatch(name + "b", mask));
    // Wildcards on both sides: the leading "?" takes the mask's first star.
    EXPECT_FALSE(WildcardMatch("?" + name, mask));
    EXPECT_TRUE(WildcardMatch("?" + name + "?", mask));
    EXPECT_FALSE(MatchesFileMask(name + ".log", mask + ".log"));
    EXPECT_TRUE(WildcardMatch(std::string(2000, '*'), std::string(2000, '?')));
}

TEST(FileMasks, SameDayAroundMidnight) {
    testing::FixedClock clock;
    const DateTime midnight = DateTimeFromLocal(2026, 12, 7);
    const struct {
        DateTime now, written;
        bool same;
    } cases[] = {
        {midnight, DateTimeFromLocal(2026, 12, 7, 0, 0, 1), true},
        {midnight, DateTimeFromLocal(2026, 12, 6, 23, 59, 59), false},
        {midnight, midnight, true},
        {midnight + 1.0 / 86'400, DateTimeFromLocal(2026, 12, 6, 23, 59, 59, 999), false},
        {midnight + 1.0 / 86'400, midnight - 0.3 / 86'400'000, false},
        {DateTimeFromLocal(2026, 12, 7, 23, 59, 59, 999), midnight, true},
        {DateTimeFromLocal(2026, 12, 7, 23, 59, 59, 999), midnight + 1.0, false},
        {DateTimeFromLocal(2026, 12, 7, 12), DateTimeFromLocal(2025, 12, 7, 12), false},
    };
    for (const auto& c : cases) {
        clock.value = c.now;
        EXPECT_EQ(SameDay(c.written, clock), c.same)
            << FormatDateTime(c.now, "yyyy-mm-dd hh:mm:ss") << " / "
            << FormatDateTime(c.written, "yyyy-mm-dd hh:mm:ss");
    }
}

} // namespace
} // namespace marrowlight
