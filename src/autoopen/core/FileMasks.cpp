#include "autoopen/core/FileMasks.h"

#include "support/core/PathUtils.h"
#include "support/core/TextUtils.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace marrowlight {

namespace {

constexpr std::uint32_t Star = '*';
constexpr std::uint32_t AnyOne = '?';

// Stack storage for the usual short names and masks; the heap only beyond.
template <class T, std::size_t N> class Scratch {
  public:
    explicit Scratch(std::size_t size) {
        if (size > N) {
            large_.resize(size);
            data_ = large_.data();
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    T* data() { return data_; }
    const T* data() const { return data_; }

  private:
    std::array<T, N> small_; // left uninitialised: callers write before they read
    std::vector<T> large_;
    T* data_ = small_.data();
};

// The next character of UTF-8 text as a number: a byte of its own, or the
// bytes of a whole sequence packed together. Leads decide the length, so two
// numbers are equal exactly when the characters are.
std::uint32_t NextCharacter(std::string_view text, std::size_t& at, bool foldCase) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    if (at + length > text.size())
        length = 1;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            length = 1;
            break;
        }
    }
    std::uint32_t code = 0;
    for (std::size_t k = 0; k < length; ++k)
        code = code << 8 | byte(k);
    at += length;
    if (foldCase && code >= 'a' && code <= 'z')
        code -= 'a' - 'A';
    return code;
}

class Characters {
  public:
    Characters(std::string_view text, bool foldCase) : codes_(text.size()) {
        for (std::size_t at = 0; at < text.size();)
            codes_.data()[size_++] = NextCharacter(text, at, foldCase);
    }
    std::size_t size() const { return size_; }
    std::uint32_t operator[](std::size_t i) const { return codes_.data()[i]; }

  private:
    Scratch<std::uint32_t, 256> codes_;
    std::size_t size_ = 0;
};

void ReplaceFirst(std::string& text, std::string_view placeholder, const std::string& value) {
    const std::size_t at = text.find(placeholder);
    if (at != std::string::npos)
        text.replace(at, placeholder.size(), value);
}

std::string Digits(int value, std::size_t width) {
    std::string text = std::to_string(value);
    if (text.size() < width)
        text.insert(0, width - text.size(), '0');
    return text;
}

std::pair<std::string_view, std::string_view> BaseAndExtension(std::string_view text) {
    for (std::size_t i = text.size(); i > 0; --i) {
        if (IsPathSeparator(text[i - 1])) {
            text.remove_prefix(i);
            break;
        }
    }
    const std::size_t dot = text.rfind('.');
    if (dot == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, dot), text.substr(dot)};
}

// Plain ASCII needs no decoding: its bytes are its characters.
struct AsciiText {
    std::string_view text;
    std::size_t size() const { return text.size(); }
    std::uint32_t operator[](std::size_t i) const {
        const auto c = static_cast<unsigned char>(text[i]);
        return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
    }
};

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

template <class Text> bool HasWildcards(const Text& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == Star || text[i] == AnyOne)
            return true;
    }
    return false;
}

// With wildcards on one side only the rule is plain globbing, answered by
// the usual backtrack to the last star: no table, and in practice linear.
template <class Pattern, class Text> bool Glob(const Pattern& pattern, const Text& text) {
    const std::size_t n = text.size(), m = pattern.size();
    std::size_t i = 0, j = 0;
    std::size_t starAt = m, resumeAt = 0;
    while (i < n) {
        if (j < m && pattern[j] == Star) {
            starAt = j++;
            resumeAt = i;
        } else if (j < m && (pattern[j] == AnyOne || pattern[j] == text[i])) {
            ++i;
            ++j;
        } else if (starAt != m) {
            j = starAt + 1;
            i = ++resumeAt;
        } else {
            return false;
        }
    }
    while (j < m && pattern[j] == Star)
        ++j;
    return j == m;
}

