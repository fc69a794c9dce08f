#pragma once

#include "monitor/core/FileSource.h"
#include "monitor/core/TextEncoding.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace marrowlight {

class LineSink;
struct PendingLoad;

// Everything known about one log between two passes. The tab's list lives
// next to it in the shell (a LineSink); this record does not point to it.
struct LogPage {
    std::string FileName; // the path exactly as opened; never changes
    std::string LastReadText;
    std::string LinesText;
    std::string DisplayedText;
    std::string StateText;
    std::optional<LogStamp> FileStamp; // empty: not read since the last reset
    uint64_t ReadPos = 0;
    // When more than ReadPos: the unfinished line at ReadPos was found to
    // hold no line end up to here, and the next pass looks on from here.
    uint64_t ScanPos = 0;
    uint64_t LineCount = 0;
    uint64_t MaxLineLen = 0;
    LogEncoding Encoding = LogEncoding::Unknown;
    uint64_t TextStart = 0;

    // The file the list describes, taken when the encoding was decided, and a
    // copy of its first bytes (at most 4 KiB): a new file at the path, or
    // rewritten first bytes, make the pass read the log again from its start.
    // A copy, not a hash: comparing it costs less than hashing it again.
    std::optional<FileIdentity> Identity;
    std::string Head;
    // That file, kept open while the list holds no row (rows keep one of
    // their own): once its path names another file (rotated) or none, what
    // it gained since the last pass is still read through it.
    std::shared_ptr<const OpenFile> File;
    bool LeftBehindRead = false;

    // Set when the reader dropped a log it was following (rotated, rewritten,
    // shrunk or gone): every line of the next file at the path was written
    // after the log was opened, so the only-new-lines mode must show them
    // rather than jump past them. Kept while the file stays missing.
    bool FollowFromStart = false;

    // The file a log had when its path stopped answering. If that same file
    // answers again (a stat that failed for a moment, a remount), its lines
    // are not new and must not be shown again as if they had just arrived.
    // It is the same only when its identity (birth time included, where the
    // file system keeps one) matches, it still reaches GoneReadPos and still
    // starts with GoneHead: a file made anew may get the same inode.
    std::optional<FileIdentity> GoneIdentity;
    std::string GoneHead;
    uint64_t GoneReadPos = 0;

    // A log whose text a producer writes into a spool. Every line of it came
    // after the log was opened, so the only-new-lines mode skips none; and a
    // log that does not follow (an archive being unpacked) takes all its
    // lines as one bulk load, whatever pass brings them. Kept by ResetLog.
    bool Produced = false;
    bool LoadsWhole = false;

    // The rest of a bulk load that is read over several calls, so the window
    // answers meanwhile; empty when none is under way. Owned by the log, so
    // closing its tab or resetting it ends the load at once. (Shared only so
    // that this header need not know its insides.)
    std::shared_ptr<PendingLoad> Load;
};

// Forgets everything read from the log so the next pass reads it from its
// start, as a freshly opened log; the status texts are kept.
void ResetLog(LogPage& page, LineSink& list);

} // namespace marrowlight
