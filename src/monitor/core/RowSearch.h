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

class OpenFile;

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
// inside a block at once; a row matches only on its own text.
class RowSearch {
  public:
    // newestAtTop: row 0 holds the newest line. fromRow: the focused row;
    // without one the search starts at the oldest (newest) line and does not
    // wrap.
    RowSearch(std::shared_ptr<const SearchPattern> pattern, SearchDirection direction,
              bool newestAtTop, const LineIndex& lines, std::optional<size_t> fromRow);
    ~RowSearch();

    // Searches on through about `bytes` bytes of the log, a read more at
    // most however long its rows are. Lines that arrived since the last step
    // are searched too; when the list has come to describe another file, the
    // search stops.
    SearchState Step(const LineIndex& lines, uint64_t bytes);

    SearchState State() const { return state_; }
    // The row found, in the list as the last step saw it.
    size_t FoundRow() const { return foundRow_; }
    // The match lay in the part searched after wrapping.
    bool Wrapped() const { return wrapped_; }
    const std::string& Error() const { return error_; }

    // Bytes of the log read at once at most; a row longer than the bytes
    // left of a step is read in pieces of that size (never under
    // MinReadBytes), over as many steps as it takes, an expression seeing
    // LongRowOverlap bytes of the piece before. Tests shrink it to cross the
    // borders.
    void SetBlockBytes(size_t bytes) { blockBytes_ = bytes < 64 ? 64 : bytes; }
    static constexpr size_t DefaultBlockBytes = size_t{1} << 20;
    static constexpr size_t MinReadBytes = size_t{16} << 10;
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
    // What looking through some rows came to.
    enum class Look {
        NoMatch,
        Match,
        ReadAgain,  // the list describes other lines now
        Unreadable, // the log could not be read
        TooComplex, // the expression took too long on a row
    };
    struct Hit {
        Look Result = Look::NoMatch;
        size_t Age = 0; // of the matching row
    };
    // A row longer than a read, searched piece by piece across steps.
    struct LongRow;

    int64_t RowOf(int64_t age, size_t rows) const;
    SearchState Stop(Look why);
    // The bytes one read may take with `left` bytes left of the step.
    size_t ReadLimit(uint64_t left) const;
    // Reads the rows from next_ on toward `bound` that lie close together,
    // at most `limit` bytes; false when the log can't be read.
    bool ReadBlock(const LineIndex& lines, int64_t bound, size_t limit, uint64_t& spent);
    // Which rows of a block a pass looks at.
    enum class Rows { All, Bytes, Decoded };
    // The nearest row of the block with a match: the first toward newer
    // lines, the last toward older ones.
    Hit FindInBlock(LogEncoding encoding);
    // The rows whose bytes are their text, searched in the block's bytes at
    // once; `found` is the nearest match's span.
    Look FindInBytes(LogEncoding encoding, size_t& found);
    // The rows whose bytes are not their text, by their decoded text, when
    // nearer than what the bytes pass found.
    Look FindInDecoded(LogEncoding encoding, Look bytesLook, size_t& found);
    // Spans [first, end) one at a time, each as a text of its own, nearest
    // first.
    Look FindRowByRow(LogEncoding encoding, Rows which, size_t first, size_t end, size_t& found);
    Look LookInRow(size_t span, LogEncoding encoding, size_t from = 0);
    std::string_view RowBytes(size_t span) const;
    void StartLongRow(const LineIndex& lines, size_t row);
    Hit StepLongRow(const OpenFile& file, size_t limit, uint64_t& spent);

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
    std::unique_ptr<LongRow> longRow_;
};

} // namespace marrowlight
