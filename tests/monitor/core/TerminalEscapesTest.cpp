#include "monitor/core/TerminalEscapes.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

constexpr uint32_t Set = TerminalStyle::ColourSet;

TEST(VisibleText, RemovesEverySequenceAndKeepsWhatATerminalShows) {
    struct Case {
        const char* what;
        std::string text;
        std::string visible;
    };
    const Case cases[] = {
        {"plain", "no sequences here", "no sequences here"},
        {"colour and reset", "\x1b[31mERROR\x1b[0m done", "ERROR done"},
        {"reset without a number", "\x1b[1;32mok\x1b[m", "ok"},
        {"only sequences", "\x1b[0m\x1b[K\x1b[2J", ""},
        {"erase line and cursor moves", "a\x1b[2Kb\x1b[10;5Hc\x1b[?25ld", "abcd"},
        {"window title ended by BEL", "\x1b]0;build: make\x07started", "started"},
        {"hyperlink ended by ESC \\", "see \x1b]8;;https://x.example/\x1b\\docs\x1b]8;;\x1b\\ now",
         "see docs now"},
        {"character set choice", "\x1b(Bplain\x1b)0", "plain"},
        {"keypad mode, lone ESC at the end", "a\x1b=b\x1b", "ab"},
        {"sequence cut by the end of the line", "text\x1b[38;5;", "text"},
        {"title cut by the end of the line", "text\x1b]2;no end", "text"},
        {"bell alone", "ding\x07 dong", "ding dong"},
        {"UTF-8 kept whole", "\x1b[33m\xc3\xa9t\xc3\xa9\x1b[0m", "\xc3\xa9t\xc3\xa9"},
        {"apt progress", "\x1b[1mProgress: [ 40%]\x1b[0m", "Progress: [ 40%]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VisibleText(c.text), c.visible) << c.what;
}

TEST(VisibleText, GivesTheColoursTheSequencesSet) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<StyledSpan> spans;
    };
    const TerminalStyle red{Set | 0xCD0000, 0, false};
    const Case cases[] = {
        {"plain text has none", "plain", {}},
        {"basic foreground", "a\x1b[31mbc\x1b[0md", {{1, 2, red}}},
        {"bold bright", "\x1b[1;92mok", {{0, 2, {Set | 0x00FF00, 0, true}}}},
        {"bold then normal keeps the colour",
         "\x1b[1;31ma\x1b[22mb",
         {{0, 1, {Set | 0xCD0000, 0, true}}, {1, 1, red}}},
        {"default foreground ends the span", "\x1b[31ma\x1b[39mb", {{0, 1, red}}},
        {"background", "\x1b[44mx", {{0, 1, {0, Set | 0x0000EE, false}}}},
        {"256 colours: cube and grey",
         "\x1b[38;5;196ma\x1b[48;5;232mb",
         {{0, 1, {Set | 0xFF0000, 0, false}}, {1, 1, {Set | 0xFF0000, Set | 0x080808, false}}}},
        {"24-bit with semicolons", "\x1b[38;2;10;20;30mx", {{0, 1, {Set | 0x0A141E, 0, false}}}},
        {"24-bit with colons and a colour space",
         "\x1b[38:2::10:20:30mx",
         {{0, 1, {Set | 0x0A141E, 0, false}}}},
        {"out of range values are ignored", "\x1b[38;2;300;0;0mx\x1b[38;5;999my", {}},
        {"same style again joins the span", "\x1b[31ma\x1b[31mb", {{0, 2, red}}},
        {"a sequence between sequences sets nothing visible", "\x1b[31m\x1b[0mx", {}},
        {"other sequences keep the colour", "\x1b[31ma\x1b[Kb", {{0, 2, red}}},
        {"private CSI ending in m is no colour", "\x1b[>4;1mx", {}},
    };
    for (const Case& c : cases) {
        std::vector<StyledSpan> spans;
        VisibleText(c.text, &spans);
        EXPECT_EQ(spans, c.spans) << c.what;
    }
}

TEST(TerminalPaletteColour, FollowsTheBasicColoursTheCubeAndTheGreys) {
    EXPECT_EQ(TerminalPaletteColour(1), 0xCD0000u);
    EXPECT_EQ(TerminalPaletteColour(16), 0x000000u);
    EXPECT_EQ(TerminalPaletteColour(21), 0x0000FFu);
    EXPECT_EQ(TerminalPaletteColour(231), 0xFFFFFFu);
    EXPECT_EQ(TerminalPaletteColour(255), 0xEEEEEEu);
}

} // namespace
} // namespace marrowlight
