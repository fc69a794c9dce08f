#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "monitor/core/TextEncoding.h"

namespace marrowlight {

// First CR or LF in [p, end), or end.
inline const char* FindLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (mask)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == '\r' || *p == '\n')
            return p;
    return end;
}

// Splits bytes that begin at a line start into complete lines. A line ends
// at LF, CR LF, or a CR followed by any other byte; a CR that is the last
// byte may be half of a CR LF, so it waits. In a UTF-16 log the same holds for
// 16-bit units. onLine(start, length) gets each line without its end; the
// result is the number of bytes used, so the unfinished rest starts there.
template <class OnLine>
size_t SplitLines(std::string_view bytes, LogEncoding encoding, OnLine&& onLine) {
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    if (encoding == LogEncoding::Utf16) {
        size_t units = bytes.size() / 2, lineStart = 0;
        auto unit = [&](size_t u) {
            return static_cast<unsigned char>(begin[2 * u]) |
                   (static_cast<unsigned char>(begin[2 * u + 1]) << 8);
        };
        for (size_t u = 0; u < units; ++u) {
            unsigned c = unit(u);
            if (c != '\r' && c != '\n')
                continue;
            size_t lineEnd = 2 * u;
            if (c == '\r') {
                if (u + 1 >= units)
                    break;
                if (unit(u + 1) == '\n')
                    ++u;
            }
            onLine(lineStart, lineEnd - lineStart);
            lineStart = 2 * u + 2;
        }
        return lineStart;
    }
    const char* lineStart = begin;
    const char* p = begin;
    while (p < end) {
        const char* e = FindLineEnd(p, end);
        if (e == end)
            break;
        const char* next = e + 1;
        if (*e == '\r') {
            if (next == end)
                break;
            if (*next == '\n')
                ++next;
        }
        onLine(static_cast<size_t>(lineStart - begin), static_cast<size_t>(e - lineStart));
        lineStart = p = next;
    }
    return static_cast<size_t>(lineStart - begin);
}

// Bytes at the end of text that SplitLines left unfinished which must be
// looked at again with the bytes that follow: a CR that may be half of a
// CR LF and, in UTF-16, an odd byte. Everything before them holds no line end.
inline size_t PendingLineEndBytes(std::string_view bytes, LogEncoding encoding) {
    if (encoding == LogEncoding::Utf16) {
        const size_t odd = bytes.size() % 2;
        const size_t even = bytes.size() - odd;
        if (even >= 2 && bytes[even - 2] == '\r' && bytes[even - 1] == '\0')
            return odd + 2;
        return odd;
    }
    return !bytes.empty() && bytes.back() == '\r' ? 1 : 0;
}

} // namespace marrowlight
