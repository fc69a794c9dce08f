#pragma once

#include "monitor/core/LineIndex.h"
#include "monitor/core/TextEncoding.h"
#include "monitor/core/TextSearch.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

// The rows a filter kept, in the order their lines were written: each row's
// position in writing order (its age: 0 for the oldest row of the list) and
// its line number in the file. Both only grow, so each is kept as a 28-bit
// step from a base that changes only when a step would not fit: 7 bytes a
// row, in chunks that are never moved once full.
class FilterResults {
  public:
    void push_back(uint64_t age, uint64_t lineNo);
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    uint64_t Age(size_t i) const;
    uint64_t LineNo(size_t i) const;
    void clear();
    // Gives back what the last chunk holds in reserve, once no rows are
    // expected for a while.
    void Trim();
    size_t MemoryBytes() const;

    static constexpr size_t ChunkRows = 16384;
    static constexpr size_t RowBytes = 7;
    static constexpr unsigned StepBits = 28;

  private:
    struct Base {
        size_t First = 0;
        uint64_t Age = 0;
        uint64_t LineNo = 0;
    };
    const Base& BaseOf(size_t i) const;
    uint64_t Packed(size_t i) const;

    std::vector<Base> bases_;
    std::vector<std::vector<unsigned char>> chunks_;
    size_t size_ = 0;
};

// Line ends in bytes that hold only whole lines and line ends: every CR, and
// every LF that does not follow a CR (afterCr: the byte before bytes was one;
// left saying whether the last byte is one).
uint64_t CountLineEnds(std::string_view bytes, LogEncoding encoding, bool& afterCr);

enum class FilterState {
    Running,
    UpToDate, // every row of the list has been looked at; new rows go on from here
    Stopped,  // Error() says why; the results so far stay
};

// Looks at the rows of a list in writing order, in steps, and keeps those
// that match a pattern (or, hiding matches, those that do not) with their
// line numbers in the file. The log is read back through the index's file in
// blocks that take in the bytes between rows as well, whose line ends give
// each row its number: lines a View filter hides or a load skipped count
// too. Rows that arrive are taken on by later steps.
//
// Without a pattern it only numbers rows, for SeekLine.
class FilterScan {
  public:
    FilterScan(std::shared_ptr<const SearchPattern> pattern, bool hideMatching, bool newestAtTop,
               const LineIndex& lines);

    // Looks on through about `bytes` bytes of the log.
    FilterState Step(const LineIndex& lines, uint64_t bytes);
    FilterState State() const { return state_; }
    const std::string& Error() const { return error_; }
    const FilterResults& Results() const { return results_; }

    // The list came to describe another file, or lost rows: the ages no
    // longer name the same lines and the scan must begin again.
    bool Outdated(const LineIndex& lines) const;
    // Share of the list's bytes looked at, 0 to 1.
    double Progress(const LineIndex& lines) const;
    // The list row of an age, for a list of `rows` rows.
    size_t RowOf(uint64_t age, size_t rows) const {
        return newestAtTop_ ? rows - 1 - size_t(age) : size_t(age);
    }
    bool NewestAtTop() const { return newestAtTop_; }

    // Stops numbering at the first row whose line number is at least lineNo.
    void SetStopLine(uint64_t lineNo) { stopLine_ = lineNo; }
    // The last row numbered: its age and line number; none before the first.
    std::optional<std::pair<uint64_t, uint64_t>> LastRow() const { return lastRow_; }
    std::optional<std::pair<uint64_t, uint64_t>> StopRow() const { return stopRow_; }

    void SetBlockBytes(size_t bytes) { blockBytes_ = bytes < 64 ? 64 : bytes & ~size_t{1}; }
    static constexpr size_t DefaultBlockBytes = size_t{1} << 20;
    static constexpr size_t LongRowOverlap = size_t{4} << 10;
    static constexpr uint64_t MaxGapBytes = uint64_t{64} << 10;

  private:
    struct Span {
        uint64_t Age = 0;
        size_t Begin = 0; // in buffer_
        size_t Length = 0;
        uint64_t LineNo = 0;
    };
    void Stop(const char* why);
    FilterState CaughtUp();
    // Counts line ends from pos_ on up to `to`, reading at most a block.
    bool CountGap(const LineIndex& lines, uint64_t to, uint64_t& spent);
    bool ReadBlock(const LineIndex& lines, uint64_t& spent);
    // Sets matched_ for the spans; false when stopped.
    bool MatchBlock(LogEncoding encoding);
    bool RowMatches(std::string_view row, size_t from, bool& failed) const;
    // A row too long for a block: 1 when it matches, 0 when not, -1 when stopped.
    int LongRowMatches(const LineIndex& lines, uint64_t offset, uint64_t length);
    // Keeps a numbered row; false when numbering stops there.
    bool Take(uint64_t age, uint64_t lineNo, bool matched);

    std::shared_ptr<const SearchPattern> pattern_;
    const bool hideMatching_;
    const bool newestAtTop_;
    const uint64_t sourceId_;
    size_t lastRows_;
    uint64_t next_ = 0;     // age of the next row to look at
    uint64_t pos_ = 0;      // file bytes before this are counted
    uint64_t lineEnds_ = 0; // line ends before pos_
    bool afterCr_ = false;
    bool trimmed_ = false;
    FilterState state_ = FilterState::Running;
    std::string error_;
    FilterResults results_;
    uint64_t stopLine_ = 0;
    std::optional<std::pair<uint64_t, uint64_t>> lastRow_, stopRow_;
    size_t blockBytes_ = DefaultBlockBytes;
    std::string buffer_, decoded_;
    std::vector<Span> spans_;
    std::vector<char> matched_, decodedRow_;
};

// Finds the row of a list that shows line lineNo of the file or, when the
// list does not show it, the shown row whose line is nearest (the earlier
// one on a tie). Runs in steps like the filter.
class LineSeek {
  public:
    LineSeek(uint64_t lineNo, bool newestAtTop, const LineIndex& lines);
    FilterState Step(const LineIndex& lines, uint64_t bytes) { return walk_.Step(lines, bytes); }
    bool Outdated(const LineIndex& lines) const { return walk_.Outdated(lines); }
    double Progress(const LineIndex& lines) const { return walk_.Progress(lines); }
    const std::string& Error() const { return walk_.Error(); }
    // Once the walk is up to date or stopped at its row: the list row, none
    // for an empty list.
    std::optional<size_t> Row(const LineIndex& lines) const;
    // The line number of the file that row shows.
    std::optional<uint64_t> RowLine() const;

  private:
    // Age and line number of the row chosen.
    std::optional<std::pair<uint64_t, uint64_t>> Chosen() const;

    const uint64_t lineNo_;
    FilterScan walk_;
};

} // namespace marrowlight
