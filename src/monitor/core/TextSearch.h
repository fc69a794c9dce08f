#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace marrowlight {

// Where a match lies in the text searched: bytes [Begin, End).
struct SearchMatch {
    size_t Begin = 0;
    size_t End = 0;
};

enum class FindResult {
    NoMatch,
    Match,
    // The expression took more steps than allowed on this text; nothing can
    // be said of it.
    TooComplex,
};

// What the find bar looks for, compiled once. Text is UTF-8. A plain text is
// searched byte by byte (ASCII letters folded when case does not matter); a
// plain text with other letters whose case does not matter, and every regular
// expression, go through PCRE2 in UTF mode, where bytes that are not UTF-8
// never match.
class SearchPattern {
  public:
    SearchPattern(std::string_view text, bool matchCase, bool regex);
    ~SearchPattern();
    SearchPattern(const SearchPattern&) = delete;
    SearchPattern& operator=(const SearchPattern&) = delete;

    // Why the text is no valid expression; empty when it is one.
    const std::string& Error() const { return error_; }
    // An empty text or an invalid expression searches nothing.
    bool CanSearch() const { return error_.empty() && !text_.empty(); }

    // The first match in text starting at or after from. The whole of text is
    // the subject: an expression sees nothing before or after it, and "^" and
    // "$" also hold at CR and LF inside it. A text cut out of a line says so
    // with lineStart or lineEnd false, and "^" or "$" do not hold there.
    FindResult Find(std::string_view text, size_t from, SearchMatch& match, bool lineStart = true,
                    bool lineEnd = true) const;

    // A match in a line's bytes is a match in its text however the line is
    // decoded: a plain ASCII text, whose bytes stand for themselves in UTF-8,
    // Windows-1252 and malformed UTF-8 alike.
    bool BytesMatchAnyDecoding() const { return rawSafe_; }
    // The expression may look at text before or after its match, or at the
    // ends of its subject (lookaround, \A, \z, \G): whether it matches in a
    // line then depends on what stands around the line in the subject.
    bool LooksAround() const { return looksAround_; }
    // The longest a match can be, when known (plain texts); 0 for expressions.
    size_t MatchBytes() const { return regex_ ? 0 : text_.size(); }

  private:
    struct Compiled;
    std::string text_;
    std::string error_;
    bool fold_ = false; // ASCII letters compared without case
    bool rawSafe_ = false;
    bool looksAround_ = false;
    std::unique_ptr<Compiled> regex_;
};

// First occurrence of needle in hay at or after from, ASCII letters folded
// when fold is set (the needle then given in lower case); npos when none.
size_t FindBytes(std::string_view hay, std::string_view needle, size_t from, bool fold);

} // namespace marrowlight
