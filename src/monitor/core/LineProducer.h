#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace marrowlight {

// Where a producer puts the text it made: the end of a log's spool, an
// unnamed temporary file that the reader follows as it follows any log, so
// rows, find, copy and filters need nothing new and the text does not stay
// in memory.
class TextSink {
  public:
    virtual ~TextSink() = default;
    // Appends bytes at the end; false when they could not be written (disk
    // full, the spool's size limit reached): the producer stops and says so.
    virtual bool Append(std::string_view bytes) = 0;
    // Bytes appended so far.
    virtual uint64_t Size() const = 0;
    // At least `least` bytes at the end for a producer to make its text in,
    // saving a copy: appending a view that starts where the room does takes
    // those bytes as they are. Empty when the sink has none (or can't make
    // room): the producer appends from a buffer of its own.
    virtual std::span<char> Room(size_t /*least*/) { return {}; }
};

enum class ProduceStatus {
    More,     // more is ready now: call again on the next turn of the event loop
    Waiting,  // nothing ready: call again when WakeDescriptor is readable (or at the next poll)
    Finished, // nothing will ever come: the log stays as it is
};

// A source of lines that is not a growing text file: a compressed log, the
// standard input, the systemd journal. It renders its text into a TextSink,
// one slice at a time on the GUI thread; the reader shows what the sink got.
// A producer never writes to what it reads.
class LineProducer {
  public:
    virtual ~LineProducer() = default;
    // Appends the next text (whole lines ending in '\n' where the source
    // allows) and returns by the deadline, give or take one read.
    virtual ProduceStatus Produce(TextSink& out,
                                  std::chrono::steady_clock::time_point deadline) = 0;
    // A descriptor that becomes readable when there is more to produce (a
    // pipe, sd_journal_get_fd), or -1 when the producer has none.
    virtual int WakeDescriptor() const { return -1; }
    // What the tab's state panel says instead of the reader's text, such as
    // "Input ended." or "Damaged after 12,345 lines."; empty: the reader's text.
    virtual std::string StateText() const = 0;
    // False for a finished text that is only being unpacked (an archive):
    // its lines load as one bulk load does, never as new lines with arrival
    // times and alerts, however many passes bring them.
    virtual bool Follows() const { return true; }
};

} // namespace marrowlight
