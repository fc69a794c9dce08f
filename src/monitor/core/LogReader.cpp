#include "monitor/core/LogReader.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "monitor/core/LineClassifier.h"
#include "monitor/core/LineSplitter.h"
#include "monitor/core/TextEncoding.h"
#include "support/core/DateTimeFormat.h"
#include "support/core/PathUtils.h"

namespace marrowlight {

namespace {

// Enough of the start of a log to notice that it was rewritten.
constexpr size_t HeadBytes = 4096;

// A reset of the reader's own: the log it followed is gone or replaced, and
// whatever file comes next at the path is read from its start.
void DropFollowedLog(TPageObject& page, LineSink& list) {
    const bool followed = page.FileStamp.has_value() || page.FollowFromStart;
    ResetLog(page, list);
    page.FollowFromStart = followed;
}

} // namespace

LogReader::LogReader(const FileSource& files, const ViewSettings& settings, const Clock& clock,
                     PassProgress& progress)
    : files_(files), settings_(settings), clock_(clock), progress_(progress) {}

void LogReader::FinishTexts(TPageObject& page, const LineSink& list) const {
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

PassOutcome LogReader::Pass(TPageObject& page, LineSink& list) {
    PassOutcome out;
    auto finish = [&](PassResult result) {
        FinishTexts(page, list);
        out.Result = result;
        return out;
    };
    auto readFailed = [&] {
        page.StateText = StateReadError;
        out.Result = PassResult::ReadFailed;
        return out;
    };

    std::optional<LogStamp> seen = files_.Stat(page.FileName);
    if (!seen) {
        // Whatever file appears here later was written after we looked,
        // unless it is the very file we had.
        std::optional<FileIdentity> gone = page.Identity ? page.Identity : page.GoneIdentity;
        std::string goneHead = page.Identity ? std::move(page.Head) : std::move(page.GoneHead);
        ResetLog(page, list);
        page.FollowFromStart = true;
        page.GoneIdentity = gone;
        page.GoneHead = std::move(goneHead);
        page.LastReadText.clear();
        page.LinesText.clear();
        page.DisplayedText.clear();
        page.StateText = StateMissing;
        out.Result = PassResult::Missing;
        return out;
    }
    if (page.FileStamp && *page.FileStamp == *seen && !settings_.UpdateForced()) {
        out.Result = PassResult::Unchanged;
        return out;
    }

    OpenResult opened = files_.Open(page.FileName);
    if (!opened.File) {
        page.StateText = opened.Error == OpenError::AccessDenied ? StateAccessDenied : StateLocked;
        out.Result = PassResult::CannotOpen;
        return out;
    }
    const OpenFile& file = *opened.File;
    // The stamp of what is read: taken before reading, so bytes written
    // meanwhile change the stamp again and are read by the next pass.
    std::optional<LogStamp> stamp = opened.Stamp ? opened.Stamp : file.Stat();
    if (!stamp)
        return readFailed();
    const uint64_t size = stamp->Size;

    // Another file at the path: the list describes the old one.
    if (page.Identity && *page.Identity != stamp->Identity) {
        DropFollowedLog(page, list);
        return finish(PassResult::Reset);
    }

    std::vector<char>& head = head_;
    auto readHead = [&]() -> bool {
        head.resize(static_cast<size_t>(std::min<uint64_t>(size, HeadBytes)));
        ssize_t got = file.ReadAt(0, head.data(), head.size());
        if (got < 0)
            return false;
        head.resize(static_cast<size_t>(got));
        return true;
    };

    if (page.Encoding == LogEncoding::Unknown) {
        if (size >= 2) {
            if (!readHead())
                return readFailed();
            std::optional<EncodingGuess> guess =
                DetectEncoding(std::string_view(head.data(), head.size()), size);
            if (!guess)
                return readFailed();
            page.Encoding = guess->Encoding;
            page.TextStart = guess->TextStart;
            page.ReadPos = guess->TextStart;
            page.Identity = stamp->Identity;
            page.Head.assign(head.data(), head.size());
            if (page.GoneIdentity && *page.GoneIdentity == stamp->Identity &&
                head.size() >= page.GoneHead.size() &&
                std::memcmp(head.data(), page.GoneHead.data(), page.GoneHead.size()) == 0)
                page.FollowFromStart = false; // the same file answered again
            page.GoneIdentity.reset();
            page.GoneHead.clear();
        }
    } else if (size >= page.ReadPos && size >= page.Head.size() &&
               !(page.FileStamp && *page.FileStamp == *stamp)) {
        // Rewritten from the start while not shorter than what was read.
        if (!readHead())
            return readFailed();
        if (head.size() < page.Head.size() ||
            std::memcmp(head.data(), page.Head.data(), page.Head.size()) != 0) {
            DropFollowedLog(page, list);
            return finish(PassResult::Reset);
        }
        if (head.size() > page.Head.size())
            page.Head.assign(head.data(), head.size());
    }

    if (size < page.ReadPos) {
        DropFollowedLog(page, list);
        return finish(PassResult::Reset);
    }
    // A freshly opened or reloaded log starts at its end; a file that took the
    // place of a followed one, or that was missing or nearly empty when first
    // looked at, holds only lines added since, so it is read.
    if (page.Encoding != LogEncoding::Unknown && settings_.AddedLogLinesOnly() &&
        page.ReadPos == page.TextStart && !page.FileStamp && !page.FollowFromStart) {
        uint64_t end = size;
        // Keep UTF-16 on unit borders; an odd last byte waits.
        if (page.Encoding == LogEncoding::Utf16)
            end -= (end - page.TextStart) % 2;
        page.ReadPos = end;
        page.FileStamp = *stamp;
        return finish(PassResult::JumpedToEnd);
    }
    if (page.Encoding == LogEncoding::Unknown) {
        // Too short to tell its encoding: every line still to come is new.
        page.FollowFromStart = true;
        return finish(PassResult::Undecided);
    }
    if (size == page.ReadPos)
        return finish(PassResult::NoNewBytes);

    out = ReadChunk(page, list, file, opened.File, *stamp);
    if (out.Result == PassResult::ReadFailed)
        return readFailed();
    page.FollowFromStart = false;
    return finish(out.Result);
}

PassOutcome LogReader::ReadChunk(TPageObject& page, LineSink& list, const OpenFile& file,
                                 const std::shared_ptr<OpenFile>& handle, const LogStamp& stamp) {
    struct ChunkScope {
        PassProgress& progress;
        explicit ChunkScope(PassProgress& p) : progress(p) { progress.ChunkStarted(); }
        ~ChunkScope() { progress.ChunkEnded(); }
    } scope(progress_);

    PassOutcome out;
    const std::string name = FileNameOfPath(page.FileName);
    progress_.ShowProgress("Reading " + name + "...", true);

    const LogEncoding encoding = page.Encoding;
    const bool bulk = list.Lines().empty() && !settings_.AddedLogLinesOnly();
    const ViewFilter filter = ViewFilter::From(settings_);
    // Keyword tests only where a verdict or an alert depends on them.
    const bool needGroups = filter.NeedsGroups() || !bulk;
    const GroupMatcher* matcher = needGroups ? &matchers_.For(settings_) : nullptr;
    const bool decode =
        needGroups && (encoding == LogEncoding::Utf16 || !matcher->RawBytesSuffice());

    const uint64_t size = stamp.Size;
    uint64_t bufferStart = page.ReadPos; // file offset of buffer[0], always a line start
    uint64_t next = page.ReadPos;        // next file offset to read
    size_t block = blockSize_ & ~size_t{1};
    std::vector<char>& buffer = buffer_;
    buffer.resize(static_cast<size_t>(std::min<uint64_t>(block, size - next + 1)));
    size_t filled = 0;
    uint64_t maxLen = page.MaxLineLen;
    // Every line with its group bits: keywords are tested while the bytes are
    // at hand, the verdict waits for the filtering pass, which needs the count.
    LineIndex chunk;
    std::string scratch;

    while (next < size) {
        // Only a line longer than the buffer makes it grow, to that line's size.
        if (filled == buffer.size())
            buffer.resize(buffer.size() * 2);
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size() - filled, size - next));
        ssize_t got = file.ReadAt(next, buffer.data() + filled, want);
        if (got < 0) {
            out.Result = PassResult::ReadFailed;
            return out;
        }
        if (got == 0)
            break; // shrunk meanwhile: the next pass notices
        next += static_cast<uint64_t>(got);
        filled += static_cast<size_t>(got);
        size_t used = SplitLines(std::string_view(buffer.data(), filled), encoding,
                                 [&](size_t start, size_t length) {
                                     LineEntry line(bufferStart + start, length);
                                     std::string_view bytes(buffer.data() + start, length);
                                     if (length > maxLen)
                                         maxLen = std::max(maxLen, CountChars(bytes, encoding));
                                     if (needGroups) {
                                         if (decode) {
                                             scratch.clear();
                                             AppendDecodedLine(scratch, bytes, encoding);
                                             bytes = scratch;
                                         }
                                         // A bulk load raises no alert, so its verdict is all it
                                         // needs.
                                         line.SetGroups(bulk ? matcher->ShownGroup(bytes, filter)
                                                             : matcher->Membership(bytes));
                                     }
                                     chunk.push_back(line);
                                 });
        std::memmove(buffer.data(), buffer.data() + used, filled - used);
        filled -= used;
        bufferStart += used;
    }
    // Keep a small buffer for the next log; give back what a large chunk took.
    if (buffer.capacity() > (size_t{64} << 10))
        std::vector<char>().swap(buffer);

