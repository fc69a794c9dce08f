#pragma once

#include "support/core/Clock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace marrowlight {

// Lines of one group that one log took in a pass.
struct GroupArrival {
    int Group = 0;           // 1..3
    std::string Log;         // the tab's path or address, as bytes
    std::string LogName;     // as shown, UTF-8 ("app.log")
    uint64_t Lines = 0;      // how many
    std::string FirstLine;   // UTF-8 text of the first written of them
    int32_t FirstLineNo = 0; // its arrival number, which finds its row again later
};

// One desktop notification: what it says and where a click leads.
struct Notice {
    int Group = 0;
    std::string Summary; // "3 new Errors in app.log", "… in app.log and 2 more"
    std::string Body;    // the first line, cut and with its markup escaped
    std::string Log;
    int32_t FirstLineNo = 0;
};

// Longest first line a notice shows, in characters.
inline constexpr size_t NoticeBodyChars = 200;

// At most NoticeBodyChars characters of a UTF-8 line, the last of them "…"
// when it was cut, with "&", "<" and ">" escaped: a notification service
// may take the body for markup, and a log line is not ours to format.
std::string NoticeBody(const std::string& line);

// Decides the desktop notifications of the groups. A group notifies at most
// once every QuietSeconds; lines that come sooner wait and are counted into
// the next notice, which is due when the quiet time is over. A notice names
// the log whose lines came first and shows the first of them.
class NoticeQueue {
  public:
    static constexpr double QuietSeconds = 10;

    // groupName(g): the caption of group g, UTF-8.
    explicit NoticeQueue(std::function<std::string(int group)> groupName);

    void Take(const std::vector<GroupArrival>& arrivals);
    // The notices due at `now`, group 1 first; each group's waiting lines go.
    std::vector<Notice> Due(DateTime now);
    // Seconds until the next waiting notice is due; nothing when none waits.
    std::optional<double> NextDueIn(DateTime now) const;
    // The person looked at the log: its waiting lines are seen.
    void Seen(const std::string& log);
    // Forgets every waiting line (alerts muted).
    void Clear();

  private:
    struct Waiting {
        std::string Log, LogName, FirstLine;
        uint64_t Lines = 0;
        int32_t FirstLineNo = 0;
    };
    std::optional<double> SecondsLeft(int g, DateTime now) const;

    std::function<std::string(int)> groupName_;
    std::array<std::vector<Waiting>, 3> waiting_{};
    std::array<std::optional<DateTime>, 3> lastSent_{};
};

} // namespace marrowlight
