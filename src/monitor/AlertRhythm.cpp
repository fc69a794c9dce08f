#include "monitor/AlertRhythm.h"

#include <algorithm>

namespace marrowlight {

AlertRhythm::AlertRhythm(std::function<int()> intervalMs, std::function<void(int)> play,
                         std::function<qint64()> now, QObject* parent)
    : QObject(parent), intervalMs_(std::move(intervalMs)), play_(std::move(play)),
      now_(std::move(now)) {
    steady_.start();
    if (!now_)
        now_ = [this] { return steady_.elapsed(); };
    due_.setSingleShot(true);
    due_.setTimerType(Qt::PreciseTimer);
    connect(&due_, &QTimer::timeout, this, [this] { PlayDue(); });
}

void AlertRhythm::Raise(const std::array<bool, 3>& alerts) {
    for (int g = 0; g < 3; ++g)
        waiting_[g] = waiting_[g] || alerts[g];
    PlayDue();
}

void AlertRhythm::PlayDue() {
    const qint64 now = now_();
    const qint64 interval = std::max(0, intervalMs_());
    std::optional<qint64> next;
    for (int g = 0; g < 3; ++g) {
        if (!waiting_[g])
            continue;
        if (!lastSounded_[g] || now - *lastSounded_[g] >= interval) {
            waiting_[g] = false;
            lastSounded_[g] = now;
            play_(g + 1);
        } else {
            const qint64 left = *lastSounded_[g] + interval - now;
            next = next ? std::min(*next, left) : left;
        }
    }
    if (next)
        due_.start(static_cast<int>(std::min<qint64>(*next, INT32_MAX)));
}

} // namespace marrowlight
