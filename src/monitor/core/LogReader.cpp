#include "monitor/core/LogReader.h"

#include "monitor/core/LineClassifier.h"
#include "monitor/core/LineSplitter.h"
#include "monitor/core/RowScan.h"
#include "monitor/core/TerminalEscapes.h"
#include "monitor/core/TextEncoding.h"
#include "support/core/DateTimeFormat.h"
#include "support/core/PathUtils.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace marrowlight {

namespace {

// Enough of the start of a log to notice that it was rewritten.
constexpr size_t HeadBytes = 4096;

// A line longer than the buffer is read again in pieces of this size.
constexpr size_t LongLinePieceBytes = size_t{64} << 10;

// Bytes read at a time: few enough that they are still in the processor's
// cache when they are split. The buffer grows beyond it only for a line that
// does not fit.
constexpr size_t ReadPieceBytes = size_t{128} << 10;

PassOutcome Outcome(PassResult result) {
    PassOutcome out;
    out.Result = result;
    return out;
}

// A reset of the reader's own: the log it followed is gone or replaced, and
// whatever file comes next at the path is read from its start.
void DropFollowedLog(LogPage& page, LineSink& list) {
    const bool followed = page.FileStamp.has_value() || page.FollowFromStart;
    ResetLog(page, list);
    page.FollowFromStart = followed;
}

// Whatever file appears at the path later was written after we looked,
// unless it is the very file we had: that one is remembered.
void ForgetMissingLog(LogPage& page, LineSink& list) {
    const bool followed = page.Identity.has_value();
    std::optional<FileIdentity> gone = followed ? page.Identity : page.GoneIdentity;
    std::string goneHead = followed ? std::move(page.Head) : std::move(page.GoneHead);
    const uint64_t goneReadPos = followed ? page.ReadPos : page.GoneReadPos;
    ResetLog(page, list);
    page.FollowFromStart = true;
    page.GoneIdentity = gone;
    page.GoneHead = std::move(goneHead);
    page.GoneReadPos = goneReadPos;
    page.LastReadText.clear();
    page.LinesText.clear();
    page.DisplayedText.clear();
    page.StateText = StateMissing;
}

// The shell shows the wait cursor while a chunk is read, whatever way the
// reading ends.
class ChunkScope {
  public:
    ChunkScope(PassProgress& progress, uint64_t bytes) : progress_(progress) {
        progress_.ChunkStarted(bytes);
    }
    ~ChunkScope() { progress_.ChunkEnded(); }
    ChunkScope(const ChunkScope&) = delete;
    ChunkScope& operator=(const ChunkScope&) = delete;

  private:
    PassProgress& progress_;
};

// The shown lines of a followed log with their records, in the order the
// list shows them. Numbers run on from the neighbour: the row below for lines
// put at the top, the row above for lines added at the bottom. Every group a
// line is in raises its alert and counts the line.
LineIndex WithRecords(LineIndex&& shown, const LineIndex& rows, bool newestFirst, DateTime now,
                      PassOutcome& out) {
    const LineRecord* neighbour =
        rows.empty() ? nullptr : rows.Record(newestFirst ? 0 : rows.size() - 1);
    int32_t lineNo = neighbour ? neighbour->LineNo : 0;
    LineIndex added = std::move(shown);
    const size_t n = added.size();
    if (added.CountInGroups(7u) > 0) {
        // Lines put at the top keep their rows; appended ones follow the list's.
        const size_t firstRow = newestFirst ? 0 : rows.size();
        for (auto it = added.begin(); it != added.end(); ++it) {
            const unsigned groups = (*it).Membership();
            if (groups == 0)
                continue;
            for (unsigned g = 0; g < 3; ++g) {
                if (!(groups & (1u << g)))
                    continue;
                // The first written: the lowest row, or the highest when the
                // newest lines are at the top.
                if (out.GroupLines[g]++ == 0 || newestFirst)
                    out.FirstGroupRow[g] = firstRow + it.Row();
                out.Alerts[g] = true;
            }
            ++out.DrawnGroupLines[groups & 4u ? 2 : groups & 2u ? 1 : 0];
        }
    }
    added.ClearMemberships();
    // In the order the lines were written, so numbers grow with them.
    for (size_t k = 0; k < n; ++k) {
        if (lineNo < INT32_MAX)
            ++lineNo; // a number that cannot grow stays, never wraps
        added.SetRecord(newestFirst ? n - 1 - k : k, LineRecord{now, lineNo});
    }
    return added;
}

} // namespace

