#include "monitor/core/RowSearch.h"

#include "monitor/core/FileSource.h"
#include "monitor/core/RowScan.h"
#include "monitor/core/TextEncoding.h"

#include <algorithm>

namespace marrowlight {

namespace {

bool HasHighByte(std::string_view bytes) {
    unsigned char any = 0;
    for (unsigned char c : bytes)
        any |= c;
    return (any & 0x80) != 0;
}

uint64_t RowOffset(const LineIndex& lines, size_t row) {
    return lines[row].Offset;
}

uint64_t RowLength(const LineIndex& lines, size_t row) {
    return lines[row].Length();
}

} // namespace

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

// The same arithmetic maps rows to writing order and back.
int64_t RowSearch::RowOf(int64_t age, size_t rows) const {
    return newestAtTop_ ? static_cast<int64_t>(rows) - 1 - age : age;
}

void RowSearch::Stop(const char* why) {
    state_ = SearchState::Stopped;
    error_ = why;
}

SearchState RowSearch::Step(const LineIndex& lines, uint64_t bytes) {
    if (state_ != SearchState::Running)
        return state_;
    // Lines are only ever added: fewer rows or another file mean the list was
    // read again, and the positions no longer name the same lines.
    if (lines.SourceId() != sourceId_ || lines.size() < lastRows_) {
        Stop("The log was read again.");
        return state_;
    }
    lastRows_ = lines.size();
    const auto rows = static_cast<int64_t>(lines.size());
    const bool newer = direction_ == SearchDirection::Newer;
    uint64_t spent = 0;
    while (spent < bytes) {
        const int64_t bound = newer ? (wrapped_ ? from_ : rows - 1) : (wrapped_ ? from_ : 0);
        if (newer ? next_ > bound : next_ < bound) {
            if (wrapped_ || !hasFrom_) {
                state_ = SearchState::NotFound;
                return state_;
            }
            wrapped_ = true;
            next_ = newer ? 0 : rows - 1;
            continue;
        }
        const size_t firstRow = static_cast<size_t>(RowOf(next_, lines.size()));
        if (!lines.Source()) {
            Stop("The log can't be read.");
            return state_;
        }
        if (RowLength(lines, firstRow) > blockBytes_) {
            const int found = LongRowMatches(lines, firstRow);
            if (found < 0)
                return state_;
            spent += RowLength(lines, firstRow);
            if (found) {
                foundRow_ = firstRow;
                state_ = SearchState::Found;
                return state_;
            }
            next_ += newer ? 1 : -1;
            continue;
        }
        if (!ReadBlock(lines, bound, spent)) {
            Stop("The log can't be read.");
            return state_;
        }
        const int span = FindInBlock(lines.Encoding());
        if (span == -2)
            return state_;
        if (span >= 0) {
            foundRow_ = static_cast<size_t>(RowOf(int64_t(spans_[size_t(span)].Age), lines.size()));
            state_ = SearchState::Found;
            return state_;
        }
    }
    return state_;
}

bool RowSearch::ReadBlock(const LineIndex& lines, int64_t bound, uint64_t& spent) {
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
    // the direction the search goes, close enough and within one block.
    int64_t age = next_ + (newer ? 1 : -1);
    for (; newer ? age <= bound : age >= bound; age += newer ? 1 : -1) {
        rowsAscend ? ++it : --it;
        line = *it;
        const uint64_t offset = line.Offset;
        const uint64_t end = offset + line.Length();
        if (newer) {
            if (offset < high || offset - high > MaxGapBytes || end - low > blockBytes_)
                break;
            high = end;
        } else {
            if (end > low || low - end > MaxGapBytes || high - offset > blockBytes_)
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

bool RowSearch::RowMatches(std::string_view row, size_t from, bool& failed) const {
    SearchMatch match;
    const FindResult result = pattern_->Find(row, from, match);
    failed = result == FindResult::TooComplex;
    return result == FindResult::Match;
}

int RowSearch::FindInBlock(LogEncoding encoding) {
    const bool wantLast = direction_ == SearchDirection::Older;
    const std::string_view text(buffer_);
    const size_t count = spans_.size();
    auto row = [&](size_t i) { return text.substr(spans_[i].Begin, spans_[i].Length); };
    auto nextStart = [&](size_t i) { return i + 1 < count ? spans_[i + 1].Begin : text.size(); };

    // Rows whose bytes are not their text are searched by their text: all of
    // a UTF-16 log, and lines that are not UTF-8 unless the pattern is plain
    // ASCII, whose bytes match the same in any decoding.
    decodedRow_.assign(count, 0);
    bool anyDecoded = false;
    if (encoding == LogEncoding::Utf16) {
        decodedRow_.assign(count, 1);
        anyDecoded = true;
    } else if (!pattern_->BytesMatchAnyDecoding() && HasHighByte(text)) {
        for (size_t i = 0; i < count; ++i)
            if (HasHighByte(row(i)) && !IsValidUtf8(row(i)))
                decodedRow_[i] = anyDecoded = 1;
    }

    int best = -1;
    bool failed = false;
    if (encoding != LogEncoding::Utf16) {
        size_t pos = 0;
        size_t i = 0; // the span where pos lies or the one after it
        while (pos <= text.size()) {
            SearchMatch match;
            const FindResult result = pattern_->Find(text, pos, match);
            if (result == FindResult::NoMatch)
                break;
            if (result == FindResult::TooComplex) {
                // Row by row, each with its own allowance of steps.
                for (; i < count; ++i) {
                    if (decodedRow_[i] || spans_[i].Begin + spans_[i].Length < pos)
                        continue;
                    const size_t from = pos > spans_[i].Begin ? pos - spans_[i].Begin : 0;
                    if (RowMatches(row(i), from, failed)) {
                        best = int(i);
                        if (!wantLast)
                            break;
                    } else if (failed) {
                        Stop("The expression takes too long on one of the lines.");
                        return -2;
                    }
                }
                break;
            }
            while (i + 1 < count && spans_[i + 1].Begin <= match.Begin)
                ++i;
            // A match past the row's end starts between rows, in a line end or
            // a line the filter hides.
            const size_t begin = spans_[i].Begin, end = begin + spans_[i].Length;
            bool accepted = match.Begin <= end;
            if (accepted && match.End > end) {
                // Across the end of the row: is there a match within it?
                accepted = RowMatches(row(i), match.Begin - begin, failed);
                if (failed) {
                    Stop("The expression takes too long on one of the lines.");
                    return -2;
                }
            }
            if (accepted && !decodedRow_[i]) {
                best = int(i);
                if (!wantLast)
                    break;
            }
            if (i + 1 >= count)
                break;
            pos = nextStart(i);
            ++i;
        }
    }

    if (anyDecoded) {
        // Only rows nearer than the raw search's answer can change it.
        const size_t first = wantLast ? size_t(best + 1) : 0;
        const size_t stop = wantLast || best < 0 ? count : size_t(best);
        for (size_t k = 0; k < stop - first; ++k) {
            const size_t j = wantLast ? stop - 1 - k : first + k;
            if (!decodedRow_[j])
                continue;
            decoded_.clear();
            AppendDecodedLine(decoded_, row(j), encoding);
            if (RowMatches(decoded_, 0, failed))
                return int(j);
            if (failed) {
                Stop("The expression takes too long on one of the lines.");
                return -2;
            }
        }
    }
    return best;
}

int RowSearch::LongRowMatches(const LineIndex& lines, size_t row) {
    const OpenFile& file = *lines.Source();
    const LogEncoding encoding = lines.Encoding();
    const uint64_t offset = RowOffset(lines, row);
    const uint64_t length = RowLength(lines, row);
    bool decode = encoding == LogEncoding::Utf16;
    if (!decode && !pattern_->BytesMatchAnyDecoding()) {
        RowScan scan(encoding, nullptr);
        if (!RowScan::ScanFile(file, offset, length, blockBytes_, scan)) {
            Stop("The log can't be read.");
            return -1;
        }
        decode = !scan.Utf8();
    }
    // Pieces overlap so that a match cut by a border lies whole in the next
    // text searched; an expression's match longer than the overlap may not.
    const size_t overlap = pattern_->MatchBytes() > 0 ? pattern_->MatchBytes() - 1 : LongRowOverlap;
    std::string piece, carry, text;
    uint64_t done = 0;
    while (done < length) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(length - done, blockBytes_));
        piece.resize(want);
        const ssize_t got = file.ReadAt(offset + done, piece.data(), want);
        if (got < 0) {
            Stop("The log can't be read.");
            return -1;
        }
        piece.resize(static_cast<size_t>(got));
        const bool first = done == 0;
        done += static_cast<uint64_t>(got);
        const bool last = got == 0 || done >= length;
        const size_t kept = text.size() > overlap ? overlap : text.size();
        text.erase(0, text.size() - kept);
        if (decode) {
            carry += piece;
            const size_t hold = last ? 0 : UnfinishedCharBytes(carry, encoding);
            AppendDecodedAs(text, std::string_view(carry).substr(0, carry.size() - hold), encoding,
                            false);
            carry.erase(0, carry.size() - hold);
        } else {
            text += piece;
        }
        SearchMatch match;
        const FindResult result = pattern_->Find(text, 0, match, first && kept == 0, last);
        if (result == FindResult::Match)
            return 1;
        if (result == FindResult::TooComplex) {
            Stop("The expression takes too long on one of the lines.");
            return -1;
        }
        if (got == 0)
            break;
    }
    return 0;
}

} // namespace marrowlight
