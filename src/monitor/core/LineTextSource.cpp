#include "monitor/core/LineTextSource.h"

#include "monitor/core/FileSource.h"
#include "monitor/core/LineClassifier.h"
#include "monitor/core/RowScan.h"
#include "monitor/core/TextEncoding.h"

#include <algorithm>

namespace marrowlight {

namespace {

// A row up to this long is classified from its text, read whole as the
// drawing reads it; a longer one in pieces of this size.
constexpr uint64_t WholeRowBytes = uint64_t{64} << 10;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// A part cut out of a line must not start or end inside a UTF-8 sequence:
// the broken sequence would turn an 8-bit line's part into Windows-1252.
void TrimSplitSequences(std::string& bytes, bool cutHead, bool cutTail) {
    if (cutTail) {
        const size_t n = bytes.size();
        for (size_t back = 1; back <= std::min<size_t>(4, n); ++back) {
            const auto byte = static_cast<unsigned char>(bytes[n - back]);
            if (IsContinuation(byte))
                continue;
            const size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            if (needed > back)
                bytes.resize(n - back);
            break;
        }
    }
    if (cutHead) {
        size_t skip = 0;
        while (skip < 3 && skip < bytes.size() && IsContinuation(bytes[skip]))
            ++skip;
        bytes.erase(0, skip);
    }
}

// The first `chars` code points of UTF-8 text.
void KeepCodePoints(std::string& text, uint64_t chars) {
    uint64_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuation(text[i]) && seen++ == chars) {
            text.resize(i);
            return;
        }
    }
}

} // namespace

std::string LineTextSource::Text(const LineIndex& lines, size_t row,
                                 std::vector<StyledSpan>* spans) {
    if (spans)
        spans->clear();
    if (row >= lines.size() || !lines.Source())
        return {};
    const LineEntry line = lines[row];
    return Read(lines, row, line.Offset, line.Length(), false, false, nullptr, spans);
}

std::string LineTextSource::Part(const LineIndex& lines, size_t row, uint64_t first, uint64_t chars,
                                 std::vector<StyledSpan>* spans) {
    if (spans)
        spans->clear();
    if (row >= lines.size() || !lines.Source())
        return {};
    const LineEntry line = lines[row];
    const uint64_t unit = lines.Encoding() == LogEncoding::Utf16 ? 2 : 1;
    uint64_t start = std::min(line.Length(), std::min(first, line.Length()) * unit);
    // A part starts past any sequence it would cut, in the colours the
    // sequences before it left.
    TerminalStyle style;
    if (start > 0 && unit == 1) {
        const EscapeCarry carry = CarryTo(lines, line, start);
        start = carry.Start;
        style = carry.Style;
    }
    const uint64_t length = std::min(line.Length() - start, std::min(chars, line.Length()) * 4);
    std::string text = Read(lines, row, line.Offset + start, length, start > 0 && unit == 1,
                            start + length < line.Length() && unit == 1, nullptr, spans, style);
    KeepCodePoints(text, chars);
    if (spans) {
        while (!spans->empty() && spans->back().Start >= text.size())
            spans->pop_back();
        if (!spans->empty())
            spans->back().Length = std::min<uint32_t>(
                spans->back().Length, static_cast<uint32_t>(text.size()) - spans->back().Start);
    }
    return text;
}

uint64_t LineTextSource::MaxChars(const LineIndex& lines, size_t row) {
    if (row >= lines.size())
        return 0;
    const uint64_t bytes = lines[row].Length();
    return lines.Encoding() == LogEncoding::Utf16 ? (bytes + 1) / 2 : bytes;
}

int LineTextSource::Classify(LineIndex& lines, size_t row, const GroupMatcher& matcher) {
    if (row >= lines.size() || !lines.Source())
        return -1;
    const LineEntry line = lines[row];
    int group = -1;
    if (line.Length() <= WholeRowBytes) {
        // Read as the drawing will read it, so the text is then at hand.
        bool whole = false;
        const std::string text = Read(lines, row, line.Offset, line.Length(), false, false, &whole);
        if (whole)
            group = matcher.Highest(text);
    } else {
        RowScan scan(lines.Encoding(), &matcher);
        if (RowScan::ScanFile(*lines.Source(), line.Offset, line.Length(), WholeRowBytes, scan)) {
            group = HighestOf(scan.Membership());
            KeepDecoding(lines, line.Offset, scan.Utf8());
        }
    }
    if (group >= 0)
        lines.SetGroup(row, group);
    return group;
}

std::optional<bool> LineTextSource::RowIsUtf8(const LineIndex& lines, size_t row) {
    const LineEntry line = lines[row];
    if (decidedSourceId_ == lines.SourceId())
        if (auto it = decided_.find(line.Offset); it != decided_.end())
            return it->second;
    RowScan scan(lines.Encoding(), nullptr);
    if (!RowScan::ScanFile(*lines.Source(), line.Offset, line.Length(), WholeRowBytes, scan))
        return std::nullopt;
    KeepDecoding(lines, line.Offset, scan.Utf8());
    return scan.Utf8();
}

