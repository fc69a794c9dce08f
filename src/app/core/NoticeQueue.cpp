#include "app/core/NoticeQueue.h"

#include <algorithm>
#include <utility>

namespace marrowlight {

namespace {

constexpr double SecondsPerDay = 86'400;
// A time of day in days keeps about a microsecond: ten seconds later may
// read as a hair less.
constexpr double SlackSeconds = 0.001;

bool Continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

} // namespace

std::string NoticeBody(const std::string& line) {
    size_t chars = 0;
    size_t cut = line.size();
    for (size_t i = 0; i < line.size(); ++i) {
        if (Continuation(static_cast<unsigned char>(line[i])))
            continue;
        if (chars == NoticeBodyChars - 1)
            cut = i; // where the "…" would go
        if (++chars > NoticeBodyChars)
            break;
    }
    const bool longer = chars > NoticeBodyChars;
    std::string body;
    body.reserve(line.size() + 8);
    for (size_t i = 0; i < (longer ? cut : line.size()); ++i) {
        switch (line[i]) {
        case '&':
            body += "&amp;";
            break;
        case '<':
            body += "&lt;";
            break;
        case '>':
            body += "&gt;";
            break;
        default:
            body += line[i];
        }
    }
    if (longer)
        body += "\u2026";
    return body;
}

NoticeQueue::NoticeQueue(std::function<std::string(int)> groupName)
    : groupName_(std::move(groupName)) {}

void NoticeQueue::Take(const std::vector<GroupArrival>& arrivals) {
    for (const GroupArrival& a : arrivals) {
        if (a.Group < 1 || a.Group > 3 || a.Lines == 0)
            continue;
        std::vector<Waiting>& waiting = waiting_[a.Group - 1];
        auto it = std::find_if(waiting.begin(), waiting.end(),
                               [&](const Waiting& w) { return w.Log == a.Log; });
        if (it != waiting.end())
            it->Lines += a.Lines; // its first line came earlier
        else
            waiting.push_back({a.Log, a.LogName, a.FirstLine, a.Lines, a.FirstLineNo});
    }
}

std::optional<double> NoticeQueue::SecondsLeft(int g, DateTime now) const {
    if (waiting_[g].empty())
        return std::nullopt;
    if (!lastSent_[g])
        return 0.0;
    const double since = (now - *lastSent_[g]) * SecondsPerDay;
    // A clock set back gives no quiet time to wait for.
    if (since < 0 || since >= QuietSeconds - SlackSeconds)
        return 0.0;
    return QuietSeconds - since;
}

std::vector<Notice> NoticeQueue::Due(DateTime now) {
    std::vector<Notice> due;
    for (int g = 0; g < 3; ++g) {
        const std::optional<double> left = SecondsLeft(g, now);
        if (!left || *left > 0)
            continue;
        const std::vector<Waiting> waiting = std::exchange(waiting_[g], {});
        lastSent_[g] = now;
        uint64_t lines = 0;
        for (const Waiting& w : waiting)
            lines += w.Lines;
        const Waiting& first = waiting.front();
        Notice notice;
        notice.Group = g + 1;
        notice.Summary =
            std::to_string(lines) + " new " + groupName_(g + 1) + " in " + first.LogName;
        if (waiting.size() > 1)
            notice.Summary += " and " + std::to_string(waiting.size() - 1) + " more";
        notice.Body = NoticeBody(first.FirstLine);
        notice.Log = first.Log;
        notice.FirstLineNo = first.FirstLineNo;
        due.push_back(std::move(notice));
    }
    return due;
}

std::optional<double> NoticeQueue::NextDueIn(DateTime now) const {
    std::optional<double> next;
    for (int g = 0; g < 3; ++g)
        if (const std::optional<double> left = SecondsLeft(g, now))
            next = next ? std::min(*next, *left) : *left;
    return next;
}

void NoticeQueue::Seen(const std::string& log) {
    for (std::vector<Waiting>& waiting : waiting_)
        std::erase_if(waiting, [&](const Waiting& w) { return w.Log == log; });
}

void NoticeQueue::Clear() {
    for (std::vector<Waiting>& waiting : waiting_)
        waiting.clear();
}

} // namespace marrowlight
