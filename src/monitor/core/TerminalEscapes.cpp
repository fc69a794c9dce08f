#include "monitor/core/TerminalEscapes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

namespace marrowlight {
namespace {

constexpr char Esc = 0x1B;
constexpr char Bell = 0x07;

// The 16 colours as most terminals draw them (xterm's defaults).
constexpr std::array<uint32_t, 16> BasicColours = {
    0x000000, 0xCD0000, 0x00CD00, 0xCDCD00, 0x0000EE, 0xCD00CD, 0x00CDCD, 0xE5E5E5,
    0x7F7F7F, 0xFF0000, 0x00FF00, 0xFFFF00, 0x5C5CFF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

uint32_t Set(uint32_t rgb) {
    return TerminalStyle::ColourSet | (rgb & 0xFFFFFF);
}

// The numbers of an SGR sequence; ":" separates sub-parameters as ";" does,
// which reads "38:2::r:g:b" (with the colour space left empty) as well.
std::vector<int> Parameters(std::string_view text, bool* colonForm) {
    std::vector<int> numbers;
    int value = -1;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value) * 10 + (c - '0');
            if (value > 100000)
                value = 100000;
        } else {
            if (c == ':')
                *colonForm = true;
            numbers.push_back(value);
            value = -1;
        }
    }
    numbers.push_back(value);
    return numbers;
}

// An extended colour at numbers[i] (the 5 or 2 after 38 or 48); moves i past it.
uint32_t ExtendedColour(const std::vector<int>& numbers, size_t& i, bool colonForm) {
    auto at = [&](size_t k) { return k < numbers.size() && numbers[k] > 0 ? numbers[k] : 0; };
    if (i >= numbers.size())
        return 0;
    if (numbers[i] == 5) {
        const int index = at(i + 1);
        i += 1;
        return index <= 255 ? Set(TerminalPaletteColour(index)) : 0;
    }
    if (numbers[i] == 2) {
        // "38:2::r:g:b" names a colour space before the three values.
        const size_t first = colonForm && i + 4 < numbers.size() ? i + 2 : i + 1;
        const int r = at(first), g = at(first + 1), b = at(first + 2);
        i = first + 2;
        if (r > 255 || g > 255 || b > 255)
            return 0;
        return Set(static_cast<uint32_t>(r << 16 | g << 8 | b));
    }
    return 0;
}

void ApplySgr(std::string_view params, TerminalStyle& style) {
    bool colonForm = false;
    const std::vector<int> numbers = Parameters(params, &colonForm);
    for (size_t i = 0; i < numbers.size(); ++i) {
        const int n = numbers[i] < 0 ? 0 : numbers[i];
        if (n == 0)
            style = TerminalStyle{};
        else if (n == 1)
            style.Bold = true;
        else if (n == 22)
            style.Bold = false;
        else if (n >= 30 && n <= 37)
            style.Foreground = Set(BasicColours[n - 30]);
        else if (n >= 90 && n <= 97)
            style.Foreground = Set(BasicColours[n - 90 + 8]);
        else if (n == 39)
            style.Foreground = 0;
        else if (n >= 40 && n <= 47)
            style.Background = Set(BasicColours[n - 40]);
        else if (n >= 100 && n <= 107)
            style.Background = Set(BasicColours[n - 100 + 8]);
        else if (n == 49)
            style.Background = 0;
        else if (n == 38 || n == 48) {
            ++i;
            const uint32_t colour = ExtendedColour(numbers, i, colonForm);
            (n == 38 ? style.Foreground : style.Background) = colour;
        }
    }
}

// Where the sequence that starts with the ESC at `at` ends (one past it), and
// for a colour sequence its parameters. `cut`: the text ended before the
// sequence did.
size_t SequenceEnd(std::string_view text, size_t at, std::optional<std::string_view>& sgr,
                   bool* cut = nullptr) {
    const size_t size = text.size();
    size_t i = at + 1;
    bool unused = false;
    bool& ended = cut ? *cut : unused;
    ended = true;
    if (i >= size)
        return size;
    const char kind = text[i];
    if (kind == '[') { // CSI: parameters, intermediates, one final byte
        const size_t start = ++i;
        while (i < size && text[i] >= 0x30 && text[i] <= 0x3F)
            ++i;
        const size_t paramsEnd = i;
        while (i < size && text[i] >= 0x20 && text[i] <= 0x2F)
            ++i;
        if (i >= size)
            return size;
        ended = false;
        if (text[i] == 'm' && paramsEnd == i && (paramsEnd == start || text[start] < 0x3C))
            sgr = text.substr(start, paramsEnd - start);
        return (text[i] >= 0x40 && text[i] <= 0x7E) ? i + 1 : i;
    }
    if (kind == ']' || kind == 'P' || kind == 'X' || kind == '^' || kind == '_') {
        // A string up to BEL or ESC \ (window titles, hyperlinks).
        for (++i; i < size; ++i) {
            if (text[i] == Bell) {
                ended = false;
                return i + 1;
            }
            if (text[i] == Esc) {
                // ESC at the very end may be the start of the string's ESC \.
                ended = i + 1 >= size;
                return (i + 1 < size && text[i + 1] == '\\') ? i + 2 : i;
            }
        }
        return size;
    }
    while (i < size && text[i] >= 0x20 && text[i] <= 0x2F) // ESC ( B and the like
        ++i;
    ended = i >= size;
    return (i < size && text[i] >= 0x30 && text[i] <= 0x7E) ? i + 1 : i;
}

} // namespace