// What a bulk load read in slices needs between two of them. Filter, keywords
// and line order are those of its start: a change of any of them reloads the
// logs anyway, and one typed into the Options dialog before Ok or Cancel must
// not reach the rows meanwhile.
struct PendingLoad {
    std::shared_ptr<const OpenFile> File;
    LogStamp Stamp; // the load ends at Stamp.Size, as a chunk read at once would
    ViewFilter Filter;
    GroupMatcher Matcher;
    bool NewestFirst = false;
    uint64_t Start = 0;    // where the chunk began
    uint64_t From = 0;     // where the next slice's first line starts
    uint64_t ScanFrom = 0; // how far that line is known to hold no line end
    uint64_t LinesTaken = 0;
    uint64_t LinesShown = 0;
};

// Takes every complete line of a chunk with what is learnt while its bytes
// are at hand: its length in characters and, where a verdict or an alert
// depends on them, its group bits. The verdict waits for the filtering pass,
// which needs the count.
//
// A line longer than the reader's buffer is not held: only its end is looked
// for, and once it is found the line is read again in small pieces to learn
// the same things, so memory stays bounded whatever the length of a line.
class LogReader::LineScanner {
  public:
    LineScanner(LogEncoding encoding, const GroupMatcher* matcher, const ViewFilter& filter,
                bool bulk, uint64_t maxLineLen, const OpenFile& file, size_t pieceBytes,
                std::function<const GroupMatcher&()> longMatcher)
        : encoding_(encoding), matcher_(matcher), filter_(filter), bulk_(bulk),
          decode_(matcher && (encoding == LogEncoding::Utf16 || !matcher->RawBytesSuffice())),
          blockGroups_(bulk && matcher && encoding != LogEncoding::Utf16
                           ? matcher->BlockGroups() & filter.ShownGroups()
                           : 0u),
          maxLineLen_(maxLineLen), file_(file), pieceBytes_(pieceBytes),
          longMatcher_(std::move(longMatcher)) {}

    // bytes begin at a line start, at file offset `offset`, or inside the
    // long line when one is open; the result is the number of bytes used,
    // so the unfinished rest starts there.
    size_t Split(std::string_view bytes, uint64_t offset) {
        // Terminal sequences are ASCII too, but keywords match the text shown.
        if (blockGroups_ && IsAsciiText(bytes) && !HasTerminalEscapes(bytes))
            return SplitBlock(bytes, offset);
        // Inlined: a call a line would cost about what finding its end does.
        return SplitLines(
            bytes, encoding_, [&](size_t start, size_t length) __attribute__((always_inline)) {
                if (longStart_) {
                    AddLong(*longStart_, offset + start + length - *longStart_);
                    longStart_.reset();
                } else {
                    Add(offset + start, std::string_view(bytes.data() + start, length));
                }
            });
    }

    // The line at offset goes on past what the buffer holds.
    void StartLongLine(uint64_t offset) { longStart_ = offset; }
    const std::optional<uint64_t>& LongLine() const { return longStart_; }
    // Reading a long line again failed.
    bool Failed() const { return failed_; }
    // A long line was read again.
    bool ReadLongLines() const { return readLong_; }

    LineIndex& Lines() { return lines_; }
    uint64_t MaxLineLen() const { return maxLineLen_; }

  private:
    [[gnu::always_inline]] void Add(uint64_t offset, std::string_view bytes) {
        LineEntry line(offset, bytes.size());
        if (bytes.size() > maxLineLen_)
            maxLineLen_ = std::max(maxLineLen_, CountChars(bytes, encoding_));
        if (matcher_) {
            const unsigned groups = Groups(bytes);
            line.SetMembership(groups);
            // The highest group is known where every group was tested, or
            // where the one a verdict found is the highest anyway.
            if (!bulk_ || (groups & 4u))
                line.SetGroup(HighestOf(groups));
        }
        lines_.push_back(line);
    }