    if (chunk.empty()) {
        page.ReadPos = bufferStart;
        page.FileStamp = stamp;
        out.Result = PassResult::NoCompleteLine;
        return out;
    }

    const uint64_t n = chunk.size();
    const bool newestFirst = settings_.LastEntriesAtTop();
    LineIndex shown = FilterChunk(std::move(chunk), newestFirst, filter, progress_);
    progress_.ShowProgress("", false);
    out.LinesTaken = n;
    out.LinesShown = shown.size();

    if (bulk) {
        progress_.ShowProgress("Loading " + name + "...", false);
        shown.SetSource(handle, encoding);
        list.LoadLines(std::move(shown));
        page.LineCount = n;
        progress_.ShowProgress("", false);
        out.Result = PassResult::Bulk;
    } else {
        const DateTime now = clock_.Now();
        const LineIndex& rows = list.Lines();
        LineIndex added;
        added.SetSource(handle, encoding);
        // Numbers run on from the neighbour: the row below for lines put at
        // the top, the row above for lines added at the bottom.
        const TObjectInfo* neighbour =
            rows.empty() ? nullptr : rows.Record(newestFirst ? 0 : rows.size() - 1);
        int32_t lineNo = neighbour ? neighbour->LineNo : 0;
        // In the order the lines were written, so numbers grow with them.
        for (size_t k = 0; k < shown.size(); ++k) {
            LineEntry line = shown[newestFirst ? shown.size() - 1 - k : k];
            unsigned groups = line.Groups();
            for (unsigned g = 0; g < 3; ++g)
                if (groups & (1u << g))
                    out.Alerts[g] = true;
            line.SetGroups(0);
            if (lineNo < INT32_MAX)
                ++lineNo; // a number that cannot grow stays, never wraps
            TObjectInfo record{now, lineNo};
            if (newestFirst)
                added.push_front(line, record);
            else
                added.push_back(line, record);
        }
        if (newestFirst)
            list.InsertLinesAtTop(std::move(added));
        else
            list.AppendLines(std::move(added));
        page.LineCount += n;
        out.Result = PassResult::Appended;
    }
    page.MaxLineLen = maxLen;
    page.ReadPos = bufferStart;
    page.FileStamp = stamp;
    return out;
}

} // namespace marrowlight
