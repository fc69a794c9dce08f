#include "monitor/core/TextSearch.h"

#include <cctype>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace marrowlight {
namespace {

std::string Found(const SearchPattern& pattern, std::string_view text, size_t from = 0) {
    SearchMatch match;
    if (pattern.Find(text, from, match) != FindResult::Match)
        return "-";
    return std::to_string(match.Begin) + ".." + std::to_string(match.End);
}

TEST(SearchPattern, FindsPlainTextAndExpressionsInUtf8) {
    struct Case {
        const char* pattern;
        bool matchCase, regex;
        std::string text;
        size_t from;
        const char* expected;
    } cases[] = {
        {"Error", true, false, "an Error here", 0, "3..8"},
        {"error", true, false, "an Error here", 0, "-"},
        {"error", false, false, "an ERROR here", 0, "3..8"},
        {"ERROR", false, false, "an error here", 0, "3..8"},
        {"Error", true, false, "Error Error", 1, "6..11"},
        {"x", true, false, "abc", 0, "-"},
        {"c", false, false, "abC", 0, "2..3"},
        // Bit 5 folds letters only: "@" is not "`", "[" is not "{".
        {"a@b", false, false, "A`B", 0, "-"},
        {"x[", false, false, "X{", 0, "-"},
        {"a@b", false, false, "xA@B", 0, "1..4"},
        // Letters beyond ASCII fold too.
        {"\xC3\xA9t\xC3\xA9", false, false, "L'\xC3\x89T\xC3\x89", 0, "2..7"},
        {"\xC3\xA9t\xC3\xA9", true, false, "L'\xC3\x89T\xC3\x89", 0, "-"},
        // Expressions.
        {"ERR[0-9]+", true, true, "x ERR42 y", 0, "2..7"},
        {"ERR[0-9]+", true, true, "x err42 y", 0, "-"},
        {"ERR[0-9]+", false, true, "x err42 y", 0, "2..7"},
        {"^b", true, true, "a\r\nb", 0, "3..4"},
        {"a$", true, true, "a\r\nb", 0, "0..1"},
        {"a.b", true, true, "a\rb", 0, "-"},
        {"caf.", true, true, "caf\xC3\xA9", 0, "0..5"},
        // Bytes that are no UTF-8 match nothing, and stop nothing around them.
        {"caf.", true, true, "caf\xE9", 0, "-"},
        {"f", true, true, "caf\xE9 f", 0, "2..3"},
        {"\\d+$", true, true, "caf\xE9 12", 0, "5..7"},
    };
    for (const Case& c : cases) {
        SearchPattern pattern(c.pattern, c.matchCase, c.regex);
        ASSERT_TRUE(pattern.CanSearch()) << c.pattern;
        EXPECT_EQ(Found(pattern, c.text, c.from), c.expected)
            << c.pattern << " case " << c.matchCase << " regex " << c.regex << " in " << c.text;
    }
}

TEST(SearchPattern, TellsWhyAnExpressionIsInvalidAndSearchesNothing) {
    struct Case {
        const char* pattern;
        const char* reason;
    } cases[] = {
        {"(abc", "missing closing parenthesis (at character 5)"},
        {"ab[c", "missing terminating ] for character class (at character 5)"},
        {"\xC3\xA9*+?", "quantifier does not follow a repeatable item (at character 4)"},
    };
    for (const Case& c : cases) {
        SearchPattern pattern(c.pattern, true, true);
        EXPECT_FALSE(pattern.CanSearch());
        EXPECT_EQ(pattern.Error(), std::string("Invalid regular expression: ") + c.reason);
        SearchMatch match;
        EXPECT_EQ(pattern.Find(c.pattern, 0, match), FindResult::NoMatch);
    }
    // The same texts are fine as plain text, and nothing is not an error.
    EXPECT_TRUE(SearchPattern("(abc", true, false).Error().empty());
    EXPECT_TRUE(SearchPattern("", true, true).Error().empty());
    EXPECT_FALSE(SearchPattern("", true, true).CanSearch());
}

TEST(SearchPattern, OnlyPlainAsciiTextMatchesBytesOfAnyDecoding) {
    EXPECT_TRUE(SearchPattern("Error 42", true, false).BytesMatchAnyDecoding());
    EXPECT_TRUE(SearchPattern("error", false, false).BytesMatchAnyDecoding());
    EXPECT_FALSE(SearchPattern("caf\xC3\xA9", true, false).BytesMatchAnyDecoding());
    EXPECT_FALSE(SearchPattern("Error", true, true).BytesMatchAnyDecoding());
}

TEST(SearchPattern, LongLinesWithBacktrackingGiveUpInsteadOfHanging) {
    SearchPattern pattern("(a+)+(b|c)", true, true);
    SearchMatch match;
    EXPECT_EQ(pattern.Find(std::string(5000, 'a'), 0, match), FindResult::TooComplex);
}

// The vector filter against a plain search, over random texts of a small
// alphabet so that candidates and near misses are frequent.
TEST(FindBytes, AgreesWithASimpleSearchEverywhere) {
    std::mt19937 rng(7);
    const std::string alphabet = "aAbB@`[{ \xC3\xA9";
    auto folded = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = char(c | 0x20);
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string hay(rng() % 90, ' '), needle(1 + rng() % 4, ' ');
        for (char& c : hay)
            c = alphabet[rng() % alphabet.size()];
        for (char& c : needle)
            c = alphabet[rng() % alphabet.size()];
        const bool fold = rng() % 2;
        const size_t from = hay.empty() ? 0 : rng() % (hay.size() + 1);
        const std::string key = fold ? folded(needle) : needle;
        const size_t expected = (fold ? folded(hay) : hay).find(key, from);
        ASSERT_EQ(FindBytes(hay, key, from, fold), expected)
            << "hay '" << hay << "' needle '" << key << "' from " << from << " fold " << fold;
    }
}

} // namespace
} // namespace marrowlight