    // A bulk load's expressions are searched over the whole piece, a search
    // per expression rather than per line, where that gives each line its
    // own verdict: the piece is ASCII (its bytes are its text) and the
    // expressions look at nothing outside their line.
    size_t SplitBlock(std::string_view bytes, uint64_t offset) {
        spans_.clear();
        bits_.clear();
        const unsigned others = 7u & ~blockGroups_;
        const size_t used = SplitLines(bytes, encoding_, [&](size_t start, size_t length) {
            if (longStart_) {
                AddLong(*longStart_, offset + start + length - *longStart_);
                longStart_.reset();
                return;
            }
            spans_.push_back({start, start + length});
            bits_.push_back(
                others ? matcher_->ShownGroup(bytes.substr(start, length), filter_, others) : 0u);
        });
        for (int g = 1; g <= 3; ++g)
            if (blockGroups_ >> (g - 1) & 1u)
                matcher_->Group(g).MarkLines(bytes, spans_, 1u << (g - 1), filter_.ShownGroups(),
                                             bits_.data());
        for (size_t i = 0; i < spans_.size(); ++i) {
            const size_t length = spans_[i].End - spans_[i].Begin;
            LineEntry line(offset + spans_[i].Begin, length);
            if (length > maxLineLen_)
                maxLineLen_ = length; // ASCII: a byte a character
            // A verdict's group is the highest only when it is group 3.
            const unsigned groups = bits_[i] & filter_.ShownGroups();
            line.SetMembership(groups);
            if (groups & 4u)
                line.SetGroup(3);
            lines_.push_back(line);
        }
        return used;
    }

    static bool IsAsciiText(std::string_view bytes) {
        uint64_t any = 0;
        size_t i = 0;
#if defined(__SSE2__)
        __m128i high = _mm_setzero_si128();
        for (; i + 16 <= bytes.size(); i += 16)
            high = _mm_or_si128(
                high, _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i)));
        if (_mm_movemask_epi8(high) != 0)
            return false;
#endif
        for (; i + 8 <= bytes.size(); i += 8) {
            uint64_t word;
            std::memcpy(&word, bytes.data() + i, 8);
            any |= word;
        }
        for (; i < bytes.size(); ++i)
            any |= static_cast<unsigned char>(bytes[i]);
        return (any & 0x8080808080808080u) == 0;
    }

    // Rare and costly anyway: every group is tested, whatever the filter.
    void AddLong(uint64_t offset, uint64_t length) {
        readLong_ = true;
        RowScan scan(encoding_, &longMatcher_());
        if (!RowScan::ScanFile(file_, offset, length, pieceBytes_, scan)) {
            failed_ = true;
            return;
        }
        LineEntry line(offset, length);
        maxLineLen_ = std::max(maxLineLen_, scan.Chars());
        line.SetMembership(scan.Membership());
        line.SetGroup(HighestOf(scan.Membership()));
        lines_.push_back(line);
    }

    unsigned Groups(std::string_view bytes) {
        if (decode_) {
            scratch_.clear();
            AppendDecodedLine(scratch_, bytes, encoding_);
            bytes = scratch_;
        }
        // A bulk load raises no alert, so its verdict is all it needs.
        return bulk_ ? matcher_->ShownGroup(bytes, filter_) : matcher_->Membership(bytes);
    }

    const LogEncoding encoding_;
    const GroupMatcher* const matcher_; // null when no keyword test is needed
    const ViewFilter& filter_;
    const bool bulk_;
    const bool decode_;          // keywords are tested on the decoded text
    const unsigned blockGroups_; // shown groups searched a piece at a time
    std::vector<LineSpan> spans_;
    std::vector<unsigned> bits_;
    uint64_t maxLineLen_;
    const OpenFile& file_;
    const size_t pieceBytes_;
    const std::function<const GroupMatcher&()> longMatcher_;
    std::optional<uint64_t> longStart_;
    bool failed_ = false;
    bool readLong_ = false;
    LineIndex lines_;
    std::string scratch_;
};

