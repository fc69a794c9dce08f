#include "monitor/core/TextSearch.h"

#include <algorithm>
#include <cstring>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace marrowlight {

namespace {

bool IsAsciiLetter(unsigned char c) {
    const unsigned char lower = c | 0x20;
    return lower >= 'a' && lower <= 'z';
}

unsigned char FoldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c | 0x20) : c;
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

bool SameFolded(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (FoldAscii(static_cast<unsigned char>(a[i])) != static_cast<unsigned char>(b[i]))
            return false;
    return true;
}

// Characters (code points) in the first `bytes` bytes of UTF-8 text.
size_t CharsBefore(std::string_view text, size_t bytes) {
    size_t chars = 0;
    for (size_t i = 0; i < bytes && i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++chars;
    return chars;
}

// Whether an expression may contain an assertion that sees past its match or
// the subject's ends. A text that only looks like one (an escaped "\\A")
// counts too: it costs speed, never a wrong answer.
bool MayLookAround(std::string_view expression) {
    static constexpr std::string_view Marks[] = {"(?=", "(?!", "(?<", "(*",
                                                 "\\A", "\\z", "\\Z", "\\G"};
    for (std::string_view mark : Marks)
        if (expression.find(mark) != std::string_view::npos)
            return true;
    return false;
}

// Steps this many times without a result make an expression give up on a text.
constexpr uint32_t MatchLimit = 10'000'000;

} // namespace

size_t FindBytes(std::string_view hay, std::string_view needle, size_t from, bool fold) {
    const size_t n = needle.size();
    const size_t len = hay.size();
    if (n == 0 || from > len || len - from < n)
        return std::string_view::npos;
    const char* h = hay.data();
    const char* nd = needle.data();
    if (n == 1 && !(fold && IsAsciiLetter(static_cast<unsigned char>(nd[0])))) {
        const void* hit = std::memchr(h + from, nd[0], len - from);
        return hit ? size_t(static_cast<const char*>(hit) - h) : std::string_view::npos;
    }
    auto matchesAt = [&](size_t at) {
        return fold ? SameFolded(h + at, nd, n) : std::memcmp(h + at, nd, n) == 0;
    };
    size_t i = from;
#if defined(__SSE2__)
    // Candidates are the positions whose first and last bytes both fit (the
    // usual vector filter); a byte that is a letter is compared with bit 5
    // set, which folds case and lets a few punctuation marks through, weeded
    // out by the full comparison.
    const size_t last = n - 1;
    const auto firstByte = static_cast<unsigned char>(nd[0]);
    const auto lastByte = static_cast<unsigned char>(nd[last]);
    const __m128i firstOr = _mm_set1_epi8(fold && IsAsciiLetter(firstByte) ? 0x20 : 0);
    const __m128i lastOr = _mm_set1_epi8(fold && IsAsciiLetter(lastByte) ? 0x20 : 0);
    const __m128i first = _mm_set1_epi8(static_cast<char>(firstByte));
    const __m128i lastV = _mm_set1_epi8(static_cast<char>(lastByte));
    while (i + last + 32 <= len) {
        const char* p = h + i;
        const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + last));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + last + 16));
        const __m128i e0 = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a0, firstOr), first),
                                         _mm_cmpeq_epi8(_mm_or_si128(b0, lastOr), lastV));
        const __m128i e1 = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a1, firstOr), first),
                                         _mm_cmpeq_epi8(_mm_or_si128(b1, lastOr), lastV));
        unsigned mask = unsigned(_mm_movemask_epi8(e0)) | (unsigned(_mm_movemask_epi8(e1)) << 16);
        while (mask) {
            const size_t at = i + size_t(__builtin_ctz(mask));
            if (matchesAt(at))
                return at;
            mask &= mask - 1;
        }
        i += 32;
    }
#endif
    for (; i + n <= len; ++i)
        if (matchesAt(i))
            return i;
    return std::string_view::npos;
}

