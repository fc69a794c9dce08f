#include "monitor/core/FilterScan.h"

#include "monitor/core/FileSource.h"
#include "monitor/core/LineSplitter.h"
#include "monitor/core/RowScan.h"
#include "monitor/core/TerminalEscapes.h"
#include "monitor/core/TextEncoding.h"

#include <algorithm>
#include <limits>

namespace marrowlight {

namespace {

constexpr uint64_t StepLimit = (uint64_t{1} << FilterResults::StepBits) - 1;

} // namespace

void FilterResults::push_back(uint64_t age, uint64_t lineNo) {
    if (bases_.empty() || age - bases_.back().Age > StepLimit ||
        lineNo - bases_.back().LineNo > StepLimit)
        bases_.push_back({size_, age, lineNo});
    const Base& base = bases_.back();
    if (chunks_.empty() || chunks_.back().size() == ChunkRows * RowBytes)
        chunks_.emplace_back();
    // A chunk grows up to its full size and no further, so a few results
    // cost little and a full chunk is never copied again.
    std::vector<unsigned char>& chunk = chunks_.back();
    if (chunk.size() == chunk.capacity())
        chunk.reserve(
            std::min(ChunkRows * RowBytes, std::max<size_t>(64 * RowBytes, chunk.size() * 2)));
    const uint64_t packed = (age - base.Age) | (lineNo - base.LineNo) << StepBits;
    for (size_t k = 0; k < RowBytes; ++k)
        chunk.push_back(static_cast<unsigned char>(packed >> (8 * k)));
    ++size_;
}

uint64_t FilterResults::Packed(size_t i) const {
    const unsigned char* at = chunks_[i / ChunkRows].data() + i % ChunkRows * RowBytes;
    uint64_t packed = 0;
    for (size_t k = 0; k < RowBytes; ++k)
        packed |= uint64_t{at[k]} << (8 * k);
    return packed;
}

const FilterResults::Base& FilterResults::BaseOf(size_t i) const {
    auto it = std::upper_bound(bases_.begin(), bases_.end(), i,
                               [](size_t row, const Base& base) { return row < base.First; });
    return *(it - 1);
}

uint64_t FilterResults::Age(size_t i) const {
    return BaseOf(i).Age + (Packed(i) & StepLimit);
}

uint64_t FilterResults::LineNo(size_t i) const {
    return BaseOf(i).LineNo + (Packed(i) >> StepBits);
}

void FilterResults::Trim() {
    if (!chunks_.empty())
        chunks_.back().shrink_to_fit();
}

void FilterResults::clear() {
    bases_.clear();
    chunks_.clear();
    size_ = 0;
}

size_t FilterResults::MemoryBytes() const {
    size_t bytes = bases_.capacity() * sizeof(Base) + chunks_.capacity() * sizeof(chunks_[0]);
    for (const auto& chunk : chunks_)
        bytes += chunk.capacity();
    return bytes;
}

uint64_t CountLineEnds(std::string_view bytes, LogEncoding encoding, bool& afterCr) {
    uint64_t count = 0;
    if (encoding == LogEncoding::Utf16) {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const unsigned unit = static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1]))
                                      << 8;
            if (unit == '\r' || (unit == '\n' && !afterCr))
                ++count;
            afterCr = unit == '\r';
        }
        return count;
    }
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* e = FindLineEnd(p, end);
        if (e == end) {
            afterCr = false;
            break;
        }
        if (*e == '\r' || (e == p ? !afterCr : e[-1] != '\r'))
            ++count;
        afterCr = *e == '\r';
        p = e + 1;
    }
    return count;
}

FilterScan::FilterScan(std::shared_ptr<const SearchPattern> pattern, bool hideMatching,
                       bool newestAtTop, const LineIndex& lines)
    : pattern_(std::move(pattern)), hideMatching_(hideMatching), newestAtTop_(newestAtTop),
      sourceId_(lines.SourceId()), lastRows_(lines.size()) {}

void FilterScan::Stop(const char* why) {
    state_ = FilterState::Stopped;
    error_ = why;
}

bool FilterScan::Outdated(const LineIndex& lines) const {
    return lines.SourceId() != sourceId_ || lines.size() < lastRows_;
}

double FilterScan::Progress(const LineIndex& lines) const {
    if (lines.empty() || next_ >= lines.size())
        return 1;
    const LineEntry last = lines[RowOf(lines.size() - 1, lines.size())];
    const uint64_t end = last.Offset + last.Length();
    return end == 0 ? 1 : std::min(1.0, double(pos_) / double(end));
}

