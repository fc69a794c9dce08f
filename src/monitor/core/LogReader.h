#pragma once

#include "monitor/core/FileSource.h"
#include "monitor/core/LineClassifier.h"
#include "monitor/core/LineSink.h"
#include "monitor/core/LogPage.h"
#include "monitor/core/PassProgress.h"
#include "monitor/core/ViewSettings.h"
#include "support/core/Clock.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

enum class PassResult {
    Missing,        // no regular file at the path: log reset, texts set (image 65)
    Unchanged,      // same stamp, not forced: nothing touched
    CannotOpen,     // StateText says why (image 65); nothing else changed
    ReadFailed,     // opened but a read failed: nothing taken (image 65)
    Reset,          // shrunk, replaced or rewritten: log reset, read again next pass
    Undecided,      // fewer than 2 bytes: encoding not decided yet
    JumpedToEnd,    // only-new-lines mode skipped what the file held
    NoNewBytes,     // nothing past the read position
    NoCompleteLine, // new bytes, but no line end yet
    Bulk,           // list was empty: lines loaded without records
    Appended,       // lines taken into a list that follows the log (image 33)
    Loading,        // a bulk load showed the lines of its first slices; more to come
};

struct PassOutcome {
    PassResult Result = PassResult::Unchanged;
    // A load read in slices counts each slice while Loading, the whole
    // chunk when it ends (Bulk).
    uint64_t LinesTaken = 0; // N: lines of the chunk, shown or not
    uint64_t LinesShown = 0; // rows the list gained
    // Alerts[g-1]: a shown appended line is in group g (membership, not
    // precedence). Never raised by a bulk load.
    std::array<bool, 3> Alerts{};
    // Of appended lines, per group g-1: how many are in group g (as Alerts),
    // the row the first written of them has in the list after the pass, and
    // how many have g as their highest group (the colour they are drawn in).
    std::array<uint64_t, 3> GroupLines{};
    std::array<size_t, 3> FirstGroupRow{};
    std::array<uint64_t, 3> DrawnGroupLines{};

    // The pass read lines (Bulk or Appended): the shell updates the
    // horizontal extent from MaxLineLen and selects the last row.
    bool LinesRead() const { return Result == PassResult::Bulk || Result == PassResult::Appended; }
    // The shell shows the "can't be read" image.
    bool Unreadable() const {
        return Result == PassResult::Missing || Result == PassResult::CannotOpen ||
               Result == PassResult::ReadFailed;
    }
};

// Fixed state texts.
inline constexpr const char* StateMissing = "Log can't be read. It doesn't exist.";
inline constexpr const char* StateLocked = "Log can't be read. Locked by another process.";
inline constexpr const char* StateAccessDenied = "Log can't be read. Access denied.";
inline constexpr const char* StateReadError = "Log can't be read. Read error.";
inline constexpr const char* StateRead = "Log successfully read.";

// One log's part of a polling pass: looks at the file, reads the bytes it
// gained, filters its complete lines and writes them to the list.
//
// The pass sets all four status texts of the record itself (DisplayedText
// counts the list after the lines were added); the shell does the tab image,
// active tab, window restore, horizontal extent, selection of the last row,
// the sounds and copying the active tab's texts to the status bar.
//
// What a pass leaves in LogPage for the next one. ResetLog clears all of
// it; the four status texts are written by a pass and never read by it.
//
//   field            holds                                  changes
//   ReadPos          offset where the next chunk starts,    encoding decided (= TextStart),
//                    past the last complete line taken:     jump to the end, every chunk read
//                    an unfinished last line lies beyond
//                    it and is read again
//   ScanPos          when past ReadPos: the unfinished      every chunk read; ignored when
//                    line is longer than a block and holds  not past ReadPos or past the
//                    no line end before it; the next        end of the file
//                    chunk searches on from there
//   FileStamp        the file's stamp as last read; empty:  jump to the end, every chunk read
//                    not read since the reset               (not when no new bytes came)
//   Encoding         how lines are decoded; Unknown until   decided once per reset
//                    the file holds 2 bytes
//   TextStart        where the text starts, past the        with the encoding
//                    byte-order mark (0, 2 or 3)
//   Identity         device, inode and birth time of the    with the encoding
//                    file the list describes
//   File             that file, kept open while the list    with the encoding, every chunk
//                    has no row (rows keep their own)       read
//   LeftBehindRead   the path stopped naming that file and  when the path names no file or
//                    its last lines were read through it    another one, once
//   Head             a copy of that file's first bytes,     with the encoding; follows a
//                    at most 4 KiB                          file still shorter than 4 KiB
//   LineCount        lines taken since the reset, shown     added by every chunk with lines
//                    or not
//   MaxLineLen       characters of the longest of them      every chunk with lines
//   FollowFromStart  the next file at the path is read      set when the reader drops a
//                    from its start, even when only new     followed log, while the path is
//                    lines are shown                        missing and while undecided;
//                                                           cleared by a chunk read or when
//                                                           the same file answers again
//   GoneIdentity,    Identity, Head and ReadPos of the      set when the path stops
//   GoneHead,        file the path named when it stopped    answering; cleared when the
//   GoneReadPos      answering                              encoding is decided
//   Load             the rest of a bulk load read in        set when a load's first slice
//                    slices: its file, stamp, filter,       leaves bytes unread; cleared
//                    keywords and line order as at its      by its last slice, a failed
//                    start, and where the next slice        read or ResetLog
//                    starts
//
// A bulk load of a large log may be read in slices of bounded time (see
// SetSliceBudget): each call reads on from where the last one stopped and
// shows what it read at once, newest lines where the list shows them. The
// fields above other than LineCount and MaxLineLen are set only by the last
// slice, so a load ends exactly as one read at once would, with the same
// rows in the same order; lines written meanwhile are read by the next pass.
class LogReader {
  public:
    LogReader(const FileSource& files, const ViewSettings& settings, const Clock& clock,
              PassProgress& progress);