LogReader::LogReader(const FileSource& files, const ViewSettings& settings, const Clock& clock,
                     PassProgress& progress)
    : files_(files), settings_(settings), clock_(clock), progress_(progress) {}

PassOutcome LogReader::Pass(LogPage& page, LineSink& list) {
    if (page.Load)
        return ContinueLoad(page, list);
    const std::optional<LogStamp> seen = files_.Stat(page.FileName);
    // The path names no file or another one (rotated): what the followed
    // file gained since the last pass is read first, through the descriptor
    // kept of it.
    if (!seen || (page.Identity && seen->Identity != *page.Identity))
        if (std::optional<PassOutcome> last = ReadLeftBehind(page, list))
            return Finish(page, list, *last);
    if (Step ended = CheckStamp(page, list, seen))
        return Outcome(*ended);

    OpenResult opened = files_.Open(page.FileName);
    if (!opened.File) {
        page.StateText = opened.Error == OpenError::AccessDenied ? StateAccessDenied : StateLocked;
        return Outcome(PassResult::CannotOpen);
    }
    // The stamp of what is read: taken before reading, so bytes written
    // meanwhile change the stamp again and are read by the next pass.
    const std::optional<LogStamp> stamp = opened.Stamp ? opened.Stamp : opened.File->Stat();
    return Finish(page, list,
                  stamp ? FollowOpenLog(page, list, opened.File, *stamp)
                        : Outcome(PassResult::ReadFailed));
}

PassOutcome LogReader::Finish(LogPage& page, const LineSink& list, PassOutcome out) const {
    if (out.Result == PassResult::Loading)
        return out; // the texts wait for the load's end
    if (out.Result == PassResult::ReadFailed)
        page.StateText = StateReadError;
    else
        FinishTexts(page, list);
    return out;
}

std::optional<PassOutcome> LogReader::ReadLeftBehind(LogPage& page, LineSink& list) {
    // Once: a writer that goes on with the old file must not keep the log
    // from the new one.
    const std::shared_ptr<const OpenFile> file =
        list.Lines().Source() ? list.Lines().Source() : page.File;
    if (page.LeftBehindRead || !file || page.Encoding == LogEncoding::Unknown)
        return std::nullopt;
    page.LeftBehindRead = true;
    const std::optional<LogStamp> old = file->Stat();
    if (!old || old->Size <= page.ReadPos)
        return std::nullopt;
    PassOutcome out = ReadChunk(page, list, file, *old);
    if (out.LinesRead() || out.Result == PassResult::Reset || out.Result == PassResult::Loading)
        return out;
    return std::nullopt; // nothing to show: on to the new file at once
}

LogReader::Step LogReader::CheckStamp(LogPage& page, LineSink& list,
                                      const std::optional<LogStamp>& seen) const {
    if (!seen) {
        ForgetMissingLog(page, list);
        return PassResult::Missing;
    }
    if (page.FileStamp && *page.FileStamp == *seen && !settings_.UpdateForced())
        return PassResult::Unchanged;
    return std::nullopt;
}

PassOutcome LogReader::FollowOpenLog(LogPage& page, LineSink& list,
                                     const std::shared_ptr<const OpenFile>& file,
                                     const LogStamp& stamp) {
    if (Step ended = CheckIdentityAndHead(page, list, *file, stamp))
        return Outcome(*ended);
    if (Step ended = DecideEncoding(page, file, stamp))
        return Outcome(*ended);
    if (stamp.Size < page.ReadPos) {
        // Shrunk: the list holds lines the file no longer has.
        DropFollowedLog(page, list);
        return Outcome(PassResult::Reset);
    }
    if (JumpToEnd(page, stamp))
        return Outcome(PassResult::JumpedToEnd);
    if (page.Encoding == LogEncoding::Unknown) {
        // Too short to tell its encoding: every line still to come is new.
        page.FollowFromStart = true;
        return Outcome(PassResult::Undecided);
    }
    if (stamp.Size == page.ReadPos)
        return Outcome(PassResult::NoNewBytes);
    return ReadChunk(page, list, file, stamp);
}

