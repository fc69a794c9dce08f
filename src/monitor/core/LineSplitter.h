#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "monitor/core/TextEncoding.h"
#include "support/core/CpuFeatures.h"

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

// Line feeds in bytes, sixteen at a time: std::count over unpacked text took
// more time than indexing it.
inline uint64_t CountLineFeeds(std::string_view bytes) {
    const char* at = bytes.data();
    size_t left = bytes.size();
    uint64_t count = 0;
#if defined(__SSE2__)
    const __m128i feed = _mm_set1_epi8('\n');
    while (left >= 16) {
        // Each byte of the sum counts up to 255 blocks before it is added up.
        const size_t blocks = std::min<size_t>(left / 16, 255);
        __m128i sum = _mm_setzero_si128();
        for (size_t b = 0; b < blocks; ++b, at += 16)
            sum = _mm_sub_epi8(
                sum, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), feed));
        const __m128i wide = _mm_sad_epu8(sum, _mm_setzero_si128());
        count += static_cast<uint64_t>(_mm_cvtsi128_si32(wide)) +
                 static_cast<uint64_t>(_mm_extract_epi16(wide, 4));
        left -= blocks * 16;
    }
#endif
    for (; left > 0; --left, ++at)
        count += *at == '\n' ? 1 : 0;
    return count;
}

// Bit i of Lf / Cr is set when byte i of the 64 at p is an LF / a CR.
struct LineEndMasks {
    uint64_t Lf, Cr;
};
#if defined(__SSE2__)
inline uint64_t ByteMask16(__m128i v, __m128i c) {
    return static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, c)));
}
inline LineEndMasks FindLineEnds64(const char* p) {
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    const auto* q = reinterpret_cast<const __m128i*>(p);
    const __m128i a = _mm_loadu_si128(q), b = _mm_loadu_si128(q + 1), c = _mm_loadu_si128(q + 2),
                  d = _mm_loadu_si128(q + 3);
    return {ByteMask16(a, lf) | ByteMask16(b, lf) << 16 | ByteMask16(c, lf) << 32 |
                ByteMask16(d, lf) << 48,
            ByteMask16(a, cr) | ByteMask16(b, cr) << 16 | ByteMask16(c, cr) << 32 |
                ByteMask16(d, cr) << 48};
}
#else
inline LineEndMasks FindLineEnds64(const char* p) {
    LineEndMasks m{0, 0};
    for (unsigned i = 0; i < 64; ++i) {
        m.Lf |= uint64_t{p[i] == '\n'} << i;
        m.Cr |= uint64_t{p[i] == '\r'} << i;
    }
    return m;
}
#endif

// SplitLines for text of one byte a character, with a way to find the line
// ends of 64 bytes.
template <class FindEnds, class OnLine>
[[gnu::always_inline]] inline size_t SplitEightBit(std::string_view bytes, FindEnds findLineEnds,
                                                   OnLine& onLine) {
    const char* begin = bytes.data();
    // Lines of a log vary in length, so looking for each one's end costs more
    // than its bytes do: 64 bytes are looked at together, and each line end
    // in them is a bit. The LF of a CR LF is no end of its own. A block always
    // has a byte after it, so whether a CR is followed by an LF is known.
    const char* end = begin + bytes.size();
    size_t lineStart = 0, at = 0;
    uint64_t lfAfterCr = 0; // bit 0: the block before ended with a CR
    for (; at + 64 < bytes.size(); at += 64) {
        const LineEndMasks m = findLineEnds(begin + at);
        uint64_t ends = m.Cr | (m.Lf & ~(m.Cr << 1 | lfAfterCr));
        lfAfterCr = m.Cr >> 63;
        for (; ends; ends &= ends - 1) {
            const size_t e = at + static_cast<size_t>(std::countr_zero(ends));
            onLine(lineStart, e - lineStart);
            lineStart = e + 1 + (begin[e] == '\r' && begin[e + 1] == '\n');
        }
    }
    // The rest, under 65 bytes, one line end at a time.
    const char* p = begin + std::max(at, lineStart);
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
        onLine(lineStart, static_cast<size_t>(e - begin) - lineStart);
        lineStart = static_cast<size_t>(next - begin);
        p = next;
    }
    return lineStart;
}

#if defined(MARROWLIGHT_AVX2)
[[gnu::target("avx2")]] inline uint64_t ByteMask32(__m256i v, __m256i c) {
    return static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, c)));
}
[[gnu::target("avx2")]] inline LineEndMasks FindLineEnds64Avx2(const char* p) {
    const __m256i cr = _mm256_set1_epi8('\r'), lf = _mm256_set1_epi8('\n');
    const auto* q = reinterpret_cast<const __m256i*>(p);
    const __m256i a = _mm256_loadu_si256(q), b = _mm256_loadu_si256(q + 1);
    return {ByteMask32(a, lf) | ByteMask32(b, lf) << 32, ByteMask32(a, cr) | ByteMask32(b, cr)
                                                                                 << 32};
}

// The same, 32 bytes a step, for processors that have AVX2.
template <class OnLine>
[[gnu::target("avx2")]] size_t SplitEightBitAvx2(std::string_view bytes, OnLine& onLine) {
    return SplitEightBit(bytes, FindLineEnds64Avx2, onLine);
}
#endif

// Splits bytes that begin at a line start into complete lines. A line ends
// at LF, CR LF, or a CR followed by any other byte; a CR that is the last
// byte may be half of a CR LF, so it waits. In a UTF-16 log the same holds for
// 16-bit units. onLine(start, length) gets each line without its end; the
// result is the number of bytes used, so the unfinished rest starts there.
template <class OnLine>
size_t SplitLines(std::string_view bytes, LogEncoding encoding, OnLine&& onLine) {
    const char* begin = bytes.data();
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
#if defined(MARROWLIGHT_AVX2)
    if (HasAvx2())
        return SplitEightBitAvx2(bytes, onLine);
#endif
    return SplitEightBit(bytes, FindLineEnds64, onLine);
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