    // On a log that is still loading, reads its next slice instead.
    PassOutcome Pass(LogPage& page, LineSink& list);

    // Whether the log's bulk load goes on in later calls.
    static bool Loading(const LogPage& page) { return page.Load != nullptr; }

    // A bulk load stops reading once this much time went by (after at least
    // one block that moved it on) and leaves the rest to later calls. Without
    // a budget, the default, a chunk is read at once.
    void SetSliceBudget(std::optional<std::chrono::nanoseconds> budget) { sliceBudget_ = budget; }

    // Bytes read per call, and all of a line the reader holds at once;
    // tests shrink it to cross block borders.
    void SetBlockSize(size_t bytes) { blockSize_ = bytes < 16 ? 16 : bytes; }

  private:
    class LineScanner;
    // What a step of a pass ends it with; empty: the pass goes on.
    using Step = std::optional<PassResult>;

    // The steps of a pass, in order. Before the file is opened: when the
    // path no longer names the followed file, that file's last lines are
    // read once through the descriptor kept of it; a path that names no
    // regular file resets the log, an unchanged stamp ends the pass.
    std::optional<PassOutcome> ReadLeftBehind(LogPage& page, LineSink& list);
    Step CheckStamp(LogPage& page, LineSink& list, const std::optional<LogStamp>& seen) const;
    // The steps on the open file, the shrink check and the wait for bytes
    // among them.
    PassOutcome FollowOpenLog(LogPage& page, LineSink& list,
                              const std::shared_ptr<const OpenFile>& file, const LogStamp& stamp);
    // Another file at the path, or other first bytes: read again from the start.
    Step CheckIdentityAndHead(LogPage& page, LineSink& list, const OpenFile& file,
                              const LogStamp& stamp);
    // Once per reset, when the file holds at least 2 bytes.
    Step DecideEncoding(LogPage& page, const std::shared_ptr<const OpenFile>& file,
                        const LogStamp& stamp);
    // The only-new-lines mode skips what a freshly opened log held.
    bool JumpToEnd(LogPage& page, const LogStamp& stamp) const;
    // Reads the bytes past the read position and writes their complete lines
    // to the list; an unfinished last line is read again by the next pass.
    PassOutcome ReadChunk(LogPage& page, LineSink& list,
                          const std::shared_ptr<const OpenFile>& file, const LogStamp& stamp);
    // The next slice of the page's load.
    PassOutcome ContinueLoad(LogPage& page, LineSink& list);

    // The first bytes of the file (at most 4 KiB), valid until the next call.
    std::optional<std::string_view> ReadHead(const OpenFile& file, uint64_t size);
    // Where a chunk's reading ended: the start of its unfinished last line,
    // how far that line is known to hold no line end, the end of what was
    // read, and whether one read took all of it.
    struct ChunkEnd {
        uint64_t LineStart = 0;
        uint64_t ScanPos = 0;
        uint64_t ReadEnd = 0;
        bool OneRead = false;
        bool Done = true; // false: stopped at the deadline, bytes are left
    };
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;
    // Reads [scanFrom, size) in blocks and hands them to the scanner; the
    // line at lineStart was searched up to scanFrom already. Stops early at
    // the deadline, once it got past scanFrom. Nothing when a read failed.
    std::optional<ChunkEnd> ReadLines(const OpenFile& file, uint64_t lineStart, uint64_t scanFrom,
                                      uint64_t size, LogEncoding encoding, LineScanner& scanner,
                                      const Deadline& deadline);
    Deadline SliceDeadline() const;
    // A file cut back below what was just read: the offsets taken may
    // already hold other bytes. Empty when the chunk can be kept.
    Step CheckCutBack(LogPage& page, LineSink& list, const OpenFile& file, const ChunkEnd& end,
                      bool tookLines);
    // Filters one slice's lines and shows them; the last one ends the load.
    PassOutcome TakeSlice(LogPage& page, LineSink& list, PendingLoad& load, LineIndex&& lines,
                          const ChunkEnd& end);
    // Filters a chunk's lines and writes the shown ones to the list: loaded
    // at once into an empty list, else with records, raising the alerts.
    PassOutcome TakeLines(LogPage& page, LineSink& list, LineIndex&& chunk,
                          const ViewFilter& filter, bool bulk,
                          const std::shared_ptr<const OpenFile>& file);
    // The status texts of a pass that looked at the file.
    PassOutcome Finish(LogPage& page, const LineSink& list, PassOutcome out) const;
    void FinishTexts(LogPage& page, const LineSink& list) const;

    const FileSource& files_;
    const ViewSettings& settings_;
    const Clock& clock_;
    PassProgress& progress_;
    size_t blockSize_ = size_t{4} << 20;
    std::optional<std::chrono::nanoseconds> sliceBudget_;
    GroupMatcherCache matchers_;
    std::vector<char> buffer_; // kept between passes: following many logs reads often
    std::vector<char> head_;
    mutable std::optional<int64_t> lastReadSecond_;
    mutable std::string lastReadText_;
};

} // namespace marrowlight