LogReader::Step LogReader::CheckIdentityAndHead(LogPage& page, LineSink& list, const OpenFile& file,
                                                const LogStamp& stamp) {
    // Another file at the path: the list describes the old one.
    if (page.Identity && *page.Identity != stamp.Identity) {
        DropFollowedLog(page, list);
        return PassResult::Reset;
    }
    // Rewritten from the start while not shorter than what was read: only
    // the first bytes tell, and only when the stamp changed. A file now
    // shorter than the kept head (an unfinished line cut back, or emptied and
    // refilled) is compared on the bytes both have.
    if (page.Encoding == LogEncoding::Unknown || stamp.Size < page.ReadPos ||
        (page.FileStamp && *page.FileStamp == stamp))
        return std::nullopt;
    const std::optional<std::string_view> head = ReadHead(file, stamp.Size);
    if (!head)
        return PassResult::ReadFailed;
    const size_t common = std::min(head->size(), page.Head.size());
    if (head->substr(0, common) != std::string_view(page.Head).substr(0, common)) {
        DropFollowedLog(page, list);
        return PassResult::Reset;
    }
    // The kept head follows the file, so bytes it lost are not compared later.
    if (head->size() != page.Head.size())
        page.Head.assign(*head);
    return std::nullopt;
}

LogReader::Step LogReader::DecideEncoding(LogPage& page,
                                          const std::shared_ptr<const OpenFile>& file,
                                          const LogStamp& stamp) {
    if (page.Encoding != LogEncoding::Unknown || stamp.Size < 2)
        return std::nullopt;
    const std::optional<std::string_view> head = ReadHead(*file, stamp.Size);
    if (!head)
        return PassResult::ReadFailed;
    const std::optional<EncodingGuess> guess = DetectEncoding(*head, stamp.Size);
    if (!guess)
        return PassResult::ReadFailed;
    page.Encoding = guess->Encoding;
    page.TextStart = guess->TextStart;
    page.ReadPos = guess->TextStart;
    page.Identity = stamp.Identity;
    page.File = file;
    page.Head.assign(*head);
    if (page.GoneIdentity && *page.GoneIdentity == stamp.Identity &&
        stamp.Size >= page.GoneReadPos && head->starts_with(page.GoneHead))
        page.FollowFromStart = false; // the same file answered again
    page.GoneIdentity.reset();
    page.GoneHead.clear();
    page.GoneReadPos = 0;
    return std::nullopt;
}

std::optional<std::string_view> LogReader::ReadHead(const OpenFile& file, uint64_t size) {
    head_.resize(static_cast<size_t>(std::min<uint64_t>(size, HeadBytes)));
    const ssize_t got = file.ReadAt(0, head_.data(), head_.size());
    if (got < 0)
        return std::nullopt;
    head_.resize(static_cast<size_t>(got));
    return std::string_view(head_.data(), head_.size());
}

bool LogReader::JumpToEnd(LogPage& page, const LogStamp& stamp) const {
    // A freshly opened or reloaded log starts at its end; a file that took
    // the place of a followed one, or that was missing or nearly empty when
    // first looked at, holds only lines added since, so it is read.
    if (page.Encoding == LogEncoding::Unknown || !settings_.AddedLogLinesOnly() ||
        page.ReadPos != page.TextStart || page.FileStamp || page.FollowFromStart || page.Produced)
        return false;
    uint64_t end = stamp.Size;
    // Keep UTF-16 on unit borders; an odd last byte waits.
    if (page.Encoding == LogEncoding::Utf16)
        end -= (end - page.TextStart) % 2;
    page.ReadPos = end;
    page.FileStamp = stamp;
    return true;
}

