#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace marrowlight {

// The fields of one journal entry that its line shows; views into the
// journal's own memory, valid while the entry is current.
struct JournalEntryFields {
    uint64_t RealtimeUsec = 0; // the source's time when it gave a valid one, else the journal's
    // Present but empty is not absent: journalctl shows "db02 : text".
    std::optional<std::string_view> Hostname;
    std::optional<std::string_view> Identifier; // SYSLOG_IDENTIFIER
    std::optional<std::string_view> Command;    // _COMM, when there is no identifier
    std::optional<std::string_view> Pid;        // _PID
    std::optional<std::string_view> SyslogPid;  // SYSLOG_PID, when there is no _PID
    std::string_view Message;
};

// Renders entries as `journalctl -o short-iso` does, one row each:
// "2026-12-09T01:43:00+0000 web01 nginx[812]: upstream timed out". A message
// of several lines keeps to the row, its lines joined by " ⏎ "; one that is
// not printable text is shown as "[n bytes of data]". Terminal colour and
// title sequences are left out, as journalctl leaves them.
class JournalLineWriter {
  public:
    void Append(std::string& out, const JournalEntryFields& entry);
    // The local time of a moment, as "2026-12-09T01:43:00+0000".
    void AppendTime(std::string& out, uint64_t realtimeUsec);

  private:
    // Local time changes its offset only at quarter hours; within one the
    // broken-down start is reused rather than asking the time zone again.
    int64_t windowStart_ = INT64_MIN;
    std::tm windowTime_{};
    char offset_[6] = {};
};

// Appends the message as the row shows it.
void AppendJournalMessage(std::string& out, std::string_view message);

} // namespace marrowlight