void LineTextSource::KeepDecoding(const LineIndex& lines, uint64_t offset, bool utf8) {
    if (lines.Encoding() != LogEncoding::EightBit)
        return;
    if (decidedSourceId_ != lines.SourceId() || decided_.size() >= MaxDecidedRows) {
        decided_.clear();
        decidedSourceId_ = lines.SourceId();
    }
    decided_[offset] = utf8;
}

EscapeCarry LineTextSource::CarryTo(const LineIndex& lines, const LineEntry& line, uint64_t start) {
    if (carriedSourceId_ != lines.SourceId() || carried_.size() >= MaxDecidedRows) {
        carried_.clear();
        carriedSourceId_ = lines.SourceId();
        scan_ = {};
    }
    const uint64_t key = line.Offset + start;
    if (auto it = carried_.find(key); it != carried_.end())
        return it->second;
    // On from where the last part of the same row was found when that is
    // near, else from the row's start or CarryWindowBytes before the part:
    // a part of a long row reads little more than itself, and colours set
    // further back than that are not looked for.
    EscapeCarry from;
    if (scan_.RowOffset == line.Offset && scan_.Done.Start <= start &&
        start - scan_.Done.Start <= CarryWindowBytes)
        from = scan_.Done;
    else if (start > CarryWindowBytes)
        from.Start = start - CarryWindowBytes;
    auto read = [&](uint64_t at, size_t n) {
        bytes_.resize(n);
        const ssize_t got = lines.Source()->ReadAt(line.Offset + at, bytes_.data(), n);
        return std::string_view(bytes_.data(), got > 0 ? static_cast<size_t>(got) : 0);
    };
    const EscapeCarry carry = CarryEscapes(read, from.Start, from.Style, start, line.Length());
    scan_ = {line.Offset, carry};
    carried_[key] = carry;
    return carry;
}

std::string LineTextSource::Read(const LineIndex& lines, size_t row, uint64_t offset,
                                 uint64_t length, bool cutHead, bool cutTail, bool* whole,
                                 std::vector<StyledSpan>* spans, TerminalStyle style) {
    const bool part = cutHead || cutTail;
    Slot& slot = slots_[(offset * 0x9E3779B97F4A7C15ull >> 40) % SlotCount];
    if (whole)
        *whole = false;
    if (slot.Used && slot.SourceId == lines.SourceId() && slot.Offset == offset &&
        slot.Length == length && slot.Part == part) {
        if (whole)
            *whole = true;
        if (spans)
            *spans = slot.Spans;
        return slot.Text;
    }

    bytes_.resize(static_cast<size_t>(length));
    ssize_t got = lines.Source()->ReadAt(offset, bytes_.data(), bytes_.size());
    if (got < 0)
        return {};
    // A file cut short since the row was read shows what is left of the row.
    bytes_.resize(static_cast<size_t>(got));
    const bool complete = static_cast<uint64_t>(got) == length;
    if (whole)
        *whole = complete;
    std::string text;
    if (part && lines.Encoding() == LogEncoding::EightBit && HasHighByte(bytes_)) {
        // A part of an 8-bit row decodes as the whole row does; only the
        // part itself is left to decide when the row can't be read whole.
        const std::optional<bool> decided = RowIsUtf8(lines, row);
        const bool utf8 = decided ? *decided : IsValidUtf8(bytes_);
        if (utf8)
            TrimSplitSequences(bytes_, cutHead, cutTail && complete);
        AppendDecodedAs(text, bytes_, lines.Encoding(), utf8);
    } else {
        TrimSplitSequences(bytes_, cutHead, cutTail && complete);
        AppendDecodedLine(text, bytes_, lines.Encoding());
    }
    if (bytes_.capacity() > (size_t{1} << 20))
        std::string().swap(bytes_);
    std::vector<StyledSpan> styled;
    if (HasTerminalEscapes(text) || !style.Plain())
        text = VisibleText(text, &styled, style);
    if (spans)
        *spans = styled;

    Drop(slot);
    if (!complete)
        return text;
    slot.SourceId = lines.SourceId();
    slot.Offset = offset;
    slot.Length = length;
    slot.Part = part;
    Store(slot, text, std::move(styled));
    return text;
}

void LineTextSource::Store(Slot& slot, std::string text, std::vector<StyledSpan> spans) {
    text.shrink_to_fit();
    // A line larger than the whole cache is read again when asked again.
    if (text.capacity() > MaxCachedBytes)
        return;
    while (cachedBytes_ + text.capacity() > MaxCachedBytes)
        Drop(slots_[evictNext_++ % SlotCount]);
    cachedBytes_ += text.capacity();
    slot.Text = std::move(text);
    slot.Spans = std::move(spans);
    slot.Used = true;
}

void LineTextSource::Drop(Slot& slot) {
    if (slot.Used)
        cachedBytes_ -= slot.Text.capacity();
    slot.Used = false;
    std::string().swap(slot.Text);
    std::vector<StyledSpan>().swap(slot.Spans);
}

void LineTextSource::Clear() {
    for (Slot& slot : slots_)
        Drop(slot);
    cachedBytes_ = 0;
    decided_.clear();
    carried_.clear();
    scan_ = {};
}

} // namespace marrowlight
