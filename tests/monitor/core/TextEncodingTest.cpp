#include "monitor/core/TextEncoding.h"

#include "monitor/core/LineSplitter.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace marrowlight {
namespace {

TEST(TextEncoding, DetectsByteOrderMarks) {
    struct Case {
        std::string head;
        uint64_t size;
        std::optional<LogEncoding> encoding;
        uint64_t textStart;
    } cases[] = {
        {"", 0, std::nullopt, 0},
        {"A", 1, std::nullopt, 0},
        {"\xEF\xBB", 2, LogEncoding::EightBit, 0}, // too short for the mark
        {"\xEF\xBB\xBF", 3, LogEncoding::Utf8, 3},
        {"\xEF\xBB\xBFx\r\n", 6, LogEncoding::Utf8, 3},
        {"\xFF\xFE", 2, LogEncoding::Utf16, 2},
        {"\xFF\xFEx\0", 4, LogEncoding::Utf16, 2},
        {"\xFE\xFF", 2, LogEncoding::EightBit, 0},
        {"ab\r\n", 4, LogEncoding::EightBit, 0},
    };
    for (const Case& c : cases) {
        auto guess = DetectEncoding(c.head, c.size);
        ASSERT_EQ(guess.has_value(), c.encoding.has_value()) << c.size;
        if (!guess)
            continue;
        EXPECT_EQ(guess->Encoding, *c.encoding) << c.size;
        EXPECT_EQ(guess->TextStart, c.textStart) << c.size;
    }
}

TEST(TextEncoding, DecodesLinesToUtf8WithoutLosingBytes) {
    using namespace std::string_literals;
    struct Case {
        std::string bytes;
        LogEncoding encoding;
        std::string text;
    } cases[] = {
        {"plain", LogEncoding::EightBit, "plain"},
        {"caf\xC3\xA9", LogEncoding::EightBit, "caf\xC3\xA9"}, // valid UTF-8 without a mark
        {"caf\xE9 \x80", LogEncoding::EightBit, "caf\xC3\xA9 \xE2\x82\xAC"}, // Windows-1252
        {"\x81\x8D", LogEncoding::EightBit, "\xC2\x81\xC2\x8D"}, // unassigned: kept as code points
        {"a\0b"s, LogEncoding::EightBit, "a\0b"s},               // zero bytes stay
        {"caf\xC3\xA9", LogEncoding::Utf8, "caf\xC3\xA9"},
        {"x\xC3y", LogEncoding::Utf8, "x\xEF\xBF\xBDy"}, // cut sequence, ASCII survives
        {"\xE2\x82", LogEncoding::Utf8, "\xEF\xBF\xBD"}, // maximal subpart: one replacement
        {"\xC0\xAF", LogEncoding::Utf8, "\xEF\xBF\xBD\xEF\xBF\xBD"},                 // overlong
        {"\xED\xA0\x80", LogEncoding::Utf8, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // surrogate
        {"A\0\xE9\0"s, LogEncoding::Utf16, "A\xC3\xA9"},
        {"\x3D\xD8\x00\xDE"s, LogEncoding::Utf16, "\xF0\x9F\x98\x80"}, // surrogate pair
        {"\x00\xD8x\0"s, LogEncoding::Utf16, "\xEF\xBF\xBDx"},         // lone high surrogate
        {"A\0\0\0"s, LogEncoding::Utf16, "A\0"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeLine(c.bytes, c.encoding), c.text)
            << c.bytes << " / " << static_cast<int>(c.encoding);
}

// Characters are counted as the row will be shown, so the horizontal extent
// reaches the end of every row.
TEST(TextEncoding, CountsTheCharactersOfTheDecodedLine) {
    using namespace std::string_literals;
    std::string degrees;
    for (int i = 0; i < 300; ++i)
        degrees += "\xB0";
    struct Case {
        std::string bytes;
        LogEncoding encoding;
        uint64_t chars;
    } cases[] = {
        {"Temp " + degrees, LogEncoding::EightBit, 305}, // Windows-1252: a byte each
        {"caf\xC3\xA9", LogEncoding::EightBit, 4},
        {"caf\xE9 \xC3\xA9", LogEncoding::EightBit, 7}, // one bad byte makes all Windows-1252
        {"Temp " + degrees, LogEncoding::Utf8, 305},    // a replacement each
        {"x\xC3y", LogEncoding::Utf8, 3},
        {"\xE2\x82", LogEncoding::Utf8, 1},
        {"\xF0\x9D\x84\x9E", LogEncoding::Utf8, 1},
        {"A\0\xE9\0B"s, LogEncoding::Utf16, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CountChars(c.bytes, c.encoding), c.chars) << c.bytes;
        if (c.encoding == LogEncoding::Utf16)
            continue;
        const std::string text = DecodeLine(c.bytes, c.encoding);
        bool valid = true;
        EXPECT_EQ(CountUtf8Chars(text, valid), c.chars) << c.bytes;
        EXPECT_TRUE(valid);
    }
}

struct Split {
    std::vector<std::string> lines;
    size_t used;
    auto Adder(std::string_view text) {
        return [this, text](size_t start, size_t length) {
            lines.emplace_back(text.substr(start, length));
        };
    }
};

Split SplitAll(const std::string& bytes, LogEncoding encoding) {
    Split s;
    s.used = SplitLines(bytes, encoding, [&](size_t start, size_t length) {
        s.lines.push_back(bytes.substr(start, length));
    });
    return s;
}

TEST(LineSplitter, FindsEveryKindOfLineEnd) {
    using namespace std::string_literals;
    using V = std::vector<std::string>;
    struct Case {
        std::string bytes;
        V lines;
        size_t used;
    } cases[] = {
        {"", {}, 0},
        {"unfinished", {}, 0},
        {"A\r\nB", {"A"}, 3},
        {"A\r\nB\r\n", {"A", "B"}, 6},
        {"A\nB\n", {"A", "B"}, 4},   // LF only
        {"A\rB\rC", {"A", "B"}, 4},  // CR only
        {"A\r", {}, 0},              // CR may be half of CR LF: waits
        {"A\r\n\r\n", {"A", ""}, 5}, // empty line kept, no extra one
        {"A\n\rB\r\r\n", {"A", "", "B", ""}, 7},
        {"a\0b\r\nc"s, {"a\0b"s}, 5}, // zero byte ends nothing
        {std::string(40, 'x') + "\r\n" + std::string(17, 'y') + "\n",
         {std::string(40, 'x'), std::string(17, 'y')},
         60}, // crosses 16-byte scan blocks
    };
    for (const Case& c : cases) {
        Split s = SplitAll(c.bytes, LogEncoding::EightBit);
        EXPECT_EQ(s.lines, c.lines) << c.bytes;
        EXPECT_EQ(s.used, c.used) << c.bytes;
    }
}

// The rule read byte by byte agrees, on texts dense or sparse with line
// ends of every kind, falling anywhere about the splitter's scan blocks.
TEST(LineSplitter, AgreesWithAPlainReadingOfTheRule) {
    std::mt19937 rng(5);
    for (int round = 0; round < 4000; ++round) {
        std::string bytes(rng() % 300, 'a');
        const unsigned endsOneIn = 1 + rng() % 120;
        for (char& c : bytes)
            if (rng() % endsOneIn == 0)
                c = rng() % 2 ? '\r' : '\n';
        Split expected{{}, 0};
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] != '\r' && bytes[i] != '\n')
                continue;
            size_t next = i + 1;
            if (bytes[i] == '\r' && next == bytes.size())
                break;
            if (bytes[i] == '\r' && bytes[next] == '\n')
                ++next;
            expected.lines.push_back(bytes.substr(expected.used, i - expected.used));
            expected.used = next;
            i = next - 1;
        }
        // Each way of finding line ends the processor may take.
        std::vector<std::function<size_t(std::string_view, Split&)>> ways{
            [](std::string_view text, Split& s) {
                auto add = s.Adder(text);
                return SplitEightBit(text, FindLineEnds64, add);
            }};
#if defined(MARROWLIGHT_AVX2)
        if (HasAvx2())
            ways.push_back([](std::string_view text, Split& s) {
                auto add = s.Adder(text);
                return SplitEightBitAvx2(text, add);
            });
#endif
        for (const auto& way : ways) {
            Split s{{}, 0};
            s.used = way(bytes, s);
            ASSERT_EQ(s.lines, expected.lines) << bytes;
            ASSERT_EQ(s.used, expected.used) << bytes;
        }
    }
}

TEST(LineSplitter, SplitsUtf16OnWholeUnits) {
    using namespace std::string_literals;
    using V = std::vector<std::string>;
    struct Case {
        std::string bytes;
        V lines;
        size_t used;
    } cases[] = {
        {"A\0\r\0\n\0B\0"s, {"A\0"s}, 6},
        {"A\0\n\0B\0\r\0C\0"s, {"A\0"s, "B\0"s}, 8},
        {"A\0\r\0"s, {}, 0},                     // CR unit last: waits
        {"A\0\r\0\n"s, {}, 0},                   // odd trailing byte waits with it
        {"\x0A\x0D\r\0\n\0"s, {"\x0A\x0D"s}, 6}, // bytes 0A/0D inside a unit end nothing
        {"\0\0\n\0"s, {"\0\0"s}, 4},
    };
    for (const Case& c : cases) {
        Split s = SplitAll(c.bytes, LogEncoding::Utf16);
        EXPECT_EQ(s.lines, c.lines) << c.bytes.size();
        EXPECT_EQ(s.used, c.used) << c.bytes.size();
    }
}

} // namespace
} // namespace marrowlight
