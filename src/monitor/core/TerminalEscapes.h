#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

// What the colour sequences of a terminal (ESC [ ... m) ask of the text after
// them. A colour is 0xRRGGBB with ColourSet added; 0 means "as without
// sequences" (the group colour, the list's background).
struct TerminalStyle {
    static constexpr uint32_t ColourSet = 0x1000000;
    uint32_t Foreground = 0;
    uint32_t Background = 0;
    bool Bold = false;
    bool operator==(const TerminalStyle&) const = default;
    bool Plain() const { return *this == TerminalStyle{}; }
};

// A stretch of visible text, in bytes of the text VisibleText returned, drawn
// in one style. Only stretches that are not plain are listed.
struct StyledSpan {
    uint32_t Start = 0;
    uint32_t Length = 0;
    TerminalStyle Style;
    bool operator==(const StyledSpan&) const = default;
};

// Whether the text holds an escape character at all: the common line holds
// none and costs one memchr.
inline bool HasTerminalEscapes(std::string_view text) {
    return !text.empty() && std::memchr(text.data(), 0x1B, text.size()) != nullptr;
}

// The text as a terminal would show it: every escape sequence (colours,
// cursor moves, erase, window titles and hyperlinks, a lone ESC) and the bell
// removed. With `spans`, the colours and boldness the colour sequences give
// are listed there. A sequence cut off by the end of the text is removed
// with what there is of it.
// The text starts in style `initial`, left by sequences before it.
std::string VisibleText(std::string_view text, std::vector<StyledSpan>* spans = nullptr,
                        TerminalStyle initial = {});

// Where a part of a text that starts at byte `start` begins so that it cuts
// no sequence (past one that begins before it and ends in it), and the
// style the sequences before it leave.
struct EscapeCarry {
    uint64_t Start = 0;
    TerminalStyle Style;
    bool operator==(const EscapeCarry&) const = default;
};
// Reads the text of `size` bytes with read(offset, bytes), a piece at a
// time, from `from` on: a place outside any sequence, where `style` holds
// (0 and the plain style: its beginning).
EscapeCarry CarryEscapes(const std::function<std::string_view(uint64_t, size_t)>& read,
                         uint64_t from, TerminalStyle style, uint64_t start, uint64_t size);

// The colour of entry `index` (0..255) of the terminal's 256-colour palette.
uint32_t TerminalPaletteColour(int index);

} // namespace marrowlight
