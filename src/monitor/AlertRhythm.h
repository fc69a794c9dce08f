#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

namespace marrowlight {

// Each group's alert sounds at most once per polling interval, however many
// passes raise it: besides the polling passes, a log the kernel reports as
// written gets a pass of its own at once. An alert raised sooner is not lost:
// it waits until the interval since the group last sounded has run out, and
// then sounds once. Groups due together sound in their order, 1 to 3.
class AlertRhythm : public QObject {
    Q_OBJECT

  public:
    // intervalMs is asked at each decision, so a new polling interval counts
    // at once; play(g) sounds group g. now gives monotonic milliseconds
    // (tests pass their own); by default a steady clock.
    AlertRhythm(std::function<int()> intervalMs, std::function<void(int group)> play,
                std::function<qint64()> now = {}, QObject* parent = nullptr);

    // alerts[g-1]: a pass took a shown line of group g.
    void Raise(const std::array<bool, 3>& alerts);
    // Group g's alert waits for its interval to run out.
    bool Waiting(int group) const { return waiting_[group - 1]; }

  private:
    void PlayDue();

    std::function<int()> intervalMs_;
    std::function<void(int)> play_;
    std::function<qint64()> now_;
    QElapsedTimer steady_;
    std::array<std::optional<qint64>, 3> lastSounded_{};
    std::array<bool, 3> waiting_{};
    QTimer due_;
};

} // namespace marrowlight
