#include "monitor/core/TextEncoding.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace marrowlight
