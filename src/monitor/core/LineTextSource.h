#pragma once

#include "monitor/core/LineIndex.h"
#include "monitor/core/TerminalEscapes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace marrowlight {

class GroupMatcher;

// Reads a row's bytes back from the file its index describes and decodes
// them to UTF-8, keeping recent rows so repaints and scrolling do not read
// again. Rows are keyed by file and offset, so inserting at the top does not
// invalidate them. The kept text is bounded in bytes, not rows: one log of
// multi-megabyte lines must not hold hundreds of them.
//
// The text is what a terminal would show: escape sequences are removed, and
// the colours they set are kept beside the text for the drawing.
class LineTextSource {
  public:
    static constexpr size_t MaxCachedBytes = size_t{8} << 20;
    // How far before a part of a row its colours are looked for.
    static constexpr uint64_t CarryWindowBytes = uint64_t{32} << 10;

    // Empty text when the row is out of range, the index has no file or the
    // read fails. With `spans`, the terminal colours of the text.
    std::string Text(const LineIndex& lines, size_t row, std::vector<StyledSpan>* spans = nullptr);
    // At most `chars` characters of a row from about character `first` on,
    // reading at most 4 * chars bytes of it, and an 8-bit row with other
    // than ASCII once whole, so every part of it decodes as the whole row
    // does. `first` counts 16-bit units in UTF-16 rows and bytes otherwise
    // (characters in ASCII text). The part starts past a terminal sequence
    // that `first` would cut, in the colours the sequences before it set.
    std::string Part(const LineIndex& lines, size_t row, uint64_t first, uint64_t chars,
                     std::vector<StyledSpan>* spans = nullptr);
    // A bound on a row's characters, known without reading it.
    static uint64_t MaxChars(const LineIndex& lines, size_t row);
    // Works out a row's highest group from its whole text (a long row is
    // read in pieces, never held) and keeps it in the index, so a row is
    // tested at most once. -1 when the row could not be read whole.
    int Classify(LineIndex& lines, size_t row, const GroupMatcher& matcher);

    size_t CachedBytes() const { return cachedBytes_; }
    void Clear();

  private:
    struct Slot {
        uint64_t SourceId = 0;
        uint64_t Offset = 0;
        uint64_t Length = 0;
        bool Part = false;
        bool Used = false;
        std::string Text;
        std::vector<StyledSpan> Spans;
    };
    // [offset, offset + length) of the row; whole, when given, tells whether
    // all of it was read.
    // style: what the sequences before offset left.
    std::string Read(const LineIndex& lines, size_t row, uint64_t offset, uint64_t length,
                     bool cutHead, bool cutTail, bool* whole = nullptr,
                     std::vector<StyledSpan>* spans = nullptr, TerminalStyle style = {});
    // Where a part from byte `start` of a row begins and in which colours.
    EscapeCarry CarryTo(const LineIndex& lines, const LineEntry& line, uint64_t start);
    // Whether an 8-bit row is UTF-8 (else Windows-1252), decided from the
    // whole row the first time a part of it needs it; empty when the row
    // can't be read whole.
    std::optional<bool> RowIsUtf8(const LineIndex& lines, size_t row);
    void KeepDecoding(const LineIndex& lines, uint64_t offset, bool utf8);
    void Store(Slot& slot, std::string text, std::vector<StyledSpan> spans);
    void Drop(Slot& slot);

    static constexpr size_t SlotCount = 512;
    std::array<Slot, SlotCount> slots_;
    size_t cachedBytes_ = 0;
    size_t evictNext_ = 0;
    std::string bytes_;
    // The decodings decided for rows drawn in parts, by offset; a row whose
    // entry is dropped is decided again, the same way.
    static constexpr size_t MaxDecidedRows = 4096;
    std::unordered_map<uint64_t, bool> decided_;
    uint64_t decidedSourceId_ = 0;
    // Where parts of rows begin, by the offset asked for; and the last one
    // found, which the next part of the same row goes on from.
    std::unordered_map<uint64_t, EscapeCarry> carried_;
    uint64_t carriedSourceId_ = 0;
    struct Scan {
        uint64_t RowOffset = UINT64_MAX;
        EscapeCarry Done;
    } scan_;
};

} // namespace marrowlight