PassOutcome LogReader::ReadChunk(LogPage& page, LineSink& list,
                                 const std::shared_ptr<const OpenFile>& file,
                                 const LogStamp& stamp) {
    // A long unfinished line is searched on from where the last pass left
    // it, unless the file no longer reaches that far.
    const uint64_t scanFrom =
        page.ScanPos > page.ReadPos && page.ScanPos <= stamp.Size ? page.ScanPos : page.ReadPos;
    ChunkScope scope(progress_, stamp.Size - scanFrom);
    progress_.ShowProgress("Reading " + FileNameOfPath(page.FileName) + "...", true);

    const bool bulk = page.LoadsWhole || (list.Lines().empty() && !settings_.AddedLogLinesOnly());
    const ViewFilter filter = ViewFilter::From(settings_);
    // Keyword tests only where a verdict or an alert depends on them.
    const GroupMatcher* matcher =
        filter.NeedsGroups() || !bulk ? &matchers_.For(settings_) : nullptr;
    LineScanner scanner(page.Encoding, matcher, filter, bulk, page.MaxLineLen, *file,
                        std::min(blockSize_, LongLinePieceBytes),
                        [this]() -> const GroupMatcher& { return matchers_.For(settings_); });
    // Only a bulk load is read in slices: it adds no records and sounds no
    // alert, so showing it piece by piece changes nothing but the timing.
    const std::optional<ChunkEnd> end =
        ReadLines(*file, page.ReadPos, scanFrom, stamp.Size, page.Encoding, scanner,
                  bulk ? SliceDeadline() : std::nullopt);
    if (!end)
        return Outcome(PassResult::ReadFailed);
    if (Step ended = CheckCutBack(page, list, *file, *end, !scanner.Lines().empty()))
        return Outcome(*ended);

    if (!end->Done) {
        auto load = std::make_shared<PendingLoad>(
            PendingLoad{file, stamp, filter, matchers_.For(settings_), settings_.LastEntriesAtTop(),
                        page.ReadPos, page.ReadPos, scanFrom, 0, 0});
        page.Load = load;
        page.MaxLineLen = scanner.MaxLineLen();
        return TakeSlice(page, list, *load, std::move(scanner.Lines()), *end);
    }

    PassOutcome out = Outcome(PassResult::NoCompleteLine);
    if (!scanner.Lines().empty()) {
        out = TakeLines(page, list, std::move(scanner.Lines()), filter, bulk, file);
        page.MaxLineLen = scanner.MaxLineLen();
    }
    page.ReadPos = end->LineStart;
    page.ScanPos = end->ScanPos;
    page.FileStamp = stamp;
    // Rows keep a descriptor of the file; the page one only while none does,
    // so a log holds one open. This one just read well.
    page.File = list.Lines().Source() ? nullptr : file;
    page.FollowFromStart = false;
    return out;
}

PassOutcome LogReader::ContinueLoad(LogPage& page, LineSink& list) {
    // Held here: a reset on the way drops the page's hold.
    const std::shared_ptr<PendingLoad> load = page.Load;
    ChunkScope scope(progress_, load->Stamp.Size - load->ScanFrom);
    const GroupMatcher* matcher = load->Filter.NeedsGroups() ? &load->Matcher : nullptr;
    LineScanner scanner(page.Encoding, matcher, load->Filter, true, page.MaxLineLen, *load->File,
                        std::min(blockSize_, LongLinePieceBytes),
                        [&load]() -> const GroupMatcher& { return load->Matcher; });
    const std::optional<ChunkEnd> end =
        ReadLines(*load->File, load->From, load->ScanFrom, load->Stamp.Size, page.Encoding, scanner,
                  SliceDeadline());
    Step ended = end ? CheckCutBack(page, list, *load->File, *end, !scanner.Lines().empty())
                     : PassResult::ReadFailed;
    if (ended) {
        // As when a chunk read at once fails: nothing of it is kept, and the
        // next pass tries again from the start.
        if (*ended == PassResult::ReadFailed)
            ResetLog(page, list);
        return Finish(page, list, Outcome(*ended));
    }
    page.MaxLineLen = scanner.MaxLineLen();
    return Finish(page, list, TakeSlice(page, list, *load, std::move(scanner.Lines()), *end));
}

LogReader::Deadline LogReader::SliceDeadline() const {
    if (!sliceBudget_)
        return std::nullopt;
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(*sliceBudget_);
}