FilterState FilterScan::Step(const LineIndex& lines, uint64_t bytes) {
    if (state_ == FilterState::Stopped || stopRow_)
        return state_;
    if (Outdated(lines)) {
        Stop("The log was read again.");
        return state_;
    }
    lastRows_ = lines.size();
    uint64_t spent = 0;
    while (spent < bytes) {
        if (next_ >= lines.size())
            return CaughtUp();
        if (!lines.Source()) {
            Stop("The log can't be read.");
            return state_;
        }
        const LineEntry first = lines[RowOf(next_, lines.size())];
        if (first.Offset < pos_) {
            // Rows out of file order: nothing between them to count.
            pos_ = first.Offset;
            afterCr_ = false;
        }
        // The lines before the first row, or many that the list does not
        // show, are only counted, a block at a time.
        if (first.Offset - pos_ > MaxGapBytes) {
            if (!CountGap(lines, std::min(first.Offset, pos_ + blockBytes_), spent))
                return state_;
            continue;
        }
        if (first.Offset + first.Length() - pos_ > blockBytes_) {
            while (pos_ < first.Offset)
                if (!CountGap(lines, first.Offset, spent))
                    return state_;
            int matched = 0;
            if (pattern_) {
                matched = LongRowMatches(lines, first.Offset, first.Length());
                if (matched < 0)
                    return state_;
            }
            spent += first.Length();
            const uint64_t lineNo = lineEnds_ + 1;
            pos_ = first.Offset + first.Length();
            afterCr_ = false;
            ++next_;
            if (!Take(next_ - 1, lineNo, matched == 1))
                return state_;
            continue;
        }
        if (!ReadBlock(lines, spent) || spans_.empty()) {
            Stop("The log can't be read.");
            return state_;
        }
        if (pattern_ && !MatchBlock(lines.Encoding()))
            return state_;
        for (size_t i = 0; i < spans_.size(); ++i)
            if (!Take(spans_[i].Age, spans_[i].LineNo, pattern_ && matched_[i]))
                return state_;
    }
    if (next_ >= lines.size())
        return CaughtUp();
    state_ = FilterState::Running;
    return state_;
}

FilterState FilterScan::CaughtUp() {
    // Once, when the first pass ends: rows that follow the log come one by
    // one, and the chunk they fill grows in doublings.
    if (!trimmed_)
        results_.Trim();
    trimmed_ = true;
    state_ = FilterState::UpToDate;
    return state_;
}

bool FilterScan::Take(uint64_t age, uint64_t lineNo, bool matched) {
    if (stopLine_ > 0 && lineNo >= stopLine_) {
        stopRow_ = {age, lineNo};
        state_ = FilterState::UpToDate;
        return false;
    }
    lastRow_ = {age, lineNo};
    if (pattern_ && pattern_->CanSearch() && matched != hideMatching_)
        results_.push_back(age, lineNo);
    return true;
}

bool FilterScan::CountGap(const LineIndex& lines, uint64_t to, uint64_t& spent) {
    if (to <= pos_)
        return true;
    buffer_.resize(static_cast<size_t>(to - pos_));
    const ssize_t got = lines.Source()->ReadAt(pos_, buffer_.data(), buffer_.size());
    if (got <= 0) {
        // A log cut short since its rows were read: the next pass resets it.
        Stop("The log can't be read.");
        return false;
    }
    buffer_.resize(static_cast<size_t>(got));
    lineEnds_ += CountLineEnds(buffer_, lines.Encoding(), afterCr_);
    pos_ += static_cast<uint64_t>(got);
    spent += static_cast<uint64_t>(got);
    return true;
}

bool FilterScan::ReadBlock(const LineIndex& lines, uint64_t& spent) {
    spans_.clear();
    const size_t rows = lines.size();
    // Rows are walked with the index's iterator: a row looked up alone costs
    // a sum over its block.
    LineIndex::const_iterator it = lines.At(RowOf(next_, rows));
    const uint64_t low = pos_;
    uint64_t high = pos_;
    uint64_t age = next_;
    while (age < rows) {
        const LineEntry line = *it;
        const uint64_t end = line.Offset + line.Length();
        if (line.Offset < high || line.Offset - high > MaxGapBytes || end - low > blockBytes_)
            break;
        spans_.push_back({age, size_t(line.Offset - low), size_t(line.Length()), 0});
        high = end;
        if (++age < rows)
            newestAtTop_ ? --it : ++it;
    }
    next_ = age;

    buffer_.resize(static_cast<size_t>(high - low));
    const ssize_t got = lines.Source()->ReadAt(low, buffer_.data(), buffer_.size());
    if (got < 0)
        return false;
    // A log cut short since its rows were read shows what is left of them.
    buffer_.resize(static_cast<size_t>(got));
    spent += high - low;
    const std::string_view text(buffer_);
    const LogEncoding encoding = lines.Encoding();
    size_t counted = 0;
    for (Span& span : spans_) {
        span.Begin = std::min(text.size(), span.Begin);
        span.Length = std::min(span.Length, text.size() - span.Begin);
        lineEnds_ += CountLineEnds(text.substr(counted, span.Begin - counted), encoding, afterCr_);
        span.LineNo = lineEnds_ + 1;
        afterCr_ = false;
        counted = span.Begin + span.Length;
    }
    pos_ = high;
    return true;
}

