#include "monitor/core/RowSearch.h"

#include "monitor/core/FileSource.h"
#include "monitor/core/RowScan.h"
#include "monitor/core/TerminalEscapes.h"
#include "monitor/core/TextEncoding.h"

#include <algorithm>

namespace marrowlight {

namespace {} // namespace

struct RowSearch::LongRow {
    size_t Age = 0;
    uint64_t Offset = 0, Length = 0;
    LogEncoding Encoding = LogEncoding::EightBit;
    uint64_t Done = 0; // bytes of the row read in this round
    // A text whose bytes need not match the same in every decoding waits for
    // a first round that learns whether the row is UTF-8.
    std::unique_ptr<RowScan> Scan;
    bool Decode = false;
    std::string Text, Carry;
};

RowSearch::RowSearch(std::shared_ptr<const SearchPattern> pattern, SearchDirection direction,
                     bool newestAtTop, const LineIndex& lines, std::optional<size_t> fromRow)
    : pattern_(std::move(pattern)), direction_(direction), newestAtTop_(newestAtTop),
      sourceId_(lines.SourceId()), lastRows_(lines.size()) {
    const auto rows = static_cast<int64_t>(lines.size());
    hasFrom_ = fromRow && *fromRow < lines.size();
    from_ = hasFrom_ ? RowOf(static_cast<int64_t>(*fromRow), lines.size())
                     : (direction == SearchDirection::Newer ? -1 : rows);
    next_ = direction == SearchDirection::Newer ? from_ + 1 : from_ - 1;
    if (!pattern_ || !pattern_->CanSearch())
        state_ = SearchState::NotFound;
}

RowSearch::~RowSearch() = default;

// The same arithmetic maps rows to writing order and back.
int64_t RowSearch::RowOf(int64_t age, size_t rows) const {
    return newestAtTop_ ? static_cast<int64_t>(rows) - 1 - age : age;
}

SearchState RowSearch::Stop(Look why) {
    state_ = SearchState::Stopped;
    longRow_.reset();
    switch (why) {
    case Look::ReadAgain:
        error_ = "The log was read again.";
        break;
    case Look::TooComplex:
        error_ = "The expression takes too long on one of the lines.";
        break;
    default:
        error_ = "The log can't be read.";
        break;
    }
    return state_;
}

size_t RowSearch::ReadLimit(uint64_t left) const {
    const uint64_t least = std::min(MinReadBytes, blockBytes_);
    return static_cast<size_t>(std::clamp<uint64_t>(left, least, blockBytes_));
}

SearchState RowSearch::Step(const LineIndex& lines, uint64_t bytes) {
    if (state_ != SearchState::Running)
        return state_;
    // Lines are only ever added: fewer rows or another file mean the list was
    // read again, and the positions no longer name the same lines.
    if (lines.SourceId() != sourceId_ || lines.size() < lastRows_)
        return Stop(Look::ReadAgain);
    lastRows_ = lines.size();
    const auto rows = static_cast<int64_t>(lines.size());
    const bool newer = direction_ == SearchDirection::Newer;
    uint64_t spent = 0;
    while (spent < bytes) {
        const int64_t bound = newer ? (wrapped_ ? from_ : rows - 1) : (wrapped_ ? from_ : 0);
        if (!longRow_ && (newer ? next_ > bound : next_ < bound)) {
            if (wrapped_ || !hasFrom_) {
                state_ = SearchState::NotFound;
                return state_;
            }
            wrapped_ = true;
            next_ = newer ? 0 : rows - 1;
            continue;
        }
        if (!lines.Source())
            return Stop(Look::Unreadable);
        // A read never takes much more than the step has left, also inside a
        // long row: an expression that is slow on these lines then keeps the
        // window waiting no longer than a fast one.
        const size_t limit = ReadLimit(bytes - spent);
        if (!longRow_) {
            const size_t row = static_cast<size_t>(RowOf(next_, lines.size()));
            if (lines[row].Length() > limit)
                StartLongRow(lines, row);
        }
        Hit hit;
        if (longRow_)
            hit = StepLongRow(*lines.Source(), limit, spent);
        else if (!ReadBlock(lines, bound, limit, spent))
            hit.Result = Look::Unreadable;
        else
            hit = FindInBlock(lines.Encoding());
        if (hit.Result == Look::Match) {
            longRow_.reset();
            foundRow_ = static_cast<size_t>(RowOf(static_cast<int64_t>(hit.Age), lines.size()));
            state_ = SearchState::Found;
            return state_;
        }
        if (hit.Result != Look::NoMatch)
            return Stop(hit.Result);
    }
    return state_;
}

bool RowSearch::ReadBlock(const LineIndex& lines, int64_t bound, size_t limit, uint64_t& spent) {
    const bool newer = direction_ == SearchDirection::Newer;
    spans_.clear();
    // Rows are walked with the index's iterator: a row looked up alone costs
    // a sum over its block.
    const bool rowsAscend = newer != newestAtTop_;
    LineIndex::const_iterator it = lines.At(static_cast<size_t>(RowOf(next_, lines.size())));
    LineEntry line = *it;
    uint64_t low = line.Offset;
    uint64_t high = low + line.Length();
    spans_.push_back({size_t(next_), low, 0, size_t(line.Length())});
    // Rows join the block while their bytes follow one another in the log, in
    // the direction the search goes, close enough and within one read.
    int64_t age = next_ + (newer ? 1 : -1);
    for (; newer ? age <= bound : age >= bound; age += newer ? 1 : -1) {
        rowsAscend ? ++it : --it;
        line = *it;
        const uint64_t offset = line.Offset;
        const uint64_t end = offset + line.Length();
        if (newer) {
            if (offset < high || offset - high > MaxGapBytes || end - low > limit)
                break;
            high = end;
        } else {
            if (end > low || low - end > MaxGapBytes || high - offset > limit)
                break;
            low = offset;
        }
        spans_.push_back({size_t(age), offset, 0, size_t(end - offset)});
    }
    next_ = age;
    if (!newer)
        std::reverse(spans_.begin(), spans_.end());

    buffer_.resize(static_cast<size_t>(high - low));
    const ssize_t got = lines.Source()->ReadAt(low, buffer_.data(), buffer_.size());
    if (got < 0)
        return false;
    // A log cut short since its rows were read shows what is left of them.
    buffer_.resize(static_cast<size_t>(got));
    spent += high - low;
    for (Span& span : spans_) {
        span.Begin = std::min(buffer_.size(), static_cast<size_t>(span.Offset - low));
        span.Length = std::min(span.Length, buffer_.size() - span.Begin);
    }
    return true;
}

std::string_view RowSearch::RowBytes(size_t span) const {
    return std::string_view(buffer_).substr(spans_[span].Begin, spans_[span].Length);
}

RowSearch::Look RowSearch::LookInRow(size_t span, LogEncoding encoding, size_t from) {
    std::string_view text = RowBytes(span);
    if (decodedRow_[span]) {
        decoded_.clear();
        AppendDecodedLine(decoded_, text, encoding);
        if (HasTerminalEscapes(decoded_))
            decoded_ = VisibleText(decoded_);
        text = decoded_;
    }
    SearchMatch match;
    switch (pattern_->Find(text, from, match)) {
    case FindResult::Match:
        return Look::Match;
    case FindResult::TooComplex:
        return Look::TooComplex;
    case FindResult::NoMatch:
        break;
    }
    return Look::NoMatch;
}

RowSearch::Hit RowSearch::FindInBlock(LogEncoding encoding) {
    const size_t count = spans_.size();
    // Rows whose bytes are not their text are searched by their text: all of
    // a UTF-16 log, and lines that are not UTF-8 unless the pattern is plain
    // ASCII, whose bytes match the same in any decoding.
    const bool wide = encoding == LogEncoding::Utf16;
    decodedRow_.assign(count, wide ? 1 : 0);
    bool anyDecoded = wide;
    if (!wide && !pattern_->BytesMatchAnyDecoding() && HasHighByte(buffer_)) {
        for (size_t i = 0; i < count; ++i)
            if (HasHighByte(RowBytes(i)) && !IsValidUtf8(RowBytes(i)))
                decodedRow_[i] = anyDecoded = true;
    }
    // A row with terminal sequences is searched as it is shown, without them.
    if (!wide && HasTerminalEscapes(buffer_)) {
        for (size_t i = 0; i < count; ++i)
            if (HasTerminalEscapes(RowBytes(i)))
                decodedRow_[i] = anyDecoded = true;
    }

    size_t found = count;
    Look look = Look::NoMatch;
    if (pattern_->LooksAround()) {
        // In the block it would see the rows around it.
        look = FindRowByRow(encoding, Rows::All, 0, count, found);
    } else {
        if (!wide)
            look = FindInBytes(encoding, found);
        if (anyDecoded && look != Look::TooComplex)
            look = FindInDecoded(encoding, look, found);
    }
    if (look == Look::Match)
        return {look, spans_[found].Age};
    return {look, 0};
}

RowSearch::Look RowSearch::FindInBytes(LogEncoding encoding, size_t& found) {
    const bool wantLast = direction_ == SearchDirection::Older;
    const std::string_view text(buffer_);
    const size_t count = spans_.size();
    size_t pos = 0;
    size_t i = 0; // the span where pos lies
    for (;;) {
        SearchMatch match;
        const FindResult result = pattern_->Find(text, pos, match);
        if (result == FindResult::NoMatch)
            break;
        if (result == FindResult::TooComplex) {
            // Row by row, each with its own allowance of steps.
            size_t nearer = count;
            const Look look = FindRowByRow(encoding, Rows::Bytes, i, count, nearer);
            if (look == Look::Match)
                found = nearer;
            if (look == Look::TooComplex)
                return look;
            break;
        }
        while (i + 1 < count && spans_[i + 1].Begin <= match.Begin)
            ++i;
        // A match past the row's end starts between rows, in a line end or a
        // line the filter hides. One that runs past its end saw bytes the
        // row does not hold: the row alone is asked again.
        const size_t begin = spans_[i].Begin, end = begin + spans_[i].Length;
        if (match.Begin <= end && !decodedRow_[i]) {
            const Look look =
                match.End <= end ? Look::Match : LookInRow(i, encoding, match.Begin - begin);
            if (look == Look::TooComplex)
                return look;
            if (look == Look::Match) {
                found = i;
                if (!wantLast)
                    break;
            }
        }
        if (i + 1 >= count)
            break;
        pos = spans_[++i].Begin;
    }
    return found < count ? Look::Match : Look::NoMatch;
}

RowSearch::Look RowSearch::FindInDecoded(LogEncoding encoding, Look bytesLook, size_t& found) {
    const size_t count = spans_.size();
    const bool any = bytesLook == Look::Match;
    // Only rows nearer than the bytes pass's answer can change it.
    const size_t first = direction_ == SearchDirection::Older && any ? found + 1 : 0;
    const size_t end = direction_ == SearchDirection::Newer && any ? found : count;
    size_t nearer = count;
    const Look look = FindRowByRow(encoding, Rows::Decoded, first, end, nearer);
    if (look == Look::NoMatch)
        return bytesLook;
    found = nearer;
    return look;
}

RowSearch::Look RowSearch::FindRowByRow(LogEncoding encoding, Rows which, size_t first, size_t end,
                                        size_t& found) {
    const bool older = direction_ == SearchDirection::Older;
    for (size_t k = first; k < end; ++k) {
        const size_t i = older ? end - 1 - (k - first) : k;
        if ((which == Rows::Bytes && decodedRow_[i]) || (which == Rows::Decoded && !decodedRow_[i]))
            continue;
        const Look look = LookInRow(i, encoding);
        if (look != Look::NoMatch) {
            found = i;
            return look;
        }
    }
    return Look::NoMatch;
}

void RowSearch::StartLongRow(const LineIndex& lines, size_t row) {
    const LineEntry line = lines[row];
    longRow_ = std::make_unique<LongRow>();
    longRow_->Age = static_cast<size_t>(next_);
    longRow_->Offset = line.Offset;
    longRow_->Length = line.Length();
    longRow_->Encoding = lines.Encoding();
    longRow_->Decode = lines.Encoding() == LogEncoding::Utf16;
    if (!longRow_->Decode && !pattern_->BytesMatchAnyDecoding())
        longRow_->Scan = std::make_unique<RowScan>(lines.Encoding(), nullptr);
}

RowSearch::Hit RowSearch::StepLongRow(const OpenFile& file, size_t limit, uint64_t& spent) {
    LongRow& row = *longRow_;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(row.Length - row.Done, limit));
    buffer_.resize(want);
    const ssize_t got = file.ReadAt(row.Offset + row.Done, buffer_.data(), want);
    if (got < 0)
        return {Look::Unreadable, 0};
    buffer_.resize(static_cast<size_t>(got));
    spent += want;
    const bool first = row.Done == 0;
    row.Done += static_cast<uint64_t>(got);
    const bool last = got == 0 || row.Done >= row.Length;
    if (row.Scan) {
        row.Scan->Feed(buffer_);
        if (last) {
            row.Scan->Finish();
            row.Decode = !row.Scan->Utf8();
            row.Scan.reset();
            row.Done = 0;
        }
        return {};
    }
    // Pieces overlap so that a match cut by a border lies whole in the next
    // text searched; an expression's match longer than the overlap may not.
    const size_t overlap = pattern_->MatchBytes() > 0 ? pattern_->MatchBytes() - 1 : LongRowOverlap;
    row.Text.erase(0, row.Text.size() - std::min(row.Text.size(), overlap));
    if (row.Decode) {
        row.Carry += buffer_;
        const size_t hold = last ? 0 : UnfinishedCharBytes(row.Carry, row.Encoding);
        AppendDecodedAs(row.Text, std::string_view(row.Carry).substr(0, row.Carry.size() - hold),
                        row.Encoding, false);
        row.Carry.erase(0, row.Carry.size() - hold);
    } else {
        row.Text += buffer_;
    }
    SearchMatch match;
    switch (pattern_->Find(row.Text, 0, match, first, last)) {
    case FindResult::Match:
        return {Look::Match, row.Age};
    case FindResult::TooComplex:
        return {Look::TooComplex, 0};
    case FindResult::NoMatch:
        break;
    }
    if (last) {
        longRow_.reset();
        next_ += direction_ == SearchDirection::Newer ? 1 : -1;
    }
    return {};
}

} // namespace marrowlight
