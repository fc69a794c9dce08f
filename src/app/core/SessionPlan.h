#pragma once

#include <functional>
#include <string>
#include <vector>

namespace marrowlight {

// The logs open when the program closed, in tab order, and which was current.
struct SessionLogs {
    std::vector<std::string> Logs;
    int Current = -1; // index into Logs; -1 for none
};

// Whether an entry is an address of a source that is not a file
// ("journal://unit/nginx.service"): a scheme of letters, digits, "+", "-"
// or "." followed by "://". It is kept and reopened as it is.
bool IsSourceAddress(const std::string& entry);

// What is stored of the open tabs: standard input ("-") and empty entries
// never, a relative path made absolute against `workingFolder` (the session
// may be reopened from another folder), addresses as they are. Paths stay
// bytes. The current tab keeps its place; it is dropped with its entry.
SessionLogs SessionToStore(const std::vector<std::string>& tabs, int current,
                           const std::string& workingFolder);

// What reopening a stored session does: opens `Open` in order and makes
// `Current` (an index into Open, -1 for none) current again; `Missing` names
// the logs that no longer exist, which are skipped. When the current log is
// missing, the one after it becomes current, or the last one.
struct SessionReopen {
    std::vector<std::string> Open;
    std::vector<std::string> Missing;
    int Current = -1;
};
SessionReopen PlanSessionReopen(const SessionLogs& stored,
                                const std::function<bool(const std::string&)>& exists);

// The start-up rule: the last session comes back at start only when asked
// for, no log is given on the command line and logs are not opened
// automatically.
bool ReopenSessionAtStart(bool optionOn, bool logsGiven, bool automaticMode);

} // namespace marrowlight
