#include "monitor/core/LineSplitter.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace marrowlight {
namespace {

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
        {std::string(62, 'x') + "\r\n" + std::string(70, 'y') + "\n",
         {std::string(62, 'x'), std::string(70, 'y')},
         135}, // a CR LF and a line across the splitter's 64-byte scan blocks
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