LogReader::Step LogReader::CheckCutBack(LogPage& page, LineSink& list, const OpenFile& file,
                                        const ChunkEnd& end, bool tookLines) {
    // Cut back while it was read: the offsets just taken may already hold
    // other bytes, which the rows would show. A chunk taken whole by one read
    // is as current as a check right after it would be.
    if (!tookLines || end.OneRead)
        return std::nullopt;
    const std::optional<LogStamp> after = file.Stat();
    if (!after)
        return PassResult::ReadFailed;
    if (after->Size < end.ReadEnd) {
        DropFollowedLog(page, list);
        return PassResult::Reset;
    }
    return std::nullopt;
}

PassOutcome LogReader::TakeSlice(LogPage& page, LineSink& list, PendingLoad& load,
                                 LineIndex&& lines, const ChunkEnd& end) {
    PassOutcome out;
    out.LinesTaken = lines.size();
    SilentProgress quiet;
    LineIndex shown = FilterChunk(std::move(lines), load.NewestFirst, load.Filter, quiet);
    out.LinesShown = shown.size();
    load.LinesTaken += out.LinesTaken;
    load.LinesShown += out.LinesShown;
    page.LineCount += out.LinesTaken;
    load.From = end.LineStart;
    load.ScanFrom = end.ScanPos;

    // The filtering pass's own text, at the line it would have reached,
    // counted in bytes: the pass walks from the newest line when those are
    // shown at the top.
    const uint64_t total = std::max<uint64_t>(1, load.Stamp.Size - load.Start);
    const uint64_t done = std::min(total, end.Done ? total : end.LineStart - load.Start);
    ReportFilterProgress(static_cast<size_t>(load.NewestFirst ? total - done : done),
                         static_cast<size_t>(total), progress_);
    if (end.Done) {
        progress_.ShowProgress("", false);
        progress_.ShowProgress("Loading " + FileNameOfPath(page.FileName) + "...", false);
    }
    // The first rows replace the list (an empty list may still be loaded,
    // as a chunk read at once would); later ones join them where a bulk load
    // has them: below, or above when the newest lines are at the top.
    if (!shown.empty() || (end.Done && list.Lines().empty())) {
        shown.SetSource(load.File, page.Encoding);
        if (list.Lines().empty())
            list.LoadLines(std::move(shown));
        else if (load.NewestFirst)
            list.InsertLinesAtTop(std::move(shown));
        else
            list.AppendLines(std::move(shown));
    }
    if (!end.Done) {
        out.Result = PassResult::Loading;
        return out;
    }
    progress_.ShowProgress("", false);

    page.ReadPos = end.LineStart;
    page.ScanPos = end.ScanPos;
    page.FileStamp = load.Stamp;
    page.File = list.Lines().Source() ? nullptr : load.File;
    page.FollowFromStart = false;
    page.Load.reset();
    out.Result = PassResult::Bulk;
    out.LinesTaken = load.LinesTaken;
    out.LinesShown = load.LinesShown;
    return out;
}

