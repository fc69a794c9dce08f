#include "monitor/core/TextEncoding.h"

#include <algorithm>
#include <cstring>

namespace marrowlight {

namespace {

// Windows-1252 0x80..0x9F; its five unassigned bytes keep their C1 code
// point, as Windows itself maps them, so no byte is lost.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

constexpr char32_t Replacement = 0xFFFD;

// Length of the well-formed UTF-8 sequence at p, or 0 when malformed; *bad is
// then the number of bytes to replace by one U+FFFD (the maximal subpart).
size_t Utf8SequenceLength(const unsigned char* p, size_t left, size_t* bad) {
    unsigned char b = p[0];
    size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 3;
        if (b == 0xE0)
            lo = 0xA0;
        if (b == 0xED)
            hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 4;
        if (b == 0xF0)
            lo = 0x90;
        if (b == 0xF4)
            hi = 0x8F;
    } else {
        *bad = 1;
        return 0;
    }
    for (size_t k = 1; k < need; ++k) {
        unsigned char lower = k == 1 ? lo : 0x80, upper = k == 1 ? hi : 0xBF;
        if (k >= left || p[k] < lower || p[k] > upper) {
            *bad = k;
            return 0;
        }
    }
    return need;
}

bool AllAscii(std::string_view bytes) {
    for (unsigned char c : bytes)
        if (c >= 0x80)
            return false;
    return true;
}

void AppendUtf8(std::string& out, std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size(), i = 0;
    while (i < n) {
        size_t run = i;
        while (run < n && p[run] < 0x80)
            ++run;
        out.append(bytes.data() + i, run - i);
        i = run;
        if (i >= n)
            break;
        size_t bad = 0;
        size_t len = Utf8SequenceLength(p + i, n - i, &bad);
        if (len) {
            out.append(bytes.data() + i, len);
            i += len;
        } else {
            AppendCodePoint(out, Replacement);
            i += bad;
        }
    }
}

void AppendCp1252(std::string& out, std::string_view bytes) {
    for (unsigned char c : bytes) {
        if (c < 0x80)
            out.push_back(static_cast<char>(c));
        else if (c < 0xA0)
            AppendCodePoint(out, Cp1252High[c - 0x80]);
        else
            AppendCodePoint(out, c);
    }
}

void AppendUtf16(std::string& out, std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t units = bytes.size() / 2;
    for (size_t u = 0; u < units; ++u) {
        char32_t c = p[2 * u] | (p[2 * u + 1] << 8);
        if (c >= 0xD800 && c <= 0xDBFF && u + 1 < units) {
            char32_t d = p[2 * u + 2] | (p[2 * u + 3] << 8);
            if (d >= 0xDC00 && d <= 0xDFFF) {
                AppendCodePoint(out, 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00));
                ++u;
                continue;
            }
        }
        AppendCodePoint(out, c >= 0xD800 && c <= 0xDFFF ? Replacement : c);
    }
    if (bytes.size() % 2)
        AppendCodePoint(out, Replacement);
}

} // namespace

std::optional<EncodingGuess> DetectEncoding(std::string_view head, uint64_t fileSize) {
    if (fileSize < 2 || head.size() < 2)
        return std::nullopt;
    if (fileSize >= 3 && head.size() >= 3 && head.substr(0, 3) == "\xEF\xBB\xBF")
        return EncodingGuess{LogEncoding::Utf8, 3};
    if (head.substr(0, 2) == "\xFF\xFE")
        return EncodingGuess{LogEncoding::Utf16, 2};
    return EncodingGuess{LogEncoding::EightBit, 0};
}

bool HasHighByte(std::string_view bytes) {
    unsigned char any = 0;
    for (unsigned char c : bytes)
        any |= c;
    return (any & 0x80) != 0;
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size(), i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        size_t bad = 0;
        size_t len = Utf8SequenceLength(p + i, n - i, &bad);
        if (!len)
            return false;
        i += len;
    }
    return true;
}

void AppendDecodedLine(std::string& out, std::string_view bytes, LogEncoding encoding) {
    if (encoding == LogEncoding::Utf16) {
        AppendUtf16(out, bytes);
    } else if (AllAscii(bytes)) {
        out.append(bytes);
    } else if (encoding == LogEncoding::Utf8 || IsValidUtf8(bytes)) {
        AppendUtf8(out, bytes);
    } else {
        AppendCp1252(out, bytes);
    }
}

void AppendDecodedAs(std::string& out, std::string_view bytes, LogEncoding encoding, bool utf8) {
    if (encoding == LogEncoding::Utf16)
        AppendUtf16(out, bytes);
    else if (AllAscii(bytes))
        out.append(bytes);
    else if (encoding == LogEncoding::Utf8 || utf8)
        AppendUtf8(out, bytes);
    else
        AppendCp1252(out, bytes);
}

size_t UnfinishedCharBytes(std::string_view bytes, LogEncoding encoding) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    if (encoding == LogEncoding::Utf16) {
        const size_t odd = n % 2;
        if (n - odd >= 2) {
            const unsigned last = p[n - odd - 2] | (p[n - odd - 1] << 8);
            if (last >= 0xD800 && last <= 0xDBFF)
                return odd + 2;
        }
        return odd;
    }
    // A sequence that ran out of bytes while still well-formed; one found
    // malformed already decodes the same whatever follows.
    for (size_t back = 1; back <= std::min<size_t>(3, n); ++back) {
        if ((p[n - back] & 0xC0) == 0x80)
            continue;
        size_t bad = 0;
        if (p[n - back] >= 0xC2 && Utf8SequenceLength(p + n - back, back, &bad) == 0 && bad == back)
            return back;
        return 0;
    }
    return 0;
}

std::string DecodeLine(std::string_view bytes, LogEncoding encoding) {
    std::string out;
    out.reserve(bytes.size());
    AppendDecodedLine(out, bytes, encoding);
    return out;
}

uint64_t CountUtf8Chars(std::string_view bytes, bool& valid) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    uint64_t count = 0;
    size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            ++i;
            ++count;
            continue;
        }
        size_t bad = 0;
        const size_t len = Utf8SequenceLength(p + i, n - i, &bad);
        if (!len)
            valid = false;
        i += len ? len : bad;
        ++count;
    }
    return count;
}

uint64_t CountChars(std::string_view bytes, LogEncoding encoding) {
    if (encoding == LogEncoding::Utf16)
        return (bytes.size() + 1) / 2;
    bool valid = true;
    const uint64_t count = CountUtf8Chars(bytes, valid);
    // Windows-1252 gives every byte a character of its own.
    return encoding == LogEncoding::EightBit && !valid ? bytes.size() : count;
}

} // namespace marrowlight
