#include "app/core/SessionPlan.h"

#include <cctype>

namespace marrowlight {

bool IsSourceAddress(const std::string& entry) {
    const size_t mark = entry.find("://");
    if (mark == std::string::npos || mark == 0)
        return false;
    for (size_t i = 0; i < mark; ++i) {
        const auto c = static_cast<unsigned char>(entry[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return std::isalpha(static_cast<unsigned char>(entry[0])) != 0;
}

SessionLogs SessionToStore(const std::vector<std::string>& tabs, int current,
                           const std::string& workingFolder) {
    SessionLogs session;
    for (size_t i = 0; i < tabs.size(); ++i) {
        const std::string& tab = tabs[i];
        if (tab.empty() || tab == "-")
            continue;
        if (static_cast<int>(i) == current)
            session.Current = static_cast<int>(session.Logs.size());
        if (tab.front() == '/' || IsSourceAddress(tab) || workingFolder.empty())
            session.Logs.push_back(tab);
        else if (workingFolder.back() == '/')
            session.Logs.push_back(workingFolder + tab);
        else
            session.Logs.push_back(workingFolder + '/' + tab);
    }
    return session;
}

SessionReopen PlanSessionReopen(const SessionLogs& stored,
                                const std::function<bool(const std::string&)>& exists) {
    SessionReopen plan;
    for (size_t i = 0; i < stored.Logs.size(); ++i) {
        const std::string& log = stored.Logs[i];
        if (log.empty() || log == "-")
            continue; // a hand-edited store; never written so
        const bool current = static_cast<int>(i) == stored.Current;
        if (!IsSourceAddress(log) && !exists(log)) {
            plan.Missing.push_back(log);
            continue;
        }
        // The current one, or the first kept after a missing current one.
        if (current ||
            (plan.Current < 0 && stored.Current >= 0 && static_cast<int>(i) > stored.Current))
            plan.Current = static_cast<int>(plan.Open.size());
        plan.Open.push_back(log);
    }
    if (plan.Current < 0 && stored.Current >= 0 && !plan.Open.empty())
        plan.Current = static_cast<int>(plan.Open.size()) - 1;
    return plan;
}

bool ReopenSessionAtStart(bool optionOn, bool logsGiven, bool automaticMode) {
    return optionOn && !logsGiven && !automaticMode;
}

} // namespace marrowlight