std::optional<LogReader::ChunkEnd> LogReader::ReadLines(const OpenFile& file, uint64_t lineStart,
                                                        uint64_t scanFrom, uint64_t size,
                                                        LogEncoding encoding, LineScanner& scanner,
                                                        const Deadline& deadline) {
    std::vector<char>& buffer = buffer_;
    // Keep a buffer of a read piece for the next slice or log; give back
    // what a long line took, also when a read fails half-way.
    struct GiveBack {
        std::vector<char>& buffer;
        ~GiveBack() {
            if (buffer.capacity() > ReadPieceBytes)
                std::vector<char>().swap(buffer);
        }
    } giveBack{buffer};
    // Never more than a block: a line that does not fit is not held.
    const auto most =
        static_cast<size_t>(std::min<uint64_t>(blockSize_ & ~size_t{1}, size - scanFrom + 1));
    // What the buffer is used up to; its bytes past `filled` are not cleared.
    size_t room = std::min(most, ReadPieceBytes);
    if (buffer.size() < room)
        buffer.resize(room);
    if (scanFrom > lineStart)
        scanner.StartLongLine(lineStart);
    uint64_t bufferStart = scanFrom; // file offset of buffer[0]
    uint64_t next = scanFrom;        // next file offset to read
    size_t filled = 0;
    size_t reads = 0;
    bool shortRead = false;
    bool done = true;
    while (next < size) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(room - filled, size - next));
        const ssize_t got = file.ReadAt(next, buffer.data() + filled, want);
        if (got < 0)
            return std::nullopt;
        ++reads;
        shortRead = shortRead || static_cast<size_t>(got) < want;
        if (got == 0)
            break; // shrunk meanwhile
        next += static_cast<uint64_t>(got);
        filled += static_cast<size_t>(got);
        const std::string_view bytes(buffer.data(), filled);
        const size_t used = scanner.Split(bytes, bufferStart);
        if (scanner.Failed())
            return std::nullopt;
        if (!scanner.LongLine() && used == 0 && filled == room && room == most)
            scanner.StartLongLine(bufferStart);
        // Of a long line only what may begin its end is kept; of any other
        // unfinished line, all of it.
        const size_t keep =
            scanner.LongLine() ? PendingLineEndBytes(bytes.substr(used), encoding) : filled - used;
        // A line that takes much of the room gets more, so it is not split
        // again read after read.
        if (!scanner.LongLine() && keep > room / 2 && room < most) {
            room = std::min(most, 2 * room);
            if (buffer.size() < room)
                buffer.resize(room);
        }
        std::memmove(buffer.data(), buffer.data() + filled - keep, keep);
        bufferStart += filled - keep;
        filled = keep;
        // The next slice reads again from bufferStart, so it must have moved.
        if (deadline && next < size && bufferStart > scanFrom &&
            std::chrono::steady_clock::now() >= *deadline) {
            done = false;
            break;
        }
    }
    ChunkEnd end{bufferStart, bufferStart, next,
                 reads == 1 && !shortRead && !scanner.ReadLongLines(), done};
    if (const std::optional<uint64_t>& longLine = scanner.LongLine())
        end.LineStart = *longLine;
    return end;
}

PassOutcome LogReader::TakeLines(LogPage& page, LineSink& list, LineIndex&& chunk,
                                 const ViewFilter& filter, bool bulk,
                                 const std::shared_ptr<const OpenFile>& file) {
    PassOutcome out;
    out.LinesTaken = chunk.size();
    const bool newestFirst = settings_.LastEntriesAtTop();
    LineIndex shown = FilterChunk(std::move(chunk), newestFirst, filter, progress_);
    progress_.ShowProgress("", false);
    out.LinesShown = shown.size();

    if (bulk) {
        progress_.ShowProgress("Loading " + FileNameOfPath(page.FileName) + "...", false);
        shown.SetSource(file, page.Encoding);
        // An archive's later pieces join the rows where a load puts them.
        if (list.Lines().empty())
            list.LoadLines(std::move(shown));
        else if (newestFirst)
            list.InsertLinesAtTop(std::move(shown));
        else
            list.AppendLines(std::move(shown));
        // Added, not set: a bulk load follows earlier chunks the filter hid.
        page.LineCount += out.LinesTaken;
        progress_.ShowProgress("", false);
        out.Result = PassResult::Bulk;
        return out;
    }
    LineIndex added = WithRecords(std::move(shown), list.Lines(), newestFirst, clock_.Now(), out);
    added.SetSource(file, page.Encoding);
    if (newestFirst)
        list.InsertLinesAtTop(std::move(added));
    else
        list.AppendLines(std::move(added));
    page.LineCount += out.LinesTaken;
    out.Result = PassResult::Appended;
    return out;
}

void LogReader::FinishTexts(LogPage& page, const LineSink& list) const {
    page.LinesText = settings_.AllLogLines() ? "Lines: " + std::to_string(page.LineCount) : "";
    page.DisplayedText = "Displayed: " + std::to_string(list.Lines().size());
    // Formatting the time costs more than the rest of a quiet pass; one text
    // per second serves every log. The key is the second the text shows.
    const DateTime now = clock_.Now();
    const auto ms = static_cast<int64_t>(std::llround(now * 86'400'000.0));
    const int64_t second = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
    if (!lastReadSecond_ || *lastReadSecond_ != second) {
        lastReadText_ = "Last read: " + FormatDateTime(now, "hh:mm:ss");
        lastReadSecond_ = second;
    }
    page.LastReadText = lastReadText_;
    page.StateText = StateRead;
}

} // namespace marrowlight