bool FilterScan::RowMatches(std::string_view row, size_t from, bool& failed) const {
    SearchMatch match;
    const FindResult result = pattern_->Find(row, from, match);
    failed = result == FindResult::TooComplex;
    return result == FindResult::Match;
}

bool FilterScan::MatchBlock(LogEncoding encoding) {
    const std::string_view text(buffer_);
    const size_t count = spans_.size();
    auto row = [&](size_t i) { return text.substr(spans_[i].Begin, spans_[i].Length); };
    matched_.assign(count, 0);
    if (!pattern_->CanSearch())
        return true;

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
    // A row with terminal sequences is matched on the text it shows.
    if (encoding != LogEncoding::Utf16 && HasTerminalEscapes(text)) {
        for (size_t i = 0; i < count; ++i)
            if (HasTerminalEscapes(row(i)))
                decodedRow_[i] = anyDecoded = 1;
    }

    bool failed = false;
    auto tooLong = [&] {
        Stop("The expression takes too long on one of the lines.");
        return false;
    };
    if (encoding != LogEncoding::Utf16 && count > 0) {
        // The block holds the hidden lines between rows too; a match counts
        // only where it starts inside a row and, when it runs past the row's
        // end, where the row alone matches from there.
        size_t pos = spans_[0].Begin;
        size_t i = 0;
        while (i < count && pos <= text.size()) {
            SearchMatch match;
            const FindResult result = pattern_->Find(text, pos, match);
            if (result == FindResult::NoMatch)
                break;
            if (result == FindResult::TooComplex) {
                // Row by row, each with its own allowance of steps.
                for (; i < count; ++i) {
                    if (decodedRow_[i])
                        continue;
                    const size_t from = pos > spans_[i].Begin
                                            ? std::min(pos - spans_[i].Begin, spans_[i].Length)
                                            : 0;
                    if (RowMatches(row(i), from, failed))
                        matched_[i] = 1;
                    else if (failed)
                        return tooLong();
                }
                break;
            }
            while (i < count && spans_[i].Begin + spans_[i].Length < match.Begin)
                ++i;
            if (i == count)
                break;
            const size_t begin = spans_[i].Begin, end = begin + spans_[i].Length;
            if (match.Begin < begin) {
                // In a hidden line before the row: look again from the row's start.
                pos = begin;
                continue;
            }
            bool accepted = true;
            if (match.End > end) {
                accepted = RowMatches(row(i), match.Begin - begin, failed);
                if (failed)
                    return tooLong();
            }
            if (accepted && !decodedRow_[i])
                matched_[i] = 1;
            if (++i < count)
                pos = spans_[i].Begin;
        }
    }

    if (anyDecoded) {
        for (size_t j = 0; j < count; ++j) {
            if (!decodedRow_[j])
                continue;
            decoded_.clear();
            AppendDecodedLine(decoded_, row(j), encoding);
            if (HasTerminalEscapes(decoded_))
                decoded_ = VisibleText(decoded_);
            if (RowMatches(decoded_, 0, failed))
                matched_[j] = 1;
            else if (failed)
                return tooLong();
        }
    }
    return true;
}

int FilterScan::LongRowMatches(const LineIndex& lines, uint64_t offset, uint64_t length) {
    if (!pattern_->CanSearch())
        return 0;
    const OpenFile& file = *lines.Source();
    const LogEncoding encoding = lines.Encoding();
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

LineSeek::LineSeek(uint64_t lineNo, bool newestAtTop, const LineIndex& lines)
    : lineNo_(lineNo), walk_(nullptr, false, newestAtTop, lines) {
    walk_.SetStopLine(std::max<uint64_t>(lineNo, 1));
}

std::optional<std::pair<uint64_t, uint64_t>> LineSeek::Chosen() const {
    const auto stop = walk_.StopRow();
    const auto last = walk_.LastRow();
    if (stop && (stop->second == lineNo_ || !last))
        return stop;
    if (stop)
        return lineNo_ - last->second <= stop->second - lineNo_ ? last : stop;
    return last;
}

std::optional<size_t> LineSeek::Row(const LineIndex& lines) const {
    const auto chosen = Chosen();
    if (!chosen || chosen->first >= lines.size())
        return std::nullopt;
    return walk_.RowOf(chosen->first, lines.size());
}

std::optional<uint64_t> LineSeek::RowLine() const {
    const auto chosen = Chosen();
    return chosen ? std::optional<uint64_t>(chosen->second) : std::nullopt;
}

} // namespace marrowlight