uint32_t TerminalPaletteColour(int index) {
    if (index < 0 || index > 255)
        return 0;
    if (index < 16)
        return BasicColours[static_cast<size_t>(index)];
    if (index < 232) {
        const int cube = index - 16;
        auto level = [](int v) { return v == 0 ? 0 : 55 + v * 40; };
        return static_cast<uint32_t>(level(cube / 36) << 16 | level(cube / 6 % 6) << 8 |
                                     level(cube % 6));
    }
    const int grey = 8 + (index - 232) * 10;
    return static_cast<uint32_t>(grey << 16 | grey << 8 | grey);
}

EscapeCarry CarryEscapes(const std::function<std::string_view(uint64_t, size_t)>& read,
                         uint64_t from, TerminalStyle style, uint64_t start, uint64_t size) {
    constexpr uint64_t PieceBytes = uint64_t{64} << 10;
    // Past the start, only to see the end of a sequence that crosses it; a
    // longer one ends where what was read does.
    constexpr uint64_t LookBytes = 4096;
    uint64_t look = 0;
    uint64_t at = from;
    while (at < start) {
        const std::string_view piece =
            read(at, static_cast<size_t>(std::min({PieceBytes, start - at + look, size - at})));
        if (piece.empty())
            break;
        // Only sequences that begin before the part matter.
        const size_t before = static_cast<size_t>(std::min<uint64_t>(piece.size(), start - at));
        size_t i = 0;
        while (i < before) {
            const char* next =
                static_cast<const char*>(std::memchr(piece.data() + i, Esc, before - i));
            if (!next) {
                i = before;
                break;
            }
            const size_t escape = static_cast<size_t>(next - piece.data());
            std::optional<std::string_view> sgr;
            bool cut = false;
            size_t end = SequenceEnd(piece, escape, sgr, &cut);
            if (cut &&
                std::min({at + escape + PieceBytes, start + LookBytes, size}) > at + piece.size()) {
                // Cut by the end of what was read: read on from its ESC.
                look = LookBytes;
                i = escape;
                break;
            }
            if (sgr && !cut)
                ApplySgr(*sgr, style);
            if (cut)
                end = piece.size(); // too long to follow, or cut by the text's end
            if (at + end >= start)
                return {at + end, style};
            i = end;
        }
        at += i;
    }
    return {std::max(at, start), style};
}

std::string VisibleText(std::string_view text, std::vector<StyledSpan>* spans,
                        TerminalStyle initial) {
    std::string shown;
    shown.reserve(text.size());
    TerminalStyle style = initial;
    auto addSpan = [&](size_t from) {
        if (!spans || style.Plain() || shown.size() == from)
            return;
        const auto start = static_cast<uint32_t>(from);
        const auto length = static_cast<uint32_t>(shown.size() - from);
        if (!spans->empty() && spans->back().Style == style &&
            spans->back().Start + spans->back().Length == start)
            spans->back().Length += length;
        else
            spans->push_back({start, length, style});
    };
    size_t i = 0, runStart = 0;
    while (i < text.size()) {
        const char* next =
            static_cast<const char*>(std::memchr(text.data() + i, Esc, text.size() - i));
        const size_t stop = next ? static_cast<size_t>(next - text.data()) : text.size();
        for (size_t k = i; k < stop; ++k)
            if (text[k] != Bell)
                shown.push_back(text[k]);
        if (!next)
            break;
        std::optional<std::string_view> sgr;
        i = SequenceEnd(text, stop, sgr);
        if (sgr) {
            addSpan(runStart);
            runStart = shown.size();
            ApplySgr(*sgr, style);
        }
    }
    addSpan(runStart);
    return shown;
}

} // namespace marrowlight