// With wildcards on both sides the rule reads as a recursion that, at a
// star, retries the rest from every later position; written directly it
// takes exponential time on many stars. Every text it looks at is a pair of
// suffixes, so this fills the table of all suffix pairs instead, from the
// ends backwards, with running ORs standing in for the retry loops:
// O(|A|·|B|) time, O(|B|) memory. Cell (i, j) answers "A from i matches B
// from j".
template <class Text> bool MatchTable(const Text& A, const Text& B) {
    const std::size_t n = A.size(), m = B.size();
    Scratch<unsigned char, 5 * 257> rows(5 * (m + 1));
    unsigned char* row = rows.data();     // cells (i, j)
    unsigned char* below = row + (m + 1); // cells (i + 1, j)
    // Whether some cell (i + 1, k) with j <= k < m is true.
    unsigned char* belowFromRight = below + (m + 1);
    // Whether some cell (k, j) with i < k < n is true.
    unsigned char* fromBelow = belowFromRight + (m + 1);
    // Whether b from j on holds only stars.
    unsigned char* starsOnlyB = fromBelow + (m + 1);

    starsOnlyB[m] = 1;
    for (std::size_t j = m; j > 0; --j)
        starsOnlyB[j - 1] = B[j - 1] == Star && starsOnlyB[j];
    for (std::size_t j = 0; j <= m; ++j)
        fromBelow[j] = 0;

    bool starsOnlyA = true; // a from i on
    for (std::size_t i = n;; --i) {
        if (i < n)
            starsOnlyA = starsOnlyA && A[i] == Star;
        for (std::size_t j = m;; --j) {
            bool match;
            if (i == n) {
                match = starsOnlyB[j];
            } else if (j == m) {
                match = starsOnlyA;
            } else {
                const std::uint32_t x = A[i], y = B[j];
                if (x == AnyOne || y == AnyOne)
                    match = below[j + 1];
                else if (x == Star)
                    match = i + 1 == n || belowFromRight[j];
                else if (y == Star)
                    match = j + 1 == m || row[j + 1] || fromBelow[j + 1];
                else
                    match = x == y && below[j + 1];
            }
            row[j] = match;
            if (j == 0)
                break;
        }
        if (i == 0)
            return row[0];
        if (i < n) {
            for (std::size_t j = 0; j <= m; ++j)
                fromBelow[j] = fromBelow[j] || row[j];
        }
        belowFromRight[m] = 0;
        for (std::size_t j = m; j > 0; --j)
            belowFromRight[j - 1] = row[j - 1] || belowFromRight[j];
        std::swap(row, below);
    }
}

template <class Text> bool MatchCharacters(const Text& a, const Text& b) {
    if (!HasWildcards(b))
        return Glob(a, b);
    if (!HasWildcards(a))
        return Glob(b, a);
    return MatchTable(a, b);
}

} // namespace

std::string ExpandDateMask(std::string_view mask, CalendarDate today) {
    std::string text(mask);
    ReplaceFirst(text, "yyyy", Digits(today.year, 4));
    ReplaceFirst(text, "yy", Digits(today.year % 100, 2));
    ReplaceFirst(text, "mm", Digits(today.month, 2));
    ReplaceFirst(text, "dd", Digits(today.day, 2));
    return text;
}

bool MatchesDateMask(std::string_view fileName, std::string_view expandedMask) {
    std::size_t inName = 0, inMask = 0;
    while (inName < fileName.size() && inMask < expandedMask.size()) {
        const std::uint32_t wanted = NextCharacter(expandedMask, inMask, false);
        const std::uint32_t found = NextCharacter(fileName, inName, false);
        if (wanted != AnyOne && wanted != found)
            return false;
    }
    return true;
}

bool MatchesAnyDateMask(const std::string& list, std::string_view fileName, CalendarDate today) {
    std::string rest = list;
    for (std::string entry = CutToken(rest); !entry.empty(); entry = CutToken(rest)) {
        if (MatchesDateMask(fileName, ExpandDateMask(entry, today)))
            return true;
    }
    return false;
}

bool MatchesFileMask(std::string_view fileName, std::string_view mask) {
    const auto [nameBase, nameExtension] = BaseAndExtension(fileName);
    const auto [maskBase, maskExtension] = BaseAndExtension(mask);
    return WildcardMatch(nameBase, maskBase) && WildcardMatch(nameExtension, maskExtension);
}

bool MatchesAnyWildcard(const std::string& list, std::string_view fileName) {
    // Matching has no side effects, so stopping at the first hit answers the
    // same as testing every entry.
    std::string rest = list;
    for (std::string entry = CutToken(rest); !entry.empty(); entry = CutToken(rest)) {
        if (MatchesFileMask(fileName, entry))
            return true;
    }
    return false;
}

bool WildcardMatch(std::string_view a, std::string_view b) {
    if (IsAscii(a) && IsAscii(b))
        return MatchCharacters(AsciiText{a}, AsciiText{b});
    return MatchCharacters(Characters(a, true), Characters(b, true));
}

bool SameDay(DateTime modificationTime, CalendarDate today) {
    return DateOf(modificationTime) == today;
}

bool SameDay(DateTime modificationTime, const Clock& clock) {
    return SameDay(modificationTime, Today(clock));
}

} // namespace marrowlight
