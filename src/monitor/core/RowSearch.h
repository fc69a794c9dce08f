#pragma once

#include "monitor/core/LineIndex.h"
#include "monitor/core/TextSearch.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace marrowlight {

enum class SearchDirection { Newer, Older };

enum class SearchState {
    Running,
    Found,
    NotFound,
    Stopped, // the list was read again, the log could not be read, or the
             // expression was too complex for a line: Error() says which
};

// One search through the rows of a list, done in steps so the window can
// repaint and the user stop it in between. Rows are visited in the order their
// lines were written, toward newer or older ones however the list shows them,
// starting next to a row and wrapping once to the other end. The log is read
// back through the index's file in blocks that cover many rows, and searched
// inside a block at once; a match counts only within one row.
class RowSearch {
  public:
    // newestAtTop: row 0 holds the newest line. fromRow: the focused row;
    // without one the search starts at the oldest (newest) line and does not
    // wrap.
    RowSearch(std::shared_ptr<const SearchPattern> pattern, SearchDirection direction,
              bool newestAtTop, const LineIndex& lines, std::optional<size_t> fromRow);

    // Searches on through about `bytes` bytes of the log. Lines that arrived
    // since the last step are searched too; when the list has come to describe
    // another file, the search stops.
    SearchState Step(const LineIndex& lines, uint64_t bytes);

    SearchState State() const { return state_; }
    // The row found, in the list as the last step saw it.
    size_t FoundRow() const { return foundRow_; }
    // The match lay in the part searched after wrapping.
    bool Wrapped() const { return wrapped_; }
    const std::string& Error() const { return error_; }

    // Bytes of the log read at once; a row longer than this is read in pieces
    // of this size, an expression seeing LongRowOverlap bytes of the piece
    // before. Tests shrink it to cross the borders.
    void SetBlockBytes(size_t bytes) { blockBytes_ = bytes < 64 ? 64 : bytes; }
    static constexpr size_t DefaultBlockBytes = size_t{1} << 20;
    static constexpr size_t LongRowOverlap = size_t{4} << 10;
    // Rows further apart than this in the log are read separately, so a filter
    // that shows few lines does not read all the others.
    static constexpr size_t MaxGapBytes = size_t{64} << 10;

  private:
    struct Span {
        size_t Age = 0;      // position in writing order
        uint64_t Offset = 0; // in the log
        size_t Begin = 0;    // in buffer_
        size_t Length = 0;
    };
    int64_t RowOf(int64_t age, size_t rows) const;
    // Reads the rows from next_ on toward `bound` that lie close together;
    // false when the log can't be read.
    bool ReadBlock(const LineIndex& lines, int64_t bound, uint64_t& spent);
    // The span of the nearest row with a match: the first toward newer lines,
    // the last toward older ones; -1 when none, -2 when stopped.
    int FindInBlock(LogEncoding encoding);
    bool RowMatches(std::string_view row, size_t from, bool& failed) const;
    // A row too long for a block; -1 when stopped.
    int LongRowMatches(const LineIndex& lines, size_t row);
    void Stop(const char* why);

    std::shared_ptr<const SearchPattern> pattern_;
    const SearchDirection direction_;
    const bool newestAtTop_;
    const uint64_t sourceId_;
    size_t lastRows_;
    bool hasFrom_;
    int64_t from_; // writing-order position of the starting row
    int64_t next_; // the next position to search
    bool wrapped_ = false;
    SearchState state_ = SearchState::Running;
    size_t foundRow_ = 0;
    std::string error_;
    size_t blockBytes_ = DefaultBlockBytes;
    std::string buffer_, decoded_;
    std::vector<Span> spans_;
    std::vector<char> decodedRow_; // per span: searched by its decoded text
};

} // namespace marrowlight