struct SearchPattern::Compiled {
    pcre2_code* code = nullptr;
    pcre2_match_data* data = nullptr;
    pcre2_match_context* context = nullptr;
    pcre2_jit_stack* stack = nullptr;
    bool jit = false;

    ~Compiled() {
        pcre2_jit_stack_free(stack);
        pcre2_match_context_free(context);
        pcre2_match_data_free(data);
        pcre2_code_free(code);
    }
};

SearchPattern::SearchPattern(std::string_view text, bool matchCase, bool regex) : text_(text) {
    if (text_.empty())
        return;
    const bool ascii = IsAscii(text_);
    if (!regex && (matchCase || ascii)) {
        fold_ = !matchCase;
        if (fold_)
            for (char& c : text_)
                c = static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
        rawSafe_ = ascii;
        return;
    }

    // Lines end at CR, LF or CR LF, so "^" and "$" do too, and "." takes
    // neither; a block of lines is then searched as its lines would be.
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
    if (!matchCase)
        options |= PCRE2_CASELESS;
    options |= regex ? PCRE2_MULTILINE : PCRE2_LITERAL;
    pcre2_compile_context* compileContext = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(compileContext, PCRE2_NEWLINE_ANYCRLF);
    int code = 0;
    PCRE2_SIZE offset = 0;
    auto compiled = std::make_unique<Compiled>();
    compiled->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text_.data()), text_.size(),
                                   options, &code, &offset, compileContext);
    pcre2_compile_context_free(compileContext);
    if (!compiled->code) {
        PCRE2_UCHAR message[256];
        if (pcre2_get_error_message(code, message, sizeof message) < 0)
            message[0] = 0;
        error_ = "Invalid regular expression: ";
        error_ += reinterpret_cast<const char*>(message);
        error_ += " (at character " + std::to_string(CharsBefore(text_, offset) + 1) + ")";
        return;
    }
    compiled->jit = pcre2_jit_compile(compiled->code, PCRE2_JIT_COMPLETE) == 0;
    compiled->data = pcre2_match_data_create(1, nullptr);
    compiled->context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(compiled->context, MatchLimit);
    if (compiled->jit) {
        compiled->stack = pcre2_jit_stack_create(32 << 10, 4 << 20, nullptr);
        if (compiled->stack)
            pcre2_jit_stack_assign(compiled->context, nullptr, compiled->stack);
    }
    if (!compiled->data || !compiled->context) {
        error_ = "Not enough memory for the expression";
        return;
    }
    regex_ = std::move(compiled);
    looksAround_ = regex && MayLookAround(text_);
}

SearchPattern::~SearchPattern() = default;

FindResult SearchPattern::Find(std::string_view text, size_t from, SearchMatch& match,
                               bool lineStart, bool lineEnd) const {
    if (!CanSearch() || from > text.size())
        return FindResult::NoMatch;
    if (!regex_) {
        const size_t at = FindBytes(text, text_, from, fold_);
        if (at == std::string_view::npos)
            return FindResult::NoMatch;
        match = {at, at + text_.size()};
        return FindResult::Match;
    }
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    const uint32_t options = (lineStart ? 0 : PCRE2_NOTBOL) | (lineEnd ? 0 : PCRE2_NOTEOL);
    const int rc = regex_->jit ? pcre2_jit_match(regex_->code, subject, text.size(), from, options,
                                                 regex_->data, regex_->context)
                               : pcre2_match(regex_->code, subject, text.size(), from, options,
                                             regex_->data, regex_->context);
    if (rc == PCRE2_ERROR_NOMATCH)
        return FindResult::NoMatch;
    if (rc < 0)
        return FindResult::TooComplex;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(regex_->data);
    // \K in a lookahead can put the start after the end.
    match = {ovector[0], std::max(ovector[0], ovector[1])};
    return FindResult::Match;
}

} // namespace marrowlight
